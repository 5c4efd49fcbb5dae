#pragma once
// The program's version values: the one place they are written down. The build turns them into the
// version block that the executable carries (cmake/VersionResource.cmake), and the about window and
// `--version` read them back from the file at run time. The build reads FileVersion and ReleaseDate
// from this file for the package, the desktop metadata and the manual pages
// (cmake/ProgramVersion.cmake). Change a release's numbers here only.

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

namespace platform::programversion {

// VS_FIXEDFILEINFO's numeric versions: major, minor, release, build.
inline constexpr std::array<std::uint16_t, 4> FileVersion{1, 0, 0, 36};
inline constexpr std::array<std::uint16_t, 4> ProductVersion{1, 0, 0, 0};

// The day this version was released (ISO 8601): the package's changelog, AppStream release and
// manual pages carry it beside FileVersion.
inline constexpr std::string_view ReleaseDate = "2026-12-09";

// The string table's language and code page (US English, Windows-1252: key "040904e4").
inline constexpr std::uint16_t Language = 0x0409;
inline constexpr std::uint16_t CodePage = 1252;

// The string table, in the order it is written. Empty values are written as empty strings.
inline constexpr std::array<std::pair<std::u16string_view, std::u16string_view>, 10> Strings{{
    {u"Comments", u""},
    {u"CompanyName", u"Quorlane"},
    {u"FileDescription", u"Calculator"},
    {u"FileVersion", u"1.0.0.36"},
    {u"InternalName", u""},
    {u"LegalCopyright", u"Copyright (C) 2026 Quorlane"},
    {u"LegalTrademarks", u""},
    {u"OriginalFilename", u""},
    {u"ProductName", u"Calculator"},
    {u"ProductVersion", u"1.0"},
}};

} // namespace platform::programversion
