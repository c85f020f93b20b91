// The "Bootstreap Control" window's commands and the run's results shown in it.
#include "ui/model/BootStrCtrl.h"

#include "core/Translatable.h"
#include "evaluation/Bootstrap.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

TBootStrCtrl::TBootStrCtrl(TMainForm& main, std::recursive_mutex& mutex)
    : mutex_(mutex), main_(main) {
    Window.setVisible(false);
    ErrorsList.setHeaders({"First level error", "Second level error"});
}

void TBootStrCtrl::clearResults() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ErrorsList.setRowCount(2);
    ErrorsList.clearDataRows();
    Label4.setText(kNoAverage);
    Label5.setText(kNoAverage);
}

bool TBootStrCtrl::readWantedError(double& value) {
    value = 0.0;
    const std::string text = FstLevelErr.text();
    double read = 0.0;
    if (!text.empty() && !main_.numbers().readReal(text, read)) {
        FstLevelErr.setText("0,0");
        return false;
    }
    if (read > 1 || read < 0) {
        FstLevelErr.setText("0,0");
        return false;
    }
    value = read;
    return true;
}

void TBootStrCtrl::setRequestedFirstError(double value) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    requestedFirstError = value;
}

void TBootStrCtrl::Bs_btnStartClick() {
    setRequestedFirstError(0.0);
    double wanted = 0.0;
    if (!readWantedError(wanted)) return;
    setRequestedFirstError(wanted);

    int32_t percent = 0;
    if (!NumberFormat::readInteger(PositPercent.text(), percent) || percent < 1 || percent > 99) {
        PositPercent.setText("0");
        return;
    }
    int32_t iterations = 0;
    if (!NumberFormat::readInteger(IterCount.text(), iterations) || iterations < 1) {
        IterCount.setText("0");
        return;
    }
    ErrorsList.setRowCount(iterations + 1);
    Bs_btnPause.setEnabled(true);
    Bs_btnStop.setEnabled(true);

    TMainManager& m = main_.manager();
    if (m.isRunning() || m.isPaused() || m.bootstrapActive()) {
        m.ResumeBootstrap();
        return;
    }
    if (!main_.mmbtnVisiblePositiveControl.checked()) main_.mmbtnVisiblePositiveControlClick();
    const BootstrapStart code = m.StartBootstrap(percent, iterations, 0, wanted);
    if (code == BootstrapStart::NoSamples) {
        main_.message(
            MOTIFORA_TR("Невозможно запустить бутстрэп. Дожны быть загружены обучающая позитивная, "
                        "обучающая негативная и контрольная негативная выборки."),
            "Error", MessageIcon::Error);
        return;
    }
    // A refused start ends the run it began: the buttons go back to their idle state.
    const auto refuse = [this](const char* text) {
        runEnded();
        main_.message(text, "Error", MessageIcon::Error);
    };
    if (code == BootstrapStart::ShiftMode)
        refuse(
            "The bootstrap works on objects of fixed positions only: choose \"Fixed "
            "positions\" and run the regularity search again.");
    else if (code == BootstrapStart::NoThread)
        refuse(
            "The bootstrap could not be started: another process is running or no "
            "worker thread could be created.");
}

void TBootStrCtrl::Bs_btnPauseClick() { main_.manager().PauseBootstrap(); }

void TBootStrCtrl::Bs_btnStopClick() { main_.manager().StopBootstrap(); }

void TBootStrCtrl::ReCount() {
    double wanted = 0.0;
    if (!readWantedError(wanted)) {
        setRequestedFirstError(0.0);
        return;
    }
    setRequestedFirstError(wanted);
    main_.FirstLErrEd.setText(FstLevelErr.text());
    main_.FstReCount2();
}

void TBootStrCtrl::showRow(int32_t row, const std::string& firstError,
                           const std::string& secondError) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ErrorsList.setCell(0, row, firstError);
    ErrorsList.setCell(1, row, secondError);
}

void TBootStrCtrl::showAverages(int32_t iterations) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::vector<std::string> first, second;
    for (int32_t r = 1; r < ErrorsList.rowCount(); ++r) {
        first.push_back(ErrorsList.cell(0, r));
        second.push_back(ErrorsList.cell(1, r));
    }
    const NumberFormat& numbers = main_.numbers();
    Label4.setText(numbers.fixed(shownAverage(first, iterations, numbers), 8));
    Label5.setText(numbers.fixed(shownAverage(second, iterations, numbers), 8));
}

void TBootStrCtrl::runEnded() {
    Bs_btnPause.setEnabled(false);
    Bs_btnStop.setEnabled(false);
}

}  // namespace motifora
