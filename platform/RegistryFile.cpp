#include "platform/RegistryFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform::regfile {

namespace {

using files::UniqueFd;

std::filesystem::path FolderOf(const std::filesystem::path& file)
{
    const std::filesystem::path folder = file.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// The errno access(2) gives for writing into `folder`, 0 when it may.
int FolderBlocker(const std::filesystem::path& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

} // namespace

FileContents ReadHiveFile(const std::filesystem::path& file, std::uintmax_t limit)
{
    FileContents contents;
    // Non-blocking, so that a named pipe in the hive's place cannot hang the program.
    const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return contents;
        contents.state = FileContents::State::Unreadable;
        contents.error = errno;
        return contents;
    }
    struct stat status = {};
    if (::fstat(fd.Get(), &status) != 0) {
        contents.state = FileContents::State::Unreadable;
        contents.error = errno;
        return contents;
    }
    if (!S_ISREG(status.st_mode)) {
        contents.state = FileContents::State::Unreadable;
        contents.error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        return contents;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > limit) {
        contents.state = FileContents::State::TooLarge;
        return contents;
    }
    std::string bytes;
    char buffer[65536];
    while (true) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            contents.state = FileContents::State::Unreadable;
            contents.error = errno;
            return contents;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > limit) { // grew while being read
            contents.state = FileContents::State::TooLarge;
            return contents;
        }
    }
    contents.state = FileContents::State::Read;
    contents.bytes = std::move(bytes);
    return contents;
}

int ReplaceBlocker(const std::filesystem::path& file)
{
    const std::filesystem::path target = files::ReplacementTarget(file);
    struct stat status = {};
    if (::stat(target.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode))
            return S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        if (::access(target.c_str(), W_OK) != 0)
            return errno;
        return FolderBlocker(FolderOf(target));
    }
    if (errno != ENOENT)
        return errno;
    std::filesystem::path folder = FolderOf(target);
    for (int depth = 0; depth < 256; ++depth) {
        if (::stat(folder.c_str(), &status) == 0)
            return S_ISDIR(status.st_mode) ? FolderBlocker(folder) : ENOTDIR;
        if (errno != ENOENT)
            return errno;
        folder = FolderOf(folder);
    }
    return ENOENT;
}

} // namespace platform::regfile
