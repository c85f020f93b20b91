// The arithmetic of the recognition of control data: score cells and their arranged order, the
// scoring of object sets and scanning windows, and the points of the position chart.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/NumberFormat.h"
#include "core/SEQStorage.h"

namespace motifora {

class Classificator;

// A chart series: (x, y) points.
using ChartPoints = std::vector<std::pair<double, double>>;

// The class number plus one, ":" and the score in fixed notation with two decimals
// ("2:17,50" with a comma separator).
std::string scoreCell(const NumberFormat& numbers, int32_t classIndex, double score);

// Reads a shown number: with the current separator, then with the other one (the separator may
// have been switched since the text was written), then the texts "INF", "-INF" and "NAN" that
// fixed notation writes. Never switches the program-wide separator. False when the text is none
// of these (value unchanged).
bool readShownNumber(const NumberFormat& numbers, const std::string& text, double& value);

// The score of a score cell: the number after its ":". False when the cell has no ":" or the rest
// does not read as a shown number.
bool readScoreCell(const NumberFormat& numbers, const std::string& cell, double& value);

// Places the score cell of class j and score s into one row of per-class cells (cells[t] is the
// cell of column 5 + t), as the all-classes recognition does for each class in turn. Unarranged,
// or for j = 0, the cell goes to cells[j]. Arranged, the row is kept in ascending order of the
// shown scores by insertion from the right: cells left of j whose shown score is greater than s
// move one place right and the new cell takes the place freed, so a score equal to a shown one
// stays to its right (equal scores keep class order). A cell whose score cannot be read stops
// the insertion there. The row grows to hold j + 1 cells when shorter.
void placeClassScore(std::vector<std::string>& cells, int32_t j, double s, bool arranged,
                     const NumberFormat& numbers);

// The number of scanning windows of width w along the records: the sum of length - w + 1 over
// the records at least w letters long. 0 for w below 1.
int64_t scanWindowCount(const Sequence* records, int32_t count, int32_t w);

// Scores the first `count` objects against class c in index order (the object's index passed as
// its index): out[k] = ScoreObject(objects[k], k, c). `out` is resized to `count`.
void scoreWindows(Classificator& classificator, const SEQSElem* objects, int32_t count, int32_t c,
                  std::vector<double>& out);

// The position chart of a scanning recognition.
struct PositionChart {
    ChartPoints scores;  // (k + 1, score k), k = 0 ... count - 1
    ChartPoints level;   // (xmin, mid) and (xmax, mid); empty when there are no scores
    double mid = 0.0;    // (ymin + ymax) / 2 of the scores; 0 when there are none
};
// The chart of the first `count` window scores. Not-a-number scores are drawn but take no part
// in the extremes.
PositionChart positionChart(const double* scores, int32_t count);

// The level line (smallest x of `series`, level) - (largest x of `series`, level); empty when
// the series has no points.
ChartPoints levelLine(const ChartPoints& series, double level);

}  // namespace motifora
