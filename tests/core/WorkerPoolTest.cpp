#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/WorkerPool.h"
#include "support/OneCore.h"

namespace motifora {
namespace {

TEST(WorkerPool, EveryIndexRunsExactlyOnceAndItsWritesAreSeenAfterwards) {
    for (int32_t threads : {1, 2, 4}) {
        WorkerPool pool(threads);
        for (size_t count : {size_t{0}, size_t{1}, size_t{7}, size_t{1000}}) {
            std::vector<int32_t> seen(count, 0);  // plain writes, read after run() returns
            pool.run(count, [&](size_t begin, size_t end) {
                ASSERT_LE(begin, end);
                ASSERT_LE(end, count);
                for (size_t i = begin; i < end; ++i) seen[i] += static_cast<int32_t>(i) + 1;
            });
            for (size_t i = 0; i < count; ++i)
                ASSERT_EQ(seen[i], static_cast<int32_t>(i) + 1)
                    << threads << " threads, index " << i;
        }
    }
}

TEST(WorkerPool, AnExceptionOfABodyReachesTheCaller) {
    WorkerPool pool(2);
    std::atomic<int32_t> calls{0};
    EXPECT_THROW(pool.run(50,
                          [&](size_t begin, size_t end) {
                              for (size_t i = begin; i < end; ++i) {
                                  ++calls;
                                  if (i == 17) throw std::runtime_error("index 17");
                              }
                          }),
                 std::runtime_error);
    EXPECT_GE(calls.load(), 1);
    // The pool stays usable after a failed loop.
    std::atomic<size_t> total{0};
    pool.run(10, [&](size_t begin, size_t end) { total += end - begin; });
    EXPECT_EQ(total.load(), 10u);
}

TEST(WorkerPool, ForEachVisitsEveryIndexAndThreadsForFollowsTheSetting) {
    WorkerPool pool(2);
    std::vector<std::atomic<int32_t>> visits(300);
    pool.forEach(visits.size(), [&](size_t i) { ++visits[i]; });
    for (size_t i = 0; i < visits.size(); ++i) ASSERT_EQ(visits[i].load(), 1) << i;
    EXPECT_EQ(WorkerPool::threadsFor(3), 3);
    EXPECT_GE(WorkerPool::threadsFor(0), 1);
    EXPECT_EQ(WorkerPool::threadsFor(-2), WorkerPool::threadsFor(0));
}

TEST(WorkerPool, AThreadLimitCapsEveryPoolAndEndsWithItsObject) {
    ASSERT_EQ(WorkerPool::threadLimit(), 0);
    const int32_t cores = WorkerPool::threadsFor(0);
    {
        const WorkerPool::ThreadLimit limit(1);
        EXPECT_EQ(WorkerPool::threadLimit(), 1);
        // Asked for every core, for several threads, or for a pool outright: one thread.
        for (int32_t requested : {0, 1, 2, 8}) EXPECT_EQ(WorkerPool::threadsFor(requested), 1);
        EXPECT_EQ(WorkerPool(8).threads(), 1);
        {
            // Limits nest; the smallest holds.
            const WorkerPool::ThreadLimit wider(3);
            EXPECT_EQ(WorkerPool::threadsFor(0), 1);
            EXPECT_EQ(WorkerPool(2).threads(), 1);
        }
        // A pool of one thread runs every index on the caller's thread.
        WorkerPool pool(WorkerPool::threadsFor(0));
        const std::thread::id caller = std::this_thread::get_id();
        std::atomic<int32_t> elsewhere{0};
        pool.forEach(64, [&](size_t) {
            if (std::this_thread::get_id() != caller) ++elsewhere;
        });
        EXPECT_EQ(elsewhere.load(), 0);
    }
    EXPECT_EQ(WorkerPool::threadLimit(), 0);
    EXPECT_EQ(WorkerPool::threadsFor(0), cores);
    {
        const WorkerPool::ThreadLimit limit(2);
        EXPECT_EQ(WorkerPool::threadsFor(5), 2);
        EXPECT_EQ(WorkerPool::threadsFor(1), 1);
        EXPECT_EQ(WorkerPool(4).threads(), 2);
    }
    EXPECT_EQ(WorkerPool(4).threads(), 4);
}

TEST(WorkerPool, EveryCoreMeansTheCoresTheProcessMayRunOn) {
    // A thread pinned to one core (as taskset pins a program) plans for that core alone.
    test::OneCore one;
    ASSERT_TRUE(one.pinned());
    const int32_t pinnedCores = WorkerPool::availableCores();
    const int32_t pinnedThreads = WorkerPool::threadsFor(0);
    ASSERT_TRUE(one.release());
    EXPECT_EQ(WorkerPool::availableCores(), one.originalCores());
    EXPECT_EQ(pinnedCores, 1);
    EXPECT_EQ(pinnedThreads, 1);
    EXPECT_EQ(WorkerPool::threadsFor(0), one.originalCores());
}

}  // namespace
}  // namespace motifora
