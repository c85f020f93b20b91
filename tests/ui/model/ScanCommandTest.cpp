// The scanning recognition through the window's command: it runs on the worker with the
// commands locked and Stop enabled, the timer shows its progress and draws the chart at its
// end, and a stop gives the commands back without a chart.
#include <chrono>
#include <thread>

#include "FormFixture.h"

namespace motifora::testing {
namespace {

const std::string kExamples = MOTIFORA_EXAMPLES_DIR;
const std::string kPositive = kExamples + "/promoters_pos.seq";
const std::string kNegative = kExamples + "/promoters_neg.seq";

class ScanCommandTest : public FormFixture {
  protected:
    void tickToEnd() {
        TMainManager& m = manager();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(10);
        while ((m.running || m.finished || m.scanStarted) &&
               std::chrono::steady_clock::now() < deadline) {
            form->SearchingTimerTimer();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        m.joinWorker();
    }
    // Shift positions, frame 8: classes, and the learning negatives as long control data.
    void prepare() {
        dialogs.choose(kPositive);
        form->mmbtnAddSequenciesClick();
        form->FinishStorSizeEdit.setText("40");
        form->SubBuffersSizeEdit.setText("10");
        form->chooseAlignment(true);
        form->FrameWidthEdit.setText("8");
        form->btnStartSearchRulesClick();
        tickToEnd();
        form->setActivePage(Page::Objects);
        form->chooseIdealizationType(1);
        form->btnStartIdealizationClick();
        tickToEnd();
        ASSERT_GE(manager().classCount, 1);
        dialogs.choose(kNegative);
        form->mmbtnAddControlNegativeClick();
        form->setActivePage(Page::Classes);
        form->IdealizObjectsList.select(1, 1);
        dialogs.messages.clear();
    }
    std::vector<bool> commandStates() {
        std::vector<bool> states;
        for (const Control* c : std::initializer_list<const Control*>{
                 &form->btnStartSearchRules, &form->btnStartIdealization, &form->Control1,
                 &form->btnStartSearchClass, &form->btnStopSearchClass, &form->btnStartBootstrap,
                 &form->btnStartRecognition, &form->btnCountRecErrors})
            states.push_back(c->enabled());
        return states;
    }
};

TEST_F(ScanCommandTest, ScanRunsOnTheWorkerAndTheTimerDrawsItsChart) {
    ASSERT_NO_FATAL_FAILURE(prepare());
    TMainManager& m = manager();
    const std::vector<bool> before = commandStates();
    int64_t windows = 0;
    for (int32_t i = 0; i < m.controlNegativeCount; ++i) windows += m.controlNegative[i].length - 7;

    m.holdNextStart();
    form->btnStartRecognitionClick();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(m.scanStarted);
    EXPECT_TRUE(form->Chart1.visible());
    EXPECT_FALSE(form->btnStartSearchRules.enabled());
    EXPECT_FALSE(form->btnStartRecognition.enabled());
    EXPECT_FALSE(form->Control1.enabled());
    EXPECT_TRUE(form->btnStopSearchClass.enabled());
    EXPECT_EQ(form->StatusBar1.panel(1), "Идет процесс распознавания ...");
    form->SearchingTimerTimer();  // held at its first window
    EXPECT_EQ(form->ScanProgress.position(), 0);
    EXPECT_EQ(form->StatusBar1.panel(2), "0 / " + std::to_string(windows));
    EXPECT_TRUE(form->Chart1.series(0).empty());

    m.releaseHeldStart();
    tickToEnd();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(m.scanStarted);
    EXPECT_EQ(commandStates(), before);
    EXPECT_EQ(form->StatusBar1.panel(1), "");
    EXPECT_EQ(form->ScanProgress.position(), 0);
    ASSERT_EQ(m.windowScores.size(), static_cast<size_t>(windows));
    const Chart::Series scores = form->Chart1.series(0);
    ASSERT_EQ(scores.size(), static_cast<size_t>(windows));
    EXPECT_EQ(scores.back().first, static_cast<double>(windows));
    EXPECT_EQ(scores.back().second, m.windowScores.back());
    EXPECT_EQ(form->Chart1.series(1).size(), 2u);
    EXPECT_TRUE(form->RecLevelEdit.enabled());
    EXPECT_TRUE(form->SaveRecErrBtn.enabled());

    // The same class again: drawn at once from the kept scores, no worker.
    form->Chart1.clearSeries(0);
    form->btnStartRecognitionClick();
    EXPECT_FALSE(m.scanStarted);
    EXPECT_FALSE(m.workerActive());
    EXPECT_EQ(form->Chart1.series(0).size(), static_cast<size_t>(windows));
}

TEST_F(ScanCommandTest, StopEndsTheScanWithoutAChart) {
    ASSERT_NO_FATAL_FAILURE(prepare());
    TMainManager& m = manager();
    const std::vector<bool> before = commandStates();
    m.holdNextStart();
    form->btnStartRecognitionClick();
    ASSERT_TRUE(m.scanStarted);
    form->btnStopSearchClassClick();
    tickToEnd();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(m.scanStarted);
    EXPECT_EQ(commandStates(), before);
    EXPECT_TRUE(form->Chart1.series(0).empty());
    EXPECT_TRUE(m.windowScores.empty());
    EXPECT_EQ(m.lastRecognitionClass, -1);
    EXPECT_EQ(form->StatusBar1.panel(1), "");
    // Not stale-proof by accident: the next click scans again.
    m.holdNextStart();
    form->btnStartRecognitionClick();
    EXPECT_TRUE(m.scanStarted);
    m.releaseHeldStart();
    tickToEnd();
    EXPECT_FALSE(form->Chart1.series(0).empty());
}

}  // namespace
}  // namespace motifora::testing
