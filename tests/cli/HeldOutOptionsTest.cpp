// The held-out options of motifora-cli: folds and seed, the level rule, the outputs, and the
// refusals of combinations that cannot work.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "cli/BatchOptions.h"
#include "cli/ExitCode.h"

namespace motifora {
namespace {

using ::testing::HasSubstr;

using test::parse;

TEST(HeldOutOptions, FoldsSeedAndLevelRule) {
    const ParseOutcome p =
        parse({"--positive", "a.seq", "--negative", "b.seq", "--cross-validate", "10,42",
               "--wanted-first-error", "0,1", "--scores", "s.tsv", "--evaluation-report", "r"});
    ASSERT_TRUE(p.run) << p.err;
    EXPECT_EQ(p.options.crossValidateFolds, 10);
    EXPECT_EQ(p.options.crossValidateSeed, 42u);
    EXPECT_EQ(p.options.wantedFirstError, "0,1");
    EXPECT_FALSE(p.options.balanced);
    EXPECT_EQ(p.options.scores, "s.tsv");
    EXPECT_EQ(p.options.evaluationReport, "r");

    const ParseOutcome q = parse(
        {"--positive", "a.seq", "--negative", "b.seq", "--cross-validate", "5", "--balanced"});
    ASSERT_TRUE(q.run) << q.err;
    EXPECT_EQ(q.options.crossValidateFolds, 5);
    EXPECT_EQ(q.options.crossValidateSeed, 1u);  // the default seed
    EXPECT_TRUE(q.options.balanced);
}

TEST(HeldOutOptions, WithoutThemNothingHeldOutRuns) {
    const ParseOutcome p = parse({"--positive", "a.seq"});
    ASSERT_TRUE(p.run) << p.err;
    EXPECT_FALSE(p.options.crossValidateFolds);
    EXPECT_TRUE(p.options.scores.empty());
    EXPECT_TRUE(p.options.evaluationReport.empty());
}

TEST(HeldOutOptions, RefusalsNameTheOption) {
    struct Case {
        std::vector<std::string> arguments;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{"--cross-validate", "1"}, "--cross-validate"},
        {{"--cross-validate", "five"}, "--cross-validate"},
        {{"--cross-validate", "5,x"}, "seed"},
        {{"--cross-validate", "5,1,2"}, "--cross-validate"},
        {{"--cross-validate", "5", "--wanted-first-error", "1.5"}, "--wanted-first-error"},
        {{"--cross-validate", "5", "--wanted-first-error", "0.1", "--balanced"}, "exclude"},
        {{"--balanced"}, "give --cross-validate"},
        {{"--wanted-first-error", "0.1"}, "give --cross-validate"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments{"--positive", "a.seq", "--negative", "b.seq"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const ParseOutcome p = parse(arguments);
        EXPECT_FALSE(p.run) << c.says;
        EXPECT_EQ(p.exitCode, kExitBadArguments) << c.says;
        EXPECT_THAT(p.err, HasSubstr(c.says));
    }
    const ParseOutcome noNegatives = parse({"--positive", "a.seq", "--cross-validate", "5"});
    EXPECT_EQ(noNegatives.exitCode, kExitBadArguments);
    EXPECT_THAT(noNegatives.err, HasSubstr("--negative"));
}

}  // namespace
}  // namespace motifora
