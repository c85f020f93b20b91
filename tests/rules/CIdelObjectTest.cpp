// Ideal objects: building from an object, full positions, text form and identity.
#include <gtest/gtest.h>

#include <type_traits>

#include "TestData.h"
#include "rules/CIdelObject.h"

namespace motifora {
namespace {

// Ideal objects live in vectors and are copied into the classes: moves must not throw.
static_assert(std::is_nothrow_move_constructible_v<CIdelObject>);
static_assert(std::is_copy_assignable_v<CIdelObject>);

TEST(CIdelObject, FromObjectWithEmptyAndForeignCodes) {
    SEQStorage s;
    testing::buildWhole(s, {"ACG"});
    SEQSElem object;
    object.allocate(4, 0);
    object.setCode(0, 0);
    object.setCode(2, 1);
    object.setCode(3, 2);  // the empty code
    object.setCode(-1, 3);
    CIdelObject ideal;
    EXPECT_TRUE(ideal.InitFromObject(3, 3, object));
    std::string text;
    EXPECT_EQ(ideal.ToText(text, s.codeTable), 0);
    EXPECT_EQ(text, "-[A]-[G]-[ ]-");
    EXPECT_TRUE(ideal.InitFromObject(4, 3, object));
    ideal.ToText(text, s.codeTable);
    EXPECT_EQ(text, "-[A]-[G]-[ ]-[ ]-");
    // An object shorter than the matrix leaves the rest empty.
    SEQSElem shortObject;
    shortObject.allocate(1, 1);
    ideal.InitFromObject(3, 3, shortObject);
    ideal.ToText(text, s.codeTable);
    EXPECT_EQ(text, "-[C]-[ ]-[ ]-");
}

TEST(CIdelObject, CellsFullPositionsAndIdentity) {
    SEQStorage s;
    testing::buildWhole(s, {"ACG"});
    CIdelObject ideal;
    EXPECT_TRUE(ideal.InitEmpty(3, 3));
    EXPECT_EQ(ideal.Value(), 0.0);
    for (int32_t j = 0; j < 3; ++j) ideal.Allow({0, j});
    ideal.Allow({1, 1});
    ideal.Allow({1, 2});
    ideal.Allow({2, 0});
    ideal.Forbid({2, 0});
    EXPECT_EQ(ideal.IsAllowed({1, 2}), 1);
    EXPECT_EQ(ideal.IsAllowed({2, 0}), 0);
    std::string text;
    ideal.ToText(text, s.codeTable);
    EXPECT_EQ(text, "-[ACG]-[CG]-[ ]-");
    CIdelObject copy = ideal;
    EXPECT_TRUE(copy == ideal);
    ideal.ClearFullPositions();
    ideal.ToText(text, s.codeTable);
    EXPECT_EQ(text, "-[ ]-[CG]-[ ]-");
    EXPECT_FALSE(copy == ideal);
    CIdelObject other;
    other.InitEmpty(3, 2);
    CIdelObject same;
    same.InitEmpty(2, 3);
    EXPECT_FALSE(other == same);  // equal cell counts, different shapes
}

TEST(CIdelObject, ZeroPositionsAndBufferForm) {
    SEQStorage s;
    testing::buildWhole(s, {"ACG"});
    CIdelObject empty;
    std::string text;
    empty.ToText(text, s.codeTable);
    EXPECT_EQ(text, "-");
    CIdelObject ideal;
    ideal.InitEmpty(2, 3);
    ideal.Allow({0, 2});
    char buffer[2 * (3 + 3) + 2];
    ideal.ToText(buffer, sizeof buffer, s.codeTable);
    EXPECT_STREQ(buffer, "-[G]-[ ]-");
    char tiny[4];
    ideal.ToText(tiny, sizeof tiny, s.codeTable);
    EXPECT_STREQ(tiny, "-[G");  // cut short, still terminated
}

}  // namespace
}  // namespace motifora
