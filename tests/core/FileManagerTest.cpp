// Tests of the ".seq" reader: record count, character-level parsing and the file operations.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/FileManager.h"
#include "support/TempDir.h"

namespace motifora {
namespace {

struct Parsed {
    int counted = 0;
    SeqReadResult result;
    std::vector<Sequence> records;
};

// Counts, sizes the array by the count and parses, as a load does.
Parsed parse(std::string_view bytes) {
    Parsed p;
    p.counted = countSeqRecords(bytes);
    p.records.resize(static_cast<size_t>(p.counted));
    p.result = parseSeqBuffer(bytes, p.records.data(), p.counted);
    if (p.result.ok()) p.records.resize(static_cast<size_t>(p.result.count));
    return p;
}

struct GoodCase {
    const char* what;
    std::string bytes;
    std::vector<std::pair<std::string, std::string>> records;  // name, text
};

TEST(SeqReader, AcceptedFiles) {
    const std::vector<GoodCase> cases = {
        {"empty file", "", {}},
        {"blank lines only", "\n\r\n  \t\n", {}},
        {"no '>' at all", "ACGT\nname;TTTT\n", {}},
        {"two records", ">a;ACGT\n>b;GGCC\n", {{"a", "ACGT"}, {"b", "GGCC"}}},
        {"no final line end", ">a;ACGT\n>b;GGCC", {{"a", "ACGT"}, {"b", "GGCC"}}},
        {"letters over several lines", ">a;AC\nGT\n\nTT\n>b;G\n", {{"a", "ACGTTT"}, {"b", "G"}}},
        {"CR LF line ends", ">a;AC\r\nGT\r\n>b;G\r\n", {{"a", "ACGT"}, {"b", "G"}}},
        {"blanks and tabs dropped", ">my name;A C\tG \n T\n", {{"myname", "ACGT"}}},
        {"name on its own line", ">prom1;\nACGT\n", {{"prom1", "ACGT"}}},
        {"case kept", ">x;acGTnN\n", {{"x", "acGTnN"}}},
        {"second record without ';' keeps the name",
         ">a;ACGT\n>CCGG\n",
         {{"a", "ACGT"}, {"a", "CCGG"}}},
        {"last ';' of a record wins", ">a;b;ACGT\n", {{"b", "ACGT"}}},
        {"non-printable and high bytes dropped",
         std::string(">a\x01;AC\xc3\xa9G") + '\0' + "T\x7f\x1b\n",
         {{"a", "ACGT"}}},
        {"printable punctuation kept", ">n-1_(x);A!~\"\n", {{"n-1_(x)", "A!~\""}}},
        {"text before the first '>' ignored", "header line\n; ;\n>a;AC\n", {{"a", "AC"}}},
        {"CR alone inside letters is dropped", ">a;AC\rGT\n", {{"a", "ACGT"}}},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Parsed p = parse(c.bytes);
        ASSERT_TRUE(p.result.ok()) << p.result.status.message;
        ASSERT_EQ(p.result.count, static_cast<int>(c.records.size()));
        EXPECT_EQ(p.counted, p.result.count);
        for (size_t i = 0; i < c.records.size(); ++i) {
            EXPECT_EQ(p.records[i].name, c.records[i].first);
            EXPECT_EQ(p.records[i].text, c.records[i].second);
            EXPECT_EQ(p.records[i].length, static_cast<int32_t>(c.records[i].second.size()));
            EXPECT_EQ(p.records[i].startPosition, 1);
        }
    }
}

struct BadCase {
    const char* what;
    std::string bytes;
    int record;         // expected 1-based record of the fault (0: none)
    int line;           // expected 1-based line
    const char* words;  // part of the message
};

TEST(SeqReader, FormatErrors) {
    const std::vector<BadCase> cases = {
        {"'>' followed by ';'", ">;ACGT\n", 1, 1, "name before \";\" is empty"},
        {"empty name in a later record", ">a;AC\n\n>;GG\n", 2, 3, "name before \";\" is empty"},
        {"two '>' with nothing between", ">a;ACGT\n>\n>b;GG\n", 2, 2, "no letters"},
        {"file ends after a name", ">a;ACGT\n>b;\n", 2, 2, "ends after its name"},
        {"name of Cyrillic letters only", ">\xd0\x9f\xd1\x80\xd0\xbe\xd0\xbc;ACGT\n", 1, 1,
         "empty"},
        {"two ';' in a row", ">a;;ACGT\n", 1, 1, "empty"},
        {"';' after the letters, nothing after it", ">a;AC;\n", 1, 1, "no letters"},
        {"first record without ';'", ">ACGT\n>b;GG\n", 1, 1, "first record"},
        {"only record without ';'", ">seq1\nACGT\n", 1, 1, "first record"},
        {"'>' inside a line", ">a;AC>b;GG\n", 0, 1, "not the first character"},
        {"'>' after a blank", ">a;AC\n >b;GG\n", 0, 2, "not the first character"},
        {"'>' after a lone CR", ">a;AC\r>b;GG\n", 0, 1, "carriage return alone"},
        {"CR-only line ends", ">a;AC\rGT\r>b;GG\r", 0, 1, "carriage return alone"},
        {"UTF-16 little-endian with its mark", std::string("\xFF\xFE>\0a\0;\0A\0", 10), 0, 1,
         "UTF-16"},
        {"UTF-16 big-endian with its mark", std::string("\xFE\xFF\0>\0a\0;\0A", 10), 0, 1,
         "UTF-16"},
        {"UTF-16 little-endian without a mark", std::string(">\0a\0;\0A\0\n\0>\0b\0;\0C\0\n\0", 20),
         0, 2, "UTF-16"},
        {"byte-order mark before the first '>'", "\xEF\xBB\xBF>a;AC\n", 0, 1, "byte-order mark"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Parsed p = parse(c.bytes);
        EXPECT_EQ(p.result.count, -1);
        EXPECT_EQ(p.result.status.record, c.record);
        EXPECT_EQ(p.result.status.line, c.line);
        EXPECT_NE(p.result.status.message.find(c.words), std::string::npos)
            << p.result.status.message;
        EXPECT_LE(p.result.count, p.counted);
    }
}

TEST(SeqReader, FieldsKeepTheirFirst1023Characters) {
    std::string name, letters;
    for (int i = 0; i < 1500; ++i) {
        name.push_back(static_cast<char>('a' + i % 26));
        letters.push_back("ACGT"[i % 4]);
    }
    const Parsed p = parse(">" + name + ";" + letters + "\n>b;" + letters.substr(0, 10) + "\n");
    ASSERT_TRUE(p.result.ok()) << p.result.status.message;
    ASSERT_EQ(p.result.count, 2);
    EXPECT_EQ(p.records[0].name, name.substr(0, 1023));
    EXPECT_EQ(p.records[0].text, letters.substr(0, 1023));
    EXPECT_EQ(p.records[0].length, 1023);
    EXPECT_EQ(p.records[1].text, letters.substr(0, 10));
    ASSERT_EQ(p.result.warnings.size(), 2u);  // the name and the letters were cut
}

TEST(SeqReader, AFileCutInsideItsLastRecordIsReadWithAWarning) {
    const std::string cut =
        "record 3, line 3: the file ends inside a line, without a line end, "
        "and this last record has 2 letters where the one before has 4; "
        "the file may have been cut short";
    const struct {
        std::string bytes;
        std::string last;     // the letters of the last record, kept as read
        std::string warning;  // empty: none
    } cases[] = {
        {">a;ACGT\n>b;ACGA\n>c;AC", "AC", cut},
        {">a;ACGT\n>b;ACGA\n>c;AC\n", "AC", ""},     // a line end: written whole
        {">a;ACGT\n>b;ACGA\n>c;ACGG", "ACGG", ""},   // as long as the one before
        {">a;AC", "AC", ""},                         // nothing to compare with
        {">a;ACGT\n>b;ACGA\n>c;A\r\nC", "AC", cut},  // cut on a later line of its letters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const Parsed p = parse(c.bytes);
        ASSERT_TRUE(p.result.ok()) << p.result.status.message;
        EXPECT_EQ(p.records.back().text, c.last);
        if (c.warning.empty()) {
            EXPECT_TRUE(p.result.warnings.empty());
        } else {
            ASSERT_EQ(p.result.warnings.size(), 1u);
            EXPECT_EQ(p.result.warnings[0], c.warning);
        }
    }
}

TEST(SeqReader, NeverStoresMoreRecordsThanItsRoom) {
    const std::string bytes = ">a;AC\n>b;GG\n>c;TT\n";
    std::vector<Sequence> two(2);
    const SeqReadResult r = parseSeqBuffer(bytes, two.data(), 2);
    EXPECT_EQ(r.count, -1);
    EXPECT_EQ(r.status.record, 3);
    EXPECT_NE(r.status.message.find("more records than were counted"), std::string::npos);
    EXPECT_EQ(two[1].text, "GG");  // the records before the fault were written in place

    const SeqReadResult none = parseSeqBuffer(bytes, nullptr, 5);
    EXPECT_EQ(none.count, -1);
    EXPECT_EQ(parseSeqBuffer("", nullptr, 0).count, 0);
}

TEST(SeqRecordCount, CountsPiecesOfALineReadThatBeginWithGreaterThan) {
    EXPECT_EQ(countSeqRecords(""), 0);
    EXPECT_EQ(countSeqRecords(">a;AC\n>b;GG"), 2);
    EXPECT_EQ(countSeqRecords("x>a;AC\n"), 0);
    EXPECT_EQ(countSeqRecords(">a;AC\r>b;GG\r"), 1);  // a lone CR does not end a line read
    EXPECT_EQ(countSeqRecords(">a\n\n>\n>"), 3);
    // A line read stops after 1022 bytes, so a '>' as the 1023rd byte of a line starts a read.
    EXPECT_EQ(countSeqRecords(std::string(1022, 'A') + ">b;G\n"), 1);
    EXPECT_EQ(countSeqRecords(std::string(1021, 'A') + ">b;G\n"), 0);
    EXPECT_EQ(countSeqRecords(">a;" + std::string(2041, 'A') + "\n>b;G\n"), 2);
    EXPECT_EQ(countSeqRecords(">a;" + std::string(2041, 'A') + ">b;G\n"), 2);
}

TEST(SeqRecordCount, ALongLineWithGreaterThanAtAReadBoundaryIsRefused) {
    // The count sees two records here, the letters only one line: the reader refuses rather
    // than leaving a counted record without text.
    const Parsed p = parse(">a;" + std::string(1019, 'A') + ">b;G\n");
    EXPECT_EQ(p.counted, 2);
    EXPECT_EQ(p.result.count, -1);
}

// For every input the reader accepts, the count and the reader agree, so a load never holds
// records without text; for every input, no more records are stored than counted.
TEST(SeqReader, CountAndReaderAgreeOnGeneratedFiles) {
    const unsigned seed = 20261207;
    std::printf("seed %u\n", seed);
    std::mt19937 rng(seed);
    const std::string alphabet = std::string(">;;ACGTacgt\n\n\r \t\x80\xff") + '\0';
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string bytes;
        const int size = static_cast<int>(rng() % 40);
        if (rng() % 2) bytes = ">n;";
        for (int i = 0; i < size; ++i) bytes.push_back(alphabet[rng() % alphabet.size()]);
        const Parsed p = parse(bytes);
        ASSERT_LE(p.result.count, p.counted) << "round " << round;
        if (p.result.ok()) {
            ++accepted;
            ASSERT_EQ(p.result.count, p.counted) << "round " << round;
            for (const Sequence& s : p.records) {
                ASSERT_FALSE(s.text.empty());
                ASSERT_FALSE(s.name.empty());
            }
        } else {
            ASSERT_FALSE(p.result.status.message.empty());
        }
    }
    EXPECT_GT(accepted, 1000);  // the generator reaches both outcomes
}

class SeqFiles : public ::testing::Test {
  protected:
    test::TempDir dir_{"motifora-seq"};
};

TEST_F(SeqFiles, OpenCountAndReadInCallingOrder) {
    const std::string path = dir_.write("sample.seq", ">a;ACGT\n>b;GG\n>CCCC\n");
    FileManager fm;
    ASSERT_TRUE(fm.open(path, 2));
    EXPECT_EQ(fm.fileName, path);
    EXPECT_EQ(fm.extension, ".seq");
    EXPECT_EQ(fm.stream, nullptr);  // open only checks and closes again
    const int n = fm.countRecords();
    ASSERT_EQ(n, 3);
    std::vector<Sequence> recs(static_cast<size_t>(n));
    EXPECT_EQ(fm.readSequences(recs.data(), 0), 3);
    EXPECT_TRUE(fm.errorText().empty());
    EXPECT_EQ(recs[2].name, "b");
    EXPECT_EQ(recs[2].text, "CCCC");
}

TEST_F(SeqFiles, ReadsAtAnOffset) {
    const std::string path = dir_.write("sample.seq", ">a;AC\n>b;GG\n");
    FileManager fm;
    ASSERT_TRUE(fm.open(path, 2));
    std::vector<Sequence> recs(3);
    EXPECT_EQ(fm.readSequences(recs.data(), 1, 3), 2);
    EXPECT_EQ(recs[0].length, 0);
    EXPECT_EQ(recs[1].text, "AC");
    EXPECT_EQ(recs[2].text, "GG");
    // Without a capacity the room is the count beyond the offset.
    std::vector<Sequence> more(4);
    EXPECT_EQ(fm.readSequences(more.data(), 2), 2);
    EXPECT_EQ(more[3].text, "GG");
    // An offset that leaves too little room is a refusal, not a write beyond the array.
    EXPECT_EQ(fm.readSequences(recs.data(), 2, 3), -1);
}

TEST_F(SeqFiles, ExtensionIsComparedWithoutCase) {
    const std::string bytes = ">a;AC\n";
    for (const char* name : {"upper.SEQ", "mixed.SeQ", "x.y.seq"}) {
        SCOPED_TRACE(name);
        std::vector<Sequence> recs;
        Status status;
        EXPECT_TRUE((status = readSeqFile(dir_.write(name, bytes), recs)).ok) << status.message;
        ASSERT_EQ(recs.size(), 1u);
        EXPECT_EQ(recs[0].text, "AC");
    }
}

TEST_F(SeqFiles, OtherExtensionsReadNothingAndTheLoadFails) {
    for (const char* name : {"sample.txt", "sample.seq.bak", "noextension", "sample.sequence"}) {
        SCOPED_TRACE(name);
        const std::string path = dir_.write(name, ">a;AC\n");
        FileManager fm;
        ASSERT_TRUE(fm.open(path, 2));
        std::vector<Sequence> recs(static_cast<size_t>(fm.countRecords()));
        ASSERT_EQ(recs.size(), 1u);
        EXPECT_EQ(fm.readSequences(recs.data(), 0), 0);
        EXPECT_TRUE(recs[0].text.empty());
        EXPECT_NE(fm.errorText().find(".seq"), std::string::npos);

        Status status;
        EXPECT_FALSE((status = readSeqFile(path, recs)).ok);
        EXPECT_TRUE(recs.empty());
        EXPECT_NE(status.message.find(path), std::string::npos) << status.message;
    }
}

TEST_F(SeqFiles, FailuresNameTheFileTheRecordAndTheLine) {
    const std::string path = dir_.write("bad.seq", ">a;AC\n>b;GG\n>\n>d;TT\n");
    std::vector<Sequence> recs(1);
    Status status;
    EXPECT_FALSE((status = readSeqFile(path, recs)).ok);
    EXPECT_TRUE(recs.empty());
    EXPECT_NE(status.message.find(path), std::string::npos) << status.message;
    EXPECT_NE(status.message.find("record 3, line 3"), std::string::npos) << status.message;
    EXPECT_EQ(status.file, path);
    EXPECT_EQ(status.record, 3);
    EXPECT_EQ(status.line, 3);

    FileManager fm;
    ASSERT_TRUE(fm.open(path, 2));
    std::vector<Sequence> arr(static_cast<size_t>(fm.countRecords()));
    EXPECT_EQ(fm.readSequences(arr.data(), 0), -1);
    EXPECT_EQ(fm.lastRead().status.record, 3);
    EXPECT_NE(fm.errorText().find("no letters"), std::string::npos);
    EXPECT_EQ(fm.readSequences(nullptr, 0), -1);
}

TEST_F(SeqFiles, MissingFilesAndFoldersCannotBeOpened) {
    const std::string missing = dir_ / "missing.seq";
    FileManager fm;
    EXPECT_FALSE(fm.open(missing, 2));
    EXPECT_NE(fm.errorText().find(missing), std::string::npos);
    EXPECT_FALSE(fm.open(dir_.root().string(), 2));
    EXPECT_NE(fm.errorText().find("folder"), std::string::npos);
    const std::string folder = dir_ / "folder.seq";
    std::filesystem::create_directory(folder);
    std::vector<Sequence> recs;
    Status status;
    EXPECT_FALSE((status = readSeqFile(folder, recs)).ok);
    EXPECT_FALSE((status = readSeqFile(missing, recs)).ok);
    EXPECT_NE(status.message.find("cannot open"), std::string::npos);
    // Modes other than a sequence-file read are not opened here.
    EXPECT_FALSE(fm.open(dir_.write("ok.seq", ">a;A\n"), 1));
    EXPECT_EQ(fm.mode, 1);
}

TEST_F(SeqFiles, FileWithoutRecordsIsRefusedWithItsReason) {
    struct Case {
        const char* file;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty.seq", "", "the file is empty"},
        {"zeros.seq", std::string(4096, '\0'), "only zero bytes"},
        {"blanks.seq", " \t\r\n\n  \n", "only blanks"},
        {"text.seq", "just text\n", "no line begins with \">\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<Sequence> recs(2);
        Status status;
        std::vector<std::string> warnings{"old"};
        const std::string path = dir_.write(c.file, c.bytes);
        EXPECT_FALSE((status = readSeqFile(path, recs, &warnings)).ok);
        EXPECT_TRUE(recs.empty());
        EXPECT_NE(status.message.find(path), std::string::npos) << status.message;
        EXPECT_NE(status.message.find("holds no records"), std::string::npos) << status.message;
        EXPECT_NE(status.message.find(c.reason), std::string::npos) << status.message;
    }
}

TEST_F(SeqFiles, OnlyRegularFilesNamedSeqAreRead) {
    std::vector<Sequence> recs;
    Status status;
    // The name is judged first: a device is never read.
    EXPECT_FALSE((status = readSeqFile("/dev/zero", recs)).ok);
    EXPECT_NE(status.message.find("must end in \".seq\""), std::string::npos) << status.message;

    const std::string zero = dir_ / "zero.seq";
    std::filesystem::create_symlink("/dev/zero", zero);
    EXPECT_FALSE((status = readSeqFile(zero, recs)).ok);
    EXPECT_NE(status.message.find("character device"), std::string::npos) << status.message;
    FileManager fm;
    EXPECT_FALSE(fm.open(zero, 2));
    EXPECT_NE(fm.errorText().find("character device"), std::string::npos) << fm.errorText();

    // A pipe without a writer would block an open for ever; it is refused unopened.
    const std::string pipe = dir_ / "pipe.seq";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE((status = readSeqFile(pipe, recs)).ok);
    EXPECT_NE(status.message.find("a pipe"), std::string::npos) << status.message;
    EXPECT_FALSE(fm.open(pipe, 2));
    EXPECT_NE(fm.errorText().find("a pipe"), std::string::npos) << fm.errorText();

    // Through a link to a regular file the file is read.
    const std::string real = dir_.write("real.seq", ">a;ACGT\n");
    const std::string link = dir_ / "link.seq";
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE((status = readSeqFile(link, recs)).ok) << status.message;
    EXPECT_EQ(recs.size(), 1u);
}

TEST(SeqExample, BundledPromoterSamplesRead) {
    for (const char* file : {"promoters_pos.seq", "promoters_neg.seq"}) {
        SCOPED_TRACE(file);
        const std::string path = std::string(MOTIFORA_EXAMPLES_DIR) + "/" + file;
        std::ifstream in(path);
        int headers = 0;
        size_t firstLength = 0;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line[0] == '>') {
                if (headers++ == 0) firstLength = line.size() - line.find(';') - 1;
            }
        }
        std::vector<Sequence> recs;
        Status status;
        ASSERT_TRUE((status = readSeqFile(path, recs)).ok) << status.message;
        EXPECT_EQ(static_cast<int>(recs.size()), headers);
        ASSERT_FALSE(recs.empty());
        EXPECT_EQ(static_cast<size_t>(recs[0].length), firstLength);
    }
}

// Binary files are named as what they are, never as UTF-16 text or a format error; text with a
// stray control byte, UTF-16 text and zero-filled files are left to the reader's own words.
TEST(SeqReader, BinaryContentIsNamedForWhatItIs) {
    std::string controls;
    for (int i = 0; i < 300; ++i) controls += static_cast<char>(i % 2 == 0 ? 'A' : 1 + i % 8);
    const struct {
        const char* what;
        std::string bytes;
        const char* reason;  // empty: not binary
    } cases[] = {
        {"an executable",
         std::string("\x7F"
                     "ELF\x02\x01",
                     6) +
             std::string(40, '\0'),
         "an executable program"},
        {"a zip archive", "PK\x03\x04rest", "a ZIP archive"},
        {"many control bytes", controls, "binary data (150 control bytes in its first 300)"},
        {"a few stray control bytes", ">a;AC\x01G\x1bT\n>b;ACGT\n", ""},
        {"UTF-16 text", std::string(">\0a\0;\0A\0\n\0>\0b\0;\0C\0\n\0", 20), ""},
        {"zero bytes only", std::string(64, '\0'), ""},
        {"plain text", ">a;ACGT\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(binaryContentReason(c.bytes), c.reason);
        std::vector<Sequence> records;
        const Status status = readSeqBytes("x.seq", c.bytes, records);
        EXPECT_EQ(status.message.find("is not a text file") != std::string::npos, *c.reason != '\0')
            << status.message;
    }
}

}  // namespace
}  // namespace motifora
