// Tests of the code table.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "core/CCodeTable.h"
#include "support/Records.h"

namespace motifora {
namespace {

using test::records;

TEST(CCodeTable, CodesInOrderOfFirstAppearance) {
    auto recs = records({"TTAG", "CAGT"});
    CCodeTable table;
    EXPECT_TRUE(table.addLetters(recs.data(), 2));
    EXPECT_EQ(table.size(), 4);
    EXPECT_EQ(table.codeOf('T'), 0);
    EXPECT_EQ(table.codeOf('A'), 1);
    EXPECT_EQ(table.codeOf('G'), 2);
    EXPECT_EQ(table.codeOf('C'), 3);
    EXPECT_EQ(table.letterOf(3), 'C');
    EXPECT_EQ(table.letterOf(4), -1);  // the empty-position code is no letter
    EXPECT_EQ(table.letterOf(-1), -1);
}

TEST(CCodeTable, CaseInsensitiveFirstFormKept) {
    auto recs = records({"aA", "Cc"});
    CCodeTable table;
    table.addLetters(recs.data(), 2);
    EXPECT_EQ(table.size(), 2);
    EXPECT_EQ(table.codeOf('a'), 0);
    EXPECT_EQ(table.codeOf('A'), 0);
    EXPECT_EQ(table.letterOf(0), 'a');
    EXPECT_EQ(table.letterOf(1), 'C');
    EXPECT_EQ(table.codeOf('G'), -1);
}

TEST(CCodeTable, EmptySampleGivesEmptyTable) {
    CCodeTable table;
    EXPECT_TRUE(table.addLetters(nullptr, 0));
    EXPECT_EQ(table.size(), 0);
}

// The scan the lookup cache stands for: slots from 0, letters compared as one-character strings
// upper-cased in the C locale.
int32_t scanCodeOf(const CCodeTable& t, unsigned char letter) {
    auto upper = [](int b) { return (b >= 'a' && b <= 'z') ? b - 32 : b; };
    for (int32_t i = 0; i < t.letterCount; ++i) {
        if (upper(t.letters[static_cast<size_t>(i)]) == upper(letter)) {
            return t.letterCodes[static_cast<size_t>(i)];
        }
    }
    return -1;
}

TEST(CCodeTable, LookupEqualsTheScanOnGeneratedSamples) {
    const unsigned seed = 7122026;
    std::printf("seed %u\n", seed);
    std::mt19937 rng(seed);
    for (int round = 0; round < 200; ++round) {
        std::vector<Sequence> recs(1 + rng() % 4);
        const int span = 1 + static_cast<int>(rng() % 255);  // how much of the byte range
        for (Sequence& r : recs) {
            std::string text;
            for (int i = static_cast<int>(rng() % 30); i > 0; --i) {
                text.push_back(static_cast<char>(1 + rng() % static_cast<unsigned>(span)));
            }
            r.assign(text, "r", 1);
        }
        CCodeTable table;
        table.addLetters(recs.data(), static_cast<int32_t>(recs.size()));
        for (int b = 0; b < 256; ++b) {
            const auto letter = static_cast<unsigned char>(b);
            ASSERT_EQ(table.codeOf(letter), scanCodeOf(table, letter))
                << "round " << round << " byte " << b;
        }
        for (int32_t c = -1; c <= table.size(); ++c) {
            const int32_t l = table.letterOf(c);
            if (c < 0 || c == table.size()) {
                ASSERT_EQ(l, -1);
            } else {
                ASSERT_EQ(table.codeOf(static_cast<unsigned char>(l)), c);
            }
        }
    }
}

TEST(CCodeTable, OnlyAsciiLettersFoldCase) {
    CCodeTable table;
    table.addLetter(0xC0);  // a national upper-case letter in a single-byte code page
    table.addLetter(0xE0);  // its lower-case form there
    table.addLetter('z');
    EXPECT_EQ(table.size(), 3);
    EXPECT_EQ(table.codeOf(0xE0), 1);
    EXPECT_EQ(table.codeOf('Z'), 2);
    EXPECT_EQ(table.letterOf(2), 'z');
}

TEST(CCodeTable, SetEntriesFromASavedList) {
    CCodeTable table;
    const unsigned char saved[] = {'T', 'a', 'G', 'A'};
    ASSERT_TRUE(table.setEntries(saved, 4));
    EXPECT_EQ(table.size(), 4);
    EXPECT_EQ(table.codeOf('t'), 0);
    EXPECT_EQ(table.codeOf('A'), 1);  // the first equal slot wins, as in the scan
    EXPECT_EQ(table.letterOf(3), 'A');
    EXPECT_EQ(table.codeOf('C'), -1);
    table.addLetter('c');  // a table set from a list grows like any other
    EXPECT_EQ(table.codeOf('C'), 4);

    std::vector<unsigned char> tooMany(257, 'x');
    EXPECT_FALSE(table.setEntries(tooMany.data(), 257));
    EXPECT_FALSE(table.setEntries(saved, -1));
    EXPECT_EQ(table.size(), 5);  // a refused list leaves the table as it was
}

TEST(CCodeTable, FullTableRefusesFurtherLetters) {
    CCodeTable table;
    const std::vector<unsigned char> saved(256, 'x');  // a saved table may repeat letters
    ASSERT_TRUE(table.setEntries(saved.data(), 256));
    EXPECT_FALSE(table.addLetter('A'));
    Sequence s;
    s.assign("xA", "r", 1);
    EXPECT_FALSE(table.addLetters(&s, 1));
    EXPECT_EQ(table.size(), 256);
    EXPECT_EQ(table.codeOf('A'), -1);
    EXPECT_EQ(table.codeOf('X'), 0);
    table.clear();
    EXPECT_EQ(table.size(), 0);
    EXPECT_EQ(table.codeOf('x'), -1);
}

}  // namespace
}  // namespace motifora
