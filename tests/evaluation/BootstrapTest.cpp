// Held-out counts and draws, the sample split, the class level rule and the averages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "evaluation/Bootstrap.h"

namespace motifora {
namespace {

TEST(HeldOut, CountFromPercent) {
    EXPECT_EQ(heldOutCount(100, 10), 9);
    EXPECT_EQ(heldOutCount(10, 10), 0);  // ceil(1) - 1
    EXPECT_EQ(heldOutCount(53, 10), 5);  // ceil(5.3) - 1
    EXPECT_EQ(heldOutCount(1, 99), 0);
    EXPECT_EQ(heldOutCount(0, 50), 0);
    EXPECT_EQ(heldOutCount(100, 99), 98);
}

TEST(HeldOut, DrawsAreDistinctAndRepeatable) {
    RandomSequence a, b;
    const auto first = drawDistinct(a, 100, 9);
    ASSERT_EQ(first.size(), 9u);
    EXPECT_EQ(std::set<int32_t>(first.begin(), first.end()).size(), 9u);
    for (int32_t x : first) EXPECT_TRUE(x >= 0 && x < 100);
    EXPECT_EQ(drawDistinct(b, 100, 9), first);
    // The sequence runs on: the next iteration draws another subset.
    EXPECT_NE(drawDistinct(a, 100, 9), first);
    EXPECT_TRUE(drawDistinct(a, 5, 0).empty());
    EXPECT_TRUE(drawDistinct(a, 5, 5).empty());
    const auto all = drawDistinct(a, 5, 4);
    EXPECT_EQ(std::set<int32_t>(all.begin(), all.end()).size(), 4u);
}

TEST(HeldOut, SplitKeepsOrderAndCopies) {
    std::vector<Sequence> records(5);
    for (int i = 0; i < 5; ++i)
        records[static_cast<size_t>(i)].assign(std::string(static_cast<size_t>(3 + i), 'A'),
                                               "r" + std::to_string(i), 4);
    std::vector<Sequence> kept, heldOut;
    splitSample(records.data(), 5, {3, 1}, kept, heldOut);
    ASSERT_EQ(kept.size(), 3u);
    ASSERT_EQ(heldOut.size(), 2u);
    EXPECT_EQ(heldOut[0].name, "r1");
    EXPECT_EQ(heldOut[1].name, "r3");
    EXPECT_EQ(kept[0].name, "r0");
    EXPECT_EQ(kept[2].name, "r4");
    EXPECT_EQ(kept[2].text, records[4].text);
    EXPECT_EQ(kept[2].length, 7);
    for (const Sequence& s : kept) EXPECT_EQ(s.startPosition, 1);
    EXPECT_EQ(records[4].startPosition, 4);  // the sources are not touched
}

TEST(BootstrapLevel, RuleAndItsEdges) {
    const std::vector<double> four{7, 1, 5, 3};  // 1 3 5 7
    EXPECT_EQ(bootstrapLevel(four, 0), 0.5);
    EXPECT_EQ(bootstrapLevel(four, 1), 7.5);
    EXPECT_EQ(bootstrapLevel(four, 0.25), 4.0);
    EXPECT_EQ(bootstrapLevel(four, 0.1), 2.0);
    EXPECT_EQ(bootstrapLevel(four, 0.7), 7.5);  // would need s4
    EXPECT_EQ(bootstrapLevel(four, 0.9), 7.5);  // k = 3 needs s4
    EXPECT_EQ(bootstrapLevel({2, 6}, 0.4), 4.0);
    EXPECT_EQ(bootstrapLevel({2}, 0.4), 1.5);
    EXPECT_EQ(bootstrapLevel({2}, 1), 2.5);
    EXPECT_TRUE(std::isinf(bootstrapLevel({}, 0.3)));
    EXPECT_EQ(bootstrapLevel(four, -0.5), 0.0);  // no k qualifies
}

TEST(BootstrapErrors, SharesWithoutDivisionByZero) {
    EXPECT_EQ(iterationFirstError(9, 6), 3.0 / 9);
    EXPECT_EQ(iterationFirstError(0, 0), 0.0);
    EXPECT_EQ(iterationSecondError(2, 8), 0.25);
    EXPECT_EQ(iterationSecondError(0, 0), 0.0);
}

TEST(BootstrapErrors, AveragesOfTheShownValues) {
    const NumberFormat comma(',');
    // Three iterations: the shown 8-decimal texts are averaged, not the unrounded values.
    const std::vector<std::string> shown{comma.fixed(1.0 / 3, 8), comma.fixed(2.0 / 3, 8),
                                         comma.fixed(0.5, 8)};
    EXPECT_EQ(shown[0], "0,33333333");
    const double average = shownAverage(shown, 3, comma);
    EXPECT_EQ(average, (0.33333333 + 0.66666667 + 0.5) / 3);
    EXPECT_EQ(comma.fixed(average, 8), "0,50000000");
    EXPECT_EQ(shownAverage({"0,25", "", "x"}, 2, comma), 0.125);
    EXPECT_EQ(shownAverage({"0,25"}, 0, comma), 0.0);
}

}  // namespace
}  // namespace motifora
