#include <gtest/gtest.h>

#include "BcdTestUtil.h"

#include <limits>
#include <string>

using bcdtest::Value;

namespace {

class TextOut : public ::testing::Test
{};

TEST_F(TextOut, FixedRoundsAtPlacesButKeepsAtMost18Digits)
{
    struct Case
    {
        TBcd value;
        int width, places;
        std::string expected;
    };
    const TBcd twoThirds = Value("666666666666666666", -1);
    const Case cases[] = {
        {twoThirds, 0, 15, "0.666666666666667"},
        {twoThirds, 0, 21, "0.666666666666666666000"},
        {TBcd{}, 0, 15, "0.000000000000000"},
        {Value("-123456", 2), 0, 15, "-123.456000000000000"},
        {Value("1", 20), 0, 15, "100000000000000000000.000000000000000"},
        {Value("996"), 0, 1, "10.0"},
        {Value("6", -4), 0, 2, "0.00"},
        {Value("6", -3), 0, 2, "0.01"},
        {Value("96", -1), 0, 1, "1.0"},
        {Value("5"), 3, 2, "***"},
        {Value("5"), 4, 2, "5.00"},
        {Value("5"), 8, 2, "    5.00"},
        {Value("-5"), 8, 2, "   -5.00"},
        {Value("-5"), 4, 2, "****"},
        {Value("-6", -4), 0, 2, "-0.00"}, // a negative value keeps its sign when it shows as zero
        {Value("999999999999999999", 17), 0, 1, "999999999999999999.0"},
        {Value("999999999999999999", 16), 0, 1, "99999999999999999.9"},
        {Value("999999999999999999", 15), 0, 1, "10000000000000000.0"}, // carry into a new integer digit
        {Value("123456789012345678", 5), 0, 3, "123456.789"},
        {Value("123456789012345678", 5), 0, 13, "123456.7890123456780"},
        {Value("1", -63), 0, 21, "0.000000000000000000000"},
        {Value("5", -21), 0, 21, "0.000000000000000000005"},
        {Value("5", -22), 0, 21, "0.000000000000000000001"},
        {Value("4", -22), 0, 21, "0.000000000000000000000"},
        {Value("999999999999999999", 63), 0, 1, std::string(18, '9') + std::string(46, '0') + ".0"},
        // No decimal places: no separator; below 1 the value rounds to 0 or 1 and never shows "-0".
        {Value("125", 1), 0, 0, "13"},
        {Value("995", 1), 0, 0, "100"},
        {Value("-125", 1), 0, 0, "-13"},
        {Value("6", -1), 0, 0, "1"},
        {Value("5", -1), 0, 0, "1"},
        {Value("49", -1), 0, 0, "0"},
        {Value("-6", -1), 0, 0, "-1"},
        {Value("-4", -1), 0, 0, "0"},
        {Value("-9", -2), 0, 0, "0"},
        {Value("6", -2), 0, 0, "0"},
        {TBcd{}, 0, 0, "0"},
        {Value("-6", -1), 3, 0, " -1"},
        {Value("-6", -1), 1, 0, "*"},
        {Value("-4", -1), 3, 0, "  0"},
        // Negative width and places count as 0, more than the longest text as the longest text.
        {Value("25"), -4, -1, "3"},
        {Value("25"), 0, std::numeric_limits<int>::max(), "2.5" + std::string(MaxTextWidth - 1, '0')},
        {Value("25"), std::numeric_limits<int>::max(), 1, std::string(MaxTextWidth - 3, ' ') + "2.5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BcdToFixed(c.value, c.width, c.places), c.expected)
            << bcdtest::Hex(c.value) << " width " << c.width << " places " << c.places;
}

TEST_F(TextOut, ExponentHasExactlyWidthCharacters)
{
    struct Case
    {
        TBcd value;
        int width;
        const char* expected;
    };
    const Case cases[] = {
        {Value("123456", 2), 0, " 1.23456000000000000E+02"},
        {Value("-12", -4), 0, "-1.20000000000000000E-04"},
        {TBcd{}, 0, " 0.00000000000000000E+00"},
        {Value("999999"), 8, " 1.0E+01"},
        {Value("123456789012345678", 5), 24, " 1.23456789012345678E+05"},
        {Value("123456789012345678", 5), 23, " 1.2345678901234568E+05"},
        {Value("123456789012345678", 5), 10, " 1.235E+05"},
        {Value("123456789012345678", 5), 3, " 1.2E+05"}, // below 8 counts as 8
        {Value("123456789012345678", 5), 26, "   1.23456789012345678E+05"},
        {Value("1", -63), 0, " 1.00000000000000000E-63"},
        {Value("-999999999999999999", 63), 8, "-1.0E+64"},
        {Value("95"), 8, " 9.5E+00"},
        {Value("-5", -1), -3, "-5.0E-01"},
    };
    for (const Case& c : cases) {
        const std::string s = BcdToExponent(c.value, c.width);
        EXPECT_EQ(s, c.expected) << bcdtest::Hex(c.value) << " width " << c.width;
    }
}

TEST_F(TextOut, GeneralPicksFixedOrExponentByMagnitude)
{
    struct Case
    {
        TBcd value;
        const char* expected;
    };
    const Case cases[] = {
        {Value("15"), "1.5"},
        {TBcd{}, "0"},
        {Value("1", -5), "0.00001"},
        {Value("1234", -6), "1.234E-6"},
        {Value("999999999999999999", -6), "9.99999999999999999E-6"},
        {Value("123456789012345678", 17), "123456789012345678"},
        {Value("1", 17), "100000000000000000"},
        {Value("1", 18), "1E+18"},
        {Value("1", 20), "1E+20"},
        {Value("-125", -7), "-1.25E-7"},
        {Value("-5", -1), "-0.5"},
        {Value("1", -12), "1E-12"},
        {Value("15", 5), "150000"},
        {Value("123456789012345678", -5), "0.000012345678901235"}, // 18 decimals at most
        {Value("999999999999999999", -5), "0.0001"},
        {Value("-999999999999999999", 63), "-9.99999999999999999E+63"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BcdToGeneral(c.value), c.expected) << bcdtest::Hex(c.value);
}

TEST(TextOutLocale, CommaSeparatorInEveryTextForm)
{
    const TBcdSeparators comma{',', '.'};
    EXPECT_EQ(BcdToFixed(Value("15"), 0, 2, comma), "1,50");
    EXPECT_EQ(BcdToExponent(Value("15"), 0, comma), " 1,50000000000000000E+00");
    EXPECT_EQ(BcdToGeneral(Value("15"), comma), "1,5");
    EXPECT_EQ(BcdToGeneral(Value("15", 30), comma), "1,5E+30");
    EXPECT_EQ(BcdToGeneral(Value("2"), comma), "2");
}

} // namespace
