// A scan of 100 long control sequences of 1,000 letters through the window: the window's timer
// keeps ticking and repainting while the worker scans, and the chart of 99,300 windows is drawn
// as an envelope without squares while the model keeps every score.
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QValueAxis>
#include <fstream>
#include <random>

#include "WindowFixture.h"
#include "ui/qt/ChartBinding.h"
#include "workspace/TMainManager.h"

namespace motifora::testing {
namespace {

class ScanWindowTest : public WindowFixture {
  protected:
    // Ends the process the form runs, the event loop (and the window's timer) going on meanwhile.
    bool untilEnded() {
        TMainManager& m = *form->mainManager;
        return waitFor([&m] { return !m.isRunning() && !m.hasEnded() && !m.scanStarted(); });
    }

    // `count` sequences of `length` letters over ACGT from a fixed seed, as a ".seq" file.
    std::string longSequences(int count, int length, unsigned seed) {
        std::mt19937 random(seed);
        const std::string path = folder.filePath("long.seq").toStdString();
        std::ofstream out(path);
        for (int i = 0; i < count; ++i) {
            out << ">long" << i + 1 << ";";
            for (int k = 0; k < length; ++k) out << "ACGT"[random() % 4];
            out << "\n";
        }
        return path;
    }

    QTemporaryDir folder;
};

TEST_F(ScanWindowTest, AScanOfAHundredThousandWindowsKeepsTheWindowTicking) {
    // Classes of the example in shift positions, frame 8.
    dialogs.choose(kPositive);
    trigger("mmbtnAddSequencies");
    form->FinishStorSizeEdit.setText("40");
    form->SubBuffersSizeEdit.setText("10");
    form->chooseAlignment(true);
    form->FrameWidthEdit.setText("8");
    window->syncWidgets();
    widget<QPushButton>("btnStartSearchRules")->click();
    ASSERT_TRUE(untilEnded());
    widget<QTabWidget>("ModePageControl")->setCurrentIndex(1);
    widget<QPushButton>("btnStartIdealization")->click();
    ASSERT_TRUE(untilEnded());
    ASSERT_GE(form->mainManager->classCount(), 1) << lastMessage();

    const unsigned seed = 1207;
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    dialogs.choose(longSequences(100, 1000, seed));
    trigger("mmbtnAddControlNegative");
    ASSERT_EQ(dialogs.messages.back().icon, MessageIcon::Information) << lastMessage();
    widget<QTabWidget>("ModePageControl")->setCurrentIndex(2);
    form->IdealizObjectsList.select(1, 1);
    const int64_t windows = 100 * (1000 - 8 + 1);

    // The worker is held before its first window: the window's timer goes on ticking, and each
    // tick brings the scan's progress to the screen.
    TMainManager& m = *form->mainManager;
    m.holdNextStart();
    QSignalSpy ticks(window->timer(), &QTimer::timeout);
    widget<QPushButton>("btnStartRecognition")->click();
    ASSERT_TRUE(m.scanStarted()) << lastMessage();
    ASSERT_TRUE(waitFor([&ticks] { return ticks.count() >= 5; }));
    EXPECT_TRUE(m.isRunning());
    EXPECT_EQ(widget<QLabel>("StatusPanel2")->text(), QString("0 / %1").arg(windows));
    EXPECT_EQ(widget<QLabel>("ScanProgressPercent")->text(), QString("0 %"));
    EXPECT_FALSE(widget<QPushButton>("btnStartRecognition")->isEnabled());
    EXPECT_TRUE(widget<QPushButton>("btnStopSearchClass")->isEnabled());

    // Released, the scan runs to its end while the loop keeps turning.
    const int heldTicks = ticks.count();
    m.releaseHeldStart();
    ASSERT_TRUE(untilEnded());
    window->tick();
    EXPECT_GE(ticks.count(), heldTicks);
    EXPECT_TRUE(dialogs.messages.back().icon != MessageIcon::Error) << lastMessage();

    // Every score stays in the model; the chart draws what its pixels can show.
    ASSERT_EQ(m.windowScores().size(), static_cast<size_t>(windows));
    ASSERT_EQ(form->Chart1.series(0).size(), static_cast<size_t>(windows));
    auto* chart = widget<ChartBinding>("Chart1");
    ASSERT_TRUE(chart->isVisible());
    EXPECT_LE(chart->series(0)->count(), 2 * std::max(chart->width(), 100));
    EXPECT_GT(chart->series(0)->count(), 0);
    EXPECT_TRUE(chart->series(0)->lightMarker().isNull());
    EXPECT_GE(chart->xAxis()->max(), static_cast<double>(windows));
    EXPECT_LE((chart->xAxis()->max() - chart->xAxis()->min()) / chart->xAxis()->tickInterval(),
              20.0);
    EXPECT_TRUE(widget<QPushButton>("btnStartRecognition")->isEnabled());

    // Beside the chart, the hits of the scan; a hovered point names its record and position.
    auto* hits = widget<QTableView>("ScanHitsList");
    EXPECT_TRUE(hits->isVisible());
    ASSERT_GT(form->ScanHitsList.rowCount(), 1);
    EXPECT_EQ(hits->model()->rowCount(), form->ScanHitsList.rowCount() - 1);
    EXPECT_EQ(hits->model()->index(0, 0).data().toString().toStdString(),
              form->ScanHitsList.cell(0, 1));
    EXPECT_EQ(chart->pointTip(994.0, 2.5).toStdString(), "long2, position 1: 2.50");
    EXPECT_EQ(chart->pointTip(993.0, 1.0).toStdString(), "long1, position 993: 1.00");
}

}  // namespace
}  // namespace motifora::testing
