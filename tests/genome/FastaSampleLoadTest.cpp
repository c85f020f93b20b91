// FASTA files as the workspace's samples: read by extension, then held to the same length and
// alphabet checks as ".seq" samples.
#include <gtest/gtest.h>
#include <htslib/bgzf.h>

#include "../workspace/WorkspaceTestSupport.h"
#include "support/StatusAssert.h"
#include "workspace/TMainManager.h"

namespace motifora {
namespace {

using test::TempDir;

TEST(FastaSamples, LoadLikeSeqSamplesWithTheirChecks) {
    TempDir dir;
    TMainManager m;
    ASSERT_TRUE(
        test::succeeded(m.loadLearnPositive(dir.write("p.fa", ">p1 first\nac\ngt\n>p2\nACGG\n"))));
    EXPECT_EQ(m.learnPositiveCount, 2);
    EXPECT_STREQ(m.sequenceText(SampleKind::LearnPositive, 0), "ACGT");
    EXPECT_TRUE(m.learnPositiveLoaded);

    // Gzipped negatives; a record longer than the objects is refused as with ".seq".
    const std::string negatives = dir.path("n.fasta.gz");
    BGZF* file = bgzf_open(negatives.c_str(), "w");
    const std::string text = ">n1\nACGA\n";
    ASSERT_EQ(bgzf_write(file, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    bgzf_close(file);
    ASSERT_TRUE(test::succeeded(m.loadLearnNegative(negatives)));
    EXPECT_EQ(m.learnNegativeCount, 1);

    m.storage = std::make_unique<SEQStorage>();
    m.storage->buildWhole(m.learnPositive.data(), m.learnPositiveCount);
    EXPECT_TRUE(test::succeeded(m.loadControlNegative(dir.write("c.fna", ">c1\nTTTT\n"))));
    // An N is a letter outside the alphabet: refused, naming the file.
    const std::string bad = dir.write("bad.fa", ">c1\nACGN\n");
    Status status = m.loadControlNegative(bad);
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("bad.fa"), std::string::npos) << status.message;
    EXPECT_EQ(status.file, bad);
    EXPECT_EQ(status.record, 1);
    // A reader failure names the file and the line.
    const std::string broken = dir.write("broken.fa", "ACGT\n>c1\nACGT\n");
    status = m.loadControlNegative(broken);
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("broken.fa: line 1: letters before the first record"),
              std::string::npos)
        << status.message;
    EXPECT_EQ(status.file, broken);
    EXPECT_EQ(status.line, 1);
    status = m.loadControlNegative(dir.write("empty.fa", ">c1\n>c2\nACGT\n"));
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("record 1 (c1) has no letters"), std::string::npos)
        << status.message;
}

}  // namespace
}  // namespace motifora
