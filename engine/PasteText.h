#pragma once
// Reading an amount pasted from another program, written in either convention: "1,234.56" or
// "1.234,56", grouped by points, commas, blanks (no-break and narrow ones too) or apostrophes, with a
// currency sign or code at either end. An amount is read only where the text says which character is
// the decimal separator; the locale decides only between the two readings of "1,234" or "1.234".

#include <optional>
#include <string>
#include <string_view>

#include "decimal/StBCD.h"

namespace engine {

// The number `text` (UTF-8; a text that is not UTF-8 is taken as Latin-1) writes, as plain text for
// ParseFloatText: an optional "-", the digits without grouping, `locale.decimal` before the decimals,
// and the exponent as written ("E", an optional sign and digits). Nothing for a text that is not one
// number: letters, two decimal separators, groups of other than three digits after a separator, a
// first group starting with 0 or of more than three digits, several kinds of group separator, a
// group separator in the decimals or beside an exponent, and "1,234" or "1.234" where the character
// is neither the locale's decimal separator nor its group separator. Blanks at the ends, and one
// currency sign or code at either end (€ $ £ ¥ EUR USD CHF, before or after the sign), are ignored.
std::optional<std::string> ReadPastedNumber(std::string_view text, TBcdSeparators locale);

} // namespace engine
