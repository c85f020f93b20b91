// The chart of the Classes page drawn with Qt Charts from the window model's chart data.
#pragma once

#include <QChartView>
#include <QImage>
#include <QList>
#include <QPointF>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/model/Controls.h"

QT_BEGIN_NAMESPACE
class QGraphicsLineItem;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace motifora {

// Two line series with square points (series 0 red, series 1 dark blue), axis titles, fixed or
// automatic ranges, no legend. `refresh()` redraws from the model when its chart changed.
// A long scan (100,000 windows and more) draws as quickly as a short one: past kMarkerPoints
// points the squares are left out, and a series with more points than the plot has pixel
// columns is drawn as its envelope (the lowest and highest point of every column). The axes
// take their ranges from all the points, and keep about five round ticks whatever the range.
// The exact values stay in the window model, for the report and the exports.
class ChartBinding final : public QChartView {
    Q_OBJECT
  public:
    ChartBinding(const Chart& chart, QWidget* parent = nullptr);

    // Redraws when the model's chart changed since the last call; returns true when it did.
    // The caller holds the window model's mutex.
    bool refresh();

    // Names the place of an x value (the record and position of a scan window); a hovered
    // point of series 0 shows it with its score as a tooltip. Empty texts show the score only.
    using PlaceSource = std::function<std::string(double)>;
    void setPlaceSource(PlaceSource source) { places_ = std::move(source); }
    // The tooltip of the point (x, y) of series 0.
    QString pointTip(double x, double y) const;

    QLineSeries* series(int index) const { return series_[index == 0 ? 0 : 1]; }
    QValueAxis* xAxis() const { return x_; }
    QValueAxis* yAxis() const { return y_; }

    // Navigation: the wheel zooms along x around the pointer, a drag moves along x (unless a
    // rubber band is set, which then takes the drag), a double click shows everything again.
    // Zooming in draws the points of the part shown, not an envelope of the whole.
    void zoomAround(double x, double factor);
    void moveBy(double dx);
    void showAll();
    // The part of x shown; equal ends: everything.
    std::pair<double, double> shownRange() const;
    // The record names drawn at the top of the plot, each at its boundary line, in order
    // (names that would overlap the previous one are left out).
    QStringList shownMarkNames() const;

    static constexpr qsizetype kMarkerPoints = 2000;
    // Boundaries drawn at most; more records than that show no boundaries.
    static constexpr size_t kMostMarks = 2000;

  signals:
    // A click (a press and release without moving) at x along the plot.
    void clickedAt(double x);

  protected:
    // A new width needs a new envelope.
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // Puts the points of series `index` into Qt, reduced to the plot's pixel columns.
    void drawSeries(int index);
    int pixelColumns() const;
    // Sets the x range shown and redraws what it changes.
    void showRange(double low, double high);
    // Puts the boundary lines and names where the axis now places them.
    void placeMarks();

    const Chart& chart_;
    Chart::Series shown_[2];  // the model's points as last read
    QImage markers_[2];
    int drawnColumns_ = 0;
    QLineSeries* series_[2];
    QValueAxis* x_;
    QValueAxis* y_;
    uint64_t seen_ = ~uint64_t{0};
    PlaceSource places_;
    bool sorted_[2] = {true, true};          // x ascending: the part shown can be cut out
    double dataLow_ = 0.0, dataHigh_ = 0.0;  // the whole x range of the last refresh
    bool zoomed_ = false;
    std::vector<Chart::Mark> marks_;
    std::vector<QGraphicsLineItem*> markLines_;
    std::vector<QGraphicsSimpleTextItem*> markNames_;
    QPoint pressed_;
    double pressedLow_ = 0.0, pressedHigh_ = 0.0;
    bool dragging_ = false;
    bool pressing_ = false;
};

// The printf format of axis labels for ticks `interval` apart: whole numbers written out
// ("1000000", never "1e+06") for intervals of 1 and more, otherwise as many decimals as the
// interval needs.
QString axisLabelFormat(double interval);

// The indexes [first, last) of `points` (in ascending x) that a plot of x from `low` to `high`
// draws: those inside, and one more on each side so the line runs to the plot's edges.
std::pair<size_t, size_t> shownSlice(const Chart::Series& points, double low, double high);

// The points to draw for `points` (in ascending x) on a plot `columns` pixels wide: the points
// themselves when there are no more than 2 * columns of them; otherwise, for each pixel column
// of the x range, its lowest and its highest point in the order they come. Points with an
// undefined or infinite value are left out of the envelope.
QList<QPointF> envelope(const Chart::Series& points, int columns);

// The distance between round ticks (1, 2 or 5 times a power of ten) that gives about five ticks
// over `range`; 1 for an empty or undefined range.
double tickInterval(double range);

// The range an automatic axis shows for values from `low` to `high`: a little room on both
// sides, and a unit-wide range around a single value (or 0 .. 1 with no values at all).
void automaticRange(bool any, double low, double high, double& minimum, double& maximum);

}  // namespace motifora
