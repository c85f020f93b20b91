// The four sample loads of the "Source" and "Control" menus.
#include "core/Translatable.h"
#include "rules/RulesStorage.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

const char* const kDataLossQuestion = MOTIFORA_TR(
    "После загрузки новых исходных последовательностей, текущие данные будут потеряны. Хотите "
    "сохранить проект?");

FileRequest sequenceDialog(const char* name) {
    FileRequest request;
    request.dialog = name;
    request.filter = "Sequences (*.seq)|*.seq";
    return request;
}

// The text of a failed load: the command's own words, then why the file was refused.
std::string withReason(const std::string& text, const std::string& reason) {
    return reason.empty() ? text : text + "\n" + reason;
}

// A success message with what the reader noticed below it (shown as the box's details).
std::string withWarnings(const std::string& text, const std::vector<std::string>& warnings) {
    std::string out = text;
    for (const std::string& warning : warnings) out += "\n" + warning;
    return out;
}

}  // namespace

bool TMainForm::saveBeforeLoss() { return saveProject(); }

void TMainForm::mmbtnAddSequenciesClick() {
    if (!mainManager) return;
    if (mainManager->unsavedWork()) {
        const DialogAnswer answer = message(kDataLossQuestion, MOTIFORA_TR("Подсказка"),
                                            MessageIcon::Warning, MessageButtons::YesNoCancel);
        if (answer == DialogAnswer::Cancel) return;
        // A save the user asked for and did not get (dialog cancelled, file not written) stops
        // the load: going on would throw away the work the user meant to keep.
        if (answer == DialogAnswer::Yes && !saveBeforeLoss()) return;
    }
    const auto path = dialogs_.openFile(sequenceDialog("AddSeqsDlg"));
    if (!path) return;
    // The file is read and checked before the workspace is replaced: a refused file loses
    // nothing of the work on screen.
    std::vector<Sequence> records;
    std::string error;
    std::vector<std::string> warnings;
    if (!TMainManager::readLearnPositiveFile(*path, records, error, &warnings)) {
        message(withReason(MOTIFORA_TR("Ошибка чтения из файла: ") + *path, error),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        return;
    }
    newWorkspace();
    {
        // New sequences begin a new project: a caption naming the file of the work just
        // replaced (opened or saved) gives way to a new project name, as "New Project" gives.
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (projectName != "Project" + std::to_string(projectCounter) + ".dnp") {
            ++projectCounter;
            projectName = "Project" + std::to_string(projectCounter) + ".dnp";
            updateCaption();
        }
    }
    mainManager->takeLearnPositive(std::move(records));
    samplePaths = {*path, {}, {}, {}};
    refillLearnPositive();
    btnStartSearchRules.setEnabled(true);
    btnStopSearchRules.setEnabled(true);
    btnPauseSearchRules.setEnabled(true);
    message(withWarnings(MOTIFORA_TR("Загрузка нуклеотидных последовательностей удачно завершена."),
                         warnings),
            MOTIFORA_TR("Сообщение"), MessageIcon::Information);
}

void TMainForm::mmbtnAddNegativeSequenciesClick() {
    if (!mainManager) return;
    if (!mainManager->learnPositiveLoaded) {
        message("First load postive sampling.", "Error", MessageIcon::Error);
        return;
    }
    if (mainManager->rules || mainManager->contrastRules()) {
        const DialogAnswer answer =
            message(kDataLossQuestion, "Advice", MessageIcon::Warning, MessageButtons::YesNoCancel);
        if (answer == DialogAnswer::Cancel) return;
        // A save the user asked for and did not get (dialog cancelled, file not written) stops
        // the load: going on would throw away the work the user meant to keep.
        if (answer == DialogAnswer::Yes && !saveBeforeLoss()) return;
    }
    const auto path = dialogs_.openFile(sequenceDialog("AddNegSeqsDlg"));
    if (!path) return;
    if (mainManager->loadLearnNegative(*path)) {
        samplePaths.learnNegative = *path;
        refillLearnNegative();
        mainManager->discardRules();
        RulesList.clearDataRows();
        refillContrastRules();
        showNegativeList(true);
        message(withWarnings("Loading of negative sampling is completed successfully.",
                             mainManager->lastLoadWarnings()),
                "Message", MessageIcon::Information);
    } else {
        message(withReason("Error reading from file: " + *path, mainManager->lastLoadError()),
                "Error", MessageIcon::Error);
    }
}

void TMainForm::mmbtnAddControlNegativeClick() {
    if (!mainManager) return;
    const auto path = dialogs_.openFile(sequenceDialog("AddNewSeqsDlg"));
    if (!path) return;
    if (mainManager->loadControlNegative(*path)) {
        samplePaths.controlNegative = *path;
        NewSeqsList.clearDataRows();
        refillControlNegative();
        UnlockCommands(CommandLock::All);
        btnStartBootstrap.setEnabled(true);
        btnCountRecErrors.setEnabled(false);
        if (mainManager->longControl) btnStartSearchClass.setEnabled(false);
        message(
            withWarnings(MOTIFORA_TR("Загрузка контрольных последовательностей удачно завершена."),
                         mainManager->lastLoadWarnings()),
            MOTIFORA_TR("Сообщение"), MessageIcon::Information);
    } else {
        message(withReason(MOTIFORA_TR("Не совпадает длина последовательностей или алфавит"),
                           mainManager->lastLoadError()),
                MOTIFORA_TR("Ошибка чтения из файла: ") + *path, MessageIcon::Error);
    }
}

void TMainForm::mmbtnAddControlPositiveClick() {
    if (!mainManager) return;
    if (!mainManager->controlNegativeLoaded) {
        message("First load negative control sampling.", "Error", MessageIcon::Error);
        return;
    }
    if (mainManager->searchSettings.workMode == 1 || mainManager->longControl) {
        message("Not accessible in this work mode.", "Error", MessageIcon::Error);
        return;
    }
    const auto path = dialogs_.openFile(sequenceDialog("AddNewSeqsDlg"));
    if (!path) return;
    if (mainManager->loadControlPositive(*path)) {
        samplePaths.controlPositive = *path;
        PosCtrlSeqsList.clearDataRows();
        refillControlPositive();
        if (!mmbtnVisiblePositiveControl.checked()) showPositiveControlList(true);
        message(withWarnings("Loading of control positive samplings is completed.",
                             mainManager->lastLoadWarnings()),
                MOTIFORA_TR("Сообщение"), MessageIcon::Information);
    } else {
        message(withReason("Not appropriate length or different alphabet",
                           mainManager->lastLoadError()),
                "Error reading from file: " + *path, MessageIcon::Error);
    }
}

}  // namespace motifora
