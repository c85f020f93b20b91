// The chart of the Classes page drawn with Qt Charts from the window model's chart data.
#include "ui/qt/ChartBinding.h"

#include <QCursor>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/qt/ExportActions.h"

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

// Shows minimum .. maximum on `axis` with round ticks and labels written out in full.
void setAxisRange(QValueAxis* axis, double minimum, double maximum) {
    const double interval = tickInterval(maximum - minimum);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0.0);
    axis->setLabelFormat(axisLabelFormat(interval));
    if (interval >= axis->tickInterval()) {
        axis->setTickInterval(interval);
        axis->setRange(minimum, maximum);
    } else {
        axis->setRange(minimum, maximum);
        axis->setTickInterval(interval);
    }
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
    setAxisRange(axis, minimum, maximum);
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

QString axisLabelFormat(double interval) {
    if (!(interval > 0.0) || !std::isfinite(interval) || interval >= 1.0) return "%.0f";
    const int decimals = std::min(12, static_cast<int>(std::ceil(-std::log10(interval) - 1e-9)));
    return QString("%.%1f").arg(decimals);
}

std::pair<size_t, size_t> shownSlice(const Chart::Series& points, double low, double high) {
    const auto below = [](const std::pair<double, double>& p, double x) { return p.first < x; };
    const auto above = [](double x, const std::pair<double, double>& p) { return x < p.first; };
    size_t first = static_cast<size_t>(std::lower_bound(points.begin(), points.end(), low, below) -
                                       points.begin());
    size_t last = static_cast<size_t>(std::upper_bound(points.begin(), points.end(), high, above) -
                                      points.begin());
    if (first > 0) --first;
    if (last < points.size()) ++last;
    return {first, std::max(first, last)};
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
    connect(qchart, &QChart::plotAreaChanged, this, [this] { placeMarks(); });
    connect(x_, &QValueAxis::rangeChanged, this, [this] { placeMarks(); });
    connect(series_[0], &QLineSeries::hovered, this, [this](const QPointF& point, bool state) {
        if (state)
            QToolTip::showText(QCursor::pos(), pointTip(point.x(), point.y()), this);
        else
            QToolTip::hideText();
    });
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(360, 240);
    addPictureExport(this);
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
    for (int i = 0; i < 2; ++i)
        sorted_[i] = std::is_sorted(shown_[i].begin(), shown_[i].end(),
                                    [](const auto& a, const auto& b) { return a.first < b.first; });
    zoomed_ = false;
    applyAxis(x_, chart_.xAxis(), any, xLow, xHigh);
    applyAxis(y_, chart_.yAxis(), any, yLow, yHigh);
    dataLow_ = x_->min();
    dataHigh_ = x_->max();
    chart()->setTitle(QString::fromStdString(chart_.title()));
    // A level is a plain dashed line; other second series keep their squares.
    const bool level = chart_.levelSeries();
    QPen pen(series_[1]->color());
    pen.setWidthF(level ? 1.5 : 2.0);
    pen.setStyle(level ? Qt::DashLine : Qt::SolidLine);
    series_[1]->setPen(pen);
    drawnColumns_ = pixelColumns();
    for (int i = 0; i < 2; ++i) drawSeries(i);

    marks_ = chart_.marks();
    for (QGraphicsLineItem* line : markLines_) delete line;
    for (QGraphicsSimpleTextItem* name : markNames_) delete name;
    markLines_.clear();
    markNames_.clear();
    if (marks_.size() <= kMostMarks) {
        QPen boundary(QColor(120, 120, 120));
        boundary.setStyle(Qt::DotLine);
        for (const Chart::Mark& mark : marks_) {
            auto* line = new QGraphicsLineItem(chart());
            line->setPen(boundary);
            line->setZValue(4);
            markLines_.push_back(line);
            QString name = QString::fromStdString(mark.name);
            if (name.size() > 24) name = name.left(23) + QChar(0x2026);
            auto* text = new QGraphicsSimpleTextItem(name, chart());
            QFont font = text->font();
            font.setPointSizeF(std::max(7.0, font.pointSizeF() * 0.8));
            text->setFont(font);
            text->setBrush(QColor(60, 60, 60));
            text->setZValue(5);
            markNames_.push_back(text);
        }
    }
    placeMarks();
    setVisible(chart_.visible());
    return true;
}

void ChartBinding::placeMarks() {
    if (markLines_.empty()) return;
    const QRectF plot = chart()->plotArea();
    const double low = x_->min(), high = x_->max();
    double freeFrom = -std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < markLines_.size(); ++i) {
        const double x = marks_[i].x;
        const bool inside = x >= low && x <= high && high > low;
        const double at = plot.left() + (x - low) / (high - low) * plot.width();
        markLines_[i]->setVisible(inside);
        if (inside) markLines_[i]->setLine(at, plot.top(), at, plot.bottom());
        QGraphicsSimpleTextItem* name = markNames_[i];
        const double width = name->boundingRect().width();
        // A name goes right of its line, where it does not run into the previous one or out of
        // the plot.
        const bool fits = inside && at + 3 >= freeFrom && at + 3 + width <= plot.right();
        name->setVisible(fits);
        if (!fits) continue;
        name->setPos(at + 3, plot.top() + 2);
        freeFrom = at + 3 + width + 6;
    }
}

QStringList ChartBinding::shownMarkNames() const {
    QStringList names;
    for (const QGraphicsSimpleTextItem* name : markNames_)
        if (name->isVisible()) names.append(name->text());
    return names;
}

void ChartBinding::showRange(double low, double high) {
    const double whole = dataHigh_ - dataLow_;
    if (!(whole > 0.0)) return;
    // No closer than a millionth of the whole, and never beyond it.
    const double narrowest = whole * 1e-6;
    if (high - low < narrowest) {
        const double middle = (low + high) / 2;
        low = middle - narrowest / 2;
        high = middle + narrowest / 2;
    }
    if (high - low >= whole) {
        low = dataLow_;
        high = dataHigh_;
    } else if (low < dataLow_) {
        high += dataLow_ - low;
        low = dataLow_;
    } else if (high > dataHigh_) {
        low -= high - dataHigh_;
        high = dataHigh_;
    }
    zoomed_ = low > dataLow_ || high < dataHigh_;
    setAxisRange(x_, low, high);
    for (int i = 0; i < 2; ++i) drawSeries(i);
}

void ChartBinding::zoomAround(double x, double factor) {
    const double low = x_->min(), high = x_->max();
    x = std::clamp(x, low, high);
    showRange(x - (x - low) * factor, x + (high - x) * factor);
}

void ChartBinding::moveBy(double dx) { showRange(x_->min() + dx, x_->max() + dx); }

void ChartBinding::showAll() { showRange(dataLow_, dataHigh_); }

std::pair<double, double> ChartBinding::shownRange() const { return {x_->min(), x_->max()}; }

void ChartBinding::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    const QRectF plot = chart()->plotArea();
    if (steps == 0.0 || !plot.contains(event->position()) || plot.width() <= 0) {
        QChartView::wheelEvent(event);
        return;
    }
    const double x =
        x_->min() + (event->position().x() - plot.left()) / plot.width() * (x_->max() - x_->min());
    zoomAround(x, std::pow(0.8, steps));
    event->accept();
}

void ChartBinding::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || rubberBand() != QChartView::NoRubberBand) {
        QChartView::mousePressEvent(event);
        return;
    }
    pressing_ = true;
    dragging_ = false;
    pressed_ = event->position().toPoint();
    pressedLow_ = x_->min();
    pressedHigh_ = x_->max();
    event->accept();
}

void ChartBinding::mouseMoveEvent(QMouseEvent* event) {
    if (!pressing_) {
        QChartView::mouseMoveEvent(event);
        return;
    }
    const int dx = event->position().toPoint().x() - pressed_.x();
    if (!dragging_ && std::abs(dx) < 4) return;
    dragging_ = true;
    const double width = chart()->plotArea().width();
    if (width <= 0) return;
    const double shift = dx / width * (pressedHigh_ - pressedLow_);
    showRange(pressedLow_ - shift, pressedHigh_ - shift);
}

void ChartBinding::mouseReleaseEvent(QMouseEvent* event) {
    // The right button opens the context menu (Save Picture As); it never zooms out.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    if (!pressing_) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    pressing_ = false;
    const QRectF plot = chart()->plotArea();
    if (!dragging_ && plot.contains(event->position()) && plot.width() > 0)
        emit clickedAt(x_->min() + (event->position().x() - plot.left()) / plot.width() *
                                       (x_->max() - x_->min()));
    dragging_ = false;
    event->accept();
}

void ChartBinding::mouseDoubleClickEvent(QMouseEvent* event) {
    if (rubberBand() != QChartView::NoRubberBand) {
        QChartView::mouseDoubleClickEvent(event);
        return;
    }
    showAll();
    event->accept();
}

int ChartBinding::pixelColumns() const {
    // The view's width rather than the plot's: the plot is laid out later, and a column or two
    // more than the plot has costs nothing.
    return std::max(width(), 100);
}

void ChartBinding::drawSeries(int index) {
    Chart::Series part;
    if (zoomed_ && sorted_[index]) {
        const auto [first, last] = shownSlice(shown_[index], x_->min(), x_->max());
        part.assign(shown_[index].begin() + static_cast<std::ptrdiff_t>(first),
                    shown_[index].begin() + static_cast<std::ptrdiff_t>(last));
    }
    const Chart::Series& points = zoomed_ && sorted_[index] ? part : shown_[index];
    const auto count = static_cast<qsizetype>(points.size());
    QLineSeries* series = series_[index];
    // The squares are light markers, which Qt draws whatever pointsVisible says.
    const bool squares = count <= kMarkerPoints && !(index == 1 && chart_.levelSeries());
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
