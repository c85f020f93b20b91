// Application-wide set-up shared by the workbench and the screenshot tour.
#include "ui/qt/Application.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace motifora {

void setUpApplication(QApplication& app) {
    QApplication::setApplicationName("Motiforas");
    // Where QSettings keeps the recent projects and the language between runs.
    QApplication::setOrganizationName("Motifora");
    // Russian texts need Cyrillic glyphs.
    const QFont current = app.font();
    if (QFontDatabase::writingSystems(current.family()).contains(QFontDatabase::Cyrillic)) return;
    const QStringList families = QFontDatabase::families(QFontDatabase::Cyrillic);
    for (const QString& family : families) {
        if (family.contains("Sans", Qt::CaseInsensitive) &&
            !family.contains("Mono", Qt::CaseInsensitive)) {
            app.setFont(QFont(family, current.pointSize()));
            return;
        }
    }
    if (!families.isEmpty()) app.setFont(QFont(families.first(), current.pointSize()));
}

}  // namespace motifora
