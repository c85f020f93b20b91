// Score cells and their arranged order, scanning window counts and the position chart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "evaluation/Recognition.h"
#include "support/Seed.h"

namespace motifora {
namespace {

std::vector<std::string> placeAll(const std::vector<double>& scores, bool arranged,
                                  const NumberFormat& numbers) {
    std::vector<std::string> cells;
    for (size_t j = 0; j < scores.size(); ++j)
        placeClassScore(cells, static_cast<int32_t>(j), scores[j], arranged, numbers);
    return cells;
}

TEST(ScoreCell, ClassPlusOneAndTwoDecimals) {
    const NumberFormat comma(',');
    EXPECT_EQ(scoreCell(comma, 1, 17.5), "2:17,50");
    EXPECT_EQ(scoreCell(NumberFormat('.'), 0, -0.004), "1:0.00");
    double v = 0;
    ASSERT_TRUE(readScoreCell(comma, "3:7,25", v));
    EXPECT_EQ(v, 7.25);
    // Written before a separator switch, still read.
    ASSERT_TRUE(readScoreCell(comma, "3:7.25", v));
    EXPECT_EQ(v, 7.25);
    ASSERT_TRUE(readScoreCell(comma, "1:-INF", v));
    EXPECT_TRUE(std::isinf(v) && v < 0);
    EXPECT_FALSE(readScoreCell(comma, "", v));
    EXPECT_FALSE(readScoreCell(comma, "7,25", v));
}

TEST(PlaceClassScore, ThreeClassesArrangedAndNot) {
    const NumberFormat comma(',');
    EXPECT_EQ(placeAll({5, 3, 7}, true, comma),
              (std::vector<std::string>{"2:3,00", "1:5,00", "3:7,00"}));
    EXPECT_EQ(placeAll({5, 3, 7}, false, comma),
              (std::vector<std::string>{"1:5,00", "2:3,00", "3:7,00"}));
    EXPECT_EQ(placeAll({9, 4, 1}, true, comma),
              (std::vector<std::string>{"3:1,00", "2:4,00", "1:9,00"}));
}

TEST(PlaceClassScore, EqualScoresKeepClassOrder) {
    const NumberFormat comma(',');
    EXPECT_EQ(placeAll({2, 2}, true, comma), (std::vector<std::string>{"1:2,00", "2:2,00"}));
    // Equal after rounding to the shown two decimals: the shown value decides.
    EXPECT_EQ(placeAll({2.004, 2.001}, true, comma),
              (std::vector<std::string>{"1:2,00", "2:2,00"}));
}

// Reference: a stable sort of (shown score, class) - what insertion from the right must give.
TEST(PlaceClassScore, MatchesAStableSortOnGeneratedRows) {
    std::mt19937 random(test::testSeed("class score placing", 20261207u));
    const NumberFormat point('.');
    for (int trial = 0; trial < 500; ++trial) {
        const int classes = 1 + static_cast<int>(random() % 9);
        std::vector<double> scores;
        for (int j = 0; j < classes; ++j)
            scores.push_back(static_cast<double>(static_cast<int>(random() % 21) - 10) / 4);
        std::vector<int> order(static_cast<size_t>(classes));
        for (int j = 0; j < classes; ++j) order[static_cast<size_t>(j)] = j;
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return scores[static_cast<size_t>(a)] < scores[static_cast<size_t>(b)];
        });
        std::vector<std::string> expected;
        for (int j : order) expected.push_back(scoreCell(point, j, scores[static_cast<size_t>(j)]));
        ASSERT_EQ(placeAll(scores, true, point), expected) << "trial " << trial;
    }
}

TEST(ScanWindows, CountsRunOnAcrossSequences) {
    std::vector<Sequence> records(3);
    records[0].assign(std::string(12, 'A'), "a", 1);
    records[1].assign(std::string(15, 'C'), "b", 1);
    records[2].assign(std::string(9, 'G'), "short", 1);
    EXPECT_EQ(scanWindowCount(records.data(), 2, 10), 3 + 6);
    EXPECT_EQ(scanWindowCount(records.data(), 3, 10), 9);  // a short record adds none
    EXPECT_EQ(scanWindowCount(records.data(), 1, 12), 1);  // exactly as long: one window
    EXPECT_EQ(scanWindowCount(records.data(), 3, 0), 0);
}

TEST(PositionChart, PointsAtPositionsAndLevelAtMid) {
    const std::vector<double> scores{1.0, -3.0, 4.5, 2.0, 0.0, 7.0, 1.0, 1.0, -1.0};
    const PositionChart chart = positionChart(scores.data(), 9);
    ASSERT_EQ(chart.scores.size(), 9u);
    for (size_t k = 0; k < 9; ++k) {
        EXPECT_EQ(chart.scores[k].first, static_cast<double>(k + 1));
        EXPECT_EQ(chart.scores[k].second, scores[k]);
    }
    EXPECT_EQ(chart.mid, 2.0);
    EXPECT_EQ(chart.level, (ChartPoints{{1.0, 2.0}, {9.0, 2.0}}));
    const PositionChart empty = positionChart(scores.data(), 0);
    EXPECT_TRUE(empty.scores.empty());
    EXPECT_TRUE(empty.level.empty());
    EXPECT_EQ(levelLine(chart.scores, -1.5), (ChartPoints{{1.0, -1.5}, {9.0, -1.5}}));
    EXPECT_TRUE(levelLine({}, 1.0).empty());
}

}  // namespace
}  // namespace motifora
