// The discriminative rules' side file: written and read back bit for bit, named beside the
// project, and every damaged line refused with the file, the line and what is wrong.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <bit>
#include <filesystem>

#include "io/ContrastFile.h"
#include "support/TempDir.h"

namespace motifora {
namespace {

using ::testing::HasSubstr;

ContrastRules sample() {
    std::vector<Sequence> p(2), n(2);
    p[0].assign("TACGTA", "p1", 1);
    p[1].assign("TTCGAA", "p2", 1);
    n[0].assign("AACGTC", "n1", 1);
    n[1].assign("CACGAC", "n2", 1);
    ContrastSettings s;
    s.search.confidence = 1.0;
    s.search.cpThreshold = 0.0;
    return searchContrastRules(p, n, s, nullptr);
}

TEST(ContrastFile, RulesReadBackBitForBit) {
    const ContrastRules rules = sample();
    ASSERT_FALSE(rules.rules.empty());
    ContrastRules back;
    ASSERT_TRUE(ParseContrastRules(ContrastRulesText(rules), "x.dnp.contrast", back).ok);
    EXPECT_EQ(ContrastRulesText(back), ContrastRulesText(rules));
    ASSERT_EQ(back.rules.size(), rules.rules.size());
    EXPECT_EQ(back.positives, 2);
    EXPECT_EQ(back.width, rules.width);
    for (size_t i = 0; i < rules.rules.size(); ++i) {
        EXPECT_EQ(std::bit_cast<uint64_t>(back.rules[i].fisher),
                  std::bit_cast<uint64_t>(rules.rules[i].fisher));
        EXPECT_EQ(std::bit_cast<uint64_t>(back.rules[i].r),
                  std::bit_cast<uint64_t>(rules.rules[i].r));
        EXPECT_EQ(back.plainText(back.rules[i]), rules.plainText(rules.rules[i]));
    }
}

TEST(ContrastFile, SideFileNameFollowsTheProject) {
    EXPECT_EQ(ContrastSideFileName("out/p.dnp"), "out/p.dnp.contrast");
    EXPECT_EQ(ContrastSideFileName("out/p"), "out/p.dnp.contrast");
}

TEST(ContrastFile, DamagedLinesAreNamed) {
    const std::string good = ContrastRulesText(sample());
    const std::string head = good.substr(0, good.find("rule "));
    struct Case {
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"hello\n", "line 1: not a discriminative rules file"},
        {"motifora discriminative rules 1\n", "line 2: the sample line is missing"},
        {"motifora discriminative rules 1\npositives 1 negatives x\n", "line 2: expected"},
        {"motifora discriminative rules 1\npositives 1 negatives 1 width 3 letters AA\n",
         "line 2: the letters repeat"},
        // Found by fuzz_contrast_file: the heat map of such rules took gigabytes.
        {"motifora discriminative rules 1\npositives 53 negatives 5 width 14148882 letters 0\n",
         "line 2: the width 14148882 is more than the 1048576 positions"},
        {head + "rule 0.5 0.8\n", "line 3: expected a rule"},
        {head + "rule 0.5 0.8 1.5 1 1 1 1 1 1 1 0 1 0\n", "line 3: Fisher, CP and R"},
        {head + "rule 0.5 0.8 0.8 1 1 1 1 1 1 99 0 1 0\n", "line 3: the condition count 99"},
        {head + "rule 0.5 0.8 0.8 1 1 1 1 1 1 2 0 1 0\n", "line 3: condition 2 is missing"},
        {head + "rule 0.5 0.8 0.8 1 1 1 1 1 1 1 0 2 0\n", "line 3: condition 1 has a position"},
        {head + "rule 0.5 0.8 0.8 1 1 1 1 1 1 1 0 1 9\n", "line 3: condition 1 has a position"},
        {head + "rule 0.5 0.8 0.8 1 1 1 1 1 1 1 0 1 0 7\n", "line 3: unexpected text"},
    };
    for (const Case& c : cases) {
        ContrastRules rules = sample();
        const size_t before = rules.rules.size();
        const Status status = ParseContrastRules(c.text, "p.dnp.contrast", rules);
        EXPECT_FALSE(status.ok) << c.text;
        EXPECT_THAT(status.message, HasSubstr("p.dnp.contrast, " + c.expected));
        EXPECT_EQ(rules.rules.size(), before);  // left as it was
    }
    ContrastRules none;
    EXPECT_FALSE(ReadContrastRules("/nonexistent/folder/p.dnp.contrast", none).ok);
}

TEST(ContrastFile, OnlyARegularFileOfBoundedSizeIsRead) {
    test::TempDir folder;
    // A pipe with no writer would hold the open for ever; a sparse file of more than the
    // limit would be read whole into memory.
    const std::string pipe = folder / "pipe.dnp.contrast";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string sparse = folder / "sparse.dnp.contrast";
    std::filesystem::resize_file(folder.write("sparse.dnp.contrast", ""),
                                 kContrastMaxFileBytes + 1);
    const struct {
        std::string file;
        std::string said;
    } cases[] = {
        {pipe, "Cannot read \"" + pipe + "\": it is a pipe; only regular files are read."},
        {sparse, "\"" + sparse + "\" is " + std::to_string(kContrastMaxFileBytes + 1) +
                     " bytes long, more than the " + std::to_string(kContrastMaxFileBytes) +
                     " bytes a discriminative rules file may have."},
    };
    for (const auto& c : cases) {
        ContrastRules rules = sample();
        const Status status = ReadContrastRules(c.file, rules);
        EXPECT_FALSE(status.ok);
        EXPECT_EQ(status.message, c.said);
        EXPECT_EQ(status.file, c.file);
        EXPECT_FALSE(rules.rules.empty());  // left as it was
    }
}

}  // namespace
}  // namespace motifora
