// A Qt table model over one text grid of the window model: row 0 of the grid is the header.
#pragma once

#include <functional>
#include <string>

#include "ui/model/Controls.h"
#include "ui/qt/CountingTableModel.h"

class QTableView;

namespace motifora {

// Presents a `Grid` to a QTableView. Only the cells the view paints are read, so a grid of
// 100,000 rows costs no more than a small one. The row and column counts the view sees are the
// ones taken at the last `refresh()`; between refreshes the worker may change the grid, and the
// view then reads whatever the cells hold (an empty text outside the grid).
class GridTableModel final : public CountingTableModel {
    Q_OBJECT
  public:
    GridTableModel(Grid& grid, QObject* parent = nullptr);

    Grid& grid() { return grid_; }
    // The tooltip of a cell: `tip` (column, grid row) when it gives a text, else the cell's own
    // text, so that an elided cell can always be read whole.
    using TipSource = std::function<std::string(int column, int row)>;
    void setTipSource(TipSource tip) { tip_ = std::move(tip); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Brings the view up to date with the grid when its change counter moved: rows and columns
    // are inserted or removed at the end (so scroll position and selection survive), then every
    // cell is announced as changed (the view repaints only what it shows). Returns true when
    // anything changed. The caller holds the window model's mutex.
    bool refresh();

  private:
    Grid& grid_;
    TipSource tip_;
    int rows_ = 0;  // data rows shown (grid rows minus the header)
    int columns_ = 0;
    uint64_t seen_ = ~uint64_t{0};
};

class ControlBinder;

// A table view over `grid` for a window: fixed row heights (quick with 100,000 rows), whole-row
// selection, no editing, a fixed-pitch font so that sequences line up, the header row always in
// view; bound to the grid's contents, visibility and enabled state through `binder`.
// Columns fit their texts. The `elastic` column (the long texts: rule, sequence, object) instead
// takes the width the others leave and elides what does not fit, so that every column of the
// grid stays on screen; it does so while the grid has at most kElasticUpTo columns (wider grids,
// such as a matrix, scroll sideways). -1: no elastic column.
constexpr int kElasticUpTo = 8;
QTableView* createGridView(Grid& grid, ControlBinder& binder, const char* name, int elastic = -1);
// The rows a grid view always has room for below its header.
constexpr int kMinimumRows = 5;

}  // namespace motifora
