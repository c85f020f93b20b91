// The arithmetic of recognition error counting: score histograms, the proposed level, first- and
// second-level errors, the level for a wanted first-level error and the per-class totals.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/NumberFormat.h"
#include "core/SEQStorage.h"
#include "evaluation/Recognition.h"

namespace motifora {

inline constexpr const char* kRecognizedText = "+Recognized";
inline constexpr const char* kNotRecognizedText = "-NotRecognized";

// "Recognized " + recognized + " out of " + total.
std::string recognizedText(int64_t recognized, int64_t total);

// The histogram bin of a score: floor(score x 0.1) x 10 + 5 (10 units wide, at its centre).
double histogramBin(double score);

// Adds `increment` to the point of `series` at x = bin, or adds the point (bin, increment) at its
// place in ascending order of x.
void addToHistogram(ChartPoints& series, double bin, double increment);

// The histogram of the objects of class c among the first `count` objects, in index order, each
// adding `increment` (1 / the sample's size) to its bin.
ChartPoints classHistogram(const SEQSElem* objects, int32_t count, int32_t c, double increment);

// The proposed level: (smallest x of the positive histogram + largest x of the negative one) / 2.
// Without negative points it is the lower edge of the lowest positive bin (smallest x - 5), so
// every positive of the class is recognised; without positive points, the upper edge of the
// highest negative bin (largest x + 5); with neither, 0.
double proposedLevel(const ChartPoints& negative, const ChartPoints& positive);

// Second-level errors over the first `count` objects of the negative sample of `total` records.
struct SecondLevelCount {
    std::vector<bool> recognized;  // per object: of class c and score > level (strictly)
    int32_t count = 0;             // objects recognised
    int32_t total = 0;             // objects of the sample, all classes
    double error = 0.0;            // count / total; 0 for an empty sample
};
SecondLevelCount countSecondLevel(const SEQSElem* objects, int32_t count, int32_t total, int32_t c,
                                  double level);
// Objects of `objects[0 .. count)` classified into no class (class -1, shown as "New"): they get
// no score, so the second-level count of every class passes them by.
int32_t uncountedObjects(const SEQSElem* objects, int32_t count);

// One row of the positive grid as the first-level count reads it.
struct PositiveRow {
    std::string classText;  // column 4 ("Class №")
    std::string scoreText;  // column 5 ("Score")
};
// First-level errors from the shown texts of the positive grid's rows. With `controlSide`, a row
// of class "New" is not recognised, a row of another class keeps its result unless its score
// cell is empty (then not recognised); with the learning side rows of other classes are left as
// they are. A row of class c is recognised when its shown score >= level; a score that cannot be
// read counts as missed.
struct FirstLevelCount {
    std::vector<std::optional<std::string>> results;  // per row: the new result text, or none
    int32_t count = 0;                                // rows of class c
    int32_t misses = 0;                               // of them, not recognised
    double error = 0.0;                               // misses / count; 0 when the class has no row
};
FirstLevelCount countFirstLevel(const std::vector<PositiveRow>& rows, int32_t c, double level,
                                bool controlSide, const NumberFormat& numbers);

// Sorts scores ascending; not-a-number scores go last (they have no place among the others).
void sortScores(std::vector<double>& scores);

// The level for a wanted first-level error e from the scored positives (any order): nothing when
// there are fewer than two. e = 0 gives s0 - 1; two scores give (s0 + s1) / 2; otherwise the
// first k with k/m <= e <= (k+1)/m chooses (s_k + s_(k+1)) / 2 when (k+1)/m - e >= e - k/m, else
// (s_(k+1) + s_(k+2)) / 2, and 0 when no k qualifies. A choice that needs a score beyond the
// highest (a wanted error in the topmost intervals) means every positive is to be missed: the
// level is then the highest score + 0.5, as the bootstrap's level puts it in that case.
std::optional<double> levelFromFirstError(std::vector<double> scores, double e);

// The interval rule of `levelFromFirstError` alone, over scores already sorted by `sortScores`
// (at least one): the midpoint chosen for e, the highest score + 0.5 when the choice passes the
// highest score, 0 when no interval holds e (e outside [0, 1] or not a number).
double levelAmongSorted(const std::vector<double>& sorted, double e);

// The per-class totals after "Total".
struct ErrorTotals {
    int32_t positives = 0, misses = 0, accepted = 0, negatives = 0;
    double firstError = 0.0;   // misses / positives; 0 without positives
    double secondError = 0.0;  // accepted / negatives; 0 without negatives
};
ErrorTotals errorTotals(int32_t positives, int32_t misses, int32_t accepted, int32_t negatives);

}  // namespace motifora
