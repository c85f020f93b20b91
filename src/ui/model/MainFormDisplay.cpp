// What the engines and processes report, shown in the window (possibly from the worker thread),
// and the window operations shared by the commands.
#include <cstdlib>
#include <variant>

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

void TMainForm::onEvent(const ProgressEvent& event) {
    std::visit([this](const auto& happened) { show(happened); }, event);
}

void TMainForm::show(const BufferEntry& event) {
    const int32_t step = event.step;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (event.buffer == RuleBuffer::Current || event.buffer == RuleBuffer::Next) {
        const bool current = event.buffer == RuleBuffer::Current;
        ProgressBar& bar = current ? PreBufProgress : PostBufProgress;
        if (bar.position() < bar.maximum()) {
            bar.setStep(step);
            bar.stepIt();
            ++(current ? preBufferStepCount : postBufferStepCount);
        }
        return;
    }
    if (event.buffer != RuleBuffer::Results || event.position < 0) return;
    if (shownRuleCount < FinishProgress.maximum()) {
        FinishProgress.setStep(step);
        FinishProgress.stepIt();
        ++shownRuleCount;
    }
    const int32_t r = event.position + 1;
    // The rows below move down one (the class column stays), each numbered one more than the
    // row it came from.
    if (r < shownRuleCount) {
        RulesList.shiftRowsDown(r, shownRuleCount, 4, [](const std::string& above) {
            return std::to_string(numberIn(above) + 1);
        });
    }
    RulesList.setCell(0, r, std::to_string(r));
    RulesList.setCell(1, r, event.fisherText);
    RulesList.setCell(2, r, event.ruleText);
    RulesList.setCell(3, r, event.cpText);
}

void TMainForm::show(const BufferRewound& event) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ProgressBar* bar = nullptr;
    switch (event.buffer) {
        case RuleBuffer::Results:
            bar = &FinishProgress;
            break;
        case RuleBuffer::Current:
            bar = &PreBufProgress;
            break;
        case RuleBuffer::Next:
            bar = &PostBufProgress;
            break;
        default:
            return;
    }
    if (event.amount < 1) {
        bar->setPosition(0);
    } else {
        bar->setStep(-event.amount);
        bar->stepIt();
    }
}

void TMainForm::showIdealObject(const std::string& text, double value, int32_t index) {
    if (index < 0) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    IdealizObjectsList.setCell(0, index + 1, std::to_string(index + 1));
    IdealizObjectsList.setCell(1, index + 1, numberFormat.general(value));
    IdealizObjectsList.setCell(2, index + 1, text);
}

void TMainForm::show(const ClassMade& event) {
    // A class made lets the pop-up menu of the ideal-object grid open on its own.
    IdealObjPopupMenu.setEnabled(true);
    showIdealObject(event.text, event.value, event.index);
}

void TMainForm::show(const ClassListed& event) {
    showIdealObject(event.text, event.value, event.index);
}

void TMainForm::show(const LearningObjectClassed& event) {
    SequencesList.setCell(4, event.object + 1, std::to_string(event.classIndex + 1));
}

void TMainForm::show(const RuleClassed& event) {
    RulesList.setCell(4, event.rule + 1, std::to_string(event.classIndex + 1));
}

void TMainForm::show(const SetObjectClassed& event) {
    Grid* const grid = event.set == ObjectSetKind::ControlPositive   ? &PosCtrlSeqsList
                       : event.set == ObjectSetKind::ControlNegative ? &NewSeqsList
                       : event.set == ObjectSetKind::LearnNegative   ? &NegSequencesList
                                                                     : nullptr;
    if (grid == nullptr) return;
    grid->setCell(4, event.object + 1,
                  event.classIndex < 0 ? std::string("New") : std::to_string(event.classIndex + 1));
}

void TMainForm::ShowClassObject(const std::string& objectText, int32_t rowIndex,
                                int32_t objectIndex) {
    if (rowIndex < 0) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ClassList.setCell(0, rowIndex + 1, std::to_string(rowIndex + 1));
    ClassList.setCell(1, rowIndex + 1, std::to_string(objectIndex + 1));
    ClassList.setCell(2, rowIndex + 1, objectText);
}

void TMainForm::show(const ObjectIdealizing& event) { StatusBar1.setPanel(2, event.text); }

void TMainForm::show(const ItemsLeft& event) {
    CountDownLabel.setText(std::to_string(event.remaining));
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

}  // namespace motifora
