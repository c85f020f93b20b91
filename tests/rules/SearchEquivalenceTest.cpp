// Whole searches with the bitset engine (1, 2 and 3 threads) against the per-object reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <memory>
#include <random>

#include "TestData.h"
#include "rules/RegGenerator.h"
#include "support/Seed.h"

namespace motifora {
namespace {

const uint32_t kSeed = test::testSeed("search equivalence", 4242u);

struct Scenario {
    const char* name;
    std::string alphabet;
    int32_t objects;
    int32_t length;
    bool windows;  // objects are windows of `window` letters
    int32_t window;
    bool negatives;  // a learning negative sample joins the objects
    bool ragged;     // records start at different positions and differ in length
    int32_t finish;
    int32_t sub;
    double fisher;
    double cp;
};

struct Outcome {
    std::vector<std::string> rules;  // every field compared, flattened
    std::vector<testing::SearchReport> calls;
    int64_t evaluations = 0;
};

std::string describe(const Rule& r) {
    std::string s = "t" + std::to_string(r.targetPosition) + " f" +
                    std::to_string(std::bit_cast<uint64_t>(r.fisher)) + " cp" +
                    std::to_string(std::bit_cast<uint64_t>(r.cp)) + " lo" +
                    std::to_string(r.lowestPosition) + " hi" + std::to_string(r.highestPosition) +
                    " |";
    for (int32_t i = 0; i < r.conditionCount; ++i) {
        const RuleCondition& c = r.Condition(i);
        s += " " + std::to_string(c.position) + (c.sign > 0 ? "+" : "-") + std::to_string(c.letter);
    }
    s += " |";
    for (double v : r.letterProbability) s += " " + std::to_string(std::bit_cast<uint64_t>(v));
    return s;
}

std::vector<Sequence> makeRecords(const Scenario& sc, uint32_t seed, bool negative) {
    std::string alphabet = sc.alphabet;
    auto texts = testing::plantedTexts(seed, sc.objects, sc.length, alphabet, negative ? 0.9 : 0.1);
    std::vector<Sequence> recs(texts.size());
    std::mt19937 rng(seed);
    for (size_t i = 0; i < texts.size(); ++i) {
        int32_t start = 1;
        std::string t = texts[i];
        if (sc.ragged && i % 3 == 1) {
            start = 1 + static_cast<int32_t>(rng() % 3);
            t = t.substr(0, t.size() - 1 - rng() % 3);
        }
        if (negative && i % 7 == 0) t[0] = 'x';  // a letter the table does not know
        recs[i].assign(t, "s" + std::to_string(i), start);
    }
    return recs;
}

Outcome search(const Scenario& sc, bool reference, int32_t threads) {
    const auto positives = makeRecords(sc, kSeed, false);
    SEQStorage storage;
    if (sc.windows) {
        storage.buildWindows(positives.data(), static_cast<int32_t>(positives.size()), sc.window);
    } else if (sc.negatives) {
        const auto negatives = makeRecords(sc, kSeed + 1, true);
        storage.buildWholeWithNegatives(positives.data(), negatives.data(),
                                        static_cast<int32_t>(positives.size()),
                                        static_cast<int32_t>(negatives.size()));
    } else {
        storage.buildWhole(positives.data(), static_cast<int32_t>(positives.size()));
    }
    RulesStorage results(sc.finish, storage.width);
    RegGenerator generator;
    test::RecordingSink sink;
    generator.SetSink(&sink);
    generator.SetReferenceEvaluation(reference);
    generator.SetThreadCount(threads);
    generator.Init(&storage, &results, sc.sub, sc.fisher, sc.cp);
    generator.RunSearch(nullptr);
    Outcome out;
    for (int32_t i = 0; i < results.Count(); ++i) out.rules.push_back(describe(*results.Get(i)));
    out.calls = testing::searchReports(sink);
    out.evaluations = generator.evaluationCount;
    return out;
}

class SearchEquivalence : public ::testing::TestWithParam<Scenario> {};

TEST_P(SearchEquivalence, SameRulesAndDisplayEveryWay) {
    const Scenario& sc = GetParam();
    std::printf("seed %u, scenario %s\n", kSeed, sc.name);
    const Outcome reference = search(sc, true, 1);
    ASSERT_FALSE(reference.rules.empty()) << "the scenario should find rules";
    size_t deepest = 0;
    for (const auto& r : reference.rules) {
        const size_t bar = r.find('|');
        deepest = std::max<size_t>(
            deepest,
            std::count(r.begin() + static_cast<std::ptrdiff_t>(bar) + 2,
                       r.begin() + static_cast<std::ptrdiff_t>(r.find('|', bar + 1)), ' ') +
                1);
    }
    std::printf("  %zu rules (up to %zu conditions), %lld evaluations, %zu reports\n",
                reference.rules.size(), deepest, static_cast<long long>(reference.evaluations),
                reference.calls.size());
    // With two or more threads the rules of a buffer are evaluated together ahead of their
    // turn; the thread count must change nothing.
    for (int32_t threads : {1, 2, 3}) {
        const Outcome fast = search(sc, false, threads);
        ASSERT_EQ(fast.rules.size(), reference.rules.size()) << threads << " threads";
        for (size_t i = 0; i < fast.rules.size(); ++i) {
            EXPECT_EQ(fast.rules[i], reference.rules[i]) << "rule " << i << ", " << threads;
        }
        EXPECT_TRUE(fast.calls == reference.calls) << threads << " threads";
        EXPECT_EQ(fast.evaluations, reference.evaluations);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Generated, SearchEquivalence,
    ::testing::Values(
        Scenario{"dna_whole", "ACGT", 300, 12, false, 0, false, false, 60, 10, 0.05, 0.6},
        Scenario{"dna_loose", "ACGT", 150, 9, false, 0, false, true, 200, 20, 1.0, 0.0},
        Scenario{"binary_whole", "AC", 150, 10, false, 0, false, false, 60, 10, 0.05, 0.7},
        Scenario{"six_letters_ragged", "ACGTNR", 300, 10, false, 0, false, true, 50, 6, 0.05, 0.5},
        Scenario{"dna_negatives", "ACGT", 90, 9, false, 0, true, false, 40, 8, 0.05, 0.6},
        Scenario{"binary_negatives_ragged", "AC", 100, 9, false, 0, true, true, 30, 6, 0.01, 0.6},
        Scenario{"dna_windows", "ACGT", 12, 40, true, 7, false, false, 40, 8, 0.05, 0.4},
        Scenario{"six_windows_ragged", "ACGTNR", 10, 30, true, 6, false, true, 30, 5, 0.1, 0.3},
        Scenario{"tiny_buffers", "ACGT", 120, 9, false, 0, true, true, 3, 2, 0.05, 0.5},
        Scenario{"tiny_binary", "AC", 200, 8, false, 0, false, true, 2, 1, 0.2, 0.6},
        // Full sub-buffers of many rules, each rule with enough objects that the threads share
        // the rules of a buffer.
        Scenario{"dna_wide_buffers", "ACGT", 400, 12, false, 0, true, false, 120, 40, 0.05, 0.6}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace motifora
