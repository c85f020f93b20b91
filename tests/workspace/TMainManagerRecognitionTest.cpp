// The workspace's recognition: start codes, all-classes and one-class object recognition on the
// worker, and the scanning recognition of long control sequences.
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <stdexcept>

#include "EvaluationTestSupport.h"
#include "evaluation/Recognition.h"
#include "support/TMainManagerTestAccess.h"

namespace motifora {
namespace {

using test::EvaluationFixture;

// Bitwise equality, so that not-a-number scores compare too.
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class RecognitionTest : public EvaluationFixture {};

TEST_F(RecognitionTest, StartCodesTestClassesFirst) {
    // No classes: 8 even though no control data is loaded either.
    EXPECT_EQ(m.StartRecognition(-1), RecognitionStart::NoClasses);
    EXPECT_EQ(m.ScanRecognition(0), RecognitionStart::NoClasses);
    load();
    searchAndIdealize();
    EXPECT_EQ(m.StartRecognition(-1), RecognitionStart::NoControl);
    EXPECT_EQ(m.ScanRecognition(0), RecognitionStart::NoControl);
    EXPECT_FALSE(m.workerActive());
    // Not beside a live process.
    loadControls(positives, {});
    TMainManagerTestAccess::stage(m, TMainManager::Process::Bootstrap,
                                  TMainManager::Phase::Running);
    EXPECT_EQ(m.StartRecognition(-1), RecognitionStart::NoThread);
    TMainManagerTestAccess::stage(m, TMainManager::Process::None, TMainManager::Phase::Idle);
    recognize(-1);
    EXPECT_FALSE(m.recognitionActive());
}

TEST_F(RecognitionTest, AllClassesScoresEveryObjectAgainstEveryClassInOrder) {
    load();
    searchAndIdealize();
    loadControls(negatives, {});
    m.markSaved();
    recognize(-1);
    EXPECT_FALSE(m.saved());
    EXPECT_TRUE(m.modified());
    EXPECT_EQ(sink.finishedWith(), std::vector<int32_t>{0});
    ASSERT_EQ(sink.classScores.size(),
              static_cast<size_t>(m.controlNegativeCount()) * static_cast<size_t>(m.classCount()));
    size_t k = 0;
    for (int32_t i = 0; i < m.controlNegativeCount(); ++i) {
        for (int32_t j = 0; j < m.classCount(); ++j, ++k) {
            const auto& shown = sink.classScores[k];
            ASSERT_EQ(shown.object, i);
            ASSERT_EQ(shown.classOrKind, j);
            const double expected =
                m.classificator()->ScoreObject(m.storage()->controlNegativeObjects[i], i, j);
            EXPECT_TRUE(sameBits(shown.score, expected)) << "object " << i << " class " << j;
        }
    }
}

TEST_F(RecognitionTest, OneClassScoresOnlyItsObjectsOnTheChosenSides) {
    load();
    searchAndIdealize();
    loadControls(negatives, positives);
    classify();
    for (const SampleSide negativeSource : {SampleSide::kLearning, SampleSide::kControl}) {
        for (const SampleSide positiveSource : {SampleSide::kLearning, SampleSide::kControl}) {
            m.setRecognitionSources(positiveSource, negativeSource);
            sink.clear();
            const int32_t c = 0;
            recognize(c);
            const SEQStorage& s = *m.storage();
            const ObjectSet& negative = negativeSource == SampleSide::kControl
                                            ? s.controlNegativeObjects
                                            : s.negativeObjects;
            const ObjectSet& positive =
                positiveSource == SampleSide::kControl ? s.controlPositiveObjects : s.learnObjects;
            // Expected calls: the negative side's objects of class c, then the positive side's.
            std::vector<std::pair<int32_t, int32_t>> expected;
            int32_t n = 0;
            for (int32_t i = 0; i < negative.size(); ++i)
                if (negative[i].classNumber == c)
                    expected.push_back({i, codeOf(negativeSource == SampleSide::kControl
                                                      ? SampleKind::ControlNegative
                                                      : SampleKind::LearnNegative)});
            for (int32_t i = 0; i < positive.size(); ++i)
                if (positive[i].classNumber == c) {
                    expected.push_back({i, codeOf(positiveSource == SampleSide::kControl
                                                      ? SampleKind::ControlPositive
                                                      : SampleKind::LearnPositive)});
                    ++n;
                }
            ASSERT_EQ(sink.objectScores.size(), expected.size());
            for (size_t k = 0; k < expected.size(); ++k) {
                const auto& shown = sink.objectScores[k];
                EXPECT_EQ(shown.object, expected[k].first);
                EXPECT_EQ(shown.classOrKind, expected[k].second);
                const ObjectSet& set =
                    k < expected.size() - static_cast<size_t>(n) ? negative : positive;
                EXPECT_TRUE(sameBits(set[shown.object].score, shown.score));
            }
            EXPECT_EQ(sink.finishedWith(), std::vector<int32_t>{n});
            EXPECT_EQ(m.recognitionClass(), c);
        }
    }
}

TEST_F(RecognitionTest, PositiveSideWithoutObjectsOfTheClassFinishesWithZero) {
    load();
    searchAndIdealize();
    loadControls(negatives, {});
    m.setRecognitionSources(SampleSide::kLearning, SampleSide::kControl);
    recognize(m.classCount() + 3);  // a class no object belongs to
    EXPECT_TRUE(sink.objectScores.empty());
    EXPECT_EQ(sink.finishedWith(), std::vector<int32_t>{0});
}

TEST_F(RecognitionTest, AFailureInsideTheWorkerStillUnlocks) {
    load();
    searchAndIdealize();
    loadControls(negatives, {});
    m.setRecognitionSources(m.recognitionPositiveSource(), SampleSide::kControl);
    sink.onEach<ObjectScored>([] { throw std::runtime_error("sink failed"); });
    sink.recognitionDone = false;
    ASSERT_EQ(m.StartRecognition(0), RecognitionStart::Started);
    m.joinWorker();
    EXPECT_NE(m.takeWorkerError().find("sink failed"), std::string::npos);
    EXPECT_FALSE(m.recognitionActive());
    EXPECT_EQ(sink.finishedWith(), std::vector<int32_t>{0});
    sink.onEach<ObjectScored>(nullptr);
    sink.clear();
    recognize(0);
    EXPECT_EQ(sink.finishedWith().size(), 1u);
}

TEST_F(RecognitionTest, AStopEndsTheRecognitionAfterTheScoreInHand) {
    load();
    searchAndIdealize();
    loadControls(negatives, {});
    ASSERT_GT(m.controlNegativeCount() * m.classCount(), 1);
    // The worker is held inside its first score until the stop has been asked for.
    std::mutex gate;
    std::condition_variable changed;
    bool entered = false, released = false;
    sink.onEach<ClassScored>([&] {
        std::unique_lock<std::mutex> lock(gate);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    });
    sink.recognitionDone = false;
    ASSERT_EQ(m.StartRecognition(-1), RecognitionStart::Started);
    {
        std::unique_lock<std::mutex> lock(gate);
        changed.wait(lock, [&] { return entered; });
        m.stopRecognition();
        released = true;
        changed.notify_all();
    }
    m.joinWorker();
    sink.onEach<ClassScored>(nullptr);
    EXPECT_EQ(sink.classScores.size(), 1u);
    EXPECT_EQ(sink.finishedWith(), std::vector<int32_t>{0});
    EXPECT_FALSE(m.recognitionActive());

    // The next start clears the request and scores everything.
    sink.clear();
    recognize(-1);
    EXPECT_EQ(sink.classScores.size(),
              static_cast<size_t>(m.controlNegativeCount()) * static_cast<size_t>(m.classCount()));
}

TEST_F(RecognitionTest, AStoppedOneClassRecognitionCountsNoErrors) {
    load();
    searchAndIdealize();
    loadControls(negatives, {});
    m.setRecognitionSources(m.recognitionPositiveSource(), SampleSide::kControl);
    // Stopped from inside its first score: nothing after it is scored, and the end reports
    // no positive objects, so no error counting follows.
    sink.onEach<ObjectScored>([this] { m.stopRecognition(); });
    sink.recognitionDone = false;
    ASSERT_EQ(m.StartRecognition(0), RecognitionStart::Started);
    m.joinWorker();
    sink.onEach<ObjectScored>(nullptr);
    EXPECT_EQ(sink.objectScores.size(), 1u);
    EXPECT_EQ(sink.finishedWith(), std::vector<int32_t>{0});
}

// Long control sequences: windows of the object width along each sequence.
class ScanTest : public EvaluationFixture {};

TEST_F(ScanTest, WindowsRunOnAcrossSequencesAndScoreLikeTheirObjects) {
    prepareLongControls();
    EXPECT_EQ(m.ScanRecognition(0), RecognitionStart::Started);
    ASSERT_EQ(sink.positionCounts(), std::vector<int32_t>{7 + 10 + 1});
    ASSERT_EQ(m.windowScores().size(), 18u);
    EXPECT_EQ(m.storage()->controlNegativeObjectCount, 0);  // released after scoring
    EXPECT_FALSE(m.recognitionStale());
    EXPECT_EQ(m.lastRecognitionClass(), 0);
    // The straightforward twin: the same windows built again, scored one by one.
    TMainManagerTestAccess::storage(m)->buildControlWindows(
        m.controlNegative().data(), m.controlNegativeCount(), m.searchSettings().frameWidth);
    ASSERT_EQ(m.storage()->controlNegativeObjectCount, 18);
    for (int32_t k = 0; k < 18; ++k) {
        const double expected =
            m.classificator()->ScoreObject(m.storage()->controlNegativeObjects[k], k, 0);
        EXPECT_TRUE(sameBits(m.windowScores()[static_cast<size_t>(k)], expected)) << "window " << k;
    }
    TMainManagerTestAccess::storage(m)->releaseControlObjects(0);
}

TEST_F(ScanTest, SameClassRedrawsWithoutScoringAgain) {
    prepareLongControls();
    TMainManagerTestAccess::stage(m, TMainManager::Process::Bootstrap,
                                  TMainManager::Phase::Running);  // never beside a live worker
    EXPECT_EQ(m.ScanRecognition(0), RecognitionStart::NoThread);
    EXPECT_TRUE(sink.positionCounts().empty());
    TMainManagerTestAccess::stage(m, TMainManager::Process::None, TMainManager::Phase::Idle);
    ASSERT_EQ(m.ScanRecognition(0), RecognitionStart::Started);
    TMainManagerTestAccess::windowScores(m)[0] = 12345.0;  // a mark a new scan would overwrite
    ASSERT_EQ(m.ScanRecognition(0), RecognitionStart::Started);
    EXPECT_EQ(m.windowScores()[0], 12345.0);
    EXPECT_EQ(sink.positionCounts(), (std::vector<int32_t>{18, 18}));
    if (m.classCount() > 1) {
        ASSERT_EQ(m.ScanRecognition(1), RecognitionStart::Started);
        EXPECT_NE(m.windowScores()[0], 12345.0);
        EXPECT_EQ(m.lastRecognitionClass(), 1);
        TMainManagerTestAccess::windowScores(m)[0] = 12345.0;
        ASSERT_EQ(m.ScanRecognition(1), RecognitionStart::Started);
        EXPECT_EQ(m.windowScores()[0], 12345.0);
    }
    // New control data forces a new scan of the same class.
    ASSERT_TRUE(
        m.loadControlNegative(dir.write("again.seq", test::seqText({positives[7] + "ACG"}))));
    EXPECT_TRUE(m.recognitionStale());
    ASSERT_EQ(m.ScanRecognition(m.lastRecognitionClass()), RecognitionStart::Started);
    EXPECT_EQ(sink.positionCounts().back(), 4);
    EXPECT_EQ(m.windowScores().size(), 4u);
}

TEST_F(ScanTest, OneClassRecognitionAfterAScanRebuildsTheControlObjects) {
    prepareLongControls();
    classify();
    ASSERT_EQ(m.ScanRecognition(0), RecognitionStart::Started);
    ASSERT_EQ(m.storage()->controlNegativeObjectCount, 0);
    m.setRecognitionSources(SampleSide::kLearning, SampleSide::kControl);
    recognize(0);
    ASSERT_EQ(m.storage()->controlNegativeObjectCount, m.controlNegativeCount());
    // The rebuilt objects got their classes back before they were scored.
    for (int32_t i = 0; i < m.controlNegativeCount(); ++i) {
        const SEQSElem& object = m.storage()->controlNegativeObjects[i];
        EXPECT_EQ(object.classNumber,
                  m.classificator()->ClassifyObject(object, i + 1, ObjectSetKind::ControlNegative));
    }
    ASSERT_EQ(sink.finishedWith().size(), 1u);
    EXPECT_GT(sink.finishedWith()[0], 0);
}

}  // namespace
}  // namespace motifora
