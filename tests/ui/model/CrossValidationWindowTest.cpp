// The "Cross-validation" window of the model: refusals of its entries, a whole run on the
// worker shown in the window (table, ROC, histograms), "Use this level", and the evaluation
// report saved from the File menu.
#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <fstream>
#include <string>

#include "FormFixture.h"
#include "evaluation/Pipeline.h"
#include "support/TMainManagerTestAccess.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

namespace fs = std::filesystem;

class CrossValidationWindowTest : public FormFixture {
  protected:
    std::string positive = std::string(MOTIFORA_EXAMPLES_DIR) + "/promoters_pos.seq";
    std::string negative = std::string(MOTIFORA_EXAMPLES_DIR) + "/promoters_neg.seq";

    void loadSamples() {
        dialogs.choose(positive);
        form->mmbtnAddSequenciesClick();
        dialogs.choose(negative);
        form->mmbtnAddNegativeSequenciesClick();
        ASSERT_TRUE(manager().learnNegativeLoaded());
        dialogs.texts(true);
    }
    // Runs the window's cross-validation with small buffers to its end: the worker is waited
    // for, then the window's tick shows what it stored.
    void runToTheEnd() {
        TMainManager& m = manager();
        m.setIterationSearchSettings({0.05, 0.8, 60, 15, WorkMode::kFixed, 0});
        TCrossValForm& w = form->CrossValForm;
        w.FoldsEdit.setText("3");
        w.SeedEdit.setText("4");
        w.StartBtnClick();
        ASSERT_TRUE(dialogs.messages.empty()) << lastMessage().text;
        EXPECT_FALSE(w.StartBtn.enabled());
        EXPECT_TRUE(w.StopBtn.enabled());
        m.joinWorker();
        form->SearchingTimerTimer();  // the tick that notices the end
    }
};

TEST_F(CrossValidationWindowTest, TheMenuShowsTheWindow) {
    EXPECT_FALSE(form->CrossValForm.Window.visible());
    form->mmbtnCrossValidationClick();
    EXPECT_TRUE(form->CrossValForm.Window.visible());
}

TEST_F(CrossValidationWindowTest, BadEntriesAndMissingSamplesAreRefused) {
    TCrossValForm& w = form->CrossValForm;
    struct Case {
        const char *folds, *seed, *wanted, *says;
    };
    for (const Case c : {Case{"1", "1", "0.05", "folds"}, Case{"x", "1", "0.05", "folds"},
                         Case{"5", "-2", "0.05", "seed"}, Case{"5", "1", "2", "wanted"},
                         Case{"5", "1", "0.05", "negative sample"}}) {
        dialogs.texts(true);
        w.FoldsEdit.setText(c.folds);
        w.SeedEdit.setText(c.seed);
        w.WantedErrorEdit.setText(c.wanted);
        w.StartBtnClick();
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.says;
        EXPECT_NE(lastMessage().text.find(c.says), std::string::npos) << lastMessage().text;
        EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
        EXPECT_TRUE(w.StartBtn.enabled());
        EXPECT_FALSE(manager().crossValidationActive());
    }
}

TEST_F(CrossValidationWindowTest, AStopBeforeTheFirstStepLeavesNoResultAndFreesTheWindow) {
    loadSamples();
    TMainManager& m = manager();
    // Held at its first gate, the run is live whenever Stop comes.
    m.holdNextStart();
    TCrossValForm& w = form->CrossValForm;
    w.FoldsEdit.setText("3");
    w.StartBtnClick();
    ASSERT_TRUE(dialogs.messages.empty()) << lastMessage().text;
    EXPECT_TRUE(m.isRunning());
    EXPECT_TRUE(m.crossValidationActive());
    w.StopBtnClick();
    m.joinWorker();
    form->SearchingTimerTimer();
    EXPECT_EQ(w.StatusLabel.text(), "Stopped");
    EXPECT_TRUE(w.StartBtn.enabled());
    EXPECT_FALSE(w.StopBtn.enabled());
    const auto result = m.crossValidationResult();
    EXPECT_TRUE(result == nullptr || !result->complete);
    EXPECT_TRUE(m.isIdle());
}

TEST_F(CrossValidationWindowTest, ARunFillsTheTableTheChartsAndTheLevel) {
    loadSamples();
    runToTheEnd();
    TCrossValForm& w = form->CrossValForm;
    const auto result = w.shownResult();
    ASSERT_TRUE(result);
    ASSERT_TRUE(result->complete);
    EXPECT_EQ(w.StatusLabel.text(), "Done");
    EXPECT_TRUE(w.StartBtn.enabled());
    EXPECT_FALSE(w.StopBtn.enabled());
    EXPECT_EQ(w.Progress.position(), w.Progress.maximum());
    // Three folds and the pooled row under the header.
    ASSERT_EQ(w.ErrorsList.rowCount(), 5);
    EXPECT_EQ(w.ErrorsList.cell(0, 4), "pooled");
    EXPECT_EQ(w.ErrorsList.cell(1, 4), "53");
    EXPECT_EQ(w.ErrorsList.cell(4, 4), form->numbers().fixed(result->level, 2));
    const RocCurve roc = w.Roc.value();
    EXPECT_TRUE(roc.shown);
    ASSERT_EQ(roc.points.size(), result->roc.size());
    EXPECT_DOUBLE_EQ(roc.operatingPoint.first, result->errors.second.rate);
    EXPECT_NE(roc.aucText.find(form->numbers().fixed(result->auc.auc, 3)), std::string::npos);
    const HistogramBars bars = w.Histograms.value();
    EXPECT_TRUE(bars.shown);
    EXPECT_DOUBLE_EQ(bars.level, result->level);
    int32_t counted = 0;
    for (int32_t c : bars.histogram.positives) counted += c;
    EXPECT_EQ(counted, 53);

    ASSERT_TRUE(w.UseLevelBtn.enabled());
    w.UseLevelBtnClick();
    EXPECT_EQ(form->RecLevelEdit.text(), form->numbers().fixed(result->level, 2));
    // No error counting yet: the field waits for one, and both windows say so.
    EXPECT_FALSE(form->RecLevelEdit.enabled());
    EXPECT_EQ(w.StatusLabel.text(), "Recogn. Level set to " + form->RecLevelEdit.text() +
                                        "; count the recognition errors, then press Enter in "
                                        "Recogn. Level to use it.");
    EXPECT_EQ(form->StatusBar1.panel(2), w.StatusLabel.text());

    // A new project forgets the result: nothing left to use.
    dialogs.answer(DialogAnswer::No);
    form->mmbtnNewProjectClick();
    EXPECT_FALSE(w.UseLevelBtn.enabled());
    EXPECT_EQ(w.shownResult(), nullptr);
    EXPECT_FALSE(w.Roc.value().shown);
    EXPECT_EQ(w.ErrorsList.rowCount(), 1);
    EXPECT_EQ(w.ResultLabel.text(), "");
}

// The discriminative score in the window, as it is and tuned in each fold, gives the figures
// of the engine's run that `motifora-cli --contrast [--contrast-tune] --cross-validate 3,4`
// makes of the same samples and settings, bit for bit, and its table shows them.
TEST_F(CrossValidationWindowTest, TheDiscriminativeScoreGivesTheCommandLinesFigures) {
    loadSamples();
    TCrossValForm& w = form->CrossValForm;
    for (const int32_t choice : {1, 2}) {
        SCOPED_TRACE(w.ScoreGroup.items()[static_cast<size_t>(choice)]);
        w.ScoreGroup.setItemIndex(choice);
        runToTheEnd();
        const auto shown = w.shownResult();
        ASSERT_TRUE(shown && shown->complete);
        TMainManager& m = manager();
        EXPECT_EQ(m.crossValidationScore(), ScoreKind::kDiscriminative);
        CrossValidationSettings settings = m.crossValidationDefaults();
        settings.folds = 3;
        settings.seed = 4;
        ContrastTuning tuning;
        tuning.letters = false;
        const CrossValidationResult expected =
            contrastCrossValidate(m.learnPositive(), m.learnNegative(), settings, nullptr, nullptr,
                                  choice == 2 ? &tuning : nullptr);
        ASSERT_TRUE(expected.complete);
        ASSERT_EQ(shown->sequences.size(), expected.sequences.size());
        for (size_t i = 0; i < expected.sequences.size(); ++i) {
            EXPECT_EQ(std::bit_cast<uint64_t>(shown->sequences[i].score.bestScore),
                      std::bit_cast<uint64_t>(expected.sequences[i].score.bestScore))
                << i;
        }
        EXPECT_EQ(shown->auc.auc, expected.auc.auc);
        EXPECT_EQ(shown->level, expected.level);
        for (size_t f = 0; f < expected.folds.size(); ++f)
            EXPECT_EQ(shown->folds[f].rules, expected.folds[f].rules);
        EXPECT_EQ(w.ErrorsList.cell(3, 4), form->numbers().fixed(expected.auc.auc, 3));
        EXPECT_EQ(w.ErrorsList.cell(4, 4), form->numbers().fixed(expected.level, 2));
        EXPECT_EQ(w.ErrorsList.cell(5, 4),
                  std::to_string(expected.errors.first.count) + " of 53 (" +
                      form->numbers().fixed(expected.errors.first.rate, 3) + ")");
        EXPECT_NE(w.ResultLabel.text().find("(discriminative score)"), std::string::npos);
        if (choice != 2) continue;
        // The report saved now puts the run in its discriminative section, with what each
        // fold chose, and leaves out rules that were not searched on every sequence.
        const test::TempDir folder("motifora-window-discriminative-report");
        const std::string file = (folder.root() / "report.html").string();
        dialogs.choose(file);
        form->mmbtnSaveEvaluationReportClick();
        EXPECT_TRUE(dialogs.messages.empty()) << lastMessage().text;
        const std::string html = test::readBytes(file);
        EXPECT_NE(html.find("<h2>Discriminative regularities</h2>"), std::string::npos);
        EXPECT_NE(html.find("CP threshold / sub-buffer chosen on each fold's training sequences:"),
                  std::string::npos);
        EXPECT_EQ(html.find("discriminative rules on all learning sequences"), std::string::npos);
        EXPECT_EQ(html.find("-fold stratified cross-validation"), std::string::npos);
    }
    // Back to the class score, the run is the classes' again.
    w.ScoreGroup.setItemIndex(0);
    runToTheEnd();
    EXPECT_EQ(manager().crossValidationScore(), ScoreKind::kClass);
    EXPECT_GT(w.shownResult()->folds.front().classes, 0);
    EXPECT_EQ(w.ResultLabel.text().find("discriminative"), std::string::npos);
}

TEST_F(CrossValidationWindowTest, TheEvaluationReportIsSavedFromTheFileMenu) {
    loadSamples();
    runToTheEnd();
    const test::TempDir folder("motifora-window-evaluation");
    const fs::path file = folder.root() / "motifora_window_evaluation";
    dialogs.choose(file.string());
    form->mmbtnSaveEvaluationReportClick();
    EXPECT_TRUE(dialogs.messages.empty()) << lastMessage().text;
    std::ifstream in(file.string() + ".html");
    ASSERT_TRUE(in.good());
    const std::string html((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(html.find("3-fold stratified cross-validation (seed 4)"), std::string::npos);
    EXPECT_NE(html.find(positive), std::string::npos);  // the loaded file with its digest
    EXPECT_NE(html.find(negative), std::string::npos);
    fs::remove(file.string() + ".html");
}

}  // namespace
}  // namespace motifora::testing
