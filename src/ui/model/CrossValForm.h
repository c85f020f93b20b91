// The "Cross-validation" window as data: folds, seed, level rule, the run's buttons and
// progress, the ROC curve with its operating point, the score histograms with the level, the
// error table, and "Use this level".
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "evaluation/CrossValidation.h"
#include "evaluation/Pipeline.h"
#include "ui/model/Controls.h"

namespace motifora {

class TMainForm;

// The ROC curve as the window draws it: points (false positive rate, true positive rate), the
// operating point of the level, and the AUC text.
struct RocCurve {
    std::vector<std::pair<double, double>> points;
    std::pair<double, double> operatingPoint{0.0, 0.0};
    std::string aucText;
    bool shown = false;
};
using RocView = ValueControl<RocCurve>;

// The held-out score histograms of positives and negatives with the level line.
struct HistogramBars {
    ScoreHistogram histogram;
    double level = 0.0;
    bool shown = false;
};
using HistogramView = ValueControl<HistogramBars>;

class TCrossValForm {
    // Declared first: every control below refers to it.
    std::recursive_mutex& mutex_;

  public:
    TCrossValForm(TMainForm& main, std::recursive_mutex& mutex);
    TCrossValForm(const TCrossValForm&) = delete;
    TCrossValForm& operator=(const TCrossValForm&) = delete;

    Control Window{mutex_};  // not modal; hidden at start
    Label Caption{mutex_, "Cross-validation"};
    Label FoldsLabel{mutex_, "Folds"};
    Edit FoldsEdit{mutex_, "5"};
    Label SeedLabel{mutex_, "Seed"};
    Edit SeedEdit{mutex_, "1"};
    RadioGroup LevelRuleGroup{
        mutex_, "Level", {"Wanted first-level error", "Best balanced accuracy"}, 0};
    Edit WantedErrorEdit{mutex_, "0,05"};
    // The score cross-validated: the classes' (as the recognition scores), the discriminative
    // rules' with the search settings as they are (motifora-cli --contrast), or with them tuned
    // inside each fold (--contrast --contrast-tune).
    RadioGroup ScoreGroup{
        mutex_, "Score", {"Class score", "Discriminative score", "Discriminative score, tuned"}, 0};
    Button StartBtn{mutex_, "Start"};
    Button PauseBtn{mutex_, "Pause", false};
    Button StopBtn{mutex_, "Stop", false};
    ProgressBar Progress{mutex_, 0, 100};
    Label StatusLabel{mutex_, ""};
    Label ResultLabel{mutex_, ""};
    RocView Roc{mutex_};
    HistogramView Histograms{mutex_};
    // Row 0 headers; a row per fold, then "pooled".
    Grid ErrorsList{mutex_, 7, 1};
    Button UseLevelBtn{mutex_, "Use this level", false};

    void Show() { Window.setVisible(true); }

    // "Start": checks the entries (a refusal is shown in a message box) and starts the run on
    // the workspace's worker; on a paused run it resumes.
    void StartBtnClick();
    void PauseBtnClick();
    void StopBtnClick();
    // Puts the level into the main window's recognition level field and, when the field is in
    // use, recounts the errors at it; the status label and the main window's status bar say
    // which was done (a field not in use yet waits for an error counting).
    void UseLevelBtnClick();
    // The 100 ms tick: progress while the run goes on, the results once it has ended.
    void Tick();
    // Forgets the shown result (a new workspace): curves, table and labels emptied, "Use this
    // level" disabled.
    void clearResult();

    // The last complete result shown, or null.
    std::shared_ptr<const CrossValidationResult> shownResult() const;
    // Its score, and what the folds of a tuned discriminative score chose (null otherwise).
    ScoreKind shownScore() const;
    std::shared_ptr<const std::vector<ContrastChoice>> shownChoices() const;

  private:
    void showResult(const CrossValidationResult& result);
    void runEnded();

    TMainForm& main_;
    bool running_ = false;
    std::shared_ptr<const CrossValidationResult> shown_;
    ScoreKind shownScore_ = ScoreKind::kClass;
    std::shared_ptr<const std::vector<ContrastChoice>> shownChoices_;
};

}  // namespace motifora
