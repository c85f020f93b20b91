// The discriminative score of a sequence and its cross-validation.
//
// The score is the sum of the weights -ln(1 - |r|) of the discriminative rules whose conditions
// hold on the sequence, a rule predicting a positive adding its weight and one predicting a
// negative subtracting it. As such it is a log-odds-like sum, not a probability, and levels are
// chosen on it as on every other score; a tuned cross-validation calibrates each fold's scores
// to probabilities (fitContrastCalibration) so that folds with different settings compare.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/RunControl.h"
#include "core/SEQStorage.h"
#include "core/Sequence.h"
#include "evaluation/ContrastModel.h"
#include "evaluation/CrossValidation.h"
#include "rules/ContrastSearch.h"

namespace motifora {

// The score of an object coded with `rules.letters`.
double contrastScore(const ContrastRules& rules, const SEQSElem& object);
// The score of a record: its letters are placed at startPosition - 1 + j over the rules' width
// and coded with the rules' letters (a letter the table lacks has no code; a position the record
// does not cover is uncovered).
double contrastScore(const ContrastRules& rules, const Sequence& record);
std::vector<double> contrastScores(const ContrastRules& rules,
                                   const std::vector<Sequence>& records);

// A sequence's discriminative score `value` as a scored sequence: no class, no normalised score.
SequenceScore discriminativeSequenceScore(double value);

// The search settings of a cross-validation as the discriminative search reads them.
ContrastSettings contrastSettingsOf(const CrossValidationSettings& settings);

// A logistic map from discriminative scores to probabilities of "positive",
// p = 1 / (1 + exp(-(slope * score + intercept))), fitted on scores whose samples are known.
struct ContrastCalibration {
    bool fitted = false;  // false: probability() is not defined (the scores stay raw)
    double slope = 0.0;
    double intercept = 0.0;
    double probability(double score) const;
};

// Fits the map by maximum likelihood with the smoothed targets (P + 1) / (P + 2) for the P
// positives and 1 / (N + 2) for the N negatives, so that scores which separate the samples
// perfectly still give a finite slope. Newton steps with step halving from slope 0 and the
// intercept of the smoothed base rate; at most 100 steps, ending when the step no longer
// changes either coefficient by more than 1e-10. Not fitted without both samples.
ContrastCalibration fitContrastCalibration(const LabelledScores& scores);

// A choice of search settings made on learning sequences alone: every pair of a sub-buffer
// size and a CP threshold (sub-buffer sizes outer, CP thresholds inner, in the lists' order) is
// judged by an inner cross-validation of those sequences (the outer fold count and seed). With
// the sums of weights the pooled inner AUC judges, the highest wins, the first pair on ties, and
// with `calibrate` the winner's inner held-out scores also give the calibration of the scores
// its rules make. With `fit`, every inner fold also fits the weights of its rules for every
// rule scale (outer) and regularisation candidate (inner) and the sub-buffer, CP, rule scale and
// regularisation of the lowest pooled inner log-loss win (the first on ties); the scores are then
// the fitted probabilities. With letters, rule scale 0 is the letters' logistic regression alone,
// so the choice can fall back on it. Tolerance candidates, when given, are tried outermost of all
// (the settings' own tolerance otherwise).
struct ContrastTuning {
    std::vector<double> cpCandidates{0.6, 0.7, 0.8, 0.9};
    std::vector<int32_t> subBufferCandidates{50, 200};  // empty: the settings' own size only
    bool calibrate = true;
    bool fit = false;     // fitted weights (ContrastModel) instead of the sums
    bool letters = true;  // with `fit`: single letter-at-position features beside the rules
    std::vector<double> regularisationCandidates{0.01, 0.03, 0.1, 0.3, 1.0, 3.0, 10.0};
    std::vector<double> ruleScaleCandidates{1.0};   // 0 is skipped without letters
    std::vector<int32_t> toleranceCandidates = {};  // empty: the settings' contrastShape's
};
struct ContrastChoice {
    double cpThreshold = 0.0;
    int32_t subBufferSize = 0;
    double innerAuc = 0.0;  // not a number when no candidate could be judged
    ContrastCalibration calibration;
    // With fitted weights: the chosen regularisation C and the pooled inner log-loss.
    double regularisation = 0.0;
    double ruleScale = 1.0;
    double innerLogLoss = 0.0;
    // The level the settings' level rule takes on the winner's inner held-out scores, on the
    // scale of the scores its rules give (probabilities when calibrated or fitted): a level
    // chosen on these training sequences alone. Not a number when no candidate was judged.
    double innerLevel = 0.0;
    // The conditions' tolerance the rules are searched with, and whether the tuning chose it
    // among candidates.
    int32_t tolerance = 0;
    bool toleranceChosen = false;
};
ContrastChoice chooseContrastSettings(const std::vector<Sequence>& positives,
                                      const std::vector<Sequence>& negatives,
                                      const CrossValidationSettings& settings,
                                      const ContrastTuning& tuning, RunControl* control);

// Whether the held-out scores of a cross-validation whose folds made `choices` are probabilities:
// fitted weights, or tuned sums each fold calibrated.
bool contrastChoicesCalibrated(const std::vector<ContrastChoice>& choices, bool tuned, bool fitted);
// What the folds chose, in words ("CP threshold / sub-buffer chosen on each fold's training
// sequences: 0.70/50 ...", the tolerance last when it was chosen), and what their scores are;
// empty when nothing was chosen.
std::string contrastChoicesText(const std::vector<ContrastChoice>& choices, bool tuned,
                                bool fitted);

// The scorer of a choice: rules found with the chosen settings on `positives` and `negatives`,
// their weights fitted with the chosen regularisation when the tuning fits, and the score each
// record gets (the fitted probability, the calibrated probability or the raw sum).
struct ContrastScorer {
    ContrastRules rules;
    ContrastModel model;              // fitted when the tuning fits
    ContrastCalibration calibration;  // fitted when the choice was calibrated
    double score(const Sequence& record) const;
    // The same of an object coded with `rules.letters` over the rules' width.
    double score(const SEQSElem& object) const;
    bool probabilities() const { return model.fitted || calibration.fitted; }
};
ContrastScorer contrastScorerOf(const std::vector<Sequence>& positives,
                                const std::vector<Sequence>& negatives,
                                const CrossValidationSettings& settings,
                                const ContrastTuning* tuning, const ContrastChoice& choice,
                                RunControl* control);

// The cross-validation of the discriminative score: the same stratified folds as crossValidate
// (same seed, same split), on each fold the discriminative search on the other folds and the
// scores of the held-out sequences; the result has the same form, each held-out sequence's
// bestScore being its discriminative score (no class: assigned and best class -1, normalised
// score not a number), the folds' rule counts those of the discriminative rules and no classes.
// Folds run in parallel; the result never depends on the number of threads. With `tuning`, each
// fold chooses its settings with chooseContrastSettings on its own training sequences (never
// seeing the held-out ones) and, when the choice is calibrated, its held-out scores are the
// calibrated probabilities; `choices`, when given, receives the choice of every fold.
CrossValidationResult contrastCrossValidate(const std::vector<Sequence>& positives,
                                            const std::vector<Sequence>& negatives,
                                            const CrossValidationSettings& settings,
                                            RunControl* control, CrossValidationProgress* progress,
                                            const ContrastTuning* tuning = nullptr,
                                            std::vector<ContrastChoice>* choices = nullptr);

}  // namespace motifora
