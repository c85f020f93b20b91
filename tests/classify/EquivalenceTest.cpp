// The indexed classificator against the straightforward reference on generated data: whole
// idealizations (ideal objects and class numbers), classification, scores, matrices and gains.
#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <random>

#include "ClassifyTestSupport.h"
#include "RecordedReports.h"
#include "ReferenceClassificator.h"
#include "classify/Classificator.h"
#include "support/Seed.h"

namespace motifora::testing {
namespace {

// Bit-for-bit equality (two NaNs of the same bits are equal).
bool same(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

// Learning rows with repeats (so that later objects find earlier classes), generated rules, and
// further objects: new rows and copies of learning rows.
struct Generated {
    Generated(std::mt19937& random, int32_t objects, int32_t width, int32_t ruleCount,
              bool certainties, bool crowded = false) {
        std::vector<std::string> rows = randomRows(random, objects, width);
        for (int32_t j = objects / 2; j < objects; j += 3)
            rows[static_cast<size_t>(j)] = rows[static_cast<size_t>(j - objects / 2)];
        storage = makeStorage(rows);
        store = crowded ? crowdedRules(random, *storage, ruleCount)
                        : randomRules(random, *storage, ruleCount, certainties);
        for (const std::string& row : randomRows(random, objects / 4, width)) {
            others.push_back(makeObject(*storage, row));
        }
        for (int32_t j = 0; j < objects; j += 4)
            others.push_back(makeObject(*storage, rows[static_cast<size_t>(j)]));
    }
    std::unique_ptr<SEQStorage> storage;
    std::unique_ptr<RulesStorage> store;
    std::vector<SEQSElem> others;  // objects that did not form the classes
};

void compareRuns(Generated& data, IdealizationType type, int32_t source) {
    IdealObjectArray classes;
    Classificator fast;
    fast.Setup(data.storage.get(), data.store.get(), &classes, type);
    ReferenceClassificator reference;
    reference.Setup(data.storage.get(), data.store.get(), type);

    // Over rules, the first 60 suffice (each rule is one more idealization of the same kind).
    const int32_t items =
        source == 0 ? data.storage->learnObjectCount : std::min(data.store->Count(), 60);
    for (int32_t j = 0; j < items; ++j) {
        const SEQSElem* object = source == 0 ? &data.storage->learnObjects[j] : nullptr;
        ASSERT_EQ(fast.IdealizeAndRegister(object, j), reference.IdealizeAndRegister(object, j))
            << idealizationTypeCaption(type) << " source " << source << " item " << j;
    }
    ASSERT_EQ(static_cast<size_t>(fast.idealObjectCount), reference.idealObjects.size());
    for (size_t k = 0; k < reference.idealObjects.size(); ++k) {
        ASSERT_TRUE(*classes[k] == *reference.idealObjects[k]) << "class " << k;
    }
    if (source != 0) return;

    const int32_t classCount = fast.idealObjectCount;
    for (size_t i = 0; i < data.others.size(); ++i) {
        EXPECT_EQ(fast.ClassifyObject(data.others[i], static_cast<int32_t>(i) + 1,
                                      ObjectSetKind::ControlNegative),
                  reference.ClassifyObject(data.others[i]));
        for (int32_t k = 0; k < std::min(classCount, 6); ++k) {
            EXPECT_TRUE(same(fast.ScoreObject(data.others[i], 0, k),
                             reference.ScoreObject(data.others[i], k)))
                << "object " << i << " class " << k;
        }
    }
    for (int32_t k = 0; k < std::min(classCount, 6); ++k) {
        for (int32_t i = 0; i < data.store->Count(); ++i) {
            EXPECT_EQ(fast.RuleStatus(i, k), reference.RuleStatus(i, k));
        }
        fast.SelectIdealObject(k);
        reference.SelectIdealObject(k);
        for (int32_t p = 0; p < fast.width; ++p) {
            for (int32_t l = 0; l < fast.alphabetSize; ++l) {
                EXPECT_TRUE(same(fast.PredictionValue(p, l), reference.PredictionValue(p, l)));
                EXPECT_TRUE(same(fast.RecognitionValue(p, l), reference.RecognitionValue(p, l)));
            }
        }
    }
}

// Every learning object and every rule idealized `rounds` times over on one engine, which
// remembers where the states of its earlier runs end, and each once on a fresh engine: the same
// ideal object and the same last status text (shown and kept) every time. Returns the states the
// remembering engine holds.
size_t compareWithFreshRuns(SEQStorage& storage, RulesStorage& store, IdealizationType type,
                            int32_t rounds) {
    test::RecordingSink sink;
    Classificator remembering(&sink);
    remembering.Setup(&storage, &store, nullptr, type);
    const auto idealize = [&](Classificator& engine, int32_t j) {
        const bool fromRule = j >= storage.learnObjectCount;
        const bool started = fromRule ? engine.StartFromRule(j - storage.learnObjectCount)
                                      : engine.StartFromObject(storage.learnObjects[j]);
        EXPECT_TRUE(started);
        engine.Idealize();
    };
    const int32_t starts = storage.learnObjectCount + store.Count();
    for (int32_t round = 0; round < rounds; ++round) {
        for (int32_t j = 0; j < starts; ++j) {
            test::RecordingSink freshSink;
            Classificator fresh(&freshSink);
            fresh.Setup(&storage, &store, nullptr, type);
            idealize(fresh, j);
            idealize(remembering, j);
            EXPECT_TRUE(*remembering.workingObject == *fresh.workingObject)
                << idealizationTypeCaption(type) << " round " << round << " start " << j;
            EXPECT_EQ(remembering.textBuffer, fresh.textBuffer);
            EXPECT_EQ(statusTexts(sink).back(), statusTexts(freshSink).back());
        }
    }
    return remembering.KnownStateCount();
}

TEST(Equivalence, RememberedEndsGiveTheEndsOfFreshRuns) {
    std::mt19937 random(test::testSeed("classificator equivalence", 20261207u) + 5);
    // Narrow rows, many of them alike, so that runs meet the states of earlier runs.
    for (const bool crowded : {false, true}) {
        Generated data(random, 160, 5, 90, !crowded, crowded);
        for (const IdealizationType type : kIdealizationTypes) {
            EXPECT_GT(compareWithFreshRuns(*data.storage, *data.store, type, 2), 0u);
        }
    }
}

TEST(Equivalence, RunsEndingOnARepeatedStateAreNotRemembered) {
    // The end of a run going round a cycle depends on where it came into the cycle.
    const CyclingSample data = cyclingSample();
    ASSERT_EQ(data.rows[0], "CCC");
    for (const IdealizationType type : kIdealizationTypes)
        compareWithFreshRuns(*data.storage, *data.store, type, 3);
}

TEST(Equivalence, WholeIdealizationsMatchReference) {
    std::mt19937 random(test::testSeed("classificator equivalence", 20261207u));
    Generated data(random, 30, 14, 300, false);
    for (const IdealizationType type : kIdealizationTypes) {
        compareRuns(data, type, 0);
        compareRuns(data, type, 1);
    }
}

TEST(Equivalence, InfiniteWeightsMatchReference) {
    std::mt19937 random(test::testSeed("classificator equivalence", 20261207u) + 1);
    Generated data(random, 30, 12, 200, true);
    for (const IdealizationType type : kIdealizationTypes) compareRuns(data, type, 0);
}

TEST(Equivalence, CrowdedRulesIdealizeAsReference) {
    std::mt19937 random(test::testSeed("classificator equivalence", 20261207u) + 3);
    Generated data(random, 24, 9, 150, false, true);
    for (const IdealizationType type : kIdealizationTypes) {
        compareRuns(data, type, 0);
        compareRuns(data, type, 1);
    }
}

// The gains as the scans form them (all cells at once, through the bit rows) against the cell
// lists' DeletionGain / InsertionGain and the reference, bit for bit, on states with several or
// no letters at a position. Rule counts fall on both sides of a 64-rule word.
TEST(Equivalence, ScanGainsMatchCellByCellGains) {
    struct Case {
        int32_t width;
        int32_t rules;
        bool crowded;
        bool certainties;
    };
    const Case cases[] = {{1, 20, false, false}, {1, 64, true, false},  {3, 65, false, true},
                          {5, 130, true, false}, {7, 63, false, false}, {13, 300, true, true},
                          {13, 300, false, true}};
    std::mt19937 random(test::testSeed("classificator equivalence", 20261207u) + 4);
    for (const Case& c : cases) {
        SCOPED_TRACE("width " + std::to_string(c.width) + ", " + std::to_string(c.rules) +
                     (c.crowded ? " crowded rules" : " rules"));
        Generated data(random, 16, c.width, c.rules, c.certainties, c.crowded);
        IdealObjectArray classes;
        Classificator fast;
        fast.Setup(data.storage.get(), data.store.get(), &classes,
                   IdealizationType::kDeletingBegin);
        ReferenceClassificator reference;
        reference.Setup(data.storage.get(), data.store.get(), IdealizationType::kDeletingBegin);
        std::vector<double> deletion, insertion;
        for (const SEQSElem& object : data.others) {
            fast.StartFromObject(object);
            for (uint8_t& cell : fast.workingObject->cells) {
                if (random() % 3 == 0) cell = static_cast<uint8_t>(1 - cell);
            }
            reference.working = *fast.workingObject;
            fast.BuildPredictionMatrix();
            reference.BuildPredictionMatrix();
            fast.DeletionGains(deletion);
            fast.InsertionGains(insertion);
            ASSERT_EQ(deletion.size(), fast.workingObject->cells.size());
            ASSERT_EQ(insertion.size(), fast.workingObject->cells.size());
            for (int32_t p = 0; p < fast.width; ++p) {
                for (int32_t l = 0; l < fast.alphabetSize; ++l) {
                    const auto cell = static_cast<size_t>(p * fast.alphabetSize + l);
                    const bool set = fast.workingObject->IsAllowed({p, l}) != 0;
                    const double scanned = set ? deletion[cell] : insertion[cell];
                    const double listed =
                        set ? fast.DeletionGain({p, l}) : fast.InsertionGain({p, l});
                    const double expected =
                        set ? reference.DeletionGain({p, l}) : reference.InsertionGain({p, l});
                    EXPECT_TRUE(same(scanned, expected))
                        << "cell " << p << "," << l << ": " << scanned << " vs " << expected;
                    EXPECT_TRUE(same(listed, expected)) << "cell " << p << "," << l;
                    // A cell not in the required state has no gain of that kind.
                    EXPECT_EQ(set ? insertion[cell] : deletion[cell], 0.0);
                }
            }
        }
    }
}

TEST(Equivalence, GainsMatchReferenceOnRandomStates) {
    std::mt19937 random(test::testSeed("classificator equivalence", 20261207u) + 2);
    Generated data(random, 20, 12, 300, true);
    IdealObjectArray classes;
    Classificator fast;
    fast.Setup(data.storage.get(), data.store.get(), &classes, IdealizationType::kDeletingBegin);
    ReferenceClassificator reference;
    reference.Setup(data.storage.get(), data.store.get(), IdealizationType::kDeletingBegin);
    for (const SEQSElem& object : data.others) {
        fast.StartFromObject(object);
        // Random extra letters, so that positions hold several letters or none.
        for (uint8_t& cell : fast.workingObject->cells) {
            if (random() % 4 == 0) cell = static_cast<uint8_t>(1 - cell);
        }
        reference.working = *fast.workingObject;
        fast.BuildPredictionMatrix();
        reference.BuildPredictionMatrix();
        for (int32_t p = 0; p < fast.width; ++p) {
            for (int32_t l = 0; l < fast.alphabetSize; ++l) {
                const bool set = fast.workingObject->IsAllowed({p, l}) != 0;
                const double a = set ? fast.DeletionGain({p, l}) : fast.InsertionGain({p, l});
                const double b =
                    set ? reference.DeletionGain({p, l}) : reference.InsertionGain({p, l});
                EXPECT_TRUE(same(a, b)) << "cell " << p << "," << l << ": " << a << " vs " << b;
            }
        }
    }
}

}  // namespace
}  // namespace motifora::testing
