#include "platform/VersionInfo.h"

#include "platform/VersionInfoElf.h"

#include <sys/stat.h>

#include <cerrno>

namespace platform {

VersionFileBlock ReadFileVersionBlock(const std::string& path)
{
    FileByteSource file;
    switch (file.Open(path)) {
    case FileByteSource::OpenResult::NotFound:
        return {VersionFileStatus::FileNotFound, {}};
    case FileByteSource::OpenResult::Unreadable:
        return {VersionFileStatus::FileUnreadable, {}};
    case FileByteSource::OpenResult::Ok:
        break;
    }
    std::optional<std::vector<std::uint8_t>> block = FindVersionBlock(file);
    if (!block)
        return {VersionFileStatus::NoVersionData, {}};
    return {VersionFileStatus::Ok, std::move(*block)};
}

} // namespace platform

namespace {

bool PathExists(const std::string& path)
{
    if (path.empty())
        return false;
    struct stat st
    {};
    if (::stat(path.c_str(), &st) == 0)
        return true;
    // Anything but "no such file" (a folder without search permission, say) leaves the file's
    // existence open; reading it then reports what is wrong.
    return errno != ENOENT && errno != ENOTDIR;
}

std::string FormatMessage(std::int32_t code, const std::string& fileName)
{
    std::string text = EStVersionInfoError::MessageFormat(code);
    if (const std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, fileName);
    return text;
}

} // namespace

EStVersionInfoError::EStVersionInfoError(std::int32_t code, const std::string& fileName)
    : EStException(code, FormatMessage(code, fileName)), FileName(fileName)
{}

std::string EStVersionInfoError::MessageFormat(std::int32_t code)
{
    if (code != NotFound && code != FileNotFound && code != FileUnreadable)
        return {};
    return StMessageText(code);
}

TStVersionInfo::TStVersionInfo() : fileName_(platform::RunningExecutablePath) {}

TStVersionInfo::TStVersionInfo(const std::string& fileName)
{
    SetFileName(fileName);
}

void TStVersionInfo::SetFileName(const std::string& fileName)
{
    if (!PathExists(fileName))
        throw EStVersionInfoError(EStVersionInfoError::FileNotFound, fileName);
    if (fileName != fileName_)
        loaded_.reset();
    fileName_ = fileName;
}

const TStVersionInfo::Loaded& TStVersionInfo::Load() const
{
    if (loaded_)
        return *loaded_;
    platform::VersionFileBlock read = platform::ReadFileVersionBlock(fileName_);
    switch (read.Status) {
    case platform::VersionFileStatus::Ok:
        break;
    case platform::VersionFileStatus::FileNotFound:
        throw EStVersionInfoError(EStVersionInfoError::FileNotFound, fileName_);
    case platform::VersionFileStatus::FileUnreadable:
        throw EStVersionInfoError(EStVersionInfoError::FileUnreadable, fileName_);
    case platform::VersionFileStatus::NoVersionData:
        throw EStVersionInfoError(EStVersionInfoError::NotFound, fileName_);
    }
    Loaded data;
    data.Block = std::move(read.Block);
    if (const auto pairs = platform::QueryTranslations(data.Block); !pairs.empty())
        data.Prefix = "StringFileInfo\\" + platform::StringTableKey(pairs.front()) + "\\";
    return loaded_.emplace(std::move(data));
}

std::string TStVersionInfo::GetKeyValue(const std::string& name) const
{
    const Loaded& data = Load();
    // Without a translation there is no table to look in. A name is one key: an empty one would find
    // the table itself, a backslash would reach into other nodes.
    if (!data.Prefix || name.empty() || name.find('\\') != std::string::npos)
        return {};
    const std::optional<std::u16string> text = platform::QueryString(data.Block, *data.Prefix + name);
    return text ? platform::Utf16ToLatin1(*text) : std::string();
}

namespace platform {

std::string ProgramVersionText(const std::string& program, const std::string& executable)
{
    const TStVersionInfo version(executable);
    return program + " (" + version.CompanyName() + " " + version.ProductName() + ") " +
           version.FileVersion() + "\n" + version.LegalCopyright() + "\n";
}

} // namespace platform
