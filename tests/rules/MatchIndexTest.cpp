// The bitset engine against the straightforward per-object evaluation on generated data.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <limits>
#include <random>

#include "TestData.h"
#include "rules/MatchIndex.h"
#include "rules/RegGenerator.h"
#include "support/Seed.h"

namespace motifora {
namespace {

const uint32_t kSeed = test::testSeed("match index", 20261207u);

// A storage of random codes with uncovered (alphabetSize) and foreign (-1) cells and some
// objects shorter than the width.
void randomStorage(SEQStorage& s, std::mt19937& rng, int32_t objects, int32_t width,
                   int32_t letters) {
    s.width = width;
    s.alphabetSize = letters;
    s.learnObjectCount = objects;
    s.learnObjects.make(objects, width, letters);
    std::uniform_int_distribution<int32_t> code(0, letters - 1);
    std::uniform_int_distribution<int32_t> percent(0, 99);
    // A skewed letter mix makes significant rules common.
    for (int32_t o = 0; o < objects; ++o) {
        SEQSElem& object = s.learnObjects[o];
        if (percent(rng) < 5) object.allocate(std::max(1, width / 2), letters);
        const int32_t base = code(rng);
        for (int32_t p = 0; p < object.positionCount(); ++p) {
            const int32_t roll = percent(rng);
            int32_t c = roll < 50 ? base : code(rng);
            if (roll >= 96) c = letters;
            if (roll == 95) c = -1;
            object.setCode(c, p);
        }
    }
}

std::shared_ptr<LetterFrequencyTable> frequencyOf(SEQStorage& s) {
    RulesStorage unused(1, s.width);
    RegGenerator g;
    g.Init(&s, &unused, 1, 0.05, 0.8);
    return g.letterFrequency;
}

std::vector<RuleCondition> randomConditions(std::mt19937& rng, const SEQStorage& s, int32_t target,
                                            int32_t count) {
    std::vector<int32_t> free;
    for (int32_t p = 0; p < s.width; ++p) {
        if (p != target) free.push_back(p);
    }
    std::shuffle(free.begin(), free.end(), rng);
    free.resize(static_cast<size_t>(std::min<int32_t>(count, static_cast<int32_t>(free.size()))));
    std::sort(free.begin(), free.end());
    std::vector<RuleCondition> out;
    for (int32_t p : free) {
        out.push_back({p, static_cast<int16_t>(rng() % 3 == 0 ? -1 : 1),
                       static_cast<int32_t>(rng() % static_cast<uint32_t>(s.alphabetSize)), true});
    }
    return out;
}

// A random storage (as randomStorage makes it) with its target position drawn at random, the
// letter frequencies of its objects and the bitset index built on it.
struct IndexedStorage {
    IndexedStorage(std::mt19937& rng, int32_t objects, int32_t width, int32_t letters) {
        randomStorage(storage, rng, objects, width, letters);
        storage.centerPosition = static_cast<int32_t>(rng() % static_cast<uint32_t>(width));
        frequency = frequencyOf(storage);
        index.Build(storage);
    }
    SEQStorage storage;
    std::shared_ptr<LetterFrequencyTable> frequency;
    MatchIndex index;
};

bool sameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

void expectSameRule(const Rule& fast, const Rule& reference, const std::string& where) {
    EXPECT_TRUE(sameBits(fast.fisher, reference.fisher))
        << where << " fisher " << fast.fisher << " vs " << reference.fisher;
    EXPECT_TRUE(sameBits(fast.cp, reference.cp)) << where;
    ASSERT_EQ(fast.letterProbability.size(), reference.letterProbability.size()) << where;
    for (size_t j = 0; j < fast.letterProbability.size(); ++j) {
        EXPECT_TRUE(sameBits(fast.letterProbability[j], reference.letterProbability[j]))
            << where << " letter " << j;
    }
    ASSERT_EQ(fast.conditionCount, reference.conditionCount) << where;
    for (int32_t i = 0; i < fast.conditionCount; ++i) {
        EXPECT_EQ(fast.ConditionPosition(i), reference.ConditionPosition(i)) << where;
        EXPECT_EQ(fast.Condition(i).sign, reference.Condition(i).sign) << where;
        EXPECT_EQ(fast.Condition(i).letter, reference.Condition(i).letter) << where;
    }
}

TEST(MatchIndex, FisherStopsChangeNothingTheCallerReads) {
    std::mt19937 rng(kSeed);
    std::vector<double> table;
    for (int k = 0; k <= 5000; ++k) table.push_back(Rule::LogFactorial(k));
    const double never = std::numeric_limits<double>::infinity();
    int significant = 0;
    for (int round = 0; round < 20000; ++round) {
        const int64_t scale = (round % 4 == 0) ? 1200 : (round % 4 == 1 ? 60 : 12);
        std::uniform_int_distribution<int64_t> cell(0, scale);
        FisherTable t{cell(rng), cell(rng), cell(rng), cell(rng)};
        if (round % 3 == 0) t.t12 /= 8, t.t21 /= 8;  // strong associations
        const double threshold = std::vector<double>{0.05, 0.001, 0.5, 1.0}[round % 4];
        double plain = -1.0;
        const int code = Rule::FisherTestTable(t, threshold, plain);
        significant += code == 3;
        // The negligible-tail stop alone: the same probability bit for bit.
        const FisherTailStop tail{never, never, true};
        double p = -1.0;
        EXPECT_EQ(Rule::FisherTestTable(t, threshold, p, &tail, table.data(), table.size()), code);
        EXPECT_TRUE(sameBits(p, plain)) << t.t11 << " " << t.t12 << " " << t.t21 << " " << t.t22;
        // Stopping past the threshold: the same code, and the same probability when significant.
        const FisherTailStop past{threshold, never, true};
        p = -1.0;
        EXPECT_EQ(Rule::FisherTestTable(t, threshold, p, &past, table.data(), table.size()), code);
        if (code == 3) {
            EXPECT_TRUE(sameBits(p, plain));
        }
        // Stopping at a parent's value: the same verdict on "below the parent".
        const double parent = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
        const FisherTailStop below{threshold, parent, true};
        p = -1.0;
        const int c = Rule::FisherTestTable(t, threshold, p, &below, table.data(), table.size());
        const bool keptPlain = code == 3 && plain < parent;
        const bool keptFast = c == 3 && p < parent;
        EXPECT_EQ(keptFast, keptPlain);
        if (keptPlain) {
            EXPECT_TRUE(sameBits(p, plain));
        }
    }
    EXPECT_GT(significant, 1000);
}

TEST(MatchIndex, EvaluateAndDropMatchTheReference) {
    std::mt19937 rng(kSeed);
    int dropped = 0;
    for (int round = 0; round < 60; ++round) {
        const int32_t letters = 2 + round % 5;
        IndexedStorage indexed(rng, 40 + static_cast<int32_t>(rng() % 300), 7, letters);
        auto& [s, freq, index] = indexed;
        for (int k = 0; k < 20; ++k) {
            const auto conditions =
                randomConditions(rng, s, s.centerPosition, 1 + static_cast<int32_t>(rng() % 4));
            Rule reference;
            reference.Init(static_cast<int32_t>(conditions.size()), &s, 0.05, freq);
            reference.conditions = conditions;
            Rule fast = reference;
            reference.Evaluate();
            index.Evaluate(fast);
            const std::string where = "round " + std::to_string(round) + "." + std::to_string(k);
            expectSameRule(fast, reference, where + " evaluate");
            EXPECT_EQ(fast.table.t11, reference.table.t11) << where;
            EXPECT_EQ(fast.table.t22, reference.table.t22) << where;
            const bool a = reference.DropWeakConditions(0.05);
            const bool b = index.DropWeakConditions(fast, 0.05);
            EXPECT_EQ(a, b) << where;
            dropped += a;
            expectSameRule(fast, reference, where + " drop");
        }
    }
    EXPECT_GT(dropped, 50);
}

TEST(MatchIndex, ChildTestsMatchTheReference) {
    std::mt19937 rng(kSeed + 1);
    int passed = 0;
    for (int round = 0; round < 40; ++round) {
        const int32_t letters = 2 + round % 4;
        IndexedStorage indexed(rng, 60 + static_cast<int32_t>(rng() % 400), 6, letters);
        auto& [s, freq, index] = indexed;
        Rule parent;
        const auto conditions =
            randomConditions(rng, s, s.centerPosition, static_cast<int32_t>(rng() % 3));
        parent.Init(static_cast<int32_t>(conditions.size()), &s, 0.05, freq);
        parent.conditions = conditions;
        if (!conditions.empty()) parent.Evaluate();
        std::vector<uint64_t> match;
        index.MatchSet(parent, match);
        const int32_t matchCount = index.Popcount(match);
        for (int32_t p = 0; p < s.width; ++p) {
            for (int32_t j = 0; j < letters; ++j) {
                for (int16_t sign : {int16_t{1}, int16_t{-1}}) {
                    Rule child;
                    child.Init(parent.conditionCount + 1, &s, 0.05, freq);
                    parent.CopyConditionsTo(child);
                    child.AddCondition(p, sign, j);
                    const bool keep = child.fisher < parent.fisher && child.cp > parent.cp &&
                                      !child.HasNoPrediction();
                    std::vector<double> probabilities(static_cast<size_t>(letters) + 1, -9.0);
                    const ChildEvaluation e =
                        index.EvaluateChild(parent, match, matchCount, p, sign, j, s.centerPosition,
                                            *freq, 0.05, probabilities.data());
                    const std::string where = "round " + std::to_string(round) + " p" +
                                              std::to_string(p) + " j" + std::to_string(j);
                    ASSERT_EQ(e.passes, keep) << where;
                    if (!keep) continue;
                    ++passed;
                    EXPECT_TRUE(sameBits(e.fisher, child.fisher)) << where;
                    EXPECT_TRUE(sameBits(e.cp, child.cp)) << where;
                    for (int32_t l = 0; l <= letters; ++l) {
                        EXPECT_TRUE(sameBits(probabilities[static_cast<size_t>(l)],
                                             child.letterProbability[static_cast<size_t>(l)]))
                            << where;
                    }
                }
            }
        }
    }
    EXPECT_GT(passed, 100);
}

}  // namespace
}  // namespace motifora
