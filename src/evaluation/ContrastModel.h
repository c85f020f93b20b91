// Fitted weights for the discriminative rules: one weight per rule and an intercept (and, when
// asked, one weight per letter at a position) fitted by L2-regularised logistic regression on the
// 0/1 indicators of the learning sequences, so that the score is a log-odds of "positive".
//
// The fit minimises 0.5 * |w|^2 + C * sum ln(1 + exp(-y w.x)) over the learning sequences
// (y = +1 for a positive, -1 for a negative). The intercept is the weight of a constant feature
// 1 and is regularised with the others. A rule's indicator enters with the value `ruleScale`
// instead of 1 (its weight is then penalised 1 / ruleScale^2 as much as a letter's; 0 leaves the
// rules out, giving a position weight matrix's logistic regression); the weights kept are those
// of the 0/1 indicators. liblinear's trust-region Newton solver does the fit.
#pragma once

#include <cstdint>
#include <vector>

#include "core/SEQStorage.h"
#include "core/Sequence.h"
#include "rules/ContrastSearch.h"

namespace motifora {

// The 0-based indexes of the features that are 1 for an object coded with `rules.letters`, in
// ascending order: first the rules that hold (index = rule), then, with `letters`, the letter at
// each covered position (index = rules + position * alphabet + code).
std::vector<int32_t> contrastFeatures(const ContrastRules& rules, bool letters,
                                      const SEQSElem& object);
int32_t contrastFeatureCount(const ContrastRules& rules, bool letters);

// A record placed at startPosition - 1 + j over the rules' width and coded with their letters
// (a letter the table lacks has no code; a position the record does not cover is uncovered).
SEQSElem contrastObject(const ContrastRules& rules, const Sequence& record);

struct ContrastModel {
    bool fitted = false;
    bool letters = false;         // single letter-at-position features beside the rules
    double regularisation = 0.0;  // C
    double ruleScale = 1.0;
    double intercept = 0.0;
    std::vector<double> ruleWeights;    // one per rule of the rules it was fitted with
    std::vector<double> letterWeights;  // [position * alphabet + code]; empty without letters
    int32_t alphabet = 0;

    // The log-odds of "positive": intercept plus the weights of the features that are 1 (as
    // contrastFeatures gives them; 0 when not fitted).
    double logOddsOf(const std::vector<int32_t>& active) const;
    // The weight feature f adds to the log-odds into `weight`; false when it adds nothing.
    bool featureWeight(int64_t f, double& weight) const;
    double logOdds(const ContrastRules& rules, const SEQSElem& object) const;
    double logOdds(const ContrastRules& rules, const Sequence& record) const;
    double probability(const ContrastRules& rules, const Sequence& record) const;
};

// The logistic function 1 / (1 + exp(-z)), without overflow.
double logistic(double z);

// Features of learning objects, ready for fitting with several regularisations.
struct ContrastDesign {
    int32_t featureCount = 0;
    std::vector<std::vector<int32_t>> positives;  // the active features of each positive
    std::vector<std::vector<int32_t>> negatives;
};
ContrastDesign contrastDesign(const ContrastRules& rules, bool letters,
                              const std::vector<Sequence>& positives,
                              const std::vector<Sequence>& negatives);

// The solver's stopping tolerance: the gradient's norm falls below this fraction of its first
// value (scaled by the smaller sample's share). Tight for the models that score; the inner
// cross-validation, which only compares candidates, fits to kContrastSelectionTolerance.
constexpr double kContrastFitTolerance = 1e-8;
constexpr double kContrastSelectionTolerance = 1e-3;

// Fits the weights with regularisation `c` (> 0) and rule scale `ruleScale` (>= 0) on the
// design; not fitted without both samples. The model's weights are laid out for `rules` (the
// design's rules).
ContrastModel fitContrastModel(const ContrastRules& rules, bool letters,
                               const ContrastDesign& design, double c, double ruleScale = 1.0,
                               double tolerance = kContrastFitTolerance);

// The mean negative log-likelihood of probabilities of "positive" given to known samples
// (probabilities clipped to [1e-12, 1 - 1e-12]); not a number without scores.
double meanLogLoss(const std::vector<double>& positiveProbabilities,
                   const std::vector<double>& negativeProbabilities);

}  // namespace motifora
