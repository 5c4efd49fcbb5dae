#include "platform/VersionInfo.h"

#include "platform/AtomicFile.h"
#include "platform/VersionInfoBlock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>
#include <span>

namespace platform {
namespace {

// An open regular file of a known size, read with positioned reads.
struct ImageFile
{
    int fd;
    std::uint64_t size;

    // Fills `out` from `offset`; false when the range is not wholly inside the file or reading fails.
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const
    {
        if (offset > size || out.size() > size - offset)
            return false;
        for (std::size_t done = 0; done < out.size();) {
            const ssize_t n =
                ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) // an error, or the file shrank since it was opened
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
};

std::uint64_t LittleEndian(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width)
{
    std::uint64_t v = 0;
    for (std::size_t i = width; i-- > 0;)
        v = (v << 8) | bytes[offset + i];
    return v;
}

// Where a section's bytes lie in the file, when they lie in it (not SHT_NOBITS, not past its end).
struct Section
{
    std::uint32_t Name = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
};

// The contents of the first section named VersionSectionName, at most 65535 bytes (a block's root
// length is a WORD; the section may be padded).
std::optional<std::vector<std::uint8_t>> ReadVersionSection(const ImageFile& file)
{
    // The ELF64 header: identification, then e_shoff at 40, e_shentsize, e_shnum, e_shstrndx at 58.
    std::array<std::uint8_t, 64> h{};
    if (!file.ReadAt(0, h) || h[0] != 0x7F || h[1] != 'E' || h[2] != 'L' || h[3] != 'F' ||
        h[4] != 2 /* 64-bit */ || h[5] != 1 /* little-endian */)
        return std::nullopt;
    const std::uint64_t table = LittleEndian(h, 40, 8), entrySize = LittleEndian(h, 58, 2),
                        count = LittleEndian(h, 60, 2), namesIndex = LittleEndian(h, 62, 2);
    if (table == 0 || entrySize < 64 || count == 0 || table > file.size ||
        count > (file.size - table) / entrySize || namesIndex >= count)
        return std::nullopt;
    // A section header: sh_name at 0, sh_type at 4, sh_offset at 24, sh_size at 32.
    const auto section = [&](std::uint64_t index) -> std::optional<Section> {
        std::array<std::uint8_t, 64> e{};
        if (!file.ReadAt(table + index * entrySize, e)) // index < count <= 65535: no overflow
            return std::nullopt;
        const Section s{static_cast<std::uint32_t>(LittleEndian(e, 0, 4)), LittleEndian(e, 24, 8),
                        LittleEndian(e, 32, 8)};
        if (LittleEndian(e, 4, 4) == 8 /* SHT_NOBITS */ || s.Offset > file.size ||
            s.Size > file.size - s.Offset)
            return std::nullopt;
        return s;
    };
    const std::optional<Section> names = section(namesIndex);
    if (!names)
        return std::nullopt;
    std::vector<std::uint8_t> name(VersionSectionName.size() + 1);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::optional<Section> s = section(i);
        if (!s || s->Name > names->Size || name.size() > names->Size - s->Name ||
            !file.ReadAt(names->Offset + s->Name, name) || name.back() != 0 ||
            !std::equal(VersionSectionName.begin(), VersionSectionName.end(), name.begin()))
            continue;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(s->Size, 0xFFFF)));
        if (!file.ReadAt(s->Offset, bytes))
            return std::nullopt;
        return bytes;
    }
    return std::nullopt;
}

} // namespace

std::vector<std::uint8_t> ReadFileVersionBlock(const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        throw EStVersionInfoError(stcodes::VersionFileNotFound, path);
    // O_NONBLOCK so that a FIFO given as the file name cannot hang the open.
    const files::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0)
        throw EStVersionInfoError(errno == ENOENT || errno == ENOTDIR ? stcodes::VersionFileNotFound
                                                                      : stcodes::VersionFileUnreadable,
                                  path);
    struct stat st
    {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0)
        throw EStVersionInfoError(stcodes::VersionFileUnreadable, path);
    std::optional<std::vector<std::uint8_t>> block =
        ReadVersionSection({fd.Get(), static_cast<std::uint64_t>(st.st_size)});
    const std::optional<std::size_t> length = block ? VersionBlockLength(*block) : std::nullopt;
    if (!length)
        throw EStVersionInfoError(stcodes::VersionInfoNotFound, path);
    block->resize(*length);
    return std::move(*block);
}

std::string ProgramVersionText(const std::string& program, const std::string& executable)
{
    const TStVersionInfo version(executable);
    return program + " (" + version.CompanyName() + " " + version.ProductName() + ") " +
           version.FileVersion() + "\n" + version.LegalCopyright() + "\n";
}

} // namespace platform

namespace {

std::string FormatMessage(std::int32_t code, const std::string& fileName)
{
    std::string text = StMessageText(code);
    if (const std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, fileName);
    return text;
}

} // namespace

EStVersionInfoError::EStVersionInfoError(std::int32_t code, const std::string& fileName)
    : EStException(code, FormatMessage(code, fileName))
{}

TStVersionInfo::TStVersionInfo(const std::string& fileName) : block_(platform::ReadFileVersionBlock(fileName))
{}

std::string TStVersionInfo::GetKeyValue(const std::string& name) const
{
    std::u16string key; // the name's Latin-1 characters are their own UTF-16 units
    for (const unsigned char c : name)
        key.push_back(c);
    const std::optional<std::u16string> text = platform::FindVersionString(block_, key);
    return text ? platform::Utf16ToLatin1(*text) : std::string();
}
