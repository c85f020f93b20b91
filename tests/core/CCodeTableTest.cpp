// Tests of the code table.
#include "core/CCodeTable.h"

#include <gtest/gtest.h>

namespace motifora {
namespace {

std::vector<Sequence> records(std::initializer_list<const char*> texts) {
    std::vector<Sequence> out;
    for (const char* t : texts) {
        Sequence s;
        s.assign(t, "r", 1);
        out.push_back(s);
    }
    return out;
}

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

TEST(CCodeTable, NeverMoreThan256Entries) {
    CCodeTable table;
    for (int b = 0; b < 256; ++b) table.addLetter(static_cast<unsigned char>(b));
    // Upper and lower case letters share entries, so 256 bytes give 230 entries.
    EXPECT_EQ(table.size(), 230);
    EXPECT_EQ(table.letterOf(table.codeOf('z')), 'Z');
}

}  // namespace
}  // namespace motifora
