// The "Cross-validation" window: folds, seed and level rule, the run's buttons and progress, the
// ROC chart with the AUC and operating point, the score histograms with the level line, the
// error table and "Use this level".
#pragma once

#include "ui/qt/HidingWindow.h"

namespace motifora {

class ControlBinder;
class TCrossValForm;

// Not modal; shown and hidden by the model (the close box hides it; the menu shows it again).
// Clicks go through `command`.
class CrossValidationWindow final : public HidingWindow {
    Q_OBJECT
  public:
    CrossValidationWindow(TCrossValForm& model, ControlBinder& binder, Command command,
                          QWidget* parent = nullptr);
};

}  // namespace motifora
