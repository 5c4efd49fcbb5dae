#pragma once
// A placement store in memory, for the scaler's tests: keys and values with the registry store's
// value types (integers as DWORD or decimal text, doubles as 8 bytes, Booleans as "0"/"1").

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "controls/ElasticPlacement.h"

namespace elastic {

// Keys and values in memory, with the value types above. It records every value name read, in order.
class TMemoryPlacementStore : public TPlacementStore
{
public:
    using Value = std::variant<std::int32_t, double, std::string, std::vector<std::uint8_t>>;

    std::unique_ptr<TPlacementKey> OpenForReading(const std::string& path) override;
    std::unique_ptr<TPlacementKey> OpenForWriting(const std::string& path) override;

    bool KeyExists(const std::string& path) const;
    std::optional<Value> Get(const std::string& path, const std::string& name) const;
    void Set(const std::string& path, const std::string& name, Value value);
    std::vector<std::string> ValueNames(const std::string& path) const; // in the order first written
    void Clear() { keys_.clear(); }

    std::vector<std::string> reads; // value names read, in order
    int saves = 0;                  // keys closed after writing

private:
    struct Key
    {
        std::map<std::string, Value> values;
        std::vector<std::string> order;
    };
    std::map<std::string, Key> keys_;
};

} // namespace elastic
