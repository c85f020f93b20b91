// Pictures of charts and text of grids, written through the program's one atomic writer.
#include "ui/qt/ExportActions.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QImage>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSvgGenerator>
#include <QTableView>
#include <algorithm>

#include "io/SafeFile.h"
#include "ui/model/GridExport.h"
#include "ui/qt/GridTableModel.h"

namespace motifora {

namespace {

QByteArray pictureBytes(QWidget* widget, bool svg) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(widget->size());
        generator.setViewBox(QRect(QPoint(0, 0), widget->size()));
        generator.setResolution(widget->logicalDpiX());
        generator.setTitle(widget->windowTitle().isEmpty() ? widget->objectName()
                                                           : widget->windowTitle());
        QPainter painter(&generator);
        widget->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        painter.end();
    } else {
        widget->grab().toImage().save(&buffer, "PNG");
    }
    return bytes;
}

QString writeBytes(const QString& path, const QByteArray& bytes) {
    const Status status = WriteFileAtomically(
        path.toStdString(), std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    return status ? QString() : QString::fromStdString(status.message);
}

}  // namespace

QString saveWidgetPicture(QWidget* widget, const QString& path) {
    const bool svg = path.endsWith(".svg", Qt::CaseInsensitive);
    const QByteArray bytes = pictureBytes(widget, svg);
    if (bytes.isEmpty()) return QObject::tr("Could not draw the picture for %1.").arg(path);
    return writeBytes(path, bytes);
}

void saveWidgetPictureAs(QWidget* widget, const QString& title) {
    QString filter;
    QString path = QFileDialog::getSaveFileName(
        widget, title, QString(), QObject::tr("PNG picture (*.png);;SVG drawing (*.svg)"), &filter);
    if (path.isEmpty()) return;
    if (!path.endsWith(".png", Qt::CaseInsensitive) && !path.endsWith(".svg", Qt::CaseInsensitive))
        path += filter.contains("svg") ? ".svg" : ".png";
    const QString error = saveWidgetPicture(widget, path);
    if (!error.isEmpty()) QMessageBox::warning(widget, title, error);
}

void addPictureExport(QWidget* widget) {
    widget->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* save = new QAction(QObject::tr("Save Picture As..."), widget);
    save->setObjectName("SavePictureAs");
    QObject::connect(save, &QAction::triggered, widget,
                     [widget] { saveWidgetPictureAs(widget, QObject::tr("Save Picture As")); });
    widget->addAction(save);
}

QString selectedGridText(QTableView* view, const Grid& grid) {
    int top = -1, bottom = -1;
    if (view->selectionModel() != nullptr) {
        for (const QItemSelectionRange& range : view->selectionModel()->selection()) {
            if (top < 0 || range.top() < top) top = range.top();
            bottom = std::max(bottom, range.bottom());
        }
    }
    if (top < 0) return QString::fromStdString(gridText(grid, GridTextFormat::Tsv));
    // View rows are grid rows below the header.
    return QString::fromStdString(gridText(grid, GridTextFormat::Tsv, top + 1, bottom + 1));
}

void saveGridAs(QTableView* view, const Grid& grid) {
    const QString title = QObject::tr("Save Table As");
    QString filter;
    QString path = QFileDialog::getSaveFileName(
        view, title, QString(),
        QObject::tr("Comma-separated (*.csv);;Tab-separated (*.tsv *.tab *.txt)"), &filter);
    if (path.isEmpty()) return;
    if (!path.contains('.')) path += filter.contains("tsv") ? ".tsv" : ".csv";
    const Status status = saveGridText(grid, path.toStdString());
    if (!status) QMessageBox::warning(view, title, QString::fromStdString(status.message));
}

void addGridActions(QMenu* menu, QTableView* view, const Grid& grid) {
    QAction* copy = menu->addAction(QObject::tr("Copy"));
    copy->setObjectName("CopyRows");
    QObject::connect(copy, &QAction::triggered, view, [view, &grid] {
        QApplication::clipboard()->setText(selectedGridText(view, grid));
    });
    QAction* copyAll = menu->addAction(QObject::tr("Copy All"));
    copyAll->setObjectName("CopyAll");
    QObject::connect(copyAll, &QAction::triggered, view, [&grid] {
        QApplication::clipboard()->setText(
            QString::fromStdString(gridText(grid, GridTextFormat::Tsv)));
    });
    QAction* save = menu->addAction(QObject::tr("Save Table As..."));
    save->setObjectName("SaveTableAs");
    QObject::connect(save, &QAction::triggered, view, [view, &grid] { saveGridAs(view, grid); });
}

void addGridExport(QTableView* view, const Grid& grid) {
    auto* menu = new QMenu(view);
    menu->setObjectName("GridMenu");
    addGridActions(menu, view, grid);
    // Ctrl+C copies the selected rows while the table has the focus.
    auto* shortcut = new QAction(view);
    shortcut->setShortcut(QKeySequence::Copy);
    shortcut->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(shortcut, &QAction::triggered, view, [view, &grid] {
        QApplication::clipboard()->setText(selectedGridText(view, grid));
    });
    view->addAction(shortcut);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(
        view, &QWidget::customContextMenuRequested, view,
        [view, menu](const QPoint& where) { menu->popup(view->viewport()->mapToGlobal(where)); });
}

const Grid* gridOf(const QWidget* widget) {
    const auto* view = qobject_cast<const QTableView*>(widget);
    if (view == nullptr) return nullptr;
    auto* model = qobject_cast<GridTableModel*>(view->model());
    return model != nullptr ? &model->grid() : nullptr;
}

}  // namespace motifora
