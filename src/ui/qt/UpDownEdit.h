// An edit with an up-down control that keeps whatever the user types.
#pragma once

#include <QAbstractSpinBox>
#include <cstdint>
#include <string>

#include "ui/model/Controls.h"

class QLineEdit;

namespace motifora {

class ControlBinder;

// Returns the edit text after `steps` clicks on an up-down (negative = down): the whole number
// in `text` (or `position` when the text holds none) moved by `steps` and held within
// minimum .. maximum, in decimal. Never fails.
std::string stepUpDownText(const std::string& text, int32_t minimum, int32_t maximum,
                           int32_t position, int steps);

// A spin box that accepts any text. The window's checks, not the widget, judge what was typed,
// so every "invalid value" message of the start commands stays reachable; the arrows step a
// whole number within the up-down's range. Every change goes straight into the model's edit.
class UpDownEdit final : public QAbstractSpinBox {
    Q_OBJECT
  public:
    UpDownEdit(TextControl& edit, const UpDown& upDown, QWidget* parent = nullptr);

    QLineEdit* edit() const { return lineEdit(); }
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void stepBy(int steps) override;

  protected:
    StepEnabled stepEnabled() const override;

  private:
    TextControl& model_;
    const UpDown& upDown_;
};

// A new UpDownEdit named `name` over `edit` and `upDown`, its text and state kept in step with
// the model's edit by `binder`.
UpDownEdit* boundUpDownEdit(TextControl& edit, const UpDown& upDown, ControlBinder& binder,
                            const char* name);

}  // namespace motifora
