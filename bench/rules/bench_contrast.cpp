// The discriminative search: the bitset engine on 1 and 2 threads against the per-object
// evaluation, on the promoter example and on a planted 1,200 + 1,200 x 60 sample; and the
// conditions' shapes (tolerance, words of 2 and 3 letters) on the planted sample.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/FileManager.h"
#include "rules/ContrastSearch.h"

namespace motifora {
namespace {

std::vector<Sequence> readSample(const std::string& name) {
    std::vector<Sequence> records;
    readSeqFile(std::string(MOTIFORA_EXAMPLES_DIR) + "/" + name, records);
    return records;
}

// Uniform ACGT records; positives carry TTGACA at 15..20 and TATAAT at 38..43, each letter
// with probability 0.6.
std::vector<Sequence> planted(uint32_t seed, int32_t count, bool positive) {
    const std::string alphabet = "ACGT";
    std::mt19937 rng(seed);
    std::vector<Sequence> records(static_cast<size_t>(count));
    for (int32_t r = 0; r < count; ++r) {
        std::string t(60, 'A');
        for (auto& c : t) c = alphabet[rng() % 4];
        if (positive) {
            for (size_t i = 0; i < 6; ++i) {
                if (rng() % 10 < 6) t[14 + i] = "TTGACA"[i];
                if (rng() % 10 < 6) t[37 + i] = "TATAAT"[i];
            }
        }
        records[static_cast<size_t>(r)].assign(t, "s" + std::to_string(r), 1);
    }
    return records;
}

void run(benchmark::State& state, const std::vector<Sequence>& positives,
         const std::vector<Sequence>& negatives) {
    ContrastSettings settings;
    settings.threads = static_cast<int32_t>(state.range(0));
    settings.referenceEvaluation = state.range(1) != 0;
    size_t rules = 0;
    int64_t evaluations = 0;
    for (auto _ : state) {
        const ContrastRules found = searchContrastRules(positives, negatives, settings, nullptr);
        rules = found.rules.size();
        evaluations = found.evaluations;
        benchmark::DoNotOptimize(found.rules.data());
    }
    state.counters["rules"] = static_cast<double>(rules);
    state.counters["evaluations"] = static_cast<double>(evaluations);
}

void BM_ContrastPromoters(benchmark::State& state) {
    static const auto positives = readSample("promoters_pos.seq");
    static const auto negatives = readSample("promoters_neg.seq");
    run(state, positives, negatives);
}
BENCHMARK(BM_ContrastPromoters)
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({2, 0})
    ->ArgNames({"threads", "reference"})
    ->Unit(benchmark::kMillisecond);

void BM_ContrastPlanted2400x60(benchmark::State& state) {
    static const auto positives = planted(18, 1200, true);
    static const auto negatives = planted(19, 1200, false);
    run(state, positives, negatives);
}
BENCHMARK(BM_ContrastPlanted2400x60)
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({2, 0})
    ->ArgNames({"threads", "reference"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// One search on the planted sample with conditions on words of range(0) letters and a tolerance
// of range(1) positions, on one thread.
void BM_ContrastShapes2400x60(benchmark::State& state) {
    static const auto positives = planted(18, 1200, true);
    static const auto negatives = planted(19, 1200, false);
    ContrastSettings settings;
    settings.threads = 1;
    settings.shape = {static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1))};
    size_t rules = 0;
    for (auto _ : state) {
        const ContrastRules found = searchContrastRules(positives, negatives, settings, nullptr);
        rules = found.rules.size();
        benchmark::DoNotOptimize(found.rules.data());
    }
    state.counters["rules"] = static_cast<double>(rules);
}
BENCHMARK(BM_ContrastShapes2400x60)
    ->Args({1, 0})
    ->Args({1, 3})
    ->Args({2, 3})
    ->Args({3, 3})
    ->ArgNames({"word", "tolerance"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
