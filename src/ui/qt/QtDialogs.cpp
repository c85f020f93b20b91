// The window model's dialogs shown with Qt: message boxes, file choosers, the about box, help.
#include "ui/qt/QtDialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include "ui/qt/AboutBox.h"
#include "ui/qt/HelpViewer.h"
#include "ui/qt/Language.h"

#ifndef MOTIFORA_DOCS_DIR
#define MOTIFORA_DOCS_DIR "docs"
#endif
#ifndef MOTIFORA_DATA_FROM_PROGRAM
#define MOTIFORA_DATA_FROM_PROGRAM "../share/motifora"
#endif

namespace motifora {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Shows one box and returns the answer; runs in the window's thread.
DialogAnswer showBox(QWidget* parent, const MessageRequest& request) {
    QString text, detail;
    splitMessage(shown(request.text).toStdString(), text, detail);
    QMessageBox box(boxIcon(request.icon), shown(request.caption), text, QMessageBox::NoButton,
                    parent);
    if (!request.headline.empty()) box.setInformativeText(shown(request.headline));
    if (!detail.isEmpty()) box.setDetailedText(detail);
    if (request.buttons == MessageButtons::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return DialogAnswer::Yes;
        case QMessageBox::No:
            return DialogAnswer::No;
        case QMessageBox::Cancel:
            return DialogAnswer::Cancel;
        default:
            break;
    }
    return request.buttons == MessageButtons::YesNoCancel ? DialogAnswer::Cancel : DialogAnswer::Ok;
}

}  // namespace

QString qtFileFilter(const std::string& filter) {
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed().replace(
                                                            QLatin1Char(';'), QLatin1Char(' '))
                                                      : QString();
        if (description.isEmpty() && patterns.isEmpty()) continue;
        if (patterns.isEmpty() || description.contains(QLatin1Char('(')))
            entries << (description.isEmpty() ? patterns : description);
        else
            entries << (description.isEmpty() ? patterns : description + " (" + patterns + ")");
    }
    return entries.join(";;");
}

QString shownFileFilter(const std::string& filter) {
    return qtFileFilter(shown(filter).toStdString());
}

void splitMessage(const std::string& message, QString& text, QString& detail) {
    const QString all = qs(message);
    const qsizetype newline = all.indexOf(QLatin1Char('\n'));
    if (newline < 0) {
        text = all;
        detail.clear();
    } else {
        text = all.left(newline);
        detail = all.mid(newline + 1);
    }
}

QStringList defaultManualFiles(const QString& programFolder) {
    const QDir folder(programFolder);
    return {
        folder.filePath("manual.md"),
        QDir::cleanPath(folder.filePath(QStringLiteral(MOTIFORA_DATA_FROM_PROGRAM "/manual.md"))),
        QStringLiteral(MOTIFORA_DOCS_DIR "/manual.md")};
}

QtDialogs::QtDialogs(QStringList manualFiles) : manualFiles_(std::move(manualFiles)) {
    if (manualFiles_.isEmpty())
        manualFiles_ = defaultManualFiles(QCoreApplication::applicationDirPath());
}

QtDialogs::~QtDialogs() {
    if (viewer_) delete viewer_.data();
}

DialogAnswer QtDialogs::messageBox(const MessageRequest& request) {
    QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return request.buttons == MessageButtons::YesNoCancel ? DialogAnswer::Cancel
                                                              : DialogAnswer::Ok;
    if (QThread::currentThread() != app->thread()) {
        // Never block a worker on the window: the window may be waiting for that worker.
        QPointer<QWidget> parent = parent_;
        QMetaObject::invokeMethod(
            app, [parent, request] { showBox(parent, request); }, Qt::QueuedConnection);
        return DialogAnswer::Ok;
    }
    return showBox(parent_, request);
}

std::optional<std::string> QtDialogs::chooseFile(const FileRequest& request, bool save) {
    QFileDialog dialog(parent_, shown(request.title));
    QString filters = shownFileFilter(request.filter);
    if (!request.moreFilters.empty()) filters += ";;" + qtFileFilter(request.moreFilters);
    dialog.setNameFilter(filters);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setObjectName(qs(request.dialog));
    if (!request.initialFolder.empty())
        dialog.setDirectory(QDir(qs(request.initialFolder)).absolutePath());
    if (!request.defaultName.empty()) dialog.selectFile(qs(request.defaultName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(files.first()).toStdString();
}

std::optional<std::string> QtDialogs::openFile(const FileRequest& request) {
    return chooseFile(request, false);
}

std::optional<std::string> QtDialogs::saveFile(const FileRequest& request) {
    return chooseFile(request, true);
}

void QtDialogs::showAbout() {
    AboutBox box(parent_);
    box.exec();
}

QString QtDialogs::manualPath() const {
    for (const QString& file : manualFiles_)
        if (QFileInfo(file).isFile()) return QFileInfo(file).absoluteFilePath();
    return {};
}

LaunchFailure QtDialogs::launch(const std::string& program, const std::string& argument) {
    if (program != "hh.exe") return Dialogs::launch(program, argument);
    const QString manual = manualPath();
    if (manual.isEmpty()) return LaunchFailure::NotFound;
    if (!viewer_) viewer_ = new HelpViewer(nullptr);
    // A manual that is there but cannot be read is refused like a file without permission.
    if (!viewer_->load(manual)) return LaunchFailure::AccessDenied;
    viewer_->show();
    viewer_->raise();
    viewer_->activateWindow();
    return LaunchFailure::None;
}

}  // namespace motifora
