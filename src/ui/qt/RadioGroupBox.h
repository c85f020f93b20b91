// A titled group of radio buttons mirroring one radio group of the window model.
#pragma once

#include <QGroupBox>
#include <functional>
#include <vector>

#include "ui/model/Controls.h"

class QRadioButton;

namespace motifora {

class ControlBinder;

// Shows the group's caption and items; the model's selection, enabled state and visibility are
// painted through `binder`. A click on item i calls `choose(i)`; the check mark follows the
// model at the next repaint, so the model alone decides what is selected. The items are named
// `<name>Item0`, `<name>Item1`, ...
class RadioGroupBox final : public QGroupBox {
    Q_OBJECT
  public:
    RadioGroupBox(const RadioGroup& group, ControlBinder& binder, const char* name,
                  std::function<void(int32_t)> choose, QWidget* parent = nullptr);
    QRadioButton* item(int index) const;

  private:
    std::vector<QRadioButton*> items_;
};

}  // namespace motifora
