#pragma once
// Binary floating-point texts, where the engine works with them instead of the decimal type: the
// sign test of the square root, the integer entry path and the clipboard paste.

#include <optional>
#include <string>
#include <string_view>

namespace engine {

// Strict text-to-number conversion in extended precision, independent of the C library's locale:
// optional blanks (space, tab, CR, LF) around the number, an optional sign, digits with at most one
// `decimalChar` and at least one digit, an optional exponent (E or e, optional sign, digits). Anything
// else fails, as does a value beyond the range of long double (or below its smallest normal value).
std::optional<long double> ParseFloatText(std::string_view text, char decimalChar);

// The clipboard paste's display text for a number: rounded to 18 significant digits and to at most
// 21 decimals, integer digits grouped by threes with `groupChar`, no trailing zeros after
// `decimalChar`, "-" for a negative number. From 1E18 in magnitude: 15 significant digits and an
// exponent without "+" and without leading zeros (1E25, 1.5E20).
std::string FormatPasteValue(long double value, char decimalChar, char groupChar);

} // namespace engine
