// Speed of 5-fold cross-validation on 2,400 generated sequences of 60 letters (1,200 positives
// with a noisy site in the middle, 1,200 uniform negatives), on 1 and 2 threads (the folds and
// their searches together, as motifora-cli --threads N runs them). The counter `s_per_fold` is
// the wall time divided by the folds; the table printed at the end sets the two runs side by
// side, by wall time and by CPU time (see ThreadCpu.h), and says whether every held-out score
// came out the same.
#include <benchmark/benchmark.h>

#include <bit>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ThreadCpu.h"
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

struct Run {
    double wall = 0.0;
    bench::CpuSpent cpu;
    double auc = 0.0;
    std::vector<uint64_t> scores;  // every held-out best score's bits, in record order
};

std::map<int32_t, Run>& runs() {
    static std::map<int32_t, Run> byThreads;
    return byThreads;
}

void BM_CrossValidation5Fold(benchmark::State& state) {
    static const Samples samples;
    CrossValidationSettings settings;  // default search and idealization settings
    settings.folds = 5;
    settings.threads = static_cast<int32_t>(state.range(0));
    settings.searchThreads = settings.threads;
    Run run;
    for (auto _ : state) {
        const auto cpuBefore = bench::threadCpuSeconds();
        const auto begin = std::chrono::steady_clock::now();
        const CrossValidationResult result =
            crossValidate(samples.positives, samples.negatives, settings, nullptr, nullptr);
        run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        run.cpu = bench::cpuSince(cpuBefore);
        if (!result.complete) state.SkipWithError("incomplete");
        run.auc = result.auc.auc;
        run.scores.clear();
        for (const HeldOutSequence& s : result.sequences)
            run.scores.push_back(std::bit_cast<uint64_t>(s.score.bestScore));
    }
    state.counters["cpu_s"] = run.cpu.total;
    state.counters["busiest_thread_s"] = run.cpu.busiest;
    state.counters["s_per_fold"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * settings.folds,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    runs()[settings.threads] = run;
}
BENCHMARK(BM_CrossValidation5Fold)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

void printSideBySide() {
    const auto one = runs().find(1), two = runs().find(2);
    if (one == runs().end() || two == runs().end()) return;
    const Run& a = one->second;
    const Run& b = two->second;
    std::printf("\n5-fold cross-validation, 2,400 x 60 (seed %u), AUC %.6f\n", kSeed, a.auc);
    std::printf("%-10s %10s %10s %16s\n", "threads", "wall s", "CPU s", "busiest thread s");
    std::printf("%-10d %10.2f %10.2f %16.2f\n", 1, a.wall, a.cpu.total, a.cpu.busiest);
    std::printf("%-10d %10.2f %10.2f %16.2f\n", 2, b.wall, b.cpu.total, b.cpu.busiest);
    std::printf(
        "2 threads against 1: x%.2f by wall time, x%.2f by CPU time (1 thread's CPU / "
        "2 threads' busiest); held-out scores %s\n",
        a.wall / b.wall, a.cpu.total / b.cpu.busiest,
        a.scores == b.scores ? "identical" : "DIFFERENT");
}

}  // namespace
}  // namespace motifora

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    motifora::printSideBySide();
    return 0;
}
