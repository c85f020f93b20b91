#pragma once
// A fixed number of workers that share the iterations of a loop.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace motifora {

class WorkerPool {
  public:
    // Caps every pool of the process for the object's life: threadsFor() and the pools made
    // meanwhile use at most `threads` (>= 1) threads, and the workers the pools share are limited
    // so that nested pools (the folds of a cross-validation, each with its search's pool) still
    // run at most that many threads at once. Limits nest (the smallest applies); make and end
    // one while no pool runs.
    class ThreadLimit {
      public:
        explicit ThreadLimit(int32_t threads);
        ~ThreadLimit();
        ThreadLimit(const ThreadLimit&) = delete;
        ThreadLimit& operator=(const ThreadLimit&) = delete;

      private:
        struct Control;
        int32_t previous_;
        std::unique_ptr<Control> control_;
    };

    // threads >= 1 (at most the limit in force); the calling thread counts as one of them.
    explicit WorkerPool(int32_t threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int32_t threads() const { return threads_; }
    // The thread count a setting asks for: `requested` when above 0, else one per core this
    // process may run on; never more than the limit in force.
    static int32_t threadsFor(int32_t requested);
    // The cores this process may run on (its CPU affinity), at least 1.
    static int32_t availableCores();
    // The limit in force (ThreadLimit), or 0 when there is none.
    static int32_t threadLimit();

    // Calls body(begin, end) on ranges that cover [0, count) once each, from up to threads()
    // threads at a time, and returns when every call has returned; everything the calls wrote
    // is visible to the caller then. The first exception a call throws is rethrown here.
    // Called from inside another pool's loop, the calls share that loop's threads (up to as
    // many as it has), so that an outer loop's idle threads help the inner one.
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
