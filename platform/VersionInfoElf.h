#pragma once
// Finding the version block in an executable file: the ELF section that carries the block on Linux.
//
// The build puts the block into the section named by VersionSectionName (cmake/VersionResource.cmake);
// on Windows it would be the ordinary version resource. The program is built as a 64-bit
// little-endian ELF file with fewer than 65280 sections, and that is the one kind of file the reader
// takes: any other (32-bit, big-endian, extended section numbering) has no version block for it.
// Every offset and size taken from the file is checked against the file's size before it is used: a
// truncated or hostile file gives "not found", never a crash or a read outside the file.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The section that carries the program's version block.
inline constexpr std::string_view VersionSectionName = ".quorlane_version";

// An open regular file, read with positioned reads; the size is taken once, when it is opened.
class FileByteSource
{
public:
    enum class OpenResult
    {
        Ok,
        NotFound,   // no such file (or a folder on its path is missing)
        Unreadable, // exists but is not a regular file, or cannot be opened
    };

    FileByteSource() = default;
    ~FileByteSource();
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    OpenResult Open(const std::string& path);
    std::uint64_t Size() const { return size_; }
    // Fills `out` from `offset`; false when the range is not wholly inside the file or reading fails.
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Where a section's bytes lie in the file.
struct ElfSectionRange
{
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
};

// The file range of the first section named `name` that has contents in the file (not SHT_NOBITS);
// nullopt for anything that is not a well-formed 64-bit little-endian ELF file with such a section.
std::optional<ElfSectionRange> FindElfSection(const FileByteSource& file, std::string_view name);

// The version block of an executable image: the bytes of the version section, cut to the root node's
// length; nullopt when there is none or it does not start with a plausible VS_VERSIONINFO root.
std::optional<std::vector<std::uint8_t>> FindVersionBlock(const FileByteSource& file);

} // namespace platform
