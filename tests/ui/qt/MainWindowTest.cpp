// Tests of the main window's widgets against the window model: start-up state, pages, views,
// edits, the timer's repaint, the pop-up menu, help, about and closing during a process.
#include <QApplication>
#include <QChartView>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QXYSeries>
#include <thread>

#include "WindowFixture.h"
#include "support/TMainManagerTestAccess.h"
#include "ui/qt/BootstrapWindow.h"
#include "ui/qt/ChartBinding.h"
#include "ui/qt/ErrRecDialog.h"
#include "ui/qt/QtDialogs.h"
#include "ui/qt/RadioGroupBox.h"
#include "ui/qt/UpDownEdit.h"
#include "workspace/TMainManager.h"

namespace motifora::testing {
namespace {

using MainWindowTest = WindowFixture;

const char* const kProcessButtons[] = {
    "btnStartSearchRules", "btnStopSearchRules",   "btnPauseSearchRules", "btnStartIdealization",
    "btnStopIdealization", "btnPauseIdealization", "btnStartSearchClass", "btnPauseSearchClass",
    "btnStopSearchClass",  "btnStartBootstrap",    "btnStartRecognition", "btnCountRecErrors",
    "btnNextClassErrCount"};

QStringList headers(QTableView* view) {
    QStringList texts;
    for (int c = 0; c < view->model()->columnCount(); ++c)
        texts << view->model()->headerData(c, Qt::Horizontal).toString();
    return texts;
}

TEST_F(MainWindowTest, StartsWithTheCaptionTheRulesPageAndTheProcessesDisabled) {
    EXPECT_EQ(window->windowTitle(), QString("Motifora - Project1.dnp"));
    auto* pages = widget<QTabWidget>("ModePageControl");
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(pages->tabPosition(), QTabWidget::South);
    EXPECT_EQ(pages->tabText(0), QString("Rules"));
    EXPECT_EQ(pages->tabText(1), QString("Objects"));
    EXPECT_EQ(pages->tabText(2), QString("Classes"));
    for (const char* name : kProcessButtons) {
        auto* b = widget<QPushButton>(name);
        ASSERT_NE(b, nullptr);
        EXPECT_FALSE(b->isEnabled()) << name;
    }
    EXPECT_EQ(widget<QPushButton>("btnStartSearchRules")->text(), QString::fromUtf8("Пуск"));
    EXPECT_EQ(widget<QPushButton>("btnPauseSearchClass")->text(), QString("Pause"));

    QStringList menus;
    for (QAction* a : window->menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, QStringList({"File", "Source", "Control", "View", "Help"}));
    auto* control = widget<QMenu>("Control1");
    ASSERT_NE(control, nullptr);
    EXPECT_FALSE(control->menuAction()->isEnabled());
    EXPECT_FALSE(action("SaveRecErrBtn")->isEnabled());
    EXPECT_FALSE(action("btnHideShowChart")->isEnabled());
    EXPECT_TRUE(action("btnNewProject")->isEnabled());
    EXPECT_TRUE(action("mmbtnAddSequencies")->isEnabled());

    EXPECT_EQ(widget<QLineEdit>("ConfIntEdit")->text(), QString("0,05"));
    EXPECT_EQ(widget<QLineEdit>("CPEdit")->text(), QString("0,8"));
    EXPECT_EQ(widget<UpDownEdit>("FinishStorSizeEdit")->edit()->text(), QString("500"));
    EXPECT_EQ(widget<UpDownEdit>("SubBuffersSizeEdit")->edit()->text(), QString("50"));
    EXPECT_FALSE(widget<UpDownEdit>("FrameWidthEdit")->isEnabled());
    EXPECT_TRUE(widget<QRadioButton>("btnFixedPositionsRadio")->isChecked());
    EXPECT_FALSE(widget<QRadioButton>("btnShiftPositionsRadio")->isChecked());
    EXPECT_TRUE(widget<QRadioButton>("btnDeletingBeginRadio")->isChecked());
    EXPECT_TRUE(widget<QRadioButton>("ObjsSourceGroupItem0")->isChecked());

    // The data area of the Rules page: sequences and rules; the rest hidden.
    EXPECT_TRUE(widget<QTableView>("SequencesList")->isVisible());
    EXPECT_TRUE(widget<QTableView>("RulesList")->isVisible());
    EXPECT_FALSE(widget<QTableView>("IdealizObjectsList")->isVisible());
    EXPECT_FALSE(widget<QTableView>("NegSequencesList")->isVisible());
    EXPECT_FALSE(widget<QTableView>("NewSeqsList")->isVisible());
    EXPECT_FALSE(widget<ChartBinding>("Chart1")->isVisible());
    EXPECT_EQ(widget<QLabel>("LowerGridLabel")->text(), QString("Rules"));
    EXPECT_EQ(headers(widget<QTableView>("SequencesList")),
              QStringList({"#", "Length", "Name", "Sequence", QString::fromUtf8("Class №")}));
    EXPECT_EQ(headers(widget<QTableView>("RulesList")),
              QStringList({"#", "Fisher", "Rule", "CP", QString::fromUtf8("Class №")}));
    EXPECT_EQ(headers(widget<QTableView>("IdealizObjectsList")),
              QStringList({"#", "Length", "Object"}));

    EXPECT_EQ(widget<QLabel>("StatusPanel0")->text(), QString("Status"));
    EXPECT_EQ(widget<QLabel>("StatusPanel1")->text(), QString("Program is started"));
    EXPECT_EQ(widget<QLabel>("StatusPanel0")->width(), 50);
    EXPECT_EQ(widget<QLabel>("StatusPanel1")->width(), 250);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, PageTabsArrangeTheDataArea) {
    auto* pages = widget<QTabWidget>("ModePageControl");
    auto* sequences = widget<QTableView>("SequencesList");
    auto* controlNegative = widget<QTableView>("NewSeqsList");
    auto* classObjects = widget<QTableView>("ClassList");
    auto* ideal = widget<QTableView>("IdealizObjectsList");
    auto* rules = widget<QTableView>("RulesList");
    auto* label = widget<QLabel>("LowerGridLabel");
    struct Expected {
        int page;
        bool sequences, classes, ideal, rules;
        const char* label;
    };
    const Expected steps[] = {
        {2, false, true, true, false, "Ideal Objects"},
        {0, true, false, false, true, "Rules"},
        {1, true, false, true, false, "Ideal Objects"},
        {2, false, true, true, false, "Ideal Objects"},
        {0, true, false, false, true, "Rules"},
    };
    for (const Expected& e : steps) {
        // A click on the tab, as the user does it.
        QTabBar* bar = pages->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(e.page).center());
        EXPECT_EQ(static_cast<int>(form->activePage()), e.page);
        EXPECT_EQ(sequences->isVisible(), e.sequences) << e.page;
        EXPECT_EQ(controlNegative->isVisible(), e.classes) << e.page;
        EXPECT_EQ(classObjects->isVisible(), e.classes) << e.page;
        EXPECT_EQ(ideal->isVisible(), e.ideal) << e.page;
        EXPECT_EQ(rules->isVisible(), e.rules) << e.page;
        EXPECT_EQ(label->text(), QString(e.label));
    }
}

TEST_F(MainWindowTest, ViewTogglesShowAndHideTheirListsAndReturnToTheFirstState) {
    widget<QTabWidget>("ModePageControl")->setCurrentIndex(2);
    auto* positiveControl = widget<QTableView>("PosCtrlSeqsList");
    QAction* toggle = action("mmbtnVisiblePositiveControl");
    EXPECT_FALSE(positiveControl->isVisible());
    EXPECT_FALSE(toggle->isChecked());
    trigger("mmbtnVisiblePositiveControl");
    EXPECT_TRUE(positiveControl->isVisible());
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(form->mmbtnVisiblePositiveControl.checked());
    trigger("mmbtnVisiblePositiveControl");
    EXPECT_FALSE(positiveControl->isVisible());
    EXPECT_FALSE(toggle->isChecked());

    widget<QTabWidget>("ModePageControl")->setCurrentIndex(0);
    auto* negative = widget<QTableView>("NegSequencesList");
    trigger("mmbtnNegativeSequecies");
    EXPECT_TRUE(negative->isVisible());
    EXPECT_TRUE(action("mmbtnNegativeSequecies")->isChecked());
    trigger("mmbtnNegativeSequecies");
    EXPECT_FALSE(negative->isVisible());
    EXPECT_FALSE(action("mmbtnNegativeSequecies")->isChecked());
}

TEST_F(MainWindowTest, TheChartButtonTogglesTheChartOnceEnabled) {
    widget<QTabWidget>("ModePageControl")->setCurrentIndex(2);
    auto* chart = widget<ChartBinding>("Chart1");
    form->btnHideShowChart.setEnabled(true);  // as a recognition does
    window->syncWidgets();
    trigger("btnHideShowChart");
    EXPECT_TRUE(chart->isVisible());
    trigger("btnHideShowChart");
    EXPECT_FALSE(chart->isVisible());
}

TEST_F(MainWindowTest, AlignmentRadiosSwitchTheFrameWidth) {
    auto* shift = widget<QRadioButton>("btnShiftPositionsRadio");
    auto* fixed = widget<QRadioButton>("btnFixedPositionsRadio");
    auto* frame = widget<UpDownEdit>("FrameWidthEdit");
    shift->click();
    EXPECT_TRUE(shift->isChecked());
    EXPECT_FALSE(fixed->isChecked());
    EXPECT_TRUE(form->btnShiftPositionsRadio.checked());
    EXPECT_TRUE(frame->isEnabled());
    frame->stepBy(1);
    EXPECT_EQ(form->FrameWidthEdit.text(), "11");
    fixed->click();
    EXPECT_TRUE(fixed->isChecked());
    EXPECT_FALSE(shift->isChecked());
    EXPECT_FALSE(frame->isEnabled());

    auto* inserting = widget<QRadioButton>("btnInsertingBeginRadio");
    inserting->click();
    EXPECT_TRUE(form->btnInsertingBeginRadio.checked());
    EXPECT_FALSE(widget<QRadioButton>("btnDeletingBeginRadio")->isChecked());
    auto* regularities = widget<QRadioButton>("ObjsSourceGroupItem1");
    regularities->click();
    EXPECT_EQ(form->ObjsSourceGroup.itemIndex(), 1);
    EXPECT_FALSE(widget<QRadioButton>("ObjsSourceGroupItem0")->isChecked());
    auto* arranged = widget<QCheckBox>("Rec_Arranged");
    form->Rec_Arranged.setEnabled(true);
    window->syncWidgets();
    arranged->click();
    EXPECT_TRUE(form->Rec_Arranged.checked());
}

TEST_F(MainWindowTest, TypedSettingsReachTheModelAndAreJudgedThere) {
    auto* confidence = widget<QLineEdit>("ConfIntEdit");
    confidence->selectAll();
    QTest::keyClicks(confidence, "abc");
    EXPECT_EQ(form->ConfIntEdit.text(), "abc");
    auto* finish = widget<UpDownEdit>("FinishStorSizeEdit");
    finish->edit()->selectAll();
    QTest::keyClicks(finish->edit(), "1");
    EXPECT_EQ(form->FinishStorSizeEdit.text(), "1");
    finish->stepBy(-5);
    EXPECT_EQ(form->FinishStorSizeEdit.text(), "0");

    // With a sample loaded, the start command rejects the typed value with its message.
    dialogs.choose(kPositive);
    trigger("mmbtnAddSequencies");
    ASSERT_TRUE(widget<QPushButton>("btnStartSearchRules")->isEnabled());
    widget<QPushButton>("btnStartSearchRules")->click();
    EXPECT_EQ(lastMessage(), "Задано неверное значение доверительного интервала критерия Фишера.");
}

TEST_F(MainWindowTest, TheTimerRepaintsWhatAWorkerWrote) {
    std::thread worker([this] {
        form->onEvent(ObjectIdealizing{"Идет процесс поиска закономерностей ..."});
        form->onEvent(ItemsLeft{17});
    });
    worker.join();
    EXPECT_NE(widget<QLabel>("StatusPanel2")->text(),
              QString::fromUtf8("Идет процесс поиска закономерностей ..."));
    ASSERT_TRUE(waitFor(
        [this] { return widget<QLabel>("CountDownLabel")->text() == QString("17"); }, 5000));
    EXPECT_EQ(widget<QLabel>("StatusPanel2")->text(),
              QString::fromUtf8("Идет процесс поиска закономерностей ..."));
    EXPECT_EQ(window->syncWidgets(), 0);  // nothing more changed
}

TEST_F(MainWindowTest, AWorkersEndIsShownWithoutWaitingForTheTimer) {
    // With the timer stopped, only the worker's own end signal can bring its end to the screen.
    window->timer()->stop();
    dialogs.choose(kPositive);
    trigger("mmbtnAddSequencies");
    form->FinishStorSizeEdit.setText("40");
    form->SubBuffersSizeEdit.setText("10");
    widget<QPushButton>("btnStartSearchRules")->click();
    ASSERT_TRUE(waitFor([this] {
        return shown("Процесс поиска закономерностей успешно завершен.");
    })) << lastMessage();
    EXPECT_TRUE(widget<QPushButton>("btnStartIdealization")->isEnabled());
    EXPECT_FALSE(window->timer()->isActive());
}

TEST_F(MainWindowTest, LargeGridsScrollToTheirLastRow) {
    {
        std::lock_guard<std::recursive_mutex> lock(form->mutex());
        form->SequencesList.setRowCount(100001);
        for (int r = 99990; r <= 100000; ++r) {
            form->SequencesList.setCell(0, r, std::to_string(r));
            form->SequencesList.setCell(3, r, "ACGT");
        }
    }
    window->syncWidgets();
    auto* view = widget<QTableView>("SequencesList");
    ASSERT_EQ(view->model()->rowCount(), 100000);
    view->scrollToBottom();
    QApplication::processEvents();
    const QModelIndex last = view->model()->index(99999, 0);
    EXPECT_TRUE(view->viewport()->rect().intersects(view->visualRect(last)));
    EXPECT_EQ(last.data().toString(), QString("100000"));
}

TEST_F(MainWindowTest, ThePopUpMenuOpensOnlyWhileClassesExistAndFollowsTheSelection) {
    widget<QTabWidget>("ModePageControl")->setCurrentIndex(1);
    auto* view = widget<QTableView>("IdealizObjectsList");
    auto* menu = widget<QMenu>("IdealObjPopupMenu");
    emit view->customContextMenuRequested(QPoint(5, 5));
    EXPECT_FALSE(menu->isVisible());

    {
        std::lock_guard<std::recursive_mutex> lock(form->mutex());
        form->IdealizObjectsList.setRowCount(4);
        for (int i = 0; i < 3; ++i) form->onEvent(ClassMade{"{A}{C}", 2.0, i});
    }
    window->syncWidgets();
    // Selecting rows 2..3 in the view selects classes 1..2 in the model.
    view->selectionModel()->select(
        QItemSelection(view->model()->index(1, 0), view->model()->index(2, 2)),
        QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(form->IdealizObjectsList.selectionTop(), 2);
    EXPECT_EQ(form->IdealizObjectsList.selectionBottom(), 3);
    emit view->customContextMenuRequested(QPoint(5, 5));
    EXPECT_TRUE(menu->isVisible());
    QStringList items;
    for (QAction* a : menu->actions()) items << a->text();
    EXPECT_EQ(items, QStringList({"Delete", "Show Objects", "Show Regularities",
                                  "Prediction Matrix", "Recognition Matrix"}));
    menu->hide();

    // A selection made by the model shows in the view.
    form->IdealizObjectsList.select(1, 1);
    window->syncWidgets();
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().row(), 0);
}

TEST_F(MainWindowTest, TheSmallWindowsFollowTheirModels) {
    // "Error Recognition Properties": modal, shown by the model; the close box acts as "OK".
    ErrRecDialog* properties = window->errRecDialog();
    form->ErrRecForm.PositiveGroup.setEnabled(true);
    bool modal = false;
    QString title;
    QTimer::singleShot(100, [&] {
        modal = QApplication::activeModalWidget() == properties;
        title = properties->windowTitle();
        properties->positiveGroup()->item(1)->click();
        properties->close();
    });
    form->ErrRecForm.ShowModal();
    EXPECT_TRUE(modal);
    EXPECT_EQ(title, QString("Error Recognition Properties"));
    EXPECT_EQ(form->ErrRecForm.PositiveGroup.itemIndex(), 1);
    EXPECT_FALSE(form->ErrRecForm.Window.visible());
    EXPECT_FALSE(properties->isVisible());

    // "Bootstreap Control": shown and hidden by the model; its close box hides it.
    BootstrapWindow* bootstrap = window->bootstrapWindow();
    EXPECT_FALSE(bootstrap->isVisible());
    form->BootStrCtrl.Show();
    window->syncWidgets();
    EXPECT_TRUE(bootstrap->isVisible());
    EXPECT_FALSE(bootstrap->isModal());
    bootstrap->close();
    EXPECT_FALSE(form->BootStrCtrl.Window.visible());
    window->syncWidgets();
    EXPECT_FALSE(bootstrap->isVisible());
}

TEST_F(MainWindowTest, AboutAndHelpGoThroughTheDialogs) {
    trigger("About1");
    EXPECT_EQ(dialogs.aboutShown, 1);
    dialogs.launchResult(LaunchFailure::NotFound);
    trigger("MotiforaHelp1");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Path or file name not found");
}

TEST(MainWindowHelp, AMissingManualGivesExactlyOneMessage) {
    QtDialogs dialogs({"/nonexistent/motifora/manual.md"});
    TMainForm form(dialogs);
    MainWindow window(form);
    dialogs.setParentWidget(&window);
    window.show();
    int boxes = 0;
    QString text, caption;
    // Answers every box that opens.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++boxes;
            text = box->text();
            caption = box->windowTitle();
            box->accept();
        }
    });
    closer.start(20);
    window.findChild<QAction*>("MotiforaHelp1")->trigger();
    ASSERT_TRUE(waitForEvents([&] { return boxes > 0; }));
    QCoreApplication::processEvents();  // a second box, were one queued, would open now
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(text, QString("Path or file name not found"));
    EXPECT_EQ(caption, QString::fromUtf8("Ошибка"));
    window.close();
}

TEST_F(MainWindowTest, ClosingWithUnsavedWorkAsksTheSaveQuestion) {
    form->mainManager->markModified();
    QSignalSpy closed(window.get(), &MainWindow::closed);
    dialogs.answer(DialogAnswer::Cancel);
    EXPECT_FALSE(window->close());
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text, "Сохранить текущий проект?");
    EXPECT_EQ(dialogs.messages.back().buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_FALSE(form->closed());
    EXPECT_TRUE(window->timer()->isActive());
    dialogs.answer(DialogAnswer::No);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(form->closed());
}

TEST_F(MainWindowTest, ClosingDuringASearchStopsTheWorkerFirst) {
    dialogs.choose(kPositive);
    trigger("mmbtnAddSequencies");
    auto* start = widget<QPushButton>("btnStartSearchRules");
    ASSERT_TRUE(start->isEnabled());
    std::cerr << "visible " << start->isVisible() << " region " << start->visibleRegion().isEmpty()
              << " active " << (QApplication::activeModalWidget() != nullptr) << " popup "
              << (QApplication::activePopupWidget() != nullptr) << "\n";
    start->click();
    ASSERT_TRUE(form->mainManager->isRunning()) << lastMessage();
    QSignalSpy closed(window.get(), &MainWindow::closed);
    dialogs.answer(DialogAnswer::No);  // the search makes unsaved work: discard it
    window->close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(form->closed());
    EXPECT_EQ(form->mainManager, nullptr);
    // After the close the timer and the commands leave the closed model alone.
    window->tick();
    EXPECT_FALSE(window->timer()->isActive());
}

// The cross-validation window through its widgets: the menu shows it, typed folds and seed
// reach the model, Start runs the folds on the worker while the window's timer turns, and the
// end fills the error table and both charts; "Use this level" fills "Recogn. Level".
TEST_F(MainWindowTest, CrossValidationWindowRunsAndHandsOverItsLevel) {
    dialogs.choose(kPositive);
    trigger("mmbtnAddSequencies");
    dialogs.choose(kNegative);
    trigger("mmbtnAddNegativeSequencies");
    TMainManager& m = *form->mainManager;
    m.setIterationSearchSettings({0.05, 0.8, 60, 15, WorkMode::kFixed, 0});
    dialogs.messages.clear();
    trigger("mmbtnCrossValidation");
    auto* cv = widget<QWidget>("CrossValForm");
    ASSERT_NE(cv, nullptr);
    ASSERT_TRUE(waitFor([cv] { return cv->isVisible(); }));
    for (const auto& [name, text] : {std::pair{"FoldsEdit", "3"}, std::pair{"SeedEdit", "4"}}) {
        auto* edit = cv->findChild<QLineEdit*>(name);
        ASSERT_NE(edit, nullptr) << name;
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    EXPECT_EQ(form->CrossValForm.FoldsEdit.text(), "3");
    EXPECT_EQ(form->CrossValForm.SeedEdit.text(), "4");
    auto* start = cv->findChild<QPushButton*>("StartBtn");
    ASSERT_NE(start, nullptr);
    start->click();
    EXPECT_TRUE(dialogs.messages.empty()) << lastMessage();
    ASSERT_TRUE(waitFor([&m, cv] {
        auto* use = cv->findChild<QPushButton*>("UseLevelBtn");
        return !m.crossValidationActive() && use != nullptr && use->isEnabled();
    }));
    const auto result = form->CrossValForm.shownResult();
    ASSERT_TRUE(result && result->complete);
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(cv->findChild<QPushButton*>("StopBtn")->isEnabled());
    auto* table = cv->findChild<QTableView*>("ErrorsList");
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->model()->rowCount(), 4);  // three folds and the pooled row
    EXPECT_EQ(table->model()->index(3, 0).data().toString(), QString("pooled"));
    for (const char* name : {"RocChart", "HistogramChart"}) {
        auto* chart = cv->findChild<QChartView*>(name);
        ASSERT_NE(chart, nullptr) << name;
        int points = 0;
        for (QAbstractSeries* series : chart->chart()->series()) {
            if (auto* line = qobject_cast<QXYSeries*>(series)) points += line->count();
        }
        EXPECT_GT(points, 2) << name;
    }
    cv->findChild<QPushButton*>("UseLevelBtn")->click();
    EXPECT_EQ(widget<QLineEdit>("RecLevelEdit")->text().toStdString(),
              form->numbers().fixed(result->level, 2));
}

}  // namespace
}  // namespace motifora::testing
