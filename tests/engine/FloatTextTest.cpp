#include "engine/FloatText.h"

#include <gtest/gtest.h>

using namespace engine;

namespace {

TEST(ParseFloatText, StrictGrammarWithTheGivenSeparator)
{
    struct Case
    {
        const char* text;
        char decimal;
        std::optional<long double> expected;
    };
    const Case cases[] = {
        {"12", '.', 12.0L},
        {"  -12.5  ", '.', -12.5L},
        {"+3", '.', 3.0L},
        {"5.", '.', 5.0L},
        {".5", '.', 0.5L},
        {"1e3", '.', 1000.0L},
        {"1E-3", '.', 0.001L},
        {"2,5", ',', 2.5L},
        {"\t7\r\n", '.', 7.0L},
        {"1234567890123456789", '.', 1234567890123456789.0L},
        {"2.5", ',', std::nullopt}, // the other locale's separator
        {"1,5", '.', std::nullopt},
        {".", '.', std::nullopt},
        {"-", '.', std::nullopt},
        {"", '.', std::nullopt},
        {"   ", '.', std::nullopt},
        {"1.2.3", '.', std::nullopt},
        {"1e", '.', std::nullopt},
        {"1e+", '.', std::nullopt},
        {"e5", '.', std::nullopt},
        {"inf", '.', std::nullopt},
        {"nan", '.', std::nullopt},
        {"0x1p3", '.', std::nullopt},
        {"1 2", '.', std::nullopt},
        {"--1", '.', std::nullopt},
        {"+-1", '.', std::nullopt},
        {"1,5,", ',', std::nullopt},
        {"1e99999", '.', std::nullopt},  // beyond long double
        {"\xd9\xa3", '.', std::nullopt}, // an Arabic-Indic digit
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseFloatText(c.text, c.decimal), c.expected) << c.text;
}

TEST(ParseFloatText, IndependentOfTheCLibraryLocale)
{
    // Whatever LC_NUMERIC says, the separator is the one given.
    EXPECT_EQ(ParseFloatText("0,25", ','), 0.25L);
    EXPECT_EQ(ParseFloatText("0.25", '.'), 0.25L);
}

TEST(FormatPasteValue, EighteenDigitsAt21DecimalsGrouped)
{
    struct Case
    {
        long double value;
        const char* expected;
    };
    const Case cases[] = {
        {1234567.5L, "1,234,567.5"},
        {1000.0L, "1,000"},
        {0.25L, "0.25"},
        {-1234.5L, "-1,234.5"},
        {0.0L, "0"},
        {-0.0L, "0"},
        {123456789012345678.0L, "123,456,789,012,345,678"},
        {0.1234567890123456789L, "0.123456789012345679"},
        {1e25L, "1E25"},
        {1.5e20L, "1.5E20"},
        {-2.5e30L, "-2.5E30"},
        {1e18L, "1E18"},
        {123456789012345678901.0L, "1.23456789012346E20"},
        {1e-21L, "0.000000000000000000001"},
        {4e-22L, "0"},
        {6e-22L, "0.000000000000000000001"},
        {9.9999e-22L, "0.000000000000000000001"},
        {1.23456789e-15L, "0.000000000000001234568"}, // cut at 21 decimals, rounded
        {1.234567890123456789e-10L, "0.000000000123456789012"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatPasteValue(c.value, '.', ','), c.expected) << static_cast<double>(c.value);
    EXPECT_EQ(FormatPasteValue(1234567.5L, ',', '.'), "1.234.567,5");
    EXPECT_EQ(FormatPasteValue(1.5e20L, ',', '.'), "1,5E20");
}

} // namespace
