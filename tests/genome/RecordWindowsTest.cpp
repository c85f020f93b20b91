// The windows along sample records (the scanning recognition of long control sequences): every
// window's score equal, bit for bit, to the classificator's score of the window object the
// object table cuts, whatever the frame, the threads and the chunks; the steps between chunks
// and a stop; the discriminative score of every window.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

#include "ClassifyTestSupport.h"
#include "evaluation/Pipeline.h"
#include "evaluation/Recognition.h"
#include "genome/ContrastWindowScorer.h"
#include "genome/RecordWindows.h"
#include "support/LearnedDiscriminative.h"
#include "support/Seed.h"

namespace motifora::testing {
namespace {

bool sameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// Records of many lengths around the frame `w` (shorter ones among them), a few letters the
// classes do not know, one record placed from position 2 and one holding fewer letters than its
// length says.
std::vector<Sequence> recordsAround(std::mt19937& random, int32_t w) {
    std::vector<Sequence> records;
    const int32_t lengths[] = {w - 2, w, w + 1, 3 * w + 70, 2, 200, w - 1, 131, 64 + w - 1};
    for (const int32_t length : lengths) {
        std::string text;
        for (int32_t i = 0; i < std::max(length, 0); ++i) text.push_back("ACGT"[random() % 4]);
        Sequence record;
        record.assign(text, "r" + std::to_string(records.size() + 1), 1);
        records.push_back(record);
    }
    records[3].text[17] = 'N';
    records[5].text[150] = 'n';
    records[7].startPosition = 2;
    records[8].length += 3;  // three letters missing at its end
    return records;
}

// The straightforward scores: every window cut as an object and scored by the classificator.
std::vector<double> referenceScores(TrainedModel& t, const std::vector<Sequence>& records,
                                    int32_t w, int32_t k) {
    t.storage->buildControlWindows(records.data(), static_cast<int32_t>(records.size()), w);
    std::vector<double> out;
    scoreWindows(t.engine, t.storage->controlNegativeObjects.data(),
                 t.storage->controlNegativeObjectCount, k, out);
    t.storage->releaseControlObjects(0);
    return out;
}

TEST(RecordWindows, ClassScoresEqualTheObjectScoresForEveryFrameThreadsAndChunks) {
    std::mt19937 random(test::testSeed("record windows", 20261208u));
    TrainedModel t;
    const int32_t width = 8;  // the classes' width
    trainModel(t, random, "ACGT", width, 500, false);
    ASSERT_GT(t.engine.idealObjectCount, 2);
    // Frames narrower than the classes (shift positions after a search with learning
    // negatives), as wide (fixed positions), and wider.
    for (const int32_t w : {5, width, 11}) {
        const std::vector<Sequence> records = recordsAround(random, w);
        const auto count = static_cast<int32_t>(records.size());
        ASSERT_EQ(recordWindowCount(records.data(), count, w),
                  scanWindowCount(records.data(), count, w));
        for (int32_t k = -1; k < 3; ++k) {  // class -1 does not exist: every score is 0
            const std::vector<double> expected = referenceScores(t, records, w, k);
            ASSERT_EQ(static_cast<int64_t>(expected.size()),
                      recordWindowCount(records.data(), count, w));
            int32_t nonZero = 0;
            for (const double e : expected) nonZero += e != 0.0 ? 1 : 0;
            if (k >= 0) {
                EXPECT_GT(nonZero, 0) << "frame " << w << " class " << k;
            }
            for (const int32_t threads : {1, 2}) {
                for (const int64_t chunk : {int64_t{1}, int64_t{100}, int64_t{1} << 16}) {
                    SCOPED_TRACE("frame " + std::to_string(w) + " class " + std::to_string(k) +
                                 " threads " + std::to_string(threads) + " chunk " +
                                 std::to_string(chunk));
                    RecordWindowScan scan;
                    scan.width = w;
                    scan.threads = threads;
                    scan.chunkWindows = chunk;
                    std::vector<double> scores;
                    ASSERT_TRUE(scoreClassWindows(t.engine, *t.storage, k, records.data(), count,
                                                  scan, scores));
                    ASSERT_EQ(scores.size(), expected.size());
                    for (size_t j = 0; j < scores.size(); ++j)
                        ASSERT_TRUE(sameBits(scores[j], expected[j]))
                            << "window " << j << ": " << scores[j] << " vs " << expected[j];
                }
            }
        }
    }
}

TEST(RecordWindows, StepsComeBetweenChunksAndAStopLeavesTheRestUnscored) {
    std::mt19937 random(test::testSeed("record window steps", 5u));
    TrainedModel t;
    trainModel(t, random, "ACGT", 6, 300, false);
    const std::vector<Sequence> records = recordsAround(random, 6);
    const auto count = static_cast<int32_t>(records.size());
    const std::vector<double> expected = referenceScores(t, records, 6, 0);

    RecordWindowScan scan;
    scan.width = 6;
    scan.threads = 2;
    scan.chunkWindows = 64;
    std::vector<int64_t> steps;
    scan.step = [&steps](int64_t done) {
        steps.push_back(done);
        return true;
    };
    std::vector<double> scores;
    ASSERT_TRUE(scoreClassWindows(t.engine, *t.storage, 0, records.data(), count, scan, scores));
    // One step before any window, then one per chunk of at most 64 windows.
    ASSERT_GE(steps.size(), expected.size() / 64);
    EXPECT_EQ(steps.front(), 0);
    for (size_t i = 1; i < steps.size(); ++i) {
        EXPECT_GT(steps[i], steps[i - 1]);
        EXPECT_LE(steps[i] - steps[i - 1], 64);
    }
    EXPECT_LT(steps.back(), static_cast<int64_t>(expected.size()));

    // Stopped at the third step: the two chunks before it are scored, nothing after.
    int calls = 0;
    scan.step = [&calls](int64_t) { return ++calls < 3; };
    ASSERT_FALSE(scoreClassWindows(t.engine, *t.storage, 0, records.data(), count, scan, scores));
    ASSERT_EQ(scores.size(), expected.size());
    const auto scored = static_cast<size_t>(steps[2]);
    for (size_t j = 0; j < scored; ++j) EXPECT_TRUE(sameBits(scores[j], expected[j])) << j;
    for (size_t j = scored; j < scores.size(); ++j) EXPECT_EQ(scores[j], 0.0) << j;
}

TEST(RecordWindows, DiscriminativeScoresAreThoseOfEachWindowAsAnObject) {
    const int32_t width = 12;
    const ContrastScorer scorer =
        test::learnedDiscriminative("record windows discriminative", 77u, width);
    const ContrastRules& rules = scorer.rules;
    ASSERT_GT(rules.rules.size(), 0u);

    std::mt19937 random(9u);
    std::vector<Sequence> records = recordsAround(random, width);
    records.erase(records.begin() + 7, records.end());  // whole records at position 1 only
    records[1].text.replace(0, 6, "TATAAT");
    const auto count = static_cast<int32_t>(records.size());
    RecordWindowScan scan;
    scan.threads = 2;
    scan.chunkWindows = 50;
    scan.width = 3;  // the rules' width is taken
    std::vector<double> scores;
    ASSERT_TRUE(scoreDiscriminativeWindows(rules, records.data(), count, scan, scores));
    ASSERT_EQ(static_cast<int64_t>(scores.size()), recordWindowCount(records.data(), count, width));

    size_t j = 0;
    int32_t unknown = 0;
    for (const Sequence& record : records) {
        for (int32_t at = 0; at + width <= record.length; ++at, ++j) {
            const std::string letters = record.text.substr(static_cast<size_t>(at), width);
            if (letters.find_first_not_of("ACGT") != std::string::npos) {
                EXPECT_TRUE(std::isnan(scores[j])) << "window " << j;
                ++unknown;
                continue;
            }
            Sequence window;
            window.assign(letters, "w", 1);
            EXPECT_TRUE(sameBits(scores[j], scorer.score(window))) << "window " << j;
        }
    }
    EXPECT_EQ(j, scores.size());
    EXPECT_GT(unknown, 0);
}

}  // namespace
}  // namespace motifora::testing
