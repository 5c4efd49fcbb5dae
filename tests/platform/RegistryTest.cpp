// The per-user registry as the program uses it: typed values, the file's layout, errors, one
// replacement per close, a store read once, and what happens when the file is damaged or cannot be
// written.

#include "platform/Registry.h"
#include "platform/AtomicFile.h"

#include "tests/FileConditions.h"
#include "tests/platform/RegistryTestSupport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace platform;
using regtest::HiveHeader;
using regtest::ReadBytes;
using regtest::RegistryFixture;
using regtest::WriteBytes;

// Whether the key is in the file, as a fresh reader sees it.
bool KeyExists(std::string_view key)
{
    return TRegistry().OpenKey(key, false);
}

constexpr const char* settingsKey = "\\Software\\Quorlane\\Calculator\\1.0\\Settings\\";
constexpr const char* placementKey = "\\Software\\Quorlane\\Calculator\\1.0\\frmMain";

// The message of the ERegistryException `action` raises, or a note that it raised none.
std::string RegistryError(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ERegistryException& e) {
        return e.what();
    }
    return "(no exception)";
}

// Counts the opens of one file in a folder, as the kernel reports them (inotify).
class OpenCounter
{
public:
    OpenCounter(const std::filesystem::path& folder, std::string name)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), name_(std::move(name))
    {
        EXPECT_GE(::inotify_add_watch(fd_, folder.c_str(), IN_OPEN), 0);
    }
    ~OpenCounter() { ::close(fd_); }
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;

    int Count() const
    {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                count_ += event->len > 0 && name_ == event->name;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return count_;
    }

private:
    int fd_;
    std::string name_;
    mutable int count_ = 0;
};

const files::IoHooks diskFull{[](int, const void*, std::size_t) -> ssize_t {
                                  errno = ENOSPC;
                                  return -1;
                              },
                              {}};

class Registry : public RegistryFixture
{
protected:
    // Writes the values through one close of the options key.
    void Store(const std::function<void(TRegistry&)>& write)
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(settingsKey, true));
        write(registry);
        registry.CloseKey();
    }
    std::unique_ptr<TRegistry> Settings()
    {
        auto registry = std::make_unique<TRegistry>();
        EXPECT_TRUE(registry->OpenKey(settingsKey, false));
        return registry;
    }
};

TEST_F(Registry, ValuesRoundTripThroughTheFileWithTheirTypes)
{
    const std::int32_t integers[] = {
        0, 1, 10, -1, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()};
    const std::string strings[] = {"",
                                   "/opt/My Apps/quorcalc",
                                   "C:\\dir \"quoted\" \\\" end\\",
                                   "first\nsecond\r\n",
                                   std::string("a\0b", 3),
                                   "[HKEY_CURRENT_USER\\x]\n\"v\"=dword:1"};
    const double floats[] = {0.0,
                             -0.0,
                             0.3046875,
                             0.1,
                             std::numeric_limits<double>::denorm_min(),
                             -std::numeric_limits<double>::infinity()};
    Store([&](TRegistry& r) {
        for (std::size_t i = 0; i < std::size(integers); ++i)
            r.WriteInteger("Int" + std::to_string(i), integers[i]);
        for (std::size_t i = 0; i < std::size(strings); ++i)
            r.WriteString("Text" + std::to_string(i), strings[i]);
        for (std::size_t i = 0; i < std::size(floats); ++i)
            r.WriteFloat("Float" + std::to_string(i), floats[i]);
        EXPECT_EQ(r.ReadInteger("Int2"), 10); // the object sees its own changes
    });
    auto fresh = Settings();
    for (std::size_t i = 0; i < std::size(integers); ++i) {
        const std::string name = "Int" + std::to_string(i);
        EXPECT_EQ(fresh->ReadInteger(name), integers[i]) << name;
        EXPECT_FALSE(fresh->ReadString(name)) << name;
    }
    for (std::size_t i = 0; i < std::size(strings); ++i) {
        const std::string name = "Text" + std::to_string(i);
        EXPECT_EQ(fresh->ReadString(name), strings[i]) << name;
        EXPECT_FALSE(fresh->ReadInteger(name)) << name;
    }
    for (std::size_t i = 0; i < std::size(floats); ++i) {
        const std::string name = "Float" + std::to_string(i);
        ASSERT_TRUE(fresh->ReadFloat(name)) << name;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(*fresh->ReadFloat(name)),
                  std::bit_cast<std::uint64_t>(floats[i]));
        EXPECT_FALSE(fresh->ReadString(name)) << name;
    }
    EXPECT_FALSE(KeyExists("\\x")); // the injected section text stayed inside its value
    const std::string text = ReadBytes(UserFile());
    for (const char* line :
         {"\"Int2\"=dword:0000000a\n", "\"Int3\"=dword:ffffffff\n", "\"Int5\"=dword:80000000\n",
          "\"Float2\"=hex:00,00,00,00,00,80,d3,3f\n", R"("Text2"="C:\\dir \"quoted\" \\\" end\\")"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}

TEST_F(Registry, FileHasTheClassicExportLayoutAndNamesIgnoreCase)
{
    Store([](TRegistry& r) {
        r.WriteInteger("Flat", 0);
        r.WriteInteger("Tape", 1);
        r.WriteInteger("Color", 3);
        r.WriteInteger("COLOR", 4); // the same value, keeping its first case
    });
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(placementKey, true));
    registry.WriteInteger("Total Controls", 42);
    registry.WriteString("Visible 0", "1");
    registry.CloseKey();
    EXPECT_EQ(ReadBytes(UserFile()),
              std::string(HiveHeader) + "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\frmMain]\n"
                                        "\"Total Controls\"=dword:0000002a\n"
                                        "\"Visible 0\"=\"1\"\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                                        "\"Color\"=dword:00000004\n"
                                        "\"Flat\"=dword:00000000\n"
                                        "\"Tape\"=dword:00000001\n");
    ASSERT_TRUE(registry.OpenKey("software\\QUORLANE\\calculator\\1.0\\settings", false));
    EXPECT_EQ(registry.ReadInteger("color"), 4);
    EXPECT_FALSE(registry.OpenKey("\\Software\\\\Quorlane", true)); // an empty component
}

TEST_F(Registry, MissingValuesAndWrongTypesReadAsNothing)
{
    // With a DWORD and a float of the wrong size, as another program might write them.
    WriteBytes(UserFile(),
               std::string(HiveHeader) +
                   "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                   "\"Int\"=dword:00000005\n\"Text\"=\"5\"\n\"Float\"=hex:00,00,00,00,00,00,14,40\n"
                   "\"Odd\"=hex(4):01,02\n\"Short\"=hex:00,00\n");
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(settingsKey, false));
    const TRegistry& r = registry;
    EXPECT_FALSE(r.ReadInteger("Nope"));
    EXPECT_FALSE(r.ReadString("Nope"));
    EXPECT_FALSE(r.ReadFloat("Nope"));
    EXPECT_FALSE(r.ValueExists("Nope"));
    for (const char* name : {"Int", "Text", "Float", "Odd", "Short"})
        EXPECT_TRUE(r.ValueExists(name)) << name;
    EXPECT_EQ(r.ReadInteger("Int"), 5);
    EXPECT_EQ(r.ReadString("Text"), "5");
    EXPECT_EQ(r.ReadFloat("Float"), 5.0);
    EXPECT_FALSE(r.ReadInteger("Odd"));
    EXPECT_FALSE(r.ReadFloat("Short"));
    EXPECT_FALSE(r.ReadInteger("Text"));
    EXPECT_FALSE(r.ReadInteger("Float"));
    EXPECT_FALSE(r.ReadString("Int"));
    EXPECT_FALSE(r.ReadFloat("Int"));

    TRegistry closed;
    EXPECT_FALSE(closed.ReadInteger("Int"));
    EXPECT_FALSE(closed.ValueExists("Int"));
    EXPECT_EQ(RegistryError([&] { closed.WriteInteger("Int", 1); }), "Failed to set data for 'Int'");
    for (const std::string name : {"a\nb", "tab\there", "del\x7f"})
        EXPECT_EQ(RegistryError([&] { registry.WriteInteger(name, 1); }),
                  "Failed to set data for '" + name + "'");
}

TEST_F(Registry, KeysAreCreatedOnlyWhenAskedAndDeletedWithTheirSubKeys)
{
    TRegistry registry;
    EXPECT_FALSE(registry.OpenKey(settingsKey, false));
    ASSERT_TRUE(registry.OpenKey(placementKey, true));
    registry.CloseKey(); // a key without values is created all the same
    EXPECT_TRUE(KeyExists(placementKey));
    EXPECT_FALSE(registry.DeleteKey("\\"));
    EXPECT_TRUE(registry.DeleteKey("\\Software\\Quorlane"));
    EXPECT_FALSE(KeyExists(placementKey));
    EXPECT_FALSE(registry.DeleteKey("\\Software\\Quorlane"));
}

TEST_F(Registry, ChangesAreWrittenInOneReplacementWhenTheKeyIsClosed)
{
    int replacements = 0;
    const files::ScopedIoHooks hooks({{}, [&replacements](int fd) {
                                          ++replacements;
                                          return ::fsync(fd);
                                      }});
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(settingsKey, true));
        for (const char* name : {"Flat", "Tape", "OnTop", "TrayIcon", "RunOnStartup", "Color", "FirstRun"})
            registry.WriteInteger(name, 1);
        EXPECT_FALSE(std::filesystem::exists(UserFile()));
        // Another object's change meanwhile survives the write.
        TRegistry other;
        ASSERT_TRUE(other.OpenKey(placementKey, true));
        other.WriteInteger("Width", 700);
        other.CloseKey();
        EXPECT_EQ(replacements, 1);
        // Opening another key writes the changes too.
        ASSERT_TRUE(registry.OpenKey(placementKey, false));
        EXPECT_EQ(replacements, 2);
        registry.WriteInteger("Height", 400);
    } // and the destructor
    EXPECT_EQ(replacements, 3);
    EXPECT_EQ(Settings()->ReadInteger("FirstRun"), 1);
    TRegistry check;
    ASSERT_TRUE(check.OpenKey(placementKey, false));
    EXPECT_EQ(check.ReadInteger("Width"), 700);
    EXPECT_EQ(check.ReadInteger("Height"), 400);
}

TEST_F(Registry, TheFileIsReadOnceAndAnotherProgramsChangeIsSeen)
{
    WriteBytes(UserFile(), std::string(HiveHeader) +
                               "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                               "\"Color\"=dword:00000001\n");
    const OpenCounter opens(UserFolder(), "user.reg");
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(Settings()->ReadInteger("Color"), 1);
    Store([](TRegistry& r) { r.WriteInteger("Flat", 1); }); // this process's own write is not read back
    EXPECT_EQ(Settings()->ReadInteger("Flat"), 1);
    EXPECT_EQ(opens.Count(), 1);

    const auto other = UserFolder() / "other-program.tmp";
    WriteBytes(other, std::string(HiveHeader) +
                          "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                          "\"Color\"=dword:00000007\n");
    std::filesystem::rename(other, UserFile());
    auto reader = Settings();
    EXPECT_EQ(reader->ReadInteger("Color"), 7);
    EXPECT_FALSE(reader->ValueExists("Flat"));
    EXPECT_EQ(opens.Count(), 2);
}

// Write failures: the close raises, naming the first value, and the file stays byte-identical.
TEST_F(Registry, FailedWritesRaiseAndLeaveTheFileAsItWas)
{
    Store([](TRegistry& r) { r.WriteInteger("Color", 1); });
    TRegistry placement; // what deleting the options key leaves is more than 40 bytes too
    ASSERT_TRUE(placement.OpenKey(placementKey, true));
    placement.CloseKey();
    const std::string before = ReadBytes(UserFile());
    const std::pair<const char*, files::IoHooks> cases[] = {
        {"disk full at once", diskFull},
        {"disk full after 40 bytes",
         {[written = std::size_t{0}](int fd, const void* data, std::size_t size) mutable -> ssize_t {
              if (written >= 40) {
                  errno = ENOSPC;
                  return -1;
              }
              const std::size_t part = std::min<std::size_t>(size, 40 - written);
              written += part;
              return ::write(fd, data, part);
          },
          {}}},
        {"sync fails",
         {{},
          [](int) {
              errno = EIO;
              return -1;
          }}},
    };
    for (const auto& [what, io] : cases) {
        auto registry = Settings();
        registry->WriteInteger("Flat", 1);
        registry->WriteInteger("Color", 2);
        const files::ScopedIoHooks hooks(io);
        try {
            registry->CloseKey();
            ADD_FAILURE() << what << ": no exception";
        } catch (const ERegistryException& e) {
            EXPECT_STREQ(e.what(), "Failed to set data for 'Flat'") << what;
            EXPECT_NE(e.Cause().value(), 0) << what;
        }
        EXPECT_NO_THROW(registry->CloseKey()) << what; // the changes were dropped
        EXPECT_THROW(registry->DeleteKey(settingsKey), ERegistryException) << what;
        EXPECT_EQ(ReadBytes(UserFile()), before) << what;
        EXPECT_EQ(regtest::EntriesIn(UserFolder()), std::vector<std::string>{"user.reg"}) << what;
        EXPECT_EQ(Settings()->ReadInteger("Color"), 1) << what;
    }
    {
        const files::ScopedIoHooks hooks(diskFull);
        auto quiet = Settings();
        quiet->WriteInteger("Color", 9);
        EXPECT_NO_THROW(quiet.reset()); // the destructor never raises
    }
    // A file that would be too large to read back is not written.
    auto registry = Settings();
    registry->WriteString("Big", std::string(regfile::MaxHiveFileSize, 'x'));
    try {
        registry->CloseKey();
        ADD_FAILURE() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Cause().value(), EFBIG);
    }
    EXPECT_EQ(ReadBytes(UserFile()), before);
    // A key deleted meanwhile takes no values and is not brought back.
    auto stale = Settings();
    stale->WriteInteger("Color", 2);
    ASSERT_TRUE(TRegistry().DeleteKey(settingsKey));
    EXPECT_EQ(RegistryError([&] { stale->CloseKey(); }), "Failed to set data for 'Color'");
    EXPECT_FALSE(KeyExists(settingsKey));
}

TEST_F(Registry, UnreadableOrReadOnlyFilesAreNeverReplaced)
{
    const testfiles::ScopedOrdinaryUser user({temp_.Path()});
    Store([](TRegistry& r) { r.WriteInteger("Color", 5); });
    const std::string before = ReadBytes(UserFile());
    namespace fs = std::filesystem;
    fs::permissions(UserFile(), fs::perms::none);
    TRegistry registry;
    // The system's reason a change of Color cannot be saved.
    const auto cause = [&registry] {
        registry.WriteInteger("Color", 6);
        try {
            registry.CloseKey();
        } catch (const ERegistryException& e) {
            EXPECT_STREQ(e.what(), "Failed to set data for 'Color'");
            return e.Cause().value();
        }
        return 0;
    };
    EXPECT_FALSE(registry.OpenKey(settingsKey, false)); // read as empty
    ASSERT_TRUE(registry.OpenKey(settingsKey, true));
    EXPECT_EQ(cause(), EACCES); // would lose what could not be read
    fs::permissions(UserFile(), fs::perms::owner_read);
    ASSERT_TRUE(registry.OpenKey(settingsKey, false));
    EXPECT_EQ(registry.ReadInteger("Color"), 5);
    EXPECT_EQ(cause(), EACCES);
    fs::permissions(UserFile(), fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(UserFolder(), fs::perms::owner_read | fs::perms::owner_exec);
    ASSERT_TRUE(registry.OpenKey(settingsKey, false));
    EXPECT_EQ(cause(), EACCES);
    EXPECT_THROW(registry.DeleteKey(settingsKey), ERegistryException);
    fs::permissions(UserFolder(), fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(UserFile()), before);

    fs::remove(UserFile());
    fs::create_directories(UserFile() / "inside"); // a folder where the file belongs
    ASSERT_TRUE(registry.OpenKey(settingsKey, true));
    EXPECT_EQ(cause(), EISDIR);
    EXPECT_TRUE(fs::is_directory(UserFile() / "inside"));
}

TEST_F(Registry, DamagedFileIsReadAsFarAsPossibleAndKeptAsideWhenRead)
{
    using namespace std::string_literals;
    WriteBytes(UserFile(), "Windows Registry Editor Version 5.00\n"
                           "\n"
                           "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                           "\"Flat\"=dword:00000001\n"
                           "\"Tape\"=dword:0000000\x01zz\n"
                           "\x00\xff\xfe garbage \x7f\n"
                           "\"Color\"=\"text where a number belongs\"\n"
                           "\"TrayIcon\"=dwo"s);
    const std::string bytes = ReadBytes(UserFile());
    const std::filesystem::path first = UserFile().string() + ".bad";
    {
        auto registry = Settings();
        EXPECT_EQ(registry->ReadInteger("Flat"), 1);
        EXPECT_FALSE(registry->ValueExists("Tape"));
        EXPECT_FALSE(registry->ReadInteger("Color"));
        EXPECT_EQ(registry->ReadString("Color"), "text where a number belongs");
        EXPECT_FALSE(registry->ValueExists("TrayIcon"));
        // Kept aside as it was read (a second name: the file stays until a change replaces it).
        const std::optional<SetAsideNotice> notice = TRegistry::TakeSetAsideNotice();
        ASSERT_TRUE(notice);
        EXPECT_EQ(notice->reason, "its line 5 cannot be read");
        EXPECT_EQ(notice->copy, first);
        EXPECT_TRUE(std::filesystem::equivalent(first, UserFile()));
        EXPECT_FALSE(TRegistry::TakeSetAsideNotice()); // told once
        registry->WriteInteger("Color", 4);
    }
    EXPECT_EQ(ReadBytes(first), bytes);
    EXPECT_EQ(ReadBytes(UserFile()),
              std::string(HiveHeader) + "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                                        "\"Color\"=dword:00000004\n"
                                        "\"Flat\"=dword:00000001\n");
    // The file is sound now: the next write keeps no copy.
    Store([](TRegistry& r) { r.WriteInteger("Color", 5); });
    EXPECT_EQ(files::SetAsideCopies(UserFile()), std::vector{first});

    // A file over the reading limit (a sparse 4 GB one) is not read, and is kept aside at once, whole:
    // under a second name, with no byte copied; an earlier copy stays.
    WriteBytes(UserFile(), "");
    std::filesystem::resize_file(UserFile(), std::uintmax_t{4} << 30);
    EXPECT_FALSE(KeyExists("\\Software"));
    const std::optional<SetAsideNotice> huge = TRegistry::TakeSetAsideNotice();
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->reason, "it is larger than 1 MB");
    EXPECT_TRUE(std::filesystem::equivalent(huge->copy, UserFile()));
    Store([](TRegistry& r) { r.WriteInteger("Color", 1); });
    EXPECT_EQ(std::filesystem::file_size(huge->copy), std::uintmax_t{4} << 30);
    EXPECT_EQ(files::SetAsideCopies(UserFile()), (std::vector{first, huge->copy}));
}

// Another user who may open the settings folder (it existed before, readable by all) and locks it
// never stalls a write; nor does a lock held on a private folder.
TEST_F(Registry, ALockOnTheFolderNeverStallsAWrite)
{
    const testfiles::ScopedOrdinaryUser user({temp_.Path()});
    Store([](TRegistry& r) { r.WriteInteger("Color", 1); });
    for (const auto mode : {std::filesystem::perms(0755), std::filesystem::perms(0700)}) {
        std::filesystem::permissions(UserFolder(), mode);
        const files::UniqueFd other(::open(UserFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ASSERT_EQ(::flock(other.Get(), LOCK_EX | LOCK_NB), 0);
        const auto start = std::chrono::steady_clock::now();
        Store([](TRegistry& r) { r.WriteInteger("Color", 2); });
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
        EXPECT_EQ(Settings()->ReadInteger("Color"), 2);
    }
}

// A valid file just below the limit, with a key the program never wrote (long byte lists on one line
// each), is written back within the limit and keeps that key.
TEST_F(Registry, AFileNearTheLimitIsWrittenBackReadableWithKeysTheProgramDidNotWrite)
{
    std::string text = std::string(HiveHeader) + "[HKEY_CURRENT_USER\\Software\\Other]\n";
    std::string bytes;
    for (int i = 0; i < 400; ++i)
        bytes += (i ? "," : "") + std::string(i % 2 ? "ab" : "0c");
    for (int i = 0; text.size() < 1021727 - 2000; ++i)
        text += "\"Blob" + std::to_string(i) + "\"=hex:" + bytes + "\n";
    text += "\"Padding\"=\"" + std::string(1021727 - text.size() - 13, 'p') + "\"\n";
    ASSERT_EQ(text.size(), 1021727u);
    WriteBytes(UserFile(), text);
    Store([](TRegistry& r) { r.WriteInteger("Color", 3); });

    const std::string written = ReadBytes(UserFile());
    EXPECT_LE(written.size(), regfile::MaxHiveFileSize);
    EXPECT_TRUE(files::SetAsideCopies(UserFile()).empty());
    const reghive::ParseResult before = reghive::Parse(text, "HKEY_CURRENT_USER");
    const reghive::ParseResult after = reghive::Parse(written, "HKEY_CURRENT_USER");
    EXPECT_FALSE(after.damaged);
    EXPECT_TRUE(written.starts_with(before.hive.Format("HKEY_CURRENT_USER"))); // the other key whole
    EXPECT_NE(after.hive.FindValue("Software\\Quorlane\\Calculator\\1.0\\Settings", "Color"), nullptr);
}

TEST_F(Registry, NewFileIsPrivateAndTemporaryFilesOfAKilledWriterGo)
{
    Store([](TRegistry& r) { r.WriteInteger("Color", 1); });
    EXPECT_EQ(regtest::ModeOf(UserFile()), 0600u);
    EXPECT_EQ(regtest::ModeOf(UserFolder()), 0700u);
    for (const char* name : {".user.reg.Ab12Cd", ".user.reg.zzzzzz", ".user.reg.keep", "notes.txt"})
        WriteBytes(UserFolder() / name, "left");
    Store([](TRegistry& r) { r.WriteInteger("Color", 2); });
    EXPECT_EQ(regtest::EntriesIn(UserFolder()),
              (std::vector<std::string>{".user.reg.keep", "notes.txt", "user.reg"}));
}

// Location: the override, the environment, or the XDG defaults.
TEST(RegistryLocation, OverrideThenEnvironmentThenDefaults)
{
    using regtest::ScopedEnvironment;
    const ScopedHiveDirectory none({});
    const ScopedEnvironment home("HOME", "/home/someone");
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // QUORLANE_USER_HIVE_DIR, XDG_CONFIG_HOME, file
        {nullptr, nullptr, "/home/someone/.config/quorlane/user.reg"},
        {nullptr, "", "/home/someone/.config/quorlane/user.reg"},
        {nullptr, "relative/config", "/home/someone/.config/quorlane/user.reg"},
        {nullptr, "/xdg/config", "/xdg/config/quorlane/user.reg"},
        {"/tmp/u", "/xdg/config", "/tmp/u/user.reg"},
        {"", nullptr, "/home/someone/.config/quorlane/user.reg"},
    };
    for (const auto& [variable, xdg, file] : cases) {
        const ScopedEnvironment user("QUORLANE_USER_HIVE_DIR", variable);
        const ScopedEnvironment config("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(TRegistry::HiveFile(), file);
    }
    const ScopedEnvironment user("QUORLANE_USER_HIVE_DIR", "/tmp/u");
    {
        const ScopedHiveDirectory overridden("/o/user");
        EXPECT_EQ(TRegistry::HiveFile(), "/o/user/user.reg");
    }
    EXPECT_EQ(TRegistry::HiveFile(), "/tmp/u/user.reg");
}

} // namespace
