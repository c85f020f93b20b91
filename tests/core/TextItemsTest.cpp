// Tests of blank trimming and comma splitting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/TextItems.h"

namespace motifora {
namespace {

std::vector<std::string> items(std::string_view text) {
    std::vector<std::string> out;
    for (const std::string_view item : commaItems(text)) out.emplace_back(item);
    return out;
}

TEST(TextItems, TrimsBlanksAtBothEndsOnly) {
    EXPECT_EQ(trimBlanks("  a b\t\n"), "a b");
    EXPECT_EQ(trimBlanks("\t \r\n"), "");
    EXPECT_EQ(trimBlanks(""), "");
    EXPECT_EQ(trimBlanks("x"), "x");
}

TEST(TextItems, SplitsAtEveryComma) {
    struct Case {
        std::string text;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"", {""}},
        {"5", {"5"}},
        {" 5 , 7 ", {"5", "7"}},
        {"a,", {"a", ""}},
        {",a", {"", "a"}},
        {"1,,2", {"1", "", "2"}},
        {"2-5, 8", {"2-5", "8"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        EXPECT_EQ(items(c.text), c.expected);
    }
}

}  // namespace
}  // namespace motifora
