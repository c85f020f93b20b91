// Places of scanning windows (record and position) and the runs above a level, record by record.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <random>

#include "evaluation/Recognition.h"
#include "evaluation/ScanPlaces.h"
#include "support/Records.h"
#include "support/Seed.h"

namespace motifora {
namespace {

std::vector<Sequence> records(const std::vector<int32_t>& lengths) {
    return test::recordsOfLengths(lengths, "seq");
}

TEST(ScanPlaces, EveryWindowNamesItsRecordAndPosition) {
    // 12, 15, 9 (shorter than the window) and 10 letters, width 10: 3 + 6 + 0 + 1 windows.
    const std::vector<Sequence> seqs = records({12, 15, 9, 10});
    const ScanPlaces places(seqs.data(), 4, 10);
    ASSERT_EQ(places.windowCount(), scanWindowCount(seqs.data(), 4, 10));
    ASSERT_EQ(places.windowCount(), 10);
    ASSERT_EQ(places.records().size(), 4u);
    EXPECT_EQ(places.records()[1].name, "seq2");
    EXPECT_EQ(places.records()[1].firstWindow, 3);
    EXPECT_EQ(places.records()[2].windows, 0);
    const struct {
        int64_t k;
        int32_t record;
        int64_t position;
    } cases[] = {{0, 0, 1}, {2, 0, 3}, {3, 1, 1}, {8, 1, 6}, {9, 3, 1}, {10, -1, 0}, {-1, -1, 0}};
    for (const auto& c : cases) {
        const ScanPlace place = places.locate(c.k);
        EXPECT_EQ(place.record, c.record) << "window " << c.k;
        EXPECT_EQ(place.position, c.position) << "window " << c.k;
    }
    // Without records, or with a width below 1, there is no window.
    EXPECT_EQ(ScanPlaces(seqs.data(), 4, 0).windowCount(), 0);
    EXPECT_EQ(ScanPlaces(nullptr, 4, 10).locate(0).record, -1);
}

TEST(ScanPlaces, LocateAgreesWithCountingRecordByRecord) {
    const uint32_t seed = test::testSeed("scan places", 7);
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<int32_t> length(0, 30);
    std::vector<int32_t> lengths(40);
    for (int32_t& n : lengths) n = length(random);
    const std::vector<Sequence> seqs = records(lengths);
    const ScanPlaces places(seqs.data(), 40, 7);
    int64_t k = 0;
    for (int32_t r = 0; r < 40; ++r) {
        for (int64_t p = 1; p + 6 <= lengths[static_cast<size_t>(r)]; ++p, ++k) {
            const ScanPlace place = places.locate(k);
            ASSERT_EQ(place.record, r) << "window " << k << ", seed " << seed;
            ASSERT_EQ(place.position, p) << "window " << k << ", seed " << seed;
        }
    }
    EXPECT_EQ(k, places.windowCount());
}

struct RunRow {
    int32_t record;
    int64_t first, last, bestAt;
    double best;
    bool operator==(const RunRow&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const RunRow& r) {
        return out << "{record " << r.record << ", windows " << r.first << ".." << r.last
                   << ", best " << r.best << " at " << r.bestAt << "}";
    }
};

std::vector<RunRow> rows(const std::vector<ScanRun>& runs) {
    std::vector<RunRow> out;
    for (const ScanRun& r : runs)
        out.push_back({r.record, r.firstWindow, r.lastWindow, r.bestWindow, r.best});
    return out;
}

void expectRuns(const std::vector<ScanRun>& runs, const std::vector<RunRow>& expected) {
    EXPECT_EQ(rows(runs), expected);
}

TEST(ScanRuns, OpenAboveTheLevelGoOnAtItEndAtRecordEnds) {
    // One record of 7 windows: 1 5 6 2 7 7 1 at level 4 gives two runs.
    const std::vector<Sequence> one = records({10});
    const ScanPlaces single(one.data(), 1, 4);
    const std::vector<double> scores = {1, 5, 6, 2, 7, 7, 1};
    expectRuns(scanRuns(single, scores.data(), 7, 4.0), {{0, 1, 2, 2, 6.0}, {0, 4, 5, 4, 7.0}});

    // A score equal to the level neither opens a run nor ends one; the first best is kept.
    const std::vector<double> equal = {4, 5, 4, 5, 3, 4, 4};
    expectRuns(scanRuns(single, equal.data(), 7, 4.0), {{0, 1, 3, 1, 5.0}});

    // Two records of 3 and 4 windows: a run at the end of the first does not go on into the
    // second, and the second's run reaches its last window.
    const std::vector<Sequence> two = records({6, 7});
    const ScanPlaces split(two.data(), 2, 4);
    const std::vector<double> across = {1, 9, 9, 9, 2, 8, 8};
    expectRuns(scanRuns(split, across.data(), 7, 4.0),
               {{0, 1, 2, 1, 9.0}, {1, 3, 3, 3, 9.0}, {1, 5, 6, 5, 8.0}});

    // An undefined score ends a run and opens none.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> gap = {5, nan, 5, 1, 1, 1, 1};
    expectRuns(scanRuns(single, gap.data(), 7, 4.0), {{0, 0, 0, 0, 5.0}, {0, 2, 2, 2, 5.0}});

    // Fewer scores than windows: only the scored ones count.
    expectRuns(scanRuns(single, scores.data(), 3, 4.0), {{0, 1, 2, 2, 6.0}});
    EXPECT_TRUE(scanRuns(single, nullptr, 7, 4.0).empty());
    EXPECT_TRUE(scanRuns(ScanPlaces(), scores.data(), 7, 4.0).empty());
}

}  // namespace
}  // namespace motifora
