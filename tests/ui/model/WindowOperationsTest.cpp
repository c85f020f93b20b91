// Tests of how the window shows what the engines report (rule insertion, bars, classes) and of
// its own operations (class views, command locks).
#include <cmath>
#include <limits>

#include "FormFixture.h"

namespace motifora::testing {
namespace {

class WindowOperationsTest : public FormFixture {
  protected:
    // Gives the rules bar a maximum, as a search start does.
    void prepareRules(int32_t finishSize) {
        form->FinishProgress.setRange(0, finishSize);
        form->RulesList.setRowCount(finishSize + 1);
    }
    void insert(const std::string& tag, int32_t position) {
        form->onEvent(
            BufferEntry{RuleBuffer::Results, position, 1, "F" + tag, "C" + tag, "R" + tag});
    }
    // Column 0 and the rule column of every shown row, as "n:R".
    std::vector<std::string> shownRules() {
        std::vector<std::string> rows;
        for (int32_t r = 1; r <= form->shownRuleCount; ++r)
            rows.push_back(form->RulesList.cell(0, r) + ":" + form->RulesList.cell(2, r));
        return rows;
    }
};

TEST_F(WindowOperationsTest, InsertIntoEmptyGridShowsRowOne) {
    prepareRules(5);
    insert("a", 0);
    EXPECT_EQ(form->shownRuleCount, 1);
    EXPECT_EQ(form->FinishProgress.position(), 1);
    EXPECT_EQ(form->RulesList.row(1), (std::vector<std::string>{"1", "Fa", "Ra", "Ca", ""}));
}

TEST_F(WindowOperationsTest, InsertAtTopShiftsAndRenumbers) {
    prepareRules(5);
    insert("a", 0);
    insert("b", 1);
    insert("c", 2);
    form->RulesList.setCell(4, 1, "7");  // the class column does not move
    insert("d", 0);
    EXPECT_EQ(shownRules(), (std::vector<std::string>{"1:Rd", "2:Ra", "3:Rb", "4:Rc"}));
    EXPECT_EQ(form->RulesList.cell(1, 2), "Fa");
    EXPECT_EQ(form->RulesList.cell(3, 4), "Cc");
    EXPECT_EQ(form->RulesList.cell(4, 1), "7");
    EXPECT_EQ(form->RulesList.cell(4, 2), "");
}

TEST_F(WindowOperationsTest, FullBufferPushesTheLastRowOut) {
    prepareRules(3);
    insert("a", 0);
    insert("b", 1);
    insert("c", 2);
    insert("x", 1);
    EXPECT_EQ(form->shownRuleCount, 3);
    EXPECT_EQ(form->FinishProgress.position(), 3);
    EXPECT_EQ(shownRules(), (std::vector<std::string>{"1:Ra", "2:Rx", "3:Rb"}));
    EXPECT_EQ(form->RulesList.rowCount(), 4);
}

TEST_F(WindowOperationsTest, BufferBarsStepUntilTheirMaximum) {
    form->PreBufProgress.setRange(0, 2);
    form->PostBufProgress.setRange(0, 10);
    for (int i = 0; i < 3; ++i)
        form->onEvent(BufferEntry{RuleBuffer::Current, 0, 1, "f", "c", "r"});
    form->onEvent(BufferEntry{RuleBuffer::Next, 0, 4, "f", "c", "r"});
    EXPECT_EQ(form->PreBufProgress.position(), 2);
    EXPECT_EQ(form->preBufferStepCount, 2);
    EXPECT_EQ(form->PostBufProgress.position(), 4);
    EXPECT_EQ(form->postBufferStepCount, 1);
    EXPECT_EQ(form->shownRuleCount, 0);
    EXPECT_EQ(form->RulesList.cell(2, 1), "") << "buffer entries never reach the rules grid";
}

TEST_F(WindowOperationsTest, RewindAndUnknownKinds) {
    struct Case {
        int32_t kind, amount, expectedFinish, expectedPre, expectedPost;
    };
    const Case cases[] = {
        {0, 0, 0, 6, 6},   // amount below 1 empties the bar
        {1, 2, 6, 4, 6},   // steps back by the amount
        {2, 10, 6, 6, 0},  // never below the minimum
        {3, 0, 6, 6, 6},   // other kinds change nothing
        {-1, 5, 6, 6, 6},
    };
    for (const Case& c : cases) {
        for (ProgressBar* bar :
             {&form->FinishProgress, &form->PreBufProgress, &form->PostBufProgress}) {
            bar->setRange(0, 10);
            bar->setPosition(6);
        }
        form->onEvent(BufferRewound{static_cast<RuleBuffer>(c.kind), c.amount});
        EXPECT_EQ(form->FinishProgress.position(), c.expectedFinish) << "kind " << c.kind;
        EXPECT_EQ(form->PreBufProgress.position(), c.expectedPre) << "kind " << c.kind;
        EXPECT_EQ(form->PostBufProgress.position(), c.expectedPost) << "kind " << c.kind;
    }
    const uint64_t before = form->RulesList.changes();
    form->onEvent(BufferEntry{static_cast<RuleBuffer>(5), 0, 1, "f", "c", "r"});
    EXPECT_EQ(form->RulesList.changes(), before);
    EXPECT_EQ(form->shownRuleCount, 0);
}

TEST_F(WindowOperationsTest, IdealObjectRowUsesGeneralForm) {
    form->numberFormat.setSeparator(',');
    form->onEvent(ClassListed{"-[A]-[C]-", 0.5, 2});
    EXPECT_EQ(form->IdealizObjectsList.row(3), (std::vector<std::string>{"3", "0,5", "-[A]-[C]-"}));
    form->onEvent(ClassMade{"-[G]-", 0.0, 0});
    EXPECT_EQ(form->IdealizObjectsList.cell(1, 1), "0");
}

TEST_F(WindowOperationsTest, OnlyAClassMadeLetsThePopupMenuOpenOnItsOwn) {
    form->IdealObjPopupMenu.setEnabled(false);
    form->onEvent(ClassListed{"-[A]-", 1.0, 0});
    EXPECT_FALSE(form->IdealObjPopupMenu.enabled());
    form->onEvent(ClassMade{"-[C]-", 2.0, 1});
    EXPECT_TRUE(form->IdealObjPopupMenu.enabled());
    EXPECT_EQ(gridTexts(form->IdealizObjectsList)[1],
              (std::vector<std::string>{"1", "1", "-[A]-"}));
    EXPECT_EQ(gridTexts(form->IdealizObjectsList)[2],
              (std::vector<std::string>{"2", "2", "-[C]-"}));
    form->onEvent(ClassMade{"-[T]-", 3.0, -1});  // no such row: nothing
    EXPECT_EQ(form->IdealizObjectsList.rowCount(), 3);
}

TEST_F(WindowOperationsTest, ClassColumnsOfEveryGrid) {
    form->onEvent(LearningObjectClassed{1, 4});
    form->onEvent(RuleClassed{0, 2});
    form->onEvent(SetObjectClassed{ObjectSetKind::ControlPositive, 0, 3});
    form->onEvent(SetObjectClassed{ObjectSetKind::ControlNegative, 2, -1});
    form->onEvent(SetObjectClassed{ObjectSetKind::LearnNegative, 1, 0});
    form->onEvent(SetObjectClassed{ObjectSetKind::None, 0, 0});  // not a sample set: nothing
    EXPECT_EQ(form->SequencesList.cell(4, 2), "5");
    EXPECT_EQ(form->RulesList.cell(4, 1), "3");
    EXPECT_EQ(form->PosCtrlSeqsList.cell(4, 1), "4");
    EXPECT_EQ(form->NewSeqsList.cell(4, 3), "New");
    EXPECT_EQ(form->NegSequencesList.cell(4, 2), "1");
    EXPECT_EQ(form->SequencesList.cell(4, 1), "");
}

TEST_F(WindowOperationsTest, ClassObjectStatusAndCountdown) {
    form->ShowClassObject("-[A]-", 1, 6);
    EXPECT_EQ(form->ClassList.row(2), (std::vector<std::string>{"2", "7", "-[A]-"}));
    form->onEvent(ObjectIdealizing{"-[AC]-"});
    EXPECT_EQ(form->StatusBar1.panel(2), "-[AC]-");
    EXPECT_EQ(form->StatusBar1.panel(1), "Program is started");
    form->onEvent(ItemsLeft{42});
    EXPECT_EQ(form->CountDownLabel.text(), "42");
}

TEST_F(WindowOperationsTest, MatrixValuesInFixedNotation) {
    form->numberFormat.setSeparator(',');
    form->ShowMatrixValue(std::log(4.0), 1, 3);
    form->ShowMatrixValue(0.0, 0, 0);
    form->ShowMatrixValue(-0.125, 2, 0);
    EXPECT_EQ(form->ClassList.cell(2, 4), "1,39");
    EXPECT_EQ(form->ClassList.cell(1, 1), "0,00");
    EXPECT_EQ(form->ClassList.cell(3, 1), "-0,13");
}

TEST_F(WindowOperationsTest, RuleRowsWithStatus) {
    form->ShowRuleRow(0, "0.001000", "0.900000", "rule a", 1);
    form->ShowRuleRow(1, "0.002000", "0.800000", "rule b", 2);
    form->ClassList.setCell(4, 3, "old");
    form->ShowRuleRow(2, "0.003000", "0.700000", "rule c", 0);
    EXPECT_EQ(form->ClassList.row(1),
              (std::vector<std::string>{"1", "0.001000", "rule a", "0.900000", "true"}));
    EXPECT_EQ(form->ClassList.cell(4, 2), "false");
    EXPECT_EQ(form->ClassList.cell(4, 3), "old") << "status 0 leaves column 4 alone";
}

TEST_F(WindowOperationsTest, BootstrapClassesGiveTheIdealObjectGridOneRowPerClass) {
    for (const int32_t classes : {4, 0, 12}) {
        form->onEvent(BootstrapClassesMade{classes});
        EXPECT_EQ(form->IdealizObjectsList.rowCount(), classes + 1) << classes << " classes";
    }
}

TEST_F(WindowOperationsTest, ARecognitionWithoutScoredPositivesGivesEveryCommandBack) {
    form->LockCommands(CommandLock::All);
    form->onEvent(RecognitionFinished{0});
    for (const Control* c : {static_cast<const Control*>(&form->btnStartSearchRules),
                             static_cast<const Control*>(&form->btnStartIdealization),
                             static_cast<const Control*>(&form->btnStartSearchClass),
                             static_cast<const Control*>(&form->btnStartRecognition),
                             static_cast<const Control*>(&form->btnCountRecErrors),
                             static_cast<const Control*>(&form->btnStartBootstrap)})
        EXPECT_TRUE(c->enabled());
    EXPECT_FALSE(form->RecLevelEdit.enabled()) << "no errors are counted from no positives";
}

TEST_F(WindowOperationsTest, LockAndUnlockModes) {
    const std::vector<Control*> ruleAndIdeal{&form->btnStartSearchRules,
                                             &form->btnStopSearchRules,
                                             &form->btnPauseSearchRules,
                                             &form->btnStartIdealization,
                                             &form->btnStopIdealization,
                                             &form->btnPauseIdealization,
                                             &form->Control1};
    const std::vector<Control*> classButtons{&form->btnStartSearchClass, &form->btnPauseSearchClass,
                                             &form->btnStopSearchClass};
    const std::vector<Control*> evaluation{&form->btnStartBootstrap, &form->btnStartRecognition,
                                           &form->btnCountRecErrors};
    const auto all = [](const std::vector<Control*>& cs, bool enabled) {
        for (Control* c : cs)
            if (c->enabled() != enabled) return false;
        return true;
    };

    form->UnlockCommands(CommandLock::All);
    EXPECT_TRUE(all(ruleAndIdeal, true));
    EXPECT_TRUE(form->btnStartSearchClass.enabled());
    EXPECT_FALSE(form->btnPauseSearchClass.enabled()) << "unlock enables only the class start";
    EXPECT_TRUE(all(evaluation, true));

    form->LockCommands(CommandLock::ClassSearchApart);
    EXPECT_TRUE(all(ruleAndIdeal, false));
    EXPECT_TRUE(all(classButtons, true));
    EXPECT_TRUE(all(evaluation, false));

    form->LockCommands(CommandLock::All);
    EXPECT_TRUE(all(classButtons, false));

    form->UnlockCommands(CommandLock::ClassSearchApart);
    EXPECT_TRUE(all(ruleAndIdeal, true));
    EXPECT_TRUE(all(classButtons, false));
    EXPECT_TRUE(all(evaluation, false));
}

}  // namespace
}  // namespace motifora::testing
