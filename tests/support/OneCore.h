// The calling thread pinned to one core, as `taskset -c N` pins a program, for the tests of what
// a process does with the cores it may run on.
#pragma once

#include <gtest/gtest.h>
#include <sched.h>

namespace motifora::test {

// Pins the calling thread to the first core it may run on until `release` or the end of the
// object, then gives it back every core it had. `pinned()` says whether the pin took.
class OneCore {
  public:
    OneCore() {
        CPU_ZERO(&original_);
        if (sched_getaffinity(0, sizeof original_, &original_) != 0) return;
        int first = 0;
        while (!CPU_ISSET(first, &original_)) ++first;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(first, &one);
        pinned_ = sched_setaffinity(0, sizeof one, &one) == 0;
    }
    ~OneCore() { release(); }
    OneCore(const OneCore&) = delete;
    OneCore& operator=(const OneCore&) = delete;

    bool pinned() const { return pinned_; }
    // The number of cores the thread had before it was pinned.
    int originalCores() const { return CPU_COUNT(&original_); }
    // Gives the thread back its cores; true when it has them (or was never pinned).
    bool release() {
        if (pinned_ && sched_setaffinity(0, sizeof original_, &original_) == 0) pinned_ = false;
        return !pinned_;
    }

  private:
    cpu_set_t original_;
    bool pinned_ = false;
};

}  // namespace motifora::test
