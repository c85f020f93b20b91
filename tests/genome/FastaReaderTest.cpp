// The FASTA reader: line ends, case, blanks, empty records, pieces, compression and the faults
// it reports; FASTA as a sample file.
#include <gtest/gtest.h>
#include <htslib/bgzf.h>
#include <zlib.h>

#include <iterator>

#include "genome/FastaReader.h"
#include "support/TempDir.h"

namespace motifora {
namespace {

class FastaFiles : public ::testing::Test {
  protected:
    std::string plain(const std::string& name, const std::string& bytes) {
        return folder_.write(name, bytes);
    }
    std::string gzipped(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ / name;
        gzFile file = gzopen(path.c_str(), "wb");
        gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size()));
        gzclose(file);
        return path;
    }
    std::string bgzipped(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ / name;
        BGZF* file = bgzf_open(path.c_str(), "w");
        EXPECT_EQ(bgzf_write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        bgzf_close(file);
        return path;
    }

    test::TempDir folder_{"motifora-fasta"};
};

struct Read {
    std::vector<FastaRecord> records;
    std::vector<std::string> letters;
    std::string error;
};

Read readAll(const std::string& path, size_t piece = 1000) {
    Read out;
    FastaReader reader;
    if (!reader.Open(path)) {
        out.error = reader.Error();
        return out;
    }
    FastaRecord record;
    while (reader.NextRecord(record)) {
        out.records.push_back(record);
        std::string letters;
        while (reader.ReadLetters(letters, piece) != 0) {
        }
        out.letters.push_back(letters);
    }
    out.error = reader.Error();
    return out;
}

TEST_F(FastaFiles, RecordsLinesCaseAndBlanks) {
    const std::string text =
        "\n>chr1 first record\r\nacgT\r\nNNa\r\n\r\n>chr2\nAC GT\n>empty\n>chr3\tx\nRYk-*\nac";
    const Read read = readAll(plain("g.fa", text));
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.records.size(), 4u);
    EXPECT_EQ(read.records[0].name, "chr1");
    EXPECT_EQ(read.records[0].description, "chr1 first record");
    EXPECT_EQ(read.records[0].headerLine, 2);
    EXPECT_EQ(read.records[1].number, 2);
    EXPECT_EQ(read.records[1].headerLine, 6);
    EXPECT_EQ(read.records[3].name, "chr3");
    EXPECT_EQ(read.letters, (std::vector<std::string>{"ACGTNNA", "ACGT", "", "RYK-*AC"}));
}

TEST_F(FastaFiles, PiecesEndAtTheRecordEnd) {
    const std::string path = plain("p.fasta", ">a\nACGTA\nCGTAC\n>b\nGG\n");
    FastaReader reader;
    ASSERT_TRUE(reader.Open(path));
    FastaRecord record;
    ASSERT_TRUE(reader.NextRecord(record));
    std::string letters;
    std::vector<size_t> sizes;
    size_t got = 0;
    while ((got = reader.ReadLetters(letters, 3)) != 0) sizes.push_back(got);
    EXPECT_EQ(sizes, (std::vector<size_t>{3, 3, 3, 1}));
    EXPECT_EQ(letters, "ACGTACGTAC");
    EXPECT_EQ(reader.ReadLetters(letters, 3), 0u);
    // A record left half read is skipped by the next NextRecord.
    ASSERT_TRUE(reader.NextRecord(record));
    EXPECT_EQ(record.name, "b");
    letters.clear();
    EXPECT_EQ(reader.ReadLetters(letters, 1), 1u);
    EXPECT_FALSE(reader.NextRecord(record));
    EXPECT_EQ(reader.Error(), "");
}

TEST_F(FastaFiles, CompressedFilesReadAsPlainOnes) {
    std::string text;
    for (int r = 0; r < 3; ++r) {
        text += ">r" + std::to_string(r) + "\n";
        for (int line = 0; line < 2000; ++line)
            text += "ACGTNacgtn" + std::string(50, "ACGT"[r]) + "\n";
    }
    const Read expected = readAll(plain("x.fa", text), 777);
    ASSERT_EQ(expected.error, "");
    ASSERT_EQ(expected.letters.size(), 3u);
    EXPECT_EQ(expected.letters[0].size(), 2000u * 60u);
    for (const std::string& path : {gzipped("x.fa.gz", text), bgzipped("y.fna.gz", text)}) {
        const Read read = readAll(path, 777);
        EXPECT_EQ(read.error, "") << path;
        EXPECT_EQ(read.letters, expected.letters) << path;
    }
}

TEST_F(FastaFiles, FaultsNameTheFileAndLine) {
    const struct {
        const char* text;
        const char* error;  // after "<path>: "
        size_t recordsBefore;
    } cases[] = {
        {"ACGT\n>a\nAC\n",
         "line 1: letters before the first record header (a line beginning "
         "with '>')",
         0},
        {"\n\n>a\nAC\n>\nGG\n", "line 5: record 2 has a header without a name", 1},
        {">a\nAC\nA\x01G\n", "line 3: byte 0x01 is not a sequence letter", 1},
        {">a\nAC\nA\xC3\xA9G\n", "line 3: byte 0xC3 is not a sequence letter", 1},
    };
    for (const auto& c : cases) {
        const std::string path = plain("bad.fa", c.text);
        const Read read = readAll(path);
        EXPECT_EQ(read.error, path + ": " + c.error);
        EXPECT_EQ(read.records.size(), c.recordsBefore) << c.text;
    }
    const Read missing = readAll(folder_ / "none.fa");
    EXPECT_NE(missing.error.find("none.fa: cannot open the file"), std::string::npos)
        << missing.error;
    const Read folder = readAll(folder_.root().string());
    EXPECT_NE(folder.error.find("it is a folder"), std::string::npos) << folder.error;
    const Read empty = readAll(plain("empty.fa", ""));
    EXPECT_EQ(empty.error, "");
    EXPECT_TRUE(empty.records.empty());
}

TEST_F(FastaFiles, SamplesFromFasta) {
    std::vector<Sequence> records;
    const Status read =
        readFastaSample(plain("s.fa", ">p1 promoter\nacg\nTA\n>p2\nGGCCA\n"), records);
    ASSERT_TRUE(read.ok) << read.message;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "p1");
    EXPECT_EQ(records[0].text, "ACGTA");
    EXPECT_EQ(records[0].length, 5);
    EXPECT_EQ(records[0].startPosition, 1);
    EXPECT_EQ(records[1].text, "GGCCA");

    const std::string noLetters = plain("n.fa", ">p1\nAC\n>p2\n\n>p3\nA\n");
    const Status empty = readFastaSample(noLetters, records);
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.message, noLetters + ": line 3: record 2 (p2) has no letters");
    EXPECT_EQ(empty.file, noLetters);
    EXPECT_EQ(empty.line, 3);
    EXPECT_EQ(empty.record, 2);
    EXPECT_TRUE(records.empty());
    const std::string none = plain("none.fa", "\n\n");
    const Status noRecords = readFastaSample(none, records);
    EXPECT_FALSE(noRecords.ok);
    EXPECT_EQ(noRecords.message, none + ": no FASTA records (no line beginning with '>')");
}

TEST_F(FastaFiles, SampleRecordsKeepTheirWholeHeaderBesideTheName) {
    const struct {
        const char* header;
        const char* name;
        const char* description;  // empty: the header is the name alone
    } cases[] = {
        {"p1 promoter", "p1", "p1 promoter"},
        {"ecoli_r chrX:1-100 strand=+", "ecoli_r", "ecoli_r chrX:1-100 strand=+"},
        {"p2", "p2", ""},
        {"  p3\tgene  x \t", "p3", "p3 gene  x"},
        {"p4\t", "p4", ""},
    };
    std::string fasta;
    for (const auto& c : cases) fasta += std::string(">") + c.header + "\nACGT\n";
    std::vector<Sequence> records;
    const Status read = readFastaSample(plain("h.fa", fasta), records);
    ASSERT_TRUE(read.ok) << read.message;
    ASSERT_EQ(records.size(), std::size(cases));
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.header);
        EXPECT_EQ(records[i].name, c.name);
        EXPECT_EQ(records[i].description, c.description);
        EXPECT_EQ(records[i].shownName(), *c.description ? c.description : c.name);
    }
    // A record given new texts forgets the header it was read with.
    records[0].assign("ACGT", "renamed", 1);
    EXPECT_EQ(records[0].shownName(), "renamed");
}

TEST(FastaPath, Extensions) {
    for (const char* path : {"g.fa", "g.FASTA", "dir.x/g.fna", "g.fas", "g.fa.gz", "G.FNA.GZ"})
        EXPECT_TRUE(isFastaPath(path)) << path;
    for (const char* path : {"g.seq", "g.gz", "g.fa.bz2", "fa", "g.fastq", "g.fa.gz.seq"})
        EXPECT_FALSE(isFastaPath(path)) << path;
}

}  // namespace
}  // namespace motifora
