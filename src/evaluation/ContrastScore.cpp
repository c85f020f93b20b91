// Discriminative scores and their folds.
#include "evaluation/ContrastScore.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace motifora {

double contrastScore(const ContrastRules& rules, const SEQSElem& object) {
    const int32_t alphabet = rules.letters.size();
    double score = 0.0;
    for (const ContrastRule& rule : rules.rules) {
        if (!contrastRuleHolds(rule, object, alphabet)) continue;
        score += rule.predictsPositive() ? rule.weight() : -rule.weight();
    }
    return score;
}

double contrastScore(const ContrastRules& rules, const Sequence& record) {
    const int32_t alphabet = rules.letters.size();
    SEQSElem object;
    object.allocate(std::max(rules.width, 0), alphabet);
    for (int32_t j = 0; j < record.length && static_cast<size_t>(j) < record.text.size(); ++j) {
        const int64_t p = int64_t{record.startPosition} - 1 + j;
        if (p < 0 || p >= rules.width) continue;
        object.setCode(rules.letters.codeOf(static_cast<unsigned char>(record.text[j])),
                       static_cast<int32_t>(p));
    }
    return contrastScore(rules, object);
}

std::vector<double> contrastScores(const ContrastRules& rules,
                                   const std::vector<Sequence>& records) {
    std::vector<double> scores;
    scores.reserve(records.size());
    for (const Sequence& r : records) scores.push_back(contrastScore(rules, r));
    return scores;
}

ContrastSettings contrastSettingsOf(const CrossValidationSettings& settings) {
    ContrastSettings s;
    s.fisherThreshold = settings.confidenceLevel;
    s.cpThreshold = settings.cpThreshold;
    s.finishBufferSize = settings.finishBufferSize;
    s.subBufferSize = settings.subBufferSize;
    s.threads = settings.searchThreads;
    return s;
}

namespace {

// ln(1 + e^x) without overflow.
double softplus(double x) {
    return x > 0.0 ? x + std::log1p(std::exp(-x)) : std::log1p(std::exp(x));
}

struct Target {
    double score;
    double target;
};

// The negative log-likelihood of the smoothed targets under slope a and intercept b.
double logLoss(const std::vector<Target>& points, double a, double b) {
    double loss = 0.0;
    for (const Target& t : points) {
        const double z = a * t.score + b;
        loss += t.target * softplus(-z) + (1.0 - t.target) * softplus(z);
    }
    return loss;
}

}  // namespace

double ContrastCalibration::probability(double score) const {
    const double z = slope * score + intercept;
    return z >= 0.0 ? 1.0 / (1.0 + std::exp(-z)) : std::exp(z) / (1.0 + std::exp(z));
}

ContrastCalibration fitContrastCalibration(const LabelledScores& scores) {
    ContrastCalibration c;
    const auto p = static_cast<double>(scores.positives.size());
    const auto n = static_cast<double>(scores.negatives.size());
    if (p == 0.0 || n == 0.0) return c;
    std::vector<Target> points;
    points.reserve(scores.positives.size() + scores.negatives.size());
    for (double s : scores.positives) points.push_back({s, (p + 1.0) / (p + 2.0)});
    for (double s : scores.negatives) points.push_back({s, 1.0 / (n + 2.0)});
    double a = 0.0;
    double b = std::log((p + 1.0) / (n + 1.0));
    double loss = logLoss(points, a, b);
    for (int step = 0; step < 100; ++step) {
        double ga = 0.0, gb = 0.0, haa = 1e-12, hab = 0.0, hbb = 1e-12;
        for (const Target& t : points) {
            const double z = a * t.score + b;
            const double q =
                z >= 0.0 ? 1.0 / (1.0 + std::exp(-z)) : std::exp(z) / (1.0 + std::exp(z));
            const double w = q * (1.0 - q);
            ga += (q - t.target) * t.score;
            gb += q - t.target;
            haa += w * t.score * t.score;
            hab += w * t.score;
            hbb += w;
        }
        const double det = haa * hbb - hab * hab;
        if (!(det > 0.0)) break;
        const double da = -(hbb * ga - hab * gb) / det;
        const double db = -(haa * gb - hab * ga) / det;
        const double slopeDown = ga * da + gb * db;
        double length = 1.0;
        bool accepted = false;
        while (length >= 1e-10) {
            const double trial = logLoss(points, a + length * da, b + length * db);
            if (trial <= loss + 1e-4 * length * slopeDown) {
                a += length * da;
                b += length * db;
                loss = trial;
                accepted = true;
                break;
            }
            length /= 2.0;
        }
        if (!accepted || std::max(std::fabs(length * da), std::fabs(length * db)) <= 1e-10) break;
    }
    c.fitted = std::isfinite(a) && std::isfinite(b);
    c.slope = a;
    c.intercept = b;
    return c;
}

ContrastChoice chooseContrastSettings(const std::vector<Sequence>& positives,
                                      const std::vector<Sequence>& negatives,
                                      const CrossValidationSettings& settings,
                                      const ContrastTuning& tuning, RunControl* control) {
    ContrastChoice choice;
    choice.cpThreshold =
        tuning.cpCandidates.empty() ? settings.cpThreshold : tuning.cpCandidates[0];
    choice.subBufferSize =
        tuning.subBufferCandidates.empty() ? settings.subBufferSize : tuning.subBufferCandidates[0];
    choice.innerAuc = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> cps = tuning.cpCandidates.empty()
                                        ? std::vector<double>{settings.cpThreshold}
                                        : tuning.cpCandidates;
    const std::vector<int32_t> subs = tuning.subBufferCandidates.empty()
                                          ? std::vector<int32_t>{settings.subBufferSize}
                                          : tuning.subBufferCandidates;
    LabelledScores bestScores;
    for (int32_t sub : subs) {
        for (double cp : cps) {
            CrossValidationSettings inner = settings;
            inner.cpThreshold = cp;
            inner.subBufferSize = sub;
            inner.threads = 1;
            const CrossValidationResult r =
                contrastCrossValidate(positives, negatives, inner, control, nullptr);
            if (!r.complete) continue;
            if (std::isnan(choice.innerAuc) || r.auc.auc > choice.innerAuc) {
                choice.innerAuc = r.auc.auc;
                choice.cpThreshold = cp;
                choice.subBufferSize = sub;
                bestScores = r.pooled;
            }
        }
    }
    if (tuning.calibrate && !std::isnan(choice.innerAuc))
        choice.calibration = fitContrastCalibration(bestScores);
    return choice;
}

CrossValidationResult contrastCrossValidate(const std::vector<Sequence>& positives,
                                            const std::vector<Sequence>& negatives,
                                            const CrossValidationSettings& settings,
                                            RunControl* control, CrossValidationProgress* progress,
                                            const ContrastTuning* tuning,
                                            std::vector<ContrastChoice>* choices) {
    std::vector<ContrastChoice> chosen(static_cast<size_t>(std::max(settings.folds, 0)));
    auto heldOut = [](double value) {
        SequenceScore score;
        score.assignedClass = -1;
        score.bestClass = -1;
        score.normalizedScore = std::numeric_limits<double>::quiet_NaN();
        score.bestScore = value;
        return score;
    };
    CrossValidationResult result = runCrossValidationFolds(
        positives, negatives, settings, progress,
        [&](const FoldSamples& s, CrossValidationProgress::Fold* foldProgress) {
            FoldScores outcome;
            setFoldStage(foldProgress, FoldStage::kSearching, 1);
            ContrastSettings search = contrastSettingsOf(settings);
            ContrastChoice& choice = chosen[static_cast<size_t>(s.fold)];
            choice.cpThreshold = search.cpThreshold;
            choice.subBufferSize = search.subBufferSize;
            choice.innerAuc = std::numeric_limits<double>::quiet_NaN();
            if (tuning != nullptr &&
                crossValidationRefusal(settings, static_cast<int32_t>(s.trainPositives.size()),
                                       static_cast<int32_t>(s.trainNegatives.size()))
                    .empty()) {
                choice = chooseContrastSettings(s.trainPositives, s.trainNegatives, settings,
                                                *tuning, control);
                search.cpThreshold = choice.cpThreshold;
                search.subBufferSize = choice.subBufferSize;
            }
            const ContrastRules rules =
                searchContrastRules(s.trainPositives, s.trainNegatives, search, control);
            if (!rules.complete || (control != nullptr && !control->gate())) return outcome;
            setFoldStage(foldProgress, FoldStage::kScoring,
                         static_cast<int32_t>(s.heldPositives.size() + s.heldNegatives.size()));
            outcome.rules = static_cast<int32_t>(rules.rules.size());
            auto score = [&](const std::vector<Sequence>& held) {
                std::vector<SequenceScore> scores;
                for (double v : contrastScores(rules, held))
                    scores.push_back(
                        heldOut(choice.calibration.fitted ? choice.calibration.probability(v) : v));
                return scores;
            };
            outcome.positives = score(s.heldPositives);
            outcome.negatives = score(s.heldNegatives);
            outcome.complete = true;
            return outcome;
        });
    if (result.complete && choices != nullptr) *choices = chosen;
    return result;
}

}  // namespace motifora
