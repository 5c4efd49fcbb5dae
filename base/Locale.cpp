#include "base/Locale.h"

#include <langinfo.h>

namespace base {

char SeparatorFromLocaleText(const char* text, char fallback)
{
    if (text == nullptr || text[0] == '\0')
        return fallback;
    if (text[1] == '\0')
        return text[0];
    return ' ';
}

char LocaleDecimalSeparator()
{
    return SeparatorFromLocaleText(nl_langinfo(RADIXCHAR), '.');
}

char LocaleThousandSeparator()
{
    return SeparatorFromLocaleText(nl_langinfo(THOUSEP), ',');
}

} // namespace base
