// The discriminative search gives the same rules, bit for bit, on one thread and on two.
#include <gtest/gtest.h>

#include <random>

#include "ContrastCompare.h"
#include "rules/ContrastSearch.h"
#include "support/Seed.h"

namespace motifora {
namespace {

std::vector<Sequence> randomRecords(std::mt19937& rng, int32_t count, int32_t length,
                                    const std::string& motif) {
    const std::string dna = "ACGT";
    std::vector<Sequence> out(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        std::string s;
        for (int32_t p = 0; p < length; ++p) s += dna[rng() % 4];
        if (!motif.empty() && rng() % 3 != 0) s.replace(10, motif.size(), motif);
        out[static_cast<size_t>(i)].assign(s, "s" + std::to_string(i), 1);
    }
    return out;
}

TEST(ContrastSearchThreads, SameRulesOnOneAndTwoThreads) {
    std::mt19937 rng(test::testSeed("contrast threads", 5150u));
    // Enough objects and positions that the children of one rule are shared between threads.
    const auto pos = randomRecords(rng, 400, 60, "TTGACA");
    const auto neg = randomRecords(rng, 400, 60, "");
    ContrastSettings s;
    s.search.cpThreshold = 0.6;
    s.search.subBufferSize = 8;
    s.search.finishBufferSize = 60;
    s.threads = 1;
    const ContrastRules one = searchContrastRules(pos, neg, s, nullptr);
    s.threads = 2;
    const ContrastRules two = searchContrastRules(pos, neg, s, nullptr);
    ASSERT_FALSE(one.rules.empty());
    testing::expectSameContrastRules(two, one);
}

}  // namespace
}  // namespace motifora
