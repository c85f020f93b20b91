// A joinable thread with a chosen stack size, over the platform's pthread attributes.
#pragma once

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>

namespace motifora {

// One worker at a time: `start` refuses while an earlier thread has not been joined. The object
// must not be destroyed while its thread runs unjoined; the destructor joins it.
//
// The end of a body is signalled: `waitUntilReturned` wakes as soon as the body returns, and a
// listener (`setReturnListener`) is called on the worker's thread right after it, so that no one
// has to poll for the end.
class WorkerThread {
  public:
    static constexpr std::size_t kStackSize = 4096000;
    using Clock = std::chrono::steady_clock;

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

    // True while a started body has not returned yet.
    bool bodyRunning() const;
    // Waits until the running body has returned or `deadline` has come, and says whether no
    // body runs any more (true at once when none was started). The thread may still have to be
    // joined. Called from the worker itself it does not wait.
    bool waitUntilReturned(Clock::time_point deadline) const;
    // `listener` (may be empty) is called on the worker's thread after each body has returned
    // and waiters were woken. Once this returns, the listener it replaced is neither running nor
    // called again; so it must not set a listener itself.
    void setReturnListener(std::function<void()> listener);

  private:
    static void* trampoline(void* self);
    // Marks the body as returned, wakes the waiters and calls the listener.
    void bodyReturned();

    pthread_t handle_{};
    bool started_ = false;
    std::function<void()> body_;
    mutable std::mutex endMutex_;
    mutable std::condition_variable ended_;
    bool bodyRunning_ = false;  // guarded by endMutex_
    std::mutex listenerMutex_;  // held while the listener is called or replaced
    std::function<void()> listener_;
};

}  // namespace motifora
