#include "platform/Locale.h"

#include <clocale>

#include <gtest/gtest.h>

namespace {

TEST(SeparatorFromLocaleText, SingleBytesPassEmptyFallsBackLongerIsBlank)
{
    struct Case
    {
        const char* text;
        char fallback;
        char expected;
    };
    const Case cases[] = {
        {".", '.', '.'},        {",", '.', ','},
        {"'", ',', '\''},       {"", ',', ','},
        {nullptr, '.', '.'},    {"\xe2\x80\xaf", ',', ' '}, // narrow no-break space
        {"\xc2\xa0", ',', ' '}, {"\xe2\x80\x99", ',', ' '}, // no-break space, U+2019
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::SeparatorFromLocaleText(c.text, c.fallback), c.expected)
            << (c.text ? c.text : "(null)");
}

TEST(LocaleSeparators, CLocaleGivesPointAndCommaFallback)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "C");
    platform::SetSeparatorOverride(std::nullopt, std::nullopt);
    EXPECT_EQ(platform::LocaleDecimalSeparator(), '.');
    EXPECT_EQ(platform::LocaleThousandSeparator(), ','); // C has none
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(LocaleSeparators, OverrideIsReadAtEachCallAndScopedOverrideRestores)
{
    std::setlocale(LC_NUMERIC, "C");
    platform::SetSeparatorOverride(',', '.');
    EXPECT_EQ(platform::LocaleDecimalSeparator(), ',');
    EXPECT_EQ(platform::LocaleThousandSeparator(), '.');
    {
        platform::ScopedSeparatorOverride inner('.', '\'');
        EXPECT_EQ(platform::LocaleDecimalSeparator(), '.');
        EXPECT_EQ(platform::LocaleThousandSeparator(), '\'');
        {
            platform::ScopedSeparatorOverride onlyDecimal(',', std::nullopt);
            EXPECT_EQ(platform::LocaleDecimalSeparator(), ',');
            EXPECT_EQ(platform::LocaleThousandSeparator(), ','); // back to the C locale's fallback
        }
        EXPECT_EQ(platform::LocaleThousandSeparator(), '\'');
    }
    EXPECT_EQ(platform::LocaleDecimalSeparator(), ',');
    EXPECT_EQ(platform::LocaleThousandSeparator(), '.');
    platform::SetSeparatorOverride(std::nullopt, std::nullopt);
    EXPECT_EQ(platform::LocaleDecimalSeparator(), '.');
}

} // namespace
