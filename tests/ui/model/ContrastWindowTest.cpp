// The Rules page in "samples": the mode choice beside the letters grid, the discriminative
// search started, paused, resumed and stopped by the page's buttons, its grid, the side file
// through the window's save and open, and the heat map's model.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "FormFixture.h"
#include "core/FileManager.h"
#include "evaluation/Background.h"
#include "io/ContrastFile.h"
#include "rules/RegGenerator.h"
#include "support/ContrastSamples.h"
#include "support/Seed.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

namespace fs = std::filesystem;
using test::readBytes;

const char* const kSearchEnded = "Процесс поиска закономерностей успешно завершен.";

class ContrastWindowTest : public FormFixture {
  protected:
    void SetUp() override {
        FormFixture::SetUp();
        const uint32_t seed = test::testSeed("contrast samples", 20261207);
        positiveFile = folder.write(
            "pos.seq", test::contrastSeqText(test::contrastRecords(true, 24, 10, seed), 'p'));
        negativeFile = folder.write(
            "neg.seq", test::contrastSeqText(test::contrastRecords(false, 24, 10, seed), 'n'));
        form->FinishStorSizeEdit.setText("40");
        form->SubBuffersSizeEdit.setText("10");
    }
    void loadSamples(bool withNegatives = true) {
        dialogs.choose(positiveFile);
        form->mmbtnAddSequenciesClick();
        if (withNegatives) {
            dialogs.choose(negativeFile);
            form->mmbtnAddNegativeSequenciesClick();
            ASSERT_TRUE(manager().learnNegativeLoaded()) << lastMessage().text;
        }
        dialogs.texts(true);
    }
    // The search of the page's settings run straight on the workspace's samples.
    ContrastRules direct() {
        const ContrastSettings s{.search = {.confidence = 0.05,
                                            .cpThreshold = 0.8,
                                            .finishBufferSize = 40,
                                            .subBufferSize = 10},
                                 .threads = manager().generator().threadCount};
        return searchContrastRules(manager().learnPositive(), manager().learnNegative(), s,
                                   nullptr);
    }
    // "samples", start, and the tick that reports the end.
    void searchSamples() {
        form->RegularitiesGroupClick(1);
        form->btnStartSearchRulesClick();
        const std::vector<std::string> shown = tickToEnd();
        ASSERT_EQ(shown.size(), 1u);
        ASSERT_NE(shown[0].find("The discriminative search is finished"), std::string::npos)
            << shown[0];
        dialogs.texts(true);
    }

    test::TempDir folder{"motifora-contrast-window"};
    std::string positiveFile, negativeFile;
};

TEST_F(ContrastWindowTest, TheGridShowsTheRulesTheSearchFinds) {
    loadSamples();
    searchSamples();
    const ContrastRules expected = direct();
    ASSERT_FALSE(expected.rules.empty());
    const Grid& grid = form->ContrastRulesList;
    EXPECT_EQ(grid.row(0), contrastGridHeaders());
    ASSERT_EQ(grid.rowCount(), static_cast<int32_t>(expected.rules.size()) + 1);
    for (size_t i = 0; i < expected.rules.size(); ++i) {
        const ContrastRule& r = expected.rules[i];
        const int32_t row = static_cast<int32_t>(i) + 1;
        SCOPED_TRACE(expected.plainText(r));
        EXPECT_EQ(grid.cell(0, row), std::to_string(row));
        EXPECT_NEAR(std::stod(grid.cell(1, row)), r.fisher, r.fisher * 1e-3);
        EXPECT_EQ(grid.cell(2, row), expected.conditionsText(r));
        EXPECT_NEAR(std::stod(grid.cell(3, row)), r.cp, 1e-6);
        EXPECT_EQ(grid.cell(4, row), std::to_string(r.positivesHolding) + " of 24");
        EXPECT_EQ(grid.cell(5, row), std::to_string(r.negativesHolding) + " of 24");
    }
    // The rule texts say which sample each rule predicts.
    EXPECT_NE(
        grid.cell(2, 1).find(expected.rules[0].predictsPositive() ? "=> positive" : "=> negative"),
        std::string::npos);
    // The heat map follows, and its button is offered once there are rules.
    EXPECT_TRUE(form->btnContrastMap.enabled());
    EXPECT_TRUE(form->ContrastMap.map().shown);
    EXPECT_FALSE(form->ContrastMap.visible());
    form->btnContrastMapClick();
    EXPECT_TRUE(form->ContrastMap.visible());
}

TEST_F(ContrastWindowTest, TheModeSwitchesGridsAndKeepsTheLettersGrid) {
    loadSamples();
    EXPECT_EQ(form->RegularitiesGroup.itemIndex(), 0);  // letters, the default
    EXPECT_TRUE(form->RulesList.visible());
    EXPECT_FALSE(form->ContrastRulesList.visible());
    form->btnStartSearchRulesClick();
    ASSERT_EQ(tickToEnd(), std::vector<std::string>{kSearchEnded});
    const auto letters = gridTexts(form->RulesList);
    ASSERT_GT(letters.size(), 1u);

    searchSamples();
    EXPECT_FALSE(form->RulesList.visible());
    EXPECT_TRUE(form->ContrastRulesList.visible());
    EXPECT_EQ(form->LowerGridLabel.text(), "Discriminative Rules");
    EXPECT_EQ(manager().regularityTarget(), TMainManager::RegularityTarget::Samples);
    EXPECT_EQ(gridTexts(form->RulesList), letters);  // the other search left it alone

    // Other pages show neither; coming back shows the grid of the mode.
    form->setActivePage(Page::Objects);
    EXPECT_FALSE(form->RulesList.visible());
    EXPECT_FALSE(form->ContrastRulesList.visible());
    form->setActivePage(Page::Rules);
    EXPECT_TRUE(form->ContrastRulesList.visible());

    form->RegularitiesGroupClick(0);
    EXPECT_TRUE(form->RulesList.visible());
    EXPECT_FALSE(form->ContrastRulesList.visible());
    EXPECT_EQ(form->LowerGridLabel.text(), "Rules");
    EXPECT_EQ(gridTexts(form->RulesList), letters);
    EXPECT_EQ(manager().regularityTarget(), TMainManager::RegularityTarget::Letters);
    // The letters search's buttons still act on the letters search.
    EXPECT_TRUE(manager().rules() != nullptr);
}

TEST_F(ContrastWindowTest, StartPauseResumeAndStopThroughThePage) {
    loadSamples();
    form->RegularitiesGroupClick(1);
    const bool bootstrapBefore = form->btnStartBootstrap.enabled();
    manager().holdNextStart();
    form->btnStartSearchRulesClick();
    ASSERT_TRUE(dialogs.messages.empty()) << lastMessage().text;
    EXPECT_TRUE(manager().isRunning());
    EXPECT_TRUE(manager().contrastSearchActive());
    EXPECT_EQ(form->StatusBar1.panel(1), "Discriminative search in progress ...");
    EXPECT_TRUE(form->btnStopSearchRules.enabled());
    EXPECT_FALSE(form->btnStartIdealization.enabled());
    EXPECT_FALSE(form->RegularitiesGroup.enabled());
    EXPECT_FALSE(form->btnContrastMap.enabled());

    // The mode cannot change under a live search.
    form->RegularitiesGroupClick(0);
    EXPECT_EQ(form->RegularitiesGroup.itemIndex(), 1);
    EXPECT_EQ(dialogs.texts(true).size(), 1u);

    form->btnPauseSearchRulesClick();
    EXPECT_TRUE(manager().isPaused());
    EXPECT_EQ(form->StatusBar1.panel(1), "The discriminative search is paused.");
    manager().releaseHeldStart();  // the pause still holds it
    form->SearchingTimerTimer();
    EXPECT_TRUE(manager().contrastSearchActive());
    form->btnStartSearchRulesClick();  // resumes
    EXPECT_FALSE(manager().isPaused());
    EXPECT_EQ(form->StatusBar1.panel(1), "Discriminative search in progress ...");
    form->btnStopSearchRulesClick();
    const std::vector<std::string> shown = tickToEnd();
    ASSERT_EQ(shown.size(), 1u);
    // Stopped anywhere from its first step to its last: either way the rules found are kept.
    const auto kept = manager().contrastRules();
    ASSERT_NE(kept, nullptr);
    EXPECT_NE(shown[0].find(kept->complete ? "is finished" : "rules found so far are kept"),
              std::string::npos)
        << shown[0];
    EXPECT_EQ(form->ContrastRulesList.rowCount(),
              static_cast<int32_t>(std::max<size_t>(kept->rules.size(), 1)) + 1);
    // The commands are as they were before the start.
    EXPECT_TRUE(form->RegularitiesGroup.enabled());
    EXPECT_EQ(form->btnStartBootstrap.enabled(), bootstrapBefore);
    EXPECT_TRUE(form->btnStartSearchRules.enabled());
    EXPECT_EQ(form->StatusBar1.panel(1), "");
    EXPECT_TRUE(manager().isIdle());
}

TEST_F(ContrastWindowTest, ANewProjectDuringASearchEndsItAndFreesTheCommands) {
    loadSamples();
    form->RegularitiesGroupClick(1);
    manager().holdNextStart();
    form->btnStartSearchRulesClick();
    ASSERT_TRUE(manager().isRunning());
    ASSERT_FALSE(form->RegularitiesGroup.enabled());
    dialogs.answer(DialogAnswer::No);  // the save question: no
    form->mmbtnNewProjectClick();
    EXPECT_FALSE(manager().isRunning());
    EXPECT_EQ(manager().contrastRules(), nullptr);
    EXPECT_TRUE(form->RegularitiesGroup.enabled());
    EXPECT_EQ(form->RegularitiesGroup.itemIndex(), 1);  // the choice stays with the window
    EXPECT_EQ(manager().regularityTarget(), TMainManager::RegularityTarget::Samples);
    EXPECT_FALSE(form->btnContrastMap.enabled());
    EXPECT_FALSE(form->btnStartIdealization.enabled());
    dialogs.texts(true);
    form->SearchingTimerTimer();  // nothing of the old search is reported
    EXPECT_TRUE(dialogs.messages.empty()) << lastMessage().text;
    EXPECT_TRUE(form->ContrastRulesList.visible());
}

TEST_F(ContrastWindowTest, RefusalsSayWhyAndUseTheLettersSearchChecks) {
    form->RegularitiesGroupClick(1);
    form->btnStartSearchRulesClick();  // nothing loaded: the page's own message
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(lastMessage().text,
              "Для поиска закономерностей необходимо закгрузать хотя бы одну "
              "последовательность.");
    loadSamples(false);
    form->btnStartSearchRulesClick();
    EXPECT_NE(lastMessage().text.find("load both samples"), std::string::npos)
        << lastMessage().text;
    EXPECT_FALSE(manager().isRunning());

    loadSamples();
    // Each bad setting gives the message (text and icon) the letters search gives for it.
    struct Case {
        Edit* edit;
        const char* text;
    };
    for (const Case c :
         {Case{&form->ConfIntEdit, "1.5"}, Case{&form->ConfIntEdit, "abc"},
          Case{&form->CPEdit, "-0.1"}, Case{&form->FinishStorSizeEdit, "1"},
          Case{&form->SubBuffersSizeEdit, "0"}, Case{&form->SubBuffersSizeEdit, "x"}}) {
        SCOPED_TRACE(c.text);
        const std::string kept = c.edit->text();
        c.edit->setText(c.text);
        form->RegularitiesGroupClick(0);
        form->btnStartSearchRulesClick();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        const MessageRequest letters = lastMessage();
        dialogs.texts(true);
        form->RegularitiesGroupClick(1);
        form->btnStartSearchRulesClick();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(lastMessage().text, letters.text);
        EXPECT_EQ(lastMessage().icon, letters.icon);
        EXPECT_FALSE(manager().isRunning());
        dialogs.texts(true);
        c.edit->setText(kept);
        form->numberFormat.setSeparator('.');
    }
    form->chooseAlignment(true);
    form->btnStartSearchRulesClick();
    EXPECT_NE(lastMessage().text.find("Fixed positions"), std::string::npos);
    EXPECT_FALSE(manager().isRunning());
}

TEST_F(ContrastWindowTest, SaveWritesTheSideFileAndOpenReadsItBack) {
    loadSamples();
    searchSamples();
    const auto grid = gridTexts(form->ContrastRulesList);
    const std::string project = folder / "work.dnp";
    const std::string side = ContrastSideFileName(project);
    dialogs.choose(project);
    form->mmbtnSaveProjectAsClick();
    ASSERT_TRUE(dialogs.messages.empty()) << lastMessage().text;
    EXPECT_EQ(readBytes(side), ContrastRulesText(*manager().contrastRules()));

    // The project's bytes are those of the same work without discriminative rules.
    const std::string withRules = readBytes(project);
    manager().setContrastRules(nullptr);
    const std::string plain = folder / "plain.dnp";
    dialogs.choose(plain);
    form->mmbtnSaveProjectAsClick();
    EXPECT_EQ(readBytes(plain), withRules);
    EXPECT_FALSE(fs::exists(ContrastSideFileName(plain)));

    ScriptedDialogs otherDialogs;
    TMainForm other(otherDialogs, [] { return 1000.0; });
    otherDialogs.choose(project);
    other.mmbtnOpenProjectClick();
    ASSERT_TRUE(otherDialogs.messages.empty()) << otherDialogs.messages.front().text;
    ASSERT_NE(other.manager().contrastRules(), nullptr);
    EXPECT_EQ(gridTexts(other.ContrastRulesList), grid);
    EXPECT_EQ(other.RegularitiesGroup.itemIndex(), 0);  // opened in the default mode
    EXPECT_TRUE(other.btnContrastMap.enabled());

    // Saved again without rules, the stale side file goes with them.
    other.manager().setContrastRules(nullptr);
    other.refillContrastRules();
    other.mmbtnSaveProjectClick();
    ASSERT_TRUE(otherDialogs.messages.empty()) << otherDialogs.messages.front().text;
    EXPECT_FALSE(fs::exists(side));
    EXPECT_EQ(readBytes(project), withRules);
    EXPECT_EQ(other.ContrastRulesList.rowCount(), 2);
    EXPECT_FALSE(other.btnContrastMap.enabled());
}

TEST_F(ContrastWindowTest, ABrokenSideFileIsNamedAndTheProjectStillOpens) {
    loadSamples();
    searchSamples();
    const std::string project = folder / "work.dnp";
    dialogs.choose(project);
    form->mmbtnSaveProjectAsClick();
    ASSERT_TRUE(dialogs.messages.empty()) << lastMessage().text;
    const std::string side = ContrastSideFileName(project);
    std::string text = readBytes(side);
    text.replace(text.find("positives "), 9, "positivez");
    folder.write("work.dnp.contrast", text);

    ScriptedDialogs otherDialogs;
    TMainForm other(otherDialogs, [] { return 1000.0; });
    otherDialogs.choose(project);
    other.mmbtnOpenProjectClick();
    ASSERT_EQ(otherDialogs.messages.size(), 1u);
    const MessageRequest said = otherDialogs.messages.front();
    EXPECT_NE(said.text.find(side + ", line 2"), std::string::npos) << said.text;
    EXPECT_NE(said.text.find("The project itself has been opened"), std::string::npos);
    EXPECT_EQ(said.icon, MessageIcon::Warning);  // not a refusal of the project
    EXPECT_EQ(other.Caption.text(), "Motifora - " + project);
    EXPECT_EQ(other.manager().learnNegativeCount(), 24);
    EXPECT_EQ(other.manager().contrastRules(), nullptr);
    EXPECT_EQ(other.ContrastRulesList.rowCount(), 2);
    EXPECT_EQ(other.ContrastRulesList.cell(2, 1), "");
}

// A list of two hand-made rules over ACGT and six positions.
ContrastRules handMadeRules() {
    ContrastRules rules;
    for (char c : std::string("ACGT")) rules.letters.addLetter(static_cast<unsigned char>(c));
    rules.width = 6;
    rules.positives = 10;
    rules.negatives = 12;
    ContrastRule forPositive;
    forPositive.conditions = {{2, 1, 3, true}, {4, -1, 2, true}};  // T at 3, not G at 5
    forPositive.cp = forPositive.r = 0.9;
    forPositive.fisher = 1e-4;
    ContrastRule forNegative;
    forNegative.conditions = {{0, 1, 0, true}};  // A at 1
    forNegative.cp = 0.75;
    forNegative.r = -0.75;
    forNegative.fisher = 2e-3;
    rules.rules = {forPositive, forNegative};
    return rules;
}

TEST(ContrastHeatMapTest, CellsCarryTheContributionsTheirColoursAndTips) {
    const ContrastRules rules = handMadeRules();
    const NumberFormat numbers(',');
    const HeatMap map = buildContrastHeatMap(rules, numbers);
    const auto values = contrastHeatMap(rules);
    ASSERT_TRUE(map.shown);
    EXPECT_EQ(map.letters, (std::vector<std::string>{"A", "C", "G", "T"}));
    ASSERT_EQ(map.positions.size(), 6u);
    EXPECT_EQ(map.positions.front(), "1");
    ASSERT_EQ(map.cells.size(), 4u);
    double extent = 0.0;
    for (size_t l = 0; l < 4; ++l) {
        ASSERT_EQ(map.cells[l].size(), 6u);
        for (size_t p = 0; p < 6; ++p) {
            EXPECT_EQ(map.cells[l][p].value, values[p][l]);
            extent = std::max(extent, std::fabs(values[p][l]));
        }
    }
    EXPECT_EQ(map.extent, extent);
    // T at 3 speaks for a positive, A at 1 for a negative, "not G at 5" against a positive.
    const HeatMapCell& t3 = map.cells[3][2];
    const HeatMapCell& a1 = map.cells[0][0];
    const HeatMapCell& g5 = map.cells[2][4];
    EXPECT_GT(t3.value, 0.0);
    EXPECT_LT(a1.value, 0.0);
    EXPECT_LT(g5.value, 0.0);
    EXPECT_EQ(t3.text, "+" + numbers.fixed(t3.value, 2));
    EXPECT_EQ(a1.text, numbers.fixed(a1.value, 2));
    EXPECT_EQ(t3.tip, "T at 3: " + t3.text + ", speaks for a positive");
    EXPECT_EQ(a1.tip, "A at 1: " + a1.text + ", speaks for a negative");
    EXPECT_EQ(map.cells[1][5].tip, "C at 6: " + numbers.fixed(0.0, 2) + ", no rule weighs it");
    // The strongest cell takes the end colour of its side; a cell no rule weighs stays white.
    const HeatMapCell& strongest = std::fabs(a1.value) >= t3.value ? a1 : t3;
    EXPECT_EQ(strongest.colour, strongest.value > 0 ? 0xb2182bu : 0x2166acu);
    EXPECT_EQ(strongest.textColour, 0xffffffu);
    EXPECT_EQ(map.cells[1][5].colour, 0xffffffu);
    EXPECT_EQ(map.cells[1][5].textColour, 0x000000u);
    // The legend runs from -extent (blue) through white to +extent (red).
    ASSERT_EQ(map.legend.size(), 5u);
    EXPECT_EQ(map.legend.front().colour, 0x2166acu);
    EXPECT_EQ(map.legend[2].colour, 0xffffffu);
    EXPECT_EQ(map.legend.back().colour, 0xb2182bu);
    EXPECT_EQ(map.legend.back().text, "+" + numbers.fixed(extent, 2));
    EXPECT_NE(map.title.find("2 discriminative rules (1 predicting a positive)"), std::string::npos)
        << map.title;
}

TEST(ContrastHeatMapTest, ColoursBlendTowardsTheEndsAndHoldBeyondThem) {
    EXPECT_EQ(heatColour(0.0, 1.0), 0xffffffu);
    EXPECT_EQ(heatColour(1.0, 0.0), 0xffffffu);  // no extent: nothing to scale
    EXPECT_EQ(heatColour(std::nan(""), 1.0), 0xffffffu);
    EXPECT_EQ(heatColour(5.0, 1.0), heatColour(1.0, 1.0));
    EXPECT_EQ(heatColour(-5.0, 1.0), heatColour(-1.0, 1.0));
    // Half way: each channel half way between white and the end (0xb2 -> 0xd9, 0x18 -> 0x8c).
    EXPECT_EQ(heatColour(0.5, 1.0), 0xd98c95u);
    EXPECT_EQ(heatColour(-0.5, 1.0), 0x90b3d6u);
    EXPECT_EQ(heatTextColour(0xffffff), 0x000000u);
    EXPECT_EQ(heatTextColour(0x2166ac), 0xffffffu);
}

TEST(ContrastHeatMapTest, NoRulesGiveAMapThatIsNotShown) {
    ContrastRules rules = handMadeRules();
    rules.rules.clear();
    const HeatMap map = buildContrastHeatMap(rules, NumberFormat('.'));
    EXPECT_FALSE(map.shown);
    EXPECT_EQ(map.extent, 0.0);
    for (const auto& row : map.cells)
        for (const HeatMapCell& cell : row) EXPECT_EQ(cell.colour, 0xffffffu);
}

TEST(ContrastGridTest, RowsWriteEveryRuleWithItsCounts) {
    ContrastRules rules = handMadeRules();
    rules.rules[0].positivesHolding = 9;
    rules.rules[0].negativesHolding = 1;
    const auto rows = contrastGridRows(rules);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"1", "1.000e-04", rules.conditionsText(rules.rules[0]),
                                        "0.900000", "9 of 10", "1 of 12"}));
    EXPECT_EQ(rows[1][2], "1=A => negative");
    EXPECT_EQ(rows[1][1], "2.000e-03");
}

// "Generate negatives..." on the Rules page: the made sample is written where the save dialog
// says and loaded from there as the learning negative sample.
TEST_F(ContrastWindowTest, GeneratedNegativesAreWrittenAndLoaded) {
    TMainForm::NegativesRequest request;
    request.count = 30;
    request.k = 2;
    request.seed = 5;
    EXPECT_FALSE(form->generateNegatives(request));
    EXPECT_EQ(lastMessage().text, "First load postive sampling.");

    loadSamples(false);
    // A cancelled save dialog makes nothing and loads nothing.
    EXPECT_FALSE(form->generateNegatives(request));
    EXPECT_FALSE(manager().learnNegativeLoaded());
    ASSERT_FALSE(dialogs.files.empty());
    EXPECT_TRUE(dialogs.files.back().save);
    EXPECT_EQ(dialogs.files.back().request.dialog, "GenerateNegDlg");

    const std::string made = folder.path("made.seq");
    dialogs.choose(made);
    ASSERT_TRUE(form->generateNegatives(request)) << lastMessage().text;
    EXPECT_EQ(manager().learnNegativeCount(), 30);
    EXPECT_EQ(form->samplePaths.learnNegative, made);
    std::vector<Sequence> written;
    ASSERT_TRUE(readSeqFile(made, written).ok);
    ASSERT_EQ(written.size(), 30u);
    const std::vector<Sequence> expected = shuffledNegatives(manager().learnPositive(), 30, 2, 5);
    for (size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(written[i].text, expected[i].text);
        EXPECT_EQ(manager().learnNegative()[i].text, expected[i].text);
    }

    // Refusals say why.
    request.count = 0;
    EXPECT_FALSE(form->generateNegatives(request));
    EXPECT_EQ(lastMessage().text, "The number of negatives to generate must be at least 1.");
    request.count = 5;
    request.source = TMainForm::NegativesRequest::Source::Genome;
    request.genomePath = folder.path("missing.fa");
    EXPECT_FALSE(form->generateNegatives(request));
    EXPECT_NE(lastMessage().text.find("The genome cannot be read: "), std::string::npos);
    EXPECT_EQ(manager().learnNegativeCount(), 30);
}

}  // namespace
}  // namespace motifora::testing
