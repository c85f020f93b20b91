// The genome scan's output formatting, the former way (a std::string per number, one thread)
// beside the present one (lines written into a large buffer, the windows of a piece split among
// threads as the scan splits them): bedGraph lines of one 262,144-window piece, and BED lines.
#include <benchmark/benchmark.h>

#include <random>
#include <thread>
#include <vector>

#include "../../tests/support/FormerTrackLines.h"
#include "io/ScanTracks.h"

namespace motifora {
namespace {

constexpr size_t kPiece = size_t{1} << 18;

// Scores of the kind a class gives: sums of rule weights, 15 to 17 significant digits.
const std::vector<double>& pieceScores() {
    static const std::vector<double> scores = [] {
        std::mt19937_64 random(20261208u);
        std::uniform_real_distribution<double> weight(-3.0, 3.0);
        std::vector<double> out(kPiece);
        for (double& s : out) {
            s = 0.0;
            for (int r = 0; r < 40; ++r) s += weight(random);
        }
        return out;
    }();
    return scores;
}

void BM_BedGraphFormer(benchmark::State& state) {
    const auto& scores = pieceScores();
    std::string out;
    for (auto _ : state) {
        out.clear();
        for (size_t j = 0; j < scores.size(); ++j) {
            const auto start = static_cast<int64_t>(100'000'000 + j);
            test::formerBedGraphLine(out, "chr1", start, start + 1, scores[j]);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(scores.size()));
}
BENCHMARK(BM_BedGraphFormer)->Unit(benchmark::kMillisecond);

void BM_BedGraphBuffered(benchmark::State& state) {
    const auto& scores = pieceScores();
    const auto threads = static_cast<size_t>(state.range(0));
    std::vector<TrackText> parts(threads);
    const std::vector<uint8_t> valid(scores.size(), 1);
    for (auto _ : state) {
        const size_t per = (scores.size() + threads - 1) / threads;
        auto work = [&](size_t t) {
            TrackText& text = parts[t];
            text.Clear();
            const size_t from = t * per;
            const size_t to = std::min(scores.size(), (t + 1) * per);
            text.BedGraphLines("chr1", static_cast<int64_t>(100'000'000 + from),
                               scores.data() + from, valid.data() + from, to - from);
        };
        std::vector<std::thread> helpers;
        for (size_t t = 1; t < threads; ++t) helpers.emplace_back(work, t);
        work(0);
        for (auto& helper : helpers) helper.join();
        benchmark::DoNotOptimize(parts[0].View().data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(scores.size()));
}
BENCHMARK(BM_BedGraphBuffered)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BedFormer(benchmark::State& state) {
    const auto& scores = pieceScores();
    std::string out;
    for (auto _ : state) {
        out.clear();
        for (size_t j = 0; j < scores.size(); ++j) {
            const auto start = static_cast<int64_t>(100'000'000 + j);
            test::formerBedLine(out, "chr1", start, start + 12, "class1", scores[j], '+');
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(scores.size()));
}
BENCHMARK(BM_BedFormer)->Unit(benchmark::kMillisecond);

void BM_BedBuffered(benchmark::State& state) {
    const auto& scores = pieceScores();
    TrackText text;
    for (auto _ : state) {
        text.Clear();
        for (size_t j = 0; j < scores.size(); ++j) {
            const auto start = static_cast<int64_t>(100'000'000 + j);
            text.BedLine("chr1", start, start + 12, "class1", scores[j], '+');
        }
        benchmark::DoNotOptimize(text.View().data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(scores.size()));
}
BENCHMARK(BM_BedBuffered)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
