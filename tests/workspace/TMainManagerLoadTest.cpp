// Tests of the workspace's sample loads, their checks and what a failure leaves, the sample
// accessors and the unsaved-work test.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "WorkspaceTestSupport.h"
#include "support/Records.h"
#include "support/StatusAssert.h"
#include "support/TMainManagerTestAccess.h"
#include "workspace/TMainManager.h"

namespace motifora {
namespace {

using test::seqText;
using test::TempDir;

TEST(TMainManagerTest, NewManagerDefaults) {
    TMainManager m;
    EXPECT_EQ(m.classificator(), nullptr);
    EXPECT_EQ(m.rules(), nullptr);
    EXPECT_EQ(m.storage(), nullptr);
    EXPECT_EQ(m.classCount(), 0);
    EXPECT_EQ(m.lastRecognitionClass(), -1);
    EXPECT_EQ(m.recognitionClass(), 0);
    EXPECT_EQ(m.learnPositiveCount() + m.learnNegativeCount() + m.controlNegativeCount() +
                  m.controlPositiveCount(),
              0);
    EXPECT_TRUE(m.saved());
    EXPECT_TRUE(m.modified());
    EXPECT_TRUE(m.resetIdealObjects());
    EXPECT_EQ(m.processState(), TMainManager::ProcessState{});
    for (bool flag :
         {m.isStarted(TMainManager::Process::RuleSearch),
          m.isStarted(TMainManager::Process::Idealization),
          m.isStarted(TMainManager::Process::Classification), m.isRunning(), m.hasEnded(),
          m.isPaused(), m.learnPositiveLoaded(), m.learnNegativeLoaded(), m.controlNegativeLoaded(),
          m.controlPositiveLoaded(), m.longControl(), m.controlNegativeClassified(),
          m.controlPositiveClassified(), m.openedFromProject(), m.recognitionStale()})
        EXPECT_FALSE(flag);
    EXPECT_FALSE(m.workerActive());
}

class LoadTest : public ::testing::Test {
  protected:
    // Loads positives and searches them in fixed positions: whole-sequence objects.
    void loadPositivesAndBuild(const std::vector<std::string>& letters) {
        ASSERT_TRUE(test::succeeded(m.loadLearnPositive(dir.write("pos.seq", seqText(letters)))));
        ASSERT_NO_FATAL_FAILURE(test::searchToTheEnd(m, {0.05, 0.8, 500, 50, WorkMode::kFixed, 0}));
        ASSERT_EQ(m.storage()->width, 4);
    }
    // Loads one positive, ACGTACGT, and searches it in shift positions: its 3-letter windows.
    void loadPositiveInShiftMode() {
        ASSERT_TRUE(m.loadLearnPositive(dir.write("p.seq", seqText({"ACGTACGT"}))));
        ASSERT_NO_FATAL_FAILURE(test::searchToTheEnd(m, {0.05, 0.8, 500, 50, WorkMode::kShift, 3}));
        ASSERT_EQ(m.storage()->learnObjectCount, 6);
    }

    TempDir dir;
    TMainManager m;
};

TEST_F(LoadTest, LearnPositiveFillsSampleAndFlags) {
    TMainManagerTestAccess::stage(m, TMainManager::Process::RuleSearch,
                                  TMainManager::Phase::Running);
    const std::string path = dir.write("a.seq", ">one;ACGT\n>two;\nAC GT\r\nTT\n");
    ASSERT_TRUE(test::succeeded(m.loadLearnPositive(path)));
    EXPECT_EQ(m.learnPositiveCount(), 2);
    EXPECT_TRUE(m.learnPositiveLoaded());
    EXPECT_FALSE(m.isRunning());
    EXPECT_STREQ(m.sequenceText(SampleKind::LearnPositive, 0), "ACGT");
    EXPECT_STREQ(m.sequenceText(SampleKind::LearnPositive, 1), "ACGTTT");
    EXPECT_STREQ(m.sequenceName(SampleKind::LearnPositive, 1), "two");
    EXPECT_EQ(m.learnPositive()[1].startPosition, 1);
    EXPECT_EQ(m.learnPositive()[1].length, 6);
}

TEST_F(LoadTest, AccessorsAnswerNullOutsideTheSamples) {
    ASSERT_TRUE(m.loadLearnPositive(dir.write("a.seq", seqText({"AC", "GT"}))));
    struct Case {
        int32_t kind, index;
        bool present;
    };
    const Case cases[] = {{0, 0, true},   {0, 1, true},  {0, 2, false},
                          {0, -1, false}, {1, 0, false}, {2, 0, false},
                          {3, 0, false},  {4, 0, false}, {-1, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " index " << c.index);
        EXPECT_EQ(m.sequenceText(static_cast<SampleKind>(c.kind), c.index) != nullptr, c.present);
        EXPECT_EQ(m.sequenceName(static_cast<SampleKind>(c.kind), c.index) != nullptr, c.present);
    }
    EXPECT_STREQ(m.sequenceName(SampleKind::LearnPositive, 0), "s1");
}

TEST_F(LoadTest, FileWithoutRecordsIsRefusedForEverySample) {
    const std::string empty = dir.write("empty.seq", std::string(16, '\0'));
    const auto expectRefused = [&](const Status& status) {
        EXPECT_FALSE(status);
        EXPECT_NE(status.message.find("holds no records"), std::string::npos) << status.message;
        EXPECT_EQ(status.file, empty);
    };
    expectRefused(m.loadLearnPositive(empty));
    EXPECT_FALSE(m.learnPositiveLoaded());
    ASSERT_TRUE(m.loadLearnPositive(dir.write("good.seq", seqText({"ACGT", "ACGA"}))));
    expectRefused(m.loadLearnNegative(empty));
    expectRefused(m.loadControlNegative(empty));
    expectRefused(m.loadControlPositive(empty));
}

TEST_F(LoadTest, ReaderWarningsReachTheCaller) {
    const std::string longName(1500, 'n');
    const std::string path =
        dir.write("long.seq", "header line\n>" + longName + ";ACGT\n>b;" + std::string(2000, 'A'));
    ASSERT_TRUE(test::succeeded(m.loadLearnPositive(path)));
    const std::vector<std::string>& warnings = m.lastLoadWarnings();
    ASSERT_EQ(warnings.size(), 3u);
    for (const std::string& w : warnings) EXPECT_EQ(w.rfind("\"" + path + "\", ", 0), 0u) << w;
    EXPECT_NE(warnings[0].find("name was cut"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[1].find("letters were cut"), std::string::npos) << warnings[1];
    EXPECT_NE(warnings[2].find("before the first"), std::string::npos) << warnings[2];
    // A clean file leaves none behind.
    ASSERT_TRUE(m.loadLearnPositive(dir.write("good.seq", seqText({"ACGT"}))));
    EXPECT_TRUE(m.lastLoadWarnings().empty());
}

TEST_F(LoadTest, CapitalExtensionIsRead) {
    ASSERT_TRUE(m.loadLearnPositive(dir.write("A.SEQ", seqText({"ACGT"}))));
    EXPECT_EQ(m.learnPositiveCount(), 1);
}

TEST_F(LoadTest, LearnPositiveFailuresKeepTheSampleAndSayWhy) {
    ASSERT_TRUE(m.loadLearnPositive(dir.write("good.seq", seqText({"ACGT", "ACGA"}))));
    struct Case {
        const char* file;
        const char* content;  // null: the file does not exist
    };
    const Case cases[] = {
        {"missing.seq", nullptr},
        {"emptyname.seq", ">;ACGT\n"},
        {"emptyseq.seq", ">a;ACGT\n>b;\n>c;AC\n"},
        {"endsaftername.seq", ">a;ACGT\n>b;\n"},
        {"cyrillic.seq", ">\xd0\xb8\xd0\xbc\xd1\x8f;ACGT\n"},
        {"wrongext.txt", ">a;ACGT\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = c.content ? dir.write(c.file, c.content) : dir.path(c.file);
        const Status status = m.loadLearnPositive(path);
        EXPECT_FALSE(status);
        // Read into a new array and refused: the loaded sample is still there.
        EXPECT_EQ(m.learnPositiveCount(), 2);
        EXPECT_EQ(m.learnPositive().size(), 2u);
        EXPECT_NE(status.message.find(c.file), std::string::npos) << status.message;
        EXPECT_EQ(status.file, path);
        EXPECT_STREQ(m.sequenceText(SampleKind::LearnPositive, 1), "ACGA");
    }
    EXPECT_TRUE(m.learnPositiveLoaded());
}

TEST_F(LoadTest, FailedFirstLoadLeavesFlagClear) {
    EXPECT_FALSE(m.loadLearnPositive(dir.write("bad.seq", ">;A\n")));
    EXPECT_FALSE(m.learnPositiveLoaded());
}

TEST_F(LoadTest, LearnNegativeAcceptsFittingRecords) {
    ASSERT_TRUE(m.loadLearnPositive(dir.write("p.seq", seqText({"ACGTAC", "ACGT"}))));
    // Shorter records and letters in the other case fit the positives' objects.
    ASSERT_TRUE(
        test::succeeded(m.loadLearnNegative(dir.write("n.seq", seqText({"acg", "TTTTTT"})))));
    EXPECT_EQ(m.learnNegativeCount(), 2);
    EXPECT_TRUE(m.learnNegativeLoaded());
    EXPECT_STREQ(m.sequenceText(SampleKind::LearnNegative, 0), "acg");
}

TEST_F(LoadTest, LearnNegativeRefusesWhatTheObjectsCannotHold) {
    ASSERT_TRUE(m.loadLearnPositive(dir.write("p.seq", seqText({"ACGA", "ACGA"}))));
    ASSERT_TRUE(m.loadLearnNegative(dir.write("ok.seq", seqText({"AAAA"}))));
    struct Case {
        const char* file;
        std::vector<std::string> records;
        const char* reason;  // part of the message
        int64_t record;      // the record the status names (0: none)
    };
    const Case cases[] = {
        {"long.seq", {"ACGA", "ACGAA"}, "record 2 (s2) is 5 letters long", 2},
        {"letter.seq", {"ACGA", "ACTA"}, "letter 'T' at letter 3", 2},
        {"format.seq", {}, "format.seq", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string content = c.records.empty() ? ">a;\n" : seqText(c.records);
        const std::string path = dir.write(c.file, content);
        const Status status = m.loadLearnNegative(path);
        EXPECT_FALSE(status);
        EXPECT_EQ(m.learnNegativeCount(), 1);  // the negatives loaded before stay
        EXPECT_STREQ(m.sequenceText(SampleKind::LearnNegative, 0), "AAAA");
        EXPECT_NE(status.message.find(c.reason), std::string::npos) << status.message;
        EXPECT_EQ(status.file, path);
        if (c.record > 0) {
            EXPECT_EQ(status.record, c.record);
        }
    }
    EXPECT_TRUE(m.learnNegativeLoaded());
}

// Records read elsewhere (the Python module's letter lists) pass the same checks as a file's,
// and a refusal names the source it was given.
TEST_F(LoadTest, TakeLearnNegativeChecksRecordsReadElsewhere) {
    ASSERT_TRUE(m.loadLearnPositive(dir.write("p.seq", seqText({"ACGA", "ACGA"}))));
    const struct {
        std::vector<Sequence> records;
        const char* reason;
        int64_t record;
    } refused[] = {
        {test::records({"ACGA", "ACGAA"}), "the list: record 2 (r) is 5 letters long", 2},
        {test::records({"ACTA"}), "letter 'T' at letter 3", 1},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.reason);
        std::vector<Sequence> records = c.records;
        const Status status = m.takeLearnNegative("the list", std::move(records));
        EXPECT_FALSE(status);
        EXPECT_NE(status.message.find(c.reason), std::string::npos) << status.message;
        EXPECT_EQ(status.file, "the list");
        EXPECT_EQ(status.record, c.record);
        EXPECT_FALSE(m.learnNegativeLoaded());
    }
    ASSERT_TRUE(test::succeeded(m.takeLearnNegative("the list", test::records({"acg", "GGAA"}))));
    EXPECT_TRUE(m.learnNegativeLoaded());
    EXPECT_EQ(m.learnNegativeCount(), 2);
    EXPECT_STREQ(m.sequenceText(SampleKind::LearnNegative, 1), "GGAA");
}

TEST_F(LoadTest, ControlLoadNeedsObjects) {
    ASSERT_TRUE(m.loadLearnPositive(dir.write("p.seq", seqText({"ACGT"}))));
    const std::string path = dir.write("c.seq", seqText({"ACGT"}));
    const Status status = m.loadControlNegative(path);
    EXPECT_FALSE(status);
    EXPECT_FALSE(m.controlNegativeLoaded());
    EXPECT_EQ(status.message,
              path + ": there are no learning objects yet; run the rule search first");
    EXPECT_EQ(status.file, path);
}

TEST_F(LoadTest, ControlNegativeFixedModeLengthAndAlphabet) {
    ASSERT_NO_FATAL_FAILURE(loadPositivesAndBuild({"ACGT", "ACGG"}));
    struct Case {
        const char* name;
        std::vector<std::string> records;
        bool ok;
        bool longControl;
    };
    const Case cases[] = {
        {"exact", {"ACGT", "GGGG"}, true, false},
        {"lowercase passes the alphabet", {"acgt"}, true, false},
        {"longer sets longControl", {"ACGT", "ACGTACGT"}, true, true},
        {"shorter fails even after longer", {"ACGTAC", "ACG", "ACGTAC"}, false, true},
        {"unknown letter", {"ACGN"}, false, false},
        {"shorter first", {"ACG", "ACGTAC"}, false, false},
    };
    std::vector<std::string> loaded;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMainManagerTestAccess::longControl(m) = false;
        TMainManagerTestAccess::stage(m, TMainManager::Process::RuleSearch,
                                      TMainManager::Phase::Running);
        TMainManagerTestAccess::controlNegativeClassified(m) = true;
        TMainManagerTestAccess::recognitionStale(m) = false;
        TMainManagerTestAccess::storage(m)->addSetObjects(
            m.learnPositive().data(), 1,
            ObjectSetKind::ControlNegative);  // objects of the earlier sample
        ASSERT_EQ(m.storage()->controlNegativeObjectCount, 1);
        const Status status = m.loadControlNegative(dir.write("cn.seq", seqText(c.records)));
        EXPECT_EQ(status.ok, c.ok) << status.message;
        EXPECT_EQ(m.longControl(), c.ok && c.longControl);
        // A load empties the objects of the sample it replaces; a refused one keeps them.
        EXPECT_EQ(m.storage()->controlNegativeObjectCount, c.ok ? 0 : 1);
        if (c.ok) loaded = c.records;
        if (c.ok) {
            EXPECT_EQ(m.controlNegativeCount(), static_cast<int32_t>(c.records.size()));
            EXPECT_TRUE(m.recognitionStale());
            EXPECT_FALSE(m.isRunning());
            EXPECT_FALSE(m.controlNegativeClassified());
            EXPECT_STREQ(m.sequenceText(SampleKind::ControlNegative, 0), c.records[0].c_str());
        } else {
            EXPECT_EQ(m.controlNegativeCount(), static_cast<int32_t>(loaded.size()));
            EXPECT_STREQ(m.sequenceText(SampleKind::ControlNegative, 0), loaded[0].c_str());
            EXPECT_FALSE(m.recognitionStale());
            EXPECT_TRUE(m.controlNegativeClassified());
            EXPECT_NE(status.message.find("cn.seq"), std::string::npos);
            EXPECT_EQ(status.file, dir.path("cn.seq"));
        }
    }
    // Loaded by the first case; later failures keep the flag.
    EXPECT_TRUE(m.controlNegativeLoaded());
}

TEST_F(LoadTest, ControlNegativeShiftModeNeedsFrameWidth) {
    ASSERT_NO_FATAL_FAILURE(loadPositiveInShiftMode());
    TMainManagerTestAccess::longControl(m) = true;
    EXPECT_TRUE(test::succeeded(
        m.loadControlNegative(dir.write("ok.seq", seqText({"ACG", "ACGTACGTAC"})))));
    EXPECT_TRUE(m.longControl());  // untouched in this mode
    const Status status = m.loadControlNegative(dir.write("short.seq", seqText({"ACGT", "AC"})));
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("record 2"), std::string::npos) << status.message;
    EXPECT_EQ(status.record, 2);
    EXPECT_EQ(m.controlNegativeCount(), 2);
    EXPECT_STREQ(m.sequenceText(SampleKind::ControlNegative, 1), "ACGTACGTAC");
}

TEST_F(LoadTest, ControlPositiveMustMatchWidthInFixedMode) {
    ASSERT_NO_FATAL_FAILURE(loadPositivesAndBuild({"ACGT", "ACGG"}));
    struct Case {
        std::vector<std::string> records;
        bool ok;
    };
    const Case cases[] = {
        {{"ACGT", "tttt"}, true},
        {{"ACGT", "ACGTA"}, false},
        {{"ACG"}, false},
        {{"ACGN"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.records.back());
        TMainManagerTestAccess::controlPositiveClassified(m) = true;
        TMainManagerTestAccess::storage(m)->addSetObjects(m.learnPositive().data(), 1,
                                                          ObjectSetKind::ControlPositive);
        const Status status = m.loadControlPositive(dir.write("cp.seq", seqText(c.records)));
        EXPECT_EQ(status.ok, c.ok) << status.message;
        EXPECT_EQ(m.storage()->controlPositiveObjectCount, c.ok ? 0 : 1);
        EXPECT_EQ(m.controlPositiveCount(), 2);  // the first case's sample stays after refusals
        EXPECT_STREQ(m.sequenceText(SampleKind::ControlPositive, 1), "tttt");
        EXPECT_EQ(m.controlPositiveClassified(), !c.ok);
    }
    EXPECT_TRUE(m.controlPositiveLoaded());
    EXPECT_FALSE(m.longControl());
}

TEST_F(LoadTest, ControlPositiveShiftModeHasNoLengthCheck) {
    ASSERT_NO_FATAL_FAILURE(loadPositiveInShiftMode());
    EXPECT_TRUE(m.loadControlPositive(dir.write("cp.seq", seqText({"A", "ACGTACGTACGT"}))));
    EXPECT_FALSE(m.loadControlPositive(dir.write("cp2.seq", seqText({"AXA"}))));
}

TEST(UnsavedWorkTest, FollowsTheThreeFlags) {
    struct Case {
        bool saved, openedFromProject, modified;
        bool unsaved;
    };
    const Case cases[] = {
        {false, false, true, true},   {false, true, false, true}, {false, true, true, true},
        {false, false, false, false}, {true, false, true, false}, {true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.saved << c.openedFromProject << c.modified);
        TMainManager m;
        TMainManagerTestAccess::saved(m) = c.saved;
        TMainManagerTestAccess::openedFromProject(m) = c.openedFromProject;
        TMainManagerTestAccess::modified(m) = c.modified;
        EXPECT_EQ(m.unsavedWork(), c.unsaved);
        // A "no" sets modified; a "yes" changes nothing.
        EXPECT_EQ(m.modified(), c.unsaved ? c.modified : true);
        EXPECT_EQ(m.saved(), c.saved);
    }
}

TEST(UnsavedWorkTest, NewWorkspaceHasNothingToSave) {
    TMainManager m;
    EXPECT_FALSE(m.unsavedWork());
}

}  // namespace
}  // namespace motifora
