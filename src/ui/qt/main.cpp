// The Motifora workbench: the main window over the window model, with real dialogs.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QMessageBox>
#include <exception>

#include "ui/model/TMainForm.h"
#include "ui/qt/Application.h"
#include "ui/qt/CommandLine.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtDialogs.h"
#include "version/Version.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    motifora::setUpApplication(app);
    QApplication::setApplicationVersion(QString::fromStdString(motifora::versionText()));
    // Lets the desktop match the window to motifora.desktop (its icon and name).
    QGuiApplication::setDesktopFileName("motifora");
    QApplication::setWindowIcon(QIcon::fromTheme("motifora"));
    QCommandLineParser parser;
    motifora::describeWindowCommandLine(parser);
    parser.process(app);
    try {
        motifora::QtDialogs dialogs;
        motifora::TMainForm form(dialogs);
        motifora::MainWindow window(form);
        dialogs.setParentWidget(&window);
        // Closing the main window ends the program, also while the manual is open.
        QObject::connect(&window, &motifora::MainWindow::closed, &app, &QApplication::quit,
                         Qt::QueuedConnection);
        window.showMaximized();
        // A project named on the command line (a double click on a ".dnp") opens as
        // "Open Project..." opens it.
        motifora::openStartupProject(parser, form, &window);
        return app.exec();
    } catch (const std::exception& error) {
        // An exception that reaches the event loop ends the program with its message.
        QMessageBox::critical(nullptr, "Motiforas", QString::fromStdString(error.what()));
        return 1;
    }
}
