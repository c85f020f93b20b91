// Speed of the ".seq" reader and of the window builder on 100,000 records of 100 letters.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/FileManager.h"
#include "core/SEQStorage.h"

namespace motifora {
namespace {

constexpr int kRecords = 100000;
constexpr int kLetters = 100;
constexpr int kWindow = 10;

// A generated sample file in a temporary folder, written once and removed at exit.
class SampleFile {
  public:
    SampleFile() {
        path_ = (std::filesystem::temp_directory_path() /
                 ("motifora_bench_" + std::to_string(::getpid()) + ".seq"))
                    .string();
        std::mt19937 rng(12345);
        std::ofstream out(path_, std::ios::binary);
        std::string line;
        for (int r = 0; r < kRecords; ++r) {
            line = ">seq" + std::to_string(r + 1) + ";";
            for (int j = 0; j < kLetters; ++j) line.push_back("ACGT"[rng() % 4]);
            line.push_back('\n');
            out << line;
        }
    }
    ~SampleFile() { std::filesystem::remove(path_); }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

const SampleFile& sample() {
    static const SampleFile file;
    return file;
}

void BM_ReadSeqFile(benchmark::State& state) {
    std::vector<Sequence> records;
    for (auto _ : state) {
        if (const Status read = readSeqFile(sample().path(), records); !read) {
            state.SkipWithError(read.message.c_str());
            return;
        }
        benchmark::DoNotOptimize(records.data());
    }
    state.counters["records/s"] =
        benchmark::Counter(kRecords, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadSeqFile)->Unit(benchmark::kMillisecond);

void BM_BuildWindows(benchmark::State& state) {
    std::vector<Sequence> records;
    if (const Status read = readSeqFile(sample().path(), records); !read) {
        state.SkipWithError(read.message.c_str());
        return;
    }
    int64_t objects = 0;
    for (auto _ : state) {
        SEQStorage storage;
        storage.buildWindows(records.data(), static_cast<int32_t>(records.size()), kWindow);
        objects = storage.learnObjectCount;
        benchmark::DoNotOptimize(storage.learnObjects.data());
    }
    state.counters["objects/s"] = benchmark::Counter(static_cast<double>(objects),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BuildWindows)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
