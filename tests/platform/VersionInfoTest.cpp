#include "platform/VersionInfo.h"

#include "VersionInfoTestElf.h"
#include "platform/VersionInfoBlock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

namespace {

using platform::VersionNode;
using Bytes = std::vector<std::uint8_t>;

// An executable image carrying `block`, and one without any.
Bytes ElfWith(const Bytes& block, bool is64 = true)
{
    return versiontest::MakeElf(
        {{".text", Bytes(32, 0xC3)}, {std::string(platform::VersionSectionName), block}}, {is64, false});
}

Bytes ElfWithout()
{
    return versiontest::MakeElf({{".text", Bytes(16, 0x90)}});
}

// The translation names 0x0407/1252 first; a US table beside the German one holds other texts, so a
// lookup under the wrong prefix shows.
Bytes GermanBlock(std::u16string_view company = u"Quorlane GmbH")
{
    using platform::VersionString;
    VersionNode root{u"VS_VERSION_INFO", false, Bytes(52), {}};
    root.Children.push_back(
        {u"StringFileInfo",
         true,
         {},
         {{u"040904e4",
           true,
           {},
           {VersionString(u"CompanyName", u"US company"), VersionString(u"ProductName", u"US product")}},
          {u"040704e4",
           true,
           {},
           {VersionString(u"CompanyName", company),
            VersionString(u"ProductName", u"Rechner f\u00fcr B\u00fcros \u20ac"),
            VersionString(u"FileVersion", u"2.5.1.900"),
            VersionString(u"LegalCopyright", u"\u00a9 2026 Quorlane"), VersionString(u"Comments", u"")}}}});
    root.Children.push_back(
        {u"VarFileInfo", true, {}, {{u"Translation", false, {7, 4, 0xe4, 4, 9, 4, 0xe4, 4}, {}}}});
    return platform::BuildVersionBlock(root);
}

// The EStVersionInfoError that `read` raises (the test fails if it raises none).
template<class F>
EStVersionInfoError ErrorOf(F read)
{
    try {
        read();
    } catch (const EStVersionInfoError& e) {
        return e;
    }
    ADD_FAILURE() << "no EStVersionInfoError raised";
    return EStVersionInfoError(0, "");
}

TEST(TStVersionInfo, RunningProgramCarriesTheProgramVersion)
{
    // This test program is built with quorlane_embed_version_info, as the calculator is.
    const TStVersionInfo info;
    EXPECT_EQ(info.CompanyName(), "Quorlane");
    EXPECT_EQ(info.ProductName(), "Calculator");
    EXPECT_EQ(info.FileVersion(), "1.0.0.36");
    EXPECT_EQ(info.LegalCopyright(), "Copyright (C) 2026 Quorlane");
    EXPECT_EQ(info.GetKeyValue("FileDescription"), "Calculator");
    EXPECT_EQ(info.GetKeyValue("ProductVersion"), "1.0");
    EXPECT_EQ(info.GetKeyValue("Comments"), "");
    EXPECT_EQ(platform::ProgramVersionText("quorcalc"),
              "quorcalc (Quorlane Calculator) 1.0.0.36\nCopyright (C) 2026 Quorlane\n");

    // The section holds exactly what the builder makes of the program's values.
    const Bytes block = platform::ReadFileVersionBlock(platform::RunningExecutablePath);
    EXPECT_EQ(block, platform::BuildVersionBlock(platform::ProgramVersionTree()));
    // Its VS_FIXEDFILEINFO (the root's value at 40): signature, structure version, file version
    // 1.0 . 0.36, product version 1.0 . 0.0, flags mask, flags, operating system, type.
    const std::uint32_t expected[] = {0xFEEF04BD, 0x00010000, 1u << 16, 36,         1u << 16,
                                      0,          0x3F,       0,        0x00040004, 1};
    ASSERT_GE(block.size(), 40 + 4 * std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const std::uint8_t* b = block.data() + 40 + 4 * i;
        EXPECT_EQ(b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t{b[3]} << 24, expected[i]) << "DWORD " << i;
    }
}

TEST(TStVersionInfo, FirstTranslationSelectsTheTable)
{
    const versiontest::TempDir dir;
    const std::string path = dir.Write("de", ElfWith(GermanBlock()));
    const TStVersionInfo info(path);
    EXPECT_EQ(info.CompanyName(), "Quorlane GmbH");
    EXPECT_EQ(info.ProductName(), "Rechner f\xfcr B\xfcros ?"); // no euro sign in Latin-1
    EXPECT_EQ(info.FileVersion(), "2.5.1.900");
    EXPECT_EQ(info.LegalCopyright(), "\xa9 2026 Quorlane");
    EXPECT_EQ(info.GetKeyValue("Comments"), "");     // present but empty
    EXPECT_EQ(info.GetKeyValue("InternalName"), ""); // missing
    EXPECT_EQ(info.GetKeyValue(""), "");
    EXPECT_EQ(info.GetKeyValue("\\VarFileInfo"), "");
    // A file changed later is not read again by this reader.
    dir.Write("de", ElfWith(GermanBlock(u"Second company")));
    EXPECT_EQ(info.CompanyName(), "Quorlane GmbH");
    EXPECT_EQ(TStVersionInfo(path).CompanyName(), "Second company");
}

TEST(TStVersionInfo, BlockWithoutTranslationHasNoStrings)
{
    VersionNode tree = platform::ProgramVersionTree();
    tree.Children.pop_back(); // VarFileInfo
    const versiontest::TempDir dir;
    const TStVersionInfo info(dir.Write("plain", ElfWith(platform::BuildVersionBlock(tree))));
    EXPECT_EQ(info.CompanyName(), ""); // the block itself is read: no error
    EXPECT_EQ(info.FileVersion(), "");
}

TEST(TStVersionInfo, FilesWithoutVersionDataOrMissingRaise)
{
    const versiontest::TempDir dir;
    const std::string locked = dir.Write("locked", ElfWith(GermanBlock()));
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    const std::string good = dir.Write("good", ElfWith(GermanBlock()));
    std::vector<std::pair<std::string, std::int32_t>> cases{
        {dir.Write("nosection", ElfWithout()), stcodes::VersionInfoNotFound},
        {dir.Write("text", Bytes{'h', 'i', '\n'}), stcodes::VersionInfoNotFound},
        {dir.Write("empty", Bytes{}), stcodes::VersionInfoNotFound},
        {dir.Write("elf32", ElfWith(GermanBlock(), false)), stcodes::VersionInfoNotFound},
        {dir.Path().string(), stcodes::VersionFileUnreadable},
        {(dir.Path() / "missing").string(), stcodes::VersionFileNotFound},
        {good + "/below", stcodes::VersionFileNotFound},
        {"", stcodes::VersionFileNotFound},
    };
    if (std::filesystem::exists("/bin/true"))
        cases.emplace_back("/bin/true", stcodes::VersionInfoNotFound);
    if (::geteuid() != 0) // root reads any file
        cases.emplace_back(locked, stcodes::VersionFileUnreadable);
    for (const auto& [path, code] : cases) {
        const EStVersionInfoError e = ErrorOf([&] { TStVersionInfo{path}; });
        EXPECT_EQ(e.ErrorId, code) << path;
        const char* text = code == stcodes::VersionInfoNotFound   ? "File version information not found: "
                           : code == stcodes::VersionFileNotFound ? "File not found: "
                                                                  : "Cannot read file: ";
        EXPECT_EQ(e.what(), text + path);
        EXPECT_THROW((void)platform::ProgramVersionText("quorcalc", path), EStException) << path;
    }
}

TEST(EStVersionInfoError, FileNameIsPutInAsItIs)
{
    const EStVersionInfoError e(stcodes::VersionFileNotFound, "/tmp/%s.exe"); // not expanded again
    EXPECT_STREQ(e.what(), "File not found: /tmp/%s.exe");
}

} // namespace
