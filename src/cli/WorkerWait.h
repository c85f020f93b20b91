// How the command line waits for a worker process: woken by the worker's end, and by its own
// clock for the interrupt flag and the progress lines.
#pragma once

#include <chrono>
#include <thread>

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

}  // namespace motifora
