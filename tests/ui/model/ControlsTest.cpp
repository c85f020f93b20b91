// Tests of the window's controls: grids, progress bars, radio groups and change counters.
#include <gtest/gtest.h>

#include "ui/model/Controls.h"

namespace motifora {
namespace {

TEST(GridTest, RowCountKeepsHeaderAndDropsRowsBeyondIt) {
    std::recursive_mutex mutex;
    Grid grid(mutex, 3, 4);
    grid.setHeaders({"#", "Length", "Object"});
    grid.setCell(2, 3, "x");
    grid.setRowCount(3);
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.cell(2, 3), "");
    grid.setRowCount(5);
    EXPECT_EQ(grid.cell(2, 3), "") << "a dropped row comes back empty";
    grid.setRowCount(0);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.cell(1, 0), "Length");
}

TEST(GridTest, WriteOutsideGrowsTheGrid) {
    std::recursive_mutex mutex;
    Grid grid(mutex, 3, 2);
    grid.setCell(4, 6, "late");
    EXPECT_EQ(grid.rowCount(), 7);
    EXPECT_EQ(grid.colCount(), 5);
    EXPECT_EQ(grid.cell(4, 6), "late");
    grid.setCell(-1, 2, "ignored");
    grid.setCell(1, -3, "ignored");
    EXPECT_EQ(grid.rowCount(), 7);
    EXPECT_EQ(grid.cell(-1, 2), "");
    EXPECT_EQ(grid.cell(99, 2), "");
}

TEST(GridTest, ClearDataRowsKeepsHeaderAndSize) {
    std::recursive_mutex mutex;
    Grid grid(mutex, 2, 3);
    grid.setHeaders({"a", "b"});
    grid.setCell(0, 1, "1");
    grid.setCell(1, 2, "2");
    grid.clearDataRows();
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.cell(0, 1), "");
    EXPECT_EQ(grid.cell(1, 2), "");
    EXPECT_EQ(grid.row(0), (std::vector<std::string>{"a", "b"}));
}

TEST(GridTest, HugeRowCountCostsNothingUntilFilled) {
    std::recursive_mutex mutex;
    Grid grid(mutex, 5, 2);
    grid.setRowCount(2000000001);
    EXPECT_EQ(grid.rowCount(), 2000000001);
    grid.setCell(3, 1999999999, "far");
    EXPECT_EQ(grid.cell(3, 1999999999), "far");
    grid.clearDataRows();
    EXPECT_EQ(grid.cell(3, 1999999999), "");
}

TEST(GridTest, SelectionIsOrdered) {
    std::recursive_mutex mutex;
    Grid grid(mutex, 3, 9);
    grid.select(5, 2);
    EXPECT_EQ(grid.selectionTop(), 2);
    EXPECT_EQ(grid.selectionBottom(), 5);
}

TEST(ProgressBarTest, StepsStayInsideTheRange) {
    std::recursive_mutex mutex;
    ProgressBar bar(mutex, 0, 3);
    bar.setStep(2);
    bar.stepIt();
    EXPECT_EQ(bar.position(), 2);
    bar.stepIt();
    EXPECT_EQ(bar.position(), 3);
    bar.setStep(-10);
    bar.stepIt();
    EXPECT_EQ(bar.position(), 0);
    bar.setPosition(2);
    bar.setRange(0, 1);
    EXPECT_EQ(bar.position(), 1);
    bar.setStep(2147483647);
    bar.stepIt();
    EXPECT_EQ(bar.position(), 1);
}

TEST(ControlTest, ChangeCountersGrowOnlyWithChanges) {
    std::recursive_mutex mutex;
    TextControl edit(mutex, "0,05");
    const uint64_t before = edit.changes();
    edit.setText("0,05");
    edit.setEnabled(true);
    EXPECT_EQ(edit.changes(), before);
    edit.setText("0.05");
    EXPECT_GT(edit.changes(), before);
    const uint64_t afterText = edit.changes();
    edit.setVisible(false);
    EXPECT_GT(edit.changes(), afterText);
}

TEST(RadioGroupTest, IndexOutsideItemsSelectsNothing) {
    std::recursive_mutex mutex;
    RadioGroup group(mutex, "g", {"original objects", "regularities"}, 0);
    group.setItemIndex(1);
    EXPECT_EQ(group.itemIndex(), 1);
    group.setItemIndex(2);
    EXPECT_EQ(group.itemIndex(), -1);
}

TEST(StatusBarTest, ThreePanelsWithTheirWidths) {
    std::recursive_mutex mutex;
    StatusBar bar(mutex);
    EXPECT_EQ(bar.panel(0), "Status");
    EXPECT_EQ(bar.panel(1), "Program is started");
    EXPECT_EQ(bar.panel(2), "");
    EXPECT_EQ(bar.panelWidth(0), 50);
    EXPECT_EQ(bar.panelWidth(1), 250);
    EXPECT_EQ(bar.panelWidth(2), 700);
    bar.setPanel(3, "x");
    bar.setPanel(-1, "x");
    EXPECT_EQ(bar.panel(3), "");
}

TEST(ChartTest, TwoSeriesOnly) {
    std::recursive_mutex mutex;
    Chart chart(mutex);
    chart.addPoint(0, 1, 2.5);
    chart.addPoint(1, 1, 4);
    chart.addPoint(2, 1, 4);
    EXPECT_EQ(chart.series(0).size(), 1u);
    EXPECT_EQ(chart.series(1).size(), 1u);
    EXPECT_TRUE(chart.series(2).empty());
    chart.clearSeries(0);
    EXPECT_TRUE(chart.series(0).empty());
}

}  // namespace
}  // namespace motifora
