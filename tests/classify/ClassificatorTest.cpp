// Idealization: the worked example under the three types, registration and classification with
// their reports, ties, the 1e-7 threshold, applicability, rules without prediction and
// infinite weights.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "ClassifyTestSupport.h"
#include "RecordedReports.h"
#include "classify/Classificator.h"

namespace motifora::testing {
namespace {

constexpr IdealizationType kDeleting = IdealizationType::kDeletingBegin;
constexpr IdealizationType kInserting = IdealizationType::kInsertingBegin;
constexpr IdealizationType kBoth = IdealizationType::kDeletingInserting;

// Letters A (code 0) and C (code 1), width 2, learning objects AC, AA, CC, CA.
struct Workbench {
    explicit Workbench(std::vector<std::unique_ptr<Rule>> (*rulesOf)(SEQStorage&),
                       std::vector<std::string> rows = {"AC", "AA", "CC", "CA"}) {
        storage = makeStorage(rows);
        store = makeStore(rulesOf(*storage), storage->width);
    }
    void setup(IdealizationType type) { engine.Setup(storage.get(), store.get(), &classes, type); }
    std::string textOf(int32_t k) const {
        std::string text;
        classes[static_cast<size_t>(k)]->ToText(text, storage->codeTable);
        return text;
    }
    // Idealizes `text` into a class and returns that class's text.
    std::string idealize(const std::string& text) {
        const SEQSElem object = makeObject(*storage, text);
        const int32_t k = engine.IdealizeAndRegister(&object, -1);
        return k < 0 ? "none" : textOf(k);
    }

    std::unique_ptr<SEQStorage> storage;
    std::unique_ptr<RulesStorage> store;
    IdealObjectArray classes;
    test::RecordingSink sink;
    Classificator engine{&sink};
};

// R: position 0 holds A => C at position 1 with 0.75, so w = ln 4.
std::vector<std::unique_ptr<Rule>> ruleR(SEQStorage& s) {
    std::vector<std::unique_ptr<Rule>> rules;
    rules.push_back(makeRule(s, {{0, 1, 0}}, 1, {0.0, 0.75}));
    return rules;
}

// Sets `bench` up under `type` and expects it to idealize AA, AC, CC and CA, in this order, as a
// workbench with R alone does.
void expectIdealizesAsRuleR(Workbench& bench, IdealizationType type) {
    Workbench plain(ruleR);
    plain.setup(type);
    bench.setup(type);
    for (const char* object : {"AA", "AC", "CC", "CA"})
        EXPECT_EQ(bench.idealize(object), plain.idealize(object))
            << object << ", " << idealizationTypeCaption(type);
}

TEST(Idealization, WorkedExampleUnderEachType) {
    struct Case {
        IdealizationType type;
        const char* object;
        const char* ideal;
    };
    const Case cases[] = {
        {kDeleting, "AA", "-[ ]-[A]-"},  {kBoth, "AA", "-[ ]-[A]-"},
        {kInserting, "AA", "-[A]-[ ]-"}, {kDeleting, "AC", "-[A]-[C]-"},
        {kInserting, "AC", "-[A]-[C]-"}, {kBoth, "AC", "-[A]-[C]-"},
        {kDeleting, "CC", "-[ ]-[C]-"},  {kInserting, "CC", "-[ ]-[C]-"},
        {kBoth, "CC", "-[ ]-[C]-"},
    };
    for (const Case& c : cases) {
        Workbench bench(ruleR);
        bench.setup(c.type);
        EXPECT_EQ(bench.idealize(c.object), c.ideal)
            << idealizationTypeCaption(c.type) << ", object " << c.object;
    }
}

TEST(Idealization, WorkedExampleGainsAndMatrix) {
    Workbench bench(ruleR);
    bench.setup(kDeleting);
    const SEQSElem aa = makeObject(*bench.storage, "AA");
    ASSERT_TRUE(bench.engine.StartFromObject(aa));
    bench.engine.BuildPredictionMatrix();
    const double ln4 = std::log(4.0);
    EXPECT_EQ(bench.engine.PredictionValue(1, 1), -ln4);
    EXPECT_EQ(bench.engine.applicableCount, 1);
    EXPECT_EQ(bench.engine.DeletionGain({0, 0}), ln4);  // R becomes inapplicable
    EXPECT_EQ(bench.engine.DeletionGain({1, 0}), 0.0);
    EXPECT_EQ(bench.engine.InsertionGain({1, 1}), ln4);  // minus the matrix cell
    EXPECT_EQ(bench.engine.InsertionGain({0, 1}), 0.0);
    // Gains leave the working object as it was; cells in the wrong state give 0.
    EXPECT_EQ(bench.engine.workingObject->cells, (std::vector<uint8_t>{1, 0, 1, 0}));
    EXPECT_EQ(bench.engine.DeletionGain({1, 1}), 0.0);
    EXPECT_EQ(bench.engine.InsertionGain({0, 0}), 0.0);
}

TEST(Idealization, RegistersClassesAndShowsThem) {
    Workbench bench(ruleR);
    bench.setup(kDeleting);
    std::vector<int32_t> numbers;
    for (int32_t j = 0; j < 4; ++j) {
        numbers.push_back(bench.engine.IdealizeAndRegister(&bench.storage->learnObjects[j], -1));
    }
    // AC {A}{C}, AA {}{A}, CC {}{C}, CA stays {C}{A}: four classes, the first is class 0.
    EXPECT_EQ(numbers, (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(bench.engine.idealObjectCount, 4);
    EXPECT_EQ(classTexts(bench.sink),
              (std::vector<std::string>{"-[A]-[C]-", "-[ ]-[A]-", "-[ ]-[C]-", "-[C]-[A]-"}));
    EXPECT_EQ(classIndexes(bench.sink), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(classValues(bench.sink), (std::vector<double>(4, 0.0)));
    EXPECT_GT(bench.sink.count<ClassMade>(), 0u);
    EXPECT_EQ(learningClasses(bench.sink),
              (std::vector<std::vector<int32_t>>{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
    // AC is shown once (no change); AA at its start, then after its one change.
    ASSERT_GE(statusTexts(bench.sink).size(), 3u);
    EXPECT_EQ(statusTexts(bench.sink)[0], "-[A]-[C]-");
    EXPECT_EQ(statusTexts(bench.sink)[1], "-[A]-[A]-");
    EXPECT_EQ(statusTexts(bench.sink)[2], "-[ ]-[A]-");

    // An object idealized into an existing class adds none and gets that class.
    bench.sink.clear();
    const SEQSElem again = makeObject(*bench.storage, "AA");
    EXPECT_EQ(bench.engine.IdealizeAndRegister(&again, -1), 1);
    EXPECT_TRUE(classTexts(bench.sink).empty());
    EXPECT_EQ(bench.engine.idealObjectCount, 4);
    EXPECT_EQ(bench.engine.workingObject, nullptr);
}

TEST(Idealization, ArrayGrowsAndCountSurvivesSetup) {
    Workbench bench(ruleR);
    bench.classes.resize(1);  // room for one class only
    bench.setup(kDeleting);
    EXPECT_EQ(bench.engine.IdealizeAndRegister(&bench.storage->learnObjects[0], -1), 0);
    EXPECT_EQ(bench.engine.IdealizeAndRegister(&bench.storage->learnObjects[1], -1), 1);
    bench.setup(kInserting);  // a later run appends to the classes found
    EXPECT_EQ(bench.engine.idealObjectCount, 2);
    EXPECT_EQ(bench.engine.IdealizeAndRegister(&bench.storage->learnObjects[1], -1), 2);  // {A}{}
    ASSERT_EQ(bench.classes.size(), 3u);
    EXPECT_EQ(bench.textOf(2), "-[A]-[ ]-");
}

TEST(Idealization, FromRules) {
    Workbench bench([](SEQStorage& s) {
        std::vector<std::unique_ptr<Rule>> rules;
        rules.push_back(makeRule(s, {{0, 1, 0}}, 1, {0.0, 0.75}));
        // No positive probability: the target gets no letter; the negative condition allows
        // every other letter at its position.
        rules.push_back(makeRule(s, {{1, -1, 1}}, 0, {-0.8, 0.0}));
        return rules;
    });
    bench.setup(kDeleting);
    ASSERT_TRUE(bench.engine.StartFromRule(1));
    EXPECT_EQ(bench.engine.workingObject->cells, (std::vector<uint8_t>{0, 0, 1, 0}));
    EXPECT_EQ(bench.engine.IdealizeAndRegister(nullptr, 0), 0);
    EXPECT_EQ(bench.textOf(0), "-[A]-[C]-");
    EXPECT_EQ(bench.engine.IdealizeAndRegister(nullptr, 1), 1);
    EXPECT_EQ(ruleClasses(bench.sink), (std::vector<std::vector<int32_t>>{{1, 1}, {2, 2}}));
    EXPECT_TRUE(learningClasses(bench.sink).empty());
    EXPECT_EQ(bench.engine.IdealizeAndRegister(nullptr, 2), -1);  // no such rule
    EXPECT_EQ(bench.engine.idealObjectCount, 2);
}

TEST(Classification, FindsClassOrShowsNew) {
    Workbench bench(ruleR);
    bench.setup(kDeleting);
    bench.engine.IdealizeAndRegister(&bench.storage->learnObjects[0], -1);  // {A}{C}
    const SEQSElem ac = makeObject(*bench.storage, "AC");
    const SEQSElem aa = makeObject(*bench.storage, "AA");
    EXPECT_EQ(bench.engine.ClassifyObject(ac, 3, ObjectSetKind::ControlNegative), 0);
    EXPECT_EQ(bench.engine.ClassifyObject(aa, 4, ObjectSetKind::LearnNegative), -1);
    EXPECT_EQ(bench.engine.idealObjectCount, 1);  // never appends
    EXPECT_EQ(controlClasses(bench.sink),
              (std::vector<std::vector<int32_t>>{{2, 3, 1}, {3, 4, -1}}));
    EXPECT_EQ(bench.engine.textBuffer, "-[ ]-[A]-");
}

TEST(Idealization, EqualGainsChangeLowerPositionFirst) {
    // Two rules predicting C at position 2, resting on A at position 0 and at position 1: both
    // deletions gain ln 4; the one at position 0 is made first.
    Workbench bench(
        [](SEQStorage& s) {
            std::vector<std::unique_ptr<Rule>> rules;
            rules.push_back(makeRule(s, {{1, 1, 0}}, 2, {0.0, 0.75}));
            rules.push_back(makeRule(s, {{0, 1, 0}}, 2, {0.0, 0.75}));
            return rules;
        },
        {"ACA", "AAA"});
    bench.setup(kDeleting);
    EXPECT_EQ(bench.idealize("AAA"), "-[ ]-[ ]-[A]-");
    ASSERT_EQ(statusTexts(bench.sink).size(), 3u);
    EXPECT_EQ(statusTexts(bench.sink)[0], "-[A]-[A]-[A]-");
    EXPECT_EQ(statusTexts(bench.sink)[1], "-[ ]-[A]-[A]-");
}

TEST(Idealization, GainOfExactlyTheThresholdChangesNothing) {
    // Two probabilities whose weights differ by exactly 1e-7 in double arithmetic: deleting A at
    // position 0 and inserting C at position 1 both gain exactly 1e-7, the best of every scan.
    static const double r1 = 0x1.66d81174p-23;
    static const double r2 = 0x1.2030fc88p-24;
    auto rules = [](SEQStorage& s) {
        std::vector<std::unique_ptr<Rule>> list;
        list.push_back(makeRule(s, {{0, 1, 0}}, 1, {0.0, r1}));
        list.push_back(makeRule(s, {{0, 1, 0}}, 1, {0.0, -r2}));
        return list;
    };
    for (const IdealizationType type : kIdealizationTypes) {
        Workbench bench(rules);
        bench.setup(type);
        const SEQSElem aa = makeObject(*bench.storage, "AA");
        bench.engine.StartFromObject(aa);
        bench.engine.BuildPredictionMatrix();
        EXPECT_EQ(bench.engine.DeletionGain({0, 0}), 1e-7);
        EXPECT_EQ(bench.engine.InsertionGain({1, 1}), 1e-7);
        EXPECT_EQ(bench.idealize("AA"), "-[A]-[A]-") << idealizationTypeCaption(type);
    }
    // Without the second rule the gain is above the threshold and the deletion is made.
    Workbench single([](SEQStorage& s) {
        std::vector<std::unique_ptr<Rule>> list;
        list.push_back(makeRule(s, {{0, 1, 0}}, 1, {0.0, r1}));
        return list;
    });
    single.setup(kDeleting);
    EXPECT_EQ(single.idealize("AA"), "-[ ]-[A]-");
}

TEST(Vocabulary, ApplicabilityAndRuleStatus) {
    // Letters A, C, G; classes are set by hand; each rule is checked against each class.
    Workbench bench(
        [](SEQStorage& s) {
            std::vector<std::unique_ptr<Rule>> rules;
            rules.push_back(makeRule(s, {{0, -1, 0}, {1, -1, 0}}, 2, {0.0, 0.0, 0.9}));  // 0
            rules.push_back(makeRule(s, {{0, -1, 0}, {1, 1, 1}}, 2, {0.0, 0.0, 0.9}));   // 1
            rules.push_back(makeRule(s, {{1, -1, 1}}, 2, {0.0, 0.0, 0.9}));              // 2
            rules.push_back(makeRule(s, {{1, 1, 0}}, 2, {0.0, 0.0, 0.9}));               // 3
            rules.push_back(makeRule(s, {}, 2, {0.0, 0.0, -0.9}));                       // 4
            rules.push_back(makeRule(s, {{1, 1, 1}}, 2, {0.0, 0.0, 0.0}));               // 5
            // Equal magnitudes: the earlier letter (A, negative) is the prediction.
            rules.push_back(makeRule(s, {{1, 1, 1}}, 2, {-0.8, 0.8, 0.0}));  // 6
            return rules;
        },
        {"ACG"});
    bench.setup(kDeleting);
    // Class 0: {} {C} {G}; class 1: {C} {C} {A}.
    for (const char* cells : {"000010001", "010010100"}) {
        auto ideal = std::make_unique<CIdelObject>();
        ideal->InitEmpty(3, 3);
        for (size_t i = 0; i < 9; ++i) ideal->cells[i] = cells[i] == '1';
        bench.classes.push_back(std::move(ideal));
    }
    bench.engine.idealObjectCount = 2;
    const int32_t expected[7][2] = {
        {1, 2},  // first negative on an empty position, last one holds: applicable
        {0, 2},  // negative on an empty position, then only positives: not applicable
        {0, 0},  // the excluded letter is allowed: not applicable
        {0, 0},  // the required letter is not allowed
        {2, 1},  // no conditions: applicable; r < 0 agrees where G is not allowed
        {2, 2},  // no prediction
        {1, 2},  // predicts A absent
    };
    for (int32_t i = 0; i < 7; ++i) {
        for (int32_t k = 0; k < 2; ++k) {
            EXPECT_EQ(bench.engine.RuleStatus(i, k), expected[i][k])
                << "rule " << i << " class " << k;
        }
    }
    EXPECT_EQ(bench.engine.RuleStatus(7, 0), 0);
    EXPECT_EQ(bench.engine.RuleStatus(0, 2), 0);
}

TEST(Vocabulary, RuleWithoutPredictionContributesNothing) {
    auto withSilentRule = [](SEQStorage& s) {
        std::vector<std::unique_ptr<Rule>> rules;
        rules.push_back(makeRule(s, {{0, 1, 0}}, 1, {0.0, 0.0}));
        rules.push_back(makeRule(s, {{0, 1, 0}}, 1, {0.0, 0.75}));
        return rules;
    };
    for (const IdealizationType type : kIdealizationTypes) {
        Workbench silent(withSilentRule);
        expectIdealizesAsRuleR(silent, type);
        const SEQSElem aa = makeObject(*silent.storage, "AA");
        silent.engine.StartFromObject(aa);
        silent.engine.BuildPredictionMatrix();
        EXPECT_EQ(silent.engine.applicableCount, 2);
        EXPECT_EQ(silent.engine.PredictionValue(1, 0), 0.0);
        EXPECT_EQ(silent.engine.PredictionValue(1, 1), -std::log(4.0));
    }
}

TEST(Vocabulary, InfiniteWeights) {
    // Probability 1 gives an infinite weight: +inf gains are taken, NaN gains never.
    Workbench bench([](SEQStorage& s) {
        std::vector<std::unique_ptr<Rule>> rules;
        rules.push_back(makeRule(s, {{0, 1, 0}}, 1, {0.0, 1.0}));
        rules.push_back(makeRule(s, {{0, 1, 0}}, 1, {1.0, 0.0}));
        return rules;
    });
    bench.setup(kDeleting);
    const SEQSElem aa = makeObject(*bench.storage, "AA");
    bench.engine.StartFromObject(aa);
    bench.engine.BuildPredictionMatrix();
    EXPECT_EQ(bench.engine.PredictionValue(1, 1), -INFINITY);
    EXPECT_EQ(bench.engine.PredictionValue(1, 0), INFINITY);
    EXPECT_TRUE(std::isnan(bench.engine.DeletionGain({0, 0})));  // +inf - inf
    EXPECT_EQ(bench.engine.DeletionGain({1, 0}), -INFINITY);
    EXPECT_EQ(bench.engine.InsertionGain({1, 1}), INFINITY);
    // The NaN deletion is passed over, the infinite insertion made; normalisation empties the
    // full position 1.
    EXPECT_EQ(bench.idealize("AA"), "-[A]-[ ]-");
}

TEST(Idealization, StrategyThatWouldGoRoundForeverEnds) {
    // The strategy ends where a state comes back.
    const CyclingSample data = cyclingSample();
    ASSERT_EQ(data.rows[0], "CCC");
    SEQStorage* storage = data.storage.get();
    RulesStorage* store = data.store.get();
    test::RecordingSink sink;
    IdealObjectArray classes;
    Classificator engine(&sink);
    engine.Setup(storage, store, &classes, IdealizationType::kInsertingBegin);
    ASSERT_EQ(engine.IdealizeAndRegister(&storage->learnObjects[0], -1), 0);
    std::string text;
    classes[0]->ToText(text, storage->codeTable);
    EXPECT_EQ(text, "-[ ]-[TG]-[CG]-");
    const std::vector<std::string> shown = statusTexts(sink);
    ASSERT_GE(shown.size(), 5u);
    EXPECT_EQ(shown.back(), "-[CTAG]-[TG]-[CG]-");
    EXPECT_EQ(shown[shown.size() - 5], shown.back());  // four changes earlier
}

TEST(Vocabulary, DamagedRulesAndClassesAreIgnored) {
    // Rules as a damaged project could hold them: a condition outside the matrix, a letter
    // outside the alphabet, a sign of 0, a target outside the matrix, too few probabilities.
    auto damaged = [](SEQStorage& s) {
        std::vector<std::unique_ptr<Rule>> rules;
        rules.push_back(makeRule(s, {{5, 1, 0}}, 1, {0.0, 0.9}));
        rules.push_back(makeRule(s, {{0, 1, 7}}, 1, {0.0, 0.9}));
        rules.push_back(makeRule(s, {{0, 0, 0}}, 1, {0.0, 0.9}));
        rules.push_back(makeRule(s, {{0, 1, 0}}, 1, {0.0, 0.75}));  // R itself
        rules.push_back(makeRule(s, {{0, 1, 1}}, 9, {0.9, 0.0}));
        rules.back()->letterProbability.resize(1);
        return rules;
    };
    for (const IdealizationType type : kIdealizationTypes) {
        Workbench bench(damaged);
        expectIdealizesAsRuleR(bench, type);
        for (int32_t i : {0, 1, 2}) {
            EXPECT_EQ(bench.engine.RuleStatus(i, 0), 0);
            EXPECT_GE(bench.engine.IdealizeAndRegister(nullptr, i), 0);
        }
        EXPECT_EQ(bench.engine.RuleStatus(4, 0), 0);
        // A class of another size (from a project of other sequences) is never matched or scored.
        bench.classes.insert(bench.classes.begin(), std::make_unique<CIdelObject>());
        bench.classes.front()->InitEmpty(3, 2);
        ++bench.engine.idealObjectCount;
        EXPECT_EQ(bench.engine.ScoreObject(makeObject(*bench.storage, "AC"), 0, 0), 0.0);
        EXPECT_FALSE(bench.engine.SelectIdealObject(0));
        EXPECT_EQ(bench.engine.ClassifyObject(makeObject(*bench.storage, "AC"), 1,
                                              ObjectSetKind::ControlNegative),
                  2);  // AA came first
    }
}

TEST(Idealization, NotSetUp) {
    Workbench bench(ruleR);
    const SEQSElem aa = makeObject(*bench.storage, "AA");
    EXPECT_EQ(bench.engine.IdealizeAndRegister(&aa, -1), -1);
    EXPECT_EQ(bench.engine.ClassifyObject(aa, 1, ObjectSetKind::ControlNegative), -1);
    EXPECT_EQ(bench.engine.Setup(nullptr, bench.store.get(), &bench.classes, kDeleting), 0);
    EXPECT_EQ(bench.engine.storage, nullptr);
}

}  // namespace
}  // namespace motifora::testing
