#pragma once
// The files behind the registry stand-in: reading a hive file within a size limit, replacing one
// atomically, keeping a copy of a damaged one, and telling whether a hive could be written at all.
//
// A replacement writes a temporary file in the target's folder, flushes and syncs it, renames it over
// the target and syncs the folder, so that a crash or a full disk never leaves a half-written hive:
// until the rename the previous file stays as it was, and a failure removes the temporary file. A
// target that is a symbolic link is followed, so that the link itself stays. A new file gets the mode
// given, an existing one keeps its mode (and, for root, its owner). Missing folders are created.
//
// POSIX only, no Qt. The write and fsync calls can be replaced for tests (a full disk, a failing
// device) through SetIoHooks.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace platform::regfile {

// Hive files larger than this are not read (the program's own stay below 20 KB).
inline constexpr std::uintmax_t MaxHiveFileSize = 1024 * 1024;

struct FileContents
{
    enum class State
    {
        Missing,    // no such file (or a folder on its path is a file): nothing stored yet
        Read,       // `bytes` holds the file
        TooLarge,   // a regular file over the size limit: not read
        Unreadable, // exists but cannot be read (no permission, a folder, an I/O error)
    };
    State state = State::Missing;
    std::string bytes;
    int error = 0; // errno for Unreadable
};

FileContents ReadHiveFile(const std::filesystem::path& file, std::uintmax_t limit = MaxHiveFileSize);

// Replaces `file` by `bytes` as described above. Throws std::system_error on any failure; the
// previous file is then unchanged (except when only the final folder sync failed).
void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, mode_t newFileMode,
                         mode_t newFolderMode);

// Copies `from` to `to` the same way, streamed (for keeping a damaged hive of any size).
void CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                        mode_t newFolderMode);

// Whether `file` could be replaced: an existing target is a writable regular file in a writable
// folder; a missing one has a writable folder, or the nearest existing ancestor of its folder is a
// writable folder (the missing ones would be created). A file on the way where a folder should be
// makes it false. Permission bits are judged as the system does (root passes them).
bool CanReplaceFile(const std::filesystem::path& file);

// Replacements for the system calls write(2) and fsync(2) on the temporary file; an empty function
// means the system call. Same contract as the system calls (return -1 and set errno to fail).
struct IoHooks
{
    std::function<ssize_t(int fd, const void* data, std::size_t size)> write;
    std::function<int(int fd)> fsync;
};

void SetIoHooks(IoHooks hooks);

// Installs hooks for its lifetime and restores the previous ones afterwards.
class ScopedIoHooks
{
public:
    explicit ScopedIoHooks(IoHooks hooks);
    ~ScopedIoHooks();
    ScopedIoHooks(const ScopedIoHooks&) = delete;
    ScopedIoHooks& operator=(const ScopedIoHooks&) = delete;

private:
    IoHooks previous_;
};

} // namespace platform::regfile
