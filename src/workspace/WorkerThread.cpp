// The pthread wrapper behind the workspace's worker processes.
#include "workspace/WorkerThread.h"

#include <utility>

namespace motifora {

namespace {
// The wrapper whose body runs on this thread (null on every other thread).
thread_local const WorkerThread* currentWorker = nullptr;
}  // namespace

WorkerThread::~WorkerThread() { join(); }

bool WorkerThread::start(std::function<void()> body, std::size_t stackSize) {
    if (started_) return false;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    bool ok = pthread_attr_setstacksize(&attributes, stackSize) == 0;
    body_ = std::move(body);
    {
        // Before the thread exists, so that a waiter never sees a started body as returned.
        std::lock_guard<std::mutex> lock(endMutex_);
        bodyRunning_ = ok;
    }
    if (ok) ok = pthread_create(&handle_, &attributes, &WorkerThread::trampoline, this) == 0;
    pthread_attr_destroy(&attributes);
    if (!ok) {
        {
            std::lock_guard<std::mutex> lock(endMutex_);
            bodyRunning_ = false;
        }
        body_ = nullptr;
        return false;
    }
    started_ = true;
    return true;
}

void WorkerThread::join() {
    if (isCurrent() || !started_) return;
    pthread_join(handle_, nullptr);
    started_ = false;
    body_ = nullptr;
}

bool WorkerThread::isCurrent() const { return currentWorker == this; }

bool WorkerThread::bodyRunning() const {
    std::lock_guard<std::mutex> lock(endMutex_);
    return bodyRunning_;
}

bool WorkerThread::waitUntilReturned(Clock::time_point deadline) const {
    std::unique_lock<std::mutex> lock(endMutex_);
    if (isCurrent()) return !bodyRunning_;
    return ended_.wait_until(lock, deadline, [this] { return !bodyRunning_; });
}

void WorkerThread::setReturnListener(std::function<void()> listener) {
    std::lock_guard<std::mutex> lock(listenerMutex_);
    listener_ = std::move(listener);
}

void WorkerThread::bodyReturned() {
    {
        std::lock_guard<std::mutex> lock(endMutex_);
        bodyRunning_ = false;
    }
    ended_.notify_all();
    std::lock_guard<std::mutex> lock(listenerMutex_);
    if (listener_) listener_();
}

void* WorkerThread::trampoline(void* self) {
    auto* worker = static_cast<WorkerThread*>(self);
    currentWorker = worker;
    worker->body_();
    worker->bodyReturned();
    currentWorker = nullptr;
    return nullptr;
}

}  // namespace motifora
