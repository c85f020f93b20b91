// The "Bootstreap Control" window as data: the bootstrap's entries, run buttons, results list and
// averages, and its commands.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "core/Translatable.h"
#include "ui/model/Controls.h"

namespace motifora {

class TMainForm;

class TBootStrCtrl {
    // Declared first: every control below refers to it.
    std::recursive_mutex& mutex_;

  public:
    static constexpr const char* kNoAverage = "______________";

    // The controls share the main window's mutex; the commands drive its workspace.
    TBootStrCtrl(TMainForm& main, std::recursive_mutex& mutex);
    TBootStrCtrl(const TBootStrCtrl&) = delete;
    TBootStrCtrl& operator=(const TBootStrCtrl&) = delete;

    Control Window{mutex_};  // the window itself (not modal, stays on top); hidden at start
    Label Caption{mutex_, MOTIFORA_TR("Bootstreap Control")};
    Label PercentLabel{mutex_, MOTIFORA_TR("Percantage of Positive Samplings")};
    Edit PositPercent{mutex_, "10"};
    UpDown PercentUpDown{mutex_, 0, 100, 10};
    Label IterLabel{mutex_, "Number of iterations"};
    Edit IterCount{mutex_, "1"};
    UpDown IterUpDown{mutex_, 0, 10000, 1};
    Label FstLevelLabel{mutex_, "First level error"};
    Edit FstLevelErr{mutex_, "0"};
    Button Bs_btnStart{mutex_, "Start"};
    Button Bs_btnPause{mutex_, "Pause", false};
    Button Bs_btnStop{mutex_, "Stop", false};
    // Row i + 1 is iteration i: first-level error (column 0), second-level error (column 1);
    // row 0 names the two columns.
    Grid ErrorsList{mutex_, 2, 2};
    Label Label4{mutex_, kNoAverage};
    Label Label5{mutex_, kNoAverage};

    // The wanted first-level error; the main window's error counting also writes it (from the
    // recognition worker). Written under the window's mutex.
    double requestedFirstError = 0.0;
    void setRequestedFirstError(double value);

    // Shows the window (not modally).
    void Show() { Window.setVisible(true); }

    // "Start": checks the entries and starts a run, or resumes a paused or running one.
    void Bs_btnStartClick();
    void Bs_btnPauseClick();
    void Bs_btnStopClick();
    // Enter in FstLevelErr: a valid wanted error goes to the main window's "1st level error".
    void ReCount();

    // Window operations of the run (called from the worker through the main window).
    void showRow(int32_t row, const std::string& firstError, const std::string& secondError);
    // Writes the averages of the shown rows into Label4 and Label5.
    void showAverages(int32_t iterations);
    // Disables "Pause" and "Stop".
    void runEnded();
    // Empties the results list and the averages (a new workspace has none).
    void clearResults();

  private:
    // Reads FstLevelErr: empty gives 0; a failure switches the separator and tries again. False
    // (entry reset to "0,0") when both fail or the value is outside 0 ... 1.
    bool readWantedError(double& value);

    TMainForm& main_;
};

}  // namespace motifora
