// The workbench's main window: every widget mirrors one control of the window model.
#include "ui/qt/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <exception>
#include <mutex>

#include "classify/Classificator.h"
#include "ui/model/TMainForm.h"
#include "ui/qt/BootstrapWindow.h"
#include "ui/qt/ChartBinding.h"
#include "ui/qt/ContrastMapWindow.h"
#include "ui/qt/CrossValidationWindow.h"
#include "ui/qt/ErrRecDialog.h"
#include "ui/qt/ExportActions.h"
#include "ui/qt/GenomeScanWindow.h"
#include "ui/qt/GridTableModel.h"
#include "ui/qt/Language.h"
#include "ui/qt/LogoWindow.h"
#include "ui/qt/NegativesDialog.h"
#include "ui/qt/RadioGroupBox.h"
#include "ui/qt/SideColumn.h"
#include "ui/qt/UpDownEdit.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

// A label with a static caption of the window (not a model control).
QLabel* caption(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    return label;
}

// The tool-bar picture of the chart button: a small line chart with square points.
QIcon chartIcon() {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::darkGray, 1.5));
    p.drawLine(3, 3, 3, 21);
    p.drawLine(3, 21, 21, 21);
    const QPoint points[] = {{5, 17}, {10, 9}, {14, 13}, {19, 5}};
    p.setPen(QPen(Qt::red, 1.5));
    p.drawPolyline(points, 4);
    p.setBrush(Qt::red);
    for (const QPoint& pt : points) p.drawRect(pt.x() - 1, pt.y() - 1, 3, 3);
    return QIcon(pixmap);
}

// The tool-bar picture of the error-count save: a sheet with a plus and a minus.
QIcon resultsIcon() {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::darkGray, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(4, 2, 15, 19);
    p.setPen(QPen(QColor(0, 120, 0), 2));
    p.drawLine(7, 8, 13, 8);
    p.drawLine(10, 5, 10, 11);
    p.setPen(QPen(Qt::red, 2));
    p.drawLine(7, 15, 13, 15);
    return QIcon(pixmap);
}

// The platform's keys for a standard command, or `fallback` where the platform has none
// (Save As and Quit have no binding on some desktops).
QList<QKeySequence> standardKeys(QKeySequence::StandardKey key, const char* fallback) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    if (keys.isEmpty()) keys << QKeySequence(QString::fromLatin1(fallback));
    return keys;
}

// Where the list of recent projects is kept between runs.
constexpr const char* kRecentProjectsKey = "recentProjects";
// Where the chosen decimal separator is kept between runs (the program's own comma when none).
constexpr const char* kDecimalSeparatorKey = "decimalSeparator";

}  // namespace

MainWindow::MainWindow(TMainForm& form, QWidget* parent) : QMainWindow(parent), form_(form) {
    setObjectName("MainForm");
    // Never larger than the screen it opens on (the status bar and the page tabs stay in view
    // where a window manager does not maximise it).
    QSize wanted(1280, 860);
    if (const QScreen* on = screen()) wanted = wanted.boundedTo(on->availableGeometry().size());
    resize(wanted);

    // The language and the recent projects of earlier runs.
    Language::restore();
    {
        std::vector<std::string> paths;
        for (const QString& path : QSettings().value(kRecentProjectsKey).toStringList())
            paths.push_back(path.toStdString());
        form_.recentProjects.setPaths(paths);
    }
    buildMenus();
    buildToolBar();
    buildStatusBar();

    pages_ = new QTabWidget;
    pages_->setObjectName("ModePageControl");
    pages_->setTabPosition(QTabWidget::South);
    auto addPage = [this](QWidget* page, const char* title) {
        // Each page scrolls on a small screen rather than squeezing its controls.
        auto* scroll = new QScrollArea;
        scroll->setWidget(page);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        pages_->addTab(scroll, title);
    };
    addPage(buildRulesPage(), "Rules");
    addPage(buildObjectsPage(), "Objects");
    addPage(buildClassesPage(), "Classes");
    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
        if (syncing_) return;
        command([this, index] { form_.setActivePage(static_cast<Page>(index)); });
    });

    auto* split = new QSplitter(Qt::Horizontal);
    split->setObjectName("MainSplitter");
    split->addWidget(pages_);
    // The grids keep their headers and a few rows each; when everything the Classes page can
    // show does not fit the screen, the data area scrolls instead of the window growing past it.
    auto* data = new QScrollArea;
    data->setObjectName("DataAreaScroll");
    data->setWidget(buildDataArea());
    data->setWidgetResizable(true);
    data->setFrameShape(QFrame::NoFrame);
    split->addWidget(data);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({340, 940});
    setCentralWidget(split);

    binder_.bind(form_.Caption, [this] { setWindowTitle(qs(form_.Caption.text())); });

    // The two further windows of the model, created with the main window.
    errRec_ = new ErrRecDialog(
        form_.ErrRecForm, binder_, [this] { syncWidgets(); }, this);
    bootstrap_ = new BootstrapWindow(
        form_.BootStrCtrl, binder_,
        [this](const std::function<void()>& handler) { command(handler); }, this);
    new CrossValidationWindow(
        form_.CrossValForm, binder_,
        [this](const std::function<void()>& handler) { command(handler); }, this);
    new ContrastMapWindow(form_.ContrastMap, binder_, this);
    new LogoWindow(form_.SequenceLogos, binder_, this);

    timer_ = new QTimer(this);
    timer_->setObjectName("SearchingTimer");
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &MainWindow::tick);
    // A worker that ends asks for a tick at once: its end is shown, and the next step (the next
    // class of an error counting, say) can be pressed, without waiting for the timer.
    form_.setWorkerEndListener(
        [this] { QMetaObject::invokeMethod(this, &MainWindow::tick, Qt::QueuedConnection); });
    // The separator chosen in an earlier run, or the comma of the program's own defaults.
    const QString separator = QSettings().value(kDecimalSeparatorKey, ",").toString();
    chooseDecimalSeparator(separator == "." ? '.' : ',');
    timer_->start();
}

// No worker may post to a window that is gone.
MainWindow::~MainWindow() { form_.setWorkerEndListener(nullptr); }

void MainWindow::chooseDecimalSeparator(char separator) {
    if (separator != ',' && separator != '.') return;
    QSettings().setValue(kDecimalSeparatorKey, QString(QChar(separator)));
    {
        std::lock_guard<std::recursive_mutex> lock(form_.mutex());
        form_.useDecimalSeparator(separator);
    }
    for (const char* name : {"DecimalComma", "DecimalPoint"}) {
        if (auto* choice = findChild<QAction*>(name))
            choice->setChecked((separator == ',') == (std::string(name) == "DecimalComma"));
    }
    syncWidgets();
}

bool MainWindow::chooseLanguage(const QString& code) {
    if (!Language::choose(code)) return false;
    // Every text bound to the model is shown again in the new language.
    binder_.invalidate();
    syncWidgets();
    for (QAction* choice : findChildren<QAction*>(QRegularExpression("^Language_")))
        choice->setChecked(choice->objectName() == "Language_" + code);
    return true;
}

void MainWindow::command(const std::function<void()>& handler) {
    if (closing_ || form_.closed()) return;
    try {
        handler();
    } catch (const std::exception& error) {
        QMessageBox::critical(this, QApplication::applicationName(), qs(error.what()));
    } catch (...) {
        QMessageBox::critical(this, QApplication::applicationName(), "Unknown error.");
    }
    syncWidgets();
}

void MainWindow::tick() {
    if (closing_ || form_.closed()) return;
    if (!ticking_) {
        ticking_ = true;
        try {
            form_.SearchingTimerTimer();
        } catch (const std::exception& error) {
            ticking_ = false;
            QMessageBox::critical(this, QApplication::applicationName(), qs(error.what()));
        }
        ticking_ = false;
    }
    syncWidgets();
}

int MainWindow::syncWidgets() {
    // One consistent look at the model: the worker waits while the widgets are brought up to
    // date, which takes a fraction of a millisecond when little changed.
    std::lock_guard<std::recursive_mutex> lock(form_.mutex());
    const bool wasSyncing = syncing_;
    syncing_ = true;
    int painted = binder_.sync();
    const int page = static_cast<int>(form_.activePage());
    if (pages_->currentIndex() != page) pages_->setCurrentIndex(page);
    syncIdealObjectSelection();
    syncing_ = wasSyncing;
    return painted;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Unsaved work brings the save question first; Cancel keeps the window open. Closing then
    // stops the worker and waits for it, and the workspace goes.
    if (!form_.closed() && !form_.requestClose()) {
        event->ignore();
        syncWidgets();
        return;
    }
    closing_ = true;
    timer_->stop();
    event->accept();
    emit closed();
}

QTableView* MainWindow::gridView(const QString& name) const { return findChild<QTableView*>(name); }

void MainWindow::showRecentProjects() {
    // The menu lists the model's paths, and the list is stored for the next run.
    const std::vector<std::string> paths = form_.recentProjects.paths();
    QStringList stored;
    recentMenu_->clear();
    int number = 0;
    for (const std::string& path : paths) {
        const QString text = qs(path);
        stored << text;
        ++number;
        QAction* open =
            recentMenu_->addAction(QString("&%1 %2").arg(number).arg(QFileInfo(text).fileName()));
        open->setObjectName(QString("RecentProject%1").arg(number));
        open->setToolTip(text);
        open->setStatusTip(text);
        connect(open, &QAction::triggered, this,
                [this, path] { command([this, path] { form_.openRecentProject(path); }); });
    }
    recentMenu_->setEnabled(!paths.empty());
    QSettings().setValue(kRecentProjectsKey, stored);
}

// ---- building blocks ----

QPushButton* MainWindow::button(TextControl& control, const char* name,
                                std::function<void()> handler) {
    auto* b = new QPushButton(qs(control.text()));
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, [this, handler] { command(handler); });
    binder_.bindButton(control, b);
    return b;
}

QRadioButton* MainWindow::radio(CheckControl& control, const char* name,
                                std::function<void()> handler) {
    auto* r = new QRadioButton(qs(control.text()));
    r->setObjectName(name);
    // Radio buttons of a group are exclusive in the model; Qt's own exclusivity would fight the
    // repaint, so each button only reports the click and shows the model's check.
    r->setAutoExclusive(false);
    connect(r, &QRadioButton::clicked, this, [this, handler] { command(handler); });
    binder_.bindCheck(control, r);
    return r;
}

QLineEdit* MainWindow::lineEdit(TextControl& control, const char* name) {
    auto* e = new QLineEdit(qs(control.text()));
    e->setObjectName(name);
    connect(e, &QLineEdit::textEdited, this,
            [&control](const QString& text) { control.setText(text.toStdString()); });
    binder_.bindEdit(control, e);
    return e;
}

QAction* MainWindow::action(QMenu* menu, CheckControl& control, const char* name,
                            std::function<void()> handler, bool checkable) {
    auto* a = menu->addAction(qs(control.text()));
    a->setObjectName(name);
    a->setCheckable(checkable);
    connect(a, &QAction::triggered, this, [this, handler] { command(handler); });
    binder_.bindAction(control, a);
    return a;
}

QWidget* MainWindow::gridPane(const char* paneName, TextControl& captionControl, Grid& grid,
                              const char* gridName, int elastic) {
    auto* pane = new QWidget;
    pane->setObjectName(paneName);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto* label = new QLabel(qs(captionControl.text()));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    binder_.bindLabel(captionControl, label);
    layout->addWidget(label);
    QTableView* view = createGridView(grid, binder_, gridName, elastic);
    layout->addWidget(view, 1);
    // The pane follows its grid's visibility, so a hidden grid leaves no empty caption behind.
    binder_.bind(grid, [&grid, pane] { pane->setVisible(grid.visible()); });
    return pane;
}

QLayout* MainWindow::progressRow(ProgressBar& model, const char* name, const char* tip) {
    auto* row = new QHBoxLayout;
    auto* bar = new QProgressBar;
    bar->setObjectName(name);
    bar->setToolTip(tip);
    bar->setTextVisible(false);
    bar->setMaximumHeight(14);
    auto* percent = new QLabel;
    percent->setObjectName(QString(name) + "Percent");
    percent->setToolTip(tip);
    percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    percent->setMinimumWidth(percent->fontMetrics().horizontalAdvance("100 %") + 4);
    row->addWidget(bar, 1);
    row->addWidget(percent);
    binder_.bind(model, [&model, bar, percent] {
        bar->setRange(model.minimum(), model.maximum());
        bar->setValue(model.position());
        bar->setVisible(model.visible());
        percent->setText(QString::number(model.percent()) + " %");
        percent->setVisible(model.visible());
    });
    return row;
}

// ---- menus, tool bar, status bar ----

void MainWindow::buildMenus() {
    TMainForm& f = form_;
    QMenu* file = menuBar()->addMenu(qs(f.File1.text()));
    file->setObjectName("File1");
    action(file, f.mmbtnNewProject, "mmbtnNewProject", [&f] {
        f.mmbtnNewProjectClick();
    })->setShortcuts(standardKeys(QKeySequence::New, "Ctrl+N"));
    action(file, f.mmbtnOpenProject, "mmbtnOpenProject", [&f] {
        f.mmbtnOpenProjectClick();
    })->setShortcuts(standardKeys(QKeySequence::Open, "Ctrl+O"));
    action(file, f.mmbtnSaveProject, "mmbtnSaveProject", [&f] {
        f.mmbtnSaveProjectClick();
    })->setShortcuts(standardKeys(QKeySequence::Save, "Ctrl+S"));
    action(file, f.mmbtnSaveProjectAs, "mmbtnSaveProjectAs", [&f] {
        f.mmbtnSaveProjectAsClick();
    })->setShortcuts(standardKeys(QKeySequence::SaveAs, "Ctrl+Shift+S"));
    action(file, f.SaveAsText1, "SaveAsText1", [&f] { f.SaveAsText1Click(); });
    // The chart as a picture, the table last used as CSV or TSV.
    QMenu* exportMenu = file->addMenu(tr("Export"));
    exportMenu->setObjectName("ExportMenu");
    exportMenu
        ->addAction(tr("Chart as PNG or SVG..."), this,
                    [this] { saveWidgetPictureAs(chart_, tr("Export Chart")); })
        ->setObjectName("ExportChart");
    exportMenu->addAction(tr("Table as CSV or TSV..."), this, [this] { exportTable(); })
        ->setObjectName("ExportTable");
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (gridOf(now) != nullptr) lastGridView_ = qobject_cast<QTableView*>(now);
    });
    recentMenu_ = file->addMenu(QStringLiteral("Recent Projects"));
    recentMenu_->setObjectName("RecentProjectsMenu");
    binder_.bind(f.recentProjects, [this] { showRecentProjects(); });
    action(file, f.mmbtnSaveEvaluationReport, "mmbtnSaveEvaluationReport",
           [&f] { f.mmbtnSaveEvaluationReportClick(); });
    file->addSeparator();
    // Exit closes the window; the close event stops the worker and ends the workspace.
    action(file, f.mmbtnExit, "mmbtnExit", [this] {
        close();
    })->setShortcuts(standardKeys(QKeySequence::Quit, "Ctrl+Q"));
    binder_.bindMenu(f.File1, file);

    QMenu* source = menuBar()->addMenu(qs(f.Source1.text()));
    source->setObjectName("Source1");
    action(source, f.mmbtnAddSequencies, "mmbtnAddSequencies",
           [&f] { f.mmbtnAddSequenciesClick(); });
    action(source, f.mmbtnAddNegativeSequencies, "mmbtnAddNegativeSequencies",
           [&f] { f.mmbtnAddNegativeSequenciesClick(); });
    binder_.bindMenu(f.Source1, source);

    controlMenu_ = menuBar()->addMenu(qs(f.Control1.text()));
    controlMenu_->setObjectName("Control1");
    action(controlMenu_, f.mmbtnAddControlPositive, "mmbtnAddControlPositive",
           [&f] { f.mmbtnAddControlPositiveClick(); });
    action(controlMenu_, f.mmbtnAddControlNegative, "mmbtnAddControlNegative",
           [&f] { f.mmbtnAddControlNegativeClick(); });
    controlMenu_->addSeparator();
    controlMenu_->addAction(tr("Scan Genome (FASTA)..."), this, [this] { openGenomeScan(); })
        ->setObjectName("mmbtnScanGenome");
    action(controlMenu_, f.mmbtnCrossValidation, "mmbtnCrossValidation",
           [&f] { f.mmbtnCrossValidationClick(); });
    binder_.bindMenu(f.Control1, controlMenu_);

    QMenu* view = menuBar()->addMenu(qs(f.View1.text()));
    view->setObjectName("View1");
    action(
        view, f.mmbtnNegativeSequecies, "mmbtnNegativeSequecies",
        [&f] { f.mmbtnNegativeSequeciesClick(); }, true);
    action(
        view, f.mmbtnVisiblePositiveControl, "mmbtnVisiblePositiveControl",
        [&f] { f.mmbtnVisiblePositiveControlClick(); }, true);
    view->addAction(tr("Sequence Logos..."), this,
                    [this] {
                        if (form_.ShowLogos() == 0)
                            QMessageBox::information(this, tr("Sequence Logos"),
                                                     tr("Load a learning sample first."));
                    })
        ->setObjectName("SequenceLogos");
    // The language of the texts: the program's own words or English, remembered for the next run.
    view->addSeparator();
    QMenu* language = view->addMenu(QStringLiteral("Language"));
    language->setObjectName("LanguageMenu");
    auto* languages = new QActionGroup(language);
    for (const auto& [code, name] : {std::pair<const char*, const char*>{"ru", "Русский"},
                                     std::pair<const char*, const char*>{"en", "English"}}) {
        QAction* choice = language->addAction(QString::fromUtf8(name));
        choice->setObjectName(QString("Language_") + code);
        choice->setCheckable(true);
        choice->setChecked(Language::current() == code);
        languages->addAction(choice);
        connect(choice, &QAction::triggered, this,
                [this, code = QString(code)] { chooseLanguage(code); });
    }
    // The decimal separator of every number the window shows, remembered for the next run.
    QMenu* separators = view->addMenu(QStringLiteral("Decimal Separator"));
    separators->setObjectName("DecimalSeparatorMenu");
    auto* separatorGroup = new QActionGroup(separators);
    for (const auto& [separator, name] : {std::pair<char, const char*>{',', "Comma (0,05)"},
                                          std::pair<char, const char*>{'.', "Point (0.05)"}}) {
        QAction* choice = separators->addAction(QString::fromUtf8(name));
        choice->setObjectName(separator == ',' ? "DecimalComma" : "DecimalPoint");
        choice->setCheckable(true);
        separatorGroup->addAction(choice);
        connect(choice, &QAction::triggered, this,
                [this, separator = separator] { chooseDecimalSeparator(separator); });
    }
    binder_.bindMenu(f.View1, view);

    QMenu* help = menuBar()->addMenu(qs(f.Help1.text()));
    help->setObjectName("Help1");
    action(help, f.MotiforaHelp1, "MotiforaHelp1", [&f] {
        f.MotiforaHelp1Click();
    })->setShortcut(QKeySequence(Qt::Key_F1));
    action(help, f.About1, "About1", [&f] { f.About1Click(); });
    binder_.bindMenu(f.Help1, help);

    // The pop-up menu of the ideal-object grid.
    idealObjectMenu_ = new QMenu(this);
    idealObjectMenu_->setObjectName("IdealObjPopupMenu");
    action(idealObjectMenu_, f.D1, "D1", [&f] { f.D1Click(); });
    action(idealObjectMenu_, f.ShowObjects1, "ShowObjects1", [&f] { f.ShowObjects1Click(); });
    action(idealObjectMenu_, f.ShowRegularities1, "ShowRegularities1",
           [&f] { f.ShowRegularities1Click(); });
    action(idealObjectMenu_, f.WeightMatrix1, "WeightMatrix1", [&f] { f.WeightMatrix1Click(); });
    action(idealObjectMenu_, f.RecognitionMatrix1, "RecognitionMatrix1",
           [&f] { f.RecognitionMatrix1Click(); });
}

void MainWindow::buildToolBar() {
    TMainForm& f = form_;
    QToolBar* bar = addToolBar("Tools");
    bar->setObjectName("ToolBar1");
    bar->setMovable(false);
    auto add = [this, bar](Control& control, const char* name, const QIcon& icon, const char* tip,
                           std::function<void()> handler) {
        QAction* a = bar->addAction(icon, tip);
        a->setObjectName(name);
        a->setToolTip(tip);
        connect(a, &QAction::triggered, this, [this, handler] { command(handler); });
        binder_.bindAction(control, a);
        return a;
    };
    QStyle* s = style();
    add(f.btnNewProject, "btnNewProject", s->standardIcon(QStyle::SP_FileIcon), "New Project",
        [&f] { f.mmbtnNewProjectClick(); });
    add(f.btnOpenProject, "btnOpenProject", s->standardIcon(QStyle::SP_DialogOpenButton),
        "Open Project...", [&f] { f.mmbtnOpenProjectClick(); });
    add(f.btnSaveProject, "btnSaveProject", s->standardIcon(QStyle::SP_DialogSaveButton),
        "Save the error-count results as HTML", [&f] { f.btnSaveProjectClick(); });
    bar->addSeparator();
    add(f.SaveRecErrBtn, "SaveRecErrBtn", resultsIcon(), "Save the error-count results as HTML",
        [&f] { f.SaveRecErrBtnClick(); });
    add(f.btnHideShowChart, "btnHideShowChart", chartIcon(), "Show or hide the chart",
        [&f] { f.btnHideShowChartClick(); });
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(true);
    const StatusBar& model = form_.StatusBar1;
    std::vector<QLabel*> panels;
    for (int i = 0; i < StatusBar::kPanels; ++i) {
        auto* panel = new QLabel;
        panel->setObjectName(QString("StatusPanel%1").arg(i));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        // The first two panels keep their widths; the free panel takes what is left.
        if (i < 2)
            panel->setFixedWidth(model.panelWidth(i));
        else
            panel->setMinimumWidth(std::min(model.panelWidth(i), 200));
        bar->addWidget(panel, i < 2 ? 0 : 1);
        panels.push_back(panel);
    }
    binder_.bind(model, [&model, panels] {
        for (int i = 0; i < StatusBar::kPanels; ++i) {
            const QString text = shown(model.panel(i));
            panels[static_cast<size_t>(i)]->setText(text);
            panels[static_cast<size_t>(i)]->setToolTip(text);
        }
    });
}

// ---- the three pages ----

QWidget* MainWindow::buildRulesPage() {
    TMainForm& f = form_;
    auto* page = new QWidget;
    page->setObjectName("RulesTabSheet");
    auto* layout = new QVBoxLayout(page);

    auto* settings = new QFormLayout;
    settings->addRow(caption("Confidence interval", page), lineEdit(f.ConfIntEdit, "ConfIntEdit"));
    settings->addRow(caption("Min. level of CP", page), lineEdit(f.CPEdit, "CPEdit"));
    auto* finish =
        boundUpDownEdit(f.FinishStorSizeEdit, f.FinishUpDown, binder_, "FinishStorSizeEdit");
    settings->addRow(caption("Size of Finish Buffer", page), finish);
    auto* sub =
        boundUpDownEdit(f.SubBuffersSizeEdit, f.SubBufUpDown, binder_, "SubBuffersSizeEdit");
    settings->addRow(caption("Size of Sub Buffers", page), sub);
    layout->addLayout(settings);

    layout->addLayout(
        progressRow(f.FinishProgress, "FinishProgress", "Rules kept in the final buffer"));
    layout->addLayout(progressRow(f.PreBufProgress, "PreBufProgress", "Pre-buffer"));
    layout->addLayout(progressRow(f.PostBufProgress, "PostBufProgress", "Post-buffer"));

    auto* alignment = new QGroupBox("Alignment type");
    alignment->setObjectName("AlignmentGroup");
    auto* alignmentLayout = new QVBoxLayout(alignment);
    alignmentLayout->addWidget(radio(f.btnFixedPositionsRadio, "btnFixedPositionsRadio",
                                     [&f] { f.chooseAlignment(false); }));
    alignmentLayout->addWidget(radio(f.btnShiftPositionsRadio, "btnShiftPositionsRadio",
                                     [&f] { f.chooseAlignment(true); }));
    auto* frameRow = new QFormLayout;
    auto* frame = boundUpDownEdit(f.FrameWidthEdit, f.FrameWidthUpDown, binder_, "FrameWidthEdit");
    frameRow->addRow(caption("Width of scaning frame", alignment), frame);
    alignmentLayout->addLayout(frameRow);
    layout->addWidget(alignment);

    // What the regularities predict: a letter (the rules grid) or the sample (the
    // discriminative rules grid); the heat map of the latter opens beside the window.
    auto* regularities = new RadioGroupBox(
        f.RegularitiesGroup, binder_, "RegularitiesGroup",
        [this, &f](int32_t i) { command([&f, i] { f.RegularitiesGroupClick(i); }); });
    regularities->item(1)->setToolTip(
        "Rules that tell the learning positives from the learning negatives");
    auto* regularitiesLayout = static_cast<QVBoxLayout*>(regularities->layout());
    regularitiesLayout->addWidget(
        button(f.btnContrastMap, "btnContrastMap", [&f] { f.btnContrastMapClick(); }));
    // A learning negative sample made from the positives or a genome, for when there is none.
    auto* negatives = new QPushButton("Generate negatives...");
    negatives->setObjectName("btnGenerateNegatives");
    negatives->setToolTip(
        "Make a learning negative sample: shuffles of the learning positives, or windows of a "
        "background genome");
    connect(negatives, &QPushButton::clicked, this, [this] { openNegativesDialog(); });
    regularitiesLayout->addWidget(negatives);
    layout->addWidget(regularities);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button(f.btnStartSearchRules, "btnStartSearchRules",
                              [&f] { f.btnStartSearchRulesClick(); }));
    buttons->addWidget(
        button(f.btnStopSearchRules, "btnStopSearchRules", [&f] { f.btnStopSearchRulesClick(); }));
    buttons->addWidget(button(f.btnPauseSearchRules, "btnPauseSearchRules",
                              [&f] { f.btnPauseSearchRulesClick(); }));
    layout->addLayout(buttons);

    auto* time = new QHBoxLayout;
    time->addWidget(caption("Searching time:", page));
    auto* timer = new QLabel;
    timer->setObjectName("TimerLabel");
    binder_.bindLabel(f.TimerLabel, timer);
    time->addWidget(timer, 1);
    layout->addLayout(time);
    layout->addStretch();
    return page;
}

QWidget* MainWindow::buildObjectsPage() {
    TMainForm& f = form_;
    auto* page = new QWidget;
    page->setObjectName("ObjectsTabSheet");
    auto* layout = new QVBoxLayout(page);

    auto* time = new QHBoxLayout;
    time->addWidget(caption("Searching time:", page));
    auto* elapsed = new QLabel;
    elapsed->setObjectName("lblTime");
    binder_.bindLabel(f.lblTime, elapsed);
    time->addWidget(elapsed, 1);
    layout->addLayout(time);

    auto* countdown = new QLabel;
    countdown->setObjectName("CountDownLabel");
    QFont large = countdown->font();
    large.setPointSize(large.pointSize() * 3);
    large.setBold(true);
    countdown->setFont(large);
    countdown->setAlignment(Qt::AlignCenter);
    countdown->setMinimumHeight(QFontMetrics(large).height() + 8);
    binder_.bindLabel(f.CountDownLabel, countdown);
    layout->addWidget(countdown);

    auto* type = new QGroupBox("Idealization type");
    type->setObjectName("IdealizationTypeGroup");
    auto* typeLayout = new QVBoxLayout(type);
    typeLayout->addWidget(radio(f.btnDeletingBeginRadio, "btnDeletingBeginRadio", [&f] {
        f.chooseIdealizationType(IdealizationType::kDeletingBegin);
    }));
    typeLayout->addWidget(radio(f.btnInsertingBeginRadio, "btnInsertingBeginRadio", [&f] {
        f.chooseIdealizationType(IdealizationType::kInsertingBegin);
    }));
    typeLayout->addWidget(radio(f.btnDeletingInsirtingRadio, "btnDeletingInsirtingRadio", [&f] {
        f.chooseIdealizationType(IdealizationType::kDeletingInserting);
    }));
    layout->addWidget(type);

    RadioGroup& group = f.ObjsSourceGroup;
    auto* source = new RadioGroupBox(group, binder_, "ObjsSourceGroup", [this, &group](int32_t i) {
        command([&group, i] { group.setItemIndex(i); });
    });
    layout->addWidget(source);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button(f.btnStartIdealization, "btnStartIdealization",
                              [&f] { f.btnStartIdealizationClick(); }));
    buttons->addWidget(button(f.btnStopIdealization, "btnStopIdealization",
                              [&f] { f.btnStopIdealizationClick(); }));
    buttons->addWidget(button(f.btnPauseIdealization, "btnPauseIdealization",
                              [&f] { f.btnPauseIdealizationClick(); }));
    layout->addLayout(buttons);
    layout->addStretch();
    return page;
}

QWidget* MainWindow::buildClassesPage() {
    TMainForm& f = form_;
    auto* page = new QWidget;
    page->setObjectName("ClassesTabSheet");
    auto* layout = new QVBoxLayout(page);

    auto* heading = caption("Classification", page);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    auto* classify = new QHBoxLayout;
    classify->addWidget(button(f.btnStartSearchClass, "btnStartSearchClass",
                               [&f] { f.btnStartSearchClassClick(); }));
    classify->addWidget(button(f.btnPauseSearchClass, "btnPauseSearchClass",
                               [&f] { f.btnPauseSearchClassClick(); }));
    classify->addWidget(
        button(f.btnStopSearchClass, "btnStopSearchClass", [&f] { f.btnStopSearchClassClick(); }));
    layout->addLayout(classify);

    layout->addWidget(
        button(f.btnStartBootstrap, "btnStartBootstrap", [&f] { f.btnStartBootstrapClick(); }));
    layout->addSpacing(8);
    layout->addWidget(button(f.btnStartRecognition, "btnStartRecognition",
                             [&f] { f.btnStartRecognitionClick(); }));
    // The score a scanning recognition charts (the class chosen in Class Objects, or the
    // discriminative rules of the Rules page).
    RadioGroup& scanScore = f.ScanScoreGroup;
    auto* scanScoreBox = new RadioGroupBox(
        scanScore, binder_, "ScanScoreGroup",
        [this, &scanScore](int32_t i) { command([&scanScore, i] { scanScore.setItemIndex(i); }); });
    scanScoreBox->item(0)->setToolTip("The score of the class chosen in Class Objects");
    scanScoreBox->item(1)->setToolTip(
        "The score of the discriminative rules found on the Rules page (Regularities: samples)");
    layout->addWidget(scanScoreBox);
    // The scanning recognition's progress (long control sequences).
    layout->addLayout(progressRow(f.ScanProgress, "ScanProgress", "Windows scanned"));
    auto* arranged = new QCheckBox(qs(f.Rec_Arranged.text()));
    arranged->setObjectName("Rec_Arranged");
    connect(arranged, &QCheckBox::clicked, this, [this, &f](bool checked) {
        command([&f, checked] { f.Rec_Arranged.setChecked(checked); });
    });
    binder_.bindCheck(f.Rec_Arranged, arranged);
    layout->addWidget(arranged);
    layout->addSpacing(8);
    layout->addWidget(
        button(f.btnCountRecErrors, "btnCountRecErrors", [&f] { f.btnCountRecErrorsClick(); }));

    auto* errors = new QGridLayout;
    errors->addWidget(caption("Recogn. Level", page), 0, 0);
    QLineEdit* level = lineEdit(f.RecLevelEdit, "RecLevelEdit");
    connect(level, &QLineEdit::returnPressed, this,
            [this, &f] { command([&f] { f.ReCount2(); }); });
    errors->addWidget(level, 0, 1);
    errors->addWidget(caption("1st level error", page), 1, 0);
    QLineEdit* first = lineEdit(f.FirstLErrEd, "FirstLErrEd");
    connect(first, &QLineEdit::returnPressed, this,
            [this, &f] { command([&f] { f.FstReCount2(); }); });
    errors->addWidget(first, 1, 1);
    auto* firstIn = new QLabel;
    firstIn->setObjectName("FstErrInW");
    binder_.bindLabel(f.FstErrInW, firstIn);
    errors->addWidget(firstIn, 2, 1);
    errors->addWidget(caption("2nd level error", page), 3, 0);
    auto* second = new QLabel;
    second->setObjectName("SecondLErr");
    second->setTextInteractionFlags(Qt::TextSelectableByMouse);
    binder_.bindLabel(f.SecondLErr, second);
    errors->addWidget(second, 3, 1);
    auto* secondIn = new QLabel;
    secondIn->setObjectName("SecErrInW");
    binder_.bindLabel(f.SecErrInW, secondIn);
    errors->addWidget(secondIn, 4, 1);
    auto* uncounted = new QLabel;
    uncounted->setObjectName("UncountedNegatives");
    uncounted->setWordWrap(true);
    binder_.bindLabel(f.UncountedNegatives, uncounted);
    errors->addWidget(uncounted, 5, 0, 1, 2);
    layout->addLayout(errors);
    layout->addWidget(button(f.btnNextClassErrCount, "btnNextClassErrCount",
                             [&f] { f.btnNextClassErrCountClick(); }));
    layout->addStretch();
    return page;
}

// ---- the data area ----

QWidget* MainWindow::buildDataArea() {
    TMainForm& f = form_;
    auto* area = new QSplitter(Qt::Vertical);
    area->setObjectName("DataArea");
    area->setChildrenCollapsible(false);

    // Learning samples: the positive list, and the negative list below it when shown.
    auto* sequences = new QSplitter(Qt::Vertical);
    sequences->setObjectName("SequencesPanel");
    sequences->setChildrenCollapsible(false);
    sequences->addWidget(
        gridPane("PositivePane", f.PositiveLabel, f.SequencesList, "SequencesList", 3));
    sequences->addWidget(
        gridPane("NegativePane", f.NegativeLabel, f.NegSequencesList, "NegSequencesList", 3));
    binder_.bindVisible(f.SequencesPanel, sequences);
    area->addWidget(sequences);

    // Control samples (Classes page): the positive list, when shown, above the negative one.
    auto* control = new QSplitter(Qt::Vertical);
    control->setObjectName("ControlPanel");
    control->setChildrenCollapsible(false);
    control->addWidget(
        gridPane("PosCtrlPane", f.PosCtrlLabel, f.PosCtrlSeqsList, "PosCtrlSeqsList", 3));
    control->addWidget(gridPane("NewSeqsPane", f.NewSeqsLabel, f.NewSeqsList, "NewSeqsList", 3));
    // A control row's tooltip tells its held-out reading (best class, score, the decision at a
    // cross-validated level); cells without one show their own text.
    for (const auto& [gridName, kind] : {std::pair{"PosCtrlSeqsList", SampleKind::ControlPositive},
                                         std::pair{"NewSeqsList", SampleKind::ControlNegative}}) {
        auto* view = control->findChild<QTableView*>(gridName);
        // The sequence column keeps its own text as its tooltip (it is often elided).
        static_cast<GridTableModel*>(view->model())->setTipSource([&f, kind](int column, int row) {
            return column == 3 ? std::string() : f.controlDecisionDetail(kind, row);
        });
    }
    // Each recognised sequence's best class and score in a column beside its grid, which keeps
    // its own columns.
    {
        auto* negatives = control->findChild<QTableView*>("NewSeqsList");
        QTableView* best = createSideColumn(negatives, "Best class", "NewSeqsBestClass",
                                            [&f](int row) { return f.bestClassOf(row); });
        binder_.bind(f.NewSeqsList, [&f, best] {
            best->setVisible(f.NewSeqsList.visible() && f.NewSeqsList.colCount() > 5);
        });
    }
    area->addWidget(control);

    // Rules, or the ideal objects on the Objects and Classes pages.
    auto* lower = new QWidget;
    lower->setObjectName("LowerPane");
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(2, 2, 2, 2);
    lowerLayout->setSpacing(2);
    auto* lowerLabel = new QLabel;
    lowerLabel->setObjectName("LowerGridLabel");
    QFont bold = lowerLabel->font();
    bold.setBold(true);
    lowerLabel->setFont(bold);
    binder_.bindLabel(f.LowerGridLabel, lowerLabel);
    lowerLayout->addWidget(lowerLabel);
    QTableView* rules = createGridView(f.RulesList, binder_, "RulesList", 2);
    // The Fisher column shows "%f"; its tooltip and the status bar show the value in full.
    static_cast<GridTableModel*>(rules->model())->setTipSource([&f](int column, int row) {
        return column == 1 ? f.fisherDetail(row) : std::string();
    });
    connect(rules->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (syncing_ || !current.isValid()) return;
                command([this, row = current.row() + 1] { form_.RulesListSelect(row); });
            });
    lowerLayout->addWidget(rules, 1);
    lowerLayout->addWidget(createGridView(f.ContrastRulesList, binder_, "ContrastRulesList", 2), 1);
    idealObjectsView_ = createGridView(f.IdealizObjectsList, binder_, "IdealizObjectsList", 2);
    idealObjectsView_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    // Its own menu of class commands instead of the grid's (which it shows while there are no
    // classes); Ctrl+C and File > Export still copy and save the table.
    disconnect(idealObjectsView_, &QWidget::customContextMenuRequested, nullptr, nullptr);
    connect(idealObjectsView_, &QWidget::customContextMenuRequested, this,
            &MainWindow::showIdealObjectMenu);
    connect(idealObjectsView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] {
                if (syncing_) return;
                int top = -1, bottom = -1;
                selectedRows(top, bottom);
                if (top < 0) return;
                form_.IdealizObjectsList.select(top + 1, bottom + 1);
            });
    connect(idealObjectsView_, &QTableView::doubleClicked, this,
            [this] { command([this] { form_.ShowClass(); }); });
    lowerLayout->addWidget(idealObjectsView_, 1);
    area->addWidget(lower);

    // Class objects (Classes page), and the chart beside them when shown.
    auto* classObjects = new QSplitter(Qt::Horizontal);
    classObjects->setObjectName("ClassObjectsPanel");
    classObjects->setChildrenCollapsible(false);
    classObjects->addWidget(
        gridPane("ClassListPane", f.ClassListLabel, f.ClassList, "ClassList", 2));
    chart_ = new ChartBinding(f.Chart1);
    classObjects->addWidget(chart_);
    binder_.bind(f.Chart1, [this] { chart_->refresh(); });
    // A point of a scan names its record and position; the hits sit beside the chart.
    chart_->setPlaceSource([&f](double x) { return f.scanPlaceText(x); });
    // The hits, and under them the letters of the one chosen on the chart or in the table.
    auto* hitsPane = new QWidget;
    auto* hitsLayout = new QVBoxLayout(hitsPane);
    hitsLayout->setContentsMargins(0, 0, 0, 0);
    QTableView* hits = createGridView(f.ScanHitsList, binder_, "ScanHitsList", 0);
    hitsLayout->addWidget(hits, 1);
    auto* letters = new QLabel;
    letters->setObjectName("ScanHitLetters");
    letters->setWordWrap(true);
    letters->setTextInteractionFlags(Qt::TextSelectableByMouse);
    letters->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    binder_.bindLabel(f.ScanHitLetters, letters);
    hitsLayout->addWidget(letters);
    binder_.bind(f.ScanHitsList,
                 [hitsPane, &f] { hitsPane->setVisible(f.ScanHitsList.visible()); });
    connect(hits, &QTableView::clicked, this,
            [&f](const QModelIndex& index) { f.ShowScanHit(index.row() + 1); });
    // A click on the chart chooses the hit within a few pixels of it.
    connect(chart_, &ChartBinding::clickedAt, this, [this, hits, &f](double x) {
        const double width = chart_->chart()->plotArea().width();
        const auto [low, high] = chart_->shownRange();
        const double reach = width > 0 ? 4.0 * (high - low) / width : 0.0;
        const int32_t row = f.ScanChartClicked(x, reach);
        if (row < 1) return;
        hits->selectRow(row - 1);
        hits->scrollTo(hits->model()->index(row - 1, 0));
    });
    classObjects->addWidget(hitsPane);
    classObjects->setStretchFactor(0, 1);
    classObjects->setStretchFactor(1, 1);
    classObjects->setStretchFactor(2, 1);
    area->addWidget(classObjects);

    binder_.bind(f.ClassesPanel, [&f, control, classObjects] {
        control->setVisible(f.ClassesPanel.visible());
        classObjects->setVisible(f.ClassesPanel.visible());
    });
    area->setStretchFactor(0, 3);
    area->setStretchFactor(1, 3);
    area->setStretchFactor(2, 2);
    area->setStretchFactor(3, 3);
    return area;
}

QTableView* MainWindow::exportedTable() const {
    if (lastGridView_ != nullptr && lastGridView_->isVisible()) return lastGridView_;
    // No table used yet: the first one shown.
    for (QTableView* view : findChildren<QTableView*>())
        if (view->isVisible() && gridOf(view) != nullptr) return view;
    return nullptr;
}

void MainWindow::exportTable() {
    QTableView* view = exportedTable();
    if (view == nullptr) {
        QMessageBox::information(this, tr("Export Table"), tr("No table is shown."));
        return;
    }
    saveGridAs(view, *gridOf(view));
}

void MainWindow::selectedRows(int& top, int& bottom) const {
    // Ranges, not single cells: a selection of 100,000 rows is a handful of ranges.
    top = bottom = -1;
    for (const QItemSelectionRange& range : idealObjectsView_->selectionModel()->selection()) {
        if (top < 0 || range.top() < top) top = range.top();
        bottom = std::max(bottom, range.bottom());
    }
}

void MainWindow::syncIdealObjectSelection() {
    // The model's selection is the one the commands use; the view shows exactly that one,
    // also after a refill has cleared the view's own.
    const Grid& grid = form_.IdealizObjectsList;
    const int top = grid.selectionTop(), bottom = grid.selectionBottom();
    QAbstractItemModel* model = idealObjectsView_->model();
    const int rows = model->rowCount();
    if (top < 1 || top > rows || model->columnCount() == 0) return;
    const int last = std::min(bottom, rows);
    int shownTop = -1, shownBottom = -1;
    selectedRows(shownTop, shownBottom);
    if (shownTop >= 0) {
        ++shownTop;
        ++shownBottom;
    }
    if (shownTop == top && shownBottom == last) return;
    const QItemSelection selection(model->index(top - 1, 0),
                                   model->index(last - 1, model->columnCount() - 1));
    idealObjectsView_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void MainWindow::showIdealObjectMenu(const QPoint& where) {
    // The class commands open only while classes exist; the table's own menu always does.
    const QPoint at = idealObjectsView_->viewport()->mapToGlobal(where);
    if (!form_.IdealObjPopupMenu.enabled()) {
        if (auto* menu = idealObjectsView_->findChild<QMenu*>("GridMenu")) menu->popup(at);
        return;
    }
    syncWidgets();
    idealObjectMenu_->popup(at);
}

// ---- genome scan ----

void MainWindow::openGenomeScan() {
    if (genomeScanWindow_ == nullptr) {
        genomeScan_ = std::make_unique<GenomeScanForm>();
        genomeScanWindow_ = new GenomeScanWindow(
            *genomeScan_, [this] { return startGenomeScan(); }, this);
    }
    genomeScanWindow_->show();
    genomeScanWindow_->raise();
}

// The classes of the workspace as they stand; the scan keeps its own copy of what it needs, so
// the workspace may change while it runs.
int32_t MainWindow::startGenomeScan() {
    std::lock_guard<std::recursive_mutex> lock(form_.mutex());
    TMainManager& workspace = form_.manager();
    if (workspace.workerActive()) {
        std::lock_guard<std::recursive_mutex> scanLock(genomeScan_->mutex());
        genomeScan_->StatusLabel.setText("A process is running; start the scan when it has ended.");
        return kGenomeScanRefused;
    }
    bool discriminative = false;
    {
        std::lock_guard<std::recursive_mutex> scanLock(genomeScan_->mutex());
        discriminative = genomeScan_->ScoreGroup.itemIndex() == 1;
    }
    if (discriminative) {
        // The rules the Rules page found on the learning samples, as they stand.
        const auto rules = workspace.contrastRules();
        if (!rules) {
            std::lock_guard<std::recursive_mutex> scanLock(genomeScan_->mutex());
            genomeScan_->StatusLabel.setText(
                "No discriminative rules yet: search them on the Rules page with the learning "
                "samples chosen first.");
            return kGenomeScanRefused;
        }
        auto scorer = std::make_shared<ContrastScorer>();
        scorer->rules = *rules;
        return genomeScan_->StartDiscriminative(std::move(scorer), form_.projectName);
    }
    if (!workspace.storage() || !workspace.rules() || workspace.classCount() <= 0) {
        std::lock_guard<std::recursive_mutex> scanLock(genomeScan_->mutex());
        genomeScan_->StatusLabel.setText(
            "No classes yet: search for regularities and idealize first.");
        return kGenomeScanRefused;
    }
    Classificator classificator;
    workspace.setUpScoring(classificator, IdealizationType::kDeletingBegin);
    return genomeScan_->Start(classificator, workspace.storage()->codeTable, form_.projectName);
}

void MainWindow::openNegativesDialog() {
    if (negatives_) {
        negatives_->raise();
        negatives_->activateWindow();
        return;
    }
    auto* dialog = new NegativesDialog(form_.dialogs(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    negatives_ = dialog;
    // The model refuses with its own message box, or says what it made and where.
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const TMainForm::NegativesRequest request = dialog->request();
        command([this, request] { form_.generateNegatives(request); });
    });
    dialog->open();
}

}  // namespace motifora
