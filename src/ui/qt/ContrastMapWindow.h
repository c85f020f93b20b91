// The heat map window of the discriminative rules: what each letter at each position
// contributes to the discriminative score, drawn as coloured cells with a legend.
#pragma once

#include <QWidget>

#include "ui/model/ContrastViews.h"
#include "ui/qt/HidingWindow.h"

class QLabel;

namespace motifora {

class ControlBinder;

// Paints a HeatMap: letters down the side, positions along the top, one coloured cell each
// (its value written in it when it fits), the legend below. A cell's tooltip is its tip.
class HeatMapWidget final : public QWidget {
    Q_OBJECT
  public:
    explicit HeatMapWidget(QWidget* parent = nullptr);
    void setMap(HeatMap map);
    const HeatMap& map() const { return map_; }
    // The (letter, position) of the cell under `point`, or (-1, -1).
    std::pair<int, int> cellAt(const QPoint& point) const;
    // The rectangle of cell (letter, position).
    QRect cellRect(int letter, int position) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The width of a cell: the widget's width shared among the positions, 14 to 40 pixels.
    int cellWidth() const;
    // The font the numbers of narrow cells are written in, so that `widest` fits in `room`.
    QFont numberFont(const QString& widest, int room) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    int left() const;
    int top() const;
    int legendTop() const;

    HeatMap map_;
};

// Not modal; shown and hidden by the model's ContrastMap (the close box hides it there).
class ContrastMapWindow final : public HidingWindow {
    Q_OBJECT
  public:
    ContrastMapWindow(ContrastMapView& model, ControlBinder& binder, QWidget* parent = nullptr);
    HeatMapWidget* heatMap() const { return map_; }

  private:
    HeatMapWidget* map_ = nullptr;
};

}  // namespace motifora
