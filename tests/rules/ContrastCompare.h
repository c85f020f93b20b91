// Comparing two results of the discriminative search, for the tests of its engines and threads.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "rules/ContrastSearch.h"

namespace motifora::testing {

// Expects `got` to hold the rules of `want` in the same order, with the same texts and the same
// Fisher values and signed probabilities bit for bit, after the same number of evaluations.
inline void expectSameContrastRules(const ContrastRules& got, const ContrastRules& want) {
    ASSERT_EQ(got.rules.size(), want.rules.size());
    EXPECT_EQ(got.evaluations, want.evaluations);
    for (size_t i = 0; i < got.rules.size(); ++i) {
        SCOPED_TRACE("rule " + std::to_string(i));
        EXPECT_EQ(got.conditionsText(got.rules[i]), want.conditionsText(want.rules[i]));
        EXPECT_EQ(std::bit_cast<uint64_t>(got.rules[i].fisher),
                  std::bit_cast<uint64_t>(want.rules[i].fisher));
        EXPECT_EQ(std::bit_cast<uint64_t>(got.rules[i].r),
                  std::bit_cast<uint64_t>(want.rules[i].r));
    }
}

}  // namespace motifora::testing
