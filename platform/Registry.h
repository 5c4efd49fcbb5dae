#pragma once
// The per-user registry: the typed store of the options and the window placement, kept in one text
// file, $XDG_CONFIG_HOME/quorlane/user.reg (~/.config/quorlane/user.reg when XDG_CONFIG_HOME is
// unset, empty or relative). The folder can be moved with ScopedHiveDirectory (tests) or the
// environment variable QUORLANE_USER_HIVE_DIR, in that order of precedence. The file format is the
// classic registry export (RegistryHive.h).
//
// - Key paths are absolute, with backslashes ("\Software\Quorlane\Calculator\1.0\Settings"); one
//   leading and one trailing backslash are optional. Key and value names are compared without regard
//   to ASCII letter case and keep the case they were first written with.
// - The file is read once per process and kept in memory; every TRegistry object (all on one
//   thread) shares it. It is
//   read again only when someone else replaced or changed it since this process last read or wrote
//   it (its identity: device, inode, size, times), so another program's changes to other values are
//   not undone.
// - Value changes are kept by the object (its own reads see them) and written together, in one
//   atomic replacement of the file (AtomicFile.h), when the key is closed: by CloseKey, by opening
//   another key or by the destructor (which never raises: call CloseKey to learn whether the changes
//   were saved). A key opened with canCreate that does not exist is created by that write.
// - Reading a value that is missing, or of another type or size, gives nothing; changes that cannot
//   be saved raise ERegistryException "Failed to set data for '<first name changed>'" with the
//   system's reason as its Cause(), and leave the file as it was. A file whose text would be larger
//   than the reading limit (MaxHiveFileSize, below) is not written (EFBIG).
// - A file that cannot be parsed, or is over the reading limit, never makes an operation fail: what
//   cannot be read counts as missing. When it is read, the damaged file is kept beside it under the
//   next name of its copies ("user.reg.bad", "user.reg.bad.2"...; files::SetAside), a second name
//   that costs no copy and keeps the file in its place until the next change replaces it;
//   TakeSetAsideNotice tells what was kept, why and where. A change never replaces a damaged file
//   that could not be kept so. A file that exists but cannot be read at all (no permission, a
//   folder) is treated as empty for reading and is never replaced: changes fail.
// - Data: REG_DWORD is 4 bytes little-endian (ReadInteger/WriteInteger); REG_SZ is text without
//   terminator; ReadFloat/WriteFloat keep an 8-byte IEEE double in REG_BINARY (little-endian). Values
//   of other types are kept as they are.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/RegistryHive.h"

namespace platform {

class ERegistryException : public std::runtime_error
{
public:
    explicit ERegistryException(const std::string& message, std::error_code cause = {})
        : std::runtime_error(message), cause_(cause)
    {}

    // The system's reason when a file operation failed (empty otherwise).
    const std::error_code& Cause() const { return cause_; }

private:
    std::error_code cause_;
};

// A settings file that could not be read in full and was kept aside when it was read.
struct SetAsideNotice
{
    std::filesystem::path file;
    std::string reason;         // why: "it is larger than 1 MB", "its line 5 cannot be read"...
    std::filesystem::path copy; // where it was kept; empty when it could not be
    std::string failure;        // then why not, in the system's words
};

class TRegistry
{
public:
    TRegistry() = default;
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Opens the key; with `canCreate` a missing one is created when the changes are written. The
    // previous key is closed first (its changes written, which may raise). False when the path is
    // invalid, or the key is missing and may not be created.
    bool OpenKey(std::string_view key, bool canCreate);
    // Writes the changes and closes the key; raises "Failed to set data for '<name>'" when they cannot
    // be saved (the key is closed and the changes dropped all the same).
    void CloseKey();

    // Deletes the key with its sub-keys and values at once. False when the path is invalid or names
    // the root, or the key does not exist. Raises "Failed to delete key '<key>'" when the change
    // cannot be saved.
    bool DeleteKey(std::string_view key);

    // Of any type. The reads give nothing without an open key or for a value of another type or size.
    bool ValueExists(std::string_view name) const;
    std::optional<std::int32_t> ReadInteger(std::string_view name) const;
    std::optional<std::string> ReadString(std::string_view name) const;
    std::optional<double> ReadFloat(std::string_view name) const;

    // Without an open key (or with an invalid name) these raise "Failed to set data for '<name>'".
    void WriteInteger(std::string_view name, std::int32_t value);
    void WriteString(std::string_view name, std::string_view value);
    void WriteFloat(std::string_view name, double value);

    static std::filesystem::path HiveDirectory();
    static std::filesystem::path HiveFile(); // HiveDirectory / "user.reg"

    // What reading a damaged HiveFile() last kept aside; once (nothing the next time).
    static std::optional<SetAsideNotice> TakeSetAsideNotice();

private:
    // The value's data when it exists with this type (and size, when given).
    std::optional<reghive::Bytes> Find(std::string_view name, std::uint32_t type, std::size_t size = 0) const;
    void WriteValue(std::string_view name, std::uint32_t type, reghive::Bytes data);

    std::optional<std::string> currentKey_; // validated path, "" is the root
    bool createKey_ = false;
    std::vector<reghive::Value> pending_;
};

// Moves the file into `directory` for the object's lifetime (tests) and restores the previous setting.
class ScopedHiveDirectory
{
public:
    explicit ScopedHiveDirectory(std::filesystem::path directory);
    ~ScopedHiveDirectory();
    ScopedHiveDirectory(const ScopedHiveDirectory&) = delete;
    ScopedHiveDirectory& operator=(const ScopedHiveDirectory&) = delete;

private:
    std::filesystem::path previous_;
};

} // namespace platform

// The store's file: read and replaced through AtomicFile.h.
namespace platform::regfile {

// Hive files larger than this are not read, and no hive larger than this is written (the program's
// own stay below 20 KB).
inline constexpr std::uintmax_t MaxHiveFileSize = 1024 * 1024;

} // namespace platform::regfile
