// The "Objects" and "Classes" pages: idealization and classification start, pause and stop.
#include <algorithm>

#include "core/Translatable.h"
#include "rules/RulesStorage.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

const char* const kClassifying = MOTIFORA_TR("Идет процесс классификации ...");

}  // namespace

void TMainForm::chooseIdealizationType(IdealizationType type) {
    btnDeletingBeginRadio.setChecked(type == IdealizationType::kDeletingBegin);
    btnInsertingBeginRadio.setChecked(type == IdealizationType::kInsertingBegin);
    btnDeletingInsirtingRadio.setChecked(type == IdealizationType::kDeletingInserting);
}

std::optional<IdealizationType> TMainForm::checkedIdealizationType() const {
    if (btnDeletingBeginRadio.checked()) return IdealizationType::kDeletingBegin;
    if (btnInsertingBeginRadio.checked()) return IdealizationType::kInsertingBegin;
    if (btnDeletingInsirtingRadio.checked()) return IdealizationType::kDeletingInserting;
    return std::nullopt;
}

IdealizationSource TMainForm::idealizationSource() const {
    return fromCode(ObjsSourceGroup.itemIndex(), IdealizationSource::kRules)
        .value_or(IdealizationSource::kObjects);
}

void TMainForm::chooseIdealizationSource(IdealizationSource source) {
    ObjsSourceGroup.setItemIndex(codeOf(source));
}

void TMainForm::btnStartIdealizationClick() {
    if (!mainManager) return;
    TMainManager& m = *mainManager;
    if (m.isRunning()) {
        // Never a second run over a running one (it would rebuild the classes the worker uses),
        // nor over another kind of process.
        if (!m.isPaused() || m.isStarted(TMainManager::Process::RuleSearch) ||
            m.isStarted(TMainManager::Process::Classification))
            return;
        // A paused idealization is stopped and waited for before anything of it is read or
        // replaced; the new run then starts from the classes as the paused one found them.
        m.stopPausedIdealization();
        m.takeEnd(TMainManager::Process::None);
    }

    if (m.resetIdealObjects()) IdealizObjectsList.clearDataRows();
    const IdealizationSource source = idealizationSource();
    {
        // Room for every class the run can add: one per object, or one per rule.
        int32_t items = 0;
        if (source == IdealizationSource::kObjects && m.storage())
            items = m.storage()->learnObjectCount;
        if (source == IdealizationSource::kRules && m.rules()) items = m.rules()->Count();
        const int32_t kept = m.resetIdealObjects() ? 0 : m.classCount();
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        IdealizObjectsList.setRowCount(std::max(IdealizObjectsList.rowCount(), kept + items + 1));
    }
    const std::optional<IdealizationType> type = checkedIdealizationType();
    if (!type) {
        message(MOTIFORA_TR("Ошибка в программе. Обратитесь к разработчику."),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        return;
    }
    switch (m.startIdealization(*type, source)) {
        case IdealizationStart::NoObjects:
            message(
                MOTIFORA_TR(
                    "Невозможно запустить процесс идеализации. Нет исходных последовательностей"),
                MOTIFORA_TR("Подсказка"), MessageIcon::None);
            return;
        case IdealizationStart::NoRules:
            message(MOTIFORA_TR("Невозможно запустить процесс идеализации. Нет закономерностей"),
                    MOTIFORA_TR("Подсказка"), MessageIcon::None);
            return;
        case IdealizationStart::NoThread:
            message(MOTIFORA_TR("Ошибка запуска процесса в параллель."), MOTIFORA_TR("Подсказка"),
                    MessageIcon::None);
            return;
        case IdealizationStart::Started:
            break;
    }
    LockCommands(CommandLock::All);
    btnStopIdealization.setEnabled(true);
    btnPauseIdealization.setEnabled(true);
    StatusBar1.setPanel(1, MOTIFORA_TR("Идет процесс идеализации ..."));
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    // Every start is a new run (a paused one is not resumed): its clock starts from nothing.
    idealizationStartTime = now();
    idealizationTimeBefore = 0.0;
}

void TMainForm::btnStopIdealizationClick() {
    if (!mainManager) return;
    mainManager->stopIdealization();
    StatusBar1.setPanel(1, "");
}

bool TMainForm::pauseWorking(int (TMainManager::*pause)(), const char* status) {
    // Pausing what does not run would close the gate in front of the next process, and a second
    // pause would bank the same time twice.
    if (!mainManager || !mainManager->isWorking()) return false;
    ((*mainManager).*pause)();
    StatusBar1.setPanel(1, status);
    return true;
}

void TMainForm::btnPauseIdealizationClick() {
    if (!pauseWorking(&TMainManager::pauseIdealization, "Idealization is paused")) return;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    idealizationTimeBefore += now() - idealizationStartTime;
}

void TMainForm::btnStartSearchClassClick() {
    if (!mainManager) return;
    TMainManager& m = *mainManager;
    if (!m.controlNegativeLoaded() || m.isRunning()) {
        // Only a paused classification is resumed here, never another kind of process.
        if (m.isPaused() && !m.isStarted(TMainManager::Process::RuleSearch) &&
            !m.isStarted(TMainManager::Process::Idealization)) {
            m.resumeClassification();
            StatusBar1.setPanel(1, kClassifying);
        }
        return;
    }
    switch (m.startClassification()) {
        case ClassificationStart::NoControl:
            message(
                MOTIFORA_TR("Невозможно запустить процесс классификации. Нет последовательностей"),
                "Error", MessageIcon::Error);
            return;
        case ClassificationStart::NoClasses:
            message(
                MOTIFORA_TR("Невозможно запустить процесс классификации. Нет идеальных объектов"),
                "Error", MessageIcon::Error);
            return;
        case ClassificationStart::NoThread:
            message(MOTIFORA_TR("Ошибка запуска процесса в параллель."), "Error",
                    MessageIcon::Error);
            return;
        case ClassificationStart::Started:
            break;
    }
    LockCommands(CommandLock::ClassSearchApart);
    StatusBar1.setPanel(1, kClassifying);
}

void TMainForm::btnPauseSearchClassClick() {
    pauseWorking(&TMainManager::pauseClassification, "Classification is paused");
}

void TMainForm::btnStopSearchClassClick() {
    if (!mainManager) return;
    // The page's Stop also ends a scanning recognition; its end comes with the next tick.
    if (mainManager->isStarted(TMainManager::Process::Scan)) {
        mainManager->stopScanRecognition();
        return;
    }
    mainManager->stopClassification();
    StatusBar1.setPanel(1, "");
}

}  // namespace motifora
