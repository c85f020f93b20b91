#pragma once
// A fixed number of workers that share the iterations of a loop.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace motifora {

class WorkerPool {
  public:
    // threads >= 1; the calling thread counts as one of them.
    explicit WorkerPool(int32_t threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int32_t threads() const { return threads_; }
    // The thread count a setting asks for: `requested` when above 0, else one per core.
    static int32_t threadsFor(int32_t requested);

    // Calls body(begin, end) on ranges that cover [0, count) once each, from up to threads()
    // threads at a time, and returns when every call has returned; everything the calls wrote
    // is visible to the caller then. The first exception a call throws is rethrown here.
    void run(size_t count, const std::function<void(size_t begin, size_t end)>& body);
    // run() one index at a time: body(i) for every i in [0, count).
    void forEach(size_t count, const std::function<void(size_t index)>& body);

  private:
    // run() over two or more indexes with two or more threads.
    void runParallel(size_t count, const std::function<void(size_t begin, size_t end)>& body);
    struct Arena;
    int32_t threads_;
    std::unique_ptr<Arena> arena_;
};

}  // namespace motifora
