// The discriminative search: 2x2 tables and rules pinned on hand-made samples, every rule checked
// against a straightforward recount from the records, the bitset engine against the per-object
// evaluation, and a stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "ContrastCompare.h"
#include "TestData.h"
#include "rules/ContrastSearch.h"
#include "support/Seed.h"

namespace motifora {
namespace {

using testing::buildLabelled;
using testing::cells;
using testing::Cells;
using testing::records;

// Six positives, all with T first; six negatives, one with T first and five with G second.
const std::vector<std::string> kPositives = {"TAC", "TCA", "TAA", "TCC", "TAC", "TCG"};
const std::vector<std::string> kNegatives = {"TAA", "AGC", "CGA", "AGA", "CGC", "AGC"};

const ContrastRule* findRule(const ContrastRules& found, std::vector<RuleCondition> wanted) {
    for (const ContrastRule& r : found.rules) {
        if (r.conditions.size() != wanted.size()) continue;
        bool same = true;
        for (size_t i = 0; i < wanted.size(); ++i) {
            same = same && r.conditions[i].position == wanted[i].position &&
                   r.conditions[i].sign == wanted[i].sign &&
                   r.conditions[i].letter == wanted[i].letter;
        }
        if (same) return &r;
    }
    return nullptr;
}

ContrastSettings loose() {
    return {
        .search = {
            .confidence = 0.05, .cpThreshold = 0.7, .finishBufferSize = 200, .subBufferSize = 200}};
}

TEST(ContrastSearch, PinsThePositiveAndTheNegativeRuleOfAHandMadeSample) {
    const ContrastRules found =
        searchContrastRules(records(kPositives), records(kNegatives), loose(), nullptr);
    ASSERT_TRUE(found.complete);
    EXPECT_EQ(found.positives, 6);
    EXPECT_EQ(found.negatives, 6);
    const int32_t t = found.letters.codeOf('T');
    const int32_t g = found.letters.codeOf('G');

    // T first: 6 of 6 positives and 1 of 6 negatives hold; P(positive) = (6 + 1) / (7 + 2).
    const ContrastRule* tFirst = findRule(found, {{0, 1, t, true}});
    ASSERT_NE(tFirst, nullptr);
    EXPECT_TRUE(tFirst->predictsPositive());
    EXPECT_DOUBLE_EQ(tFirst->r, 7.0 / 9.0);
    EXPECT_DOUBLE_EQ(tFirst->cp, 7.0 / 9.0);
    EXPECT_EQ(tFirst->positivesHolding, 6);
    EXPECT_EQ(tFirst->negativesHolding, 1);
    EXPECT_EQ(cells(tFirst->table), (Cells{6, 1, 0, 5}));
    // Only the observed table is as extreme: C(6,6) C(6,1) / C(12,7) = 6 / 792.
    EXPECT_NEAR(tFirst->fisher, 6.0 / 792.0, 1e-9);
    EXPECT_NEAR(tFirst->weight(), std::log(4.5), 1e-12);

    // G second: 0 positives, 5 negatives; predicts a negative with (5 + 1) / (5 + 2).
    const ContrastRule* gSecond = findRule(found, {{1, 1, g, true}});
    ASSERT_NE(gSecond, nullptr);
    EXPECT_FALSE(gSecond->predictsPositive());
    EXPECT_DOUBLE_EQ(gSecond->r, -6.0 / 7.0);
    EXPECT_EQ(gSecond->positivesHolding, 0);
    EXPECT_EQ(gSecond->negativesHolding, 5);
    EXPECT_EQ(cells(gSecond->table), (Cells{5, 0, 1, 6}));
    EXPECT_NEAR(gSecond->fisher, 6.0 / 792.0, 1e-9);

    EXPECT_EQ(found.conditionsText(*tFirst), "1=T => positive");
    EXPECT_EQ(found.plainText(*gSecond, "promoter", "non-promoter"),
              "G at 2 => non-promoter, 0 of 6 positives, 5 of 6 negatives");
    // The third position carries no signal: no rule rests on it alone.
    for (const ContrastRule& r : found.rules) {
        EXPECT_FALSE(r.conditions.size() == 1 && r.conditions[0].position == 2)
            << found.conditionsText(r);
    }
}

TEST(ContrastSearch, NegativeConditionsAndTheirTexts) {
    // Positives never have A second; negatives always do.
    const ContrastRules found =
        searchContrastRules(records({"CCG", "GTG", "TCC", "CGT", "GCA", "TTA"}),
                            records({"CAG", "GAG", "TAC", "CAT", "GAA", "TAA"}), loose(), nullptr);
    const int32_t a = found.letters.codeOf('A');
    const ContrastRule* notA = findRule(found, {{1, -1, a, true}});
    ASSERT_NE(notA, nullptr);
    EXPECT_TRUE(notA->predictsPositive());
    EXPECT_DOUBLE_EQ(notA->r, 7.0 / 8.0);
    EXPECT_EQ(found.conditionsText(*notA), "2=-A => positive");
    EXPECT_EQ(found.plainText(*notA), "not A at 2 => positive, 6 of 6 positives, 0 of 6 negatives");
    const ContrastRule* isA = findRule(found, {{1, 1, a, true}});
    ASSERT_NE(isA, nullptr);
    EXPECT_DOUBLE_EQ(isA->r, -7.0 / 8.0);
}

TEST(ContrastSearch, NothingToContrastWithoutBothSamplesOrTwoLetters) {
    EXPECT_TRUE(searchContrastRules(records(kPositives), {}, loose(), nullptr).rules.empty());
    EXPECT_TRUE(searchContrastRules(records({"AAA", "AAA"}), records({"AAA"}), loose(), nullptr)
                    .rules.empty());
    SEQStorage one;
    const auto p = records({"AAAA"});
    one.buildWhole(p.data(), 1);
    SEQStorage labelled;
    buildLabelledStorage(one, 1, labelled);
    EXPECT_EQ(labelled.learnObjectCount, 0);
}

TEST(ContrastSearch, LabelledStorageAppendsTheSampleColumn) {
    SEQStorage objects, labelled;
    buildLabelled(objects, labelled, {"ACG", "GA"}, {"CCC"});
    ASSERT_EQ(labelled.width, 4);
    ASSERT_EQ(labelled.learnObjectCount, 3);
    EXPECT_EQ(labelled.learnObjects[0].codeAt(3), 0);
    EXPECT_EQ(labelled.learnObjects[1].codeAt(3), 0);
    EXPECT_EQ(labelled.learnObjects[2].codeAt(3), 1);
    EXPECT_EQ(labelled.learnObjects[1].codeAt(2), objects.alphabetSize);  // uncovered stays so
    EXPECT_EQ(labelled.learnObjects[0].codeAt(1), objects.learnObjects[0].codeAt(1));
}

TEST(ContrastSearch, StopsWhenTheRunFlagIsCleared) {
    RunControl control;
    control.setRunning(false);
    const ContrastRules found =
        searchContrastRules(records(kPositives), records(kNegatives), loose(), &control);
    EXPECT_FALSE(found.complete);
    EXPECT_TRUE(found.rules.empty());
}

TEST(ContrastSearch, HeatMapSharesEachSignedWeightAmongTheConditions) {
    ContrastRules rules;
    const auto letters = records({"ACGT"});
    rules.letters.addLetters(letters.data(), 1);
    rules.width = 3;
    ContrastRule both;  // T at 1 and not A at 3 => positive, weight ln 4
    both.conditions = {{0, 1, 3, true}, {2, -1, 0, true}};
    both.r = 0.75;
    ContrastRule one;  // T at 1 => negative, weight ln 2
    one.conditions = {{0, 1, 3, true}};
    one.r = -0.5;
    rules.rules = {both, one};
    const auto map = contrastHeatMap(rules);
    ASSERT_EQ(map.size(), 3u);
    ASSERT_EQ(map[0].size(), 4u);
    EXPECT_DOUBLE_EQ(map[0][3], std::log(4.0) / 2 - std::log(2.0));
    EXPECT_DOUBLE_EQ(map[2][0], -std::log(4.0) / 2);
    EXPECT_EQ(map[1][1], 0.0);
}

// --- the straightforward twin -------------------------------------------------------------------

std::vector<std::string> planted(std::mt19937& rng, int32_t count, int32_t length, bool positive) {
    const std::string dna = "ACGT";
    std::vector<std::string> out;
    for (int32_t i = 0; i < count; ++i) {
        std::string s;
        for (int32_t p = 0; p < length; ++p) s += dna[rng() % 4];
        // Positives mostly carry TATA at 3..6 and avoid G at 9; negatives are A/T rich at 9.
        if (positive && rng() % 10 < 7) s.replace(3, 4, "TATA");
        if (positive && s[9] == 'G' && rng() % 2 == 0) s[9] = 'C';
        if (!positive && rng() % 3 == 0) s[9] = 'A';
        out.push_back(s);
    }
    return out;
}

double logChoose(int64_t n, int64_t k) {
    return std::lgamma(static_cast<double>(n + 1)) - std::lgamma(static_cast<double>(k + 1)) -
           std::lgamma(static_cast<double>(n - k + 1));
}

// One-sided probability of a table at least as extreme towards a large t11 (margins fixed).
double fisherOneSided(int64_t t11, int64_t t12, int64_t t21, int64_t t22) {
    const int64_t row1 = t11 + t12, col1 = t11 + t21, n = t11 + t12 + t21 + t22;
    double sum = 0.0;
    for (int64_t a = t11; a <= std::min(row1, col1); ++a) {
        sum += std::exp(logChoose(col1, a) + logChoose(n - col1, row1 - a) - logChoose(n, row1));
    }
    return std::min(sum, 1.0);
}

double twinProbability(int64_t nj, int64_t n, double f) {
    const double plus = nj > 0 ? static_cast<double>(nj + 1) / static_cast<double>(n + 2) : 0.0;
    const double minus = static_cast<double>(n - nj + 1) / static_cast<double>(n + 2);
    if (plus > f) return plus;
    if (minus > 1.0 - f) return -minus;
    return 0.0;
}

bool holdsOn(const ContrastRule& rule, const std::string& text, const CCodeTable& letters) {
    for (const RuleCondition& c : rule.conditions) {
        const bool there = static_cast<size_t>(c.position) < text.size() &&
                           letters.codeOf(static_cast<unsigned char>(text[c.position])) == c.letter;
        if (there != (c.sign > 0)) return false;
    }
    return true;
}

TEST(ContrastSearch, EveryRuleAgreesWithARecountFromTheRecords) {
    std::mt19937 rng(test::testSeed("contrast twin", 1811u));
    const auto pos = planted(rng, 60, 14, true);
    const auto neg = planted(rng, 70, 14, false);
    ContrastSettings s = loose();
    s.search.cpThreshold = 0.6;
    s.search.subBufferSize = 400;  // every one-condition rule fits the first level
    s.search.finishBufferSize = 1000;
    const ContrastRules found = searchContrastRules(records(pos), records(neg), s, nullptr);
    ASSERT_GT(found.rules.size(), 5u);
    const double fPositive = 60.0 / 130.0;
    for (size_t i = 0; i < found.rules.size(); ++i) {
        const ContrastRule& r = found.rules[i];
        int64_t hp = 0, hn = 0;
        for (const auto& t : pos) hp += holdsOn(r, t, found.letters) ? 1 : 0;
        for (const auto& t : neg) hn += holdsOn(r, t, found.letters) ? 1 : 0;
        EXPECT_EQ(r.positivesHolding, hp);
        EXPECT_EQ(r.negativesHolding, hn);
        const double rp = twinProbability(hp, hp + hn, fPositive);
        const double rn = twinProbability(hn, hp + hn, 1.0 - fPositive);
        EXPECT_DOUBLE_EQ(r.cp, std::max(std::fabs(rp), std::fabs(rn)));
        EXPECT_EQ(r.predictsPositive(), rp > 0.0 || (rp == 0.0 && rn < 0.0));
        EXPECT_GE(r.cp, s.search.cpThreshold);
        const bool positive = r.predictsPositive();
        const double p = fisherOneSided(positive ? hp : hn, positive ? hn : hp,
                                        positive ? 60 - hp : 70 - hn, positive ? 70 - hn : 60 - hp);
        EXPECT_NEAR(r.fisher, p, 1e-9 + 1e-6 * p) << found.conditionsText(r);
        EXPECT_LE(r.fisher, s.search.confidence);
        if (i > 0) {
            EXPECT_LE(found.rules[i - 1].fisher, r.fisher);
        }
    }
    // Every significant one-condition rule the twin finds by trying them all is there.
    int32_t single = 0;
    for (int32_t p = 0; p < 14; ++p) {
        for (int32_t code = 0; code < found.letters.size(); ++code) {
            for (int16_t sign : {int16_t{1}, int16_t{-1}}) {
                ContrastRule c;
                c.conditions = {{p, sign, code, true}};
                int64_t hp = 0, hn = 0;
                for (const auto& t : pos) hp += holdsOn(c, t, found.letters) ? 1 : 0;
                for (const auto& t : neg) hn += holdsOn(c, t, found.letters) ? 1 : 0;
                const double rp = twinProbability(hp, hp + hn, fPositive);
                if (hp + hn == 0 || std::fabs(rp) < s.search.cpThreshold) continue;
                const bool positive = rp > 0.0;
                const double fisher =
                    fisherOneSided(positive ? hp : hn, positive ? hn : hp,
                                   positive ? 60 - hp : 70 - hn, positive ? 70 - hn : 60 - hp);
                if (fisher > s.search.confidence * 0.999) continue;
                ++single;
                EXPECT_NE(findRule(found, c.conditions), nullptr)
                    << "position " << p + 1 << " sign " << sign << " letter " << code;
            }
        }
    }
    EXPECT_GT(single, 0);
}

TEST(ContrastSearch, BitsetsGiveWhatThePerObjectEvaluationGives) {
    std::mt19937 rng(test::testSeed("contrast reference", 977u));
    const auto pos = records(planted(rng, 80, 16, true));
    const auto neg = records(planted(rng, 90, 16, false));
    ContrastSettings s = loose();
    s.search.cpThreshold = 0.6;
    s.search.subBufferSize = 12;
    s.search.finishBufferSize = 80;
    s.referenceEvaluation = true;
    const ContrastRules reference = searchContrastRules(pos, neg, s, nullptr);
    s.referenceEvaluation = false;
    const ContrastRules fast = searchContrastRules(pos, neg, s, nullptr);
    ASSERT_GT(reference.rules.size(), 10u);
    testing::expectSameContrastRules(fast, reference);
}

}  // namespace
}  // namespace motifora
