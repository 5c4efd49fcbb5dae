#include "controls/ElasticPlacement.h"

#include <charconv>
#include <cstring>

#include "platform/Registry.h"

namespace elastic {
namespace {

using platform::TRegDataType;
using platform::TRegistry;

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

class RegistryKey : public TPlacementKey
{
public:
    explicit RegistryKey(std::unique_ptr<TRegistry> registry) : registry_(std::move(registry)) {}

    std::optional<std::int32_t> ReadInteger(std::string_view name) override
    {
        try {
            switch (registry_->GetDataType(name)) {
            case TRegDataType::rdInteger:
                return registry_->ReadInteger(name);
            case TRegDataType::rdString:
                return ParseDecimal(registry_->ReadString(name));
            default:
                return std::nullopt;
            }
        } catch (const platform::ERegistryException&) {
            return std::nullopt;
        }
    }

    std::optional<double> ReadFloat(std::string_view name) override
    {
        try {
            if (registry_->GetDataType(name) != TRegDataType::rdBinary || registry_->GetDataSize(name) != 8)
                return std::nullopt;
            return registry_->ReadFloat(name);
        } catch (const platform::ERegistryException&) {
            return std::nullopt;
        }
    }

    std::optional<bool> ReadBool(std::string_view name) override
    {
        try {
            switch (registry_->GetDataType(name)) {
            case TRegDataType::rdString: {
                const std::optional<std::int32_t> number = ParseDecimal(registry_->ReadString(name));
                if (!number)
                    return std::nullopt;
                return *number != 0;
            }
            case TRegDataType::rdInteger:
                return registry_->ReadInteger(name) != 0;
            default:
                return std::nullopt;
            }
        } catch (const platform::ERegistryException&) {
            return std::nullopt;
        }
    }

    void WriteInteger(std::string_view name, std::int32_t value) override
    {
        if (registry_->GetDataType(name) == TRegDataType::rdString)
            registry_->WriteString(name, std::to_string(value));
        else
            registry_->WriteInteger(name, value);
    }

    void WriteFloat(std::string_view name, double value) override { registry_->WriteFloat(name, value); }

    void WriteBool(std::string_view name, bool value) override
    {
        registry_->WriteString(name, value ? "1" : "0");
    }

    void Close() override { registry_->CloseKey(); }

private:
    std::unique_ptr<TRegistry> registry_;
};

class RegistryStore : public TPlacementStore
{
public:
    std::unique_ptr<TPlacementKey> OpenForReading(const std::string& path) override
    {
        auto registry = std::make_unique<TRegistry>();
        if (!registry->OpenKey(path, false))
            return nullptr;
        return std::make_unique<RegistryKey>(std::move(registry));
    }

    std::unique_ptr<TPlacementKey> OpenForWriting(const std::string& path) override
    {
        auto registry = std::make_unique<TRegistry>();
        if (!registry->OpenKey(path, true))
            throw platform::ERegistryException("Failed to create key '" + path + "'");
        return std::make_unique<RegistryKey>(std::move(registry));
    }
};

} // namespace

std::shared_ptr<TPlacementStore> RegistryPlacementStore()
{
    return std::make_shared<RegistryStore>();
}

class MemoryKey : public TPlacementKey
{
public:
    MemoryKey(TMemoryPlacementStore& store, std::string path) : store_(store), path_(std::move(path)) {}

    std::optional<std::int32_t> ReadInteger(std::string_view name) override
    {
        const auto value = Read(name);
        if (!value)
            return std::nullopt;
        if (const auto* number = std::get_if<std::int32_t>(&*value))
            return *number;
        if (const auto* text = std::get_if<std::string>(&*value))
            return ParseDecimal(*text);
        return std::nullopt;
    }

    std::optional<double> ReadFloat(std::string_view name) override
    {
        const auto value = Read(name);
        if (!value)
            return std::nullopt;
        if (const auto* number = std::get_if<double>(&*value))
            return *number;
        if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&*value);
            bytes != nullptr && bytes->size() == 8) {
            double number = 0;
            std::memcpy(&number, bytes->data(), 8);
            return number;
        }
        return std::nullopt;
    }

    std::optional<bool> ReadBool(std::string_view name) override
    {
        const auto value = Read(name);
        if (!value)
            return std::nullopt;
        if (const auto* text = std::get_if<std::string>(&*value)) {
            const auto number = ParseDecimal(*text);
            if (!number)
                return std::nullopt;
            return *number != 0;
        }
        if (const auto* number = std::get_if<std::int32_t>(&*value))
            return *number != 0;
        return std::nullopt;
    }

    void WriteInteger(std::string_view name, std::int32_t value) override
    {
        const auto existing = store_.Get(path_, std::string(name));
        if (existing && std::holds_alternative<std::string>(*existing))
            store_.Set(path_, std::string(name), std::to_string(value));
        else
            store_.Set(path_, std::string(name), value);
    }

    void WriteFloat(std::string_view name, double value) override
    {
        store_.Set(path_, std::string(name), value);
    }

    void WriteBool(std::string_view name, bool value) override
    {
        store_.Set(path_, std::string(name), std::string(value ? "1" : "0"));
    }

    void Close() override { ++store_.saves; }

private:
    std::optional<TMemoryPlacementStore::Value> Read(std::string_view name)
    {
        store_.reads.emplace_back(name);
        return store_.Get(path_, std::string(name));
    }

    TMemoryPlacementStore& store_;
    std::string path_;
};

std::unique_ptr<TPlacementKey> TMemoryPlacementStore::OpenForReading(const std::string& path)
{
    if (!KeyExists(path))
        return nullptr;
    return std::make_unique<MemoryKey>(*this, path);
}

std::unique_ptr<TPlacementKey> TMemoryPlacementStore::OpenForWriting(const std::string& path)
{
    keys_[path];
    return std::make_unique<MemoryKey>(*this, path);
}

bool TMemoryPlacementStore::KeyExists(const std::string& path) const
{
    return keys_.count(path) != 0;
}

std::optional<TMemoryPlacementStore::Value> TMemoryPlacementStore::Get(const std::string& path,
                                                                       const std::string& name) const
{
    const auto key = keys_.find(path);
    if (key == keys_.end())
        return std::nullopt;
    const auto value = key->second.values.find(name);
    if (value == key->second.values.end())
        return std::nullopt;
    return value->second;
}

void TMemoryPlacementStore::Set(const std::string& path, const std::string& name, Value value)
{
    Key& key = keys_[path];
    if (key.values.count(name) == 0)
        key.order.push_back(name);
    key.values[name] = std::move(value);
}

std::vector<std::string> TMemoryPlacementStore::ValueNames(const std::string& path) const
{
    const auto key = keys_.find(path);
    return key == keys_.end() ? std::vector<std::string>() : key->second.order;
}

std::string VisibleValue(int index)
{
    return "Visible " + std::to_string(index);
}

std::vector<std::int32_t> PlacementFields(const platform::TWindowPlacement& p)
{
    return {p.length,  p.flags,    p.showCmd, p.minPosX,   p.minPosY,   p.maxPosX,
            p.maxPosY, p.normLeft, p.normTop, p.normRight, p.normBottom};
}

platform::TWindowPlacement PlacementFromFields(const std::vector<std::int32_t>& f)
{
    platform::TWindowPlacement p;
    if (f.size() != 11)
        return p;
    p.length = f[0];
    p.flags = f[1];
    p.showCmd = f[2];
    p.minPosX = f[3];
    p.minPosY = f[4];
    p.maxPosX = f[5];
    p.maxPosY = f[6];
    p.normLeft = f[7];
    p.normTop = f[8];
    p.normRight = f[9];
    p.normBottom = f[10];
    return p;
}

} // namespace elastic
