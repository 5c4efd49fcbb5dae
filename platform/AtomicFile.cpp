#include "platform/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace platform::files {

namespace {

// Set by tests only, while no other thread writes (the kept tape's writer thread reads them too).
IoHooks currentHooks;

[[noreturn]] void ThrowErrno(int error, const std::string& what)
{
    throw std::system_error(error, std::generic_category(), what);
}

std::filesystem::path FolderOf(const std::filesystem::path& file)
{
    const std::filesystem::path folder = file.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

} // namespace

std::filesystem::path ReplacementTarget(std::filesystem::path file)
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

namespace {

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

// The folder, open and locked against other writers for the replacement. The lock is waited for a
// short while only: a writer that hangs must not hang this one (it then writes without the lock and
// leaves other writers' temporary files alone).
class LockedFolder
{
public:
    explicit LockedFolder(const std::filesystem::path& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (fd_.Get() < 0)
            ThrowErrno(errno, "open " + folder.string());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!(locked_ = ::flock(fd_.Get(), LOCK_EX | LOCK_NB) == 0) && errno == EWOULDBLOCK &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    int Fd() const { return fd_.Get(); }
    bool Locked() const { return locked_; }

private:
    UniqueFd fd_;
    bool locked_ = false;
};

bool IsTemporaryOf(const std::string& name, const std::string& target)
{
    // "." + target + "." + the six ASCII letters and digits mkostemp chose.
    const std::string prefix = "." + target + ".";
    const auto chosen = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    };
    return name.size() == prefix.size() + 6 && name.starts_with(prefix) &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), chosen);
}

// Under the folder's lock no other writer has a temporary file open: any found were left by a
// writer that died.
void RemoveLeftTemporaries(const std::filesystem::path& folder, const std::string& target)
{
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (IsTemporaryOf(name, target) && it->is_regular_file(error))
            ::unlink(it->path().c_str());
    }
}

// The common replacement; `fill` writes the new contents to the temporary file.
template<typename Fill>
void ReplaceFile(const std::filesystem::path& file, mode_t newFileMode, mode_t newFolderMode,
                 MissingFolder missingFolder, Fill&& fill)
{
    const IoHooks& hooks = currentHooks;
    const std::filesystem::path target = ReplacementTarget(file);
    const std::filesystem::path folder = FolderOf(target);
    if (missingFolder == MissingFolder::Create)
        CreateFolders(folder, newFolderMode);
    const LockedFolder locked(folder);

    struct stat existing = {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        ThrowErrno(errno, target.string());
    if (exists && !S_ISREG(existing.st_mode))
        throw NotARegularFile(target, existing.st_mode);
    if (locked.Locked())
        RemoveLeftTemporaries(folder, target.filename().string());

    std::string name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.Get() < 0)
        ThrowErrno(errno, "create a temporary file in " + folder.string());
    // Removes the temporary file unless the rename took it.
    const auto remove = [](const std::string* temporaryName) { ::unlink(temporaryName->c_str()); };
    std::unique_ptr<const std::string, decltype(remove)> temporary(&name, remove);

    if (::fchmod(fd.Get(), exists ? existing.st_mode & 07777 : newFileMode) != 0)
        ThrowErrno(errno, "fchmod");
    if (exists && ::geteuid() == 0 && existing.st_uid != 0)
        (void)::fchown(fd.Get(), existing.st_uid, existing.st_gid); // best effort: keep a user's file theirs

    fill(hooks, fd.Get());
    if ((hooks.fsync ? hooks.fsync(fd.Get()) : ::fsync(fd.Get())) != 0)
        ThrowErrno(errno, "fsync");
    if (fd.Close() != 0)
        ThrowErrno(errno, "close");
    if (::rename(name.c_str(), target.c_str()) != 0)
        ThrowErrno(errno, "rename to " + target.string());
    temporary.release();
    // Some file systems cannot sync a folder; the rename is then as durable as they make it.
    if (::fsync(locked.Fd()) != 0 && errno != EINVAL)
        ThrowErrno(errno, "fsync " + folder.string());
}

std::string KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe (FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

} // namespace

UniqueFd::~UniqueFd()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int UniqueFd::Close()
{
    return ::close(std::exchange(fd_, -1));
}

NotARegularFile::NotARegularFile(const std::filesystem::path& file, mode_t mode)
    : std::system_error(S_ISDIR(mode) ? EISDIR : EINVAL, std::generic_category(),
                        file.string() + " is " + KindOf(mode)),
      kind_(KindOf(mode))
{}

mode_t DocumentFileMode()
{
    // The umask can only be read by setting it; set it straight back.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, mode_t newFileMode,
                         mode_t newFolderMode, MissingFolder missingFolder)
{
    ReplaceFile(file, newFileMode, newFolderMode, missingFolder,
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
        throw NotARegularFile(from, status.st_mode);
    ReplaceFile(to, status.st_mode & 0777, newFolderMode, MissingFolder::Create,
                [&source](const IoHooks& hooks, int fd) {
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

ScopedIoHooks::ScopedIoHooks(IoHooks hooks) : previous_(std::exchange(currentHooks, std::move(hooks))) {}

ScopedIoHooks::~ScopedIoHooks()
{
    currentHooks = std::move(previous_);
}

} // namespace platform::files
