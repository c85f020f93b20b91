// A table model whose row and column counts follow a source: its views hear of each change.
#pragma once

#include <QAbstractTableModel>

namespace motifora {

class CountingTableModel : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;

  protected:
    // Sets the shown row count `shown` to `rows`, announcing the rows added or removed at the
    // end.
    void followRows(int& shown, int rows) {
        follow(shown, rows, &CountingTableModel::beginInsertRows,
               &CountingTableModel::endInsertRows, &CountingTableModel::beginRemoveRows,
               &CountingTableModel::endRemoveRows);
    }
    // The same for the shown column count.
    void followColumns(int& shown, int columns) {
        follow(shown, columns, &CountingTableModel::beginInsertColumns,
               &CountingTableModel::endInsertColumns, &CountingTableModel::beginRemoveColumns,
               &CountingTableModel::endRemoveColumns);
    }

  private:
    using Begin = void (QAbstractItemModel::*)(const QModelIndex&, int, int);
    using End = void (QAbstractItemModel::*)();

    void follow(int& shown, int count, Begin beginInsert, End endInsert, Begin beginRemove,
                End endRemove) {
        if (count > shown) {
            (this->*beginInsert)(QModelIndex(), shown, count - 1);
            shown = count;
            (this->*endInsert)();
        } else if (count < shown) {
            (this->*beginRemove)(QModelIndex(), count, shown - 1);
            shown = count;
            (this->*endRemove)();
        }
    }
};

}  // namespace motifora
