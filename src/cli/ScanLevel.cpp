// The scan's level from a cross-validation of the project's learning samples, on the
// workspace's worker as the batch run's --cross-validate runs it.
#include "cli/ScanLevel.h"

#include <chrono>
#include <ostream>

#include "cli/Interrupt.h"
#include "cli/WorkerWait.h"
#include "core/NumberFormat.h"
#include "workspace/TMainManager.h"

namespace motifora {

bool parseFoldsAndSeed(const std::string& text, CvLevelRequest& request, std::string& error) {
    const size_t comma = text.find(',');
    const std::string folds = text.substr(0, comma);
    const std::string seed = comma == std::string::npos ? "" : text.substr(comma + 1);
    int32_t k = 0;
    if (!NumberFormat::readInteger(folds, k) || k < 2 ||
        (comma != std::string::npos && seed.find(',') != std::string::npos)) {
        error = "\"" + text + "\" is not K[,SEED] with K a whole number of at least 2";
        return false;
    }
    if (comma != std::string::npos) {
        const bool digits = !seed.empty() && seed.size() <= 19 &&
                            seed.find_first_not_of("0123456789") == std::string::npos;
        if (!digits) {
            error = "the seed \"" + seed + "\" is not a whole number from 0 to 9999999999999999999";
            return false;
        }
        request.seed = std::stoull(seed);
    }
    request.folds = k;
    return true;
}

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
    const CrossValidationStart started = workspace.startCrossValidation(settings);
    if (started == CrossValidationStart::Refused) {
        error = workspace.crossValidationError();
        return false;
    }
    if (started != CrossValidationStart::Started) {
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
