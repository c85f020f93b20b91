// The discriminative score of a sequence and its cross-validation.
//
// The score is the sum of the weights -ln(1 - |r|) of the discriminative rules whose conditions
// hold on the sequence, a rule predicting a positive adding its weight and one predicting a
// negative subtracting it. It is not calibrated: it is a log-odds-like sum, not a probability,
// and levels are chosen on it as on every other score.
#pragma once

#include <cstdint>
#include <vector>

#include "core/RunControl.h"
#include "core/SEQStorage.h"
#include "core/Sequence.h"
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

// The search settings of a cross-validation as the discriminative search reads them.
ContrastSettings contrastSettingsOf(const CrossValidationSettings& settings);

// A choice of the CP threshold made on learning sequences alone: each candidate is judged by
// the pooled AUC of an inner cross-validation of those sequences (the outer fold count and
// seed); the highest AUC wins, the first candidate on ties.
struct ContrastTuning {
    std::vector<double> cpCandidates{0.6, 0.7, 0.8, 0.9};
};
double chooseContrastCp(const std::vector<Sequence>& positives,
                        const std::vector<Sequence>& negatives,
                        const CrossValidationSettings& settings, const ContrastTuning& tuning,
                        RunControl* control);

// The cross-validation of the discriminative score: the same stratified folds as crossValidate
// (same seed, same split), on each fold the discriminative search on the other folds and the
// scores of the held-out sequences; the result has the same form, each held-out sequence's
// bestScore being its discriminative score (no class: assigned and best class -1, normalised
// score not a number), the folds' rule counts those of the discriminative rules and no classes.
// Folds run in parallel; the result never depends on the number of threads. With `tuning`, each
// fold chooses its CP threshold with chooseContrastCp on its own training sequences (never
// seeing the held-out ones); `chosenCp`, when given, receives the choice of every fold.
CrossValidationResult contrastCrossValidate(const std::vector<Sequence>& positives,
                                            const std::vector<Sequence>& negatives,
                                            const CrossValidationSettings& settings,
                                            RunControl* control, CrossValidationProgress* progress,
                                            const ContrastTuning* tuning = nullptr,
                                            std::vector<double>* chosenCp = nullptr);

}  // namespace motifora
