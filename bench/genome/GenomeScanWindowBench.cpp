// The genome-scan window's scan beside the command line's on the same work: the same project,
// FASTA file, classes and strands, and as many scoring threads as the window uses. The command
// line's path is GenomeScanner into a TrackWriter with no files (`motifora-cli scan` without
// outputs); the window's is GenomeScanForm::Start to its end, the hit table, record list and
// chart filled. Both report the wall time and the CPU time of the whole process.
//
// The work is named by the environment (bench/genome/scan-window.sh sets it up):
//   MOTIFORA_SCAN_MODEL    a project holding classes (.dnp)
//   MOTIFORA_SCAN_GENOME   a FASTA file
//   MOTIFORA_SCAN_CLASSES  the class list (default 1-3)
//   MOTIFORA_SCAN_LEVEL    a level, so that hits are reported (default: none)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>

#include "classify/Classificator.h"
#include "core/WorkerPool.h"
#include "genome/GenomeScan.h"
#include "genome/TrackWriter.h"
#include "io/ProjectFile.h"
#include "ui/model/GenomeScanForm.h"

#ifdef MOTIFORA_BENCH_QT
#include <QApplication>
#include <QPushButton>

#include "ui/qt/GenomeScanWindow.h"
#endif

namespace motifora {
namespace {

std::string environment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

struct Work {
    ProjectData project;
    Classificator classificator;
    std::string genome;
    std::string classes;
    std::string level;
    ScanSettings settings;
    bool ready = false;
};

Work& work() {
    static Work* const w = [] {
        auto* built = new Work;  // lives for the whole run
        built->genome = environment("MOTIFORA_SCAN_GENOME", "");
        built->classes = environment("MOTIFORA_SCAN_CLASSES", "1-3");
        built->level = environment("MOTIFORA_SCAN_LEVEL", "");
        const std::string model = environment("MOTIFORA_SCAN_MODEL", "");
        if (model.empty() || built->genome.empty()) {
            std::cerr << "set MOTIFORA_SCAN_MODEL and MOTIFORA_SCAN_GENOME (see "
                         "bench/genome/scan-window.sh)\n";
            return built;
        }
        if (const Status read = ReadProject(model, built->project); !read) {
            std::cerr << read.message << "\n";
            return built;
        }
        ProjectData& project = built->project;
        built->classificator.Setup(project.storage.get(), project.rules.get(),
                                   &project.idealObjects, IdealizationType::kDeletingBegin);
        built->classificator.idealObjectCount = project.classCount;
        ScanSettings& settings = built->settings;
        if (!parseClassList(built->classes, settings.classes)) {
            std::cerr << "MOTIFORA_SCAN_CLASSES: not a class list\n";
            return built;
        }
        if (!built->level.empty()) {
            settings.hits = parseScanLevel(built->level, settings.level);
        }
        settings.bothStrands = true;
        settings.threads = WorkerPool::threadsFor(0);
        built->ready = true;
        return built;
    }();
    return *w;
}

// As `motifora-cli scan --strand both --threads N` without outputs.
void BM_CommandLineScan(benchmark::State& state) {
    Work& w = work();
    if (!w.ready) {
        state.SkipWithError("no work");
        return;
    }
    int64_t letters = 0;
    for (auto _ : state) {
        GenomeScanner scanner;
        std::string error;
        if (!scanner.Prepare(w.classificator, w.project.storage->codeTable, w.settings, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        TrackWriter tracks;
        tracks.Open({});
        tracks.Begin("m.dnp", w.settings);
        if (!scanner.Scan(w.genome, tracks, error) || !tracks.Finish()) {
            state.SkipWithError(error.c_str());
            return;
        }
        letters = scanner.Totals().letters;
    }
    state.counters["threads"] = w.settings.threads;
    state.SetItemsProcessed(state.iterations() * letters);
}

// The window's Start with the same choices, to its end.
void BM_WindowScan(benchmark::State& state) {
    Work& w = work();
    if (!w.ready) {
        state.SkipWithError("no work");
        return;
    }
    int64_t letters = 0;
    for (auto _ : state) {
        GenomeScanForm form;
        form.GenomeEdit.setText(w.genome);
        form.ClassesEdit.setText(w.classes);
        form.LevelEdit.setText(w.level);
        form.StrandGroup.setItemIndex(1);
        if (form.Start(w.classificator, w.project.storage->codeTable, "m.dnp") !=
            kGenomeScanStarted) {
            state.SkipWithError(form.StatusLabel.text().c_str());
            return;
        }
        form.WaitForEnd();
        if (form.StatusLabel.text().rfind("Done", 0) != 0) {
            state.SkipWithError(form.StatusLabel.text().c_str());
            return;
        }
        letters = 0;
        for (int32_t r = 1; r < form.RecordsList.rowCount(); ++r)
            letters += std::stoll(form.RecordsList.cell(1, r));
    }
    state.SetItemsProcessed(state.iterations() * letters);
}

#ifdef MOTIFORA_BENCH_QT
// The same Start through the Qt window (offscreen), its 100 ms timer repainting meanwhile,
// until the scan has ended and its results are painted.
void BM_QtWindowScan(benchmark::State& state) {
    Work& w = work();
    if (!w.ready) {
        state.SkipWithError("no work");
        return;
    }
    for (auto _ : state) {
        GenomeScanForm form;
        form.GenomeEdit.setText(w.genome);
        form.ClassesEdit.setText(w.classes);
        form.LevelEdit.setText(w.level);
        form.StrandGroup.setItemIndex(1);
        int32_t started = kGenomeScanNothing;
        GenomeScanWindow window(form, [&] {
            started = form.Start(w.classificator, w.project.storage->codeTable, "m.dnp");
            return started;
        });
        window.resize(1280, 800);
        window.show();
        QApplication::processEvents();
        window.findChild<QPushButton*>("StartBtn")->click();
        if (started != kGenomeScanStarted) {
            state.SkipWithError("not started");
            return;
        }
        // The window's timer wakes the loop every 100 ms.
        while (form.Running()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        form.WaitForEnd();
        window.tick();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_QtWindowScan)->Unit(benchmark::kSecond)->UseRealTime()->MeasureProcessCPUTime();
#endif

BENCHMARK(BM_CommandLineScan)->Unit(benchmark::kSecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_WindowScan)->Unit(benchmark::kSecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace
}  // namespace motifora

int main(int argc, char** argv) {
#ifdef MOTIFORA_BENCH_QT
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
