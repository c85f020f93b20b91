// The pthread wrapper behind the workspace's worker processes.
#include "workspace/WorkerThread.h"

#include <utility>

namespace motifora {

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
    if (!started_ || isCurrent()) return;
    pthread_join(handle_, nullptr);
    started_ = false;
    body_ = nullptr;
}

bool WorkerThread::isCurrent() const {
    return started_ && pthread_equal(handle_, pthread_self()) != 0;
}

void* WorkerThread::trampoline(void* self) {
    static_cast<WorkerThread*>(self)->body_();
    return nullptr;
}

}  // namespace motifora
