// The genome scan against the classificator's score of every window on both strands, its hit
// coordinates, merging, pieces and threads, and its refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "../classify/ClassifyTestSupport.h"
#include "classify/Classificator.h"
#include "genome/GenomeScan.h"
#include "support/ScanRecorder.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

using Recorder = test::ScanRecorder;

// Settings that report the windows of `classes` scoring at least `level` on both strands.
ScanSettings hitsOnBothStrands(const std::vector<int32_t>& classes, double level) {
    ScanSettings settings;
    settings.classes = classes;
    settings.bothStrands = true;
    settings.hits = true;
    settings.level = level;
    return settings;
}

// Scans `path` into `recorder` with `scanner` prepared from `settings`; a refusal of either step
// fails the test with the scanner's message.
void scanInto(GenomeScanner& scanner, Classificator& engine, const CCodeTable& table,
              const ScanSettings& settings, const std::string& path, Recorder& recorder) {
    std::string error;
    ASSERT_TRUE(scanner.Prepare(engine, table, settings, error)) << error;
    ASSERT_TRUE(scanner.Scan(path, recorder, error)) << error;
}

class GenomeScanTest : public ::testing::Test {
  protected:
    test::TempDir folder_{"motifora-scan"};
};

TEST_F(GenomeScanTest, HitCoordinatesAndReverseComplementAtRecordEnds) {
    TinyModel model;
    // Forward: "AC" at 0-based 2 only. Reverse complement of GTTGGGT is ACCCAAC: "AC" at its
    // starts 0 and 5, which are the forward windows [5, 7) and [0, 2), the record's two ends.
    const std::string path = folder_.write("g.fa", ">fw\nCCACCC\n>rv\nGTTGGGT\n>short\nA\n");
    const ScanSettings settings = hitsOnBothStrands({0}, 1.0);
    GenomeScanner scanner;
    Recorder recorder;
    ASSERT_NO_FATAL_FAILURE(
        scanInto(scanner, model.engine, model.storage->codeTable, settings, path, recorder));
    ASSERT_EQ(recorder.hits.size(), 3u);
    EXPECT_EQ(recorder.hits[0].first, "fw");
    EXPECT_EQ(recorder.hits[0].second.start, 2);
    EXPECT_EQ(recorder.hits[0].second.end, 4);
    EXPECT_EQ(recorder.hits[0].second.strand, '+');
    EXPECT_EQ(recorder.hits[0].second.score, std::log(4.0));
    EXPECT_EQ(recorder.hits[1].first, "rv");
    EXPECT_EQ(recorder.hits[1].second.start, 0);
    EXPECT_EQ(recorder.hits[1].second.end, 2);
    EXPECT_EQ(recorder.hits[1].second.strand, '-');
    EXPECT_EQ(recorder.hits[2].second.start, 5);
    EXPECT_EQ(recorder.hits[2].second.end, 7);
    EXPECT_EQ(recorder.hits[2].second.strand, '-');
    // A record shorter than the window is read and has no windows.
    EXPECT_EQ(recorder.starts, (std::vector<std::string>{"fw", "rv", "short"}));
    EXPECT_EQ(recorder.lengths["short"], 1);
    EXPECT_EQ(recorder.all.size(), 5u + 6u);
    EXPECT_EQ(scanner.Totals().records, 3);
    EXPECT_EQ(scanner.Totals().letters, 14);
    EXPECT_EQ(scanner.Totals().hits, 3);
}

TEST_F(GenomeScanTest, RefusesWhatItCannotScan) {
    TinyModel model;
    GenomeScanner scanner;
    std::string error;
    ScanSettings settings;
    EXPECT_FALSE(scanner.Prepare(model.engine, model.storage->codeTable, settings, error));
    EXPECT_EQ(error, "no class was chosen (the model holds 1 classes)");
    settings.classes = {1};
    EXPECT_FALSE(scanner.Prepare(model.engine, model.storage->codeTable, settings, error));
    EXPECT_EQ(error, "class 2 does not exist (the model holds 1 classes)");

    // An alphabet with a letter other than A, C, G, T has no reverse complement.
    auto storage = makeStorage({"AN"});
    auto store = makeStore({}, 2);
    IdealObjectArray classes;
    Classificator engine;
    engine.Setup(storage.get(), store.get(), &classes, IdealizationType::kDeletingBegin);
    auto ideal = std::make_unique<CIdelObject>();
    ideal->InitEmpty(2, 2);
    classes.push_back(std::move(ideal));
    engine.idealObjectCount = 1;
    settings.classes = {0};
    settings.bothStrands = true;
    EXPECT_FALSE(scanner.Prepare(engine, storage->codeTable, settings, error));
    EXPECT_NE(error.find("this model's alphabet is \"AN\""), std::string::npos) << error;
    settings.bothStrands = false;
    EXPECT_TRUE(scanner.Prepare(engine, storage->codeTable, settings, error));

    Recorder recorder;
    settings.records = {"chr9"};
    ASSERT_TRUE(scanner.Prepare(engine, storage->codeTable, settings, error));
    EXPECT_FALSE(scanner.Scan(folder_.write("g.fa", ">chr1\nAAAA\n"), recorder, error));
    EXPECT_EQ(error, "no record named \"chr9\" in the genome file");
    EXPECT_FALSE(scanner.Scan(folder_ / "missing.fa", recorder, error));
    EXPECT_NE(error.find("missing.fa: cannot open the file"), std::string::npos) << error;

    // A stop raised before the scan ends it before the first piece is scored.
    std::atomic<bool> stop{true};
    settings.records.clear();
    settings.stop = &stop;
    ASSERT_TRUE(scanner.Prepare(engine, storage->codeTable, settings, error));
    Recorder stopped;
    EXPECT_FALSE(scanner.Scan(folder_.write("s.fa", ">a\nAAAA\n>b\nAAAA\n"), stopped, error));
    EXPECT_EQ(error, "the scan was stopped");
    EXPECT_TRUE(stopped.all.empty());
    EXPECT_EQ(stopped.starts.size(), 1u);
}

// Generated model, genome with N runs and soft-masked stretches, several records; every window
// of both strands against the classificator's score, for several piece sizes and thread counts.
TEST_F(GenomeScanTest, EqualsClassificatorOnEveryWindowOfBothStrands) {
    const uint32_t seed = 20261207u;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const int32_t width = 9;
    auto storage = makeStorage(randomRows(random, 40, width));
    auto store = randomRules(random, *storage, 300, false);
    IdealObjectArray classes;
    Classificator engine;
    engine.Setup(storage.get(), store.get(), &classes, IdealizationType::kDeletingBegin);
    for (int32_t j = 0; j < 10; ++j) engine.IdealizeAndRegister(&storage->learnObjects[j], -1);
    ASSERT_GE(engine.idealObjectCount, 2);

    std::vector<std::pair<std::string, std::string>> records;
    std::string fasta;
    for (int r = 0; r < 4; ++r) {
        std::string letters;
        const size_t length = r == 2 ? 5 : 150 + static_cast<size_t>(r) * 97;
        for (size_t i = 0; i < length; ++i) letters.push_back("ACGT"[random() % 4]);
        if (letters.size() > 40) {
            letters.replace(20, 3, "NNN");
            letters[letters.size() - 2] = 'R';
            for (size_t i = 30; i < 40; ++i) letters[i] = static_cast<char>(letters[i] + 32);
        }
        records.emplace_back("rec" + std::to_string(r), letters);
        fasta += ">rec" + std::to_string(r) + " generated\n";
        for (size_t i = 0; i < letters.size(); i += 60) fasta += letters.substr(i, 60) + "\n";
    }
    const std::string path = folder_.write("g.fa", fasta);

    // The reference: every window of both strands scored by the classificator.
    const std::vector<int32_t> chosen = {1, 0};
    const double level = 0.5;
    std::vector<Recorder::Window> expectedWindows;
    std::vector<std::pair<std::string, ScanHit>> expectedHits;
    const CCodeTable& table = storage->codeTable;
    const std::map<char, char> complement = {{'A', 'T'}, {'C', 'G'}, {'G', 'C'}, {'T', 'A'}};
    for (const auto& [name, raw] : records) {
        std::string letters = raw;
        for (char& c : letters) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (size_t s = 0; s + width <= letters.size(); ++s) {
            const std::string forward = letters.substr(s, width);
            if (forward.find_first_not_of("ACGT") != std::string::npos) {
                expectedWindows.push_back({name, static_cast<int64_t>(s), 0.0, false});
                continue;
            }
            std::string reverse(forward.rbegin(), forward.rend());
            for (char& c : reverse) c = complement.at(c);
            bool any = false;
            double best = 0.0;
            for (size_t order = 0; order < chosen.size(); ++order) {
                for (const char strand : {'+', '-'}) {
                    const std::string& text = strand == '+' ? forward : reverse;
                    SEQSElem object;
                    object.allocate(width, 0);
                    for (int32_t p = 0; p < width; ++p)
                        object.setCode(table.codeOf(static_cast<unsigned char>(text[p])), p);
                    const double score = engine.ScoreObject(object, 0, chosen[order]);
                    if (!any || score > best) best = score;
                    any = true;
                    if (score >= level) {
                        expectedHits.push_back(
                            {name,
                             {static_cast<int64_t>(s), static_cast<int64_t>(s) + width,
                              static_cast<int32_t>(order), strand, score}});
                    }
                }
            }
            expectedWindows.push_back({name, static_cast<int64_t>(s), best, true});
        }
    }
    ASSERT_FALSE(expectedHits.empty());

    for (const size_t piece : {size_t{64}, size_t{100}, size_t{1} << 18}) {
        for (const int32_t threads : {1, 3}) {
            SCOPED_TRACE("piece " + std::to_string(piece) + " threads " + std::to_string(threads));
            ScanSettings settings = hitsOnBothStrands(chosen, level);
            settings.threads = threads;
            settings.pieceLetters = piece;
            GenomeScanner scanner;
            Recorder recorder;
            ASSERT_NO_FATAL_FAILURE(scanInto(scanner, engine, table, settings, path, recorder));
            ASSERT_EQ(recorder.all.size(), expectedWindows.size());
            for (size_t i = 0; i < expectedWindows.size(); ++i) {
                const auto& got = recorder.all[i];
                const auto& want = expectedWindows[i];
                ASSERT_EQ(got.record, want.record);
                ASSERT_EQ(got.start, want.start);
                ASSERT_EQ(got.valid, want.valid) << want.record << ":" << want.start;
                if (want.valid) {
                    EXPECT_TRUE(sameBits(got.best, want.best)) << want.record << ":" << want.start;
                }
            }
            ASSERT_EQ(recorder.hits.size(), expectedHits.size());
            for (size_t i = 0; i < expectedHits.size(); ++i) {
                const ScanHit& got = recorder.hits[i].second;
                const ScanHit& want = expectedHits[i].second;
                EXPECT_EQ(recorder.hits[i].first, expectedHits[i].first);
                EXPECT_EQ(got.start, want.start);
                EXPECT_EQ(got.end, want.end);
                EXPECT_EQ(got.classOrder, want.classOrder);
                EXPECT_EQ(got.strand, want.strand);
                EXPECT_TRUE(sameBits(got.score, want.score));
            }
            int64_t skipped = 0;
            for (const auto& w : expectedWindows) skipped += w.valid ? 0 : 1;
            EXPECT_EQ(scanner.Totals().skippedWindows, skipped);
            EXPECT_GT(skipped, 0);
        }
    }

    // Merged: per record, class and strand, runs of overlapping hits become one interval with
    // the best score, sorted by start, end, class and strand.
    std::vector<std::pair<std::string, ScanHit>> expectedMerged;
    for (const auto& [name, letters] : records) {
        std::vector<ScanHit> runs;
        for (size_t order = 0; order < chosen.size(); ++order) {
            for (const char strand : {'+', '-'}) {
                ScanHit open;
                bool active = false;
                for (const auto& [record, hit] : expectedHits) {
                    if (record != name || hit.classOrder != static_cast<int32_t>(order) ||
                        hit.strand != strand)
                        continue;
                    if (active && hit.start < open.end) {
                        open.end = hit.end;
                        open.score = std::max(open.score, hit.score);
                    } else {
                        if (active) runs.push_back(open);
                        open = hit;
                        active = true;
                    }
                }
                if (active) runs.push_back(open);
            }
        }
        std::sort(runs.begin(), runs.end(), [](const ScanHit& a, const ScanHit& b) {
            return std::tie(a.start, a.end, a.classOrder, a.strand) <
                   std::tie(b.start, b.end, b.classOrder, b.strand);
        });
        for (const ScanHit& run : runs) expectedMerged.push_back({name, run});
    }
    ScanSettings settings = hitsOnBothStrands(chosen, level);
    settings.merge = true;
    settings.pieceLetters = 64;
    GenomeScanner scanner;
    Recorder recorder;
    ASSERT_NO_FATAL_FAILURE(scanInto(scanner, engine, table, settings, path, recorder));
    ASSERT_EQ(recorder.hits.size(), expectedMerged.size());
    EXPECT_LT(expectedMerged.size(), expectedHits.size());
    for (size_t i = 0; i < expectedMerged.size(); ++i) {
        const ScanHit& got = recorder.hits[i].second;
        const ScanHit& want = expectedMerged[i].second;
        EXPECT_EQ(recorder.hits[i].first, expectedMerged[i].first);
        EXPECT_EQ(std::tie(got.start, got.end, got.classOrder, got.strand),
                  std::tie(want.start, want.end, want.classOrder, want.strand));
        EXPECT_TRUE(sameBits(got.score, want.score));
    }
}

}  // namespace
}  // namespace motifora::testing
