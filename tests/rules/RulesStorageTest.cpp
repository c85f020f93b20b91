// The Fisher-ordered rule list: duplicates, insertion places, push-out, removal, texts.
#include <gtest/gtest.h>

#include <memory>

#include "TestData.h"
#include "rules/RulesStorage.h"

namespace motifora {
namespace {

class RulesStorageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::buildWhole(storage, {"ACGTAC", "CAGTTG"});
        storage.centerPosition = 0;
    }
    // A rule predicting position 0 with one positive condition and a given fisher.
    std::unique_ptr<Rule> rule(double fisher, int32_t position, int32_t letter = 0) {
        auto r = std::make_unique<Rule>();
        r->Init(1, &storage, 0.05, nullptr);
        r->InsertCondition(position, 1, letter);
        r->fisher = fisher;
        return r;
    }
    std::vector<double> fishers(const RulesStorage& list) {
        std::vector<double> out;
        for (int32_t i = 0; i < list.Count(); ++i) out.push_back(list.Get(i)->fisher);
        return out;
    }
    SEQStorage storage;
};

TEST_F(RulesStorageTest, NewListIsEmpty) {
    RulesStorage list(3, 6);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.capacity, 3);
    EXPECT_EQ(list.positionCount, 6);
    EXPECT_EQ(list.addedCount, 0);
    EXPECT_FALSE(list.keyWithProbabilities);
    for (const auto& slot : list.rules) EXPECT_EQ(slot, nullptr);
}

TEST_F(RulesStorageTest, HugeCapacityCostsNothingUntilRulesArrive) {
    RulesStorage list(2147483647, 6);
    EXPECT_LE(list.rules.size(), 1u);
    auto a = rule(0.02, 1);
    auto b = rule(0.01, 2);
    ASSERT_TRUE(list.Add(a, true));
    ASSERT_TRUE(list.Add(b, true));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(0)->fisher, 0.01);
    EXPECT_EQ(list.Get(1)->fisher, 0.02);
    EXPECT_EQ(list.rules.size(), 2u);
}

TEST_F(RulesStorageTest, FullListOfTwo) {
    RulesStorage list(2, 6);
    auto a = rule(0.01, 1);
    auto b = rule(0.02, 2);
    ASSERT_TRUE(list.Add(a, true));
    ASSERT_TRUE(list.Add(b, true));
    EXPECT_EQ(a, nullptr);

    auto worse = rule(0.03, 3);
    EXPECT_FALSE(list.Add(worse, true));
    ASSERT_NE(worse, nullptr);  // refused: the caller keeps it
    EXPECT_EQ(list.InsertIndex(), 2);

    auto better = rule(0.015, 3);
    Rule* betterRaw = better.get();
    ASSERT_TRUE(list.Add(better, true));
    EXPECT_EQ(list.InsertIndex(), 1);
    EXPECT_EQ(list.Get(1), betterRaw);
    EXPECT_EQ(fishers(list), (std::vector<double>{0.01, 0.015}));

    auto tie = rule(0.01, 4);
    Rule* tieRaw = tie.get();
    ASSERT_TRUE(list.Add(tie, true));
    EXPECT_EQ(list.Get(1), tieRaw);  // after the held 0.01 rule
    EXPECT_EQ(fishers(list), (std::vector<double>{0.01, 0.01}));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.addedCount, 4);
}

TEST_F(RulesStorageTest, ContainsAndInsertIndex) {
    RulesStorage list(10, 6);
    struct Case {
        double fisher;
        int32_t position;
        bool contains;
        int32_t insertIndex;
    };
    // Held: 0.1 (pos 1), 0.2 (pos 2), 0.2 (pos 3), 0.4 (pos 4).
    for (auto [f, p] : {std::pair{0.1, 1}, {0.2, 2}, {0.2, 3}, {0.4, 4}}) {
        auto r = rule(f, p);
        ASSERT_TRUE(list.Add(r, true));
    }
    const Case cases[] = {
        {0.05, 1, false, 0}, {0.5, 1, false, 4}, {0.1, 1, true, -1},
        {0.1, 2, false, 1},  {0.2, 3, true, -1}, {0.2, 5, false, 3},
        {0.3, 1, false, 3},  {0.4, 4, true, -1}, {0.4, 5, false, 4},
    };
    for (const Case& c : cases) {
        list.insertIndex = -1;
        auto r = rule(c.fisher, c.position);
        EXPECT_EQ(list.Contains(*r), c.contains) << c.fisher << " @" << c.position;
        EXPECT_EQ(list.InsertIndex(), c.insertIndex) << c.fisher << " @" << c.position;
    }
    RulesStorage empty(2, 6);
    empty.insertIndex = 7;
    EXPECT_FALSE(empty.Contains(*rule(0.3, 1)));
    EXPECT_EQ(empty.InsertIndex(), 0);
}

TEST_F(RulesStorageTest, KeyTextDecidesDuplicates) {
    RulesStorage list(4, 6);
    auto held = rule(0.2, 2, 1);
    ASSERT_TRUE(list.Add(held, true));
    auto otherLetter = rule(0.2, 2, 2);
    EXPECT_FALSE(list.Contains(*otherLetter));
    auto otherTarget = rule(0.2, 2, 1);
    otherTarget->targetPosition = 3;
    EXPECT_FALSE(list.Contains(*otherTarget));
    auto same = rule(0.2, 2, 1);
    same->letterProbability[0] = 0.9;  // probabilities are not part of the key form
    EXPECT_TRUE(list.Contains(*same));
    list.keyWithProbabilities = true;
    EXPECT_FALSE(list.Contains(*same));
}

TEST_F(RulesStorageTest, AddWithoutTestUsesPrecedingContains) {
    RulesStorage list(4, 6);
    for (double f : {0.1, 0.3}) {
        auto r = rule(f, 1);
        ASSERT_TRUE(list.Add(r, true));
    }
    auto dup = rule(0.3, 1);
    EXPECT_TRUE(list.Contains(*dup));
    auto mid = rule(0.2, 2);
    ASSERT_FALSE(list.Contains(*mid));
    ASSERT_TRUE(list.Add(mid, false));
    EXPECT_EQ(fishers(list), (std::vector<double>{0.1, 0.2, 0.3}));
    // A stale index beyond the rules held lands at the end, never past it.
    list.insertIndex = 3;
    list.RemoveAt(2);
    auto late = rule(0.5, 3);
    ASSERT_TRUE(list.Add(late, false));
    EXPECT_EQ(fishers(list), (std::vector<double>{0.1, 0.2, 0.5}));
}

TEST_F(RulesStorageTest, PositionBounds) {
    RulesStorage list(4, 6);
    auto r = rule(0.1, 4);
    r->lowestPosition = 2;
    r->highestPosition = 4;
    ASSERT_TRUE(list.Add(r, true));
    EXPECT_EQ(list.lowestPosition, 2);  // the first rule sets both bounds
    EXPECT_EQ(list.highestPosition, 4);
    auto s = rule(0.2, 5);
    s->lowestPosition = 3;
    s->highestPosition = 5;
    ASSERT_TRUE(list.Add(s, true));
    EXPECT_EQ(list.lowestPosition, 2);
    EXPECT_EQ(list.highestPosition, 5);
}

TEST_F(RulesStorageTest, RemoveAt) {
    RulesStorage list(3, 6);
    for (double f : {0.1, 0.2, 0.3}) {
        auto r = rule(f, static_cast<int32_t>(f * 10));
        ASSERT_TRUE(list.Add(r, true));
    }
    EXPECT_EQ(list.RemoveAt(-1), nullptr);
    EXPECT_EQ(list.RemoveAt(3), nullptr);
    EXPECT_EQ(list.Count(), 3);
    auto taken = list.RemoveAt(0);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->fisher, 0.1);
    EXPECT_EQ(fishers(list), (std::vector<double>{0.2, 0.3}));
    EXPECT_EQ(list.rules[2], nullptr);
    EXPECT_EQ(list.addedCount, 3);
}

TEST_F(RulesStorageTest, GetTextsOutsideTheListAreEmpty) {
    RulesStorage list(3, 6);
    std::string f = "x", c = "y", t = "z";
    list.GetTexts(0, f, c, t);
    EXPECT_EQ(f + c + t, "");
    auto r = rule(0.0123456789, 2, 3);
    r->cp = 0.75;
    r->shiftedCount = 1;
    r->shiftedConditions = {{1, 1, 2, false}};
    ASSERT_TRUE(list.Add(r, true));
    list.GetTexts(0, f, c, t);
    EXPECT_EQ(f, "0.012346");
    EXPECT_EQ(c, "0.750000");
    EXPECT_EQ(t, "3=T =>   [1] = (A:0.000000) (C:0.000000) (G:0.000000) (T:0.000000)  (G[1])");
}

TEST_F(RulesStorageTest, ListedRuleSpeaksInOneBasedPositionsAndLetters) {
    RulesStorage list(3, 6);
    auto r = rule(0.0123456789, 2, 3);
    r->conditions = {{2, 1, 3, true}, {4, -1, 1, true}};  // target 0: 3=T & 5=-C
    r->conditionCount = 2;
    ASSERT_TRUE(list.Add(r, true));
    ListedRule listed = listedRule(list, 0);
    EXPECT_EQ(listed.number, 1);
    EXPECT_EQ(listed.rule, list.Get(0));
    EXPECT_EQ(listed.fisherText, "0.012346");
    EXPECT_EQ(listed.target, 1);
    ASSERT_EQ(listed.conditions.size(), 2u);
    EXPECT_EQ(listed.conditions[0].position, 3);
    EXPECT_EQ(listed.conditions[0].letter, 'T');
    EXPECT_FALSE(listed.conditions[0].negated);
    EXPECT_EQ(listed.conditions[1].position, 5);
    EXPECT_EQ(listed.conditions[1].letter, 'C');
    EXPECT_TRUE(listed.conditions[1].negated);
    EXPECT_FALSE(listed.prediction.has_value());  // every probability 0

    // The strongest prediction by magnitude; a negative one excludes its letter.
    Rule& stored = *list.rules[0];
    stored.letterProbability = {0.25, -0.75, 0.5, 0.0, 0.0};
    listed = listedRule(list, 0);
    ASSERT_TRUE(listed.prediction.has_value());
    EXPECT_EQ(listed.prediction->letter, 'C');
    EXPECT_EQ(listed.prediction->probability, 0.75);
    EXPECT_TRUE(listed.prediction->excluded);
    stored.letterProbability = {0.25, 0.0, 0.5, -0.125, 0.0};
    listed = listedRule(list, 0);
    ASSERT_TRUE(listed.prediction.has_value());
    EXPECT_EQ(listed.prediction->letter, 'G');
    EXPECT_EQ(listed.prediction->probability, 0.5);
    EXPECT_FALSE(listed.prediction->excluded);
}

}  // namespace
}  // namespace motifora
