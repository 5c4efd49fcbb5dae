// The hive as a store kept in memory: read once per process, one replacement of the file per close,
// a file near the size limit written back readable with what the program did not write, and the
// temporary files a killed writer left.

#include "platform/Registry.h"

#include "platform/RegistryFile.h"
#include "platform/RegistryHive.h"
#include "tests/platform/RegistryTestSupport.h"

#include <cerrno>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace platform;
using regtest::ReadBytes;
using regtest::WriteBytes;

constexpr const char* settingsKey = "\\Software\\Quorlane\\Calculator\\1.0\\Settings";

class RegistryStore : public regtest::RegistryFixture
{
protected:
    // Replaces the hive file as another program would: a new file renamed over it.
    void ReplaceAsAnotherProgram(const std::string& bytes)
    {
        const auto other = UserFolder() / "other-program.tmp";
        WriteBytes(other, bytes);
        std::filesystem::rename(other, UserFile());
    }
};

TEST_F(RegistryStore, TheHiveIsReadOnceAndAnotherProgramsChangeIsSeen)
{
    WriteBytes(UserFile(), "Windows Registry Editor Version 5.00\n\n"
                           "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                           "\"Color\"=dword:00000001\n");
    const std::uint64_t before = regfile::HiveFileReads();
    for (int i = 0; i < 20; ++i) {
        TRegistry reader(KEY_READ);
        ASSERT_TRUE(reader.OpenKey(settingsKey, false));
        EXPECT_EQ(reader.ReadInteger("Color"), 1);
        EXPECT_EQ(reader.GetValueNames().size(), 1u);
    }
    TRegistry writer(KEY_READ | KEY_WRITE);
    ASSERT_TRUE(writer.OpenKey(settingsKey, false));
    writer.WriteInteger("Flat", 1); // this process's own write is not read back
    EXPECT_EQ(writer.ReadInteger("Flat"), 1);
    EXPECT_EQ(regfile::HiveFileReads(), before + 1);

    ReplaceAsAnotherProgram("Windows Registry Editor Version 5.00\n\n"
                            "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                            "\"Color\"=dword:00000007\n");
    TRegistry reader(KEY_READ);
    ASSERT_TRUE(reader.OpenKey(settingsKey, false));
    EXPECT_EQ(reader.ReadInteger("Color"), 7);
    EXPECT_FALSE(reader.ValueExists("Flat"));
    EXPECT_EQ(regfile::HiveFileReads(), before + 2);
}

TEST_F(RegistryStore, ALazyCloseIsOneReplacementEvenWhenItCreatesTheKey)
{
    int replacements = 0;
    const regfile::ScopedIoHooks hooks({{}, [&replacements](int fd) {
                                            ++replacements;
                                            return ::fsync(fd);
                                        }});
    TRegistry registry(KEY_READ | KEY_WRITE);
    registry.SetLazyWrite(true);
    ASSERT_TRUE(registry.OpenKey(settingsKey, true));
    EXPECT_TRUE(registry.KeyExists(settingsKey)); // for this object
    for (const char* name : {"Flat", "Tape", "OnTop", "TrayIcon", "RunOnStartup", "Color", "FirstRun"})
        registry.WriteInteger(name, 1);
    EXPECT_FALSE(std::filesystem::exists(UserFile()));
    registry.CloseKey();
    EXPECT_EQ(replacements, 1);
    TRegistry reader(KEY_READ);
    ASSERT_TRUE(reader.OpenKey(settingsKey, false));
    EXPECT_EQ(reader.GetValueNames().size(), 7u);
}

// A valid file just below the limit, with a key the program never wrote (long byte lists on one line
// each), is written back within the limit and keeps that key.
TEST_F(RegistryStore, AFileNearTheLimitIsWrittenBackReadableWithKeysTheProgramDidNotWrite)
{
    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Other]\n";
    std::string bytes;
    for (int i = 0; i < 400; ++i)
        bytes += (i ? "," : "") + std::string(i % 2 ? "ab" : "0c");
    for (int i = 0; text.size() < 1021727 - 2000; ++i)
        text += "\"Blob" + std::to_string(i) + "\"=hex:" + bytes + "\n";
    text += "\"Padding\"=\"" + std::string(1021727 - text.size() - 13, 'p') + "\"\n";
    ASSERT_EQ(text.size(), 1021727u);
    WriteBytes(UserFile(), text);

    TRegistry registry(KEY_READ | KEY_WRITE);
    registry.SetLazyWrite(true);
    ASSERT_TRUE(registry.OpenKey(settingsKey, true));
    registry.WriteInteger("Color", 3);
    registry.CloseKey();

    const std::string written = ReadBytes(UserFile());
    EXPECT_LE(written.size(), regfile::MaxHiveFileSize);
    EXPECT_FALSE(std::filesystem::exists(TRegistry::DamagedHiveFile(HKEY_CURRENT_USER)));
    const reghive::ParseResult before = reghive::Parse(text, "HKEY_CURRENT_USER");
    const reghive::ParseResult after = reghive::Parse(written, "HKEY_CURRENT_USER");
    EXPECT_FALSE(after.damaged);
    EXPECT_EQ(after.hive.ValueNames("Software\\Other"), before.hive.ValueNames("Software\\Other"));
    EXPECT_EQ(*after.hive.FindValue("Software\\Other", "Blob7"),
              *before.hive.FindValue("Software\\Other", "Blob7"));
}

TEST_F(RegistryStore, AHiveThatCouldNotBeReadBackIsNotWritten)
{
    TRegistry registry(KEY_READ | KEY_WRITE);
    ASSERT_TRUE(registry.OpenKey(settingsKey, true));
    registry.WriteInteger("Color", 1);
    const std::string before = ReadBytes(UserFile());
    const std::vector<std::uint8_t> big(regfile::MaxHiveFileSize / 3 + 1, 0x5a);
    try {
        registry.WriteBinaryData("Big", big);
        ADD_FAILURE() << "no exception";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Cause().value(), EFBIG);
    }
    EXPECT_EQ(ReadBytes(UserFile()), before);
    EXPECT_FALSE(registry.ValueExists("Big"));
}

TEST_F(RegistryStore, TemporaryFilesLeftByAKilledWriterGoWithTheNextWrite)
{
    TRegistry registry(KEY_READ | KEY_WRITE);
    ASSERT_TRUE(registry.OpenKey(settingsKey, true));
    registry.WriteInteger("Color", 1);
    for (const char* name : {".user.reg.Ab12Cd", ".user.reg.zzzzzz", ".user.reg.keep", "notes.txt"})
        WriteBytes(UserFolder() / name, "left");
    registry.WriteInteger("Color", 2);
    EXPECT_EQ(regtest::EntriesIn(UserFolder()),
              (std::vector<std::string>{".user.reg.keep", "notes.txt", "user.reg"}));
}

} // namespace
