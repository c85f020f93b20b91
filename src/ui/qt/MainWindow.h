// The workbench's main window: every widget mirrors one control of the window model.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <memory>
#include <vector>

#include "ui/model/GenomeScanForm.h"
#include "ui/qt/ControlBinder.h"
#include "ui/qt/NegativesDialog.h"

class QAction;
class QLabel;
class QLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;
class QTimer;
class QVBoxLayout;

namespace motifora {

class BootstrapWindow;
class ChartBinding;
class ErrRecDialog;
class GenomeScanWindow;
class GridTableModel;
class Grid;
class TMainForm;

// The window adds nothing a model test could not reach: a click calls the model's handler and
// repaints what changed; a 100 ms timer, and the end of each worker, call the model's tick and
// repaint what changed. Every
// widget carries the component name of its control as its object name ("btnStartSearchRules",
// "RulesList", "mmbtnAddSequencies", ...), so tests and scripts find them by name.
class MainWindow final : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(TMainForm& form, QWidget* parent = nullptr);
    ~MainWindow() override;

    TMainForm& form() { return form_; }
    // One timer step: the model's tick (unless a tick is already running, for example behind a
    // message box it opened), then the repaint.
    void tick();
    // Brings every widget up to date with the model; returns how many bindings repainted.
    int syncWidgets();
    // Runs a command handler of the model and repaints; an exception that escapes the handler
    // is shown in a message box, as the application's standard exception message.
    void command(const std::function<void()>& handler);
    QTimer* timer() const { return timer_; }
    QTableView* gridView(const QString& name) const;
    ChartBinding* chart() const { return chart_; }
    ErrRecDialog* errRecDialog() const { return errRec_; }
    // View > Language: "en" or "ru" (the program's own words); shows every text anew and
    // remembers the choice. Returns false for an unknown code.
    bool chooseLanguage(const QString& code);
    // Shows every number with `separator` (',' or '.') from now on and remembers the choice for
    // the next run; the number entries are written again with it.
    void chooseDecimalSeparator(char separator);
    BootstrapWindow* bootstrapWindow() const { return bootstrap_; }
    // The open "Generate negatives..." dialog (null when none is open).
    NegativesDialog* negativesDialog() const { return negatives_; }

  signals:
    // The window was closed: the program ends, whatever other windows (help) are open.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    QWidget* buildRulesPage();
    QWidget* buildObjectsPage();
    QWidget* buildClassesPage();
    QWidget* buildDataArea();
    // A titled grid: a caption label above a table view bound to `grid`.
    // `elastic` is the grid's column of long texts (see createGridView), -1 for none.
    QWidget* gridPane(const char* paneName, TextControl& caption, Grid& grid, const char* gridName,
                      int elastic);
    QPushButton* button(TextControl& control, const char* name, std::function<void()> handler);
    QRadioButton* radio(CheckControl& control, const char* name, std::function<void()> handler);
    QLineEdit* lineEdit(TextControl& control, const char* name);
    // A progress bar named `name` with its percentage beside it (a label "<name>Percent").
    QLayout* progressRow(ProgressBar& model, const char* name, const char* tip);
    QAction* action(QMenu* menu, CheckControl& control, const char* name,
                    std::function<void()> handler, bool checkable = false);
    void syncIdealObjectSelection();
    // The first and last selected rows of the ideal-object view (0-based), or -1 for none.
    void selectedRows(int& top, int& bottom) const;
    void showIdealObjectMenu(const QPoint& where);
    // File > Export > Table: the table last given the focus (or the first one shown), saved as
    // CSV or TSV.
    QTableView* exportedTable() const;
    void exportTable();
    // Rebuilds File > Recent Projects from the model and stores the list (QSettings).
    void showRecentProjects();
    // Control -> "Scan Genome (FASTA)...": shows the genome scan window (made on first use).
    void openGenomeScan();
    // Rules page, "Generate negatives...": the dialog, then the model's command with its request.
    void openNegativesDialog();
    int32_t startGenomeScan();

    TMainForm& form_;
    ControlBinder binder_;
    QTimer* timer_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QMenu* controlMenu_ = nullptr;
    QMenu* idealObjectMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    ChartBinding* chart_ = nullptr;
    ErrRecDialog* errRec_ = nullptr;
    BootstrapWindow* bootstrap_ = nullptr;
    QTableView* idealObjectsView_ = nullptr;
    QPointer<QTableView> lastGridView_;
    bool ticking_ = false;
    bool syncing_ = false;
    bool closing_ = false;
    std::unique_ptr<GenomeScanForm> genomeScan_;
    GenomeScanWindow* genomeScanWindow_ = nullptr;
    QPointer<NegativesDialog> negatives_;
};

}  // namespace motifora
