// The window keeps what it shows consistent: results saved under the project's own name, the
// captions of every grid column, the grids of a new project, and the recognition level taken
// from the cross-validation.
#include <filesystem>

#include "FormFixture.h"
#include "Promoters.h"
#include "support/NameCases.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

TEST(ResultsFileName, TheProjectsNameWithTheResultsExtension) {
    test::expectNames(resultsFileName, {
                                           {"Project1.dnp", ".html", "Project1.html"},
                                           {"Project1.dnp", ".txt", "Project1.txt"},
                                           {"/data/promoters.dnp", ".html", "/data/promoters.html"},
                                           {"runs/a.b.dnp", ".txt", "runs/a.b.txt"},
                                           // Not a ".dnp" name (case counts, as the save does): the
                                           // extension is added.
                                           {"promoters", ".html", "promoters.html"},
                                           {"promoters.DNP", ".html", "promoters.DNP.html"},
                                           {".dnp", ".html", ".dnp.html"},
                                       });
}

class WindowConsistencyTest : public FormFixture {
  protected:
    void loadPositive() {
        dialogs.choose(kPositive);
        form->mmbtnAddSequenciesClick();
        ASSERT_NE(lastMessage().icon, MessageIcon::Error) << lastMessage().text;
    }
    // Runs the rule search, then (when `idealize`) the idealization, each to its reported end.
    void searchAndIdealize(bool idealize) {
        form->btnStartSearchRulesClick();
        manager().joinWorker();
        form->SearchingTimerTimer();
        ASSERT_EQ(lastMessage().text, kSearchEnded);
        if (!idealize) return;
        form->btnStartIdealizationClick();
        manager().joinWorker();
        form->SearchingTimerTimer();
        ASSERT_EQ(lastMessage().text, kIdealizationEnded);
    }
    // The request of the last file dialog.
    const FileRequest& lastFileRequest() const { return dialogs.files.back().request; }

    test::TempDir folder{"motifora-consistency"};
};

TEST_F(WindowConsistencyTest, ResultsAreProposedUnderTheSavedProjectsName) {
    ASSERT_NO_FATAL_FAILURE(loadPositive());
    // Before any save: the first project's name.
    form->SaveRecErrBtnClick();
    EXPECT_EQ(lastFileRequest().defaultName, "Project1.html");
    form->SaveAsText1Click();
    EXPECT_EQ(lastFileRequest().defaultName, "Project1.txt");

    const std::string saved = folder.path("promoters.dnp");
    dialogs.choose(saved);
    ASSERT_TRUE(form->saveProjectAs());
    form->btnSaveProjectClick();
    EXPECT_EQ(lastFileRequest().defaultName, folder.path("promoters.html"));
    EXPECT_EQ(lastFileRequest().title, "Saving Relsults of Erro Count As HTML");
    form->SaveAsText1Click();
    EXPECT_EQ(lastFileRequest().defaultName, folder.path("promoters.txt"));

    // A new project goes back to a counted name.
    dialogs.answer(DialogAnswer::No);
    form->mmbtnNewProjectClick();
    form->SaveRecErrBtnClick();
    EXPECT_EQ(lastFileRequest().defaultName, "Project2.html");
}

TEST_F(WindowConsistencyTest, PositivesWithoutAClassShowNoClassNumber) {
    ASSERT_NO_FATAL_FAILURE(loadPositive());
    ASSERT_NO_FATAL_FAILURE(searchAndIdealize(false));
    const std::vector<std::string> none(53, "");
    EXPECT_EQ(column(form->SequencesList, 4), none);

    // Saved with rules and no classes, and opened again: still no class "0".
    const std::string saved = folder.path("rules-only.dnp");
    dialogs.choose(saved);
    ASSERT_TRUE(form->saveProjectAs());
    ASSERT_TRUE(form->openProject(saved)) << lastMessage().text;
    ASSERT_GT(manager().rules()->Count(), 0);
    EXPECT_EQ(column(form->SequencesList, 4), none);

    // Once the classes exist every positive shows its own.
    ASSERT_NO_FATAL_FAILURE(searchAndIdealize(true));
    for (const std::string& shown : column(form->SequencesList, 4)) {
        int32_t number = 0;
        EXPECT_TRUE(NumberFormat::readInteger(shown, number) && number >= 1) << shown;
    }
}

TEST_F(WindowConsistencyTest, FastaHeadersAreShownAsReadWhileProjectsAndReportsKeepTheNames) {
    // Headers with words after the name, one with a tab and outer blanks, one with the name
    // alone.
    const std::vector<std::pair<std::string, std::string>> records = {
        {"p1_r chrX:1-100 strand=+", "TTGACAATTAATCATCGAACTAG"},
        {" p2\tpromoter of lacZ ", "TTGACGGCTAGCTCAGTCCTAGG"},
        {"p3", "TTTACAGCTAGCTCAGTCCTAGG"},
    };
    std::string fasta;
    for (const auto& [header, letters] : records) fasta += ">" + header + "\n" + letters + "\n";
    dialogs.choose(folder.write("headers.fa", fasta));
    form->mmbtnAddSequenciesClick();
    ASSERT_NE(lastMessage().icon, MessageIcon::Error) << lastMessage().text;
    EXPECT_EQ(column(form->SequencesList, 2),
              (std::vector<std::string>{"p1_r chrX:1-100 strand=+", "p2 promoter of lacZ", "p3"}));
    const std::vector<std::string> names = {"p1_r", "p2", "p3"};
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(manager().learnPositive()[i].name, names[i]);

    // The report names the records as a project keeps them.
    form->SequencesList.setColCount(7);
    for (int32_t r = 1; r <= 3; ++r) form->SequencesList.setCell(5, r, "3.50");
    dialogs.choose(folder.path("errors.html"));
    form->SaveRecErrBtnClick();
    const std::string report = test::readBytes(folder.path("errors.html"));
    for (const std::string& name : names)
        EXPECT_NE(report.find("<TD>" + name + "      </TD>"), std::string::npos) << report;
    EXPECT_EQ(report.find("chrX"), std::string::npos) << report;

    // Saved and opened again: the project holds the names alone, and they are shown.
    const std::string saved = folder.path("headers.dnp");
    dialogs.choose(saved);
    ASSERT_TRUE(form->saveProjectAs());
    ASSERT_TRUE(form->openProject(saved)) << lastMessage().text;
    EXPECT_EQ(column(form->SequencesList, 2), names);
}

TEST_F(WindowConsistencyTest, AClassViewAskedForOnTheObjectsPageIsShownOnTheClassesPage) {
    ASSERT_NO_FATAL_FAILURE(loadPositive());
    ASSERT_NO_FATAL_FAILURE(searchAndIdealize(true));
    using Command = void (TMainForm::*)();
    for (Command view : {&TMainForm::WeightMatrix1Click, &TMainForm::RecognitionMatrix1Click,
                         &TMainForm::ShowRegularities1Click, &TMainForm::ShowObjects1Click}) {
        form->setActivePage(Page::Objects);
        form->IdealizObjectsList.select(1, 1);
        (form.get()->*view)();
        EXPECT_EQ(form->activePage(), Page::Classes);
        EXPECT_TRUE(form->ClassList.visible());
        EXPECT_FALSE(form->ClassList.cell(0, 1).empty());
    }
    // With no class chosen nothing is shown, and the page stays.
    form->setActivePage(Page::Objects);
    form->IdealizObjectsList.select(0, 0);
    form->WeightMatrix1Click();
    EXPECT_EQ(form->activePage(), Page::Objects);
}

TEST_F(WindowConsistencyTest, EveryColumnOfTheErrorCountingAndTheBootstrapHasACaption) {
    EXPECT_EQ(form->BootStrCtrl.ErrorsList.row(0),
              (std::vector<std::string>{"First level error", "Second level error"}));
    // Several classes chosen: the counting adds three columns, each with its caption (the
    // start itself is refused here, there being no classes).
    form->IdealizObjectsList.setRowCount(4);
    form->IdealizObjectsList.select(1, 3);
    form->btnCountRecErrorsClick();
    ASSERT_EQ(form->IdealizObjectsList.colCount(), 6);
    for (int32_t c = 0; c < 6; ++c)
        EXPECT_FALSE(form->IdealizObjectsList.cell(c, 0).empty()) << "column " << c;
    EXPECT_EQ(form->IdealizObjectsList.cell(2, 0), "Object") << "the specified captions stay";
}

TEST_F(WindowConsistencyTest, ANewProjectKeepsNothingTheLastOneShowed) {
    form->IdealizObjectsList.setRowCount(4);
    form->IdealizObjectsList.setColCount(6);
    form->IdealizObjectsList.select(2, 3);
    form->IdealizObjectsList.setEnabled(false);
    form->BootStrCtrl.ErrorsList.setRowCount(3);
    form->BootStrCtrl.showRow(1, "0.1", "0.2");
    form->BootStrCtrl.Label4.setText("0.10000000");

    form->mmbtnNewProjectClick();
    EXPECT_EQ(form->IdealizObjectsList.colCount(), 3);
    EXPECT_EQ(form->IdealizObjectsList.selectionTop(), 1);
    EXPECT_EQ(form->IdealizObjectsList.selectionBottom(), 1);
    EXPECT_TRUE(form->IdealizObjectsList.enabled());
    const Grid& bootstrap = form->BootStrCtrl.ErrorsList;
    EXPECT_EQ(bootstrap.rowCount(), 2);
    EXPECT_EQ(bootstrap.row(1), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(bootstrap.cell(0, 0), "First level error");
    EXPECT_EQ(form->BootStrCtrl.Label4.text(), TBootStrCtrl::kNoAverage);
}

TEST_F(WindowConsistencyTest, TheChosenSeparatorIsTheOneEveryEntryShows) {
    struct Entry {
        Edit& edit;
        const char* comma;
        const char* point;
    };
    const Entry entries[] = {
        {form->ConfIntEdit, "0,05", "0.05"},
        {form->CPEdit, "0,8", "0.8"},
        {form->CrossValForm.WantedErrorEdit, "0,05", "0.05"},
        {form->RecLevelEdit, "112,92", "112.92"},
    };
    form->RecLevelEdit.setText("112,92");
    form->FirstLErrEd.setText("not a number");
    form->useDecimalSeparator('.');
    EXPECT_EQ(form->numbers().separator(), '.');
    for (const Entry& e : entries) EXPECT_EQ(e.edit.text(), e.point) << e.comma;
    EXPECT_EQ(form->FirstLErrEd.text(), "not a number") << "only numbers are written again";

    // Reading the entries no longer switches the separator, and numbers shown later use it.
    ASSERT_NO_FATAL_FAILURE(loadPositive());
    double value = 0.0;
    bool switched = true;
    ASSERT_TRUE(form->numbers().readReal(form->ConfIntEdit.text(), value, &switched));
    EXPECT_FALSE(switched);
    EXPECT_DOUBLE_EQ(value, 0.05);
    const std::string saved = folder.path("point.dnp");
    dialogs.choose(saved);
    ASSERT_TRUE(form->saveProjectAs());
    ASSERT_TRUE(form->openProject(saved));
    EXPECT_EQ(form->ConfIntEdit.text(), "0.05");
    EXPECT_EQ(form->numbers().separator(), '.');

    form->useDecimalSeparator(',');
    for (const Entry& e : entries) {
        if (&e.edit == &form->RecLevelEdit) continue;
        EXPECT_EQ(e.edit.text(), e.comma) << e.point;
    }
    form->useDecimalSeparator('x');
    EXPECT_EQ(form->numbers().separator(), ',') << "only a comma or a point is a separator";
}

}  // namespace
}  // namespace motifora::testing
