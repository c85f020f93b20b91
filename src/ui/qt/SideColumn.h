// A column shown beside a grid view rather than in it: one text per row of the grid, kept in
// step with the grid's rows and its vertical scrolling. The grid (and what is saved or
// exported from it) keeps its own columns.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "ui/qt/CountingTableModel.h"

class QTableView;

namespace motifora {

// The rows of `rows` (a grid's view model), each with the text `text` gives for its grid row
// (view row + 1).
class SideColumnModel final : public CountingTableModel {
    Q_OBJECT
  public:
    using Source = std::function<std::string(int gridRow)>;
    SideColumnModel(QAbstractItemModel* rows, QString header, Source text,
                    QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QAbstractItemModel* rows_;
    QString header_;
    Source text_;
    int shown_ = 0;  // rows announced to the view
};

// A one-column table named `name` placed right of `beside` in its layout, with the rows,
// row height, font and vertical scrolling of `beside`; selecting a row selects it in both.
QTableView* createSideColumn(QTableView* beside, const QString& header, const char* name,
                             SideColumnModel::Source text);

}  // namespace motifora
