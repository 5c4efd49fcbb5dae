#include "controls/ElasticPlacement.h"

#include <charconv>

#include "platform/Registry.h"

namespace elastic {
namespace {

using platform::TRegistry;

class RegistryKey : public TPlacementKey
{
public:
    std::optional<std::int32_t> ReadInteger(std::string_view name) override
    {
        if (const std::optional<std::string> text = registry.ReadString(name))
            return ParseDecimal(*text);
        return registry.ReadInteger(name);
    }

    std::optional<double> ReadFloat(std::string_view name) override { return registry.ReadFloat(name); }

    void WriteInteger(std::string_view name, std::int32_t value) override
    {
        if (registry.ReadString(name))
            registry.WriteString(name, std::to_string(value));
        else
            registry.WriteInteger(name, value);
    }

    void WriteFloat(std::string_view name, double value) override { registry.WriteFloat(name, value); }

    void WriteBool(std::string_view name, bool value) override
    {
        registry.WriteString(name, value ? "1" : "0");
    }

    void Close() override { registry.CloseKey(); }

    TRegistry registry;
};

class RegistryStore : public TPlacementStore
{
public:
    std::unique_ptr<TPlacementKey> OpenForReading(const std::string& path) override
    {
        auto key = std::make_unique<RegistryKey>();
        return key->registry.OpenKey(path, false) ? std::move(key) : nullptr;
    }

    std::unique_ptr<TPlacementKey> OpenForWriting(const std::string& path) override
    {
        auto key = std::make_unique<RegistryKey>();
        if (!key->registry.OpenKey(path, true))
            throw platform::ERegistryException("Failed to create key '" + path + "'");
        return key;
    }
};

} // namespace

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

std::shared_ptr<TPlacementStore> RegistryPlacementStore()
{
    return std::make_shared<RegistryStore>();
}

std::string VisibleValue(int index)
{
    return "Visible " + std::to_string(index);
}

} // namespace elastic
