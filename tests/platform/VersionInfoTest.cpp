#include "platform/VersionInfo.h"

#include "VersionInfoTestElf.h"
#include "platform/VersionInfoElf.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

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
    EXPECT_EQ(info.FileDescription(), "Calculator");
    EXPECT_EQ(info.ProductVersion(), "1.0");
    for (const std::string& empty :
         {info.Comments(), info.InternalName(), info.LegalTrademarks(), info.OriginalFilename()})
        EXPECT_EQ(empty, "");
    EXPECT_EQ(info.Language(), 0x0409);
    EXPECT_EQ(info.CodePage(), 1252);

    const auto fixed = info.FixedInfo();
    ASSERT_TRUE(fixed);
    const std::pair<std::uint32_t, std::uint32_t> fields[] = {
        {fixed->Signature, 0xFEEF04BD},
        {fixed->StrucVersion, 0x00010000},
        {fixed->FileVersionMS, 1u << 16},
        {fixed->FileVersionLS, 36}, // 1.0 . 0.36
        {fixed->ProductVersionMS, 1u << 16},
        {fixed->ProductVersionLS, 0},
        {fixed->FileOS, 0x00040004},
        {fixed->FileType, 1},
        {fixed->FileFlags, 0},
    };
    for (const auto& [field, expected] : fields)
        EXPECT_EQ(field, expected);

    // The section holds exactly what the builder makes of the program's values.
    const Bytes built = platform::BuildVersionBlock(platform::ProgramVersionResource());
    EXPECT_EQ(platform::GetFileVersionInfoSize(platform::RunningExecutablePath), built.size());
    Bytes data{9, 9, 9};
    ASSERT_TRUE(platform::GetFileVersionInfo(platform::RunningExecutablePath, data));
    EXPECT_EQ(data, built);
}

TEST(TStVersionInfo, FirstTranslationSelectsTheTable)
{
    const versiontest::TempDir dir;
    for (const bool is64 : {true, false}) {
        const std::string path = dir.Write(is64 ? "de64" : "de32", ElfWith(GermanResource(), is64));
        const TStVersionInfo info(path);
        EXPECT_EQ(info.FileName(), path);
        EXPECT_EQ(info.Language(), 0x0407);
        EXPECT_EQ(info.CodePage(), 1252);
        EXPECT_EQ(info.CompanyName(), "Quorlane GmbH");
        EXPECT_EQ(info.ProductName(), "Rechner f\xfcr B\xfcros ?"); // no euro sign in Latin-1
        EXPECT_EQ(info.FileVersion(), "2.5.1.900");
        EXPECT_EQ(info.LegalCopyright(), "\xa9 2026 Quorlane");
        EXPECT_EQ(info.Comments(), "");     // present but empty
        EXPECT_EQ(info.InternalName(), ""); // missing
        EXPECT_EQ(info.GetKeyValue("companyNAME"), "Quorlane GmbH");
        EXPECT_EQ(info.GetKeyValue(""), "");
        EXPECT_EQ(info.GetKeyValue("\\VarFileInfo"), "");
        ASSERT_TRUE(info.FixedInfo());
        EXPECT_EQ(info.FixedInfo()->FileVersionLS, (1u << 16) | 900u);
    }
}

TEST(TStVersionInfo, BlockWithoutTranslationHasNoStrings)
{
    VersionResource r = platform::ProgramVersionResource();
    r.Translations.clear();
    const versiontest::TempDir dir;
    const TStVersionInfo info(dir.Write("plain", ElfWith(r)));
    EXPECT_EQ(info.CompanyName(), "");
    EXPECT_EQ(info.Language(), 0);
    EXPECT_TRUE(info.FixedInfo()); // the block itself was read
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
        Bytes data{1};
        EXPECT_FALSE(platform::GetFileVersionInfo(path, data));
        EXPECT_TRUE(data.empty());
        EXPECT_EQ(platform::GetFileVersionInfoSize(path), 0u);
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
