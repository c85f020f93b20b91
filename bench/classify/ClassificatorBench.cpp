// Idealization speed: the promoter positives with the rules of a default search, and generated
// objects against generated rules; the indexed engine beside the straightforward reference.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <sstream>

#include "../../tests/classify/ClassifyTestSupport.h"
#include "../../tests/classify/ReferenceClassificator.h"
#include "classify/Classificator.h"
#include "classify/ParallelIdealization.h"
#include "core/WorkerPool.h"
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
    const auto type = static_cast<IdealizationType>(state.range(0));
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
    const auto type = static_cast<IdealizationType>(state.range(0));
    const int32_t n = std::min(limit, w.storage->learnObjectCount);
    for (auto _ : state) {
        ReferenceClassificator engine;
        engine.Setup(w.storage.get(), w.rules.get(), type);
        for (int32_t j = 0; j < n; ++j) engine.IdealizeAndRegister(&w.storage->learnObjects[j], -1);
        benchmark::DoNotOptimize(engine.idealObjects.size());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

// Shift-mode windows as a weakly aligned signal gives them: 1,000 random sequences of 100
// letters with a TATA-like word at 41, windows of 10 letters (91,000 objects), the rules of a
// loose search (confidence 0.5, CP 0.5), which make thousands of classes. Seed 20261208.
const Workload& manyClasses() {
    static const Workload workload = [] {
        Workload w;
        std::mt19937 random(20261208u);
        const char* words[] = {"TATAAA", "TATTTA", "CATAAA", "TAAAAA"};
        std::vector<Sequence> records;
        for (int32_t i = 0; i < 1000; ++i) {
            std::string text;
            for (int32_t p = 0; p < 100; ++p) text += "ACGT"[random() % 4];
            text.replace(40, 6, words[random() % 4]);
            Sequence record;
            record.text = text;
            record.length = static_cast<int32_t>(text.size());
            record.name = "s" + std::to_string(i);
            records.push_back(record);
        }
        w.storage = std::make_unique<SEQStorage>();
        w.storage->buildWindows(records.data(), static_cast<int32_t>(records.size()), 10);
        w.rules = std::make_unique<RulesStorage>(500, w.storage->width);
        RegGenerator generator;
        generator.Init(w.storage.get(), w.rules.get(), 50, 0.5, 0.5);
        generator.RunSearch(nullptr);
        return w;
    }();
    return workload;
}

// Every window idealized and registered as the workspace's run does it: one by one with one
// thread, in batches on the pool with more.
void BM_ManyClasses(benchmark::State& state) {
    const Workload& w = manyClasses();
    const auto threads = static_cast<int32_t>(state.range(0));
    const int32_t n = w.storage->learnObjectCount;
    for (auto _ : state) {
        IdealObjectArray classes;
        Classificator engine;
        engine.Setup(w.storage.get(), w.rules.get(), &classes,
                     IdealizationType::kDeletingInserting);
        if (threads == 1) {
            for (int32_t j = 0; j < n; ++j)
                engine.IdealizeAndRegister(&w.storage->learnObjects[j], -1);
        } else {
            WorkerPool pool(threads);
            ParallelIdealization parallel(engine, pool);
            std::vector<std::optional<Idealized>> made;
            for (int32_t first = 0; first < n; first += kIdealizationBatch) {
                const int32_t count = std::min(kIdealizationBatch, n - first);
                parallel.idealize(w.storage->learnObjects.data(), first, count, made);
                for (int32_t i = 0; i < count; ++i)
                    engine.RegisterIdealized(&w.storage->learnObjects[first + i], -1,
                                             made[static_cast<size_t>(i)]->object,
                                             made[static_cast<size_t>(i)]->status);
            }
        }
        benchmark::DoNotOptimize(engine.idealObjectCount);
        state.counters["classes"] = engine.idealObjectCount;
    }
    state.counters["rules"] = w.rules->Count();
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_PromotersFast(benchmark::State& s) { idealizeFast(s, promoters(), 1 << 30); }
void BM_PromotersReference(benchmark::State& s) { idealizeReference(s, promoters(), 1 << 30); }
void BM_GeneratedFast(benchmark::State& s) { idealizeFast(s, generated(), 1 << 30); }
// The reference is too slow for all 2,000 objects; the first 40 give its rate.
void BM_GeneratedReference(benchmark::State& s) { idealizeReference(s, generated(), 40); }

BENCHMARK(BM_ManyClasses)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PromotersFast)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PromotersReference)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneratedFast)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneratedReference)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
