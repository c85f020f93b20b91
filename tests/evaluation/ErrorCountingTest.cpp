// Histograms, the proposed level, first- and second-level counts and the level for a wanted
// first-level error.
#include <gtest/gtest.h>

#include <cmath>

#include "evaluation/Bootstrap.h"
#include "evaluation/ErrorCounting.h"

namespace motifora {
namespace {

// Objects of a sample with the given classes and scores.
std::vector<SEQSElem> objects(const std::vector<std::pair<int32_t, double>>& classScores) {
    std::vector<SEQSElem> out(classScores.size());
    for (size_t i = 0; i < out.size(); ++i) {
        out[i].classNumber = classScores[i].first;
        out[i].score = classScores[i].second;
    }
    return out;
}

TEST(Histogram, BinsOfTenUnitsAtTheirCentres) {
    EXPECT_EQ(histogramBin(8), 5);
    EXPECT_EQ(histogramBin(14), 15);
    EXPECT_EQ(histogramBin(10), 15);
    EXPECT_EQ(histogramBin(-0.5), -5);
    EXPECT_EQ(histogramBin(0), 5);
}

// The worked example: positives 12, 27, 33 and negatives 8, 14 of class c in a negative sample
// of 10 objects.
TEST(ErrorCountExample, LevelFifteenAndBothErrors) {
    const int32_t c = 1;
    auto negatives = objects(
        {{c, 8}, {0, 50}, {c, 14}, {2, 99}, {-1, 30}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}});
    auto positives = objects({{c, 12}, {c, 27}, {c, 33}});
    const ChartPoints negative = classHistogram(negatives.data(), 10, c, 1.0 / 10);
    const ChartPoints positive = classHistogram(positives.data(), 3, c, 1.0 / 3);
    EXPECT_EQ(negative, (ChartPoints{{5, 0.1}, {15, 0.1}}));
    EXPECT_EQ(positive, (ChartPoints{{15, 1.0 / 3}, {25, 1.0 / 3}, {35, 1.0 / 3}}));
    const double level = proposedLevel(negative, positive);
    EXPECT_EQ(level, 15);

    const SecondLevelCount second = countSecondLevel(negatives.data(), 10, 10, c, level);
    EXPECT_EQ(second.count, 0);
    EXPECT_EQ(second.error, 0.0);
    EXPECT_EQ(NumberFormat(',').fixed(second.error, 8), "0,00000000");

    std::vector<PositiveRow> rows{{"2", "12,00"}, {"2", "27,00"}, {"2", "33,00"}};
    const NumberFormat comma(',');
    const FirstLevelCount first = countFirstLevel(rows, c, level, true, comma);
    EXPECT_EQ(first.count, 3);
    EXPECT_EQ(first.misses, 1);
    EXPECT_EQ(comma.fixed(first.error, 8), "0,33333333");
    EXPECT_EQ(recognizedText(first.count - first.misses, first.count), "Recognized 2 out of 3");
    EXPECT_EQ(first.results[0], std::optional<std::string>(kNotRecognizedText));
    EXPECT_EQ(first.results[1], std::optional<std::string>(kRecognizedText));
}

TEST(ErrorCount, RepeatedBinAddsUpInObjectOrder) {
    auto sample = objects({{0, 1}, {0, 2}, {0, 3}});
    const ChartPoints h = classHistogram(sample.data(), 3, 0, 1.0 / 7);
    ASSERT_EQ(h.size(), 1u);
    EXPECT_EQ(h[0].second, 1.0 / 7 + 1.0 / 7 + 1.0 / 7);
    ChartPoints series;
    addToHistogram(series, 25, 1);
    addToHistogram(series, 5, 1);
    addToHistogram(series, 15, 1);
    EXPECT_EQ(series, (ChartPoints{{5, 1}, {15, 1}, {25, 1}}));
}

TEST(ErrorCount, ScoreEqualToTheLevel) {
    // Positive: recognised; negative: not.
    const NumberFormat point('.');
    const FirstLevelCount first = countFirstLevel({{"1", "4.00"}}, 0, 4.0, false, point);
    EXPECT_EQ(first.misses, 0);
    EXPECT_EQ(first.results[0], std::optional<std::string>(kRecognizedText));
    auto negatives = objects({{0, 4.0}, {0, 4.0000001}});
    const SecondLevelCount second = countSecondLevel(negatives.data(), 2, 2, 0, 4.0);
    EXPECT_EQ(second.recognized, (std::vector<bool>{false, true}));
    EXPECT_EQ(second.error, 0.5);
}

TEST(ErrorCount, OtherClassesByTheChosenSide) {
    const NumberFormat point('.');
    const std::vector<PositiveRow> rows{{"New", "9.00"}, {"3", ""}, {"3", "1.00"}, {"1", "2.00"}};
    const FirstLevelCount control = countFirstLevel(rows, 0, 0.0, true, point);
    EXPECT_EQ(control.results[0], std::optional<std::string>(kNotRecognizedText));
    EXPECT_EQ(control.results[1], std::optional<std::string>(kNotRecognizedText));
    EXPECT_FALSE(control.results[2].has_value());  // left as it is
    EXPECT_EQ(control.results[3], std::optional<std::string>(kRecognizedText));
    const FirstLevelCount learning = countFirstLevel(rows, 0, 0.0, false, point);
    EXPECT_FALSE(learning.results[0].has_value());
    EXPECT_FALSE(learning.results[1].has_value());
    EXPECT_EQ(learning.count, 1);
    // No object of the class: no division by zero.
    const FirstLevelCount none = countFirstLevel(rows, 5, 0.0, true, point);
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.error, 0.0);
    EXPECT_EQ(countSecondLevel(nullptr, 0, 0, 0, 0.0).error, 0.0);
}

// Objects of class "New" (-1) have no score: every class's second-level count passes them by,
// and they are counted apart, whatever their score field holds.
TEST(ErrorCount, NewObjectsAreCountedNowhere) {
    auto negatives = objects({{-1, 99.0}, {0, 5.0}, {-1, 0.0}, {1, 7.0}});
    EXPECT_EQ(uncountedObjects(negatives.data(), 4), 2);
    EXPECT_EQ(uncountedObjects(negatives.data(), 1), 1);
    EXPECT_EQ(uncountedObjects(nullptr, 4), 0);
    int32_t counted = 0;
    for (int32_t c = 0; c < 2; ++c)
        counted += countSecondLevel(negatives.data(), 4, 4, c, 0.0).count;
    EXPECT_EQ(counted + uncountedObjects(negatives.data(), 4), 4);
}

TEST(ProposedLevel, EmptyHistograms) {
    EXPECT_EQ(proposedLevel({}, {{15, 1}, {35, 1}}), 10);
    EXPECT_EQ(proposedLevel({{5, 1}}, {}), 10);
    EXPECT_EQ(proposedLevel({}, {}), 0);
}

TEST(LevelFromFirstError, Derivations) {
    const std::vector<double> four{7, 1, 5, 3};        // sorted: 1 3 5 7
    EXPECT_EQ(levelFromFirstError(four, 0), 0.0);      // s0 - 1
    EXPECT_EQ(levelFromFirstError(four, 0.25), 4.0);   // (s1 + s2) / 2
    EXPECT_EQ(levelFromFirstError(four, 0.1), 2.0);    // k = 0, nearer k/m: (s0 + s1) / 2
    EXPECT_EQ(levelFromFirstError(four, 0.5), 6.0);    // k = 1: (s2 + s3) / 2
    EXPECT_EQ(levelFromFirstError(four, 1), 7.5);      // beyond the top: s3 + 0.5
    EXPECT_EQ(levelFromFirstError(four, 0.7), 7.5);    // needs s4: s3 + 0.5
    EXPECT_EQ(levelFromFirstError({4, 2}, 0.9), 3.0);  // two scores: their middle
    EXPECT_EQ(levelFromFirstError({4, 2}, 0), 1.0);
    EXPECT_FALSE(levelFromFirstError({4}, 0.5).has_value());
    EXPECT_FALSE(levelFromFirstError({}, 0).has_value());
    EXPECT_EQ(levelFromFirstError(four, 1.5), 0.0);  // no k qualifies
}

TEST(LevelFromFirstError, BothLevelsShareTheIntervalRule) {
    // Away from their own edge cases, the error counting's and the bootstrap's levels are the
    // one interval rule over the sorted scores.
    const std::vector<std::vector<double>> samples{
        {9, 1, 4}, {7, 1, 5, 3}, {2, 2, 8, 6, 0.5}, {-3, 10, 4, 4, 1, 12, 7}};
    for (const std::vector<double>& scores : samples) {
        std::vector<double> sorted = scores;
        sortScores(sorted);
        for (const double e : {0.05, 0.2, 1.0 / 3, 0.5, 0.6, 0.95}) {
            SCOPED_TRACE(testing::Message() << scores.size() << " scores, e = " << e);
            const double shared = levelAmongSorted(sorted, e);
            EXPECT_EQ(levelFromFirstError(scores, e), shared);
            EXPECT_EQ(bootstrapLevel(scores, e), shared);
        }
    }
    EXPECT_EQ(levelAmongSorted({3}, 0.5), 3.5);  // one score: beyond it
    EXPECT_EQ(levelAmongSorted({1, 3, 5}, 2), 0.0);
}

TEST(ErrorTotals, SharesAndEmptySides) {
    const ErrorTotals t = errorTotals(8, 2, 3, 12);
    EXPECT_EQ(t.firstError, 0.25);
    EXPECT_EQ(t.secondError, 0.25);
    EXPECT_EQ(errorTotals(0, 0, 0, 0).firstError, 0.0);
    EXPECT_EQ(errorTotals(0, 0, 0, 0).secondError, 0.0);
}

}  // namespace
}  // namespace motifora
