// Recognition cells between the grid's texts and the project file's numbers.
#include "io/RecognitionGrid.h"

namespace motifora {

bool GridHoldsRecognitionResults(const GridText& grid) {
    return grid.columnCount > 5 && grid.cell(6, 0) != "Result";
}

namespace {

bool readScore(std::string_view text, const NumberFormat& numbers, double& value) {
    if (numbers.tryReadReal(text, value)) return true;
    const NumberFormat other(numbers.separator() == ',' ? '.' : ',');
    return other.tryReadReal(text, value);
}

}  // namespace

RecognitionTable RecognitionTableFromGrid(const GridText& grid, int32_t rows, int32_t classCount,
                                          const NumberFormat& numbers) {
    RecognitionTable table(
        static_cast<size_t>(std::max(rows, 0)),
        std::vector<RecognitionCell>(static_cast<size_t>(std::max(classCount, 0))));
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < classCount; ++c) {
            const std::string& text = grid.cell(5 + c, r + 1);
            const size_t colon = text.find(':');
            if (colon == std::string::npos) continue;
            int32_t position = 0;
            double score = 0.0;
            if (!NumberFormat::readInteger(std::string_view(text).substr(0, colon), position) ||
                position < 1 || position > classCount ||
                !readScore(std::string_view(text).substr(colon + 1), numbers, score)) {
                continue;
            }
            table[static_cast<size_t>(r)][static_cast<size_t>(c)] = {position, score};
        }
    }
    return table;
}

std::string RecognitionCellText(const RecognitionCell& cell, const NumberFormat& numbers) {
    if (cell.position == 0) return {};
    return std::to_string(cell.position) + ":" + numbers.fixed(cell.score, 2);
}

ReportKind ChooseReport(WorkMode workMode, bool longControl) {
    return workMode == WorkMode::kShift || longControl ? ReportKind::kLongSequence
                                                       : ReportKind::kErrorCounting;
}

}  // namespace motifora
