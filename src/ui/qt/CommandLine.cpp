// The workbench program's command line: "motifora [PROJECT.dnp]", with --help and --version.
#include "ui/qt/CommandLine.h"

#include <QCommandLineParser>
#include <QFile>
#include <QStringList>
#include <QTimer>

#include "ui/model/TMainForm.h"

namespace motifora {

void describeWindowCommandLine(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        "Motifora: finds regularities in aligned DNA sequences and recognises sequences by them.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("project", "A project file (.dnp) to open.", "[project.dnp]");
}

QString startupProject(const QCommandLineParser& parser) {
    const QStringList names = parser.positionalArguments();
    return names.isEmpty() ? QString() : names.first();
}

void openStartupProject(const QCommandLineParser& parser, TMainForm& form, QObject* context) {
    const QString project = startupProject(parser);
    if (project.isEmpty()) return;
    // The model takes file names as the system spells them (QFile::encodeName).
    const std::string path = QFile::encodeName(project).toStdString();
    QTimer::singleShot(0, context, [&form, path] { form.openProject(path); });
}

}  // namespace motifora
