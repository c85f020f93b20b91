// The workspace's save and open: what an open takes over, byte-identical saves of what was
// opened, refused files that leave the workspace as it was, and refused saves.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "../io/ProjectStages.h"
#include "WorkspaceTestSupport.h"
#include "classify/Classificator.h"
#include "rules/RegGenerator.h"
#include "rules/RulesStorage.h"
#include "support/StatusAssert.h"
#include "support/TMainManagerTestAccess.h"

namespace motifora {
namespace {

using testing::Stage;

using test::readBytes;

// The project of `stage` as a file, with a header that differs from what the workspace keeps:
// "Inserting begin" (the opened classificator takes the header's type) and a frame width
// that is not the objects' width.
std::string stageFile(const test::TempDir& dir, Stage stage, std::string* bytes = nullptr) {
    ProjectData data = testing::buildStage(stage, 8);
    data.settings.idealizationType = IdealizationType::kInsertingBegin;
    data.settings.frameWidth = 7;
    data.settings.confidence = 0.001;
    data.settings.finishBufferSize = 33;
    data.settings.subBufferSize = 9;
    const std::string encoded = testing::encode(data);
    if (bytes) *bytes = encoded;
    return dir.write(testing::stageName(stage) + ".dnp", encoded);
}

// What the workspace saves of itself with the header it was opened with.
std::string saveAgain(TMainManager& m, const OpenedProject& opened, const std::string& path) {
    EXPECT_TRUE(test::succeeded(m.saveProject(
        path, opened.settings, opened.recognitionPresent ? &opened.recognition : nullptr)));
    return readBytes(path);
}

class ProjectStageTest : public ::testing::TestWithParam<Stage> {};

TEST_P(ProjectStageTest, OpenTakesEverythingOverAndSavesTheSameBytes) {
    const Stage stage = GetParam();
    test::TempDir dir;
    std::string original;
    const std::string file = stageFile(dir, stage, &original);

    TMainManager m;
    OpenedProject opened;
    ASSERT_TRUE(test::succeeded(m.openProject(file, opened)));

    ProjectData expected;
    ASSERT_TRUE(ReadProject(file, expected).ok);
    EXPECT_EQ(opened.settings, expected.settings);
    EXPECT_EQ(opened.recognitionPresent, expected.recognitionPresent);

    EXPECT_EQ(m.learnPositiveCount(), static_cast<int32_t>(expected.learnPositive.size()));
    EXPECT_EQ(m.learnPositiveLoaded(), !expected.learnPositive.empty());
    EXPECT_EQ(m.controlNegativeCount(), static_cast<int32_t>(expected.controlNegative.size()));
    EXPECT_EQ(m.controlNegativeLoaded(), !expected.controlNegative.empty());
    EXPECT_EQ(m.controlPositiveCount(), static_cast<int32_t>(expected.controlPositive.size()));
    EXPECT_EQ(m.controlPositiveLoaded(), !expected.controlPositive.empty());
    EXPECT_EQ(m.learnNegativeCount(), static_cast<int32_t>(expected.learnNegative.size()));
    EXPECT_EQ(m.learnNegativeLoaded(), !expected.learnNegative.empty());
    for (size_t i = 0; i < expected.learnPositive.size(); ++i) {
        EXPECT_EQ(m.learnPositive()[i].name, expected.learnPositive[i].name);
        EXPECT_EQ(m.learnPositive()[i].text, expected.learnPositive[i].text);
    }

    EXPECT_EQ(m.searchSettings().confidence, 0.001);
    EXPECT_EQ(m.searchSettings().finishBufferSize, 33);
    EXPECT_EQ(m.searchSettings().subBufferSize, 9);
    EXPECT_EQ(m.searchSettings().workMode, expected.settings.workMode);
    // Fixed positions cut the control data's windows with the objects' width; shift positions
    // with the header's frame.
    const bool objectsWidth = expected.storage && !expected.settings.shiftPositions();
    EXPECT_EQ(m.searchSettings().frameWidth, objectsWidth ? expected.storage->width : 7)
        << "windows of the control data must be cut as before saving";

    EXPECT_EQ(m.storage() != nullptr, expected.storage != nullptr);
    EXPECT_EQ(m.rules() != nullptr, expected.rules != nullptr);
    EXPECT_EQ(m.idealObjectsPresent(), expected.idealObjectsPresent);
    EXPECT_EQ(m.classCount(), expected.classCount);
    if (m.rules()) {
        for (int32_t i = 0; i < m.rules()->Count(); ++i)
            EXPECT_EQ(m.rules()->rules[static_cast<size_t>(i)]->storage, m.storage());
    }
    if (m.storage()) {
        EXPECT_EQ(m.storage()->firstPosition, expected.storage->firstPosition);
        EXPECT_EQ(m.storage()->endPosition, expected.storage->endPosition);
    }
    EXPECT_EQ(m.controlNegativeClassified(),
              m.storage() && m.storage()->controlNegativeObjectCount > 0);
    EXPECT_EQ(m.controlPositiveClassified(),
              m.storage() && m.storage()->controlPositiveObjectCount > 0);

    ASSERT_NE(m.classificator(), nullptr);
    EXPECT_EQ(m.classificator()->idealObjectCount, m.classCount());
    if (m.rules()) {
        EXPECT_EQ(m.classificator()->idealizationType, IdealizationType::kInsertingBegin)
            << "the type the header holds";
        EXPECT_EQ(m.classificator()->storage, m.storage())
            << "the classification start compares the two";
    }

    EXPECT_TRUE(m.openedFromProject());
    EXPECT_TRUE(m.saved());
    EXPECT_FALSE(m.modified());
    EXPECT_FALSE(m.isRunning());
    EXPECT_FALSE(m.unsavedWork());

    m.markModified();
    EXPECT_EQ(saveAgain(m, opened, dir.path("again.dnp")), original);
    EXPECT_TRUE(m.saved());
    EXPECT_FALSE(m.modified());
}

INSTANTIATE_TEST_SUITE_P(AllStages, ProjectStageTest, ::testing::ValuesIn(testing::allStages()),
                         [](const auto& info) { return testing::stageName(info.param); });

TEST(TMainManagerProject, ClassesFoundAfterOpeningMatchTheClassesOfTheLearningObjects) {
    // The opened classificator is a working one: classifying a learning object again with
    // "Deleting begin" (the type the stage was built with) finds its class.
    test::TempDir dir;
    ProjectData data = testing::buildStage(Stage::kAfterIdealization, 8);
    const std::string file = dir.write("p.dnp", testing::encode(data));
    TMainManager m;
    OpenedProject opened;
    ASSERT_TRUE(test::succeeded(m.openProject(file, opened)));
    for (int32_t i = 0; i < m.storage()->learnObjectCount; ++i) {
        const SEQSElem& object = m.storage()->learnObjects[i];
        EXPECT_EQ(m.classificator()->ClassifyObject(object, i + 1, ObjectSetKind::ControlNegative),
                  object.classNumber)
            << "learning object " << i + 1;
    }
}

// Damaged files: each is refused with a message naming the file, and the workspace (which
// holds an opened project) is exactly as it was: it saves the same bytes.
TEST(TMainManagerProject, RefusedFilesLeaveTheWorkspaceAsItWas) {
    test::TempDir dir;
    std::string good;
    const std::string file = stageFile(dir, Stage::kWithLearnNegative, &good);
    TMainManager m;
    OpenedProject opened;
    ASSERT_TRUE(test::succeeded(m.openProject(file, opened)));
    const std::string before = saveAgain(m, opened, dir.path("before.dnp"));
    const int32_t classes = m.classCount();

    struct Damage {
        const char* what;
        std::string bytes;
        const char* says = "";  // a part of the refusal's message
    };
    std::vector<Damage> damages;
    // Cut short within every part of the file: the header, the samples, the object table, the
    // rules, the classes, the object lists and the recognition table.
    for (size_t cut : {size_t{0}, size_t{5}, size_t{40}, good.size() / 9, good.size() / 4,
                       good.size() / 3, good.size() / 2, good.size() * 2 / 3, good.size() * 5 / 6,
                       good.size() - 12, good.size() - 1}) {
        damages.push_back({"truncated", good.substr(0, cut)});
    }
    {
        std::string absurd = good;  // the learning positive count
        const int32_t huge = 0x7fffffff;
        absurd.replace(40, 4, reinterpret_cast<const char*>(&huge), 4);
        damages.push_back({"absurd count", absurd});
    }
    // Header codes no setting has: the alignment type (offset 24) and the idealization type
    // (offset 32).
    const struct {
        const char* what;
        size_t offset;
        int32_t value;
        const char* says;
    } codes[] = {
        {"unknown alignment type", 24, 7, "the alignment type is 7 (0 or 1)"},
        {"negative alignment type", 24, -1, "the alignment type is -1 (0 or 1)"},
        {"unknown idealization type", 32, 3, "the idealization type is 3 (0, 1 or 2)"},
        {"negative idealization type", 32, -2, "the idealization type is -2 (0, 1 or 2)"},
    };
    for (const auto& code : codes) {
        std::string bytes = good;
        bytes.replace(code.offset, 4, reinterpret_cast<const char*>(&code.value), 4);
        damages.push_back({code.what, bytes, code.says});
    }
    damages.push_back({"trailing bytes", good + "x"});
    damages.push_back({"not a project", std::string("<html>not a project</html>")});

    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what + std::string(" (") + std::to_string(d.bytes.size()) + " bytes)");
        const std::string bad = dir.write("bad.dnp", d.bytes);
        OpenedProject unused;
        const Status status = m.openProject(bad, unused);
        EXPECT_FALSE(status);
        EXPECT_NE(status.message.find(bad), std::string::npos) << status.message;
        EXPECT_NE(status.message.find(d.says), std::string::npos) << status.message;
        EXPECT_EQ(status.file, bad);
        EXPECT_EQ(readBytes(bad), d.bytes) << "the refused file is left as it was";
        EXPECT_EQ(m.classCount(), classes);
        EXPECT_EQ(saveAgain(m, opened, dir.path("after.dnp")), before);
    }
    OpenedProject unused;
    const Status missing = m.openProject(dir.path("missing.dnp"), unused);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.file, dir.path("missing.dnp"));
    EXPECT_EQ(saveAgain(m, opened, dir.path("after.dnp")), before);
}

TEST(TMainManagerProject, RefusedSaveKeepsTheEarlierFileAndTheFlags) {
    test::TempDir dir;
    const std::string file = stageFile(dir, Stage::kAfterIdealization);
    TMainManager m;
    OpenedProject opened;
    ASSERT_TRUE(test::succeeded(m.openProject(file, opened)));
    const std::string target = dir.path("kept.dnp");
    const std::string earlier = saveAgain(m, opened, target);

    m.markModified();
    // Data that contradict themselves: more classes than ideal objects.
    TMainManagerTestAccess::classCount(m) += 5;
    Status status = m.saveProject(target, opened.settings, nullptr);
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find(target), std::string::npos) << status.message;
    EXPECT_EQ(readBytes(target), earlier);
    EXPECT_FALSE(m.saved());
    EXPECT_TRUE(m.modified());
    TMainManagerTestAccess::classCount(m) -= 5;

    // A folder that does not exist.
    const std::string nowhere = dir.path("no-such-folder/p.dnp");
    status = m.saveProject(nowhere, opened.settings, nullptr);
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find(nowhere), std::string::npos) << status.message;
    EXPECT_EQ(status.file, nowhere);
    EXPECT_FALSE(m.saved());
}

// Classes idealized with each type classify the learning objects after save and reopen exactly
// as they did before saving.
class ReopenedTypeTest : public ::testing::TestWithParam<IdealizationType> {};

TEST_P(ReopenedTypeTest, ClassificationAfterReopeningEqualsClassificationBefore) {
    const IdealizationType type = GetParam();
    test::TempDir dir;
    TMainManager m;
    m.setThreadCount(1);
    ASSERT_TRUE(
        m.loadLearnPositive(dir.write("p.seq", test::seqText(test::patternedRecords(40, 10, 11)))));
    ASSERT_NO_FATAL_FAILURE(test::searchToTheEnd(m, {0.05, 0.8, 80, 20, WorkMode::kFixed, 0}));
    ASSERT_NO_FATAL_FAILURE(test::idealizeToTheEnd(m, type));
    ASSERT_GT(m.classCount(), 1);

    const auto classifyAll = [](TMainManager& w) {
        std::vector<int32_t> classes;
        for (int32_t i = 0; i < w.storage()->learnObjectCount; ++i)
            classes.push_back(w.classificator()->ClassifyObject(w.storage()->learnObjects[i], i + 1,
                                                                ObjectSetKind::ControlNegative));
        return classes;
    };
    const std::vector<int32_t> before = classifyAll(m);
    const ProjectSettings settings{{0.05, 0.8, 80, 20, WorkMode::kFixed, 10}, type, 0};
    const std::string file = dir.path("p.dnp");
    ASSERT_TRUE(test::succeeded(m.saveProject(file, settings, nullptr)));

    TMainManager reopened;
    OpenedProject opened;
    ASSERT_TRUE(test::succeeded(reopened.openProject(file, opened)));
    EXPECT_EQ(reopened.classificator()->idealizationType, type);
    EXPECT_EQ(classifyAll(reopened), before);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, ReopenedTypeTest, ::testing::ValuesIn(kIdealizationTypes));

TEST(TMainManagerProject, SaveIsRefusedWhileAProcessIsLive) {
    test::TempDir dir;
    const std::string samples =
        dir.write("p.seq", test::seqText(test::patternedRecords(40, 12, 7)));
    TMainManager m;
    ASSERT_TRUE(test::succeeded(m.loadLearnPositive(samples)));
    // Held at its first gate, the search holds its half-built rule store.
    m.holdNextStart();
    ASSERT_EQ(m.startRuleSearch({0.05, 0.8, 50, 10, WorkMode::kFixed, 0}),
              RuleSearchStart::Started);
    ASSERT_TRUE(m.isRunning());
    const ProjectSettings settings{
        0.05, 0.8, 50, 10, WorkMode::kFixed, 12, IdealizationType::kDeletingBegin, 0};
    const std::string target = dir.path("p.dnp");
    const Status refused = m.saveProject(target, settings, nullptr);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.message.find("a process is running"), std::string::npos);
    EXPECT_EQ(refused.file, target);
    EXPECT_FALSE(std::filesystem::exists(target));

    m.stopRuleSearch();
    // Stopped, the worker may still be finishing: the save waits for it.
    EXPECT_TRUE(test::succeeded(m.saveProject(target, settings, nullptr)));
    ProjectData read;
    ASSERT_TRUE(ReadProject(target, read).ok);
    ASSERT_NE(read.storage, nullptr);
    EXPECT_EQ(read.storage->learnObjectCount, 40);
    ASSERT_NE(read.rules, nullptr);
    EXPECT_EQ(read.rules->Count(), m.rules()->Count());
}

}  // namespace
}  // namespace motifora
