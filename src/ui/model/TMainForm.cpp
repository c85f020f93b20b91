// The main window: start-up state, page switching, views, grid refills, help and closing.
#include "ui/model/TMainForm.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Translatable.h"
#include "rules/RulesStorage.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

const std::vector<std::string> kSequenceHeaders{"#", "Length", "Name", "Sequence", "Class №"};

double systemNowInDays() {
    using namespace std::chrono;
    const double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
    return seconds / 86400.0;
}

}  // namespace

TMainForm::TMainForm(Dialogs& dialogs, Clock clock)
    : dialogs_(dialogs), clock_(clock ? std::move(clock) : Clock(systemNowInDays)) {
    mainManager = std::make_unique<TMainManager>();
    mainManager->setProgressSink(this);
    mainManager->setWorkerEndListener(workerEndListener_);
    projectCounter = 1;
    shownRuleCount = preBufferStepCount = postBufferStepCount = 0;
    projectName = "Project" + std::to_string(projectCounter) + ".dnp";
    updateCaption();

    // Hidden at start: the learning negative list, the control positive list, the chart.
    NegSequencesList.setVisible(false);
    NegSplitter.setVisible(false);
    NegativeLabel.setVisible(false);
    PosCtrlSeqsList.setVisible(false);
    PosCtrlSplitter.setVisible(false);
    PosCtrlLabel.setVisible(false);
    Chart1.setVisible(false);
    Chart1.setXAxis({"Position", true, 0.0, 0.0});
    Chart1.setYAxis({"Score", true, 0.0, 0.0});
    ScanHitsList.setVisible(false);
    ScanHitLetters.setVisible(false);
    SequenceLogos.setVisible(false);
    FrameWidthUpDown.setEnabled(false);

    setActivePage(Page::Rules);
    SequencesList.setHeaders(kSequenceHeaders);
    NegSequencesList.setHeaders(kSequenceHeaders);
    NewSeqsList.setHeaders(kSequenceHeaders);
    PosCtrlSeqsList.setHeaders(kSequenceHeaders);
    RulesList.setHeaders({"#", "Fisher", "Rule", "CP", "Class №"});
    ContrastRulesList.setHeaders(contrastGridHeaders());
    IdealizObjectsList.setHeaders({"#", "Length", "Object"});
}

TMainForm::~TMainForm() {
    // The worker reports into the controls: stop it and wait before any control goes.
    if (mainManager) mainManager->shutdownWorker();
    mainManager.reset();
}

Page TMainForm::activePage() const {
    std::lock_guard<std::recursive_mutex> lock(const_cast<std::recursive_mutex&>(mutex_));
    return page_;
}

bool TMainForm::positiveListAtTop() const {
    std::lock_guard<std::recursive_mutex> lock(const_cast<std::recursive_mutex&>(mutex_));
    return positiveAtTop_;
}

bool TMainForm::closed() const {
    std::lock_guard<std::recursive_mutex> lock(const_cast<std::recursive_mutex&>(mutex_));
    return closed_;
}

void TMainForm::updateCaption() { Caption.setText("Motifora - " + projectName); }

DialogAnswer TMainForm::message(const std::string& text, const std::string& caption,
                                MessageIcon icon, MessageButtons buttons,
                                const std::string& headline) {
    return dialogs_.messageBox({text, caption, icon, buttons, headline});
}

void TMainForm::setActivePage(Page page) {
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        page_ = page;
    }
    ModePageControlChange();
}

void TMainForm::ModePageControlChange() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    switch (page_) {
        case Page::Rules:
            SequencesPanel.setVisible(true);
            IdealizObjectsList.setVisible(false);
            RulesList.setVisible(true);
            ClassesPanel.setVisible(false);
            LowerGridLabel.setText("Rules");
            break;
        case Page::Objects:
            SequencesPanel.setVisible(true);
            IdealizObjectsList.setVisible(true);
            RulesList.setVisible(false);
            ClassesPanel.setVisible(false);
            LowerGridLabel.setText("Ideal Objects");
            break;
        case Page::Classes:
            SequencesPanel.setVisible(false);
            IdealizObjectsList.setVisible(true);
            RulesList.setVisible(false);
            LowerGridLabel.setText("Ideal Objects");
            ClassesPanel.setVisible(true);
            break;
    }
    showRulesGridOfMode();
}

void TMainForm::showNegativeList(bool show) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    mmbtnNegativeSequecies.setChecked(show);
    positiveAtTop_ = show;
    NegSplitter.setVisible(show);
    NegativeLabel.setVisible(show);
    NegSequencesList.setVisible(show);
}

void TMainForm::showPositiveControlList(bool show) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    mmbtnVisiblePositiveControl.setChecked(show);
    PosCtrlLabel.setVisible(show);
    PosCtrlSeqsList.setVisible(show);
    PosCtrlSplitter.setVisible(show);
}

void TMainForm::mmbtnNegativeSequeciesClick() {
    showNegativeList(!mmbtnNegativeSequecies.checked());
}

void TMainForm::mmbtnVisiblePositiveControlClick() {
    showPositiveControlList(!mmbtnVisiblePositiveControl.checked());
}

void TMainForm::btnHideShowChartClick() { Chart1.setVisible(!Chart1.visible()); }

void TMainForm::MotiforaHelp1Click() {
    const char* reason = nullptr;
    switch (dialogs_.launch("hh.exe", "ProgramHelp.chm")) {
        case LaunchFailure::None:
        case LaunchFailure::Other:
            return;
        case LaunchFailure::AccessDenied:
            reason = "Permission denied";
            break;
        case LaunchFailure::TooManyOpenFiles:
            reason = "Too many open files";
            break;
        case LaunchFailure::NotFound:
            reason = "Path or file name not found";
            break;
        case LaunchFailure::NotExecutable:
            reason = "Exec format error";
            break;
        case LaunchFailure::NotEnoughMemory:
            reason = "Not enough memory";
            break;
    }
    message(reason, MOTIFORA_TR("Ошибка"), MessageIcon::Error);
}

void TMainForm::About1Click() { dialogs_.showAbout(); }

void TMainForm::newWorkspace() {
    // The worker must be gone before its workspace is: stop it (resuming it when paused) and
    // wait, without holding the window's lock, since the worker may be reporting to the window.
    if (mainManager) mainManager->shutdownWorker();
    mainManager.reset();
    mainManager = std::make_unique<TMainManager>();
    mainManager->setProgressSink(this);
    mainManager->setWorkerEndListener(workerEndListener_);
    mainManager->setRegularityTarget(samplesChosen() ? TMainManager::RegularityTarget::Samples
                                                     : TMainManager::RegularityTarget::Letters);
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        runStartTime = 0.0;
        runTimeBefore = 0.0;
        shownRuleCount = preBufferStepCount = postBufferStepCount = 0;
    }
    FinishProgress.setPosition(0);
    PreBufProgress.setPosition(0);
    PostBufProgress.setPosition(0);
    LockCommands(CommandLock::All);
    IdealObjPopupMenu.setEnabled(false);
    btnHideShowChart.setEnabled(false);
    SaveRecErrBtn.setEnabled(false);
    forgetContrastSearch();
    clearResultDisplays();
    RefreshViews();
}

void TMainForm::useDecimalSeparator(char separator) {
    if (separator != ',' && separator != '.') return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    numberFormat.setSeparator(separator);
    const char other = separator == ',' ? '.' : ',';
    const NumberFormat written(other);
    for (Edit* edit : {&ConfIntEdit, &CPEdit, &RecLevelEdit, &FirstLErrEd,
                       &CrossValForm.WantedErrorEdit, &BootStrCtrl.FstLevelErr}) {
        std::string text = edit->text();
        double value = 0.0;
        if (numberFormat.tryReadReal(text, value) || !written.tryReadReal(text, value)) continue;
        std::replace(text.begin(), text.end(), other, separator);
        edit->setText(text);
    }
}

void TMainForm::clearResultDisplays() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    // Score and result columns of recognitions and error counts go with their data.
    for (Grid* grid : {&SequencesList, &NegSequencesList, &NewSeqsList, &PosCtrlSeqsList}) {
        grid->setColCount(5);
        grid->setRowCount(2);
        grid->clearDataRows();
    }
    // The error counting's level and count columns and its choice of classes go too.
    IdealizObjectsList.setColCount(3);
    IdealizObjectsList.select(1, 1);
    IdealizObjectsList.setEnabled(true);
    ClassList.setColCount(3);
    ClassList.setRowCount(2);
    ClassList.setHeaders({"", "", ""});
    ClassList.clearDataRows();
    Chart1.clearSeries(0);
    Chart1.clearSeries(1);
    Chart1.setVisible(false);
    Chart1.setXAxis({"Position", true, 0.0, 0.0});
    Chart1.setYAxis({"Score", true, 0.0, 0.0});
    Chart1.setLevelSeries(false);
    Chart1.setMarks({});
    ScanHitsList.setVisible(false);
    ScanHitsList.setRowCount(1);
    ScanHitLetters.setVisible(false);
    ScanHitLetters.setText("");
    SequenceLogos.setValue({});
    SequenceLogos.setVisible(false);
    scanPlaces_ = ScanPlaces();
    scanRuns_.clear();
    for (Label* label : {&FstErrInW, &SecondLErr, &SecErrInW, &UncountedNegatives, &TimerLabel,
                         &lblTime, &CountDownLabel})
        label->setText("");
    RecLevelEdit.setText("0");
    RecLevelEdit.setEnabled(false);
    FirstLErrEd.setText("0");
    FirstLErrEd.setEnabled(false);
    btnNextClassErrCount.setText("Next");
    btnNextClassErrCount.setEnabled(false);
    ScanProgress.setPosition(0);
    scanLockedStates_.clear();
    idealizationStartTime = 0.0;
    idealizationTimeBefore = 0.0;
    StatusBar1.setPanel(1, "");
    StatusBar1.setPanel(2, "");
    CrossValForm.clearResult();
    BootStrCtrl.clearResults();
}

bool TMainForm::workerBusy() const {
    if (!mainManager) return true;
    const TMainManager& m = *mainManager;
    // A process that has ended but not yet been reported counts as busy too: its worker may
    // still be on its way out.
    using Process = TMainManager::Process;
    return m.workerLive() || m.isStarted(Process::RuleSearch) ||
           m.isStarted(Process::Idealization) || m.isStarted(Process::Classification);
}

std::string TMainForm::formatElapsed(double days) {
    if (!(days > 0.0)) days = 0.0;
    // Whole milliseconds first, as a date-time is decoded, then the seconds are cut.
    const double ms = std::round(days * 86400000.0);
    const long long totalSeconds = ms >= 9.0e18 ? 0 : static_cast<long long>(ms) / 1000;
    char text[64];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", totalSeconds / 3600,
                  (totalSeconds / 60) % 60, totalSeconds % 60);
    return text;
}

std::vector<int32_t> TMainForm::objectClasses(SampleKind kind) const {
    std::vector<int32_t> classes;
    if (!mainManager || !mainManager->storage()) return classes;
    const SEQStorage& s = *mainManager->storage();
    const ObjectSet* set = nullptr;
    switch (kind) {
        case SampleKind::LearnPositive:
            set = &s.learnObjects;
            break;
        case SampleKind::LearnNegative:
            set = &s.negativeObjects;
            break;
        case SampleKind::ControlNegative:
            set = &s.controlNegativeObjects;
            break;
        case SampleKind::ControlPositive:
            set = &s.controlPositiveObjects;
            break;
        default:
            return classes;
    }
    classes.reserve(static_cast<size_t>(set->size()));
    for (int32_t i = 0; i < set->size(); ++i) classes.push_back((*set)[i].classNumber);
    return classes;
}

bool TMainForm::fillSequenceGrid(Grid& grid, SampleKind kind, int32_t count,
                                 const std::vector<int32_t>& classes, const std::string& errorText,
                                 const std::string& errorCaption) {
    std::unique_lock<std::recursive_mutex> lock(mutex_);
    if (count <= 0) {
        grid.clearDataRows();
        return true;
    }
    grid.setRowCount(count + 1);
    for (int32_t i = 0; i < count; ++i) {
        const Sequence* record = mainManager->sequence(kind, i);
        if (!record) {
            lock.unlock();
            message(errorText, errorCaption, MessageIcon::Error);
            return false;
        }
        // The length of the text up to a zero byte, as a C string reads it.
        const char* text = record->text.c_str();
        grid.setCell(0, i + 1, std::to_string(i + 1));
        grid.setCell(1, i + 1, std::to_string(std::strlen(text)));
        grid.setCell(2, i + 1, record->shownName());
        grid.setCell(3, i + 1, text);
        if (!classes.empty() && i < static_cast<int32_t>(classes.size())) {
            // An object of a classified set without a class reads "New", as the classification
            // itself writes it; only the learning objects found the classes and show numbers
            // (0 for one whose class was deleted), and while there are no classes at all (rules
            // but no idealization yet) their cells stay empty.
            const int32_t number = classes[static_cast<size_t>(i)];
            const bool noClasses = mainManager->classCount() == 0;
            grid.setCell(4, i + 1,
                         number >= 0 ? std::to_string(number + 1)
                         : kind == SampleKind::LearnPositive
                             ? (noClasses ? std::string() : std::to_string(number + 1))
                             : std::string("New"));
        }
    }
    return true;
}

void TMainForm::refillLearnPositive() {
    if (!mainManager) return;
    fillSequenceGrid(SequencesList, SampleKind::LearnPositive, mainManager->learnPositiveCount(),
                     objectClasses(SampleKind::LearnPositive),
                     MOTIFORA_TR("Ошибка чтения из первичного массива последовательностей"),
                     MOTIFORA_TR("Ошибка"));
}

void TMainForm::refillLearnNegative() {
    if (!mainManager) return;
    // A sample that is not loaded leaves no rows behind from an earlier workspace.
    const int32_t count =
        mainManager->learnNegativeLoaded() ? mainManager->learnNegativeCount() : 0;
    fillSequenceGrid(NegSequencesList, SampleKind::LearnNegative, count,
                     objectClasses(SampleKind::LearnNegative),
                     "Error reading from the basic array of sequncies.", "Error");
}

void TMainForm::refillControlNegative() {
    if (!mainManager) return;
    NewSeqsList.setColCount(5);
    fillSequenceGrid(NewSeqsList, SampleKind::ControlNegative, mainManager->controlNegativeCount(),
                     objectClasses(SampleKind::ControlNegative),
                     MOTIFORA_TR("Ошибка чтения из первичного массива последовательностей"),
                     MOTIFORA_TR("Ошибка"));
}

void TMainForm::refillControlPositive() {
    if (!mainManager) return;
    fillSequenceGrid(PosCtrlSeqsList, SampleKind::ControlPositive,
                     mainManager->controlPositiveCount(),
                     objectClasses(SampleKind::ControlPositive),
                     MOTIFORA_TR("Ошибка чтения из первичного массива последовательностей"),
                     MOTIFORA_TR("Ошибка"));
}

void TMainForm::refillRules() {
    if (!mainManager) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const RulesStorage* rules = mainManager->rules();
    if (!rules) {
        RulesList.clearDataRows();
        return;
    }
    const int32_t count = rules->Count();
    RulesList.setRowCount(count + 1);
    std::string fisher, cp, ruleText;
    for (int32_t i = 0; i < count; ++i) {
        rules->GetTexts(i, fisher, cp, ruleText);
        RulesList.setCell(0, i + 1, std::to_string(i + 1));
        RulesList.setCell(1, i + 1, fisher);
        RulesList.setCell(2, i + 1, ruleText);
        RulesList.setCell(3, i + 1, cp);
    }
}

void TMainForm::refillIdealObjects() {
    if (!mainManager) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (mainManager->classCount() > 0) {
        IdealizObjectsList.setRowCount(mainManager->classCount() + 1);
        IdealObjPopupMenu.setEnabled(true);
    } else {
        IdealObjPopupMenu.setEnabled(false);
    }
    if (mainManager->ShowIdealObjects() == -1) IdealizObjectsList.clearDataRows();
}

}  // namespace motifora
