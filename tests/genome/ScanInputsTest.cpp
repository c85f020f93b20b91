// What the genome scan refuses or works around in its input (duplicate names, empty and CR-only
// files, a bgzip file cut short, an index that does not describe its file, a named pipe), and
// how it stops: within a piece when asked to, and at once when its sink cannot take more.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <htslib/bgzf.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../classify/ClassifyTestSupport.h"
#include "genome/FastaIndex.h"
#include "genome/GenomeScan.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

// The windows and notices of a scan, and a failure it reports once `failAfter` pieces came.
struct Collector : ScanSink {
    void windows(const FastaRecord& record, int64_t first, std::span<const double> best,
                 std::span<const uint8_t> valid) override {
        ++pieces;
        for (size_t j = 0; j < best.size(); ++j) {
            if (valid[j] != 0)
                lines += record.name + ":" + std::to_string(first + static_cast<int64_t>(j)) + "=" +
                         std::to_string(best[j]) + "\n";
        }
    }
    void notice(const std::string& text) override { notices.push_back(text); }
    std::string Failure() const override {
        return failAfter > 0 && pieces >= failAfter ? "the disk is full" : std::string();
    }
    int pieces = 0;
    int failAfter = 0;
    std::string lines;
    std::vector<std::string> notices;
};

class ScanInputs : public ::testing::Test {
  protected:
    // Scans `path` with the tiny model (one class of width 2) on the + strand.
    bool scan(const std::string& path, Collector& into, std::string& error,
              ScanSettings settings = {}) {
        if (settings.classes.empty()) settings.classes = {0};
        if (!scanner_.Prepare(model_.engine, model_.storage->codeTable, settings, error))
            return false;
        return scanner_.Scan(path, into, error);
    }
    // The letters of a record of `length`, in lines of `width`.
    static std::string record(const std::string& name, size_t length, size_t width = 7) {
        std::string text = ">" + name + " test\n";
        for (size_t i = 0; i < length; i += width) {
            for (size_t j = i; j < std::min(length, i + width); ++j)
                text.push_back("ACGT"[(j * 7 + name.size()) % 4]);
            text.push_back('\n');
        }
        return text;
    }

    TinyModel model_;
    GenomeScanner scanner_;
    test::TempDir folder_{"motifora-scan-inputs"};
};

TEST_F(ScanInputs, FilesThatAreNotWhatTheySeemAreRefused) {
    const struct {
        const char* name;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"empty.fa", "", "empty.fa: no FASTA records (no line beginning with '>')"},
        {"cr.fa", ">chr1\rACGTACGT\rACGT\r",
         "cr.fa: line 1: a carriage return (CR) is not followed by a line feed"},
        {"cr2.fa", ">chr1\nACGT\rACGT\n", "cr2.fa: line 2: a carriage return (CR)"},
        {"headers.fa", ">chr1\n>chr2\n\n", "headers.fa: the records hold no letters"},
        {"twice.fa", record("chr1", 20) + record("chr2", 5) + record("chr1", 9),
         "twice.fa: record 3 (line 7) has the name \"chr1\" of record 1; records are told apart "
         "by name"},
    };
    for (const auto& c : cases) {
        Collector collector;
        std::string error;
        EXPECT_FALSE(scan(folder_.write(c.name, c.bytes), collector, error)) << c.name;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    }
    // CR LF line ends stay welcome.
    Collector crlf;
    std::string error;
    EXPECT_TRUE(scan(folder_.write("crlf.fa", ">chr1 x\r\nACGT\r\nAC\r\n"), crlf, error)) << error;
    EXPECT_EQ(scanner_.Totals().letters, 6);
}

TEST_F(ScanInputs, ABgzipFileCutAtABlockBoundaryIsRefused) {
    const std::string whole = folder_ / "g.fa.gz";
    BGZF* file = bgzf_open(whole.c_str(), "w");
    const std::string fasta = record("chr1", 200000) + record("chr2", 100000);
    ASSERT_EQ(bgzf_write(file, fasta.data(), fasta.size()), static_cast<ssize_t>(fasta.size()));
    ASSERT_EQ(bgzf_close(file), 0);
    Collector read;
    std::string error;
    ASSERT_TRUE(scan(whole, read, error)) << error;
    EXPECT_EQ(scanner_.Totals().letters, 300000);

    // Without the empty block bgzip ends its files with, the blocks before read as a whole file.
    const std::string cut = folder_ / "cut.fa.gz";
    std::filesystem::copy_file(whole, cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(whole) - 28);
    Collector refused;
    EXPECT_FALSE(scan(cut, refused, error));
    EXPECT_NE(error.find("cut.fa.gz: the bgzip-compressed file ends without its end-of-file "
                         "block: it was cut short"),
              std::string::npos)
        << error;
    EXPECT_EQ(refused.pieces, 0);
}

// Writes `fai` beside `fasta` and makes it newer than the file by a second.
void writeIndex(const std::string& fasta, const std::string& fai) {
    std::ofstream(fasta + ".fai", std::ios::binary) << fai;
    struct stat info {};
    ASSERT_EQ(::stat(fasta.c_str(), &info), 0);
    const timespec times[2] = {{info.st_mtim.tv_sec + 1, 0}, {info.st_mtim.tv_sec + 1, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (fasta + ".fai").c_str(), times, 0), 0);
}

TEST_F(ScanInputs, AnIndexThatDoesNotDescribeItsFileIsNotUsed) {
    // chr1: 20 letters in lines of 7 from byte 11; chr2: 5 letters from byte 45.
    const std::string fasta = folder_.write("g.fa", record("chr1", 20) + record("chr2", 5));
    ScanSettings settings;
    settings.records = {"chr2", "chr1"};
    Collector reference;
    std::string error;
    ASSERT_TRUE(scan(fasta, reference, error, settings)) << error;
    ASSERT_FALSE(reference.lines.empty());

    const std::string good = "chr1\t20\t11\t7\t8\nchr2\t5\t45\t5\t6\n";
    const struct {
        std::string fai;
        std::string why;  // empty: the index is used
    } cases[] = {
        {good, ""},
        // htslib divides by the line length: 0 ended the program.
        {"chr1\t20\t11\t0\t0\nchr2\t5\t45\t5\t6\n", "line 1: record chr1 has impossible line"},
        {"chr1\t20\t11\t7\t8\nchr2\t5\t44\t5\t6\n", "line 2: record chr2 is not where the index"},
        {"chr1\t26\t11\t7\t8\nchr2\t5\t45\t5\t6\n", "line 1: record chr1 is not where the index"},
        {"chr1\t20\t11\t7\t8\nchr2\t5\t45\t5\t6\nchr1\t1\t11\t7\t8\n",
         "line 3: the name chr1 is given twice"},
        {"chr1\t20\t11\t7\n", "line 1: not NAME, LENGTH, OFFSET, LINEBASES and LINEWIDTH"},
        {"chr1\t-20\t11\t7\t8\n", "line 1: not NAME"},
        {"chr1\t99999999999999999999\t11\t7\t8\n", "line 1: not NAME"},
        {"chr1\t20\t999999999999\t7\t8\n", "line 1: record chr1 is not where the index"},
        // chr2 left out, as an indexer skips a second record of a name.
        {"chr1\t20\t11\t7\t8\n", "the file holds more than the records listed (after byte 33)"},
        {"chr2\t5\t45\t5\t6\n", "the file holds more than the records listed (between byte 0"},
        {"", "lists no record"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fai);
        writeIndex(fasta, c.fai);
        const std::string why = checkFastaIndex(fasta, fasta + ".fai");
        if (c.why.empty())
            EXPECT_EQ(why, "");
        else
            EXPECT_NE(why.find(c.why), std::string::npos) << why;
        // Used or not, the scan reads the right letters; a refused index is named in a notice.
        Collector collector;
        ASSERT_TRUE(scan(fasta, collector, error, settings)) << error;
        EXPECT_EQ(collector.lines, reference.lines);
        EXPECT_EQ(collector.notices.size(), c.why.empty() ? 0u : 1u);
    }

    // An index older than its file: the file changed after indexing.
    writeIndex(fasta, good);
    std::filesystem::last_write_time(
        fasta, std::filesystem::last_write_time(fasta + ".fai") + std::chrono::seconds(5));
    EXPECT_NE(checkFastaIndex(fasta, fasta + ".fai").find("older than"), std::string::npos);
}

TEST_F(ScanInputs, ANamedPipeIsReadWhenAProgramWritesToIt) {
    const std::string pipe = folder_ / "genome.fa";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // Nobody writes: refused once the wait is over, instead of an open that never returns.
    FastaReader reader;
    reader.SetPipeWait(std::chrono::milliseconds(0));
    EXPECT_FALSE(reader.Open(pipe));
    EXPECT_NE(reader.Error().find("nothing was written to this named pipe"), std::string::npos)
        << reader.Error();
    // A stop ends the wait too.
    const std::atomic<bool> stop{true};
    reader.SetPipeWait(std::chrono::hours(1), &stop);
    EXPECT_FALSE(reader.Open(pipe));
    EXPECT_NE(reader.Error().find("stopped while waiting"), std::string::npos) << reader.Error();

    // A writer: its FASTA is scanned as a file would be.
    const std::string fasta = record("chr1", 3000);
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(pipe.c_str(), O_WRONLY);
        const bool ok = fd >= 0 && ::write(fd, fasta.data(), fasta.size()) ==
                                       static_cast<ssize_t>(fasta.size());
        ::_exit(ok ? 0 : 1);
    }
    Collector streamed;
    std::string error;
    const bool scanned = scan(pipe, streamed, error);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(scanned) << error;
    EXPECT_EQ(status, 0);
    Collector fromFile;
    ASSERT_TRUE(scan(folder_.write("file.fa", fasta), fromFile, error)) << error;
    EXPECT_EQ(streamed.lines, fromFile.lines);
}

TEST_F(ScanInputs, StopsBetweenClassesOfAPieceAndAtTheSinksFailure) {
    const std::string path = folder_.write("g.fa", record("chr1", 5000) + record("chr2", 50));
    // Four classes on both strands make eight scoring steps per piece; a stop raised at the
    // third ends the scan there, before the piece is reported.
    std::atomic<bool> stop{false};
    int steps = 0;
    ScanSettings settings;
    settings.classes = {0, 0, 0, 0};
    settings.bothStrands = true;
    settings.stop = &stop;
    settings.onScoringStep = [&] {
        if (++steps == 3) stop.store(true);
    };
    Collector stopped;
    std::string error;
    EXPECT_FALSE(scan(path, stopped, error, settings));
    EXPECT_EQ(error, "the scan was stopped");
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(stopped.pieces, 0);

    // A sink that cannot take more ends the scan after the piece it failed on, with its reason.
    ScanSettings small;
    small.pieceLetters = 64;
    Collector failing;
    failing.failAfter = 2;
    EXPECT_FALSE(scan(path, failing, error, small));
    EXPECT_EQ(error, "the disk is full");
    EXPECT_EQ(failing.pieces, 2);
}

TEST(ClassLists, EachClassIsTakenOnce) {
    const struct {
        const char* text;
        std::vector<int32_t> classes;
    } cases[] = {
        {"1,1", {0}},
        {"2,1-3,2", {1, 0, 2}},
        {"3-4,1-4", {2, 3, 0, 1}},
    };
    for (const auto& c : cases) {
        std::vector<int32_t> classes;
        ASSERT_TRUE(parseClassList(c.text, classes)) << c.text;
        EXPECT_EQ(classes, c.classes) << c.text;
    }
    // The widest list the parser takes, named twice over, in linear time.
    std::vector<int32_t> all;
    ASSERT_TRUE(parseClassList("1000000,1-1000000,1-1000000", all));
    ASSERT_EQ(all.size(), 1'000'000u);
    EXPECT_EQ(all.front(), 999'999);
    EXPECT_EQ(all[1], 0);
}

}  // namespace
}  // namespace motifora::testing
