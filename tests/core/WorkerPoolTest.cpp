#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "core/WorkerPool.h"

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

}  // namespace
}  // namespace motifora
