// --contrast on the command line: taken with a learning negative sample, refused without.
#include <gtest/gtest.h>

#include "cli/BatchOptions.h"

namespace motifora {
namespace {

ParseOutcome parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "motifora-cli");
    return parseArguments(arguments);
}

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
    EXPECT_NE(p.err.find("--contrast needs a learning negative sample"), std::string::npos)
        << p.err;
}

TEST(ContrastOptions, TuningNeedsTheContrastAndItsFolds) {
    const ParseOutcome p = parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast",
                                  "--cross-validate", "5", "--contrast-tune"});
    ASSERT_TRUE(p.run) << p.err;
    EXPECT_TRUE(p.options.contrastTune);
    const ParseOutcome q =
        parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast", "--contrast-tune"});
    EXPECT_FALSE(q.run);
    EXPECT_NE(q.err.find("--contrast-tune"), std::string::npos) << q.err;
}

}  // namespace
}  // namespace motifora
