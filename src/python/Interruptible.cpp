// Long work from Python: a waiting thread without the GIL that still answers Ctrl-C.
#include "python/Interruptible.h"

#include <chrono>
#include <exception>
#include <optional>
#include <thread>

namespace motifora::python {

namespace py = pybind11;

namespace {

// How long the interpreter may go without a look at its signals while a run goes on.
constexpr auto kSignalCheck = std::chrono::milliseconds(100);

}  // namespace

void waitInterruptibly(std::mutex& mutex, std::condition_variable& changed,
                       const std::function<bool()>& ready, const std::function<void()>& stop,
                       ProgressHook& progress) {
    std::optional<py::error_already_set> raised;
    bool stopped = false;
    std::optional<Progress>& shown = progress.shown;
    const bool report = progress.read && progress.callback && !progress.callback.is_none();
    for (;;) {
        {
            py::gil_scoped_release withoutGil;
            std::unique_lock<std::mutex> lock(mutex);
            if (changed.wait_for(lock, kSignalCheck, ready)) break;
        }
        if (stopped) continue;
        try {
            if (PyErr_CheckSignals() != 0) throw py::error_already_set();
            if (report) {
                Progress now = progress.read();
                if (!shown || !(*shown == now)) {
                    progress.callback(now.stage, now.done, now.total);
                    shown = std::move(now);
                }
            }
        } catch (py::error_already_set& error) {
            raised.emplace(std::move(error));
            stopped = true;
            py::gil_scoped_release withoutGil;
            stop();
        }
    }
    if (raised) throw std::move(*raised);
    if (report) {
        Progress now = progress.read();
        if (!shown || !(*shown == now)) {
            progress.callback(now.stage, now.done, now.total);
            shown = std::move(now);
        }
    }
}

void runInterruptibly(const std::function<void()>& work, const std::function<void()>& stop,
                      ProgressHook& progress) {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        changed.notify_all();
    });
    struct Joiner {
        std::thread& thread;
        ~Joiner() {
            py::gil_scoped_release withoutGil;
            thread.join();
        }
    } joiner{worker};
    waitInterruptibly(
        mutex, changed, [&] { return done; }, stop, progress);
    if (failure) std::rethrow_exception(failure);
}

}  // namespace motifora::python
