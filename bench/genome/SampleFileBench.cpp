// Speed of the sample door: a ".seq" file of 100,000 records of 100 letters read by the ".seq"
// reader directly and through readSampleFile (which looks at the content first), the same
// records as FASTA, and the ".seq" file gzip-compressed.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/FileManager.h"
#include "genome/SampleFile.h"

namespace motifora {
namespace {

constexpr int kRecords = 100000;
constexpr int kLetters = 100;

// The three files in a temporary folder, written once and removed at exit.
class Samples {
  public:
    Samples() {
        folder_ = std::filesystem::temp_directory_path() /
                  ("motifora_bench_samples_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        std::mt19937 rng(12345);
        std::string seq, fasta;
        for (int r = 0; r < kRecords; ++r) {
            std::string letters;
            for (int j = 0; j < kLetters; ++j) letters.push_back("ACGT"[rng() % 4]);
            seq += ">seq" + std::to_string(r + 1) + ";" + letters + "\n";
            fasta += ">seq" + std::to_string(r + 1) + "\n" + letters + "\n";
        }
        std::ofstream(path("s.seq"), std::ios::binary) << seq;
        std::ofstream(path("s.fa"), std::ios::binary) << fasta;
        gzFile gz = gzopen(path("s.seq.gz").c_str(), "wb");
        gzwrite(gz, seq.data(), static_cast<unsigned>(seq.size()));
        gzclose(gz);
    }
    ~Samples() { std::filesystem::remove_all(folder_); }
    std::string path(const std::string& name) const { return (folder_ / name).string(); }

  private:
    std::filesystem::path folder_;
};

const Samples& samples() {
    static const Samples files;
    return files;
}

template <typename Read>
void readEach(benchmark::State& state, Read read) {
    std::vector<Sequence> records;
    for (auto _ : state) {
        if (const Status status = read(records); !status) {
            state.SkipWithError(status.message.c_str());
            return;
        }
        benchmark::DoNotOptimize(records.data());
    }
    state.counters["records/s"] =
        benchmark::Counter(kRecords, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SeqReaderDirectly(benchmark::State& state) {
    readEach(state, [](auto& records) { return readSeqFile(samples().path("s.seq"), records); });
}
BENCHMARK(BM_SeqReaderDirectly)->Unit(benchmark::kMillisecond);

void BM_SampleDoorSeq(benchmark::State& state) {
    readEach(state, [](auto& records) { return readSampleFile(samples().path("s.seq"), records); });
}
BENCHMARK(BM_SampleDoorSeq)->Unit(benchmark::kMillisecond);

void BM_SampleDoorFasta(benchmark::State& state) {
    readEach(state, [](auto& records) { return readSampleFile(samples().path("s.fa"), records); });
}
BENCHMARK(BM_SampleDoorFasta)->Unit(benchmark::kMillisecond);

void BM_SampleDoorSeqGzip(benchmark::State& state) {
    readEach(state,
             [](auto& records) { return readSampleFile(samples().path("s.seq.gz"), records); });
}
BENCHMARK(BM_SampleDoorSeqGzip)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace motifora

BENCHMARK_MAIN();
