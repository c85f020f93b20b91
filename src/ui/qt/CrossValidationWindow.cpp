// The "Cross-validation" window's widgets over its model, the charts drawn with Qt Charts.
#include "ui/qt/CrossValidationWindow.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "ui/model/CrossValForm.h"
#include "ui/qt/ControlBinder.h"
#include "ui/qt/ExportActions.h"
#include "ui/qt/GridTableModel.h"
#include "ui/qt/Language.h"
#include "ui/qt/RadioGroupBox.h"

namespace motifora {

namespace {

// A value axis titled `title` at `side` of `chart`, with every series of the chart attached.
QValueAxis* addAxis(QChart* chart, const char* title, Qt::Alignment side) {
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    chart->addAxis(axis, side);
    for (QAbstractSeries* s : chart->series()) s->attachAxis(axis);
    return axis;
}

// The view of `chart`, named `name` (the tests find it by that), drawn smoothly, at least
// `width` by `height`.
QChartView* namedChartView(QChart* chart, const char* name, int width, int height) {
    auto* view = new QChartView(chart);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(width, height);
    addPictureExport(view);
    return view;
}

// The ROC chart: the curve, the diagonal of chance and the operating point of the level.
QChartView* rocChart(const RocView& rocView, ControlBinder& binder) {
    auto* chart = new QChart;
    chart->setTitle("ROC (held-out)");
    chart->legend()->hide();
    auto* curve = new QLineSeries;
    auto* chance = new QLineSeries;
    auto* point = new QScatterSeries;
    point->setMarkerSize(10);
    chance->append(0, 0);
    chance->append(1, 1);
    QPen dashed(Qt::gray);
    dashed.setStyle(Qt::DashLine);
    chance->setPen(dashed);
    for (QAbstractSeries* s :
         {static_cast<QAbstractSeries*>(chance), static_cast<QAbstractSeries*>(curve),
          static_cast<QAbstractSeries*>(point)})
        chart->addSeries(s);
    addAxis(chart, "false positive rate", Qt::AlignBottom)->setRange(0, 1);
    addAxis(chart, "true positive rate", Qt::AlignLeft)->setRange(0, 1);
    QChartView* view = namedChartView(chart, "RocChart", 320, 300);
    binder.bind(rocView, [&rocView, chart, curve, point] {
        const RocCurve c = rocView.value();
        QList<QPointF> points;
        for (const auto& [fpr, tpr] : c.points) points.append(QPointF(fpr, tpr));
        curve->replace(points);
        point->clear();
        if (c.shown) point->append(c.operatingPoint.first, c.operatingPoint.second);
        chart->setTitle(c.shown ? qs(c.aucText) : QString("ROC (held-out)"));
    });
    return view;
}

// Bars of positives and negatives per score bin, and the level as a line over them.
QChartView* histogramChart(const HistogramView& view, ControlBinder& binder) {
    auto* chart = new QChart;
    chart->setTitle("Held-out best scores");
    auto* positives = new QLineSeries;
    positives->setName("positives");
    auto* negatives = new QLineSeries;
    negatives->setName("negatives");
    auto* level = new QLineSeries;
    level->setName("level");
    QPen levelPen(Qt::black);
    levelPen.setWidth(2);
    level->setPen(levelPen);
    for (QLineSeries* s : {positives, negatives, level}) chart->addSeries(s);
    QValueAxis* x = addAxis(chart, "score", Qt::AlignBottom);
    QValueAxis* y = addAxis(chart, "sequences", Qt::AlignLeft);
    QChartView* chartView = namedChartView(chart, "HistogramChart", 380, 300);
    binder.bind(view, [&view, x, y, positives, negatives, level] {
        const HistogramBars b = view.value();
        const ScoreHistogram& h = b.histogram;
        // Each histogram as a step outline, so both stay readable where they overlap.
        auto steps = [&h](const std::vector<int32_t>& counts) {
            QList<QPointF> points;
            const double width = h.binWidth > 0 ? h.binWidth : 1.0;
            for (size_t i = 0; i < counts.size(); ++i) {
                const double left = h.low + width * static_cast<double>(i);
                points.append(QPointF(left, 0));
                points.append(QPointF(left, counts[i]));
                points.append(QPointF(left + width, counts[i]));
                points.append(QPointF(left + width, 0));
            }
            return points;
        };
        positives->replace(b.shown ? steps(h.positives) : QList<QPointF>{});
        negatives->replace(b.shown ? steps(h.negatives) : QList<QPointF>{});
        int32_t highest = 1;
        for (int32_t c : h.positives) highest = std::max(highest, c);
        for (int32_t c : h.negatives) highest = std::max(highest, c);
        const double width = h.binWidth > 0 ? h.binWidth : 1.0;
        const double right =
            h.low + width * static_cast<double>(std::max<size_t>(h.positives.size(), 1));
        x->setRange(h.low, right);
        y->setRange(0, highest);
        QList<QPointF> line;
        if (b.shown) {
            const double at = std::clamp(b.level, h.low, right);
            line = {QPointF(at, 0), QPointF(at, highest)};
        }
        level->replace(line);
    });
    return chartView;
}

}  // namespace

CrossValidationWindow::CrossValidationWindow(TCrossValForm& model, ControlBinder& binder,
                                             Command command, QWidget* parent)
    : HidingWindow([&model] { model.Window.setVisible(false); }, parent, Qt::Window) {
    setObjectName("CrossValForm");
    binder.bind(model.Caption, [this, &model] { setWindowTitle(qs(model.Caption.text())); });

    auto* entries = new QFormLayout;
    entries->addRow(boundLabel(model.FoldsLabel, binder, "FoldsLabel"),
                    boundEdit(model.FoldsEdit, binder, "FoldsEdit", this));
    entries->addRow(boundLabel(model.SeedLabel, binder, "SeedLabel"),
                    boundEdit(model.SeedEdit, binder, "SeedEdit", this));
    auto* rule = new RadioGroupBox(
        model.LevelRuleGroup, binder, "LevelRuleGroup", [command, &model](int32_t i) {
            command([&model, i] { model.LevelRuleGroup.setItemIndex(i); });
        });
    auto* wanted = boundEdit(model.WantedErrorEdit, binder, "WantedErrorEdit", this);
    auto* score =
        new RadioGroupBox(model.ScoreGroup, binder, "ScoreGroup", [command, &model](int32_t i) {
            command([&model, i] { model.ScoreGroup.setItemIndex(i); });
        });

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](Button& control, const char* name, std::function<void()> handler) {
        auto* b = new QPushButton(qs(control.text()));
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [command, handler] { command(handler); });
        binder.bindButton(control, b);
        buttons->addWidget(b);
        return b;
    };
    addButton(model.StartBtn, "StartBtn", [&model] { model.StartBtnClick(); });
    addButton(model.PauseBtn, "PauseBtn", [&model] { model.PauseBtnClick(); });
    addButton(model.StopBtn, "StopBtn", [&model] { model.StopBtnClick(); });

    auto* progress = new QProgressBar;
    progress->setObjectName("Progress");
    binder.bind(model.Progress, [progress, &model] {
        progress->setRange(model.Progress.minimum(), model.Progress.maximum());
        progress->setValue(model.Progress.position());
    });

    auto* left = new QVBoxLayout;
    left->addLayout(entries);
    left->addWidget(rule);
    left->addWidget(wanted);
    left->addWidget(score);
    left->addLayout(buttons);
    left->addWidget(progress);
    left->addWidget(boundLabel(model.StatusLabel, binder, "StatusLabel"));
    left->addStretch(1);

    auto* charts = new QHBoxLayout;
    charts->addWidget(rocChart(model.Roc, binder), 1);
    charts->addWidget(histogramChart(model.Histograms, binder), 1);

    QTableView* table = createGridView(model.ErrorsList, binder, "ErrorsList");
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(boundLabel(model.ResultLabel, binder, "ResultLabel"), 1);
    auto* use = new QPushButton(qs(model.UseLevelBtn.text()));
    use->setObjectName("UseLevelBtn");
    connect(use, &QPushButton::clicked, this,
            [command, &model] { command([&model] { model.UseLevelBtnClick(); }); });
    binder.bindButton(model.UseLevelBtn, use);
    bottom->addWidget(use);

    auto* right = new QVBoxLayout;
    right->addLayout(charts, 3);
    right->addWidget(table, 2);
    right->addLayout(bottom);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    resize(1100, 650);

    binder.bindWindow(model.Window, this);
}

}  // namespace motifora
