// The window operations the engines and processes call, possibly from the worker thread.
#include <cstdlib>

#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

// The number in a grid's "#" cell; a cell that holds no number counts as 0.
int32_t numberIn(const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    return end == text.c_str() ? 0 : static_cast<int32_t>(value);
}

}  // namespace

void TMainForm::ReportBufferEntry(const std::string& fisherText, const std::string& cpText,
                                  const std::string& ruleText, int32_t position, int32_t kind,
                                  int32_t step) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (kind == 1 || kind == 2) {
        ProgressBar& bar = kind == 1 ? PreBufProgress : PostBufProgress;
        if (bar.position() < bar.maximum()) {
            bar.setStep(step);
            bar.stepIt();
            ++(kind == 1 ? preBufferStepCount : postBufferStepCount);
        }
        return;
    }
    if (kind != 0 || position < 0) return;
    if (shownRuleCount < FinishProgress.maximum()) {
        FinishProgress.setStep(step);
        FinishProgress.stepIt();
        ++shownRuleCount;
    }
    const int32_t r = position + 1;
    if (r < shownRuleCount) {
        for (int32_t row = shownRuleCount; row >= r + 1; --row) {
            for (int32_t column = 1; column <= 3; ++column)
                RulesList.setCell(column, row, RulesList.cell(column, row - 1));
            RulesList.setCell(0, row, std::to_string(numberIn(RulesList.cell(0, row - 1)) + 1));
        }
    }
    RulesList.setCell(0, r, std::to_string(r));
    RulesList.setCell(1, r, fisherText);
    RulesList.setCell(2, r, ruleText);
    RulesList.setCell(3, r, cpText);
}

void TMainForm::RewindBufferProgress(int32_t kind, int32_t amount) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ProgressBar* bar = nullptr;
    switch (kind) {
        case 0:
            bar = &FinishProgress;
            break;
        case 1:
            bar = &PreBufProgress;
            break;
        case 2:
            bar = &PostBufProgress;
            break;
        default:
            return;
    }
    if (amount < 1) {
        bar->setPosition(0);
    } else {
        bar->setStep(-amount);
        bar->stepIt();
    }
}

void TMainForm::ShowIdealObject(const std::string& objectText, double value, int32_t index) {
    if (index < 0) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    IdealizObjectsList.setCell(0, index + 1, std::to_string(index + 1));
    IdealizObjectsList.setCell(1, index + 1, numberFormat.general(value));
    IdealizObjectsList.setCell(2, index + 1, objectText);
}

void TMainForm::SetLearningClass(int32_t row, int32_t number) {
    SequencesList.setCell(4, row, std::to_string(number));
}

void TMainForm::SetRuleClass(int32_t row, int32_t number) {
    RulesList.setCell(4, row, std::to_string(number));
}

void TMainForm::SetControlClass(ObjectSetKind sampleSet, int32_t row, int32_t number, bool isNew) {
    Grid* const grid = sampleSet == ObjectSetKind::ControlPositive   ? &PosCtrlSeqsList
                       : sampleSet == ObjectSetKind::ControlNegative ? &NewSeqsList
                       : sampleSet == ObjectSetKind::LearnNegative   ? &NegSequencesList
                                                                     : nullptr;
    if (grid == nullptr) return;
    grid->setCell(4, row, isNew ? std::string("New") : std::to_string(number));
}

void TMainForm::ShowClassObject(const std::string& objectText, int32_t rowIndex,
                                int32_t objectIndex) {
    if (rowIndex < 0) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ClassList.setCell(0, rowIndex + 1, std::to_string(rowIndex + 1));
    ClassList.setCell(1, rowIndex + 1, std::to_string(objectIndex + 1));
    ClassList.setCell(2, rowIndex + 1, objectText);
}

void TMainForm::ShowStatus(const std::string& text) { StatusBar1.setPanel(2, text); }

void TMainForm::ShowCountdown(int32_t remaining) {
    CountDownLabel.setText(std::to_string(remaining));
}

void TMainForm::LockCommands(CommandLock mode) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (Control* c : std::initializer_list<Control*>{
             &btnStartSearchRules, &btnStopSearchRules, &btnPauseSearchRules, &btnStartIdealization,
             &btnStopIdealization, &btnPauseIdealization, &Control1, &btnStartSearchClass,
             &btnPauseSearchClass, &btnStopSearchClass, &btnStartBootstrap, &btnStartRecognition,
             &btnCountRecErrors})
        c->setEnabled(false);
    if (mode == CommandLock::ClassSearchApart) {
        btnStartSearchClass.setEnabled(true);
        btnPauseSearchClass.setEnabled(true);
        btnStopSearchClass.setEnabled(true);
    }
}

void TMainForm::UnlockCommands(CommandLock mode) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    for (Control* c : std::initializer_list<Control*>{
             &btnStartSearchRules, &btnStopSearchRules, &btnPauseSearchRules, &btnStartIdealization,
             &btnStopIdealization, &btnPauseIdealization, &Control1, &btnStartSearchClass,
             &btnStartRecognition, &btnCountRecErrors, &btnStartBootstrap})
        c->setEnabled(true);
    if (mode == CommandLock::ClassSearchApart) {
        for (Control* c : std::initializer_list<Control*>{
                 &btnStartSearchClass, &btnPauseSearchClass, &btnStopSearchClass,
                 &btnStartRecognition, &btnCountRecErrors, &btnStartBootstrap})
            c->setEnabled(false);
    }
}

void TMainForm::RefreshViews() {
    refillLearnPositive();
    refillRules();
    refillIdealObjects();
    refillControlNegative();
    refillLearnNegative();
    refillControlPositive();
    refillContrastRules();
}

void TMainForm::ShowMatrixValue(double value, int32_t column, int32_t row) {
    if (column < 0 || row < 0) return;
    ClassList.setCell(column + 1, row + 1, numberFormat.fixed(value, 2));
}

void TMainForm::ShowRuleRow(int32_t n, const std::string& fisherText, const std::string& cpText,
                            const std::string& ruleText, int32_t status) {
    if (n < 0) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ClassList.setCell(0, n + 1, std::to_string(n + 1));
    ClassList.setCell(1, n + 1, fisherText);
    ClassList.setCell(2, n + 1, ruleText);
    ClassList.setCell(3, n + 1, cpText);
    if (status == 1)
        ClassList.setCell(4, n + 1, "true");
    else if (status == 2)
        ClassList.setCell(4, n + 1, "false");
}

void TMainForm::SetIdealObjPopupAuto(bool on) { IdealObjPopupMenu.setEnabled(on); }

}  // namespace motifora
