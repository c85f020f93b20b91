// Whole regularity searches: the bitset engine on 1 and 2 threads against the per-object
// reference, on the promoter example, a planted 2,000 x 60 sample, windows of width 12, a
// generated 2,421 x 60 sample with a noisy site (1,200 positives, 1,221 negatives) and, when
// MOTIFORA_SPLICE_DIR (default ../shared/data/splice beside the repository) holds them, the
// splice junctions (765 intron-exon, 1,323 others). The table at the end sets the thread counts
// side by side by wall time and by CPU time (see ThreadCpu.h).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ExampleSample.h"
#include "ThreadCpu.h"
#include "core/FileManager.h"
#include "core/SEQStorage.h"
#include "rules/RegGenerator.h"

namespace motifora {
namespace {

// The defaults of the search settings.
constexpr int32_t kFinish = 500;
constexpr int32_t kSub = 50;
constexpr double kConfidence = 0.05;
constexpr double kCp = 0.8;
constexpr uint32_t kSeed = 1207;

using bench::readSample;

// Random ACGT records with planted dependencies: every fifth position copies (shifted by one
// letter) the letter three positions before it, with 20% noise.
std::vector<Sequence> planted(uint32_t seed, int32_t count, int32_t length) {
    const std::string alphabet = "ACGT";
    std::mt19937 rng(seed);
    std::vector<Sequence> records(static_cast<size_t>(count));
    for (int32_t r = 0; r < count; ++r) {
        std::string t(static_cast<size_t>(length), 'A');
        for (auto& c : t) c = alphabet[rng() % 4];
        for (int32_t p = 3; p < length; p += 5) {
            if (rng() % 10 >= 2) {
                const size_t before = alphabet.find(t[static_cast<size_t>(p - 3)]);
                t[static_cast<size_t>(p)] = alphabet[(before + 1) % 4];
            }
        }
        records[static_cast<size_t>(r)].assign(t, "g" + std::to_string(r), 1);
    }
    return records;
}

// 1,200 positives holding a noisy 9-letter site at position 27 and 1,221 uniform negatives,
// 60 letters each.
void sited(uint32_t seed, std::vector<Sequence>& positives, std::vector<Sequence>& negatives) {
    std::mt19937 rng(seed);
    const std::string site = "CAGGTAAGT";
    const auto make = [&](bool positive, int32_t r) {
        std::string t(60, 'A');
        for (auto& c : t) c = "ACGT"[rng() % 4];
        if (positive) {
            for (size_t i = 0; i < site.size(); ++i) {
                if (rng() % 4 != 0) t[26 + i] = site[i];
            }
        }
        Sequence s;
        s.assign(t, (positive ? "p" : "n") + std::to_string(r), 1);
        return s;
    };
    for (int32_t r = 0; r < 1200; ++r) positives.push_back(make(true, r));
    for (int32_t r = 0; r < 1221; ++r) negatives.push_back(make(false, r));
}

std::vector<Sequence> spliceSample(const std::string& name) {
    const char* dir = std::getenv("MOTIFORA_SPLICE_DIR");
    const std::string folder =
        dir != nullptr ? dir : std::string(MOTIFORA_EXAMPLES_DIR) + "/../../shared/data/splice";
    return bench::readSampleAt(folder + "/" + name);
}

enum class Data { Promoters, Planted, Windows, Big, Splice };

// Storages are built once per data set and shared by every run.
SEQStorage& storageFor(Data data) {
    static std::map<Data, std::unique_ptr<SEQStorage>> storages;
    auto& slot = storages[data];
    if (slot != nullptr) return *slot;
    slot = std::make_unique<SEQStorage>();
    if (data == Data::Promoters) {
        const auto pos = readSample("promoters_pos.seq");
        const auto neg = readSample("promoters_neg.seq");
        slot->buildWholeWithNegatives(pos.data(), neg.data(), static_cast<int32_t>(pos.size()),
                                      static_cast<int32_t>(neg.size()));
    } else if (data == Data::Big || data == Data::Splice) {
        std::vector<Sequence> pos, neg;
        if (data == Data::Big) {
            sited(kSeed, pos, neg);
        } else {
            pos = spliceSample("intron_exon.seq");
            neg = spliceSample("non_junction.seq");
        }
        slot->buildWholeWithNegatives(pos.data(), neg.data(), static_cast<int32_t>(pos.size()),
                                      static_cast<int32_t>(neg.size()));
    } else if (data == Data::Planted) {
        const auto records = planted(kSeed, 2000, 60);
        slot->buildWhole(records.data(), static_cast<int32_t>(records.size()));
    } else {
        const auto records = planted(kSeed + 1, 200, 300);
        slot->buildWindows(records.data(), static_cast<int32_t>(records.size()), 12);
    }
    return *slot;
}

const char* dataName(Data data) {
    switch (data) {
        case Data::Promoters:
            return "promoters";
        case Data::Planted:
            return "planted2000x60";
        case Data::Windows:
            return "windows12";
        case Data::Big:
            return "big2421x60";
        case Data::Splice:
            return "splice2088x60";
    }
    return "?";
}

// Best wall time per (data, targets, mode), for the speed-up table printed at the end.
std::map<std::string, double>& bestTimes() {
    static std::map<std::string, double> times;
    return times;
}

// CPU time of the run with the least wall time, per key as bestTimes().
std::map<std::string, bench::CpuSpent>& bestCpu() {
    static std::map<std::string, bench::CpuSpent> cpu;
    return cpu;
}

// Runs a search over the first `targets` positions (all when targets <= 0).
void searchBench(benchmark::State& state, Data data, int32_t targets, bool reference,
                 int32_t threads) {
    SEQStorage& storage = storageFor(data);
    if (storage.learnObjectCount == 0) {
        state.SkipWithError("no objects (example files missing?)");
        return;
    }
    const int32_t last = targets > 0 ? std::min(targets, storage.width) : storage.width;
    int64_t evaluations = 0;
    int32_t rules = 0;
    double best = 1e300;
    bench::CpuSpent bestSpent;
    for (auto _ : state) {
        const auto cpuBefore = bench::threadCpuSeconds();
        const auto begin = std::chrono::steady_clock::now();
        RulesStorage results(kFinish, storage.width);
        RegGenerator generator;
        generator.SetReferenceEvaluation(reference);
        generator.SetThreadCount(threads);
        generator.Init(&storage, &results, kSub, kConfidence, kCp);
        for (int32_t t = 0; t < last; ++t) {
            generator.SetTarget(t);
            while (generator.Step()) {
            }
        }
        evaluations += generator.evaluationCount;
        rules = results.Count();
        benchmark::DoNotOptimize(results.count);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        if (took.count() < best) bestSpent = bench::cpuSince(cpuBefore);
        best = std::min(best, took.count());
    }
    state.counters["evaluations/s"] =
        benchmark::Counter(static_cast<double>(evaluations), benchmark::Counter::kIsRate);
    state.counters["evaluations"] = static_cast<double>(evaluations) /
                                    static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    state.counters["rules"] = rules;
    const std::string key = std::string(dataName(data)) + " targets " +
                            (targets > 0 ? std::to_string(last) : std::string("all"));
    const std::string mode = reference ? "reference" : "fast" + std::to_string(threads);
    auto& slot = bestTimes()[key + "|" + mode];
    if (slot == 0 || best < slot) bestCpu()[key + "|" + mode] = bestSpent;
    slot = slot == 0 ? best : std::min(slot, best);
}

void registerAll() {
    struct Plan {
        Data data;
        int32_t referenceTargets;  // the reference runs on the first few targets only; < 0: not
    };
    for (const Plan plan : {Plan{Data::Promoters, 8}, Plan{Data::Planted, 2},
                            Plan{Data::Windows, 2}, Plan{Data::Big, -1}, Plan{Data::Splice, -1}}) {
        const std::string name = dataName(plan.data);
        for (int32_t threads : {1, 2}) {
            benchmark::RegisterBenchmark((name + "/all/fast" + std::to_string(threads)).c_str(),
                                         [plan, threads](benchmark::State& s) {
                                             searchBench(s, plan.data, 0, false, threads);
                                         })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
        if (plan.referenceTargets > 0) {
            for (int32_t threads : {1, 2}) {
                benchmark::RegisterBenchmark(
                    (name + "/first" + std::to_string(plan.referenceTargets) + "/fast" +
                     std::to_string(threads))
                        .c_str(),
                    [plan, threads](benchmark::State& s) {
                        searchBench(s, plan.data, plan.referenceTargets, false, threads);
                    })
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
            }
        }
        if (plan.referenceTargets < 0) continue;
        benchmark::RegisterBenchmark(
            (name +
             (plan.referenceTargets > 0 ? "/first" + std::to_string(plan.referenceTargets)
                                        : std::string("/all")) +
             "/reference")
                .c_str(),
            [plan](benchmark::State& s) {
                searchBench(s, plan.data, plan.referenceTargets, true, 1);
            })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1);
    }
}

void printSpeedups() {
    std::map<std::string, std::map<std::string, double>> byKey;
    for (const auto& [k, v] : bestTimes()) {
        const size_t bar = k.find('|');
        byKey[k.substr(0, bar)][k.substr(bar + 1)] = v;
    }
    std::printf("\nseed %u; best wall times (s) and speed-ups\n", kSeed);
    for (const auto& [key, modes] : byKey) {
        std::printf("%-34s", key.c_str());
        for (const auto& [mode, t] : modes) std::printf("  %s %.4f", mode.c_str(), t);
        const auto ref = modes.find("reference");
        const auto f1 = modes.find("fast1");
        const auto f2 = modes.find("fast2");
        if (ref != modes.end() && f1 != modes.end()) {
            std::printf("  fast1 vs reference x%.1f", ref->second / f1->second);
        }
        if (f1 != modes.end() && f2 != modes.end()) {
            std::printf("  2 threads vs 1 x%.2f", f1->second / f2->second);
            // Load-proof: the 1-thread run's CPU time over the busiest thread of the 2-thread run.
            const bench::CpuSpent one = bestCpu()[key + "|fast1"];
            const bench::CpuSpent two = bestCpu()[key + "|fast2"];
            if (two.busiest > 0)
                std::printf(" (by CPU x%.2f; CPU s %.3f / %.3f, busiest %.3f)",
                            one.total / two.busiest, one.total, two.total, two.busiest);
        }
        std::printf("\n");
    }
}

}  // namespace
}  // namespace motifora

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    motifora::registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    motifora::printSpeedups();
    return 0;
}
