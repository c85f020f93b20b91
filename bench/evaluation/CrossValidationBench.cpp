// Speed of 5-fold cross-validation on 2,400 generated sequences of 60 letters (1,200 positives
// with a noisy site in the middle, 1,200 uniform negatives), folds one at a time and in
// parallel; the counter `s_per_fold` is the wall time divided by the folds.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "evaluation/CrossValidation.h"

namespace motifora {
namespace {

constexpr unsigned kSeed = 20261207;

struct Samples {
    std::vector<Sequence> positives, negatives;
    Samples() {
        std::printf("generated samples: seed %u\n", kSeed);
        std::mt19937 random(kSeed);
        const char letters[] = "ACGT";
        const std::string site = "CAGGTAAGT";
        auto make = [&](bool positive) {
            std::string text;
            for (int32_t p = 0; p < 60; ++p) text += letters[random() % 4];
            if (positive) {
                for (size_t i = 0; i < site.size(); ++i) {
                    if (random() % 4 != 0) text[26 + i] = site[i];
                }
            }
            Sequence s;
            s.assign(text, positive ? "site" : "other", 1);
            return s;
        };
        for (int32_t i = 0; i < 1200; ++i) positives.push_back(make(true));
        for (int32_t i = 0; i < 1200; ++i) negatives.push_back(make(false));
    }
};

void BM_CrossValidation5Fold(benchmark::State& state) {
    static const Samples samples;
    CrossValidationSettings settings;  // default search and idealization settings
    settings.folds = 5;
    settings.threads = static_cast<int32_t>(state.range(0));
    double auc = 0.0;
    for (auto _ : state) {
        const CrossValidationResult result =
            crossValidate(samples.positives, samples.negatives, settings, nullptr, nullptr);
        if (!result.complete) state.SkipWithError("incomplete");
        auc = result.auc.auc;
        benchmark::DoNotOptimize(auc);
    }
    state.counters["auc"] = auc;
    state.counters["s_per_fold"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * settings.folds,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CrossValidation5Fold)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
