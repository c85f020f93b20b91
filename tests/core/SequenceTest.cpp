// Tests of the sample record.
#include <gtest/gtest.h>

#include <type_traits>

#include "core/Sequence.h"

namespace motifora {
namespace {

// Samples are vectors of records: a growing vector must move them, never copy them.
static_assert(std::is_nothrow_move_constructible_v<Sequence>);
static_assert(std::is_nothrow_move_assignable_v<Sequence>);
static_assert(std::is_copy_constructible_v<Sequence>);

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
