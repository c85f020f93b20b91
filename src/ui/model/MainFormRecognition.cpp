// The main window's recognition of control data: the command and the score displays.
#include <algorithm>

#include "core/Translatable.h"
#include "evaluation/Recognition.h"
#include "ui/model/BestClass.h"
#include "ui/model/RecognitionMessages.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

constexpr const char* kNoSequencesText =
    MOTIFORA_TR("Невозможно запустить процесс классификации. Нет последовательностей");
constexpr const char* kNoIdealObjectsText =
    MOTIFORA_TR("Невозможно запустить процесс классификации. Нет идеальных объектов");
constexpr const char* kNotStartedText =
    "The recognition could not be started: another process is running or no worker thread "
    "could be created.";

}  // namespace

// Shows the message of a refused recognition start; returns true when it was refused.
bool reportRecognitionCode(TMainForm& form, RecognitionStart code) {
    switch (code) {
        case RecognitionStart::NoControl:
            form.message(kNoSequencesText, "Error", MessageIcon::Error);
            return true;
        case RecognitionStart::NoClasses:
            form.message(kNoIdealObjectsText, "Error", MessageIcon::Error);
            return true;
        case RecognitionStart::NoThread:
            form.message(kNotStartedText, "Error", MessageIcon::Error);
            return true;
        case RecognitionStart::Started:
        case RecognitionStart::Shown:
            break;
    }
    return false;
}

void TMainForm::btnStartRecognitionClick() {
    TMainManager& m = manager();
    RecognitionStart code = RecognitionStart::Started;
    if (m.searchSettings().shiftPositions() || m.longControl()) {
        Chart1.setVisible(true);
        btnHideShowChart.setEnabled(true);
        code = m.StartScanRecognition(IdealizObjectsList.selectionTop() - 1);
        if (code == RecognitionStart::Started) beginScanDisplay();
    } else {
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            NewSeqsList.setColCount(m.classCount() + 5);
            for (int32_t j = 0; j < m.classCount(); ++j)
                NewSeqsList.setCell(5 + j, 0, std::to_string(j + 1));
        }
        code = m.StartRecognition(-1);
    }
    reportRecognitionCode(*this, code);
}

namespace {

constexpr const char* kScanRunningText = MOTIFORA_TR("Идет процесс распознавания ...");

}  // namespace

std::vector<Control*> TMainForm::processLockedControls() {
    return {&btnStartSearchRules,
            &btnStopSearchRules,
            &btnPauseSearchRules,
            &btnStartIdealization,
            &btnStopIdealization,
            &btnPauseIdealization,
            &Control1,
            &btnStartSearchClass,
            &btnPauseSearchClass,
            &btnStopSearchClass,
            &btnStartBootstrap,
            &btnStartRecognition,
            &btnCountRecErrors};
}

void TMainForm::beginScanDisplay() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    scanLockedStates_.clear();
    for (const Control* c : processLockedControls()) scanLockedStates_.push_back(c->enabled());
    LockCommands(CommandLock::All);
    btnStopSearchClass.setEnabled(true);
    ScanProgress.setPosition(0);
    StatusBar1.setPanel(1, kScanRunningText);
    StatusBar1.setPanel(2, "");
}

void TMainForm::tickScanDisplay() {
    TMainManager& m = manager();
    if (m.isRunning()) {
        const int64_t total = m.scanTotal();
        const int64_t done = std::min(m.scanDone(), total);
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        ScanProgress.setPosition(total > 0 ? static_cast<int32_t>(done * 100 / total) : 0);
        StatusBar1.setPanel(2, std::to_string(done) + " / " + std::to_string(total));
        return;
    }
    const bool complete = m.takeScanResult();
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        size_t i = 0;
        for (Control* c : processLockedControls()) {
            if (i < scanLockedStates_.size()) c->setEnabled(scanLockedStates_[i]);
            ++i;
        }
        scanLockedStates_.clear();
        ScanProgress.setPosition(0);
        StatusBar1.setPanel(1, "");
        StatusBar1.setPanel(2, "");
    }
    const std::string failure = m.takeWorkerError();
    if (!failure.empty()) message(failure, MOTIFORA_TR("Ошибка"), MessageIcon::Error);
    if (complete) ShowPositionScores(static_cast<int32_t>(m.windowScores().size()));
}

void TMainForm::show(const ClassScored& event) {
    const int32_t j = event.classIndex;
    if (event.object < 0 || j < 0) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const int32_t r = event.object + 1;
    std::vector<std::string> cells;
    for (int32_t t = 0; t <= j; ++t) cells.push_back(NewSeqsList.cell(5 + t, r));
    placeClassScore(cells, j, event.score, Rec_Arranged.checked(), numberFormat);
    for (int32_t t = 0; t <= j; ++t) {
        const std::string& text = cells[static_cast<size_t>(t)];
        if (NewSeqsList.cell(5 + t, r) != text) NewSeqsList.setCell(5 + t, r, text);
    }
}

std::string TMainForm::bestClassOf(int32_t row) const {
    const std::vector<std::string> cells = NewSeqsList.row(row);
    if (row < 1 || cells.size() <= 5) return "";
    return bestClassCell(std::vector<std::string>(cells.begin() + 5, cells.end()), numberFormat);
}

void TMainForm::show(const ObjectScored& event) {
    const SampleKind sample = event.sample;
    Grid* const target = sample == SampleKind::LearnPositive     ? &SequencesList
                         : sample == SampleKind::LearnNegative   ? &NegSequencesList
                         : sample == SampleKind::ControlPositive ? &PosCtrlSeqsList
                         : sample == SampleKind::ControlNegative ? &NewSeqsList
                                                                 : nullptr;
    if (target == nullptr || event.object < 0) return;
    target->setCell(5, event.object + 1, numberFormat.fixed(event.score, 2));
}

void TMainForm::show(const ScanScored& event) { ShowPositionScores(event.windows); }

void TMainForm::ShowPositionScores(int32_t count) {
    TMainManager& m = manager();
    count = std::clamp(count, 0, static_cast<int32_t>(m.windowScores().size()));
    const PositionChart chart = positionChart(m.windowScores().data(), count);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    // The windows were cut from the control negatives now loaded (a new load recomputes).
    scanPlaces_ = ScanPlaces(
        m.controlNegative().data(),
        std::min(m.controlNegativeCount(), static_cast<int32_t>(m.controlNegative().size())),
        m.searchSettings().frameWidth);
    if (scanPlaces_.windowCount() != static_cast<int64_t>(m.windowScores().size()))
        scanPlaces_ = ScanPlaces();
    Chart1.clearSeries(0);
    Chart1.clearSeries(1);
    Chart::Axis left = Chart1.yAxis();
    left.automatic = true;
    left.title = "Score";
    Chart1.setYAxis(left);
    Chart::Axis bottom = Chart1.xAxis();
    bottom.title = "Position";
    Chart1.setXAxis(bottom);
    for (const auto& point : chart.scores) Chart1.addPoint(0, point.first, point.second);
    for (const auto& point : chart.level) Chart1.addPoint(1, point.first, point.second);
    Chart1.setLevelSeries(true);
    markScanRecords();
    RecLevelEdit.setEnabled(true);
    RecLevelEdit.setText(numberFormat.fixed(chart.mid, 2));
    SaveRecErrBtn.setEnabled(true);
    fillScanHits(chart.mid);
}

void TMainForm::show(const RecognitionFinished& event) {
    const int32_t n = event.positives;
    if (n <= 0) {
        UnlockCommands(CommandLock::All);
        return;
    }
    CountErrors(n);
    RecLevelEdit.setEnabled(true);
    FirstLErrEd.setEnabled(true);
    UnlockCommands(btnNextClassErrCount.enabled() ? CommandLock::ClassSearchApart
                                                  : CommandLock::All);
}

}  // namespace motifora
