#include "platform/Registry.h"

#include "platform/AtomicFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

using reghive::Hive;
using FileState = files::FileContents::State;
constexpr std::string_view RootName = "HKEY_CURRENT_USER";

ERegistryException SetDataFailed(std::string_view name, std::error_code cause = {})
{
    return ERegistryException("Failed to set data for '" + std::string(name) + "'", cause);
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
    const passwd* entry = ::getpwuid(::geteuid()); // the program reads its settings on one thread
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : std::filesystem::path();
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
    struct stat status = {};
    if (::stat(file.c_str(), &status) != 0)
        return {errno};
    const auto ns = [](const timespec& t) { return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec; };
    return {0, status.st_dev, status.st_ino, status.st_size, ns(status.st_mtim), ns(status.st_ctim)};
}

// The file as this process knows it, with what is needed to write it back.
struct LoadedHive
{
    std::filesystem::path file;
    FileIdentity identity; // of the file when it was read or last written by this process
    Hive hive;
    int unreadable = 0;   // errno when the file exists but cannot be read: it is never replaced then
    bool damaged = false; // the file holds something that was not read: keep it before replacing it
    std::string damage;   // what is wrong with it
};

LoadedHive ReadHive(const std::filesystem::path& file)
{
    LoadedHive loaded;
    loaded.file = file;
    if (file.empty()) { // no home folder: nowhere to keep anything
        loaded.unreadable = ENOENT;
        return loaded;
    }
    loaded.identity = IdentityOf(file);
    files::FileContents contents = files::ReadWholeFile(file, regfile::MaxHiveFileSize);
    if (contents.state == FileState::Read) {
        reghive::ParseResult parsed = reghive::Parse(contents.bytes, RootName);
        loaded.hive = std::move(parsed.hive);
        loaded.damaged = parsed.damaged;
        loaded.damage = parsed.damagedLine <= 1
                            ? "it is no settings text (its first line is not \"Windows Registry Editor "
                              "Version 5.00\")"
                            : "its line " + std::to_string(parsed.damagedLine) + " cannot be read";
    } else {
        loaded.damaged = contents.state == FileState::TooLarge;
        loaded.damage = "it is larger than 1 MB";
        loaded.unreadable = contents.error; // 0 but for an unreadable file
    }
    return loaded;
}

// The store of this process, read once and kept (see Registry.h).
struct Store
{
    std::filesystem::path directoryOverride;
    std::optional<LoadedHive> hive;
    std::optional<SetAsideNotice> notice;
};

Store& TheStore()
{
    static Store store;
    return store;
}

// Why the file must not be replaced (an errno), 0 when it may: a file that could not be read, or
// one this process may not write (a rename in a writable folder would replace it all the same).
// A folder that cannot be written, or a file where a folder belongs, fails the replacement itself.
int WriteBlocker(const LoadedHive& loaded)
{
    if (loaded.unreadable != 0)
        return loaded.unreadable;
    try {
        if (::access(files::ReplacementTarget(loaded.file).c_str(), W_OK) != 0 && errno != ENOENT)
            return errno;
    } catch (const files::UnsafeLink& e) {
        return e.code().value();
    }
    return 0;
}

// Keeps a damaged file aside before anything replaces it; returns where. Throws std::system_error.
std::filesystem::path KeepDamaged(LoadedHive& loaded)
{
    std::filesystem::path copy = files::SetAside(loaded.file, files::SetAsideHow::Link);
    loaded.damaged = false;
    loaded.identity = IdentityOf(loaded.file); // a second name changes the file's status
    return copy;
}

LoadedHive& CurrentHive()
{
    std::optional<LoadedHive>& slot = TheStore().hive;
    const std::filesystem::path file = TRegistry::HiveFile();
    if (slot && slot->file == file && !file.empty() && slot->identity == IdentityOf(file))
        return *slot;
    slot = ReadHive(file);
    // A file that will be replaced is kept aside at once, so that the start can say where.
    if (slot->damaged && WriteBlocker(*slot) == 0) {
        SetAsideNotice notice{file, slot->damage, {}, {}};
        try {
            notice.copy = KeepDamaged(*slot);
        } catch (const std::system_error& e) {
            notice.failure = e.code().message();
        }
        TheStore().notice = std::move(notice);
    }
    return *slot;
}

// Replaces the file by `updated`, keeping a damaged file aside first (when that did not happen as it
// was read), and makes `updated` the hive this process knows. Throws std::system_error; `loaded` is
// unchanged then.
void SaveHive(LoadedHive& loaded, Hive updated)
{
    if (const int blocker = WriteBlocker(loaded))
        throw std::system_error(blocker, std::generic_category(), loaded.file.string());
    const std::string text = updated.Format(RootName);
    // A file this large would not be read back: never write one.
    if (text.size() > regfile::MaxHiveFileSize)
        throw std::system_error(EFBIG, std::generic_category(), loaded.file.string());
    if (loaded.damaged)
        KeepDamaged(loaded);
    files::WriteFileAtomically(loaded.file, text, 0600, 0700);
    loaded.hive = std::move(updated);
    loaded.identity = IdentityOf(loaded.file);
}

reghive::Bytes LittleEndian(std::uint64_t value, std::size_t size)
{
    reghive::Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
}

std::uint64_t FromLittleEndian(const reghive::Bytes& bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

std::optional<std::string> ResolvePath(std::string_view key)
{
    if (key.starts_with('\\'))
        key.remove_prefix(1);
    if (key.ends_with('\\'))
        key.remove_suffix(1);
    if (!reghive::IsValidKeyPath(key))
        return std::nullopt;
    return std::string(key);
}

} // namespace

TRegistry::~TRegistry()
{
    try {
        CloseKey();
    } catch (...) { // a destructor cannot report: whoever must know calls CloseKey
    }
}

bool TRegistry::OpenKey(std::string_view key, bool canCreate)
{
    const auto path = ResolvePath(key);
    if (!path)
        return false;
    const bool exists = CurrentHive().hive.KeyExists(*path);
    if (!exists && !canCreate)
        return false;
    CloseKey();
    createKey_ = !exists;
    currentKey_ = *path;
    return true;
}

void TRegistry::CloseKey()
{
    const std::optional<std::string> key = std::exchange(currentKey_, std::nullopt);
    const bool create = std::exchange(createKey_, false);
    const std::vector<reghive::Value> changes = std::exchange(pending_, {});
    if (!key || (changes.empty() && !create))
        return;
    // Failures name the first value changed (a created key without values names the key).
    const std::string firstName = changes.empty() ? *key : changes.front().name;
    LoadedHive& loaded = CurrentHive();
    Hive updated = loaded.hive;
    // A key deleted meanwhile takes no values.
    if (create)
        updated.CreateKey(*key);
    for (const reghive::Value& value : changes) {
        if (!updated.SetValue(*key, value))
            throw SetDataFailed(value.name);
    }
    try {
        SaveHive(loaded, std::move(updated));
    } catch (const std::system_error& error) {
        throw SetDataFailed(firstName, error.code());
    }
}

bool TRegistry::DeleteKey(std::string_view key)
{
    const auto path = ResolvePath(key);
    if (!path || path->empty())
        return false;
    LoadedHive& loaded = CurrentHive();
    if (!loaded.hive.KeyExists(*path))
        return false;
    Hive updated = loaded.hive;
    updated.DeleteKey(*path);
    try {
        SaveHive(loaded, std::move(updated));
    } catch (const std::system_error& error) {
        throw ERegistryException("Failed to delete key '" + std::string(key) + "'", error.code());
    }
    return true;
}

std::optional<reghive::Bytes> TRegistry::Find(std::string_view name, std::uint32_t type,
                                              std::size_t size) const
{
    if (!currentKey_)
        return std::nullopt;
    // The latest change of the value, if any, is what this object sees.
    const std::string folded = reghive::FoldCase(name);
    const reghive::Value* value = nullptr;
    for (auto it = pending_.rbegin(); it != pending_.rend() && !value; ++it) {
        if (reghive::FoldCase(it->name) == folded)
            value = &*it;
    }
    if (!value)
        value = CurrentHive().hive.FindValue(*currentKey_, name);
    if (!value || (type != reghive::TypeNone && value->type != type) ||
        (size != 0 && value->data.size() != size))
        return std::nullopt;
    return value->data;
}

bool TRegistry::ValueExists(std::string_view name) const
{
    return Find(name, reghive::TypeNone).has_value();
}

std::optional<std::int32_t> TRegistry::ReadInteger(std::string_view name) const
{
    const auto data = Find(name, reghive::TypeDword, 4);
    return data
               ? std::optional(static_cast<std::int32_t>(static_cast<std::uint32_t>(FromLittleEndian(*data))))
               : std::nullopt;
}

std::optional<std::string> TRegistry::ReadString(std::string_view name) const
{
    const auto data = Find(name, reghive::TypeString);
    return data ? std::optional(std::string(data->begin(), data->end())) : std::nullopt;
}

std::optional<double> TRegistry::ReadFloat(std::string_view name) const
{
    const auto data = Find(name, reghive::TypeBinary, 8);
    return data ? std::optional(std::bit_cast<double>(FromLittleEndian(*data))) : std::nullopt;
}

void TRegistry::WriteValue(std::string_view name, std::uint32_t type, reghive::Bytes data)
{
    if (!currentKey_ || !reghive::IsValidValueName(name))
        throw SetDataFailed(name);
    pending_.push_back({std::string(name), type, std::move(data)});
}

void TRegistry::WriteInteger(std::string_view name, std::int32_t value)
{
    WriteValue(name, reghive::TypeDword, LittleEndian(static_cast<std::uint32_t>(value), 4));
}

void TRegistry::WriteString(std::string_view name, std::string_view value)
{
    WriteValue(name, reghive::TypeString, reghive::Bytes(value.begin(), value.end()));
}

void TRegistry::WriteFloat(std::string_view name, double value)
{
    WriteValue(name, reghive::TypeBinary, LittleEndian(std::bit_cast<std::uint64_t>(value), sizeof(double)));
}

std::filesystem::path TRegistry::HiveDirectory()
{
    if (!TheStore().directoryOverride.empty())
        return TheStore().directoryOverride;
    if (auto fromEnvironment = EnvironmentDirectory("QUORLANE_USER_HIVE_DIR"); !fromEnvironment.empty())
        return fromEnvironment;
    // The base directory specification ignores a relative XDG_CONFIG_HOME.
    if (auto config = EnvironmentDirectory("XDG_CONFIG_HOME"); config.is_absolute())
        return config / "quorlane";
    const std::filesystem::path home = HomeDirectory();
    return home.empty() ? std::filesystem::path() : home / ".config" / "quorlane";
}

std::filesystem::path TRegistry::HiveFile()
{
    const std::filesystem::path directory = HiveDirectory();
    return directory.empty() ? directory : directory / "user.reg";
}

std::optional<SetAsideNotice> TRegistry::TakeSetAsideNotice()
{
    std::optional<SetAsideNotice> notice = std::exchange(TheStore().notice, std::nullopt);
    if (notice && notice->file != HiveFile()) // of a file no longer in use
        notice.reset();
    return notice;
}

ScopedHiveDirectory::ScopedHiveDirectory(std::filesystem::path directory)
{
    previous_ = std::exchange(TheStore().directoryOverride, std::move(directory));
}

ScopedHiveDirectory::~ScopedHiveDirectory()
{
    TheStore().directoryOverride = std::move(previous_);
}

} // namespace platform
