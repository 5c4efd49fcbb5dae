#include "engine/TextHelpers.h"

#include <gtest/gtest.h>

#include "FakeHost.h"

using namespace engine;

namespace {

TEST(TextHelpers, TheNumberOfATapeLine)
{
    const std::pair<const char*, const char*> numbers[] = {
        {"12  ", "12"},
        {"1,234.5 +", "1,234.5"},
        {"-3 -", "-3"},
        {"15 =", "15"},
        {"9 sqrt", "9"},
        {"0.5 1/x", "0.5"},
        {"25 %", "25"},
        {"-7 +/-", "-7"},
        {"1.234,5 M+", "1.234,5"},
        {"1 234,5 MS", "1 234,5"},
        {"1.5E+20 *", "1.5E+20"},
        {"2E-5 /", "2E-5"},
        {"4 M-", "4"},
    };
    for (const auto& [line, number] : numbers)
        EXPECT_EQ(TapeLineNumber(line), std::optional<std::string_view>(number)) << line;
    for (const char* line : {"Clear", "Memory Clear", "--------------------------", " ", "", "Invalid input",
                             "10/12/2026 14:05:09", "1E", "1E+ =", "- +", "12abc +", "+5 ="})
        EXPECT_EQ(TapeLineNumber(line), std::nullopt) << line;
}

TEST(TextHelpers, CenterLineInTheSeparatorWidth)
{
    struct Case
    {
        std::string line;
        int margin;
        std::size_t leading;
    };
    const Case cases[] = {
        {"History Tape", 9, 16}, // (26 - 12) / 2 + 9
        {"History Tape", 1, 8},
        {"History Tape", 0, 7},
        {std::string(26, 'x'), 0, 0}, // 26 or more with margin 0: unchanged
        {std::string(30, 'x'), 9, 7}, // -2 + 9
        {std::string(31, 'x'), 0, 0}, // -2 (cut toward zero) + 0
        {std::string(27, 'x'), 1, 1}, // -0.5 cuts to 0, + 1
        {"", 0, 13},
    };
    for (const Case& c : cases) {
        const std::string centred = CenterLine(c.line, c.margin);
        EXPECT_EQ(centred, std::string(c.leading, ' ') + c.line) << c.line.size() << " margin " << c.margin;
    }
    EXPECT_EQ(SeparatorLine, "--------------------------");
}

TEST(TextHelpers, DisplayMaskFromTheSeparators)
{
    EXPECT_EQ(BuildDisplayMask(',', '.'), "###,###,###,###,###,###,##0.#####################");
    EXPECT_EQ(BuildDisplayMask('.', ','), "###.###.###.###.###.###.##0,#####################");
}

TEST(DisplayForm, AddCommasAndRemoveCommas)
{
    enginetest::FakeHost host;
    const CalcEngine calc(host, {'.', ','});
    const std::pair<const char*, const char*> cases[] = {
        {"1234", "1,234"},
        {"100", "100"},
        {"007", "7"},
        {"12.", "12"},
        {"1.50", "1.5"},
        {"0.25", "0.25"},
        {"-1234567.5", "-1,234,567.5"},
        {"-007", "-7"},
        {"20.000000000000000", "20"},
        {"0.000000000000000", "0"},
        {"0.333333333333333", "0.333333333333333"},
        {"1234567890123456789", "1.23456789012345679E+18"},
        {"100000000000000000000.000000000000000", "1E+20"},
        {"0.000000000000000000001", "0.000000000000000000001"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(calc.AddCommas(in), out) << in;
    EXPECT_THROW(calc.AddCommas("000"), EStBCDError); // zeros only: callers show "0" themselves
    EXPECT_EQ(calc.RemoveCommas("-1,234,567.5"), "-1234567.5");
}

TEST(DisplayForm, PointGroupingCommaDecimals)
{
    enginetest::FakeHost host;
    const CalcEngine calc(host, {',', '.'});
    EXPECT_EQ(calc.AddCommas("1234,5"), "1.234,5");
    EXPECT_EQ(calc.AddCommas("1234,"), "1.234");
    EXPECT_EQ(calc.AddCommas("20,000000000000000"), "20");
    EXPECT_EQ(calc.RemoveCommas("1.234,5"), "1234,5");
}

} // namespace
