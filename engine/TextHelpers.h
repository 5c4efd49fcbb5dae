#pragma once
// Character-set helpers on the engine's texts, and the tape's line layout.

#include <optional>
#include <string>
#include <string_view>

namespace engine {

// The tape's separator line: 26 hyphens. Its width is the width in which headings are centred.
inline constexpr std::string_view SeparatorLine = "--------------------------";

// The number a tape line holds, without the mark after it ("1,234.5 +" gives "1,234.5"), or
// nothing for a line that holds none ("Clear", the separator line, a blank line).
std::optional<std::string_view> TapeLineNumber(std::string_view line);

// The line centred in the separator line's width, moved right by `margin` more spaces.
std::string CenterLine(std::string_view line, int margin);

// The display's picture: 21 integer places grouped by threes, the last one always shown, and 21
// optional decimals: "###,###,###,###,###,###,##0.#####################" for "," and ".".
std::string BuildDisplayMask(char groupChar, char decimalChar);

} // namespace engine
