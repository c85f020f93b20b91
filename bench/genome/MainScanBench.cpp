// The main window's scanning recognition of a 2 Mb control sample, the former way and the
// present one side by side, beside the same windows through `motifora-cli scan`'s scanner:
//   BM_FormerScan       one object cut per window, each scored by Classificator::ScoreObject on
//                       one thread (what the workspace's scan did)
//   BM_WorkspaceScan    TMainManager::StartScanRecognition to takeScanResult (the window's scan)
//   BM_CommandLineScan  GenomeScanner over the same letters as a FASTA file, one class, one
//                       strand, no output (`motifora-cli scan --classes K --threads N`)
// The classes come from the promoter example (fixed positions, the window's default search,
// "Deleting begin" idealization of the learning objects); the scanned class is the one counting
// the most rules. The control sample is 2,000,000 random letters (seed 20261207) in four
// records. The thread count is the argument.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>

#include "classify/Classificator.h"
#include "core/SEQStorage.h"
#include "core/WorkerPool.h"
#include "evaluation/Recognition.h"
#include "genome/ClassScorer.h"
#include "genome/GenomeScan.h"
#include "workspace/TMainManager.h"

namespace motifora {
namespace {

constexpr int64_t kLetters = 2'000'000;
constexpr int kRecords = 4;

struct Work {
    std::filesystem::path folder;
    std::string control;  // the FASTA file
    TMainManager workspace;
    int32_t scannedClass = 0;
    int32_t countedRules = 0;
    bool ready = false;
};

// Waits for the worker's body and takes the end as the window's timer does.
bool finish(TMainManager& m, TMainManager::Process process) {
    if (!m.waitForWorker(std::chrono::steady_clock::now() + std::chrono::minutes(30))) return false;
    m.joinWorker();
    m.takeEnd(process);
    return true;
}

Work& work() {
    static Work* const w = [] {
        auto* built = new Work;  // lives for the whole run
        Work& out = *built;
        out.folder = std::filesystem::temp_directory_path() /
                     ("motifora-bench-main-scan-" + std::to_string(::getpid()));
        std::filesystem::create_directories(out.folder);
        out.control = (out.folder / "control.fa").string();
        {
            std::mt19937 random(20261207u);
            std::ofstream fasta(out.control);
            for (int r = 0; r < kRecords; ++r) {
                fasta << ">chr" << r + 1 << "\n";
                std::string line;
                for (int64_t i = 0; i < kLetters / kRecords; ++i) {
                    line.push_back("ACGT"[random() % 4]);
                    if (line.size() == 70) {
                        fasta << line << "\n";
                        line.clear();
                    }
                }
                if (!line.empty()) fasta << line << "\n";
            }
        }
        TMainManager& m = out.workspace;
        const std::string examples = MOTIFORA_EXAMPLES_DIR;
        if (!m.loadLearnPositive(examples + "/promoters_pos.seq") ||
            m.startRuleSearch(SearchSettings::windowDefaults()) != RuleSearchStart::Started ||
            !finish(m, TMainManager::Process::RuleSearch) ||
            m.startIdealization(IdealizationType::kDeletingBegin, IdealizationSource::kObjects) !=
                IdealizationStart::Started ||
            !finish(m, TMainManager::Process::Idealization)) {
            std::cerr << "the promoter example's classes could not be made\n";
            return built;
        }
        if (const Status loaded = m.loadControlNegative(out.control); !loaded) {
            std::cerr << loaded.message << "\n";
            return built;
        }
        for (int32_t k = 0; k < m.classCount(); ++k) {
            ClassScorer scorer;
            scorer.Build(*m.classificator(), k);
            if (scorer.RuleCount() > out.countedRules) {
                out.countedRules = scorer.RuleCount();
                out.scannedClass = k;
            }
        }
        out.ready = m.longControl() && m.classCount() > 0;
        return built;
    }();
    return *w;
}

int64_t windowCount(const Work& w) {
    const TMainManager& m = w.workspace;
    return scanWindowCount(m.controlNegative().data(), m.controlNegativeCount(),
                           m.searchSettings().frameWidth);
}

void describe(benchmark::State& state, const Work& w, int32_t threads) {
    state.counters["threads"] = threads;
    state.counters["rules"] = w.countedRules;
    state.counters["width"] = w.workspace.searchSettings().frameWidth;
    state.SetItemsProcessed(state.iterations() * windowCount(w));
}

void BM_FormerScan(benchmark::State& state) {
    Work& w = work();
    if (!w.ready) {
        state.SkipWithError("no work");
        return;
    }
    TMainManager& m = w.workspace;
    const SEQStorage& storage = *m.storage();
    const int32_t width = m.searchSettings().frameWidth;
    const auto count = static_cast<int32_t>(windowCount(w));
    std::vector<double> scores;
    for (auto _ : state) {
        ObjectSet windows;
        windows.make(count, width, storage.alphabetSize);
        int32_t next = 0;
        for (int32_t r = 0; r < m.controlNegativeCount(); ++r) {
            const Sequence& record = m.controlNegative()[static_cast<size_t>(r)];
            for (int64_t k = 0; k + width <= record.length; ++k)
                storage.cutWindow(record, k, windows[next++]);
        }
        scoreWindows(*m.classificator(), windows.data(), count, w.scannedClass, scores);
        benchmark::DoNotOptimize(scores.data());
    }
    describe(state, w, 1);
}

void BM_WorkspaceScan(benchmark::State& state) {
    Work& w = work();
    if (!w.ready) {
        state.SkipWithError("no work");
        return;
    }
    TMainManager& m = w.workspace;
    const auto threads = static_cast<int32_t>(state.range(0));
    m.setThreadCount(threads);
    for (auto _ : state) {
        // A new load makes the kept scores stale, so the scan scores every window again.
        state.PauseTiming();
        const Status loaded = m.loadControlNegative(w.control);
        state.ResumeTiming();
        if (!loaded || m.StartScanRecognition(w.scannedClass) != RecognitionStart::Started ||
            !m.waitForWorker(std::chrono::steady_clock::now() + std::chrono::minutes(30)) ||
            !m.takeScanResult()) {
            state.SkipWithError("the scan did not complete");
            return;
        }
        benchmark::DoNotOptimize(m.windowScores().data());
    }
    describe(state, w, threads);
}

void BM_CommandLineScan(benchmark::State& state) {
    Work& w = work();
    if (!w.ready) {
        state.SkipWithError("no work");
        return;
    }
    TMainManager& m = w.workspace;
    Classificator classificator;
    m.setUpScoring(classificator, IdealizationType::kDeletingBegin);
    ScanSettings settings;
    settings.classes = {w.scannedClass};
    settings.threads = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        GenomeScanner scanner;
        std::string error;
        ScanSink sink;
        if (!scanner.Prepare(classificator, m.storage()->codeTable, settings, error) ||
            !scanner.Scan(w.control, sink, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    describe(state, w, settings.threads);
}

BENCHMARK(BM_FormerScan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_WorkspaceScan)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CommandLineScan)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace motifora

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(motifora::work().folder, ignored);
    return 0;
}
