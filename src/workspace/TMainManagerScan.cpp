// The scanning recognition of long control sequences: every window along the control negative
// sequences scored against one class (the frame width's windows) or by the discriminative rules
// (windows of their width), in the caller's thread or on the worker. The windows are scored by
// the exact window scorers of the genome scan on the threads the workspace may use; a window
// they cannot score (a letter the classes do not know, a record not aligned at position 1) is
// cut as an object and scored by the classificator, so every score is the classificator's own.
#include <algorithm>

#include "classify/Classificator.h"
#include "core/ProgressEvents.h"
#include "core/WorkerPool.h"
#include "evaluation/Pipeline.h"
#include "evaluation/Recognition.h"
#include "genome/RecordWindows.h"
#include "rules/RegGenerator.h"
#include "workspace/TMainManager.h"

namespace motifora {

bool TMainManager::scoreScanWindows(const ScanChoice& choice, std::vector<double>& out,
                                    bool gated) {
    const int32_t count =
        std::min(controlNegativeCount_, static_cast<int32_t>(controlNegative_.size()));
    const Sequence* records = controlNegative_.data();
    RecordWindowScan scan;
    scan.width = choice.width;
    scan.threads = WorkerPool::threadsFor(generator_->threadCount);
    scanTotal_.store(recordWindowCount(records, count, choice.width));
    scanDone_.store(0);
    if (gated) {
        scan.step = [this](int64_t done) {
            scanDone_.store(done);
            return runControl_.gate();
        };
    }
    const bool complete =
        choice.score == ScoreKind::kDiscriminative
            ? scoreDiscriminativeWindows(*choice.rules, records, count, std::move(scan), out)
            : scoreClassWindows(*classificator_, *storage_, choice.classIndex, records, count,
                                std::move(scan), out);
    if (complete) scanDone_.store(static_cast<int64_t>(out.size()));
    // The control objects a one-class recognition cut are not kept beside a scan's scores.
    if (storage_) storage_->releaseControlObjects(0);
    return complete;
}

std::optional<RecognitionStart> TMainManager::scanRefusal(int32_t c, ScoreKind score,
                                                          ScanChoice& choice) {
    scanError_.clear();
    choice = ScanChoice();
    choice.score = score;
    if (score == ScoreKind::kDiscriminative) {
        if (controlNegativeCount_ == 0 || controlNegative_.empty())
            return RecognitionStart::NoControl;
        choice.rules = contrastRules();
        if (!choice.rules) {
            const bool negatives = learnNegativeLoaded_.load() && learnNegativeCount_ > 0;
            scanError_ =
                negatives
                    ? "No discriminative rules yet: search them on the Rules page (Regularities: "
                      "samples), then scan with the discriminative score."
                    : "The discriminative score is learned from the learning positives against "
                      "the learning negatives, and no learning negative sample is loaded: load "
                      "one, search the discriminative rules on the Rules page (Regularities: "
                      "samples), then scan with the discriminative score.";
            return RecognitionStart::NoDiscriminative;
        }
        if (const std::string mismatch = contrastMismatch(*choice.rules); !mismatch.empty()) {
            scanError_ = "The discriminative rules cannot score this work: " + mismatch +
                         ". Search them again on the Rules page.";
            return RecognitionStart::NoDiscriminative;
        }
        if (choice.rules->width <= 0 || choice.rules->letters.size() > kMaxScanAlphabet) {
            scanError_ = "The discriminative rules have no positions to scan with.";
            return RecognitionStart::NoDiscriminative;
        }
        choice.width = choice.rules->width;
    } else {
        if (!hasUsableClasses()) return RecognitionStart::NoClasses;
        if (controlNegativeCount_ == 0 || controlNegative_.empty())
            return RecognitionStart::NoControl;
        choice.classIndex = c;
        choice.width = searchSettings_.frameWidth;
    }
    // The objects are rebuilt by a scan; a worker (the bootstrap, which does not lock the
    // commands, refills the grids from them at its end) must not be reading them meanwhile.
    if (workerLive()) return RecognitionStart::NoThread;
    if (!recognitionStale_.load() && choice.sameScores(lastScan_)) {
        if (sink_) sink_->onEvent(ScanScored{static_cast<int32_t>(windowScores_.size())});
        return RecognitionStart::Shown;
    }
    return std::nullopt;
}

RecognitionStart TMainManager::ScanRecognition(int32_t c) {
    return ScanRecognition(c, ScoreKind::kClass);
}

RecognitionStart TMainManager::ScanRecognition(int32_t c, ScoreKind score) {
    ScanChoice choice;
    if (const std::optional<RecognitionStart> refused = scanRefusal(c, score, choice)) {
        // In the caller's thread, scores that still hold are as good as scored again.
        return *refused == RecognitionStart::Shown ? RecognitionStart::Started : *refused;
    }
    scoreScanWindows(choice, windowScores_, false);
    lastScan_ = std::move(choice);
    lastRecognitionClass_ = lastScan_.classIndex;
    recognitionStale_.store(false);
    if (sink_) sink_->onEvent(ScanScored{static_cast<int32_t>(windowScores_.size())});
    return RecognitionStart::Started;
}

RecognitionStart TMainManager::StartScanRecognition(int32_t c) {
    return StartScanRecognition(c, ScoreKind::kClass);
}

RecognitionStart TMainManager::StartScanRecognition(int32_t c, ScoreKind score) {
    ScanChoice choice;
    if (const std::optional<RecognitionStart> refused = scanRefusal(c, score, choice))
        return *refused;
    settleWorker();
    scan_ = std::move(choice);
    scanComplete_ = false;
    scanScores_.clear();
    scanDone_.store(0);
    scanTotal_.store(scanWindowCount(controlNegative_.data(), controlNegativeCount_, scan_.width));
    // The scan passes the gate itself, between chunks of windows.
    if (classificator_) classificator_->SetRunControl(nullptr);
    return launch(&TMainManager::scanBody, Process::Scan) ? RecognitionStart::Started
                                                          : RecognitionStart::NoThread;
}

void TMainManager::scanBody() {
    markModified();
    std::vector<double> scores;
    scanComplete_ = scoreScanWindows(scan_, scores, true) && isRunning();
    if (scanComplete_) scanScores_ = std::move(scores);
    markEnded();
    runControl_.setRunning(false);
}

bool TMainManager::takeScanResult() {
    joinWorker();
    const bool complete = scanComplete_;
    if (complete) {
        windowScores_ = std::move(scanScores_);
        lastScan_ = scan_;
        lastRecognitionClass_ = scan_.classIndex;
        recognitionStale_.store(false);
    }
    scanScores_.clear();
    scanComplete_ = false;
    state_.store({});
    return complete;
}

}  // namespace motifora
