// The "Scan Genome (FASTA)" window: the widgets over the genome scan window model.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "ui/qt/ControlBinder.h"

class QTimer;

namespace motifora {

class ChartBinding;
class GenomeScanForm;

class GenomeScanWindow final : public QWidget {
    Q_OBJECT
  public:
    // `start` starts a scan of the model's current classes and returns the form's start code
    // (the main window knows the workspace; this window does not).
    GenomeScanWindow(GenomeScanForm& form, std::function<int32_t()> start,
                     QWidget* parent = nullptr);

    // Repaints what changed in the model; the timer calls it every 100 ms.
    void tick();

  protected:
    // Closing the window stops a running scan.
    void closeEvent(QCloseEvent* event) override;

  private:
    void exportFile(bool bed);

    GenomeScanForm& form_;
    ControlBinder binder_;
    ChartBinding* chart_ = nullptr;
    QTimer* timer_ = nullptr;
    std::vector<bool> ascending_;
    bool refreshing_ = false;
};

}  // namespace motifora
