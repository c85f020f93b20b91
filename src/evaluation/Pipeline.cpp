// The learning chain (regularity search, idealization, classes; or the discriminative search)
// and the scorers of its models.
#include "evaluation/Pipeline.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "classify/ParallelIdealization.h"
#include "core/WorkerPool.h"

namespace motifora {

namespace {

bool going(RunControl* control) { return control == nullptr || control->gate(); }

void announce(LearningProgress* progress, LearningStage stage, int32_t steps) {
    if (progress != nullptr) progress->stage(stage, steps);
}

void announceStep(LearningProgress* progress, int32_t step) {
    if (progress != nullptr) progress->step(step);
}

int32_t sizeOf(const std::vector<Sequence>& records) {
    return static_cast<int32_t>(records.size());
}

}  // namespace

const char* scoreKindName(ScoreKind kind) {
    return kind == ScoreKind::kDiscriminative ? "discriminative" : "class";
}

std::optional<ScoreKind> scoreKindOf(const std::string& name) {
    if (name == "class") return ScoreKind::kClass;
    if (name == "discriminative") return ScoreKind::kDiscriminative;
    return std::nullopt;
}

LearningSettings learningSettingsOf(const CrossValidationSettings& settings) {
    LearningSettings s;
    s.search = settings.search.inFixedPositions();
    s.searchThreads = settings.searchThreads;
    s.idealizationType = settings.idealizationType;
    s.idealizationSource = settings.idealizationSource;
    s.inner = settings;
    s.contrastShape = settings.contrastShape;
    return s;
}

LearningSettings learningSettingsOf(const SearchSettings& search) {
    LearningSettings s;
    s.search = search.inFixedPositions();
    return s;
}

CrossValidationSettings crossValidationSettingsOf(const SearchSettings& search,
                                                  IdealizationType idealizationType,
                                                  IdealizationSource idealizationSource,
                                                  int32_t threads) {
    CrossValidationSettings settings;
    settings.search = search.orWindowDefaults().inFixedPositions();
    settings.idealizationType = idealizationType;
    settings.idealizationSource = idealizationSource;
    settings.threads = threads;
    settings.searchThreads = threads;
    return settings;
}

LearningSettings learningSettingsOf(const ContrastSettings& search) {
    LearningSettings s;
    s.score = ScoreKind::kDiscriminative;
    s.search = search.search.inFixedPositions();
    s.searchThreads = search.threads;
    s.contrastShape = search.shape;
    s.inner.contrastShape = search.shape;
    return s;
}

bool searchRegularities(RegGenerator& generator, SEQStorage& objects, RulesStorage& rules,
                        const LearningSettings& settings, const LearningRun& run) {
    generator.Init(&objects, &rules, settings.search);
    // Without objects no target can give a rule; a frame wider than every record would
    // otherwise walk through all its positions for nothing.
    const int32_t width = objects.learnObjectCount > 0 ? objects.width : 0;
    announce(run.progress, LearningStage::kSearching, width);
    for (int32_t target = 0; target < width; ++target) {
        announceStep(run.progress, target);
        generator.SetTarget(target);
        // The gate holds a paused search here, between two steps, and answers the run flag.
        while (going(run.control) && generator.Step()) {
        }
        if (run.control != nullptr && !run.control->isRunning()) return false;
    }
    return true;
}

bool idealizeObjects(Classificator& classes, SEQStorage& objects, const RulesStorage& rules,
                     const LearningSettings& settings, const LearningRun& run) {
    LearningProgress* progress = run.progress;
    // With more than one thread the objects (or rules) are idealized a batch at a time on the
    // pool and registered here in their order, which gives the classes of the one-by-one run;
    // the pause gate is then passed between registrations instead of between changes.
    const int32_t threads = WorkerPool::threadsFor(settings.idealizationThreads);
    std::unique_ptr<WorkerPool> pool;
    std::unique_ptr<ParallelIdealization> parallel;
    if (threads > 1) {
        pool = std::make_unique<WorkerPool>(threads);
        parallel = std::make_unique<ParallelIdealization>(classes, *pool);
    }
    std::vector<std::optional<Idealized>> batch;
    int32_t batchFirst = 0;
    // The idealized form of source j (an object of `from`, or rule j when null), made with the
    // batch that holds it; null when there is no pool.
    const auto idealized = [&](const SEQSElem* from, int32_t j,
                               int32_t count) -> const std::optional<Idealized>* {
        if (!parallel) return nullptr;
        if (j == 0 || j >= batchFirst + static_cast<int32_t>(batch.size())) {
            batchFirst = j;
            parallel->idealize(from, j, std::min(kIdealizationBatch, count - j), batch);
        }
        return &batch[static_cast<size_t>(j - batchFirst)];
    };
    const auto registered = [&](const std::optional<Idealized>* made, const SEQSElem* object,
                                int32_t rule) {
        if (made == nullptr) return classes.IdealizeAndRegister(object, rule);
        if (!made->has_value()) return -1;
        return classes.RegisterIdealized(object, rule, (*made)->object, (*made)->status);
    };
    const auto madeClasses = [&] {
        if (progress != nullptr) progress->classes(classes.idealObjectCount);
    };
    bool whole = true;
    if (settings.idealizationSource == IdealizationSource::kObjects) {
        const int32_t n = std::min(objects.learnObjectCount, objects.learnObjects.size());
        announce(progress, LearningStage::kIdealizing, n);
        for (int32_t j = 0; j < n; ++j) {
            announceStep(progress, j);
            if (!going(run.control)) {
                whole = false;
                break;
            }
            SEQSElem& object = objects.learnObjects[j];
            object.classNumber =
                registered(idealized(objects.learnObjects.data(), j, n), &object, -1);
            madeClasses();
        }
        if (settings.classifyNegatives) {
            const int32_t m = std::min(objects.negativeObjectCount, objects.negativeObjects.size());
            announce(progress, LearningStage::kNegatives, m);
            for (int32_t k = 0; k < m; ++k) {
                announceStep(progress, k);
                if (!going(run.control)) {
                    whole = false;
                    break;
                }
                SEQSElem& object = objects.negativeObjects[k];
                const std::optional<Idealized>* made =
                    idealized(objects.negativeObjects.data(), k, m);
                if (made == nullptr) {
                    object.classNumber =
                        classes.ClassifyObject(object, k + 1, ObjectSetKind::LearnNegative);
                } else {
                    object.classNumber =
                        made->has_value()
                            ? classes.ClassifyIdealized((*made)->object, (*made)->status, k + 1,
                                                        ObjectSetKind::LearnNegative)
                            : -1;
                }
                madeClasses();
            }
        }
    } else {
        const int32_t r = rules.Count();
        announce(progress, LearningStage::kIdealizing, r);
        for (int32_t i = 0; i < r; ++i) {
            announceStep(progress, i);
            if (!going(run.control)) {
                whole = false;
                break;
            }
            registered(idealized(nullptr, i, r), nullptr, i);
            madeClasses();
        }
    }
    return whole;
}

int32_t LearnedModel::ruleCount() const {
    if (score == ScoreKind::kDiscriminative)
        return static_cast<int32_t>(contrast.rules.rules.size());
    return rules ? rules->Count() : 0;
}

int32_t LearnedModel::classCount() const { return classes ? classes->idealObjectCount : 0; }

namespace {

void learnClasses(LearnedModel& model, const std::vector<Sequence>& positives,
                  const std::vector<Sequence>& negatives, const LearningSettings& settings,
                  const LearningRun& run) {
    // The search sees the positives followed by the negatives, as the workspace's search does.
    SEQStorage searchObjects;
    searchObjects.buildWholeWithNegatives(positives.data(), negatives.data(), sizeOf(positives),
                                          sizeOf(negatives));
    model.rules =
        std::make_unique<RulesStorage>(settings.search.finishBufferSize, searchObjects.width);
    RegGenerator generator;
    generator.SetSink(run.sink);
    generator.SetThreadCount(settings.searchThreads);
    if (!searchRegularities(generator, searchObjects, *model.rules, settings, run)) return;

    // Afterwards the learning objects are the positives alone and the negatives stand apart.
    model.objects = std::make_unique<SEQStorage>();
    model.objects->buildWhole(positives.data(), sizeOf(positives));
    model.objects->addSetObjects(negatives.data(), sizeOf(negatives), ObjectSetKind::LearnNegative);
    model.idealObjects =
        std::make_unique<IdealObjectArray>(static_cast<size_t>(model.objects->learnObjectCount));
    model.classes = std::make_unique<Classificator>();
    model.classes->SetSink(run.sink);
    model.classes->SetRunControl(run.control);
    model.classes->Setup(model.objects.get(), model.rules.get(), model.idealObjects.get(),
                         settings.idealizationType);
    if (model.rules->Count() > 0 &&
        !idealizeObjects(*model.classes, *model.objects, *model.rules, settings, run))
        return;
    model.complete = true;
}

void learnDiscriminative(LearnedModel& model, const std::vector<Sequence>& positives,
                         const std::vector<Sequence>& negatives, const LearningSettings& settings,
                         const LearningRun& run, const ContrastChoice* given) {
    announce(run.progress, LearningStage::kSearching, 1);
    const CrossValidationSettings& inner = settings.inner;
    ContrastChoice& choice = model.choice;
    choice.cpThreshold = settings.search.cpThreshold;
    choice.subBufferSize = settings.search.subBufferSize;
    choice.innerAuc = std::numeric_limits<double>::quiet_NaN();
    choice.innerLevel = std::numeric_limits<double>::quiet_NaN();
    choice.tolerance = settings.contrastShape.tolerance;
    if (given != nullptr) {
        choice = *given;
    } else if (settings.tuning != nullptr &&
               crossValidationRefusal(inner, sizeOf(positives), sizeOf(negatives)).empty()) {
        choice = chooseContrastSettings(positives, negatives, inner, *settings.tuning, run.control);
    }
    CrossValidationSettings search = inner;
    search.search = settings.search;
    search.searchThreads = settings.searchThreads;
    search.contrastShape = settings.contrastShape;
    model.contrast =
        contrastScorerOf(positives, negatives, search, settings.tuning, choice, run.control);
    model.complete = model.contrast.rules.complete && going(run.control);
}

}  // namespace

LearnedModel learnModel(const std::vector<Sequence>& positives,
                        const std::vector<Sequence>& negatives, const LearningSettings& settings,
                        const LearningRun& run, const ContrastChoice* choice) {
    LearnedModel model;
    model.score = settings.score;
    if (settings.score == ScoreKind::kDiscriminative)
        learnDiscriminative(model, positives, negatives, settings, run, choice);
    else
        learnClasses(model, positives, negatives, settings, run);
    return model;
}

bool Scorer::scoreAll(const std::vector<Sequence>& records, std::vector<SequenceScore>& scores,
                      RunControl* control, LearningProgress* progress, int32_t firstStep) {
    begin(records);
    for (size_t i = 0; i < records.size(); ++i) {
        announceStep(progress, firstStep + static_cast<int32_t>(i));
        if (!going(control)) return false;
        scores.push_back(scoreAt(i));
    }
    return true;
}

SequenceScore Scorer::score(const Sequence& record) {
    const std::vector<Sequence> one{record};
    begin(one);
    return scoreAt(0);
}

ClassScore::ClassScore(Classificator& classes, const SEQStorage& objects, int32_t negatives)
    : classes_(classes), objects_(objects), scorer_(classes) {
    const int32_t count = negatives < 0 ? objects.negativeObjectCount : negatives;
    norms_ = classNorms(scorer_, objects.negativeObjects.data(), count);
}

SequenceScore ClassScore::scoreObject(const SEQSElem& object) {
    return scoreSequence(classes_, scorer_, norms_, object);
}

void ClassScore::begin(const std::vector<Sequence>& records) {
    objects_.codeSet(records.data(), sizeOf(records), coded_);
}

SequenceScore ClassScore::scoreAt(size_t index) {
    return scoreObject(coded_[static_cast<int32_t>(index)]);
}

SequenceScore DiscriminativeScore::of(double value) { return discriminativeSequenceScore(value); }

void DiscriminativeScore::begin(const std::vector<Sequence>& records) { records_ = &records; }

SequenceScore DiscriminativeScore::scoreAt(size_t index) {
    return of(scorer_.score((*records_)[index]));
}

std::unique_ptr<Scorer> scorerOf(LearnedModel& model) {
    if (model.score == ScoreKind::kDiscriminative)
        return std::make_unique<DiscriminativeScore>(model.contrast);
    if (!model.classes || !model.objects) return nullptr;
    return std::make_unique<ClassScore>(*model.classes, *model.objects);
}

namespace {

FoldStage foldStageOf(LearningStage stage) {
    switch (stage) {
        case LearningStage::kSearching:
            return FoldStage::kSearching;
        case LearningStage::kIdealizing:
        case LearningStage::kNegatives:
            return FoldStage::kIdealizing;
        case LearningStage::kScoring:
            break;
    }
    return FoldStage::kScoring;
}

// A fold's progress as the window reads it.
class FoldProgress : public LearningProgress {
  public:
    explicit FoldProgress(CrossValidationProgress::Fold* fold) : fold_(fold) {}
    void stage(LearningStage stage, int32_t steps) override {
        setFoldStage(fold_, foldStageOf(stage), steps);
    }
    void step(int32_t step) override {
        if (fold_ != nullptr) fold_->step.store(step);
    }

  private:
    CrossValidationProgress::Fold* fold_;
};

}  // namespace

FoldScores learnAndScoreFold(const FoldSamples& samples, const LearningSettings& settings,
                             RunControl* control, CrossValidationProgress::Fold* progress,
                             ContrastChoice* choice) {
    FoldScores outcome;
    FoldProgress shown(progress);
    const LearningRun run{control, &shown, nullptr};
    LearnedModel model = learnModel(samples.trainPositives, samples.trainNegatives, settings, run);
    if (choice != nullptr) *choice = model.choice;
    if (!model.complete) return outcome;
    outcome.rules = model.ruleCount();
    outcome.classes = model.classCount();
    const std::unique_ptr<Scorer> scorer = scorerOf(model);
    const int32_t positives = sizeOf(samples.heldPositives);
    shown.stage(LearningStage::kScoring, positives + sizeOf(samples.heldNegatives));
    if (scorer == nullptr) return outcome;
    if (!scorer->scoreAll(samples.heldPositives, outcome.positives, control, &shown, 0) ||
        !scorer->scoreAll(samples.heldNegatives, outcome.negatives, control, &shown, positives))
        return outcome;
    outcome.complete = true;
    return outcome;
}

CrossValidationResult crossValidateScore(const std::vector<Sequence>& positives,
                                         const std::vector<Sequence>& negatives,
                                         const CrossValidationSettings& settings, ScoreKind score,
                                         const ContrastTuning* tuning, RunControl* control,
                                         CrossValidationProgress* progress,
                                         std::vector<ContrastChoice>* choices) {
    LearningSettings learning = learningSettingsOf(settings);
    learning.score = score;
    learning.tuning = score == ScoreKind::kDiscriminative ? tuning : nullptr;
    std::vector<ContrastChoice> chosen(static_cast<size_t>(std::max(settings.folds, 0)));
    CrossValidationResult result = runCrossValidationFolds(
        positives, negatives, settings, progress,
        [&](const FoldSamples& s, CrossValidationProgress::Fold* foldProgress) {
            return learnAndScoreFold(s, learning, control, foldProgress,
                                     &chosen[static_cast<size_t>(s.fold)]);
        });
    if (result.complete && choices != nullptr) *choices = chosen;
    return result;
}

CrossValidationResult crossValidate(const std::vector<Sequence>& positives,
                                    const std::vector<Sequence>& negatives,
                                    const CrossValidationSettings& settings, RunControl* control,
                                    CrossValidationProgress* progress) {
    return crossValidateScore(positives, negatives, settings, ScoreKind::kClass, nullptr, control,
                              progress);
}

CrossValidationResult contrastCrossValidate(const std::vector<Sequence>& positives,
                                            const std::vector<Sequence>& negatives,
                                            const CrossValidationSettings& settings,
                                            RunControl* control, CrossValidationProgress* progress,
                                            const ContrastTuning* tuning,
                                            std::vector<ContrastChoice>* choices) {
    return crossValidateScore(positives, negatives, settings, ScoreKind::kDiscriminative, tuning,
                              control, progress, choices);
}

}  // namespace motifora
