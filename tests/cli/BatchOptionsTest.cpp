// Reading the command line of motifora-cli: settings kept as typed, every refusal with exit code
// 2 and the usage line, stage and class lists, the bootstrap triple, help and version.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandLine.h"
#include "cli/BatchOptions.h"
#include "cli/ExitCode.h"
#include "version/Version.h"

namespace motifora {
namespace {

using ::testing::HasSubstr;

using test::parse;

TEST(BatchOptionsTest, PositiveAloneRunsWithTheWindowsOwnSettings) {
    const ParseOutcome p = parse({"--positive", "a.seq"});
    ASSERT_TRUE(p.run) << p.err;
    const BatchOptions& o = p.options;
    EXPECT_EQ(o.positive, "a.seq");
    // Nothing is typed into the window unless asked: its defaults (or a project's) stay.
    EXPECT_FALSE(o.confidence || o.cp || o.finish || o.sub || o.width || o.shiftMode);
    EXPECT_FALSE(o.idealizationType || o.source || o.arrange || o.stages || o.classes);
    EXPECT_EQ(o.bootstrapPercent, "10");
    EXPECT_EQ(o.bootstrapIterations, "1");
    EXPECT_EQ(o.bootstrapError, "0");
    for (int32_t s = 0; s < kStageCount; ++s) {
        EXPECT_TRUE(o.stageWanted(static_cast<Stage>(s)));
        EXPECT_FALSE(o.stageRequested(static_cast<Stage>(s)));
    }
}

TEST(BatchOptionsTest, SettingsAreKeptAsTypedWithEitherSeparator) {
    const ParseOutcome p = parse({"--positive",
                                  "a.seq",
                                  "--confidence",
                                  "0.001",
                                  "--cp",
                                  "0,75",
                                  "--finish",
                                  "40",
                                  "--sub",
                                  "7",
                                  "--mode",
                                  "shift",
                                  "--width",
                                  "12",
                                  "--idealization",
                                  "both",
                                  "--source",
                                  "rules",
                                  "--arrange",
                                  "--level",
                                  "12,5",
                                  "--threads",
                                  "3",
                                  "--seed",
                                  "4294967295",
                                  "--positive-side",
                                  "learning"});
    ASSERT_TRUE(p.run) << p.err;
    const BatchOptions& o = p.options;
    EXPECT_EQ(*o.confidence, "0.001");
    EXPECT_EQ(*o.cp, "0,75");
    EXPECT_EQ(*o.finish, "40");
    EXPECT_EQ(*o.sub, "7");
    EXPECT_TRUE(*o.shiftMode);
    EXPECT_EQ(*o.width, "12");
    EXPECT_EQ(*o.idealizationType, IdealizationType::kDeletingInserting);
    EXPECT_EQ(*o.source, IdealizationSource::kRules);
    EXPECT_TRUE(*o.arrange);
    EXPECT_EQ(*o.level, "12,5");
    EXPECT_EQ(*o.threads, 3);
    EXPECT_EQ(*o.seed, 4294967295u);
    EXPECT_EQ(*o.positiveSide, SampleSide::kLearning);
}

TEST(BatchOptionsTest, UserNumbersReadWithPointOrComma) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {{"0.05", true, 0.05},  {"0,05", true, 0.05},    {" 1 ", true, 1.0},
                 {"-2,5", true, -2.5},  {"1e-3", true, 0.001},   {"abc", false, 0.0},
                 {"0.0.1", false, 0.0}, {"1,000.5", false, 0.0}, {"", false, 0.0}};
    for (const Case& c : cases) {
        double value = -99.0;
        EXPECT_EQ(readUserReal(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        }
    }
}

// Every refusal: exit code 2, a message naming the problem, and the usage line.
TEST(BatchOptionsTest, MessagesInTheProgramsOwnWordsOrInEnglish) {
    EXPECT_EQ(parse({"--positive", "a.seq"}).options.lang, "ru");
    const ParseOutcome english = parse({"--positive", "a.seq", "--lang", "en"});
    ASSERT_TRUE(english.run) << english.err;
    EXPECT_EQ(english.options.lang, "en");
    EXPECT_EQ(parse({"--positive", "a.seq", "--lang", "ru"}).options.lang, "ru");
}

TEST(BatchOptionsTest, BadArgumentsAreRefusedWithTheUsageLine) {
    struct Case {
        std::vector<std::string> arguments;
        const char* fragment;
    } cases[] = {
        {{"--positive", "a.seq", "--confidence", "1.5"}, "--confidence: \"1.5\""},
        {{"--positive", "a.seq", "--confidence", "abc"}, "--confidence: \"abc\""},
        {{"--positive", "a.seq", "--cp", "-0,1"}, "--cp"},
        {{"--positive", "a.seq", "--finish", "1"}, "--finish: \"1\" is not a whole number above 1"},
        {{"--positive", "a.seq", "--finish", "5.5"}, "--finish"},
        {{"--positive", "a.seq", "--sub", "0"}, "--sub"},
        {{"--positive", "a.seq", "--sub", "2147483647"}, "--sub: \"2147483647\" is more than"},
        {{"--positive", "a.seq", "--finish", "1000001"}, "--finish: \"1000001\" is more than"},
        {{"--positive", "a.seq", "--width", "2"}, "--width: \"2\" is not a whole number above 2"},
        {{"--positive", "a.seq", "--first-error", "1,2"}, "--first-error"},
        {{"--positive", "a.seq", "--level", "high"}, "--level"},
        {{"--positive", "a.seq", "--threads", "0"}, "--threads"},
        {{"--positive", "a.seq", "--lang", "fr"}, "--lang"},
        {{"--positive", "a.seq", "--seed", "-1"}, "--seed"},
        {{"--positive", "a.seq", "--seed", "4294967296"}, "--seed"},
        {{"--positive", "a.seq", "--bootstrap", "0,1"}, "percentage"},
        {{"--positive", "a.seq", "--bootstrap", "100,1"}, "percentage"},
        {{"--positive", "a.seq", "--bootstrap", "10,0"}, "iterations"},
        {{"--positive", "a.seq", "--bootstrap", "10,1,2"}, "first-level error"},
        {{"--positive", "a.seq", "--bootstrap", "10"}, "PERCENT,ITERATIONS"},
        {{"--positive", "a.seq", "--mode", "diagonal"}, "--mode"},
        {{"--positive", "a.seq", "--idealization", "merging"}, "--idealization"},
        {{"--positive", "a.seq", "--stages", "search,cook"}, "\"cook\" is not a stage"},
        {{"--positive", "a.seq", "--stages", "none,search"}, "\"none\" is not a stage"},
        {{"--positive", "a.seq", "--classes", "1,3"}, "leaves gaps"},
        {{"--positive", "a.seq", "--classes", "0"}, "--classes"},
        {{"--positive", "a.seq", "--classes", "4-2"}, "--classes"},
        {{"--positive", "a.seq", "--classes", ",2"},
         "--classes: \"\" is not a class number (1, 2, ...) or a range (2-4)"},
        {{"--positive", "a.seq", "--classes", "1-1000002"}, "\"1-1000002\" is not a class number"},
        {{"--positive", "a.seq", "--level", "3", "--first-error", "0.1"}, "exclude each other"},
        {{"--positive", "a.seq", "--arrange", "--no-arrange"}, "exclude each other"},
        {{"--positive", "a.seq", "--colour", "red"}, "--colour"},
        {{"--positive", "a.seq", "stray"}, "stray"},
        {{}, "nothing to work on"},
        {{"--open", "p.dnp", "--positive", "a.seq"}, "only one of them"},
        {{"--positive", "a.seq", "--control-positive", "c.seq"}, "needs --control-negative"},
        {{"--positive", "a.seq", "--mode", "shift", "--control-negative", "n.seq",
          "--control-positive", "c.seq"},
         "shift-positions mode"},
        {{"--positive", "a.seq", "--stages", "search,classify"}, "stage classify needs"},
        {{"--positive", "a.seq", "--control-negative", "n.seq", "--stages", "bootstrap"},
         "stage bootstrap needs a learning negative"},
        {{"--positive", "a.seq", "--mode", "shift", "--control-negative", "n.seq", "--stages",
          "errors"},
         "shift-positions mode"},
        {{"--positive", "a.seq", "--positive-side", "control"}, "--control-positive"},
        {{"--positive", "a.seq", "--negative-side", "learning"}, "needs --negative"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const auto& a : c.arguments) shown += a + " ";
        const ParseOutcome p = parse(c.arguments);
        EXPECT_FALSE(p.run) << shown;
        EXPECT_EQ(p.exitCode, kExitBadArguments) << shown;
        EXPECT_THAT(p.err, HasSubstr(c.fragment)) << shown << "\n" << p.err;
        EXPECT_THAT(p.err, HasSubstr(kUsageLine)) << shown;
        EXPECT_TRUE(p.out.empty()) << shown;
    }
}

TEST(BatchOptionsTest, StageListsRunInTheirOwnOrder) {
    const ParseOutcome p = parse({"--positive", "a.seq", "--control-negative", "n.seq", "--stages",
                                  "recognize, search,search"});
    ASSERT_TRUE(p.run) << p.err;
    EXPECT_TRUE(p.options.stageRequested(Stage::Search));
    EXPECT_TRUE(p.options.stageRequested(Stage::Recognize));
    EXPECT_FALSE(p.options.stageWanted(Stage::Idealize));
    EXPECT_FALSE(p.options.stageWanted(Stage::Bootstrap));

    const ParseOutcome none = parse({"--positive", "a.seq", "--stages", "none"});
    ASSERT_TRUE(none.run) << none.err;
    for (int32_t s = 0; s < kStageCount; ++s)
        EXPECT_FALSE(none.options.stageWanted(static_cast<Stage>(s)));
}

TEST(BatchOptionsTest, ClassListsFormOneBlock) {
    struct Case {
        const char* text;
        int32_t first, last;
    } cases[] = {{"3", 3, 3},
                 {"2-4", 2, 4},
                 {"4,2,3", 2, 4},
                 {"1-2,3", 1, 3},
                 {"2,2", 2, 2},
                 {"+2-+3,", 2, 3},
                 {" 1-3,2", 1, 3},
                 {"5-9,1-4", 1, 9},
                 {"1-1000001", 1, 1000001},
                 {"1-1000001,1000001-2000001", 1, 2000001}};
    for (const Case& c : cases) {
        const ParseOutcome p = parse({"--positive", "a.seq", "--classes", c.text});
        ASSERT_TRUE(p.run) << c.text << ": " << p.err;
        EXPECT_EQ(p.options.classes->first, c.first) << c.text;
        EXPECT_EQ(p.options.classes->second, c.last) << c.text;
    }
}

TEST(BatchOptionsTest, BootstrapErrorMayCarryADecimalComma) {
    struct Case {
        const char* text;
        const char* percent;
        const char* iterations;
        const char* error;
    } cases[] = {{"20,3", "20", "3", "0"},
                 {"20,3,0.25", "20", "3", "0.25"},
                 {"20,3,0,25", "20", "3", "0,25"},
                 {"5, 2, 1", "5", "2", "1"}};
    for (const Case& c : cases) {
        const ParseOutcome p = parse({"--positive", "a.seq", "--bootstrap", c.text});
        ASSERT_TRUE(p.run) << c.text << ": " << p.err;
        EXPECT_EQ(p.options.bootstrapPercent, c.percent) << c.text;
        EXPECT_EQ(p.options.bootstrapIterations, c.iterations) << c.text;
        EXPECT_EQ(p.options.bootstrapError, c.error) << c.text;
    }
}

TEST(BatchOptionsTest, ProjectAloneNeedsNoSamples) {
    const ParseOutcome p = parse({"--open", "p.dnp", "--stages", "classify,errors",
                                  "--positive-side", "control", "--report", "r.html"});
    // Whether the project holds the samples is known only once it is read.
    ASSERT_TRUE(p.run) << p.err;
    EXPECT_EQ(p.options.open, "p.dnp");
    EXPECT_EQ(p.options.report, "r.html");
}

TEST(BatchOptionsTest, HelpAndVersionGoToStandardOutput) {
    const ParseOutcome help = parse({"--help"});
    EXPECT_FALSE(help.run);
    EXPECT_EQ(help.exitCode, kExitSuccess);
    EXPECT_TRUE(help.err.empty());
    for (const char* option : {"--positive",
                               "--negative",
                               "--control-negative",
                               "--control-positive",
                               "--open",
                               "--mode",
                               "--width",
                               "--confidence",
                               "--cp",
                               "--finish",
                               "--sub",
                               "--idealization",
                               "--source",
                               "--arrange",
                               "--stages",
                               "--classes",
                               "--level",
                               "--first-error",
                               "--positive-side",
                               "--negative-side",
                               "--bootstrap",
                               "--seed",
                               "--threads",
                               "--save",
                               "--export-text",
                               "--report",
                               "--json",
                               "--quiet",
                               "--version",
                               "Exit codes"})
        EXPECT_THAT(help.out, HasSubstr(option)) << option;

    const ParseOutcome version = parse({"--version"});
    EXPECT_FALSE(version.run);
    EXPECT_EQ(version.exitCode, kExitSuccess);
    EXPECT_EQ(version.out.rfind("motifora-cli ", 0), 0u) << version.out;
}

TEST(BatchOptionsTest, VersionIsTheSharedVersionText) {
    // The about box shows the same versionText(): one version for both programs.
    const ParseOutcome version = parse({"--version"});
    std::string out = version.out;
    while (!out.empty() && out.back() == '\n') out.pop_back();
    EXPECT_EQ(out, "motifora-cli " + versionText());
    EXPECT_THAT(out, HasSubstr(projectVersion()));
}

}  // namespace
}  // namespace motifora
