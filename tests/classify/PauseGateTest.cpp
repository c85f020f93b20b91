// The classificator passes the pause gate between accepted changes, from a worker thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ClassifyTestSupport.h"
#include "RecordedReports.h"
#include "classify/Classificator.h"

namespace motifora::testing {
namespace {

TEST(PauseGate, IdealizationWaitsAtTheGateAndFinishesAfterResume) {
    auto storage = makeStorage({"ACA", "AAA"});
    std::vector<std::unique_ptr<Rule>> rules;
    rules.push_back(makeRule(*storage, {{1, 1, 0}}, 2, {0.0, 0.75}));
    rules.push_back(makeRule(*storage, {{0, 1, 0}}, 2, {0.0, 0.75}));
    auto store = makeStore(std::move(rules), storage->width);

    // Records the status texts (one before the strategy, one per accepted change).
    test::RecordingSink sink;
    RunControl control;
    control.setRunning(true);
    control.close();
    IdealObjectArray classes;
    Classificator engine(&sink, &control);
    engine.Setup(storage.get(), store.get(), &classes, IdealizationType::kDeletingBegin);

    std::atomic<int32_t> result{-2};
    std::thread worker([&] { result = engine.IdealizeAndRegister(&storage->learnObjects[1], -1); });
    // The first change is shown, then the worker waits at the closed gate and does no more.
    while (!control.workerWaiting()) std::this_thread::yield();
    EXPECT_EQ(sink.count<ObjectIdealizing>(), 2u);
    EXPECT_EQ(result.load(), -2);
    control.open();
    worker.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(sink.count<ObjectIdealizing>(), 3u);  // two changes: A at positions 0 and 1 cleared
}

}  // namespace
}  // namespace motifora::testing
