// The about box: the program's name, version and purpose, and a "Close" button.
#pragma once

#include <QDialog>

class QPushButton;

namespace motifora {

class AboutBox final : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);
    QPushButton* closeButton() const { return close_; }

  private:
    QPushButton* close_;
};

}  // namespace motifora
