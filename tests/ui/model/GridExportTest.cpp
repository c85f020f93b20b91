// Grids as CSV and TSV: quoting, the rows chosen, the format a name asks for, and the file
// written read back cell for cell.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/DelimitedText.h"
#include "support/TempDir.h"
#include "ui/model/GridExport.h"

namespace motifora {
namespace {

class GridExportTest : public ::testing::Test {
  protected:
    void fill(const std::vector<std::string>& cells) {
        grid.setHeaders({"Name", "Score", "Note"});
        grid.setRowCount(static_cast<int32_t>(cells.size()) + 1);
        for (size_t i = 0; i < cells.size(); ++i) {
            const auto row = static_cast<int32_t>(i) + 1;
            grid.setCell(0, row, "r" + std::to_string(row));
            grid.setCell(1, row, std::to_string(row * 10));
            grid.setCell(2, row, cells[i]);
        }
    }

    std::recursive_mutex mutex;
    Grid grid{mutex, 3, 1};
};

// Cells that need quoting in CSV come back whole.
TEST_F(GridExportTest, CsvReadsBackEveryCell) {
    fill({"plain", "a,b", "say \"hi\"", "two\nlines", " padded ", "", "cr\rhere", "0,05"});
    const std::string text = gridText(grid, GridTextFormat::Csv);
    EXPECT_EQ(test::parseDelimited(text, ','), test::gridRows(grid));
    EXPECT_NE(text.find("\"say \"\"hi\"\"\""), std::string::npos) << text;
    EXPECT_EQ(text.substr(0, text.find('\n') + 1), "Name,Score,Note\n");
    EXPECT_NE(text.find("\nr1,10,plain\n"), std::string::npos) << "plain cells stay unquoted";
}

TEST_F(GridExportTest, TsvTurnsTabsAndBreaksInsideCellsIntoSpaces) {
    fill({"a\tb", "c\nd", "e,f"});
    const auto rows = test::parseDelimited(gridText(grid, GridTextFormat::Tsv), '\t');
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Name", "Score", "Note"}));
    EXPECT_EQ(rows[1][2], "a b");
    EXPECT_EQ(rows[2][2], "c d");
    EXPECT_EQ(rows[3][2], "e,f");
}

// Short rows (cells never written) still give every column, so the columns line up.
TEST_F(GridExportTest, EveryRowHasEveryColumn) {
    grid.setHeaders({"A", "B", "C"});
    grid.setCell(0, 2, "only");
    grid.setColCount(4);
    const auto rows = test::parseDelimited(gridText(grid, GridTextFormat::Csv), ',');
    ASSERT_EQ(rows.size(), 3u);
    for (const auto& row : rows) EXPECT_EQ(row.size(), 4u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(rows[2][0], "only");
}

TEST_F(GridExportTest, ChosenRowsComeAfterTheHeader) {
    fill({"a", "b", "c", "d"});
    const auto rows = test::parseDelimited(gridText(grid, GridTextFormat::Csv, 2, 3), ',');
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "Name");
    EXPECT_EQ(rows[1][2], "b");
    EXPECT_EQ(rows[2][2], "c");
    // Beyond the grid: clamped; before row 1: the header is not repeated.
    const auto clamped = test::parseDelimited(gridText(grid, GridTextFormat::Csv, 0, 99), ',');
    EXPECT_EQ(clamped, test::gridRows(grid));
    EXPECT_EQ(test::parseDelimited(gridText(grid, GridTextFormat::Csv, 3, 2), ',').size(), 1u);
}

TEST(GridFormatTest, NameChoosesTheSeparator) {
    const std::pair<const char*, GridTextFormat> cases[] = {
        {"hits.csv", GridTextFormat::Csv}, {"hits.tsv", GridTextFormat::Tsv},
        {"HITS.TSV", GridTextFormat::Tsv}, {"hits.tab", GridTextFormat::Tsv},
        {"hits.txt", GridTextFormat::Tsv}, {"hits", GridTextFormat::Csv},
        {"tsv", GridTextFormat::Csv},      {"a.tsv.csv", GridTextFormat::Csv},
    };
    for (const auto& [name, format] : cases) EXPECT_EQ(gridFormatOf(name), format) << name;
}

TEST_F(GridExportTest, SavedFileHoldsTheGridAndAFailureNamesTheFile) {
    fill({"x,y", "z"});
    test::TempDir folder("motifora-gridexport");
    ASSERT_TRUE(saveGridText(grid, folder / "t.csv"));
    EXPECT_EQ(test::parseDelimited(test::readBytes(folder / "t.csv"), ','), test::gridRows(grid));
    ASSERT_TRUE(saveGridText(grid, folder / "t.tsv"));
    EXPECT_EQ(test::parseDelimited(test::readBytes(folder / "t.tsv"), '\t'), test::gridRows(grid));

    std::filesystem::create_directory(folder / "dir.csv");
    const Status refused = saveGridText(grid, folder / "dir.csv");
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.message.find("dir.csv"), std::string::npos) << refused.message;
}

}  // namespace
}  // namespace motifora
