// Long work from Python: run without the GIL, stopped by Ctrl-C, with progress through an
// optional callback.
#pragma once

#include <pybind11/pybind11.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace motifora::python {

// Where a run is: a stage name and a count of steps (total 0 when unknown).
struct Progress {
    std::string stage;
    int64_t done = 0;
    int64_t total = 0;
    bool operator==(const Progress&) const = default;
};

// Reads the progress of a run (from the waiting thread, so only from atomics or under the run's
// own locks) and hands it to a Python callable `callback(stage, done, total)`; a None callback
// is never called.
struct ProgressHook {
    std::function<Progress()> read;
    pybind11::object callback;
    // The last progress handed over: the callback hears of a change only (kept across the waits
    // of one run, such as the records of a scan).
    std::optional<Progress> shown;
};

// Waits on `changed` without the GIL until `ready()` holds (called with `mutex` locked). The
// work signals `changed` when it ends or has something to hand over; besides, every 100 ms the
// waiting thread takes the GIL briefly to let the interpreter run its signal handlers
// (PyErr_CheckSignals: Ctrl-C raises KeyboardInterrupt there, and only on the main thread) and
// to report progress. When a handler or the callback raises, `stop` is called once and the wait
// goes on until `ready()` holds (the work must then end soon), and the exception is raised.
void waitInterruptibly(std::mutex& mutex, std::condition_variable& changed,
                       const std::function<bool()>& ready, const std::function<void()>& stop,
                       ProgressHook& progress);

// Runs `work` on a thread of its own and waits for it as above; `stop` must make `work` return
// soon. An exception thrown by `work` is passed on (a C++ exception becomes a Python one).
void runInterruptibly(const std::function<void()>& work, const std::function<void()>& stop,
                      ProgressHook& progress);

}  // namespace motifora::python
