// Tests of the sample record.
#include <gtest/gtest.h>

#include "core/Sequence.h"

namespace motifora {
namespace {

TEST(Sequence, NewRecordIsEmpty) {
    const Sequence s;
    EXPECT_EQ(s.length, 0);
    EXPECT_EQ(s.startPosition, 0);
    EXPECT_TRUE(s.name.empty());
    EXPECT_TRUE(s.text.empty());
}

TEST(Sequence, AssignCopiesBothTextsAndCountsTheLetters) {
    std::string text = "acGT";
    std::string name = "prom1";
    Sequence s;
    EXPECT_EQ(s.assign(text, name, 1), 0);
    text[0] = 'X';  // the record holds its own copies
    name.clear();
    EXPECT_EQ(s.text, "acGT");
    EXPECT_EQ(s.name, "prom1");
    EXPECT_EQ(s.length, 4);
    EXPECT_EQ(s.startPosition, 1);
    EXPECT_EQ(s.assign("", "n", 7), 0);
    EXPECT_EQ(s.length, 0);
    EXPECT_EQ(s.startPosition, 7);
}

}  // namespace
}  // namespace motifora
