// The scanning recognition of long control sequences: every window of the frame width along the
// control negative sequences scored against one class, in the caller's thread or on the worker.
#include <algorithm>

#include "classify/Classificator.h"
#include "core/ProgressEvents.h"
#include "evaluation/Recognition.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

// Windows scored between two passes of the pause gate: small enough for a prompt stop, large
// enough that the gate's lock costs nothing beside the scoring.
constexpr int32_t kWindowsPerGate = 256;

}  // namespace

bool TMainManager::scoreScanWindows(int32_t c, std::vector<double>& out, bool gated) {
    storage_->buildControlWindows(controlNegative_.data(), controlNegativeCount_,
                                  searchSettings_.frameWidth);
    const int32_t windows =
        std::min(storage_->controlNegativeObjectCount, storage_->controlNegativeObjects.size());
    scanTotal_.store(windows);
    scanDone_.store(0);
    bool complete = true;
    if (!gated) {
        scoreWindows(*classificator_, storage_->controlNegativeObjects.data(), windows, c, out);
    } else {
        out.assign(static_cast<size_t>(windows), 0.0);
        const SEQSElem* objects = storage_->controlNegativeObjects.data();
        for (int32_t k = 0; k < windows; ++k) {
            if (k % kWindowsPerGate == 0) {
                scanDone_.store(k);
                if (!runControl_.gate()) {
                    complete = false;
                    break;
                }
            }
            out[static_cast<size_t>(k)] = classificator_->ScoreObject(objects[k], k, c);
        }
    }
    if (complete) scanDone_.store(windows);
    storage_->releaseControlObjects(0);
    return complete;
}

std::optional<RecognitionStart> TMainManager::scanRefusal(int32_t c) {
    if (!hasUsableClasses()) return RecognitionStart::NoClasses;
    if (controlNegativeCount_ == 0 || controlNegative_.empty()) return RecognitionStart::NoControl;
    // The objects are rebuilt by a scan; a worker (the bootstrap, which does not lock the
    // commands, refills the grids from them at its end) must not be reading them meanwhile.
    if (workerLive()) return RecognitionStart::NoThread;
    if (!recognitionStale_.load() && c == lastRecognitionClass_) {
        if (sink_) sink_->onEvent(ScanScored{static_cast<int32_t>(windowScores_.size())});
        return RecognitionStart::Shown;
    }
    return std::nullopt;
}

RecognitionStart TMainManager::ScanRecognition(int32_t c) {
    if (const std::optional<RecognitionStart> refused = scanRefusal(c)) {
        // In the caller's thread, scores that still hold are as good as scored again.
        return *refused == RecognitionStart::Shown ? RecognitionStart::Started : *refused;
    }
    lastRecognitionClass_ = c;
    scoreScanWindows(c, windowScores_, false);
    recognitionStale_.store(false);
    if (sink_) sink_->onEvent(ScanScored{static_cast<int32_t>(windowScores_.size())});
    return RecognitionStart::Started;
}

RecognitionStart TMainManager::StartScanRecognition(int32_t c) {
    if (const std::optional<RecognitionStart> refused = scanRefusal(c)) return *refused;
    settleWorker();
    scanClass_ = c;
    scanComplete_ = false;
    scanScores_.clear();
    scanDone_.store(0);
    scanTotal_.store(scanWindowCount(controlNegative_.data(), controlNegativeCount_,
                                     searchSettings_.frameWidth));
    classificator_->SetRunControl(nullptr);  // the scan passes the gate itself, between windows
    return launch(&TMainManager::scanBody, Process::Scan) ? RecognitionStart::Started
                                                          : RecognitionStart::NoThread;
}

void TMainManager::scanBody() {
    markModified();
    std::vector<double> scores;
    scanComplete_ = scoreScanWindows(scanClass_, scores, true) && isRunning();
    if (scanComplete_) scanScores_ = std::move(scores);
    markEnded();
    runControl_.setRunning(false);
}

bool TMainManager::takeScanResult() {
    joinWorker();
    const bool complete = scanComplete_;
    if (complete) {
        windowScores_ = std::move(scanScores_);
        lastRecognitionClass_ = scanClass_;
        recognitionStale_.store(false);
    }
    scanScores_.clear();
    scanComplete_ = false;
    state_.store({});
    return complete;
}

}  // namespace motifora
