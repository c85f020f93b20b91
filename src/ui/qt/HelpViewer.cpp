// The window that shows the user manual.
#include "ui/qt/HelpViewer.h"

#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace motifora {

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("HelpViewer");
    setWindowTitle("Motifora Help");
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(900, 800);
}

bool HelpViewer::load(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QString text = QString::fromUtf8(in.readAll());
    // Pictures and links of the manual are relative to its folder.
    browser_->setSearchPaths({QFileInfo(file).absolutePath()});
    browser_->document()->setBaseUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath() + "/"));
    browser_->setMarkdown(text);
    return true;
}

}  // namespace motifora
