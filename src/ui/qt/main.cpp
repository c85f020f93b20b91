// The Motifora workbench: the main window over the window model, with real dialogs.
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>
#include <exception>

#include "ui/model/TMainForm.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/QtDialogs.h"

namespace {

// Russian texts need Cyrillic glyphs: keep the system font when it has them, else take a
// font that does.
void chooseFont(QApplication& app) {
    const QFont current = app.font();
    if (QFontDatabase::writingSystems(current.family()).contains(QFontDatabase::Cyrillic)) return;
    for (const QString& family : QFontDatabase::families(QFontDatabase::Cyrillic)) {
        if (family.contains("Sans", Qt::CaseInsensitive)) {
            QFont font(family, current.pointSize());
            app.setFont(font);
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Motiforas");
    chooseFont(app);

    try {
        motifora::QtDialogs dialogs;
        motifora::TMainForm form(dialogs);
        motifora::MainWindow window(form);
        dialogs.setParentWidget(&window);
        window.showMaximized();
        return app.exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, "Motiforas", QString::fromStdString(error.what()));
        return 1;
    }
}
