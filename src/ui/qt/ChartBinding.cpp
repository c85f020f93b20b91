// The chart of the Classes page drawn with Qt Charts from the window model's chart data.
#include "ui/qt/ChartBinding.h"

#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

namespace motifora {

namespace {

// A filled square in `color` with a dark rim: the point marker of a series.
QImage squareMarker(const QColor& color) {
    QImage image(8, 8, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    QPainter painter(&image);
    painter.setPen(color.darker(160));
    painter.drawRect(0, 0, 7, 7);
    return image;
}

double tickInterval(double range) {
    if (!(range > 0.0) || !std::isfinite(range)) return 1.0;
    const double raw = range / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= raw) return factor * power;
    return 10.0 * power;
}

void applyAxis(QValueAxis* axis, const Chart::Axis& model, bool any, double low, double high) {
    axis->setTitleText(QString::fromStdString(model.title));
    double minimum = model.minimum, maximum = model.maximum;
    if (model.automatic) automaticRange(any, low, high, minimum, maximum);
    if (!(maximum > minimum)) maximum = minimum + 1.0;
    axis->setRange(minimum, maximum);
    // Ticks on round values (1, 2 or 5 times a power of ten, about five of them), anchored
    // at 0, whatever the range.
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0.0);
    axis->setTickInterval(tickInterval(maximum - minimum));
}

// Marker size for a series of `count` points: full squares for a few points, small ones for a
// long scan so that the line stays readable.
qreal markerSize(qsizetype count) {
    if (count <= 100) return 8.0;
    if (count <= 500) return 5.0;
    return 3.0;
}

}  // namespace

void automaticRange(bool any, double low, double high, double& minimum, double& maximum) {
    if (!any || !std::isfinite(low) || !std::isfinite(high)) {
        minimum = 0.0;
        maximum = 1.0;
        return;
    }
    if (high - low <= 0.0) {
        minimum = low - 0.5;
        maximum = high + 0.5;
        return;
    }
    const double room = (high - low) * 0.05;
    minimum = low - room;
    maximum = high + room;
}

ChartBinding::ChartBinding(const Chart& chart, QWidget* parent)
    : QChartView(parent), chart_(chart) {
    setObjectName("Chart1");
    auto* qchart = new QChart;
    qchart->legend()->hide();
    const QColor colors[2] = {Qt::red, QColor(0, 0, 139)};
    x_ = new QValueAxis;
    y_ = new QValueAxis;
    x_->setLabelFormat("%g");
    y_->setLabelFormat("%g");
    // Long axis titles ("Percentage of sampling") must fit beside a short chart.
    QFont titleFont = x_->titleFont();
    titleFont.setPointSizeF(std::max(7.0, titleFont.pointSizeF() * 0.85));
    x_->setTitleFont(titleFont);
    y_->setTitleFont(titleFont);
    qchart->addAxis(x_, Qt::AlignBottom);
    qchart->addAxis(y_, Qt::AlignLeft);
    for (int i = 0; i < 2; ++i) {
        series_[i] = new QLineSeries;
        series_[i]->setColor(colors[i]);
        series_[i]->setPointsVisible(true);
        series_[i]->setMarkerSize(8);
        series_[i]->setLightMarker(squareMarker(colors[i]));
        qchart->addSeries(series_[i]);
        series_[i]->attachAxis(x_);
        series_[i]->attachAxis(y_);
    }
    setChart(qchart);
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(360, 240);
}

bool ChartBinding::refresh() {
    const uint64_t changes = chart_.changes();
    if (changes == seen_) return false;
    seen_ = changes;
    const double inf = std::numeric_limits<double>::infinity();
    double xLow = inf, xHigh = -inf, yLow = inf, yHigh = -inf;
    bool any = false;
    for (int i = 0; i < 2; ++i) {
        const Chart::Series points = chart_.series(i);
        QList<QPointF> list;
        list.reserve(static_cast<qsizetype>(points.size()));
        for (const auto& [x, y] : points) {
            list.append(QPointF(x, y));
            // Infinite or undefined scores are drawn where Qt can, but never stretch the axes.
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            any = true;
            xLow = std::min(xLow, x);
            xHigh = std::max(xHigh, x);
            yLow = std::min(yLow, y);
            yHigh = std::max(yHigh, y);
        }
        series_[i]->setMarkerSize(markerSize(list.size()));
        series_[i]->replace(list);
    }
    applyAxis(x_, chart_.xAxis(), any, xLow, xHigh);
    applyAxis(y_, chart_.yAxis(), any, yLow, yHigh);
    setVisible(chart_.visible());
    return true;
}

}  // namespace motifora
