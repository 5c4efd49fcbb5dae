#include "base/Locale.h"

#include <atomic>
#include <cstring>
#include <langinfo.h>

namespace base {
namespace {

// -1 means "no override"; otherwise the character's unsigned value.
std::atomic<int> decimalOverride{-1};
std::atomic<int> groupOverride{-1};

int Encode(std::optional<char> c)
{
    return c ? static_cast<unsigned char>(*c) : -1;
}

std::optional<char> Decode(int v)
{
    if (v < 0)
        return std::nullopt;
    return static_cast<char>(v);
}

} // namespace

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
    if (const int v = decimalOverride.load(std::memory_order_relaxed); v >= 0)
        return static_cast<char>(v);
    return SeparatorFromLocaleText(nl_langinfo(RADIXCHAR), '.');
}

char LocaleThousandSeparator()
{
    if (const int v = groupOverride.load(std::memory_order_relaxed); v >= 0)
        return static_cast<char>(v);
    return SeparatorFromLocaleText(nl_langinfo(THOUSEP), ',');
}

void SetSeparatorOverride(std::optional<char> decimal, std::optional<char> group)
{
    decimalOverride.store(Encode(decimal), std::memory_order_relaxed);
    groupOverride.store(Encode(group), std::memory_order_relaxed);
}

ScopedSeparatorOverride::ScopedSeparatorOverride(std::optional<char> decimal, std::optional<char> group)
    : previousDecimal_(Decode(decimalOverride.load())), previousGroup_(Decode(groupOverride.load()))
{
    SetSeparatorOverride(decimal, group);
}

ScopedSeparatorOverride::~ScopedSeparatorOverride()
{
    SetSeparatorOverride(previousDecimal_, previousGroup_);
}

} // namespace base
