// Taking charts and tables away: a chart saved as a PNG or SVG picture, a grid copied to the
// clipboard or saved as CSV or TSV, from the widget's context menu or a window's menu.
#pragma once

#include <QString>

class QTableView;
class QWidget;
class QMenu;

namespace motifora {

class Grid;

// Saves what `widget` shows (a chart, the heat map) to `path`: an SVG drawing when the name ends
// in ".svg", otherwise a PNG picture the widget's size. The file is replaced only when the
// picture is complete. Returns an empty text, or why it failed (naming the file).
QString saveWidgetPicture(QWidget* widget, const QString& path);

// Asks for a file name and saves `widget` there; a failure is shown in a message box.
void saveWidgetPictureAs(QWidget* widget, const QString& title);

// Gives `widget` a context menu with "Save Picture As..." (PNG or SVG).
void addPictureExport(QWidget* widget);

// The text of the rows selected in `view` (every row when none is), header first, as TSV: what
// Copy puts on the clipboard.
QString selectedGridText(QTableView* view, const Grid& grid);

// Asks for a file name and saves the whole grid there as CSV or TSV (by the name's extension);
// a failure is shown in a message box.
void saveGridAs(QTableView* view, const Grid& grid);

// Adds Copy (Ctrl+C), Copy All and "Save Table As..." to `menu` for the grid shown in `view`.
void addGridActions(QMenu* menu, QTableView* view, const Grid& grid);

// Gives a grid view the context menu of addGridActions.
void addGridExport(QTableView* view, const Grid& grid);

// The grid a table view made by createGridView shows, or nullptr for any other widget.
const Grid* gridOf(const QWidget* widget);

}  // namespace motifora
