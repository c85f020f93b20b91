// The evaluation side of the window model without worker threads: score cells, the error-count
// displays and entries, the totals of "Next"/"Total", and the bootstrap window's entries.
#include "FormFixture.h"
#include "core/SEQStorage.h"
#include "support/TMainManagerTestAccess.h"

namespace motifora::testing {
namespace {

const char* const kBadValue =
    "Задано неверное значение порога условной вероятности найденных закономерностей.";

class EvaluationCommandTest : public FormFixture {
  protected:
    void SetUp() override {
        FormFixture::SetUp();
        form->numberFormat.setSeparator(',');
    }
    // The worked example: class c = 1 (shown "2"); learning positives 12, 27, 33 shown in the
    // learning positive grid; control negatives 8 and 14 of class c among 10 objects.
    void prepareExample() {
        TMainManager& m = manager();
        TMainManagerTestAccess::storage(m) = std::make_unique<SEQStorage>();
        ObjectSet& negatives = TMainManagerTestAccess::storage(m)->controlNegativeObjects;
        negatives.make(10, 1, 0);
        TMainManagerTestAccess::storage(m)->controlNegativeObjectCount = 10;
        const int32_t classes[10] = {1, 0, 1, 2, -1, 0, 0, 0, 0, 0};
        const double scores[10] = {8, 50, 14, 99, 30, 1, 2, 3, 4, 5};
        for (int32_t i = 0; i < 10; ++i) {
            negatives[i].classNumber = classes[i];
            negatives[i].score = scores[i];
        }
        TMainManagerTestAccess::controlNegativeCount(m) = 10;
        TMainManagerTestAccess::controlNegativeLoaded(m) = true;
        ObjectSet& positives = TMainManagerTestAccess::storage(m)->learnObjects;
        positives.make(3, 1, 0);
        TMainManagerTestAccess::storage(m)->learnObjectCount = 3;
        TMainManagerTestAccess::learnPositiveCount(m) = 3;
        const double positiveScores[3] = {12, 27, 33};
        for (int32_t i = 0; i < 3; ++i) {
            positives[i].classNumber = 1;
            positives[i].score = positiveScores[i];
            form->SequencesList.setCell(4, i + 1, "2");
            form->SequencesList.setCell(5, i + 1, form->numberFormat.fixed(positiveScores[i], 2));
        }
        TMainManagerTestAccess::recognitionClass(m) = 1;
        form->ErrRecForm.chooseNegativeSide(SampleSide::kControl);
        form->ErrRecForm.choosePositiveSide(SampleSide::kLearning);
    }
};

TEST_F(EvaluationCommandTest, ClassScoresArrangedAndNot) {
    for (bool arranged : {true, false}) {
        form->Rec_Arranged.setChecked(arranged);
        form->onEvent(ClassScored{0, 0, 5});
        form->onEvent(ClassScored{0, 1, 3});
        form->onEvent(ClassScored{0, 2, 7});
        const auto row = form->NewSeqsList.row(1);
        ASSERT_GE(row.size(), 8u);
        const std::vector<std::string> cells(row.begin() + 5, row.begin() + 8);
        const std::vector<std::string> sorted{"2:3,00", "1:5,00", "3:7,00"};
        const std::vector<std::string> byClass{"1:5,00", "2:3,00", "3:7,00"};
        EXPECT_EQ(cells, arranged ? sorted : byClass);
    }
}

// A control negative of class "New" has no score and is counted under no class: beside the
// specified count (which stays as it is) the window says how many there are, once the control
// sample is classified (before, class numbers mean nothing).
TEST_F(EvaluationCommandTest, ControlNegativesOfClassNewAreCountedApart) {
    prepareExample();
    form->CountErrors(3);
    EXPECT_EQ(form->UncountedNegatives.text(), "");
    TMainManagerTestAccess::controlNegativeClassified(manager()) = true;
    form->CountErrors(3);
    EXPECT_EQ(form->SecondLErr.text(), "0,00000000");
    EXPECT_EQ(form->SecErrInW.text(), "Recognized 0 out of 10");
    EXPECT_EQ(form->UncountedNegatives.text(),
              "Контрольных последовательностей класса New (без оценки, не учтены ни в одном "
              "классе): 1 / 10\nПерекрёстная проверка оценивает все последовательности.");
    form->ErrRecForm.chooseNegativeSide(SampleSide::kLearning);
    form->CountErrors(3);
    EXPECT_EQ(form->UncountedNegatives.text(), "") << "the learning negatives are not control data";
}

TEST_F(EvaluationCommandTest, ObjectScoresGoToColumnFiveOfTheirGrid) {
    form->onEvent(ObjectScored{SampleKind::LearnPositive, 0, 1.234});
    form->onEvent(ObjectScored{SampleKind::LearnNegative, 1, -2});
    form->onEvent(ObjectScored{SampleKind::ControlPositive, 2, 17.5});
    form->onEvent(ObjectScored{SampleKind::ControlNegative, 3, 0.005});
    form->onEvent(ObjectScored{static_cast<SampleKind>(4), 3, 9});  // no such sample: nothing
    EXPECT_EQ(form->SequencesList.cell(5, 1), "1,23");
    EXPECT_EQ(form->NegSequencesList.cell(5, 2), "-2,00");
    EXPECT_EQ(form->PosCtrlSeqsList.cell(5, 3), "17,50");
    EXPECT_EQ(form->NewSeqsList.cell(5, 4), "0,01");
}

TEST_F(EvaluationCommandTest, PositionChartWithLevelAtMid) {
    TMainManagerTestAccess::windowScores(manager()) = {1, -3, 4.5, 2, 0, 7, 1, 1, -1};
    form->onEvent(ScanScored{9});
    const Chart::Series scores = form->Chart1.series(0);
    ASSERT_EQ(scores.size(), 9u);
    EXPECT_EQ(scores.front(), std::make_pair(1.0, 1.0));
    EXPECT_EQ(scores.back(), std::make_pair(9.0, -1.0));
    EXPECT_EQ(form->Chart1.series(1), (Chart::Series{{1, 2}, {9, 2}}));
    EXPECT_EQ(form->Chart1.yAxis().title, "Score");
    EXPECT_TRUE(form->Chart1.yAxis().automatic);
    EXPECT_EQ(form->Chart1.xAxis().title, "Position");
    EXPECT_EQ(form->RecLevelEdit.text(), "2,00");
    EXPECT_TRUE(form->RecLevelEdit.enabled());
    EXPECT_TRUE(form->SaveRecErrBtn.enabled());
    // A count beyond the scores held draws what there is.
    form->onEvent(ScanScored{50});
    EXPECT_EQ(form->Chart1.series(0).size(), 9u);
    // Enter in the level edit with long control data moves the level line.
    TMainManagerTestAccess::longControl(manager()) = true;
    form->RecLevelEdit.setText("3,5");
    form->ReCount2();
    EXPECT_EQ(form->Chart1.series(1), (Chart::Series{{1, 3.5}, {9, 3.5}}));
}

TEST_F(EvaluationCommandTest, HistogramExampleGivesLevelFifteenAndBothErrors) {
    prepareExample();
    form->CountErrors(3);
    EXPECT_EQ(form->Chart1.series(0), (Chart::Series{{5, 0.1}, {15, 0.1}}));
    EXPECT_EQ(form->Chart1.series(1), (Chart::Series{{15, 1.0 / 3}, {25, 1.0 / 3}, {35, 1.0 / 3}}));
    const Chart::Axis left = form->Chart1.yAxis();
    EXPECT_FALSE(left.automatic);
    EXPECT_EQ(left.minimum, 0);
    EXPECT_EQ(left.maximum, 1.1);
    EXPECT_EQ(left.title, "Percentage of sampling");
    EXPECT_EQ(form->Chart1.xAxis().title, "Score");
    EXPECT_EQ(form->RecLevelEdit.text(), "15,00");
    EXPECT_EQ(form->FirstLErrEd.text(), "0,33333333");
    EXPECT_EQ(form->FstErrInW.text(), "Recognized 2 out of 3");
    EXPECT_EQ(form->SecondLErr.text(), "0,00000000");
    EXPECT_EQ(form->SecErrInW.text(), "Recognized 0 out of 10");
    EXPECT_EQ(column(form->SequencesList, 6),
              (std::vector<std::string>{"-NotRecognized", "+Recognized", "+Recognized"}));
    for (int32_t r = 1; r <= 10; ++r) EXPECT_EQ(form->NewSeqsList.cell(6, r), "-NotRecognized");
    // The wanted error of the bootstrap window follows.
    EXPECT_EQ(form->BootStrCtrl.FstLevelErr.text(), "0,33333333");
    EXPECT_EQ(form->BootStrCtrl.requestedFirstError, 1.0 / 3);
}

TEST_F(EvaluationCommandTest, ScoreEqualToTheLevelAndTypedLevels) {
    prepareExample();
    form->CountErrors(3);
    // 14 is a negative of the class, 12 a positive: at 12 the positive counts, at 14 the
    // negative does not.
    form->RecLevelEdit.setText("14");
    form->ReCount2();
    EXPECT_EQ(form->SecondLErr.text(), "0,00000000");
    form->RecLevelEdit.setText("12");
    form->ReCount2();
    EXPECT_EQ(form->FirstLErrEd.text(), "0,00000000");
    EXPECT_EQ(form->SecondLErr.text(), "0,10000000");  // 14 > 12
    EXPECT_EQ(form->NewSeqsList.cell(6, 3), "+Recognized");
    // An empty level counts with 0.
    form->RecLevelEdit.setText("");
    form->ReCount2();
    EXPECT_EQ(form->SecErrInW.text(), "Recognized 2 out of 10");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EvaluationCommandTest, TypedNumberSwitchesTheSeparatorOrResets) {
    prepareExample();
    form->CountErrors(3);
    form->RecLevelEdit.setText("13.5");
    form->ReCount2();
    EXPECT_EQ(form->numberFormat.separator(), '.');
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form->FirstLErrEd.text(), "0.33333333");
    form->RecLevelEdit.setText("abc");
    form->ReCount2();
    EXPECT_EQ(form->RecLevelEdit.text(), "0,0");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(lastMessage().text, kBadValue);
    EXPECT_EQ(lastMessage().caption, "Ошибка");
    EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
    EXPECT_EQ(form->SecErrInW.text(), "Recognized 2 out of 10");  // counted with 0
}

TEST_F(EvaluationCommandTest, LevelFromAWantedFirstLevelError) {
    prepareExample();
    form->CountErrors(3);
    // Four scored learning positives; the grid is read, whichever positive side is chosen.
    TMainManagerTestAccess::learnPositiveCount(manager()) = 4;
    form->SequencesList.setCell(4, 4, "2");
    form->SequencesList.setCell(5, 4, "40,00");
    form->FirstLErrEd.setText("0,25");
    form->FstReCount2();
    EXPECT_EQ(form->RecLevelEdit.text(), "30,00");  // (27 + 33) / 2
    form->FirstLErrEd.setText("0");
    form->FstReCount2();
    EXPECT_EQ(form->RecLevelEdit.text(), "11,00");  // 12 - 1
    EXPECT_EQ(form->FirstLErrEd.text(), "0,00000000");
    // Out of range: reset, message, derived for 0.
    form->RecLevelEdit.setText("99");
    form->FirstLErrEd.setText("1,5");
    form->FstReCount2();
    EXPECT_EQ(lastMessage().text, kBadValue);
    EXPECT_EQ(form->RecLevelEdit.text(), "11,00");
    // Fewer than two scored positives: nothing changes.
    for (int32_t r = 2; r <= 4; ++r) form->SequencesList.setCell(5, r, "");
    form->RecLevelEdit.setText("7,00");
    form->FirstLErrEd.setText("0,5");
    form->FstReCount2();
    EXPECT_EQ(form->RecLevelEdit.text(), "7,00");
}

TEST_F(EvaluationCommandTest, TotalSumsThePerClassColumns) {
    TMainManager& m = manager();
    TMainManagerTestAccess::controlNegativeCount(m) = 8;
    TMainManagerTestAccess::recognitionClass(m) = 2;
    form->IdealizObjectsList.setRowCount(4);
    form->IdealizObjectsList.setColCount(6);
    form->IdealizObjectsList.select(1, 3);
    // Classes 1 and 2 were counted by earlier "Next" clicks.
    form->IdealizObjectsList.setCell(4, 1, "1");
    form->IdealizObjectsList.setCell(5, 1, "2");
    form->IdealizObjectsList.setCell(4, 2, "0");
    form->IdealizObjectsList.setCell(5, 2, "1");
    const std::vector<std::pair<std::string, std::string>> positives{
        {"1", "-NotRecognized"}, {"1", "+Recognized"},    {"2", "+Recognized"},
        {"3", "-NotRecognized"}, {"3", "-NotRecognized"}, {"3", "+Recognized"}};
    form->SequencesList.setRowCount(7);
    for (size_t i = 0; i < positives.size(); ++i) {
        form->SequencesList.setCell(4, static_cast<int32_t>(i) + 1, positives[i].first);
        form->SequencesList.setCell(6, static_cast<int32_t>(i) + 1, positives[i].second);
    }
    form->NewSeqsList.setRowCount(9);
    form->NewSeqsList.setCell(4, 1, "3");
    form->NewSeqsList.setCell(6, 1, "+Recognized");
    form->NewSeqsList.setCell(4, 2, "3");
    form->NewSeqsList.setCell(6, 2, "-NotRecognized");
    form->RecLevelEdit.setText("4,50");
    form->btnNextClassErrCount.setText("Total");
    form->btnNextClassErrCount.setEnabled(true);
    form->IdealizObjectsList.setEnabled(false);
    form->btnNextClassErrCountClick();
    EXPECT_EQ(form->IdealizObjectsList.row(3),
              (std::vector<std::string>{"", "", "", "4,50", "2", "1"}));
    EXPECT_EQ(form->btnNextClassErrCount.text(), "Next");
    EXPECT_FALSE(form->btnNextClassErrCount.enabled());
    EXPECT_TRUE(form->IdealizObjectsList.enabled());
    EXPECT_FALSE(form->Chart1.visible());
    // Misses 1 + 0 + 2 of 6 positives; accepted 2 + 1 + 1 of 8 control negatives.
    EXPECT_EQ(form->FirstLErrEd.text(), "0,50000000");
    EXPECT_EQ(form->FstErrInW.text(), "Recognized 3 out of 6");
    EXPECT_EQ(form->SecondLErr.text(), "0,50000000");
    EXPECT_EQ(form->SecErrInW.text(), "Recognized 4 out of 8");
    EXPECT_TRUE(form->SaveRecErrBtn.enabled());
    EXPECT_TRUE(form->btnCountRecErrors.enabled());
}

TEST_F(EvaluationCommandTest, RecognitionCommandMessages) {
    form->btnStartRecognitionClick();
    EXPECT_EQ(lastMessage().text,
              "Невозможно запустить процесс классификации. Нет идеальных объектов");
    EXPECT_EQ(lastMessage().caption, "Error");
    EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
}

TEST_F(EvaluationCommandTest, ErrorCountWithoutClassesReportsAndUnlocks) {
    form->btnCountRecErrorsClick();
    EXPECT_EQ(lastMessage().text,
              "Невозможно запустить процесс классификации. Нет идеальных объектов");
    EXPECT_TRUE(form->btnCountRecErrors.enabled());
    EXPECT_TRUE(form->btnStartRecognition.enabled());
    // Without control data neither group can be chosen: the window is not shown.
    EXPECT_FALSE(form->ErrRecForm.PositiveGroup.enabled());
    EXPECT_FALSE(form->ErrRecForm.NegativeGroup.enabled());
    EXPECT_EQ(form->NegSequencesList.cell(5, 0), "Score");
    EXPECT_EQ(form->SequencesList.cell(6, 0), "Result");
    EXPECT_EQ(form->SequencesList.colCount(), 7);
}

TEST_F(EvaluationCommandTest, PropertiesWindowStates) {
    TMainManager& m = manager();
    int shown = 0;
    form->ErrRecForm.modalLoop = [&](TErrRecForm& window) {
        ++shown;
        EXPECT_TRUE(window.Window.visible());
        window.OKBtnClick();
    };
    TMainManagerTestAccess::controlNegativeLoaded(m) =
        true;  // no learning negatives: negatives are the control ones
    form->ErrRecForm.chooseNegativeSide(SampleSide::kLearning);
    form->btnCountRecErrorsClick();
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(form->ErrRecForm.negativeSide(), SampleSide::kControl);
    EXPECT_FALSE(form->ErrRecForm.NegativeGroup.enabled());
    EXPECT_EQ(form->NewSeqsList.colCount(), 7);
    EXPECT_EQ(form->NegSequencesList.colCount(), 5);
    TMainManagerTestAccess::learnNegativeLoaded(m) = true;
    TMainManagerTestAccess::controlPositiveLoaded(m) = true;
    form->btnCountRecErrorsClick();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(form->ErrRecForm.NegativeGroup.enabled());
    EXPECT_TRUE(form->ErrRecForm.PositiveGroup.enabled());
    EXPECT_FALSE(form->ErrRecForm.Window.visible());
    // Shift positions: nothing at all.
    m.setIterationSearchSettings({0.05, 0.8, 500, 50, WorkMode::kShift, 0});
    form->btnCountRecErrorsClick();
    EXPECT_EQ(shown, 1);
}

class BootstrapWindowTest : public EvaluationCommandTest {};

TEST_F(BootstrapWindowTest, DefaultsAndTheOpeningCommand) {
    TBootStrCtrl& b = form->BootStrCtrl;
    EXPECT_EQ(b.Caption.text(), "Bootstreap Control");
    EXPECT_EQ(b.PositPercent.text(), "10");
    EXPECT_EQ(b.IterCount.text(), "1");
    EXPECT_EQ(b.FstLevelErr.text(), "0");
    EXPECT_FALSE(b.Bs_btnPause.enabled());
    EXPECT_FALSE(b.Bs_btnStop.enabled());
    EXPECT_EQ(b.ErrorsList.colCount(), 2);
    EXPECT_EQ(b.Label4.text(), "______________");
    EXPECT_FALSE(b.Window.visible());
    form->FirstLErrEd.setText("0,125");
    form->btnStartBootstrapClick();
    EXPECT_TRUE(b.Window.visible());
    EXPECT_EQ(b.FstLevelErr.text(), "0,125");
}

TEST_F(BootstrapWindowTest, InvalidEntriesResetAndStartNothing) {
    TBootStrCtrl& b = form->BootStrCtrl;
    const struct {
        std::string percent, iterations, error;
        std::string percentAfter, iterationsAfter, errorAfter;
    } cases[] = {
        {"0", "1", "0", "0", "1", "0"},        {"100", "1", "0", "0", "1", "0"},
        {"abc", "1", "0", "0", "1", "0"},      {"10", "0", "0", "10", "0", "0"},
        {"10", "x", "0", "10", "0", "0"},      {"10", "1", "1,5", "10", "1", "0,0"},
        {"10", "1", "-0,1", "10", "1", "0,0"}, {"10", "1", "zz", "10", "1", "0,0"},
    };
    for (const auto& c : cases) {
        b.PositPercent.setText(c.percent);
        b.IterCount.setText(c.iterations);
        b.FstLevelErr.setText(c.error);
        b.Bs_btnStartClick();
        EXPECT_EQ(b.PositPercent.text(), c.percentAfter) << c.percent;
        EXPECT_EQ(b.IterCount.text(), c.iterationsAfter) << c.iterations;
        EXPECT_EQ(b.FstLevelErr.text(), c.errorAfter) << c.error;
        EXPECT_FALSE(b.Bs_btnPause.enabled());
        EXPECT_EQ(b.requestedFirstError, 0.0);
    }
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(manager().workerActive());
}

TEST_F(BootstrapWindowTest, MissingSamplesMessage) {
    TBootStrCtrl& b = form->BootStrCtrl;
    b.IterCount.setText("3");
    b.FstLevelErr.setText("0,5");
    b.Bs_btnStartClick();
    EXPECT_EQ(lastMessage().text,
              "Невозможно запустить бутстрэп. Дожны быть загружены обучающая позитивная, "
              "обучающая негативная и контрольная негативная выборки.");
    EXPECT_EQ(lastMessage().caption, "Error");
    EXPECT_EQ(b.ErrorsList.rowCount(), 4);
    EXPECT_TRUE(b.Bs_btnPause.enabled());  // left as the refused start found them
    EXPECT_TRUE(form->mmbtnVisiblePositiveControl.checked());
    EXPECT_EQ(b.requestedFirstError, 0.5);
}

TEST_F(BootstrapWindowTest, RowsAndAveragesOfTheShownValues) {
    TBootStrCtrl& b = form->BootStrCtrl;
    b.ErrorsList.setRowCount(4);
    form->onEvent(BootstrapRoundEnded{1, 1.0 / 3, 0.1});
    form->onEvent(BootstrapRoundEnded{2, 2.0 / 3, 0.2});
    form->onEvent(BootstrapRoundEnded{3, 0.5, 0.3});
    EXPECT_EQ(b.ErrorsList.row(1), (std::vector<std::string>{"0,33333333", "0,10000000"}));
    form->onEvent(BootstrapAveraged{3});
    EXPECT_EQ(b.Label4.text(), "0,50000000");
    EXPECT_EQ(b.Label5.text(), "0,20000000");
    b.Bs_btnPause.setEnabled(true);
    form->onEvent(BootstrapEnded{});
    EXPECT_FALSE(b.Bs_btnPause.enabled());
    EXPECT_FALSE(b.Bs_btnStop.enabled());
}

TEST_F(BootstrapWindowTest, EnterForwardsAValidWantedError) {
    TBootStrCtrl& b = form->BootStrCtrl;
    b.FstLevelErr.setText("0,25");
    b.ReCount();
    EXPECT_EQ(form->FirstLErrEd.text(), "0,25");
    EXPECT_EQ(b.requestedFirstError, 0.25);
    form->FirstLErrEd.setText("x");
    b.FstLevelErr.setText("7");
    b.ReCount();
    EXPECT_EQ(b.FstLevelErr.text(), "0,0");
    EXPECT_EQ(form->FirstLErrEd.text(), "x");  // not forwarded
    EXPECT_EQ(b.requestedFirstError, 0.0);
}

}  // namespace
}  // namespace motifora::testing
