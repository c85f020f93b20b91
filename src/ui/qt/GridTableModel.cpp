// A Qt table model over one text grid of the window model.
#include "ui/qt/GridTableModel.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>

#include "ui/qt/ControlBinder.h"
#include "ui/qt/ExportActions.h"

namespace motifora {

GridTableModel::GridTableModel(Grid& grid, QObject* parent)
    : CountingTableModel(parent), grid_(grid) {
    refresh();
}

int GridTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int GridTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int column = index.column(), row = index.row() + 1;
    if (role == Qt::DisplayRole) return QString::fromStdString(grid_.cell(column, row));
    if (role != Qt::ToolTipRole) return {};
    std::string tip = tip_ ? tip_(column, row) : std::string();
    if (tip.empty()) tip = grid_.cell(column, row);
    if (tip.empty()) return {};
    return QString::fromStdString(tip);
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return QString::fromStdString(grid_.cell(section, 0));
    return section + 1;
}

bool GridTableModel::refresh() {
    const uint64_t changes = grid_.changes();
    if (changes == seen_) return false;
    seen_ = changes;
    const int rows = std::max(0, grid_.rowCount() - 1);
    const int columns = std::max(0, grid_.colCount());
    followColumns(columns_, columns);
    followRows(rows_, rows);
    if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    if (rows_ > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
    return true;
}

namespace {

// Widest a column grows by itself; longer texts are elided (the tooltip shows them whole).
constexpr int kWidestColumn = 1000;
// Room beside a header text, which some styles draw wider than its size hint says.
constexpr int kHeaderRoom = 10;

// Fits the columns to the texts in view. After a change of shape they are fitted afresh;
// otherwise they only grow, so that a column does not jump while the user reads it. The
// elastic column is left to the header, which gives it the width that remains.
void fitColumns(QTableView* view, int elastic, bool reshaped) {
    QHeaderView* header = view->horizontalHeader();
    const int columns = view->model()->columnCount();
    const int stretched = columns <= kElasticUpTo ? elastic : -1;
    for (int c = 0; c < columns; ++c) {
        const bool stretch = c == stretched;
        const QHeaderView::ResizeMode mode =
            stretch ? QHeaderView::Stretch : QHeaderView::Interactive;
        if (header->sectionResizeMode(c) != mode) {
            header->setSectionResizeMode(c, mode);
            reshaped = true;
        }
        if (stretch) continue;
        const int wanted = std::min(
            kWidestColumn, std::max(static_cast<QAbstractItemView*>(view)->sizeHintForColumn(c),
                                    header->sectionSizeHint(c) + kHeaderRoom));
        if (reshaped || wanted > view->columnWidth(c)) view->setColumnWidth(c, wanted);
    }
}

}  // namespace

QTableView* createGridView(Grid& grid, ControlBinder& binder, const char* name, int elastic) {
    auto* view = new QTableView;
    view->setObjectName(name);
    auto* model = new GridTableModel(grid, view);
    view->setModel(model);
    view->setWordWrap(false);
    view->setTextElideMode(Qt::ElideRight);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->hide();
    view->horizontalHeader()->show();
    view->horizontalHeader()->setMinimumSectionSize(24);
    // Fixed row heights keep a grid of 100,000 rows as quick as a small one.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const int rowHeight = QFontMetrics(fixed).height() + 6;
    view->verticalHeader()->setDefaultSectionSize(rowHeight);
    view->horizontalHeader()->setResizeContentsPrecision(200);
    view->verticalHeader()->setResizeContentsPrecision(200);
    view->horizontalHeader()->setFont(view->font());
    view->setFont(fixed);
    // However the panes are shared out, a grid keeps its header and a few rows in view.
    view->setMinimumHeight(view->horizontalHeader()->sizeHint().height() +
                           kMinimumRows * rowHeight + 2 * view->frameWidth() +
                           view->horizontalScrollBar()->sizeHint().height());
    binder.bind(grid, [&grid, model, view, elastic] {
        const int rows = model->rowCount(), columns = model->columnCount();
        model->refresh();
        view->setVisible(grid.visible());
        view->setEnabled(grid.enabled());
        fitColumns(view, elastic, rows != model->rowCount() || columns != model->columnCount());
    });
    addGridExport(view, grid);
    return view;
}

}  // namespace motifora
