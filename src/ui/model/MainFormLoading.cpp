// The four sample loads of the "Source" and "Control" menus.
#include <optional>

#include "core/SEQStorage.h"
#include "core/Translatable.h"
#include "genome/SampleFile.h"
#include "rules/RulesStorage.h"
#include "ui/model/LoadHeadlines.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

// The choices a sample's file dialog offers after the ".seq" filter.
const char* const kSampleFilters =
    "Sequences and FASTA (*.seq *.fa *.fasta *.fna *.fas *.gz)|*.seq;*.fa;*.fasta;*.fna;*.fas;*.gz|"
    "All files (*)|*";

const char* const kDataLossQuestion = MOTIFORA_TR(
    "После загрузки новых исходных последовательностей, текущие данные будут потеряны. Хотите "
    "сохранить проект?");

FileRequest sequenceDialog(const char* name) {
    FileRequest request;
    request.dialog = name;
    request.filter = "Sequences (*.seq)|*.seq";
    request.moreFilters = kSampleFilters;
    return request;
}

// The text of a failed load: the command's own words, then why the file was refused.
std::string withReason(const std::string& text, const Status& refusal) {
    return refusal.message.empty() ? text : text + "\n" + refusal.message;
}

// A success message with what the reader noticed below it (shown as the box's details).
std::string withWarnings(const std::string& text, const std::vector<std::string>& warnings) {
    std::string out = text;
    for (const std::string& warning : warnings) out += "\n" + warning;
    return out;
}

// The boxes that close a load of the workspace: its success (the reader's warnings below the
// text) and its refusal (the reason below the text).
struct LoadBoxes {
    std::string doneText, doneCaption;
    std::string refusedText, refusedCaption;
};

// The first line of a refusal's reason, which names the file and what is wrong with it.
std::string refusalHeadline(const Status& refusal) {
    return refusal.message.substr(0, refusal.message.find('\n'));
}

// Shows the box of the load's outcome `status` (on success `headline` says what was done to the
// data, on failure the reason is the headline); returns whether the load succeeded.
bool reportLoad(TMainForm& form, const Status& status, const LoadBoxes& boxes,
                const std::string& headline = {}) {
    if (status) {
        form.message(withWarnings(boxes.doneText, form.mainManager->lastLoadWarnings()),
                     boxes.doneCaption, MessageIcon::Information, MessageButtons::Ok, headline);
    } else {
        form.message(withReason(boxes.refusedText, status), boxes.refusedCaption,
                     MessageIcon::Error, MessageButtons::Ok, refusalHeadline(status));
    }
    return status.ok;
}

// A control sample chosen in the "AddNewSeqsDlg" chooser and loaded by `load`: its path, the
// load's outcome and, on success, what was cut of its records (`records` is the sample the load
// fills). Nothing when the chooser was cancelled.
struct ControlLoad {
    std::string path;
    Status status;
    std::string headline;
};
std::optional<ControlLoad> loadControlSample(TMainForm& form,
                                             Status (TMainManager::*load)(const std::string&),
                                             const std::vector<Sequence>& (TMainManager::*records)()
                                                 const) {
    const auto path = form.dialogs().openFile(sequenceDialog("AddNewSeqsDlg"));
    if (!path) return std::nullopt;
    TMainManager& m = *form.mainManager;
    ControlLoad loaded{*path, (m.*load)(*path), {}};
    if (loaded.status)
        loaded.headline = cutRecordsHeadline(m.lastLoadRead(), (m.*records)().size());
    return loaded;
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
    std::vector<std::string> warnings;
    SampleRead sampleRead;
    const Status read = TMainManager::readLearnPositiveFile(*path, records, &warnings, &sampleRead);
    if (!read) {
        message(withReason(MOTIFORA_TR("Ошибка чтения из файла: ") + *path, read),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error, MessageButtons::Ok,
                refusalHeadline(read));
        return;
    }
    std::string headline = cutRecordsHeadline(sampleRead, records.size());
    if (btnFixedPositionsRadio.checked())
        addHeadlineLine(headline, shorterPositivesHeadline(records));
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
            MOTIFORA_TR("Сообщение"), MessageIcon::Information, MessageButtons::Ok, headline);
}

void TMainForm::mmbtnAddNegativeSequenciesClick() {
    if (!mainManager) return;
    if (!mainManager->learnPositiveLoaded()) {
        message("First load postive sampling.", "Error", MessageIcon::Error);
        return;
    }
    if (!mayReplaceLearnNegative()) return;
    const auto path = dialogs_.openFile(sequenceDialog("AddNegSeqsDlg"));
    if (!path) return;
    loadLearnNegativeFrom(*path);
}

bool TMainForm::mayReplaceLearnNegative() {
    if (mainManager->rules() || mainManager->contrastRules()) {
        const DialogAnswer answer =
            message(kDataLossQuestion, "Advice", MessageIcon::Warning, MessageButtons::YesNoCancel);
        if (answer == DialogAnswer::Cancel) return false;
        // A save the user asked for and did not get (dialog cancelled, file not written) stops
        // the load: going on would throw away the work the user meant to keep.
        if (answer == DialogAnswer::Yes && !saveBeforeLoss()) return false;
    }
    return true;
}

void TMainForm::loadLearnNegativeFrom(const std::string& path) {
    const Status status = mainManager->loadLearnNegative(path);
    std::string headline;
    if (status) {
        headline =
            cutRecordsHeadline(mainManager->lastLoadRead(), mainManager->learnNegative().size());
        if (btnFixedPositionsRadio.checked())
            addHeadlineLine(headline, shorterNegativesHeadline(mainManager->learnPositive(),
                                                               mainManager->learnNegative()));
        samplePaths.learnNegative = path;
        refillLearnNegative();
        mainManager->discardRules();
        RulesList.clearDataRows();
        refillContrastRules();
        showNegativeList(true);
    }
    reportLoad(*this, status,
               {"Loading of negative sampling is completed successfully.", "Message",
                "Error reading from file: " + path, "Error"},
               headline);
}

void TMainForm::mmbtnAddControlNegativeClick() {
    if (!mainManager) return;
    const auto loaded = loadControlSample(*this, &TMainManager::loadControlNegative,
                                          &TMainManager::controlNegative);
    if (!loaded) return;
    if (loaded->status) {
        samplePaths.controlNegative = loaded->path;
        NewSeqsList.clearDataRows();
        refillControlNegative();
        UnlockCommands(CommandLock::All);
        btnStartBootstrap.setEnabled(true);
        btnCountRecErrors.setEnabled(false);
        if (mainManager->longControl()) btnStartSearchClass.setEnabled(false);
    }
    reportLoad(*this, loaded->status,
               {MOTIFORA_TR("Загрузка контрольных последовательностей удачно завершена."),
                MOTIFORA_TR("Сообщение"),
                MOTIFORA_TR("Не совпадает длина последовательностей или алфавит"),
                MOTIFORA_TR("Ошибка чтения из файла: ") + loaded->path},
               loaded->headline);
}

void TMainForm::mmbtnAddControlPositiveClick() {
    if (!mainManager) return;
    if (!mainManager->controlNegativeLoaded()) {
        message("First load negative control sampling.", "Error", MessageIcon::Error);
        return;
    }
    if (mainManager->searchSettings().shiftPositions() || mainManager->longControl()) {
        message("Not accessible in this work mode.", "Error", MessageIcon::Error);
        return;
    }
    const auto loaded = loadControlSample(*this, &TMainManager::loadControlPositive,
                                          &TMainManager::controlPositive);
    if (!loaded) return;
    if (loaded->status) {
        samplePaths.controlPositive = loaded->path;
        PosCtrlSeqsList.clearDataRows();
        refillControlPositive();
        if (!mmbtnVisiblePositiveControl.checked()) showPositiveControlList(true);
    }
    reportLoad(*this, loaded->status,
               {"Loading of control positive samplings is completed.", MOTIFORA_TR("Сообщение"),
                "Not appropriate length or different alphabet",
                "Error reading from file: " + loaded->path},
               loaded->headline);
}

}  // namespace motifora
