// Speed of writing and reading projects built from the example data, and of the text export.
#include <benchmark/benchmark.h>

#include "ProjectStages.h"
#include "io/ProjectFile.h"
#include "io/TextExport.h"

namespace motifora {
namespace {

const ProjectData& project(testing::Stage stage) {
    static const ProjectData whole = testing::buildStage(testing::Stage::kWithLearnNegative, 53);
    static const ProjectData shift = testing::buildStage(testing::Stage::kShiftMode, 53);
    return stage == testing::Stage::kShiftMode ? shift : whole;
}

void encodeProject(benchmark::State& state, testing::Stage stage) {
    const ProjectSource source = viewOf(project(stage));
    std::string bytes;
    for (auto _ : state) {
        EncodeProject(source, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytes.size()));
}

void decodeProject(benchmark::State& state, testing::Stage stage) {
    std::string bytes;
    EncodeProject(viewOf(project(stage)), bytes);
    const std::span<const unsigned char> input(reinterpret_cast<const unsigned char*>(bytes.data()),
                                               bytes.size());
    for (auto _ : state) {
        ProjectData data;
        if (!DecodeProject(input, "bench.dnp", data).ok) state.SkipWithError("refused");
        benchmark::DoNotOptimize(data.storage.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytes.size()));
}

BENCHMARK_CAPTURE(encodeProject, whole_sequences, testing::Stage::kWithLearnNegative);
BENCHMARK_CAPTURE(encodeProject, shift_windows, testing::Stage::kShiftMode);
BENCHMARK_CAPTURE(decodeProject, whole_sequences, testing::Stage::kWithLearnNegative);
BENCHMARK_CAPTURE(decodeProject, shift_windows, testing::Stage::kShiftMode);

void textExport(benchmark::State& state) {
    const ProjectData& data = project(testing::Stage::kWithLearnNegative);
    TextExportSource source;
    source.learnPositive = data.learnPositive;
    source.learnPositiveLoaded = true;
    source.storage = data.storage.get();
    source.rulesPresent = true;
    source.ruleCount = data.rules->Count();
    source.rulesGrid.columnCount = 5;
    source.rulesGrid.rows.push_back({"#", "Fisher", "Rule", "CP", "Class №"});
    for (int32_t i = 0; i < data.rules->Count(); ++i) {
        std::string f, c, r;
        data.rules->GetTexts(i, f, c, r);
        source.rulesGrid.rows.push_back({std::to_string(i + 1), f, r, c, ""});
    }
    for (auto _ : state) benchmark::DoNotOptimize(TextExportBytes(source));
}
BENCHMARK(textExport);

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
