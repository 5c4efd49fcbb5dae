#include "engine/TextHelpers.h"

namespace engine {

std::optional<std::string_view> TapeLineNumber(std::string_view line)
{
    // The marks the engine writes after a number, longest first where one ends another.
    for (const std::string_view mark :
         {" +/-", " sqrt", " 1/x", " MS", " M+", " M-", " +", " -", " *", " /", " =", " %", "  "}) {
        if (line.ends_with(mark)) {
            line.remove_suffix(mark.size());
            break;
        }
    }
    const std::size_t first = line.find_first_not_of(" \xA0");
    if (first == std::string_view::npos)
        return std::nullopt;
    line = line.substr(first, line.find_last_not_of(" \xA0") - first + 1);

    // [-] digits and separators [E [+|-] digits]: what the display shows, in any locale.
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = line.starts_with('-') ? 1 : 0;
    if (i >= line.size() || !isDigit(line[i]))
        return std::nullopt;
    while (i < line.size() &&
           (isDigit(line[i]) || std::string_view(".,' \xA0").find(line[i]) != std::string_view::npos))
        ++i;
    if (i < line.size() && line[i] == 'E') {
        ++i;
        if (i < line.size() && (line[i] == '+' || line[i] == '-'))
            ++i;
        if (i >= line.size())
            return std::nullopt;
        while (i < line.size() && isDigit(line[i]))
            ++i;
    }
    if (i != line.size())
        return std::nullopt;
    return line;
}

std::string CenterLine(std::string_view line, int margin)
{
    const long width = static_cast<long>(SeparatorLine.size());
    const long pad = (width - static_cast<long>(line.size())) / 2 + margin; // cut toward zero
    if (pad <= 0)
        return std::string(line);
    return std::string(static_cast<std::size_t>(pad), ' ') + std::string(line);
}

std::string BuildDisplayMask(char groupChar, char decimalChar)
{
    std::string mask;
    for (int i = 0; i < 6; ++i) {
        mask += "###";
        mask.push_back(groupChar);
    }
    mask += "##0";
    mask.push_back(decimalChar);
    mask.append(21, '#');
    return mask;
}

} // namespace engine
