// --contrast on the command line: taken with a learning negative sample, refused without.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "cli/BatchOptions.h"

namespace motifora {
namespace {

using ::testing::HasSubstr;

using test::parse;

TEST(ContrastOptions, TakenWithNegativesOrAProject) {
    const ParseOutcome p = parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast"});
    ASSERT_TRUE(p.run) << p.err;
    EXPECT_TRUE(p.options.contrast);
    EXPECT_TRUE(parse({"--open", "p.dnp", "--contrast"}).run);
    EXPECT_FALSE(parse({"--positive", "a.seq", "--negative", "b.seq"}).options.contrast);
}

TEST(ContrastOptions, RefusedWithoutALearningNegativeSample) {
    const ParseOutcome p = parse({"--positive", "a.seq", "--contrast"});
    EXPECT_FALSE(p.run);
    EXPECT_THAT(p.err, HasSubstr("--contrast needs a learning negative sample"));
}

TEST(ContrastOptions, TuningNeedsTheContrastAndItsFolds) {
    const ParseOutcome p = parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast",
                                  "--cross-validate", "5", "--contrast-tune"});
    ASSERT_TRUE(p.run) << p.err;
    EXPECT_TRUE(p.options.contrastTune);
    const ParseOutcome q =
        parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast", "--contrast-tune"});
    EXPECT_FALSE(q.run);
    EXPECT_THAT(q.err, HasSubstr("--contrast-tune"));
}

}  // namespace
}  // namespace motifora
