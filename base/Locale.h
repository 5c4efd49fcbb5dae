#pragma once
// The user's number separators, as the decimal type and the engine read them.
//
// Both separators are single 8-bit characters, read from the process's LC_NUMERIC locale at each
// call (the program calls setlocale(LC_ALL, "") at start). A locale without a thousands separator
// gives ","; a separator that is not one 8-bit character (a UTF-8 narrow no-break space, say) is
// taken as a blank. An override replaces either separator for the whole process: the command-line
// driver's --decimal/--group options and the tests use it, so that no result depends on the
// machine's own locale.

#include <optional>

namespace base {

// The decimal separator: override, else the locale's, else ".".
char LocaleDecimalSeparator();

// The thousands separator: override, else the locale's, else ",".
char LocaleThousandSeparator();

// Replaces the separators the two functions above return (nullopt: back to the locale's).
void SetSeparatorOverride(std::optional<char> decimal, std::optional<char> group);

// Sets an override for the lifetime of the object and restores the previous one afterwards.
class ScopedSeparatorOverride
{
public:
    ScopedSeparatorOverride(std::optional<char> decimal, std::optional<char> group);
    ~ScopedSeparatorOverride();
    ScopedSeparatorOverride(const ScopedSeparatorOverride&) = delete;
    ScopedSeparatorOverride& operator=(const ScopedSeparatorOverride&) = delete;

private:
    std::optional<char> previousDecimal_;
    std::optional<char> previousGroup_;
};

// The conversion rule for a separator text taken from a locale database, exposed for tests:
// empty gives `fallback`, one byte gives that byte, anything longer gives a blank.
char SeparatorFromLocaleText(const char* text, char fallback);

} // namespace base
