// Speed of the scanning recognition (100,000 windows of width 20 scored against one class) and
// of one bootstrap iteration on the promoter example.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "classify/Classificator.h"
#include "core/SEQStorage.h"
#include "evaluation/Recognition.h"
#include "rules/CIdelObject.h"
#include "rules/RegGenerator.h"
#include "rules/RulesStorage.h"
#include "workspace/TMainManager.h"

namespace motifora {
namespace {

constexpr unsigned kSeed = 20261207;
constexpr int32_t kWidth = 20;
constexpr int32_t kWindows = 100000;

// Letters over ACGT in which some positions depend on others, so that the search finds rules.
std::string patterned(std::mt19937& random, int32_t length) {
    const char letters[] = "ACGT";
    std::string text;
    for (int32_t p = 0; p < length; ++p) text += letters[random() % 4];
    for (int32_t p = 0; p + 5 < length; p += 5) {
        text[static_cast<size_t>(p) + 1] = text[static_cast<size_t>(p)];
        if (text[static_cast<size_t>(p) + 2] == 'G') text[static_cast<size_t>(p) + 3] = 'T';
    }
    return text;
}

// Classes of width 20 from generated learning objects, and 100,000 control windows.
struct ScanSetup {
    std::vector<Sequence> learning, control;
    SEQStorage storage;
    std::unique_ptr<RulesStorage> rules;
    IdealObjectArray ideal;
    Classificator classificator;

    ScanSetup() {
        std::printf("generated data: seed %u\n", kSeed);
        std::mt19937 random(kSeed);
        learning.resize(80);
        for (auto& s : learning) s.assign(patterned(random, kWidth), "l", 1);
        storage.buildWhole(learning.data(), static_cast<int32_t>(learning.size()));
        rules = std::make_unique<RulesStorage>(200, storage.width);
        RegGenerator generator;
        generator.Init(&storage, rules.get(), 30, 0.05, 0.8);
        for (int32_t q = 0; q < storage.width; ++q) {
            generator.SetTarget(q);
            while (generator.Step()) {
            }
        }
        ideal.resize(static_cast<size_t>(storage.learnObjectCount));
        classificator.Setup(&storage, rules.get(), &ideal, IdealizationType::kDeletingInserting);
        for (int32_t j = 0; j < storage.learnObjectCount; ++j)
            storage.learnObjects[j].classNumber =
                classificator.IdealizeAndRegister(&storage.learnObjects[j], -1);
        // 100 sequences of 1,019 letters: 1,000 windows of 20 each.
        control.resize(100);
        for (auto& s : control) s.assign(patterned(random, 1000 + kWidth - 1), "c", 1);
        storage.buildControlWindows(control.data(), 100, kWidth);
    }
};

void BM_ScoreWindowsOfWidth20(benchmark::State& state) {
    static ScanSetup setup;
    if (setup.storage.controlNegativeObjectCount != kWindows) {
        state.SkipWithError("window count");
        return;
    }
    std::vector<double> scores;
    for (auto _ : state) {
        scoreWindows(setup.classificator, setup.storage.controlNegativeObjects.data(), kWindows, 0,
                     scores);
        benchmark::DoNotOptimize(scores.data());
    }
    state.SetItemsProcessed(state.iterations() * kWindows);
    state.counters["rules"] = setup.rules->Count();
    state.counters["classes"] = setup.classificator.idealObjectCount;
}
BENCHMARK(BM_ScoreWindowsOfWidth20)->Unit(benchmark::kMillisecond);

// One iteration (10 % held out, default search settings) on the promoter example.
void BM_BootstrapIterationPromoters(benchmark::State& state) {
    const std::string examples = MOTIFORA_EXAMPLES_DIR;
    TMainManager m;
    if (!m.loadLearnPositive(examples + "/promoters_pos.seq") ||
        !m.loadLearnNegative(examples + "/promoters_neg.seq")) {
        state.SkipWithError("example not readable");
        return;
    }
    // The control negative sample is read against the objects of a first (small) search.
    m.startRuleSearch({0.05, 0.8, 20, 5, WorkMode::kFixed, 0});
    m.joinWorker();
    const Status control = m.loadControlNegative(examples + "/promoters_neg.seq");
    if (!control) {
        state.SkipWithError(control.message.c_str());
        return;
    }
    // The iterations use the window's default settings.
    SearchSettings iterationSettings = m.searchSettings();
    iterationSettings.finishBufferSize = 500;
    iterationSettings.subBufferSize = 50;
    iterationSettings.confidence = 0.05;
    iterationSettings.cpThreshold = 0.8;
    m.setIterationSearchSettings(iterationSettings);
    for (auto _ : state) {
        if (m.StartBootstrap(10, 1, 0, 0.0) != BootstrapStart::Started) {
            state.SkipWithError("bootstrap not started");
            return;
        }
        while (m.bootstrapActive()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        m.joinWorker();
    }
}
BENCHMARK(BM_BootstrapIterationPromoters)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
