// Idealization in batches on a worker pool, registered in order, against the one-by-one run:
// the same classes in the same order, the same class numbers and the same grid calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "ClassifyTestSupport.h"
#include "RecordedReports.h"
#include "classify/Classificator.h"
#include "classify/ParallelIdealization.h"
#include "core/WorkerPool.h"
#include "support/Seed.h"

namespace motifora::testing {
namespace {

struct IdealizationRun {
    IdealObjectArray classes;
    test::RecordingSink sink;
    Classificator engine{&sink};
    std::vector<int32_t> learned;     // class of each source
    std::vector<int32_t> classified;  // class of each further object (-1 = new)
};

// Learning rows with repeats, so that later objects meet earlier classes.
std::unique_ptr<SEQStorage> repeatedRows(std::mt19937& random, int32_t count, int32_t width) {
    std::vector<std::string> rows = randomRows(random, count, width);
    for (int32_t j = count / 2; j < count; j += 3)
        rows[static_cast<size_t>(j)] = rows[static_cast<size_t>(j - count / 2)];
    return makeStorage(rows);
}

TEST(ParallelIdealization, RegistersTheClassesOfTheOneByOneRun) {
    std::mt19937 random(test::testSeed("generated rows and rules", 20261208u));
    const std::unique_ptr<SEQStorage> storage = repeatedRows(random, 300, 12);
    const std::unique_ptr<RulesStorage> store = randomRules(random, *storage, 120, false);
    std::vector<SEQSElem> further;
    for (const std::string& row : randomRows(random, 60, 12))
        further.push_back(makeObject(*storage, row));
    const SEQSElem* objects = storage->learnObjects.data();
    const int32_t n = storage->learnObjectCount;
    const int32_t rules = store->Count();
    const auto furtherCount = static_cast<int32_t>(further.size());

    for (const IdealizationType type : kIdealizationTypes) {
        for (const bool fromRules : {false, true}) {
            SCOPED_TRACE(std::string(idealizationTypeCaption(type)) +
                         (fromRules ? ", rules" : ", objects"));
            const int32_t sources = fromRules ? rules : n;
            IdealizationRun single;
            single.engine.Setup(storage.get(), store.get(), &single.classes, type);
            for (int32_t j = 0; j < sources; ++j)
                single.learned.push_back(fromRules
                                             ? single.engine.IdealizeAndRegister(nullptr, j)
                                             : single.engine.IdealizeAndRegister(&objects[j], -1));
            for (int32_t j = 0; j < furtherCount; ++j)
                single.classified.push_back(single.engine.ClassifyObject(
                    further[static_cast<size_t>(j)], j + 1, ObjectSetKind::ControlNegative));

            IdealizationRun batched;
            batched.engine.Setup(storage.get(), store.get(), &batched.classes, type);
            WorkerPool pool(2);
            ParallelIdealization parallel(batched.engine, pool);
            std::vector<std::optional<Idealized>> made;
            // Batches of 7 cross the class boundaries at odd places.
            for (int32_t first = 0; first < sources; first += 7) {
                const int32_t count = std::min(7, sources - first);
                parallel.idealize(fromRules ? nullptr : objects, first, count, made);
                ASSERT_EQ(made.size(), static_cast<size_t>(count));
                for (int32_t i = 0; i < count; ++i) {
                    ASSERT_TRUE(made[static_cast<size_t>(i)].has_value());
                    const int32_t j = first + i;
                    batched.learned.push_back(batched.engine.RegisterIdealized(
                        fromRules ? nullptr : &objects[j], fromRules ? j : -1,
                        made[static_cast<size_t>(i)]->object,
                        made[static_cast<size_t>(i)]->status));
                }
            }
            parallel.idealize(further.data(), 0, furtherCount, made);
            for (int32_t j = 0; j < furtherCount; ++j)
                batched.classified.push_back(batched.engine.ClassifyIdealized(
                    made[static_cast<size_t>(j)]->object, made[static_cast<size_t>(j)]->status,
                    j + 1, ObjectSetKind::ControlNegative));

            EXPECT_EQ(batched.learned, single.learned);
            EXPECT_EQ(batched.classified, single.classified);
            ASSERT_EQ(batched.engine.idealObjectCount, single.engine.idealObjectCount);
            ASSERT_GT(single.engine.idealObjectCount, 3) << "the case needs several classes";
            for (int32_t k = 0; k < single.engine.idealObjectCount; ++k) {
                EXPECT_TRUE(*batched.classes[static_cast<size_t>(k)] ==
                            *single.classes[static_cast<size_t>(k)])
                    << "class " << k;
                EXPECT_EQ(batched.classes[static_cast<size_t>(k)]->value,
                          single.classes[static_cast<size_t>(k)]->value);
            }
            // The grids get the same calls; of the status texts only the last of each object is
            // shown, not those of the changes before it.
            EXPECT_EQ(classTexts(batched.sink), classTexts(single.sink));
            EXPECT_EQ(classIndexes(batched.sink), classIndexes(single.sink));
            EXPECT_EQ(learningClasses(batched.sink), learningClasses(single.sink));
            EXPECT_EQ(ruleClasses(batched.sink), ruleClasses(single.sink));
            EXPECT_EQ(controlClasses(batched.sink), controlClasses(single.sink));
            EXPECT_EQ(statusTexts(batched.sink).back(), statusTexts(single.sink).back());
        }
    }
}

TEST(ParallelIdealization, RunsThatMeetTheStatesOfOtherThreadsEndAsAlone) {
    // Narrow rows, many alike, idealized twice over in batches on two threads that share where
    // runs end: every result is what a fresh classificator makes of the object alone.
    std::mt19937 random(test::testSeed("generated rows and rules", 20261208u) + 1);
    const std::unique_ptr<SEQStorage> storage = repeatedRows(random, 400, 5);
    const std::unique_ptr<RulesStorage> store = randomRules(random, *storage, 90, false);
    const SEQSElem* objects = storage->learnObjects.data();
    const int32_t n = storage->learnObjectCount;
    for (const IdealizationType type : kIdealizationTypes) {
        SCOPED_TRACE(idealizationTypeCaption(type));
        Classificator model;
        model.Setup(storage.get(), store.get(), nullptr, type);
        WorkerPool pool(2);
        ParallelIdealization parallel(model, pool);
        std::vector<std::optional<Idealized>> made;
        for (int32_t round = 0; round < 2; ++round) {
            for (int32_t first = 0; first < n; first += 50) {
                const int32_t count = std::min(50, n - first);
                parallel.idealize(objects, first, count, made);
                for (int32_t i = 0; i < count; ++i) {
                    Classificator alone;
                    alone.Setup(storage.get(), store.get(), nullptr, type);
                    ASSERT_TRUE(alone.StartFromObject(objects[first + i]));
                    alone.Idealize();
                    ASSERT_TRUE(made[static_cast<size_t>(i)].has_value());
                    EXPECT_TRUE(made[static_cast<size_t>(i)]->object == *alone.workingObject)
                        << "round " << round << " object " << first + i;
                    EXPECT_EQ(made[static_cast<size_t>(i)]->status, alone.textBuffer);
                }
            }
        }
    }
}

TEST(ParallelIdealization, ResultsOfAnotherSizeAreRefused) {
    TinyModel tiny;
    CIdelObject wrong;
    wrong.InitEmpty(tiny.engine.width + 1, tiny.engine.alphabetSize);
    const int32_t before = tiny.engine.idealObjectCount;
    EXPECT_EQ(tiny.engine.RegisterIdealized(nullptr, 0, wrong, ""), -1);
    EXPECT_EQ(tiny.engine.ClassifyIdealized(wrong, "", 1, ObjectSetKind::ControlNegative), -1);
    EXPECT_EQ(tiny.engine.idealObjectCount, before);
}

}  // namespace
}  // namespace motifora::testing
