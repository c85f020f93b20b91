// The "Error Recognition Properties" window: which samples the error counting reads.
#pragma once

#include <QDialog>
#include <functional>

class QPushButton;

namespace motifora {

class ControlBinder;
class RadioGroupBox;
class TErrRecForm;

// Modal. The model shows it through its `modalLoop` hook, which this dialog takes over for its
// lifetime: the hook runs the dialog until "OK" (or the window's close box) closes it.
class ErrRecDialog final : public QDialog {
    Q_OBJECT
  public:
    // `repaint` brings the bound widgets up to date (the main window's repaint).
    ErrRecDialog(TErrRecForm& model, ControlBinder& binder, std::function<void()> repaint,
                 QWidget* parent = nullptr);
    ~ErrRecDialog() override;

    RadioGroupBox* positiveGroup() const { return positive_; }
    RadioGroupBox* negativeGroup() const { return negative_; }
    QPushButton* okButton() const { return ok_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    TErrRecForm& model_;
    std::function<void()> repaint_;
    RadioGroupBox* positive_;
    RadioGroupBox* negative_;
    QPushButton* ok_;
};

}  // namespace motifora
