// The genome scan window: file and choices, Start/Stop, progress, the hit and record tables,
// the score chart (drag to zoom) and the exports.
#include "ui/qt/GenomeScanWindow.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <mutex>

#include "ui/model/GenomeScanForm.h"
#include "ui/qt/ChartBinding.h"
#include "ui/qt/GridTableModel.h"
#include "ui/qt/Language.h"
#include "ui/qt/RadioGroupBox.h"

namespace motifora {

GenomeScanWindow::GenomeScanWindow(GenomeScanForm& form, std::function<int32_t()> start,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window), form_(form), ascending_(6, true) {
    setObjectName("GenomeScan");
    setWindowTitle(qs(form.Caption.text()));
    std::lock_guard<std::recursive_mutex> lock(form.mutex());

    auto* choices = new QFormLayout;
    auto* genomeRow = new QHBoxLayout;
    auto* genome = boundEdit(form.GenomeEdit, binder_, "GenomeEdit", this);
    auto* browse = new QPushButton(tr("Browse..."));
    connect(browse, &QPushButton::clicked, this, [this, &form] {
        const QString path = QFileDialog::getOpenFileName(
            this, tr("Genome"), QString(),
            tr("FASTA (*.fa *.fasta *.fna *.fas *.fa.gz *.fasta.gz *.fna.gz *.fas.gz);;All (*)"));
        if (path.isEmpty()) return;
        std::lock_guard<std::recursive_mutex> guard(form.mutex());
        form.GenomeEdit.setText(path.toStdString());
    });
    // Locked with the file's edit while a scan runs.
    binder_.bind(form.GenomeEdit,
                 [browse, &form] { browse->setEnabled(form.GenomeEdit.enabled()); });
    genomeRow->addWidget(genome, 1);
    genomeRow->addWidget(browse);
    choices->addRow(tr("Genome (FASTA)"), genomeRow);
    choices->addRow(tr("Classes (e.g. 1,3-5; empty: all)"),
                    boundEdit(form.ClassesEdit, binder_, "ClassesEdit", this));
    choices->addRow(tr("Level (hits reach it; empty: none)"),
                    boundEdit(form.LevelEdit, binder_, "LevelEdit", this));
    auto* strand = new RadioGroupBox(form.StrandGroup, binder_, "StrandGroup", [&form](int32_t i) {
        std::lock_guard<std::recursive_mutex> guard(form.mutex());
        form.StrandGroup.setItemIndex(i);
    });
    auto* score = new RadioGroupBox(form.ScoreGroup, binder_, "ScoreGroup", [&form](int32_t i) {
        std::lock_guard<std::recursive_mutex> guard(form.mutex());
        form.ScoreGroup.setItemIndex(i);
    });

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](Button& control, const char* name, std::function<void()> handler) {
        auto* button = new QPushButton(qs(control.text()));
        button->setObjectName(name);
        binder_.bindButton(control, button);
        connect(button, &QPushButton::clicked, this, handler);
        buttons->addWidget(button);
    };
    addButton(form.StartBtn, "StartBtn", [start] { start(); });
    addButton(form.StopBtn, "StopBtn", [&form] { form.Stop(); });
    addButton(form.ExportBedBtn, "ExportBedBtn", [this] { exportFile(true); });
    addButton(form.ExportBedGraphBtn, "ExportBedGraphBtn", [this] { exportFile(false); });
    auto* whole = new QPushButton(tr("Whole Record"));
    connect(whole, &QPushButton::clicked, this, [&form] { form.ZoomReset(); });
    buttons->addWidget(whole);
    buttons->addStretch(1);

    auto* progress = new QProgressBar;
    progress->setObjectName("Progress");
    progress->setRange(0, 1000);
    binder_.bind(form.Progress, [progress, &form] {
        progress->setValue(form.Progress.position());
        progress->setVisible(form.Progress.visible());
    });
    auto* status = new QLabel;
    status->setObjectName("StatusLabel");
    binder_.bindLabel(form.StatusLabel, status);

    QTableView* hits = createGridView(form.HitsList, binder_, "HitsList");
    connect(hits->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (column < 0 || column >= static_cast<int>(ascending_.size())) return;
        form_.SortHits(column, ascending_[static_cast<size_t>(column)]);
        ascending_[static_cast<size_t>(column)] = !ascending_[static_cast<size_t>(column)];
    });
    // A click on a hit charts it.
    connect(hits, &QTableView::clicked, this,
            [this](const QModelIndex& index) { form_.ShowHit(index.row() + 1); });
    QTableView* records = createGridView(form.RecordsList, binder_, "RecordsList");
    connect(records, &QTableView::clicked, this,
            [this](const QModelIndex& index) { form_.ShowRecord(index.row()); });

    chart_ = new ChartBinding(form.ScoreChart);
    chart_->setObjectName("ScoreChart");
    chart_->setRubberBand(QChartView::HorizontalRubberBand);
    // A drag zooms the chart; the model keeps the shown range, so the points are re-binned.
    connect(chart_->xAxis(), &QValueAxis::rangeChanged, this, [this](qreal low, qreal high) {
        if (refreshing_) return;
        form_.Zoom(low, high);
    });

    auto* tables = new QSplitter(Qt::Horizontal);
    tables->addWidget(hits);
    tables->addWidget(records);
    tables->setStretchFactor(0, 3);
    auto* body = new QSplitter(Qt::Vertical);
    body->addWidget(tables);
    body->addWidget(chart_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(strand);
    layout->addWidget(score);
    layout->addLayout(buttons);
    layout->addWidget(progress);
    layout->addWidget(status);
    // On a small screen the hits, records and chart scroll rather than the window outgrowing it.
    auto* bodyArea = new QScrollArea;
    bodyArea->setWidget(body);
    bodyArea->setWidgetResizable(true);
    bodyArea->setFrameShape(QFrame::NoFrame);
    layout->addWidget(bodyArea, 1);
    resize(900, 700);

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &GenomeScanWindow::tick);
    timer_->start(100);
}

void GenomeScanWindow::closeEvent(QCloseEvent* event) {
    // A scan nobody watches any more is not left running.
    form_.Close();
    QWidget::closeEvent(event);
}

void GenomeScanWindow::tick() {
    std::lock_guard<std::recursive_mutex> lock(form_.mutex());
    binder_.sync();
    refreshing_ = true;
    chart_->refresh();
    refreshing_ = false;
}

void GenomeScanWindow::exportFile(bool bed) {
    const QString path =
        bed ? QFileDialog::getSaveFileName(this, tr("Export BED"), QString(), tr("BED (*.bed)"))
            : QFileDialog::getSaveFileName(this, tr("Export bedGraph"), QString(),
                                           tr("bedGraph (*.bedGraph *.bedgraph)"));
    if (path.isEmpty()) return;
    if (bed)
        form_.ExportBed(path.toStdString());
    else
        form_.ExportBedGraph(path.toStdString());
}

}  // namespace motifora
