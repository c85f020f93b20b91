// The "Bootstreap Control" window: the bootstrap's entries, run buttons, results and averages.
#include "ui/qt/BootstrapWindow.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "ui/model/BootStrCtrl.h"
#include "ui/qt/ControlBinder.h"
#include "ui/qt/GridTableModel.h"
#include "ui/qt/Language.h"
#include "ui/qt/UpDownEdit.h"

namespace motifora {

BootstrapWindow::BootstrapWindow(TBootStrCtrl& model, ControlBinder& binder, Command command,
                                 QWidget* parent)
    : HidingWindow([&model] { model.Window.setVisible(false); }, parent,
                   Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("BootStrCtrl");
    binder.bind(model.Caption, [this, &model] { setWindowTitle(shown(model.Caption.text())); });

    auto* entries = new QFormLayout;
    auto* percent =
        boundUpDownEdit(model.PositPercent, model.PercentUpDown, binder, "PositPercent");
    entries->addRow(boundLabel(model.PercentLabel, binder, "PercentLabel"), percent);
    auto* iterations = boundUpDownEdit(model.IterCount, model.IterUpDown, binder, "IterCount");
    entries->addRow(boundLabel(model.IterLabel, binder, "IterLabel"), iterations);
    auto* wanted = new QLineEdit(QString::fromStdString(model.FstLevelErr.text()));
    wanted->setObjectName("FstLevelErr");
    connect(wanted, &QLineEdit::textEdited, this,
            [&model](const QString& text) { model.FstLevelErr.setText(text.toStdString()); });
    connect(wanted, &QLineEdit::returnPressed, this,
            [command, &model] { command([&model] { model.ReCount(); }); });
    binder.bindEdit(model.FstLevelErr, wanted);
    entries->addRow(boundLabel(model.FstLevelLabel, binder, "FstLevelLabel"), wanted);

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](Button& control, const char* name, std::function<void()> handler) {
        auto* b = new QPushButton(QString::fromStdString(control.text()));
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [command, handler] { command(handler); });
        binder.bindButton(control, b);
        buttons->addWidget(b);
    };
    addButton(model.Bs_btnStart, "Bs_btnStart", [&model] { model.Bs_btnStartClick(); });
    addButton(model.Bs_btnPause, "Bs_btnPause", [&model] { model.Bs_btnPauseClick(); });
    addButton(model.Bs_btnStop, "Bs_btnStop", [&model] { model.Bs_btnStopClick(); });

    QTableView* results = createGridView(model.ErrorsList, binder, "ErrorsList");
    results->setToolTip(
        "Each row is one iteration: the first-level error, then the "
        "second-level error");
    // The averages stand under the two columns they average.
    auto* averages = new QHBoxLayout;
    averages->addWidget(new QLabel("Averages:"));
    averages->addWidget(boundLabel(model.Label4, binder, "Label4"));
    averages->addWidget(boundLabel(model.Label5, binder, "Label5"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(entries);
    layout->addLayout(buttons);
    layout->addWidget(results, 1);
    layout->addLayout(averages);
    resize(380, 420);

    binder.bindWindow(model.Window, this);
}

}  // namespace motifora
