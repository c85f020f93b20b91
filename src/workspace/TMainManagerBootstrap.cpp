// The workspace's bootstrap: iterations of held-out draws, regularity search, idealization,
// classification and class levels, run one after another on one worker thread.
#include <algorithm>

#include "classify/Classificator.h"
#include "core/ProgressEvents.h"
#include "evaluation/Bootstrap.h"
#include "evaluation/Pipeline.h"
#include "rules/CIdelObject.h"
#include "rules/RegGenerator.h"
#include "rules/RulesStorage.h"
#include "workspace/TMainManager.h"

namespace motifora {

int32_t TMainManager::RandomIndex(int32_t n) { return motifora::RandomIndex(bootstrapRandom_, n); }

BootstrapStart TMainManager::StartBootstrap(int32_t p, int32_t t, int32_t k, double e) {
    const bool first = k == 0;
    if (first) {
        if (!(learnPositiveCount_ > 0 && learnNegativeCount_ > 0 && controlNegativeLoaded_.load()))
            return BootstrapStart::NoSamples;
        if (searchSettings_.shiftPositions()) return BootstrapStart::ShiftMode;
        if (workerLive()) return BootstrapStart::NoThread;
        settleWorker();
        samplePercent_ = p;
        iterationCount_ = t;
        iteration_ = 0;
        requestedFirstError_ = e;
        bootstrapStopRequested_.store(false);
    }

    const int32_t n = std::min(learnPositiveCount_, static_cast<int32_t>(learnPositive_.size()));
    const int32_t h = heldOutCount(n, samplePercent_);
    bootstrapStorage_ = std::make_unique<SEQStorage>();
    const std::vector<int32_t> drawn = drawDistinct(bootstrapRandom_, n, h);
    splitSample(learnPositive_.data(), n, drawn, bootstrapLearnPositive_, bootstrapHeldOut_);
    bootstrapLearnCount_ = static_cast<int32_t>(bootstrapLearnPositive_.size());
    bootstrapHeldOutCount_ = static_cast<int32_t>(bootstrapHeldOut_.size());

    const int32_t negatives =
        std::min(learnNegativeCount_, static_cast<int32_t>(learnNegative_.size()));
    bootstrapStorage_->buildWholeWithNegatives(
        bootstrapLearnPositive_.data(), learnNegative_.data(), bootstrapLearnCount_, negatives);
    // The workspace's frame width stays as its own objects have it: the iteration reads its
    // width from its own storage, and a copy starting at position 1 may be narrower than the
    // aligned originals, which would cut the later scanning windows short.

    const SearchSettings settings = lastSearchSettings();
    bootstrapRules_ =
        std::make_unique<RulesStorage>(settings.finishBufferSize, bootstrapStorage_->width);
    if (first) {
        beginRunning(Process::Bootstrap);
        applyHold();
    } else {
        // The run goes on in its phase: a pause that came in while the last iteration ended
        // holds this one, and a stop ends it.
        runControl_.setRunning(true);
        if (isPaused()) runControl_.close();
        if (bootstrapStopRequested_.load()) stopCurrent();
    }
    bootstrapClassificator_ = std::make_unique<Classificator>();
    bootstrapIdealObjects_.clear();
    bootstrapIdealObjects_.resize(static_cast<size_t>(bootstrapLearnCount_));
    if (sink_) sink_->onEvent(BootstrapRoundBegun{});
    recognitionClass_ = -1;
    recognizedHeldOut_ = 0;
    acceptedNegatives_ = 0;

    if (!first) return BootstrapStart::Started;  // the run's worker goes on with this iteration
    if (!startWorker(&TMainManager::bootstrapRun)) {
        runControl_.setRunning(false);
        state_.store({});
        releaseBootstrapIteration();
        return BootstrapStart::NoThread;
    }
    return BootstrapStart::Started;
}

void TMainManager::bootstrapRun() {
    try {
        bootstrapIterations();
    } catch (...) {
        // The worker's wrapper ends the process and reports why; the run must still end here,
        // or every later recognition and bootstrap would be refused as beside a live one.
        releaseBootstrapIteration();
        if (sink_) sink_->onEvent(BootstrapEnded{});
        throw;
    }
}

void TMainManager::bootstrapIterations() {
    for (;;) {
        bool going = BootstrapWorker();
        while (going) {
            if (!BootstrapClassStep()) break;  // the iteration has ended
            going = runControl_.gate() && BootstrapClassWorker();
        }
        if (!going) {
            AbortBootstrap();
            break;
        }
        // FinishBootstrapIteration has run: either the last iteration is done, or the next one
        // was prepared (running set again), or a stop came in between.
        if (iteration_ >= iterationCount_) break;
        if (!isRunning()) {
            AbortBootstrap();
            break;
        }
    }
}

bool TMainManager::BootstrapWorker() {
    if (!runControl_.gate()) return false;
    bootstrapGenerator_->SetSink(sink_);
    ProgressCallbacks searching;
    searching.onStep = [this](int32_t target) { searchTarget_.store(target); };
    if (!searchRegularities(*bootstrapGenerator_, *bootstrapStorage_, *bootstrapRules_,
                            learningSettingsOf(lastSearchSettings()),
                            {&runControl_, &searching, nullptr}))
        return false;

    // The objects of the iteration: the kept positives, then the learning negatives, the control
    // negatives and the held-out positives (as control positives).
    auto objects = std::make_unique<SEQStorage>();
    objects->buildWhole(bootstrapLearnPositive_.data(), bootstrapLearnCount_);
    objects->addSetObjects(
        learnNegative_.data(),
        std::min(learnNegativeCount_, static_cast<int32_t>(learnNegative_.size())),
        ObjectSetKind::LearnNegative);
    objects->addSetObjects(
        controlNegative_.data(),
        std::min(controlNegativeCount_, static_cast<int32_t>(controlNegative_.size())),
        ObjectSetKind::ControlNegative);
    objects->addSetObjects(bootstrapHeldOut_.data(), bootstrapHeldOutCount_,
                           ObjectSetKind::ControlPositive);
    bootstrapStorage_ = std::move(objects);
    SEQStorage& s = *bootstrapStorage_;

    Classificator& classes = *bootstrapClassificator_;
    classes.SetSink(sink_);
    classes.SetRunControl(&runControl_);
    classes.Setup(&s, bootstrapRules_.get(), &bootstrapIdealObjects_,
                  IdealizationType::kDeletingInserting);

    ProgressSink* sink = sink_;
    int32_t steps = 0;
    bool shown = true;
    ProgressCallbacks idealizing;
    // An iteration stopped among its objects ends there, showing nothing of its negatives.
    idealizing.onStage = [&](LearningStage stage, int32_t count) {
        steps = count;
        shown = stage != LearningStage::kNegatives || runControl_.isRunning();
    };
    idealizing.onStep = [&](int32_t step) {
        if (sink && shown) sink->onEvent(ItemsLeft{steps - step});
    };
    idealizing.onClasses = [this](int32_t count) { bootstrapClassCount_ = count; };
    LearningSettings settings = learningSettingsOf(lastSearchSettings());
    settings.idealizationType = IdealizationType::kDeletingInserting;
    settings.classifyNegatives = true;
    if (!idealizeObjects(classes, s, *bootstrapRules_, settings,
                         {&runControl_, &idealizing, nullptr}))
        return false;
    if (sink) sink->onEvent(BootstrapClassesMade{bootstrapClassCount_});
    const int32_t controls =
        std::min(s.controlNegativeObjectCount, s.controlNegativeObjects.size());
    for (int32_t l = 0; l < controls; ++l) {
        if (!runControl_.gate()) return false;
        s.controlNegativeObjects[l].classNumber = classes.ClassifyObject(
            s.controlNegativeObjects[l], l + 1, ObjectSetKind::ControlNegative);
    }
    const int32_t heldOut = std::min(s.controlPositiveObjectCount, s.controlPositiveObjects.size());
    for (int32_t u = 0; u < heldOut; ++u) {
        if (!runControl_.gate()) return false;
        s.controlPositiveObjects[u].classNumber = classes.ClassifyObject(
            s.controlPositiveObjects[u], u + 1, ObjectSetKind::ControlPositive);
    }
    return true;
}

bool TMainManager::BootstrapClassWorker() {
    const int32_t c = recognitionClass_;
    SEQStorage& s = *bootstrapStorage_;
    Classificator& classes = *bootstrapClassificator_;
    ProgressSink* sink = sink_;
    // Scores every object of class c in one set; false when stopped between two objects.
    auto scoreSet = [&](ObjectSet& set, int32_t count, SampleKind sample) {
        count = std::min(count, set.size());
        for (int32_t i = 0; i < count; ++i) {
            SEQSElem& object = set[i];
            if (object.classNumber != c) continue;
            if (!runControl_.gate()) return false;
            object.score = classes.ScoreObject(object, i, c);
            if (sink) sink->onEvent(ObjectScored{sample, i, object.score});
        }
        return true;
    };
    return scoreSet(s.controlNegativeObjects, controlNegativeCount_, SampleKind::ControlNegative) &&
           scoreSet(s.controlPositiveObjects, bootstrapHeldOutCount_,
                    SampleKind::ControlPositive) &&
           scoreSet(s.learnObjects, bootstrapLearnCount_, SampleKind::LearnPositive);
}

bool TMainManager::BootstrapClassStep() {
    ++recognitionClass_;
    if (recognitionClass_ == 0) {
        // An iteration without classes has nothing to score and ends at once.
        if (bootstrapClassCount_ > 0) return true;
        FinishBootstrapIteration();
        return false;
    }
    const int32_t c = recognitionClass_ - 1;
    SEQStorage& s = *bootstrapStorage_;

    sortedScores_.clear();
    const int32_t kept = std::min(bootstrapLearnCount_, s.learnObjects.size());
    for (int32_t i = 0; i < kept; ++i) {
        if (s.learnObjects[i].classNumber == c) sortedScores_.push_back(s.learnObjects[i].score);
    }
    const double level = bootstrapLevel(sortedScores_, requestedFirstError_);
    sortedScores_.clear();
    sortedScores_.shrink_to_fit();

    const int32_t heldOut = std::min(bootstrapHeldOutCount_, s.controlPositiveObjects.size());
    for (int32_t u = 0; u < heldOut; ++u) {
        const SEQSElem& object = s.controlPositiveObjects[u];
        if (object.classNumber == c && object.score > level) ++recognizedHeldOut_;
    }
    const int32_t controls = std::min(controlNegativeCount_, s.controlNegativeObjects.size());
    for (int32_t l = 0; l < controls; ++l) {
        const SEQSElem& object = s.controlNegativeObjects[l];
        if (object.classNumber == c && object.score > level) ++acceptedNegatives_;
    }

    if (recognitionClass_ >= bootstrapClassCount_) {
        FinishBootstrapIteration();
        return false;
    }
    return true;
}

void TMainManager::FinishBootstrapIteration() {
    const double firstError = iterationFirstError(bootstrapHeldOutCount_, recognizedHeldOut_);
    const double secondError = iterationSecondError(acceptedNegatives_, controlNegativeCount_);
    if (sink_) sink_->onEvent(BootstrapRoundEnded{iteration_ + 1, firstError, secondError});
    runControl_.setRunning(false);
    releaseBootstrapIteration();
    ++iteration_;
    if (iteration_ < iterationCount_) {
        // A stop that came while the classes were scored ends the run here.
        if (bootstrapStopRequested_.load()) {
            stopCurrent();
            return;
        }
        // The run stays running (or paused) into the next iteration.
        StartBootstrap(samplePercent_, iterationCount_, iteration_, requestedFirstError_);
        return;
    }
    if (sink_) {
        sink_->onEvent(BootstrapAveraged{iterationCount_});
        sink_->onEvent(BootstrapEnded{});
    }
    // Ended once the window has its averages and its grids back.
    markEnded();
}

void TMainManager::AbortBootstrap() {
    runControl_.setRunning(false);
    runControl_.open();
    releaseBootstrapIteration();
    state_.store({});
    if (sink_) sink_->onEvent(BootstrapEnded{});
}

void TMainManager::releaseBootstrapIteration() {
    // The classificator refers to the storage, the rules and the ideal objects: it goes first.
    bootstrapClassificator_.reset();
    bootstrapIdealObjects_.clear();
    bootstrapRules_.reset();
    bootstrapStorage_.reset();
    bootstrapLearnPositive_.clear();
    bootstrapHeldOut_.clear();
    bootstrapLearnCount_ = 0;
    bootstrapHeldOutCount_ = 0;
    bootstrapClassCount_ = 0;
}

int TMainManager::StopBootstrap() {
    bootstrapStopRequested_.store(true);
    stopCurrent();
    return 0;
}

}  // namespace motifora
