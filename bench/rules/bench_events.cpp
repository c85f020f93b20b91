// The cost of reporting a regularity search's progress: the promoter example searched with no
// sink and with a sink that counts what it is told (the worker pays for building every report).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ExampleSample.h"
#include "core/FileManager.h"
#include "core/ProgressEvents.h"
#include "core/SEQStorage.h"
#include "rules/RegGenerator.h"

namespace motifora {
namespace {

using bench::readSample;

SEQStorage& promoters() {
    static std::unique_ptr<SEQStorage> storage;
    if (storage) return *storage;
    storage = std::make_unique<SEQStorage>();
    const auto pos = readSample("promoters_pos.seq");
    const auto neg = readSample("promoters_neg.seq");
    storage->buildWholeWithNegatives(pos.data(), neg.data(), static_cast<int32_t>(pos.size()),
                                     static_cast<int32_t>(neg.size()));
    return *storage;
}

class CountingSink : public ProgressSink {
  public:
    void onEvent(const ProgressEvent& event) override {
        ++reports;
        if (const auto* entry = std::get_if<BufferEntry>(&event))
            characters += static_cast<int64_t>(entry->fisherText.size());
    }
    int64_t reports = 0;
    int64_t characters = 0;
};

void searchPromoters(benchmark::State& state, bool withSink) {
    SEQStorage& storage = promoters();
    if (storage.learnObjectCount == 0) {
        state.SkipWithError("no objects (example files missing?)");
        return;
    }
    int64_t reports = 0;
    for (auto _ : state) {
        CountingSink sink;
        RulesStorage results(500, storage.width);
        RegGenerator generator;
        generator.SetThreadCount(1);
        if (withSink) generator.SetSink(&sink);
        generator.Init(&storage, &results, 50, 0.05, 0.8);
        for (int32_t t = 0; t < storage.width; ++t) {
            generator.SetTarget(t);
            while (generator.Step()) {
            }
        }
        reports = sink.reports;
        benchmark::DoNotOptimize(results.count);
        benchmark::DoNotOptimize(sink.characters);
    }
    state.counters["reports"] = static_cast<double>(reports);
}

BENCHMARK_CAPTURE(searchPromoters, no_sink, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(searchPromoters, counting_sink, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
