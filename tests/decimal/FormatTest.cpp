#include <random>

#include <gtest/gtest.h>

#include "BcdTestUtil.h"

using bcdtest::ErrorOf;
using bcdtest::Value;

namespace {

const std::string engineMask = "###,###,###,###,###,###,##0.#####################";

class Format : public ::testing::Test
{};

TEST_F(Format, EngineMaskKeepsTheRegisterDigitsAndDropsOptionalPlaceholders)
{
    struct Case
    {
        TBcd value;
        const char* expected;
    };
    const Case cases[] = {
        {Value("123456789", 6), "1,234,567.890000000000"},
        {Value("5", -1), "0.5000000000000000000"},
        {TBcd{}, "0.0000000000000000000"},
        {Value("-12345", 3), "-1,234.500000000000000"},
        {Value("123456789012345678", 17), "123,456,789,012,345,678.0"},
        {Value("1", 17), "100,000,000,000,000,000.0"},
        {Value("1", 18), "1E+18"},
        {Value("-15", 40), "-1.5E+40"},
        {Value("1234", -3), "0.001234000000000000000"},
        {Value("1", -21), "0.000000000000000000001"},
        {Value("5", -22), "0.000000000000000000001"},
        {Value("-5", -22), "-0.000000000000000000001"},
        {Value("4", -22), "0.0000000000000000000"},
        {Value("-4", -22), "0.0000000000000000000"}, // rounded to zero: no sign
        {Value("1", -25), "0.0000000000000000000"},
        {Value("123456789012345678", -5), "0.000012345678901234568"},
        {Value("999999999999999999", -22), "0.000000000000000000001"},
        {Value("1"), "1.000000000000000000"},
        {Value("12", 1), "12.00000000000000000"},
        {Value("1234", 3), "1,234.000000000000000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatBcd(engineMask, c.value), c.expected) << bcdtest::Hex(c.value);
}

TEST_F(Format, MaskLanguage)
{
    struct Case
    {
        const char* mask;
        TBcd value;
        const char* expected;
    };
    const Case cases[] = {
        {"#,##0.00", Value("1234567", 3), "1,234.57"},
        {"#,##0.00;(#,##0.00)", Value("-1234567", 3), "(1,234.57)"},
        {"#,##0.00;(#,##0.00);\"zero\"", TBcd{}, "zero"},
        {"#,##0.00;(#,##0.00);'nil'", TBcd{}, "nil"},
        {"#,##0.00;(#,##0.00)", TBcd{}, "0.00"},   // no zero section: the first one
        {"#,##0.00;;'nil'", Value("-5"), "-5.00"}, // empty negative section: first one with "-"
        {"#,##0.00;", Value("-5"), "-5.00"},       // ";" as the last character
        {"0.00;(0.00)", Value("-4", -3), "0.00"},  // rounds to zero: the zero section (none: first)
        {"0.00;(0.00);'z'", Value("-4", -3), "z"},
        {"00000", Value("42", 1), "00042"},
        {"#", TBcd{}, ""},
        {"#", Value("5"), "5"},
        {"0", Value("12345", 4), "12345"}, // more integer digits than placeholders
        {"#,##0", Value("1234567", 6), "1,234,567"},
        {"#,##0", Value("-1234567", 6), "-1,234,567"},
        {"#,#", Value("1234567", 6), "1,234,567"}, // grouping wherever the separator stands
        {"0.0", Value("96", -1), "1.0"},
        {"0.0", Value("96", -2), "0.1"},
        {"0.0", Value("94", -1), "0.9"},
        {"0.0", Value("4", -2), "0.0"},
        {"#.##", Value("5", -1), ".50"}, // trailing zeros up to the register's cells
        {"0.###", Value("5", -1), "0.500"},
        {"0.000", Value("5", -1), "0.500"},
        {"000.000", Value("15", 0), "001.500"},
        {"$#,##0.00", Value("1234567", 3), "$1,234.57"},
        {"#,##0.00 'EUR'", Value("12345", 3), "1,234.50 EUR"},
        {"\"#0;.\"0", Value("7"), "#0;.7"}, // quoted placeholders and separators are literal
        {"x#y", Value("7"), "x7y"},
        {"0 'units", Value("7"), "7 "}, // an unterminated quote ends the picture
        {"", Value("15"), "1.5"},       // no mask: general format
        {";#", Value("15"), "1.5"},     // empty first section: general format
        {";(#)", Value("-15"), "(2)"},
        {"#,##0.00", Value("1", 18), "1E+18"}, // 1E+18 and more without exponent part: general
        // Exponent parts.
        {"0.00E+00", Value("12345", 3), "1.23E+03"},
        {"0.00E+00", Value("12345", -3), "1.23E-03"},
        {"0.00E-00", Value("12345", 3), "1.23E03"},
        {"0.00e+0", Value("12345", 3), "1.23e+3"},
        {"0.00E+00", Value("-12355", 3), "-1.24E+03"},
        {"0.00E+00", TBcd{}, "0.00E+00"},
        {"0.00E+00", Value("15", -30), "1.50E-30"}, // small values keep their digits
        {"0.00E+00", Value("9996", 0), "1.00E+01"}, // rounding carries into the exponent
        {"##0.0E+0", Value("12345", 3), "123.5E+1"},
        {"0.0E+0", Value("1", 60), "1.0E+60"}, // an exponent wider than its zeros is written whole
        {"0Ex", Value("5"), "5Ex"},            // E without a sign is a literal
        {"0E", Value("5"), "5E"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatBcd(c.mask, c.value), c.expected)
            << "mask " << c.mask << " value " << bcdtest::Hex(c.value);
}

TEST_F(Format, OutputAbove256CharactersRaises85)
{
    const std::string mask256(256, '0'), mask257(257, '0');
    EXPECT_EQ(FormatBcd(mask256, Value("1")).size(), 256u);
    EXPECT_EQ(ErrorOf([&] { FormatBcd(mask257, Value("1")); }), 85);
    EXPECT_EQ(ErrorOf([&] { FormatBcd("'" + std::string(300, 'x') + "'", Value("1")); }), 85);
    // The sign counts too.
    EXPECT_EQ(ErrorOf([&] { FormatBcd(mask256, Value("-1")); }), 85);
}

TEST_F(Format, RandomMasksNeverCrashAndStayWithin256Characters)
{
    std::mt19937_64 rng(85);
    const std::string alphabet = "#0#0#0,.;;\"'E+-e xy";
    std::uniform_int_distribution<std::size_t> len(0, 40), ch(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> e(-63, 63), digit(0, 9), coin(0, 3);
    for (int i = 0; i < 200000; ++i) {
        std::string mask;
        const std::size_t n = len(rng) * (coin(rng) == 0 ? 8 : 1);
        for (std::size_t k = 0; k < n; ++k)
            mask.push_back(alphabet[ch(rng)]);
        std::string digits = coin(rng) == 0 ? "-" : "";
        digits.push_back(static_cast<char>('1' + digit(rng) % 9));
        for (int k = 0; k < digit(rng) * 2; ++k)
            digits.push_back(static_cast<char>('0' + digit(rng)));
        const TBcd v = coin(rng) == 0 ? TBcd{} : Value(digits, e(rng));
        try {
            const std::string s = FormatBcd(mask, v);
            ASSERT_LE(s.size(), 256u) << mask;
        } catch (const EStBCDError& err) {
            ASSERT_EQ(err.ErrorId, 85) << mask;
        }
    }
}

// The display's text, read back, is the value rounded to 21 decimals.
TEST_F(Format, EngineMaskOutputReadsBackAsTheValueRoundedTo21Decimals)
{
    std::mt19937_64 rng(21);
    std::uniform_int_distribution<int> e(-30, 25), digit(0, 9), len(1, 18), coin(0, 1);
    for (int i = 0; i < 100000; ++i) {
        std::string digits = coin(rng) ? "-" : "";
        digits.push_back(static_cast<char>('1' + digit(rng) % 9));
        const int n = len(rng);
        while (static_cast<int>(digits.size()) < n)
            digits.push_back(static_cast<char>(coin(rng) ? '9' : '0' + digit(rng)));
        const TBcd v = Value(digits, e(rng));
        std::string shown = FormatBcd(engineMask, v);
        std::erase(shown, ',');
        const TBcd expected = BcdFromText(BcdToFixed(v, 0, 21));
        ASSERT_EQ(bcdtest::Hex(BcdFromText(shown)), bcdtest::Hex(expected)) << shown;
    }
}

TEST(FormatLocale, SeparatorsAreTheCallersOwn)
{
    const TBcdSeparators european{',', '.'};
    const std::string mask = "###.###.###.###.###.###.##0,#####################";
    EXPECT_EQ(FormatBcd(mask, Value("123456789", 6), european), "1.234.567,890000000000");
    // ',' is now the decimal point
    EXPECT_EQ(FormatBcd("#,##0.00", Value("1234567", 3), european), "1.234,56700");
    EXPECT_EQ(FormatBcd("### ##0,00", Value("1234567", 3), {',', ' '}), "1 234,57");
    EXPECT_EQ(FormatBcd("", Value("15", 30), european), "1,5E+30"); // the general form, too
}

} // namespace
