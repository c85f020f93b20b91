// The stratified, seeded split of two samples into k cross-validation folds.
#pragma once

#include <cstdint>
#include <vector>

namespace motifora {

// Fold numbers 0 ... k - 1 of every positive and every negative record, by record index.
struct FoldAssignment {
    int32_t folds = 0;
    std::vector<int32_t> positiveFold;
    std::vector<int32_t> negativeFold;
};

// Shuffles the positives, then the negatives, with one 64-bit Mersenne twister seeded by `seed`
// (Fisher-Yates with unbiased draws, so the split is the same on every platform) and deals each
// shuffled sample round the folds: every fold gets floor or ceil of each sample's share, and the
// negatives start where the positives stopped so the fold totals differ by at most one.
// Returns no folds (folds = 0, empty vectors) when k < 2.
FoldAssignment stratifiedFolds(int32_t positives, int32_t negatives, int32_t k, uint64_t seed);

// The indexes whose fold is (or is not) `fold`, ascending.
std::vector<int32_t> indexesInFold(const std::vector<int32_t>& folds, int32_t fold);
std::vector<int32_t> indexesOutsideFold(const std::vector<int32_t>& folds, int32_t fold);

}  // namespace motifora
