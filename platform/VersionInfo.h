#pragma once
// Reading the version information that an executable file carries, and TStVersionInfo, the
// component the about window and `--version` read the company, product, version and copyright
// texts from.
//
// The block is the Windows VS_VERSIONINFO layout (VersionInfoBlock.h); the build stores it in the ELF
// section VersionSectionName of the executable (cmake/VersionResource.cmake). The reader takes the one
// kind of file the program is built as, a 64-bit little-endian ELF file with fewer than 65280
// sections: any other (32-bit, big-endian, extended section numbering) has no version block for it.
// Every offset and size taken from the file is checked against the file's size before it is used: a
// truncated or hostile file gives "no version data", never a crash or a read outside the file.
//
// TStVersionInfo reads the block once, when it is made; its strings are those of the table the first
// language/code-page pair of "\VarFileInfo\Translation" selects (VersionInfoBlock.h), as the program's
// 8-bit text (ISO 8859-1; other characters become '?'). A missing or empty string, and every string of
// a block without a translation pair, is an empty text.

#include "base/StException.h"

#include <cstdint>
#include <string>
#include <vector>

// The version reader's error: one of the stcodes::Version… codes, its text with the file name in
// place of %s.
class EStVersionInfoError : public EStException
{
public:
    EStVersionInfoError(std::int32_t code, const std::string& fileName);
};

namespace platform {

// The running program's own executable, as the default file name.
inline constexpr const char* RunningExecutablePath = "/proc/self/exe";

// The version block of the executable file at `path`. Raises EStVersionInfoError: VersionFileNotFound
// when the file does not exist, VersionFileUnreadable when it cannot be read as a file (a folder, a
// named pipe, no permission), VersionInfoNotFound when it carries no well-formed block.
std::vector<std::uint8_t> ReadFileVersionBlock(const std::string& path);

// The `--version` text of a program: "PROGRAM (COMPANY PRODUCT) FILEVERSION" and the copyright line,
// from the version block of the file at `executable` (the running program's own by default).
// Raises EStVersionInfoError when the file has none.
std::string ProgramVersionText(const std::string& program,
                               const std::string& executable = RunningExecutablePath);

} // namespace platform

class TStVersionInfo
{
public:
    // Reads the block of `fileName`; raises as ReadFileVersionBlock does.
    explicit TStVersionInfo(const std::string& fileName = platform::RunningExecutablePath);

    // The strings of the first translation's StringTable the program shows.
    std::string CompanyName() const { return GetKeyValue("CompanyName"); }
    std::string FileVersion() const { return GetKeyValue("FileVersion"); }
    std::string LegalCopyright() const { return GetKeyValue("LegalCopyright"); }
    std::string ProductName() const { return GetKeyValue("ProductName"); }

    // Any string of that table by its exact name; empty when missing.
    std::string GetKeyValue(const std::string& name) const;

private:
    std::vector<std::uint8_t> block_;
};
