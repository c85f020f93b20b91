// Sequence logos: for each position of aligned sequences, how much it tells (its information in
// bits) and how that is shared among its letters, as the window draws them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/EvaluationReport.h"

namespace motifora {

// One letter of a position's stack and its height in bits.
struct LogoLetter {
    char letter = 0;
    double bits = 0.0;
    bool operator==(const LogoLetter&) const = default;
};

// One position: its letters from the bottom of the stack (the least frequent) to the top (the
// most frequent; equal ones in alphabet order, the earlier one higher), and their sum.
struct LogoColumn {
    std::vector<LogoLetter> letters;
    double bits = 0.0;
    bool operator==(const LogoColumn&) const = default;
};

struct SequenceLogo {
    std::string title;      // "Learning sample (53 sequences)", "Class 2 (12 sequences)"
    int32_t sequences = 0;  // how many were counted
    double maxBits = 0.0;   // log2 of the alphabet's size: the height of a certain position
    std::vector<LogoColumn> columns;
    bool operator==(const SequenceLogo&) const = default;
};

// The logo of letter counts: counts[p][a] sequences hold letter `alphabet[a]` at position p.
// A position's information is log2(A) minus its entropy minus the small-sample correction
// (A - 1) / (2 ln 2 n) for its n counted letters, never below 0; each letter's height is its
// frequency times that. A position with no letters counted has no height.
SequenceLogo logoFromCounts(const std::vector<std::vector<int32_t>>& counts,
                            const std::string& alphabet, std::string title);

// Classes with fewer members than this get no logo (as in the evaluation report).
constexpr int32_t kLogoMembers = kLogoMinimumMembers;

}  // namespace motifora
