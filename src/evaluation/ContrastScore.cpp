// Discriminative scores and their folds.
#include "evaluation/ContrastScore.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/WorkerPool.h"
#include "evaluation/FoldSplit.h"

namespace motifora {

namespace {

std::vector<Sequence> pick(const std::vector<Sequence>& records,
                           const std::vector<int32_t>& indexes) {
    std::vector<Sequence> picked;
    picked.reserve(indexes.size());
    for (int32_t i : indexes) picked.push_back(records[static_cast<size_t>(i)]);
    return picked;
}

struct FoldOutcome {
    bool complete = false;
    int32_t rules = 0;
    std::vector<double> positives;
    std::vector<double> negatives;
};

void setStage(CrossValidationProgress::Fold* p, FoldStage stage, int32_t steps) {
    if (p == nullptr) return;
    p->stage.store(static_cast<int32_t>(stage));
    p->step.store(0);
    p->steps.store(steps);
}

}  // namespace

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

double chooseContrastCp(const std::vector<Sequence>& positives,
                        const std::vector<Sequence>& negatives,
                        const CrossValidationSettings& settings, const ContrastTuning& tuning,
                        RunControl* control) {
    double best = tuning.cpCandidates.empty() ? settings.cpThreshold : tuning.cpCandidates[0];
    double bestAuc = -1.0;
    for (double cp : tuning.cpCandidates) {
        CrossValidationSettings inner = settings;
        inner.cpThreshold = cp;
        inner.threads = 1;
        const CrossValidationResult r =
            contrastCrossValidate(positives, negatives, inner, control, nullptr);
        if (!r.complete) continue;
        if (r.auc.auc > bestAuc) {
            bestAuc = r.auc.auc;
            best = cp;
        }
    }
    return best;
}

CrossValidationResult contrastCrossValidate(const std::vector<Sequence>& positives,
                                            const std::vector<Sequence>& negatives,
                                            const CrossValidationSettings& settings,
                                            RunControl* control, CrossValidationProgress* progress,
                                            const ContrastTuning* tuning,
                                            std::vector<double>* chosenCp) {
    CrossValidationResult result;
    result.settings = settings;
    const auto p = static_cast<int32_t>(positives.size());
    const auto n = static_cast<int32_t>(negatives.size());
    if (!crossValidationRefusal(settings, p, n).empty()) return result;
    const int32_t k = settings.folds;
    const FoldAssignment split = stratifiedFolds(p, n, k, settings.seed);
    if (progress != nullptr) progress->reset(k);
    std::vector<FoldOutcome> outcomes(static_cast<size_t>(k));
    std::vector<double> chosen(static_cast<size_t>(k), settings.cpThreshold);
    auto fold = [&](int32_t f) {
        CrossValidationProgress::Fold* foldProgress = progress ? &progress->fold(f) : nullptr;
        FoldOutcome& outcome = outcomes[static_cast<size_t>(f)];
        setStage(foldProgress, FoldStage::kSearching, 1);
        const auto trainPositives = pick(positives, indexesOutsideFold(split.positiveFold, f));
        const auto trainNegatives = pick(negatives, indexesOutsideFold(split.negativeFold, f));
        ContrastSettings search = contrastSettingsOf(settings);
        if (tuning != nullptr &&
            crossValidationRefusal(settings, static_cast<int32_t>(trainPositives.size()),
                                   static_cast<int32_t>(trainNegatives.size()))
                .empty()) {
            search.cpThreshold =
                chooseContrastCp(trainPositives, trainNegatives, settings, *tuning, control);
        }
        chosen[static_cast<size_t>(f)] = search.cpThreshold;
        const ContrastRules rules =
            searchContrastRules(trainPositives, trainNegatives, search, control);
        if (rules.complete && (control == nullptr || control->gate())) {
            const auto heldPositives = pick(positives, indexesInFold(split.positiveFold, f));
            const auto heldNegatives = pick(negatives, indexesInFold(split.negativeFold, f));
            setStage(foldProgress, FoldStage::kScoring,
                     static_cast<int32_t>(heldPositives.size() + heldNegatives.size()));
            outcome.rules = static_cast<int32_t>(rules.rules.size());
            outcome.positives = contrastScores(rules, heldPositives);
            outcome.negatives = contrastScores(rules, heldNegatives);
            outcome.complete = true;
        }
        if (foldProgress != nullptr)
            foldProgress->stage.store(
                static_cast<int32_t>(outcome.complete ? FoldStage::kDone : FoldStage::kStopped));
    };
    WorkerPool pool(std::min(WorkerPool::threadsFor(settings.threads), k));
    pool.forEach(static_cast<size_t>(k), [&](size_t f) { fold(static_cast<int32_t>(f)); });
    for (const FoldOutcome& outcome : outcomes) {
        if (!outcome.complete) return result;
    }
    if (chosenCp != nullptr) *chosenCp = chosen;

    placeHeldOutSequences(result, split, [&](bool positive, int32_t f, size_t index) {
        const FoldOutcome& outcome = outcomes[static_cast<size_t>(f)];
        SequenceScore score;
        score.assignedClass = -1;
        score.bestClass = -1;
        score.normalizedScore = std::numeric_limits<double>::quiet_NaN();
        score.bestScore = positive ? outcome.positives[index] : outcome.negatives[index];
        return score;
    });
    result.folds.resize(static_cast<size_t>(k));
    for (int32_t f = 0; f < k; ++f) {
        result.folds[static_cast<size_t>(f)].rules = outcomes[static_cast<size_t>(f)].rules;
        result.folds[static_cast<size_t>(f)].classes = 0;
    }
    result.complete = true;
    summarizeCrossValidation(result);
    return result;
}

}  // namespace motifora
