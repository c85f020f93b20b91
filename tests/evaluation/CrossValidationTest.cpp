// Cross-validation on generated samples: the class-at-once scorer against ScoreObject, results
// independent of the thread count, a stop, the refusals and the bookkeeping of the folds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "classify/Classificator.h"
#include "core/SEQStorage.h"
#include "core/WorkerPool.h"
#include "evaluation/CrossValidation.h"
#include "evaluation/SequenceScores.h"
#include "rules/RegGenerator.h"
#include "rules/RulesStorage.h"

namespace motifora {
namespace {

constexpr unsigned kSeed = 20261207;

// Positives carry a motif (with some noise) at fixed positions; negatives are uniform.
struct Samples {
    std::vector<Sequence> positives, negatives;
};

Samples generated(unsigned seed, int32_t count, int32_t width) {
    std::printf("generated samples: seed %u\n", seed);
    std::mt19937 random(seed);
    const char letters[] = "ACGT";
    const std::string motif = "TATAAT";
    Samples samples;
    auto make = [&](bool positive) {
        std::string text;
        for (int32_t p = 0; p < width; ++p) text += letters[random() % 4];
        if (positive) {
            for (size_t i = 0; i < motif.size(); ++i) {
                if (random() % 5 != 0) text[3 + i] = motif[i];
            }
        }
        Sequence s;
        s.assign(text, positive ? "p" : "n", 1);
        return s;
    };
    for (int32_t i = 0; i < count; ++i) samples.positives.push_back(make(true));
    for (int32_t i = 0; i < count; ++i) samples.negatives.push_back(make(false));
    return samples;
}

CrossValidationSettings smallSettings() {
    return {
        .folds = 4,
        .seed = 7,
        .search = {
            .confidence = 0.05, .cpThreshold = 0.8, .finishBufferSize = 120, .subBufferSize = 20}};
}

// The positives as the learning objects, the negatives as the sample `negativeKind`, and the
// rules the generator finds on them (buffers of 150 and 25, confidence 0.05, CP 0.8).
struct SearchedSamples {
    SearchedSamples(const Samples& samples, ObjectSetKind negativeKind) {
        const auto count = static_cast<int32_t>(samples.positives.size());
        storage.buildWhole(samples.positives.data(), count);
        storage.addSetObjects(samples.negatives.data(), count, negativeKind);
        rules = std::make_unique<RulesStorage>(150, storage.width);
        RegGenerator generator;
        generator.Init(&storage, rules.get(), 25, 0.05, 0.8);
        generator.RunSearch(nullptr);
    }
    SEQStorage storage;
    std::unique_ptr<RulesStorage> rules;
};

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(AllClassScorer, GivesExactlyTheScoresOfScoreObject) {
    SearchedSamples searched(generated(kSeed, 40, 14), ObjectSetKind::ControlNegative);
    SEQStorage& storage = searched.storage;
    RulesStorage& rules = *searched.rules;
    ASSERT_GT(rules.Count(), 0);
    for (const IdealizationType type :
         {IdealizationType::kDeletingBegin, IdealizationType::kDeletingInserting}) {
        IdealObjectArray ideal(static_cast<size_t>(storage.learnObjectCount));
        Classificator classes;
        classes.Setup(&storage, &rules, &ideal, type);
        for (int32_t j = 0; j < storage.learnObjectCount; ++j)
            classes.IdealizeAndRegister(&storage.learnObjects[j], -1);
        ASSERT_GT(classes.idealObjectCount, 1);
        AllClassScorer scorer(classes);
        ASSERT_EQ(scorer.classCount(), classes.idealObjectCount);
        std::vector<double> scores;
        int32_t nonZero = 0;
        for (const ObjectSet* set : {&storage.learnObjects, &storage.controlNegativeObjects}) {
            for (int32_t i = 0; i < set->size(); ++i) {
                scorer.scoreAll((*set)[i], scores);
                for (int32_t k = 0; k < classes.idealObjectCount; ++k) {
                    const double expected = classes.ScoreObject((*set)[i], i, k);
                    ASSERT_TRUE(sameBits(scores[static_cast<size_t>(k)], expected))
                        << "object " << i << " class " << k << ": " << scores[k] << " vs "
                        << expected;
                    if (expected != 0.0) ++nonZero;
                }
            }
        }
        EXPECT_GT(nonZero, 0);  // the comparison covered real sums, not only zeros
    }
}

TEST(AllClassScorer, SummaryKeepsTheBestClassAndTheLargestZScore) {
    SearchedSamples searched(generated(kSeed + 1, 30, 12), ObjectSetKind::LearnNegative);
    SEQStorage& storage = searched.storage;
    RulesStorage& rules = *searched.rules;
    IdealObjectArray ideal(30);
    Classificator classes;
    classes.Setup(&storage, &rules, &ideal, IdealizationType::kDeletingInserting);
    for (int32_t j = 0; j < 30; ++j)
        storage.learnObjects[j].classNumber =
            classes.IdealizeAndRegister(&storage.learnObjects[j], -1);
    AllClassScorer scorer(classes);
    const std::vector<ClassNorm> norms = classNorms(scorer, storage.negativeObjects.data(), 30);
    ASSERT_EQ(norms.size(), static_cast<size_t>(classes.idealObjectCount));
    for (int32_t j = 0; j < 30; ++j) {
        const SEQSElem& object = storage.learnObjects[j];
        const SequenceScore s = scoreSequence(classes, scorer, norms, object);
        // A learning object is identical to the class it made.
        EXPECT_EQ(s.assignedClass, object.classNumber);
        double best = -INFINITY, bestZ = -INFINITY;
        int32_t bestClass = -1;
        for (int32_t k = 0; k < classes.idealObjectCount; ++k) {
            const double v = classes.ScoreObject(object, j, k);
            if (v > best) best = v, bestClass = k;
            if (norms[k].usable) bestZ = std::max(bestZ, (v - norms[k].mean) / norms[k].deviation);
        }
        EXPECT_EQ(s.bestClass, bestClass);
        EXPECT_DOUBLE_EQ(s.bestScore, best);
        if (std::isfinite(bestZ)) {
            EXPECT_DOUBLE_EQ(s.normalizedScore, bestZ);
        }
    }
}

void expectSameResults(const CrossValidationResult& a, const CrossValidationResult& b) {
    ASSERT_TRUE(a.complete);
    ASSERT_TRUE(b.complete);
    ASSERT_EQ(a.sequences.size(), b.sequences.size());
    for (size_t i = 0; i < a.sequences.size(); ++i) {
        const SequenceScore& x = a.sequences[i].score;
        const SequenceScore& y = b.sequences[i].score;
        EXPECT_EQ(a.sequences[i].fold, b.sequences[i].fold);
        EXPECT_EQ(x.assignedClass, y.assignedClass) << i;
        EXPECT_EQ(x.bestClass, y.bestClass) << i;
        EXPECT_TRUE(sameBits(x.bestScore, y.bestScore)) << i;
        EXPECT_TRUE(sameBits(x.normalizedScore, y.normalizedScore)) << i;
    }
    for (size_t f = 0; f < a.folds.size(); ++f) {
        EXPECT_EQ(a.folds[f].rules, b.folds[f].rules);
        EXPECT_EQ(a.folds[f].classes, b.folds[f].classes);
    }
    EXPECT_TRUE(sameBits(a.auc.auc, b.auc.auc));
    EXPECT_TRUE(sameBits(a.level, b.level));
}

TEST(CrossValidation, ResultsDoNotDependOnTheThreadCount) {
    const Samples samples = generated(kSeed + 2, 36, 14);
    CrossValidationSettings one = smallSettings();
    one.threads = 1;
    one.searchThreads = 1;
    CrossValidationSettings many = smallSettings();
    many.threads = 3;
    many.searchThreads = 2;
    const auto a = crossValidate(samples.positives, samples.negatives, one, nullptr, nullptr);
    const auto b = crossValidate(samples.positives, samples.negatives, many, nullptr, nullptr);
    expectSameResults(a, b);
}

TEST(CrossValidation, OneThreadRunsEveryFoldOnTheCallingThread) {
    const Samples samples = generated(kSeed + 5, 12, 8);
    // Folds that only note their thread and give back a score per held-out sequence.
    const auto foldThreads = [&](const CrossValidationSettings& settings) {
        std::mutex mutex;
        std::set<std::thread::id> threads;
        const CrossValidationResult r =
            runCrossValidationFolds(samples.positives, samples.negatives, settings, nullptr,
                                    [&](const FoldSamples& s, CrossValidationProgress::Fold*) {
                                        {
                                            std::lock_guard<std::mutex> lock(mutex);
                                            threads.insert(std::this_thread::get_id());
                                        }
                                        FoldScores scores;
                                        scores.complete = true;
                                        scores.positives.resize(s.heldPositives.size());
                                        scores.negatives.resize(s.heldNegatives.size());
                                        return scores;
                                    });
        EXPECT_TRUE(r.complete);
        return threads;
    };
    const std::set<std::thread::id> caller{std::this_thread::get_id()};
    CrossValidationSettings settings = smallSettings();
    settings.threads = 1;
    EXPECT_EQ(foldThreads(settings), caller);
    // Every core, or more threads than that, under a limit of one thread (--threads 1).
    const WorkerPool::ThreadLimit limit(1);
    for (int32_t threads : {0, 4}) {
        settings.threads = threads;
        EXPECT_EQ(foldThreads(settings), caller) << threads << " threads";
    }
}

TEST(CrossValidation, FoldsHoldEverySequenceOnceAndThePooledFiguresAgree) {
    const Samples samples = generated(kSeed + 3, 36, 14);
    CrossValidationProgress progress;
    const CrossValidationResult r =
        crossValidate(samples.positives, samples.negatives, smallSettings(), nullptr, &progress);
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(progress.doneCount(), 4);
    ASSERT_EQ(r.folds.size(), 4u);
    int32_t positives = 0, negatives = 0;
    for (const FoldSummary& fold : r.folds) {
        positives += fold.positives;
        negatives += fold.negatives;
        EXPECT_EQ(fold.positives, 9);
        EXPECT_EQ(fold.negatives, 9);
        EXPECT_GT(fold.rules, 0);
        EXPECT_GT(fold.classes, 0);
        EXPECT_DOUBLE_EQ(fold.errors.level, r.level);
    }
    EXPECT_EQ(positives, 36);
    EXPECT_EQ(negatives, 36);
    ASSERT_EQ(r.sequences.size(), 72u);
    for (size_t i = 0; i < 72; ++i) {
        EXPECT_EQ(r.sequences[i].positive, i < 36);
        EXPECT_EQ(r.sequences[i].record, static_cast<int32_t>(i < 36 ? i : i - 36));
    }
    // The level keeps the pooled first-level error within the wish.
    EXPECT_LE(r.errors.first.rate, r.settings.wantedFirstError + 1e-12);
    EXPECT_EQ(r.errors.first.total, 36);
    EXPECT_EQ(r.errors.second.total, 36);
    EXPECT_DOUBLE_EQ(r.auc.auc, aucWithDeLongInterval(r.pooled).auc);
    // The planted motif is found on held-out data.
    EXPECT_GT(r.auc.auc, 0.7);
    EXPECT_LE(r.auc.low, r.auc.auc);
    EXPECT_GE(r.auc.high, r.auc.auc);
}

TEST(CrossValidation, AnotherSeedAnotherSplit) {
    const Samples samples = generated(kSeed + 4, 24, 12);
    CrossValidationSettings settings = smallSettings();
    settings.threads = 1;
    const auto a = crossValidate(samples.positives, samples.negatives, settings, nullptr, nullptr);
    settings.seed = 8;
    const auto b = crossValidate(samples.positives, samples.negatives, settings, nullptr, nullptr);
    ASSERT_TRUE(a.complete && b.complete);
    bool differs = false;
    for (size_t i = 0; i < a.sequences.size(); ++i)
        differs = differs || a.sequences[i].fold != b.sequences[i].fold;
    EXPECT_TRUE(differs);
}

TEST(CrossValidation, StoppedRunComesBackIncomplete) {
    const Samples samples = generated(kSeed + 5, 24, 12);
    RunControl control;  // run flag clear: every fold stops at its first gate
    CrossValidationProgress progress;
    const auto r =
        crossValidate(samples.positives, samples.negatives, smallSettings(), &control, &progress);
    EXPECT_FALSE(r.complete);
    EXPECT_TRUE(r.sequences.empty());
    ASSERT_EQ(progress.foldCount(), 4);
    for (int32_t f = 0; f < 4; ++f)
        EXPECT_EQ(progress.fold(f).stage.load(), static_cast<int32_t>(FoldStage::kStopped));
}

TEST(CrossValidation, Refusals) {
    CrossValidationSettings settings;
    settings.folds = 1;
    EXPECT_NE(crossValidationRefusal(settings, 10, 10).find("2 or more"), std::string::npos);
    settings.folds = 5;
    EXPECT_NE(crossValidationRefusal(settings, 10, 0).find("negative sample"), std::string::npos);
    EXPECT_NE(crossValidationRefusal(settings, 4, 10).find("positive"), std::string::npos);
    EXPECT_NE(crossValidationRefusal(settings, 10, 3).find("negative"), std::string::npos);
    settings.wantedFirstError = 1.5;
    EXPECT_FALSE(crossValidationRefusal(settings, 10, 10).empty());
    settings.wantedFirstError = 0.05;
    EXPECT_TRUE(crossValidationRefusal(settings, 10, 10).empty());
    // Search settings the search refuses refuse the folds too, named as the page names them.
    const struct {
        void (*damage)(CrossValidationSettings&);
        const char* said;
    } damaged[] = {
        {[](CrossValidationSettings& s) { s.search.finishBufferSize = 0; },
         "\"Size of Finish Buffer\" is 0, less than 2"},
        {[](CrossValidationSettings& s) { s.search.subBufferSize = 0; },
         "\"Size of Sub Buffers\" is 0, less than 1"},
        {[](CrossValidationSettings& s) { s.search.cpThreshold = 7; },
         "\"Min. level of CP\" is 7, more than 1"},
        {[](CrossValidationSettings& s) { s.search.confidence = -1; },
         "\"Confidence interval\" is -1, less than 0"},
        {[](CrossValidationSettings& s) { s.search.confidence = std::nan(""); },
         "\"Confidence interval\" is not a number"},
    };
    for (const auto& d : damaged) {
        CrossValidationSettings bad = settings;
        d.damage(bad);
        EXPECT_EQ(crossValidationRefusal(bad, 10, 10), d.said);
    }
    const auto r = crossValidate({}, {}, settings, nullptr, nullptr);
    EXPECT_FALSE(r.complete);
}

// The one check of the folds and the wanted error: each bound holds, just beyond it fails with
// the field, the fault and the bound; then the search settings, in fixed positions.
TEST(CrossValidation, OneCheckNamesTheFailingField) {
    using F = CrossValidationField;
    const struct {
        F field;
        double value;
        std::optional<SearchFault> fault;
        double bound;
    } cases[] = {
        {F::Folds, 2, std::nullopt, 0},
        {F::Folds, 1000, std::nullopt, 0},
        {F::Folds, 1, SearchFault::BelowLeast, 2},
        {F::Folds, -5, SearchFault::BelowLeast, 2},
        {F::WantedFirstError, 0, std::nullopt, 0},
        {F::WantedFirstError, 1, std::nullopt, 0},
        {F::WantedFirstError, -1e-9, SearchFault::BelowLeast, 0},
        {F::WantedFirstError, 1 + 1e-9, SearchFault::AboveMost, 1},
        {F::WantedFirstError, std::nan(""), SearchFault::NotANumber, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.field)) + " " + std::to_string(c.value));
        const auto problem = checkCrossValidationField(c.field, c.value);
        ASSERT_EQ(problem.has_value(), c.fault.has_value());
        if (!problem) continue;
        EXPECT_EQ(*problem, (CrossValidationProblem{c.field, *c.fault, c.bound, std::nullopt}));
    }

    CrossValidationSettings s = smallSettings();
    EXPECT_EQ(checkCrossValidationSettings(s), std::nullopt);
    // Shift positions with a frame too narrow: the folds search in fixed positions all the same.
    s.search.workMode = WorkMode::kShift;
    s.search.frameWidth = 1;
    EXPECT_EQ(checkCrossValidationSettings(s), std::nullopt);
    EXPECT_TRUE(crossValidationRefusal(s, 10, 10).empty());
    // Every field wrong: the folds come first, then the wanted error, then the search's first.
    s.folds = 1;
    s.wantedFirstError = 2;
    s.search.cpThreshold = 3;
    s.search.subBufferSize = 0;
    EXPECT_EQ(checkCrossValidationSettings(s)->field, F::Folds);
    s.folds = 3;
    EXPECT_EQ(checkCrossValidationSettings(s)->field, F::WantedFirstError);
    s.wantedFirstError = 0.1;
    const auto search = checkCrossValidationSettings(s);
    ASSERT_TRUE(search && search->search);
    EXPECT_EQ(search->field, F::Search);
    EXPECT_EQ(*search->search,
              (SearchProblem{SearchField::CpThreshold, SearchFault::AboveMost, 1}));
    EXPECT_EQ(search->fault, SearchFault::AboveMost);
    EXPECT_EQ(search->bound, 1);
}

}  // namespace
}  // namespace motifora
