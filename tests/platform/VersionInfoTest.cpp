#include "platform/VersionInfo.h"

#include "VersionInfoTestElf.h"
#include "platform/VersionInfoElf.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <span>

namespace {

using platform::VersionResource;
using Bytes = std::vector<std::uint8_t>;

// An executable image carrying `resource`'s block, and one without any.
Bytes ElfWith(const VersionResource& resource, bool is64 = true)
{
    return versiontest::MakeElf(
        {{".text", Bytes(32, 0xC3)},
         {std::string(platform::VersionSectionName), platform::BuildVersionBlock(resource)}},
        {is64, false});
}

Bytes ElfWithout()
{
    return versiontest::MakeElf({{".text", Bytes(16, 0x90)}});
}

// The translation names 0x0407/1252 first; a US table beside the German one holds other texts, so a
// lookup under the wrong prefix shows.
VersionResource GermanResource()
{
    VersionResource r;
    r.Fixed = platform::FixedFileInfo::ForApplication({2, 5, 1, 900}, {2, 5, 0, 0});
    r.Tables.push_back({{0x0409, 1252}, {{u"CompanyName", u"US company"}, {u"ProductName", u"US product"}}});
    r.Tables.push_back({{0x0407, 1252},
                        {{u"CompanyName", u"Quorlane GmbH"},
                         {u"ProductName", u"Rechner f\u00fcr B\u00fcros \u20ac"},
                         {u"FileVersion", u"2.5.1.900"},
                         {u"LegalCopyright", u"\u00a9 2026 Quorlane"},
                         {u"Comments", u""}}});
    r.Translations = {{0x0407, 1252}, {0x0409, 1252}};
    return r;
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
    EXPECT_EQ(info.FileName(), "/proc/self/exe");
    EXPECT_EQ(info.CompanyName(), "Quorlane");
    EXPECT_EQ(info.ProductName(), "Calculator");
    EXPECT_EQ(info.FileVersion(), "1.0.0.36");
    EXPECT_EQ(info.LegalCopyright(), "Copyright (C) 2026 Quorlane");
    EXPECT_EQ(info.GetKeyValue("FileDescription"), "Calculator");
    EXPECT_EQ(info.GetKeyValue("ProductVersion"), "1.0");
    EXPECT_EQ(info.GetKeyValue("Comments"), "");

    // The section holds exactly what the builder makes of the program's values.
    const platform::VersionFileBlock read = platform::ReadFileVersionBlock(platform::RunningExecutablePath);
    ASSERT_EQ(read.Status, platform::VersionFileStatus::Ok);
    EXPECT_EQ(read.Block, platform::BuildVersionBlock(platform::ProgramVersionResource()));
    // Its VS_FIXEDFILEINFO: signature, structure version, file version 1.0 . 0.36, product version
    // 1.0 . 0.0, flags mask, flags, operating system, type.
    const auto fixed = platform::VerQueryValue(read.Block, "\\");
    ASSERT_TRUE(fixed && fixed->Bytes.size() == platform::FixedFileInfo::Size);
    const std::uint32_t expected[] = {0xFEEF04BD, 0x00010000, 1u << 16, 36,         1u << 16,
                                      0,          0x3F,       0,        0x00040004, 1};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const std::span<const std::uint8_t> b = fixed->Bytes.subspan(4 * i, 4);
        EXPECT_EQ(b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t{b[3]} << 24, expected[i]) << "DWORD " << i;
    }
}

TEST(TStVersionInfo, FirstTranslationSelectsTheTable)
{
    const versiontest::TempDir dir;
    const std::string path = dir.Write("de", ElfWith(GermanResource()));
    const TStVersionInfo info(path);
    EXPECT_EQ(info.FileName(), path);
    EXPECT_EQ(info.CompanyName(), "Quorlane GmbH");
    EXPECT_EQ(info.ProductName(), "Rechner f\xfcr B\xfcros ?"); // no euro sign in Latin-1
    EXPECT_EQ(info.FileVersion(), "2.5.1.900");
    EXPECT_EQ(info.LegalCopyright(), "\xa9 2026 Quorlane");
    EXPECT_EQ(info.GetKeyValue("Comments"), "");     // present but empty
    EXPECT_EQ(info.GetKeyValue("InternalName"), ""); // missing
    EXPECT_EQ(info.GetKeyValue("companyNAME"), "Quorlane GmbH");
    EXPECT_EQ(info.GetKeyValue(""), "");
    EXPECT_EQ(info.GetKeyValue("\\VarFileInfo"), "");
}

TEST(TStVersionInfo, BlockWithoutTranslationHasNoStrings)
{
    VersionResource r = platform::ProgramVersionResource();
    r.Translations.clear();
    const versiontest::TempDir dir;
    const TStVersionInfo info(dir.Write("plain", ElfWith(r)));
    EXPECT_EQ(info.CompanyName(), ""); // the block itself is read: no error
    EXPECT_EQ(info.FileVersion(), "");
}

TEST(TStVersionInfo, FilesWithoutVersionDataRaiseOnRead)
{
    const versiontest::TempDir dir;
    const std::string locked = dir.Write("locked", ElfWith(GermanResource()));
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    std::vector<std::pair<std::string, std::int32_t>> cases{
        {dir.Write("nosection", ElfWithout()), EStVersionInfoError::NotFound},
        {dir.Write("text", Bytes{'h', 'i', '\n'}), EStVersionInfoError::NotFound},
        {dir.Write("empty", Bytes{}), EStVersionInfoError::NotFound},
        {dir.Write("elf32", ElfWith(GermanResource(), false)), EStVersionInfoError::NotFound},
        {dir.Path().string(), EStVersionInfoError::FileUnreadable},
    };
    if (std::filesystem::exists("/bin/true"))
        cases.emplace_back("/bin/true", EStVersionInfoError::NotFound);
    if (::geteuid() != 0) // root reads any file
        cases.emplace_back(locked, EStVersionInfoError::FileUnreadable);
    for (const auto& [path, code] : cases) {
        TStVersionInfo info(path); // the file exists: setting the name succeeds
        const EStVersionInfoError e = ErrorOf([&] { (void)info.CompanyName(); });
        EXPECT_EQ(e.ErrorId, code) << path;
        const char* text = code == EStVersionInfoError::NotFound ? "File version information not found: "
                                                                 : "Cannot read file: ";
        EXPECT_EQ(e.what(), text + path);
        EXPECT_EQ(e.FileName, path);
        EXPECT_TRUE(platform::ReadFileVersionBlock(path).Block.empty());
    }
}

TEST(TStVersionInfo, MissingFileNamesAreRefused)
{
    const versiontest::TempDir dir;
    const std::string good = dir.Write("good", ElfWith(GermanResource()));
    const std::string missing = (dir.Path() / "missing").string();
    for (const std::string& name : {missing, good + "/below", std::string()}) {
        const EStVersionInfoError e = ErrorOf([&] { TStVersionInfo{name}; });
        EXPECT_EQ(e.ErrorId, EStVersionInfoError::FileNotFound);
        EXPECT_EQ(e.what(), "File not found: " + name);
    }
    TStVersionInfo info(good);
    EXPECT_THROW(info.SetFileName(missing), EStVersionInfoError);
    EXPECT_EQ(info.FileName(), good); // the previous name stays
    EXPECT_EQ(info.CompanyName(), "Quorlane GmbH");
    // A file removed after its name was set is reported when it is read, as an EStException.
    info.SetFileName(dir.Write("gone", ElfWith(GermanResource())));
    std::filesystem::remove(info.FileName());
    EXPECT_EQ(ErrorOf([&] { (void)info.ProductName(); }).ErrorId, EStVersionInfoError::FileNotFound);
    EXPECT_THROW((void)info.ProductName(), EStException);
}

TEST(TStVersionInfo, LoadsOncePerFileNameAndRetriesAfterAFailure)
{
    const versiontest::TempDir dir;
    VersionResource second = GermanResource();
    second.Tables[1].Strings[0].second = u"Second company";
    const std::string a = dir.Write("a", ElfWith(GermanResource()));
    const std::string b = dir.Write("b", ElfWith(GermanResource()));

    TStVersionInfo info(a);
    EXPECT_EQ(info.CompanyName(), "Quorlane GmbH");
    dir.Write("a", ElfWith(second));
    EXPECT_EQ(info.CompanyName(), "Quorlane GmbH") << "read once for this name";
    info.SetFileName(a);
    EXPECT_EQ(info.CompanyName(), "Quorlane GmbH") << "the same name keeps what was read";
    info.SetFileName(b);
    info.SetFileName(a);
    EXPECT_EQ(info.CompanyName(), "Second company") << "a new name reads anew";

    // A failure is not remembered: once the file has a block, it is read.
    info.SetFileName(dir.Write("later", ElfWithout()));
    EXPECT_THROW((void)info.FileVersion(), EStVersionInfoError);
    dir.Write("later", ElfWith(GermanResource()));
    EXPECT_EQ(info.FileVersion(), "2.5.1.900");
}

TEST(EStVersionInfoError, FileNameIsPutInAsItIs)
{
    const EStVersionInfoError e(EStVersionInfoError::FileNotFound, "/tmp/%s.exe"); // not expanded again
    EXPECT_STREQ(e.what(), "File not found: /tmp/%s.exe");
    EXPECT_EQ(EStVersionInfoError::MessageFormat(12345), "");
}

} // namespace
