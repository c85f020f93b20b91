// The workbench program's command line: "motifora [PROJECT.dnp]", with --help and --version.
#pragma once

#include <QString>

class QCommandLineParser;
class QObject;

namespace motifora {

class TMainForm;

// Describes the window program's options to `parser`: --help, --version and one optional
// project file, which is what the desktop entry passes when the user opens a ".dnp" from the
// file manager.
void describeWindowCommandLine(QCommandLineParser& parser);

// The project file to open at start-up named on a parsed command line, or an empty string.
// Further names are ignored: one window shows one project.
QString startupProject(const QCommandLineParser& parser);

// Opens the start-up project of a parsed command line, if one is named, through the form's
// "Open Project..." read step, as soon as the event loop runs (so that a refusal is shown over
// the window); nothing happens if `context` (the window) is gone by then.
void openStartupProject(const QCommandLineParser& parser, TMainForm& form, QObject* context);

}  // namespace motifora
