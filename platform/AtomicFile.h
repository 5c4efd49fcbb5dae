#pragma once
// Replacing a file atomically, keeping a file that cannot be used beside it, and reading one whole
// within a size limit: the settings' hive files, the kept tape and the saved tape.
//
// A replacement writes a temporary file (".NAME.XXXXXX") in the target's folder, flushes and syncs it,
// renames it over the target and syncs the folder, so that a crash or a full disk never leaves a
// half-written file: until the rename the previous file stays as it was, and a failure removes the
// temporary file. Temporary files of the target that a writer which died left behind are removed:
// all of them where the folder is private to the user (its writers take turns through a lock on
// it, which nobody else can open, and which is never waited for), else those not written to for ten
// minutes. A target that is a symbolic link is followed, so that the link itself stays, but only
// where the system would follow it: never a link another user owns in a shared folder that everybody
// may write and that keeps the sticky bit (/tmp), unless that user owns the folder. A new file gets
// the mode given, an existing one keeps its mode (and, for root, its owner). Only a regular file is
// ever replaced: a folder, a named pipe, a device or a socket in the target's place is refused.
//
// POSIX only, no Qt. The write and fsync calls can be replaced for tests (a full disk, a failing
// device) through ScopedIoHooks.

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace platform::files {

// An open file descriptor, closed with the object.
class UniqueFd
{
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }

    // Closes now and tells the result (a delayed write error can show here).
    int Close();

private:
    int fd_;
};

// Replaces `file` by `bytes` as described above. A missing folder of the target is created, with its
// missing parents, with `newFolderMode`; with NoNewFolder it is a failure (ENOENT). Throws
// std::system_error on any failure (errno as its code; NotARegularFile when the target is no regular
// file); the previous file is then unchanged (except when only the final folder sync failed).
inline constexpr std::optional<mode_t> NoNewFolder = std::nullopt;
void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, mode_t newFileMode,
                         std::optional<mode_t> newFolderMode);

// Keeps `file` (the file its links lead to) beside it under the next name of its copies, "NAME.bad",
// then "NAME.bad.2", "NAME.bad.3" and on (an earlier copy is never replaced); of the copies only the
// newest MaxSetAsideCopies stay. Rename moves the file away; Link gives it the copy's name as a second
// name, so that it stays in its place until a replacement takes that (no byte is copied; where the
// file system has no such names, it is moved). Returns the copy. Throws std::system_error.
enum class SetAsideHow
{
    Rename,
    Link,
};
inline constexpr std::size_t MaxSetAsideCopies = 5;
std::filesystem::path SetAside(const std::filesystem::path& file, SetAsideHow how);

// The copies SetAside made of `file`, oldest first.
std::vector<std::filesystem::path> SetAsideCopies(const std::filesystem::path& file);

// Removes every temporary file a replacement of `file` left (for when no writer of it runs).
void RemoveTemporaries(const std::filesystem::path& file);

// The target exists and is not a regular file. Code EISDIR for a folder, EINVAL otherwise; Kind()
// says what it is ("a folder", "a named pipe (FIFO)", "a device", "a socket").
class NotARegularFile : public std::system_error
{
public:
    NotARegularFile(const std::filesystem::path& file, mode_t mode);
    const std::string& Kind() const { return kind_; }

private:
    std::string kind_;
};

// A symbolic link the system would not follow (see above). Code EACCES.
class UnsafeLink : public std::system_error
{
public:
    explicit UnsafeLink(const std::filesystem::path& link);
};

// The file a replacement of `file` writes: symbolic links followed (also dangling ones). Throws
// UnsafeLink for a link the system would not follow.
std::filesystem::path ReplacementTarget(std::filesystem::path file);

// 0666 less the process's umask: the mode of a new document file.
mode_t DocumentFileMode();

// Replacements for the system calls write(2) and fsync(2) on the temporary file; an empty function
// means the system call. Same contract as the system calls (return -1 and set errno to fail).
struct IoHooks
{
    std::function<ssize_t(int fd, const void* data, std::size_t size)> write;
    std::function<int(int fd)> fsync;
};

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

// A file read whole, unless it is larger than `limit` bytes. Opened without blocking, so that a
// named pipe in its place cannot hang the reader.
struct FileContents
{
    enum class State
    {
        Missing,    // no such file (or a folder on its path is a file)
        Read,       // `bytes` holds the file
        TooLarge,   // a regular file over the size limit: not read
        Unreadable, // exists but cannot be read (no permission, a folder, an I/O error)
    };
    State state = State::Missing;
    std::string bytes;
    int error = 0; // errno for Unreadable
};
FileContents ReadWholeFile(const std::filesystem::path& file, std::uintmax_t limit);

} // namespace platform::files
