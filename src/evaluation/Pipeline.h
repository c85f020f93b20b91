// The learning chain and the scores of its models, written once for every caller: the
// workspace's processes, the bootstrap, the folds of every cross-validation, the discriminative
// search and the genome scan.
//
// A model is learned from learning positives and negatives with one LearningSettings value:
// for the class score, the regularity search, the idealization and the classes; for the
// discriminative score, the discriminative search (with its settings chosen by an inner
// cross-validation when tuned). A Scorer then scores sequences with a learned model. Callers
// whose user runs the stages one at a time (the workspace) call the stages themselves
// (searchRegularities, idealizeObjects); everyone else calls learnModel.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "classify/Classificator.h"
#include "core/ProgressEvents.h"
#include "core/RunControl.h"
#include "core/SEQStorage.h"
#include "core/Sequence.h"
#include "evaluation/ContrastScore.h"
#include "evaluation/SequenceScores.h"
#include "rules/RegGenerator.h"
#include "rules/RulesStorage.h"
#include "rules/SearchSettings.h"

namespace motifora {

// The score a model gives a sequence.
enum class ScoreKind : int32_t {
    kClass = 0,           // the best score over the classes of the idealized rules
    kDiscriminative = 1,  // the discriminative rules' score (tuned: chosen and calibrated)
};

// "class" or "discriminative"; the reader takes those words and nothing else.
const char* scoreKindName(ScoreKind kind);
std::optional<ScoreKind> scoreKindOf(const std::string& name);

// Every setting of one learning run.
struct LearningSettings {
    ScoreKind score = ScoreKind::kClass;
    // The regularity search (or the discriminative search, which reads the same four fields),
    // always in fixed positions.
    SearchSettings search = SearchSettings::windowDefaults();
    int32_t searchThreads = 1;  // 0 = one per core; never changes a result
    // The idealization's type and what its ideal objects start from.
    IdealizationType idealizationType = IdealizationType::kDeletingInserting;
    IdealizationSource idealizationSource = IdealizationSource::kObjects;
    int32_t idealizationThreads = 1;  // 0 = one per core; never changes a result
    // Starting from the objects, the learning negatives are classified after the objects are
    // idealized.
    bool classifyNegatives = false;
    // The discriminative score tuned by an inner cross-validation of the learning sequences
    // (null: the settings above as they are). `inner` gives the inner folds, seed and level rule.
    const ContrastTuning* tuning = nullptr;
    CrossValidationSettings inner;
    // The conditions of the discriminative search.
    ContrastShape contrastShape = {};
};

// The learning part of a cross-validation's settings (its folds and level stay with it).
LearningSettings learningSettingsOf(const CrossValidationSettings& settings);
// The search settings of the window's search page (the idealization's stay as they start).
LearningSettings learningSettingsOf(const SearchSettings& search);
// The cross-validation settings of work whose last search used `search` (all four search
// fields 0: no search yet, so the window's defaults), whose classes were idealized with
// `idealizationType` from `idealizationSource`, on `threads` threads (folds and searches alike).
CrossValidationSettings crossValidationSettingsOf(const SearchSettings& search,
                                                  IdealizationType idealizationType,
                                                  IdealizationSource idealizationSource,
                                                  int32_t threads);
// The discriminative search's settings, untuned.
LearningSettings learningSettingsOf(const ContrastSettings& search);

// The stages' progress, called on the thread that runs them: a stage begins with `steps`
// steps, then each step is announced before the pause gate is passed for it.
enum class LearningStage : int32_t {
    kSearching = 0,   // a step per target position
    kIdealizing = 1,  // a step per learning object (or rule)
    kNegatives = 2,   // a step per learning negative classified
    kScoring = 3,     // a step per sequence scored
};
class LearningProgress {
  public:
    virtual ~LearningProgress() = default;
    virtual void stage(LearningStage stage, int32_t steps) { (void)stage, (void)steps; }
    virtual void step(int32_t step) { (void)step; }
    // The classes registered so far (after every object or rule of the idealization).
    virtual void classes(int32_t count) { (void)count; }
};

// Progress passed to functions (each may be empty).
class ProgressCallbacks : public LearningProgress {
  public:
    std::function<void(LearningStage, int32_t)> onStage;
    std::function<void(int32_t)> onStep;
    std::function<void(int32_t)> onClasses;
    void stage(LearningStage stage, int32_t steps) override {
        if (onStage) onStage(stage, steps);
    }
    void step(int32_t step) override {
        if (onStep) onStep(step);
    }
    void classes(int32_t count) override {
        if (onClasses) onClasses(count);
    }
};

// Where a run reports: all may be null (a null control runs to the end).
struct LearningRun {
    RunControl* control = nullptr;
    LearningProgress* progress = nullptr;
    ProgressSink* sink = nullptr;  // where the search and the idealization report what happens
};

// Searches the regularities of `objects` into `rules` with `generator` (its sink and thread
// count as the caller set them), target by target. False when the run flag was cleared; the
// rules found by then stay.
bool searchRegularities(RegGenerator& generator, SEQStorage& objects, RulesStorage& rules,
                        const LearningSettings& settings, const LearningRun& run);

// Idealizes the learning objects (or the rules) of a set-up classificator into classes, on
// settings.idealizationThreads threads (the classes are those of the one-by-one run), then,
// with settings.classifyNegatives when starting from the objects, classifies the learning
// negatives. False when
// stopped at a gate.
bool idealizeObjects(Classificator& classes, SEQStorage& objects, const RulesStorage& rules,
                     const LearningSettings& settings, const LearningRun& run);

// A learned model: rules and classes, or discriminative rules.
struct LearnedModel {
    ScoreKind score = ScoreKind::kClass;
    bool complete = false;  // false when stopped
    // The class score: the training positives as learning objects, the negatives as learning
    // negatives, their rules, ideal objects and classificator (which refers to the others).
    std::unique_ptr<SEQStorage> objects;
    std::unique_ptr<RulesStorage> rules;
    std::unique_ptr<IdealObjectArray> idealObjects;
    std::unique_ptr<Classificator> classes;
    // The discriminative score and, when tuned, the choice its settings came from.
    ContrastScorer contrast;
    ContrastChoice choice;

    int32_t ruleCount() const;
    int32_t classCount() const;
};

// Learns a model of `positives` against `negatives` (all of one width, as learning samples are).
// With a tuning and no `choice`, the settings are chosen on these sequences when they are
// enough for the inner folds; a given `choice` is used as it is.
LearnedModel learnModel(const std::vector<Sequence>& positives,
                        const std::vector<Sequence>& negatives, const LearningSettings& settings,
                        const LearningRun& run, const ContrastChoice* choice = nullptr);

// Scores sequences with a learned model.
class Scorer {
  public:
    virtual ~Scorer() = default;
    // Scores `records` (one sample, coded together) in order into `scores`, announcing each as a
    // step of `progress` numbered from `firstStep` and passing the gate of `control` before it.
    // False when stopped; `scores` then holds those scored so far.
    bool scoreAll(const std::vector<Sequence>& records, std::vector<SequenceScore>& scores,
                  RunControl* control, LearningProgress* progress, int32_t firstStep = 0);
    SequenceScore score(const Sequence& record);

  protected:
    virtual void begin(const std::vector<Sequence>& records) = 0;
    virtual SequenceScore scoreAt(size_t index) = 0;
};

// The class score: the sequence classified and scored against every class, its best score, and
// its score normalised by the learning negatives' scores of each class.
class ClassScore : public Scorer {
  public:
    // `objects` holds the classificator's learning objects and negatives (norms from
    // `negatives` of them; all when negative).
    ClassScore(Classificator& classes, const SEQStorage& objects, int32_t negatives = -1);
    SequenceScore scoreObject(const SEQSElem& object);

  protected:
    void begin(const std::vector<Sequence>& records) override;
    SequenceScore scoreAt(size_t index) override;

  private:
    Classificator& classes_;
    const SEQStorage& objects_;
    AllClassScorer scorer_;
    std::vector<ClassNorm> norms_;
    ObjectSet coded_;
};

// The discriminative score: bestScore is the scorer's score (no class: assigned and best class
// -1, normalised score not a number).
class DiscriminativeScore : public Scorer {
  public:
    explicit DiscriminativeScore(const ContrastScorer& scorer) : scorer_(scorer) {}
    static SequenceScore of(double value);

  protected:
    void begin(const std::vector<Sequence>& records) override;
    SequenceScore scoreAt(size_t index) override;

  private:
    const ContrastScorer& scorer_;
    const std::vector<Sequence>* records_ = nullptr;
};

// The scorer of a learned model (its own kind; a class model without classes scores every
// sequence as having none); the model must outlive it. Null for a model not learned to the end.
std::unique_ptr<Scorer> scorerOf(LearnedModel& model);

// One fold of a cross-validation: a model learned on the fold's training sequences and the
// scores its scorer gives the held-out ones (FoldScores). `choice`, when given, receives the
// settings a tuned discriminative model chose.
FoldScores learnAndScoreFold(const FoldSamples& samples, const LearningSettings& settings,
                             RunControl* control, CrossValidationProgress::Fold* progress,
                             ContrastChoice* choice = nullptr);

// The cross-validation of a score: the stratified folds of `settings` (runCrossValidationFolds),
// on each fold learnAndScoreFold with the learning part of `settings`, the score `score` and,
// for the discriminative score, `tuning` (may be null); `choices`, when given and the result is
// complete, receives every fold's choice. crossValidate and contrastCrossValidate are its two
// scores.
CrossValidationResult crossValidateScore(const std::vector<Sequence>& positives,
                                         const std::vector<Sequence>& negatives,
                                         const CrossValidationSettings& settings, ScoreKind score,
                                         const ContrastTuning* tuning, RunControl* control,
                                         CrossValidationProgress* progress,
                                         std::vector<ContrastChoice>* choices = nullptr);

}  // namespace motifora
