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
    storage->buildControlWindows(controlNegative.data(), controlNegativeCount,
                                 searchSettings.frameWidth);
    const int32_t windows =
        std::min(storage->controlNegativeObjectCount, storage->controlNegativeObjects.size());
    scanTotal_.store(windows);
    scanDone_.store(0);
    bool complete = true;
    if (!gated) {
        scoreWindows(*classificator_, storage->controlNegativeObjects.data(), windows, c, out);
    } else {
        out.assign(static_cast<size_t>(windows), 0.0);
        const SEQSElem* objects = storage->controlNegativeObjects.data();
        for (int32_t k = 0; k < windows; ++k) {
            if (k % kWindowsPerGate == 0) {
                scanDone_.store(k);
                if (!runControl.gate()) {
                    complete = false;
                    break;
                }
            }
            out[static_cast<size_t>(k)] = classificator_->ScoreObject(objects[k], k, c);
        }
    }
    if (complete) scanDone_.store(windows);
    storage->releaseControlObjects(0);
    return complete;
}

int TMainManager::scanRefusal(int32_t c, int shown) {
    if (!hasUsableClasses()) return StartCode::kNoClasses;
    if (controlNegativeCount == 0 || controlNegative.empty()) return StartCode::kNoControl;
    // The objects are rebuilt by a scan; a worker (the bootstrap, which does not lock the
    // commands, refills the grids from them at its end) must not be reading them meanwhile.
    if (workerLive()) return StartCode::kNoThread;
    if (!recognitionStale.load() && c == lastRecognitionClass_) {
        if (sink_) sink_->onEvent(ScanScored{static_cast<int32_t>(windowScores.size())});
        return shown;
    }
    return 0;
}

int TMainManager::ScanRecognition(int32_t c) {
    if (const int refused = scanRefusal(c, StartCode::kStarted)) return refused;
    lastRecognitionClass_ = c;
    scoreScanWindows(c, windowScores, false);
    recognitionStale.store(false);
    if (sink_) sink_->onEvent(ScanScored{static_cast<int32_t>(windowScores.size())});
    return StartCode::kStarted;
}

int TMainManager::StartScanRecognition(int32_t c) {
    if (const int refused = scanRefusal(c, kScanShown)) return refused;
    settleWorker();
    scanClass_ = c;
    scanComplete_ = false;
    scanScores_.clear();
    scanDone_.store(0);
    scanTotal_.store(
        scanWindowCount(controlNegative.data(), controlNegativeCount, searchSettings.frameWidth));
    classificator_->SetRunControl(nullptr);  // the scan passes the gate itself, between windows
    finished.store(false);
    return launch(&TMainManager::scanBody, &scanStarted_) ? StartCode::kStarted
                                                          : StartCode::kNoThread;
}

void TMainManager::scanBody() {
    modified.store(true);
    saved.store(false);
    std::vector<double> scores;
    scanComplete_ = scoreScanWindows(scanClass_, scores, true) && running.load();
    if (scanComplete_) scanScores_ = std::move(scores);
    finished.store(true);
    setRunning(false);
}

bool TMainManager::takeScanResult() {
    joinWorker();
    const bool complete = scanComplete_;
    if (complete) {
        windowScores = std::move(scanScores_);
        lastRecognitionClass_ = scanClass_;
        recognitionStale.store(false);
    }
    scanScores_.clear();
    scanComplete_ = false;
    finished.store(false);
    scanStarted_.store(false);
    return complete;
}

}  // namespace motifora
