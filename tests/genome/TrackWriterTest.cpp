// The scan's files: their lines against the scan's results, checked before the work, put in
// place all together or not at all, the bigWig holding the bedGraph's values.
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
#include "support/FormerTrackLines.h"
#include "support/ScanRecorder.h"
#include "support/Seed.h"
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

// The files of scans of a generated model and genome, whatever the threads, piece sizes and
// merging, against the lines of the scanner's own results written one by one.
TEST(TrackLines, EqualTheScansResultsLineByLine) {
    const uint32_t seed = test::testSeed("track lines", 20261208u);
    std::mt19937 random(seed);
    TrainedModel model;
    trainModel(model, random, "ACGT", 9, 300, false);
    ASSERT_GE(model.engine.idealObjectCount, 2);
    std::string fasta;
    for (int r = 0; r < 3; ++r) {
        fasta += ">rec" + std::to_string(r) + " generated\n";
        const size_t length = r == 1 ? 7 : 40000 + static_cast<size_t>(r) * 12345;
        for (size_t i = 0; i < length; ++i) {
            // N runs, so that some windows have no score.
            fasta.push_back(i % 5000 < 20 ? 'N' : "ACGT"[random() % 4]);
            if (i % 60 == 59) fasta.push_back('\n');
        }
        fasta += "\n";
    }
    const test::TempDir folder("motifora-track-lines");
    const std::string genome = folder.write("g.fa", fasta);

    for (const bool merge : {false, true}) {
        ScanSettings settings;
        settings.classes = {1, 0};
        settings.bothStrands = true;
        settings.hits = true;
        settings.level = 0.5;
        settings.merge = merge;
        // The expected lines, from the scanner's results.
        std::string error;
        GenomeScanner reference;
        test::ScanRecorder recorder;
        ASSERT_TRUE(reference.Prepare(model.engine, model.storage->codeTable, settings, error));
        ASSERT_TRUE(reference.Scan(genome, recorder, error)) << error;
        ASSERT_GT(recorder.hits.size(), 100u);
        std::string bedGraph;
        for (const auto& window : recorder.all) {
            if (window.valid)
                test::formerBedGraphLine(bedGraph, window.record, window.start, window.start + 1,
                                         window.best);
        }
        std::string bed;
        for (const auto& [record, hit] : recorder.hits) {
            test::formerBedLine(bed, record, hit.start, hit.end,
                                hit.classOrder == 0 ? "class2" : "class1", hit.score, hit.strand);
        }
        for (const int32_t threads : {1, 3}) {
            for (const size_t piece : {size_t{100}, size_t{1} << 15, size_t{1} << 18}) {
                SCOPED_TRACE("seed " + std::to_string(seed) + " merge " + std::to_string(merge) +
                             " threads " + std::to_string(threads) + " piece " +
                             std::to_string(piece));
                settings.threads = threads;
                settings.pieceLetters = piece;
                GenomeScanner scanner;
                ASSERT_TRUE(
                    scanner.Prepare(model.engine, model.storage->codeTable, settings, error));
                TrackWriter writer;
                ASSERT_TRUE(writer.Open({folder / "hits.bed", folder / "scores.bedGraph", ""}).ok);
                writer.Begin("m.dnp", settings);
                ASSERT_TRUE(scanner.Scan(genome, writer, error)) << error;
                ASSERT_TRUE(writer.Finish().ok);
                const std::string bedFile = test::readBytes(folder / "hits.bed");
                const std::string graphFile = test::readBytes(folder / "scores.bedGraph");
                // After each file's track line.
                EXPECT_TRUE(bedFile.substr(bedFile.find('\n') + 1) == bed);
                EXPECT_TRUE(graphFile.substr(graphFile.find('\n') + 1) == bedGraph);
            }
        }
    }
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
