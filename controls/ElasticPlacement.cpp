#include "controls/ElasticPlacement.h"

#include <charconv>

#include "platform/Registry.h"

namespace elastic {

std::optional<std::int32_t> ParseDecimal(std::string_view text)
{
    std::int32_t value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last)
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> ReadStoredInteger(const platform::TRegistry& registry, std::string_view name)
{
    if (const std::optional<std::string> text = registry.ReadString(name))
        return ParseDecimal(*text);
    return registry.ReadInteger(name);
}

void WriteStoredInteger(platform::TRegistry& registry, std::string_view name, std::int32_t value)
{
    if (registry.ReadString(name))
        registry.WriteString(name, std::to_string(value));
    else
        registry.WriteInteger(name, value);
}

std::string VisibleValue(int index)
{
    return "Visible " + std::to_string(index);
}

} // namespace elastic
