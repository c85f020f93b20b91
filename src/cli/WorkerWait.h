// How the command line waits for a worker process: woken by the worker's end, and by its own
// clock for the interrupt flag and the progress lines.
#pragma once

#include <chrono>
#include <thread>

#include "cli/Interrupt.h"
#include "workspace/TMainManager.h"

namespace motifora {

// The longest a waiting run goes without looking at the interrupt flag and its progress.
constexpr auto kLookEvery = std::chrono::milliseconds(100);

// Sleeps until the worker's body returns or the next look is due, whichever comes first.
// `returned` remembers that the body has returned: from then on only the clock wakes the caller
// (which then waits for something the worker no longer does, such as a stopped end being taken),
// so that a loop around this never spins.
inline void waitForWorkerOrLook(const TMainManager& m, bool& returned) {
    const auto look = std::chrono::steady_clock::now() + kLookEvery;
    if (returned)
        std::this_thread::sleep_until(look);
    else
        returned = m.waitForWorker(look);
}

// Waits while `active()` holds, looking at the interrupt flag and calling `look()` each time it
// wakes; the first interrupt calls `stop()` and the wait goes on until the worker is done. Joins
// the worker at the end. Returns whether it was stopped.
template <typename Active, typename Stop, typename Look>
bool waitWhileActive(TMainManager& m, Active active, Stop stop, Look look) {
    bool stopped = false;
    bool returned = false;
    while (active()) {
        if (interruptRequested() && !stopped) {
            stop();
            stopped = true;
        }
        look();
        waitForWorkerOrLook(m, returned);
    }
    m.joinWorker();
    return stopped;
}

}  // namespace motifora
