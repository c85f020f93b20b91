// The workspace's bootstrap on small generated data: start codes, held-out draws, iterations
// and their rows, the class levels behind the rows, repeatability, pause, resume and stop.
#include <map>
#include <set>
#include <stdexcept>

#include "EvaluationTestSupport.h"
#include "evaluation/Bootstrap.h"
#include "support/TMainManagerTestAccess.h"

namespace motifora {
namespace {

using test::EvaluationFixture;

class BootstrapTest : public EvaluationFixture {
  protected:
    void prepare() {
        load();
        loadControlsWithoutStorage();
    }
    // The bootstrap needs no search of its own workspace: the control negative sample is read
    // against the storage of a first search.
    void loadControlsWithoutStorage() {
        ASSERT_NO_FATAL_FAILURE(test::searchToTheEnd(m, {0.05, 0.8, 200, 30, WorkMode::kFixed, 0}));
        loadControls(negatives, {});
    }
    // Starts a run of `iterations` at 10 % that pauses itself at its first countdown, and waits
    // for the pause.
    void startPaused(int32_t iterations) {
        ASSERT_NO_FATAL_FAILURE(prepare());
        sink.onEach<ItemsLeft>(pause.hook(1, [this] { m.PauseBootstrap(); }));
        ASSERT_EQ(m.StartBootstrap(10, iterations, 0, 0.0), BootstrapStart::Started);
        ASSERT_TRUE(pause.wait());
    }
    // Waits until the run's worker has ended and joins it.
    void waitForRun() {
        ASSERT_TRUE(test::waitForWorkerBody(m));
        ASSERT_FALSE(m.bootstrapActive());
        m.joinWorker();
    }

    test::HookTrigger pause;  // the worker has ended before it goes (TearDown)
};

TEST_F(BootstrapTest, StartCodes) {
    EXPECT_EQ(m.StartBootstrap(10, 1, 0, 0.0), BootstrapStart::NoSamples);
    ASSERT_TRUE(m.loadLearnPositive(dir.write("pos.seq", test::seqText(positives))));
    EXPECT_EQ(m.StartBootstrap(10, 1, 0, 0.0), BootstrapStart::NoSamples);  // no learning negatives
    ASSERT_TRUE(m.loadLearnNegative(dir.write("neg.seq", test::seqText(negatives))));
    EXPECT_EQ(m.StartBootstrap(10, 1, 0, 0.0), BootstrapStart::NoSamples);  // no control negatives
    loadControlsWithoutStorage();
    m.setIterationSearchSettings({0.05, 0.8, 200, 30, WorkMode::kShift, 0});
    EXPECT_EQ(m.StartBootstrap(10, 1, 0, 0.0), BootstrapStart::ShiftMode);
    EXPECT_FALSE(m.isRunning());
    EXPECT_FALSE(m.workerActive());
    EXPECT_EQ(m.samplePercent(), 0);  // refused starts store nothing
}

TEST_F(BootstrapTest, ThreeIterationsFillThreeRowsAndAverage) {
    prepare();
    const std::vector<Sequence> before = m.learnPositive();
    ASSERT_EQ(m.StartBootstrap(10, 3, 0, 0.25), BootstrapStart::Started);
    waitForRun();
    ASSERT_EQ(sink.rows().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sink.rows()[static_cast<size_t>(i)].row, i + 1);
        const double first = sink.rows()[static_cast<size_t>(i)].first;
        const double second = sink.rows()[static_cast<size_t>(i)].second;
        EXPECT_TRUE(first >= 0 && first <= 1);
        EXPECT_TRUE(second >= 0 && second <= 1);
    }
    EXPECT_EQ(sink.averagesFor(), std::vector<int32_t>{3});
    EXPECT_EQ(sink.finishedRuns(), 1);  // averages, then the end of the run
    EXPECT_EQ(m.iteration(), 3);
    EXPECT_FALSE(m.isRunning());
    EXPECT_TRUE(m.hasEnded());
    // 40 positives at 10 %: ceil(4) - 1 = 3 held out, 37 kept, in every iteration.
    EXPECT_EQ(sink.keptCounts, (std::vector<int32_t>{37, 37, 37}));
    for (const auto& names : sink.heldOutNames) EXPECT_EQ(names.size(), 3u);
    // One sequence runs on across the iterations: not every iteration holds out the same.
    EXPECT_FALSE(sink.heldOutNames[0] == sink.heldOutNames[1] &&
                 sink.heldOutNames[1] == sink.heldOutNames[2]);
    // The iteration's objects are gone; the workspace's own samples are untouched.
    EXPECT_EQ(m.bootstrapStorage(), nullptr);
    EXPECT_EQ(m.bootstrapClassificator(), nullptr);
    EXPECT_TRUE(m.bootstrapLearnPositive().empty());
    ASSERT_EQ(m.learnPositive().size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(m.learnPositive()[i].text, before[i].text);
        EXPECT_EQ(m.learnPositive()[i].startPosition, before[i].startPosition);
    }
}

TEST_F(BootstrapTest, HundredPositivesAtTenPercentHoldOutNine) {
    positives = test::patternedRecords(100, 6, test::kEvaluationSeed + 2);
    prepare();
    ASSERT_EQ(m.StartBootstrap(10, 1, 0, 0.0), BootstrapStart::Started);
    waitForRun();
    EXPECT_EQ(sink.keptCounts, std::vector<int32_t>{91});
    ASSERT_EQ(sink.heldOutNames.size(), 1u);
    EXPECT_EQ(sink.heldOutNames[0].size(), 9u);
}

TEST_F(BootstrapTest, NothingHeldOutGivesAFirstLevelErrorOfZero) {
    positives = test::patternedRecords(10, 6, test::kEvaluationSeed + 3);
    prepare();
    ASSERT_EQ(m.StartBootstrap(10, 1, 0, 0.5),
              BootstrapStart::Started);  // ceil(1) - 1 = 0 held out
    waitForRun();
    EXPECT_EQ(sink.keptCounts, std::vector<int32_t>{10});
    ASSERT_EQ(sink.rows().size(), 1u);
    EXPECT_EQ(sink.rows()[0].first, 0.0);
}

// The row of an iteration follows from the scores shown: per class, the level from the kept
// scores and the wanted error, then held-out scores and control negative scores above it.
TEST_F(BootstrapTest, RowsFollowTheClassLevelsOfTheShownScores) {
    prepare();
    for (double wanted : {0.0, 0.3, 1.0}) {
        sink.clear();
        ASSERT_EQ(m.StartBootstrap(20, 1, 0, wanted), BootstrapStart::Started);
        waitForRun();
        ASSERT_FALSE(sink.objectScores.empty());
        std::map<int32_t, std::vector<double>> kept, heldOut, controls;
        for (const auto& shown : sink.objectScores) {
            auto& into = shown.classOrKind == codeOf(SampleKind::LearnPositive)     ? kept
                         : shown.classOrKind == codeOf(SampleKind::ControlPositive) ? heldOut
                                                                                    : controls;
            into[shown.currentClass].push_back(shown.score);
        }
        int32_t recognized = 0, accepted = 0;
        for (const auto& [c, scores] : kept) {
            const double level = bootstrapLevel(scores, wanted);
            for (double s : heldOut[c]) recognized += s > level;
            for (double s : controls[c]) accepted += s > level;
        }
        const int32_t h = heldOutCount(static_cast<int32_t>(positives.size()), 20);
        ASSERT_EQ(sink.rows().size(), 1u);
        EXPECT_EQ(sink.rows()[0].first, iterationFirstError(h, recognized)) << "wanted " << wanted;
        EXPECT_EQ(sink.rows()[0].second,
                  iterationSecondError(accepted, static_cast<int32_t>(negatives.size())));
    }
}

TEST_F(BootstrapTest, SameSeedSameRows) {
    prepare();
    ASSERT_EQ(m.StartBootstrap(10, 2, 0, 0.25), BootstrapStart::Started);
    waitForRun();
    const auto firstRun = sink.heldOutNames;

    TMainManager other;
    test::EvaluationSink otherSink{other};
    other.setProgressSink(&otherSink);
    other.setThreadCount(1);
    ASSERT_TRUE(other.loadLearnPositive(dir.write("p2.seq", test::seqText(positives))));
    ASSERT_TRUE(other.loadLearnNegative(dir.write("n2.seq", test::seqText(negatives))));
    ASSERT_EQ(other.startRuleSearch({0.05, 0.8, 200, 30, WorkMode::kFixed, 0}),
              RuleSearchStart::Started);
    ASSERT_TRUE(test::waitForEnd(other));
    ASSERT_TRUE(other.loadControlNegative(dir.write("c2.seq", test::seqText(negatives))));
    ASSERT_EQ(other.StartBootstrap(10, 2, 0, 0.25), BootstrapStart::Started);
    ASSERT_TRUE(test::waitForWorkerBody(other));
    ASSERT_FALSE(other.bootstrapActive());
    other.joinWorker();
    EXPECT_EQ(otherSink.heldOutNames, firstRun);
    ASSERT_EQ(otherSink.rows().size(), sink.rows().size());
    for (size_t i = 0; i < sink.rows().size(); ++i) {
        EXPECT_EQ(otherSink.rows()[i].first, sink.rows()[i].first);
        EXPECT_EQ(otherSink.rows()[i].second, sink.rows()[i].second);
    }
}

TEST_F(BootstrapTest, PauseHoldsTheRunAndResumeFinishesIt) {
    ASSERT_NO_FATAL_FAILURE(startPaused(2));
    // Waiting at its gate, the run does nothing more until resumed.
    ASSERT_TRUE(test::waitForWorkerAtGate(m));
    EXPECT_TRUE(m.isPaused());
    EXPECT_TRUE(m.bootstrapActive());
    EXPECT_TRUE(sink.rows().empty());
    // "Start" while paused resumes; a second start is refused meanwhile.
    EXPECT_EQ(m.StartBootstrap(10, 2, 0, 0.0), BootstrapStart::NoThread);
    m.ResumeBootstrap();
    waitForRun();
    EXPECT_EQ(sink.rows().size(), 2u);
    EXPECT_FALSE(m.isPaused());
}

TEST_F(BootstrapTest, StopWhilePausedAbortsTheIteration) {
    ASSERT_NO_FATAL_FAILURE(startPaused(3));
    m.StopBootstrap();
    waitForRun();
    EXPECT_TRUE(sink.rows().empty());
    EXPECT_EQ(sink.finishedRuns(), 1);
    EXPECT_FALSE(m.isRunning());
    EXPECT_FALSE(m.hasEnded());
    EXPECT_FALSE(m.isPaused());
    EXPECT_EQ(m.bootstrapStorage(), nullptr);
    EXPECT_EQ(m.bootstrapClassCount(), 0);
}

TEST_F(BootstrapTest, StopWhileClassesAreScoredEndsTheRun) {
    prepare();
    test::HookTrigger stop;
    sink.onEach<ObjectScored>(stop.hook(1, [&] { m.StopBootstrap(); }));
    ASSERT_EQ(m.StartBootstrap(10, 3, 0, 0.0), BootstrapStart::Started);
    waitForRun();
    EXPECT_TRUE(stop.done());
    EXPECT_TRUE(sink.rows().empty());
    EXPECT_EQ(sink.finishedRuns(), 1);
    EXPECT_TRUE(sink.averagesFor().empty());
    // A new run starts afresh after a stop.
    sink.onEach<ObjectScored>(nullptr);
    ASSERT_EQ(m.StartBootstrap(10, 1, 0, 0.0), BootstrapStart::Started);
    waitForRun();
    EXPECT_EQ(sink.rows().size(), 1u);
}

TEST_F(BootstrapTest, TheWorkspaceFrameWidthStaysWhenTheWidestRecordIsHeldOut) {
    // One record two letters longer than the rest: an iteration that holds it out builds
    // narrower objects, which must not change the width the workspace scans with.
    positives[0] += "AC";
    load();
    ASSERT_NO_FATAL_FAILURE(test::searchToTheEnd(m, {0.05, 0.8, 200, 30, WorkMode::kFixed, 0}));
    std::vector<std::string> controls = negatives;
    for (std::string& text : controls) text += "GT";
    loadControls(controls, {});
    const int32_t width = m.searchSettings().frameWidth;
    ASSERT_EQ(width, 8);
    ASSERT_EQ(m.StartBootstrap(50, 12, 0, 0.0), BootstrapStart::Started);
    waitForRun();
    ASSERT_EQ(sink.heldOutNames.size(), 12u);
    bool narrowerIteration = false;
    for (const auto& names : sink.heldOutNames)
        for (const std::string& name : names) narrowerIteration |= name == "s1";
    EXPECT_TRUE(narrowerIteration) << "no iteration held out the widest record";
    EXPECT_EQ(sink.frameWidths, std::vector<int32_t>(12, width));
    EXPECT_EQ(m.searchSettings().frameWidth, width);
}

TEST_F(BootstrapTest, ALatePauseDoesNotHoldTheNextRun) {
    prepare();
    ASSERT_EQ(m.StartBootstrap(10, 1, 0, 0.0), BootstrapStart::Started);
    waitForRun();
    m.PauseBootstrap();  // "Pause" pressed just after the run had ended
    ASSERT_EQ(m.StartBootstrap(10, 1, 0, 0.0), BootstrapStart::Started);
    EXPECT_FALSE(m.isPaused());
    waitForRun();
    EXPECT_EQ(sink.rows().size(), 2u);
}

TEST_F(BootstrapTest, AFailureInsideTheRunStillEndsIt) {
    prepare();
    sink.onEach<ObjectScored>([] { throw std::runtime_error("sink failed"); });
    ASSERT_EQ(m.StartBootstrap(10, 2, 0, 0.0), BootstrapStart::Started);
    waitForRun();
    EXPECT_NE(m.takeWorkerError().find("sink failed"), std::string::npos);
    EXPECT_EQ(sink.finishedRuns(), 1);
    EXPECT_FALSE(m.isRunning());
    EXPECT_EQ(m.bootstrapStorage(), nullptr);
    // Nothing is left that would refuse the next run.
    sink.onEach<ObjectScored>(nullptr);
    ASSERT_EQ(m.StartBootstrap(10, 1, 0, 0.0), BootstrapStart::Started);
    waitForRun();
    EXPECT_EQ(sink.rows().size(), 1u);
}

TEST_F(BootstrapTest, NeverSearchedWorkspaceUsesTheDefaultSettings) {
    load();
    // A control negative sample needs a storage to be checked against; the search settings are
    // then cleared as if none had been stored.
    loadControlsWithoutStorage();
    m.setIterationSearchSettings({0.0, 0.0, 0, 0, WorkMode::kFixed, 0});
    ASSERT_EQ(m.StartBootstrap(10, 1, 0, 0.0), BootstrapStart::Started);
    waitForRun();
    EXPECT_EQ(sink.ruleCapacities, std::vector<int32_t>{500});
    EXPECT_EQ(sink.rows().size(), 1u);
}

}  // namespace
}  // namespace motifora
