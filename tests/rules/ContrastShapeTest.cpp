// Discriminative conditions with a tolerance and on words: which sequences a condition holds on
// (against a plain string search), the dilated bitsets against it, the words of the labelled
// storage, the rules' texts, and a search that finds a jittered motif only with a tolerance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "TestData.h"
#include "rules/ContrastSearch.h"
#include "rules/MatchIndex.h"
#include "support/MotifSamples.h"

namespace motifora {
namespace {

using testing::buildLabelled;
using testing::buildWhole;
using testing::records;

// The straightforward reading of a condition on a text: `word` begins at one of the beginnings
// p - t .. p + t that lie inside the text's `width` positions (a word must fit whole).
bool beginsWithin(const std::string& text, const std::string& word, int32_t p, int32_t t,
                  int32_t width) {
    for (int32_t q = p - t; q <= p + t; ++q) {
        if (q < 0 || q + static_cast<int32_t>(word.size()) > width) continue;
        if (q + word.size() <= text.size() &&
            text.compare(static_cast<size_t>(q), word.size(), word) == 0)
            return true;
    }
    return false;
}

std::vector<std::string> randomTexts(uint32_t seed, int32_t count, int32_t length) {
    std::mt19937 random(seed);
    std::vector<std::string> out;
    for (int32_t i = 0; i < count; ++i) {
        std::string text;
        // Some shorter records, so that uncovered positions take part.
        const int32_t own = length - static_cast<int32_t>(random() % 3);
        for (int32_t p = 0; p < own; ++p) text += "ACGT"[random() % 4];
        out.push_back(text);
    }
    return out;
}

// The code of a word in a table: its letters' codes as digits, the first the most significant.
int32_t wordCode(const CCodeTable& letters, const std::string& word) {
    int32_t code = 0;
    for (char c : word)
        code = code * letters.size() + letters.codeOf(static_cast<unsigned char>(c));
    return code;
}

struct ShapeCase {
    int32_t wordLength;
    int32_t tolerance;
};

// Each case builds the whole-sequence objects of random texts and tries the shape on them.
class ContrastShapeHolds : public ::testing::TestWithParam<ShapeCase> {
  protected:
    void build(uint32_t seed, int32_t count, int32_t length) {
        texts = randomTexts(seed, count, length);
        buildWhole(objects, texts);
    }
    const ShapeCase shape = GetParam();
    const ContrastShape s{shape.wordLength, shape.tolerance};
    std::vector<std::string> texts;
    SEQStorage objects;
};

TEST_P(ContrastShapeHolds, EveryConditionHoldsExactlyWhereTheStringSearchFindsIt) {
    build(17, 40, 12);
    const std::vector<std::string> words = shape.wordLength == 1
                                               ? std::vector<std::string>{"A", "G"}
                                               : std::vector<std::string>{"TA", "GC"};
    const std::string two = shape.wordLength == 1 ? "C" : "AT";
    for (const std::string& word : words) {
        for (int32_t p = 0; p < objects.width; ++p) {
            for (int16_t sign : {int16_t{1}, int16_t{-1}}) {
                ContrastRule rule;
                rule.conditions = {{p, sign, wordCode(objects.codeTable, word), true}};
                // A second condition at another place: the conditions are a conjunction.
                if (p + 4 < objects.width)
                    rule.conditions.push_back({p + 4, 1, wordCode(objects.codeTable, two), true});
                for (size_t o = 0; o < texts.size(); ++o) {
                    bool expected = beginsWithin(texts[o], word, p, shape.tolerance,
                                                 objects.width) == (sign == 1);
                    if (rule.conditions.size() > 1)
                        expected = expected && beginsWithin(texts[o], two, p + 4, shape.tolerance,
                                                            objects.width);
                    EXPECT_EQ(contrastRuleHolds(rule, objects.learnObjects[static_cast<int32_t>(o)],
                                                objects.alphabetSize, s, objects.width),
                              expected)
                        << texts[o] << " " << (sign < 0 ? "not " : "") << word << " at " << p
                        << " tolerance " << shape.tolerance;
                }
            }
        }
    }
}

TEST_P(ContrastShapeHolds, TheDilatedBitsetsMatchTheConditionsObjectByObject) {
    build(5, 70, 10);
    SEQStorage labelled;
    buildLabelledStorage(objects, 35, labelled, s);
    ASSERT_GT(labelled.width, 1);
    const int32_t beginnings = labelled.width - 1;
    MatchIndex index;
    index.Build(labelled, shape.tolerance, beginnings);
    for (int32_t p = 0; p < beginnings; ++p) {
        for (int32_t code = 0; code < labelled.alphabetSize; code += 3) {
            for (int16_t sign : {int16_t{1}, int16_t{-1}}) {
                Rule rule;
                rule.Init(1, &labelled, 0.05, nullptr, nullptr);
                rule.InsertCondition(p, sign, code);
                std::vector<uint64_t> set;
                index.MatchSet(rule, set);
                ContrastRule twin;
                twin.conditions = {{p, sign, code, true}};
                for (int32_t o = 0; o < labelled.learnObjectCount; ++o) {
                    const bool inSet = ((set[static_cast<size_t>(o / 64)] >> (o % 64)) & 1u) != 0;
                    EXPECT_EQ(inSet, contrastRuleHolds(twin, objects.learnObjects[o],
                                                       objects.alphabetSize, s, objects.width))
                        << "object " << o << " code " << code << " at " << p;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, ContrastShapeHolds,
                         ::testing::Values(ShapeCase{1, 0}, ShapeCase{1, 1}, ShapeCase{1, 3},
                                           ShapeCase{2, 0}, ShapeCase{2, 2}));

TEST(ContrastShape, TheLabelledStorageOfWordsCodesEachBeginning) {
    SEQStorage objects, labelled;
    buildLabelled(objects, labelled, {"ACGTA", "GAT"}, {"TTTTT"}, ContrastShape{2, 0});
    ASSERT_EQ(labelled.width, 5);  // four beginnings and the label
    EXPECT_EQ(labelled.alphabetSize, 16);
    EXPECT_EQ(labelled.learnObjects[0].codeAt(1), wordCode(objects.codeTable, "CG"));
    EXPECT_EQ(labelled.learnObjects[1].codeAt(1), wordCode(objects.codeTable, "AT"));
    EXPECT_EQ(labelled.learnObjects[1].codeAt(2), 16);  // "T" then nothing: no word
    EXPECT_EQ(labelled.learnObjects[2].codeAt(4), 1);   // the label of a negative
    // Words of an alphabet too large for the codes make nothing to search.
    SEQStorage none;
    buildLabelledStorage(objects, 2, none, ContrastShape{kContrastMaxWordLength + 1, 0});
    EXPECT_EQ(none.learnObjectCount, 0);
    EXPECT_FALSE(contrastShapeFits(ContrastShape{2, 0}, 20));  // 400 protein words
    EXPECT_TRUE(contrastShapeFits(ContrastShape{3, 0}, 4));
    EXPECT_FALSE(contrastShapeFits(ContrastShape{3, 0}, 5));
    EXPECT_FALSE(contrastShapeFits(ContrastShape{1, -1}, 4));
}

TEST(ContrastShape, RulesSayTheirRangeAndTheirWord) {
    ContrastRules rules;
    const auto letters = records({"ACGT"});
    rules.letters.addLetters(letters.data(), 1);
    rules.width = 30;
    rules.positives = 4;
    rules.negatives = 4;
    ContrastRule rule;
    rule.r = 0.8;
    rule.positivesHolding = 3;
    rule.negativesHolding = 1;
    rules.shape = {3, 4};
    rule.conditions = {{1, -1, wordCode(rules.letters, "GGG"), true},
                       {24, 1, wordCode(rules.letters, "TAT"), true}};
    // 28 beginnings of a 3-letter word in 30 positions: the ranges are clipped to 1..28.
    EXPECT_EQ(rules.plainText(rule),
              "no GGG beginning within 1..6 and TAT beginning within 21..28 => positive, 3 of 4 "
              "positives, 1 of 4 negatives");
    EXPECT_EQ(rules.conditionsText(rule), "1..6=-GGG & 21..28=TAT => positive");
    rules.shape = {1, 2};
    rule.conditions = {{9, 1, rules.letters.codeOf('T'), true},
                       {12, -1, rules.letters.codeOf('G'), true}};
    rule.r = -0.8;
    EXPECT_EQ(rules.plainText(rule, "site", "far"),
              "T within 8..12 and no G within 11..15 => far, 3 of 4 positives, 1 of 4 negatives");
    EXPECT_EQ(rules.conditionsText(rule), "8..12=T & 11..15=-G => negative");
    rules.shape = {3, 0};
    rule.conditions = {{9, -1, wordCode(rules.letters, "CAT"), true}};
    EXPECT_EQ(rules.conditionsText(rule), "10=-CAT => negative");
    EXPECT_EQ(rules.plainText(rule).substr(0, 27), "not CAT at 10 => negative, ");
}

TEST(ContrastShape, AWordSharesItsWeightAmongItsLettersOnTheHeatMap) {
    ContrastRules rules;
    const auto letters = records({"ACGT"});
    rules.letters.addLetters(letters.data(), 1);
    rules.width = 5;
    rules.shape = {2, 1};
    ContrastRule rule;  // "TA" at 2 => positive, weight ln 4
    rule.conditions = {{1, 1, wordCode(rules.letters, "TA"), true}};
    rule.r = 0.75;
    rules.rules = {rule};
    const auto map = contrastHeatMap(rules);
    EXPECT_DOUBLE_EQ(map[1][static_cast<size_t>(rules.letters.codeOf('T'))], std::log(4.0) / 2);
    EXPECT_DOUBLE_EQ(map[2][static_cast<size_t>(rules.letters.codeOf('A'))], std::log(4.0) / 2);
    EXPECT_EQ(map[0][static_cast<size_t>(rules.letters.codeOf('T'))], 0.0);
}

TEST(ContrastShape, AJitteredMotifIsFoundWholeOnlyWithATolerance) {
    // TATAAT begins at 10 +- 3 in three positives of four; the negatives are random letters.
    const test::MotifSamples s = test::motifSamples(3, 120, 30, "TATAAT", 10, 3);
    ContrastSettings settings;
    settings.search = {
        .confidence = 0.01, .cpThreshold = 0.6, .finishBufferSize = 100, .subBufferSize = 50};
    settings.shape = {3, 3};
    const ContrastRules found = searchContrastRules(s.positives, s.negatives, settings, nullptr);
    ASSERT_TRUE(found.complete);
    ASSERT_FALSE(found.rules.empty());
    EXPECT_EQ(found.shape, settings.shape);
    // Every rule's counts are those of the straightforward reading on the records.
    const auto wordOf = [&found](int32_t code) {
        std::string word;
        for (int32_t i = 0; i < 3; ++i, code /= 4)
            word.insert(word.begin(), static_cast<char>(found.letters.letterOf(code % 4)));
        return word;
    };
    for (const ContrastRule& r : found.rules) {
        int32_t positives = 0, negatives = 0;
        for (const auto* sample : {&s.positives, &s.negatives}) {
            for (const Sequence& record : *sample) {
                bool holds = true;
                for (const RuleCondition& c : r.conditions)
                    holds = holds && beginsWithin(record.text, wordOf(c.letter), c.position, 3,
                                                  found.width) == (c.sign == 1);
                if (holds) ++(sample == &s.positives ? positives : negatives);
            }
        }
        EXPECT_EQ(r.positivesHolding, positives) << found.plainText(r);
        EXPECT_EQ(r.negativesHolding, negatives) << found.plainText(r);
    }
    // Some rule for a positive holds on the planted positives, whatever their shift...
    const auto widest = [](const ContrastRules& rules) {
        int32_t most = 0;
        for (const ContrastRule& r : rules.rules)
            if (r.predictsPositive()) most = std::max(most, r.positivesHolding);
        return most;
    };
    EXPECT_GE(widest(found), 80);
    // ... while exact places see only the motifs that were not shifted.
    settings.shape = {3, 0};
    const ContrastRules exact = searchContrastRules(s.positives, s.negatives, settings, nullptr);
    EXPECT_LT(widest(exact), 50);
}

}  // namespace
}  // namespace motifora
