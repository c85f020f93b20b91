// Tests of the worker thread wrapper: stack size, one thread at a time, refusals.
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <cstdint>

#include "workspace/WorkerThread.h"

namespace motifora {
namespace {

TEST(WorkerThreadTest, RunsTheBodyWithTheRequestedStack) {
    WorkerThread worker;
    std::size_t stack = 0;
    bool current = false;
    ASSERT_TRUE(worker.start([&] {
        pthread_attr_t attributes;
        if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
            pthread_attr_getstacksize(&attributes, &stack);
            pthread_attr_destroy(&attributes);
        }
        current = worker.isCurrent();
        worker.join();  // a worker cannot wait for itself: must return at once
    }));
    EXPECT_TRUE(worker.joinable());
    worker.join();
    EXPECT_FALSE(worker.joinable());
    EXPECT_GE(stack, WorkerThread::kStackSize);
    EXPECT_LT(stack, 2 * WorkerThread::kStackSize);
    EXPECT_TRUE(current);
    EXPECT_FALSE(worker.isCurrent());
}

TEST(WorkerThreadTest, OneThreadUntilJoined) {
    WorkerThread worker;
    std::atomic<int> runs{0};
    ASSERT_TRUE(worker.start([&] { ++runs; }));
    EXPECT_FALSE(worker.start([&] { runs += 10; }));
    worker.join();
    EXPECT_EQ(runs.load(), 1);
    ASSERT_TRUE(worker.start([&] { ++runs; }));
    worker.join();
    EXPECT_EQ(runs.load(), 2);
}

TEST(WorkerThreadTest, ImpossibleStackIsRefused) {
    WorkerThread worker;
    bool ran = false;
    EXPECT_FALSE(worker.start([&] { ran = true; }, SIZE_MAX / 2));
    EXPECT_FALSE(worker.joinable());
    worker.join();
    EXPECT_FALSE(ran);
}

TEST(WorkerThreadTest, JoinWithoutThreadDoesNothing) {
    WorkerThread worker;
    worker.join();
    EXPECT_FALSE(worker.joinable());
}

}  // namespace
}  // namespace motifora
