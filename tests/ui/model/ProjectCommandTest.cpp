// The "File" commands through the window model: the project saved, opened and saved again at
// every stage of a real run (identical bytes), the dialogs and questions of New, Open, Save and
// Save As, refused files, and the text export and HTML reports written by their commands.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "../../io/ProjectStages.h"
#include "FormFixture.h"
#include "Promoters.h"
#include "io/ProjectFile.h"
#include "rules/RulesStorage.h"
#include "support/TMainManagerTestAccess.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

const char* const kSaveQuestion = "Сохранить текущий проект?";
const char* const kWriteError = "Ошибка записи в файл:";

using test::readBytes;

// A folder of its own under the system's temporary folder, removed at the end.
class Folder : public test::TempDir {
  public:
    Folder() : TempDir("motifora-project") {}
};

class ProjectCommandTest : public FormFixture {
  protected:
    void load(void (TMainForm::*command)(), const std::string& path) {
        dialogs.choose(path);
        (form.get()->*command)();
        ASSERT_NE(lastMessage().icon, MessageIcon::Error) << lastMessage().text;
    }

    void run(void (TMainForm::*command)(), const char* ended) {
        (form.get()->*command)();
        ASSERT_EQ(tickToEnd(), std::vector<std::string>{ended});
    }
    // The bundled positives loaded and the storage sizes typed.
    void learnPositives(const char* finish, const char* sub) {
        ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddSequenciesClick, kPositive));
        form->FinishStorSizeEdit.setText(finish);
        form->SubBuffersSizeEdit.setText(sub);
    }
    // The rule search and then the idealization, each to its reported end.
    void searchAndIdealize() {
        ASSERT_NO_FATAL_FAILURE(run(&TMainForm::btnStartSearchRulesClick, kSearchEnded));
        form->setActivePage(Page::Objects);
        ASSERT_NO_FATAL_FAILURE(run(&TMainForm::btnStartIdealizationClick, kIdealizationEnded));
    }

    // Saves through "Save Project As...", opens the file in a second window, checks that the
    // second window shows what the first one does, and saves it again: the bytes must not
    // change. Returns the bytes.
    std::string roundTrip(const std::string& name, bool scores = true) {
        SCOPED_TRACE(name);
        const size_t shown = dialogs.messages.size();
        const std::string first = folder.path(name + ".dnp");
        dialogs.choose(first);
        form->mmbtnSaveProjectAsClick();
        EXPECT_EQ(dialogs.messages.size(), shown) << lastMessage().text;
        EXPECT_EQ(form->projectName, first);
        const std::string bytes = readBytes(first);
        EXPECT_FALSE(bytes.empty());

        ScriptedDialogs otherDialogs;
        TMainForm other(otherDialogs, [] { return 1000.0; });
        other.numberFormat.setSeparator(form->numberFormat.separator());
        otherDialogs.choose(first);
        other.mmbtnOpenProjectClick();
        EXPECT_TRUE(otherDialogs.messages.empty()) << otherDialogs.messages.front().text;
        EXPECT_EQ(other.Caption.text(), "Motifora - " + first);
        // In shift positions the idealization marks windows, not sequences, in that grid.
        if (!manager().searchSettings().shiftPositions())
            expectSameSequences(other.SequencesList, form->SequencesList);
        expectSameSequences(other.PosCtrlSeqsList, form->PosCtrlSeqsList);
        expectSameSequences(other.NewSeqsList, form->NewSeqsList);
        if (manager().learnNegativeLoaded()) {
            expectSameSequences(other.NegSequencesList, form->NegSequencesList);
        }
        for (int32_t r = 0; r <= manager().classCount(); ++r) {
            for (int32_t c = 0; c < 3; ++c)
                EXPECT_EQ(other.IdealizObjectsList.cell(c, r), form->IdealizObjectsList.cell(c, r));
        }
        const int32_t ruleRows = manager().rules() ? manager().rules()->Count() + 1 : 1;
        for (int32_t r = 0; r < ruleRows; ++r)
            EXPECT_EQ(other.RulesList.row(r), form->RulesList.row(r)) << "rules row " << r;
        if (scores) {
            // The recognition table comes back as the grid showed it.
            EXPECT_EQ(other.NewSeqsList.colCount(), form->NewSeqsList.colCount());
            for (int32_t r = 0; r < form->NewSeqsList.rowCount(); ++r) {
                for (int32_t c = 5; c < form->NewSeqsList.colCount(); ++c) {
                    EXPECT_EQ(other.NewSeqsList.cell(c, r), form->NewSeqsList.cell(c, r))
                        << "control negative cell " << c << "," << r;
                }
            }
        }

        const std::string second = folder.path(name + "-again.dnp");
        otherDialogs.choose(second);
        other.mmbtnSaveProjectAsClick();
        EXPECT_EQ(readBytes(second), bytes);
        // "Save Project" of an opened project writes to its (new) name with no dialog.
        std::filesystem::remove(second);
        other.mmbtnSaveProjectClick();
        EXPECT_EQ(otherDialogs.files.size(), 2u);
        EXPECT_EQ(readBytes(second), bytes);
        return bytes;
    }

    // Columns 0 to 4 of a sequence grid, row by row (the first difference only). An object
    // without a class shows "New" after a classification, and its learning row nothing after a
    // search; a refill from the object table shows both as "0" (no class + 1).
    static void expectSameSequences(const Grid& opened, const Grid& shown) {
        ASSERT_EQ(opened.rowCount(), shown.rowCount());
        for (int32_t r = 0; r < shown.rowCount(); ++r) {
            for (int32_t c = 0; c < 5; ++c) {
                const std::string text = shown.cell(c, r);
                const std::string got = opened.cell(c, r);
                const bool noClass = c == 4 && r > 0 && (text.empty() || text == "New");
                ASSERT_TRUE(got == text || (noClass && got == "0"))
                    << "cell " << c << "," << r << ": \"" << got << "\" for \"" << text << "\"";
            }
        }
    }

    Folder folder;
};

TEST_F(ProjectCommandTest, ProjectsReopenByteForByteAtEveryStage) {
    ASSERT_NO_FATAL_FAILURE(learnPositives("40", "10"));
    form->Rec_Arranged.setChecked(true);
    const std::string samplesOnly = roundTrip("samples");
    {
        const ProjectData read = decode(samplesOnly, "samples");
        EXPECT_EQ(read.storage, nullptr);
        EXPECT_EQ(read.rules, nullptr);
        EXPECT_FALSE(read.idealObjectsPresent);
        EXPECT_EQ(read.settings.arranged, 1);
        EXPECT_EQ(read.settings.frameWidth, 10) << "the frame-width edit, also in fixed mode";
    }

    ASSERT_NO_FATAL_FAILURE(run(&TMainForm::btnStartSearchRulesClick, kSearchEnded));
    roundTrip("search");

    form->setActivePage(Page::Objects);
    ASSERT_NO_FATAL_FAILURE(run(&TMainForm::btnStartIdealizationClick, kIdealizationEnded));
    roundTrip("idealization");

    ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddControlNegativeClick, kNegative));
    form->setActivePage(Page::Classes);
    ASSERT_NO_FATAL_FAILURE(run(&TMainForm::btnStartSearchClassClick, kClassificationEnded));
    roundTrip("classification");

    // Recognition of every class: the scores go into the file's recognition table.
    form->btnStartRecognitionClick();
    tickToEnd();
    ASSERT_GT(form->NewSeqsList.colCount(), 5);
    ASSERT_NE(form->NewSeqsList.cell(5, 1), "");
    const std::string withScores = roundTrip("recognition");
    {
        const ProjectData read = decode(withScores, "recognition");
        ASSERT_TRUE(read.recognitionPresent);
        EXPECT_EQ(read.recognition.size(), static_cast<size_t>(manager().controlNegativeCount()));
    }

    ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddControlPositiveClick, kPositive));
    ASSERT_NO_FATAL_FAILURE(run(&TMainForm::btnStartSearchClassClick, kClassificationEnded));
    roundTrip("control-positive");

    // Error counting puts "Result" in the seventh header cell: no recognition table then.
    form->btnCountRecErrorsClick();
    tickToEnd();
    ASSERT_EQ(form->NewSeqsList.cell(6, 0), "Result");
    const std::string counted = roundTrip("counted", false);
    const ProjectData read = decode(counted, "counted");
    EXPECT_FALSE(read.recognitionPresent);
    EXPECT_EQ(counted.substr(counted.size() - 8), "00000000");
}

TEST_F(ProjectCommandTest, ShiftModeProjectReopensByteForByte) {
    ASSERT_NO_FATAL_FAILURE(learnPositives("30", "10"));
    form->chooseAlignment(true);
    form->FrameWidthEdit.setText("12");
    form->chooseIdealizationType(IdealizationType::kDeletingInserting);
    ASSERT_NO_FATAL_FAILURE(searchAndIdealize());
    ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddControlNegativeClick, kNegative));
    const std::string bytes = roundTrip("shift");

    ScriptedDialogs otherDialogs;
    TMainForm other(otherDialogs);
    otherDialogs.choose(folder.path("shift.dnp"));
    other.mmbtnOpenProjectClick();
    EXPECT_TRUE(other.btnShiftPositionsRadio.checked());
    EXPECT_FALSE(other.btnFixedPositionsRadio.checked());
    EXPECT_TRUE(other.FrameWidthEdit.enabled());
    EXPECT_EQ(other.FrameWidthEdit.text(), "12");
    EXPECT_TRUE(other.btnDeletingInsirtingRadio.checked());
    EXPECT_EQ(other.manager().searchSettings().workMode, WorkMode::kShift);
    EXPECT_EQ(other.manager().searchSettings().frameWidth, 12);
    EXPECT_EQ(other.manager().storage()->width, 12);
    EXPECT_GT(bytes.size(), 1000u);
}

TEST_F(ProjectCommandTest, DeletingAClassAfterAStoppedClassificationStillSavesAReadableProject) {
    ASSERT_NO_FATAL_FAILURE(learnPositives("40", "10"));
    ASSERT_NO_FATAL_FAILURE(searchAndIdealize());
    // The learning sequences as control data: they fall into their classes.
    ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddControlNegativeClick, kPositive));
    form->setActivePage(Page::Classes);
    ASSERT_NO_FATAL_FAILURE(run(&TMainForm::btnStartSearchClassClick, kClassificationEnded));

    // As a stop leaves it: the control objects carry classes, the classified flag is clear.
    TMainManager& m = manager();
    TMainManagerTestAccess::controlNegativeClassified(m) = false;
    const SEQStorage& s = *m.storage();
    int32_t last = -1;
    for (int32_t i = 0; i < s.controlNegativeObjectCount; ++i)
        last = std::max(last, s.controlNegativeObjects[i].classNumber);
    ASSERT_GE(last, 0) << "some control object must have a class for this test";
    std::vector<int32_t> before;
    for (int32_t i = 0; i < s.controlNegativeObjectCount; ++i)
        before.push_back(s.controlNegativeObjects[i].classNumber);

    const int32_t classes = m.classCount();
    form->IdealizObjectsList.select(last + 1, last + 1);
    form->D1Click();
    ASSERT_EQ(m.classCount(), classes - 1);
    for (int32_t i = 0; i < s.controlNegativeObjectCount; ++i) {
        const int32_t was = before[static_cast<size_t>(i)];
        const int32_t now = s.controlNegativeObjects[i].classNumber;
        EXPECT_EQ(now, was == last ? -1 : (was > last ? was - 1 : was)) << "object " << i + 1;
        EXPECT_LT(now, m.classCount());
    }
    roundTrip("deleted");
}

// ---------------------------------------------------------------- dialogs and questions

TEST_F(ProjectCommandTest, SaveAsDialogNamesAndFailure) {
    ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddSequenciesClick, kPositive));
    dialogs.messages.clear();

    dialogs.choose(folder.path("upper.DNP"));
    form->mmbtnSaveProjectAsClick();
    ASSERT_EQ(dialogs.files.size(), 2u);
    const FileRequest& request = dialogs.files[1].request;
    EXPECT_TRUE(dialogs.files[1].save);
    EXPECT_EQ(request.filter, "DNA Project (*.dnp)|*.dnp");
    EXPECT_EQ(request.title, "Сохранение проекта");
    EXPECT_EQ(request.defaultName, "Project1.dnp");
    EXPECT_EQ(request.initialFolder, ".");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(std::filesystem::exists(folder.path("upper.DNP.dnp")));
    EXPECT_EQ(form->projectName, folder.path("upper.DNP.dnp"));
    EXPECT_EQ(form->Caption.text(), "Motifora - " + folder.path("upper.DNP.dnp"));
    EXPECT_TRUE(manager().saved());
    EXPECT_FALSE(manager().modified());

    dialogs.choose(folder.path("plain.dnp"));
    form->mmbtnSaveProjectAsClick();
    EXPECT_EQ(dialogs.files.back().request.defaultName, folder.path("upper.DNP.dnp"))
        << "the dialog starts with the current project name";
    EXPECT_TRUE(std::filesystem::exists(folder.path("plain.dnp")));
    EXPECT_FALSE(std::filesystem::exists(folder.path("plain.dnp.dnp")));

    // A file that cannot be created: the message, and the name stays.
    const std::string nowhere = folder.path("missing-folder/p.dnp");
    dialogs.choose(nowhere);
    form->mmbtnSaveProjectAsClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(lastMessage().text.rfind(kWriteError + nowhere, 0), 0u) << lastMessage().text;
    EXPECT_EQ(lastMessage().caption, "Ошибка");
    EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
    EXPECT_EQ(form->projectName, folder.path("plain.dnp"));

    // A settings edit that holds no number refuses the save and names the edit.
    form->CPEdit.setText("high");
    dialogs.choose(folder.path("bad-settings.dnp"));
    form->mmbtnSaveProjectAsClick();
    EXPECT_NE(lastMessage().text.find("\"Min. level of CP\" is not a number"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.path("bad-settings.dnp")));

    // Cancelled: nothing happens.
    dialogs.choose(std::nullopt);
    const size_t shown = dialogs.messages.size();
    form->mmbtnSaveProjectAsClick();
    EXPECT_EQ(dialogs.messages.size(), shown);
}

TEST_F(ProjectCommandTest, SaveProjectAsksForANameOnlyForNewModifiedWork) {
    ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddSequenciesClick, kPositive));
    ASSERT_TRUE(manager().modified());
    const size_t files = dialogs.files.size();
    dialogs.choose(folder.path("first"));
    form->mmbtnSaveProjectClick();
    ASSERT_EQ(dialogs.files.size(), files + 1) << "modified and new: Save As";
    EXPECT_EQ(dialogs.files.back().request.title, "Сохранение проекта");
    const std::string path = folder.path("first.dnp");
    ASSERT_TRUE(std::filesystem::exists(path));

    std::filesystem::remove(path);
    form->mmbtnSaveProjectClick();
    EXPECT_EQ(dialogs.files.size(), files + 1) << "saved: written under its name";
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(ProjectCommandTest, NewProjectQuestionYesNoCancel) {
    ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddSequenciesClick, kPositive));
    dialogs.messages.clear();
    manager().markModified();

    // Yes, but the save dialog is cancelled: nothing is lost and nothing replaced.
    TMainManager* before = &manager();
    dialogs.answer(DialogAnswer::Yes);
    dialogs.choose(std::nullopt);
    form->mmbtnNewProjectClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, kSaveQuestion);
    EXPECT_EQ(dialogs.messages[0].caption, "Подсказка");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(&manager(), before);
    EXPECT_EQ(form->projectCounter, 1);

    // Yes and a name: saved, then a new project.
    dialogs.answer(DialogAnswer::Yes);
    dialogs.choose(folder.path("kept"));
    form->mmbtnNewProjectClick();
    EXPECT_TRUE(std::filesystem::exists(folder.path("kept.dnp")));
    EXPECT_EQ(form->projectCounter, 2);
    EXPECT_EQ(form->projectName, "Project2.dnp");
    EXPECT_EQ(form->Caption.text(), "Motifora - Project2.dnp");
    EXPECT_FALSE(manager().learnPositiveLoaded());
    EXPECT_EQ(form->SequencesList.cell(2, 1), "");

    // Cancel keeps everything; No goes on without saving.
    ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddSequenciesClick, kPositive));
    manager().markModified();
    dialogs.answer(DialogAnswer::Cancel);
    form->mmbtnNewProjectClick();
    EXPECT_TRUE(manager().learnPositiveLoaded());
    EXPECT_EQ(form->projectCounter, 2);
    dialogs.answer(DialogAnswer::No);
    const size_t files = dialogs.files.size();
    form->mmbtnNewProjectClick();
    EXPECT_EQ(dialogs.files.size(), files);
    EXPECT_EQ(form->projectCounter, 3);
    EXPECT_FALSE(manager().learnPositiveLoaded());
}

// A project written by the writer at `stage`, with a header unlike the window's defaults.
std::string stageProject(const Folder& folder, Stage stage) {
    ProjectData data = buildStage(stage, 10);
    data.settings.confidence = 0.001;
    data.settings.cpThreshold = 0.75;
    data.settings.finishBufferSize = 44;
    data.settings.subBufferSize = 11;
    data.settings.frameWidth = 9;
    data.settings.idealizationType = IdealizationType::kInsertingBegin;
    data.settings.arranged = 1;
    return folder.write(stageName(stage) + ".dnp", encode(data));
}

TEST_F(ProjectCommandTest, OpenSetsTheControlsAndEnablesWhatWasRead) {
    struct Expect {
        Stage stage;
        bool search, idealization, control, classify, count, bootstrap, positiveShown,
            negativeShown, scores;
    };
    const Expect table[] = {
        {Stage::kSamplesOnly, true, false, false, false, false, false, false, false, false},
        {Stage::kAfterSearch, true, true, false, false, false, false, false, false, false},
        {Stage::kAfterIdealization, true, true, true, false, false, false, false, false, false},
        {Stage::kAfterClassification, true, true, true, true, true, false, false, false, false},
        {Stage::kWithRecognition, true, true, true, true, true, false, false, false, true},
        {Stage::kWithControlPositive, true, true, true, true, true, false, true, false, true},
        {Stage::kWithLearnNegative, true, true, true, true, true, true, true, true, true},
    };
    for (const Expect& e : table) {
        SCOPED_TRACE(stageName(e.stage));
        const std::string path = stageProject(folder, e.stage);
        ScriptedDialogs d;
        TMainForm f(d);
        f.numberFormat.setSeparator(',');
        d.choose(path);
        f.mmbtnOpenProjectClick();
        ASSERT_TRUE(d.messages.empty()) << d.messages.front().text;
        ASSERT_EQ(d.files.size(), 1u);
        EXPECT_FALSE(d.files[0].save);
        EXPECT_EQ(d.files[0].request.filter, "DNA Project (*.dnp)|*.dnp");
        EXPECT_EQ(d.files[0].request.initialFolder, ".");
        EXPECT_EQ(f.projectName, path);
        EXPECT_EQ(f.projectCounter, 1);
        EXPECT_EQ(f.Caption.text(), "Motifora - " + path);

        EXPECT_EQ(f.ConfIntEdit.text(), "0,001");
        EXPECT_EQ(f.CPEdit.text(), "0,75");
        EXPECT_EQ(f.FinishStorSizeEdit.text(), "44");
        EXPECT_EQ(f.SubBuffersSizeEdit.text(), "11");
        EXPECT_EQ(f.FrameWidthEdit.text(), "9");
        EXPECT_TRUE(f.btnFixedPositionsRadio.checked());
        EXPECT_FALSE(f.FrameWidthEdit.enabled());
        EXPECT_TRUE(f.btnInsertingBeginRadio.checked());
        EXPECT_FALSE(f.btnDeletingBeginRadio.checked());
        EXPECT_TRUE(f.Rec_Arranged.checked());

        TMainManager& m = f.manager();
        // The commands enabled, then the control positives' and learning negatives' menu items
        // checked and their grids shown.
        const std::vector<bool> enabled = {f.btnStartSearchRules.enabled(),
                                           f.btnPauseSearchRules.enabled(),
                                           f.btnStartIdealization.enabled(),
                                           f.btnStopIdealization.enabled(),
                                           f.Control1.enabled(),
                                           f.btnStartSearchClass.enabled(),
                                           f.btnStartRecognition.enabled(),
                                           f.btnCountRecErrors.enabled(),
                                           f.btnStartBootstrap.enabled()};
        EXPECT_EQ(enabled,
                  (std::vector<bool>{e.search, e.search, e.idealization, e.idealization, e.control,
                                     e.classify, e.classify, e.count, e.bootstrap}));
        const std::vector<bool> shown = {
            f.mmbtnVisiblePositiveControl.checked(), f.PosCtrlSeqsList.visible(),
            f.mmbtnNegativeSequecies.checked(), f.NegSequencesList.visible()};
        EXPECT_EQ(shown, (std::vector<bool>{e.positiveShown, e.positiveShown, e.negativeShown,
                                            e.negativeShown}));

        EXPECT_EQ(f.SequencesList.rowCount(), m.learnPositiveCount() + 1);
        EXPECT_EQ(f.SequencesList.cell(2, 1), m.learnPositive()[0].name);
        if (m.rules()) {
            EXPECT_EQ(f.RulesList.cell(0, m.rules()->Count()), std::to_string(m.rules()->Count()));
        }
        if (m.classCount() > 0) {
            EXPECT_EQ(f.IdealizObjectsList.rowCount(), m.classCount() + 1);
            EXPECT_EQ(f.SequencesList.cell(4, 1),
                      std::to_string(m.storage()->learnObjects[0].classNumber + 1));
        }
        if (e.scores) {
            // The recognition table is shown as the recognition showed it: "class:score".
            EXPECT_EQ(f.NewSeqsList.colCount(), m.classCount() + 5);
            EXPECT_EQ(f.NewSeqsList.rowCount(), m.controlNegativeCount() + 1);
            EXPECT_EQ(f.NewSeqsList.cell(5, 1), "1:0,00");
            EXPECT_EQ(f.NewSeqsList.cell(6, 2), "2:0,48");  // (1 * 37 + 1 * 11) / 100
        } else {
            EXPECT_EQ(f.NewSeqsList.colCount(), 5);
        }
        EXPECT_FALSE(m.unsavedWork());
    }
}

TEST_F(ProjectCommandTest, WorkGoesOnAfterOpening) {
    // Classes formed with "Deleting begin", and the learning sequences as control data: the
    // classificator the open builds must put each into the class its learning object has.
    ProjectData data = buildStage(Stage::kAfterIdealization, 10);
    data.controlNegative = data.learnPositive;
    std::vector<int32_t> stored;
    for (int32_t i = 0; i < data.storage->learnObjectCount; ++i)
        stored.push_back(data.storage->learnObjects[i].classNumber);
    ASSERT_GT(data.classCount, 1);
    dialogs.choose(folder.write("classified.dnp", encode(data)));
    form->mmbtnOpenProjectClick();
    ASSERT_TRUE(dialogs.messages.empty()) << lastMessage().text;
    ASSERT_TRUE(form->btnStartSearchClass.enabled());

    form->setActivePage(Page::Classes);
    ASSERT_NO_FATAL_FAILURE(run(&TMainForm::btnStartSearchClassClick, kClassificationEnded));
    const SEQStorage& s = *manager().storage();
    ASSERT_EQ(s.controlNegativeObjectCount, static_cast<int32_t>(stored.size()));
    for (int32_t i = 0; i < s.controlNegativeObjectCount; ++i)
        EXPECT_EQ(s.controlNegativeObjects[i].classNumber, stored[static_cast<size_t>(i)]) << i;

    form->btnStartRecognitionClick();
    tickToEnd();
    EXPECT_EQ(form->NewSeqsList.colCount(), manager().classCount() + 5);
    for (int32_t r = 1; r <= manager().controlNegativeCount(); ++r)
        EXPECT_NE(form->NewSeqsList.cell(5, r).find(':'), std::string::npos) << "row " << r;
}

TEST_F(ProjectCommandTest, OpenQuestionCancelAndRefusedFilesKeepTheWork) {
    ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddSequenciesClick, kPositive));
    dialogs.messages.clear();
    TMainManager* before = &manager();
    const auto shownBefore = gridTexts(form->SequencesList);
    manager().markModified();
    // Opens `path` over unsaved work (the save question answered No); the file is refused.
    auto openRefused = [this](const std::string& path) {
        manager().markModified();
        dialogs.answer(DialogAnswer::No);
        dialogs.choose(path);
        form->mmbtnOpenProjectClick();
        EXPECT_EQ(lastMessage().text.rfind("Ошибка чтения из файла: " + path, 0), 0u)
            << lastMessage().text;
    };

    dialogs.answer(DialogAnswer::Cancel);
    form->mmbtnOpenProjectClick();
    EXPECT_EQ(dialogs.messages.back().text, kSaveQuestion);
    EXPECT_EQ(dialogs.files.size(), 1u) << "no open dialog after Cancel";

    // No, then the dialog is cancelled: the work stays on screen.
    dialogs.answer(DialogAnswer::No);
    dialogs.choose(std::nullopt);
    form->mmbtnOpenProjectClick();
    EXPECT_EQ(&manager(), before);
    EXPECT_EQ(gridTexts(form->SequencesList), shownBefore);

    // A damaged file: the reason is shown and the work stays.
    const std::string good = readBytes(stageProject(folder, Stage::kAfterIdealization));
    for (const std::string& bad : {good.substr(0, good.size() / 2), good.substr(0, 30),
                                   std::string("00000000"), good + "tail"}) {
        const std::string path = folder.write("damaged.dnp", bad);
        openRefused(path);
        EXPECT_NE(lastMessage().text.find("damaged or not a project"), std::string::npos);
        EXPECT_EQ(lastMessage().caption, "Ошибка");
        EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
        EXPECT_EQ(&manager(), before);
        EXPECT_TRUE(manager().learnPositiveLoaded());
        EXPECT_EQ(gridTexts(form->SequencesList), shownBefore);
        EXPECT_EQ(form->projectName, "Project1.dnp");
    }

    // A header whose idealization type no button stands for: refused with that reason, and the
    // page keeps the type it shows.
    form->chooseIdealizationType(IdealizationType::kInsertingBegin);
    std::string unknownType = good;
    const int32_t three = 3;
    unknownType.replace(32, 4, reinterpret_cast<const char*>(&three), 4);
    const std::string path = folder.write("unknown-type.dnp", unknownType);
    openRefused(path);
    EXPECT_NE(lastMessage().text.find("the idealization type is 3 (0, 1 or 2)"), std::string::npos)
        << lastMessage().text;
    EXPECT_EQ(&manager(), before);
    EXPECT_EQ(gridTexts(form->SequencesList), shownBefore);
    EXPECT_EQ(form->checkedIdealizationType(), IdealizationType::kInsertingBegin);
    EXPECT_EQ(readBytes(path), unknownType);
}

TEST_F(ProjectCommandTest, OpenProjectByNameReadsAsTheMenuCommandDoes) {
    // The path a file manager hands over: no dialog, the same project as "Open Project...".
    const std::string path = stageProject(folder, Stage::kAfterIdealization);
    ScriptedDialogs viaMenu;
    TMainForm menu(viaMenu);
    viaMenu.choose(path);
    menu.mmbtnOpenProjectClick();
    ASSERT_TRUE(viaMenu.messages.empty()) << viaMenu.messages.front().text;

    ASSERT_TRUE(form->openProject(path));
    EXPECT_TRUE(dialogs.files.empty()) << "no file dialog for a named project";
    EXPECT_TRUE(dialogs.messages.empty()) << lastMessage().text;
    EXPECT_EQ(form->projectName, path);
    EXPECT_EQ(form->Caption.text(), "Motifora - " + path);
    EXPECT_EQ(gridTexts(form->SequencesList), gridTexts(menu.SequencesList));
    EXPECT_EQ(gridTexts(form->RulesList), gridTexts(menu.RulesList));
    EXPECT_EQ(gridTexts(form->IdealizObjectsList), gridTexts(menu.IdealizObjectsList));
    EXPECT_EQ(form->btnStartIdealization.enabled(), menu.btnStartIdealization.enabled());
    EXPECT_EQ(manager().classCount(), menu.manager().classCount());
    EXPECT_GT(manager().classCount(), 0);
}

TEST_F(ProjectCommandTest, OpenProjectByNameReportsARefusedFileAndKeepsTheWork) {
    ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddSequenciesClick, kPositive));
    dialogs.messages.clear();
    TMainManager* before = &manager();
    const auto shownBefore = gridTexts(form->SequencesList);
    const std::string missing = folder.path("no-such-project.dnp");
    const std::string damaged = folder.write("damaged.dnp", "00000000");
    for (const std::string& path : {missing, damaged}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(form->openProject(path));
        EXPECT_EQ(lastMessage().text.rfind("Ошибка чтения из файла: " + path, 0), 0u)
            << lastMessage().text;
        EXPECT_EQ(lastMessage().caption, "Ошибка");
        EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
        EXPECT_EQ(&manager(), before);
        EXPECT_EQ(gridTexts(form->SequencesList), shownBefore);
        EXPECT_EQ(form->projectName, "Project1.dnp");
        EXPECT_EQ(form->Caption.text(), "Motifora - Project1.dnp");
    }
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

// ---------------------------------------------------------------- text export

TEST_F(ProjectCommandTest, TextExportThroughTheCommand) {
    const std::string seq = folder.write("one.seq", ">seq1;ACGT\n");
    ASSERT_NO_FATAL_FAILURE(load(&TMainForm::mmbtnAddSequenciesClick, seq));
    dialogs.messages.clear();

    dialogs.choose(folder.path("export"));
    form->SaveAsText1Click();
    const FileRequest& request = dialogs.files.back().request;
    EXPECT_TRUE(dialogs.files.back().save);
    EXPECT_EQ(request.dialog, "SaveAsTextDlg");
    EXPECT_EQ(request.filter, "DNA Project (*.txt)|*.txt");
    EXPECT_EQ(request.title, "Saving Relsults As Text");
    EXPECT_EQ(request.defaultName, "Project1.txt");
    EXPECT_TRUE(dialogs.messages.empty());
    // No object table, no rules, no ideal objects: two absence markers after the sequence.
    EXPECT_EQ(readBytes(folder.path("export.txt")), "1 || 4 || seq1 || ACGT\n0000000000000000");

    dialogs.choose(folder.path("export.TXT"));
    form->SaveAsText1Click();
    EXPECT_TRUE(std::filesystem::exists(folder.path("export.TXT.txt")));

    const std::string nowhere = folder.path("missing-folder/e.txt");
    dialogs.choose(nowhere);
    form->SaveAsText1Click();
    EXPECT_EQ(lastMessage().text.rfind(kWriteError + nowhere, 0), 0u) << lastMessage().text;
    EXPECT_EQ(lastMessage().caption, "Ошибка");
    EXPECT_EQ(lastMessage().icon, MessageIcon::Error);

    dialogs.choose(std::nullopt);
    const size_t files = std::distance(std::filesystem::directory_iterator(folder.path("")),
                                       std::filesystem::directory_iterator());
    form->SaveAsText1Click();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path("")),
                            std::filesystem::directory_iterator()),
              static_cast<std::ptrdiff_t>(files));
}

TEST_F(ProjectCommandTest, TextExportCopiesTheGridsAfterARun) {
    ASSERT_NO_FATAL_FAILURE(learnPositives("20", "10"));
    ASSERT_NO_FATAL_FAILURE(searchAndIdealize());

    dialogs.choose(folder.path("run.txt"));
    form->SaveAsText1Click();
    const TMainManager& m = manager();
    // The same file built here from the grids, line by line.
    std::string expected;
    for (int32_t i = 0; i < m.learnPositiveCount(); ++i) {
        const Sequence& s = m.learnPositive()[static_cast<size_t>(i)];
        expected += std::to_string(i + 1) + " || " + std::to_string(s.length) + " || " + s.name +
                    " || " + s.text + " || " +
                    std::to_string(m.storage()->learnObjects[i].classNumber + 1) + "\n";
    }
    expected += "\n\n";
    for (int32_t r = 0; r <= m.rules()->Count(); ++r) {
        expected += form->RulesList.cell(0, r) + " || " + form->RulesList.cell(1, r) + " || " +
                    form->RulesList.cell(2, r) + " || " + form->RulesList.cell(3, r) + "\n";
    }
    expected += "\n\n";
    for (int32_t r = 0; r <= m.classCount(); ++r) {
        expected += form->IdealizObjectsList.cell(0, r) + " || " +
                    form->IdealizObjectsList.cell(2, r) + " \n\n";
    }
    EXPECT_EQ(readBytes(folder.path("run.txt")), expected);
    EXPECT_EQ(expected.rfind("\n\n# || Fisher || Rule || CP\n"), expected.find("\n\n# || F"));
}

// ---------------------------------------------------------------- HTML reports

TEST_F(ProjectCommandTest, LongSequenceReportThroughTheSaveButton) {
    // Scanning: the long-sequence report.
    manager().setIterationSearchSettings({0.05, 0.8, 500, 50, WorkMode::kShift, 0});
    form->RecLevelEdit.setText("4");
    form->NewSeqsList.setCell(0, 1, "1");
    form->NewSeqsList.setCell(2, 1, "chr1");
    const double scores[] = {1, 5, 6, 2, 7, 7, 1};
    for (int i = 0; i < 7; ++i) form->Chart1.addPoint(0, i + 1, scores[i]);
    form->Chart1.addPoint(1, 1, 4);  // the level line is not read

    dialogs.choose(folder.path("results"));
    form->btnSaveProjectClick();
    const FileRequest& request = dialogs.files.back().request;
    EXPECT_EQ(request.dialog, "SaveRecCount");
    EXPECT_EQ(request.filter, "DNA Project (*.html)|*.html");
    EXPECT_EQ(request.title, "Saving Relsults of Erro Count As HTML");
    EXPECT_EQ(request.defaultName, "Project1.html");
    const auto row = [](const char* range, const char* maximum) {
        return std::string(
                   "    <TR>\n      <TD>1      </TD>\n      <TD>chr1      </TD>\n"
                   "      <TD>") +
               range + "      </TD>\n      <TD>" + maximum + "      </TD>\n    </TR>\n";
    };
    const std::string expected =
        std::string(
            "<HTML>\n<BODY>\n<H1 ALIGN=center>Long Seq Recognition Results</H1>\n"
            "<BR>Recognition Level =  4\n<BR><BR> \n<TABLE BORDER>\n    <TR>\n"
            "      <TD ALIGN=middle COLSPAN=4>Control Data      </TD\n>    </TR>\n") +
        row("2...3", "6.000000") + row("5...6", "7.000000") + "</TABLE>\n</BODY>\n</HTML>\n";
    EXPECT_EQ(readBytes(folder.path("results.html")), expected);

    // The same through SaveRecErrBtn; ".html" stays, ".HTML" gets ".html".
    dialogs.choose(folder.path("same.html"));
    form->SaveRecErrBtnClick();
    EXPECT_EQ(readBytes(folder.path("same.html")), expected);
    dialogs.choose(folder.path("upper.HTML"));
    form->SaveRecErrBtnClick();
    EXPECT_EQ(readBytes(folder.path("upper.HTML.html")), expected);

    // A file that cannot be created.
    const std::string nowhere = folder.path("missing-folder/r.html");
    dialogs.choose(nowhere);
    form->SaveRecErrBtnClick();
    EXPECT_EQ(lastMessage().text.rfind(kWriteError + nowhere, 0), 0u) << lastMessage().text;
    EXPECT_EQ(lastMessage().caption, "Ошибка");

    // A level that is no number: the failure names it, no file is made.
    form->RecLevelEdit.setText("four");
    dialogs.choose(folder.path("bad.html"));
    form->SaveRecErrBtnClick();
    EXPECT_EQ(lastMessage().text.rfind(kWriteError + folder.path("bad.html"), 0), 0u);
    EXPECT_NE(lastMessage().text.find("four"), std::string::npos) << lastMessage().text;
    EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
    EXPECT_FALSE(std::filesystem::exists(folder.path("bad.html")));
}

TEST_F(ProjectCommandTest, ErrorCountingReportThroughTheSaveButton) {
    // One-class mode (the ideal-object grid has 3 columns), level 20: a control row scored
    // 10.00 is listed, one scored 9.99 is not; the learning rows are listed without a test.
    form->RecLevelEdit.setText("20");
    form->FirstLErrEd.setText("0.1");
    form->FstErrInW.setText("1 of 10");
    form->SecondLErr.setText("0.20000000");
    form->SecErrInW.setText("2 of 10");
    const std::vector<std::vector<std::string>> control = {
        {"1", "4", "n1", "ACGT", "1", "10.00", "yes"},
        {"2", "4", "n2", "ACGA", "1", "9.99", "no"},
        {"3", "4", "n3", "ACGC", "New", "", ""},
    };
    form->NewSeqsList.setColCount(7);
    form->NewSeqsList.setRowCount(4);
    form->NewSeqsList.setCell(6, 0, "Result");
    for (size_t r = 0; r < control.size(); ++r)
        for (size_t c = 0; c < 7; ++c)
            form->NewSeqsList.setCell(static_cast<int32_t>(c), static_cast<int32_t>(r + 1),
                                      control[r][c]);
    form->SequencesList.setColCount(7);
    form->SequencesList.setRowCount(3);
    const std::vector<std::string> learning = {"1", "4", "p1", "TTGA", "1", "3.50", "no"};
    for (size_t c = 0; c < 7; ++c)
        form->SequencesList.setCell(static_cast<int32_t>(c), 1, learning[c]);

    dialogs.choose(folder.path("errors"));
    form->SaveRecErrBtnClick();
    const auto row = [](std::initializer_list<const char*> cells) {
        std::string text = "    <TR>\n";
        for (const char* cell : cells) text += std::string("      <TD>") + cell + "      </TD>\n";
        return text + "    </TR>\n";
    };
    const std::string heading =
        "    <TR>\n      <TD ALIGN=middle COLSPAN=5>%s      </TD\n>    </TR>\n";
    const auto section = [&](const char* name) {
        std::string text = heading;
        text.replace(text.find("%s"), 2, name);
        return text;
    };
    const std::string expected =
        "<HTML>\n<BODY>\n<H1 ALIGN=center>Recognition Error Counting Results</H1>\n"
        "<BR>Recognition Level =  20\n"
        "<HR align=left width=350 SIZE=2>\n<BR>First Level Error =  0.1\n<BR>1 of 10\n"
        "<HR align=left width=350 SIZE=2>\n<BR>Second Level Error =  0.20000000\n<BR>2 of 10\n"
        "<BR><BR> \n<TABLE BORDER>\n" +
        section("Control Data") + row({"1", "n1", "1", "10.00", "yes"}) + section("Learning Data") +
        row({"1", "p1", "1", "3.50", "no"}) + "</TABLE>\n</BODY>\n</HTML>\n";
    EXPECT_EQ(readBytes(folder.path("errors.html")), expected);
    EXPECT_TRUE(dialogs.messages.empty()) << lastMessage().text;
}

}  // namespace
}  // namespace motifora::testing
