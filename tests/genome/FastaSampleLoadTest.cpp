// FASTA files as the workspace's samples: read by extension, then held to the same length and
// alphabet checks as ".seq" samples.
#include <gtest/gtest.h>
#include <htslib/bgzf.h>

#include "../workspace/WorkspaceTestSupport.h"
#include "workspace/TMainManager.h"

namespace motifora {
namespace {

using test::TempDir;

TEST(FastaSamples, LoadLikeSeqSamplesWithTheirChecks) {
    TempDir dir;
    TMainManager m;
    ASSERT_TRUE(m.loadLearnPositive(dir.write("p.fa", ">p1 first\nac\ngt\n>p2\nACGG\n")))
        << m.lastLoadError();
    EXPECT_EQ(m.learnPositiveCount, 2);
    EXPECT_STREQ(m.sequenceText(SampleKind::LearnPositive, 0), "ACGT");
    EXPECT_TRUE(m.learnPositiveLoaded);

    // Gzipped negatives; a record longer than the objects is refused as with ".seq".
    const std::string negatives = dir.path("n.fasta.gz");
    BGZF* file = bgzf_open(negatives.c_str(), "w");
    const std::string text = ">n1\nACGA\n";
    ASSERT_EQ(bgzf_write(file, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    bgzf_close(file);
    ASSERT_TRUE(m.loadLearnNegative(negatives)) << m.lastLoadError();
    EXPECT_EQ(m.learnNegativeCount, 1);

    m.storage = std::make_unique<SEQStorage>();
    m.storage->buildWhole(m.learnPositive.data(), m.learnPositiveCount);
    EXPECT_TRUE(m.loadControlNegative(dir.write("c.fna", ">c1\nTTTT\n"))) << m.lastLoadError();
    // An N is a letter outside the alphabet: refused, naming the file.
    EXPECT_FALSE(m.loadControlNegative(dir.write("bad.fa", ">c1\nACGN\n")));
    EXPECT_NE(m.lastLoadError().find("bad.fa"), std::string::npos) << m.lastLoadError();
    // A reader failure names the file and the line.
    EXPECT_FALSE(m.loadControlNegative(dir.write("broken.fa", "ACGT\n>c1\nACGT\n")));
    EXPECT_NE(m.lastLoadError().find("broken.fa: line 1: letters before the first record"),
              std::string::npos)
        << m.lastLoadError();
    EXPECT_FALSE(m.loadControlNegative(dir.write("empty.fa", ">c1\n>c2\nACGT\n")));
    EXPECT_NE(m.lastLoadError().find("record 1 (c1) has no letters"), std::string::npos)
        << m.lastLoadError();
}

}  // namespace
}  // namespace motifora
