// The sample door: the reader is chosen by the file's content (".seq", FASTA, gzip-compressed
// either), and what a reader did to the records is counted for the load's headline.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "genome/SampleFile.h"
#include "support/StatusAssert.h"
#include "support/TempDir.h"

namespace motifora {
namespace {

using test::TempDir;

// A plain gzip file (not BGZF) of `bytes`.
void writeGzip(const std::string& path, const std::string& bytes) {
    gzFile file = gzopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size())),
              static_cast<int>(bytes.size()));
    gzclose(file);
}

TEST(SampleFormat, TheFirstHeaderDecides) {
    const struct {
        std::string head;
        std::string path;
        SampleFormat format;
    } cases[] = {
        {">a;ACGT\n", "p.seq", SampleFormat::Seq},
        {">a;\nACGT\n", "p.txt", SampleFormat::Seq},
        {"notes before\n>a;ACGT\n", "p", SampleFormat::Seq},
        {">chr1 first\nACGT\n", "p.seq", SampleFormat::Fasta},
        {">chr1\nACGT\n", "p.txt", SampleFormat::Fasta},
        // A FASTA name keeps a header with ";" FASTA.
        {">sp|P1;x\nACGT\n", "p.fa.gz", SampleFormat::Fasta},
        // No header at all: the name decides, and the reader it calls says what is missing.
        {"ACGT\n", "p.fasta", SampleFormat::Fasta},
        {"", "p.seq", SampleFormat::Seq},
        {"just text", "p.txt", SampleFormat::Seq},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + ": " + c.head);
        EXPECT_EQ(sampleFormatOf(c.head, c.path), c.format);
    }
}

TEST(SampleFiles, AreReadByTheirContent) {
    TempDir dir;
    const std::string long1500(1500, 'A');
    dir.write("seq.seq", ">a;ACGT\n>b;ACGA\n");
    dir.write("fasta.seq", ">chr1 first\nACGT\nACGT\n>chr2\nACGA\n");
    dir.write("whole.txt", ">long\n" + long1500 + "\n");
    writeGzip(dir.path("seq.seq.gz"), ">a;ACGT\n");
    writeGzip(dir.path("fasta.gz"), ">a\nACGT\n");
    const struct {
        std::string file;
        SampleFormat format;
        bool compressed;
        std::vector<std::string> letters;
    } cases[] = {
        {"seq.seq", SampleFormat::Seq, false, {"ACGT", "ACGA"}},
        {"fasta.seq", SampleFormat::Fasta, false, {"ACGTACGT", "ACGA"}},
        {"whole.txt", SampleFormat::Fasta, false, {long1500}},
        {"seq.seq.gz", SampleFormat::Seq, true, {"ACGT"}},
        {"fasta.gz", SampleFormat::Fasta, true, {"ACGT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<Sequence> records;
        SampleRead read;
        ASSERT_TRUE(test::succeeded(readSampleFile(dir.path(c.file), records, &read)));
        EXPECT_EQ(read.format, c.format);
        EXPECT_EQ(read.compressed, c.compressed);
        EXPECT_EQ(read.cutRecords, 0);
        ASSERT_EQ(records.size(), c.letters.size());
        for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].text, c.letters[i]);
    }
}

TEST(SampleFiles, CountTheRecordsTheSeqRulesCut) {
    TempDir dir;
    const std::string text = ">a;" + std::string(1500, 'A') + "\n>b;" + std::string(1100, 'C') +
                             "\n>c;" + std::string(1023, 'G') + "\n";
    dir.write("cut.seq", text);
    writeGzip(dir.path("cut.seq.gz"), text);
    for (const char* file : {"cut.seq", "cut.seq.gz"}) {
        SCOPED_TRACE(file);
        std::vector<Sequence> records;
        SampleRead read;
        ASSERT_TRUE(test::succeeded(readSampleFile(dir.path(file), records, &read)));
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[0].length, 1023);
        EXPECT_EQ(read.cutRecords, 2);
        EXPECT_EQ(read.longestCut, 1500u);
        EXPECT_EQ(read.warnings.size(), 2u);
    }
}

TEST(SampleFiles, RefusalsNameTheFileAndTheRealReason) {
    TempDir dir;
    std::string elf =
        "\x7F"
        "ELF\x02\x01\x01";
    elf += std::string(64, '\0') + ">\0\0;" + std::string(32, '\x01');
    dir.write("program.seq", elf);
    std::string junk;
    for (int i = 0; i < 400; ++i) junk += static_cast<char>(i % 7 == 0 ? '>' : i % 31);
    dir.write("junk.seq", junk);
    dir.write("utf16.seq", std::string("\xFF\xFE>\0a\0;\0A\0", 10));
    dir.write("empty.seq", "");
    dir.write("seq.txt", ">a;ACGT\n>b;ACGA\n");
    dir.write("empty.fa", "");
    ASSERT_EQ(::mkfifo(dir.path("pipe.seq").c_str(), 0600), 0);
    const struct {
        std::string file;
        std::string said;
    } cases[] = {
        {"program.seq", "is not a text file: it holds an executable program"},
        {"junk.seq", "is not a text file: it holds binary data"},
        {"utf16.seq", "UTF-16"},
        {"empty.seq", "holds no records: the file is empty"},
        {"empty.fa", "no FASTA records"},
        {"pipe.seq", "a pipe"},
        {"missing.seq", "cannot open"},
        // ".seq" records come only from a file named so.
        {"seq.txt", "its name must end in \".seq\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<Sequence> records{Sequence()};
        const Status status = readSampleFile(dir.path(c.file), records);
        EXPECT_FALSE(status);
        EXPECT_NE(status.message.find(c.said), std::string::npos) << status.message;
        EXPECT_NE(status.message.find(dir.path(c.file)), std::string::npos) << status.message;
        EXPECT_EQ(status.file, dir.path(c.file));
        EXPECT_TRUE(records.empty());
    }
}

}  // namespace
}  // namespace motifora
