// Scores of whole sequences against a model's classes (exactly the classificator's score of an
// object of those letters) or by its discriminative rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Status.h"

namespace motifora {
class CCodeTable;
class Classificator;
struct ContrastRules;
}  // namespace motifora

namespace motifora::python {

// Writes, for every sequence, its best score over the classes and that class (1-based; the first
// of equal scores), exactly the score the recognition gives an object of those letters. A
// sequence holding a letter outside the model's alphabet gets a NaN score and class 0. Fails,
// naming the sequence, when one is not exactly `width` letters long, or when the model has no
// classes.
Status scoreByClasses(Classificator& classificator, const CCodeTable& table, int32_t classCount,
                      int32_t width, const std::vector<std::string_view>& sequences, double* scores,
                      int32_t* classes);

// The discriminative score of every sequence (the sum of the weights of the holding rules).
void scoreByContrast(const ContrastRules& rules, const std::vector<std::string_view>& sequences,
                     double* scores);

}  // namespace motifora::python
