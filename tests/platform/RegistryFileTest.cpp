// The hive files: atomic replacement and what a failure at each step leaves behind, the size limit,
// the copy of a damaged file, links and modes.

#include "platform/AtomicFile.h"
#include "platform/Registry.h"

#include "tests/FileConditions.h"
#include "tests/platform/RegistryTestSupport.h"

#include <cerrno>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace platform::files;
using namespace platform::regfile;
using regtest::EntriesIn;
using regtest::ModeOf;
using regtest::ReadBytes;
using regtest::TempFolder;
using regtest::WriteBytes;
namespace fs = std::filesystem;

// The errno of the std::system_error `action` throws, or 0.
template<typename Action>
int ErrorOf(Action&& action)
{
    try {
        action();
    } catch (const std::system_error& e) {
        return e.code().value();
    }
    return 0;
}

// A write hook that lets `limit` bytes through and then fails with `error`.
IoHooks FailAfter(std::size_t limit, int error)
{
    return {[limit, error, written = std::size_t{0}](int fd, const void* data,
                                                     std::size_t size) mutable -> ssize_t {
                if (written >= limit) {
                    errno = error;
                    return -1;
                }
                const std::size_t part = std::min(size, limit - written);
                written += part;
                return ::write(fd, data, part);
            },
            {}};
}

TEST(RegistryFile, ReplacesAtomicallyCreatingFoldersWithTheirModes)
{
    const TempFolder temp;
    const fs::path file = temp.Path() / "a" / "b" / "hive.reg";
    WriteFileAtomically(file, "first\n", 0600, 0700);
    EXPECT_EQ(ReadBytes(file), "first\n");
    EXPECT_EQ(ModeOf(file), 0600u);
    EXPECT_EQ(ModeOf(temp.Path() / "a"), 0700u);
    EXPECT_EQ(ModeOf(temp.Path() / "a" / "b"), 0700u);
    // An existing file keeps its mode.
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteFileAtomically(file, "second\n", 0600, 0700);
    EXPECT_EQ(ReadBytes(file), "second\n");
    EXPECT_EQ(ModeOf(file), 0640u);
    WriteFileAtomically(file, "", 0600, 0700);
    EXPECT_EQ(ReadBytes(file), "");
    EXPECT_EQ(EntriesIn(file.parent_path()), std::vector<std::string>{"hive.reg"}); // no temporary left
}

TEST(RegistryFile, ShortWritesAreCompleted)
{
    const TempFolder temp;
    const fs::path file = temp.Path() / "hive.reg";
    const ScopedIoHooks hooks({[](int fd, const void* data, std::size_t size) -> ssize_t {
                                   static int calls = 0;
                                   if (++calls % 3 == 0) {
                                       errno = EINTR; // interrupted now and then
                                       return -1;
                                   }
                                   return ::write(fd, data, size > 0 ? 1 : 0);
                               },
                               {}});
    const std::string text(5000, 'x');
    WriteFileAtomically(file, text, 0600, 0700);
    EXPECT_EQ(ReadBytes(file), text);
}

TEST(RegistryFile, FailureAtAnyStepLeavesThePreviousFileByteIdentical)
{
    const std::string previous = "previous contents\n";
    const std::string next(3000, 'n');
    struct Case
    {
        const char* what;
        IoHooks hooks;
        int error;
    };
    const Case cases[] = {
        {"full at once", FailAfter(0, ENOSPC), ENOSPC},
        {"full after one byte", FailAfter(1, ENOSPC), ENOSPC},
        {"full half way", FailAfter(1500, ENOSPC), ENOSPC},
        {"full before the last byte", FailAfter(2999, ENOSPC), ENOSPC},
        {"quota", FailAfter(100, EDQUOT), EDQUOT},
        {"device error", FailAfter(10, EIO), EIO},
        {"write gives nothing", {[](int, const void*, std::size_t) -> ssize_t { return 0; }, {}}, EIO},
        {"sync fails",
         {{},
          [](int) {
              errno = EIO;
              return -1;
          }},
         EIO},
        {"sync finds the disk full",
         {{},
          [](int) {
              errno = ENOSPC;
              return -1;
          }},
         ENOSPC},
    };
    for (const Case& c : cases) {
        const TempFolder temp;
        const fs::path file = temp.Path() / "hive.reg";
        WriteBytes(file, previous);
        const ScopedIoHooks hooks(c.hooks);
        EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(file, next, 0600, 0700); }), c.error) << c.what;
        EXPECT_EQ(ReadBytes(file), previous) << c.what;
        EXPECT_EQ(EntriesIn(temp.Path()), std::vector<std::string>{"hive.reg"}) << c.what;
        // A file that did not exist yet does not appear.
        const fs::path fresh = temp.Path() / "fresh.reg";
        EXPECT_NE(ErrorOf([&] { WriteFileAtomically(fresh, next, 0600, 0700); }), 0) << c.what;
        EXPECT_FALSE(fs::exists(fresh)) << c.what;
    }
}

TEST(RegistryFile, TargetsThatAreNotFilesAreRefused)
{
    const TempFolder temp;
    const fs::path folderTarget = temp.Path() / "hive.reg";
    fs::create_directories(folderTarget / "content");
    EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(folderTarget, "x", 0600, 0700); }), EISDIR);
    EXPECT_TRUE(fs::is_directory(folderTarget / "content"));

    const fs::path blocker = temp.Path() / "blocker";
    WriteBytes(blocker, "a file where a folder should be");
    EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(blocker / "hive.reg", "x", 0600, 0700); }), ENOTDIR);
    EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(blocker / "deeper" / "hive.reg", "x", 0600, 0700); }),
              ENOTDIR);
    EXPECT_EQ(ReadBytes(blocker), "a file where a folder should be");
    EXPECT_EQ(EntriesIn(temp.Path()), (std::vector<std::string>{"blocker", "hive.reg"}));
}

TEST(RegistryFile, AFolderThatCannotBeWrittenFailsTheReplacement)
{
    const TempFolder temp;
    const testfiles::ScopedOrdinaryUser user({temp.Path()});
    const fs::path locked = temp.Path() / "locked";
    fs::create_directories(locked);
    WriteBytes(locked / "inside.reg", "kept");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    for (const fs::path& file :
         {locked / "inside.reg", locked / "missing.reg", locked / "sub" / "missing.reg"})
        EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(file, "new", 0600, 0700); }), EACCES) << file;
    EXPECT_EQ(ReadBytes(locked / "inside.reg"), "kept");
    EXPECT_EQ(EntriesIn(locked), std::vector<std::string>{"inside.reg"});
}

TEST(RegistryFile, ReadingKnowsMissingTooLargeAndUnreadable)
{
    const TempFolder temp;
    const fs::path file = temp.Path() / "hive.reg";
    EXPECT_EQ(ReadWholeFile(file, MaxHiveFileSize).state, FileContents::State::Missing);
    WriteBytes(temp.Path() / "plain", "x");
    EXPECT_EQ(ReadWholeFile(temp.Path() / "plain" / "hive.reg", MaxHiveFileSize).state,
              FileContents::State::Missing);

    WriteBytes(file, "0123456789");
    FileContents atLimit = ReadWholeFile(file, 10);
    EXPECT_EQ(atLimit.state, FileContents::State::Read);
    EXPECT_EQ(atLimit.bytes, "0123456789");
    const FileContents over = ReadWholeFile(file, 9);
    EXPECT_EQ(over.state, FileContents::State::TooLarge);
    EXPECT_TRUE(over.bytes.empty());

    fs::create_directories(temp.Path() / "folder.reg");
    const FileContents folder = ReadWholeFile(temp.Path() / "folder.reg", MaxHiveFileSize);
    EXPECT_EQ(folder.state, FileContents::State::Unreadable);
    EXPECT_EQ(folder.error, EISDIR);

    // A named pipe must not block the reader.
    const fs::path pipe = temp.Path() / "pipe.reg";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeFile(pipe, MaxHiveFileSize).state, FileContents::State::Unreadable);
    EXPECT_EQ(ErrorOf([&] { WriteFileAtomically(pipe, "x", 0600, 0700); }), EINVAL);

    const testfiles::ScopedOrdinaryUser user({temp.Path()});
    fs::permissions(file, fs::perms::none);
    const FileContents denied = ReadWholeFile(file, MaxHiveFileSize);
    EXPECT_EQ(denied.state, FileContents::State::Unreadable);
    EXPECT_EQ(denied.error, EACCES);
}

// Files set aside: every earlier copy stays, up to the bound, the newest under the highest number;
// a second name costs no copy, whatever the size.
TEST(RegistryFile, SetAsideKeepsEarlierCopiesUpToABound)
{
    const TempFolder temp;
    const fs::path file = temp.Path() / "hive.reg";
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < MaxSetAsideCopies + 2; ++i) {
        const std::string text = "version " + std::to_string(i);
        fs::remove(file); // a new file, as a replacement makes it
        WriteBytes(file, text);
        const SetAsideHow how = i % 2 == 0 ? SetAsideHow::Rename : SetAsideHow::Link;
        const fs::path copy = SetAside(file, how);
        EXPECT_EQ(copy.filename(), i == 0 ? "hive.reg.bad" : "hive.reg.bad." + std::to_string(i + 1));
        EXPECT_EQ(ReadBytes(copy), text);
        EXPECT_EQ(fs::exists(file), how == SetAsideHow::Link);
        kept.push_back(text);
    }
    kept.erase(kept.begin(), kept.end() - MaxSetAsideCopies);
    std::vector<std::string> found;
    for (const fs::path& copy : SetAsideCopies(file))
        found.push_back(ReadBytes(copy));
    EXPECT_EQ(found, kept);

    // A large sparse file keeps its place and gets its second name at once: not a byte is written.
    const fs::path huge = temp.Path() / "huge.reg";
    WriteBytes(huge, "");
    fs::resize_file(huge, std::uintmax_t{4} << 30);
    const fs::space_info before = fs::space(temp.Path());
    const fs::path copy = SetAside(huge, SetAsideHow::Link);
    EXPECT_TRUE(fs::equivalent(copy, huge));
    EXPECT_GE(fs::space(temp.Path()).available + (1 << 20), before.available);
    EXPECT_EQ(ErrorOf([&] { SetAside(temp.Path() / "missing", SetAsideHow::Rename); }), ENOENT);
}

TEST(RegistryFile, SymbolicLinksStayAndTheirTargetIsReplaced)
{
    const TempFolder temp;
    const fs::path real = temp.Path() / "dotfiles" / "quorlane.reg";
    const fs::path link = temp.Path() / "config" / "user.reg";
    WriteBytes(real, "old");
    fs::create_directories(link.parent_path());
    fs::create_symlink("../dotfiles/quorlane.reg", link);
    WriteFileAtomically(link, "new", 0600, 0700);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "new");
    EXPECT_EQ(ReadWholeFile(link, MaxHiveFileSize).bytes, "new");
    // A dangling link gets its target created.
    fs::remove(real);
    WriteFileAtomically(link, "again", 0600, 0700);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "again");
}

} // namespace
