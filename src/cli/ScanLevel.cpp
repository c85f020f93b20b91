// The scan's level from a cross-validation of the project's learning samples, on the
// workspace's worker as the batch run's --cross-validate runs it.
#include "cli/ScanLevel.h"

#include <chrono>
#include <ostream>

#include "cli/Interrupt.h"
#include "cli/WorkerWait.h"
#include "workspace/TMainManager.h"

namespace motifora {

bool crossValidatedLevel(const std::string& path, const CvLevelRequest& request,
                         std::ostream* progress, CvLevel& result, std::string& error,
                         bool& interrupted) {
    interrupted = false;
    TMainManager workspace;
    OpenedProject opened;
    const Status status = workspace.openProject(path, opened);
    if (!status) {
        error = status.message;
        return false;
    }
    CrossValidationSettings settings = workspace.crossValidationDefaults();
    settings.folds = request.folds;
    settings.seed = request.seed;
    if (request.balanced) settings.levelRule = LevelRule::kBalancedAccuracy;
    if (request.wantedFirstError) settings.wantedFirstError = *request.wantedFirstError;
    const int started = workspace.startCrossValidation(settings);
    if (started == TMainManager::kCrossValidationRefused) {
        error = workspace.crossValidationError();
        return false;
    }
    if (started != StartCode::kStarted) {
        error = "the cross-validation could not start a worker";
        return false;
    }
    auto shown = std::chrono::steady_clock::now();
    bool stopped = false;
    bool returned = false;
    while (workspace.crossValidationActive()) {
        if (interruptRequested() && !stopped) {
            workspace.stopCrossValidation();
            stopped = true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (progress != nullptr && now - shown >= std::chrono::seconds(1)) {
            shown = now;
            const CrossValidationProgress& p = workspace.crossValidationProgress();
            *progress << "cross-validation: " << p.doneCount() << " of " << p.foldCount()
                      << " folds done\n"
                      << std::flush;
        }
        waitForWorkerOrLook(workspace, returned);
    }
    workspace.joinWorker();
    if (stopped) {
        interrupted = true;
        error = "the cross-validation was interrupted";
        return false;
    }
    const std::string failure = workspace.takeWorkerError();
    const auto cv = workspace.crossValidationResult();
    if (!failure.empty() || !cv || !cv->complete) {
        error = "the cross-validation failed" + (failure.empty() ? "" : ": " + failure);
        return false;
    }
    result.level = cv->level;
    result.auc = cv->auc;
    result.positives = static_cast<int32_t>(cv->pooled.positives.size());
    result.negatives = static_cast<int32_t>(cv->pooled.negatives.size());
    return true;
}

}  // namespace motifora
