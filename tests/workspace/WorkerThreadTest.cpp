// Tests of the worker thread wrapper: stack size, one thread at a time, refusals, and the
// signal of a body's end (the wait it wakes and its listener).
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <thread>

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

// A deadline that a correct wait never reaches: it is woken by the end long before.
WorkerThread::Clock::time_point never() {
    return WorkerThread::Clock::now() + std::chrono::hours(1);
}

TEST(WorkerThreadTest, TheWaitForTheEndIsWokenByTheBodysReturn) {
    WorkerThread worker;
    EXPECT_TRUE(worker.waitUntilReturned(WorkerThread::Clock::now()));  // nothing started
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> bodyDone{false};
    ASSERT_TRUE(worker.start([&] {
        released.wait();
        bodyDone = true;
    }));
    // Held inside its body: a wait whose deadline has passed finds it running.
    EXPECT_TRUE(worker.bodyRunning());
    EXPECT_FALSE(worker.waitUntilReturned(WorkerThread::Clock::now()));
    // A waiter on another thread sleeps until the body returns; nobody joins meanwhile.
    std::future<bool> woken =
        std::async(std::launch::async, [&] { return worker.waitUntilReturned(never()); });
    release.set_value();
    ASSERT_TRUE(woken.get());
    EXPECT_TRUE(bodyDone);  // everything the body did is seen by the woken waiter
    EXPECT_FALSE(worker.bodyRunning());
    EXPECT_TRUE(worker.joinable());  // returned, not yet joined
    worker.join();
    // The next body is waited for anew.
    ASSERT_TRUE(worker.start([&] { released.wait(); }));
    EXPECT_TRUE(worker.waitUntilReturned(never()));
    worker.join();
}

TEST(WorkerThreadTest, TheListenerRunsOnTheWorkerAfterEachBody) {
    WorkerThread worker;
    std::atomic<int> calls{0};
    std::atomic<bool> onWorker{true}, afterBody{true};
    std::atomic<int> bodies{0};
    worker.setReturnListener([&] {
        ++calls;
        if (!worker.isCurrent()) onWorker = false;
        if (bodies.load() != calls.load() || worker.bodyRunning()) afterBody = false;
    });
    for (int run = 1; run <= 3; ++run) {
        ASSERT_TRUE(worker.start([&] { ++bodies; }));
        worker.join();  // the listener runs before the thread ends
        EXPECT_EQ(calls.load(), run);
    }
    EXPECT_TRUE(onWorker);
    EXPECT_TRUE(afterBody);
}

TEST(WorkerThreadTest, AReplacedListenerIsNeverCalledAgain) {
    WorkerThread worker;
    std::atomic<int> first{0}, second{0};
    worker.setReturnListener([&] { ++first; });
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    ASSERT_TRUE(worker.start([&] { released.wait(); }));
    worker.setReturnListener([&] { ++second; });
    release.set_value();
    worker.join();
    EXPECT_EQ(first.load(), 0);
    EXPECT_EQ(second.load(), 1);
    // An empty listener: the end is still signalled to waiters.
    worker.setReturnListener(nullptr);
    ASSERT_TRUE(worker.start([] {}));
    EXPECT_TRUE(worker.waitUntilReturned(never()));
    worker.join();
    EXPECT_EQ(second.load(), 1);
}

}  // namespace
}  // namespace motifora
