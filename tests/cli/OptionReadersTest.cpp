// The readers the main options and `scan` share: every "K[,SEED]", seed, whole number and real
// either command took before is taken, the rest refused in the words the commands print.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "cli/OptionReaders.h"

namespace motifora {
namespace {

TEST(OptionReaders, FoldsAndSeedTakeWhatEitherCommandTook) {
    const struct {
        const char* text;
        int32_t folds;
        uint64_t seed;
    } taken[] = {
        {"5", 5, 99},  // the seed stays as it was
        {"5,3", 5, 3},
        {" 5 , 3 ", 5, 3},  // blanks around the seed (main options)
        {"+5,0", 5, 0},
        {"2,9999999999999999999", 2, 9999999999999999999ULL},
        {"4,000000000000000000000042", 4, 42},  // leading zeros do not count as digits
    };
    for (const auto& c : taken) {
        int32_t folds = -1;
        uint64_t seed = 99;
        EXPECT_EQ(foldsAndSeedRefusal(c.text, folds, seed), "") << c.text;
        EXPECT_EQ(folds, c.folds) << c.text;
        EXPECT_EQ(seed, c.seed) << c.text;
    }
    const std::string notFolds = "\" is not K[,SEED] with K a whole number of at least 2";
    const std::string notSeed = "\" is not a whole number from 0 to 9999999999999999999";
    const struct {
        const char* text;
        std::string said;
    } refused[] = {
        {"1", "\"1" + notFolds},
        {"1,2", "\"1,2" + notFolds},
        {"five", "\"five" + notFolds},
        {"5,1,2", "\"5,1,2" + notFolds},
        {"", "\"" + notFolds},
        {"5,x", "the seed \"x" + notSeed},
        {"5,", "the seed \"" + notSeed},
        {"5,-1", "the seed \"-1" + notSeed},
        {"5,+1", "the seed \"+1" + notSeed},
        {"5,10000000000000000000", "the seed \"10000000000000000000" + notSeed},
    };
    for (const auto& c : refused) {
        int32_t folds = -1;
        uint64_t seed = 99;
        EXPECT_EQ(foldsAndSeedRefusal(c.text, folds, seed), c.said) << c.text;
        EXPECT_EQ(folds, -1) << c.text;
        EXPECT_EQ(seed, 99u) << c.text;
    }
}

TEST(OptionReaders, NumbersAndTheirRefusals) {
    double value = -1;
    EXPECT_EQ(realRefusal("--cp", "0,5", 0, 1, value), "");
    EXPECT_EQ(value, 0.5);
    EXPECT_EQ(realRefusal("--cp", " 1.0 ", 0, 1, value), "");
    EXPECT_EQ(value, 1.0);
    EXPECT_EQ(realRefusal("--cp", "1,5", 0, 1, value), "--cp: \"1,5\" is not a number from 0 to 1");
    EXPECT_EQ(realRefusal("--e", "x", 0.25, 2, value), "--e: \"x\" is not a number from 0.25 to 2");
    EXPECT_EQ(value, 1.0);
    // The level of a scan: a trailing blank is taken as the main options take it.
    EXPECT_EQ(numberRefusal("--level", "2,5 ", value), "");
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(numberRefusal("--level", "x1", value), "--level: \"x1\" is not a number");

    int32_t whole = -1;
    // Decimal only: "010" is ten (CLI11 alone read it as octal eight for scan --threads).
    EXPECT_EQ(wholeRefusal("--threads", "010", 1, 256, "a whole number from 1 to 256", whole), "");
    EXPECT_EQ(whole, 10);
    EXPECT_EQ(wholeRefusal("--threads", " +3 ", 1, 256, "r", whole), "");
    EXPECT_EQ(whole, 3);
    for (const char* text : {"0", "257", "0x10", "2.5", ""})
        EXPECT_EQ(wholeRefusal("--threads", text, 1, 256, "a whole number from 1 to 256", whole),
                  std::string("--threads: \"") + text + "\" is not a whole number from 1 to 256");
    EXPECT_EQ(whole, 3);
}

TEST(OptionReaders, SeedsAreDecimalDigitsUpToNineteenNines) {
    uint64_t seed = 7;
    EXPECT_TRUE(readSeed(" 0 ", seed));
    EXPECT_EQ(seed, 0u);
    EXPECT_TRUE(readSeed("0000", seed));
    EXPECT_EQ(seed, 0u);
    for (const char* text : {"", " ", "1e3", "1 2", "-0", "99999999999999999999"})
        EXPECT_FALSE(readSeed(text, seed)) << text;
    EXPECT_EQ(seed, 0u);
}

}  // namespace
}  // namespace motifora
