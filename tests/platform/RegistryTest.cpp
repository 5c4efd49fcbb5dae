// TRegistry as the program uses it: typed values, keys, paths, errors, the two hives, deferred
// writes, and what happens when the hive file is damaged or cannot be written.

#include "platform/Registry.h"

#include "platform/RegistryFile.h"
#include "tests/FileConditions.h"
#include "tests/platform/RegistryTestSupport.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
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

constexpr const char* settingsKey = "\\Software\\Quorlane\\Calculator\\1.0\\Settings\\";
constexpr const char* productKey = "\\Software\\Quorlane\\Calculator\\1.0\\";
constexpr const char* runKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The message of the ERegistryException `action` raises, or a note that it raised none.
template<typename Action>
std::string RegistryError(Action&& action)
{
    try {
        action();
    } catch (const ERegistryException& e) {
        return e.what();
    }
    return "(no exception)";
}

class Registry : public RegistryFixture
{
protected:
    // A registry with the options key open for reading and writing, as the program opens it.
    std::unique_ptr<TRegistry> OpenSettings(bool canCreate = true)
    {
        auto registry = std::make_unique<TRegistry>(KEY_READ | KEY_WRITE);
        EXPECT_TRUE(registry->OpenKey(settingsKey, canCreate));
        return registry;
    }
};

TEST_F(Registry, IntegersAndBooleansRoundTripAlsoThroughAFreshInstance)
{
    const std::pair<const char*, std::int32_t> integers[] = {
        {"Zero", 0},
        {"One", 1},
        {"Color", 10},
        {"Negative", -1},
        {"MaxTrackWidth", -37},
        {"Largest", std::numeric_limits<std::int32_t>::max()},
        {"Smallest", std::numeric_limits<std::int32_t>::min()},
    };
    {
        auto registry = OpenSettings();
        for (const auto& [name, value] : integers) {
            registry->WriteInteger(name, value);
            EXPECT_EQ(registry->ReadInteger(name), value) << name;
        }
        registry->WriteBool("Flat", true);
        registry->WriteBool("Tape", false);
    }
    auto fresh = OpenSettings(false);
    for (const auto& [name, value] : integers) {
        EXPECT_EQ(fresh->ReadInteger(name), value) << name;
        EXPECT_EQ(fresh->GetDataType(name), TRegDataType::rdInteger) << name;
        EXPECT_EQ(fresh->GetDataSize(name), 4) << name;
        EXPECT_EQ(fresh->ReadBool(name), value != 0) << name; // any non-zero number is true
    }
    EXPECT_TRUE(fresh->ReadBool("Flat"));
    EXPECT_FALSE(fresh->ReadBool("Tape"));
    EXPECT_EQ(fresh->ReadInteger("Flat"), 1); // stored as DWORD 1 and 0
    EXPECT_EQ(fresh->ReadInteger("Tape"), 0);
    const std::string text = ReadBytes(UserFile());
    EXPECT_NE(text.find("\"Color\"=dword:0000000a\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Negative\"=dword:ffffffff\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Smallest\"=dword:80000000\n"), std::string::npos) << text;
}

TEST_F(Registry, StringsRoundTripWhateverTheyHold)
{
    const std::pair<const char*, std::string> strings[] = {
        {"Empty", ""},
        {"Plain", "Quorlane Calculator"},
        {"Path", "/opt/My Apps/quorcalc /tray"},
        {"Escapes", "C:\\dir\\ \"quoted\" \\\\ \\\" end\\"},
        {"LineBreaks", "first\nsecond\r\nthird\t."},
        {"Utf8", "Gr\xc3\xbc\xc3\x9f"
                 "e \xe2\x82\xac"},
        {"Nul", std::string("a\0b", 3)},
        {"Brackets", "[HKEY_CURRENT_USER\\x]\n\"v\"=dword:1"},
        {"Visible 3", "0"}, // a name with a blank, as the scaler writes them
    };
    {
        auto registry = OpenSettings();
        for (const auto& [name, value] : strings)
            registry->WriteString(name, value);
        registry->WriteExpandString("Expand", "%HOME%\\x");
    }
    auto fresh = OpenSettings(false);
    for (const auto& [name, value] : strings) {
        EXPECT_EQ(fresh->ReadString(name), value) << name;
        EXPECT_EQ(fresh->GetDataType(name), TRegDataType::rdString) << name;
        EXPECT_EQ(fresh->GetDataSize(name), static_cast<int>(value.size())) << name;
    }
    EXPECT_EQ(fresh->ReadString("Expand"), "%HOME%\\x");
    EXPECT_EQ(fresh->GetDataType("Expand"), TRegDataType::rdExpandString);
    // The injected section text stayed inside its value.
    EXPECT_FALSE(fresh->KeyExists("\\x"));
    EXPECT_EQ(fresh->GetValueNames().size(), std::size(strings) + 1);
    const std::string text = ReadBytes(UserFile());
    EXPECT_NE(text.find(R"("Escapes"="C:\\dir\\ \"quoted\" \\\\ \\\" end\\")"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Plain\"=\"Quorlane Calculator\"\n"), std::string::npos) << text;
}

TEST_F(Registry, FloatsRoundTripBitForBitAsEightByteBinaries)
{
    const std::pair<const char*, double> floats[] = {
        {"Zero", 0.0},
        {"MinusZero", -0.0},
        {"Left", 0.3046875},
        {"Tenth", 0.1},
        {"Width", 0.49418604651162790},
        {"Huge", std::numeric_limits<double>::max()},
        {"Tiny", std::numeric_limits<double>::denorm_min()},
        {"Infinite", -std::numeric_limits<double>::infinity()},
        {"NotANumber", std::numeric_limits<double>::quiet_NaN()},
    };
    {
        auto registry = OpenSettings();
        for (const auto& [name, value] : floats)
            registry->WriteFloat(name, value);
    }
    auto fresh = OpenSettings(false);
    for (const auto& [name, value] : floats) {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(fresh->ReadFloat(name)), std::bit_cast<std::uint64_t>(value))
            << name;
        EXPECT_EQ(fresh->GetDataType(name), TRegDataType::rdBinary) << name;
        EXPECT_EQ(fresh->GetDataSize(name), 8) << name;
    }
    // 0.5 is 3fe0000000000000, stored little-endian.
    fresh->WriteFloat("Half", 0.5);
    EXPECT_NE(ReadBytes(UserFile()).find("\"Half\"=hex:00,00,00,00,00,00,e0,3f\n"), std::string::npos);
    EXPECT_EQ(fresh->ReadBinaryData("Half"), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0xe0, 0x3f}));
}

TEST_F(Registry, BinaryDataRoundTripsAtEveryLength)
{
    std::vector<std::vector<std::uint8_t>> blobs;
    for (const std::size_t size : {0u, 1u, 2u, 24u, 25u, 26u, 100u, 1000u}) {
        std::vector<std::uint8_t> blob(size);
        for (std::size_t i = 0; i < size; ++i)
            blob[i] = static_cast<std::uint8_t>(i * 37 + size);
        blobs.push_back(std::move(blob));
    }
    {
        auto registry = OpenSettings();
        for (std::size_t i = 0; i < blobs.size(); ++i)
            registry->WriteBinaryData("Blob" + std::to_string(i), blobs[i]);
    }
    auto fresh = OpenSettings(false);
    for (std::size_t i = 0; i < blobs.size(); ++i) {
        const std::string name = "Blob" + std::to_string(i);
        EXPECT_EQ(fresh->ReadBinaryData(name), blobs[i]) << name;
        EXPECT_EQ(fresh->GetDataSize(name), static_cast<int>(blobs[i].size())) << name;
    }
}

TEST_F(Registry, FileHasTheClassicExportLayout)
{
    {
        auto registry = OpenSettings();
        registry->WriteBool("Flat", false);
        registry->WriteBool("Tape", true);
        registry->WriteInteger("Color", 3);
        ASSERT_TRUE(registry->OpenKey(productKey, false));
        ASSERT_TRUE(registry->OpenKey("frmMain", true)); // relative to the product key
        registry->WriteInteger("Total Controls", 42);
        registry->WriteString("Visible 0", "1");
    }
    EXPECT_EQ(ReadBytes(UserFile()),
              std::string(HiveHeader) + "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\frmMain]\n"
                                        "\"Total Controls\"=dword:0000002a\n"
                                        "\"Visible 0\"=\"1\"\n"
                                        "\n"
                                        "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                                        "\"Color\"=dword:00000003\n"
                                        "\"Flat\"=dword:00000000\n"
                                        "\"Tape\"=dword:00000001\n");
    EXPECT_FALSE(std::filesystem::exists(MachineFile()));
}

TEST_F(Registry, MissingValuesAndWrongTypesRaiseTheFamiliarTexts)
{
    auto registry = OpenSettings();
    registry->WriteInteger("Int", 5);
    registry->WriteString("Text", "5");
    registry->WriteFloat("Float", 5.0);
    const std::uint8_t four[] = {1, 2, 3, 4};
    registry->WriteBinaryData("Four", four);

    struct Case
    {
        const char* what;
        std::function<void()> read;
        const char* message;
    };
    const TRegistry& r = *registry;
    const Case cases[] = {
        {"missing int", [&] { (void)r.ReadInteger("Nope"); }, "Failed to get data for 'Nope'"},
        {"missing bool", [&] { (void)r.ReadBool("FirstRun"); }, "Failed to get data for 'FirstRun'"},
        {"missing string", [&] { (void)r.ReadString("Nope"); }, "Failed to get data for 'Nope'"},
        {"missing float", [&] { (void)r.ReadFloat("Left"); }, "Failed to get data for 'Left'"},
        {"missing binary", [&] { (void)r.ReadBinaryData("Nope"); }, "Failed to get data for 'Nope'"},
        {"text as int", [&] { (void)r.ReadInteger("Text"); }, "Invalid data type for 'Text'"},
        {"text as bool", [&] { (void)r.ReadBool("Text"); }, "Invalid data type for 'Text'"},
        {"float as int", [&] { (void)r.ReadInteger("Float"); }, "Invalid data type for 'Float'"},
        {"4 bytes as int", [&] { (void)r.ReadInteger("Four"); }, "Invalid data type for 'Four'"},
        {"int as string", [&] { (void)r.ReadString("Int"); }, "Invalid data type for 'Int'"},
        {"float as string", [&] { (void)r.ReadString("Float"); }, "Invalid data type for 'Float'"},
        {"int as float", [&] { (void)r.ReadFloat("Int"); }, "Invalid data type for 'Int'"},
        {"text as float", [&] { (void)r.ReadFloat("Text"); }, "Invalid data type for 'Text'"},
        {"4 bytes as float", [&] { (void)r.ReadFloat("Four"); }, "Invalid data type for 'Four'"},
        {"int as binary", [&] { (void)r.ReadBinaryData("Int"); }, "Invalid data type for 'Int'"},
        {"text as binary", [&] { (void)r.ReadBinaryData("Text"); }, "Invalid data type for 'Text'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RegistryError(c.read), c.message) << c.what;
    // The reads changed nothing.
    EXPECT_EQ(registry->ReadInteger("Int"), 5);
    EXPECT_EQ(registry->GetValueNames().size(), 4u);
}

TEST_F(Registry, WithoutAnOpenKeyOrTheRightAccessReadsAndWritesFail)
{
    {
        auto writer = OpenSettings();
        writer->WriteInteger("Color", 2);
    }
    TRegistry closed;
    EXPECT_EQ(RegistryError([&] { (void)closed.ReadInteger("Color"); }), "Failed to get data for 'Color'");
    EXPECT_EQ(RegistryError([&] { closed.WriteInteger("Color", 1); }), "Failed to set data for 'Color'");
    EXPECT_FALSE(closed.ValueExists("Color"));
    EXPECT_FALSE(closed.DeleteValue("Color"));

    TRegistry readOnly(KEY_READ);
    ASSERT_TRUE(readOnly.OpenKey(settingsKey, false));
    EXPECT_EQ(readOnly.ReadInteger("Color"), 2);
    EXPECT_EQ(RegistryError([&] { readOnly.WriteInteger("Color", 1); }), "Failed to set data for 'Color'");
    EXPECT_FALSE(readOnly.DeleteValue("Color"));

    TRegistry writeOnly(KEY_WRITE);
    ASSERT_TRUE(writeOnly.OpenKey(settingsKey, false));
    EXPECT_EQ(RegistryError([&] { (void)writeOnly.ReadInteger("Color"); }), "Failed to get data for 'Color'");
    EXPECT_TRUE(writeOnly.GetKeyNames().empty());
    writeOnly.WriteInteger("Flat", 1);
    EXPECT_TRUE(writeOnly.DeleteValue("Color")); // deleting needs set-value access only
    writeOnly.CloseKey();

    // OpenKeyReadOnly switches the access to KEY_READ.
    TRegistry full;
    ASSERT_TRUE(full.OpenKeyReadOnly(settingsKey));
    EXPECT_EQ(full.Access(), KEY_READ);
    EXPECT_TRUE(full.ReadBool("Flat"));
    EXPECT_FALSE(full.ValueExists("Color"));
    EXPECT_THROW(full.WriteBool("Flat", false), ERegistryException);
}

TEST_F(Registry, ValueNamesWithControlCharactersAreRefused)
{
    auto registry = OpenSettings();
    const std::string before = ReadBytes(UserFile());
    for (const std::string name : {"a\nb", "tab\there", "del\x7f"})
        EXPECT_EQ(RegistryError([&] { registry->WriteInteger(name, 1); }),
                  "Failed to set data for '" + name + "'");
    EXPECT_THROW(registry->WriteInteger(std::string("nul\0x", 5), 1), ERegistryException);
    EXPECT_EQ(ReadBytes(UserFile()), before);
}

TEST_F(Registry, ValueExistsDataTypeAndSize)
{
    auto registry = OpenSettings();
    registry->WriteInteger("Int", 1);
    registry->WriteString("Text", "abc");
    registry->WriteFloat("Float", 1.5);
    registry->WriteBinaryData("Empty", {});
    struct Case
    {
        const char* name;
        bool exists;
        TRegDataType type;
        int size;
    };
    const Case cases[] = {
        {"Int", true, TRegDataType::rdInteger, 4},  {"INT", true, TRegDataType::rdInteger, 4},
        {"Text", true, TRegDataType::rdString, 3},  {"Float", true, TRegDataType::rdBinary, 8},
        {"Empty", true, TRegDataType::rdBinary, 0}, {"Nope", false, TRegDataType::rdUnknown, -1},
        {"", false, TRegDataType::rdUnknown, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(registry->ValueExists(c.name), c.exists) << c.name;
        EXPECT_EQ(registry->GetDataType(c.name), c.type) << c.name;
        EXPECT_EQ(registry->GetDataSize(c.name), c.size) << c.name;
    }
    // The unnamed value is a value like any other.
    registry->WriteString("", "default");
    EXPECT_TRUE(registry->ValueExists(""));
    EXPECT_EQ(registry->ReadString(""), "default");
    EXPECT_NE(ReadBytes(UserFile()).find("\n@=\"default\"\n"), std::string::npos);
}

TEST_F(Registry, NamesAreCaseInsensitiveAndKeepTheirFirstCase)
{
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey("\\Software\\Quorlane\\Calculator\\1.0\\Settings", true));
        registry.WriteInteger("Color", 1);
        registry.WriteInteger("COLOR", 2); // the same value
        EXPECT_EQ(registry.ReadInteger("color"), 2);
        EXPECT_EQ(registry.GetValueNames(), std::vector<std::string>{"Color"});
        ASSERT_TRUE(registry.OpenKey("\\SOFTWARE\\quorlane\\CALCULATOR\\1.0\\settings\\Extra", true));
        EXPECT_EQ(registry.CurrentPath(), "Software\\Quorlane\\Calculator\\1.0\\Settings\\Extra");
    }
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("software\\quorlane\\calculator\\1.0", false));
    EXPECT_EQ(registry.GetKeyNames(), std::vector<std::string>{"Settings"});
    const std::string text = ReadBytes(UserFile());
    EXPECT_NE(
        text.find(
            "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n\"Color\"=dword:00000002"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find("SOFTWARE"), std::string::npos) << text;
    EXPECT_EQ(text.find("COLOR"), std::string::npos) << text;
}

TEST_F(Registry, PathsAcceptLeadingAndTrailingBackslashesAndRelativeForms)
{
    {
        auto registry = OpenSettings();
        registry->WriteInteger("Color", 4);
    }
    const char* same[] = {
        "\\Software\\Quorlane\\Calculator\\1.0\\Settings\\",
        "\\Software\\Quorlane\\Calculator\\1.0\\Settings",
        "Software\\Quorlane\\Calculator\\1.0\\Settings\\",
        "Software\\Quorlane\\Calculator\\1.0\\Settings",
        "\\SOFTWARE\\quorlane\\Calculator\\1.0\\SETTINGS\\",
    };
    for (const char* path : same) {
        TRegistry registry;
        ASSERT_TRUE(registry.KeyExists(path)) << path;
        ASSERT_TRUE(registry.OpenKey(path, false)) << path;
        EXPECT_EQ(registry.ReadInteger("Color"), 4) << path;
        EXPECT_EQ(registry.CurrentPath(), "Software\\Quorlane\\Calculator\\1.0\\Settings") << path;
    }
    const char* invalid[] = {"\\\\Software", "Software\\\\Quorlane", "Software\\\\", "\\Software\\\\",
                             "a\nb"};
    for (const char* path : invalid) {
        TRegistry registry;
        EXPECT_FALSE(registry.OpenKey(path, true)) << path;
        EXPECT_FALSE(registry.KeyExists(path)) << path;
        EXPECT_FALSE(registry.HasCurrentKey()) << path;
    }

    // Relative to the open key; a leading backslash goes back to the root.
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\Software\\Quorlane", false));
    EXPECT_TRUE(registry.KeyExists("Calculator\\1.0"));
    EXPECT_FALSE(registry.KeyExists("Software"));
    EXPECT_TRUE(registry.KeyExists("\\Software"));
    EXPECT_TRUE(registry.KeyExists("")); // the open key itself
    ASSERT_TRUE(registry.OpenKey("Calculator", false));
    EXPECT_EQ(registry.CurrentPath(), "Software\\Quorlane\\Calculator");
    EXPECT_FALSE(registry.OpenKey("Settings", false)); // fails and leaves the key open
    EXPECT_EQ(registry.CurrentPath(), "Software\\Quorlane\\Calculator");
    ASSERT_TRUE(registry.OpenKey("\\", false)); // the root key
    EXPECT_EQ(registry.CurrentPath(), "");
    EXPECT_EQ(registry.GetKeyNames(), std::vector<std::string>{"Software"});
    registry.CloseKey();
    EXPECT_FALSE(registry.HasCurrentKey());
    EXPECT_TRUE(registry.KeyExists("Software\\Quorlane")); // no open key: from the root
}

TEST_F(Registry, KeysAreCreatedOnlyWhenAskedAndDeletedWithTheirSubKeys)
{
    TRegistry registry;
    EXPECT_FALSE(registry.OpenKey(settingsKey, false));
    EXPECT_FALSE(std::filesystem::exists(UserFile())); // nothing written by a failed open
    ASSERT_TRUE(registry.OpenKey(settingsKey, true));
    EXPECT_TRUE(std::filesystem::exists(UserFile())); // the created key is stored at once
    registry.WriteInteger("Color", 1);
    for (const char* key : {"frmMain", "frmMain\\Deeper\\Deepest", "frmMain2", "frmMain x", "frmMai"}) {
        ASSERT_TRUE(registry.OpenKey(std::string(productKey) + key, true)) << key;
        registry.WriteInteger("Marker", 7);
    }
    ASSERT_TRUE(registry.OpenKey(productKey, false));
    EXPECT_TRUE(registry.HasSubKeys());
    EXPECT_EQ(registry.GetKeyNames(),
              (std::vector<std::string>{"frmMai", "frmMain", "frmMain x", "frmMain2", "Settings"}));

    EXPECT_TRUE(registry.DeleteKey("frmMain")); // relative to the product key
    EXPECT_FALSE(registry.KeyExists("frmMain"));
    EXPECT_FALSE(registry.KeyExists("frmMain\\Deeper"));
    EXPECT_FALSE(registry.KeyExists("frmMain\\Deeper\\Deepest"));
    EXPECT_EQ(registry.GetKeyNames(),
              (std::vector<std::string>{"frmMai", "frmMain x", "frmMain2", "Settings"}));
    EXPECT_FALSE(registry.DeleteKey("frmMain")); // already gone
    EXPECT_FALSE(registry.DeleteKey("\\"));      // the root stays
    EXPECT_FALSE(registry.DeleteKey(""));        // never the open key itself
    EXPECT_TRUE(registry.KeyExists(productKey));
    EXPECT_FALSE(registry.DeleteKey("a\\\\b"));

    // A fresh object sees the same.
    TRegistry fresh;
    ASSERT_TRUE(fresh.OpenKey(settingsKey, false));
    EXPECT_EQ(fresh.ReadInteger("Color"), 1);
    EXPECT_FALSE(fresh.KeyExists("\\Software\\Quorlane\\Calculator\\1.0\\frmMain"));
    EXPECT_TRUE(fresh.DeleteKey("\\Software"));
    EXPECT_FALSE(fresh.KeyExists("\\Software\\Quorlane\\Calculator\\1.0\\Settings"));
    EXPECT_EQ(ReadBytes(UserFile()), "Windows Registry Editor Version 5.00\n");
}

TEST_F(Registry, DeleteValueRemovesExistingValuesOnly)
{
    auto registry = OpenSettings();
    registry->WriteInteger("Color", 1);
    registry->WriteInteger("Flat", 0);
    EXPECT_TRUE(registry->DeleteValue("COLOR"));
    EXPECT_FALSE(registry->ValueExists("Color"));
    const std::string before = ReadBytes(UserFile());
    EXPECT_FALSE(registry->DeleteValue("Color")); // a missing value is no error and changes nothing
    EXPECT_EQ(ReadBytes(UserFile()), before);
    TRegistry fresh;
    ASSERT_TRUE(fresh.OpenKey(settingsKey, false));
    EXPECT_EQ(fresh.GetValueNames(), std::vector<std::string>{"Flat"});
}

TEST_F(Registry, OptionsSequenceWithFirstRunDeletesThePlacement)
{
    // What installation leaves, and a placement from an earlier run.
    {
        auto registry = OpenSettings();
        registry->WriteBool("FirstRun", true);
        registry->WriteBool("Tape", false);
        registry->WriteInteger("Color", 9);
        ASSERT_TRUE(registry->OpenKey(std::string(productKey) + "frmMain", true));
        registry->WriteInteger("Total Controls", 40);
    }
    // Reading at start: FirstRun pending, so Tape becomes true, FirstRun false, frmMain goes.
    {
        TRegistry registry(KEY_READ | KEY_WRITE);
        ASSERT_TRUE(registry.OpenKey(settingsKey, false));
        ASSERT_TRUE(registry.ReadBool("FirstRun"));
        registry.WriteBool("Tape", true);
        registry.WriteBool("FirstRun", false);
        ASSERT_TRUE(registry.OpenKey(productKey, false));
        EXPECT_TRUE(registry.DeleteKey("frmMain"));
        ASSERT_TRUE(registry.OpenKey(settingsKey, false));
        EXPECT_TRUE(registry.ReadBool("Tape"));
        EXPECT_EQ(registry.ReadInteger("Color"), 9);
        EXPECT_EQ(RegistryError([&] { (void)registry.ReadBool("Flat"); }), "Failed to get data for 'Flat'");
    }
    TRegistry check;
    ASSERT_TRUE(check.OpenKey(settingsKey, false));
    EXPECT_FALSE(check.ReadBool("FirstRun"));
    EXPECT_TRUE(check.ReadBool("Tape"));
    EXPECT_FALSE(check.KeyExists("\\Software\\Quorlane\\Calculator\\1.0\\frmMain"));
}

TEST_F(Registry, RunEntryLivesInTheMachineHive)
{
    TRegistry registry(KEY_READ | KEY_WRITE);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(registry.OpenKey(runKey, false)); // the Run key belongs to installation
    ASSERT_TRUE(registry.OpenKey(runKey, true));
    registry.WriteString("Quorlane Calculator", "/opt/Quorlane Apps/quorcalc /tray");
    registry.CloseKey();
    EXPECT_FALSE(std::filesystem::exists(UserFile()));
    EXPECT_EQ(ReadBytes(MachineFile()),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
              "\"Quorlane Calculator\"=\"/opt/Quorlane Apps/quorcalc /tray\"\n");
    EXPECT_EQ(regtest::ModeOf(MachineFile()), 0644u);
    EXPECT_EQ(regtest::ModeOf(MachineFolder()), 0755u);

    TRegistry user;
    EXPECT_FALSE(user.KeyExists(runKey)); // the hives are apart
    TRegistry machine(KEY_READ);
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.OpenKey(runKey, false));
    EXPECT_EQ(machine.ReadString("Quorlane Calculator"), "/opt/Quorlane Apps/quorcalc /tray");
    // Unchecking: the value goes; a second time there is nothing to delete.
    ASSERT_TRUE(registry.OpenKey(runKey, false));
    EXPECT_TRUE(registry.DeleteValue("Quorlane Calculator"));
    EXPECT_FALSE(registry.DeleteValue("Quorlane Calculator"));
}

TEST_F(Registry, MachineHiveWithoutRightsCannotBeOpenedForWriting)
{
    // Emulated so that it holds for root too: the hive's folder is a regular file.
    WriteBytes(MachineFolder(), "not a folder");
    TRegistry registry(KEY_READ | KEY_WRITE);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(registry.OpenKey(runKey, false));
    EXPECT_FALSE(registry.OpenKey(runKey, true));
    EXPECT_FALSE(registry.OpenKey("\\", false)); // even the root: writing is impossible
    EXPECT_FALSE(registry.HasCurrentKey());
    EXPECT_FALSE(registry.DeleteKey("\\Software"));
    EXPECT_EQ(ReadBytes(MachineFolder()), "not a folder");
    TRegistry reader(KEY_READ);
    reader.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(reader.OpenKey("\\", false)); // reading an empty hive is possible
    EXPECT_TRUE(reader.GetKeyNames().empty());
}

TEST_F(Registry, ReadOnlyHiveFolderOpensForReadingOnly)
{
    const testfiles::ScopedOrdinaryUser user({temp_.Path()});
    {
        TRegistry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(registry.OpenKey(runKey, true));
        registry.WriteString("Quorlane Calculator", "/usr/bin/quorcalc /tray");
    }
    const std::string before = ReadBytes(MachineFile());
    std::filesystem::permissions(MachineFolder(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    TRegistry registry(KEY_READ | KEY_WRITE);
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(registry.OpenKey(runKey, false));
    ASSERT_TRUE(registry.OpenKeyReadOnly(runKey));
    EXPECT_EQ(registry.ReadString("Quorlane Calculator"), "/usr/bin/quorcalc /tray");
    EXPECT_EQ(ReadBytes(MachineFile()), before);

    // A read-only file in a writable folder is not replaced either.
    std::filesystem::permissions(MachineFolder(), std::filesystem::perms::owner_all);
    std::filesystem::permissions(MachineFile(), std::filesystem::perms::owner_read);
    TRegistry again(KEY_READ | KEY_WRITE);
    again.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(again.OpenKey(runKey, false));
}

TEST_F(Registry, UnreadableHiveIsNeitherReadNorReplaced)
{
    const testfiles::ScopedOrdinaryUser user({temp_.Path()});
    {
        auto registry = OpenSettings();
        registry->WriteInteger("Color", 5);
    }
    std::filesystem::permissions(UserFile(), std::filesystem::perms::none);
    TRegistry registry(KEY_READ | KEY_WRITE);
    EXPECT_FALSE(registry.OpenKey(settingsKey, false));
    EXPECT_FALSE(registry.OpenKey(settingsKey, true)); // would lose what could not be read
    TRegistry reader(KEY_READ);
    EXPECT_FALSE(reader.OpenKey(settingsKey, false));
    std::filesystem::permissions(UserFile(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_TRUE(reader.OpenKey(settingsKey, false));
    EXPECT_EQ(reader.ReadInteger("Color"), 5);
}

TEST_F(Registry, HiveThatIsAFolderIsNeitherReadNorReplaced)
{
    std::filesystem::create_directories(UserFile() / "inside");
    TRegistry registry(KEY_READ | KEY_WRITE);
    EXPECT_FALSE(registry.OpenKey(settingsKey, true));
    TRegistry reader(KEY_READ);
    EXPECT_FALSE(reader.OpenKey(settingsKey, false));
    EXPECT_TRUE(std::filesystem::is_directory(UserFile() / "inside"));
}

// Write failures after the key was opened: the write raises and the file stays byte-identical.
TEST_F(Registry, FailedWritesRaiseAndLeaveTheFileAsItWas)
{
    {
        auto registry = OpenSettings();
        registry->WriteInteger("Color", 1);
        registry->WriteString("Path", "kept");
    }
    const std::string before = ReadBytes(UserFile());

    struct Case
    {
        const char* what;
        regfile::IoHooks hooks;
        int expectedError;
    };
    const Case cases[] = {
        {"disk full at once",
         {[](int, const void*, std::size_t) -> ssize_t {
              errno = ENOSPC;
              return -1;
          },
          {}},
         ENOSPC},
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
          {}},
         ENOSPC},
        {"sync fails",
         {{},
          [](int) {
              errno = EIO;
              return -1;
          }},
         EIO},
    };
    for (const Case& c : cases) {
        auto registry = OpenSettings(false);
        const regfile::ScopedIoHooks hooks(c.hooks);
        try {
            registry->WriteInteger("Color", 2);
            ADD_FAILURE() << c.what << ": no exception";
        } catch (const ERegistryException& e) {
            EXPECT_STREQ(e.what(), "Failed to set data for 'Color'") << c.what;
            EXPECT_EQ(e.Cause().value(), c.expectedError) << c.what;
        }
        EXPECT_THROW(registry->DeleteValue("Path"), ERegistryException) << c.what;
        EXPECT_THROW(registry->DeleteKey("\\Software\\Quorlane"), ERegistryException) << c.what;
        EXPECT_EQ(ReadBytes(UserFile()), before) << c.what;
        EXPECT_EQ(regtest::EntriesIn(UserFolder()), std::vector<std::string>{"user.reg"}) << c.what;
        EXPECT_EQ(registry->ReadInteger("Color"), 1) << c.what;
    }
    // After the failures the store works again.
    auto registry = OpenSettings(false);
    registry->WriteInteger("Color", 3);
    EXPECT_EQ(OpenSettings(false)->ReadInteger("Color"), 3);
}

TEST_F(Registry, HiveReplacedByAFolderAfterOpeningMakesWritesFail)
{
    auto registry = OpenSettings();
    registry->WriteInteger("Color", 1);
    std::filesystem::remove(UserFile());
    std::filesystem::create_directory(UserFile());
    EXPECT_EQ(RegistryError([&] { registry->WriteInteger("Color", 2); }), "Failed to set data for 'Color'");
    EXPECT_TRUE(std::filesystem::is_directory(UserFile()));
}

TEST_F(Registry, FailedKeyCreationIsReportedAsFalse)
{
    const regfile::ScopedIoHooks hooks({[](int, const void*, std::size_t) -> ssize_t {
                                            errno = ENOSPC;
                                            return -1;
                                        },
                                        {}});
    TRegistry registry;
    EXPECT_FALSE(registry.OpenKey(settingsKey, true));
    EXPECT_FALSE(registry.HasCurrentKey());
    EXPECT_FALSE(std::filesystem::exists(UserFile()));
}

TEST_F(Registry, WritesToAKeyDeletedMeanwhileFail)
{
    auto registry = OpenSettings();
    registry->WriteInteger("Color", 1);
    TRegistry other;
    ASSERT_TRUE(other.DeleteKey(settingsKey));
    EXPECT_EQ(RegistryError([&] { registry->WriteInteger("Color", 2); }), "Failed to set data for 'Color'");
    EXPECT_EQ(RegistryError([&] { (void)registry->ReadInteger("Color"); }), "Failed to get data for 'Color'");
    EXPECT_FALSE(other.KeyExists(settingsKey)); // not brought back
}

TEST_F(Registry, SeveralObjectsDoNotUndoEachOthersChanges)
{
    auto first = OpenSettings();
    auto second = OpenSettings();
    first->WriteInteger("Flat", 1);
    second->WriteInteger("Tape", 1);
    first->WriteInteger("Color", 2);
    EXPECT_EQ(second->ReadInteger("Color"), 2); // reads see the file as it is now
    auto third = OpenSettings();
    EXPECT_EQ(third->GetValueNames(), (std::vector<std::string>{"Color", "Flat", "Tape"}));
}

TEST_F(Registry, LazyWriteDefersValueChangesUntilTheKeyIsClosed)
{
    {
        auto registry = OpenSettings();
        registry->WriteInteger("Color", 1);
    }
    const std::string before = ReadBytes(UserFile());
    auto lazy = OpenSettings(false);
    lazy->SetLazyWrite(true);
    lazy->WriteInteger("Color", 2);
    lazy->WriteFloat("Left", 0.25);
    EXPECT_TRUE(lazy->DeleteValue("Color"));
    lazy->WriteInteger("Color", 3);
    EXPECT_EQ(ReadBytes(UserFile()), before); // nothing on disk yet
    EXPECT_EQ(lazy->ReadInteger("Color"), 3); // but this object sees its changes
    EXPECT_EQ(lazy->ReadFloat("Left"), 0.25);
    EXPECT_EQ(OpenSettings(false)->ReadInteger("Color"), 1);

    // Another object's change meanwhile survives the deferred write.
    OpenSettings(false)->WriteInteger("Tape", 1);
    lazy->CloseKey();
    auto check = OpenSettings(false);
    EXPECT_EQ(check->ReadInteger("Color"), 3);
    EXPECT_EQ(check->ReadFloat("Left"), 0.25);
    EXPECT_EQ(check->ReadInteger("Tape"), 1);

    // Opening another key and destruction write deferred changes too.
    {
        TRegistry registry;
        registry.SetLazyWrite(true);
        ASSERT_TRUE(registry.OpenKey(settingsKey, false));
        registry.WriteInteger("Flat", 1);
        ASSERT_TRUE(registry.OpenKey(productKey, false));
        EXPECT_EQ(OpenSettings(false)->ReadInteger("Flat"), 1);
        ASSERT_TRUE(registry.OpenKey(settingsKey, false));
        registry.WriteInteger("OnTop", 1);
    }
    EXPECT_EQ(OpenSettings(false)->ReadInteger("OnTop"), 1);
}

TEST_F(Registry, LazyWriteFailureRaisesAtCloseAndTheDestructorStaysQuiet)
{
    {
        auto registry = OpenSettings();
        registry->WriteInteger("Color", 1);
    }
    const std::string before = ReadBytes(UserFile());
    const regfile::IoHooks full{[](int, const void*, std::size_t) -> ssize_t {
                                    errno = ENOSPC;
                                    return -1;
                                },
                                {}};
    {
        auto lazy = OpenSettings(false);
        lazy->SetLazyWrite(true);
        lazy->WriteInteger("Flat", 1);
        lazy->WriteInteger("Color", 2);
        const regfile::ScopedIoHooks hooks(full);
        EXPECT_EQ(RegistryError([&] { lazy->CloseKey(); }), "Failed to set data for 'Flat'");
        EXPECT_FALSE(lazy->HasCurrentKey());
        EXPECT_NO_THROW(lazy->CloseKey()); // the changes were dropped, nothing is pending
    }
    {
        const regfile::ScopedIoHooks hooks(full);
        auto lazy = OpenSettings(false);
        lazy->SetLazyWrite(true);
        lazy->WriteInteger("Color", 9);
        EXPECT_NO_THROW(lazy.reset());
    }
    EXPECT_EQ(ReadBytes(UserFile()), before);
}

TEST_F(Registry, DamagedFileIsReadAsFarAsPossibleAndKeptBeforeTheNextWrite)
{
    using namespace std::string_literals;
    const std::string damaged = "Windows Registry Editor Version 5.00\n"
                                "\n"
                                "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                                "\"Flat\"=dword:00000001\n"
                                "\"Tape\"=dword:0000000\x01zz\n"
                                "\x00\xff\xfe garbage \x7f\n"
                                "\"Color\"=\"text where a number belongs\"\n"
                                "\"OnTop\"=dword:00000001\n"
                                "\"TrayIcon\"=dwo"s;
    WriteBytes(UserFile(), damaged);
    const std::string bytes = ReadBytes(UserFile());
    {
        auto registry = OpenSettings(false);
        EXPECT_TRUE(registry->ReadBool("Flat"));
        EXPECT_EQ(RegistryError([&] { (void)registry->ReadBool("Tape"); }), "Failed to get data for 'Tape'");
        EXPECT_EQ(RegistryError([&] { (void)registry->ReadInteger("Color"); }),
                  "Invalid data type for 'Color'");
        EXPECT_TRUE(registry->ReadBool("OnTop"));
        EXPECT_FALSE(registry->ValueExists("TrayIcon"));
        EXPECT_FALSE(std::filesystem::exists(UserFile().string() + ".bad")); // reading keeps nothing
        registry->WriteInteger("Color", 4);
    }
    EXPECT_EQ(ReadBytes(UserFile().string() + ".bad"), bytes);
    EXPECT_EQ(ReadBytes(UserFile()),
              std::string(HiveHeader) + "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                                        "\"Color\"=dword:00000004\n"
                                        "\"Flat\"=dword:00000001\n"
                                        "\"OnTop\"=dword:00000001\n");
    // The file is sound now: the next write keeps no copy.
    std::filesystem::remove(UserFile().string() + ".bad");
    OpenSettings(false)->WriteInteger("Color", 5);
    EXPECT_FALSE(std::filesystem::exists(UserFile().string() + ".bad"));
}

TEST_F(Registry, HugeFileIsNotReadAndIsKeptWhole)
{
    std::string huge = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n";
    while (huge.size() <= regfile::MaxHiveFileSize + 4096)
        huge += "\"Value" + std::to_string(huge.size()) + "\"=dword:00000001\n";
    WriteBytes(UserFile(), huge);
    TRegistry registry;
    EXPECT_FALSE(registry.KeyExists("\\Software"));
    ASSERT_TRUE(registry.OpenKey(settingsKey, true));
    registry.WriteInteger("Color", 1);
    EXPECT_EQ(ReadBytes(UserFile().string() + ".bad"), huge);
    EXPECT_LT(std::filesystem::file_size(UserFile()), 1024u);
    EXPECT_EQ(registry.ReadInteger("Color"), 1);
}

TEST_F(Registry, NewUserHiveIsPrivate)
{
    OpenSettings()->WriteInteger("Color", 1);
    EXPECT_EQ(regtest::ModeOf(UserFile()), 0600u);
    EXPECT_EQ(regtest::ModeOf(UserFolder()), 0700u);
}

// Locations: the folders come from the override, the environment, or the XDG defaults.
TEST(RegistryLocations, OverrideThenEnvironmentThenDefaults)
{
    using regtest::ScopedEnvironment;
    const ScopedHiveDirectories none({}, {});
    const ScopedEnvironment home("HOME", "/home/someone");
    struct Case
    {
        const char* what;
        const char* userVariable;
        const char* machineVariable;
        const char* xdg;
        const char* userFile;
        const char* machineFile;
    };
    const Case cases[] = {
        {"defaults", nullptr, nullptr, nullptr, "/home/someone/.config/quorlane/user.reg",
         "/etc/xdg/quorlane/machine.reg"},
        {"empty XDG", nullptr, nullptr, "", "/home/someone/.config/quorlane/user.reg",
         "/etc/xdg/quorlane/machine.reg"},
        {"relative XDG is ignored", nullptr, nullptr, "relative/config",
         "/home/someone/.config/quorlane/user.reg", "/etc/xdg/quorlane/machine.reg"},
        {"XDG", nullptr, nullptr, "/xdg/config", "/xdg/config/quorlane/user.reg",
         "/etc/xdg/quorlane/machine.reg"},
        {"variables", "/tmp/u", "/tmp/m", "/xdg/config", "/tmp/u/user.reg", "/tmp/m/machine.reg"},
        {"empty variables count as unset", "", "", nullptr, "/home/someone/.config/quorlane/user.reg",
         "/etc/xdg/quorlane/machine.reg"},
    };
    for (const Case& c : cases) {
        const ScopedEnvironment user("QUORLANE_USER_HIVE_DIR", c.userVariable);
        const ScopedEnvironment machine("QUORLANE_MACHINE_HIVE_DIR", c.machineVariable);
        const ScopedEnvironment xdg("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(TRegistry::HiveFile(HKEY_CURRENT_USER), c.userFile) << c.what;
        EXPECT_EQ(TRegistry::HiveFile(HKEY_LOCAL_MACHINE), c.machineFile) << c.what;
        EXPECT_EQ(TRegistry::DamagedHiveFile(HKEY_CURRENT_USER), std::string(c.userFile) + ".bad") << c.what;
    }
    const ScopedEnvironment user("QUORLANE_USER_HIVE_DIR", "/tmp/u");
    {
        const ScopedHiveDirectories overridden("/o/user", "/o/machine");
        EXPECT_EQ(TRegistry::HiveFile(HKEY_CURRENT_USER), "/o/user/user.reg");
        EXPECT_EQ(TRegistry::HiveFile(HKEY_LOCAL_MACHINE), "/o/machine/machine.reg");
        {
            const ScopedHiveDirectories inner("/p", {});
            EXPECT_EQ(TRegistry::HiveFile(HKEY_CURRENT_USER), "/p/user.reg");
            EXPECT_EQ(TRegistry::HiveFile(HKEY_LOCAL_MACHINE), "/etc/xdg/quorlane/machine.reg");
        }
        EXPECT_EQ(TRegistry::HiveFile(HKEY_CURRENT_USER), "/o/user/user.reg");
    }
    EXPECT_EQ(TRegistry::HiveFile(HKEY_CURRENT_USER), "/tmp/u/user.reg");
    EXPECT_EQ(TRegistry::RootKeyName(HKEY_CURRENT_USER), "HKEY_CURRENT_USER");
    EXPECT_EQ(TRegistry::RootKeyName(HKEY_LOCAL_MACHINE), "HKEY_LOCAL_MACHINE");
}

} // namespace
