// The interrupt flag of a batch run and the signal handlers that raise it.
#include "cli/Interrupt.h"

#include <atomic>
#include <chrono>
#include <csignal>

namespace motifora {

namespace {

// Lock-free, so the handler may touch it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) { interrupted.store(true); }

}  // namespace

void installInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND gives the signal its default action back once it has been caught.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interruptRequested() { return interrupted.load(); }

void requestInterrupt() { interrupted.store(true); }

InterruptWatch::InterruptWatch(RunControl& control) : control_(control) {
    watcher_ = std::thread([this] {
        std::unique_lock<std::mutex> lock(mutex_);
        // A signal handler cannot wake a condition variable, so the flag is looked at often.
        while (!ended_.wait_for(lock, std::chrono::milliseconds(20), [this] { return done_; })) {
            if (interruptRequested()) {
                control_.setRunning(false);
                return;
            }
        }
    });
}

InterruptWatch::~InterruptWatch() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    ended_.notify_all();
    watcher_.join();
}

}  // namespace motifora
