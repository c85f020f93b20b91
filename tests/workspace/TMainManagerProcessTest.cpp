// Tests of the workspace's worker processes on small data with a real worker thread: rule
// search, idealization and classification, their start codes, pause, resume and stop, and the
// storage replacement at the end of a rule search.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <new>
#include <thread>

#include "WorkspaceTestSupport.h"
#include "classify/Classificator.h"
#include "rules/CIdelObject.h"
#include "rules/RegGenerator.h"
#include "rules/RulesStorage.h"
#include "support/StatusAssert.h"
#include "support/TMainManagerTestAccess.h"
#include "workspace/TMainManager.h"

namespace motifora {
namespace {

using test::HookTrigger;
using test::RecordingSink;
using test::seqText;
using test::TempDir;
using test::waitForEnd;

constexpr unsigned kSeed = 20261207;  // fixed seed of the generated samples

// Every rule text of a rule store, in its order.
std::vector<std::string> ruleTexts(const RulesStorage& rules) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < rules.Count(); ++i) {
        std::string fisher, cp, text;
        rules.GetTexts(i, fisher, cp, text);
        out.push_back(fisher + " " + cp + " " + text);
    }
    return out;
}

// The straightforward search loop over a storage built by the caller.
std::vector<std::string> referenceSearch(SEQStorage& storage, int32_t finishSize, int32_t subSize) {
    RulesStorage rules(finishSize, storage.width);
    RegGenerator generator;
    generator.SetThreadCount(1);
    generator.Init(&storage, &rules, subSize, 0.05, 0.8);
    for (int32_t target = 0; target < storage.width; ++target) {
        generator.SetTarget(target);
        while (generator.Step()) {
        }
    }
    return ruleTexts(rules);
}

// A fresh whole-sequence storage of the workspace's learning positives.
std::unique_ptr<SEQStorage> builtLike(const TMainManager& m) {
    auto storage = std::make_unique<SEQStorage>();
    storage->buildWhole(m.learnPositive().data(), m.learnPositiveCount());
    return storage;
}

// Waits until the paused worker has reached its pause gate and waits there: from then on it
// does nothing until resumed or stopped.
void settle(const TMainManager& m) { ASSERT_TRUE(test::waitForWorkerAtGate(m)); }

class ProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::tie(positives, negatives) =
            test::learningSamples(30, 12, test::testSeed("generated samples", kSeed));
        m.setProgressSink(&sink);
        // The generator's parallel evaluation is the rules module's to test; here one thread
        // keeps the worker's own synchronisation the only thing under the thread checker.
        m.setThreadCount(1);
    }
    void loadPositives() {
        ASSERT_TRUE(test::succeeded(m.loadLearnPositive(dir.write("pos.seq", seqText(positives)))));
    }
    void loadNegatives() {
        ASSERT_TRUE(test::succeeded(m.loadLearnNegative(dir.write("neg.seq", seqText(negatives)))));
    }
    // Runs a fixed-mode rule search with the default settings to its end.
    void search() {
        ASSERT_NO_FATAL_FAILURE(test::searchToTheEnd(m, {0.05, 0.8, 500, 50, WorkMode::kFixed, 0}));
    }
    // Starts a fixed-mode rule search with the default settings that pauses itself at its first
    // buffer entry, and waits for the pause.
    void startSearchPausedAtFirstEntry() {
        sink.onEach<BufferEntry>(pause.hook(1, [this] { m.pauseRuleSearch(); }));
        ASSERT_EQ(m.startRuleSearch({0.05, 0.8, 500, 50, WorkMode::kFixed, 0}),
                  RuleSearchStart::Started);
        ASSERT_TRUE(pause.wait());
    }
    void idealize(IdealizationType type, IdealizationSource source) {
        ASSERT_NO_FATAL_FAILURE(test::idealizeToTheEnd(m, type, source));
    }

    TempDir dir;
    HookTrigger pause;  // outlives the sink, whose hooks may call it until the worker ends
    RecordingSink sink;
    std::vector<std::string> positives;
    std::vector<std::string> negatives;
    TMainManager m;
};

// ---------------------------------------------------------------- rule search

TEST_F(ProcessTest, RuleSearchFindsWhatTheGeneratorFinds) {
    loadPositives();
    m.markSaved();
    ASSERT_EQ(m.startRuleSearch({0.05, 0.8, 500, 50, WorkMode::kFixed, 77}),
              RuleSearchStart::Started);
    EXPECT_TRUE(m.isRunning() || m.hasEnded());
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_FALSE(m.isRunning());
    EXPECT_TRUE(m.hasEnded());
    EXPECT_TRUE(m.isStarted(TMainManager::Process::RuleSearch));
    EXPECT_TRUE(m.resetIdealObjects());
    EXPECT_TRUE(m.modified());
    EXPECT_FALSE(m.saved());
    EXPECT_FALSE(m.isPaused());
    EXPECT_EQ(m.searchSettings().confidence, 0.05);
    EXPECT_EQ(m.searchSettings().cpThreshold, 0.8);
    EXPECT_EQ(m.searchSettings().finishBufferSize, 500);
    EXPECT_EQ(m.searchSettings().subBufferSize, 50);
    EXPECT_EQ(m.searchSettings().workMode, WorkMode::kFixed);
    EXPECT_EQ(m.searchSettings().frameWidth, 6);  // fixed mode takes the storage's width
    ASSERT_NE(m.storage(), nullptr);
    ASSERT_NE(m.rules(), nullptr);
    EXPECT_EQ(m.rules()->capacity, 500);
    EXPECT_EQ(m.storage()->learnObjectCount, 30);

    SEQStorage reference;
    reference.buildWhole(m.learnPositive().data(), m.learnPositiveCount());
    const std::vector<std::string> expected = referenceSearch(reference, 500, 50);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ruleTexts(*m.rules()), expected);
    // The last target position processed stays in the search storage.
    EXPECT_EQ(m.storage()->centerPosition, 5);
    EXPECT_GE(static_cast<int>(acceptedRules(sink).size()), m.rules()->Count());
}

TEST_F(ProcessTest, RuleSearchWithNegativesReplacesTheStorageAtTheEnd) {
    loadPositives();
    loadNegatives();
    search();
    // The search itself ran over positives followed by negatives ...
    EXPECT_EQ(m.generator().objectCount, 42);
    SEQStorage reference;
    reference.buildWholeWithNegatives(m.learnPositive().data(), m.learnNegative().data(), 30, 12);
    EXPECT_EQ(ruleTexts(*m.rules()), referenceSearch(reference, 500, 50));
    // ... and afterwards the learning objects are the positives and the negatives stand apart.
    ASSERT_NE(m.storage(), nullptr);
    EXPECT_EQ(m.storage()->learnObjectCount, 30);
    EXPECT_EQ(m.storage()->negativeObjectCount, 12);
    EXPECT_EQ(m.storage()->width, 6);
    EXPECT_EQ(m.storage()->codeTable.size(), reference.codeTable.size());
    for (int32_t p = 0; p < 6; ++p)
        EXPECT_EQ(m.storage()->negativeObjects[0].codeAt(p),
                  m.storage()->codeTable.codeOf(static_cast<unsigned char>(negatives[0][p])));
}

TEST_F(ProcessTest, ShiftModeSearchesWindows) {
    loadPositives();
    ASSERT_EQ(m.startRuleSearch({0.05, 0.8, 100, 20, WorkMode::kShift, 4}),
              RuleSearchStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_EQ(m.searchSettings().frameWidth, 4);
    EXPECT_EQ(m.storage()->width, 4);
    EXPECT_EQ(m.storage()->learnObjectCount, 30 * 3);
    SEQStorage reference;
    reference.buildWindows(m.learnPositive().data(), 30, 4);
    EXPECT_EQ(ruleTexts(*m.rules()), referenceSearch(reference, 100, 20));
}

TEST_F(ProcessTest, RuleSearchOverAnEmptySampleEndsAtOnce) {
    // A sequence file without records is refused; a project can still hold an empty sample.
    EXPECT_FALSE(m.loadLearnPositive(dir.write("none.seq", "")));
    TMainManagerTestAccess::learnPositiveLoaded(m).store(true);
    ASSERT_EQ(m.startRuleSearch({0.05, 0.8, 10, 5, WorkMode::kFixed, 0}), RuleSearchStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_EQ(m.rules()->Count(), 0);
    EXPECT_EQ(m.storage()->learnObjectCount, 0);
}

TEST_F(ProcessTest, FramesWiderThanEveryRecordAndHugeBuffersEndNormally) {
    loadPositives();
    ASSERT_EQ(m.startRuleSearch({0.05, 0.8, 10, 5, WorkMode::kShift, 1000000}),
              RuleSearchStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_EQ(m.storage()->learnObjectCount, 0);
    EXPECT_EQ(m.rules()->Count(), 0);
    EXPECT_TRUE(m.takeWorkerError().empty());
    m.takeEnd(TMainManager::Process::RuleSearch);

    // Buffer sizes far beyond any sample allocate nothing until rules arrive.
    ASSERT_EQ(m.startRuleSearch({0.05, 0.8, 2147483647, 2147483647, WorkMode::kFixed, 0}),
              RuleSearchStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_TRUE(m.takeWorkerError().empty());
    EXPECT_EQ(ruleTexts(*m.rules()), referenceSearch(*builtLike(m), 2147483647, 2147483647));
}

TEST_F(ProcessTest, AWorkerCutShortEndsAsAStoppedOneAndSaysWhy) {
    loadPositives();
    sink.onEach<BufferEntry>([] { throw std::bad_alloc(); });
    ASSERT_EQ(m.startRuleSearch({0.05, 0.8, 500, 50, WorkMode::kFixed, 0}),
              RuleSearchStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    m.joinWorker();
    EXPECT_FALSE(m.isRunning());
    EXPECT_FALSE(m.isPaused());
    EXPECT_TRUE(m.isStarted(TMainManager::Process::RuleSearch));  // so the window reports the end
    EXPECT_EQ(m.takeWorkerError(), "Недостаточно памяти для этого процесса; процесс прерван.");
    EXPECT_TRUE(m.takeWorkerError().empty());  // taken once

    // The next process starts with no reason left over.
    sink.onEach<BufferEntry>(nullptr);
    m.takeEnd(TMainManager::Process::RuleSearch);
    ASSERT_EQ(m.startRuleSearch({0.05, 0.8, 500, 50, WorkMode::kFixed, 0}),
              RuleSearchStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_TRUE(m.takeWorkerError().empty());
    EXPECT_GT(m.rules()->Count(), 0);
}

TEST_F(ProcessTest, ALatePauseDoesNotHoldTheNextProcess) {
    loadPositives();
    search();
    // "Pause" pressed just after the search had ended: no worker is there to hold, and no
    // process is there to be marked paused.
    EXPECT_EQ(m.pauseRuleSearch(), 0);
    EXPECT_FALSE(m.isPaused());
    EXPECT_TRUE(m.isIdle());
    ASSERT_EQ(
        m.startIdealization(IdealizationType::kDeletingInserting, IdealizationSource::kObjects),
        IdealizationStart::Started);
    EXPECT_FALSE(m.isPaused());
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_GT(m.classCount(), 0);
}

TEST_F(ProcessTest, PausedRuleSearchWaitsAndResumesToTheSameRules) {
    loadPositives();
    ASSERT_NO_FATAL_FAILURE(startSearchPausedAtFirstEntry());
    settle(m);
    EXPECT_TRUE(m.isPaused());
    EXPECT_TRUE(m.isRunning());
    EXPECT_FALSE(m.hasEnded());
    const size_t entries = bufferEntries(sink);
    settle(m);
    EXPECT_EQ(bufferEntries(sink), entries);  // held at the gate
    m.resumeRuleSearch();
    EXPECT_FALSE(m.isPaused());
    ASSERT_TRUE(waitForEnd(m));
    SEQStorage reference;
    reference.buildWhole(m.learnPositive().data(), 30);
    EXPECT_EQ(ruleTexts(*m.rules()), referenceSearch(reference, 500, 50));
}

TEST_F(ProcessTest, StoppingAPausedRuleSearchStillRunsItsEnd) {
    loadPositives();
    loadNegatives();
    ASSERT_NO_FATAL_FAILURE(startSearchPausedAtFirstEntry());
    settle(m);
    TMainManagerTestAccess::resetIdealObjects(m) = false;
    EXPECT_EQ(m.stopRuleSearch(), 0);
    EXPECT_FALSE(m.isPaused());
    EXPECT_FALSE(m.isRunning());
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_TRUE(m.resetIdealObjects());
    EXPECT_TRUE(m.isStarted(TMainManager::Process::RuleSearch));
    // The end step replaced the storage even though the search was stopped.
    EXPECT_EQ(m.storage()->learnObjectCount, 30);
    EXPECT_EQ(m.storage()->negativeObjectCount, 12);
    SEQStorage reference;
    reference.buildWholeWithNegatives(m.learnPositive().data(), m.learnNegative().data(), 30, 12);
    EXPECT_LT(m.rules()->Count(), static_cast<int32_t>(referenceSearch(reference, 500, 50).size()));
}

TEST_F(ProcessTest, LoadsAreRefusedWhileAWorkerRuns) {
    loadPositives();
    ASSERT_NO_FATAL_FAILURE(startSearchPausedAtFirstEntry());
    const std::string path = dir.write("neg.seq", seqText(negatives));
    const Status refused = m.loadLearnNegative(path);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.message.find("running"), std::string::npos) << refused.message;
    EXPECT_EQ(refused.file, path);
    EXPECT_FALSE(m.learnNegativeLoaded());
    EXPECT_TRUE(m.isRunning());
    EXPECT_TRUE(m.isPaused());
    m.stopRuleSearch();
    ASSERT_TRUE(waitForEnd(m));
    // Once the worker is gone the load goes through.
    loadNegatives();
    EXPECT_TRUE(m.learnNegativeLoaded());
}

TEST_F(ProcessTest, DestroyingAPausedWorkspaceStopsAndWaits) {
    auto owned = std::make_unique<TMainManager>();
    owned->setProgressSink(&sink);
    ASSERT_TRUE(owned->loadLearnPositive(dir.write("pos.seq", seqText(positives))));
    TMainManager* raw = owned.get();
    sink.onEach<BufferEntry>(pause.hook(1, [raw] { raw->pauseRuleSearch(); }));
    ASSERT_EQ(owned->startRuleSearch({0.05, 0.8, 500, 50, WorkMode::kFixed, 0}),
              RuleSearchStart::Started);
    ASSERT_TRUE(pause.wait());
    owned.reset();  // must neither hang nor leave the worker using freed data
    SUCCEED();
}

// ---------------------------------------------------------------- the end of a worker

// Far beyond any run here: a wait that is woken by the end returns long before it.
std::chrono::steady_clock::time_point never() {
    return std::chrono::steady_clock::now() + std::chrono::hours(1);
}

TEST_F(ProcessTest, AWaitForTheWorkerIsWokenByItsEndWithTheEndFlagsSet) {
    EXPECT_TRUE(m.waitForWorker(std::chrono::steady_clock::now()));  // no worker yet
    loadPositives();
    // Held at its first gate, the search lives until it is stopped, however fast the machine.
    m.holdNextStart();
    ASSERT_EQ(m.startRuleSearch({0.05, 0.8, 500, 50, WorkMode::kFixed, 0}),
              RuleSearchStart::Started);
    EXPECT_FALSE(m.waitForWorker(std::chrono::steady_clock::now()));
    EXPECT_TRUE(m.isRunning());
    m.stopRuleSearch();
    ASSERT_TRUE(m.waitForWorker(never()));
    // Woken before anyone joined the worker or took its end, the end is there to take.
    EXPECT_TRUE(m.workerActive());
    EXPECT_TRUE(m.hasEnded());
    EXPECT_TRUE(m.isStarted(TMainManager::Process::RuleSearch));
    EXPECT_FALSE(m.isRunning());
    m.joinWorker();
}

TEST_F(ProcessTest, TheEndListenerSeesEveryProcessEnded) {
    loadPositives();
    loadNegatives();
    struct Seen {
        int ends = 0;
        bool endedEachTime = true;
        // What the window's tick would read at that moment.
        std::function<bool()> ended;
    };
    auto seen = std::make_shared<Seen>();
    seen->ended = [this] { return m.hasEnded() && !m.isRunning(); };
    m.setWorkerEndListener([seen] {
        ++seen->ends;
        if (!seen->ended()) seen->endedEachTime = false;
    });
    search();
    EXPECT_EQ(seen->ends, 1);
    idealize(IdealizationType::kDeletingInserting, IdealizationSource::kObjects);
    EXPECT_EQ(seen->ends, 2);
    // A cross-validation ends by clearing its own active flag.
    seen->ended = [this] { return !m.crossValidationActive() && !m.isRunning(); };
    CrossValidationSettings settings = m.crossValidationDefaults();
    settings.folds = 2;
    ASSERT_EQ(m.startCrossValidation(settings), CrossValidationStart::Started)
        << m.crossValidationError();
    ASSERT_TRUE(m.waitForWorker(never()));
    m.joinWorker();  // the listener has run once the thread is joined
    EXPECT_EQ(seen->ends, 3);
    EXPECT_TRUE(seen->endedEachTime);
    ASSERT_NE(m.crossValidationResult(), nullptr);
    EXPECT_TRUE(m.crossValidationResult()->complete);
    m.setWorkerEndListener(nullptr);
    search();
    EXPECT_EQ(seen->ends, 3);
}

TEST_F(ProcessTest, TheThreadCountBoundsTheFoldsAndTheirSearches) {
    // SetUp asked for one thread: the folds of a cross-validation run one at a time too.
    const CrossValidationSettings one = m.crossValidationDefaults();
    EXPECT_EQ(one.threads, 1);
    EXPECT_EQ(one.searchThreads, 1);
    m.setThreadCount(3);
    EXPECT_EQ(m.crossValidationDefaults().threads, 3);
    EXPECT_EQ(m.crossValidationDefaults().searchThreads, 3);
    m.setThreadCount(0);  // every core, as the window leaves it
    EXPECT_EQ(m.crossValidationDefaults().threads, 0);
}

// ---------------------------------------------------------------- idealization

TEST_F(ProcessTest, IdealizationStartCodes) {
    EXPECT_EQ(m.startIdealization(IdealizationType::kDeletingBegin, IdealizationSource::kObjects),
              IdealizationStart::NoObjects);  // no storage
    loadPositives();
    TMainManagerTestAccess::storage(m) = std::make_unique<SEQStorage>();
    EXPECT_EQ(m.startIdealization(IdealizationType::kDeletingBegin, IdealizationSource::kRules),
              IdealizationStart::NoObjects);  // no learning objects
    EXPECT_EQ(m.idealizationSource(), IdealizationSource::kRules);
    TMainManagerTestAccess::storage(m)->buildWhole(m.learnPositive().data(), 30);
    EXPECT_EQ(m.startIdealization(IdealizationType::kDeletingBegin, IdealizationSource::kObjects),
              IdealizationStart::NoRules);  // no rule store
    TMainManagerTestAccess::rules(m) = std::make_unique<RulesStorage>(10, 6);
    EXPECT_EQ(m.startIdealization(IdealizationType::kDeletingBegin, IdealizationSource::kObjects),
              IdealizationStart::NoRules);  // no rules
    EXPECT_FALSE(m.isRunning());
    EXPECT_FALSE(m.workerActive());
    EXPECT_EQ(m.classificator(), nullptr);
    EXPECT_TRUE(m.resetIdealObjects());
}

TEST_F(ProcessTest, IdealizationFormsTheClassesTheClassificatorForms) {
    loadPositives();
    loadNegatives();
    search();
    ASSERT_GT(m.rules()->Count(), 0);
    m.markSaved();
    idealize(IdealizationType::kDeletingInserting, IdealizationSource::kObjects);
    EXPECT_FALSE(m.resetIdealObjects());
    EXPECT_FALSE(m.isRunning());
    EXPECT_TRUE(m.modified());
    EXPECT_FALSE(m.saved());
    ASSERT_NE(m.classificator(), nullptr);
    EXPECT_EQ(m.classCount(), m.classificator()->idealObjectCount);
    ASSERT_GT(m.classCount(), 0);

    // The same work done directly on the engine.
    std::vector<std::unique_ptr<CIdelObject>> ideal(30);
    Classificator reference;
    reference.Setup(TMainManagerTestAccess::storage(m).get(),
                    TMainManagerTestAccess::rules(m).get(), &ideal,
                    IdealizationType::kDeletingInserting);
    for (int32_t j = 0; j < 30; ++j) {
        SEQSElem& object = TMainManagerTestAccess::storage(m)->learnObjects[j];
        EXPECT_EQ(object.classNumber, reference.IdealizeAndRegister(&object, -1)) << j;
    }
    for (int32_t k = 0; k < 12; ++k) {
        SEQSElem& object = TMainManagerTestAccess::storage(m)->negativeObjects[k];
        EXPECT_EQ(object.classNumber,
                  reference.ClassifyObject(object, k + 1, ObjectSetKind::LearnNegative))
            << k;
    }
    EXPECT_EQ(reference.idealObjectCount, m.classCount());
    for (int32_t c = 0; c < m.classCount(); ++c) EXPECT_TRUE(*ideal[c] == *m.idealObjects()[c]);

    // Countdown over the learning objects, then over the negatives.
    std::vector<int32_t> expected;
    for (int32_t j = 30; j >= 1; --j) expected.push_back(j);
    for (int32_t k = 12; k >= 1; --k) expected.push_back(k);
    EXPECT_EQ(countdowns(sink), expected);

    sink.clear();
    EXPECT_EQ(m.ShowIdealObjects(), 1);
    ASSERT_EQ(static_cast<int32_t>(idealTexts(sink).size()), m.classCount());
    std::string text;
    m.idealObjects()[0]->ToText(text, m.storage()->codeTable);
    EXPECT_EQ(idealTexts(sink)[0].second, text);
}

TEST_F(ProcessTest, DiscardedRulesStayReadableWhileTheClassesUseThem) {
    loadPositives();
    loadNegatives();
    search();
    idealize(IdealizationType::kDeletingInserting, IdealizationSource::kObjects);
    ASSERT_NE(m.classificator(), nullptr);
    const RulesStorage* used = m.rules();
    ASSERT_EQ(m.classificator()->rules, used);
    const int32_t count = used->Count();
    m.discardRules();
    EXPECT_EQ(m.rules(), nullptr);
    // The classes still score with the rules they were formed with (AddressSanitizer would see
    // a freed list here).
    EXPECT_EQ(m.classificator()->rules->Count(), count);
    EXPECT_EQ(m.ShowIdealObjects(), 1);
    // A second discard with nothing to take out is harmless.
    m.discardRules();
    EXPECT_EQ(m.classificator()->rules->Count(), count);
}

TEST_F(ProcessTest, IdealizationOfRulesMarksRulesOnly) {
    loadPositives();
    search();
    idealize(IdealizationType::kDeletingBegin, IdealizationSource::kRules);
    EXPECT_EQ(m.idealizationSource(), IdealizationSource::kRules);
    EXPECT_GT(m.classCount(), 0);
    for (int32_t j = 0; j < 30; ++j) EXPECT_EQ(m.storage()->learnObjects[j].classNumber, -1);
    EXPECT_TRUE(learningClasses(sink).empty());
    EXPECT_EQ(static_cast<int32_t>(countdowns(sink).size()), m.rules()->Count());
    // Rule i is reported as row i + 1 with its class number plus one.
    const auto classes = ruleClasses(sink);
    ASSERT_EQ(static_cast<int32_t>(classes.size()), m.rules()->Count());
    for (int32_t i = 0; i < m.rules()->Count(); ++i) {
        EXPECT_EQ(classes[i].first, i + 1);
        EXPECT_GE(classes[i].second, 1);
        EXPECT_LE(classes[i].second, m.classCount());
    }
}

TEST_F(ProcessTest, StoppedIdealizationSkipsTheNegativesAndStillEnds) {
    loadPositives();
    loadNegatives();
    search();
    HookTrigger stop;
    sink.onEach<ItemsLeft>(stop.hook(2, [&] { m.stopIdealization(); }));
    ASSERT_EQ(m.startIdealization(IdealizationType::kDeletingBegin, IdealizationSource::kObjects),
              IdealizationStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_EQ(countdowns(sink), (std::vector<int32_t>{30, 29, 12}));
    EXPECT_EQ(m.classCount(), 1);
    EXPECT_EQ(m.storage()->learnObjects[0].classNumber, 0);
    EXPECT_EQ(m.storage()->learnObjects[1].classNumber, -1);
    EXPECT_EQ(m.storage()->negativeObjects[0].classNumber, -1);
    EXPECT_FALSE(m.resetIdealObjects());
    EXPECT_TRUE(m.isStarted(TMainManager::Process::Idealization));
}

TEST_F(ProcessTest, NewIdealizationOverAPausedOneStartsAfresh) {
    loadPositives();
    search();
    sink.onEach<ItemsLeft>(pause.hook(3, [&] { m.pauseIdealization(); }));
    ASSERT_EQ(
        m.startIdealization(IdealizationType::kDeletingInserting, IdealizationSource::kObjects),
        IdealizationStart::Started);
    ASSERT_TRUE(pause.wait());
    settle(m);
    EXPECT_TRUE(m.isPaused());
    EXPECT_FALSE(m.hasEnded());
    sink.onEach<ItemsLeft>(nullptr);
    // The paused worker is stopped and waited for; the classes start afresh as requested.
    idealize(IdealizationType::kDeletingInserting, IdealizationSource::kObjects);
    EXPECT_FALSE(m.isPaused());
    std::vector<std::unique_ptr<CIdelObject>> ideal(30);
    Classificator reference;
    reference.Setup(TMainManagerTestAccess::storage(m).get(),
                    TMainManagerTestAccess::rules(m).get(), &ideal,
                    IdealizationType::kDeletingInserting);
    for (int32_t j = 0; j < 30; ++j)
        EXPECT_EQ(m.storage()->learnObjects[j].classNumber,
                  reference.IdealizeAndRegister(&m.storage()->learnObjects[j], -1));
    EXPECT_EQ(m.classCount(), reference.idealObjectCount);
}

TEST_F(ProcessTest, LaterIdealizationsAppendUntilTheNextSearch) {
    loadPositives();
    search();
    idealize(IdealizationType::kDeletingInserting, IdealizationSource::kObjects);
    const int32_t first = m.classCount();
    Classificator* engine = m.classificator();
    // Rules as sources, appended to the classes of the first run.
    idealize(IdealizationType::kDeletingBegin, IdealizationSource::kRules);
    EXPECT_EQ(m.classificator(), engine);
    EXPECT_GE(m.classCount(), first);
    search();
    EXPECT_TRUE(m.resetIdealObjects());
    // The classes of the earlier search keep their object table until they are replaced.
    ASSERT_NE(m.classificator()->storage, m.storage());
    EXPECT_EQ(m.classificator()->storage->learnObjectCount, 30);
    EXPECT_EQ(m.classificator()->storage->learnObjects[0].classNumber, 0);
    idealize(IdealizationType::kDeletingInserting, IdealizationSource::kObjects);
    EXPECT_EQ(m.classificator()->storage, m.storage());
    EXPECT_NE(m.classificator(), nullptr);
    EXPECT_EQ(m.classCount(), first);
}

// ---------------------------------------------------------------- classification

class ClassificationTest : public ProcessTest {
  protected:
    // Positives, rules, classes; the positives again as both control samples.
    void prepare() {
        loadPositives();
        search();
        idealize(IdealizationType::kDeletingInserting, IdealizationSource::kObjects);
        const std::string control = dir.write("ctl.seq", seqText(positives));
        ASSERT_TRUE(test::succeeded(m.loadControlNegative(control)));
        ASSERT_TRUE(test::succeeded(m.loadControlPositive(control)));
    }
    // Starts the classification of the prepared workspace, which pauses itself at its `call`-th
    // control class, and waits until the worker waits at its gate.
    void startClassificationPausedAt(int call) {
        ASSERT_NO_FATAL_FAILURE(prepare());
        sink.onEach<SetObjectClassed>(pause.hook(call, [this] { m.pauseClassification(); }));
        ASSERT_EQ(m.startClassification(), ClassificationStart::Started);
        ASSERT_TRUE(pause.wait());
        settle(m);
    }
};

TEST_F(ClassificationTest, StartCodes) {
    EXPECT_EQ(m.startClassification(), ClassificationStart::NoClasses);
    loadPositives();
    search();
    idealize(IdealizationType::kDeletingInserting, IdealizationSource::kObjects);
    EXPECT_EQ(m.startClassification(), ClassificationStart::NoControl);
    EXPECT_FALSE(m.isRunning());
    EXPECT_FALSE(m.workerActive());
    ASSERT_TRUE(m.loadControlNegative(dir.write("c.seq", seqText(positives))));
    // Classes of an earlier object table cannot classify the objects of a new search.
    search();
    EXPECT_EQ(m.startClassification(), ClassificationStart::NoClasses);
    EXPECT_FALSE(m.isStarted(TMainManager::Process::Classification));
}

TEST_F(ClassificationTest, LearningObjectsAgainGetTheirOwnClasses) {
    prepare();
    TMainManagerTestAccess::stage(m, TMainManager::Process::RuleSearch,
                                  TMainManager::Phase::Ended);  // an end not taken
    m.markSaved();
    ASSERT_EQ(m.startClassification(), ClassificationStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_TRUE(m.isStarted(TMainManager::Process::Classification));
    EXPECT_TRUE(m.controlNegativeClassified());
    EXPECT_TRUE(m.controlPositiveClassified());
    EXPECT_FALSE(m.isRunning());
    EXPECT_FALSE(m.saved());
    ASSERT_EQ(m.storage()->controlNegativeObjectCount, 30);
    ASSERT_EQ(m.storage()->controlPositiveObjectCount, 30);
    for (int32_t i = 0; i < 30; ++i) {
        const int32_t own = m.storage()->learnObjects[i].classNumber;
        EXPECT_EQ(m.storage()->controlNegativeObjects[i].classNumber, own) << i;
        EXPECT_EQ(m.storage()->controlPositiveObjects[i].classNumber, own) << i;
    }
    // Negatives first (set 2), then positives (set 1), rows from 1.
    ASSERT_EQ(controlClasses(sink).size(), 60u);
    EXPECT_EQ(controlClasses(sink)[0],
              (std::vector<int32_t>{2, 1, m.storage()->learnObjects[0].classNumber + 1}));
    EXPECT_EQ(controlClasses(sink)[30][0], 1);
    EXPECT_EQ(controlClasses(sink)[59][1], 30);
}

TEST_F(ClassificationTest, ControlPositivesAreSkippedWhenNotLoaded) {
    loadPositives();
    search();
    idealize(IdealizationType::kDeletingInserting, IdealizationSource::kObjects);
    ASSERT_TRUE(m.loadControlNegative(dir.write("c.seq", seqText(positives))));
    ASSERT_EQ(m.startClassification(), ClassificationStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_EQ(controlClasses(sink).size(), 30u);
    EXPECT_EQ(m.storage()->controlPositiveObjectCount, 0);
    EXPECT_TRUE(m.controlPositiveClassified());  // set by the end step in any case
}

TEST_F(ClassificationTest, PausedThenStoppedRunSkipsItsEnd) {
    ASSERT_NO_FATAL_FAILURE(startClassificationPausedAt(2));
    EXPECT_TRUE(m.isPaused());
    EXPECT_EQ(pause.calls(), 2);
    EXPECT_EQ(m.stopClassification(), 0);
    EXPECT_FALSE(m.isPaused());
    m.joinWorker();
    EXPECT_FALSE(m.hasEnded());
    EXPECT_FALSE(m.isRunning());
    EXPECT_FALSE(m.controlNegativeClassified());
    EXPECT_FALSE(m.controlPositiveClassified());
    EXPECT_TRUE(m.isStarted(TMainManager::Process::Classification));
    EXPECT_EQ(pause.calls(), 2);
    EXPECT_EQ(m.storage()->controlNegativeObjects[1].classNumber,
              m.storage()->learnObjects[1].classNumber);
    EXPECT_EQ(m.storage()->controlNegativeObjects[2].classNumber, -1);  // never reached
}

TEST_F(ClassificationTest, PauseAndResumeEndNormally) {
    ASSERT_NO_FATAL_FAILURE(startClassificationPausedAt(1));
    EXPECT_FALSE(m.hasEnded());
    EXPECT_EQ(m.resumeClassification(), 0);
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_TRUE(m.controlNegativeClassified());
    EXPECT_EQ(controlClasses(sink).size(), 60u);
}

// ---------------------------------------------------------------- the bundled example

// The promoter example from loading to classified control data, through the manager alone.
TEST(ExampleTest, PromotersFromLoadToClassifiedControls) {
    const std::string examples = MOTIFORA_EXAMPLES_DIR;
    RecordingSink sink;
    TMainManager m;
    m.setProgressSink(&sink);
    m.setThreadCount(1);
    ASSERT_TRUE(test::succeeded(m.loadLearnPositive(examples + "/promoters_pos.seq")));
    ASSERT_TRUE(test::succeeded(m.loadLearnNegative(examples + "/promoters_neg.seq")));
    EXPECT_EQ(m.learnPositiveCount(), 53);
    EXPECT_EQ(m.learnNegativeCount(), 53);

    ASSERT_EQ(m.startRuleSearch({0.05, 0.8, 500, 50, WorkMode::kFixed, 0}),
              RuleSearchStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_EQ(m.searchSettings().frameWidth, 57);
    EXPECT_EQ(m.storage()->learnObjectCount, 53);
    EXPECT_EQ(m.storage()->negativeObjectCount, 53);
    ASSERT_GT(m.rules()->Count(), 0);
    m.takeEnd(TMainManager::Process::RuleSearch);

    ASSERT_NO_FATAL_FAILURE(test::idealizeToTheEnd(m));
    ASSERT_GT(m.classCount(), 0);
    for (int32_t j = 0; j < 53; ++j) {
        EXPECT_GE(m.storage()->learnObjects[j].classNumber, 0);
        EXPECT_LT(m.storage()->learnObjects[j].classNumber, m.classCount());
    }

    ASSERT_TRUE(test::succeeded(m.loadControlNegative(examples + "/promoters_neg.seq")));
    EXPECT_FALSE(m.longControl());
    ASSERT_EQ(m.startClassification(), ClassificationStart::Started);
    ASSERT_TRUE(waitForEnd(m));
    EXPECT_TRUE(m.controlNegativeClassified());
    // The control negatives are the learning negatives: classified alike both times.
    for (int32_t i = 0; i < 53; ++i)
        EXPECT_EQ(m.storage()->controlNegativeObjects[i].classNumber,
                  m.storage()->negativeObjects[i].classNumber)
            << i;
}

}  // namespace
}  // namespace motifora
