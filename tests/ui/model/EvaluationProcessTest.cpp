// Whole evaluation runs through the window's commands on the promoter example with real worker
// threads: recognition of the control data, error counting class by class to the totals, and a
// bootstrap of two iterations through the bootstrap window.
#include <chrono>

#include "FormFixture.h"
#include "Promoters.h"
#include "classify/Classificator.h"
#include "evaluation/Recognition.h"

namespace motifora::testing {
namespace {

class EvaluationProcessTest : public FormFixture {
  protected:
    // Example loaded, searched with small buffers, idealized, control samples classified.
    void prepare() {
        dialogs.choose(kPositive);
        form->mmbtnAddSequenciesClick();
        dialogs.choose(kNegative);
        form->mmbtnAddNegativeSequenciesClick();
        form->FinishStorSizeEdit.setText("40");
        form->SubBuffersSizeEdit.setText("10");
        form->btnStartSearchRulesClick();
        tickToEnd();
        form->setActivePage(Page::Objects);
        form->btnStartIdealizationClick();
        tickToEnd();
        dialogs.choose(kNegative);
        form->mmbtnAddControlNegativeClick();
        dialogs.choose(kPositive);
        form->mmbtnAddControlPositiveClick();
        form->setActivePage(Page::Classes);
        form->btnStartSearchClassClick();
        tickToEnd();
        ASSERT_TRUE(manager().controlNegativeClassified());
        ASSERT_GE(manager().classCount(), 3);
        dialogs.messages.clear();
    }
};

TEST_F(EvaluationProcessTest, RecognitionOfAllClassesFillsSortedRows) {
    ASSERT_NO_FATAL_FAILURE(prepare());
    TMainManager& m = manager();
    form->Rec_Arranged.setChecked(true);
    form->btnStartRecognitionClick();
    m.joinWorker();
    EXPECT_TRUE(dialogs.messages.empty());
    const int32_t classes = m.classCount();
    EXPECT_EQ(form->NewSeqsList.colCount(), classes + 5);
    EXPECT_EQ(form->NewSeqsList.cell(5, 0), "1");
    EXPECT_EQ(form->NewSeqsList.cell(4 + classes, 0), std::to_string(classes));
    const NumberFormat& numbers = form->numberFormat;
    for (int32_t r = 1; r <= m.controlNegativeCount(); ++r) {
        double previous = -1e300;
        std::vector<bool> seen(static_cast<size_t>(classes), false);
        for (int32_t t = 0; t < classes; ++t) {
            const std::string cell = form->NewSeqsList.cell(5 + t, r);
            const size_t colon = cell.find(':');
            ASSERT_NE(colon, std::string::npos) << "row " << r;
            const int32_t j = std::stoi(cell.substr(0, colon)) - 1;
            double shown = 0;
            ASSERT_TRUE(readScoreCell(numbers, cell, shown));
            EXPECT_GE(shown, previous) << "row " << r;
            previous = shown;
            ASSERT_TRUE(j >= 0 && j < classes);
            seen[static_cast<size_t>(j)] = true;
            const double score = m.classificator()->ScoreObject(
                m.storage()->controlNegativeObjects[r - 1], r - 1, j);
            EXPECT_EQ(cell, scoreCell(numbers, j, score));
        }
        for (bool s : seen) EXPECT_TRUE(s);
    }
}

TEST_F(EvaluationProcessTest, ThreeClassesThroughNextToTotal) {
    ASSERT_NO_FATAL_FAILURE(prepare());
    TMainManager& m = manager();
    form->ErrRecForm.modalLoop = [](TErrRecForm& window) {
        window.choosePositiveSide(SampleSide::kLearning);
        window.chooseNegativeSide(SampleSide::kControl);
        window.OKBtnClick();
    };
    form->IdealizObjectsList.select(1, 3);
    form->btnCountRecErrorsClick();
    EXPECT_EQ(form->StatusBar1.panel(1), "Вычисление ошибок распознавания ...");
    m.joinWorker();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form->IdealizObjectsList.colCount(), 6);
    EXPECT_FALSE(form->IdealizObjectsList.enabled());
    EXPECT_EQ(form->btnNextClassErrCount.text(), "Next");
    EXPECT_TRUE(form->btnNextClassErrCount.enabled());
    // Unlocked with mode 3: no other evaluation until the totals.
    EXPECT_FALSE(form->btnCountRecErrors.enabled());
    EXPECT_FALSE(form->btnStartBootstrap.enabled());
    EXPECT_TRUE(form->RecLevelEdit.enabled());
    EXPECT_EQ(m.recognitionClass(), 0);
    EXPECT_EQ(form->NewSeqsList.cell(6, 0), "Result");
    // Every control negative row has a result; every positive row of class 1 too.
    for (int32_t r = 1; r <= m.controlNegativeCount(); ++r)
        EXPECT_NE(form->NewSeqsList.cell(6, r), "");
    for (int32_t r = 1; r <= m.learnPositiveCount(); ++r) {
        if (form->SequencesList.cell(4, r) == "1") {
            EXPECT_NE(form->SequencesList.cell(6, r), "");
        }
    }

    form->btnNextClassErrCountClick();
    m.joinWorker();
    EXPECT_EQ(m.recognitionClass(), 1);
    EXPECT_EQ(form->btnNextClassErrCount.text(), "Next");
    EXPECT_NE(form->IdealizObjectsList.cell(3, 1), "");
    form->btnNextClassErrCountClick();
    m.joinWorker();
    EXPECT_EQ(m.recognitionClass(), 2);
    EXPECT_EQ(form->btnNextClassErrCount.text(), "Total");
    form->btnNextClassErrCountClick();
    EXPECT_EQ(form->btnNextClassErrCount.text(), "Next");
    EXPECT_FALSE(form->btnNextClassErrCount.enabled());
    EXPECT_TRUE(form->btnCountRecErrors.enabled());
    EXPECT_TRUE(form->IdealizObjectsList.enabled());
    // The totals are the sums of the per-class columns over the selected classes.
    int32_t positives = 0, misses = 0, accepted = 0;
    for (int32_t k = 1; k <= 3; ++k) {
        misses += std::stoi(form->IdealizObjectsList.cell(4, k));
        accepted += std::stoi(form->IdealizObjectsList.cell(5, k));
        for (int32_t r = 1; r <= m.learnPositiveCount(); ++r)
            positives += form->SequencesList.cell(4, r) == std::to_string(k);
    }
    EXPECT_EQ(form->FstErrInW.text(), "Recognized " + std::to_string(positives - misses) +
                                          " out of " + std::to_string(positives));
    EXPECT_EQ(form->SecErrInW.text(), "Recognized " + std::to_string(accepted) + " out of " +
                                          std::to_string(m.controlNegativeCount()));
    EXPECT_TRUE(form->SaveRecErrBtn.enabled());
}

TEST_F(EvaluationProcessTest, BootstrapThroughItsWindow) {
    ASSERT_NO_FATAL_FAILURE(prepare());
    TMainManager& m = manager();
    TBootStrCtrl& b = form->BootStrCtrl;
    form->btnStartBootstrapClick();
    b.IterCount.setText("2");
    b.FstLevelErr.setText("0,2");
    b.Bs_btnStartClick();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(b.Bs_btnStop.enabled());
    m.joinWorker();  // the whole run is the worker's
    EXPECT_FALSE(b.Bs_btnPause.enabled());
    EXPECT_EQ(b.ErrorsList.rowCount(), 3);
    const NumberFormat& numbers = form->numberFormat;
    double sums[2] = {0, 0};
    for (int32_t r = 1; r <= 2; ++r) {
        for (int c = 0; c < 2; ++c) {
            const std::string text = b.ErrorsList.cell(c, r);
            ASSERT_EQ(text.size(), 10u) << text;  // "0,xxxxxxxx"
            double value = 0;
            ASSERT_TRUE(numbers.tryReadReal(text, value));
            sums[c] += value;
        }
    }
    EXPECT_EQ(b.Label4.text(), numbers.fixed(sums[0] / 2, 8));
    EXPECT_EQ(b.Label5.text(), numbers.fixed(sums[1] / 2, 8));
    // The workspace's own samples are shown again.
    EXPECT_EQ(form->SequencesList.rowCount(), 54);
    EXPECT_EQ(form->SequencesList.cell(2, 1), "prom1");
}

TEST_F(EvaluationProcessTest, StartWhilePausedResumesAndStopEndsTheRun) {
    ASSERT_NO_FATAL_FAILURE(prepare());
    TMainManager& m = manager();
    TBootStrCtrl& b = form->BootStrCtrl;
    b.IterCount.setText("50");
    // Held before its first unit of work (test hook), paused, then let go: it goes straight to
    // the closed gate and waits there having done nothing.
    m.holdNextStart();
    b.Bs_btnStartClick();
    ASSERT_TRUE(m.bootstrapActive());
    b.Bs_btnPauseClick();
    EXPECT_TRUE(m.isPaused());
    m.releaseHeldStart();
    // Woken when the worker comes to the gate; the bound only ends a test whose worker never does.
    ASSERT_TRUE(m.runControl().waitForWaitingWorker(std::chrono::steady_clock::now() +
                                                    std::chrono::minutes(5)));
    EXPECT_EQ(b.ErrorsList.cell(0, 1) + b.ErrorsList.cell(0, 2), "") << "held while paused";
    // "Start" while paused resumes the same run.
    b.Bs_btnStartClick();
    EXPECT_FALSE(m.isPaused());
    EXPECT_TRUE(m.bootstrapActive());
    EXPECT_TRUE(dialogs.messages.empty());
    b.Bs_btnStopClick();
    m.joinWorker();  // the whole run is the worker's
    EXPECT_FALSE(m.isRunning());
    EXPECT_FALSE(b.Bs_btnPause.enabled());
    EXPECT_FALSE(b.Bs_btnStop.enabled());
    EXPECT_EQ(b.Label4.text(), TBootStrCtrl::kNoAverage);  // a stopped run shows no averages
    EXPECT_EQ(b.ErrorsList.cell(0, 50), "");
    EXPECT_EQ(form->SequencesList.rowCount(), 54);
}

}  // namespace
}  // namespace motifora::testing
