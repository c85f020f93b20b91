// The "Bootstreap Control" window: the bootstrap's entries, run buttons, results and averages.
#pragma once

#include "ui/qt/HidingWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace motifora {

class ControlBinder;
class TBootStrCtrl;
class UpDownEdit;

// Not modal; it stays on top of the main window and is shown and hidden by the model (the close
// box hides it; "Bootstrap" shows it again). Clicks go through `command`.
class BootstrapWindow final : public HidingWindow {
    Q_OBJECT
  public:
    BootstrapWindow(TBootStrCtrl& model, ControlBinder& binder, Command command,
                    QWidget* parent = nullptr);
};

}  // namespace motifora
