// Idealization speed: the promoter positives with the rules of a default search, and generated
// objects against generated rules; the indexed engine beside the straightforward reference.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <sstream>

#include "../../tests/classify/ClassifyTestSupport.h"
#include "../../tests/classify/ReferenceClassificator.h"
#include "classify/Classificator.h"
#include "rules/RegGenerator.h"

namespace motifora {
namespace {

using testing::ReferenceClassificator;

struct Workload {
    std::unique_ptr<SEQStorage> storage;
    std::unique_ptr<RulesStorage> rules;
};

// The promoter positives as whole objects, and the rules a search with the default settings
// finds (confidence 0.05, CP 0.8, 500 final and 50 sub-buffer places).
const Workload& promoters() {
    static const Workload workload = [] {
        Workload w;
        std::ifstream in(std::string(MOTIFORA_EXAMPLES_DIR) + "/promoters_pos.seq");
        std::vector<std::string> rows;
        std::string line;
        while (std::getline(in, line)) {
            const size_t semicolon = line.find(';');
            if (semicolon != std::string::npos) rows.push_back(line.substr(semicolon + 1));
        }
        for (auto& row : rows) {
            while (!row.empty() && (row.back() == '\r' || row.back() == ' ')) row.pop_back();
        }
        w.storage = testing::makeStorage(rows);
        w.rules = std::make_unique<RulesStorage>(500, w.storage->width);
        RegGenerator generator;
        generator.Init(w.storage.get(), w.rules.get(), 50, 0.05, 0.8);
        generator.RunSearch(nullptr);
        return w;
    }();
    return workload;
}

// 2,000 objects of width 60 and 500 rules, seed 20261207.
const Workload& generated() {
    static const Workload workload = [] {
        Workload w;
        std::mt19937 random(20261207u);
        w.storage = testing::makeStorage(testing::randomRows(random, 2000, 60));
        w.rules = testing::randomRules(random, *w.storage, 500, false);
        return w;
    }();
    return workload;
}

void idealizeFast(benchmark::State& state, const Workload& w, int32_t limit) {
    const auto type = static_cast<int32_t>(state.range(0));
    const int32_t n = std::min(limit, w.storage->learnObjectCount);
    for (auto _ : state) {
        IdealObjectArray classes;
        Classificator engine;
        engine.Setup(w.storage.get(), w.rules.get(), &classes, type);
        for (int32_t j = 0; j < n; ++j) engine.IdealizeAndRegister(&w.storage->learnObjects[j], -1);
        benchmark::DoNotOptimize(engine.idealObjectCount);
        state.counters["classes"] = engine.idealObjectCount;
    }
    state.counters["rules"] = w.rules->Count();
    state.SetItemsProcessed(state.iterations() * n);
}

void idealizeReference(benchmark::State& state, const Workload& w, int32_t limit) {
    const auto type = static_cast<int32_t>(state.range(0));
    const int32_t n = std::min(limit, w.storage->learnObjectCount);
    for (auto _ : state) {
        ReferenceClassificator engine;
        engine.Setup(w.storage.get(), w.rules.get(), type);
        for (int32_t j = 0; j < n; ++j) engine.IdealizeAndRegister(&w.storage->learnObjects[j], -1);
        benchmark::DoNotOptimize(engine.idealObjects.size());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_PromotersFast(benchmark::State& s) { idealizeFast(s, promoters(), 1 << 30); }
void BM_PromotersReference(benchmark::State& s) { idealizeReference(s, promoters(), 1 << 30); }
void BM_GeneratedFast(benchmark::State& s) { idealizeFast(s, generated(), 1 << 30); }
// The reference is too slow for all 2,000 objects; the first 40 give its rate.
void BM_GeneratedReference(benchmark::State& s) { idealizeReference(s, generated(), 40); }

BENCHMARK(BM_PromotersFast)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PromotersReference)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneratedFast)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneratedReference)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
