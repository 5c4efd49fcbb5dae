#include <gtest/gtest.h>

#include "BcdTestUtil.h"

using bcdtest::ErrorOf;
using bcdtest::Hex;
using bcdtest::Value;

namespace {

class FromText : public ::testing::Test
{};

TEST_F(FromText, ValidTextsGiveTheirValues)
{
    struct Case
    {
        const char* text;
        TBcd expected;
    };
    const Case cases[] = {
        {"12", Value("12", 1)},
        {" 12", Value("12", 1)},
        {"   +5", Value("5")},
        {"-1.5", Value("-15")},
        {".5", Value("5", -1)},
        {"5.", Value("5")},
        {"0.05", Value("5", -2)},
        {"00.0001", Value("1", -4)},
        {"1.05", Value("105")},
        {"123.456", Value("123456", 2)},
        {"1e3", Value("1", 3)},
        {"1E+3", Value("1", 3)},
        {"2.5E-3", Value("25", -3)},
        {"-.5e1", Value("-5")},
        {"9.9E63", Value("99", 63)},
        {"9.99999999999999999E+63", Value("999999999999999999", 63)},
        {"1E-63", Value("1", -63)},
        {"0.1E-62", Value("1", -63)},
        // Rounded half up to 18 digits by the 19th digit alone.
        {"1234567890123456789012", Value("123456789012345679", 21)},
        {"0.9999999999999999995", Value("1")},
        {"0.9999999999999999994", Value("999999999999999999", -1)},
        {"0.1234567890123456784999", Value("123456789012345678", -1)},
        {"999999999999999999.5", Value("1", 18)},
        {"-999999999999999999499", Value("-999999999999999999", 20)},
        {"0.99999999999999999995E-63", Value("1", -63)}, // the carry lifts it into range
        // Zeros: ten zero bytes, never a negative zero.
        {"0", TBcd{}},
        {"-0", TBcd{}},
        {"0.000", TBcd{}},
        {".", TBcd{}},
        {"-.", TBcd{}},
        {"+.E5", TBcd{}},
        {"0.0E65", TBcd{}}, // the fraction's zero lowers the exponent below the limit
        {"1E-64", TBcd{}},
        {"9.99999999999999999E-64", TBcd{}},
        {"1E-99999999999999999999", TBcd{}}, // a huge negative exponent neither wraps nor fails
        {"5E-2147483649", TBcd{}},
    };
    for (const Case& c : cases) {
        TBcd v;
        ASSERT_NO_THROW(v = BcdFromText(c.text)) << c.text;
        EXPECT_EQ(Hex(v), Hex(c.expected)) << c.text;
    }
}

TEST_F(FromText, BadTextsRaise81AndOutOfRangeRaise82)
{
    struct Case
    {
        const char* text;
        int code;
    };
    const Case cases[] = {
        {"", 81},
        {"   ", 81},
        {"-", 81},
        {"+", 81},
        {"E5", 81},
        {"5-", 81},
        {"1e", 81},
        {"1e+", 81},
        {"1.2.3", 81},
        {"12 ", 81},
        {"1,000", 81},
        {"+-5", 81},
        {"--5", 81},
        {"1e5.5", 81},
        {"0x10", 81},
        {"inf", 81},
        {"nan", 81},
        {"1_0", 81},
        {"\t5", 81},
        {"5\n", 81},
        {"1E64", 82},
        {"10E63", 82},
        {"-1E64", 82},
        {"0E65", 82},
        {"99999999999999999999E44", 82},
        {".E200", 82},
        {"9.999999999999999995E63", 82}, // rounds up to 1E64
        {"1E99999999999999999999", 82},
        {"0E2147483648", 82},
        {"1E4294967297", 82},
    };
    for (const Case& c : cases) {
        const auto code = ErrorOf([&] { BcdFromText(c.text); });
        EXPECT_EQ(code, c.code) << "'" << c.text << "'";
    }
}

TEST(FromTextLocale, CommaDecimalSeparatorIsTheCallersOwn)
{
    const TBcdSeparators comma{',', '.'};
    EXPECT_EQ(BcdFromText("1,5", comma), Value("15"));
    EXPECT_EQ(BcdFromText(",25", comma), Value("25", -1));
    EXPECT_EQ(ErrorOf([&] { BcdFromText("1.5", comma); }), 81);
    EXPECT_EQ(ErrorOf([&] { BcdFromText("1.000,5", comma); }), 81);
    EXPECT_EQ(BcdFromText("1.5"), Value("15"));
    EXPECT_EQ(ErrorOf([] { BcdFromText("1,5"); }), 81);
}

TEST_F(FromText, DigitsBeyondTheNineteenthStillCountBeforeTheSeparator)
{
    // 40 digits before the point: the value keeps 18 digits and the exponent counts all 40.
    const std::string forty = "1" + std::string(39, '0');
    EXPECT_EQ(BcdFromText(forty), Value("1", 39));
    EXPECT_EQ(BcdFromText(forty + ".999"), Value("1", 39));
    EXPECT_EQ(BcdFromText("0." + std::string(62, '0') + "1"), Value("1", -63));
    EXPECT_EQ(BcdFromText("0." + std::string(63, '0') + "9"), TBcd{});
    // A very long text is read without trouble.
    const std::string longText = "0." + std::string(100000, '3');
    EXPECT_EQ(BcdFromText(longText), Value("333333333333333333", -1));
}

} // namespace
