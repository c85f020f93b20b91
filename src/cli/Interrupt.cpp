// The interrupt flag of a batch run and the signal handlers that raise it.
#include "cli/Interrupt.h"

#include <atomic>
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

}  // namespace motifora
