// Ctrl-C and SIGTERM in a batch run: the signal only raises a flag; the run loop sees it, presses
// the running process's stop button and ends without writing any output.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/RunControl.h"

namespace motifora {

// Installs the handlers for SIGINT and SIGTERM. The first signal raises the flag and gives the
// signal back its default action, so a second Ctrl-C ends the program at once (no output file
// is ever half-written: every writer renames a complete temporary file into place).
void installInterruptHandlers();
// True once a signal has arrived.
bool interruptRequested();
// Raises the flag as a signal would (tests).
void requestInterrupt();

// While it lives, a thread of its own clears `control`'s run flag within 20 ms of an interrupt,
// for work that runs in the calling thread (which cannot look at the flag while it works) and
// passes `control`'s gate. Destroying it ends the watch.
class InterruptWatch {
  public:
    explicit InterruptWatch(RunControl& control);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

  private:
    RunControl& control_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread watcher_;
};

}  // namespace motifora
