// A column beside a grid view, following its rows, scrolling and selection.
#include "ui/qt/SideColumn.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTableView>

namespace motifora {

SideColumnModel::SideColumnModel(QAbstractItemModel* rows, QString header, Source text,
                                 QObject* parent)
    : CountingTableModel(parent),
      rows_(rows),
      header_(std::move(header)),
      text_(std::move(text)),
      shown_(rows->rowCount()) {
    // Any change of the grid's rows or cells: the rows are counted again and every text is read
    // anew (the view reads only what it shows).
    const auto follow = [this] {
        const int rows = rows_->rowCount();
        followRows(shown_, rows);
        if (shown_ > 0) emit dataChanged(index(0, 0), index(shown_ - 1, 0));
    };
    connect(rows_, &QAbstractItemModel::rowsInserted, this, follow);
    connect(rows_, &QAbstractItemModel::rowsRemoved, this, follow);
    connect(rows_, &QAbstractItemModel::modelReset, this, follow);
    connect(rows_, &QAbstractItemModel::dataChanged, this, follow);
    connect(rows_, &QAbstractItemModel::columnsInserted, this, follow);
    connect(rows_, &QAbstractItemModel::columnsRemoved, this, follow);
}

int SideColumnModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int SideColumnModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant SideColumnModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const std::string text = text_(index.row() + 1);
    if (text.empty() && role == Qt::ToolTipRole) return {};
    return QString::fromStdString(text);
}

QVariant SideColumnModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    return orientation == Qt::Horizontal ? QVariant(header_) : QVariant(section + 1);
}

QTableView* createSideColumn(QTableView* beside, const QString& header, const char* name,
                             SideColumnModel::Source text) {
    auto* view = new QTableView;
    view->setObjectName(name);
    auto* model = new SideColumnModel(beside->model(), header, std::move(text), view);
    view->setModel(model);
    view->setFont(beside->font());
    view->horizontalHeader()->setFont(beside->horizontalHeader()->font());
    view->horizontalHeader()->setStretchLastSection(true);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(beside->verticalHeader()->defaultSectionSize());
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->setVerticalScrollMode(beside->verticalScrollMode());
    // The grid's own scroll bar moves both; a horizontal one keeps the rows level with the grid's.
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const QFontMetrics metrics(view->font());
    view->setFixedWidth(metrics.horizontalAdvance("00:-0000.00") + 2 * view->frameWidth() + 12);
    QObject::connect(beside->verticalScrollBar(), &QScrollBar::valueChanged,
                     view->verticalScrollBar(), &QScrollBar::setValue);
    QObject::connect(view->verticalScrollBar(), &QScrollBar::valueChanged,
                     beside->verticalScrollBar(), &QScrollBar::setValue);
    QObject::connect(view, &QTableView::clicked, beside,
                     [beside](const QModelIndex& index) { beside->selectRow(index.row()); });
    QObject::connect(beside->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
                     [view](const QModelIndex& current) {
                         if (current.isValid()) view->selectRow(current.row());
                     });

    // Into the grid's place: the grid and the column side by side.
    if (auto* box = qobject_cast<QBoxLayout*>(beside->parentWidget()->layout())) {
        const int at = box->indexOf(beside);
        const int stretch = at >= 0 ? box->stretch(at) : 1;
        auto* row = new QHBoxLayout;
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        box->insertLayout(at >= 0 ? at : box->count(), row, stretch);
        box->removeWidget(beside);
        row->addWidget(beside, 1);
        row->addWidget(view);
    }
    return view;
}

}  // namespace motifora
