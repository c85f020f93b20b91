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

}  // namespace

bool TMainForm::requestClose() {
    if (!mainManager) return true;
    if (mainManager->unsavedWork()) {
        const DialogAnswer answer = message(kSaveQuestion, MOTIFORA_TR("Подсказка"),
                                            MessageIcon::Warning, MessageButtons::YesNoCancel);
        if (answer == DialogAnswer::Cancel) return false;
        if (answer == DialogAnswer::Yes) {
            mainManager->shutdownWorker();
            if (!saveProject()) return false;
        }
    }
    mainManager->shutdownWorker();
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
    std::string error;
    if (!readProjectFile(path, error)) {
        message(
            MOTIFORA_TR("Ошибка чтения из файла: ") + path + (error.empty() ? "" : "\n" + error),
            MOTIFORA_TR("Ошибка"), MessageIcon::Error);
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
    if (mainManager->modified && !mainManager->openedFromProject) return saveProjectAs();
    std::string error;
    if (!writeProjectFile(projectName, error)) {
        message(MOTIFORA_TR("Ошибка записи в файл:") + projectName +
                    (error.empty() ? "" : "\n" + error),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error);
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
    std::string error;
    if (!writeProjectFile(path, error)) {
        message(MOTIFORA_TR("Ошибка записи в файл:") + path + (error.empty() ? "" : "\n" + error),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error);
        return false;
    }
    recentProjects.add(path);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    projectName = path;
    updateCaption();
    return true;
}

void TMainForm::SaveAsText1Click() {
    if (!mainManager) return;
    FileRequest request;
    request.dialog = "SaveAsTextDlg";
    request.filter = "DNA Project (*.txt)|*.txt";
    request.title = "Saving Relsults As Text";
    request.defaultName = "Project1.txt";
    const auto chosen = dialogs_.saveFile(request);
    if (!chosen) return;
    const std::string path = WithExtension(*chosen, ".txt");
    std::string error;
    if (!writeTextExport(path, error))
        message(MOTIFORA_TR("Ошибка записи в файл:") + path + (error.empty() ? "" : "\n" + error),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error);
}

void TMainForm::btnSaveProjectClick() { SaveRecErrBtnClick(); }

void TMainForm::SaveRecErrBtnClick() {
    if (!mainManager) return;
    FileRequest request;
    request.dialog = "SaveRecCount";
    request.filter = "DNA Project (*.html)|*.html";
    request.title = "Saving Relsults of Erro Count As HTML";
    request.defaultName = "Project1.html";
    const auto chosen = dialogs_.saveFile(request);
    if (!chosen) return;
    const std::string path = WithExtension(*chosen, ".html");
    std::string error;
    if (!writeResultsReport(path, error))
        message(MOTIFORA_TR("Ошибка записи в файл:") + path + (error.empty() ? "" : "\n" + error),
                MOTIFORA_TR("Ошибка"), MessageIcon::Error);
}

}  // namespace motifora
