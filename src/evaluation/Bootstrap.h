// The arithmetic of the bootstrap: the held-out count, the distinct draws, the split of the
// learning positives, the class level from a wanted first-level error, the iteration's errors
// and the averages of the shown results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/NumberFormat.h"
#include "core/Sequence.h"
#include "evaluation/RandomSequence.h"

namespace motifora {

// ceil(N x p x 0.01) - 1, computed in that order in double precision (for N = 100 and p = 10,
// 9), never below 0.
int32_t heldOutCount(int32_t n, int32_t percent);

// h distinct indices 0 ... n - 1 in the order drawn: each draw repeats RandomIndex(n) until it
// differs from every index drawn before. Draws nothing (and returns nothing) when h < 1 or
// h >= n, where distinct draws could not all succeed.
std::vector<int32_t> drawDistinct(RandomSequence& random, int32_t n, int32_t h);

// Copies records 0 ... n - 1 in order into `heldOut` when drawn, else into `kept`; each copy has
// the source's name and letters and start position 1 (its length recounted).
void splitSample(const Sequence* records, int32_t n, const std::vector<int32_t>& drawn,
                 std::vector<Sequence>& kept, std::vector<Sequence>& heldOut);

// The level of one class from its kept learning scores (any order) and the wanted first-level
// error e, the scores sorted ascending s0 <= s1 <= ... (i of them):
// e = 0: s0 - 0.5; e = 1: s_(i-1) + 0.5; otherwise with i <= 2: (s0 + s1) / 2; otherwise the
// first k with k/i <= e <= (k+1)/i chooses (s_k + s_(k+1)) / 2 when (k+1)/i - e >= e - k/i, else
// (s_(k+1) + s_(k+2)) / 2, and 0 when no k qualifies.
// Where that would need a score beyond the highest (one kept score with 0 < e < 1, or a wanted
// error in the topmost intervals) every kept positive is to be missed or the rule has nothing to
// average: one kept score gives s0 - 0.5 (the object itself recognised, as for e = 0); the top
// intervals give s_(i-1) + 0.5 (as for e = 1). Without any kept score the level is +infinity, so
// that the class recognises nothing.
double bootstrapLevel(std::vector<double> scores, double e);

// (held out - recognised) / held out; 0 when nothing is held out (nothing to miss).
double iterationFirstError(int32_t heldOut, int32_t recognized);
// accepted / control negatives; 0 without control negatives.
double iterationSecondError(int32_t accepted, int32_t negatives);

// The average of a results column: the shown texts read as numbers (with either separator;
// an empty or unreadable text counts 0), summed in row order and divided by `iterations`
// (0 when iterations < 1).
double shownAverage(const std::vector<std::string>& texts, int32_t iterations,
                    const NumberFormat& numbers);

}  // namespace motifora
