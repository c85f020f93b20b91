// A window the model shows and hides: its close box only hides it (a run it shows goes on), and
// the model is told so that its menu command can show the window again.
#pragma once

#include <QWidget>
#include <functional>
#include <utility>

namespace motifora {

class HidingWindow : public QWidget {
  public:
    // The main window's handler runner: runs a click's handler, then repaints.
    using Command = std::function<void(const std::function<void()>&)>;

  protected:
    HidingWindow(std::function<void()> hidden, QWidget* parent, Qt::WindowFlags flags)
        : QWidget(parent, flags), hidden_(std::move(hidden)) {}
    void closeEvent(QCloseEvent* event) override;

  private:
    std::function<void()> hidden_;
};

}  // namespace motifora
