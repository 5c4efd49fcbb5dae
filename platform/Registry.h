#pragma once
// The registry stand-in: a typed, hierarchical store of options and window placement with the
// operations of the Windows registry that the program uses, kept in text files on Linux.
//
// Two hives: HKEY_CURRENT_USER in $XDG_CONFIG_HOME/quorlane/user.reg (~/.config/quorlane/user.reg
// when XDG_CONFIG_HOME is unset, empty or relative) and HKEY_LOCAL_MACHINE in
// /etc/xdg/quorlane/machine.reg. The folders can be moved with TRegistry::SetHiveDirectories (tests)
// or the environment variables QUORLANE_USER_HIVE_DIR and QUORLANE_MACHINE_HIVE_DIR, in that order
// of precedence. The file format is the classic registry export (RegistryHive.h).
//
// Semantics, as on Windows unless said otherwise:
// - Key paths use backslashes. A path starting with a backslash is absolute (from the root key);
//   without one it is relative to the open key, or to the root when none is open. One trailing
//   backslash is allowed; an empty component (two backslashes in a row) makes the path invalid.
//   "" and "\" name the root key itself.
// - Key and value names are compared without regard to ASCII letter case and keep the case they were
//   first written with. Limits: RegistryHive.h.
// - Each hive is read from its file once per process and kept in memory; all TRegistry objects of
//   the process share it. A change applies to it and replaces the file (AtomicFile.h: atomic,
//   synced). The file is read again only when someone else replaced or changed it since this process
//   last read or wrote it (its identity: device, inode, size, times), so changes of another program
//   to other values are not undone.
// - With LazyWrite off (the default) every change is on disk when the call returns. With it on,
//   value changes and created keys are kept by this object (its own reads see them) and written
//   together, in one replacement of the file, when the key is closed: by CloseKey, by opening another
//   key, changing the root key, DeleteKey or the destructor. Deleting keys is never deferred.
// - Failures: a value that is missing raises ERegistryException "Failed to get data for '<name>'", one
//   of another type (or size) than asked raises "Invalid data type for '<name>'"; a value change that
//   cannot be made or saved raises "Failed to set data for '<name>'" (with LazyWrite the name of the
//   first change that was pending), with the system's reason as its Cause(). A raised write leaves
//   the hive file as it was. A hive whose text would be larger than the reading limit
//   (RegistryFile.h) is not written (EFBIG). The destructor never raises: call CloseKey to learn
//   whether deferred changes were saved.
// - Access: reading values needs KEY_QUERY_VALUE, listing sub-keys KEY_ENUMERATE_SUB_KEYS, changing
//   values KEY_SET_VALUE (the access the key was opened with). Opening a key with KEY_SET_VALUE or
//   KEY_CREATE_SUB_KEY, creating and deleting keys need the right to replace the hive file: OpenKey
//   returns false without it (a user without rights to the machine-wide hive, a read-only folder).
// - A hive file that cannot be parsed never makes an operation fail: what cannot be read counts as
//   missing, and before the next change replaces the file, the damaged one is kept beside it as
//   "<file>.bad". A file that exists but cannot be read at all (no permission) is treated as empty for
//   reading and is never replaced: changes fail.
// - Data: REG_DWORD is 4 bytes little-endian (ReadInteger/WriteInteger, ReadBool/WriteBool as 0/1,
//   any non-zero reads true); REG_SZ is text without terminator (ReadString also reads
//   REG_EXPAND_SZ); REG_BINARY is bytes, and ReadFloat/WriteFloat keep an 8-byte IEEE double in it
//   (little-endian). ReadBinaryData reads any type but text and DWORD.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform {

enum class HKEY
{
    CurrentUser,
    LocalMachine,
};
inline constexpr HKEY HKEY_CURRENT_USER = HKEY::CurrentUser;
inline constexpr HKEY HKEY_LOCAL_MACHINE = HKEY::LocalMachine;

// Access rights, with the Windows numbers.
using REGSAM = std::uint32_t;
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_READ = 0x20019;       // query, enumerate, notify
inline constexpr REGSAM KEY_WRITE = 0x20006;      // set value, create sub-key
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F; // everything

// Value types, with the Windows numbers.
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;

enum class TRegDataType
{
    rdUnknown, // missing, or a type the program does not use
    rdString,
    rdExpandString,
    rdInteger,
    rdBinary,
};

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

class TRegistry
{
public:
    // Root HKEY_CURRENT_USER, access KEY_ALL_ACCESS (or the one given), LazyWrite off.
    TRegistry();
    explicit TRegistry(REGSAM access);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return rootKey_; }
    void SetRootKey(HKEY root); // closes the open key first (may raise, see CloseKey)

    // The access OpenKey opens keys with; changing it does not affect the key already open.
    REGSAM Access() const { return access_; }
    void SetAccess(REGSAM access) { access_ = access; }

    bool LazyWrite() const { return lazyWrite_; }
    void SetLazyWrite(bool lazy) { lazyWrite_ = lazy; }

    // Opens the key, creating it and its parents when `canCreate`. On success the previous key is
    // closed (its deferred changes written, which may raise); on failure it stays open. False when
    // the path is invalid, the key is missing and may not be created, or the access asks for writing
    // and the hive cannot be written.
    bool OpenKey(std::string_view key, bool canCreate);
    // OpenKey(key, false) with Access set to KEY_READ first.
    bool OpenKeyReadOnly(std::string_view key);
    // Writes deferred changes and closes the key; raises "Failed to set data for '<name>'" when they
    // cannot be saved (the key is closed and the changes dropped all the same).
    void CloseKey();

    bool HasCurrentKey() const { return currentKey_.has_value(); }
    // The open key's path from the root, without leading backslash ("" when none or the root).
    std::string CurrentPath() const { return currentKey_.value_or(std::string()); }

    // Relative or absolute as OpenKey; invalid paths do not exist.
    bool KeyExists(std::string_view key) const;
    // Deletes the key with its sub-keys and values. False when the path is invalid or names no key
    // ("" and "\" do not mean the open key or the root), the key does not exist, or the hive cannot be
    // written. Raises ERegistryException "Failed to delete
    // key '<key>'" when the change cannot be saved.
    bool DeleteKey(std::string_view key);
    bool HasSubKeys() const;
    std::vector<std::string> GetKeyNames() const;   // of the open key, as stored; empty if none
    std::vector<std::string> GetValueNames() const; // of the open key, as stored; empty if none

    bool ValueExists(std::string_view name) const;
    TRegDataType GetDataType(std::string_view name) const; // rdUnknown when missing
    int GetDataSize(std::string_view name) const;          // bytes; -1 when missing
    // False when no key is open, the access lacks KEY_SET_VALUE or the value does not exist; raises
    // "Failed to set data for '<name>'" when the deletion cannot be saved.
    bool DeleteValue(std::string_view name);

    std::int32_t ReadInteger(std::string_view name) const;
    bool ReadBool(std::string_view name) const;
    std::string ReadString(std::string_view name) const;
    double ReadFloat(std::string_view name) const;
    std::vector<std::uint8_t> ReadBinaryData(std::string_view name) const;

    void WriteInteger(std::string_view name, std::int32_t value);
    void WriteBool(std::string_view name, bool value);
    void WriteString(std::string_view name, std::string_view value);
    void WriteExpandString(std::string_view name, std::string_view value);
    void WriteFloat(std::string_view name, double value);
    void WriteBinaryData(std::string_view name, std::span<const std::uint8_t> data);

    // Where the hives live. Empty folders mean: the environment variable, else the default.
    static void SetHiveDirectories(std::filesystem::path userDirectory,
                                   std::filesystem::path machineDirectory);
    static std::filesystem::path HiveDirectory(HKEY root);
    static std::filesystem::path HiveFile(HKEY root);        // HiveDirectory / "user.reg" or "machine.reg"
    static std::filesystem::path DamagedHiveFile(HKEY root); // HiveFile + ".bad"
    static std::string_view RootKeyName(HKEY root);          // "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"
    // Why the hive cannot be written now (the system's reason), empty when it can.
    static std::error_code HiveWriteError(HKEY root);

private:
    struct Change
    {
        enum class Kind
        {
            SetValue,
            DeleteValue,
            CreateKey, // `key` and its missing parents
        };
        Kind kind = Kind::SetValue;
        std::string key;
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };

    std::optional<std::string> ResolvePath(std::string_view key) const;
    void WriteValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);
    void Flush();

    HKEY rootKey_ = HKEY_CURRENT_USER;
    REGSAM access_ = KEY_ALL_ACCESS;
    REGSAM openAccess_ = 0;
    bool lazyWrite_ = false;
    std::optional<std::string> currentKey_; // validated path, "" is the root
    std::vector<Change> pending_;
};

// Moves the hives to the given folders for its lifetime (tests) and restores the previous setting.
class ScopedHiveDirectories
{
public:
    ScopedHiveDirectories(std::filesystem::path userDirectory, std::filesystem::path machineDirectory);
    ~ScopedHiveDirectories();
    ScopedHiveDirectories(const ScopedHiveDirectories&) = delete;
    ScopedHiveDirectories& operator=(const ScopedHiveDirectories&) = delete;

private:
    std::filesystem::path previousUser_;
    std::filesystem::path previousMachine_;
};

} // namespace platform
