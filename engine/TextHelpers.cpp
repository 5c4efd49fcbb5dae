#include "engine/TextHelpers.h"

namespace engine {

std::string RemoveAllOf(std::string_view text, std::string_view chars)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (chars.find(c) == std::string_view::npos)
            out.push_back(c);
    }
    return out;
}

std::string TrimEndOf(std::string_view text, std::string_view chars)
{
    const std::size_t last = text.find_last_not_of(chars);
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string TrimStartOf(std::string_view text, std::string_view chars)
{
    const std::size_t first = text.find_first_not_of(chars);
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
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
