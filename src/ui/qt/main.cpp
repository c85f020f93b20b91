// The Motifora workbench: the main window over the window model, with real dialogs.
#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "ui/model/TMainForm.h"
#include "ui/qt/Application.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtDialogs.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    motifora::setUpApplication(app);
    try {
        motifora::QtDialogs dialogs;
        motifora::TMainForm form(dialogs);
        motifora::MainWindow window(form);
        dialogs.setParentWidget(&window);
        // Closing the main window ends the program, also while the manual is open.
        QObject::connect(&window, &motifora::MainWindow::closed, &app, &QApplication::quit,
                         Qt::QueuedConnection);
        window.showMaximized();
        return app.exec();
    } catch (const std::exception& error) {
        // An exception that reaches the event loop ends the program with its message.
        QMessageBox::critical(nullptr, "Motiforas", QString::fromStdString(error.what()));
        return 1;
    }
}
