// The one reading of typed class lists: what it takes, what it refuses and names, the block the
// error counting needs and the bounded list of indexes a scan scores.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/ClassList.h"

namespace motifora {
namespace {

// Every list the error counting's or the scan's own reader took before they shared this one is
// taken, with the runs it names.
TEST(ClassList, TakesWhatEitherCommandTookBefore) {
    const struct {
        const char* text;
        std::vector<ClassRange> ranges;
    } cases[] = {
        {"3", {{3, 3}}},
        {"2-4", {{2, 4}}},
        {"4,2,3", {{4, 4}, {2, 2}, {3, 3}}},
        {"1-2,3", {{1, 2}, {3, 3}}},
        {"2,2", {{2, 2}, {2, 2}}},
        {" 2 - 4 , 5", {{2, 4}, {5, 5}}},  // blanks around numbers and dash (error counting)
        {"2 -4", {{2, 4}}},
        {" 1-3", {{1, 3}}},                         // a blank before (scan)
        {"+1-+3", {{1, 3}}},                        // a '+' sign (scan)
        {"1,", {{1, 1}}},                           // one comma after the last item (scan)
        {"01-003", {{1, 3}}},                       // leading zeros (both)
        {"1-1000001", {{1, 1000001}}},              // the widest run (error counting)
        {"2000000-2000001", {{2000000, 2000001}}},  // beyond a scan's classes, still a list
        {"2147483647", {{2147483647, 2147483647}}},
    };
    for (const auto& c : cases) {
        std::vector<ClassRange> ranges;
        std::string bad = "untouched";
        ASSERT_TRUE(readClassList(c.text, ranges, &bad)) << c.text << ": " << bad;
        EXPECT_EQ(ranges, c.ranges) << c.text;
        EXPECT_EQ(bad, "untouched") << c.text;
    }
}

TEST(ClassList, RefusesAndNamesTheFirstBadItem) {
    const struct {
        const char* text;
        const char* bad;
    } cases[] = {
        {"", ""},
        {" ", ""},
        {",1", ""},
        {"1,,2", ""},
        {"1,,", ""},
        {"0", "0"},
        {"4-2", "4-2"},
        {"-3", "-3"},
        {"1--3", "1--3"},
        {"1-3x", "1-3x"},
        {"2, 1.5 ,3", "1.5"},
        {"a", "a"},
        {"1-", "1-"},
        {"1-1000002", "1-1000002"},  // spans more than a run may
        {"2147483648", "2147483648"},
        {"0x10", "0x10"},
        {"1 2", "1 2"},
    };
    for (const auto& c : cases) {
        std::vector<ClassRange> ranges{{7, 7}};
        std::string bad;
        EXPECT_FALSE(readClassList(c.text, ranges, &bad)) << c.text;
        EXPECT_EQ(bad, c.bad) << c.text;
        EXPECT_EQ(ranges, (std::vector<ClassRange>{{7, 7}})) << c.text;  // left as it was
    }
}

TEST(ClassList, ABlockIsOneRunWithoutGaps) {
    const struct {
        std::vector<ClassRange> ranges;
        std::optional<ClassRange> block;
    } cases[] = {
        {{{3, 3}}, ClassRange{3, 3}},
        {{{4, 4}, {2, 2}, {3, 3}}, ClassRange{2, 4}},
        {{{1, 5}, {2, 3}}, ClassRange{1, 5}},
        {{{5, 9}, {1, 4}}, ClassRange{1, 9}},
        {{{1, 2}, {4, 4}}, std::nullopt},
        {{{1, 2}, {8, 9}, {3, 7}}, ClassRange{1, 9}},
        {{{2147483646, 2147483647}, {1, 1}}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(classBlock(c.ranges), c.block);
}

TEST(ClassList, IndexesOnceInOrderAndBoundedByTheKnownClasses) {
    EXPECT_EQ(classIndexes({{2, 2}, {1, 3}, {2, 2}}, 5), (std::vector<int32_t>{1, 0, 2}));
    EXPECT_EQ(classIndexes({{3, 4}, {1, 4}}, 5), (std::vector<int32_t>{2, 3, 0, 1}));
    // The first class beyond the known ones ends the list and is kept to be named.
    EXPECT_EQ(classIndexes({{1, 2}, {9, 9}, {3, 3}}, 5), (std::vector<int32_t>{0, 1, 8}));
    EXPECT_EQ(classIndexes({{4, 1000001}}, 5), (std::vector<int32_t>{3, 4, 5}));
    // A list naming two billion classes costs what the known ones cost.
    const std::vector<ClassRange> huge(2000, ClassRange{1, 1000001});
    EXPECT_EQ(classIndexes(huge, 2), (std::vector<int32_t>{0, 1, 2}));
}

}  // namespace
}  // namespace motifora
