// The discriminative score: weights of holding rules added or subtracted, records placed by their
// start position, letters the table lacks; and its cross-validation's bookkeeping.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "evaluation/ContrastScore.h"
#include "evaluation/FoldSplit.h"
#include "support/ContrastHandRules.h"

namespace motifora {
namespace {

using test::handRules;
using test::record;

TEST(ContrastScore, PositiveRulesAddAndNegativeRulesSubtractTheirWeights) {
    const ContrastRules rules = handRules();
    EXPECT_DOUBLE_EQ(rules.rules[0].weight(), std::log(4.0));
    EXPECT_DOUBLE_EQ(rules.rules[1].weight(), std::log(2.0));
    EXPECT_DOUBLE_EQ(contrastScore(rules, record("TAC")), std::log(4.0));
    EXPECT_DOUBLE_EQ(contrastScore(rules, record("TGC")), std::log(4.0) - std::log(2.0));
    EXPECT_DOUBLE_EQ(contrastScore(rules, record("GGC")), -std::log(2.0));
    EXPECT_DOUBLE_EQ(contrastScore(rules, record("CAC")), 0.0);
}

TEST(ContrastScore, RecordsArePlacedByStartAndUnknownLettersMatchNoLetter) {
    const ContrastRules rules = handRules();
    // Starts at position 2: the first position is uncovered (T fails), A sits second.
    EXPECT_DOUBLE_EQ(contrastScore(rules, record("AC", 2)), 0.0);
    // T placed first; nothing second (shorter record): "not A" holds on an uncovered position.
    EXPECT_DOUBLE_EQ(contrastScore(rules, record("T")), std::log(4.0) - std::log(2.0));
    // N is no letter of the table: it is not A.
    EXPECT_DOUBLE_EQ(contrastScore(rules, record("TNC")), std::log(4.0) - std::log(2.0));
    // Letters past the width are ignored.
    EXPECT_DOUBLE_EQ(contrastScore(rules, record("TACAAAAAA")), std::log(4.0));
    const std::vector<double> all = contrastScores(rules, {record("TAC"), record("GGC")});
    ASSERT_EQ(all.size(), 2u);
    EXPECT_DOUBLE_EQ(all[1], -std::log(2.0));
}

TEST(ContrastScore, SettingsComeFromTheCrossValidation) {
    const ContrastSettings s = contrastSettingsOf({.search = {.confidence = 0.01,
                                                              .cpThreshold = 0.65,
                                                              .finishBufferSize = 77,
                                                              .subBufferSize = 9},
                                                   .searchThreads = 3});
    EXPECT_EQ(s.search.confidence, 0.01);
    EXPECT_EQ(s.search.cpThreshold, 0.65);
    EXPECT_EQ(s.search.finishBufferSize, 77);
    EXPECT_EQ(s.search.subBufferSize, 9);
    EXPECT_EQ(s.threads, 3);
    EXPECT_FALSE(s.referenceEvaluation);
}

TEST(ContrastScore, CrossValidationRefusesWhatCrossValidateRefuses) {
    CrossValidationSettings cv;
    cv.folds = 5;
    const std::vector<Sequence> few = {record("ACGT"), record("ACGA")};
    const CrossValidationResult r = contrastCrossValidate(few, few, cv, nullptr, nullptr);
    EXPECT_FALSE(r.complete);
    EXPECT_TRUE(r.sequences.empty());
}

}  // namespace
}  // namespace motifora
