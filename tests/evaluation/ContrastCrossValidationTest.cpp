// Cross-validation of the discriminative score on generated samples: the split of crossValidate,
// every held-out sequence scored by the rules of the other folds, the same figures on one and
// on two threads and from one run to the next, and a stop.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "evaluation/ContrastScore.h"
#include "evaluation/FoldSplit.h"
#include "support/MotifSamples.h"
#include "support/Seed.h"

namespace motifora {
namespace {

CrossValidationSettings settings(int32_t threads) {
    return {.folds = 4,
            .seed = 7,
            .search = {.confidence = 0.05,
                       .cpThreshold = 0.7,
                       .finishBufferSize = 100,
                       .subBufferSize = 10},
            .threads = threads};
}

TEST(ContrastCrossValidation, HeldOutScoresComeFromTheRulesOfTheOtherFolds) {
    const test::MotifSamples s =
        test::motifSamples(test::testSeed("contrast cross-validation", 31u), 60, 20);
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
    const test::MotifSamples s =
        test::motifSamples(test::testSeed("contrast cross-validation threads", 32u), 50, 24);
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

// One candidate's inner cross-validation, as the tuning runs it; `better` is told of a result
// whose AUC beats every earlier candidate's (the first of equal AUCs stays the best).
template <class Better>
void tryCandidate(const test::MotifSamples& s, const CrossValidationSettings& inner,
                  double& bestAuc, Better better) {
    const CrossValidationResult r =
        contrastCrossValidate(s.positives, s.negatives, inner, nullptr, nullptr);
    ASSERT_TRUE(r.complete);
    if (r.auc.auc > bestAuc) {
        bestAuc = r.auc.auc;
        better(r);
    }
}

TEST(ContrastCrossValidation, TheTunedSettingsAreTheBestPairOfAnInnerCrossValidation) {
    const test::MotifSamples s = test::motifSamples(test::testSeed("contrast tuning", 34u), 40, 16);
    const CrossValidationSettings cv = settings(1);
    ContrastTuning tuning;
    tuning.cpCandidates = {0.9, 0.6, 0.75};
    tuning.subBufferCandidates = {4, 10};
    double bestAuc = -1.0, bestCp = 0.0;
    int32_t bestSub = 0;
    LabelledScores bestScores;
    for (int32_t sub : tuning.subBufferCandidates) {
        for (double cp : tuning.cpCandidates) {
            CrossValidationSettings inner = cv;
            inner.search.cpThreshold = cp;
            inner.search.subBufferSize = sub;
            tryCandidate(s, inner, bestAuc, [&](const CrossValidationResult& r) {
                bestCp = cp;
                bestSub = sub;
                bestScores = r.pooled;
            });
        }
    }
    const ContrastChoice choice =
        chooseContrastSettings(s.positives, s.negatives, cv, tuning, nullptr);
    EXPECT_EQ(choice.cpThreshold, bestCp);
    EXPECT_EQ(choice.subBufferSize, bestSub);
    EXPECT_EQ(choice.innerAuc, bestAuc);
    const ContrastCalibration expected = fitContrastCalibration(bestScores);
    ASSERT_TRUE(choice.calibration.fitted);
    EXPECT_EQ(choice.calibration.slope, expected.slope);
    EXPECT_EQ(choice.calibration.intercept, expected.intercept);

    tuning.calibrate = false;
    tuning.subBufferCandidates.clear();  // the settings' own size only
    const ContrastChoice raw =
        chooseContrastSettings(s.positives, s.negatives, cv, tuning, nullptr);
    EXPECT_FALSE(raw.calibration.fitted);
    EXPECT_EQ(raw.subBufferSize, cv.search.subBufferSize);
}

TEST(ContrastCrossValidation, TheTunedToleranceIsTheBestOfItsCandidatesAndTheScorerUsesIt) {
    // A motif shifted by up to two places: the inner cross-validation judges each tolerance.
    const test::MotifSamples s = test::motifSamples(
        test::testSeed("contrast tolerance tuning", 36u), 40, 16, "TATAAT", 5, 2);
    CrossValidationSettings cv = settings(1);
    cv.contrastShape = {2, 0};
    ContrastTuning tuning;
    tuning.cpCandidates = {0.7};
    tuning.subBufferCandidates = {10};
    tuning.toleranceCandidates = {0, 2, 1};
    double bestAuc = -1.0;
    int32_t best = -1;
    for (int32_t t : tuning.toleranceCandidates) {
        CrossValidationSettings inner = cv;
        inner.contrastShape.tolerance = t;
        tryCandidate(s, inner, bestAuc, [&](const CrossValidationResult&) { best = t; });
    }
    const ContrastChoice choice =
        chooseContrastSettings(s.positives, s.negatives, cv, tuning, nullptr);
    EXPECT_TRUE(choice.toleranceChosen);
    EXPECT_EQ(choice.tolerance, best);
    EXPECT_EQ(choice.innerAuc, bestAuc);
    // The scorer searches with the chosen tolerance, keeping the word length of the settings.
    const ContrastScorer scorer =
        contrastScorerOf(s.positives, s.negatives, cv, &tuning, choice, nullptr);
    EXPECT_EQ(scorer.rules.shape, (ContrastShape{2, best}));
    CrossValidationSettings chosen = cv;
    chosen.search.cpThreshold = 0.7;
    chosen.search.subBufferSize = 10;
    chosen.contrastShape.tolerance = best;
    const ContrastRules direct =
        searchContrastRules(s.positives, s.negatives, contrastSettingsOf(chosen), nullptr);
    ASSERT_EQ(scorer.rules.rules.size(), direct.rules.size());
    for (size_t i = 0; i < direct.rules.size(); ++i)
        EXPECT_EQ(scorer.rules.conditionsText(scorer.rules.rules[i]),
                  direct.conditionsText(direct.rules[i]));
    // What the folds chose says the tolerance last; without candidates nothing is said of it.
    EXPECT_EQ(contrastChoicesText({choice}, true, false),
              "CP threshold / sub-buffer / tolerance chosen on each fold's training sequences: "
              "0.70/10/" +
                  std::to_string(best) + "; scores calibrated to probabilities on them");
    tuning.toleranceCandidates.clear();
    const ContrastChoice fixed =
        chooseContrastSettings(s.positives, s.negatives, cv, tuning, nullptr);
    EXPECT_FALSE(fixed.toleranceChosen);
    EXPECT_EQ(fixed.tolerance, 0);
    EXPECT_EQ(contrastChoicesText({fixed}, true, false).find("tolerance"), std::string::npos);
}

TEST(ContrastCrossValidation, EachFoldTunesAndCalibratesOnItsTrainingSequencesOnly) {
    const test::MotifSamples s =
        test::motifSamples(test::testSeed("contrast tuned folds", 35u), 40, 16);
    const CrossValidationSettings cv = settings(2);
    ContrastTuning tuning;
    tuning.cpCandidates = {0.6, 0.9};
    tuning.subBufferCandidates = {10, 20};
    std::vector<ContrastChoice> chosen;
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
        const ContrastChoice& choice = chosen[static_cast<size_t>(f)];
        const ContrastChoice expected = chooseContrastSettings(pos, neg, cv, tuning, nullptr);
        EXPECT_EQ(choice.cpThreshold, expected.cpThreshold);
        EXPECT_EQ(choice.subBufferSize, expected.subBufferSize);
        ASSERT_TRUE(choice.calibration.fitted);
        EXPECT_EQ(choice.calibration.slope, expected.calibration.slope);
        ContrastSettings search = contrastSettingsOf(cv);
        search.search.cpThreshold = choice.cpThreshold;
        search.search.subBufferSize = choice.subBufferSize;
        const ContrastRules rules = searchContrastRules(pos, neg, search, nullptr);
        for (const HeldOutSequence& h : r.sequences) {
            if (h.fold != f) continue;
            const Sequence& rec =
                (h.positive ? s.positives : s.negatives)[static_cast<size_t>(h.record)];
            const double p = choice.calibration.probability(contrastScore(rules, rec));
            EXPECT_EQ(std::bit_cast<uint64_t>(h.score.bestScore), std::bit_cast<uint64_t>(p));
            EXPECT_GT(h.score.bestScore, 0.0);
            EXPECT_LT(h.score.bestScore, 1.0);
        }
    }
}

// The negative log-likelihood the calibration minimises, written out plainly.
double smoothedLoss(const LabelledScores& s, double a, double b) {
    const double tp = (static_cast<double>(s.positives.size()) + 1.0) /
                      (static_cast<double>(s.positives.size()) + 2.0);
    const double tn = 1.0 / (static_cast<double>(s.negatives.size()) + 2.0);
    double loss = 0.0;
    auto add = [&](double score, double t) {
        const double p = 1.0 / (1.0 + std::exp(-(a * score + b)));
        loss -= t * std::log(p) + (1.0 - t) * std::log(1.0 - p);
    };
    for (double v : s.positives) add(v, tp);
    for (double v : s.negatives) add(v, tn);
    return loss;
}

TEST(ContrastCalibration, FitsTheSmoothedMaximumLikelihood) {
    // Overlapping scores: a proper minimum that no nearby pair improves on.
    const LabelledScores overlapping{{3.0, 5.5, 1.0, 8.0, 4.0, -1.0}, {0.0, -2.5, 2.0, -4.0, 1.5}};
    const ContrastCalibration c = fitContrastCalibration(overlapping);
    ASSERT_TRUE(c.fitted);
    EXPECT_GT(c.slope, 0.0);
    const double at = smoothedLoss(overlapping, c.slope, c.intercept);
    for (double da : {-1e-3, 1e-3})
        for (double db : {-1e-3, 0.0, 1e-3})
            EXPECT_LT(at, smoothedLoss(overlapping, c.slope + da, c.intercept + db));
    EXPECT_NEAR(c.probability(2.0), 1.0 / (1.0 + std::exp(-(2.0 * c.slope + c.intercept))), 1e-15);

    // Perfectly separated scores still give a finite map, thanks to the smoothed targets, and
    // put every positive above every negative.
    const LabelledScores separated{{10.0, 12.0, 15.0}, {-3.0, 0.0, 1.0}};
    const ContrastCalibration s = fitContrastCalibration(separated);
    ASSERT_TRUE(s.fitted);
    EXPECT_TRUE(std::isfinite(s.slope) && std::isfinite(s.intercept));
    EXPECT_GT(s.probability(10.0), 0.5);
    EXPECT_LT(s.probability(1.0), 0.5);
    // Far-out scores give probabilities, never infinities or NaN.
    EXPECT_EQ(s.probability(1e300), 1.0);
    EXPECT_EQ(s.probability(-1e300), 0.0);

    EXPECT_FALSE(fitContrastCalibration({{1.0, 2.0}, {}}).fitted);
    EXPECT_FALSE(fitContrastCalibration({{}, {1.0}}).fitted);
}

TEST(ContrastCrossValidation, AClearedRunFlagStopsEveryFold) {
    const test::MotifSamples s = test::motifSamples(33u, 30, 16);
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
