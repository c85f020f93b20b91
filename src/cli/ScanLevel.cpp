// The scan's level from a cross-validation of the project's learning samples, as the batch
// run's --cross-validate runs it: the folds of the learning pipeline, in this thread's pool.
#include "cli/ScanLevel.h"

#include <exception>
#include <mutex>
#include <ostream>

#include "classify/Classificator.h"
#include "cli/Interrupt.h"
#include "evaluation/Pipeline.h"
#include "io/ProjectFile.h"

namespace motifora {

bool crossValidatedLevel(const std::string& path, const CvLevelRequest& request,
                         std::ostream* progress, CvLevel& result, std::string& error,
                         bool& interrupted) {
    interrupted = false;
    ProjectData project;
    const Status status = ReadProject(path, project);
    if (!status) {
        error = status.message;
        return false;
    }
    if (project.settings.shiftPositions()) {
        error = "cross-validation works on whole aligned sequences, not in shift-positions mode";
        return false;
    }
    // The classes of the project were idealized with the type its header holds.
    CrossValidationSettings settings = crossValidationSettingsOf(
        project.settings, project.settings.idealizationType, IdealizationSource::kObjects, 0);
    settings.folds = request.folds;
    settings.seed = request.seed;
    if (request.balanced) settings.levelRule = LevelRule::kBalancedAccuracy;
    if (request.wantedFirstError) settings.wantedFirstError = *request.wantedFirstError;
    error = crossValidationRefusal(settings, static_cast<int32_t>(project.learnPositive.size()),
                                   static_cast<int32_t>(project.learnNegative.size()));
    if (!error.empty()) return false;

    // The folds run in this thread's pool; Ctrl-C stops them at their next gate.
    RunControl control;
    control.setRunning(true);
    CrossValidationProgress shown;
    std::mutex output;
    if (progress != nullptr) {
        shown.onFoldEnd = [&] {
            const std::lock_guard<std::mutex> lock(output);
            *progress << "cross-validation: " << shown.doneCount() << " of " << shown.foldCount()
                      << " folds done\n"
                      << std::flush;
        };
    }
    CrossValidationResult cv;
    try {
        const InterruptWatch watch(control);
        cv = crossValidateScore(project.learnPositive, project.learnNegative, settings,
                                request.score, nullptr, &control, &shown);
    } catch (const std::exception& e) {
        error = std::string("the cross-validation failed: ") + e.what();
        return false;
    }
    if (interruptRequested() || !control.isRunning()) {
        interrupted = true;
        error = "the cross-validation was interrupted";
        return false;
    }
    if (!cv.complete) {
        error = "the cross-validation failed";
        return false;
    }
    result.level = cv.level;
    result.auc = cv.auc;
    result.positives = static_cast<int32_t>(cv.pooled.positives.size());
    result.negatives = static_cast<int32_t>(cv.pooled.negatives.size());
    return true;
}

}  // namespace motifora
