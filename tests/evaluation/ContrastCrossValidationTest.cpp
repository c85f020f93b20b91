// Cross-validation of the discriminative score on generated samples: the split of crossValidate,
// every held-out sequence scored by the rules of the other folds, the same figures on one and
// on two threads and from one run to the next, and a stop.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

#include "evaluation/ContrastScore.h"
#include "evaluation/FoldSplit.h"
#include "support/Seed.h"

namespace motifora {
namespace {

struct Samples {
    std::vector<Sequence> positives, negatives;
};

// Positives carry TATAAT at 4..9 most of the time; negatives are uniform letters.
Samples planted(uint32_t seed, int32_t count, int32_t width) {
    std::mt19937 random(seed);
    const char letters[] = "ACGT";
    Samples s;
    for (int32_t i = 0; i < 2 * count; ++i) {
        const bool positive = i < count;
        std::string text;
        for (int32_t p = 0; p < width; ++p) text += letters[random() % 4];
        if (positive && random() % 4 != 0) text.replace(3, 6, "TATAAT");
        Sequence rec;
        rec.assign(text, "s" + std::to_string(i), 1);
        (positive ? s.positives : s.negatives).push_back(rec);
    }
    return s;
}

CrossValidationSettings settings(int32_t threads) {
    CrossValidationSettings cv;
    cv.folds = 4;
    cv.seed = 7;
    cv.cpThreshold = 0.7;
    cv.finishBufferSize = 100;
    cv.subBufferSize = 10;
    cv.threads = threads;
    return cv;
}

TEST(ContrastCrossValidation, HeldOutScoresComeFromTheRulesOfTheOtherFolds) {
    const Samples s = planted(test::testSeed("contrast cross-validation", 31u), 60, 20);
    const CrossValidationSettings cv = settings(1);
    const CrossValidationResult r =
        contrastCrossValidate(s.positives, s.negatives, cv, nullptr, nullptr);
    ASSERT_TRUE(r.complete);
    ASSERT_EQ(r.sequences.size(), 120u);
    const FoldAssignment split = stratifiedFolds(60, 60, cv.folds, cv.seed);
    for (int32_t f = 0; f < cv.folds; ++f) {
        const auto train = [&](const std::vector<Sequence>& all, const std::vector<int32_t>& fold) {
            std::vector<Sequence> out;
            for (int32_t i : indexesOutsideFold(fold, f))
                out.push_back(all[static_cast<size_t>(i)]);
            return out;
        };
        const ContrastRules rules = searchContrastRules(train(s.positives, split.positiveFold),
                                                        train(s.negatives, split.negativeFold),
                                                        contrastSettingsOf(cv), nullptr);
        EXPECT_EQ(r.folds[static_cast<size_t>(f)].rules, static_cast<int32_t>(rules.rules.size()));
        EXPECT_EQ(r.folds[static_cast<size_t>(f)].classes, 0);
        for (const HeldOutSequence& h : r.sequences) {
            const auto& folds = h.positive ? split.positiveFold : split.negativeFold;
            ASSERT_EQ(h.fold, folds[static_cast<size_t>(h.record)]);
            if (h.fold != f) continue;
            const Sequence& rec =
                (h.positive ? s.positives : s.negatives)[static_cast<size_t>(h.record)];
            EXPECT_EQ(std::bit_cast<uint64_t>(h.score.bestScore),
                      std::bit_cast<uint64_t>(contrastScore(rules, rec)));
            EXPECT_EQ(h.score.bestClass, -1);
            EXPECT_TRUE(std::isnan(h.score.normalizedScore));
        }
    }
    // A planted motif in three positives of four is told apart far better than chance.
    EXPECT_GT(r.auc.auc, 0.8);
    EXPECT_EQ(r.pooled.positives.size(), 60u);
}

TEST(ContrastCrossValidation, SameFiguresOnOneAndTwoThreadsAndAgain) {
    const Samples s = planted(test::testSeed("contrast cross-validation threads", 32u), 50, 24);
    const CrossValidationResult one =
        contrastCrossValidate(s.positives, s.negatives, settings(1), nullptr, nullptr);
    CrossValidationProgress progress;
    const CrossValidationResult two =
        contrastCrossValidate(s.positives, s.negatives, settings(2), nullptr, &progress);
    const CrossValidationResult again =
        contrastCrossValidate(s.positives, s.negatives, settings(2), nullptr, nullptr);
    ASSERT_TRUE(one.complete && two.complete && again.complete);
    EXPECT_EQ(progress.doneCount(), 4);
    for (const CrossValidationResult* other : {&two, &again}) {
        ASSERT_EQ(other->sequences.size(), one.sequences.size());
        for (size_t i = 0; i < one.sequences.size(); ++i) {
            EXPECT_EQ(std::bit_cast<uint64_t>(other->sequences[i].score.bestScore),
                      std::bit_cast<uint64_t>(one.sequences[i].score.bestScore));
        }
        EXPECT_EQ(other->auc.auc, one.auc.auc);
        EXPECT_EQ(other->level, one.level);
        EXPECT_EQ(other->errors.first.count, one.errors.first.count);
        EXPECT_EQ(other->errors.second.count, one.errors.second.count);
    }
}

TEST(ContrastCrossValidation, TheTunedThresholdIsTheBestOfAnInnerCrossValidation) {
    const Samples s = planted(test::testSeed("contrast tuning", 34u), 40, 16);
    const CrossValidationSettings cv = settings(1);
    ContrastTuning tuning;
    tuning.cpCandidates = {0.9, 0.6, 0.75};
    double bestAuc = -1.0, best = 0.0;
    for (double cp : tuning.cpCandidates) {
        CrossValidationSettings inner = cv;
        inner.cpThreshold = cp;
        const CrossValidationResult r =
            contrastCrossValidate(s.positives, s.negatives, inner, nullptr, nullptr);
        ASSERT_TRUE(r.complete);
        if (r.auc.auc > bestAuc) {
            bestAuc = r.auc.auc;
            best = cp;
        }
    }
    EXPECT_EQ(chooseContrastCp(s.positives, s.negatives, cv, tuning, nullptr), best);
}

TEST(ContrastCrossValidation, EachFoldTunesOnItsTrainingSequencesOnly) {
    const Samples s = planted(test::testSeed("contrast tuned folds", 35u), 40, 16);
    const CrossValidationSettings cv = settings(2);
    ContrastTuning tuning;
    tuning.cpCandidates = {0.6, 0.9};
    std::vector<double> chosen;
    const CrossValidationResult r =
        contrastCrossValidate(s.positives, s.negatives, cv, nullptr, nullptr, &tuning, &chosen);
    ASSERT_TRUE(r.complete);
    ASSERT_EQ(chosen.size(), 4u);
    const FoldAssignment split = stratifiedFolds(40, 40, cv.folds, cv.seed);
    for (int32_t f = 0; f < cv.folds; ++f) {
        std::vector<Sequence> pos, neg;
        for (int32_t i : indexesOutsideFold(split.positiveFold, f))
            pos.push_back(s.positives[static_cast<size_t>(i)]);
        for (int32_t i : indexesOutsideFold(split.negativeFold, f))
            neg.push_back(s.negatives[static_cast<size_t>(i)]);
        EXPECT_EQ(chosen[static_cast<size_t>(f)], chooseContrastCp(pos, neg, cv, tuning, nullptr));
        ContrastSettings search = contrastSettingsOf(cv);
        search.cpThreshold = chosen[static_cast<size_t>(f)];
        const ContrastRules rules = searchContrastRules(pos, neg, search, nullptr);
        for (const HeldOutSequence& h : r.sequences) {
            if (h.fold != f) continue;
            const Sequence& rec =
                (h.positive ? s.positives : s.negatives)[static_cast<size_t>(h.record)];
            EXPECT_EQ(std::bit_cast<uint64_t>(h.score.bestScore),
                      std::bit_cast<uint64_t>(contrastScore(rules, rec)));
        }
    }
}

TEST(ContrastCrossValidation, AClearedRunFlagStopsEveryFold) {
    const Samples s = planted(33u, 30, 16);
    RunControl control;
    control.setRunning(false);
    CrossValidationProgress progress;
    const CrossValidationResult r =
        contrastCrossValidate(s.positives, s.negatives, settings(2), &control, &progress);
    EXPECT_FALSE(r.complete);
    EXPECT_TRUE(r.sequences.empty());
    for (int32_t f = 0; f < 4; ++f)
        EXPECT_EQ(progress.fold(f).stage.load(), static_cast<int32_t>(FoldStage::kStopped));
}

}  // namespace
}  // namespace motifora
