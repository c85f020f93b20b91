// The fitted discriminative score: its features, its weights (against a plain Newton twin of
// the same regularised logistic regression), its log-odds, and the choice of regularisation and
// level by an inner cross-validation.
#include <gtest/gtest.h>

#include <cmath>

#include "../support/ContrastSamples.h"
#include "evaluation/ContrastModel.h"
#include "evaluation/ContrastScore.h"
#include "support/ContrastHandRules.h"

namespace motifora {
namespace {

using test::handRules;
using test::record;

std::vector<Sequence> records(const std::vector<std::string>& texts) {
    std::vector<Sequence> out;
    for (const std::string& t : texts) out.push_back(record(t));
    return out;
}

// The twin: Newton's method on 0.5 |w|^2 + C sum ln(1 + exp(-y w.x)) with dense rows whose last
// entry is the constant 1, solved by Gaussian elimination, until the step is below 1e-13.
std::vector<double> newtonTwin(const std::vector<std::vector<double>>& x,
                               const std::vector<double>& y, double c) {
    const size_t n = x.front().size();
    std::vector<double> w(n, 0.0);
    for (int iteration = 0; iteration < 100; ++iteration) {
        std::vector<double> gradient = w;
        std::vector<std::vector<double>> hessian(n, std::vector<double>(n, 0.0));
        for (size_t i = 0; i < n; ++i) hessian[i][i] = 1.0;
        for (size_t r = 0; r < x.size(); ++r) {
            double z = 0.0;
            for (size_t j = 0; j < n; ++j) z += w[j] * x[r][j];
            const double sigma = 1.0 / (1.0 + std::exp(-y[r] * z));  // P(y | x)
            for (size_t j = 0; j < n; ++j) {
                gradient[j] += c * (sigma - 1.0) * y[r] * x[r][j];
                for (size_t k = 0; k < n; ++k)
                    hessian[j][k] += c * sigma * (1.0 - sigma) * x[r][j] * x[r][k];
            }
        }
        // Solve hessian * step = gradient.
        std::vector<double> step = gradient;
        for (size_t col = 0; col < n; ++col) {
            size_t pivot = col;
            for (size_t r = col + 1; r < n; ++r)
                if (std::fabs(hessian[r][col]) > std::fabs(hessian[pivot][col])) pivot = r;
            std::swap(hessian[col], hessian[pivot]);
            std::swap(step[col], step[pivot]);
            for (size_t r = 0; r < n; ++r) {
                if (r == col) continue;
                const double f = hessian[r][col] / hessian[col][col];
                for (size_t k = col; k < n; ++k) hessian[r][k] -= f * hessian[col][k];
                step[r] -= f * step[col];
            }
        }
        double largest = 0.0;
        for (size_t j = 0; j < n; ++j) {
            step[j] /= hessian[j][j];
            w[j] -= step[j];
            largest = std::max(largest, std::fabs(step[j]));
        }
        if (largest < 1e-13) break;
    }
    return w;
}

// Dense rows of a design: its features, then the constant 1.
std::vector<std::vector<double>> denseRows(const ContrastDesign& design) {
    std::vector<std::vector<double>> rows;
    for (const auto* side : {&design.positives, &design.negatives}) {
        for (const auto& active : *side) {
            std::vector<double> row(static_cast<size_t>(design.featureCount) + 1, 0.0);
            for (int32_t f : active) row[static_cast<size_t>(f)] = 1.0;
            row.back() = 1.0;
            rows.push_back(row);
        }
    }
    return rows;
}

TEST(ContrastModel, FeaturesAreTheHoldingRulesThenTheLetterAtEachPosition) {
    const ContrastRules rules = handRules();
    ASSERT_EQ(rules.letters.size(), 4);
    EXPECT_EQ(contrastFeatureCount(rules, false), 2);
    EXPECT_EQ(contrastFeatureCount(rules, true), 2 + 3 * 4);
    const int32_t t = rules.letters.codeOf('T');
    const int32_t g = rules.letters.codeOf('G');
    const int32_t c = rules.letters.codeOf('C');
    // TGC: both rules hold; letters T at 0, G at 1, C at 2.
    EXPECT_EQ(contrastFeatures(rules, true, contrastObject(rules, record("TGC"))),
              (std::vector<int32_t>{0, 1, 2 + t, 2 + 4 + g, 2 + 8 + c}));
    EXPECT_EQ(contrastFeatures(rules, false, contrastObject(rules, record("TGC"))),
              (std::vector<int32_t>{0, 1}));
    // TAC: only the first rule; N is no letter and gives no letter feature; the record placed
    // from position 2 leaves position 0 uncovered.
    EXPECT_EQ(contrastFeatures(rules, false, contrastObject(rules, record("TAC"))),
              (std::vector<int32_t>{0}));
    EXPECT_EQ(contrastFeatures(rules, true, contrastObject(rules, record("TNC"))),
              (std::vector<int32_t>{0, 1, 2 + t, 2 + 8 + c}));
    EXPECT_EQ(contrastFeatures(rules, true, contrastObject(rules, record("AC", 2))),
              (std::vector<int32_t>{2 + 4 + rules.letters.codeOf('A'), 2 + 8 + c}));
}

struct FitCase {
    bool letters;
    double c;
    double ruleScale = 1.0;
};

class ContrastFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(ContrastFit, WeightsEqualTheNewtonTwin) {
    const ContrastRules rules = handRules();
    const std::vector<Sequence> positives =
        records({"TGC", "TGA", "TAC", "TCC", "GGC", "TTG", "CAA", "TGG"});
    const std::vector<Sequence> negatives =
        records({"AGC", "CGA", "TAA", "GCC", "GGT", "ATG", "CAC", "TCA", "AAA"});
    const ContrastDesign design = contrastDesign(rules, GetParam().letters, positives, negatives);
    const double scale = GetParam().ruleScale;
    const ContrastModel model =
        fitContrastModel(rules, GetParam().letters, design, GetParam().c, scale);
    ASSERT_TRUE(model.fitted);

    std::vector<double> y(positives.size(), 1.0);
    y.resize(positives.size() + negatives.size(), -1.0);
    // The twin sees the rule columns scaled; the weights of the 0/1 indicators are its weights
    // times the scale.
    std::vector<std::vector<double>> rows = denseRows(design);
    for (auto& row : rows) {
        row[0] *= scale;
        row[1] *= scale;
    }
    std::vector<double> twin = newtonTwin(rows, y, GetParam().c);
    twin[0] *= scale;
    twin[1] *= scale;
    ASSERT_EQ(twin.size(), static_cast<size_t>(design.featureCount) + 1);
    ASSERT_EQ(model.ruleWeights.size(), 2u);
    EXPECT_NEAR(model.ruleWeights[0], twin[0], 1e-6);
    EXPECT_NEAR(model.ruleWeights[1], twin[1], 1e-6);
    ASSERT_EQ(model.letterWeights.size(), GetParam().letters ? 12u : 0u);
    for (size_t i = 0; i < model.letterWeights.size(); ++i)
        EXPECT_NEAR(model.letterWeights[i], twin[2 + i], 1e-6) << "letter feature " << i;
    EXPECT_NEAR(model.intercept, twin.back(), 1e-6);
    // T at 1 is seen among the positives more than among the negatives: a positive weight
    // (none at all when the rules are left out).
    if (scale > 0.0)
        EXPECT_GT(model.ruleWeights[0], 0.0);
    else
        EXPECT_EQ(model.ruleWeights[0], 0.0);

    // The log-odds of a record is the intercept plus the weights of its features.
    const Sequence probe = record("TGC");
    double z = twin.back();
    for (int32_t f : contrastFeatures(rules, GetParam().letters, contrastObject(rules, probe)))
        z += twin[static_cast<size_t>(f)];
    EXPECT_NEAR(model.logOdds(rules, probe), z, 1e-5);
    EXPECT_NEAR(model.probability(rules, probe), 1.0 / (1.0 + std::exp(-z)), 1e-6);
}

INSTANTIATE_TEST_SUITE_P(RulesAndLetters, ContrastFit,
                         ::testing::Values(FitCase{false, 1.0}, FitCase{false, 0.1},
                                           FitCase{true, 1.0}, FitCase{true, 10.0},
                                           FitCase{true, 1.0, 0.3}, FitCase{true, 3.0, 0.0}),
                         [](const ::testing::TestParamInfo<FitCase>& info) {
                             return std::string(info.param.letters ? "letters" : "rules") +
                                    "_case" + std::to_string(info.index);
                         });

TEST(ContrastModel, NoFitWithoutBothSamplesOrWithoutRegularisation) {
    const ContrastRules rules = handRules();
    const ContrastDesign onlyPositives = contrastDesign(rules, true, records({"TGC"}), {});
    EXPECT_FALSE(fitContrastModel(rules, true, onlyPositives, 1.0).fitted);
    const ContrastDesign both = contrastDesign(rules, true, records({"TGC"}), records({"AAA"}));
    EXPECT_FALSE(fitContrastModel(rules, true, both, 0.0).fitted);
    // An unfitted model gives even odds.
    EXPECT_EQ(ContrastModel{}.logOddsOf({0, 1, 2}), 0.0);
}

TEST(ContrastModel, MeanLogLossOfKnownProbabilities) {
    EXPECT_NEAR(meanLogLoss({0.8, 0.5}, {0.25}),
                -(std::log(0.8) + std::log(0.5) + std::log(0.75)) / 3.0, 1e-15);
    EXPECT_TRUE(std::isnan(meanLogLoss({}, {})));
    EXPECT_TRUE(std::isfinite(meanLogLoss({0.0}, {1.0})));  // clipped
}

std::vector<Sequence> sampleRecords(bool positive, int count, uint32_t seed) {
    return records(test::contrastRecords(positive, count, 12, seed));
}

CrossValidationSettings smallSearch() {
    CrossValidationSettings s;
    s.folds = 3;
    s.seed = 2;
    s.search.finishBufferSize = 40;
    s.search.subBufferSize = 10;
    s.threads = 1;
    s.levelRule = LevelRule::kBalancedAccuracy;
    return s;
}

TEST(ContrastModel, FittedChoiceTakesACandidateAndALevelOnTheProbabilityScale) {
    const auto positives = sampleRecords(true, 24, 5);
    const auto negatives = sampleRecords(false, 24, 5);
    ContrastTuning tuning;
    tuning.cpCandidates = {0.7};
    tuning.subBufferCandidates.clear();
    tuning.fit = true;
    tuning.regularisationCandidates = {0.05, 1.0, 20.0};
    const ContrastChoice choice =
        chooseContrastSettings(positives, negatives, smallSearch(), tuning, nullptr);
    EXPECT_EQ(choice.cpThreshold, 0.7);
    EXPECT_EQ(choice.subBufferSize, 10);
    EXPECT_TRUE(choice.regularisation == 0.05 || choice.regularisation == 1.0 ||
                choice.regularisation == 20.0)
        << choice.regularisation;
    EXPECT_FALSE(choice.calibration.fitted);
    ASSERT_TRUE(std::isfinite(choice.innerLogLoss));
    EXPECT_GT(choice.innerAuc, 0.8);
    // The level is chosen among probabilities (candidate levels lie between scores, or half a
    // unit beyond the extremes).
    EXPECT_GT(choice.innerLevel, -0.5);
    EXPECT_LT(choice.innerLevel, 1.5);

    // The scorer's scores are the fitted probabilities of rules found with the choice.
    const ContrastScorer scorer =
        contrastScorerOf(positives, negatives, smallSearch(), &tuning, choice, nullptr);
    ASSERT_TRUE(scorer.model.fitted);
    EXPECT_TRUE(scorer.probabilities());
    EXPECT_EQ(scorer.model.regularisation, choice.regularisation);
    EXPECT_EQ(scorer.model.ruleWeights.size(), scorer.rules.rules.size());
    const double p = scorer.score(positives[0]);
    EXPECT_DOUBLE_EQ(p, scorer.model.probability(scorer.rules, positives[0]));
    EXPECT_GT(p, 0.0);
    EXPECT_LT(p, 1.0);
}

TEST(ContrastModel, CalibratedChoiceLevelIsAProbabilityToo) {
    // The fault this guards against: a tuned level taken on raw sums and compared with
    // calibrated probabilities. The inner level of a calibrated choice is the level rule's pick
    // on the calibrated inner scores, so it cuts the scores the scorer gives.
    const auto positives = sampleRecords(true, 24, 9);
    const auto negatives = sampleRecords(false, 24, 9);
    ContrastTuning tuning;
    tuning.cpCandidates = {0.7, 0.9};
    tuning.subBufferCandidates.clear();
    const CrossValidationSettings settings = smallSearch();
    const ContrastChoice choice =
        chooseContrastSettings(positives, negatives, settings, tuning, nullptr);
    ASSERT_TRUE(choice.calibration.fitted);
    CrossValidationSettings inner = settings;
    inner.search.cpThreshold = choice.cpThreshold;
    const CrossValidationResult r =
        contrastCrossValidate(positives, negatives, inner, nullptr, nullptr);
    ASSERT_TRUE(r.complete);
    LabelledScores calibrated;
    for (double v : r.pooled.positives)
        calibrated.positives.push_back(choice.calibration.probability(v));
    for (double v : r.pooled.negatives)
        calibrated.negatives.push_back(choice.calibration.probability(v));
    EXPECT_DOUBLE_EQ(choice.innerLevel,
                     chooseLevel(calibrated, settings.levelRule, settings.wantedFirstError));
    const ContrastScorer scorer =
        contrastScorerOf(positives, negatives, settings, &tuning, choice, nullptr);
    EXPECT_TRUE(scorer.probabilities());
    int accepted = 0;
    for (const Sequence& s : negatives) accepted += scorer.score(s) > choice.innerLevel ? 1 : 0;
    EXPECT_LT(accepted, 12);  // raw sums against a probability level accept most of them
}

}  // namespace
}  // namespace motifora
