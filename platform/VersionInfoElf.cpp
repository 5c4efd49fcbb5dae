#include "platform/VersionInfoElf.h"

#include "platform/VersionInfoBlock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace platform {
namespace {

// True when [offset, offset + length) lies within a source of `size` bytes (no overflow).
bool RangeInside(std::uint64_t offset, std::uint64_t length, std::uint64_t size)
{
    return offset <= size && length <= size - offset;
}

std::uint64_t LittleEndian(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width)
{
    std::uint64_t v = 0;
    for (std::size_t i = width; i-- > 0;)
        v = (v << 8) | bytes[offset + i];
    return v;
}

// The offsets of the ELF64 fields the section search needs: the file header (e_shoff, e_shentsize,
// e_shnum, e_shstrndx) and a section header (sh_name, sh_type, sh_offset, sh_size).
constexpr std::size_t HeaderSize = 64, ShOff = 40, ShEntSize = 58, ShNum = 60, ShStrNdx = 62;
constexpr std::size_t SectionHeaderSize = 64, SecName = 0, SecType = 4, SecOffset = 24, SecSize = 32;

constexpr std::uint8_t ElfClass64 = 2;
constexpr std::uint8_t ElfDataLittle = 1;
constexpr std::uint32_t ShtNobits = 8;

struct SectionHeader
{
    std::uint32_t Name = 0;
    std::uint32_t Type = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
};

class ElfReader
{
public:
    explicit ElfReader(const FileByteSource& source) : source_(source) {}

    std::optional<ElfSectionRange> Find(std::string_view name)
    {
        if (!ReadHeader())
            return std::nullopt;
        const std::optional<SectionHeader> strings = Section(strNdx_);
        if (!strings || !HasFileContents(*strings))
            return std::nullopt;
        for (std::uint64_t i = 0; i < count_; ++i) {
            const std::optional<SectionHeader> s = Section(i);
            if (!s)
                return std::nullopt;
            if (HasFileContents(*s) && NameIs(*strings, s->Name, name))
                return ElfSectionRange{s->Offset, s->Size};
        }
        return std::nullopt;
    }

private:
    bool ReadHeader()
    {
        std::array<std::uint8_t, HeaderSize> h{};
        if (!source_.ReadAt(0, h))
            return false;
        if (h[0] != 0x7F || h[1] != 'E' || h[2] != 'L' || h[3] != 'F' || h[4] != ElfClass64 ||
            h[5] != ElfDataLittle)
            return false;
        tableOffset_ = LittleEndian(h, ShOff, 8);
        entrySize_ = LittleEndian(h, ShEntSize, 2);
        count_ = LittleEndian(h, ShNum, 2);
        strNdx_ = LittleEndian(h, ShStrNdx, 2);
        if (tableOffset_ == 0 || entrySize_ < SectionHeaderSize)
            return false;
        const std::uint64_t size = source_.Size();
        if (count_ == 0 || tableOffset_ > size || count_ > (size - tableOffset_) / entrySize_)
            return false;
        return strNdx_ < count_;
    }

    std::optional<SectionHeader> Section(std::uint64_t index) const
    {
        if (index >= count_)
            return std::nullopt;
        std::array<std::uint8_t, SectionHeaderSize> e{};
        // index < count_ <= 65535: no overflow here.
        if (!source_.ReadAt(tableOffset_ + index * entrySize_, e))
            return std::nullopt;
        SectionHeader s;
        s.Name = static_cast<std::uint32_t>(LittleEndian(e, SecName, 4));
        s.Type = static_cast<std::uint32_t>(LittleEndian(e, SecType, 4));
        s.Offset = LittleEndian(e, SecOffset, 8);
        s.Size = LittleEndian(e, SecSize, 8);
        return s;
    }

    bool HasFileContents(const SectionHeader& s) const
    {
        return s.Type != ShtNobits && RangeInside(s.Offset, s.Size, source_.Size());
    }

    // Whether the string at `nameOffset` of the string table is `name` (terminated by its zero).
    bool NameIs(const SectionHeader& strings, std::uint32_t nameOffset, std::string_view name) const
    {
        const std::uint64_t length = name.size() + 1;
        if (!RangeInside(nameOffset, length, strings.Size))
            return false;
        std::vector<std::uint8_t> text(length);
        if (!source_.ReadAt(strings.Offset + nameOffset, text))
            return false;
        return text.back() == 0 &&
               std::equal(name.begin(), name.end(), text.begin(),
                          [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
    }

    const FileByteSource& source_;
    std::uint64_t tableOffset_ = 0;
    std::uint64_t entrySize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t strNdx_ = 0;
};

} // namespace

FileByteSource::~FileByteSource()
{
    if (fd_ >= 0)
        ::close(fd_);
}

FileByteSource::OpenResult FileByteSource::Open(const std::string& path)
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        size_ = 0;
    }
    if (path.empty() || path.find('\0') != std::string::npos)
        return OpenResult::NotFound;
    // O_NONBLOCK so that a FIFO given as the file name cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? OpenResult::NotFound : OpenResult::Unreadable;
    struct stat st
    {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return OpenResult::Unreadable;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return OpenResult::Ok;
}

bool FileByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (fd_ < 0 || !RangeInside(offset, out.size(), size_))
        return false;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n =
            ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) // an error, or the file shrank since it was opened
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<ElfSectionRange> FindElfSection(const FileByteSource& file, std::string_view name)
{
    return ElfReader(file).Find(name);
}

std::optional<std::vector<std::uint8_t>> FindVersionBlock(const FileByteSource& file)
{
    const std::optional<ElfSectionRange> section = FindElfSection(file, VersionSectionName);
    if (!section)
        return std::nullopt;
    // A block never exceeds 65535 bytes (its root's wLength is a WORD); the section may be padded.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(section->Size, 0xFFFF)));
    if (!file.ReadAt(section->Offset, bytes))
        return std::nullopt;
    const std::optional<std::size_t> length = VersionBlockLength(bytes);
    if (!length)
        return std::nullopt;
    bytes.resize(*length);
    return bytes;
}

} // namespace platform
