// The "File" commands: new project, open, save, save as, text export and the HTML save.
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

// A chosen name keeps its extension only when it ends exactly (case included) in `extension`.
std::string withExtension(const std::string& name, const std::string& extension) {
    if (name.size() >= extension.size() &&
        name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
        return name;
    return name + extension;
}

// Asks whether to save unsaved work first. Returns false when the user cancels.
bool askToSave(TMainForm& form) {
    if (!form.mainManager->unsavedWork()) return true;
    const DialogAnswer answer = form.message("Сохранить текущий проект?", "Подсказка",
                                             MessageIcon::Warning, MessageButtons::YesNoCancel);
    if (answer == DialogAnswer::Cancel) return false;
    if (answer == DialogAnswer::Yes) form.mmbtnSaveProjectClick();
    return true;
}

}  // namespace

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
    newWorkspace();
    FileRequest request;
    request.dialog = "OpenProjectDlg";
    request.filter = "DNA Project (*.dnp)|*.dnp";
    request.initialFolder = ".";
    const auto path = dialogs_.openFile(request);
    if (!path) return;
    std::string error;
    if (!readProjectFile(*path, error)) {
        message("Ошибка чтения из файла: " + *path + (error.empty() ? "" : "\n" + error),
                "Ошибка", MessageIcon::Error);
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    projectName = *path;
    updateCaption();
}

void TMainForm::mmbtnSaveProjectClick() {
    if (!mainManager) return;
    if (mainManager->modified && !mainManager->openedFromProject) {
        mmbtnSaveProjectAsClick();
        return;
    }
    std::string error;
    if (!writeProjectFile(projectName, error))
        message("Ошибка записи в файл:" + projectName + (error.empty() ? "" : "\n" + error),
                "Ошибка", MessageIcon::Error);
}

void TMainForm::mmbtnSaveProjectAsClick() {
    if (!mainManager) return;
    FileRequest request;
    request.dialog = "SaveProjectDlg";
    request.filter = "DNA Project (*.dnp)|*.dnp";
    request.title = "Сохранение проекта";
    request.defaultName = projectName;
    request.initialFolder = ".";
    const auto chosen = dialogs_.saveFile(request);
    if (!chosen) return;
    const std::string path = withExtension(*chosen, ".dnp");
    std::string error;
    if (!writeProjectFile(path, error)) {
        message("Ошибка записи в файл:" + path + (error.empty() ? "" : "\n" + error), "Ошибка",
                MessageIcon::Error);
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    projectName = path;
    updateCaption();
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
    const std::string path = withExtension(*chosen, ".txt");
    std::string error;
    if (!writeTextExport(path, error))
        message("Ошибка записи в файл:" + path + (error.empty() ? "" : "\n" + error), "Ошибка",
                MessageIcon::Error);
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
    const std::string path = withExtension(*chosen, ".html");
    std::string error;
    if (!writeResultsReport(path, error))
        message("Ошибка записи в файл:" + path + (error.empty() ? "" : "\n" + error), "Ошибка",
                MessageIcon::Error);
}

}  // namespace motifora
