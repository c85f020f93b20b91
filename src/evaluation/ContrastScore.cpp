// Discriminative scores and their folds.
#include "evaluation/ContrastScore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/NumberFormat.h"
#include "evaluation/Pipeline.h"

namespace motifora {

double contrastScore(const ContrastRules& rules, const SEQSElem& object) {
    const int32_t alphabet = rules.letters.size();
    double score = 0.0;
    for (const ContrastRule& rule : rules.rules) {
        if (!contrastRuleHolds(rule, object, alphabet, rules.shape, rules.width)) continue;
        score += rule.signedWeight();
    }
    return score;
}

double contrastScore(const ContrastRules& rules, const Sequence& record) {
    return contrastScore(rules, contrastObject(rules, record));
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
    s.search = settings.search;
    s.threads = settings.searchThreads;
    s.shape = settings.contrastShape;
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

SequenceScore discriminativeSequenceScore(double value) {
    SequenceScore score;
    score.assignedClass = -1;
    score.bestClass = -1;
    score.normalizedScore = std::numeric_limits<double>::quiet_NaN();
    score.bestScore = value;
    return score;
}

namespace {

LabelledScores mapped(const LabelledScores& scores, const ContrastCalibration& calibration) {
    if (!calibration.fitted) return scores;
    LabelledScores out;
    for (double v : scores.positives) out.positives.push_back(calibration.probability(v));
    for (double v : scores.negatives) out.negatives.push_back(calibration.probability(v));
    return out;
}

// The (rule scale, regularisation) pairs a fitting tuning tries, rule scales outer.
std::vector<std::pair<double, double>> fitGrid(const ContrastTuning& tuning) {
    std::vector<std::pair<double, double>> grid;
    const std::vector<double> scales =
        tuning.ruleScaleCandidates.empty() ? std::vector<double>{1.0} : tuning.ruleScaleCandidates;
    for (double scale : scales) {
        if (!(scale > 0.0) && !tuning.letters) continue;  // nothing left to fit
        for (double c : tuning.regularisationCandidates) grid.emplace_back(scale, c);
    }
    return grid;
}

// One candidate's inner cross-validation: on each inner fold the rules of its training
// sequences and the raw sums of its held-out ones (the result), and with `fitCandidates` the
// fitted probabilities of the held-out ones for every regularisation, pooled over the folds
// (`fitted`, one entry per candidate).
CrossValidationResult innerContrastRun(const std::vector<Sequence>& positives,
                                       const std::vector<Sequence>& negatives,
                                       const CrossValidationSettings& inner,
                                       const ContrastTuning* fitCandidates, RunControl* control,
                                       std::vector<LabelledScores>* fitted) {
    const std::vector<std::pair<double, double>> candidates =
        fitCandidates != nullptr ? fitGrid(*fitCandidates)
                                 : std::vector<std::pair<double, double>>{};
    const size_t cs = candidates.size();
    std::vector<std::vector<LabelledScores>> perFold(static_cast<size_t>(std::max(inner.folds, 0)),
                                                     std::vector<LabelledScores>(cs));
    CrossValidationResult result = runCrossValidationFolds(
        positives, negatives, inner, nullptr,
        [&](const FoldSamples& s, CrossValidationProgress::Fold*) {
            FoldScores outcome;
            LearningSettings learning = learningSettingsOf(inner);
            learning.score = ScoreKind::kDiscriminative;
            const ContrastRules rules =
                learnModel(s.trainPositives, s.trainNegatives, learning, {control}).contrast.rules;
            if (!rules.complete || (control != nullptr && !control->gate())) return outcome;
            outcome.rules = static_cast<int32_t>(rules.rules.size());
            for (double v : contrastScores(rules, s.heldPositives))
                outcome.positives.push_back(discriminativeSequenceScore(v));
            for (double v : contrastScores(rules, s.heldNegatives))
                outcome.negatives.push_back(discriminativeSequenceScore(v));
            if (cs > 0) {
                const bool letters = fitCandidates->letters;
                const ContrastDesign design =
                    contrastDesign(rules, letters, s.trainPositives, s.trainNegatives);
                const ContrastDesign held =
                    contrastDesign(rules, letters, s.heldPositives, s.heldNegatives);
                for (size_t c = 0; c < cs; ++c) {
                    const ContrastModel model =
                        fitContrastModel(rules, letters, design, candidates[c].second,
                                         candidates[c].first, kContrastSelectionTolerance);
                    LabelledScores& out = perFold[static_cast<size_t>(s.fold)][c];
                    auto probability = [&](const std::vector<int32_t>& active) {
                        return logistic(model.logOddsOf(active));
                    };
                    for (const auto& active : held.positives)
                        out.positives.push_back(probability(active));
                    for (const auto& active : held.negatives)
                        out.negatives.push_back(probability(active));
                }
            }
            outcome.complete = true;
            return outcome;
        });
    if (fitted != nullptr) {
        fitted->assign(cs, LabelledScores{});
        for (const auto& fold : perFold) {
            for (size_t c = 0; c < cs; ++c) {
                auto& to = (*fitted)[c];
                to.positives.insert(to.positives.end(), fold[c].positives.begin(),
                                    fold[c].positives.end());
                to.negatives.insert(to.negatives.end(), fold[c].negatives.begin(),
                                    fold[c].negatives.end());
            }
        }
    }
    return result;
}

}  // namespace

ContrastChoice chooseContrastSettings(const std::vector<Sequence>& positives,
                                      const std::vector<Sequence>& negatives,
                                      const CrossValidationSettings& settings,
                                      const ContrastTuning& tuning, RunControl* control) {
    ContrastChoice choice;
    choice.cpThreshold =
        tuning.cpCandidates.empty() ? settings.search.cpThreshold : tuning.cpCandidates[0];
    choice.subBufferSize = tuning.subBufferCandidates.empty() ? settings.search.subBufferSize
                                                              : tuning.subBufferCandidates[0];
    const double nan = std::numeric_limits<double>::quiet_NaN();
    choice.innerAuc = nan;
    choice.innerLogLoss = nan;
    choice.innerLevel = nan;
    choice.regularisation = nan;
    const std::vector<double> cps = tuning.cpCandidates.empty()
                                        ? std::vector<double>{settings.search.cpThreshold}
                                        : tuning.cpCandidates;
    const std::vector<int32_t> subs = tuning.subBufferCandidates.empty()
                                          ? std::vector<int32_t>{settings.search.subBufferSize}
                                          : tuning.subBufferCandidates;
    const std::vector<int32_t> tolerances =
        tuning.toleranceCandidates.empty() ? std::vector<int32_t>{settings.contrastShape.tolerance}
                                           : tuning.toleranceCandidates;
    choice.tolerance = tolerances[0];
    choice.toleranceChosen = !tuning.toleranceCandidates.empty();
    const bool fit = tuning.fit && !tuning.regularisationCandidates.empty();
    LabelledScores bestScores;
    const std::vector<std::pair<double, double>> grid =
        fit ? fitGrid(tuning) : std::vector<std::pair<double, double>>{};
    for (int32_t tolerance : tolerances) {
        for (int32_t sub : subs) {
            for (double cp : cps) {
                CrossValidationSettings inner = settings;
                inner.search.cpThreshold = cp;
                inner.search.subBufferSize = sub;
                inner.contrastShape.tolerance = tolerance;
                inner.threads = 1;
                std::vector<LabelledScores> fitted;
                const CrossValidationResult r = innerContrastRun(
                    positives, negatives, inner, fit ? &tuning : nullptr, control, &fitted);
                if (!r.complete) continue;
                if (!fit) {
                    if (std::isnan(choice.innerAuc) || r.auc.auc > choice.innerAuc) {
                        choice.innerAuc = r.auc.auc;
                        choice.cpThreshold = cp;
                        choice.subBufferSize = sub;
                        choice.tolerance = tolerance;
                        bestScores = r.pooled;
                    }
                    continue;
                }
                for (size_t c = 0; c < fitted.size(); ++c) {
                    const double loss = meanLogLoss(fitted[c].positives, fitted[c].negatives);
                    if (std::isnan(loss)) continue;
                    if (std::isnan(choice.innerLogLoss) || loss < choice.innerLogLoss) {
                        choice.innerLogLoss = loss;
                        choice.innerAuc = aucWithDeLongInterval(fitted[c]).auc;
                        choice.cpThreshold = cp;
                        choice.subBufferSize = sub;
                        choice.tolerance = tolerance;
                        choice.ruleScale = grid[c].first;
                        choice.regularisation = grid[c].second;
                        bestScores = fitted[c];
                    }
                }
            }
        }
    }
    if (std::isnan(choice.innerAuc)) return choice;
    if (!fit && tuning.calibrate) choice.calibration = fitContrastCalibration(bestScores);
    choice.innerLevel = chooseLevel(mapped(bestScores, choice.calibration), settings.levelRule,
                                    settings.wantedFirstError);
    return choice;
}

bool contrastChoicesCalibrated(const std::vector<ContrastChoice>& choices, bool tuned,
                               bool fitted) {
    if (!(tuned || fitted) || choices.empty()) return false;
    if (fitted) return true;
    for (const ContrastChoice& c : choices)
        if (!c.calibration.fitted) return false;
    return true;
}

std::string contrastChoicesText(const std::vector<ContrastChoice>& choices, bool tuned,
                                bool fitted) {
    if (!(tuned || fitted)) return {};
    const auto general = [](double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", value);
        return std::string(text);
    };
    std::string text;
    const bool tolerance = std::any_of(choices.begin(), choices.end(),
                                       [](const ContrastChoice& c) { return c.toleranceChosen; });
    if (tuned) {
        text = fitted ? "CP threshold / sub-buffer / regularisation / rule scale"
                      : "CP threshold / sub-buffer";
        text += tolerance ? " / tolerance chosen on each fold's training sequences:"
                          : " chosen on each fold's training sequences:";
        for (const ContrastChoice& c : choices) {
            text += " " + printfFixed(c.cpThreshold, 2) + "/" + std::to_string(c.subBufferSize);
            if (fitted) text += "/" + general(c.regularisation) + "/" + general(c.ruleScale);
            if (tolerance) text += "/" + std::to_string(c.tolerance);
        }
    } else {
        text = tolerance ? "regularisation / rule scale / tolerance chosen on each fold's "
                           "training sequences:"
                         : "regularisation / rule scale chosen on each fold's training sequences:";
        for (const ContrastChoice& c : choices) {
            text += " " + general(c.regularisation) + "/" + general(c.ruleScale);
            if (tolerance) text += "/" + std::to_string(c.tolerance);
        }
    }
    if (fitted)
        text += "; scores are fitted probabilities";
    else if (contrastChoicesCalibrated(choices, tuned, fitted))
        text += "; scores calibrated to probabilities on them";
    return text;
}

double ContrastScorer::score(const Sequence& record) const {
    return score(contrastObject(rules, record));
}

double ContrastScorer::score(const SEQSElem& object) const {
    if (model.fitted) return logistic(model.logOdds(rules, object));
    const double sum = contrastScore(rules, object);
    return calibration.fitted ? calibration.probability(sum) : sum;
}

ContrastScorer contrastScorerOf(const std::vector<Sequence>& positives,
                                const std::vector<Sequence>& negatives,
                                const CrossValidationSettings& settings,
                                const ContrastTuning* tuning, const ContrastChoice& choice,
                                RunControl* control) {
    ContrastScorer scorer;
    ContrastSettings search = contrastSettingsOf(settings);
    if (tuning != nullptr && !std::isnan(choice.innerAuc)) {
        search.search.cpThreshold = choice.cpThreshold;
        search.search.subBufferSize = choice.subBufferSize;
        search.shape.tolerance = choice.tolerance;
    }
    scorer.rules = searchContrastRules(positives, negatives, search, control);
    scorer.calibration = choice.calibration;
    if (tuning != nullptr && tuning->fit && scorer.rules.complete && choice.regularisation > 0.0) {
        const ContrastDesign design =
            contrastDesign(scorer.rules, tuning->letters, positives, negatives);
        scorer.model = fitContrastModel(scorer.rules, tuning->letters, design,
                                        choice.regularisation, choice.ruleScale);
    }
    return scorer;
}

}  // namespace motifora
