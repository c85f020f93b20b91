// Tests of the recognition cells between the control negative grid and the project file.
#include <gtest/gtest.h>

#include "ProjectStages.h"
#include "io/RecognitionGrid.h"

namespace motifora {
namespace {

const std::vector<std::string> kHeader = {"#", "Length", "Name", "Sequence", "Class №"};

std::vector<std::string> withCells(std::vector<std::string> row, std::vector<std::string> cells) {
    row.insert(row.end(), cells.begin(), cells.end());
    return row;
}

TEST(RecognitionGrid, RecognitionResultsAreTheColumnsBeyondFiveUnlessErrorCountingHeadsThem) {
    struct Case {
        int32_t columns;
        std::vector<std::string> header;
        bool expected;
    };
    const std::vector<Case> cases = {
        {5, kHeader, false},                                  // the fixed columns only
        {7, withCells(kHeader, {"Score", "Result"}), false},  // error counting
        {6, withCells(kHeader, {"1"}), true},                 // one class: no seventh cell
        {8, withCells(kHeader, {"1", "2", "3"}), true},
        {7, withCells(kHeader, {"1", "result"}), true},  // compared exactly
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GridHoldsRecognitionResults(GridText{c.columns, {c.header}}), c.expected)
            << c.columns;
    }
}

TEST(RecognitionGrid, CellsReadAsTheyAreShownAndWriteBackTheSameText) {
    const NumberFormat comma(',');
    const GridText grid{
        8,
        {withCells(kHeader, {"1", "2", "3"}),
         withCells({"1", "4", "a", "ACGT", ""}, {"2:3,00", "1:5,00", "3:7,00"}),
         withCells({"2", "4", "b", "ACGT", ""}, {"1:-0,25", "2:17,50", "3:1E+10"})}};
    const RecognitionTable table = RecognitionTableFromGrid(grid, 2, 3, comma);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0][0].position, 2);
    EXPECT_EQ(table[0][0].score, 3.0);
    EXPECT_EQ(table[0][1].position, 1);
    EXPECT_EQ(table[1][0].score, -0.25);
    EXPECT_EQ(table[1][1].score, 17.5);
    EXPECT_EQ(table[1][2].score, 1e10);
    for (int32_t r = 0; r < 2; ++r) {
        for (int32_t c = 0; c < 2; ++c) {
            EXPECT_EQ(
                RecognitionCellText(table[static_cast<size_t>(r)][static_cast<size_t>(c)], comma),
                grid.cell(5 + c, r + 1));
        }
    }
    // A point separator set after the grid was filled still reads the cells.
    EXPECT_EQ(RecognitionTableFromGrid(grid, 2, 3, NumberFormat('.'))[1][1].score, 17.5);
}

TEST(RecognitionGrid, CellsThatDoNotReadBecomeEmptyCells) {
    const NumberFormat comma(',');
    const GridText grid{
        7,
        {withCells(kHeader, {"1", "2"}), withCells({"1", "4", "a", "ACGT", ""}, {"", "2:x"}),
         withCells({"2", "4", "b", "ACGT", ""}, {"3:1,00", "0:1,00"})}};
    // Three rows asked for, two present; class 3 of 2 and class 0 are out of range.
    const RecognitionTable table = RecognitionTableFromGrid(grid, 3, 2, comma);
    ASSERT_EQ(table.size(), 3u);
    for (const auto& row : table) {
        ASSERT_EQ(row.size(), 2u);
        for (const RecognitionCell& cell : row) {
            EXPECT_EQ(cell.position, 0);
            EXPECT_EQ(RecognitionCellText(cell, comma), "");
        }
    }
}

// What a save command does: the table goes into the file only when the grid shows scores.
TEST(RecognitionGrid, ErrorCountingGridIsSavedWithoutARecognitionTable) {
    const NumberFormat comma(',');
    const ProjectData data = testing::buildStage(testing::Stage::kAfterClassification, 6);
    const auto rows = static_cast<int32_t>(data.controlNegative.size());
    GridText counted{7, {withCells(kHeader, {"Score", "Result"})}};
    GridText scored{5 + data.classCount, {kHeader}};
    for (int32_t c = 0; c < data.classCount; ++c) scored.rows[0].push_back(std::to_string(c + 1));
    for (int32_t r = 0; r < rows; ++r) {
        scored.rows.push_back(withCells({std::to_string(r + 1), "57", "n", "ACGT", ""}, {}));
        for (int32_t c = 0; c < data.classCount; ++c) {
            scored.rows.back().push_back(std::to_string(c + 1) + ":" + std::to_string(r) + ",50");
        }
    }
    for (const GridText* grid : {&counted, &scored}) {
        ProjectSource source = viewOf(data);
        RecognitionTable table;
        if (GridHoldsRecognitionResults(*grid)) {
            table = RecognitionTableFromGrid(*grid, rows, data.classCount, comma);
            source.recognition = &table;
        }
        std::string bytes;
        ASSERT_TRUE(EncodeProject(source, bytes).ok);
        const ProjectData back = testing::decode(bytes, "p.dnp");
        EXPECT_EQ(back.recognitionPresent, grid == &scored);
        if (grid == &counted) {
            EXPECT_EQ(bytes.substr(bytes.size() - 8), "00000000");
        } else {
            ASSERT_EQ(back.recognition.size(), static_cast<size_t>(rows));
            EXPECT_EQ(RecognitionCellText(back.recognition[2][1], comma), "2:2,50");
        }
    }
}

TEST(RecognitionGrid, LongSequenceReportInShiftModeOrWithLongControlData) {
    EXPECT_EQ(ChooseReport(WorkMode::kFixed, false), ReportKind::kErrorCounting);
    EXPECT_EQ(ChooseReport(WorkMode::kFixed, true), ReportKind::kLongSequence);
    EXPECT_EQ(ChooseReport(WorkMode::kShift, false), ReportKind::kLongSequence);
    EXPECT_EQ(ChooseReport(WorkMode::kShift, true), ReportKind::kLongSequence);
}

}  // namespace
}  // namespace motifora
