// Amounts pasted in either convention, through the engine's Paste as Edit > Paste and a re-used tape
// line reach it: each is read as the amount it means, or refused with the clipboard message.

#include <array>
#include <string>

#include <gtest/gtest.h>

#include "FakeHost.h"
#include "engine/CalcEngine.h"

namespace {

// The conventions: decimal and group separator as the locale gives them.
constexpr std::array<TBcdSeparators, 4> Conventions = {{{'.', ','}, {',', '.'}, {',', ' '}, {'.', '\''}}};

// What the display holds afterwards, without grouping and with a point for the decimal separator;
// "refused" when the clipboard message came and the display stayed as it was.
std::string Pasted(TBcdSeparators locale, const std::string& text, bool asTapeLine = false)
{
    enginetest::FakeHost host;
    engine::CalcEngine calc(host, locale);
    calc.Press(engine::CalcKey::D7);
    const std::string before = host.display;
    if (asTapeLine)
        calc.UseTapeLine(text + " +");
    else
        calc.Paste(text);
    if (!host.messages.empty())
        return host.display == before ? "refused" : "refused, but the display changed";
    std::string plain = calc.DisplayWithoutGrouping();
    for (char& c : plain) {
        if (c == locale.decimal)
            c = '.';
    }
    return plain;
}

constexpr const char* Nbsp = "\xC2\xA0";           // U+00A0 in UTF-8
constexpr const char* NarrowNbsp = "\xE2\x80\xAF"; // U+202F
constexpr const char* Euro = "\xE2\x82\xAC";       // U+20AC

TEST(PasteConventions, EachTextIsReadAsTheAmountItMeansOrRefused)
{
    struct Case
    {
        std::string text;
        std::array<const char*, 4> expected; // in the order of Conventions: . ,  , .  , blank  . '
    };
    const Case cases[] = {
        // Only one reading: the same amount in every locale.
        {"1234.56", {"1234.56", "1234.56", "1234.56", "1234.56"}},
        {"12,345.67", {"12345.67", "12345.67", "12345.67", "12345.67"}},
        {"0.5", {"0.5", "0.5", "0.5", "0.5"}},
        {"1.234.567,89", {"1234567.89", "1234567.89", "1234567.89", "1234567.89"}},
        {"1 234,56", {"1234.56", "1234.56", "1234.56", "1234.56"}},
        {std::string("1") + Nbsp + "234,56", {"1234.56", "1234.56", "1234.56", "1234.56"}},
        {std::string("-1") + NarrowNbsp + "234" + NarrowNbsp + "567,5",
         {"-1234567.5", "-1234567.5", "-1234567.5", "-1234567.5"}},
        {"1'234.5", {"1234.5", "1234.5", "1234.5", "1234.5"}},
        {"1\xE2\x80\x99"
         "234.5",
         {"1234.5", "1234.5", "1234.5", "1234.5"}}, // U+2019 groups Swiss amounts
        {"12,34", {"12.34", "12.34", "12.34", "12.34"}},
        {"-3,5", {"-3.5", "-3.5", "-3.5", "-3.5"}},
        {"0,123", {"0.123", "0.123", "0.123", "0.123"}}, // a first group is never 0
        {"1,234,567", {"1234567", "1234567", "1234567", "1234567"}},
        {"1.5E20", {"1.5E20", "1.5E20", "1.5E20", "1.5E20"}},
        // Both readings possible: the locale's holds; where it is neither, refused.
        {"1,234", {"1234", "1.234", "1.234", "refused"}},
        {"1.234", {"1.234", "1234", "refused", "1.234"}},
        {"1,234.", {"1234", "1234", "1234", "1234"}},
        // Currency signs and codes at either end.
        {std::string(Euro) + " 12.50", {"12.5", "12.5", "12.5", "12.5"}},
        {std::string("12,50 ") + Euro, {"12.5", "12.5", "12.5", "12.5"}},
        {"$1,299.00", {"1299", "1299", "1299", "1299"}},
        {"-$5", {"-5", "-5", "-5", "-5"}},
        {"\xC2\xA3"
         "3.20",
         {"3.2", "3.2", "3.2", "3.2"}},
        {"\xC2\xA5"
         "500",
         {"500", "500", "500", "500"}},
        {"EUR 1.000,00", {"1000", "1000", "1000", "1000"}},
        {"12.50USD", {"12.5", "12.5", "12.5", "12.5"}},
        {"CHF 1'234.50", {"1234.5", "1234.5", "1234.5", "1234.5"}},
        // Not one number.
        {"1.234,56.7", {"refused", "refused", "refused", "refused"}},
        {"1,2,3", {"refused", "refused", "refused", "refused"}},
        {"1,23,456", {"refused", "refused", "refused", "refused"}},
        {"12 34", {"refused", "refused", "refused", "refused"}},
        {"1234,567.8", {"refused", "refused", "refused", "refused"}},
        {"1 234.567,8", {"refused", "refused", "refused", "refused"}},
        {"1,234E5", {"123400", "123400", "123400", "123400"}}, // no groups beside an exponent
        {"1,5 2,5", {"refused", "refused", "refused", "refused"}},
        {"12 apples", {"refused", "refused", "refused", "refused"}},
        {std::string(Euro) + Euro + "5", {"refused", "refused", "refused", "refused"}},
        {"5 EUR EUR", {"refused", "refused", "refused", "refused"}},
        {"--5", {"refused", "refused", "refused", "refused"}},
        {"$", {"refused", "refused", "refused", "refused"}},
    };
    for (const Case& c : cases) {
        for (std::size_t i = 0; i < Conventions.size(); ++i) {
            EXPECT_EQ(Pasted(Conventions[i], c.text), c.expected[i])
                << "'" << c.text << "' with " << Conventions[i].decimal << Conventions[i].group;
        }
    }
}

// A tape line re-used by a double click or Use Value follows the same rules (a tape of the blank
// convention may group with a Latin-1 no-break space).
TEST(PasteConventions, ATapeLineFollowsTheSameRules)
{
    EXPECT_EQ(Pasted({',', '.'}, "1234.56", true), "1234.56");
    EXPECT_EQ(Pasted({'.', ','}, "12,34", true), "12.34");
    EXPECT_EQ(Pasted({',', '\xA0'},
                     "1\xA0"
                     "234,5",
                     true),
              "1234.5");
    EXPECT_EQ(Pasted({'.', ','}, "1,2,3", true), "refused");
}

} // namespace
