#include "platform/Registry.h"

#include "platform/RegistryFile.h"
#include "platform/RegistryHive.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
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

std::error_code SystemError(int error)
{
    return std::error_code(error, std::generic_category());
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

// What tells one state of a file from another without reading it.
struct FileIdentity
{
    int error = 0; // of stat: ENOENT for a missing file
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0; // ns
    std::int64_t changed = 0;  // ns

    bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const std::filesystem::path& file)
{
    FileIdentity identity;
    struct stat status = {};
    if (::stat(file.c_str(), &status) != 0) {
        identity.error = errno;
        return identity;
    }
    const auto ns = [](const timespec& t) { return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec; };
    identity.device = status.st_dev;
    identity.inode = status.st_ino;
    identity.size = status.st_size;
    identity.modified = ns(status.st_mtim);
    identity.changed = ns(status.st_ctim);
    return identity;
}

// A hive as this process knows it, with what is needed to write it back.
struct LoadedHive
{
    HKEY root = HKEY_CURRENT_USER;
    std::filesystem::path file;
    FileIdentity identity; // of the file when it was read or last written by this process
    Hive hive;
    FileState state = FileState::Missing;
    int error = 0;
    bool damaged = false; // the file holds something that was not read: keep it before replacing it
};

LoadedHive ReadHive(HKEY root, const std::filesystem::path& file)
{
    LoadedHive loaded;
    loaded.root = root;
    loaded.file = file;
    if (file.empty()) { // no home folder: nowhere to keep anything
        loaded.state = FileState::Unreadable;
        loaded.error = ENOENT;
        return loaded;
    }
    loaded.identity = IdentityOf(file);
    regfile::FileContents contents = regfile::ReadHiveFile(file);
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

// The hives of this process, read once and kept (see Registry.h). Every access holds the lock.
std::recursive_mutex hivesMutex;
std::optional<LoadedHive> userHive;
std::optional<LoadedHive> machineHive;

LoadedHive& CurrentHive(HKEY root)
{
    std::optional<LoadedHive>& slot = root == HKEY_CURRENT_USER ? userHive : machineHive;
    const std::filesystem::path file = TRegistry::HiveFile(root);
    if (!slot || slot->file != file || file.empty() || slot->identity != IdentityOf(file))
        slot = ReadHive(root, file);
    return *slot;
}

// Why the hive cannot be replaced (an errno), 0 when it can.
int WriteBlocker(const LoadedHive& loaded)
{
    if (loaded.state == FileState::Unreadable) // never overwrite what could not be read
        return loaded.error ? loaded.error : EACCES;
    return regfile::ReplaceBlocker(loaded.file);
}

// Replaces the hive file by `updated`, keeping a damaged file as ".bad" first, and makes `updated`
// the hive this process knows. Throws std::system_error; `loaded` is unchanged then.
void SaveHive(LoadedHive& loaded, Hive updated)
{
    if (const int blocker = WriteBlocker(loaded))
        throw std::system_error(blocker, std::generic_category(), loaded.file.string());
    const std::string text = updated.Format(TRegistry::RootKeyName(loaded.root));
    // A file this large would not be read back: never write one.
    if (text.size() > regfile::MaxHiveFileSize)
        throw std::system_error(EFBIG, std::generic_category(), loaded.file.string());
    const bool perUser = loaded.root == HKEY_CURRENT_USER;
    const mode_t fileMode = perUser ? 0600 : 0644;
    const mode_t folderMode = perUser ? 0700 : 0755;
    if (loaded.damaged)
        regfile::CopyFileAtomically(loaded.file, TRegistry::DamagedHiveFile(loaded.root), folderMode);
    regfile::WriteFileAtomically(loaded.file, text, fileMode, folderMode);
    loaded.hive = std::move(updated);
    loaded.state = FileState::Read;
    loaded.error = 0;
    loaded.damaged = false;
    loaded.identity = IdentityOf(loaded.file);
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

// Applies deferred changes to `hive`; the name of the first that cannot be applied (a key deleted
// meanwhile takes no values, as on Windows), or none.
template<typename Changes>
std::optional<std::string> Apply(Hive& hive, const Changes& changes)
{
    using Kind = typename Changes::value_type::Kind;
    for (const auto& change : changes) {
        switch (change.kind) {
        case Kind::CreateKey:
            hive.CreateKey(change.key);
            break;
        case Kind::SetValue:
            if (!hive.SetValue(change.key, {change.name, change.type, change.data}))
                return change.name;
            break;
        case Kind::DeleteValue:
            if (!hive.KeyExists(change.key))
                return change.name;
            hive.DeleteValue(change.key, change.name);
            break;
        }
    }
    return std::nullopt;
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

namespace {

// The hive as a TRegistry object sees it: the shared one plus its own deferred changes (a copy, only
// made while changes are deferred).
template<typename Changes, typename Use>
auto WithView(HKEY root, const Changes& pending, Use&& use)
{
    const std::lock_guard lock(hivesMutex);
    const Hive& shared = CurrentHive(root).hive;
    if (pending.empty())
        return use(shared);
    Hive view = shared;
    (void)Apply(view, pending);
    return use(static_cast<const Hive&>(view));
}

} // namespace

bool TRegistry::OpenKey(std::string_view key, bool canCreate)
{
    const auto path = ResolvePath(key);
    if (!path)
        return false;
    const std::lock_guard lock(hivesMutex);
    const bool wantsWrite = (access_ & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
    if (wantsWrite && WriteBlocker(CurrentHive(rootKey_)) != 0)
        return false;
    const bool exists = WithView(rootKey_, pending_, [&](const Hive& h) { return h.KeyExists(*path); });
    if (!exists && (!canCreate || WriteBlocker(CurrentHive(rootKey_)) != 0))
        return false;
    // The previous key is closed first: its deferred changes are written (which may raise).
    CloseKey();
    LoadedHive& loaded = CurrentHive(rootKey_);
    if (!exists && !lazyWrite_) {
        Hive updated = loaded.hive;
        updated.CreateKey(*path);
        try {
            SaveHive(loaded, std::move(updated));
        } catch (const std::system_error&) {
            return false;
        }
    }
    if (!exists && lazyWrite_) {
        pending_.push_back({Change::Kind::CreateKey, *path, {}, 0, {}});
        currentKey_ = WithView(rootKey_, pending_, [&](const Hive& h) { return h.StoredPath(*path); });
    } else {
        currentKey_ = loaded.hive.StoredPath(*path);
    }
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
    // Failures name the first value changed (a created key has no value name).
    const auto firstValue = std::find_if(changes.begin(), changes.end(),
                                         [](const Change& c) { return c.kind != Change::Kind::CreateKey; });
    const std::string firstName = firstValue != changes.end() ? firstValue->name : changes.front().key;
    const std::lock_guard lock(hivesMutex);
    LoadedHive& loaded = CurrentHive(rootKey_);
    if (const int blocker = WriteBlocker(loaded))
        throw SetDataFailed(firstName, SystemError(blocker));
    Hive updated = loaded.hive;
    if (const auto failed = Apply(updated, changes))
        throw SetDataFailed(*failed);
    try {
        SaveHive(loaded, std::move(updated));
    } catch (const std::system_error& error) {
        throw SetDataFailed(firstName, error.code());
    }
}

bool TRegistry::KeyExists(std::string_view key) const
{
    const auto path = ResolvePath(key);
    return path && WithView(rootKey_, pending_, [&](const Hive& h) { return h.KeyExists(*path); });
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
    const std::lock_guard lock(hivesMutex);
    LoadedHive& loaded = CurrentHive(rootKey_);
    if (!loaded.hive.KeyExists(*path) || WriteBlocker(loaded) != 0)
        return false;
    Hive updated = loaded.hive;
    updated.DeleteKey(*path);
    try {
        SaveHive(loaded, std::move(updated));
    } catch (const std::system_error& error) {
        throw ERegistryException("Failed to delete key " + Quoted(key), error.code());
    }
    return true;
}

bool TRegistry::HasSubKeys() const
{
    return !GetKeyNames().empty();
}

std::vector<std::string> TRegistry::GetKeyNames() const
{
    if (!currentKey_ || !(openAccess_ & KEY_ENUMERATE_SUB_KEYS))
        return {};
    return WithView(rootKey_, pending_, [&](const Hive& h) { return h.SubKeyNames(*currentKey_); });
}

std::vector<std::string> TRegistry::GetValueNames() const
{
    if (!currentKey_ || !(openAccess_ & KEY_QUERY_VALUE))
        return {};
    return WithView(rootKey_, pending_, [&](const Hive& h) { return h.ValueNames(*currentKey_); });
}

namespace {

template<typename Changes>
std::optional<reghive::Value> FindValue(HKEY root, const Changes& pending,
                                        const std::optional<std::string>& key, REGSAM access,
                                        std::string_view name)
{
    if (!key || !(access & KEY_QUERY_VALUE))
        return std::nullopt;
    // The latest deferred change of the value, if any, is what this object sees.
    using Kind = typename Changes::value_type::Kind;
    const std::string foldedKey = reghive::FoldCase(*key);
    const std::string foldedName = reghive::FoldCase(name);
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
        if (it->kind == Kind::CreateKey || reghive::FoldCase(it->key) != foldedKey ||
            reghive::FoldCase(it->name) != foldedName)
            continue;
        if (it->kind == Kind::DeleteValue)
            return std::nullopt;
        return reghive::Value{it->name, it->type, it->data};
    }
    const std::lock_guard lock(hivesMutex);
    const reghive::Value* value = CurrentHive(root).hive.FindValue(*key, name);
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
        !FindValue(rootKey_, pending_, currentKey_, openAccess_ | KEY_QUERY_VALUE, name))
        return false;
    pending_.push_back({Change::Kind::DeleteValue, *currentKey_, std::string(name), 0, {}});
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
    pending_.push_back({Change::Kind::SetValue, *currentKey_, std::string(name), type, std::move(data)});
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

std::error_code TRegistry::HiveWriteError(HKEY root)
{
    const std::lock_guard lock(hivesMutex);
    const int blocker = WriteBlocker(CurrentHive(root));
    return blocker ? SystemError(blocker) : std::error_code();
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
