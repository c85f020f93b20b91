// The scan's files: checked before the work, put in place all together or not at all, the
// bigWig holding the bedGraph's values.
#include <bigWig.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "../classify/ClassifyTestSupport.h"
#include "genome/GenomeScan.h"
#include "genome/TrackWriter.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

namespace fs = std::filesystem;

class TrackFiles : public ::testing::Test {
  protected:
    // Scans a generated genome of `letters` letters per record (three records) with the tiny
    // model into `paths`; returns the status of Finish, or of the scan's failure.
    Status scanInto(const TrackPaths& paths, size_t letters) {
        std::string fasta;
        for (const char* name : {"chrB", "chrA", "chr10"}) {
            fasta += std::string(">") + name + "\n";
            for (size_t i = 0; i < letters; ++i) fasta.push_back("ACGTN"[(i * i + 3 * i) % 5]);
            fasta += "\n";
        }
        const std::string genome = folder_.write("g.fa", fasta);
        ScanSettings settings;
        settings.classes = {0};
        settings.bothStrands = true;
        settings.hits = true;
        settings.level = 1.0;
        settings.threads = 2;
        settings.pieceLetters = 1 << 14;
        std::string error;
        if (!scanner_.Prepare(model_.engine, model_.storage->codeTable, settings, error))
            return Status::failure(error);
        TrackWriter writer;
        const Status opened = writer.Open(paths);
        if (!opened) return opened;
        writer.Begin("tiny.dnp", settings);
        if (!scanner_.Scan(genome, writer, error))
            return writer.Abandon(
                Status::failure(writer.Failure().empty() ? error : writer.Failure()));
        return writer.Finish();
    }
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_.root()))
            found.insert(entry.path().filename().string());
        return found;
    }

    TinyModel model_;
    GenomeScanner scanner_;
    test::TempDir folder_{"motifora-tracks"};
};

TEST_F(TrackFiles, TheBigWigHoldsTheBedGraphsValues) {
    const Status written =
        scanInto({folder_ / "hits.bed", folder_ / "scores.bedGraph", folder_ / "scores.bw"}, 70000);
    ASSERT_TRUE(written.ok) << written.message;
    // The bedGraph's lines, as single-precision numbers.
    std::map<std::pair<std::string, uint32_t>, float> expected;
    std::istringstream lines(test::readBytes(folder_ / "scores.bedGraph"));
    std::string line;
    std::getline(lines, line);  // the track line
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string chrom;
        uint32_t start = 0;
        uint32_t end = 0;
        double value = 0.0;
        fields >> chrom >> start >> end >> value;
        ASSERT_EQ(end, start + 1);
        expected[{chrom, start}] = static_cast<float>(value);
    }
    ASSERT_GT(expected.size(), 100000u);

    ASSERT_EQ(bwInit(1 << 17), 0);
    bigWigFile_t* file = bwOpen((folder_ / "scores.bw").c_str(), nullptr, "r");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->cl->nKeys, 3);
    std::map<std::pair<std::string, uint32_t>, float> read;
    for (int64_t c = 0; c < file->cl->nKeys; ++c) {
        const std::string chrom = file->cl->chrom[c];
        EXPECT_EQ(file->cl->len[c], 70000u) << chrom;
        bwOverlappingIntervals_t* found =
            bwGetOverlappingIntervals(file, chrom.c_str(), 0, file->cl->len[c]);
        ASSERT_NE(found, nullptr);
        for (uint32_t i = 0; i < found->l; ++i) {
            ASSERT_EQ(found->end[i], found->start[i] + 1);
            read[{chrom, found->start[i]}] = found->value[i];
        }
        bwDestroyOverlappingIntervals(found);
    }
    bwClose(file);
    EXPECT_TRUE(read == expected) << read.size() << " values read, " << expected.size()
                                  << " in the bedGraph";
    EXPECT_EQ(names(), (std::set<std::string>{"g.fa", "hits.bed", "scores.bedGraph", "scores.bw"}));
}

TEST_F(TrackFiles, OutputsAreCheckedBeforeTheWork) {
    std::ofstream(folder_ / "kept.bed") << "earlier\n";
    fs::create_symlink("kept.bed", folder_ / "link.bed");
    ASSERT_EQ(::mkfifo((folder_ / "pipe.bw").c_str(), 0600), 0);
    const struct {
        TrackPaths paths;
        std::string message;
    } cases[] = {
        {{folder_ / "kept.bed", folder_ / "kept.bed", ""},
         "--bed and --bedgraph name the same file"},
        {{folder_ / "link.bed", "", folder_ / "kept.bed"}, "--bed and --bigwig name the same file"},
        {{"", folder_ / "./x.bg", folder_ / "x.bg"}, "--bedgraph and --bigwig name the same file"},
        {{folder_ / "new.bed", "", folder_ / "pipe.bw"}, "must be a regular file"},
        {{folder_ / "new.bed", folder_ / "no/such/folder.bg", ""}, "no/such/folder.bg"},
    };
    for (const auto& c : cases) {
        TrackWriter writer;
        const Status opened = writer.Open(c.paths);
        EXPECT_FALSE(opened.ok) << c.message;
        EXPECT_NE(opened.message.find(c.message), std::string::npos) << opened.message;
    }
    EXPECT_EQ(test::readBytes(folder_ / "kept.bed"), "earlier\n");
    EXPECT_EQ(names(), (std::set<std::string>{"kept.bed", "link.bed", "pipe.bw"}));
}

// A disk that fills up while the bedGraph is written (a file size limit, in a child process):
// the scan stops, the BED written so far does not replace the earlier one, and the message
// names both files as not written.
TEST_F(TrackFiles, AFailedWriteLeavesEveryEarlierFileAsItWas) {
    std::ofstream(folder_ / "hits.bed") << "earlier hits\n";
    std::ofstream(folder_ / "scores.bedGraph") << "earlier scores\n";
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{200000, 200000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const Status status =
            scanInto({folder_ / "hits.bed", folder_ / "scores.bedGraph", ""}, 200000);
        const bool named =
            status.message.find("Cannot write \"" + folder_ / "scores.bedGraph") == 0 &&
            status.message.find("Not written: \"" + folder_ / "hits.bed" + "\" and \"" +
                                folder_ / "scores.bedGraph" + "\".") != std::string::npos;
        if (!named) std::fprintf(stderr, "%s\n", status.message.c_str());
        ::_exit(!status.ok && named ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(test::readBytes(folder_ / "hits.bed"), "earlier hits\n");
    EXPECT_EQ(test::readBytes(folder_ / "scores.bedGraph"), "earlier scores\n");
    EXPECT_EQ(names(), (std::set<std::string>{"g.fa", "hits.bed", "scores.bedGraph"}));
}

}  // namespace
}  // namespace motifora::testing
