// A joinable thread with a chosen stack size, over the platform's pthread attributes.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <functional>

namespace motifora {

// One worker at a time: `start` refuses while an earlier thread has not been joined. The object
// must not be destroyed while its thread runs unjoined; the destructor joins it.
class WorkerThread {
  public:
    static constexpr std::size_t kStackSize = 4096000;

    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `body` on a new thread with a stack of `stackSize` bytes. Returns false (and runs
    // nothing) when a thread is still held or the platform refuses to create one.
    bool start(std::function<void()> body, std::size_t stackSize = kStackSize);
    // Waits for the thread to return; does nothing when none is held or when called from the
    // worker itself (which cannot wait for its own end).
    void join();
    // True while a started thread has not been joined (it may already have returned).
    bool joinable() const { return started_; }
    // True when called from the held thread.
    bool isCurrent() const;

  private:
    static void* trampoline(void* self);

    pthread_t handle_{};
    bool started_ = false;
    std::function<void()> body_;
};

}  // namespace motifora
