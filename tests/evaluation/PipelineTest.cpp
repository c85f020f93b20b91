// The learning pipeline against the chain written out step by step: the same rules, classes and
// held-out scores bit for bit for every idealization type, source and thread count; its progress,
// its stops, the negatives it classifies, and the two scorers.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "evaluation/Pipeline.h"
#include "support/MotifSamples.h"
#include "support/Seed.h"

namespace motifora {
namespace {

constexpr IdealizationType kDeleting = IdealizationType::kDeletingBegin;
constexpr IdealizationType kBoth = IdealizationType::kDeletingInserting;
constexpr IdealizationSource kObjects = IdealizationSource::kObjects;
constexpr IdealizationSource kRules = IdealizationSource::kRules;

using test::MotifSamples;

bool sameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

LearningSettings smallSettings() {
    LearningSettings s;
    s.search.finishBufferSize = 120;
    s.search.subBufferSize = 20;
    return s;
}

// The first `train` records of each sample learn, the rest are held out.
FoldSamples foldOf(const MotifSamples& s, size_t train) {
    FoldSamples f;
    f.trainPositives.assign(s.positives.begin(), s.positives.begin() + train);
    f.heldPositives.assign(s.positives.begin() + train, s.positives.end());
    f.trainNegatives.assign(s.negatives.begin(), s.negatives.begin() + train);
    f.heldNegatives.assign(s.negatives.begin() + train, s.negatives.end());
    return f;
}

// The chain written out: search every target, idealize one by one, score the held-out objects
// coded as control sets of the learning objects' storage.
FoldScores chainWrittenOut(const FoldSamples& f, const LearningSettings& s) {
    FoldScores out;
    const auto n = [](const std::vector<Sequence>& v) { return static_cast<int32_t>(v.size()); };
    SEQStorage search;
    search.buildWholeWithNegatives(f.trainPositives.data(), f.trainNegatives.data(),
                                   n(f.trainPositives), n(f.trainNegatives));
    RulesStorage rules(s.search.finishBufferSize, search.width);
    RegGenerator generator;
    generator.Init(&search, &rules, s.search.subBufferSize, s.search.confidence,
                   s.search.cpThreshold);
    generator.RunSearch(nullptr);
    out.rules = rules.Count();

    SEQStorage objects;
    objects.buildWhole(f.trainPositives.data(), n(f.trainPositives));
    objects.addSetObjects(f.trainNegatives.data(), n(f.trainNegatives),
                          ObjectSetKind::LearnNegative);
    objects.addSetObjects(f.heldPositives.data(), n(f.heldPositives),
                          ObjectSetKind::ControlPositive);
    objects.addSetObjects(f.heldNegatives.data(), n(f.heldNegatives),
                          ObjectSetKind::ControlNegative);
    IdealObjectArray ideal(static_cast<size_t>(objects.learnObjectCount));
    Classificator classes;
    classes.Setup(&objects, &rules, &ideal, s.idealizationType);
    if (s.idealizationSource == IdealizationSource::kObjects) {
        for (int32_t j = 0; j < objects.learnObjectCount; ++j)
            objects.learnObjects[j].classNumber =
                classes.IdealizeAndRegister(&objects.learnObjects[j], -1);
    } else {
        for (int32_t i = 0; i < rules.Count(); ++i) classes.IdealizeAndRegister(nullptr, i);
    }
    out.classes = classes.idealObjectCount;
    AllClassScorer scorer(classes);
    const std::vector<ClassNorm> norms =
        classNorms(scorer, objects.negativeObjects.data(), objects.negativeObjectCount);
    for (int32_t i = 0; i < objects.controlPositiveObjectCount; ++i)
        out.positives.push_back(
            scoreSequence(classes, scorer, norms, objects.controlPositiveObjects[i]));
    for (int32_t i = 0; i < objects.controlNegativeObjectCount; ++i)
        out.negatives.push_back(
            scoreSequence(classes, scorer, norms, objects.controlNegativeObjects[i]));
    out.complete = true;
    return out;
}

void expectSameScores(const std::vector<SequenceScore>& a, const std::vector<SequenceScore>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].assignedClass, b[i].assignedClass) << i;
        EXPECT_EQ(a[i].bestClass, b[i].bestClass) << i;
        EXPECT_TRUE(sameBits(a[i].bestScore, b[i].bestScore)) << i;
        EXPECT_TRUE(sameBits(a[i].normalizedScore, b[i].normalizedScore)) << i;
    }
}

TEST(Pipeline, AClassFoldScoresAsTheChainWrittenOut) {
    const MotifSamples s = test::motifSamples(test::testSeed("pipeline", 2026u), 40, 14);
    const FoldSamples fold = foldOf(s, 30);
    const struct {
        IdealizationType type;
        IdealizationSource source;
        int32_t threads;
    } cases[] = {{kDeleting, kObjects, 1},
                 {kBoth, kObjects, 1},
                 {IdealizationType::kInsertingBegin, kObjects, 2},
                 {kBoth, kObjects, 3},
                 {kDeleting, kRules, 1},
                 {kBoth, kRules, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(idealizationTypeCaption(c.type)) +
                     (c.source == kRules ? ", rules" : ", objects") + ", threads " +
                     std::to_string(c.threads));
        LearningSettings settings = smallSettings();
        settings.idealizationType = c.type;
        settings.idealizationSource = c.source;
        settings.idealizationThreads = c.threads;
        settings.searchThreads = c.threads;
        const FoldScores got = learnAndScoreFold(fold, settings, nullptr, nullptr);
        const FoldScores expected = chainWrittenOut(fold, settings);
        ASSERT_TRUE(got.complete);
        ASSERT_GT(expected.rules, 0);
        ASSERT_GT(expected.classes, 1);
        EXPECT_EQ(got.rules, expected.rules);
        EXPECT_EQ(got.classes, expected.classes);
        expectSameScores(got.positives, expected.positives);
        expectSameScores(got.negatives, expected.negatives);
    }
}

TEST(Pipeline, TheClassScoreOfARecordIsThatOfItsObject) {
    const MotifSamples s = test::motifSamples(test::testSeed("pipeline", 2027u), 30, 12);
    LearnedModel model = learnModel(s.positives, s.negatives, smallSettings(), {});
    ASSERT_TRUE(model.complete);
    ASSERT_GT(model.classCount(), 1);
    ClassScore scorer(*model.classes, *model.objects);
    AllClassScorer all(*model.classes);
    const std::vector<ClassNorm> norms =
        classNorms(all, model.objects->negativeObjects.data(), model.objects->negativeObjectCount);
    for (int32_t i = 0; i < 5; ++i) {
        const SequenceScore one = scorer.score(s.negatives[static_cast<size_t>(i)]);
        const SequenceScore object =
            scoreSequence(*model.classes, all, norms, model.objects->negativeObjects[i]);
        expectSameScores({one}, {object});
    }
}

TEST(Pipeline, TheDiscriminativeScoreIsTheContrastScorersWithoutAClass) {
    const MotifSamples s = test::motifSamples(test::testSeed("pipeline", 2028u), 40, 16);
    LearningSettings settings = smallSettings();
    settings.score = ScoreKind::kDiscriminative;
    LearnedModel model = learnModel(s.positives, s.negatives, settings, {});
    ASSERT_TRUE(model.complete);
    CrossValidationSettings cv;
    cv.search.finishBufferSize = settings.search.finishBufferSize;
    cv.search.subBufferSize = settings.search.subBufferSize;
    const ContrastRules rules =
        searchContrastRules(s.positives, s.negatives, contrastSettingsOf(cv), nullptr);
    ASSERT_GT(rules.rules.size(), 0u);
    EXPECT_EQ(model.ruleCount(), static_cast<int32_t>(rules.rules.size()));
    EXPECT_EQ(model.classCount(), 0);
    const std::unique_ptr<Scorer> scorer = scorerOf(model);
    ASSERT_NE(scorer, nullptr);
    std::vector<SequenceScore> scores;
    ASSERT_TRUE(scorer->scoreAll(s.negatives, scores, nullptr, nullptr));
    ASSERT_EQ(scores.size(), s.negatives.size());
    for (size_t i = 0; i < scores.size(); ++i) {
        EXPECT_TRUE(sameBits(scores[i].bestScore, contrastScore(rules, s.negatives[i]))) << i;
        EXPECT_EQ(scores[i].bestClass, -1);
        EXPECT_EQ(scores[i].assignedClass, -1);
        EXPECT_TRUE(std::isnan(scores[i].normalizedScore));
    }
}

// Every call of the progress, as text.
struct Recorded : ProgressCallbacks {
    std::vector<std::pair<LearningStage, int32_t>> stages;
    std::vector<std::vector<int32_t>> steps;  // per stage
    Recorded() {
        onStage = [this](LearningStage stage, int32_t count) {
            stages.emplace_back(stage, count);
            steps.emplace_back();
        };
        onStep = [this](int32_t step) { steps.back().push_back(step); };
    }
};

std::vector<int32_t> upTo(int32_t n, int32_t from = 0) {
    std::vector<int32_t> v;
    for (int32_t i = from; i < n; ++i) v.push_back(i);
    return v;
}

TEST(Pipeline, EachStageIsAnnouncedWithItsStepsInOrder) {
    const MotifSamples s = test::motifSamples(test::testSeed("pipeline", 2029u), 20, 10);
    LearningSettings settings = smallSettings();
    settings.classifyNegatives = true;
    Recorded recorded;
    LearnedModel model = learnModel(s.positives, s.negatives, settings, {nullptr, &recorded});
    ASSERT_TRUE(model.complete);
    ASSERT_EQ(recorded.stages.size(), 3u);
    EXPECT_EQ(recorded.stages[0], std::make_pair(LearningStage::kSearching, 10));
    EXPECT_EQ(recorded.stages[1], std::make_pair(LearningStage::kIdealizing, 20));
    EXPECT_EQ(recorded.stages[2], std::make_pair(LearningStage::kNegatives, 20));
    EXPECT_EQ(recorded.steps[0], upTo(10));
    EXPECT_EQ(recorded.steps[1], upTo(20));
    EXPECT_EQ(recorded.steps[2], upTo(20));

    // Scores continue the step count from the given first step.
    const std::unique_ptr<Scorer> scorer = scorerOf(model);
    std::vector<SequenceScore> scores;
    Recorded scoring;
    scoring.stage(LearningStage::kScoring, 8);
    ASSERT_TRUE(
        scorer->scoreAll(std::vector<Sequence>(s.negatives.begin(), s.negatives.begin() + 3),
                         scores, nullptr, &scoring, 5));
    EXPECT_EQ(scoring.steps[0], upTo(8, 5));
}

TEST(Pipeline, NegativesAreClassifiedOnlyWhenAsked) {
    const MotifSamples s = test::motifSamples(test::testSeed("pipeline", 2030u), 24, 12);
    for (const bool asked : {false, true}) {
        for (const int32_t threads : {1, 2}) {
            SCOPED_TRACE(std::string(asked ? "asked" : "not asked") + ", threads " +
                         std::to_string(threads));
            LearningSettings settings = smallSettings();
            settings.classifyNegatives = asked;
            settings.idealizationThreads = threads;
            LearnedModel model = learnModel(s.positives, s.negatives, settings, {});
            ASSERT_TRUE(model.complete);
            for (int32_t k = 0; k < model.objects->negativeObjectCount; ++k) {
                const SEQSElem& negative = model.objects->negativeObjects[k];
                const int32_t expected =
                    asked ? model.classes->ClassifyObject(negative, k + 1, ObjectSetKind::None)
                          : -1;
                EXPECT_EQ(negative.classNumber, expected) << k;
            }
        }
    }
}

TEST(Pipeline, AStopEndsTheStageAtItsNextGateAndLeavesTheModelIncomplete) {
    const MotifSamples s = test::motifSamples(test::testSeed("pipeline", 2031u), 20, 10);
    for (const LearningStage stopIn : {LearningStage::kSearching, LearningStage::kIdealizing}) {
        SCOPED_TRACE(static_cast<int>(stopIn));
        RunControl control;
        control.setRunning(true);
        Recorded recorded;
        // Stops on this thread as the fourth step of the stage is announced.
        recorded.onStep = [&](int32_t step) {
            recorded.steps.back().push_back(step);
            if (recorded.stages.back().first == stopIn && step == 3) control.setRunning(false);
        };
        LearningSettings settings = smallSettings();
        settings.classifyNegatives = true;
        LearnedModel model = learnModel(s.positives, s.negatives, settings, {&control, &recorded});
        EXPECT_FALSE(model.complete);
        const size_t at = stopIn == LearningStage::kSearching ? 0 : 1;
        ASSERT_GT(recorded.stages.size(), at);
        EXPECT_EQ(recorded.stages[at].first, stopIn);
        EXPECT_EQ(recorded.steps[at], upTo(4));
        // A later stage (the negatives) announces its first step and meets the closed gate.
        for (size_t later = at + 1; later < recorded.steps.size(); ++later)
            EXPECT_EQ(recorded.steps[later], upTo(1));
        if (stopIn == LearningStage::kIdealizing) {
            // Three objects were idealized; the fourth and the negatives were not.
            EXPECT_GE(model.objects->learnObjects[2].classNumber, 0);
            EXPECT_EQ(model.objects->learnObjects[3].classNumber, -1);
            EXPECT_EQ(model.objects->negativeObjects[0].classNumber, -1);
        }
    }
    // A fold whose run is already stopped scores nothing.
    RunControl stopped;
    stopped.setRunning(false);
    const FoldScores fold = learnAndScoreFold(foldOf(s, 15), smallSettings(), &stopped, nullptr);
    EXPECT_FALSE(fold.complete);
    EXPECT_TRUE(fold.positives.empty());
}

TEST(ScoreKind, NamesReadBackAndNothingElseIsRead) {
    for (const ScoreKind kind : {ScoreKind::kClass, ScoreKind::kDiscriminative})
        EXPECT_EQ(scoreKindOf(scoreKindName(kind)), kind);
    for (const char* other : {"", "Class", "contrast", "discriminative ", "classes"})
        EXPECT_FALSE(scoreKindOf(other).has_value()) << other;
}

TEST(Pipeline, WorkWithoutASearchIsCrossValidatedWithTheWindowsDefaults) {
    SearchSettings none;
    const CrossValidationSettings fromNone = crossValidationSettingsOf(
        none, IdealizationType::kInsertingBegin, IdealizationSource::kRules, 3);
    const SearchSettings defaults = SearchSettings::windowDefaults();
    EXPECT_EQ(fromNone.search.confidence, defaults.confidence);
    EXPECT_EQ(fromNone.search.cpThreshold, defaults.cpThreshold);
    EXPECT_EQ(fromNone.search.finishBufferSize, defaults.finishBufferSize);
    EXPECT_EQ(fromNone.search.subBufferSize, defaults.subBufferSize);
    EXPECT_EQ(fromNone.idealizationType, IdealizationType::kInsertingBegin);
    EXPECT_EQ(fromNone.idealizationSource, IdealizationSource::kRules);
    EXPECT_EQ(fromNone.threads, 3);
    EXPECT_EQ(fromNone.searchThreads, 3);
    SearchSettings searched;
    searched.subBufferSize = 7;
    const CrossValidationSettings fromSearched =
        crossValidationSettingsOf(searched, kDeleting, kObjects, 0);
    EXPECT_EQ(fromSearched.search.subBufferSize, 7);
    EXPECT_EQ(fromSearched.search.finishBufferSize, 0);
    // A search in shift positions: the folds search the same thresholds in fixed positions.
    searched.workMode = WorkMode::kShift;
    searched.frameWidth = 9;
    EXPECT_FALSE(
        crossValidationSettingsOf(searched, kDeleting, kObjects, 0).search.shiftPositions());
    EXPECT_EQ(crossValidationSettingsOf(searched, kDeleting, kObjects, 0).search.subBufferSize, 7);
}

}  // namespace
}  // namespace motifora
