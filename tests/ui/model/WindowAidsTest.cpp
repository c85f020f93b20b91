// The window model's reading aids: the recent-projects list (alone and through Open, Save and
// Save As), progress in percent, and a rule's Fisher value in full.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "FormFixture.h"
#include "Promoters.h"
#include "rules/Rule.h"
#include "rules/RulesStorage.h"
#include "support/TempDir.h"

namespace motifora::testing {
namespace {

TEST(RecentProjects, NewestFirstWithoutRepeatsAndBounded) {
    std::recursive_mutex mutex;
    RecentProjects recent(mutex);
    const uint64_t before = recent.changes();
    recent.add("a.dnp");
    recent.add("b.dnp");
    recent.add("a.dnp");
    EXPECT_EQ(recent.paths(), (std::vector<std::string>{"a.dnp", "b.dnp"}));
    EXPECT_GT(recent.changes(), before);
    recent.add("");
    EXPECT_EQ(recent.paths().size(), 2u);

    for (int i = 0; i < 20; ++i) recent.add("p" + std::to_string(i) + ".dnp");
    const std::vector<std::string> paths = recent.paths();
    ASSERT_EQ(paths.size(), RecentProjects::kMaximum);
    EXPECT_EQ(paths.front(), "p19.dnp");
    EXPECT_EQ(paths.back(), "p" + std::to_string(20 - RecentProjects::kMaximum) + ".dnp");

    const uint64_t listed = recent.changes();
    recent.remove("not listed.dnp");
    EXPECT_EQ(recent.changes(), listed) << "nothing removed, nothing to repaint";
    recent.remove("p19.dnp");
    EXPECT_EQ(recent.paths().front(), "p18.dnp");
    EXPECT_EQ(recent.paths().size(), RecentProjects::kMaximum - 1);
}

TEST(RecentProjects, AStoredListIsCleanedWhenRead) {
    std::recursive_mutex mutex;
    RecentProjects recent(mutex);
    std::vector<std::string> stored = {"x.dnp", "", "y.dnp", "x.dnp"};
    for (int i = 0; i < 10; ++i) stored.push_back("z" + std::to_string(i) + ".dnp");
    recent.setPaths(stored);
    const std::vector<std::string> paths = recent.paths();
    ASSERT_EQ(paths.size(), RecentProjects::kMaximum);
    EXPECT_EQ(paths[0], "x.dnp");
    EXPECT_EQ(paths[1], "y.dnp");
    EXPECT_EQ(paths[2], "z0.dnp");
}

TEST(ProgressPercent, WholePercentOfTheRange) {
    struct Case {
        int32_t minimum, maximum, position, percent;
    };
    const Case cases[] = {{0, 100, 0, 0},   {0, 100, 37, 37}, {0, 100, 100, 100}, {0, 3, 1, 33},
                          {0, 3, 2, 66},    {10, 20, 15, 50}, {0, 0, 0, 0},       {5, 5, 5, 0},
                          {-50, 50, 0, 50}, {0, 500, 499, 99}};
    std::recursive_mutex mutex;
    for (const Case& c : cases) {
        ProgressBar bar(mutex, c.minimum, c.maximum);
        bar.setPosition(c.position);
        EXPECT_EQ(bar.percent(), c.percent)
            << c.minimum << ".." << c.maximum << " at " << c.position;
    }
    ProgressBar big(mutex, 0, 2000000000);
    big.setPosition(1999999999);
    EXPECT_EQ(big.percent(), 99) << "no overflow on a wide range";
}

class WindowAidsTest : public FormFixture {
  protected:
    std::string path(const std::string& name) const { return folder.path(name); }

    void loadPositive() {
        dialogs.choose(kPositive);
        form->mmbtnAddSequenciesClick();
        ASSERT_NE(lastMessage().icon, MessageIcon::Error) << lastMessage().text;
    }

    // Runs the rule search to its reported end.
    void search() {
        form->btnStartSearchRulesClick();
        manager().joinWorker();
        form->SearchingTimerTimer();
        ASSERT_FALSE(manager().isStarted(TMainManager::Process::RuleSearch));
        ASSERT_EQ(lastMessage().text, "Процесс поиска закономерностей успешно завершен.");
    }

    test::TempDir folder{"motifora-aids"};
};

TEST_F(WindowAidsTest, SaveAsOpenAndSaveKeepTheRecentList) {
    EXPECT_TRUE(form->recentProjects.paths().empty());
    ASSERT_NO_FATAL_FAILURE(loadPositive());
    const std::string first = path("first.dnp");
    dialogs.choose(first);
    ASSERT_TRUE(form->saveProjectAs());
    EXPECT_EQ(form->recentProjects.paths(), std::vector<std::string>{first});

    // A cancelled Save As leaves the list alone; a second name goes first.
    dialogs.choose(std::nullopt);
    EXPECT_FALSE(form->saveProjectAs());
    EXPECT_EQ(form->recentProjects.paths().size(), 1u);
    const std::string second = path("second.dnp");
    dialogs.choose(second);
    ASSERT_TRUE(form->saveProjectAs());
    EXPECT_EQ(form->recentProjects.paths(), (std::vector<std::string>{second, first}));

    // Opening the first project from the list opens it and moves it to the front.
    const size_t choosers = dialogs.files.size();
    form->openRecentProject(first);
    EXPECT_EQ(form->projectName, first);
    EXPECT_EQ(form->Caption.text(), "Motifora - " + first);
    EXPECT_EQ(form->recentProjects.paths(), (std::vector<std::string>{first, second}));
    EXPECT_EQ(dialogs.files.size(), choosers) << "no chooser for a recent project";

    // Open through its chooser lists the project too.
    dialogs.choose(second);
    form->mmbtnOpenProjectClick();
    EXPECT_EQ(form->recentProjects.paths().front(), second);
}

TEST_F(WindowAidsTest, ARecentProjectThatIsGoneSaysWhyAndLeavesTheList) {
    ASSERT_NO_FATAL_FAILURE(loadPositive());
    const std::string kept = path("kept.dnp");
    dialogs.choose(kept);
    ASSERT_TRUE(form->saveProjectAs());
    const std::string gone = path("gone.dnp");
    form->recentProjects.add(gone);
    const int32_t positives = manager().learnPositiveCount();

    form->openRecentProject(gone);
    EXPECT_EQ(lastMessage().icon, MessageIcon::Error);
    EXPECT_EQ(lastMessage().caption, "Ошибка");
    EXPECT_EQ(lastMessage().text.rfind("Ошибка чтения из файла: " + gone, 0), 0u)
        << lastMessage().text;
    EXPECT_EQ(form->recentProjects.paths(), std::vector<std::string>{kept});
    EXPECT_EQ(form->projectName, kept) << "the work stays as it was";
    EXPECT_EQ(manager().learnPositiveCount(), positives);
}

TEST_F(WindowAidsTest, ARecentProjectAsksTheSaveQuestionFirst) {
    ASSERT_NO_FATAL_FAILURE(loadPositive());
    const std::string saved = path("saved.dnp");
    dialogs.choose(saved);
    ASSERT_TRUE(form->saveProjectAs());
    ASSERT_NO_FATAL_FAILURE(search());
    ASSERT_TRUE(manager().unsavedWork());
    const size_t shown = dialogs.messages.size();

    dialogs.answer(DialogAnswer::Cancel);
    form->openRecentProject(saved);
    ASSERT_EQ(dialogs.messages.size(), shown + 1);
    EXPECT_EQ(dialogs.messages.back().text, "Сохранить текущий проект?");
    EXPECT_TRUE(manager().rules() != nullptr) << "Cancel keeps the work";
    EXPECT_GT(manager().rules()->Count(), 0);

    dialogs.answer(DialogAnswer::No);
    form->openRecentProject(saved);
    EXPECT_EQ(form->projectName, saved);
    EXPECT_TRUE(manager().rules() == nullptr || manager().rules()->Count() == 0)
        << "the project saved before the search came back";
}

TEST_F(WindowAidsTest, FisherValuesInFullForEveryRuleRow) {
    EXPECT_EQ(form->fisherDetail(1), "") << "no rules yet";
    ASSERT_NO_FATAL_FAILURE(loadPositive());
    ASSERT_NO_FATAL_FAILURE(search());
    const RulesStorage& rules = *manager().rules();
    ASSERT_GT(rules.Count(), 0);
    int tiny = 0;
    for (int32_t row = 1; row <= rules.Count(); ++row) {
        const double fisher = rules.Get(row - 1)->fisher;
        const std::string detail = form->fisherDetail(row);
        ASSERT_FALSE(detail.empty()) << "row " << row;
        // The text reads back to the very value, and the grid keeps its "%f" text.
        EXPECT_EQ(std::strtod(detail.c_str(), nullptr), fisher) << detail;
        char shown[64];
        std::snprintf(shown, sizeof shown, "%f", fisher);
        EXPECT_EQ(form->RulesList.cell(1, row), shown);
        if (form->RulesList.cell(1, row) == "0.000000" && fisher > 0.0) ++tiny;
    }
    EXPECT_GT(tiny, 0) << "the example has rules whose grid text reads 0.000000";
    EXPECT_EQ(form->fisherDetail(0), "") << "the header row";
    EXPECT_EQ(form->fisherDetail(rules.Count() + 1), "");

    form->RulesListSelect(2);
    EXPECT_EQ(form->StatusBar1.panel(2), "Fisher: " + form->fisherDetail(2));
    EXPECT_EQ(form->RulesList.selectionTop(), 2);

    // A grid row that no longer shows that rule has no value to give.
    form->RulesList.setCell(2, 3, "another text");
    EXPECT_EQ(form->fisherDetail(3), "");
    const std::string before = form->StatusBar1.panel(2);
    form->RulesListSelect(3);
    EXPECT_EQ(form->StatusBar1.panel(2), before);
}

}  // namespace
}  // namespace motifora::testing
