// The window keeps what it shows consistent: results saved under the project's own name, the
// captions of every grid column, the grids of a new project, and the recognition level taken
// from the cross-validation.
#include <filesystem>

#include "FormFixture.h"
#include "Promoters.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

TEST(ResultsFileName, TheProjectsNameWithTheResultsExtension) {
    struct Case {
        const char* project;
        const char* extension;
        const char* proposed;
    };
    const Case cases[] = {
        {"Project1.dnp", ".html", "Project1.html"},
        {"Project1.dnp", ".txt", "Project1.txt"},
        {"/data/promoters.dnp", ".html", "/data/promoters.html"},
        {"runs/a.b.dnp", ".txt", "runs/a.b.txt"},
        // Not a ".dnp" name (case counts, as the save does): the extension is added.
        {"promoters", ".html", "promoters.html"},
        {"promoters.DNP", ".html", "promoters.DNP.html"},
        {".dnp", ".html", ".dnp.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resultsFileName(c.project, c.extension), c.proposed) << c.project;
}

class WindowConsistencyTest : public FormFixture {
  protected:
    void loadPositive() {
        dialogs.choose(kPositive);
        form->mmbtnAddSequenciesClick();
        ASSERT_NE(lastMessage().icon, MessageIcon::Error) << lastMessage().text;
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

}  // namespace
}  // namespace motifora::testing
