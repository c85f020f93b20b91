// The run flag and the cooperative pause gate shared by a worker and the window.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace motifora {

// A worker tests `isRunning()` between units of work and passes `gate()` wherever it may be
// paused; `gate()` blocks while the gate is closed and returns the run flag. The worker never
// holds a lock of its own while it waits at the gate.
class RunControl {
  public:
    bool isRunning() const { return running_.load(std::memory_order_acquire); }
    void setRunning(bool value) {
        running_.store(value, std::memory_order_release);
        if (!value) open();
    }
    bool isPaused() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return closed_;
    }

    // Waits while paused; returns whether the process should go on.
    bool gate() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !closed_; });
        return isRunning();
    }
    void close() {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    void open() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = false;
        }
        changed_.notify_all();
    }

  private:
    std::atomic<bool> running_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool closed_ = false;
};

}  // namespace motifora
