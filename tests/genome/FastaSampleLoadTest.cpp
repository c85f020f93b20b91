// FASTA files as the workspace's samples: read by extension, then held to the same length and
// alphabet checks as ".seq" samples.
#include <gtest/gtest.h>
#include <htslib/bgzf.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "../workspace/WorkspaceTestSupport.h"
#include "genome/FastaReader.h"
#include "support/StatusAssert.h"
#include "support/TMainManagerTestAccess.h"
#include "workspace/TMainManager.h"

namespace motifora {
namespace {

using test::TempDir;

TEST(FastaSamples, LoadLikeSeqSamplesWithTheirChecks) {
    TempDir dir;
    TMainManager m;
    ASSERT_TRUE(
        test::succeeded(m.loadLearnPositive(dir.write("p.fa", ">p1 first\nac\ngt\n>p2\nACGG\n"))));
    EXPECT_EQ(m.learnPositiveCount(), 2);
    EXPECT_STREQ(m.sequenceText(SampleKind::LearnPositive, 0), "ACGT");
    EXPECT_TRUE(m.learnPositiveLoaded());

    // Gzipped negatives; a record longer than the objects is refused as with ".seq".
    const std::string negatives = dir.path("n.fasta.gz");
    BGZF* file = bgzf_open(negatives.c_str(), "w");
    const std::string text = ">n1\nACGA\n";
    ASSERT_EQ(bgzf_write(file, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    bgzf_close(file);
    ASSERT_TRUE(test::succeeded(m.loadLearnNegative(negatives)));
    EXPECT_EQ(m.learnNegativeCount(), 1);

    TMainManagerTestAccess::storage(m) = std::make_unique<SEQStorage>();
    TMainManagerTestAccess::storage(m)->buildWhole(m.learnPositive().data(),
                                                   m.learnPositiveCount());
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

// A gzip file of `bytes` (one BGZF stream).
void writeGzip(const std::string& path, const std::string& bytes) {
    BGZF* file = bgzf_open(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(bgzf_write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    bgzf_close(file);
}

TEST(FastaSamples, WhatAProjectCouldNotKeepOrMemoryNotHoldIsRefusedAtTheLoad) {
    TempDir dir;
    const std::string letters = "\nACGTACGTAC\n";
    dir.write("nul.fa", std::string(">a\0b", 4) + letters + ">c" + letters);
    dir.write("escape.fa", ">c" + letters + ">a\x1b[31m" + letters);
    dir.write("long.fa", ">a\n" + std::string(size_t{kMaxRecordText} + 1, 'A') + "\n");
    dir.write("header.fa", ">" + std::string(kFastaMaxHeader + 1, 'n') + letters);
    // Five times the limit once decompressed, far less on the disk.
    writeGzip(dir.path("bomb.fa.gz"), ">a\n" + std::string(5000, 'A') + "\n>b" + letters);
    ASSERT_EQ(::mkfifo(dir.path("fifo.fa").c_str(), 0600), 0);
    const struct {
        std::string file;
        std::string said;
        int64_t line;
        int64_t record;
    } cases[] = {
        {"nul.fa", "nul.fa: line 1: record 1 has byte 0x00 in its name", 1, 1},
        {"escape.fa", "escape.fa: line 3: record 2 has byte 0x1B in its name", 3, 2},
        {"long.fa", "long.fa: line 1: record 1 (a) has more than 1048576 letters", 1, 1},
        {"header.fa", "header.fa: line 1: the header of record 1 is longer than 1048576", 1, 0},
        {"bomb.fa.gz", "bomb.fa.gz: the file holds more than 1000 bytes once decompressed", 0, 0},
        // Opening a pipe would wait for a writer for ever.
        {"fifo.fa", "fifo.fa: the file is a pipe, not a sequence file", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<Sequence> records{Sequence()};
        const uint64_t limit = c.file == "bomb.fa.gz" ? 1000 : kSeqMaxFileBytes;
        const Status status = readFastaSample(dir.path(c.file), records, limit);
        EXPECT_FALSE(status);
        EXPECT_NE(status.message.find(c.said), std::string::npos) << status.message;
        EXPECT_EQ(status.file, dir.path(c.file));
        EXPECT_EQ(status.line, c.line);
        EXPECT_EQ(status.record, c.record);
        EXPECT_TRUE(records.empty());
    }
    // The same file within the limit is read; on the disk it may not be larger either.
    std::vector<Sequence> records;
    EXPECT_TRUE(test::succeeded(readFastaSample(dir.path("bomb.fa.gz"), records, 6000)));
    EXPECT_EQ(records.size(), 2u);
    const Status big = readFastaSample(dir.path("long.fa"), records, 1000);
    EXPECT_NE(big.message.find("bytes long, more than the 1000 bytes a sample may have"),
              std::string::npos)
        << big.message;
}

}  // namespace
}  // namespace motifora
