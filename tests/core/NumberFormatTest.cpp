// Tests of the number texts: fixed notation, general form, reading with the separator switch.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "core/NumberFormat.h"

namespace motifora {
namespace {

struct FixedCase {
    double value;
    int decimals;
    const char* text;  // with a comma as the separator
};

// Expected texts were worked out on the exact decimal expansion of each double.
TEST(NumberFormat, FixedNotation) {
    const std::vector<FixedCase> cases = {
        {0.125, 2, "0,13"},  // exact half: away from zero
        {2.675, 2, "2,68"},  // 2.67499999999999982... is 2.6750000 at 8 digits, then a half
        {1.005, 2, "1,01"},  // 1.00499999999999989... likewise
        {0.995, 2, "1,00"},  // carry into the integer part
        {17.5, 2, "17,50"},
        {-2.5, 0, "-3"},  // negative halves go away from zero too
        {-0.005, 2, "-0,01"},
        {-0.004, 2, "0,00"},  // rounds to zero: no sign
        {0.0, 2, "0,00"},
        {-0.0, 2, "0,00"},
        {-1.5e-20, 2, "0,00"},
        {0.015, 2, "0,02"},
        {1.45, 1, "1,5"},
        {-1.45, 1, "-1,5"},
        {1234.56785, 2, "1234,57"},
        {2.0 / 3.0, 2, "0,67"},
        {0.123456789, 8, "0,12345679"},
        {1.0 / 3.0, 8, "0,33333333"},
        {1e-9, 8, "0,00000000"},
        {5e-9, 8, "0,00000001"},
        {1.23456785e-5, 8, "0,00001235"},
        {0.3, 20, "0,30000000000000000000"},  // 8 significant digits, then zeros
        {0.99999999, 2, "1,00"},
        {12345678.9, 2, "12345679,00"},  // 8 integer digits still in fixed form
        {99999999.4, 2, "99999999,00"},
        {100.0, 0, "100"},
        {7.0, -3, "7"},  // a negative count is taken as 0
    };
    const NumberFormat f(',');
    for (const FixedCase& c : cases) {
        EXPECT_EQ(f.fixed(c.value, c.decimals), c.text) << c.value << " with " << c.decimals;
    }
}

TEST(NumberFormat, FixedNotationBeyondEightIntegerDigitsUsesExponentForm) {
    const NumberFormat f(',');
    EXPECT_EQ(f.fixed(123456789.0, 2), "1,2345679E+08");
    EXPECT_EQ(f.fixed(123456785.0, 8), "1,2345679E+08");  // exact half, away from zero
    EXPECT_EQ(f.fixed(-123456789.0, 0), "-1,2345679E+08");
    EXPECT_EQ(f.fixed(99999999.5, 2), "1,0000000E+08");  // 9 integer digits after rounding
    EXPECT_EQ(f.fixed(999999995.0, 2), "1,0000000E+09");
    EXPECT_EQ(f.fixed(1e20, 2), "1,0000000E+20");
    EXPECT_EQ(f.fixed(1e300, 2), "1,0000000E+300");
}

TEST(NumberFormat, FixedNotationOfNonFiniteValues) {
    const NumberFormat f('.');
    EXPECT_EQ(f.fixed(std::numeric_limits<double>::quiet_NaN(), 2), "NAN");
    EXPECT_EQ(f.fixed(std::numeric_limits<double>::infinity(), 2), "INF");
    EXPECT_EQ(f.fixed(-std::numeric_limits<double>::infinity(), 2), "-INF");
}

TEST(NumberFormat, SeparatorIsTheCurrentOne) {
    NumberFormat f('.');
    EXPECT_EQ(f.fixed(17.5, 2), "17.50");
    EXPECT_EQ(f.general(0.05), "0.05");
    f.setSeparator(',');
    EXPECT_EQ(f.fixed(17.5, 2), "17,50");
    EXPECT_EQ(f.general(1.5e20), "1,5E+20");
}

TEST(NumberFormat, StartsWithTheDecimalPointOfTheCLocale) {
    const NumberFormat f;
    EXPECT_EQ(f.separator(), '.');  // the tests run in the "C" locale
}

TEST(NumberFormat, GeneralForm) {
    const std::vector<std::pair<double, const char*>> cases = {
        {0.0, "0"},
        {-0.0, "0"},
        {0.05, "0,05"},
        {-12.0, "-12"},
        {100.0, "100"},
        {0.5, "0,5"},
        {2.675, "2,675"},
        {0.1 + 0.2, "0,3"},
        {1.0 / 3.0, "0,333333333333333"},
        {2.0 / 3.0, "0,666666666666667"},
        {1e-5, "0,00001"},
        {-0.00012345, "-0,00012345"},
        {1e-6, "1E-06"},
        {1.5e20, "1,5E+20"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},
        {999999999999999.9, "1E+15"},  // rounding to 15 digits carries into a 16th
        {5e-324, "4,94065645841247E-324"},
        {1.7976931348623157e308, "1,79769313486232E+308"},
    };
    const NumberFormat f(',');
    for (const auto& [value, text] : cases) EXPECT_EQ(f.general(value), text) << value;
}

struct ReadCase {
    const char* text;
    bool converts;
    double value;
};

TEST(NumberFormat, ReadingWithTheCurrentSeparator) {
    const std::vector<ReadCase> cases = {
        {"0,05", true, 0.05},  {"  0,05\t", true, 0.05}, {"-1,5", true, -1.5},
        {"+3", true, 3.0},     {",5", true, 0.5},        {"-,5", true, -0.5},
        {"5,", true, 5.0},     {"1e3", true, 1000.0},    {"2,5E-2", true, 0.025},
        {"1e+2", true, 100.0}, {"0,1", true, 0.1},       {"", false, 0},
        {"   ", false, 0},     {",", false, 0},          {"-", false, 0},
        {"0.05", false, 0},  // the other separator
        {"1,2,3", false, 0},   {"1 000", false, 0},      {"1e", false, 0},
        {"e5", false, 0},      {"12abc", false, 0},      {"inf", false, 0},
        {"nan", false, 0},     {"0x10", false, 0},       {"1e400", false, 0},
        {"1e-400", false, 0},  {"+-1", false, 0},
    };
    const NumberFormat f(',');
    for (const ReadCase& c : cases) {
        double v = -99.0;
        EXPECT_EQ(f.tryReadReal(c.text, v), c.converts) << '"' << c.text << '"';
        EXPECT_EQ(v, c.converts ? c.value : -99.0) << '"' << c.text << '"';
    }
    EXPECT_EQ(f.separator(), ',');  // trying never switches
}

TEST(NumberFormat, ReadRealSwitchesTheSeparatorOnceAndKeepsIt) {
    NumberFormat f(',');
    double v = 0;
    bool switched = true;
    EXPECT_TRUE(f.readReal("0,05", v, &switched));
    EXPECT_FALSE(switched);
    EXPECT_EQ(v, 0.05);

    EXPECT_TRUE(f.readReal("0.25", v, &switched));  // comma fails, becomes a point
    EXPECT_TRUE(switched);
    EXPECT_EQ(v, 0.25);
    EXPECT_EQ(f.separator(), '.');
    EXPECT_EQ(f.fixed(0.25, 2), "0.25");  // the switch holds for formatting too

    EXPECT_TRUE(f.readReal("0.5", v, &switched));
    EXPECT_FALSE(switched);

    EXPECT_FALSE(f.readReal("abc", v, &switched));  // fails twice; the switch stays
    EXPECT_TRUE(switched);
    EXPECT_EQ(f.separator(), ',');
    EXPECT_EQ(v, 0.5);

    NumberFormat other(';');  // anything but a comma becomes a comma
    EXPECT_TRUE(other.readReal("1,5", v));
    EXPECT_EQ(other.separator(), ',');
    EXPECT_EQ(v, 1.5);
}

TEST(NumberFormat, ReadsTheNearestDouble) {
    const NumberFormat f('.');
    double v = 0;
    ASSERT_TRUE(f.tryReadReal("2.675", v));
    EXPECT_EQ(v, 2.675);
    ASSERT_TRUE(f.tryReadReal("0.1000000000000000055511151231257827", v));
    EXPECT_EQ(v, 0.1);
    ASSERT_TRUE(f.tryReadReal("4.9406564584124654e-324", v));
    EXPECT_EQ(v, std::numeric_limits<double>::denorm_min());
}

TEST(NumberFormat, ReadInteger) {
    const std::vector<std::tuple<const char*, bool, int32_t>> cases = {
        {"12", true, 12},
        {" -7 ", true, -7},
        {"+3", true, 3},
        {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, std::numeric_limits<int32_t>::min()},
        {"2147483648", false, 0},
        {"1.0", false, 0},
        {"1,0", false, 0},
        {"", false, 0},
        {"+", false, 0},
        {"+-1", false, 0},
        {"0x1", false, 0},
        {"1 2", false, 0},
        {"1e3", false, 0},
    };
    for (const auto& [text, converts, value] : cases) {
        int32_t v = -99;
        EXPECT_EQ(NumberFormat::readInteger(text, v), converts) << '"' << text << '"';
        EXPECT_EQ(v, converts ? value : -99) << '"' << text << '"';
    }
}

TEST(NumberFormat, PrintfTexts) {
    const std::vector<std::tuple<std::string, std::string>> cases = {
        {printfFixed(2.345678, 2), "2.35"},
        {printfFixed(-0.5, 0), "-0"},
        {printfFixed(1e300, 1).substr(0, 4), "1000"},
        {printfScientific(12345.678, 3), "1.235e+04"},
        {printfGeneral(0.25), "0.25"},
        {printfGeneral(1234567.0), "1.23457e+06"},
        {printfGeneral(-1e-300), "-1e-300"},
        {printfGeneral(100), "100"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
    EXPECT_EQ(printfFixed(1e300, 1).size(), 303u);  // every digit of a large value
}

}  // namespace
}  // namespace motifora
