// The window model's dialogs shown with Qt: message boxes, file choosers, the about box, help.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <string>

#include "ui/model/Dialogs.h"
#include "ui/qt/HelpViewer.h"

class QWidget;

namespace motifora {

// Converts a file filter of the "Description (*.ext)|*.ext|..." form into Qt's
// "Description (*.ext);;..." form. A description that does not already name its patterns gets
// them in parentheses; a lone description without a pattern is kept as it is.
QString qtFileFilter(const std::string& filter);
// qtFileFilter of `filter` in the current language (English names the files' kind where the
// program's own words call every kind "DNA Project").
QString shownFileFilter(const std::string& filter);

// Splits a model message into the box's text (the first line) and its detailed text (the rest,
// the reason the model gives for a failure), so that the box keeps the system's own words and
// the reason is one click away.
void splitMessage(const std::string& message, QString& text, QString& detail);

// Where the help command looks for the user manual of the program in `programFolder`, in
// order: beside the program (a build folder), in the installed data folder found relative to it
// (bin/../share/motifora, so an installed tree can be moved as a whole), and in the source
// tree's docs/.
QStringList defaultManualFiles(const QString& programFolder);

// Real dialogs for the window model. Message boxes asked for from a worker thread cannot be
// shown there; they are queued to the window's thread and answered Ok at once (the workers
// only ever show one-button boxes and never read the answer).
class QtDialogs : public Dialogs {
  public:
    // `manualFiles`: where the user manual may lie, tried in order; the first that exists is
    // shown by the help command. Empty: defaultManualFiles() of the running program.
    explicit QtDialogs(QStringList manualFiles = {});
    ~QtDialogs() override;

    // The window the boxes and choosers are centred on.
    void setParentWidget(QWidget* parent) { parent_ = parent; }

    DialogAnswer messageBox(const MessageRequest& request) override;
    std::optional<std::string> openFile(const FileRequest& request) override;
    std::optional<std::string> saveFile(const FileRequest& request) override;
    void showAbout() override;
    // The help viewer of the system is the built-in manual viewer: "hh.exe" with the help file
    // shows the manual; a missing manual is reported as a file that was not found. Any other
    // program is started as the base class does.
    LaunchFailure launch(const std::string& program, const std::string& argument) override;

    // The manual that the help command shows, or an empty string when none is found.
    QString manualPath() const;
    // The open help viewer (null when none was opened).
    HelpViewer* helpViewer() const { return viewer_; }

  private:
    std::optional<std::string> chooseFile(const FileRequest& request, bool save);

    QPointer<QWidget> parent_;
    QStringList manualFiles_;
    QPointer<HelpViewer> viewer_;
};

}  // namespace motifora
