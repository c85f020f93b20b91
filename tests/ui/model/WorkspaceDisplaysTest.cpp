// Displays that belong to the data on screen: a new workspace clears every result shown for the
// old one, refused loads change nothing, closing asks about unsaved work, and one state of
// "Class №" reads one way.
#include "FormFixture.h"
#include "core/SEQStorage.h"
#include "support/TMainManagerTestAccess.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

class WorkspaceDisplaysTest : public FormFixture {
  protected:
    // What the Classes page and the time labels show after recognitions and error counts.
    void showResults() {
        form->NewSeqsList.setColCount(8);
        form->NewSeqsList.setCell(5, 0, "1");
        form->NewSeqsList.setCell(5, 1, "1:2.50");
        form->SequencesList.setCell(6, 0, "Result");
        form->ClassList.setColCount(5);
        form->ClassList.setCell(1, 1, "0.000000");
        form->Chart1.setVisible(true);
        form->Chart1.addPoint(0, 1, 2.5);
        form->Chart1.addPoint(1, 1, 1.0);
        form->FstErrInW.setText("Recognized 3 out of 6");
        form->SecondLErr.setText("0.5");
        form->SecErrInW.setText("Recognized 4 out of 8");
        form->UncountedNegatives.setText("1 / 8");
        form->RecLevelEdit.setEnabled(true);
        form->RecLevelEdit.setText("4.50");
        form->FirstLErrEd.setEnabled(true);
        form->FirstLErrEd.setText("0.25");
        form->btnNextClassErrCount.setText("Total");
        form->btnNextClassErrCount.setEnabled(true);
        form->TimerLabel.setText("0:01:00");
        form->lblTime.setText("0:02:00");
        form->CountDownLabel.setText("17");
        form->StatusBar1.setPanel(1, "Вычисление ошибок распознавания ...");
        form->StatusBar1.setPanel(2, "-[A]-");
    }
    void expectNoResults() {
        EXPECT_EQ(form->NewSeqsList.colCount(), 5);
        EXPECT_EQ(form->NewSeqsList.cell(5, 1), "");
        EXPECT_EQ(form->SequencesList.colCount(), 5);
        EXPECT_EQ(form->ClassList.cell(1, 1), "");
        EXPECT_FALSE(form->Chart1.visible());
        EXPECT_TRUE(form->Chart1.series(0).empty());
        EXPECT_TRUE(form->Chart1.series(1).empty());
        for (const Label* label :
             {&form->FstErrInW, &form->SecondLErr, &form->SecErrInW, &form->UncountedNegatives,
              &form->TimerLabel, &form->lblTime, &form->CountDownLabel})
            EXPECT_EQ(label->text(), "");
        EXPECT_EQ(form->RecLevelEdit.text(), "0");
        EXPECT_FALSE(form->RecLevelEdit.enabled());
        EXPECT_EQ(form->FirstLErrEd.text(), "0");
        EXPECT_FALSE(form->FirstLErrEd.enabled());
        EXPECT_EQ(form->btnNextClassErrCount.text(), "Next");
        EXPECT_FALSE(form->btnNextClassErrCount.enabled());
        EXPECT_EQ(form->StatusBar1.panel(1), "");
        EXPECT_EQ(form->StatusBar1.panel(2), "");
    }

    test::TempDir folder{"motifora-displays"};
};

TEST_F(WorkspaceDisplaysTest, NewProjectClearsEveryResultDisplay) {
    showResults();
    form->mmbtnNewProjectClick();
    expectNoResults();
    EXPECT_EQ(form->Caption.text(), "Motifora - Project2.dnp");
}

TEST_F(WorkspaceDisplaysTest, NewPositivesClearTheResultsAndBeginANewProject) {
    showResults();
    form->projectName = folder.path("opened.dnp");  // as after "Open Project..."
    form->updateCaption();
    dialogs.choose(folder.write("p.seq", ">a;ACGT\n>b;ACGA\n"));
    form->mmbtnAddSequenciesClick();
    ASSERT_EQ(lastMessage().text, "Загрузка нуклеотидных последовательностей удачно завершена.");
    expectNoResults();
    EXPECT_EQ(form->SequencesList.cell(2, 2), "b");
    EXPECT_EQ(form->Caption.text(), "Motifora - Project2.dnp");
}

TEST_F(WorkspaceDisplaysTest, RefusedPositiveFileKeepsTheWorkspaceAndItsDisplays) {
    dialogs.choose(folder.write("p.seq", ">a;ACGT\n>b;ACGA\n"));
    form->mmbtnAddSequenciesClick();
    TMainManager* before = &manager();
    showResults();
    const std::string bad = folder.write("bad.seq", ">;ACGT\n");
    dialogs.answer(DialogAnswer::No);  // the work made so far is not saved
    manager().markModified();
    dialogs.choose(bad);
    form->mmbtnAddSequenciesClick();
    EXPECT_EQ(lastMessage().caption, "Ошибка");
    EXPECT_EQ(lastMessage().text.rfind("Ошибка чтения из файла: " + bad, 0), 0u);
    EXPECT_NE(lastMessage().text.find('\n'), std::string::npos) << "the reason follows";
    EXPECT_EQ(&manager(), before) << "the workspace was not replaced";
    EXPECT_EQ(manager().learnPositiveCount(), 2);
    EXPECT_EQ(form->SequencesList.cell(2, 1), "a");
    EXPECT_EQ(form->FstErrInW.text(), "Recognized 3 out of 6");
    EXPECT_EQ(form->Caption.text(), "Motifora - Project1.dnp");
}

TEST_F(WorkspaceDisplaysTest, RefusedNegativeFileKeepsTheLoadedNegatives) {
    dialogs.choose(folder.write("p.seq", ">a;ACGT\n>b;ACGA\n"));
    form->mmbtnAddSequenciesClick();
    dialogs.choose(folder.write("n.seq", ">n1;AAAA\n>n2;CCCC\n>n3;GGGG\n"));
    form->mmbtnAddNegativeSequenciesClick();
    ASSERT_EQ(manager().learnNegativeCount(), 3);
    dialogs.choose(folder.write("long.seq", ">x;ACGTACGT\n"));
    form->mmbtnAddNegativeSequenciesClick();
    EXPECT_EQ(lastMessage().caption, "Error");
    EXPECT_NE(lastMessage().text.find("8 letters long"), std::string::npos) << lastMessage().text;
    EXPECT_TRUE(manager().learnNegativeLoaded());
    EXPECT_EQ(manager().learnNegativeCount(), 3);
    EXPECT_EQ(form->NegSequencesList.cell(2, 3), "n3");
}

TEST_F(WorkspaceDisplaysTest, ExitWithUnsavedWorkAsksFirst) {
    manager().markModified();
    dialogs.answer(DialogAnswer::Cancel);
    EXPECT_FALSE(form->requestClose());
    EXPECT_EQ(lastMessage().text, "Сохранить текущий проект?");
    EXPECT_EQ(lastMessage().caption, "Подсказка");
    EXPECT_EQ(lastMessage().buttons, MessageButtons::YesNoCancel);
    EXPECT_FALSE(form->closed());
    ASSERT_NE(form->mainManager, nullptr);

    // Yes with the save dialog cancelled: nothing saved, so the window stays.
    dialogs.answer(DialogAnswer::Yes);
    form->mmbtnExitClick();
    EXPECT_FALSE(form->closed());

    // Yes with a file: saved, then closed.
    const std::string file = folder.path("kept.dnp");
    dialogs.answer(DialogAnswer::Yes);
    dialogs.choose(file);
    form->mmbtnExitClick();
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(form->closed());
    EXPECT_EQ(form->mainManager, nullptr);
}

TEST_F(WorkspaceDisplaysTest, ExitAnsweredNoDiscardsAndCloses) {
    manager().markModified();
    dialogs.answer(DialogAnswer::No);
    EXPECT_TRUE(form->requestClose());
    EXPECT_TRUE(form->closed());
    EXPECT_TRUE(form->requestClose()) << "closing a closed window asks nothing";
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(WorkspaceDisplaysTest, ObjectsWithoutAClassReadNewInTheControlGrids) {
    dialogs.choose(folder.write("p.seq", ">a;ACGT\n>b;ACGA\n"));
    form->mmbtnAddSequenciesClick();
    TMainManager& m = manager();
    TMainManagerTestAccess::storage(m) = std::make_unique<SEQStorage>();
    TMainManagerTestAccess::storage(m)->buildWhole(m.learnPositive().data(),
                                                   m.learnPositiveCount());
    ASSERT_TRUE(m.loadControlNegative(folder.write("c.seq", ">c1;ACGT\n>c2;TTTT\n")));
    TMainManagerTestAccess::storage(m)->addSetObjects(m.controlNegative().data(), 2,
                                                      ObjectSetKind::ControlNegative);
    TMainManagerTestAccess::storage(m)->controlNegativeObjects[0].classNumber = 1;
    TMainManagerTestAccess::storage(m)->controlNegativeObjects[1].classNumber = -1;
    form->refillControlNegative();
    EXPECT_EQ(form->NewSeqsList.cell(4, 1), "2");
    // The classification writes "New" for such an object; a refill says the same.
    EXPECT_EQ(form->NewSeqsList.cell(4, 2), "New");
    form->onEvent(SetObjectClassed{ObjectSetKind::ControlNegative, 1, -1});
    EXPECT_EQ(form->NewSeqsList.cell(4, 2), "New");
}

TEST_F(WorkspaceDisplaysTest, BootstrapEndDropsTheScoresOfItsSubsets) {
    dialogs.choose(folder.write("p.seq", ">a;ACGT\n>b;ACGA\n"));
    form->mmbtnAddSequenciesClick();
    form->onEvent(ObjectScored{SampleKind::LearnPositive, 0, 459.56});  // an iteration's subset
    ASSERT_EQ(form->SequencesList.colCount(), 6);
    form->onEvent(BootstrapEnded{});
    EXPECT_EQ(form->SequencesList.colCount(), 5);
    EXPECT_EQ(form->SequencesList.cell(5, 1), "");
    EXPECT_EQ(form->SequencesList.cell(2, 1), "a");
}

}  // namespace
}  // namespace motifora::testing
