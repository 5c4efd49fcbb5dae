#pragma once
// The version block in the Windows VS_VERSIONINFO binary layout: building the program's own, and
// finding a string of its first translation in one. Independent of the file that carries the block
// (VersionInfo.h reads it from the executable).
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
// Lookups compare keys exactly and never read outside the block given: a malformed or truncated block
// gives "not found" for the parts that cannot be trusted, never a crash.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The ELF section of the executable that carries its block (cmake/VersionResource.cmake).
inline constexpr std::string_view VersionSectionName = ".quorlane_version";

// One node of a block to be built.
struct VersionNode
{
    std::u16string Key;
    bool IsText = true;
    std::vector<std::uint8_t> Value; // a text as its UTF-16LE units with the terminating zero
    std::vector<VersionNode> Children;
};

// A String node holding `value`.
VersionNode VersionString(std::u16string_view key, std::u16string_view value);

// The program's own block (platform/version/ProgramVersion.h): its fixed information, one string
// table and its translation.
VersionNode ProgramVersionTree();

// The block of the tree under `root`. Throws std::length_error when a node would exceed 65535 bytes.
std::vector<std::uint8_t> BuildVersionBlock(const VersionNode& root);

// The root node's wLength when `data` starts with a plausible version block (key "VS_VERSION_INFO",
// wLength within `data`), else nullopt. The block is then the first wLength bytes.
std::optional<std::size_t> VersionBlockLength(std::span<const std::uint8_t> data);

// The string `name` of the table that the first pair of "\VarFileInfo\Translation" selects:
// "\StringFileInfo\<language><code page>\<name>", four lower-case hex digits each ("040904e4"), up to
// its first zero. nullopt without a translation, or when the table or the string is missing.
std::optional<std::u16string> FindVersionString(std::span<const std::uint8_t> block,
                                                std::u16string_view name);

// UTF-16 to the program's 8-bit text (ISO 8859-1, as the window layer shows it): U+0000-U+00FF
// unchanged, every other character (a surrogate pair counts as one) becomes '?'.
std::string Utf16ToLatin1(std::u16string_view text);

} // namespace platform
