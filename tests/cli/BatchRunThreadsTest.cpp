// A batch run's --threads in process: the limit it holds for the whole run, and the thread count
// the workspace hands to the folds of a cross-validation.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "cli/BatchRun.h"
#include "cli/ExitCode.h"
#include "core/WorkerPool.h"
#include "support/TempDir.h"
#include "workspace/TMainManager.h"

namespace motifora {
namespace {

TEST(BatchRunThreadsTest, ThreadsBoundEveryPoolUntilTheRunEnds) {
    const test::TempDir dir("motifora-batch-threads");
    const std::string positive = dir.write("p.seq", ">a;ACGTACGT\n>b;ACGTTCGT\n>c;TCGTACGA\n");
    const int32_t cores = WorkerPool::availableCores();
    const struct {
        std::vector<std::string> threads;
        int32_t limit;  // held while the run lives; 0: none
        int32_t folds;  // the thread count of a cross-validation's folds (0: every core)
    } cases[] = {{{"--threads", "1"}, 1, 1}, {{"--threads", "2"}, 2, 2}, {{}, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.threads.empty() ? "no --threads" : "--threads " + c.threads[1]);
        std::vector<std::string> arguments{"--positive", positive, "--stages", "none"};
        arguments.insert(arguments.end(), c.threads.begin(), c.threads.end());
        const ParseOutcome parsed = test::parse(arguments);
        ASSERT_TRUE(parsed.run) << parsed.err;
        std::ostringstream out, err;
        {
            BatchRun run(parsed.options, out, err);
            ASSERT_EQ(run.run(), kExitSuccess) << err.str();
            EXPECT_EQ(WorkerPool::threadLimit(), c.limit);
            EXPECT_EQ(WorkerPool::threadsFor(0), c.limit > 0 ? std::min(c.limit, cores) : cores);
            EXPECT_EQ(WorkerPool(8).threads(), c.limit > 0 ? c.limit : 8);
            const CrossValidationSettings settings = run.manager().crossValidationDefaults();
            EXPECT_EQ(settings.threads, c.folds);
            EXPECT_EQ(settings.searchThreads, c.folds);
        }
        EXPECT_EQ(WorkerPool::threadLimit(), 0);
    }
}

}  // namespace
}  // namespace motifora
