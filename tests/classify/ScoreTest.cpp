// Scores of objects against classes, the prediction and recognition matrices of a class, and
// the deletion of classes with the renumbering of the objects.
#include <gtest/gtest.h>

#include <cmath>

#include "ClassifyTestSupport.h"
#include "classify/ClassDeletion.h"
#include "classify/Classificator.h"

namespace motifora::testing {
namespace {

struct Scoring {
    // `classes` holds one flag string per class ("1001": row by row).
    Scoring(std::vector<std::string> rows,
            std::vector<std::unique_ptr<Rule>> (*rulesOf)(SEQStorage&),
            const std::vector<std::string>& classCells) {
        storage = makeStorage(rows);
        store = makeStore(rulesOf(*storage), storage->width);
        engine.Setup(storage.get(), store.get(), &classes, IdealizationType::kDeletingBegin);
        for (const std::string& cells : classCells) {
            auto ideal = std::make_unique<CIdelObject>();
            ideal->InitEmpty(storage->width, storage->alphabetSize);
            for (size_t i = 0; i < cells.size(); ++i) ideal->cells[i] = cells[i] == '1';
            classes.push_back(std::move(ideal));
        }
        engine.idealObjectCount = static_cast<int32_t>(classCells.size());
    }
    double score(const std::string& text, int32_t k) {
        return engine.ScoreObject(makeObject(*storage, text), 0, k);
    }

    std::unique_ptr<SEQStorage> storage;
    std::unique_ptr<RulesStorage> store;
    IdealObjectArray classes;
    Classificator engine;
};

std::vector<std::unique_ptr<Rule>> ruleR(SEQStorage& s) {
    std::vector<std::unique_ptr<Rule>> rules;
    rules.push_back(makeRule(s, {{0, 1, 0}}, 1, {0.0, 0.75}));
    return rules;
}

const double kLn4 = std::log(4.0);

TEST(Scores, WorkedExample) {
    // Class 0 is {A} {C}; class 1 is {A} {A}, whose state contradicts R's prediction.
    Scoring s({"AC"}, ruleR, {"1001", "1010"});
    EXPECT_EQ(s.score("AC", 0), kLn4);
    EXPECT_EQ(s.score("AA", 0), -kLn4);
    EXPECT_EQ(s.score("CA", 0), 0.0);  // R is not applicable to the object
    EXPECT_EQ(s.score("CC", 0), 0.0);
    EXPECT_EQ(s.engine.selectedCount, 0);
    EXPECT_EQ(s.score("AC", 1), 0.0);  // applicable to both, but the class contradicts it
    EXPECT_EQ(s.score("AA", 1), 0.0);
    EXPECT_EQ(s.score("AC", 2), 0.0);  // no such class
    EXPECT_EQ(s.engine.workingObject, nullptr);
}

TEST(Matrices, WorkedExampleClass) {
    Scoring s({"AC"}, ruleR, {"1001"});
    ASSERT_TRUE(s.engine.SelectIdealObject(0));
    EXPECT_EQ(s.engine.workingObject, s.classes[0].get());  // borrowed
    const double prediction[2][2] = {{0.0, 0.0}, {0.0, kLn4}};
    const double recognition[2][2] = {{kLn4, 0.0}, {0.0, kLn4}};
    for (int32_t p = 0; p < 2; ++p) {
        for (int32_t l = 0; l < 2; ++l) {
            EXPECT_EQ(s.engine.PredictionValue(p, l), prediction[p][l]) << p << "," << l;
            EXPECT_EQ(s.engine.RecognitionValue(p, l), recognition[p][l]) << p << "," << l;
        }
    }
    EXPECT_EQ(s.classes[0]->cells, (std::vector<uint8_t>{1, 0, 0, 1}));  // not changed
    EXPECT_EQ(s.engine.PredictionValue(2, 0), 0.0);
    EXPECT_EQ(s.engine.RecognitionValue(0, 2), 0.0);
}

TEST(Matrices, RecognitionThroughNegativeCondition) {
    // Letters A, C, G. N: position 0 is not A => G at position 2 (0.9). Class {C} {C} {G}.
    Scoring s({"ACG"},
              [](SEQStorage& st) {
                  std::vector<std::unique_ptr<Rule>> rules;
                  rules.push_back(makeRule(st, {{0, -1, 0}}, 2, {0.0, 0.0, 0.9}));
                  return rules;
              },
              {"010010001"});
    ASSERT_TRUE(s.engine.SelectIdealObject(0));
    const double w = -std::log(1.0 - 0.9);
    EXPECT_EQ(s.engine.RecognitionValue(2, 2), w);  // positive prediction value
    EXPECT_EQ(s.engine.RecognitionValue(0, 2), w);  // G not allowed: N rests on "not A" there
    EXPECT_EQ(s.engine.RecognitionValue(0, 0), 0.0);
    EXPECT_EQ(s.engine.RecognitionValue(0, 1), 0.0);  // C allowed: only positive conditions count
    EXPECT_EQ(s.engine.RuleStatus(0, 0), 1);
}

TEST(Deletion, RenumbersObjectsAndShiftsClasses) {
    Scoring s({"AC", "AA", "CC", "CA", "AC", "CC"}, ruleR,
              {"1000", "0100", "0010", "0001", "1100"});
    const CIdelObject* third = s.classes[3].get();
    const int32_t learnClasses[] = {0, 2, 3, 4, -1, 2};
    for (int32_t i = 0; i < 6; ++i) s.storage->learnObjects[i].classNumber = learnClasses[i];
    s.storage->controlNegativeObjects.make(3, 2, 0);
    s.storage->controlNegativeObjectCount = 3;
    s.storage->controlPositiveObjects.make(2, 2, 0);
    s.storage->controlPositiveObjectCount = 2;
    for (int32_t i = 0; i < 3; ++i) s.storage->controlNegativeObjects[i].classNumber = 2 + i;
    for (int32_t i = 0; i < 2; ++i) s.storage->controlPositiveObjects[i].classNumber = 2 + i;

    ClassifiedSets sets;
    sets.controlNegativeClassified = true;  // control positive numbers are stale: left alone
    EXPECT_EQ(deleteIdealObject(s.engine, s.storage.get(), 2, sets), -1);
    const int32_t expected[] = {0, -1, 2, 3, -1, -1};
    for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(s.storage->learnObjects[i].classNumber, expected[i]);
    EXPECT_EQ(s.storage->controlNegativeObjects[0].classNumber, -1);
    EXPECT_EQ(s.storage->controlNegativeObjects[1].classNumber, 2);
    EXPECT_EQ(s.storage->controlNegativeObjects[2].classNumber, 3);
    EXPECT_EQ(s.storage->controlPositiveObjects[1].classNumber, 3);
    EXPECT_EQ(s.engine.idealObjectCount, 4);
    EXPECT_EQ(s.classes[2].get(), third);
    EXPECT_EQ(s.classes[4], nullptr);

    // A selection of three rows from row 2: three consecutive classes go, class 0 stays.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(deleteIdealObject(s.engine, s.storage.get(), 1, sets), -1);
    EXPECT_EQ(s.engine.idealObjectCount, 1);
    EXPECT_EQ(s.classes[0]->cells, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(s.engine.RemoveIdealObject(1), 0);  // not a class: nothing changes
    EXPECT_EQ(deleteIdealObject(s.engine, s.storage.get(), 0, sets), -1);
    EXPECT_EQ(deleteIdealObject(s.engine, s.storage.get(), 0, sets), 1);  // no classes left
}

TEST(Deletion, BorrowedClassIsReleased) {
    Scoring s({"AC"}, ruleR, {"1001", "1010"});
    ASSERT_TRUE(s.engine.SelectIdealObject(1));
    EXPECT_EQ(s.engine.RemoveIdealObject(1), -1);
    EXPECT_EQ(s.engine.workingObject, nullptr);
    EXPECT_EQ(s.engine.RecognitionValue(0, 0), 0.0);
    EXPECT_FALSE(s.engine.SelectIdealObject(1));
}

}  // namespace
}  // namespace motifora::testing
