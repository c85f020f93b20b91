// Tests of the main window: start-up state, pages, views, help, project caption, sample loads.
#include <filesystem>
#include <fstream>

#include "FormFixture.h"
#include "Promoters.h"
#include "support/TMainManagerTestAccess.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

class MainFormTest : public FormFixture {
  protected:
    // Loads the bundled positives and marks the work unsaved, so that the next load asks about
    // it first; returns the workspace they went into.
    TMainManager* unsavedPositives() {
        dialogs.choose(kPositive);
        form->mmbtnAddSequenciesClick();
        manager().markModified();
        dialogs.messages.clear();
        return &manager();
    }
};

TEST_F(MainFormTest, StartUpState) {
    EXPECT_EQ(form->Caption.text(), "Motifora - Project1.dnp");
    EXPECT_EQ(form->projectCounter, 1);
    EXPECT_EQ(form->activePage(), Page::Rules);
    for (Control* c :
         std::initializer_list<Control*>{&form->btnStartSearchRules,  &form->btnStopSearchRules,
                                         &form->btnPauseSearchRules,  &form->btnStartIdealization,
                                         &form->btnStopIdealization,  &form->btnPauseIdealization,
                                         &form->btnStartSearchClass,  &form->btnPauseSearchClass,
                                         &form->btnStopSearchClass,   &form->btnStartBootstrap,
                                         &form->btnStartRecognition,  &form->btnCountRecErrors,
                                         &form->btnNextClassErrCount, &form->RecLevelEdit,
                                         &form->FirstLErrEd,          &form->Control1,
                                         &form->SaveRecErrBtn,        &form->btnHideShowChart,
                                         &form->FrameWidthEdit,       &form->FrameWidthUpDown,
                                         &form->IdealObjPopupMenu})
        EXPECT_FALSE(c->enabled());
    EXPECT_EQ(form->ConfIntEdit.text(), "0,05");
    EXPECT_EQ(form->CPEdit.text(), "0,8");
    EXPECT_EQ(form->FinishStorSizeEdit.text(), "500");
    EXPECT_EQ(form->SubBuffersSizeEdit.text(), "50");
    EXPECT_EQ(form->FrameWidthEdit.text(), "10");
    EXPECT_EQ(form->FinishUpDown.position(), 500);
    EXPECT_EQ(form->SubBufUpDown.maximum(), 10000);
    EXPECT_TRUE(form->btnFixedPositionsRadio.checked());
    EXPECT_TRUE(form->btnDeletingBeginRadio.checked());
    EXPECT_EQ(form->ObjsSourceGroup.itemIndex(), 0);
    EXPECT_EQ(form->RecLevelEdit.text(), "0");
    EXPECT_FALSE(form->NegSequencesList.visible());
    EXPECT_FALSE(form->PosCtrlSeqsList.visible());
    EXPECT_FALSE(form->Chart1.visible());
    EXPECT_EQ(form->Chart1.xAxis().title, "Position");
    EXPECT_EQ(form->Chart1.yAxis().title, "Score");
    EXPECT_EQ(form->StatusBar1.panel(1), "Program is started");
    EXPECT_EQ(form->SequencesList.row(0),
              (std::vector<std::string>{"#", "Length", "Name", "Sequence", "Class №"}));
    EXPECT_EQ(form->NewSeqsList.row(0), form->SequencesList.row(0));
    EXPECT_EQ(form->RulesList.row(0),
              (std::vector<std::string>{"#", "Fisher", "Rule", "CP", "Class №"}));
    EXPECT_EQ(form->IdealizObjectsList.row(0), (std::vector<std::string>{"#", "Length", "Object"}));
    EXPECT_EQ(form->PosCtrlSeqsList.colCount(), 7);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainFormTest, PageSwitching) {
    struct Expected {
        Page page;
        bool sequences, idealObjects, rules, classes;
        const char* label;
    };
    const Expected pages[] = {
        {Page::Classes, false, true, false, true, "Ideal Objects"},
        {Page::Objects, true, true, false, false, "Ideal Objects"},
        {Page::Rules, true, false, true, false, "Rules"},
    };
    for (const Expected& e : pages) {
        form->setActivePage(e.page);
        EXPECT_EQ(form->SequencesPanel.visible(), e.sequences);
        EXPECT_EQ(form->IdealizObjectsList.visible(), e.idealObjects);
        EXPECT_EQ(form->RulesList.visible(), e.rules);
        EXPECT_EQ(form->ClassesPanel.visible(), e.classes);
        EXPECT_EQ(form->LowerGridLabel.text(), e.label);
    }
}

TEST_F(MainFormTest, ViewTogglesReturnToTheirFirstState) {
    form->mmbtnVisiblePositiveControlClick();
    EXPECT_TRUE(form->mmbtnVisiblePositiveControl.checked());
    EXPECT_TRUE(form->PosCtrlSeqsList.visible());
    EXPECT_TRUE(form->PosCtrlSplitter.visible());
    form->mmbtnVisiblePositiveControlClick();
    EXPECT_FALSE(form->mmbtnVisiblePositiveControl.checked());
    EXPECT_FALSE(form->PosCtrlSeqsList.visible());
    EXPECT_FALSE(form->PosCtrlSplitter.visible());

    form->mmbtnNegativeSequeciesClick();
    EXPECT_TRUE(form->NegSequencesList.visible());
    EXPECT_TRUE(form->positiveListAtTop());
    form->mmbtnNegativeSequeciesClick();
    EXPECT_FALSE(form->NegSequencesList.visible());
    EXPECT_FALSE(form->positiveListAtTop());

    form->btnHideShowChartClick();
    EXPECT_TRUE(form->Chart1.visible());
    form->btnHideShowChartClick();
    EXPECT_FALSE(form->Chart1.visible());
}

TEST_F(MainFormTest, FrameWidthFollowsTheAlignment) {
    form->chooseAlignment(true);
    EXPECT_TRUE(form->FrameWidthEdit.enabled());
    EXPECT_TRUE(form->FrameWidthUpDown.enabled());
    form->chooseAlignment(false);
    EXPECT_FALSE(form->FrameWidthEdit.enabled());
    EXPECT_FALSE(form->FrameWidthUpDown.enabled());
}

TEST_F(MainFormTest, HelpFailuresNameTheirReason) {
    struct Case {
        LaunchFailure failure;
        const char* text;  // null: no message
    };
    const Case cases[] = {
        {LaunchFailure::None, nullptr},
        {LaunchFailure::AccessDenied, "Permission denied"},
        {LaunchFailure::TooManyOpenFiles, "Too many open files"},
        {LaunchFailure::NotFound, "Path or file name not found"},
        {LaunchFailure::NotExecutable, "Exec format error"},
        {LaunchFailure::NotEnoughMemory, "Not enough memory"},
        {LaunchFailure::Other, nullptr},
    };
    for (const Case& c : cases) {
        dialogs.messages.clear();
        dialogs.launchResult(c.failure);
        form->MotiforaHelp1Click();
        if (!c.text) {
            EXPECT_TRUE(dialogs.messages.empty());
            continue;
        }
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, c.text);
        EXPECT_EQ(dialogs.messages[0].caption, "Ошибка");
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    }
    EXPECT_EQ(dialogs.launches.back(), "hh.exe ProgramHelp.chm");
}

TEST(HelpLaunchTest, MissingViewerIsNotFound) {
    EXPECT_EQ(launchDetached("motifora-no-such-viewer.exe", "ProgramHelp.chm"),
              LaunchFailure::NotFound);
}

TEST_F(MainFormTest, AboutBoxIsShown) {
    form->About1Click();
    EXPECT_EQ(dialogs.aboutShown, 1);
}

TEST_F(MainFormTest, NewProjectCountsAndAsksOnlyForUnsavedWork) {
    form->mmbtnNewProjectClick();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form->projectCounter, 2);
    EXPECT_EQ(form->Caption.text(), "Motifora - Project2.dnp");

    manager().markModified();
    dialogs.answer(DialogAnswer::Cancel);
    TMainManager* before = &manager();
    form->mmbtnNewProjectClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Сохранить текущий проект?");
    EXPECT_EQ(dialogs.messages[0].caption, "Подсказка");
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(&manager(), before) << "cancel keeps the workspace";
    EXPECT_EQ(form->projectCounter, 2);

    dialogs.answer(DialogAnswer::No);
    form->mmbtnNewProjectClick();
    EXPECT_EQ(form->projectCounter, 3);
    EXPECT_FALSE(manager().learnPositiveLoaded());
}

TEST_F(MainFormTest, AddPositiveListsTheSample) {
    dialogs.choose(kPositive);
    form->mmbtnAddSequenciesClick();
    ASSERT_EQ(dialogs.files.size(), 1u);
    EXPECT_EQ(dialogs.files[0].request.dialog, "AddSeqsDlg");
    EXPECT_EQ(dialogs.files[0].request.filter, "Sequences (*.seq)|*.seq");
    EXPECT_EQ(lastMessage().text, "Загрузка нуклеотидных последовательностей удачно завершена.");
    EXPECT_EQ(lastMessage().caption, "Сообщение");
    EXPECT_EQ(lastMessage().icon, MessageIcon::Information);
    EXPECT_TRUE(manager().learnPositiveLoaded());
    EXPECT_EQ(form->SequencesList.rowCount(), 54);
    EXPECT_EQ(form->SequencesList.row(1)[0], "1");
    EXPECT_EQ(form->SequencesList.row(1)[1], "57");
    EXPECT_EQ(form->SequencesList.row(1)[2], "prom1");
    EXPECT_EQ(form->SequencesList.row(1)[3],
              "GCCTTCTCCAAAACGTGTTTTTTGTTGTTAATTCGGTGTAGACTTGTAAACCTAAAT");
    EXPECT_EQ(form->SequencesList.cell(4, 1), "") << "no objects yet, no class";
    EXPECT_TRUE(form->btnStartSearchRules.enabled());
    EXPECT_TRUE(form->btnStopSearchRules.enabled());
    EXPECT_TRUE(form->btnPauseSearchRules.enabled());
    EXPECT_FALSE(form->btnStartIdealization.enabled());
}

TEST_F(MainFormTest, LoadWarningsFollowTheSuccessMessage) {
    const test::TempDir folder("motifora_model_load_warnings");
    const std::filesystem::path& dir = folder.root();
    const std::string path = (dir / "cut.seq").string();
    std::ofstream(path) << ">a;" << std::string(1100, 'A') << "\n>b;" << std::string(1023, 'C')
                        << "\n";
    dialogs.choose(path);
    form->mmbtnAddSequenciesClick();
    // The message's first line is the command's own; the reader's notes follow as its details.
    const std::string text = lastMessage().text;
    const std::string first = "Загрузка нуклеотидных последовательностей удачно завершена.\n";
    ASSERT_EQ(text.rfind(first, 0), 0u) << text;
    EXPECT_NE(text.find(path, first.size()), std::string::npos) << text;
    EXPECT_NE(text.find("letters were cut to their first 1023 characters (77 dropped)"),
              std::string::npos)
        << text;
    EXPECT_EQ(lastMessage().icon, MessageIcon::Information);
}

TEST_F(MainFormTest, AddPositiveFailureNamesTheFile) {
    const test::TempDir folder("motifora_model_bad_load");
    const std::filesystem::path& dir = folder.root();
    const std::string bad = (dir / "bad.seq").string();
    std::ofstream(bad) << ">;ACGT\n";
    dialogs.choose(bad);
    form->mmbtnAddSequenciesClick();
    EXPECT_EQ(lastMessage().text.rfind("Ошибка чтения из файла: " + bad, 0), 0u)
        << lastMessage().text;
    EXPECT_EQ(lastMessage().caption, "Ошибка");
    EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
    EXPECT_FALSE(manager().learnPositiveLoaded());
    EXPECT_FALSE(form->btnStartSearchRules.enabled());
}

TEST_F(MainFormTest, DataLossQuestionCancelChangesNothing) {
    TMainManager* before = unsavedPositives();

    dialogs.answer(DialogAnswer::Cancel);
    form->mmbtnAddSequenciesClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Подсказка");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(dialogs.files.size(), 1u) << "no file dialog after cancel";
    EXPECT_EQ(&manager(), before);

    // No, then cancel the file dialog: still the same workspace and sample.
    dialogs.answer(DialogAnswer::No);
    dialogs.choose(std::nullopt);
    form->mmbtnAddSequenciesClick();
    EXPECT_EQ(dialogs.files.size(), 2u);
    EXPECT_EQ(&manager(), before);
    EXPECT_TRUE(manager().learnPositiveLoaded());
    EXPECT_EQ(form->SequencesList.rowCount(), 54);
}

TEST_F(MainFormTest, DataLossQuestionYesSavesFirstThenLoads) {
    TMainManager* before = unsavedPositives();

    // Yes, then the save dialog cancelled: the work was not saved, so nothing is loaded.
    dialogs.answer(DialogAnswer::Yes);
    dialogs.choose(std::nullopt);
    form->mmbtnAddSequenciesClick();
    ASSERT_EQ(dialogs.files.size(), 2u);
    EXPECT_TRUE(dialogs.files[1].save);
    EXPECT_EQ(dialogs.files[1].request.filter, "DNA Project (*.dnp)|*.dnp");
    EXPECT_EQ(dialogs.files[1].request.title, "Сохранение проекта");
    EXPECT_EQ(dialogs.files[1].request.defaultName, "Project1.dnp");
    EXPECT_EQ(&manager(), before);
    EXPECT_EQ(form->SequencesList.cell(2, 1), "prom1");

    // Yes with the project saved: the load goes on.
    const test::TempDir folder("motifora-data-loss-yes");
    const std::filesystem::path& dir = folder.root();
    dialogs.answer(DialogAnswer::Yes);
    dialogs.choose((dir / "kept.dnp").string());
    dialogs.choose(kNegative);
    form->mmbtnAddSequenciesClick();
    ASSERT_EQ(dialogs.files.size(), 4u);
    EXPECT_TRUE(std::filesystem::exists(dir / "kept.dnp"));
    EXPECT_FALSE(dialogs.files[3].save);
    EXPECT_EQ(dialogs.files[3].request.dialog, "AddSeqsDlg");
    EXPECT_EQ(lastMessage().text, "Загрузка нуклеотидных последовательностей удачно завершена.");
    EXPECT_EQ(form->SequencesList.cell(2, 1), "nonprom1") << "the new sample is listed";
    EXPECT_TRUE(manager().saved()) << "a new workspace";
}

TEST_F(MainFormTest, NegativeLoadPreconditionsAndView) {
    form->mmbtnAddNegativeSequenciesClick();
    EXPECT_EQ(lastMessage().text, "First load postive sampling.");
    EXPECT_EQ(lastMessage().caption, "Error");
    EXPECT_TRUE(dialogs.files.empty());

    dialogs.choose(kPositive);
    form->mmbtnAddSequenciesClick();
    dialogs.choose(kNegative);
    form->mmbtnAddNegativeSequenciesClick();
    EXPECT_EQ(dialogs.files.back().request.dialog, "AddNegSeqsDlg");
    EXPECT_EQ(lastMessage().text, "Loading of negative sampling is completed successfully.");
    EXPECT_EQ(lastMessage().caption, "Message");
    EXPECT_TRUE(manager().learnNegativeLoaded());
    EXPECT_TRUE(form->mmbtnNegativeSequecies.checked());
    EXPECT_TRUE(form->NegSequencesList.visible());
    EXPECT_TRUE(form->positiveListAtTop());
    EXPECT_EQ(form->NegSequencesList.rowCount(), 54);
    EXPECT_FALSE(form->NegSequencesList.cell(2, 53).empty());
}

TEST_F(MainFormTest, ControlPositivePreconditions) {
    form->mmbtnAddControlPositiveClick();
    EXPECT_EQ(lastMessage().text, "First load negative control sampling.");
    EXPECT_EQ(lastMessage().caption, "Error");
    TMainManagerTestAccess::controlNegativeLoaded(manager()) = true;
    manager().setIterationSearchSettings({0.05, 0.8, 500, 50, WorkMode::kShift, 0});
    form->mmbtnAddControlPositiveClick();
    EXPECT_EQ(lastMessage().text, "Not accessible in this work mode.");
    manager().setIterationSearchSettings({0.05, 0.8, 500, 50, WorkMode::kFixed, 0});
    TMainManagerTestAccess::longControl(manager()) = true;
    form->mmbtnAddControlPositiveClick();
    EXPECT_EQ(lastMessage().text, "Not accessible in this work mode.");
    EXPECT_TRUE(dialogs.files.empty());
    EXPECT_FALSE(manager().controlPositiveLoaded());
}

TEST_F(MainFormTest, ClassificationStartWithoutControlSampleDoesNothing) {
    TMainManagerTestAccess::classCount(manager()) =
        2;  // classes present, no control negative sample
    form->btnStartSearchClassClick();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form->StatusBar1.panel(1), "Program is started");
    EXPECT_FALSE(manager().isRunning());
    TMainManagerTestAccess::classCount(manager()) = 0;
}

TEST_F(MainFormTest, ExitStopsAndCloses) {
    form->mmbtnExitClick();
    EXPECT_TRUE(form->closed());
    EXPECT_EQ(form->mainManager, nullptr);
    form->SearchingTimerTimer();  // a late tick does nothing
    form->btnStartSearchRulesClick();
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(ElapsedTimeTest, Format) {
    EXPECT_EQ(TMainForm::formatElapsed(0.0), "0:00:00");
    EXPECT_EQ(TMainForm::formatElapsed(-1.0), "0:00:00");
    EXPECT_EQ(TMainForm::formatElapsed(65.4 / 86400.0), "0:01:05");
    EXPECT_EQ(TMainForm::formatElapsed(59.9996 / 86400.0), "0:01:00") << "rounded to ms first";
    EXPECT_EQ(TMainForm::formatElapsed((3600.0 * 25 + 7) / 86400.0), "25:00:07");
}

}  // namespace
}  // namespace motifora::testing
