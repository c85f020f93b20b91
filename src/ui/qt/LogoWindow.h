// The "Sequence Logos" window: the logo of the learning sample and of each class with enough
// members, each letter as tall as the bits it carries at its position.
#pragma once

#include <QWidget>

#include "ui/model/SequenceLogo.h"
#include "ui/model/TMainForm.h"
#include "ui/qt/HidingWindow.h"

class QLabel;
class QVBoxLayout;

namespace motifora {

class ControlBinder;

// Paints one logo: a bits axis on the left, positions along the bottom, each position's letters
// stacked from the least to the most frequent.
class LogoWidget final : public QWidget {
    Q_OBJECT
  public:
    explicit LogoWidget(SequenceLogo logo, QWidget* parent = nullptr);
    const SequenceLogo& logo() const { return logo_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The rectangle letter `index` (from the bottom) of position `column` fills; empty for a
    // letter of no height.
    QRectF letterRect(int column, int index) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRectF plot() const;

    SequenceLogo logo_;
};

// Not modal; shown and hidden by the model's SequenceLogos (the close box hides it there).
class LogoWindow final : public HidingWindow {
    Q_OBJECT
  public:
    LogoWindow(ValueControl<TMainForm::Logos>& model, ControlBinder& binder,
               QWidget* parent = nullptr);

  private:
    QVBoxLayout* logos_ = nullptr;
    QLabel* note_ = nullptr;
};

// The colour a logo draws `letter` in (A green, C blue, G orange, T and U red, others grey).
QColor logoColour(char letter);

}  // namespace motifora
