#pragma once
// The files behind the registry stand-in: reading a hive file within a size limit, replacing one
// atomically (AtomicFile.h), keeping a copy of a damaged one, and telling whether a hive could be
// written at all.
//
// POSIX only, no Qt.

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/AtomicFile.h"

namespace platform::regfile {

// Hive files larger than this are not read, and no hive larger than this is written (the program's
// own stay below 20 KB).
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

using files::CopyFileAtomically;
using files::IoHooks;
using files::ScopedIoHooks;
using files::SetIoHooks;
using files::WriteFileAtomically;

// Why `file` could not be replaced, as an errno (0 when it could): an existing target must be a
// writable regular file in a writable folder; a missing one needs a writable folder, or the nearest
// existing ancestor of its folder must be a writable folder (the missing ones would be created). A
// file on the way where a folder should be gives ENOTDIR. Permissions are judged as the system does
// for this process (root passes permission bits, not an immutable file or a read-only mount).
int ReplaceBlocker(const std::filesystem::path& file);

} // namespace platform::regfile
