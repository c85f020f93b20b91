// Stratified k-fold cross-validation of the whole learning chain: for each fold, rule search and
// idealization on the other folds, then scores for the held-out sequences; pooled and per-fold
// ROC, AUC, level and errors. Folds run in parallel; the results never depend on the number of
// threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "classify/IdealizationType.h"
#include "core/RunControl.h"
#include "core/Sequence.h"
#include "evaluation/FoldSplit.h"
#include "evaluation/RocAnalysis.h"
#include "evaluation/SequenceScores.h"
#include "rules/ContrastSearch.h"
#include "rules/SearchSettings.h"

namespace motifora {

struct CrossValidationSettings {
    int32_t folds = 5;
    uint64_t seed = 1;
    // The rule search of every fold, as the search page sets it (always in fixed positions: the
    // alignment fields are not read).
    SearchSettings search = SearchSettings::windowDefaults();
    // The idealization's type and what its ideal objects start from.
    IdealizationType idealizationType = IdealizationType::kDeletingInserting;
    IdealizationSource idealizationSource = IdealizationSource::kObjects;
    LevelRule levelRule = LevelRule::kWantedFirstError;
    double wantedFirstError = 0.05;
    // Folds run at once (0 = one per core); each fold's search evaluates children on
    // `searchThreads` threads (0 = one per core). Neither changes a result.
    int32_t threads = 0;
    int32_t searchThreads = 1;
    // The conditions of a discriminative search (read by it alone).
    ContrastShape contrastShape = {};
};

// The checked settings of a cross-validation, in the order they are checked: its own, then the
// search settings every fold searches with.
enum class CrossValidationField : int32_t { Folds, WantedFirstError, Search };

// The first field that failed, how, and the bound it crossed; for Search, `search` says which
// search setting failed (and holds the same fault and bound).
struct CrossValidationProblem {
    CrossValidationField field = CrossValidationField::Folds;
    SearchFault fault = SearchFault::NotANumber;
    double bound = 0.0;
    std::optional<SearchProblem> search;

    bool operator==(const CrossValidationProblem&) const = default;
};

// The least number of folds: one held out and at least one to learn from.
constexpr int32_t kLeastFolds = 2;
// The values `field` may take, both ends included: the folds at least kLeastFolds, the wanted
// first-level error from 0 to 1.
SearchBounds crossValidationBounds(CrossValidationField field);
// Checks one value of `field` against its bounds (a NaN is NotANumber); nothing when it holds.
// The one check of these bounds the window, the command line and the workspace make.
std::optional<CrossValidationProblem> checkCrossValidationField(CrossValidationField field,
                                                                double value);
// Checks the folds, the wanted first-level error, then the search settings in fixed positions
// (checkSearchSettings); returns the first problem, or nothing when every field holds.
std::optional<CrossValidationProblem> checkCrossValidationSettings(
    const CrossValidationSettings& settings);

// Why a cross-validation cannot start, or an empty text when it can: too few folds or sequences,
// a wanted error outside 0 to 1, or search settings the rule search refuses
// (searchSettingsRefusal, in the words of the setting's caption).
std::string crossValidationRefusal(const CrossValidationSettings& settings, int32_t positives,
                                   int32_t negatives);

enum class FoldStage : int32_t {
    kWaiting = 0,
    kSearching = 1,   // step = target position, steps = width
    kIdealizing = 2,  // step = object (or rule), steps = their count
    kScoring = 3,     // step = held-out sequence, steps = their count
    kDone = 4,
    kStopped = 5,
};

// Progress that the window reads while the folds run (any thread may read it at any time).
class CrossValidationProgress {
  public:
    struct Fold {
        std::atomic<int32_t> stage{0};
        std::atomic<int32_t> step{0};
        std::atomic<int32_t> steps{0};
    };
    void reset(int32_t folds);
    int32_t foldCount() const { return count_; }
    Fold& fold(int32_t f) { return folds_[static_cast<size_t>(f)]; }
    const Fold& fold(int32_t f) const { return folds_[static_cast<size_t>(f)]; }
    // Folds that have reached kDone.
    int32_t doneCount() const;
    // Called on the fold's thread as each fold ends (done or stopped); may be empty.
    std::function<void()> onFoldEnd;

  private:
    std::unique_ptr<Fold[]> folds_;
    int32_t count_ = 0;
};

// Puts `fold` (may be null) at the start of `stage` of `steps` steps.
void setFoldStage(CrossValidationProgress::Fold* fold, FoldStage stage, int32_t steps);

// One held-out sequence: the sample (true learning positive, false learning negative), its
// record index there, its fold and its scores from the classes of the other folds.
struct HeldOutSequence {
    bool positive = false;
    int32_t record = 0;
    int32_t fold = 0;
    SequenceScore score;
};

struct FoldSummary {
    int32_t fold = 0;
    int32_t positives = 0;  // held out
    int32_t negatives = 0;
    int32_t rules = 0;  // found on the other folds
    int32_t classes = 0;
    AucEstimate auc;
    LevelErrors errors;  // at the pooled level
};

struct CrossValidationResult {
    bool complete = false;  // false when stopped (the figures are then empty)
    CrossValidationSettings settings;
    std::vector<FoldSummary> folds;
    // Every learning positive, then every learning negative, in record order.
    std::vector<HeldOutSequence> sequences;
    LabelledScores pooled;  // best scores of the held-out positives and negatives
    AucEstimate auc;
    std::vector<RocPoint> roc;
    std::vector<PrPoint> precisionRecall;
    ScoreHistogram histogram;
    LevelErrors errors;  // pooled, at the chosen level
    double level = 0.0;
};

// Runs the cross-validation of `positives` and `negatives` (all of one width, as the learning
// samples are) with `settings`. `control` may be null (runs to the end); clearing its run flag
// stops every fold at its next gate and the result comes back incomplete. `progress` may be
// null. Refused settings (crossValidationRefusal) give an incomplete result at once.
CrossValidationResult crossValidate(const std::vector<Sequence>& positives,
                                    const std::vector<Sequence>& negatives,
                                    const CrossValidationSettings& settings, RunControl* control,
                                    CrossValidationProgress* progress);

// Pools per-sequence results already computed (fold, label, score) into the figures of a result
// with `settings`' level rule: pooled and per-fold AUC, curves, histogram, level and errors.
void summarizeCrossValidation(CrossValidationResult& result);
// One fold's sequences: its training sequences (the other folds) and its held-out ones, each in
// record order.
struct FoldSamples {
    int32_t fold = 0;
    std::vector<Sequence> trainPositives, trainNegatives;
    std::vector<Sequence> heldPositives, heldNegatives;
};
// What a fold gives back: whether it ran to the end, the rules and classes it found and the
// scores of its held-out positives and negatives, in the order of FoldSamples.
struct FoldScores {
    bool complete = false;
    int32_t rules = 0;
    int32_t classes = 0;
    std::vector<SequenceScore> positives;
    std::vector<SequenceScore> negatives;
};
using FoldRunner =
    std::function<FoldScores(const FoldSamples& samples, CrossValidationProgress::Fold* progress)>;

// The frame every cross-validation shares: refuses what crossValidationRefusal refuses, splits
// the records into settings.folds stratified folds (settings.seed), runs `runFold` on every fold
// at once on up to settings.threads threads (each fold marked done or stopped in `progress`,
// which may be null) and, when every fold has run to the end, puts each held-out score back at
// its record and summarises (summarizeCrossValidation). A fold that stops leaves the result
// incomplete.
CrossValidationResult runCrossValidationFolds(const std::vector<Sequence>& positives,
                                              const std::vector<Sequence>& negatives,
                                              const CrossValidationSettings& settings,
                                              CrossValidationProgress* progress,
                                              const FoldRunner& runFold);

}  // namespace motifora
