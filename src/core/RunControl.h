// The run flag and the cooperative pause gate shared by a worker and the window.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace motifora {

// A worker tests `isRunning()` between units of work and passes `gate()` wherever it may be
// paused; `gate()` blocks while the gate is closed and returns the run flag. The worker never
// holds a lock of its own while it waits at the gate.
class RunControl {
  public:
    bool isRunning() const { return running_.load(std::memory_order_acquire); }
    // Clearing the run flag also opens the gate and lets a held worker go, so that it sees the
    // stop.
    void setRunning(bool value) {
        running_.store(value, std::memory_order_release);
        if (!value) {
            release();
            open();
        }
    }

    // Waits while paused; returns whether the process should go on.
    bool gate() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (closed_ || held_) {
            ++waiting_;
            arrived_.notify_all();
            changed_.wait(lock, [this] { return !closed_ && !held_; });
            --waiting_;
        }
        return isRunning();
    }
    void close() { setGateFlag(closed_, true); }
    void open() { setGateFlag(closed_, false); }

    // Test hook: while held, the gate stays shut whatever pause and resume do, so a test can
    // act on a process that has started but done no work yet; `release` lets it pass (then
    // the gate answers pause and resume as usual).
    void hold() { setGateFlag(held_, true); }
    void release() { setGateFlag(held_, false); }
    // True while a worker waits at the gate (pause or hold): it does no work until opened.
    bool workerWaiting() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return waiting_ > 0;
    }
    // Waits until a worker waits at the gate, woken by its arrival, or until `deadline`; returns
    // workerWaiting().
    bool waitForWaitingWorker(std::chrono::steady_clock::time_point deadline) const {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_until(lock, deadline, [this] { return waiting_ > 0; });
    }
    bool isHeld() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return held_;
    }

  private:
    // Sets `closed_` or `held_` under the lock; clearing one wakes the waiting workers, which
    // pass when the other is clear too.
    void setGateFlag(bool& flag, bool value) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            flag = value;
        }
        if (!value) changed_.notify_all();
    }

    std::atomic<bool> running_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    mutable std::condition_variable arrived_;  // a worker came to the gate
    bool closed_ = false;
    bool held_ = false;
    int waiting_ = 0;
};

}  // namespace motifora
