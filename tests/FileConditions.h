#pragma once
// Conditions of files as users meet them, for tests that run as root (CI does): permission bits do
// not stop root, so the subject of such a test runs as an ordinary user; and two conditions that
// only root can set up: an immutable file and a full disk (a small tmpfs).

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sched.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace testfiles {

inline bool RunningAsRoot()
{
    return ::geteuid() == 0;
}

// The ordinary user the subject runs as: "nobody" (any unprivileged id would do).
inline std::pair<uid_t, gid_t> OrdinaryUser()
{
    if (const passwd* entry = ::getpwnam("nobody"))
        return {entry->pw_uid, entry->pw_gid};
    return {65534, 65534};
}

// While alive, a process running as root acts as the ordinary user: real and effective user and
// group ids switched, no supplementary groups (root keeps the saved ids to come back). The folders
// handed over are given to that user first, with everything in them, so the subject can work there.
// A process that is not root is left as it is.
class ScopedOrdinaryUser
{
public:
    explicit ScopedOrdinaryUser(const std::vector<std::filesystem::path>& handOver = {})
    {
        if (!RunningAsRoot())
            return;
        const auto [uid, gid] = OrdinaryUser();
        for (const std::filesystem::path& folder : handOver)
            GiveAway(folder, uid, gid);
        groups_.resize(static_cast<std::size_t>(::getgroups(0, nullptr)));
        groups_.resize(
            static_cast<std::size_t>(::getgroups(static_cast<int>(groups_.size()), groups_.data())));
        switched_ =
            ::setgroups(0, nullptr) == 0 && ::setresgid(gid, gid, 0) == 0 && ::setresuid(uid, uid, 0) == 0;
        if (!switched_)
            Restore();
    }
    ~ScopedOrdinaryUser()
    {
        if (switched_)
            Restore();
    }
    ScopedOrdinaryUser(const ScopedOrdinaryUser&) = delete;
    ScopedOrdinaryUser& operator=(const ScopedOrdinaryUser&) = delete;

    // True when permission bits now apply to this process.
    static bool BoundByPermissions() { return !RunningAsRoot(); }

private:
    static void GiveAway(const std::filesystem::path& folder, uid_t uid, gid_t gid)
    {
        std::error_code error;
        (void)::lchown(folder.c_str(), uid, gid);
        for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
             !error && it != std::filesystem::end(it); it.increment(error))
            (void)::lchown(it->path().c_str(), uid, gid);
    }
    void Restore()
    {
        (void)::setresuid(0, 0, 0);
        (void)::setresgid(0, 0, 0);
        (void)::setgroups(groups_.size(), groups_.data());
    }

    std::vector<gid_t> groups_;
    bool switched_ = false;
};

// Makes a file immutable (chattr +i: not even root may change, replace or remove it) for its
// lifetime. Possible for root on a file system with the flag (ext4, xfs, btrfs); Reason() says why
// not otherwise.
class ScopedImmutableFile
{
public:
    explicit ScopedImmutableFile(std::filesystem::path file) : file_(std::move(file))
    {
        if (!RunningAsRoot()) {
            reason_ = "only root may set the immutable flag";
            return;
        }
        set_ = SetFlag(true);
        if (!set_)
            reason_ = "the file system refuses the immutable flag: " + std::string(std::strerror(errno));
    }
    ~ScopedImmutableFile()
    {
        if (set_)
            SetFlag(false);
    }
    ScopedImmutableFile(const ScopedImmutableFile&) = delete;
    ScopedImmutableFile& operator=(const ScopedImmutableFile&) = delete;

    bool Active() const { return set_; }
    const std::string& Reason() const { return reason_; }

private:
    bool SetFlag(bool on)
    {
        const int fd = ::open(file_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return done;
    }

    std::filesystem::path file_;
    std::string reason_;
    bool set_ = false;
};

// A small tmpfs mounted on an existing empty folder for its lifetime: a disk that fills up after
// `bytes`. Root only, and only in a private mount namespace (see EnterPrivateMountNamespace), so
// that nothing stays mounted if the test dies. Reason() says why not otherwise.
class ScopedSmallDisk
{
public:
    ScopedSmallDisk(std::filesystem::path folder, std::size_t bytes) : folder_(std::move(folder))
    {
        if (!InPrivateMountNamespace()) {
            reason_ = RunningAsRoot() ? "no private mount namespace (unshare refused)"
                                      : "only root may mount a small file system";
            return;
        }
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
        if (!mounted_)
            reason_ = "mounting a tmpfs failed: " + std::string(std::strerror(errno));
    }
    ~ScopedSmallDisk()
    {
        if (mounted_)
            (void)::umount2(folder_.c_str(), MNT_DETACH);
    }
    ScopedSmallDisk(const ScopedSmallDisk&) = delete;
    ScopedSmallDisk& operator=(const ScopedSmallDisk&) = delete;

    bool Active() const { return mounted_; }
    const std::string& Reason() const { return reason_; }

    // Fills the disk up to `leave` bytes (a ballast file in it).
    void Fill(std::size_t leave = 0) const
    {
        const int fd = ::open((folder_ / "ballast").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            return;
        std::vector<char> block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(folder_ / "ballast", error);
        if (!error && leave > 0 && size > leave) // give some room back
            std::filesystem::resize_file(folder_ / "ballast", size - leave, error);
    }

    static bool& InPrivateMountNamespace()
    {
        static bool inside = false;
        return inside;
    }

private:
    std::filesystem::path folder_;
    std::string reason_;
    bool mounted_ = false;
};

// Moves a root process into a mount namespace of its own (mounts there vanish with the process).
// Call first thing in main, while the process has one thread.
inline void EnterPrivateMountNamespace()
{
    if (!RunningAsRoot())
        return;
    ScopedSmallDisk::InPrivateMountNamespace() =
        ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

} // namespace testfiles
