#pragma once
// The version block in the Windows VS_VERSIONINFO binary layout: building one, and looking values up
// in one. Independent of the file format that carries the block (see VersionInfoElf.h for ELF).
//
// Layout (all numbers little-endian). Every node is
//     WORD wLength       bytes of the node including its children, without trailing padding
//     WORD wValueLength  size of the value: in WORDs for text (String nodes, counting the
//                        terminating zero), in bytes for binary values
//     WORD wType         1 text, 0 binary
//     WCHAR szKey[]      UTF-16LE, zero-terminated
//     padding to a 32-bit boundary, the value, padding to a 32-bit boundary, the children
// with every child starting on a 32-bit boundary (offsets count from the start of the block). The tree
// is:
//     "VS_VERSION_INFO"  value VS_FIXEDFILEINFO (52 bytes)
//         "StringFileInfo"
//             "040904e4"       one StringTable per language/code page: 8 lower-case hex digits
//                 "CompanyName" = "Quorlane" ...   String nodes
//         "VarFileInfo"
//             "Translation"    binary: WORD language, WORD code page, repeated
//
// Lookups never read outside the block given: a malformed or truncated block gives "not found" for
// the parts that cannot be trusted, never a crash.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// VS_FIXEDFILEINFO, the root node's value.
struct FixedFileInfo
{
    static constexpr std::uint32_t SignatureValue = 0xFEEF04BD;
    static constexpr std::uint32_t StrucVersionValue = 0x00010000;
    static constexpr std::uint32_t OsNtWindows32 = 0x00040004; // VOS_NT_WINDOWS32
    static constexpr std::uint32_t TypeApp = 1;                // VFT_APP
    static constexpr std::uint32_t FlagsMask = 0x3F;           // VS_FFI_FILEFLAGSMASK
    static constexpr std::size_t Size = 13 * 4;

    std::uint32_t Signature = SignatureValue;
    std::uint32_t StrucVersion = StrucVersionValue;
    std::uint32_t FileVersionMS = 0;
    std::uint32_t FileVersionLS = 0;
    std::uint32_t ProductVersionMS = 0;
    std::uint32_t ProductVersionLS = 0;
    std::uint32_t FileFlagsMask = FlagsMask;
    std::uint32_t FileFlags = 0;
    std::uint32_t FileOS = OsNtWindows32;
    std::uint32_t FileType = TypeApp;
    std::uint32_t FileSubtype = 0;
    std::uint32_t FileDateMS = 0;
    std::uint32_t FileDateLS = 0;

    // An application's fixed info with the two versions given as major, minor, release, build.
    static FixedFileInfo ForApplication(const std::array<std::uint16_t, 4>& fileVersion,
                                        const std::array<std::uint16_t, 4>& productVersion);

    bool operator==(const FixedFileInfo&) const = default;
};

// One language/code-page pair of "\VarFileInfo\Translation".
struct VersionTranslation
{
    std::uint16_t Language = 0;
    std::uint16_t CodePage = 0;

    bool operator==(const VersionTranslation&) const = default;
};

// A StringTable: its key is made from the language and code page.
struct VersionStringTable
{
    VersionTranslation Translation;
    std::vector<std::pair<std::u16string, std::u16string>> Strings; // name, value; in this order
};

// Everything a version block holds. An empty `Tables` leaves out StringFileInfo, an empty
// `Translations` leaves out VarFileInfo.
struct VersionResource
{
    FixedFileInfo Fixed;
    std::vector<VersionStringTable> Tables;
    std::vector<VersionTranslation> Translations;
};

// The program's own version values (platform/version/ProgramVersion.h) as a resource.
VersionResource ProgramVersionResource();

// The block for `resource`. Throws std::length_error when a node would exceed 65535 bytes.
std::vector<std::uint8_t> BuildVersionBlock(const VersionResource& resource);

// The StringTable key of a translation: "%.4x%.4x", language then code page ("040904e4").
std::string StringTableKey(VersionTranslation translation);

// A value found by VerQueryValue: its bytes inside the block, and whether the node says it is text.
// For text, `Bytes` holds the UTF-16LE code units as stored (normally with the terminating zero).
struct VersionValue
{
    std::span<const std::uint8_t> Bytes;
    bool IsText = false;
};

// Looks up a sub-block, as the Windows function of this name: "\" is the root (its value is the
// VS_FIXEDFILEINFO), "\VarFileInfo\Translation", "\StringFileInfo\040904e4\CompanyName". Keys compare
// case-insensitively; the leading backslash may be left out and repeated backslashes count as one.
// nullopt when the path does not lead to a node of a well-formed part of the block.
std::optional<VersionValue> VerQueryValue(std::span<const std::uint8_t> block, std::string_view subBlock);

// The pairs of "\VarFileInfo\Translation" in order (empty when there is none; a trailing odd WORD is
// ignored).
std::vector<VersionTranslation> QueryTranslations(std::span<const std::uint8_t> block);

// A text value up to its first zero code unit; nullopt when the path finds no node. A binary node's
// bytes are read as UTF-16LE too, as the Windows function hands them out alike.
std::optional<std::u16string> QueryString(std::span<const std::uint8_t> block, std::string_view subBlock);

// The root node's wLength when `data` starts with a plausible version block (key "VS_VERSION_INFO" in
// any case, wLength within `data`), else nullopt. A file reader checks this before it calls a section
// or resource a version block; the block is then the first wLength bytes.
std::optional<std::size_t> VersionBlockLength(std::span<const std::uint8_t> data);

// UTF-16 to the program's 8-bit text (ISO 8859-1, as the window layer shows it): U+0000-U+00FF
// unchanged, every other character (a surrogate pair counts as one) becomes '?'.
std::string Utf16ToLatin1(std::u16string_view text);

} // namespace platform
