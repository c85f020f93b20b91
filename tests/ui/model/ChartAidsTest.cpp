// What the window draws beside the specified grids and charts: the best class of a recognised
// sequence, the heat map's strongest cells, the chart's title, level and record marks, and the
// letter heights of sequence logos.
#include <gtest/gtest.h>

#include <cmath>

#include "core/NumberFormat.h"
#include "ui/model/BestClass.h"
#include "ui/model/ContrastViews.h"
#include "ui/model/Controls.h"
#include "ui/model/SequenceLogo.h"

namespace motifora {
namespace {

TEST(BestClassTest, HighestScoreWinsAndUnreadableCellsArePassedOver) {
    const NumberFormat comma(','), point('.');
    struct Case {
        std::vector<std::string> cells;
        const NumberFormat& numbers;
        std::string best;
    };
    const Case cases[] = {
        {{"1:2,50", "2:7,25", "3:-1,00"}, comma, "2:7,25"},
        {{"1:2.50", "2:7.25", "3:9.00"}, point, "3:9.00"},
        {{"3:-4,00", "1:-2,00"}, comma, "1:-2,00"},  // arranged rows need not start with the best
        {{"1:5,00", "2:5,00"}, comma, "1:5,00"},     // the first of equal scores
        {{"", "New", "2:NAN", "4:1,00"}, comma, "4:1,00"},
        {{"2:INF", "1:3,00"}, comma, "2:INF"},
        {{"", "New"}, comma, ""},
        {{}, comma, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bestClassCell(c.cells, c.numbers), c.best) << ::testing::PrintToString(c.cells);
}

HeatMap mapOf(const std::vector<std::vector<double>>& values) {
    HeatMap map;
    map.cells.resize(values.size());
    for (size_t l = 0; l < values.size(); ++l)
        for (double v : values[l]) {
            map.cells[l].push_back(HeatMapCell{});
            map.cells[l].back().value = v;
            map.extent = std::max(map.extent, std::fabs(v));
        }
    return map;
}

std::vector<std::pair<size_t, size_t>> strongCells(const HeatMap& map) {
    std::vector<std::pair<size_t, size_t>> strong;
    for (size_t l = 0; l < map.cells.size(); ++l)
        for (size_t p = 0; p < map.cells[l].size(); ++p)
            if (map.cells[l][p].strong) strong.emplace_back(l, p);
    return strong;
}

TEST(HeatMapStrongCellsTest, HalfTheExtentAtLeastAndNoMoreThanAsked) {
    HeatMap map = mapOf({{1.0, -0.5, 0.49}, {-0.9, 0.0, 0.6}});
    markStrongestCells(map, 10);
    EXPECT_EQ(strongCells(map),
              (std::vector<std::pair<size_t, size_t>>{{0, 0}, {0, 1}, {1, 0}, {1, 2}}));
    // Only the two largest |value|s when two are asked for; earlier marks are cleared.
    markStrongestCells(map, 2);
    EXPECT_EQ(strongCells(map), (std::vector<std::pair<size_t, size_t>>{{0, 0}, {1, 0}}));
    // Ties keep the order of the letters.
    HeatMap ties = mapOf({{0.0, 0.8}, {-0.8, 0.1}});
    markStrongestCells(ties, 1);
    EXPECT_EQ(strongCells(ties), (std::vector<std::pair<size_t, size_t>>{{0, 1}}));
    // A map with nothing weighed has no strong cells.
    HeatMap empty = mapOf({{0.0, 0.0}});
    markStrongestCells(empty, 5);
    EXPECT_TRUE(strongCells(empty).empty());
}

TEST(HeatMapStrongCellsTest, NumbersWrittenShortForNarrowCells) {
    const std::pair<const char*, const char*> cases[] = {
        {"+0.83", ".83"}, {"-0,50", "-,50"}, {"+1.20", "1.20"}, {"-12.00", "-12.00"},
        {"0.00", ".00"},  {"+0", "0"},       {"", ""},          {"-0", "-0"},
    };
    for (const auto& [text, shortText] : cases) EXPECT_EQ(compactCellText(text), shortText) << text;
}

TEST(SequenceLogoTest, InformationIsSharedAmongTheLettersByFrequency) {
    const double ln2 = std::log(2.0);
    // Four positions of an ACGT alphabet: certain (10 A), even (5 of each), half A half C (4 and
    // 4), three quarters G (6 G, 2 T); and a fifth with nothing counted.
    const SequenceLogo logo = logoFromCounts(
        {{10, 0, 0, 0}, {5, 5, 5, 5}, {4, 4, 0, 0}, {0, 0, 6, 2}, {0, 0, 0, 0}}, "ACGT", "sample");
    EXPECT_EQ(logo.title, "sample");
    EXPECT_EQ(logo.sequences, 20);
    EXPECT_DOUBLE_EQ(logo.maxBits, 2.0);
    ASSERT_EQ(logo.columns.size(), 5u);

    const double certain = 2.0 - 3.0 / (2 * ln2 * 10);
    EXPECT_DOUBLE_EQ(logo.columns[0].bits, certain);
    EXPECT_EQ(logo.columns[0].letters, (std::vector<LogoLetter>{{'A', certain}}));

    EXPECT_EQ(logo.columns[1].bits, 0.0) << "an even position tells nothing";
    for (const LogoLetter& letter : logo.columns[1].letters) EXPECT_EQ(letter.bits, 0.0);

    // Equal letters: the earlier one stands higher (comes later from the bottom).
    const double half = 1.0 - 3.0 / (2 * ln2 * 8);
    ASSERT_EQ(logo.columns[2].letters.size(), 2u);
    EXPECT_EQ(logo.columns[2].letters[0].letter, 'C');
    EXPECT_EQ(logo.columns[2].letters[1].letter, 'A');
    EXPECT_DOUBLE_EQ(logo.columns[2].letters[1].bits, half / 2);

    // The rarer letter at the bottom, each as high as its share.
    const double entropy = -(0.75 * std::log2(0.75) + 0.25 * std::log2(0.25));
    const double skewed = 2.0 - entropy - 3.0 / (2 * ln2 * 8);
    ASSERT_EQ(logo.columns[3].letters.size(), 2u);
    EXPECT_EQ(logo.columns[3].letters[0].letter, 'T');
    EXPECT_DOUBLE_EQ(logo.columns[3].letters[0].bits, skewed * 0.25);
    EXPECT_EQ(logo.columns[3].letters[1].letter, 'G');
    EXPECT_DOUBLE_EQ(logo.columns[3].letters[1].bits, skewed * 0.75);

    EXPECT_EQ(logo.columns[4], LogoColumn{}) << "nothing counted, no height";
}

TEST(SequenceLogoTest, AFewSequencesCarryLittleInformation) {
    // One sequence tells nothing (the correction, 2.16 bits, takes more than the 2 there are);
    // two that agree tell 2 - 1.08 bits.
    EXPECT_EQ(logoFromCounts({{1, 0, 0, 0}}, "ACGT", "one").columns[0].bits, 0.0);
    EXPECT_NEAR(logoFromCounts({{2, 0, 0, 0}}, "ACGT", "two").columns[0].bits,
                2.0 - 3.0 / (4 * std::log(2.0)), 1e-12);
    // A two-letter alphabet never goes below zero.
    const SequenceLogo two = logoFromCounts({{1, 1}}, "AB", "two");
    EXPECT_EQ(two.columns[0].bits, 0.0);
    // A single letter alphabet has nothing to tell.
    EXPECT_EQ(logoFromCounts({{3}}, "A", "").columns[0].bits, 0.0);
}

TEST(ChartExtrasTest, TitleMarksAndLevelCountAsChanges) {
    std::recursive_mutex mutex;
    Chart chart(mutex);
    uint64_t seen = chart.changes();
    const auto moved = [&] {
        const bool changed = chart.changes() != seen;
        seen = chart.changes();
        return changed;
    };
    chart.setTitle("chrI, 100 letters");
    EXPECT_TRUE(moved());
    chart.setTitle("chrI, 100 letters");
    EXPECT_FALSE(moved()) << "the same title is no change";
    chart.setMarks({{0.5, "a"}, {10.5, "b"}});
    EXPECT_TRUE(moved());
    EXPECT_EQ(chart.marks(), (std::vector<Chart::Mark>{{0.5, "a"}, {10.5, "b"}}));
    chart.setMarks({{0.5, "a"}, {10.5, "b"}});
    EXPECT_FALSE(moved());
    chart.setLevelSeries(true);
    EXPECT_TRUE(moved());
    EXPECT_TRUE(chart.levelSeries());
    EXPECT_EQ(chart.title(), "chrI, 100 letters");
}

}  // namespace
}  // namespace motifora
