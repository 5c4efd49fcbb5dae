#include "platform/RegistryFile.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace platform::regfile {

namespace {

std::mutex hooksMutex;
IoHooks currentHooks;

IoHooks Hooks()
{
    const std::lock_guard lock(hooksMutex);
    return currentHooks;
}

[[noreturn]] void ThrowErrno(int error, const std::string& what)
{
    throw std::system_error(error, std::generic_category(), what);
}

class UniqueFd
{
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }

    // Closes now and tells the result (a delayed write error can show here).
    int Close() { return ::close(std::exchange(fd_, -1)); }

private:
    int fd_;
};

// Removes the temporary file unless the rename took it.
class TemporaryFile
{
public:
    explicit TemporaryFile(std::string name) : name_(std::move(name)) {}
    ~TemporaryFile()
    {
        if (!name_.empty())
            ::unlink(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Name() const { return name_; }
    void Keep() { name_.clear(); }

private:
    std::string name_;
};

std::filesystem::path FolderOf(const std::filesystem::path& file)
{
    const std::filesystem::path folder = file.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// Follows symbolic links (also dangling ones) to the file that is to be replaced.
std::filesystem::path ResolveTarget(std::filesystem::path file)
{
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code error;
        if (!std::filesystem::is_symlink(file, error))
            return file;
        const std::filesystem::path link = std::filesystem::read_symlink(file, error);
        if (error)
            return file;
        file = link.is_absolute() ? link : FolderOf(file) / link;
    }
    return file;
}

void CreateFolders(const std::filesystem::path& folder, mode_t mode)
{
    struct stat status = {};
    if (::stat(folder.c_str(), &status) == 0) {
        if (!S_ISDIR(status.st_mode))
            ThrowErrno(ENOTDIR, folder.string());
        return;
    }
    if (errno != ENOENT)
        ThrowErrno(errno, folder.string());
    const std::filesystem::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder)
        CreateFolders(parent, mode);
    if (::mkdir(folder.c_str(), mode) != 0 && errno != EEXIST)
        ThrowErrno(errno, "mkdir " + folder.string());
}

void WriteAll(const IoHooks& hooks, int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = hooks.write ? hooks.write(fd, data, size) : ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(errno, "write");
        }
        if (written == 0)
            ThrowErrno(EIO, "write");
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void SyncFolder(const std::filesystem::path& folder)
{
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0)
        ThrowErrno(errno, "open " + folder.string());
    // Some file systems cannot sync a folder; the rename is then as durable as they make it.
    if (::fsync(fd.Get()) != 0 && errno != EINVAL)
        ThrowErrno(errno, "fsync " + folder.string());
}

// The common replacement; `fill` writes the new contents to the temporary file.
template<typename Fill>
void ReplaceFile(const std::filesystem::path& file, mode_t newFileMode, mode_t newFolderMode, Fill&& fill)
{
    const IoHooks hooks = Hooks();
    const std::filesystem::path target = ResolveTarget(file);
    const std::filesystem::path folder = FolderOf(target);
    CreateFolders(folder, newFolderMode);

    struct stat existing = {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        ThrowErrno(errno, target.string());
    if (exists && !S_ISREG(existing.st_mode))
        ThrowErrno(S_ISDIR(existing.st_mode) ? EISDIR : EINVAL, target.string());

    std::string name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.Get() < 0)
        ThrowErrno(errno, "create a temporary file in " + folder.string());
    TemporaryFile temporary(std::move(name));

    if (::fchmod(fd.Get(), exists ? existing.st_mode & 07777 : newFileMode) != 0)
        ThrowErrno(errno, "fchmod");
    if (exists && ::geteuid() == 0 && existing.st_uid != 0)
        (void)::fchown(fd.Get(), existing.st_uid, existing.st_gid); // best effort: keep a user's file theirs

    fill(hooks, fd.Get());
    if ((hooks.fsync ? hooks.fsync(fd.Get()) : ::fsync(fd.Get())) != 0)
        ThrowErrno(errno, "fsync");
    if (fd.Close() != 0)
        ThrowErrno(errno, "close");
    if (::rename(temporary.Name().c_str(), target.c_str()) != 0)
        ThrowErrno(errno, "rename to " + target.string());
    temporary.Keep();
    SyncFolder(folder);
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

void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, mode_t newFileMode,
                         mode_t newFolderMode)
{
    ReplaceFile(file, newFileMode, newFolderMode,
                [bytes](const IoHooks& hooks, int fd) { WriteAll(hooks, fd, bytes.data(), bytes.size()); });
}

void CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                        mode_t newFolderMode)
{
    const UniqueFd source(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status = {};
    if (source.Get() < 0 || ::fstat(source.Get(), &status) != 0)
        ThrowErrno(errno, from.string());
    if (!S_ISREG(status.st_mode))
        ThrowErrno(EINVAL, from.string());
    ReplaceFile(to, status.st_mode & 0777, newFolderMode, [&source](const IoHooks& hooks, int fd) {
        char buffer[65536];
        while (true) {
            const ssize_t got = ::read(source.Get(), buffer, sizeof buffer);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                ThrowErrno(errno, "read");
            }
            if (got == 0)
                return;
            WriteAll(hooks, fd, buffer, static_cast<std::size_t>(got));
        }
    });
}

bool CanReplaceFile(const std::filesystem::path& file)
{
    const std::filesystem::path target = ResolveTarget(file);
    struct stat status = {};
    if (::stat(target.c_str(), &status) == 0) {
        return S_ISREG(status.st_mode) && ::access(target.c_str(), W_OK) == 0 &&
               ::access(FolderOf(target).c_str(), W_OK | X_OK) == 0;
    }
    if (errno != ENOENT)
        return false;
    std::filesystem::path folder = FolderOf(target);
    for (int depth = 0; depth < 256; ++depth) {
        if (::stat(folder.c_str(), &status) == 0)
            return S_ISDIR(status.st_mode) && ::access(folder.c_str(), W_OK | X_OK) == 0;
        if (errno != ENOENT)
            return false;
        folder = FolderOf(folder);
    }
    return false;
}

void SetIoHooks(IoHooks hooks)
{
    const std::lock_guard lock(hooksMutex);
    currentHooks = std::move(hooks);
}

ScopedIoHooks::ScopedIoHooks(IoHooks hooks) : previous_(Hooks())
{
    SetIoHooks(std::move(hooks));
}

ScopedIoHooks::~ScopedIoHooks()
{
    SetIoHooks(std::move(previous_));
}

} // namespace platform::regfile
