// The idealization of a many-class case (1,000 random sequences of 100 letters with a TATA-like
// word, shift mode, windows of 10 letters: 91,000 objects, thousands of classes) run as a person
// runs it: the sample loaded and the rules searched through the window model, then the
// idealization started with its button and waited for. /0 drives the window model alone, ticking
// its timer as motifora-cli does; /1 shows the Qt main window (offscreen) and lets its own 100 ms
// timer tick and repaint. The second argument is the thread count. Only the idealization is
// timed: wall time, and the CPU time of the whole process and of the window's thread.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "ui/model/ScriptedDialogs.h"
#include "ui/model/TMainForm.h"
#include "ui/qt/MainWindow.h"
#include "workspace/TMainManager.h"

namespace motifora {
namespace {

const std::string& sampleFile() {
    static const std::string path = [] {
        const std::filesystem::path file =
            std::filesystem::temp_directory_path() / "motifora-window-idealization.seq";
        std::mt19937 random(20261208u);
        const char* words[] = {"TATAAA", "TATTTA", "CATAAA", "TAAAAA"};
        std::ofstream out(file);
        for (int32_t i = 0; i < 1000; ++i) {
            std::string text;
            for (int32_t p = 0; p < 100; ++p) text += "ACGT"[random() % 4];
            text.replace(40, 6, words[random() % 4]);
            out << ">s" << i + 1 << ";" << text << "\n";
        }
        return file.string();
    }();
    return path;
}

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Waits until the workspace is idle: with a window, its event loop runs (and its timer ticks);
// without, the model's timer is ticked here every 100 ms, as a front end without a window does.
void waitIdle(TMainForm& form, bool window) {
    TMainManager& m = form.manager();
    while (!m.isIdle()) {
        if (window) {
            // Sleeps until an event comes: the window's timer wakes it every 100 ms.
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        } else {
            form.SearchingTimerTimer();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    m.joinWorker();
    // The tick that reports the end.
    if (window)
        QCoreApplication::processEvents();
    else
        form.SearchingTimerTimer();
}

void BM_WindowIdealization(benchmark::State& state) {
    const bool window = state.range(0) != 0;
    const auto threads = static_cast<int32_t>(state.range(1));
    for (auto _ : state) {
        ScriptedDialogs dialogs;
        auto form = std::make_unique<TMainForm>(dialogs);
        std::unique_ptr<MainWindow> shown;
        if (window) {
            shown = std::make_unique<MainWindow>(*form);
            shown->resize(1280, 900);
            shown->show();
            QCoreApplication::processEvents();
        }
        const auto decimal = [&form](std::string text) {
            for (char& c : text)
                if (c == '.') c = form->numberFormat.separator();
            return text;
        };
        form->chooseAlignment(true);
        dialogs.choose(sampleFile());
        form->mmbtnAddSequenciesClick();
        form->FrameWidthEdit.setText("10");
        form->ConfIntEdit.setText(decimal("0.5"));
        form->CPEdit.setText(decimal("0.5"));
        form->manager().setThreadCount(threads);
        form->setActivePage(Page::Rules);
        form->btnStartSearchRulesClick();
        waitIdle(*form, window);

        form->setActivePage(Page::Objects);
        const double cpuBefore = processCpuSeconds();
        const double windowCpuBefore = threadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        form->btnStartIdealizationClick();
        waitIdle(*form, window);
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(wall.count());
        state.counters["cpu_s"] = processCpuSeconds() - cpuBefore;
        state.counters["window_thread_cpu_s"] = threadCpuSeconds() - windowCpuBefore;
        state.counters["classes"] = form->manager().classCount();
        if (shown) shown->close();
        shown.reset();
        form.reset();
    }
}

BENCHMARK(BM_WindowIdealization)
    ->ArgsProduct({{0, 1}, {1, 2}})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace motifora

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
