#include "core/WorkerPool.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#ifndef MOTIFORA_PLAIN_THREADS
#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/task_arena.h>
#endif

namespace motifora {

namespace {

// The smallest count of the ThreadLimits alive, 0 without one.
std::atomic<int32_t> limitInForce{0};

int32_t capped(int32_t threads) {
    const int32_t limit = limitInForce.load();
    threads = std::max(threads, 1);
    return limit > 0 ? std::min(threads, limit) : threads;
}

}  // namespace

int32_t WorkerPool::availableCores() {
    // A process pinned to some cores (taskset, a batch system) must not plan for the others:
    // more threads than cores only take turns, and oneTBB, which counts the allowed cores, warns
    // when a pool asks for more workers than it will start.
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        return std::max(1, CPU_COUNT(&allowed));
    return static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
}

int32_t WorkerPool::threadLimit() { return limitInForce.load(); }

int32_t WorkerPool::threadsFor(int32_t requested) {
    return capped(requested > 0 ? requested : availableCores());
}

void WorkerPool::forEach(size_t count, const std::function<void(size_t)>& body) {
    run(count, [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) body(i);
    });
}

void WorkerPool::run(size_t count, const std::function<void(size_t, size_t)>& body) {
    if (count == 0) return;
    if (threads_ == 1 || count == 1) {
        body(0, count);
        return;
    }
    runParallel(count, body);
}

#ifndef MOTIFORA_PLAIN_THREADS

// Normal builds keep a oneTBB arena for the pool's lifetime, so repeated loops reuse its workers.
struct WorkerPool::Arena {
    explicit Arena(int32_t threads) : arena(threads) {}
    tbb::task_arena arena;
};

// The workers of every arena come from one shared set; the limit bounds that set, so that arenas
// nested in each other's loops never run more threads together than the limit.
struct WorkerPool::ThreadLimit::Control {
    explicit Control(int32_t threads)
        : control(tbb::global_control::max_allowed_parallelism, static_cast<size_t>(threads)) {}
    tbb::global_control control;
};

WorkerPool::WorkerPool(int32_t threads)
    : threads_(capped(threads)), arena_(std::make_unique<Arena>(threads_)) {}

WorkerPool::~WorkerPool() = default;

namespace {

// Set while the thread runs a body of some pool's loop.
thread_local bool inPoolLoop = false;

}  // namespace

void WorkerPool::runParallel(size_t count, const std::function<void(size_t, size_t)>& body) {
    const auto loop = [&] {
        tbb::parallel_for(tbb::blocked_range<size_t>(0, count, 1),
                          [&](const tbb::blocked_range<size_t>& r) {
                              const bool outer = inPoolLoop;
                              inPoolLoop = true;
                              try {
                                  body(r.begin(), r.end());
                              } catch (...) {
                                  inPoolLoop = outer;
                                  throw;
                              }
                              inPoolLoop = outer;
                          });
    };
    if (inPoolLoop) {
        // A loop inside another pool's loop (a fold's search inside the folds) runs in the arena
        // of the outer loop, so that a thread the outer loop has no more work for helps it
        // rather than idling in its own arena. Isolated: while it waits for its own loop, the
        // calling thread takes none of the outer loop's work.
        tbb::this_task_arena::isolate(loop);
        return;
    }
    arena_->arena.execute(loop);
}

#else

// ThreadSanitizer builds start plain threads for each loop and join them: the checker cannot see
// the hand-offs inside the uninstrumented oneTBB library and would report them as races, while
// it sees thread start and join. The loop bodies, where races of our own would live, run on
// real concurrent threads all the same.
struct WorkerPool::Arena {};

// Plain threads are started by the pools themselves, each at most the limit.
struct WorkerPool::ThreadLimit::Control {
    explicit Control(int32_t) {}
};

WorkerPool::WorkerPool(int32_t threads) : threads_(capped(threads)) {}

WorkerPool::~WorkerPool() = default;

void WorkerPool::runParallel(size_t count, const std::function<void(size_t, size_t)>& body) {
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    const auto work = [&] {
        for (size_t i = next.fetch_add(1); i < count; i = next.fetch_add(1)) {
            try {
                body(i, i + 1);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureMutex);
                if (!failure) failure = std::current_exception();
            }
        }
    };
    const size_t helpers = std::min(static_cast<size_t>(threads_), count) - 1;
    std::vector<std::thread> workers;
    workers.reserve(helpers);
    for (size_t t = 0; t < helpers; ++t) workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();
    if (failure) std::rethrow_exception(failure);
}

#endif

WorkerPool::ThreadLimit::ThreadLimit(int32_t threads)
    : previous_(limitInForce.load()), control_(std::make_unique<Control>(std::max(threads, 1))) {
    limitInForce.store(capped(threads));
}

WorkerPool::ThreadLimit::~ThreadLimit() { limitInForce.store(previous_); }

}  // namespace motifora
