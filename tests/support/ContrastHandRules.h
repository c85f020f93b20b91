// Two discriminative rules written by hand over ACGT records of width 3, for the tests of the
// scores built on them.
#pragma once

#include <vector>

#include "rules/ContrastSearch.h"
#include "support/Records.h"

namespace motifora::test {

// "T at 1 => positive" with r = 0.75 (weight ln 4) and "not A at 2 => negative" with r = -0.5
// (weight ln 2).
inline ContrastRules handRules() {
    ContrastRules rules;
    const auto letters = std::vector<Sequence>{record("ACGT")};
    rules.letters.addLetters(letters.data(), 1);
    rules.width = 3;
    ContrastRule tFirst;
    tFirst.conditions = {{0, 1, rules.letters.codeOf('T'), true}};
    tFirst.r = 0.75;
    ContrastRule notASecond;
    notASecond.conditions = {{1, -1, rules.letters.codeOf('A'), true}};
    notASecond.r = -0.5;
    rules.rules = {tFirst, notASecond};
    return rules;
}

}  // namespace motifora::test
