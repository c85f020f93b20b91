#include "ui/qt/HidingWindow.h"

#include <QCloseEvent>

namespace motifora {

void HidingWindow::closeEvent(QCloseEvent* event) {
    hidden_();
    event->accept();
}

}  // namespace motifora
