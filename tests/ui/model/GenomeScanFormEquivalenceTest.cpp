// The genome-scan window's results against the scanner run as the scan command runs it, on a
// generated model and genome: every hit row, record row and chart point, bit for bit; the
// progress and the hits of a scan stopped in its second piece; the scoring threads it uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "../../classify/ClassifyTestSupport.h"
#include "classify/Classificator.h"
#include "core/WorkerPool.h"
#include "support/ScanRecorder.h"
#include "support/Seed.h"
#include "support/TempDir.h"
#include "ui/model/GenomeScanForm.h"

namespace motifora::testing {
namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A model of width 9 with several classes from random rules, and a genome of a long record (its
// chart bins many windows a point), short ones, one shorter than a window, N runs and
// soft-masked letters.
class GenomeScanFormEquivalence : public ::testing::Test {
  protected:
    void SetUp() override {
        std::mt19937 random(test::testSeed("window scan equivalence", 20261208u));
        storage_ = makeStorage(randomRows(random, 40, kWidth));
        store_ = randomRules(random, *storage_, 300, false);
        engine_.Setup(storage_.get(), store_.get(), &classes_, IdealizationType::kDeletingBegin);
        for (int32_t j = 0; j < 12; ++j)
            engine_.IdealizeAndRegister(&storage_->learnObjects[j], -1);
        ASSERT_GE(engine_.idealObjectCount, 3);
        std::string fasta;
        for (const size_t length : {size_t{170000}, size_t{5}, size_t{1200}, size_t{333}}) {
            std::string letters;
            for (size_t i = 0; i < length; ++i) letters.push_back("ACGT"[random() % 4]);
            if (length > 1000) {
                letters.replace(100, 30, std::string(30, 'N'));
                for (size_t i = 500; i < 540; ++i) letters[i] = static_cast<char>(letters[i] + 32);
            }
            fasta += ">r" + std::to_string(fasta.size()) + " generated\n";
            for (size_t i = 0; i < letters.size(); i += 60) fasta += letters.substr(i, 60) + "\n";
        }
        genome_ = folder_.write("g.fa", fasta);
    }

    // The scan as the command runs it: classes 1 and 3, both strands, one thread.
    test::ScanRecorder referenceScan(bool hits, double level, ScanTotals& totals) {
        ScanSettings settings;
        settings.classes = {0, 2};
        settings.bothStrands = true;
        settings.hits = hits;
        settings.level = level;
        GenomeScanner scanner;
        test::ScanRecorder recorder;
        std::string error;
        EXPECT_TRUE(scanner.Prepare(engine_, storage_->codeTable, settings, error)) << error;
        EXPECT_TRUE(scanner.Scan(genome_, recorder, error)) << error;
        totals = scanner.Totals();
        return recorder;
    }

    static constexpr int32_t kWidth = 9;
    test::TempDir folder_{"motifora-scanform-equal"};
    std::unique_ptr<SEQStorage> storage_;
    std::unique_ptr<RulesStorage> store_;
    IdealObjectArray classes_;
    Classificator engine_;
    std::string genome_;
};

// The chart of one record as the window draws it from the scan's windows: the fewest windows a
// point (a power of two) that keep the points within kMaxChartPoints, each the best score.
Chart::Series expectedChart(const test::ScanRecorder& scan, const std::string& record,
                            int64_t& binSize) {
    std::vector<const test::ScanRecorder::Window*> windows;
    for (const auto& w : scan.all)
        if (w.record == record) windows.push_back(&w);
    binSize = 1;
    while (windows.size() > GenomeScanForm::kMaxChartPoints * static_cast<size_t>(binSize))
        binSize *= 2;
    Chart::Series points;
    for (size_t from = 0; from < windows.size(); from += static_cast<size_t>(binSize)) {
        bool any = false;
        double best = 0.0;
        for (size_t j = from; j < std::min(windows.size(), from + static_cast<size_t>(binSize));
             ++j) {
            if (!windows[j]->valid) continue;
            if (!any || windows[j]->best > best) best = windows[j]->best;
            any = true;
        }
        if (any) points.emplace_back(static_cast<double>(windows[from]->start), best);
    }
    return points;
}

TEST_F(GenomeScanFormEquivalence, HitsRecordsAndChartAreTheScansBitForBit) {
    // The levels: none, one some thousand windows reach, and one below which the table is cut.
    ScanTotals all;
    const test::ScanRecorder everything = referenceScan(true, -HUGE_VAL, all);
    std::vector<double> scores;
    for (const auto& [record, hit] : everything.hits) {
        ASSERT_TRUE(std::isfinite(hit.score)) << "the bins take the highest of finite scores";
        scores.push_back(hit.score);
    }
    std::sort(scores.begin(), scores.end());
    ASSERT_GT(scores.size(), 2 * GenomeScanForm::kMaxShownHits);
    const double high = scores[scores.size() - 5000];
    const double median = scores[scores.size() / 2];
    char highText[64], medianText[64];
    std::snprintf(highText, sizeof highText, "%.17g", high);
    std::snprintf(medianText, sizeof medianText, "%.17g", median);

    const std::vector<std::string> levels = {"", highText, medianText};
    for (const std::string& level : levels) {
        SCOPED_TRACE("level \"" + level + "\"");
        ScanTotals totals;
        const test::ScanRecorder scan =
            referenceScan(!level.empty(), level.empty() ? 0.0 : std::stod(level), totals);
        GenomeScanForm form;
        form.GenomeEdit.setText(genome_);
        form.ClassesEdit.setText("1,3");
        form.LevelEdit.setText(level);
        form.StrandGroup.setItemIndex(1);
        ASSERT_EQ(form.Start(engine_, storage_->codeTable, "m.dnp"), kGenomeScanStarted);
        form.WaitForEnd();

        // The hit table: the scan's first hits in its order.
        const size_t shown = std::min(scan.hits.size(), GenomeScanForm::kMaxShownHits);
        ASSERT_EQ(form.HitsList.rowCount(), static_cast<int32_t>(shown) + 1);
        const std::vector<std::string> classNumbers = {"1", "3"};
        for (size_t i = 0; i < shown; ++i) {
            const auto& [record, hit] = scan.hits[i];
            ASSERT_EQ(form.HitsList.row(static_cast<int32_t>(i) + 1),
                      (std::vector<std::string>{record, std::to_string(hit.start),
                                                std::to_string(hit.end), std::string(1, hit.strand),
                                                classNumbers[static_cast<size_t>(hit.classOrder)],
                                                GenomeScanForm::scoreText(hit.score)}))
                << "hit " << i;
        }
        // The record list: names, letters and every hit of each record.
        ASSERT_EQ(form.RecordsList.rowCount(), static_cast<int32_t>(scan.starts.size()) + 1);
        for (size_t r = 0; r < scan.starts.size(); ++r) {
            const std::string& name = scan.starts[r];
            const auto hits = std::count_if(scan.hits.begin(), scan.hits.end(),
                                            [&](const auto& h) { return h.first == name; });
            EXPECT_EQ(form.RecordsList.row(static_cast<int32_t>(r) + 1),
                      (std::vector<std::string>{name, std::to_string(scan.lengths.at(name)),
                                                std::to_string(hits)}));
        }
        std::string done = "Done: " + std::to_string(totals.records) + " records, " +
                           std::to_string(totals.letters) + " letters, " +
                           std::to_string(totals.windows) + " windows scored, " +
                           std::to_string(totals.skippedWindows) + " skipped, " +
                           std::to_string(totals.hits) + " hits";
        if (scan.hits.size() > GenomeScanForm::kMaxShownHits)
            done += " (the table shows the first 100000)";
        EXPECT_EQ(form.StatusLabel.text(), done);

        // Every record's chart, point by point.
        for (size_t r = 0; r < scan.starts.size(); ++r) {
            int64_t binSize = 0;
            const Chart::Series expected = expectedChart(scan, scan.starts[r], binSize);
            form.ShowRecord(static_cast<int32_t>(r));
            const Chart::Series drawn = form.ScoreChart.series(0);
            ASSERT_EQ(drawn.size(), expected.size()) << scan.starts[r];
            for (size_t p = 0; p < drawn.size(); ++p) {
                ASSERT_TRUE(sameBits(drawn[p].first, expected[p].first) &&
                            sameBits(drawn[p].second, expected[p].second))
                    << scan.starts[r] << " point " << p;
            }
            EXPECT_EQ(
                form.ScoreChart.title().find("best score of every " + std::to_string(binSize) +
                                             " windows") != std::string::npos,
                binSize > 1)
                << form.ScoreChart.title();
        }
    }
}

// A scan held at its first scoring step after a piece was published (the scan reads only a few
// pieces ahead of the one it reports, so the later pieces' scoring comes after that): the
// progress and hits of the pieces reported so far are shown while it waits, Stop ends it, and
// the hits of the reported pieces stay in the table.
TEST(GenomeScanFormProgress, ShownPerPieceAndAStoppedScanKeepsItsHits) {
    TinyModel model;
    const test::TempDir folder("motifora-scanform-progress");
    std::mt19937 random(test::testSeed("window scan progress", 7u));
    constexpr size_t kPiece = size_t{1} << 18;
    constexpr size_t kPieces = 8;
    // Few hits ("AC"), so that the table holds every hit of the scan.
    std::string letters;
    const size_t length = kPieces * kPiece + 5000;
    for (size_t i = 0; i < length; ++i)
        letters.push_back(random() % 40 == 0 ? 'C' : "AGT"[random() % 3]);
    const std::string genome = folder.write("g.fa", ">long\n" + letters + "\n");
    // The starts of the hits among the windows of the first `read` letters.
    const auto hitsIn = [&](size_t read) {
        std::vector<size_t> starts;
        for (size_t i = 0; i + 1 < read; ++i)
            if (letters.compare(i, 2, "AC") == 0) starts.push_back(i);
        return starts;
    };
    ASSERT_LT(hitsIn(length).size(), GenomeScanForm::kMaxShownHits);

    GenomeScanForm form;
    std::promise<std::string> reached;
    std::once_flag once;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    form.setScoringStep([&] {
        if (form.Progress.position() == 0) return;
        // Read once: the window publishes a piece's status whole.
        std::call_once(once, [&] { reached.set_value(form.StatusLabel.text()); });
        released.wait();
    });
    form.GenomeEdit.setText(genome);
    form.LevelEdit.setText("1");
    ASSERT_EQ(form.Start(model.engine, model.storage->codeTable, "m"), kGenomeScanStarted);
    const std::string status = reached.get_future().get();
    EXPECT_TRUE(form.Running());
    EXPECT_GT(form.Progress.position(), 0);
    EXPECT_LT(form.Progress.position(), 1000);
    // "1 records, N letters, R letters/s, H hits", N a whole number of pieces.
    const size_t comma = status.find(" letters, ");
    ASSERT_EQ(status.rfind("1 records, ", 0), 0u) << status;
    ASSERT_NE(comma, std::string::npos) << status;
    const size_t shown = std::stoul(status.substr(11, comma - 11));
    EXPECT_EQ(shown % kPiece, 0u) << status;
    EXPECT_GE(shown, kPiece);
    EXPECT_LT(shown, length);
    EXPECT_EQ(status.substr(status.rfind(", ") + 2),
              std::to_string(hitsIn(shown).size()) + " hits");
    EXPECT_EQ(form.RecordsList.row(1), (std::vector<std::string>{"long", "", ""}));
    EXPECT_EQ(form.HitsList.rowCount(), 1) << "the table is filled when the scan ends";

    form.Stop();
    release.set_value();
    form.WaitForEnd();
    EXPECT_EQ(form.StatusLabel.text(), "Stopped.");
    // The hits of the pieces reported before the stop: at least those shown, in order, and every
    // one of a whole number of pieces.
    const auto rows = static_cast<size_t>(form.HitsList.rowCount() - 1);
    const std::vector<size_t> all = hitsIn(length);
    ASSERT_GE(rows, hitsIn(shown).size());
    ASSERT_LT(rows, all.size());
    for (size_t r = 0; r < rows; ++r) {
        ASSERT_EQ(form.HitsList.row(static_cast<int32_t>(r) + 1)[0], "long");
        ASSERT_EQ(form.HitsList.cell(1, static_cast<int32_t>(r) + 1), std::to_string(all[r]));
    }
    const size_t pieces = (all[rows] + 1) / kPiece;  // the next hit's piece was not reported
    EXPECT_EQ(rows, hitsIn(pieces * kPiece).size());
}

// The window scores with one thread per core the process may use, under the limit in force.
TEST(GenomeScanFormThreads, OneScoringThreadPerUsableCoreUnderTheLimit) {
    TinyModel model;
    const test::TempDir folder("motifora-scanform-threads");
    // Many stretches for every scoring thread.
    const auto letters = static_cast<size_t>(WorkerPool::threadsFor(0)) * 200000;
    const std::string genome = folder.write("g.fa", ">g\n" + std::string(letters, 'A') + "\n");
    for (const int32_t limit : {0, 1}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        std::optional<WorkerPool::ThreadLimit> capped;
        if (limit > 0) capped.emplace(limit);
        std::mutex mutex;
        std::condition_variable joined;
        std::set<std::thread::id> scoring;
        const int32_t expected = WorkerPool::threadsFor(0);
        GenomeScanForm form;
        // The scoring threads take the stretches of the record as they come free: each one
        // waits at its first step for the others, so that none takes every stretch alone. (The
        // wait is bounded only so that too few threads fail the test instead of hanging it.)
        form.setScoringStep([&] {
            std::unique_lock<std::mutex> lock(mutex);
            if (!scoring.insert(std::this_thread::get_id()).second) return;
            joined.notify_all();
            joined.wait_for(lock, std::chrono::minutes(1),
                            [&] { return static_cast<int32_t>(scoring.size()) >= expected; });
        });
        form.GenomeEdit.setText(genome);
        ASSERT_EQ(form.Start(model.engine, model.storage->codeTable, "m"), kGenomeScanStarted);
        form.WaitForEnd();
        EXPECT_EQ(static_cast<int32_t>(scoring.size()), expected);
    }
}

}  // namespace
}  // namespace motifora::testing
