// The "Cross-validation" window: folds, seed and level rule, the run's buttons and progress, the
// ROC chart with the AUC and operating point, the score histograms with the level line, the
// error table and "Use this level".
#pragma once

#include <QWidget>
#include <functional>

namespace motifora {

class ControlBinder;
class TCrossValForm;

// Not modal; shown and hidden by the model. Clicks go through `command` (the main window's
// handler runner, which repaints afterwards).
class CrossValidationWindow final : public QWidget {
    Q_OBJECT
  public:
    using Command = std::function<void(const std::function<void()>&)>;
    CrossValidationWindow(TCrossValForm& model, ControlBinder& binder, Command command,
                          QWidget* parent = nullptr);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    TCrossValForm& model_;
};

}  // namespace motifora
