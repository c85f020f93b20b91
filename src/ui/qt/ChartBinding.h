// The chart of the Classes page drawn with Qt Charts from the window model's chart data.
#pragma once

#include <QChartView>
#include <cstdint>

#include "ui/model/Controls.h"

QT_BEGIN_NAMESPACE
class QLineSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace motifora {

// Two line series with square points (series 0 red, series 1 dark blue), axis titles, fixed or
// automatic ranges, no legend. `refresh()` redraws from the model when its chart changed.
class ChartBinding final : public QChartView {
    Q_OBJECT
  public:
    ChartBinding(const Chart& chart, QWidget* parent = nullptr);

    // Redraws when the model's chart changed since the last call; returns true when it did.
    // The caller holds the window model's mutex.
    bool refresh();

    QLineSeries* series(int index) const { return series_[index == 0 ? 0 : 1]; }
    QValueAxis* xAxis() const { return x_; }
    QValueAxis* yAxis() const { return y_; }

  private:
    const Chart& chart_;
    QLineSeries* series_[2];
    QValueAxis* x_;
    QValueAxis* y_;
    uint64_t seen_ = ~uint64_t{0};
};

// The range an automatic axis shows for values from `low` to `high`: a little room on both
// sides, and a unit-wide range around a single value (or 0 .. 1 with no values at all).
void automaticRange(bool any, double low, double high, double& minimum, double& maximum);

}  // namespace motifora
