// Speed of turning a large grid (a genome scan's hit table) into CSV or TSV text, as Copy and
// Save Table As do, and of the letter heights of a sequence logo.
#include <benchmark/benchmark.h>

#include <mutex>
#include <string>

#include "ui/model/GridExport.h"
#include "ui/model/SequenceLogo.h"

namespace motifora {
namespace {

// A hit table of `rows` rows: record, start, end, strand, class, score; one record name in ten
// holds a comma (quoted in CSV).
void fillHits(Grid& grid, int32_t rows) {
    grid.setHeaders({"Record", "Start", "End", "Strand", "Class", "Score"});
    grid.setRowCount(rows + 1);
    for (int32_t r = 1; r <= rows; ++r) {
        grid.setCell(0, r, r % 10 == 0 ? "chrI, part 2" : "chrII");
        grid.setCell(1, r, std::to_string(r * 37));
        grid.setCell(2, r, std::to_string(r * 37 + 57));
        grid.setCell(3, r, r % 2 == 0 ? "+" : "-");
        grid.setCell(4, r, std::to_string(r % 53 + 1));
        grid.setCell(5, r, std::to_string(r % 1000) + ".125");
    }
}

void gridAsText(benchmark::State& state, GridTextFormat format) {
    std::recursive_mutex mutex;
    Grid grid(mutex, 6, 1);
    fillHits(grid, static_cast<int32_t>(state.range(0)));
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = gridText(grid, format);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_GridCsv(benchmark::State& state) { gridAsText(state, GridTextFormat::Csv); }
void BM_GridTsv(benchmark::State& state) { gridAsText(state, GridTextFormat::Tsv); }
BENCHMARK(BM_GridCsv)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridTsv)->Arg(100000)->Unit(benchmark::kMillisecond);

// A logo of the promoters' size: 57 positions of four letters.
void BM_LogoHeights(benchmark::State& state) {
    std::vector<std::vector<int32_t>> counts(57);
    for (size_t p = 0; p < counts.size(); ++p)
        counts[p] = {static_cast<int32_t>(p % 7 + 1), 12, static_cast<int32_t>(40 - p % 30), 3};
    for (auto _ : state) {
        const SequenceLogo logo = logoFromCounts(counts, "ACGT", "sample");
        benchmark::DoNotOptimize(logo.columns.data());
    }
}
BENCHMARK(BM_LogoHeights);

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
