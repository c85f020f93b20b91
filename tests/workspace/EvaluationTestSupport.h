// Helpers of the recognition and bootstrap tests: a sink that records the evaluation events,
// and a workspace fixture with classes built from generated samples.
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

// The recording sink of the recognition and bootstrap tests: beside the events, it notes what
// the workspace held when some of them came (the class being recognized, the round's samples),
// and offers the events in the shapes the tests compare.
class EvaluationSink : public RecordingSink {
  public:
    struct Score {
        int32_t object, classOrKind;  // the class (ClassScored) or the sample's code (ObjectScored)
        double score;
        int32_t currentClass;  // the workspace's recognitionClass at the event
    };
    struct Row {
        int32_t row;
        double first, second;
    };

    explicit EvaluationSink(TMainManager& m) : manager(m) {}

    void onEvent(const ProgressEvent& event) override {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (const auto* scored = std::get_if<ClassScored>(&event)) {
                classScores.push_back({scored->object, scored->classIndex, scored->score,
                                       manager.recognitionClass()});
            } else if (const auto* object = std::get_if<ObjectScored>(&event)) {
                objectScores.push_back({object->object, codeOf(object->sample), object->score,
                                        manager.recognitionClass()});
            } else if (std::holds_alternative<BootstrapRoundBegun>(event)) {
                std::vector<std::string> names;
                for (const Sequence& s : manager.bootstrapHeldOut()) names.push_back(s.name);
                heldOutNames.push_back(names);
                keptCounts.push_back(manager.bootstrapLearnCount());
                frameWidths.push_back(manager.searchSettings().frameWidth);
                ruleCapacities.push_back(
                    manager.bootstrapRules() ? manager.bootstrapRules()->capacity : -1);
            }
        }
        RecordingSink::onEvent(event);
        if (std::holds_alternative<RecognitionFinished>(event)) recognitionDone = true;
    }
    void clear() override {
        RecordingSink::clear();
        std::lock_guard<std::mutex> lock(mutex);
        classScores.clear();
        objectScores.clear();
    }

    std::vector<int32_t> positionCounts() const { return values(&ScanScored::windows); }
    std::vector<int32_t> finishedWith() const { return values(&RecognitionFinished::positives); }
    std::vector<int32_t> averagesFor() const { return values(&BootstrapAveraged::rounds); }
    int finishedRuns() const { return static_cast<int>(count<BootstrapEnded>()); }
    std::vector<Row> rows() const {
        std::vector<Row> found;
        for (const BootstrapRoundEnded& e : all<BootstrapRoundEnded>())
            found.push_back({e.round, e.firstError, e.secondError});
        return found;
    }

    TMainManager& manager;
    std::mutex mutex;
    std::vector<Score> classScores, objectScores;
    std::vector<int32_t> keptCounts, ruleCapacities, frameWidths;
    std::vector<std::vector<std::string>> heldOutNames;
    std::atomic<bool> recognitionDone{false};
};

constexpr unsigned kEvaluationSeed = 20261207;  // fixed seed of the generated samples

// A workspace with learning positives and negatives, rules and classes (fixed positions).
class EvaluationFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::tie(positives, negatives) =
            learningSamples(40, 15, testSeed("generated samples", kEvaluationSeed));
        m.setProgressSink(&sink);
        m.setThreadCount(1);
    }
    void load(bool withNegatives = true) {
        ASSERT_TRUE(m.loadLearnPositive(dir.write("pos.seq", seqText(positives))));
        if (withNegatives) {
            ASSERT_TRUE(m.loadLearnNegative(dir.write("neg.seq", seqText(negatives))));
        }
    }
    void searchAndIdealize() {
        ASSERT_NO_FATAL_FAILURE(searchToTheEnd(m, {0.05, 0.8, 200, 30, WorkMode::kFixed, 0}));
        ASSERT_NO_FATAL_FAILURE(idealizeToTheEnd(m));
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
        sink.recognitionDone = false;
        ASSERT_EQ(m.StartRecognition(c), RecognitionStart::Started);
        ASSERT_TRUE(waitForWorkerBody(m));
        ASSERT_TRUE(sink.recognitionDone.load());
        m.joinWorker();
    }

    void TearDown() override { m.shutdownWorker(); }

    TempDir dir;
    // The sink outlives the workspace, whose destructor may still let a worker report.
    EvaluationSink sink{m};
    TMainManager m;
    std::vector<std::string> positives, negatives;
};

}  // namespace motifora::test
