// The regularity generator: frequencies, seeding, steps, acceptance and the search run, each
// with the per-object reference evaluation and with the bitset engine on 1 and 2 threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "TestData.h"
#include "rules/RegGenerator.h"

namespace motifora {
namespace {

using testing::buildWhole;
using testing::SearchReport;
using testing::searchReports;

struct Mode {
    const char* name;
    bool reference;
    int32_t threads;
};

class RegGeneratorTest : public ::testing::TestWithParam<Mode> {
  protected:
    void start(const std::vector<std::string>& texts, int32_t finish, int32_t sub,
               double fisher = 0.05, double cp = 0.8) {
        buildWhole(storage, texts);
        results = std::make_unique<RulesStorage>(finish, storage.width);
        generator.SetReferenceEvaluation(GetParam().reference);
        generator.SetThreadCount(GetParam().threads);
        generator.SetSink(&sink);
        ASSERT_EQ(generator.Init(&storage, results.get(), sub, fisher, cp), 0);
    }
    std::vector<std::string> ruleTexts() const {
        std::vector<std::string> out;
        std::string f, c, t;
        for (int32_t i = 0; i < results->Count(); ++i) {
            results->GetTexts(i, f, c, t);
            out.push_back(t);
        }
        return out;
    }
    SEQStorage storage;
    std::unique_ptr<RulesStorage> results;
    RegGenerator generator;
    test::RecordingSink sink;
    std::vector<SearchReport> reports() const { return searchReports(sink); }
};

// Objects whose position 0 copies position 1; position 2 is noise.
std::vector<std::string> copiedPair(int32_t copies) {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < copies; ++i) {
        for (const char* t : {"AAA", "AAC", "CCA", "CCC", "AAC", "CCA"}) texts.push_back(t);
    }
    return texts;
}

TEST_P(RegGeneratorTest, LetterFrequencies) {
    std::vector<Sequence> recs = testing::records({"ACG", "AGG", "C"});
    recs[2].startPosition = 3;  // positions 0 and 1 of the last object are uncovered
    storage.buildWhole(recs.data(), 3);
    RulesStorage list(5, 3);
    generator.Init(&storage, &list, 5, 0.05, 0.8);
    const LetterFrequencyTable& f = *generator.letterFrequency;
    EXPECT_EQ(f.at(0, 0), 2.0 / 3.0);  // A: uncovered objects only in the divisor
    EXPECT_EQ(f.at(0, 1), 0.0);
    EXPECT_EQ(f.at(1, 1), 1.0 / 3.0);
    EXPECT_EQ(f.at(1, 2), 1.0 / 3.0);
    EXPECT_EQ(f.at(2, 2), 2.0 / 3.0);
    EXPECT_EQ(f.at(2, 1), 1.0 / 3.0);
    EXPECT_EQ(generator.objectCount, 3);
    EXPECT_EQ(generator.codeCount, 4);
    EXPECT_EQ(generator.root->conditionCount, 0);
    EXPECT_EQ(generator.root->fisher, 1.0);
}

TEST_P(RegGeneratorTest, NoObjectsGiveZeroFrequenciesAndNoRules) {
    start({"AC"}, 5, 5);
    storage.learnObjectCount = 0;
    generator.Init(&storage, results.get(), 5, 0.05, 0.8);
    for (double v : generator.letterFrequency->values) EXPECT_EQ(v, 0.0);
    EXPECT_EQ(generator.RunSearch(nullptr), 2);
    EXPECT_EQ(results->Count(), 0);
}

TEST_P(RegGeneratorTest, SeedingTriesOnlyPositiveConditionsWithTwoLetters) {
    start(copiedPair(4), 10, 10);
    generator.SetTarget(0);
    EXPECT_EQ(storage.centerPosition, 0);
    EXPECT_EQ(generator.evaluationCount, 4);  // positions 1, 2 x letters A, C
    // Only the copied position predicts: 2=A and 2=C wait in the next buffer.
    ASSERT_EQ(generator.nextBuffer->Count(), 2);
    for (int32_t i = 0; i < 2; ++i) {
        const Rule& r = *generator.nextBuffer->Get(i);
        EXPECT_EQ(r.targetPosition, 0);
        EXPECT_EQ(r.ConditionPosition(0), 1);
        EXPECT_EQ(r.Condition(0).sign, 1);
    }
    ASSERT_EQ(reports().size(), 2u);
    EXPECT_EQ(reports()[0].what, "entry||||0|2|1");
    EXPECT_EQ(reports()[1].what, "entry||||1|2|1");

    SEQStorage three;
    buildWhole(three, {"ACG", "CGA", "GAC"});
    RulesStorage list(5, 3);
    RegGenerator other;
    other.SetReferenceEvaluation(GetParam().reference);
    other.Init(&three, &list, 5, 0.05, 0.8);
    other.SetTarget(1);
    EXPECT_EQ(other.evaluationCount, 12);  // 2 positions x 3 letters x both signs
}

TEST_P(RegGeneratorTest, OrderOfWorkOnOneTarget) {
    start(copiedPair(4), 10, 10);
    generator.SetTarget(0);
    sink.clear();
    ASSERT_TRUE(generator.Step());
    const std::vector<SearchReport> calls = reports();
    // The swap empties both bars and fills the pre-buffer bar to the level's size.
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0].what, "rewind|1|0");
    EXPECT_EQ(calls[1].what, "rewind|2|0");
    EXPECT_EQ(calls[2].what, "entry||||0|1|2");
    EXPECT_EQ(calls[3].what, "rewind|1|1");
    ASSERT_EQ(results->Count(), 1);
    EXPECT_EQ(calls[4].what, "entry|" + formatFixed6(results->Get(0)->fisher) +
                                 "|0.928571|2=A =>   [1] = " + "(A:0.928571) (C:-0.928571) |0|0|1");
    int32_t steps = 1;
    while (generator.Step()) ++steps;
    EXPECT_FALSE(generator.Step());
    EXPECT_EQ(generator.currentBuffer->Count() + generator.nextBuffer->Count(), 0);
    // Both one-condition rules are kept; their extensions by the noise position are no better.
    EXPECT_EQ(ruleTexts(),
              (std::vector<std::string>{"2=A =>   [1] = (A:0.928571) (C:-0.928571) ",
                                        "2=C =>   [1] = (A:-0.928571) (C:0.928571) "}));
    EXPECT_EQ(steps, 2);
}

TEST_P(RegGeneratorTest, TargetWithoutSignificantRuleRecordsNothing) {
    // Position 2 is independent of the others.
    start({"AAA", "AAC", "CCA", "CCC"}, 10, 10);
    generator.SetTarget(2);
    EXPECT_EQ(generator.nextBuffer->Count(), 0);
    EXPECT_FALSE(generator.Step());
    EXPECT_EQ(results->Count(), 0);
}

TEST_P(RegGeneratorTest, RuleBelowCpIsExtendedButNotRecorded) {
    // Position 0 is A exactly when positions 1 and 2 are both A: "2=A" alone predicts weakly
    // (cp 0.5) but its extension by "3=A" predicts well.
    std::vector<std::string> texts;
    for (int i = 0; i < 32; ++i) {
        for (const char* t : {"AAA", "CAC", "CCA", "CCC"}) texts.push_back(t);
    }
    start(texts, 20, 20, 0.05, 0.97);
    generator.SetTarget(0);
    while (generator.Step()) {
    }
    const auto texts0 = ruleTexts();
    const std::string pair = "2=A & 3=A =>   [1] = (A:0.970588) (C:-0.970588) ";
    // Reached from "2=A" and from "3=A", recorded once.
    EXPECT_EQ(std::count(texts0.begin(), texts0.end(), pair), 1);
    for (const auto& t : texts0) EXPECT_NE(t.substr(0, 7), "2=A => ");
    for (int32_t i = 0; i < results->Count(); ++i) EXPECT_GE(results->Get(i)->cp, 0.97);
}

TEST_P(RegGeneratorTest, RuleThatLosesAConditionIsRecordedButNotExtended) {
    start(testing::plantedTexts(5, 150, 10, "AC", 0.3), 200, 10, 0.05, 0.6);
    int32_t events = 0;
    for (int32_t t = 0; t < storage.width; ++t) {
        generator.SetTarget(t);
        while (true) {
            const RulesStorage& from = generator.currentBuffer->Count() > 0
                                           ? *generator.currentBuffer
                                           : *generator.nextBuffer;
            const int32_t before = from.Count() > 0 ? from.Get(0)->conditionCount : 0;
            const int64_t evaluations = generator.evaluationCount;
            sink.clear();
            if (!generator.Step()) break;
            // The rules-grid entry of this step, if the step recorded its rule.
            std::string entry;
            for (const SearchReport& report : reports()) {
                const std::string& what = report.what;
                if (what.size() > 4 && what.compare(what.size() - 4, 4, "|0|1") == 0) entry = what;
            }
            if (entry.empty()) continue;
            const int32_t conditions =
                static_cast<int32_t>(std::count(entry.begin(), entry.end(), '&')) + 1;
            if (conditions < before) {
                ++events;
                EXPECT_EQ(generator.evaluationCount, evaluations);  // not extended
            }
        }
    }
    EXPECT_GT(events, 0);
}

TEST_P(RegGeneratorTest, FisherUnderflowToZeroIsRecordedButNotExtended) {
    std::vector<std::string> texts;
    std::mt19937 rng(7);
    for (int i = 0; i < 1400; ++i) {
        const char a = (i % 2 == 0) ? 'A' : 'C';
        texts.push_back(std::string{a, a, (rng() % 2 == 0) ? 'A' : 'C'});
    }
    start(texts, 10, 10, 0.05, 0.8);
    generator.SetTarget(0);
    const int64_t seeded = generator.evaluationCount;
    EXPECT_EQ(seeded, 4);
    while (generator.Step()) {
    }
    ASSERT_EQ(results->Count(), 2);
    EXPECT_EQ(results->Get(0)->fisher, 0.0);
    EXPECT_EQ(results->Get(1)->fisher, 0.0);
    EXPECT_EQ(generator.evaluationCount, seeded);  // neither rule was extended
}

TEST_P(RegGeneratorTest, SubBufferOfOneFollowsTheBestChain) {
    start(testing::plantedTexts(11, 60, 8, "ACGT", 0.05), 50, 1, 0.05, 0.5);
    generator.SetTarget(2);
    EXPECT_LE(generator.nextBuffer->Count(), 1);
    while (generator.Step()) {
        EXPECT_LE(generator.currentBuffer->Count(), 1);
        EXPECT_LE(generator.nextBuffer->Count(), 1);
    }
    EXPECT_GE(results->Count(), 1);
}

TEST_P(RegGeneratorTest, RunSearchVisitsEveryTargetAndStopsBetweenSteps) {
    start(testing::plantedTexts(3, 40, 6, "ACG", 0.1), 30, 5, 0.05, 0.6);
    EXPECT_EQ(generator.RunSearch(nullptr), 6);
    EXPECT_EQ(storage.centerPosition, 5);
    ASSERT_GT(results->Count(), 0);
    for (int32_t i = 1; i < results->Count(); ++i) {
        EXPECT_LE(results->Get(i - 1)->fisher, results->Get(i)->fisher);
    }
    // A cleared run flag ends the run after the position it was cleared in.
    RulesStorage second(30, storage.width);
    generator.Init(&storage, &second, 5, 0.05, 0.6);
    RunControl control;
    control.setRunning(false);
    EXPECT_EQ(generator.RunSearch(&control), 1);
    EXPECT_EQ(second.Count(), 0);  // no step ran
    RunControl running;
    running.setRunning(true);
    RulesStorage third(30, storage.width);
    generator.Init(&storage, &third, 5, 0.05, 0.6);
    EXPECT_EQ(generator.RunSearch(&running), 6);
    EXPECT_EQ(third.Count(), results->Count());
}

TEST_P(RegGeneratorTest, IsNewRefusesEmptyAndHeldRules) {
    start(copiedPair(4), 10, 10);
    generator.SetTarget(0);
    EXPECT_FALSE(generator.IsNew(*generator.root));
    const Rule& waiting = *generator.nextBuffer->Get(0);
    EXPECT_FALSE(generator.IsNew(waiting));
    Rule copy = waiting;
    copy.conditions[0].letter = 1 - copy.conditions[0].letter;
    copy.fisher = 0.5;
    EXPECT_TRUE(generator.IsNew(copy));
}

TEST_P(RegGeneratorTest, MarkUsedPositions) {
    start(copiedPair(1), 10, 10);
    generator.targetPosition = 2;
    Rule rule;
    rule.conditions = {{0, 1, 0, true}};
    rule.conditionCount = 1;
    generator.MarkUsedPositions(rule);
    EXPECT_EQ(generator.usedPositions, (std::vector<uint8_t>{1, 0, 1}));
}

INSTANTIATE_TEST_SUITE_P(Modes, RegGeneratorTest,
                         ::testing::Values(Mode{"reference", true, 1}, Mode{"fast1", false, 1},
                                           Mode{"fast2", false, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace motifora
