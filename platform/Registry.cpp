#include "platform/Registry.h"

#include "platform/RegistryFile.h"
#include "platform/RegistryHive.h"

#include <bit>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

using reghive::Hive;
using FileState = regfile::FileContents::State;

std::mutex directoriesMutex;
std::filesystem::path userDirectoryOverride;
std::filesystem::path machineDirectoryOverride;

std::string Quoted(std::string_view name)
{
    return "'" + std::string(name) + "'";
}

ERegistryException GetDataFailed(std::string_view name)
{
    return ERegistryException("Failed to get data for " + Quoted(name));
}

ERegistryException SetDataFailed(std::string_view name, std::error_code cause = {})
{
    return ERegistryException("Failed to set data for " + Quoted(name), cause);
}

ERegistryException InvalidDataType(std::string_view name)
{
    return ERegistryException("Invalid data type for " + Quoted(name));
}

std::filesystem::path EnvironmentDirectory(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path HomeDirectory()
{
    if (auto home = EnvironmentDirectory("HOME"); !home.empty())
        return home;
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir)
        return found->pw_dir;
    return {};
}

// A hive as read from its file now, with what is needed to write it back.
struct LoadedHive
{
    HKEY root = HKEY_CURRENT_USER;
    std::filesystem::path file;
    Hive hive;
    FileState state = FileState::Missing;
    int error = 0;
    bool damaged = false; // the file holds something that was not read: keep it before replacing it
};

LoadedHive LoadHive(HKEY root)
{
    LoadedHive loaded;
    loaded.root = root;
    loaded.file = TRegistry::HiveFile(root);
    if (loaded.file.empty()) { // no home folder: nowhere to keep anything
        loaded.state = FileState::Unreadable;
        loaded.error = ENOENT;
        return loaded;
    }
    regfile::FileContents contents = regfile::ReadHiveFile(loaded.file);
    loaded.state = contents.state;
    loaded.error = contents.error;
    if (contents.state == FileState::Read) {
        reghive::ParseResult parsed = reghive::Parse(contents.bytes, TRegistry::RootKeyName(root));
        loaded.hive = std::move(parsed.hive);
        loaded.damaged = parsed.damaged;
    } else if (contents.state == FileState::TooLarge) {
        loaded.damaged = true;
    }
    return loaded;
}

bool CanWrite(const LoadedHive& loaded)
{
    return loaded.state != FileState::Unreadable && regfile::CanReplaceFile(loaded.file);
}

// Replaces the hive file by `updated`; keeps a damaged file as ".bad" first. Throws std::system_error.
void SaveHive(const LoadedHive& loaded, const Hive& updated)
{
    if (loaded.state == FileState::Unreadable) // never overwrite what could not be read
        throw std::system_error(loaded.error ? loaded.error : EACCES, std::generic_category(),
                                loaded.file.string());
    const bool perUser = loaded.root == HKEY_CURRENT_USER;
    const mode_t fileMode = perUser ? 0600 : 0644;
    const mode_t folderMode = perUser ? 0700 : 0755;
    if (loaded.damaged)
        regfile::CopyFileAtomically(loaded.file, TRegistry::DamagedHiveFile(loaded.root), folderMode);
    regfile::WriteFileAtomically(loaded.file, updated.Format(TRegistry::RootKeyName(loaded.root)), fileMode,
                                 folderMode);
}

std::vector<std::uint8_t> LittleEndian(std::uint64_t value, std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
}

std::uint64_t FromLittleEndian(const std::vector<std::uint8_t>& bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

} // namespace

TRegistry::TRegistry() = default;

TRegistry::TRegistry(REGSAM access) : access_(access) {}

TRegistry::~TRegistry()
{
    try {
        CloseKey();
    } catch (...) { // a destructor cannot report: whoever must know calls CloseKey
    }
}

void TRegistry::SetRootKey(HKEY root)
{
    if (root == rootKey_)
        return;
    CloseKey();
    rootKey_ = root;
}

std::optional<std::string> TRegistry::ResolvePath(std::string_view key) const
{
    const bool absolute = key.starts_with('\\');
    if (absolute)
        key.remove_prefix(1);
    if (key.ends_with('\\'))
        key.remove_suffix(1);
    if (!reghive::IsValidKeyPath(key))
        return std::nullopt;
    const std::string base = absolute ? std::string() : currentKey_.value_or(std::string());
    if (base.empty())
        return std::string(key);
    if (key.empty())
        return base;
    std::string combined = base + '\\' + std::string(key);
    if (!reghive::IsValidKeyPath(combined))
        return std::nullopt;
    return combined;
}

bool TRegistry::OpenKey(std::string_view key, bool canCreate)
{
    const auto path = ResolvePath(key);
    if (!path)
        return false;
    LoadedHive loaded = LoadHive(rootKey_);
    const bool wantsWrite = (access_ & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
    if (wantsWrite && !CanWrite(loaded))
        return false;
    if (!loaded.hive.KeyExists(*path)) {
        if (!canCreate || !CanWrite(loaded))
            return false;
        Hive updated = loaded.hive;
        updated.CreateKey(*path);
        try {
            SaveHive(loaded, updated);
        } catch (const std::system_error&) {
            return false;
        }
        loaded.hive = std::move(updated);
    }
    std::string stored = loaded.hive.StoredPath(*path);
    CloseKey();
    currentKey_ = std::move(stored);
    openAccess_ = access_;
    return true;
}

bool TRegistry::OpenKeyReadOnly(std::string_view key)
{
    access_ = KEY_READ;
    return OpenKey(key, false);
}

void TRegistry::CloseKey()
{
    currentKey_.reset();
    openAccess_ = 0;
    Flush();
}

void TRegistry::Flush()
{
    if (pending_.empty())
        return;
    const std::vector<Change> changes = std::exchange(pending_, {});
    const std::string& firstName = changes.front().name;
    const LoadedHive loaded = LoadHive(rootKey_);
    if (!CanWrite(loaded))
        throw SetDataFailed(firstName, std::error_code(EACCES, std::generic_category()));
    Hive updated = loaded.hive;
    for (const Change& change : changes) {
        // A key deleted meanwhile (by this object or another) takes no values, as on Windows.
        const bool applied = change.type
                                 ? updated.SetValue(change.key, {change.name, *change.type, change.data})
                                 : updated.KeyExists(change.key);
        if (!applied)
            throw SetDataFailed(change.name);
        if (!change.type)
            updated.DeleteValue(change.key, change.name);
    }
    try {
        SaveHive(loaded, updated);
    } catch (const std::system_error& error) {
        throw SetDataFailed(firstName, error.code());
    }
}

bool TRegistry::KeyExists(std::string_view key) const
{
    const auto path = ResolvePath(key);
    return path && LoadHive(rootKey_).hive.KeyExists(*path);
}

bool TRegistry::DeleteKey(std::string_view key)
{
    // The argument must name a key: "" never means the open key itself.
    if (key.find_first_not_of('\\') == std::string_view::npos)
        return false;
    const auto path = ResolvePath(key);
    if (!path)
        return false;
    Flush();
    const LoadedHive loaded = LoadHive(rootKey_);
    if (!loaded.hive.KeyExists(*path) || !CanWrite(loaded))
        return false;
    Hive updated = loaded.hive;
    updated.DeleteKey(*path);
    try {
        SaveHive(loaded, updated);
    } catch (const std::system_error& error) {
        throw ERegistryException("Failed to delete key " + Quoted(key), error.code());
    }
    return true;
}

namespace {

// The hive as this object sees it: the file now plus its own deferred changes.
Hive View(HKEY root, const auto& pending)
{
    Hive hive = LoadHive(root).hive;
    for (const auto& change : pending) {
        if (change.type)
            hive.SetValue(change.key, {change.name, *change.type, change.data});
        else
            hive.DeleteValue(change.key, change.name);
    }
    return hive;
}

} // namespace

bool TRegistry::HasSubKeys() const
{
    return !GetKeyNames().empty();
}

std::vector<std::string> TRegistry::GetKeyNames() const
{
    if (!currentKey_ || !(openAccess_ & KEY_ENUMERATE_SUB_KEYS))
        return {};
    return LoadHive(rootKey_).hive.SubKeyNames(*currentKey_);
}

std::vector<std::string> TRegistry::GetValueNames() const
{
    if (!currentKey_ || !(openAccess_ & KEY_QUERY_VALUE))
        return {};
    return View(rootKey_, pending_).ValueNames(*currentKey_);
}

namespace {

std::optional<reghive::Value> FindValue(HKEY root, const auto& pending, const std::optional<std::string>& key,
                                        REGSAM access, std::string_view name)
{
    if (!key || !(access & KEY_QUERY_VALUE))
        return std::nullopt;
    const Hive hive = View(root, pending);
    const reghive::Value* value = hive.FindValue(*key, name);
    return value ? std::optional(*value) : std::nullopt;
}

} // namespace

bool TRegistry::ValueExists(std::string_view name) const
{
    return FindValue(rootKey_, pending_, currentKey_, openAccess_, name).has_value();
}

TRegDataType TRegistry::GetDataType(std::string_view name) const
{
    const auto value = FindValue(rootKey_, pending_, currentKey_, openAccess_, name);
    if (!value)
        return TRegDataType::rdUnknown;
    switch (value->type) {
    case REG_SZ:
        return TRegDataType::rdString;
    case REG_EXPAND_SZ:
        return TRegDataType::rdExpandString;
    case REG_DWORD:
        return TRegDataType::rdInteger;
    case REG_BINARY:
        return TRegDataType::rdBinary;
    default:
        return TRegDataType::rdUnknown;
    }
}

int TRegistry::GetDataSize(std::string_view name) const
{
    const auto value = FindValue(rootKey_, pending_, currentKey_, openAccess_, name);
    return value ? static_cast<int>(value->data.size()) : -1;
}

bool TRegistry::DeleteValue(std::string_view name)
{
    if (!currentKey_ || !(openAccess_ & KEY_SET_VALUE) ||
        !View(rootKey_, pending_).FindValue(*currentKey_, name))
        return false;
    pending_.push_back({*currentKey_, std::string(name), std::nullopt, {}});
    if (!lazyWrite_)
        Flush();
    return true;
}

std::int32_t TRegistry::ReadInteger(std::string_view name) const
{
    const auto value = FindValue(rootKey_, pending_, currentKey_, openAccess_, name);
    if (!value)
        throw GetDataFailed(name);
    if (value->type != REG_DWORD || value->data.size() != 4)
        throw InvalidDataType(name);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(FromLittleEndian(value->data)));
}

bool TRegistry::ReadBool(std::string_view name) const
{
    return ReadInteger(name) != 0;
}

std::string TRegistry::ReadString(std::string_view name) const
{
    const auto value = FindValue(rootKey_, pending_, currentKey_, openAccess_, name);
    if (!value)
        throw GetDataFailed(name);
    if (value->type != REG_SZ && value->type != REG_EXPAND_SZ)
        throw InvalidDataType(name);
    return std::string(value->data.begin(), value->data.end());
}

double TRegistry::ReadFloat(std::string_view name) const
{
    const auto value = FindValue(rootKey_, pending_, currentKey_, openAccess_, name);
    if (!value)
        throw GetDataFailed(name);
    if (value->type != REG_BINARY || value->data.size() != sizeof(double))
        throw InvalidDataType(name);
    return std::bit_cast<double>(FromLittleEndian(value->data));
}

std::vector<std::uint8_t> TRegistry::ReadBinaryData(std::string_view name) const
{
    auto value = FindValue(rootKey_, pending_, currentKey_, openAccess_, name);
    if (!value)
        throw GetDataFailed(name);
    if (value->type == REG_SZ || value->type == REG_EXPAND_SZ || value->type == REG_DWORD)
        throw InvalidDataType(name);
    return std::move(value->data);
}

void TRegistry::WriteValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data)
{
    if (!currentKey_ || !(openAccess_ & KEY_SET_VALUE) || !reghive::IsValidValueName(name))
        throw SetDataFailed(name);
    pending_.push_back({*currentKey_, std::string(name), type, std::move(data)});
    if (!lazyWrite_)
        Flush();
}

void TRegistry::WriteInteger(std::string_view name, std::int32_t value)
{
    WriteValue(name, REG_DWORD, LittleEndian(static_cast<std::uint32_t>(value), 4));
}

void TRegistry::WriteBool(std::string_view name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::WriteString(std::string_view name, std::string_view value)
{
    WriteValue(name, REG_SZ, std::vector<std::uint8_t>(value.begin(), value.end()));
}

void TRegistry::WriteExpandString(std::string_view name, std::string_view value)
{
    WriteValue(name, REG_EXPAND_SZ, std::vector<std::uint8_t>(value.begin(), value.end()));
}

void TRegistry::WriteFloat(std::string_view name, double value)
{
    WriteValue(name, REG_BINARY, LittleEndian(std::bit_cast<std::uint64_t>(value), sizeof(double)));
}

void TRegistry::WriteBinaryData(std::string_view name, std::span<const std::uint8_t> data)
{
    WriteValue(name, REG_BINARY, std::vector<std::uint8_t>(data.begin(), data.end()));
}

void TRegistry::SetHiveDirectories(std::filesystem::path userDirectory,
                                   std::filesystem::path machineDirectory)
{
    const std::lock_guard lock(directoriesMutex);
    userDirectoryOverride = std::move(userDirectory);
    machineDirectoryOverride = std::move(machineDirectory);
}

std::filesystem::path TRegistry::HiveDirectory(HKEY root)
{
    const bool perUser = root == HKEY_CURRENT_USER;
    {
        const std::lock_guard lock(directoriesMutex);
        const std::filesystem::path& chosen = perUser ? userDirectoryOverride : machineDirectoryOverride;
        if (!chosen.empty())
            return chosen;
    }
    if (auto fromEnvironment =
            EnvironmentDirectory(perUser ? "QUORLANE_USER_HIVE_DIR" : "QUORLANE_MACHINE_HIVE_DIR");
        !fromEnvironment.empty())
        return fromEnvironment;
    if (!perUser)
        return "/etc/xdg/quorlane";
    // The base directory specification ignores a relative XDG_CONFIG_HOME.
    if (auto config = EnvironmentDirectory("XDG_CONFIG_HOME"); config.is_absolute())
        return config / "quorlane";
    const std::filesystem::path home = HomeDirectory();
    return home.empty() ? std::filesystem::path() : home / ".config" / "quorlane";
}

std::filesystem::path TRegistry::HiveFile(HKEY root)
{
    const std::filesystem::path directory = HiveDirectory(root);
    if (directory.empty())
        return {};
    return directory / (root == HKEY_CURRENT_USER ? "user.reg" : "machine.reg");
}

std::filesystem::path TRegistry::DamagedHiveFile(HKEY root)
{
    std::filesystem::path file = HiveFile(root);
    if (!file.empty())
        file += ".bad";
    return file;
}

std::string_view TRegistry::RootKeyName(HKEY root)
{
    return root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

ScopedHiveDirectories::ScopedHiveDirectories(std::filesystem::path userDirectory,
                                             std::filesystem::path machineDirectory)
{
    {
        const std::lock_guard lock(directoriesMutex);
        previousUser_ = userDirectoryOverride;
        previousMachine_ = machineDirectoryOverride;
    }
    TRegistry::SetHiveDirectories(std::move(userDirectory), std::move(machineDirectory));
}

ScopedHiveDirectories::~ScopedHiveDirectories()
{
    TRegistry::SetHiveDirectories(std::move(previousUser_), std::move(previousMachine_));
}

} // namespace platform
