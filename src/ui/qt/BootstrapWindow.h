// The "Bootstreap Control" window: the bootstrap's entries, run buttons, results and averages.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace motifora {

class ControlBinder;
class TBootStrCtrl;
class UpDownEdit;

// Not modal; it stays on top of the main window and is shown and hidden by the model. Clicks go
// through `command` (the main window's handler runner, which repaints afterwards).
class BootstrapWindow final : public QWidget {
    Q_OBJECT
  public:
    using Command = std::function<void(const std::function<void()>&)>;
    BootstrapWindow(TBootStrCtrl& model, ControlBinder& binder, Command command,
                    QWidget* parent = nullptr);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    TBootStrCtrl& model_;
};

}  // namespace motifora
