// The window that shows the user manual.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace motifora {

// A plain reader for the manual (Markdown, with pictures beside it); it stays open beside the
// main window and never blocks it.
class HelpViewer final : public QWidget {
    Q_OBJECT
  public:
    explicit HelpViewer(QWidget* parent = nullptr);
    // Shows the manual in `file`; returns false (and shows nothing new) when it cannot be read.
    bool load(const QString& file);
    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_;
};

}  // namespace motifora
