// Between the control negative grid and the project file's recognition table, and the choice
// of the HTML report; kept here so that the window's commands stay thin.
#pragma once

#include <cstdint>
#include <string>

#include "core/NumberFormat.h"
#include "io/GridText.h"
#include "io/ProjectFile.h"

namespace motifora {

// True when the control negative grid shows the scores of a recognition of all classes: more
// than its five fixed columns, and its seventh header cell is not "Result" (error counting's
// columns).
bool GridHoldsRecognitionResults(const GridText& controlNegativeGrid);

// The table of `rows` control negative sequences by `classCount` classes from the grid's cells
// (row r + 1, column 5 + c), each "<class>:<score>". The score is read with the separator of
// `numbers`, or failing that with the other one. A cell that does not read this way (empty, or
// cut short) becomes position 0, which reads back as an empty cell.
RecognitionTable RecognitionTableFromGrid(const GridText& controlNegativeGrid, int32_t rows,
                                          int32_t classCount, const NumberFormat& numbers);

// The text of a cell as the grid shows it: the class, ":" and the score with two decimals
// ("2:17,50"); empty for position 0.
std::string RecognitionCellText(const RecognitionCell& cell, const NumberFormat& numbers);

// Which HTML report the save command writes.
enum class ReportKind { kErrorCounting, kLongSequence };
// The long-sequence report in shift positions or with long control sequences.
ReportKind ChooseReport(WorkMode workMode, bool longControl);

}  // namespace motifora
