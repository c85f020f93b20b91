// The workspace's discriminative search on a real worker (start codes, the rules it keeps,
// pause, resume and stop), what clears its rules, and their side file beside a project.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "WorkspaceTestSupport.h"
#include "io/ContrastFile.h"
#include "support/ContrastSamples.h"
#include "support/Seed.h"
#include "support/StatusAssert.h"
#include "workspace/TMainManager.h"

namespace motifora {
namespace {

using test::TempDir;

// One rule as every field of it reads, for comparisons that name what differs.
std::vector<std::string> ruleLines(const ContrastRules& rules) {
    std::vector<std::string> lines;
    for (const ContrastRule& r : rules.rules) {
        char numbers[128];
        std::snprintf(numbers, sizeof numbers, " %.17g %.17g %.17g", r.fisher, r.cp, r.r);
        lines.push_back(rules.plainText(r) + numbers);
    }
    return lines;
}

ContrastSettings smallSettings() {
    ContrastSettings s;
    s.search.finishBufferSize = 40;
    s.search.subBufferSize = 10;
    return s;
}

class ContrastWorkspaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const uint32_t seed = test::testSeed("contrast samples", 20261207);
        positives = test::contrastRecords(true, 24, 10, seed);
        negatives = test::contrastRecords(false, 24, 10, seed);
        positiveFile = folder.write("pos.seq", test::contrastSeqText(positives, 'p'));
        negativeFile = folder.write("neg.seq", test::contrastSeqText(negatives, 'n'));
    }
    void loadBoth() {
        ASSERT_TRUE(test::succeeded(m.loadLearnPositive(positiveFile)));
        ASSERT_TRUE(test::succeeded(m.loadLearnNegative(negativeFile)));
    }
    // What the engine finds on the workspace's samples, run straight.
    ContrastRules direct(const ContrastSettings& settings) const {
        return searchContrastRules(m.learnPositive(), m.learnNegative(), settings, nullptr);
    }
    // Runs the workspace's search to its end.
    void searchToTheEnd(const ContrastSettings& settings) {
        ASSERT_EQ(m.startContrastSearch(settings), ContrastStart::Started) << m.contrastError();
        m.joinWorker();
        ASSERT_FALSE(m.contrastSearchActive());
    }
    // Both samples loaded and their rules searched, for a project saved as `project`.
    void searchForTheProject() {
        loadBoth();
        searchToTheEnd(smallSettings());
    }
    // The rules the workspace found, as if they were found on one negative fewer.
    ContrastRules onOneNegativeFewer() const {
        ContrastRules other = *m.contrastRules();
        other.negatives -= 1;
        return other;
    }

    TempDir folder{"motifora-contrast-workspace"};
    const std::string project = folder / "work.dnp";
    const std::string side = ContrastSideFileName(project);  // the rules' file beside it
    std::vector<std::string> positives, negatives;
    std::string positiveFile, negativeFile;
    TMainManager m;
};

TEST_F(ContrastWorkspaceTest, IsRefusedWithoutBothLearningSamples) {
    EXPECT_EQ(m.startContrastSearch(smallSettings()), ContrastStart::Refused);
    ASSERT_TRUE(m.loadLearnPositive(positiveFile));
    EXPECT_EQ(m.startContrastSearch(smallSettings()), ContrastStart::Refused);
    EXPECT_NE(m.contrastError().find("negative"), std::string::npos) << m.contrastError();
    EXPECT_FALSE(m.workerActive());
    EXPECT_FALSE(m.isRunning());
    EXPECT_EQ(m.contrastRules(), nullptr);
}

TEST_F(ContrastWorkspaceTest, KeepsWhatTheSearchFindsAndLeavesTheWorkspaceIdle) {
    loadBoth();
    searchToTheEnd(smallSettings());
    const auto kept = m.contrastRules();
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->complete);
    const ContrastRules expected = direct(smallSettings());
    ASSERT_FALSE(expected.rules.empty());  // the planted letters must give rules
    EXPECT_EQ(ruleLines(*kept), ruleLines(expected));
    EXPECT_EQ(kept->positives, 24);
    EXPECT_EQ(kept->negatives, 24);
    EXPECT_TRUE(m.isIdle());
    EXPECT_FALSE(m.saved());  // new results to save
}

TEST_F(ContrastWorkspaceTest, APausedSearchResumesToTheSameRules) {
    loadBoth();
    m.holdNextStart();
    ASSERT_EQ(m.startContrastSearch(smallSettings()), ContrastStart::Started);
    EXPECT_TRUE(m.isRunning());
    EXPECT_TRUE(m.contrastSearchActive());
    // A second start while it lives is refused; nothing else may use the worker.
    EXPECT_EQ(m.startContrastSearch(smallSettings()), ContrastStart::NoThread);
    m.pauseContrastSearch();
    EXPECT_TRUE(m.isPaused());
    m.releaseHeldStart();  // still closed by the pause
    EXPECT_TRUE(m.contrastSearchActive());
    m.resumeContrastSearch();
    m.joinWorker();
    const auto kept = m.contrastRules();
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->complete);
    EXPECT_EQ(ruleLines(*kept), ruleLines(direct(smallSettings())));
}

TEST_F(ContrastWorkspaceTest, AStopKeepsWhatWasFoundAndAStartDropsTheEarlierRules) {
    loadBoth();
    searchToTheEnd(smallSettings());
    ASSERT_NE(m.contrastRules(), nullptr);
    m.holdNextStart();
    ASSERT_EQ(m.startContrastSearch(smallSettings()), ContrastStart::Started);
    EXPECT_EQ(m.contrastRules(), nullptr);  // the earlier rules are gone at the start
    m.stopContrastSearch();
    m.joinWorker();
    const auto kept = m.contrastRules();
    ASSERT_NE(kept, nullptr);  // stopped before its first step: no rule, but a result
    EXPECT_FALSE(kept->complete);
    EXPECT_TRUE(kept->rules.empty());
    EXPECT_FALSE(m.isRunning());
    EXPECT_TRUE(m.isIdle());
}

TEST_F(ContrastWorkspaceTest, NewNegativesAndDiscardedRulesClearTheRules) {
    loadBoth();
    searchToTheEnd(smallSettings());
    ASSERT_NE(m.contrastRules(), nullptr);
    m.discardRules();
    EXPECT_EQ(m.contrastRules(), nullptr);
    searchToTheEnd(smallSettings());
    ASSERT_TRUE(m.loadLearnNegative(negativeFile));
    EXPECT_EQ(m.contrastRules(), nullptr);
    // A refused load changes nothing.
    searchToTheEnd(smallSettings());
    EXPECT_FALSE(m.loadLearnNegative(folder.write("bad.seq", ">x;ACGTACGTACGTACGT\n")));
    EXPECT_NE(m.contrastRules(), nullptr);
}

TEST_F(ContrastWorkspaceTest, TheSideFileIsWrittenReadBackAndRemovedWithTheRules) {
    searchForTheProject();
    ASSERT_TRUE(test::succeeded(m.writeContrastSideFile(project)));
    EXPECT_EQ(test::readBytes(side), ContrastRulesText(*m.contrastRules()));

    const std::vector<std::string> before = ruleLines(*m.contrastRules());
    m.setContrastRules(nullptr);
    EXPECT_TRUE(test::succeeded(m.readContrastSideFile(project)));
    ASSERT_NE(m.contrastRules(), nullptr);
    EXPECT_EQ(ruleLines(*m.contrastRules()), before);

    // Without rules a save leaves no side file behind to be read with the project later.
    m.setContrastRules(nullptr);
    ASSERT_TRUE(test::succeeded(m.writeContrastSideFile(project)));
    EXPECT_FALSE(std::filesystem::exists(side));
    EXPECT_TRUE(test::succeeded(m.readContrastSideFile(project)));  // none: nothing to say
    EXPECT_EQ(m.contrastRules(), nullptr);
}

TEST_F(ContrastWorkspaceTest, ASideFileOfOtherSamplesOrBrokenIsRefusedWithItsReason) {
    searchForTheProject();

    // Found on one negative fewer: the counts do not fit.
    folder.write("work.dnp.contrast", ContrastRulesText(onOneNegativeFewer()));
    Status status = m.readContrastSideFile(project);
    std::string said = status.message;
    EXPECT_FALSE(status);
    EXPECT_EQ(status.file, side);
    EXPECT_NE(said.find(side), std::string::npos) << said;
    EXPECT_NE(said.find("23 negatives"), std::string::npos) << said;
    EXPECT_NE(said.find("24 negatives"), std::string::npos) << said;
    EXPECT_EQ(m.contrastRules(), nullptr);

    // The same letters in another order code other letters.
    ContrastRules letters = direct(smallSettings());
    std::string order;
    for (int32_t code = 0; code < letters.letters.size(); ++code)
        order += static_cast<char>(letters.letters.letterOf(code));
    const std::string reversed(order.rbegin(), order.rend());
    letters.letters = CCodeTable();
    for (char c : reversed) letters.letters.addLetter(static_cast<unsigned char>(c));
    folder.write("work.dnp.contrast", ContrastRulesText(letters));
    said = m.readContrastSideFile(project).message;
    EXPECT_NE(said.find("over " + reversed + ", but"), std::string::npos) << said;
    EXPECT_EQ(m.contrastRules(), nullptr);

    // A damaged line: the reader's message names the file and the line.
    std::string text = ContrastRulesText(direct(smallSettings()));
    text.insert(text.find("\nrule ") + 1, "rule x\n");
    folder.write("work.dnp.contrast", text);
    status = m.readContrastSideFile(project);
    said = status.message;
    EXPECT_NE(said.find(side + ", line 3"), std::string::npos) << said;
    EXPECT_EQ(status.file, side);
    EXPECT_EQ(status.line, 3);
    EXPECT_EQ(m.contrastRules(), nullptr);
}

TEST_F(ContrastWorkspaceTest, ASaveWithoutRulesKeepsASideFileItCouldNotUse) {
    searchForTheProject();
    std::string newer = ContrastRulesText(*m.contrastRules());
    newer.replace(newer.find(" 1\n"), 3, " 2\n");
    const struct {
        const char* what;
        std::string text;
        std::string why;
        std::string keptAs;
    } cases[] = {
        {"damaged", "motifora discriminative rules 1\nrule x\n", side + ", line 2", ".unused"},
        {"other samples", ContrastRulesText(onOneNegativeFewer()),
         "found on 24 positives, 23 negatives", ".unused-2"},
        {"newer", newer, "not a discriminative rules file", ".unused-3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        folder.write("work.dnp.contrast", c.text);
        EXPECT_FALSE(m.readContrastSideFile(project));
        ASSERT_EQ(m.contrastRules(), nullptr);
        const Status saved = m.writeContrastSideFile(project);
        EXPECT_TRUE(saved.ok) << saved.message;
        EXPECT_NE(saved.message.find(c.why), std::string::npos) << saved.message;
        EXPECT_NE(saved.message.find("it was kept as \"" + side + c.keptAs + "\""),
                  std::string::npos)
            << saved.message;
        EXPECT_FALSE(std::filesystem::exists(side));
        EXPECT_EQ(test::readBytes(side + c.keptAs), c.text);
    }
}

}  // namespace
}  // namespace motifora
