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

// A grid of 6 columns whose rows 1..8 hold "r<row>c<column>", except that row 3 is absent, row
// 5 holds only column 2 and row 0 is the header; column 0 holds the row's number.
void fillSparse(Grid& grid) {
    grid.setHeaders({"#", "a", "b", "c", "d", "e"});
    for (int32_t row = 1; row <= 8; ++row) {
        if (row == 3) continue;
        for (int32_t c = 0; c < 6; ++c) {
            if (row == 5 && c != 2) continue;
            grid.setCell(
                c, row,
                c == 0 ? std::to_string(row) : "r" + std::to_string(row) + "c" + std::to_string(c));
        }
    }
}

std::vector<std::vector<std::string>> everyRow(const Grid& grid) {
    return grid.rows(0, grid.rowCount() - 1);
}

// shiftRowsDown leaves each row it moves to as the cell-by-cell copy from row `last` upwards did.
TEST(GridTest, ShiftRowsDownMatchesCopyingCellByCell) {
    struct Case {
        int32_t first, last, columns;
        bool renumber;
    };
    const auto plusOne = [](const std::string& above) {
        return std::to_string((above.empty() ? 0 : std::stoi(above)) + 1);
    };
    for (const Case& k : {Case{1, 8, 4, true}, Case{2, 6, 3, false}, Case{4, 5, 6, true},
                          Case{6, 11, 4, true}, Case{0, 2, 2, false}, Case{7, 9, 8, false}}) {
        SCOPED_TRACE("first " + std::to_string(k.first) + " last " + std::to_string(k.last));
        std::recursive_mutex mutex;
        Grid copied(mutex, 6, 10), shifted(mutex, 6, 10);
        fillSparse(copied);
        fillSparse(shifted);
        for (int32_t row = k.last; row > k.first; --row) {
            for (int32_t c = 0; c < k.columns; ++c) {
                const std::string above = copied.cell(c, row - 1);
                copied.setCell(c, row, c == 0 && k.renumber ? plusOne(above) : above);
            }
        }
        shifted.shiftRowsDown(
            k.first, k.last, k.columns,
            k.renumber ? std::function<std::string(const std::string&)>(plusOne) : nullptr);
        EXPECT_EQ(shifted.rowCount(), copied.rowCount());
        EXPECT_EQ(shifted.colCount(), copied.colCount());
        // Row `first` is the caller's to fill; every other row must agree.
        std::vector<std::vector<std::string>> want = everyRow(copied), got = everyRow(shifted);
        ASSERT_EQ(got.size(), want.size());
        for (size_t row = 0; row < got.size(); ++row) {
            if (static_cast<int32_t>(row) == k.first && k.last > k.first) {
                for (int32_t c = 0; c < k.columns; ++c)
                    EXPECT_EQ(got[row][static_cast<size_t>(c)], "") << "column " << c;
                for (size_t c = static_cast<size_t>(k.columns); c < got[row].size(); ++c)
                    EXPECT_EQ(got[row][c], want[row][c]) << "column " << c;
                continue;
            }
            EXPECT_EQ(got[row], want[row]) << "row " << row;
        }
    }
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
