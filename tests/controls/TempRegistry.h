#pragma once
// The per-user registry in a temporary folder, for the scaler's tests: values put in with their
// registry types as another program would write them, read back with their types, and the program's
// replacements of the file counted.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <QTemporaryDir>

#include "platform/AtomicFile.h"
#include "platform/Registry.h"

namespace controlstest {

class TempRegistry
{
public:
    // A DWORD, an 8-byte REG_BINARY double, REG_SZ text, or REG_BINARY of another length.
    using Value = std::variant<std::int32_t, double, std::string, std::vector<std::uint8_t>>;

    TempRegistry();

    // Writes the value into the file directly (not counted as a save).
    void Set(std::string_view key, std::string_view name, const Value& value);
    std::optional<Value> Get(std::string_view key, std::string_view name) const;
    // The names of the key's values, as the file lists them.
    std::vector<std::string> ValueNames(std::string_view key) const;

    int saves = 0; // the file replacements since the object was made

private:
    QTemporaryDir folder_;
    platform::ScopedHiveDirectory hive_;
    platform::files::ScopedIoHooks hooks_;
};

} // namespace controlstest
