// The frame of a cross-validation: the split into folds, the folds run in parallel, and the pooled
// figures.
#include "evaluation/CrossValidation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/WorkerPool.h"
#include "evaluation/FoldSplit.h"
#include "rules/SearchSettings.h"

namespace motifora {

namespace {

constexpr int32_t kHistogramBins = 20;

std::vector<Sequence> pick(const std::vector<Sequence>& records,
                           const std::vector<int32_t>& indexes) {
    std::vector<Sequence> picked;
    picked.reserve(indexes.size());
    for (int32_t i : indexes) picked.push_back(records[static_cast<size_t>(i)]);
    return picked;
}

LabelledScores scoresOf(const std::vector<HeldOutSequence>& sequences, int32_t fold) {
    LabelledScores scores;
    for (const HeldOutSequence& s : sequences) {
        if (fold >= 0 && s.fold != fold) continue;
        (s.positive ? scores.positives : scores.negatives).push_back(s.score.bestScore);
    }
    return scores;
}

}  // namespace

void CrossValidationProgress::reset(int32_t folds) {
    count_ = std::max(folds, 0);
    folds_ = std::make_unique<Fold[]>(static_cast<size_t>(count_));
}

int32_t CrossValidationProgress::doneCount() const {
    int32_t done = 0;
    for (int32_t f = 0; f < count_; ++f) {
        if (folds_[static_cast<size_t>(f)].stage.load() == static_cast<int32_t>(FoldStage::kDone))
            ++done;
    }
    return done;
}

SearchBounds crossValidationBounds(CrossValidationField field) {
    if (field == CrossValidationField::Folds)
        return {static_cast<double>(kLeastFolds), std::numeric_limits<double>::infinity()};
    return {0.0, 1.0};
}

std::optional<CrossValidationProblem> checkCrossValidationField(CrossValidationField field,
                                                                double value) {
    if (std::isnan(value)) return CrossValidationProblem{field, SearchFault::NotANumber, 0.0, {}};
    const SearchBounds bounds = crossValidationBounds(field);
    if (value < bounds.least)
        return CrossValidationProblem{field, SearchFault::BelowLeast, bounds.least, {}};
    if (value > bounds.most)
        return CrossValidationProblem{field, SearchFault::AboveMost, bounds.most, {}};
    return std::nullopt;
}

std::optional<CrossValidationProblem> checkCrossValidationSettings(
    const CrossValidationSettings& settings) {
    if (auto problem = checkCrossValidationField(CrossValidationField::Folds, settings.folds))
        return problem;
    if (auto problem = checkCrossValidationField(CrossValidationField::WantedFirstError,
                                                 settings.wantedFirstError))
        return problem;
    if (auto search = checkSearchSettings(settings.search.inFixedPositions()))
        return CrossValidationProblem{CrossValidationField::Search, search->fault, search->bound,
                                      search};
    return std::nullopt;
}

std::string crossValidationRefusal(const CrossValidationSettings& settings, int32_t positives,
                                   int32_t negatives) {
    const std::optional<CrossValidationProblem> problem = checkCrossValidationSettings(settings);
    if (problem && problem->field == CrossValidationField::Folds)
        return "the number of folds must be 2 or more";
    if (negatives < 1) return "cross-validation needs a learning negative sample";
    if (settings.folds > positives)
        return "there are fewer learning positive sequences (" + std::to_string(positives) +
               ") than folds (" + std::to_string(settings.folds) + ")";
    if (settings.folds > negatives)
        return "there are fewer learning negative sequences (" + std::to_string(negatives) +
               ") than folds (" + std::to_string(settings.folds) + ")";
    if (!problem) return {};
    if (problem->field == CrossValidationField::WantedFirstError)
        return "the wanted first-level error must lie between 0 and 1";
    // Each fold searches with these settings; the search would refuse them (a finish buffer of
    // 0 finds no rule, and every fold would then score 0).
    return searchSettingsRefusal(settings.search.inFixedPositions());
}

void setFoldStage(CrossValidationProgress::Fold* fold, FoldStage stage, int32_t steps) {
    if (fold == nullptr) return;
    fold->stage.store(static_cast<int32_t>(stage));
    fold->step.store(0);
    fold->steps.store(steps);
}

CrossValidationResult runCrossValidationFolds(const std::vector<Sequence>& positives,
                                              const std::vector<Sequence>& negatives,
                                              const CrossValidationSettings& settings,
                                              CrossValidationProgress* progress,
                                              const FoldRunner& runFold) {
    CrossValidationResult result;
    result.settings = settings;
    const auto p = static_cast<int32_t>(positives.size());
    const auto n = static_cast<int32_t>(negatives.size());
    if (!crossValidationRefusal(settings, p, n).empty()) return result;
    const int32_t k = settings.folds;
    const FoldAssignment split = stratifiedFolds(p, n, k, settings.seed);
    if (progress != nullptr) progress->reset(k);

    std::vector<FoldScores> outcomes(static_cast<size_t>(k));
    auto fold = [&](int32_t f) {
        CrossValidationProgress::Fold* foldProgress = progress ? &progress->fold(f) : nullptr;
        FoldSamples samples;
        samples.fold = f;
        samples.trainPositives = pick(positives, indexesOutsideFold(split.positiveFold, f));
        samples.trainNegatives = pick(negatives, indexesOutsideFold(split.negativeFold, f));
        samples.heldPositives = pick(positives, indexesInFold(split.positiveFold, f));
        samples.heldNegatives = pick(negatives, indexesInFold(split.negativeFold, f));
        FoldScores outcome = runFold(samples, foldProgress);
        if (foldProgress != nullptr) {
            foldProgress->stage.store(
                static_cast<int32_t>(outcome.complete ? FoldStage::kDone : FoldStage::kStopped));
            if (progress->onFoldEnd) progress->onFoldEnd();
        }
        outcomes[static_cast<size_t>(f)] = std::move(outcome);
    };
    WorkerPool pool(std::min(WorkerPool::threadsFor(settings.threads), k));
    pool.forEach(static_cast<size_t>(k), [&](size_t f) { fold(static_cast<int32_t>(f)); });
    for (const FoldScores& outcome : outcomes) {
        if (!outcome.complete) return result;
    }

    // Held-out records keep their record order within their fold.
    result.sequences.resize(static_cast<size_t>(p + n));
    std::vector<size_t> nextPositive(static_cast<size_t>(k), 0),
        nextNegative(static_cast<size_t>(k), 0);
    for (int32_t i = 0; i < p + n; ++i) {
        HeldOutSequence& s = result.sequences[static_cast<size_t>(i)];
        s.positive = i < p;
        s.record = s.positive ? i : i - p;
        s.fold = s.positive ? split.positiveFold[static_cast<size_t>(s.record)]
                            : split.negativeFold[static_cast<size_t>(s.record)];
        const FoldScores& outcome = outcomes[static_cast<size_t>(s.fold)];
        size_t& next = (s.positive ? nextPositive : nextNegative)[static_cast<size_t>(s.fold)];
        s.score = (s.positive ? outcome.positives : outcome.negatives)[next++];
    }
    result.folds.resize(static_cast<size_t>(k));
    for (int32_t f = 0; f < k; ++f) {
        result.folds[static_cast<size_t>(f)].rules = outcomes[static_cast<size_t>(f)].rules;
        result.folds[static_cast<size_t>(f)].classes = outcomes[static_cast<size_t>(f)].classes;
    }
    result.complete = true;
    summarizeCrossValidation(result);
    return result;
}

void summarizeCrossValidation(CrossValidationResult& result) {
    result.pooled = scoresOf(result.sequences, -1);
    result.auc = aucWithDeLongInterval(result.pooled);
    result.roc = rocCurve(result.pooled);
    result.precisionRecall = precisionRecallCurve(result.pooled);
    result.histogram = scoreHistogram(result.pooled, kHistogramBins);
    result.level =
        chooseLevel(result.pooled, result.settings.levelRule, result.settings.wantedFirstError);
    result.errors = errorsAtLevel(result.pooled, result.level);
    const int32_t k = static_cast<int32_t>(result.folds.size());
    for (int32_t f = 0; f < k; ++f) {
        FoldSummary& summary = result.folds[static_cast<size_t>(f)];
        const LabelledScores scores = scoresOf(result.sequences, f);
        summary.fold = f;
        summary.positives = static_cast<int32_t>(scores.positives.size());
        summary.negatives = static_cast<int32_t>(scores.negatives.size());
        summary.auc = aucWithDeLongInterval(scores);
        summary.errors = errorsAtLevel(scores, result.level);
    }
}

}  // namespace motifora
