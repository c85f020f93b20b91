// The scanning recognition run as a worker process: the same scores as the scan in the caller's
// thread, a stop that keeps the earlier scores, progress, and windows that always hold letters;
// every window's score that of the window object in fixed and shift positions; the
// discriminative score with the figures of the genome scan of the same rules.
#include <cmath>
#include <cstring>

#include "EvaluationTestSupport.h"
#include "evaluation/CrossValidation.h"
#include "evaluation/Pipeline.h"
#include "evaluation/Recognition.h"
#include "genome/GenomeScan.h"
#include "support/ScanRecorder.h"
#include "support/StatusAssert.h"
#include "support/TMainManagerTestAccess.h"

namespace motifora {
namespace {

using test::EvaluationFixture;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class ScanProcessTest : public EvaluationFixture {
  protected:
    // Runs a started scan to its end as the window's timer would; returns takeScanResult.
    bool finishScan() {
        EXPECT_TRUE(m.scanStarted());
        EXPECT_TRUE(test::waitForWorkerBody(m));
        EXPECT_FALSE(m.isRunning());
        return m.takeScanResult();
    }
};

TEST_F(ScanProcessTest, WorkerScanEqualsTheScanInTheCallersThread) {
    prepareLongControls();
    ASSERT_EQ(m.ScanRecognition(0), RecognitionStart::Started);
    const std::vector<double> direct = m.windowScores();
    ASSERT_EQ(direct.size(), 18u);

    TMainManagerTestAccess::recognitionStale(m) =
        true;  // as after a new control load: compute again
    TMainManagerTestAccess::windowScores(m).assign(3, -1.0);
    m.markSaved();
    ASSERT_EQ(m.StartScanRecognition(0), RecognitionStart::Started);
    EXPECT_EQ(m.scanTotal(), 18);
    ASSERT_TRUE(finishScan());
    EXPECT_FALSE(m.scanStarted());
    EXPECT_FALSE(m.hasEnded());
    EXPECT_FALSE(m.saved());
    EXPECT_EQ(m.scanDone(), 18);
    ASSERT_EQ(m.windowScores().size(), direct.size());
    for (size_t k = 0; k < direct.size(); ++k)
        EXPECT_TRUE(sameBits(m.windowScores()[k], direct[k])) << "window " << k;
    EXPECT_EQ(m.lastRecognitionClass(), 0);
    EXPECT_FALSE(m.recognitionStale());
    EXPECT_EQ(m.storage()->controlNegativeObjectCount, 0);  // released after scoring
    // The chart is drawn by the window at the end, not by the worker.
    EXPECT_EQ(sink.positionCounts(), std::vector<int32_t>{18});

    // Nothing new to compute: shown again at once, no worker.
    EXPECT_EQ(m.StartScanRecognition(0), RecognitionStart::Shown);
    EXPECT_FALSE(m.workerActive());
    EXPECT_EQ(sink.positionCounts(), (std::vector<int32_t>{18, 18}));
}

TEST_F(ScanProcessTest, StoppedScanKeepsTheEarlierScores) {
    prepareLongControls();
    ASSERT_EQ(m.ScanRecognition(0), RecognitionStart::Started);
    const std::vector<double> earlier = m.windowScores();
    ASSERT_GT(m.classCount(), 1) << "the case needs two classes";

    m.holdNextStart();
    ASSERT_EQ(m.StartScanRecognition(1), RecognitionStart::Started);
    // Held at its first gate: a live process that refuses a second start and a save.
    EXPECT_TRUE(m.isRunning());
    EXPECT_FALSE(m.isPaused());
    EXPECT_TRUE(m.runControl().isHeld());
    EXPECT_TRUE(m.workerLive());
    EXPECT_EQ(m.StartScanRecognition(1), RecognitionStart::NoThread);
    EXPECT_EQ(m.StartRecognition(-1), RecognitionStart::NoThread);
    m.stopScanRecognition();
    EXPECT_FALSE(finishScan());
    EXPECT_FALSE(m.scanStarted());
    EXPECT_FALSE(m.hasEnded());
    EXPECT_EQ(m.windowScores(), earlier);
    EXPECT_EQ(m.lastRecognitionClass(), 0);
    EXPECT_EQ(m.storage()->controlNegativeObjectCount, 0);

    // A held scan that is let go completes like any other.
    m.holdNextStart();
    ASSERT_EQ(m.StartScanRecognition(1), RecognitionStart::Started);
    m.releaseHeldStart();
    ASSERT_TRUE(finishScan());
    EXPECT_EQ(m.lastRecognitionClass(), 1);
    EXPECT_EQ(m.windowScores().size(), 18u);
}

TEST_F(ScanProcessTest, APausedScanWaitsAtItsGateAndGoesOnWhenResumed) {
    prepareLongControls();
    // Two records of 100,000 letters (a FASTA file keeps them whole): windows enough for
    // several chunks of the scan.
    std::string fasta;
    for (int r = 0; r < 2; ++r) {
        fasta += ">long" + std::to_string(r + 1) + "\n";
        for (int i = 0; i < 100000 / 6; ++i)
            fasta += positives[static_cast<size_t>((i * 7 + r) % 40)];
        fasta += positives[0].substr(0, 100000 % 6) + "\n";
    }
    ASSERT_TRUE(test::succeeded(m.loadControlNegative(dir.write("long.fa", fasta))));
    const int64_t windows = 2 * (100000 - 6 + 1);
    ASSERT_EQ(m.ScanRecognition(1), RecognitionStart::Started);
    const std::vector<double> direct = m.windowScores();
    ASSERT_EQ(static_cast<int64_t>(direct.size()), windows);
    ASSERT_EQ(m.ScanRecognition(0), RecognitionStart::Started);

    m.holdNextStart();
    ASSERT_EQ(m.StartScanRecognition(1), RecognitionStart::Started);
    ASSERT_TRUE(test::waitForWorkerAtGate(m));
    m.pauseScanRecognition();
    m.releaseHeldStart();
    // Paused before its first window: it waits at the gate and shows no progress.
    EXPECT_TRUE(m.isPaused());
    EXPECT_TRUE(m.runControl().workerWaiting());
    EXPECT_EQ(m.scanDone(), 0);
    EXPECT_EQ(m.scanTotal(), windows);
    m.resumeScanRecognition();
    ASSERT_TRUE(finishScan());
    EXPECT_EQ(m.scanDone(), windows);
    ASSERT_EQ(m.windowScores().size(), direct.size());
    for (size_t k = 0; k < direct.size(); ++k)
        ASSERT_TRUE(sameBits(m.windowScores()[k], direct[k])) << "window " << k;
}

TEST_F(ScanProcessTest, RefusalsComeBeforeAnyWorker) {
    EXPECT_EQ(m.StartScanRecognition(0), RecognitionStart::NoClasses);
    load();
    searchAndIdealize();
    EXPECT_EQ(m.StartScanRecognition(0), RecognitionStart::NoControl);
    EXPECT_FALSE(m.workerActive());
    EXPECT_FALSE(m.scanStarted());
}

TEST_F(ScanProcessTest, EveryCountedWindowHoldsLettersWhenTheObjectsAreWholeSequences) {
    // Shift positions with a learning negative sample: after the search the objects are the
    // whole sequences (6 wide), the frame stays 4 wide.
    load();
    ASSERT_NO_FATAL_FAILURE(test::searchToTheEnd(m, {0.05, 0.8, 200, 30, WorkMode::kShift, 4}));
    ASSERT_EQ(m.storage()->width, 6);
    ASSERT_EQ(m.searchSettings().frameWidth, 4);
    ASSERT_NO_FATAL_FAILURE(test::idealizeToTheEnd(m));
    ASSERT_GT(m.classCount(), 0);
    const std::vector<std::string> control = {positives[0] + positives[1], positives[2]};
    loadControls(control, {});

    ASSERT_EQ(m.StartScanRecognition(0), RecognitionStart::Started);
    ASSERT_TRUE(finishScan());
    ASSERT_EQ(m.windowScores().size(), 9u + 3u);  // 12 - 4 + 1 and 6 - 4 + 1

    // Window p of a sequence holds its letters p ... p + 3, the last ones too.
    TMainManagerTestAccess::storage(m)->buildControlWindows(m.controlNegative().data(),
                                                            m.controlNegativeCount(), 4);
    ASSERT_EQ(m.storage()->controlNegativeObjectCount, 12);
    int32_t k = 0;
    for (const std::string& text : control) {
        for (size_t p = 0; p + 4 <= text.size(); ++p, ++k) {
            const SEQSElem& window = m.storage()->controlNegativeObjects[k];
            ASSERT_EQ(window.positionCount(), 4);
            for (int32_t l = 0; l < 4; ++l)
                EXPECT_EQ(window.codeAt(l),
                          m.storage()->codeTable.codeOf(static_cast<unsigned char>(text[p + l])))
                    << "window " << k << " position " << l;
            const double expected = m.classificator()->ScoreObject(window, k, 0);
            EXPECT_TRUE(sameBits(m.windowScores()[static_cast<size_t>(k)], expected))
                << "window " << k;
        }
    }
    TMainManagerTestAccess::storage(m)->releaseControlObjects(0);
}

// A shift-mode project scans, after saving and reopening, exactly the windows it scanned before:
// those of the frame width saved in its header, also where the objects are whole sequences
// (a search with learning negatives), whose width a reopened scan must not take.
class ReopenedShiftScanTest : public ScanProcessTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ReopenedShiftScanTest, ScansTheSameWindowsWithTheSameScores) {
    const bool withNegatives = GetParam();
    load(withNegatives);
    ASSERT_NO_FATAL_FAILURE(test::searchToTheEnd(m, {0.05, 0.8, 200, 30, WorkMode::kShift, 4}));
    ASSERT_EQ(m.storage()->width, withNegatives ? 6 : 4);
    ASSERT_NO_FATAL_FAILURE(test::idealizeToTheEnd(m));
    ASSERT_GT(m.classCount(), 0);
    loadControls({positives[0] + positives[1] + positives[2], positives[3]}, {});

    std::vector<std::vector<double>> before;
    for (int32_t c = 0; c < m.classCount(); ++c) {
        ASSERT_EQ(m.ScanRecognition(c), RecognitionStart::Started);
        before.push_back(m.windowScores());
        ASSERT_EQ(before.back().size(), 15u + 3u);  // 18 - 4 + 1 and 6 - 4 + 1 windows
    }
    const ProjectSettings settings{
        0.05, 0.8, 200, 30, WorkMode::kShift, 4, IdealizationType::kDeletingInserting, 0};
    const std::string file = dir.path("shift.dnp");
    ASSERT_TRUE(test::succeeded(m.saveProject(file, settings, nullptr)));

    TMainManager reopened;
    OpenedProject opened;
    ASSERT_TRUE(test::succeeded(reopened.openProject(file, opened)));
    EXPECT_EQ(reopened.searchSettings().frameWidth, 4) << "the header's frame width";
    ASSERT_EQ(reopened.classCount(), m.classCount());
    for (int32_t c = 0; c < reopened.classCount(); ++c) {
        ASSERT_EQ(reopened.ScanRecognition(c), RecognitionStart::Started);
        const std::vector<double>& after = reopened.windowScores();
        ASSERT_EQ(after.size(), before[static_cast<size_t>(c)].size()) << "class " << c;
        for (size_t k = 0; k < after.size(); ++k)
            EXPECT_TRUE(sameBits(after[k], before[static_cast<size_t>(c)][k]))
                << "class " << c << " window " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutNegatives, ReopenedShiftScanTest, ::testing::Bool());

// Every window of every class scored as the straightforward scan scores it: the window cut as an
// object and scored by the classificator, in fixed positions (frame = objects) and in shift
// positions (frames 4 and 5, objects as wide or, with learning negatives, whole sequences).
struct ScanLayout {
    const char* name;
    bool withNegatives;
    WorkMode workMode;
    int32_t frameWidth;
};

class ScanEqualsObjectScoresTest : public ScanProcessTest,
                                   public ::testing::WithParamInterface<ScanLayout> {};

TEST_P(ScanEqualsObjectScoresTest, EveryWindowOfEveryClass) {
    const ScanLayout layout = GetParam();
    m.setThreadCount(2);
    load(layout.withNegatives);
    ASSERT_NO_FATAL_FAILURE(
        test::searchToTheEnd(m, {0.05, 0.8, 200, 30, layout.workMode, layout.frameWidth}));
    ASSERT_NO_FATAL_FAILURE(test::idealizeToTheEnd(m));
    ASSERT_GT(m.classCount(), 1);
    std::string longRecord;
    for (int i = 0; i < 30; ++i) longRecord += positives[static_cast<size_t>(i)];
    loadControls({longRecord, positives[3], positives[4] + negatives[0]}, {});
    const int32_t w = m.searchSettings().frameWidth;
    ASSERT_EQ(w, layout.workMode == WorkMode::kShift ? layout.frameWidth : 6);

    for (int32_t c = 0; c < m.classCount(); ++c) {
        ASSERT_EQ(m.ScanRecognition(c), RecognitionStart::Started);
        SEQStorage& storage = *TMainManagerTestAccess::storage(m);
        storage.buildControlWindows(m.controlNegative().data(), m.controlNegativeCount(), w);
        std::vector<double> expected;
        scoreWindows(*m.classificator(), storage.controlNegativeObjects.data(),
                     storage.controlNegativeObjectCount, c, expected);
        storage.releaseControlObjects(0);
        ASSERT_EQ(m.windowScores().size(), expected.size()) << "class " << c;
        for (size_t k = 0; k < expected.size(); ++k)
            ASSERT_TRUE(sameBits(m.windowScores()[k], expected[k]))
                << "class " << c << " window " << k << ": " << m.windowScores()[k] << " vs "
                << expected[k];
        EXPECT_EQ(m.windowScore(), ScoreKind::kClass);
        EXPECT_EQ(m.windowWidth(), w);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FixedAndShiftPositions, ScanEqualsObjectScoresTest,
    ::testing::Values(ScanLayout{"fixed", true, WorkMode::kFixed, 0},
                      ScanLayout{"shift4", false, WorkMode::kShift, 4},
                      ScanLayout{"shift4WholeObjects", true, WorkMode::kShift, 4},
                      ScanLayout{"shift5WholeObjects", true, WorkMode::kShift, 5}),
    [](const ::testing::TestParamInfo<ScanLayout>& info) { return info.param.name; });

TEST_F(ScanProcessTest, DiscriminativeScanHasTheFiguresOfTheGenomeScan) {
    prepareLongControls();
    EXPECT_EQ(m.ScanRecognition(0, ScoreKind::kDiscriminative), RecognitionStart::NoDiscriminative);
    EXPECT_NE(m.scanError().find("No discriminative rules yet: search them on the Rules page"),
              std::string::npos)
        << m.scanError();
    ContrastSettings search;
    search.search = m.searchSettings();
    ASSERT_EQ(m.startContrastSearch(search), ContrastStart::Started);
    m.joinWorker();
    m.takeEnd(TMainManager::Process::ContrastSearch);
    ASSERT_TRUE(m.contrastRules());
    ASSERT_GT(m.contrastRules()->rules.size(), 0u);

    // What `motifora-cli scan --score discriminative` runs: the rules learned from the learning
    // samples with the work's search settings, every window of the records scored by the genome
    // scanner.
    LearningSettings learning = learningSettingsOf(crossValidationSettingsOf(
        m.searchSettings(), IdealizationType::kDeletingInserting, IdealizationSource::kObjects, 0));
    learning.score = ScoreKind::kDiscriminative;
    LearnedModel model = learnModel(m.learnPositive(), m.learnNegative(), learning, {});
    ASSERT_EQ(model.contrast.rules.rules.size(), m.contrastRules()->rules.size());
    GenomeScanner scanner;
    std::string error;
    ASSERT_TRUE(scanner.PrepareDiscriminative(
        std::make_shared<const ContrastScorer>(std::move(model.contrast)), ScanSettings(), error))
        << error;
    std::string fasta;
    for (const Sequence& record : m.controlNegative())
        fasta += ">" + record.name + "\n" + record.text + "\n";
    test::WindowScores genome;
    ASSERT_TRUE(scanner.Scan(dir.write("control.fa", fasta), genome, error)) << error;

    ASSERT_EQ(m.ScanRecognition(0, ScoreKind::kDiscriminative), RecognitionStart::Started);
    EXPECT_EQ(m.windowScore(), ScoreKind::kDiscriminative);
    EXPECT_EQ(m.windowWidth(), m.contrastRules()->width);
    EXPECT_EQ(m.lastRecognitionClass(), -1);
    const std::vector<double> direct = m.windowScores();
    ASSERT_EQ(direct.size(), genome.best.size());
    int32_t different = 0;
    for (size_t k = 0; k < direct.size(); ++k) {
        ASSERT_EQ(genome.valid[k], 1) << "window " << k;
        EXPECT_TRUE(sameBits(direct[k], genome.best[k])) << "window " << k;
        different += direct[k] != direct[0] ? 1 : 0;
    }
    EXPECT_GT(different, 0) << "every window scored alike";

    // A class scan in between; the discriminative one on the worker scores again, the same.
    ASSERT_EQ(m.ScanRecognition(0), RecognitionStart::Started);
    EXPECT_EQ(m.windowScore(), ScoreKind::kClass);
    ASSERT_EQ(m.StartScanRecognition(0, ScoreKind::kDiscriminative), RecognitionStart::Started);
    ASSERT_TRUE(finishScan());
    ASSERT_EQ(m.windowScores().size(), direct.size());
    for (size_t k = 0; k < direct.size(); ++k)
        EXPECT_TRUE(sameBits(m.windowScores()[k], direct[k])) << "window " << k;
    // Nothing new to compute: shown again at once.
    EXPECT_EQ(m.StartScanRecognition(0, ScoreKind::kDiscriminative), RecognitionStart::Shown);
    EXPECT_FALSE(m.workerActive());
}

TEST_F(ScanProcessTest, DiscriminativeScanWithoutLearningNegativesSaysWhy) {
    load(false);
    searchAndIdealize();
    loadControls({positives[0] + positives[1]}, {});
    EXPECT_EQ(m.StartScanRecognition(0, ScoreKind::kDiscriminative),
              RecognitionStart::NoDiscriminative);
    EXPECT_FALSE(m.workerActive());
    EXPECT_NE(m.scanError().find("learned from the learning positives against the learning "
                                 "negatives, and no learning negative sample is loaded"),
              std::string::npos)
        << m.scanError();
    // The class score is not affected.
    EXPECT_EQ(m.ScanRecognition(0, ScoreKind::kClass), RecognitionStart::Started);
    EXPECT_EQ(m.windowScores().size(), 7u);
}

}  // namespace
}  // namespace motifora
