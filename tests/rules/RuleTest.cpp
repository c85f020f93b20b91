// Rules: evaluation, the Fisher test, log-factorials, dropping weak conditions and the texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "TestData.h"
#include "rules/Rule.h"
#include "rules/RulesStorage.h"

namespace motifora {
namespace {

using testing::buildWhole;
using testing::cells;
using testing::Cells;

// Ten objects over A (code 0) and C (code 1), width 2: five with A at position 1 (four of them
// with C at 0), five with C at 1 (four with A at 0).
const std::vector<std::string> kTenObjects = {"AA", "CA", "CA", "CA", "CA",
                                              "AC", "AC", "AC", "AC", "CC"};

std::shared_ptr<LetterFrequencyTable> frequencies(const SEQStorage& s) {
    auto table = std::make_shared<LetterFrequencyTable>(s.width, s.alphabetSize);
    for (int32_t o = 0; o < s.learnObjectCount; ++o) {
        const SEQSElem& object = s.learnObjects[o];
        for (int32_t p = 0; p < std::min(s.width, object.positionCount()); ++p) {
            const int32_t c = object.codeAt(p);
            if (c >= 0 && c < s.alphabetSize) table->at(p, c) += 1.0;
        }
    }
    for (double& v : table->values) v /= s.learnObjectCount;
    return table;
}

// Puts the conditions straight into the rule's slots (in the order given).
void setConditions(Rule& rule, const std::vector<RuleCondition>& conditions) {
    rule.conditions = conditions;
    for (auto& c : rule.conditions) c.kept = true;
    rule.conditionCount = static_cast<int32_t>(conditions.size());
}

std::unique_ptr<Rule> oneCondition(SEQStorage& s, double threshold, int32_t position, int16_t sign,
                                   int32_t letter) {
    auto rule = std::make_unique<Rule>();
    rule->Init(1, &s, threshold, frequencies(s));
    rule->AddCondition(position, sign, letter);
    return rule;
}

TEST(Rule, NewRuleAndInit) {
    Rule rule;
    EXPECT_EQ(rule.fisher, 1.0);
    EXPECT_EQ(rule.cp, 0.0);
    EXPECT_EQ(rule.reservedValue, 4);
    EXPECT_EQ(rule.conditionCount, 0);
    SEQStorage s;
    buildWhole(s, {"ACG", "GCA"});
    s.centerPosition = 2;
    rule.Init(3, &s, 0.05, nullptr);
    EXPECT_EQ(rule.positionCount, 3);
    EXPECT_EQ(rule.alphabetSize, 3);
    EXPECT_EQ(rule.codeCount, 4);
    EXPECT_EQ(rule.targetPosition, 2);
    EXPECT_EQ(rule.fisherThreshold, 0.05);
    ASSERT_EQ(rule.conditions.size(), 3u);
    EXPECT_EQ(rule.conditions[2].sign, 0);
    EXPECT_EQ(rule.letterProbability, std::vector<double>(4, 0.0));
    EXPECT_EQ(rule.fisher, 1.0);
}

TEST(Rule, WorkedExampleEvaluation) {
    SEQStorage s;
    buildWhole(s, kTenObjects);
    ASSERT_EQ(s.codeTable.codeOf('A'), 0);
    s.centerPosition = 0;
    auto strict = oneCondition(s, 0.05, 1, 1, 0);
    EXPECT_DOUBLE_EQ(strict->LetterProbability(0), -5.0 / 7.0);
    EXPECT_DOUBLE_EQ(strict->LetterProbability(1), 5.0 / 7.0);
    EXPECT_EQ(strict->LetterProbability(2), 0.0);
    EXPECT_DOUBLE_EQ(strict->cp, 5.0 / 7.0);
    int32_t letter = -1;
    EXPECT_DOUBLE_EQ(strict->BestPrediction(letter), 5.0 / 7.0);
    EXPECT_EQ(letter, 1);  // the positive value wins the tie
    EXPECT_EQ(cells(strict->table), (Cells{4, 1, 1, 4}));
    double p = -1;
    EXPECT_EQ(strict->FisherTest(0.05, p), 2);
    EXPECT_NEAR(p, 26.0 / 252.0, 1e-12);
    EXPECT_EQ(strict->fisher, 1.0);

    auto loose = oneCondition(s, 0.2, 1, 1, 0);
    EXPECT_EQ(loose->FisherTest(0.2, p), 3);
    EXPECT_NEAR(loose->fisher, 26.0 / 252.0, 1e-12);
    EXPECT_EQ(formatFixed6(loose->fisher), "0.103175");

    RulesStorage list(5, 2);
    std::unique_ptr<Rule> owned = std::move(strict);
    ASSERT_TRUE(list.Add(owned, true));
    std::string fisherText, cpText, ruleText;
    list.GetTexts(0, fisherText, cpText, ruleText);
    EXPECT_EQ(ruleText, "2=A =>   [1] = (A:-0.714286) (C:0.714286) ");
    EXPECT_EQ(fisherText, "1.000000");
    EXPECT_EQ(cpText, "0.714286");
}

TEST(Rule, NoMatchingObjectKeepsFisherAndCp) {
    SEQStorage s;
    buildWhole(s, kTenObjects);
    s.centerPosition = 0;
    auto rule = oneCondition(s, 0.2, 1, 1, 0);
    const double fisher = rule->fisher;
    const double cp = rule->cp;
    ASSERT_LT(fisher, 1.0);
    rule->conditions[0].letter = 5;  // a code no object has: nothing matches
    rule->Evaluate();
    EXPECT_EQ(rule->fisher, fisher);
    EXPECT_EQ(rule->cp, cp);
    EXPECT_TRUE(rule->HasNoPrediction());
    EXPECT_EQ(rule->LetterProbability(1), 0.0);

    Rule fresh;
    fresh.Init(1, &s, 0.2, frequencies(s));
    fresh.AddCondition(1, 1, 5);  // a code no object has
    EXPECT_EQ(fresh.fisher, 1.0);
    EXPECT_EQ(fresh.cp, 0.0);
}

TEST(Rule, RuleWithoutPredictionCountsEveryObjectRight) {
    // Among the objects with A at position 1 the target letters split as in the whole sample,
    // so neither letter is predicted.
    SEQStorage s;
    buildWhole(s, {"AA", "CA", "AC", "CC"});
    s.centerPosition = 0;
    auto rule = oneCondition(s, 0.05, 1, 1, 0);
    EXPECT_TRUE(rule->HasNoPrediction());
    EXPECT_EQ(rule->cp, 0.0);
    EXPECT_EQ(cells(rule->table), (Cells{2, 0, 2, 0}));
    double p = 0.0;
    EXPECT_EQ(rule->FisherTest(1.0, p), 3);
    EXPECT_NEAR(p, 1.0, 1e-12);
    EXPECT_EQ(rule->fisher, 1.0);
}

TEST(Rule, UncoveredAndForeignTargetsAddToNoLetterCount) {
    // Position 0 of the last two objects is uncovered (a record starting later) or foreign.
    SEQStorage s;
    auto pos = testing::records({"AA", "CA", "CA", "AC"});
    auto neg = testing::records({"XA"});
    std::vector<Sequence> late(1);
    late[0].assign("A", "late", 2);
    std::vector<Sequence> all = pos;
    all.push_back(late[0]);
    s.buildWholeWithNegatives(all.data(), neg.data(), 5, 1);
    ASSERT_EQ(s.learnObjects[4].codeAt(0), s.alphabetSize);
    ASSERT_EQ(s.learnObjects[5].codeAt(0), -1);
    s.centerPosition = 0;
    Rule rule;
    rule.Init(1, &s, 1.0, frequencies(s));
    rule.AddCondition(1, 1, 0);  // A at position 1: objects 0, 1, 2, 4, 5
    // n_A = 1, n_C = 2: the uncovered and the foreign targets count nowhere.
    EXPECT_DOUBLE_EQ(rule.LetterProbability(1), 3.0 / 5.0);
    // Prediction C: the two uncounted targets are wrong, the others as their letters say.
    EXPECT_EQ(cells(rule.table), (Cells{2, 3, 0, 1}));
}

TEST(Rule, NarrowObjectReadsUncoveredBeyondItsEnd) {
    SEQStorage s;
    buildWhole(s, {"AC", "AC", "CA"});
    s.learnObjects[2].allocate(1, 1);  // object 2 ends after position 0
    s.centerPosition = 0;
    Rule rule;
    rule.Init(1, &s, 1.0, frequencies(s));
    rule.AddCondition(1, -1, 1);  // "not C" holds for an uncovered position
    EXPECT_TRUE(rule.Matches(s.learnObjects[2], false));
    EXPECT_FALSE(rule.Matches(s.learnObjects[0], false));
}

TEST(Rule, AddConditionKeepsPositionOrder) {
    SEQStorage s;
    buildWhole(s, {"ACGTACGT"});
    s.centerPosition = 0;
    Rule parent;
    parent.Init(2, &s, 0.05, nullptr);
    setConditions(parent, {{2, -1, 1}, {5, 1, 0}});
    Rule child;
    child.Init(3, &s, 0.05, nullptr);
    parent.CopyConditionsTo(child);
    EXPECT_EQ(child.lowestPosition, 0);  // bounds start at 0 and only widen
    EXPECT_EQ(child.highestPosition, 5);
    EXPECT_EQ(child.conditions[2].sign, 0);  // the free last slot
    struct Case {
        int32_t position;
        std::vector<int32_t> order;
    };
    for (const Case& c : {Case{1, {1, 2, 5}}, Case{3, {2, 3, 5}}, Case{7, {2, 5, 7}}}) {
        Rule r = child;
        r.InsertCondition(c.position, 1, 3);
        std::vector<int32_t> got;
        for (int32_t i = 0; i < r.ConditionCount(); ++i) got.push_back(r.ConditionPosition(i));
        EXPECT_EQ(got, c.order) << "new condition at " << c.position;
        for (const auto& cond : r.conditions) EXPECT_TRUE(cond.kept);
    }
    Rule r = child;
    r.InsertCondition(7, 1, 3);
    EXPECT_EQ(r.highestPosition, 7);
}

TEST(Rule, BestPredictionTies) {
    struct Case {
        std::vector<double> values;
        double best;
        int32_t letter;
    };
    const Case cases[] = {
        {{0.0, 0.0, 0.0}, 0.0, -7},    // nothing: the letter is left untouched
        {{-0.6, 0.6, 0.0}, 0.6, 1},    // positive beats negative of equal size
        {{0.6, -0.6, 0.6}, 0.6, 0},    // the first of equal positives
        {{-0.6, -0.6, 0.5}, -0.6, 0},  // the first of equal negatives
        {{0.2, -0.9, 0.8}, -0.9, 1},   // magnitude first
    };
    for (const Case& c : cases) {
        Rule rule;
        rule.alphabetSize = static_cast<int32_t>(c.values.size());
        rule.letterProbability = c.values;
        rule.letterProbability.push_back(0.0);
        int32_t letter = -7;
        EXPECT_EQ(rule.BestPrediction(letter), c.best);
        EXPECT_EQ(letter, c.letter);
        EXPECT_EQ(rule.HasNoPrediction(), c.best == 0.0);
    }
}

TEST(Rule, LogFactorialTableAndSeries) {
    double exact = 0.0;
    for (int n = 2; n <= 10; ++n) {
        exact += std::log(static_cast<double>(n));
        EXPECT_NEAR(Rule::LogFactorial(n), exact, 1e-14) << n;
    }
    EXPECT_EQ(Rule::LogFactorial(-3), 0.0);
    EXPECT_EQ(Rule::LogFactorial(0), 0.0);
    EXPECT_EQ(Rule::LogFactorial(1), 0.0);
    EXPECT_EQ(Rule::LogFactorial(2), std::log(2.0));
    // Above 10 the series, evaluated left to right in doubles (360 n^3 would overflow 32 bits).
    for (int64_t n : {11, 12, 100, 182, 1000, 100000}) {
        const double x = static_cast<double>(n);
        const double series = x * std::log(x) - x + 0.5 * std::log((2.0 * M_PI) * x) +
                              1.0 / (12.0 * x) - 1.0 / (360.0 * x * x * x);
        EXPECT_EQ(Rule::LogFactorial(n), series) << n;
        EXPECT_NEAR(Rule::LogFactorial(n), std::lgamma(x + 1.0), 1e-9 * x) << n;
    }
}

TEST(Rule, FisherTestCodes) {
    double p = -5.0;
    // Empty table.
    EXPECT_EQ(Rule::FisherTestTable({0, 0, 0, 0}, 0.05, p), 0);
    EXPECT_EQ(p, -5.0);
    // Association the wrong way: t22 = 0 < R*K/N.
    EXPECT_EQ(Rule::FisherTestTable({1, 4, 4, 0}, 0.05, p), 1);
    EXPECT_EQ(p, -5.0);
    // t22 already equals min(R, K): the observed table alone (1 / C(10,5)).
    EXPECT_EQ(Rule::FisherTestTable({5, 0, 0, 5}, 0.05, p), 3);
    EXPECT_NEAR(p, 1.0 / 252.0, 1e-14);
    // No prediction: every object right, t12 = t22 = 0, probability 1.
    EXPECT_EQ(Rule::FisherTestTable({4, 0, 6, 0}, 0.05, p), 2);
    EXPECT_NEAR(p, 1.0, 1e-12);
    EXPECT_LE(p, 1.0);
    // Threshold exactly at the probability is significant.
    double q = 0;
    Rule::FisherTestTable({4, 1, 1, 4}, 0.05, q);
    EXPECT_EQ(Rule::FisherTestTable({4, 1, 1, 4}, q, p), 3);
}

TEST(Rule, FisherSumIsCappedAtOne) {
    // Rounding of the series can push a near-certain sum above 1.
    double p = 0.0;
    for (int64_t n = 11; n < 400; ++n) {
        Rule::FisherTestTable({n, 0, n, 0}, 0.5, p);
        EXPECT_LE(p, 1.0) << n;
    }
}

TEST(Rule, DropWeakConditions) {
    SEQStorage s;
    // Target position 0 copies position 1; position 2 is noise.
    std::vector<std::string> texts;
    for (int i = 0; i < 6; ++i) {
        for (const char* t : {"AAA", "AAC", "CCA", "CCC"}) texts.push_back(t);
    }
    buildWhole(s, texts);
    s.centerPosition = 0;
    auto freq = frequencies(s);
    Rule one;
    one.Init(1, &s, 0.05, freq);
    one.AddCondition(1, 1, 0);
    const Rule before = one;
    EXPECT_FALSE(one.DropWeakConditions(0.05));
    EXPECT_EQ(one.conditionCount, 1);
    EXPECT_EQ(one.fisher, before.fisher);

    Rule two;
    two.Init(2, &s, 0.05, freq);
    one.CopyConditionsTo(two);
    two.AddCondition(2, 1, 0);
    ASSERT_LT(two.fisher, 0.05);
    EXPECT_TRUE(two.DropWeakConditions(0.05));
    ASSERT_EQ(two.conditionCount, 1);
    EXPECT_EQ(two.ConditionPosition(0), 1);  // the noise condition went
    EXPECT_EQ(two.highestPosition, 2);       // bounds stay
    Rule again;
    again.Init(1, &s, 0.05, freq);
    again.AddCondition(1, 1, 0);
    EXPECT_EQ(two.fisher, again.fisher);
    EXPECT_EQ(two.cp, again.cp);
    EXPECT_EQ(two.letterProbability, again.letterProbability);
}

TEST(Rule, DisplayKeyAndShiftedTexts) {
    SEQStorage s;
    buildWhole(s, {"ACGTACGT", "CAGTTGCA"});
    s.centerPosition = 4;
    Rule rule;
    rule.Init(2, &s, 0.05, nullptr);
    setConditions(rule, {{2, 1, 0}, {4, -1, 1}});
    rule.targetPosition = 6;
    rule.letterProbability = {0.5, -0.25, 0.0, 0.125, 0.0};
    std::string main, shifted;
    rule.ToText(main, shifted, true);
    EXPECT_EQ(main, "3=A & 5=-C =>   [7] = (A:0.500000) (C:-0.250000) (G:0.000000) (T:0.125000) ");
    EXPECT_EQ(shifted, "");
    rule.ToText(main, shifted, false);
    EXPECT_EQ(main, "3=A & 5=-C => +A[7]");
    rule.shiftedCount = 2;
    rule.shiftedConditions = {{4, -1, 2, false}, {9, 1, 3, false}};
    rule.ToText(main, shifted, false);
    EXPECT_EQ(shifted, " (-G[-2] & T[3])");
    Rule negativeFirst = rule;
    negativeFirst.conditions[0].sign = -1;
    negativeFirst.ToText(main, shifted, false);
    EXPECT_EQ(main, "3=-A & 5=-C => -A[7]");
}

TEST(Rule, LongTextGrowsPastAnyFixedBuffer) {
    SEQStorage s;
    std::string letters;
    for (char c = 'A'; c <= 'Z'; ++c) letters += c;
    buildWhole(s, {std::string(300, 'A') + letters});
    s.centerPosition = 0;
    Rule rule;
    rule.Init(250, &s, 0.05, nullptr);
    std::vector<RuleCondition> conditions;
    for (int32_t i = 0; i < 250; ++i) {
        conditions.push_back({i + 1, -1, i % 26, true});
    }
    setConditions(rule, conditions);
    std::string main, shifted;
    rule.ToText(main, shifted, true);
    EXPECT_GT(main.size(), 2000u);
    EXPECT_EQ(main.substr(0, 12), "2=-A & 3=-B ");
    EXPECT_NE(main.find("(Z:0.000000) "), std::string::npos);
}

TEST(Rule, TextsSurviveTheStorage) {
    auto rule = std::make_unique<Rule>();
    {
        SEQStorage s;
        buildWhole(s, {"GT", "TG"});
        s.centerPosition = 0;
        rule->Init(1, &s, 0.05, nullptr);
        rule->InsertCondition(1, 1, 1);
    }
    std::string main, shifted;
    rule->ToText(main, shifted, false);
    EXPECT_EQ(main, "2=T => +T[1]");
}

TEST(Rule, FormatIsLocaleFreeFixedSix) {
    EXPECT_EQ(formatFixed6(0.0078125), "0.007812");  // an exact tie rounds to even like "%f"
    EXPECT_EQ(formatFixed6(1.0), "1.000000");
    EXPECT_EQ(formatFixed6(-0.7142857142857143), "-0.714286");
    EXPECT_EQ(formatFixed6(1e-300), "0.000000");
    char buffer[64];
    for (double v : {0.1234565, 2.5e-7, 0.9999995, 123456.789}) {
        std::snprintf(buffer, sizeof buffer, "%f", v);
        EXPECT_EQ(formatFixed6(v), buffer);
    }
    // Probabilities are k / m for small integers; each must print as "%f" prints it.
    for (int m = 1; m <= 400; ++m) {
        for (int k = -m; k <= m; ++k) {
            const double v = static_cast<double>(k) / static_cast<double>(m);
            std::snprintf(buffer, sizeof buffer, "%f", v);
            ASSERT_EQ(formatFixed6(v), buffer) << k << "/" << m;
        }
    }
}

}  // namespace
}  // namespace motifora
