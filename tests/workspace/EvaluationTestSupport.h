// Helpers of the recognition and bootstrap tests: a display that records the evaluation
// operations, and a workspace fixture with classes built from generated samples.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "WorkspaceTestSupport.h"
#include "classify/Classificator.h"
#include "rules/RegGenerator.h"
#include "rules/RulesStorage.h"
#include "support/StatusAssert.h"
#include "support/TMainManagerTestAccess.h"
#include "workspace/TMainManager.h"

namespace motifora::test {

// Records the recognition and bootstrap operations; hooks run on the calling (worker) thread.
class EvaluationDisplay : public RecordingDisplay {
  public:
    struct Score {
        int32_t object, classOrKind;
        double score;
        int32_t currentClass;  // the workspace's recognitionClass at the call
    };
    struct Row {
        int32_t row;
        double first, second;
    };

    explicit EvaluationDisplay(TMainManager& m) : manager(m) {}

    void ShowClassScore(int32_t i, double s, int32_t j) override {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(mutex);
            classScores.push_back({i, j, s, manager.recognitionClass()});
            hook = onClassScore;
        }
        if (hook) hook();
    }
    void ShowObjectScore(int32_t i, double s, ScoreGrid grid) override {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(mutex);
            objectScores.push_back({i, codeOf(grid), s, manager.recognitionClass()});
            hook = onObjectScore;
        }
        if (hook) hook();
    }
    void ShowPositionScores(int32_t count) override {
        std::lock_guard<std::mutex> lock(mutex);
        positionCounts.push_back(count);
    }
    void FinishRecognition(int32_t n) override {
        std::lock_guard<std::mutex> lock(mutex);
        finishedWith.push_back(n);
        recognitionDone = true;
    }
    void ShowBootstrapSamples() override {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::string> names;
        for (const Sequence& s : manager.bootstrapHeldOut()) names.push_back(s.name);
        heldOutNames.push_back(names);
        keptCounts.push_back(manager.bootstrapLearnCount());
        frameWidths.push_back(manager.searchSettings().frameWidth);
        ruleCapacities.push_back(manager.bootstrapRules() ? manager.bootstrapRules()->capacity
                                                          : -1);
    }
    void ShowBootstrapRow(int32_t row, double first, double second) override {
        std::lock_guard<std::mutex> lock(mutex);
        rows.push_back({row, first, second});
    }
    void ShowBootstrapAverages(int32_t iterations) override {
        std::lock_guard<std::mutex> lock(mutex);
        averagesFor.push_back(iterations);
    }
    void BootstrapFinished() override { ++finishedRuns; }

    TMainManager& manager;
    std::function<void()> onObjectScore, onClassScore;
    std::vector<Score> classScores, objectScores;
    std::vector<int32_t> positionCounts, finishedWith, keptCounts, averagesFor, ruleCapacities,
        frameWidths;
    std::vector<std::vector<std::string>> heldOutNames;
    std::vector<Row> rows;
    std::atomic<bool> recognitionDone{false};
    std::atomic<int> finishedRuns{0};
};

constexpr unsigned kEvaluationSeed = 20261207;  // fixed seed of the generated samples

// A workspace with learning positives and negatives, rules and classes (fixed positions).
class EvaluationFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::tie(positives, negatives) =
            learningSamples(40, 15, testSeed("generated samples", kEvaluationSeed));
        m.setDisplay(&display);
        m.setThreadCount(1);
    }
    void load(bool withNegatives = true) {
        ASSERT_TRUE(m.loadLearnPositive(dir.write("pos.seq", seqText(positives))));
        if (withNegatives) {
            ASSERT_TRUE(m.loadLearnNegative(dir.write("neg.seq", seqText(negatives))));
        }
    }
    void searchAndIdealize() {
        ASSERT_NO_FATAL_FAILURE(searchToTheEnd(m, {0.05, 0.8, 200, 30, 0, 0}));
        ASSERT_NO_FATAL_FAILURE(idealizeToTheEnd(m, 2, 0));
        ASSERT_GT(m.classCount(), 0);
    }
    void loadControls(const std::vector<std::string>& controlNegative,
                      const std::vector<std::string>& controlPositive) {
        ASSERT_TRUE(test::succeeded(
            m.loadControlNegative(dir.write("cneg.seq", seqText(controlNegative)))));
        if (!controlPositive.empty()) {
            ASSERT_TRUE(test::succeeded(
                m.loadControlPositive(dir.write("cpos.seq", seqText(controlPositive)))));
        }
    }
    // Classes on objects 6 wide and three long control sequences: lengths 12 and 15 give 7 + 10
    // windows, one exactly 6 long gives one more.
    void prepareLongControls() {
        load();
        searchAndIdealize();
        loadControls({positives[0] + positives[1],
                      positives[2] + positives[3].substr(0, 3) + positives[4], positives[5]},
                     {});
        ASSERT_TRUE(m.longControl());
    }
    void classify() {
        ASSERT_EQ(m.startClassification(), ClassificationStart::Started);
        ASSERT_TRUE(waitForEnd(m));
        m.takeEnd(TMainManager::Process::Classification);
    }
    // Runs a recognition started with `code` -1 to its end.
    void recognize(int32_t c) {
        display.recognitionDone = false;
        ASSERT_EQ(m.StartRecognition(c), RecognitionStart::Started);
        ASSERT_TRUE(waitUntil([&] { return display.recognitionDone.load(); }));
        m.joinWorker();
    }

    void TearDown() override { m.shutdownWorker(); }

    TempDir dir;
    // The display outlives the workspace, whose destructor may still let a worker report.
    EvaluationDisplay display{m};
    TMainManager m;
    std::vector<std::string> positives, negatives;
};

}  // namespace motifora::test
