// ROC points, AUC with DeLong's interval, Wilson intervals, the level rules and histograms on
// small cases worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "evaluation/RocAnalysis.h"

namespace motifora {
namespace {

// Positives 4, 3, 2 against negatives 3, 1: of the six pairs 4.5 favour the positive (one tie).
// Placements: positives 1, 3/4, 1/2 (variance 1/16); negatives 1/2, 1 (variance 1/8);
// DeLong's variance 1/16 / 3 + 1/8 / 2 = 1/12.
TEST(AreaUnderCurve, HandWorkedCaseWithATie) {
    const AucEstimate auc = aucWithDeLongInterval({{4, 3, 2}, {3, 1}});
    ASSERT_TRUE(auc.defined);
    EXPECT_DOUBLE_EQ(auc.auc, 0.75);
    EXPECT_NEAR(auc.standardError, std::sqrt(1.0 / 12), 1e-12);
    EXPECT_NEAR(auc.low, 0.75 - kZ95 * std::sqrt(1.0 / 12), 1e-12);
    EXPECT_NEAR(auc.low, 0.184207, 1e-6);
    EXPECT_DOUBLE_EQ(auc.high, 1.0);  // 1.3158 clipped
}

// Positives 2, 4, 6 against negatives 1, 3, 5, 7: 6 of the 12 pairs favour the positive.
// Placements: positives 1/4, 2/4, 3/4 (variance 1/16); negatives 1, 2/3, 1/3, 0 (variance
// 5/27); variance 1/48 + 5/108, so the interval reaches past both ends and is clipped.
TEST(AreaUnderCurve, InterleavedScoresGiveOneHalf) {
    const AucEstimate auc = aucWithDeLongInterval({{2, 4, 6}, {1, 3, 5, 7}});
    EXPECT_DOUBLE_EQ(auc.auc, 0.5);
    const double se = std::sqrt(1.0 / 48 + 5.0 / 108);
    EXPECT_NEAR(auc.standardError, se, 1e-12);
    ASSERT_LT(0.5 - kZ95 * se, 0.0);
    EXPECT_DOUBLE_EQ(auc.low, 0.0);
    EXPECT_DOUBLE_EQ(auc.high, 1.0);
}

TEST(AreaUnderCurve, EdgeCases) {
    const AucEstimate perfect = aucWithDeLongInterval({{5, 6}, {1, 2}});
    EXPECT_DOUBLE_EQ(perfect.auc, 1.0);
    EXPECT_DOUBLE_EQ(perfect.low, 1.0);
    EXPECT_DOUBLE_EQ(perfect.high, 1.0);
    const AucEstimate reversed = aucWithDeLongInterval({{1, 2}, {5, 6}});
    EXPECT_DOUBLE_EQ(reversed.auc, 0.0);
    // One of a kind: the area is known, its interval is not.
    const AucEstimate single = aucWithDeLongInterval({{3}, {1, 2}});
    EXPECT_DOUBLE_EQ(single.auc, 1.0);
    EXPECT_DOUBLE_EQ(single.low, 0.0);
    EXPECT_DOUBLE_EQ(single.high, 1.0);
    EXPECT_FALSE(aucWithDeLongInterval({{1, 2}, {}}).defined);
    // A score that is not a number ranks below every other.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_DOUBLE_EQ(aucWithDeLongInterval({{nan}, {-1e300}}).auc, 0.0);
}

TEST(AreaUnderCurve, EqualsTheTrapezoidsUnderTheCurve) {
    const LabelledScores scores{{0.9, 0.8, 0.8, 0.55, 0.4, 0.3}, {0.8, 0.6, 0.5, 0.3, 0.2}};
    const std::vector<RocPoint> roc = rocCurve(scores);
    double area = 0.0;
    for (size_t i = 1; i < roc.size(); ++i) {
        area += (roc[i].falsePositiveRate - roc[i - 1].falsePositiveRate) *
                (roc[i].truePositiveRate + roc[i - 1].truePositiveRate) / 2;
    }
    EXPECT_NEAR(area, aucWithDeLongInterval(scores).auc, 1e-12);
}

TEST(RocCurve, RunsFromNothingToEverythingThroughEachLevel) {
    const LabelledScores scores{{10, 20, 30, 40}, {5, 15, 25}};
    const std::vector<RocPoint> roc = rocCurve(scores);
    ASSERT_EQ(roc.size(), 8u);  // 7 distinct scores
    EXPECT_DOUBLE_EQ(roc.front().level, 40.5);
    EXPECT_DOUBLE_EQ(roc.front().truePositiveRate, 0.0);
    EXPECT_DOUBLE_EQ(roc.front().falsePositiveRate, 0.0);
    EXPECT_DOUBLE_EQ(roc[2].level, 27.5);  // between 30 and 25: 30 and 40 called positive
    EXPECT_DOUBLE_EQ(roc[2].truePositiveRate, 0.5);
    EXPECT_DOUBLE_EQ(roc[2].falsePositiveRate, 0.0);
    EXPECT_DOUBLE_EQ(roc.back().level, 4.5);
    EXPECT_DOUBLE_EQ(roc.back().truePositiveRate, 1.0);
    EXPECT_DOUBLE_EQ(roc.back().falsePositiveRate, 1.0);

    const std::vector<PrPoint> pr = precisionRecallCurve(scores);
    ASSERT_EQ(pr.size(), 7u);  // every level but the one above all
    EXPECT_DOUBLE_EQ(pr[0].recall, 0.25);
    EXPECT_DOUBLE_EQ(pr[0].precision, 1.0);
    EXPECT_DOUBLE_EQ(pr[2].recall, 0.5);  // 40, 30, 25 above 22.5
    EXPECT_DOUBLE_EQ(pr[2].precision, 2.0 / 3);
    EXPECT_DOUBLE_EQ(pr.back().precision, 4.0 / 7);
}

TEST(RocCurve, InfiniteScoresStillReachBothCorners) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<RocPoint> roc = rocCurve({{inf, 1}, {-inf, 0}});
    ASSERT_FALSE(roc.empty());
    EXPECT_DOUBLE_EQ(roc.front().truePositiveRate, 0.0);
    EXPECT_DOUBLE_EQ(roc.back().truePositiveRate, 1.0);
    EXPECT_DOUBLE_EQ(roc.back().falsePositiveRate, 1.0);
    for (const RocPoint& point : roc) EXPECT_FALSE(std::isnan(point.level));
}

TEST(Wilson, KnownIntervals) {
    const Proportion third = wilsonProportion(1, 3);
    EXPECT_DOUBLE_EQ(third.rate, 1.0 / 3);
    EXPECT_NEAR(third.low, 0.0615, 1e-4);
    EXPECT_NEAR(third.high, 0.7923, 1e-4);
    const Proportion none = wilsonProportion(0, 10);
    EXPECT_DOUBLE_EQ(none.low, 0.0);
    EXPECT_NEAR(none.high, 0.2775, 1e-4);
    const Proportion all = wilsonProportion(10, 10);
    EXPECT_NEAR(all.low, 0.7225, 1e-4);
    EXPECT_DOUBLE_EQ(all.high, 1.0);
    const Proportion empty = wilsonProportion(0, 0);
    EXPECT_DOUBLE_EQ(empty.rate, 0.0);
    EXPECT_DOUBLE_EQ(empty.high, 0.0);
}

// Positives 10, 20, 30, 40 and negatives 5, 15, 25; candidate levels 40.5, 35, 27.5, 22.5,
// 17.5, 12.5, 7.5, 4.5.
TEST(LevelRule, WantedFirstErrorTakesTheHighestLevelWithinTheWish) {
    const LabelledScores scores{{10, 20, 30, 40}, {5, 15, 25}};
    EXPECT_DOUBLE_EQ(chooseLevel(scores, LevelRule::kWantedFirstError, 0.25), 17.5);
    EXPECT_DOUBLE_EQ(chooseLevel(scores, LevelRule::kWantedFirstError, 0.05), 7.5);
    EXPECT_DOUBLE_EQ(chooseLevel(scores, LevelRule::kWantedFirstError, 0.5), 27.5);
    EXPECT_DOUBLE_EQ(chooseLevel(scores, LevelRule::kWantedFirstError, 1.0), 40.5);
    const LevelErrors errors = errorsAtLevel(scores, 17.5);
    EXPECT_EQ(errors.first.count, 1);   // 10
    EXPECT_EQ(errors.second.count, 1);  // 25
    EXPECT_EQ(errors.second.total, 3);
    EXPECT_DOUBLE_EQ(errorsAtLevel(scores, 7.5).second.rate, 2.0 / 3);
}

TEST(LevelRule, BalancedAccuracyPeaksAboveTheNegatives) {
    // Mean correct rates per level: .5, .625, .75, .583, .708, .542, .667, .5.
    const LabelledScores scores{{10, 20, 30, 40}, {5, 15, 25}};
    EXPECT_DOUBLE_EQ(chooseLevel(scores, LevelRule::kBalancedAccuracy, 0.05), 27.5);
    // Ties go to the highest level: 27.5 and 15 both reach a mean of .75.
    EXPECT_DOUBLE_EQ(chooseLevel({{20, 30}, {10, 25}}, LevelRule::kBalancedAccuracy, 0), 27.5);
}

TEST(LevelRule, NoScoresGiveLevelZero) {
    EXPECT_DOUBLE_EQ(chooseLevel({}, LevelRule::kWantedFirstError, 0.05), 0.0);
    EXPECT_DOUBLE_EQ(chooseLevel({}, LevelRule::kBalancedAccuracy, 0.05), 0.0);
}

TEST(Histogram, BinsCoverTheFiniteRange) {
    const double inf = std::numeric_limits<double>::infinity();
    const ScoreHistogram h = scoreHistogram({{0, 1, 2, 10, inf}, {-inf, 5, 10}}, 5);
    EXPECT_DOUBLE_EQ(h.low, 0.0);
    EXPECT_DOUBLE_EQ(h.binWidth, 2.0);
    EXPECT_EQ(h.positives, (std::vector<int32_t>{2, 1, 0, 0, 2}));
    EXPECT_EQ(h.negatives, (std::vector<int32_t>{1, 0, 1, 0, 1}));
    const ScoreHistogram same = scoreHistogram({{3, 3}, {3}}, 10);
    EXPECT_EQ(same.positives, (std::vector<int32_t>{2}));
    EXPECT_EQ(same.negatives, (std::vector<int32_t>{1}));
}

}  // namespace
}  // namespace motifora
