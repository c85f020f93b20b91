// One batch run of motifora-cli: the window model driven with scripted answers, stage by stage.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/BatchDialogs.h"
#include "cli/BatchOptions.h"
#include "cli/HeldOutOutputs.h"
#include "cli/JsonSummary.h"
#include "core/WorkerPool.h"
#include "evaluation/ContrastScore.h"
#include "io/EvaluationReport.h"
#include "rules/ContrastSearch.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

class TMainManager;

// Loads the inputs, runs the stages and writes the outputs by pressing the window's buttons in
// the order a user would, typing the settings into its edits and answering its dialogs from the
// command line, and ticking its timer while a process runs: at once when the worker ends, and
// every 100 ms while it works. The files written are therefore those the window writes after the
// same steps.
//
// Everything runs in the calling thread except the window's own worker processes. Outputs are
// written only after every process has ended, and not at all after an interrupt or a failure.
class BatchRun {
  public:
    BatchRun(const BatchOptions& options, std::ostream& out, std::ostream& err);
    ~BatchRun();
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    // Runs everything. Returns the exit code (ExitCode.h); the reason for a failure has been
    // printed on the error stream.
    int run();

    TMainForm& form() { return form_; }
    TMainManager& manager();

    // The outputs written, as (what, path) in the order written.
    const std::vector<std::pair<std::string, std::string>>& written() const { return written_; }

  private:
    enum class Process { Search, Idealize, Classify, Recognize, Bootstrap, Errors };

    // Chooses `path` in the file dialog of the load or open `command` and runs it. Returns 0
    // (also when no path was given), or 3 when the window refused the file.
    int load(void (TMainForm::*command)(), const std::string& path, const char* what);
    int loadInputs();
    int loadControls();
    void applySettings();
    // True when `stage` is to run now; `allowed` says whether the inputs and the window allow
    // it. An explicitly asked stage that is not allowed fails with `why` (exit 4).
    bool decide(Stage stage, bool allowedByDefault, bool allowed, const std::string& why,
                int& code);
    int runSearch();
    int runIdealize();
    int runClassify();
    int runRecognize();
    int runErrors();
    int runBootstrap();
    int writeOutputs();
    // Checks before anything runs that every output can be written (its folder exists and
    // takes files, it is not a folder) and that "-" is used only where allowed. Returns 0, or
    // the exit code after printing why.
    int checkOutputs();
    // An output failed: prints which, why, and the outputs already written; returns 5.
    int failWriting(const std::string& what, const std::string& path, const std::string& reason);
    // "--export-text -": the window's export, copied to the output stream.
    int writeTextExportToStandardOutput();
    void printSummary();
    // The held-out evaluation (BatchRunHeldOut.cpp): the cross-validation process, the level of
    // the control decision (cross-validated, else --level), the score rows, the score table and
    // the evaluation report (or, given a summary, its JSON sections) and the summary lines.
    int runCrossValidation();
    // --shuffled-negatives / --background-genome: the window's "Generate negatives..." with the
    // command line's request, the file chosen being --generated-negatives.
    int generateNegatives();
    // Puts the search settings the page's edits hold into `settings`, read as the search's
    // start reads them. Returns "" or, when the search would refuse them, why (settings left).
    std::string typedSearchSettings(CrossValidationSettings& settings);
    std::optional<double> decisionLevel() const;
    std::vector<ScoreRow> scoreRows();
    int writeHeldOutOutputs(nlohmann::ordered_json* summary);
    // Prints the cross-validation and the control decision to `summary`. runCrossValidation
    // ends with runContrast.
    void printHeldOutSummary(std::ostream& summary);
    // The discriminative decision on the control data (tuned or fitted scores only).
    void printContrastControlDecision(std::ostream& summary);
    // --contrast (BatchRunContrast.cpp): the discriminative search on the learning samples, its
    // cross-validation with --cross-validate, and their outputs.
    int runContrast();
    nlohmann::ordered_json contrastJson() const;
    std::string contrastText() const;
    ContrastReport contrastReport() const;
    // True when the tuned cross-validation calibrated every fold's scores.
    bool contrastCalibrated() const;
    // True with --contrast-weights fitted or fitted-rules.
    bool contrastFitted() const;
    // The conditions --contrast-tolerance and --contrast-word ask for (the first tolerance when
    // several are candidates), and whether either was given.
    ContrastShape contrastShape() const;
    bool contrastShapeGiven() const;
    // What the folds of a tuned cross-validation chose, in words (empty without tuning).
    std::string contrastTuningText() const;
    // The inner cross-validation's candidates as the command line asks for them (tuned or
    // fitted), or nothing for the plain sums with the given settings.
    std::optional<ContrastTuning> contrastTuning() const;
    // The level of the discriminative decision of probabilities from rules chosen by `choice`:
    // 0.5 with --balanced, else the level its inner cross-validation chose for the wanted
    // first-level error.
    double contrastDecisionLevel(const ContrastChoice& choice) const;
    // That level for the control data (the choice made on every learning sequence), when
    // their scores are probabilities.
    std::optional<double> contrastControlLevel() const;
    // Each fold's held-out errors at the level its own inner cross-validation chose, summed.
    LevelErrors contrastInnerLevelErrors() const;

    // Ticks the timer until the process has ended and its end was reported, and then waits for
    // its worker: woken by the worker's end (so the end is taken at once), and every 100 ms for
    // the interrupt flag and the progress. On an interrupt the process's stop button is pressed
    // once and the wait goes on until the worker is done. Returns false when interrupted.
    bool waitFor(Process process);
    // Waits for the one-class or all-class recognition worker to end, woken by its end. On an
    // interrupt it asks the recognition to stop after its current score and returns false.
    bool waitForRecognition();
    void pressStop(Process process);
    // Test hook: when the environment's MOTIFORA_TEST_HOLD names `process` ("regularity
    // search", "bootstrap", ...), its worker is held before its first unit of work until it is
    // stopped, so that a test can interrupt a live process however fast the machine is.
    void holdWhenAsked(Process process);
    void showProgress(Process process, bool final);
    // Types the level or wanted first-level error of the command line into its edit and
    // presses Enter, when the edit is enabled.
    void applyLevel();

    // A command that was refused: prints `text` and returns `code`.
    int fail(int code, const std::string& text);
    // The window's message since `mark` that explains a refusal, or `fallback`.
    std::string reasonSince(size_t mark, const std::string& fallback) const;
    // Presses a start button of the window: 0 when `process` started, else the failure (what
    // the window said, naming `what`).
    int pressStart(void (TMainForm::*start)(), TMainManager::Process process,
                   const std::string& what);
    // Presses a button whose refusal the window shows in an error box, the process's time
    // counted from the press: 0 when no error box came, else the failure (naming `what`).
    int pressUnlessRefused(void (TMainForm::*start)(), const std::string& what);
    // Marks `stage` as run to its end; returns 0 (success) for the stage's caller.
    int stageEnded(Stage stage);
    bool ran(Stage stage) const { return ran_[static_cast<size_t>(stage)]; }
    // Reports an interrupt (naming the process that was stopped, when one ran) and returns
    // the exit code 130.
    int interrupted(const char* what);
    // Prints a progress line on the error stream, except when quiet.
    void note(const std::string& text);

    const BatchOptions& options_;
    std::optional<WorkerPool::ThreadLimit> threadLimit_;  // --threads, for the whole run
    std::ostream& out_;
    std::ostream& err_;
    BatchDialogs dialogs_;
    TMainForm form_;
    std::array<bool, kStageCount> ran_{};  // the stages that ran to their end
    std::vector<std::pair<std::string, std::string>> written_;
    JsonSummary json_;
    std::shared_ptr<const CrossValidationResult> crossValidation_;
    std::shared_ptr<const ContrastRules> contrastRules_;
    std::shared_ptr<const CrossValidationResult> contrastValidation_;
    std::vector<ContrastChoice> contrastChoices_;  // the settings every fold chose
    // With --contrast-tune or fitted weights: the choice made on every learning sequence and the
    // scorer it gives (its rules are contrastRules_); control data get its scores and, at the
    // choice's inner level, a discriminative decision.
    std::optional<ContrastChoice> contrastFinalChoice_;
    std::shared_ptr<const ContrastScorer> contrastScorer_;
    int32_t searchWidth_ = 0;  // positions of the running search's objects
    std::chrono::steady_clock::time_point processStart_;
    std::chrono::steady_clock::time_point lastProgress_;
};

}  // namespace motifora
