#pragma once
// Test helpers for the version reader: minimal ELF files written from scratch, and temporary files.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace versiontest {

struct ElfSection
{
    std::string Name;
    std::vector<std::uint8_t> Data;
    std::uint32_t Type = 1; // SHT_PROGBITS; SHT_NOBITS (8) takes no room in the file
};

struct ElfOptions
{
    bool Is64 = true;
    bool ExtendedNumbering = false; // e_shnum 0 and e_shstrndx SHN_XINDEX, real values in section 0
};

// A little-endian ELF executable image: header, the sections' data (each 8-aligned), the section-name
// string table, then the section header table. Sections are [0] null, `sections`..., ".shstrtab".
std::vector<std::uint8_t> MakeElf(const std::vector<ElfSection>& sections, ElfOptions options = {});

// Writes `value` as `width` little-endian bytes at `offset`.
void PutLittleEndian(std::vector<std::uint8_t>& out, std::size_t offset, std::uint64_t value,
                     std::size_t width);

// A folder of its own under the system's temporary folder, removed with its contents at destruction.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Writes `bytes` to the file `name` in the folder (replacing it) and returns its path.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

} // namespace versiontest
