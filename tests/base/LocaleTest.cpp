#include "base/Locale.h"

#include <clocale>
#include <string>

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
        EXPECT_EQ(base::SeparatorFromLocaleText(c.text, c.fallback), c.expected)
            << (c.text ? c.text : "(null)");
}

TEST(LocaleSeparators, CLocaleGivesPointAndCommaFallback)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(base::LocaleDecimalSeparator(), '.');
    EXPECT_EQ(base::LocaleThousandSeparator(), ','); // C has none
    std::setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace
