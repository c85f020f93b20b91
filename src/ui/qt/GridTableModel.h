// A Qt table model over one text grid of the window model: row 0 of the grid is the header.
#pragma once

#include <QAbstractTableModel>

#include "ui/model/Controls.h"

class QTableView;

namespace motifora {

// Presents a `Grid` to a QTableView. Only the cells the view paints are read, so a grid of
// 100,000 rows costs no more than a small one. The row and column counts the view sees are the
// ones taken at the last `refresh()`; between refreshes the worker may change the grid, and the
// view then reads whatever the cells hold (an empty text outside the grid).
class GridTableModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    GridTableModel(Grid& grid, QObject* parent = nullptr);

    Grid& grid() { return grid_; }

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
    int rows_ = 0;  // data rows shown (grid rows minus the header)
    int columns_ = 0;
    uint64_t seen_ = ~uint64_t{0};
};

class ControlBinder;

// A table view over `grid` for a window: fixed row heights (quick with 100,000 rows), whole-row
// selection, no editing, a fixed-pitch font so that sequences line up; bound to the grid's
// contents, visibility and enabled state through `binder`.
QTableView* createGridView(Grid& grid, ControlBinder& binder, const char* name);

}  // namespace motifora
