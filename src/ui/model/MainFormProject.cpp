// The "File" commands: new project, open, save, save as, text export and the HTML save.
#include "core/Translatable.h"
#include "io/SafeFile.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

constexpr const char* kSaveQuestion = MOTIFORA_TR("Сохранить текущий проект?");

// Asks whether to save unsaved work first. Returns false when the user cancels, and when the
// user asked for the save and it was not made (the dialog cancelled, or the file could not be
// written): going on would throw away the work the user meant to keep.
bool askToSave(TMainForm& form) {
    if (!form.mainManager->unsavedWork()) return true;
    const DialogAnswer answer = form.message(kSaveQuestion, MOTIFORA_TR("Подсказка"),
                                             MessageIcon::Warning, MessageButtons::YesNoCancel);
    if (answer == DialogAnswer::Cancel) return false;
    if (answer == DialogAnswer::Yes) return form.saveProject();
    return true;
}

// The error box of a file command that could not read or write `path`: `words` (kReadFailure
// or kWriteFailure), the file, and why below them.
void reportFileFailure(TMainForm& form, const char* words, const std::string& path,
                       const Status& status) {
    form.message(words + path + (status.message.empty() ? "" : "\n" + status.message),
                 MOTIFORA_TR("Ошибка"), MessageIcon::Error);
}

const char* const kReadFailure = MOTIFORA_TR("Ошибка чтения из файла: ");
const char* const kWriteFailure = MOTIFORA_TR("Ошибка записи в файл:");

// The two "save results" commands: the chooser (offering the project's own name, "Project1"
// until the project is saved under another, with `extension`), the chosen name given
// `extension` when it has none, then `write` to it; a refused write shows why.
void saveResultsAs(TMainForm& form, const char* dialog, const std::string& filter,
                   const std::string& title, const char* extension,
                   Status (TMainForm::*write)(const std::string&)) {
    if (!form.mainManager) return;
    FileRequest request;
    request.dialog = dialog;
    request.filter = filter;
    request.title = title;
    request.defaultName = resultsFileName(form.projectName, extension);
    const auto chosen = form.dialogs().saveFile(request);
    if (!chosen) return;
    const std::string path = WithExtension(*chosen, extension);
    const Status status = (form.*write)(path);
    if (!status) reportFileFailure(form, kWriteFailure, path, status);
}

}  // namespace

std::string resultsFileName(const std::string& projectName, const std::string& extension) {
    constexpr std::string_view kProject = ".dnp";
    const bool named =
        projectName.size() > kProject.size() &&
        projectName.compare(projectName.size() - kProject.size(), kProject.size(), kProject) == 0;
    return (named ? projectName.substr(0, projectName.size() - kProject.size()) : projectName) +
           extension;
}

bool TMainForm::requestClose() {
    if (!mainManager) return true;
    const auto stopForClose = [this] {
        if (mainManager->isRunning() || mainManager->isPaused()) {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            stoppedByClose_ = true;
        }
        mainManager->shutdownWorker();
    };
    if (mainManager->unsavedWork()) {
        const DialogAnswer answer = message(kSaveQuestion, MOTIFORA_TR("Подсказка"),
                                            MessageIcon::Warning, MessageButtons::YesNoCancel);
        if (answer == DialogAnswer::Cancel) return false;
        if (answer == DialogAnswer::Yes) {
            stopForClose();
            if (!saveProject()) return false;
        }
    }
    stopForClose();
    mainManager.reset();
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    closed_ = true;
    return true;
}

void TMainForm::mmbtnNewProjectClick() {
    if (!mainManager) return;
    if (!askToSave(*this)) return;
    newWorkspace();
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ++projectCounter;
    projectName = "Project" + std::to_string(projectCounter) + ".dnp";
    updateCaption();
}

void TMainForm::mmbtnOpenProjectClick() {
    if (!mainManager) return;
    if (!askToSave(*this)) return;
    // The workspace is replaced only once the chosen file has been read whole (readProjectFile):
    // a cancelled dialog or a refused file leaves the work as it was.
    FileRequest request;
    request.dialog = "OpenProjectDlg";
    request.filter = "DNA Project (*.dnp)|*.dnp";
    request.initialFolder = ".";
    const auto path = dialogs_.openFile(request);
    if (!path) return;
    openProject(*path);
}

bool TMainForm::openProject(const std::string& path) {
    return adoptProjectFile(path, readProjectFile(path), kReadFailure);
}

bool TMainForm::adoptProjectFile(const std::string& path, const Status& done, const char* words) {
    if (!done) {
        reportFileFailure(*this, words, path, done);
        return false;
    }
    recentProjects.add(path);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    projectName = path;
    updateCaption();
    return true;
}

void TMainForm::openRecentProject(const std::string& path) {
    if (!mainManager) return;
    if (!askToSave(*this)) return;
    if (!openProject(path)) recentProjects.remove(path);
}

void TMainForm::mmbtnSaveProjectClick() { saveProject(); }

bool TMainForm::saveProject() {
    if (!mainManager) return false;
    if (mainManager->modified() && !mainManager->openedFromProject()) return saveProjectAs();
    const Status status = writeProjectFile(projectName);
    if (!status) {
        reportFileFailure(*this, kWriteFailure, projectName, status);
        return false;
    }
    recentProjects.add(projectName);
    return true;
}

void TMainForm::mmbtnSaveProjectAsClick() { saveProjectAs(); }

bool TMainForm::saveProjectAs() {
    if (!mainManager) return false;
    FileRequest request;
    request.dialog = "SaveProjectDlg";
    request.filter = "DNA Project (*.dnp)|*.dnp";
    request.title = MOTIFORA_TR("Сохранение проекта");
    request.defaultName = projectName;
    request.initialFolder = ".";
    const auto chosen = dialogs_.saveFile(request);
    if (!chosen) return false;
    const std::string path = WithExtension(*chosen, ".dnp");
    return adoptProjectFile(path, writeProjectFile(path), kWriteFailure);
}

void TMainForm::SaveAsText1Click() {
    saveResultsAs(*this, "SaveAsTextDlg", MOTIFORA_TR("DNA Project (*.txt)|*.txt"),
                  MOTIFORA_TR("Saving Relsults As Text"), ".txt", &TMainForm::writeTextExport);
}

void TMainForm::btnSaveProjectClick() { SaveRecErrBtnClick(); }

void TMainForm::SaveRecErrBtnClick() {
    saveResultsAs(*this, "SaveRecCount", MOTIFORA_TR("DNA Project (*.html)|*.html"),
                  MOTIFORA_TR("Saving Relsults of Erro Count As HTML"), ".html",
                  &TMainForm::writeResultsReport);
}

}  // namespace motifora
