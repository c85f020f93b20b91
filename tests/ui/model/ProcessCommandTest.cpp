// Whole runs through the window's commands with real worker threads: loading the example, rule
// search, idealization, classification, the class views, and pause, resume and stop of each.
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "FormFixture.h"
#include "Promoters.h"
#include "classify/Classificator.h"
#include "core/Sequence.h"
#include "rules/Rule.h"
#include "rules/RulesStorage.h"
#include "support/TMainManagerTestAccess.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

class ProcessCommandTest : public FormFixture {
  protected:
    // Starts a process whose worker is held before its first unit of work, presses `pause`
    // (when given) and lets the worker go: it stops at the closed gate at once, so the process
    // is reliably live and paused, whatever the machine's load.
    void pausedAtOnce(void (TMainForm::*start)(), void (TMainForm::*pause)()) {
        manager().holdNextStart();
        (form.get()->*start)();
        ASSERT_TRUE(manager().isRunning()) << (dialogs.messages.empty() ? "" : lastMessage().text);
        if (!pause) return;
        (form.get()->*pause)();
        EXPECT_TRUE(manager().isPaused());
        manager().releaseHeldStart();
    }

    void loadLearning(bool withNegative) {
        dialogs.choose(kPositive);
        form->mmbtnAddSequenciesClick();
        if (withNegative) {
            dialogs.choose(kNegative);
            form->mmbtnAddNegativeSequenciesClick();
        }
        ASSERT_TRUE(manager().learnPositiveLoaded());
    }

    // Settings small enough for a quick search on the example.
    void quickSettings() {
        form->FinishStorSizeEdit.setText("40");
        form->SubBuffersSizeEdit.setText("10");
    }

    void searchToEnd() {
        form->btnStartSearchRulesClick();
        ASSERT_TRUE(dialogs.messages.empty() || dialogs.messages.back().caption != "Ошибка")
            << dialogs.messages.back().text;
        const auto shown = tickToEnd();
        ASSERT_EQ(shown, std::vector<std::string>{kSearchEnded});
    }

    void idealizeToEnd() {
        form->setActivePage(Page::Objects);
        form->btnStartIdealizationClick();
        const auto shown = tickToEnd();
        ASSERT_EQ(shown, std::vector<std::string>{kIdealizationEnded});
    }

    void loadControlNegative() {
        dialogs.choose(kNegative);
        form->mmbtnAddControlNegativeClick();
        ASSERT_EQ(lastMessage().text, "Загрузка контрольных последовательностей удачно завершена.");
    }

    // The classes shown in column 4 of a grid, as numbers.
    std::vector<std::string> classColumn(const Grid& grid) { return column(grid, 4); }
};

TEST_F(ProcessCommandTest, ExampleFromLoadingToClassifiedControlData) {
    loadLearning(true);
    quickSettings();
    dialogs.messages.clear();

    form->btnStartSearchRulesClick();
    EXPECT_TRUE(dialogs.messages.empty()) << "the default settings convert after the switch";
    EXPECT_EQ(form->numberFormat.separator(), ',');
    EXPECT_EQ(form->RulesList.rowCount(), 41);
    EXPECT_EQ(form->FinishProgress.maximum(), 40);
    EXPECT_EQ(form->PreBufProgress.maximum(), 10);
    EXPECT_FALSE(form->Control1.enabled());
    EXPECT_TRUE(form->btnPauseSearchRules.enabled());
    ASSERT_EQ(tickToEnd(), std::vector<std::string>{kSearchEnded});
    EXPECT_EQ(lastMessage().caption, "Сообщение");
    EXPECT_EQ(lastMessage().icon, MessageIcon::Information);

    const RulesStorage& rules = *manager().rules();
    ASSERT_GT(rules.Count(), 0);
    EXPECT_EQ(form->shownRuleCount, rules.Count());
    for (int32_t i = 0; i < rules.Count(); ++i) {
        std::string fisher, cp, text;
        rules.GetTexts(i, fisher, cp, text);
        ASSERT_EQ(form->RulesList.row(i + 1)[0], std::to_string(i + 1));
        EXPECT_EQ(form->RulesList.cell(1, i + 1), fisher) << "row " << i + 1;
        EXPECT_EQ(form->RulesList.cell(2, i + 1), text) << "row " << i + 1;
        EXPECT_EQ(form->RulesList.cell(3, i + 1), cp) << "row " << i + 1;
    }
    EXPECT_EQ(form->FinishProgress.position(), 0);
    EXPECT_EQ(form->StatusBar1.panel(1), "");
    EXPECT_TRUE(form->btnStartIdealization.enabled());
    EXPECT_TRUE(form->btnPauseIdealization.enabled());
    EXPECT_FALSE(form->Control1.enabled());
    EXPECT_EQ(manager().storage()->learnObjectCount, 53) << "negatives moved out at the end";

    ASSERT_NO_FATAL_FAILURE(idealizeToEnd());
    const int32_t classes = manager().classCount();
    ASSERT_GT(classes, 0);
    EXPECT_EQ(form->IdealizObjectsList.rowCount(), classes + 1);
    EXPECT_EQ(form->IdealizObjectsList.cell(0, classes), std::to_string(classes));
    EXPECT_TRUE(form->IdealObjPopupMenu.enabled());
    EXPECT_TRUE(form->Control1.enabled());
    EXPECT_FALSE(form->btnStartSearchClass.enabled());
    for (const std::string& cls : classColumn(form->SequencesList)) EXPECT_NE(cls, "");
    for (const std::string& cls : classColumn(form->NegSequencesList)) EXPECT_NE(cls, "");
    EXPECT_EQ(form->StatusBar1.panel(2), "");

    ASSERT_NO_FATAL_FAILURE(loadControlNegative());
    EXPECT_TRUE(form->btnStartSearchClass.enabled());
    EXPECT_TRUE(form->btnStartBootstrap.enabled());
    EXPECT_FALSE(form->btnCountRecErrors.enabled());
    EXPECT_EQ(form->NewSeqsList.rowCount(), 54);

    form->setActivePage(Page::Classes);
    form->btnStartSearchClassClick();
    EXPECT_EQ(form->StatusBar1.panel(1), "Идет процесс классификации ...");
    EXPECT_FALSE(form->btnStartSearchRules.enabled());
    ASSERT_EQ(tickToEnd(), std::vector<std::string>{kClassificationEnded});
    EXPECT_TRUE(manager().controlNegativeClassified());
    EXPECT_FALSE(form->btnPauseSearchClass.enabled());
    EXPECT_FALSE(form->btnStopSearchClass.enabled());
    EXPECT_TRUE(form->btnStartSearchClass.enabled());
    EXPECT_TRUE(form->btnStartSearchRules.enabled());
    // The control negative sample is the learning negative sample again: same classes.
    EXPECT_EQ(classColumn(form->NewSeqsList), classColumn(form->NegSequencesList));
}

TEST_F(ProcessCommandTest, ControlRowTooltipsTellTheHeldOutDecision) {
    loadLearning(true);
    quickSettings();
    ASSERT_NO_FATAL_FAILURE(searchToEnd());
    ASSERT_NO_FATAL_FAILURE(idealizeToEnd());
    ASSERT_NO_FATAL_FAILURE(loadControlNegative());
    form->btnStartSearchClassClick();
    ASSERT_EQ(tickToEnd(), std::vector<std::string>{kClassificationEnded});
    TMainManager& m = manager();
    const std::vector<SequenceScore> scores = m.controlSequenceScores(SampleKind::ControlNegative);
    ASSERT_EQ(scores.size(), 53u);
    const auto reading = [&](const SequenceScore& s) {
        return "Class " +
               (s.assignedClass < 0 ? std::string("New") : std::to_string(s.assignedClass + 1)) +
               "; best class " + std::to_string(s.bestClass + 1) + ", score " +
               form->numberFormat.fixed(s.bestScore, 2);
    };
    // Before a cross-validation: the scores alone.
    EXPECT_EQ(form->controlDecisionDetail(SampleKind::ControlNegative, 1), reading(scores[0]));
    EXPECT_EQ(form->controlDecisionDetail(SampleKind::ControlNegative, 53), reading(scores[52]));
    EXPECT_EQ(form->controlDecisionDetail(SampleKind::ControlNegative, 0), "");
    EXPECT_EQ(form->controlDecisionDetail(SampleKind::ControlNegative, 54), "");
    EXPECT_EQ(form->controlDecisionDetail(SampleKind::ControlPositive, 1), "")
        << "no control positives";

    // After one: every row gives the decision at its level, and the accepted negatives are the
    // second-level errors the evaluation report counts.
    TCrossValForm& w = form->CrossValForm;
    w.FoldsEdit.setText("3");
    w.StartBtnClick();
    ASSERT_TRUE(dialogs.messages.empty() || lastMessage().icon != MessageIcon::Error)
        << lastMessage().text;
    m.joinWorker();
    form->SearchingTimerTimer();
    const auto cv = w.shownResult();
    ASSERT_NE(cv, nullptr);
    const std::string level = form->numberFormat.fixed(cv->level, 2);
    int32_t accepted = 0;
    for (int32_t row = 1; row <= 53; ++row) {
        const SequenceScore& s = scores[static_cast<size_t>(row - 1)];
        const bool above = s.bestScore > cv->level;
        accepted += above ? 1 : 0;
        EXPECT_EQ(form->controlDecisionDetail(SampleKind::ControlNegative, row),
                  reading(s) + "\nCross-validated level " + level + ": " +
                      (above ? "accept (a second-level error)" : "reject"))
            << "row " << row;
    }
    EXPECT_EQ(accepted, controlErrors(controlScores(m), cv->level).second.count);
}

TEST_F(ProcessCommandTest, ClassViewsAndDeletion) {
    loadLearning(false);
    quickSettings();
    ASSERT_NO_FATAL_FAILURE(searchToEnd());
    ASSERT_NO_FATAL_FAILURE(idealizeToEnd());
    const int32_t classes = manager().classCount();
    ASSERT_GT(classes, 0);
    const SEQStorage& s = *manager().storage();

    // Show Objects of the first class lists exactly its learning objects, in order.
    form->IdealizObjectsList.select(1, 1);
    form->ShowObjects1Click();
    std::vector<std::string> expected;
    for (int32_t j = 0; j < s.learnObjectCount; ++j)
        if (s.learnObjects[j].classNumber == 0) expected.push_back(std::to_string(j + 1));
    std::vector<std::string> listed;
    for (int32_t r = 1; r < form->ClassList.rowCount() && !form->ClassList.cell(1, r).empty(); ++r)
        listed.push_back(form->ClassList.cell(1, r));
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(form->ClassList.colCount(), 3);

    // Show Regularities: every listed rule is "true" or "false".
    form->ShowRegularities1Click();
    EXPECT_EQ(form->ClassList.colCount(), 5);
    for (int32_t r = 1; r < form->ClassList.rowCount() && !form->ClassList.cell(0, r).empty(); ++r)
        EXPECT_TRUE(form->ClassList.cell(4, r) == "true" || form->ClassList.cell(4, r) == "false");

    // Prediction matrix: positions across, letters down, values with two decimals.
    form->WeightMatrix1Click();
    EXPECT_EQ(form->ClassList.colCount(), s.width + 1);
    EXPECT_EQ(form->ClassList.rowCount(), s.alphabetSize + 1);
    EXPECT_EQ(form->ClassList.cell(1, 0), "1");
    EXPECT_EQ(form->ClassList.cell(s.width, 0), std::to_string(s.width));
    EXPECT_EQ(form->ClassList.cell(0, 1),
              std::string(1, static_cast<char>(s.codeTable.letterOf(0))));
    manager().classificator()->SelectIdealObject(0);
    EXPECT_EQ(form->ClassList.cell(3, 2),
              form->numberFormat.fixed(manager().classificator()->PredictionValue(2, 1), 2));
    form->RecognitionMatrix1Click();
    for (int32_t p = 0; p < s.width; ++p)
        for (int32_t l = 0; l < s.alphabetSize; ++l) {
            const double prediction = manager().classificator()->PredictionValue(p, l);
            if (prediction > 0) {
                EXPECT_EQ(form->ClassList.cell(p + 1, l + 1),
                          form->numberFormat.fixed(prediction, 2));
            }
        }

    // Deleting the first class: its objects lose their class, the others move down by one.
    std::vector<int32_t> before;
    for (int32_t j = 0; j < s.learnObjectCount; ++j)
        before.push_back(s.learnObjects[j].classNumber);
    form->IdealizObjectsList.select(1, 1);
    form->D1Click();
    EXPECT_EQ(manager().classCount(), classes - 1);
    EXPECT_EQ(form->IdealizObjectsList.rowCount(), classes);
    EXPECT_FALSE(manager().saved());
    for (int32_t j = 0; j < s.learnObjectCount; ++j) {
        const int32_t expectedClass = before[j] == 0  ? -1
                                      : before[j] > 0 ? before[j] - 1
                                                      : before[j];
        EXPECT_EQ(s.learnObjects[j].classNumber, expectedClass) << "object " << j;
        EXPECT_EQ(form->SequencesList.cell(4, j + 1), std::to_string(expectedClass + 1));
    }

    // A selection of rows below the last class deletes nothing.
    form->IdealizObjectsList.select(classes + 3, classes + 4);
    form->D1Click();
    EXPECT_EQ(manager().classCount(), classes - 1);

    // A selection of the rows 2 to 3 deletes the two classes shown there, 1 and 2.
    ASSERT_GE(manager().classCount(), 3);
    before.clear();
    for (int32_t j = 0; j < s.learnObjectCount; ++j)
        before.push_back(s.learnObjects[j].classNumber);
    const std::string third = form->IdealizObjectsList.cell(2, 4);
    form->IdealizObjectsList.select(2, 3);
    form->D1Click();
    EXPECT_EQ(manager().classCount(), classes - 3);
    EXPECT_EQ(form->IdealizObjectsList.cell(2, 2), third) << "the class after them moves up";
    EXPECT_EQ(form->IdealizObjectsList.cell(0, 2), "2");
    for (int32_t j = 0; j < s.learnObjectCount; ++j) {
        const int32_t b = before[j];
        const int32_t expectedClass = (b == 1 || b == 2) ? -1 : b > 2 ? b - 2 : b;
        EXPECT_EQ(s.learnObjects[j].classNumber, expectedClass) << "object " << j;
    }
}

// The worked example: letters A and C, one rule R (A at position 0 => C at position 1 with
// 0.75, weight ln 4). The learning objects A C and C C found the classes {A} {C} and {} {C}.
TEST_F(ProcessCommandTest, MatrixViewsOnTheWorkedExample) {
    std::vector<Sequence> rows(2);
    rows[0].assign("AC", "ac", 1);
    rows[1].assign("CC", "cc", 1);
    TMainManager& m = manager();
    TMainManagerTestAccess::storage(m) = std::make_unique<SEQStorage>();
    TMainManagerTestAccess::storage(m)->buildWhole(rows.data(), 2);
    auto rule = std::make_unique<Rule>();
    rule->Init(1, TMainManagerTestAccess::storage(m).get(), 0.05, nullptr);
    rule->conditions[0].position = 0;
    rule->conditions[0].sign = 1;
    rule->conditions[0].letter = 0;
    rule->targetPosition = 1;
    rule->letterProbability[0] = 0.0;
    rule->letterProbability[1] = 0.75;
    rule->fisher = 0.01;
    rule->cp = 0.75;
    TMainManagerTestAccess::rules(m) = std::make_unique<RulesStorage>(5, 2);
    TMainManagerTestAccess::rules(m)->insertIndex = 0;
    ASSERT_TRUE(TMainManagerTestAccess::rules(m)->Add(rule, false));
    form->numberFormat.setSeparator(',');

    form->setActivePage(Page::Objects);
    form->btnStartIdealizationClick();
    ASSERT_EQ(tickToEnd(), std::vector<std::string>{kIdealizationEnded});
    ASSERT_EQ(m.classCount(), 2);
    EXPECT_EQ(form->IdealizObjectsList.row(1), (std::vector<std::string>{"1", "0", "-[A]-[C]-"}));
    EXPECT_EQ(form->IdealizObjectsList.row(2), (std::vector<std::string>{"2", "0", "-[ ]-[C]-"}));

    form->IdealizObjectsList.select(1, 1);
    form->WeightMatrix1Click();
    const std::vector<std::vector<std::string>> prediction{
        {"", "1", "2"}, {"A", "0,00", "0,00"}, {"C", "0,00", "1,39"}};
    ASSERT_EQ(form->ClassList.rowCount(), 3);
    ASSERT_EQ(form->ClassList.colCount(), 3);
    for (int32_t r = 0; r < 3; ++r) {
        for (int32_t c = r == 0 ? 1 : 0; c < 3; ++c)
            EXPECT_EQ(form->ClassList.cell(c, r), prediction[r][c]) << c << "," << r;
    }
    form->RecognitionMatrix1Click();
    EXPECT_EQ(form->ClassList.cell(1, 1), "1,39") << "R's condition rests on A at position 0";
    EXPECT_EQ(form->ClassList.cell(2, 1), "0,00");
    EXPECT_EQ(form->ClassList.cell(1, 2), "0,00");
    EXPECT_EQ(form->ClassList.cell(2, 2), "1,39");

    form->ShowRegularities1Click();
    EXPECT_EQ(form->ClassList.rowCount(), 2);
    EXPECT_EQ(form->ClassList.cell(0, 1), "1");
    EXPECT_EQ(form->ClassList.cell(1, 1), "0.010000");
    EXPECT_EQ(form->ClassList.cell(3, 1), "0.750000");
    EXPECT_EQ(form->ClassList.cell(4, 1), "true");

    form->ShowObjects1Click();
    EXPECT_EQ(form->ClassList.row(1), (std::vector<std::string>{"1", "1", "-[A]-[C]-"}));
    EXPECT_EQ(form->ClassList.cell(0, 2), "");

    // R is not applicable to the second class: nothing is listed for it. A double click
    // lists its object, the second one, as the object itself reads.
    form->IdealizObjectsList.select(2, 2);
    form->ShowRegularities1Click();
    EXPECT_EQ(form->ClassList.cell(0, 1), "");
    form->ShowClass();
    EXPECT_EQ(form->ClassList.row(1), (std::vector<std::string>{"1", "2", "-[C]-[C]-"}));

    // A row without a class shows nothing (the grid is prepared, then the command stops).
    form->IdealizObjectsList.select(3, 3);
    form->ShowObjects1Click();
    EXPECT_EQ(form->ClassList.cell(0, 1), "");
}

TEST_F(ProcessCommandTest, ControlLoadsCheckTheirDataAndSwitchTheViews) {
    loadLearning(false);
    quickSettings();
    ASSERT_NO_FATAL_FAILURE(searchToEnd());
    ASSERT_NO_FATAL_FAILURE(idealizeToEnd());

    const test::TempDir folder("motifora_model_control");
    const std::filesystem::path& dir = folder.root();
    const std::string foreign = (dir / "foreign.seq").string();
    std::ofstream(foreign) << ">x;" << std::string(57, 'U') << "\n";
    dialogs.choose(foreign);
    form->mmbtnAddControlNegativeClick();
    EXPECT_EQ(lastMessage().text.rfind("Не совпадает длина последовательностей или алфавит", 0),
              0u);
    EXPECT_EQ(lastMessage().caption, "Ошибка чтения из файла: " + foreign);
    EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
    EXPECT_FALSE(manager().controlNegativeLoaded());
    EXPECT_FALSE(form->btnStartSearchClass.enabled());

    ASSERT_NO_FATAL_FAILURE(loadControlNegative());
    EXPECT_EQ(dialogs.files.back().request.dialog, "AddNewSeqsDlg");
    EXPECT_EQ(form->NewSeqsList.cell(2, 1), "nonprom1");
    EXPECT_EQ(form->NewSeqsList.cell(4, 1), "") << "not classified yet";

    const std::string shortRecords = (dir / "short.seq").string();
    std::ofstream(shortRecords) << ">s;ACGT\n";
    dialogs.choose(shortRecords);
    form->mmbtnAddControlPositiveClick();
    EXPECT_EQ(lastMessage().text.rfind("Not appropriate length or different alphabet", 0), 0u);
    EXPECT_EQ(lastMessage().caption, "Error reading from file: " + shortRecords);
    EXPECT_FALSE(form->PosCtrlSeqsList.visible());

    dialogs.choose(kPositive);
    form->mmbtnAddControlPositiveClick();
    EXPECT_EQ(lastMessage().text, "Loading of control positive samplings is completed.");
    EXPECT_EQ(lastMessage().caption, "Сообщение");
    EXPECT_TRUE(form->mmbtnVisiblePositiveControl.checked());
    EXPECT_TRUE(form->PosCtrlSeqsList.visible());
    EXPECT_EQ(form->PosCtrlSeqsList.rowCount(), 54);
    EXPECT_EQ(form->PosCtrlSeqsList.cell(2, 53), "prom53");

    // Both control samples are classified; the learning positives as control positives get
    // the classes they founded.
    form->btnStartSearchClassClick();
    ASSERT_EQ(tickToEnd(), std::vector<std::string>{kClassificationEnded});
    EXPECT_EQ(classColumn(form->PosCtrlSeqsList), classColumn(form->SequencesList));
}

TEST_F(ProcessCommandTest, IdealizationStartWhilePausedStartsAfresh) {
    loadLearning(false);
    quickSettings();
    ASSERT_NO_FATAL_FAILURE(searchToEnd());
    pausedAtOnce(&TMainForm::btnStartIdealizationClick, &TMainForm::btnPauseIdealizationClick);
    // The start button is disabled while the run is on; a front end that still calls the
    // handler gets a clean new run, never a second worker beside the paused one.
    form->btnStartIdealizationClick();
    EXPECT_FALSE(manager().isPaused());
    EXPECT_EQ(tickToEnd(), std::vector<std::string>{kIdealizationEnded});
    EXPECT_GT(manager().classCount(), 0);
    EXPECT_EQ(form->IdealizObjectsList.rowCount(), manager().classCount() + 1);
    EXPECT_EQ(form->IdealizObjectsList.cell(0, manager().classCount()),
              std::to_string(manager().classCount()));
}

TEST_F(ProcessCommandTest, ExitWhileARunIsPausedStopsAndWaits) {
    loadLearning(true);
    pausedAtOnce(&TMainForm::btnStartSearchRulesClick, &TMainForm::btnPauseSearchRulesClick);
    dialogs.answer(DialogAnswer::No);  // unsaved work: discard it
    form->mmbtnExitClick();
    EXPECT_TRUE(form->closed());
    EXPECT_EQ(form->mainManager, nullptr);
}

// Closing the window stops a live search; the timer that ticks behind the save dialog reports
// the stop and what was kept, never a success.
TEST_F(ProcessCommandTest, ASearchStoppedByClosingTheWindowSaysSo) {
    const test::TempDir folder("motifora_model_close");
    loadLearning(true);
    pausedAtOnce(&TMainForm::btnStartSearchRulesClick, &TMainForm::btnPauseSearchRulesClick);
    dialogs.messages.clear();
    manager().markModified();
    dialogs.whileChoosing = [this] {
        if (form->mainManager) form->SearchingTimerTimer();
    };
    dialogs.answer(DialogAnswer::Yes);  // unsaved work: save it
    dialogs.choose(folder.path("kept.dnp"));
    form->mmbtnExitClick();
    EXPECT_TRUE(form->closed());
    const std::vector<std::string> shown = dialogs.texts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "Сохранить текущий проект?");
    EXPECT_EQ(shown[1].rfind("Поиск закономерностей остановлен закрытием окна. Найденные "
                             "закономерности сохраняются, их число: ",
                             0),
              0u)
        << shown[1];
    EXPECT_TRUE(std::filesystem::exists(folder.path("kept.dnp")));
}

TEST_F(ProcessCommandTest, RuleSearchPauseResumeThenStopWhilePausedReportsTheEnd) {
    loadLearning(true);
    dialogs.messages.clear();
    pausedAtOnce(&TMainForm::btnStartSearchRulesClick, &TMainForm::btnPauseSearchRulesClick);
    EXPECT_TRUE(manager().isPaused());
    EXPECT_EQ(form->StatusBar1.panel(1), "Процесс поиска закономерностей приостановлен.");
    const int32_t shownWhilePaused = form->shownRuleCount;
    form->SearchingTimerTimer();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form->shownRuleCount, shownWhilePaused) << "a paused worker reports nothing";

    form->btnStartSearchRulesClick();
    EXPECT_FALSE(manager().isPaused());
    EXPECT_EQ(form->StatusBar1.panel(1), "Идет процесс поиска закономерностей ...");

    form->btnPauseSearchRulesClick();
    form->btnStopSearchRulesClick();
    EXPECT_FALSE(manager().isPaused());
    EXPECT_EQ(form->StatusBar1.panel(1), "");
    EXPECT_EQ(tickToEnd(), std::vector<std::string>{kSearchEnded});
    const bool found = manager().rules() && manager().rules()->Count() > 0;
    EXPECT_EQ(form->btnStartIdealization.enabled(), found);
    EXPECT_EQ(form->FinishProgress.position(), 0);
}

TEST_F(ProcessCommandTest, IdealizationPauseThenStopIsReportedAsAnEnd) {
    loadLearning(false);
    quickSettings();
    ASSERT_NO_FATAL_FAILURE(searchToEnd());
    pausedAtOnce(&TMainForm::btnStartIdealizationClick, nullptr);
    EXPECT_FALSE(form->btnStartIdealization.enabled()) << "no second run over a running one";
    EXPECT_TRUE(form->btnStopIdealization.enabled());
    EXPECT_EQ(form->StatusBar1.panel(1), "Идет процесс идеализации ...");
    form->btnPauseIdealizationClick();
    manager().releaseHeldStart();
    EXPECT_TRUE(manager().isPaused());
    EXPECT_EQ(form->StatusBar1.panel(1), "Idealization is paused");
    form->SearchingTimerTimer();
    EXPECT_TRUE(dialogs.messages.empty() || lastMessage().text != kIdealizationEnded);

    form->btnStopIdealizationClick();
    EXPECT_EQ(form->StatusBar1.panel(1), "");
    EXPECT_EQ(tickToEnd(), std::vector<std::string>{kIdealizationEnded});
    EXPECT_EQ(form->IdealizObjectsList.rowCount(), manager().classCount() + 1);
    EXPECT_TRUE(form->btnStartIdealization.enabled());
}

TEST_F(ProcessCommandTest, ClassificationPauseResumeAndSilentStop) {
    loadLearning(false);
    quickSettings();
    ASSERT_NO_FATAL_FAILURE(searchToEnd());
    ASSERT_NO_FATAL_FAILURE(idealizeToEnd());
    ASSERT_NO_FATAL_FAILURE(loadControlNegative());
    dialogs.messages.clear();

    pausedAtOnce(&TMainForm::btnStartSearchClassClick, &TMainForm::btnPauseSearchClassClick);
    EXPECT_EQ(form->StatusBar1.panel(1), "Classification is paused");
    form->SearchingTimerTimer();
    EXPECT_TRUE(dialogs.messages.empty()) << "a paused run is not reported";
    EXPECT_TRUE(form->btnStopSearchClass.enabled());

    // Resumed, but held at the gate (test hook) so that no object is classified before the
    // pause and the stop below: the run must end as a stopped one.
    TMainManagerTestAccess::holdGate(manager());
    form->btnStartSearchClassClick();
    EXPECT_FALSE(manager().isPaused());
    EXPECT_EQ(form->StatusBar1.panel(1), "Идет процесс классификации ...");

    form->btnPauseSearchClassClick();
    form->btnStopSearchClassClick();
    EXPECT_EQ(form->StatusBar1.panel(1), "");
    const auto shown = tickToEnd();
    EXPECT_FALSE(manager().controlNegativeClassified());
    EXPECT_TRUE(shown.empty()) << "a stopped classification shows no message";
    EXPECT_FALSE(manager().isStarted(TMainManager::Process::Classification));
    EXPECT_TRUE(form->btnStartSearchClass.enabled());
    EXPECT_FALSE(form->btnPauseSearchClass.enabled());
    EXPECT_FALSE(form->btnStopSearchClass.enabled());
    EXPECT_FALSE(form->btnCountRecErrors.enabled());
    EXPECT_TRUE(form->Control1.enabled());
}

TEST_F(ProcessCommandTest, StartRefusalsOfIdealizationAndClassification) {
    // No rules yet: the idealization start says so, and no type at all is a program error.
    loadLearning(false);
    TMainManagerTestAccess::storage(manager()) = std::make_unique<SEQStorage>();
    TMainManagerTestAccess::storage(manager())->buildWhole(manager().learnPositive().data(),
                                                           manager().learnPositiveCount());
    form->btnStartIdealizationClick();
    EXPECT_EQ(lastMessage().text, "Невозможно запустить процесс идеализации. Нет закономерностей");
    EXPECT_EQ(lastMessage().caption, "Подсказка");
    EXPECT_EQ(lastMessage().icon, MessageIcon::None);
    for (RadioButton* type : {&form->btnDeletingBeginRadio, &form->btnInsertingBeginRadio,
                              &form->btnDeletingInsirtingRadio})
        type->setChecked(false);
    form->btnStartIdealizationClick();
    EXPECT_EQ(lastMessage().text, "Ошибка в программе. Обратитесь к разработчику.");
    EXPECT_EQ(lastMessage().caption, "Ошибка");

    TMainManagerTestAccess::storage(manager()).reset();
    form->chooseIdealizationType(IdealizationType::kInsertingBegin);
    form->btnStartIdealizationClick();
    EXPECT_EQ(lastMessage().text,
              "Невозможно запустить процесс идеализации. Нет исходных последовательностей");

    // Classification without classes.
    TMainManagerTestAccess::controlNegativeLoaded(manager()) = true;
    form->btnStartSearchClassClick();
    EXPECT_EQ(lastMessage().text,
              "Невозможно запустить процесс классификации. Нет идеальных объектов");
    EXPECT_EQ(lastMessage().caption, "Error");
    EXPECT_FALSE(manager().isRunning());
}

TEST_F(ProcessCommandTest, FixedModeNeverReadsTheFrameWidth) {
    loadLearning(false);
    quickSettings();
    form->FrameWidthEdit.setText("nonsense");
    ASSERT_NO_FATAL_FAILURE(searchToEnd());
    EXPECT_EQ(manager().searchSettings().workMode, WorkMode::kFixed);
    EXPECT_EQ(manager().searchSettings().frameWidth, 57);
}

TEST_F(ProcessCommandTest, ShiftModeSearchWithWidthThree) {
    loadLearning(false);
    quickSettings();
    form->chooseAlignment(true);
    form->FrameWidthEdit.setText("3");
    ASSERT_NO_FATAL_FAILURE(searchToEnd());
    EXPECT_EQ(manager().searchSettings().workMode, WorkMode::kShift);
    EXPECT_EQ(manager().storage()->width, 3);
    EXPECT_EQ(manager().storage()->learnObjectCount, 53 * 55);

    // The matrix views do nothing in shift mode, and the control positive load is refused.
    form->ClassList.setCell(1, 0, "kept");
    form->WeightMatrix1Click();
    EXPECT_EQ(form->ClassList.cell(1, 0), "kept");
}

TEST_F(ProcessCommandTest, NewWorkspaceWhileARunIsPausedStopsAndWaits) {
    loadLearning(true);
    form->btnStartSearchRulesClick();
    form->btnPauseSearchRulesClick();
    manager().markModified();  // as the search body leaves it, however far it got
    dialogs.answer(DialogAnswer::No);
    dialogs.choose(kPositive);
    form->mmbtnAddSequenciesClick();
    EXPECT_EQ(dialogs.messages[dialogs.messages.size() - 2].caption, "Подсказка");
    EXPECT_FALSE(manager().isRunning());
    EXPECT_FALSE(manager().learnNegativeLoaded());
    EXPECT_EQ(manager().rules(), nullptr);
    EXPECT_EQ(form->shownRuleCount, 0);
    EXPECT_EQ(form->RulesList.cell(2, 1), "");
    EXPECT_DOUBLE_EQ(form->runTimeBefore, 0.0);
    EXPECT_FALSE(form->btnStartIdealization.enabled());
    EXPECT_TRUE(form->btnStartSearchRules.enabled());
}

TEST_F(ProcessCommandTest, AWorkersEndIsSignalledSoThatOneTickTakesIt) {
    // What a front end does with the signal: wake its own thread, which ticks once.
    struct Signal {
        std::mutex mutex;
        std::condition_variable woken;
        int ends = 0;
        bool waitFor(int n) {
            std::unique_lock<std::mutex> lock(mutex);
            return woken.wait_for(lock, std::chrono::minutes(10), [&] { return ends >= n; });
        }
    };
    auto signal = std::make_shared<Signal>();
    form->setWorkerEndListener([signal] {
        {
            std::lock_guard<std::mutex> lock(signal->mutex);
            ++signal->ends;
        }
        signal->woken.notify_all();
    });
    loadLearning(false);
    quickSettings();
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run == 1 ? "first workspace" : "after the positives were loaded anew");
        form->btnStartSearchRulesClick();
        ASSERT_TRUE(signal->waitFor(run));
        const size_t shown = dialogs.messages.size();
        form->SearchingTimerTimer();
        ASSERT_EQ(dialogs.messages.size(), shown + 1);
        EXPECT_EQ(lastMessage().text, kSearchEnded);
        EXPECT_TRUE(form->btnStartIdealization.enabled());
        EXPECT_TRUE(manager().isIdle());
        if (run == 1) {
            // A new workspace gets the window's listener too.
            dialogs.answer(DialogAnswer::No);
            loadLearning(false);
            ASSERT_EQ(manager().rules(), nullptr);
        }
    }
    form->setWorkerEndListener(nullptr);
    form->btnStartSearchRulesClick();
    EXPECT_EQ(tickToEnd(), std::vector<std::string>{kSearchEnded});
    EXPECT_EQ(signal->ends, 2);
}

TEST_F(ProcessCommandTest, NegativeLoadEmptiesTheRulesAndKeepsClassesUsable) {
    loadLearning(false);
    quickSettings();
    ASSERT_NO_FATAL_FAILURE(searchToEnd());
    ASSERT_NO_FATAL_FAILURE(idealizeToEnd());
    ASSERT_NO_FATAL_FAILURE(loadControlNegative());

    dialogs.answer(DialogAnswer::No);
    dialogs.choose(kNegative);
    form->mmbtnAddNegativeSequenciesClick();
    EXPECT_EQ(dialogs.messages[dialogs.messages.size() - 2].caption, "Advice");
    EXPECT_EQ(manager().rules(), nullptr);
    EXPECT_EQ(form->RulesList.cell(2, 1), "");
    EXPECT_TRUE(form->NegSequencesList.visible());

    // The classes formed before still classify the control data.
    form->btnStartSearchClassClick();
    EXPECT_EQ(tickToEnd(), std::vector<std::string>{kClassificationEnded});
}

}  // namespace
}  // namespace motifora::testing
