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

TEST(ContrastOptions, WeightsAreSumUnlessAsked) {
    EXPECT_EQ(
        parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast"}).options.contrastWeights,
        "sum");
    const ParseOutcome p = parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast",
                                  "--contrast-weights", "fitted-rules"});
    ASSERT_TRUE(p.run) << p.err;
    EXPECT_EQ(p.options.contrastWeights, "fitted-rules");
    EXPECT_FALSE(parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast",
                        "--contrast-weights", "odd"})
                     .run);
    const ParseOutcome q =
        parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast-weights", "fitted"});
    EXPECT_FALSE(q.run);
    EXPECT_THAT(q.err, HasSubstr("--contrast-weights weighs the rules of --contrast"));
}

TEST(ContrastOptions, ToleranceAndWordLengthShapeTheConditions) {
    const ParseOutcome plain = parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast"});
    EXPECT_TRUE(plain.options.contrastTolerances.empty());
    EXPECT_EQ(plain.options.contrastWordLength, 1);
    const ParseOutcome p = parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast",
                                  "--contrast-tolerance", "3", "--contrast-word", "2"});
    ASSERT_TRUE(p.run) << p.err;
    EXPECT_EQ(p.options.contrastTolerances, (std::vector<int32_t>{3}));
    EXPECT_EQ(p.options.contrastWordLength, 2);
    const ParseOutcome q =
        parse({"--positive", "a.seq", "--negative", "b.seq", "--contrast", "--cross-validate", "5",
               "--contrast-tune", "--contrast-tolerance", "0,2,4"});
    ASSERT_TRUE(q.run) << q.err;
    EXPECT_EQ(q.options.contrastTolerances, (std::vector<int32_t>{0, 2, 4}));
}

TEST(NegativeOptions, ShuffledNegativesWithTheirDefaults) {
    const ParseOutcome p = parse({"--positive", "a.seq", "--shuffled-negatives", "40",
                                  "--generated-negatives", "n.seq", "--contrast"});
    ASSERT_TRUE(p.run) << p.err;
    ASSERT_TRUE(p.options.generateNegatives);
    EXPECT_FALSE(p.options.generateNegatives->genome);
    EXPECT_EQ(p.options.generateNegatives->count, 40);
    EXPECT_EQ(p.options.generateNegatives->k, 2);
    EXPECT_EQ(p.options.generateNegatives->seed, 1u);
    EXPECT_EQ(p.options.generateNegatives->out, "n.seq");
    const ParseOutcome q = parse({"--positive", "a.seq", "--shuffled-negatives", "40,3,99",
                                  "--generated-negatives", "n.seq"});
    ASSERT_TRUE(q.run) << q.err;
    EXPECT_EQ(q.options.generateNegatives->k, 3);
    EXPECT_EQ(q.options.generateNegatives->seed, 99u);
}

TEST(NegativeOptions, GenomeWindowsWithCountAndSeed) {
    const ParseOutcome p =
        parse({"--positive", "a.seq", "--background-genome", "g.fa.gz", "--background-count", "200",
               "--background-seed", "5", "--generated-negatives", "n.seq"});
    ASSERT_TRUE(p.run) << p.err;
    ASSERT_TRUE(p.options.generateNegatives);
    EXPECT_TRUE(p.options.generateNegatives->genome);
    EXPECT_EQ(p.options.generateNegatives->genomePath, "g.fa.gz");
    EXPECT_EQ(p.options.generateNegatives->count, 200);
    EXPECT_EQ(p.options.generateNegatives->seed, 5u);
}

struct Refusal {
    std::vector<std::string> arguments;
    std::string says;
};

class NegativeRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(NegativeRefusals, SayWhatIsWrong) {
    const ParseOutcome p = parse(GetParam().arguments);
    EXPECT_FALSE(p.run);
    EXPECT_THAT(p.err, HasSubstr(GetParam().says));
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, NegativeRefusals,
    ::testing::Values(
        Refusal{{"--positive", "a.seq", "--shuffled-negatives", "40"}, "--generated-negatives"},
        Refusal{{"--positive", "a.seq", "--negative", "b.seq", "--shuffled-negatives", "4",
                 "--generated-negatives", "n.seq"},
                "give no --negative"},
        Refusal{
            {"--positive", "a.seq", "--shuffled-negatives", "0", "--generated-negatives", "n.seq"},
            "--shuffled-negatives: \"0\" is not a whole number of at least 1"},
        Refusal{{"--positive", "a.seq", "--shuffled-negatives", "5,x", "--generated-negatives",
                 "n.seq"},
                "--shuffled-negatives K"},
        Refusal{{"--positive", "a.seq", "--shuffled-negatives", "5,2,1,1", "--generated-negatives",
                 "n.seq"},
                "is not N[,K[,SEED]]"},
        Refusal{{"--positive", "a.seq", "--background-genome", "g.fa", "--generated-negatives",
                 "n.seq"},
                "--background-genome needs --background-count N"},
        Refusal{
            {"--positive", "a.seq", "--background-count", "5", "--generated-negatives", "n.seq"},
            "--background-count needs --background-genome"},
        Refusal{{"--positive", "a.seq", "--shuffled-negatives", "5", "--background-genome", "g.fa",
                 "--background-count", "5", "--generated-negatives", "n.seq"},
                "exclude each other"},
        Refusal{{"--positive", "a.seq", "--negative", "b.seq", "--generated-negatives", "n.seq"},
                "go with --shuffled-negatives or --background-genome"}));

// A refusal of the condition-shape options, given beside two samples.
Refusal shapeRefusal(std::vector<std::string> options, std::string says) {
    std::vector<std::string> arguments{"--positive", "a.seq", "--negative", "b.seq"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return {std::move(arguments), std::move(says)};
}

INSTANTIATE_TEST_SUITE_P(
    ConditionShapes, NegativeRefusals,
    ::testing::Values(
        shapeRefusal({"--contrast-tolerance", "2"}, "shape the rules of --contrast; give it"),
        shapeRefusal({"--contrast", "--contrast-tolerance", "0,2"},
                     "several values are candidates of an inner cross-validation"),
        shapeRefusal({"--contrast", "--contrast-tolerance", "-1"}, "--contrast-tolerance"),
        shapeRefusal({"--contrast", "--contrast-tolerance", "2,x"}, "a whole number from 0 to 50"),
        shapeRefusal({"--contrast", "--contrast-word", "4"},
                     "--contrast-word: \"4\" is not a whole number from 1 to 3")));

}  // namespace
}  // namespace motifora
