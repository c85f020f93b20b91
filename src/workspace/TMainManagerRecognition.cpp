// The workspace's recognition of control data: object recognition on the worker (all classes,
// or one class for the error counting) and the scanning recognition of long control sequences.
#include <algorithm>

#include "classify/Classificator.h"
#include "core/ProgressEvents.h"
#include "evaluation/Recognition.h"
#include "workspace/TMainManager.h"

namespace motifora {

bool TMainManager::hasUsableClasses() const {
    return classificator_ && classificator_->idealObjectCount > 0 && storage_ &&
           classificator_->storage == storage_.get();
}

namespace {

// One side of a one-class recognition: the objects, how many of them to look at and their sample.
struct RecognitionSide {
    ObjectSet* objects = nullptr;
    int32_t count = 0;
    SampleKind sample = SampleKind::LearnPositive;
};

// The objects of the control sample (`controlCount` records) or of the learning one.
RecognitionSide negativeSide(SEQStorage& s, SampleSide source, int32_t controlCount,
                             int32_t learnCount) {
    if (source == SampleSide::kControl)
        return {&s.controlNegativeObjects, std::min(controlCount, s.controlNegativeObjects.size()),
                SampleKind::ControlNegative};
    return {&s.negativeObjects, std::min(learnCount, s.negativeObjects.size()),
            SampleKind::LearnNegative};
}

RecognitionSide positiveSide(SEQStorage& s, SampleSide source, int32_t controlCount) {
    if (source == SampleSide::kControl)
        return {&s.controlPositiveObjects, std::min(controlCount, s.controlPositiveObjects.size()),
                SampleKind::ControlPositive};
    return {&s.learnObjects, std::min(s.learnObjectCount, s.learnObjects.size()),
            SampleKind::LearnPositive};
}

}  // namespace

bool TMainManager::workerLive() const {
    // A paused process keeps its run flag; a pause flag left after a process had ended holds
    // nothing.
    return isRunning() || bootstrapActive() || recognitionActive();
}

bool TMainManager::bootstrapActive() const { return isActive(Process::Bootstrap); }

bool TMainManager::recognitionActive() const { return isActive(Process::Recognition); }

RecognitionStart TMainManager::StartRecognition(int32_t c) {
    if (!hasUsableClasses()) return RecognitionStart::NoClasses;
    if (controlNegativeCount_ == 0 || controlNegative_.empty()) return RecognitionStart::NoControl;
    // Another process (the bootstrap runs without locking the commands) shares the fields a
    // recognition writes, such as `recognitionClass`; never run beside it.
    if (workerLive()) return RecognitionStart::NoThread;
    settleWorker();

    recognitionClass_ = c;
    recognitionRebuilt_ = 0;
    SEQStorage& s = *storage_;
    if (c == -1) {
        if (!controlNegativeClassified_.load() ||
            s.controlNegativeObjectCount != controlNegativeCount_)
            s.addSetObjects(controlNegative_.data(), controlNegativeCount_,
                            ObjectSetKind::ControlNegative);
    } else {
        // A scanning recognition releases the control negative objects, and a classification
        // may never have built the control positive ones: rebuild what the chosen sides need.
        if (recognitionNegativeSource_ == SampleSide::kControl &&
            s.controlNegativeObjectCount != controlNegativeCount_) {
            s.addSetObjects(controlNegative_.data(), controlNegativeCount_,
                            ObjectSetKind::ControlNegative);
            recognitionRebuilt_ |= 1;
        }
        if (recognitionPositiveSource_ == SampleSide::kControl && controlPositiveCount_ > 0 &&
            s.controlPositiveObjectCount != controlPositiveCount_) {
            s.addSetObjects(controlPositive_.data(), controlPositiveCount_,
                            ObjectSetKind::ControlPositive);
            recognitionRebuilt_ |= 2;
        }
    }
    classificator_->SetSink(sink_);
    classificator_->SetRunControl(nullptr);  // a recognition cannot be paused
    recognitionStopRequested_.store(false);
    // No run flag: the gate and the engines' flag are not the recognition's.
    state_.store({Process::Recognition, Phase::Running});
    if (!startWorker(&TMainManager::RecognitionWorker)) {
        state_.store({});
        return RecognitionStart::NoThread;
    }
    return RecognitionStart::Started;
}

void TMainManager::RecognitionWorker() {
    try {
        recognitionBody();
    } catch (...) {
        // The worker's wrapper reports why; the commands the error counting locked come back.
        state_.store({});
        if (sink_) sink_->onEvent(RecognitionFinished{0});
        throw;
    }
}

void TMainManager::recognitionBody() {
    markModified();
    ProgressSink* sink = sink_;
    SEQStorage& s = *storage_;
    // Tested before every object and score, as the other processes test their run flag.
    const auto stopped = [this] { return recognitionStopRequested_.load(); };
    // Rebuilt objects have lost their classes; classification gives them back.
    if (recognitionRebuilt_ & 1) {
        for (int32_t i = 0; i < s.controlNegativeObjects.size() && !stopped(); ++i)
            s.controlNegativeObjects[i].classNumber = classificator_->ClassifyObject(
                s.controlNegativeObjects[i], i + 1, ObjectSetKind::ControlNegative);
    }
    if (recognitionRebuilt_ & 2) {
        for (int32_t i = 0; i < s.controlPositiveObjects.size() && !stopped(); ++i)
            s.controlPositiveObjects[i].classNumber = classificator_->ClassifyObject(
                s.controlPositiveObjects[i], i + 1, ObjectSetKind::ControlPositive);
    }

    int32_t n = 0;
    const int32_t c = recognitionClass_;
    if (c == -1) {
        const int32_t objects = std::min(controlNegativeCount_, s.controlNegativeObjects.size());
        for (int32_t i = 0; i < objects && !stopped(); ++i) {
            for (int32_t j = 0; j < classCount_ && !stopped(); ++j) {
                const double score = classificator_->ScoreObject(s.controlNegativeObjects[i], i, j);
                if (sink) sink->onEvent(ClassScored{i, j, score});
            }
        }
    } else {
        const RecognitionSide sides[2] = {
            negativeSide(*storage_, recognitionNegativeSource_, controlNegativeCount_,
                         learnNegativeCount_),
            positiveSide(*storage_, recognitionPositiveSource_, controlPositiveCount_)};
        for (int side = 0; side < 2; ++side) {
            const RecognitionSide& chosen = sides[side];
            for (int32_t i = 0; i < chosen.count && !stopped(); ++i) {
                SEQSElem& object = (*chosen.objects)[i];
                if (object.classNumber != c) continue;
                const double score = classificator_->ScoreObject(object, i, c);
                object.score = score;
                if (sink) sink->onEvent(ObjectScored{chosen.sample, i, score});
                if (side == 1) ++n;
            }
        }
    }
    // A stopped recognition has not scored every object: no errors are counted from it.
    FinishRecognition(stopped() ? 0 : n);
    state_.store({});
}

void TMainManager::FinishRecognition(int32_t n) {
    if (sink_) sink_->onEvent(RecognitionFinished{n});
}

}  // namespace motifora
