// The workspace's held-out evaluation: cross-validation of the learning samples on the worker,
// and the scores of the classified control sequences against every class.
#include <algorithm>

#include "classify/Classificator.h"
#include "evaluation/Pipeline.h"
#include "rules/RegGenerator.h"
#include "workspace/TMainManager.h"

namespace motifora {

SearchSettings TMainManager::lastSearchSettings() const {
    return searchSettings_.orWindowDefaults();
}

CrossValidationSettings TMainManager::crossValidationDefaults() const {
    // A classificator is set up once it has a storage; before that, "Deleting begin".
    const bool setUp = classificator_ && classificator_->storage != nullptr;
    return crossValidationSettingsOf(
        lastSearchSettings(),
        setUp ? classificator_->idealizationType : IdealizationType::kDeletingBegin,
        idealizationSource_, generator_ ? generator_->threadCount : 0);
}

TMainManager::LearningCopy TMainManager::learningSamples() const {
    const auto loaded = [](const std::vector<Sequence>& sample, int32_t count, bool present) {
        const size_t n =
            present ? std::min(static_cast<size_t>(std::max(count, 0)), sample.size()) : 0;
        return std::vector<Sequence>(sample.begin(),
                                     sample.begin() + static_cast<std::ptrdiff_t>(n));
    };
    return {loaded(learnPositive_, learnPositiveCount_, learnPositiveLoaded_.load()),
            loaded(learnNegative_, learnNegativeCount_, learnNegativeLoaded_.load())};
}

CrossValidationStart TMainManager::startCrossValidation(const CrossValidationSettings& settings) {
    return startCrossValidation(settings, ScoreKind::kClass, nullptr);
}

CrossValidationStart TMainManager::startCrossValidation(const CrossValidationSettings& settings,
                                                        ScoreKind score,
                                                        const ContrastTuning* tuning) {
    crossValidationError_.clear();
    if (searchSettings_.shiftPositions()) {
        crossValidationError_ =
            "cross-validation works on whole aligned sequences, not in shift-positions mode";
        return CrossValidationStart::Refused;
    }
    LearningCopy samples = learningSamples();
    crossValidationError_ =
        crossValidationRefusal(settings, static_cast<int32_t>(samples.positives.size()),
                               static_cast<int32_t>(samples.negatives.size()));
    if (!crossValidationError_.empty()) return CrossValidationStart::Refused;
    if (workerLive()) return CrossValidationStart::NoThread;
    settleWorker();

    crossValidationSettings_ = settings;
    crossValidationScore_ = score;
    crossValidationTuning_ = tuning != nullptr && score == ScoreKind::kDiscriminative
                                 ? std::make_shared<const ContrastTuning>(*tuning)
                                 : nullptr;
    crossValidationInput_ = std::move(samples);
    crossValidationProgress_.reset(settings.folds);
    {
        std::lock_guard<std::mutex> lock(crossValidationMutex_);
        crossValidationResult_.reset();
        crossValidationChoices_.reset();
    }
    return launch(&TMainManager::crossValidationBody, Process::CrossValidation)
               ? CrossValidationStart::Started
               : CrossValidationStart::NoThread;
}

void TMainManager::crossValidationBody() {
    const ProcessExit end{crossValidationInput_, *this};
    auto choices = std::make_shared<std::vector<ContrastChoice>>();
    auto result = std::make_shared<CrossValidationResult>(crossValidateScore(
        crossValidationInput_.positives, crossValidationInput_.negatives, crossValidationSettings_,
        crossValidationScore_, crossValidationTuning_.get(), &runControl_,
        &crossValidationProgress_, choices.get()));
    {
        std::lock_guard<std::mutex> lock(crossValidationMutex_);
        crossValidationResult_ = std::move(result);
        if (crossValidationTuning_ && !choices->empty())
            crossValidationChoices_ = std::move(choices);
    }
    runControl_.setRunning(false);
}

std::shared_ptr<const std::vector<ContrastChoice>> TMainManager::crossValidationChoices() const {
    std::lock_guard<std::mutex> lock(crossValidationMutex_);
    return crossValidationChoices_;
}

std::shared_ptr<const CrossValidationResult> TMainManager::crossValidationResult() const {
    std::lock_guard<std::mutex> lock(crossValidationMutex_);
    return crossValidationResult_;
}

std::vector<SequenceScore> TMainManager::controlSequenceScores(SampleKind kind) {
    std::vector<SequenceScore> scores;
    const bool negative = kind == SampleKind::ControlNegative;
    if (kind != SampleKind::ControlNegative && kind != SampleKind::ControlPositive) return scores;
    if (workerLive() || !classificator_ || !storage_ || classCount_ < 1) return scores;
    if (!(negative ? controlNegativeClassified_.load() : controlPositiveClassified_.load()))
        return scores;
    const ObjectSet& set =
        negative ? storage_->controlNegativeObjects : storage_->controlPositiveObjects;
    const int32_t count = std::min(
        negative ? storage_->controlNegativeObjectCount : storage_->controlPositiveObjectCount,
        set.size());
    // Classifying here must not write into the window's grids.
    classificator_->SetSink(nullptr);
    AllClassScorer scorer(*classificator_);
    const int32_t negatives =
        learnNegativeLoaded_.load()
            ? std::min(storage_->negativeObjectCount, storage_->negativeObjects.size())
            : 0;
    const std::vector<ClassNorm> norms =
        classNorms(scorer, storage_->negativeObjects.data(), negatives);
    scores.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        scores.push_back(scoreSequence(*classificator_, scorer, norms, set[i]));
    classificator_->SetSink(sink_);
    return scores;
}

void TMainManager::setUpScoring(Classificator& scoring, IdealizationType type) {
    scoring.Setup(storage_.get(), rules_.get(), &idealObjects_, type);
    scoring.idealObjectCount = classCount_;
}

}  // namespace motifora
