#include "platform/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
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

namespace {

// Whether the system would follow the link `link` (lstat gave `status`): not one in a shared folder
// with the sticky bit (anybody may write there, and only remove his own) that neither this user nor
// the folder's owner owns; another user could have planted it there to lead a writer elsewhere.
bool MayFollow(const std::filesystem::path& link, const struct stat& status)
{
    struct stat folder = {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || status.st_uid == ::geteuid() || status.st_uid == folder.st_uid;
}

} // namespace

std::filesystem::path ReplacementTarget(std::filesystem::path file)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status = {};
        if (::lstat(file.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return file;
        if (!MayFollow(file, status))
            throw UnsafeLink(file);
        std::error_code error;
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

// The folder, open, and locked against other writers for the replacement where it is private to the
// user: a lock on a folder that others may open, they could hold, and every write would wait on it.
// The lock is never waited for: a writer that holds it (another process of this user) must not stall
// this one, which then leaves the temporary files alone that may be that writer's.
class LockedFolder
{
public:
    explicit LockedFolder(const std::filesystem::path& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (fd_.Get() < 0)
            ThrowErrno(errno, "open " + folder.string());
        struct stat status = {};
        locked_ = ::fstat(fd_.Get(), &status) == 0 && status.st_uid == ::geteuid() &&
                  (status.st_mode & 077) == 0 && ::flock(fd_.Get(), LOCK_EX | LOCK_NB) == 0;
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

// Removes this user's temporary files of `target` in `folder`: all of them, or only those nobody
// has written to for ten minutes (a writer that died; one at work writes more often).
void RemoveLeftTemporaries(const std::filesystem::path& folder, const std::string& target, bool all)
{
    const auto staleBefore = std::chrono::system_clock::now() - std::chrono::minutes(10);
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        struct stat status = {};
        if (!IsTemporaryOf(it->path().filename().string(), target) ||
            ::lstat(it->path().c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
            status.st_uid != ::geteuid())
            continue;
        if (all || std::chrono::system_clock::from_time_t(status.st_mtim.tv_sec) < staleBefore)
            ::unlink(it->path().c_str());
    }
}

// The common replacement; `fill` writes the new contents to the temporary file.
template<typename Fill>
void ReplaceFile(const std::filesystem::path& file, mode_t newFileMode, std::optional<mode_t> newFolderMode,
                 Fill&& fill)
{
    const IoHooks& hooks = currentHooks;
    const std::filesystem::path target = ReplacementTarget(file);
    const std::filesystem::path folder = FolderOf(target);
    if (newFolderMode)
        CreateFolders(folder, *newFolderMode);
    const LockedFolder locked(folder);

    struct stat existing = {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        ThrowErrno(errno, target.string());
    if (exists && !S_ISREG(existing.st_mode))
        throw NotARegularFile(target, existing.st_mode);
    RemoveLeftTemporaries(folder, target.filename().string(), locked.Locked());

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
                         std::optional<mode_t> newFolderMode)
{
    ReplaceFile(file, newFileMode, newFolderMode,
                [bytes](const IoHooks& hooks, int fd) { WriteAll(hooks, fd, bytes.data(), bytes.size()); });
}

namespace {

// The number of a copy SetAside made of the file named `name`: 1 for "NAME.bad", N for "NAME.bad.N"
// (N from 2, without leading zeros); 0 for any other name.
std::uintmax_t CopyNumber(std::string_view entry, const std::string& name)
{
    const std::string first = name + ".bad";
    if (entry == first)
        return 1;
    if (!entry.starts_with(first + ".") || entry.size() == first.size() + 1 || entry[first.size() + 1] == '0')
        return 0;
    const std::string_view digits = entry.substr(first.size() + 1);
    std::uintmax_t number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return ec == std::errc{} && end == digits.data() + digits.size() && number >= 2 ? number : 0;
}

std::vector<std::pair<std::uintmax_t, std::filesystem::path>>
NumberedCopies(const std::filesystem::path& file)
{
    std::vector<std::pair<std::uintmax_t, std::filesystem::path>> copies;
    const std::string name = file.filename().string();
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(FolderOf(file), error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (const std::uintmax_t number = CopyNumber(it->path().filename().string(), name))
            copies.emplace_back(number, it->path());
    }
    std::sort(copies.begin(), copies.end());
    return copies;
}

// Moves `from` to `to` unless `to` exists (EEXIST).
int RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL) // a file system without the flag: check first
        return -1;
    struct stat status = {};
    if (::lstat(to.c_str(), &status) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

} // namespace

std::vector<std::filesystem::path> SetAsideCopies(const std::filesystem::path& file)
{
    std::vector<std::filesystem::path> paths;
    for (auto& [number, path] : NumberedCopies(ReplacementTarget(file)))
        paths.push_back(std::move(path));
    return paths;
}

std::filesystem::path SetAside(const std::filesystem::path& file, SetAsideHow how)
{
    const std::filesystem::path target = ReplacementTarget(file);
    auto copies = NumberedCopies(target);
    std::uintmax_t number = copies.empty() ? 1 : copies.back().first + 1;
    std::filesystem::path copy;
    for (;; ++number) {
        copy = target;
        copy += number == 1 ? std::string(".bad") : ".bad." + std::to_string(number);
        const int done =
            how == SetAsideHow::Link ? ::link(target.c_str(), copy.c_str()) : RenameNoReplace(target, copy);
        if (done == 0)
            break;
        if (errno == EEXIST)
            continue;
        // Where the file system has no second names for a file, it is moved.
        if (how == SetAsideHow::Link &&
            (errno == EPERM || errno == EXDEV || errno == ENOTSUP || errno == EMLINK)) {
            how = SetAsideHow::Rename;
            --number;
            continue;
        }
        ThrowErrno(errno, "keep " + target.string() + " as " + copy.string());
    }
    // Only the newest copies stay.
    for (std::size_t i = 0; i + MaxSetAsideCopies < copies.size() + 1; ++i)
        ::unlink(copies[i].second.c_str());
    return copy;
}

void RemoveTemporaries(const std::filesystem::path& file)
{
    const std::filesystem::path target = ReplacementTarget(file);
    RemoveLeftTemporaries(FolderOf(target), target.filename().string(), true);
}

UnsafeLink::UnsafeLink(const std::filesystem::path& link)
    : std::system_error(EACCES, std::generic_category(),
                        link.string() + " is a symbolic link another user made in a shared folder")
{}

ScopedIoHooks::ScopedIoHooks(IoHooks hooks) : previous_(std::exchange(currentHooks, std::move(hooks))) {}

ScopedIoHooks::~ScopedIoHooks()
{
    currentHooks = std::move(previous_);
}

FileContents ReadWholeFile(const std::filesystem::path& file, std::uintmax_t limit)
{
    using State = FileContents::State;
    const auto unreadable = [](int error) { return FileContents{State::Unreadable, {}, error}; };
    // Non-blocking, so that a named pipe in the file's place cannot hang the program.
    const files::UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status = {};
    if (fd.Get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? FileContents{} : unreadable(errno);
    if (::fstat(fd.Get(), &status) != 0)
        return unreadable(errno);
    if (!S_ISREG(status.st_mode))
        return unreadable(S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    FileContents contents{State::Read, {}, 0};
    char buffer[65536];
    for (ssize_t got = 1; got != 0;) {
        if (static_cast<std::uintmax_t>(status.st_size) > limit || contents.bytes.size() > limit)
            return {State::TooLarge, {}, 0}; // over the limit, or grown to it while being read
        got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno != EINTR)
            return unreadable(errno);
        contents.bytes.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    }
    return contents;
}

} // namespace platform::files
