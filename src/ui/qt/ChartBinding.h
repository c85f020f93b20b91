// The chart of the Classes page drawn with Qt Charts from the window model's chart data.
#pragma once

#include <QChartView>
#include <QImage>
#include <QList>
#include <QPointF>
#include <cstdint>
#include <functional>
#include <string>

#include "ui/model/Controls.h"

QT_BEGIN_NAMESPACE
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

    static constexpr qsizetype kMarkerPoints = 2000;

  protected:
    // A new width needs a new envelope.
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Puts the points of series `index` into Qt, reduced to the plot's pixel columns.
    void drawSeries(int index);
    int pixelColumns() const;

    const Chart& chart_;
    Chart::Series shown_[2];  // the model's points as last read
    QImage markers_[2];
    int drawnColumns_ = 0;
    QLineSeries* series_[2];
    QValueAxis* x_;
    QValueAxis* y_;
    uint64_t seen_ = ~uint64_t{0};
    PlaceSource places_;
};

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
