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
    if (ok) ok = pthread_create(&handle_, &attributes, &WorkerThread::trampoline, this) == 0;
    pthread_attr_destroy(&attributes);
    if (!ok) {
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

void* WorkerThread::trampoline(void* self) {
    auto* worker = static_cast<WorkerThread*>(self);
    currentWorker = worker;
    worker->body_();
    currentWorker = nullptr;
    return nullptr;
}

}  // namespace motifora
