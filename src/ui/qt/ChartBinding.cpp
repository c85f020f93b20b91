// The chart of the Classes page drawn with Qt Charts from the window model's chart data.
#include "ui/qt/ChartBinding.h"

#include <QCursor>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QToolTip>
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

void applyAxis(QValueAxis* axis, const Chart::Axis& model, bool any, double low, double high) {
    axis->setTitleText(QString::fromStdString(model.title));
    double minimum = model.minimum, maximum = model.maximum;
    if (model.automatic) automaticRange(any, low, high, minimum, maximum);
    if (!(maximum > minimum)) maximum = minimum + 1.0;
    // Ticks on round values, anchored at 0, whatever the range. The axis lays out its ticks at
    // each change of range or interval, so the two change in the order that never passes
    // through a small interval over a large range (0 .. 100,000 in steps of 0.2 would be half a
    // million ticks).
    const double interval = tickInterval(maximum - minimum);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0.0);
    if (interval >= axis->tickInterval()) {
        axis->setTickInterval(interval);
        axis->setRange(minimum, maximum);
    } else {
        axis->setRange(minimum, maximum);
        axis->setTickInterval(interval);
    }
}

// Marker size for a series of `count` points: full squares for a few points, small ones for a
// long scan so that the line stays readable.
qreal markerSize(qsizetype count) {
    if (count <= 100) return 8.0;
    if (count <= 500) return 5.0;
    return 3.0;
}

}  // namespace

double tickInterval(double range) {
    if (!(range > 0.0) || !std::isfinite(range)) return 1.0;
    const double raw = range / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= raw) return factor * power;
    return 10.0 * power;
}

QList<QPointF> envelope(const Chart::Series& points, int columns) {
    QList<QPointF> drawn;
    columns = std::max(columns, 1);
    if (points.size() <= 2 * static_cast<size_t>(columns)) {
        drawn.reserve(static_cast<qsizetype>(points.size()));
        for (const auto& [x, y] : points) drawn.append(QPointF(x, y));
        return drawn;
    }
    double xLow = std::numeric_limits<double>::infinity(), xHigh = -xLow;
    for (const auto& [x, y] : points) {
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        xLow = std::min(xLow, x);
        xHigh = std::max(xHigh, x);
    }
    if (!(xHigh >= xLow)) return drawn;
    const double width = xHigh > xLow ? xHigh - xLow : 1.0;
    drawn.reserve(2 * columns);
    // One pass: the points come in ascending x, so each column's points are consecutive.
    int column = -1;
    size_t lowest = 0, highest = 0;
    const auto flush = [&] {
        if (column < 0) return;
        const size_t first = std::min(lowest, highest), second = std::max(lowest, highest);
        drawn.append(QPointF(points[first].first, points[first].second));
        if (second != first) drawn.append(QPointF(points[second].first, points[second].second));
    };
    for (size_t k = 0; k < points.size(); ++k) {
        const auto& [x, y] = points[k];
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        const int c = std::min(columns - 1, static_cast<int>((x - xLow) / width * columns));
        if (c != column) {
            flush();
            column = c;
            lowest = highest = k;
            continue;
        }
        if (y < points[lowest].second) lowest = k;
        if (y > points[highest].second) highest = k;
    }
    flush();
    return drawn;
}

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
        markers_[i] = squareMarker(colors[i]);
        series_[i]->setLightMarker(markers_[i]);
        qchart->addSeries(series_[i]);
        series_[i]->attachAxis(x_);
        series_[i]->attachAxis(y_);
    }
    setChart(qchart);
    connect(series_[0], &QLineSeries::hovered, this, [this](const QPointF& point, bool state) {
        if (state)
            QToolTip::showText(QCursor::pos(), pointTip(point.x(), point.y()), this);
        else
            QToolTip::hideText();
    });
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(360, 240);
}

QString ChartBinding::pointTip(double x, double y) const {
    const QString score = QString::number(y, 'f', 2);
    const std::string place = places_ ? places_(x) : std::string();
    if (place.empty()) return QString("%1: %2").arg(x, 0, 'g', 12).arg(score);
    return QString::fromStdString(place) + ": " + score;
}

bool ChartBinding::refresh() {
    const uint64_t changes = chart_.changes();
    if (changes == seen_) return false;
    seen_ = changes;
    const double inf = std::numeric_limits<double>::infinity();
    double xLow = inf, xHigh = -inf, yLow = inf, yHigh = -inf;
    bool any = false;
    for (int i = 0; i < 2; ++i) {
        shown_[i] = chart_.series(i);
        for (const auto& [x, y] : shown_[i]) {
            // Infinite or undefined scores never stretch the axes.
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            any = true;
            xLow = std::min(xLow, x);
            xHigh = std::max(xHigh, x);
            yLow = std::min(yLow, y);
            yHigh = std::max(yHigh, y);
        }
    }
    applyAxis(x_, chart_.xAxis(), any, xLow, xHigh);
    applyAxis(y_, chart_.yAxis(), any, yLow, yHigh);
    drawnColumns_ = pixelColumns();
    for (int i = 0; i < 2; ++i) drawSeries(i);
    setVisible(chart_.visible());
    return true;
}

int ChartBinding::pixelColumns() const {
    // The view's width rather than the plot's: the plot is laid out later, and a column or two
    // more than the plot has costs nothing.
    return std::max(width(), 100);
}

void ChartBinding::drawSeries(int index) {
    const Chart::Series& points = shown_[index];
    const auto count = static_cast<qsizetype>(points.size());
    QLineSeries* series = series_[index];
    // The squares are light markers, which Qt draws whatever pointsVisible says.
    const bool squares = count <= kMarkerPoints;
    series->setPointsVisible(squares);
    series->setLightMarker(squares ? markers_[index] : QImage());
    series->setMarkerSize(markerSize(count));
    series->replace(envelope(points, drawnColumns_));
}

void ChartBinding::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    const int columns = pixelColumns();
    if (columns == drawnColumns_) return;
    // Only a series drawn as an envelope (before or now) looks different at another width.
    const auto reduced = static_cast<size_t>(2 * std::min(columns, drawnColumns_));
    drawnColumns_ = columns;
    for (int i = 0; i < 2; ++i)
        if (shown_[i].size() > reduced) drawSeries(i);
}

}  // namespace motifora
