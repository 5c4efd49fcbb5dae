#pragma once
// Reading the version information that an executable file carries, and TStVersionInfo, the
// component the about window reads its company, product, version and copyright texts from.
//
// The block is the Windows VS_VERSIONINFO layout (VersionInfoBlock.h); on Linux the build stores it
// in an ELF section of the executable (VersionInfoElf.h).
//
// TStVersionInfo reads a file's block once per file name, on the first property read:
//   1. read the block whole (its size and bytes in one pass over the file),
//   2. take the first language/code-page pair of "\VarFileInfo\Translation",
//   3. build the prefix "StringFileInfo\%.4x%.4x\" from it (lower-case hex, language first),
//   4. look each string up as prefix + name: a missing or empty entry is an empty text.
// Strings come back as the program's 8-bit text (ISO 8859-1; other characters become '?'). A block
// without a translation pair has no strings to offer: every string property is then empty.
//
// Errors raise EStVersionInfoError: setting a file name that does not exist (code FileNotFound);
// reading a property of a file that cannot be read (FileUnreadable) or carries no version block
// (NotFound). A failed read is not remembered: the next property read tries the file again.

#include "base/StException.h"
#include "platform/VersionInfoBlock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The outcome of reading a file's version block.
enum class VersionFileStatus
{
    Ok,
    FileNotFound,   // the file does not exist
    FileUnreadable, // it exists but cannot be read as a file (a folder, no permission, an I/O error)
    NoVersionData,  // it was read but carries no well-formed version block
};

struct VersionFileBlock
{
    VersionFileStatus Status = VersionFileStatus::NoVersionData;
    std::vector<std::uint8_t> Block; // the whole block when Status is Ok
};

// Reads the version block of the executable file at `path`.
VersionFileBlock ReadFileVersionBlock(const std::string& path);

// The running program's own executable, as the default file name.
inline constexpr const char* RunningExecutablePath = "/proc/self/exe";

// The `--version` text of a program: "PROGRAM (COMPANY PRODUCT) FILEVERSION" and the copyright line,
// from the version block of the file at `executable` (the running program's own by default).
// Raises EStVersionInfoError when the file has none.
std::string ProgramVersionText(const std::string& program,
                               const std::string& executable = RunningExecutablePath);

} // namespace platform

// The version reader's error.
class EStVersionInfoError : public EStException
{
public:
    // Codes for the program's message table; each text has one %s, the file name.
    static constexpr std::int32_t NotFound =
        stcodes::VersionInfoNotFound; // "File version information not found: %s"
    static constexpr std::int32_t FileNotFound = stcodes::VersionFileNotFound;     // "File not found: %s"
    static constexpr std::int32_t FileUnreadable = stcodes::VersionFileUnreadable; // "Cannot read file: %s"

    // The message is the code's text with the file name in place of %s.
    EStVersionInfoError(std::int32_t code, const std::string& fileName);

    // The text of one of the codes above, with its %s (empty for any other code).
    static std::string MessageFormat(std::int32_t code);

    std::string FileName;
};

class TStVersionInfo
{
public:
    // Reads the running program's executable.
    TStVersionInfo();
    // Reads `fileName`; raises EStVersionInfoError (FileNotFound) if it does not exist.
    explicit TStVersionInfo(const std::string& fileName);

    const std::string& FileName() const { return fileName_; }
    // Raises EStVersionInfoError (FileNotFound) if `fileName` does not exist, keeping the previous
    // name. A different name drops the data read so far; the next property read loads it anew.
    void SetFileName(const std::string& fileName);

    // The strings of the first translation's StringTable the program shows.
    std::string CompanyName() const { return GetKeyValue("CompanyName"); }
    std::string FileVersion() const { return GetKeyValue("FileVersion"); }
    std::string LegalCopyright() const { return GetKeyValue("LegalCopyright"); }
    std::string ProductName() const { return GetKeyValue("ProductName"); }

    // Any string of that table by name (case-insensitive); empty when missing.
    std::string GetKeyValue(const std::string& name) const;

private:
    struct Loaded
    {
        std::vector<std::uint8_t> Block;
        std::optional<std::string> Prefix; // "StringFileInfo\llllcccc\"; none without a translation
    };

    const Loaded& Load() const;

    std::string fileName_;
    mutable std::optional<Loaded> loaded_;
};
