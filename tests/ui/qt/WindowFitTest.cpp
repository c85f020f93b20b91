// Every window of the workbench fits a 1280 x 800 screen: whatever the main window shows (the
// control grids, the chart, the hits of a scan), its status bar and page tabs stay on screen,
// and no further window asks for more room than the screen has.
#include <QApplication>
#include <QLayout>
#include <QMenu>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

#include "WindowFixture.h"
#include "ui/qt/AboutBox.h"
#include "ui/qt/ChartBinding.h"

namespace motifora::testing {
namespace {

// The screen of the smallest laptops we support, less a title bar of the window manager.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;
constexpr int kTitleBar = 40;

class WindowFitTest : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        window->resize(kScreenWidth, kScreenHeight - kTitleBar);
        QApplication::processEvents();
    }

    // Shows everything the Classes page can show at once: both control grids with rows, the
    // learning negatives, the chart with a histogram and the hits of a scan.
    void showEverything() {
        widget<QTabWidget>("ModePageControl")->setCurrentIndex(2);
        trigger("mmbtnVisiblePositiveControl");
        {
            std::lock_guard<std::recursive_mutex> lock(form->mutex());
            for (Grid* grid : {&form->NewSeqsList, &form->PosCtrlSeqsList, &form->ClassList,
                               &form->IdealizObjectsList, &form->ScanHitsList}) {
                grid->setRowCount(41);
                for (int r = 1; r <= 40; ++r) grid->setCell(0, r, std::to_string(r));
            }
            form->ScanHitsList.setVisible(true);
            Chart::Axis left = form->Chart1.yAxis();
            left.title = "Percentage of sampling";
            form->Chart1.setYAxis(left);
            for (int x = 0; x < 50; ++x) form->Chart1.addPoint(0, x, (x % 7) / 7.0);
            form->Chart1.setVisible(true);
        }
        window->syncWidgets();
        settle(window.get());
    }

    // Lets `w` lay itself out as it would on screen: a top-level window that needs more room
    // than it has grows to its new minimum then.
    static void settle(QWidget* w) {
        QApplication::processEvents();
        w->layout()->invalidate();
        w->layout()->activate();
        QApplication::processEvents();
    }

    // `w` asks for no more than the screen, with room for a title bar.
    static void expectFits(QWidget* w) {
        ASSERT_NE(w, nullptr);
        const QString name = w->objectName();
        EXPECT_LE(w->minimumSizeHint().width(), kScreenWidth) << name.toStdString();
        EXPECT_LE(w->minimumSizeHint().height(), kScreenHeight - kTitleBar) << name.toStdString();
        EXPECT_LE(w->minimumWidth(), kScreenWidth) << name.toStdString();
        EXPECT_LE(w->minimumHeight(), kScreenHeight - kTitleBar) << name.toStdString();
        EXPECT_LE(w->width(), kScreenWidth) << name.toStdString();
        EXPECT_LE(w->height(), kScreenHeight - kTitleBar) << name.toStdString();
    }

    // `child` lies wholly inside the main window and is shown.
    void expectOnScreen(QWidget* child) {
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(child->isVisible()) << child->objectName().toStdString();
        const QRect inWindow(child->mapTo(window.get(), QPoint(0, 0)), child->size());
        EXPECT_TRUE(window->rect().contains(inWindow))
            << child->objectName().toStdString() << " at y " << inWindow.y() << " height "
            << inWindow.height() << " in a window " << window->height() << " high";
    }
};

TEST_F(WindowFitTest, TheMainWindowStaysOnScreenWhateverTheClassesPageShows) {
    expectFits(window.get());
    ASSERT_NO_FATAL_FAILURE(showEverything());
    ASSERT_TRUE(window->chart()->isVisible());
    expectFits(window.get());
    expectOnScreen(window->statusBar());
    expectOnScreen(widget<QTabWidget>("ModePageControl")->tabBar());
    // Every grid keeps its header in view, in its pane or by scrolling the data area.
    for (const char* name : {"NewSeqsList", "PosCtrlSeqsList", "ClassList", "IdealizObjectsList"})
        EXPECT_TRUE(widget<QTableView>(name)->isVisible()) << name;

    // The learning pages too.
    widget<QTabWidget>("ModePageControl")->setCurrentIndex(0);
    trigger("mmbtnNegativeSequecies");
    settle(window.get());
    expectFits(window.get());
    expectOnScreen(window->statusBar());
}

TEST_F(WindowFitTest, AWindowMadeOnASmallScreenStartsWithinIt) {
    // A new window is no larger than the screen it opens on.
    ScriptedDialogs otherDialogs;
    TMainForm otherForm(otherDialogs);
    MainWindow other(otherForm);
    const QRect screen = other.screen()->availableGeometry();
    EXPECT_LE(other.width(), screen.width());
    EXPECT_LE(other.height(), screen.height());
    other.close();
}

TEST_F(WindowFitTest, EveryFurtherWindowFitsTheScreen) {
    for (const char* name :
         {"CrossValForm", "BootStrCtrl", "ErrRecForm", "ContrastMapWindow", "LogoWindow"}) {
        auto* w = window->findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << name;
        w->adjustSize();
        expectFits(w);
    }
    trigger("mmbtnScanGenome");
    auto* scan = window->findChild<QWidget*>("GenomeScan");
    ASSERT_NE(scan, nullptr);
    expectFits(scan);
    scan->close();
    AboutBox about(window.get());
    about.adjustSize();
    expectFits(&about);
}

}  // namespace
}  // namespace motifora::testing
