#include "tests/fakes/MemoryPlacementStore.h"

#include <cstring>

namespace elastic {
namespace {

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

} // namespace

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

} // namespace elastic
