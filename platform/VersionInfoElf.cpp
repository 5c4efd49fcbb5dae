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

// The fields of the two ELF classes that the section search needs, with their offsets.
struct ElfLayout
{
    std::size_t HeaderSize;
    std::size_t AddressWidth; // 4 or 8: e_shoff, sh_offset, sh_size
    std::size_t ShOff, ShEntSize, ShNum, ShStrNdx;
    std::size_t SectionHeaderSize;
    std::size_t SecName, SecType, SecOffset, SecSize, SecLink;
};

constexpr ElfLayout Elf32{52, 4, 32, 46, 48, 50, 40, 0, 4, 16, 20, 24};
constexpr ElfLayout Elf64{64, 8, 40, 58, 60, 62, 64, 0, 4, 24, 32, 40};

constexpr std::uint8_t ElfClass32 = 1;
constexpr std::uint8_t ElfClass64 = 2;
constexpr std::uint8_t ElfDataLittle = 1;
constexpr std::uint32_t ShtNobits = 8;
constexpr std::uint64_t ShnXindex = 0xFFFF;

struct SectionHeader
{
    std::uint32_t Name = 0;
    std::uint32_t Type = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
    std::uint32_t Link = 0;
};

class ElfReader
{
public:
    explicit ElfReader(const ByteSource& source) : source_(source) {}

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
        std::array<std::uint8_t, 64> h{};
        if (!source_.ReadAt(0, std::span(h).first(16)))
            return false;
        if (h[0] != 0x7F || h[1] != 'E' || h[2] != 'L' || h[3] != 'F' || h[5] != ElfDataLittle)
            return false;
        if (h[4] == ElfClass32)
            layout_ = &Elf32;
        else if (h[4] == ElfClass64)
            layout_ = &Elf64;
        else
            return false;
        const ElfLayout& l = *layout_;
        if (!source_.ReadAt(0, std::span(h).first(l.HeaderSize)))
            return false;
        tableOffset_ = LittleEndian(h, l.ShOff, l.AddressWidth);
        entrySize_ = LittleEndian(h, l.ShEntSize, 2);
        count_ = LittleEndian(h, l.ShNum, 2);
        strNdx_ = LittleEndian(h, l.ShStrNdx, 2);
        if (tableOffset_ == 0 || entrySize_ < l.SectionHeaderSize)
            return false;
        // Extended numbering: the real count and string-table index live in section 0.
        if (count_ == 0 || strNdx_ == ShnXindex) {
            count_ = std::max<std::uint64_t>(count_, 1); // section 0 itself, so that it can be read
            const std::optional<SectionHeader> zero = Section(0);
            if (!zero)
                return false;
            if (LittleEndian(h, l.ShNum, 2) == 0)
                count_ = zero->Size;
            if (strNdx_ == ShnXindex)
                strNdx_ = zero->Link;
        }
        const std::uint64_t size = source_.Size();
        if (count_ == 0 || tableOffset_ > size || count_ > (size - tableOffset_) / entrySize_)
            return false;
        return strNdx_ < count_;
    }

    std::optional<SectionHeader> Section(std::uint64_t index) const
    {
        const ElfLayout& l = *layout_;
        if (index >= count_)
            return std::nullopt;
        std::array<std::uint8_t, 64> e{};
        const std::span entry = std::span(e).first(l.SectionHeaderSize);
        // index < count_ <= 65535 or bounded by the file size / entrySize_: no overflow here.
        if (!source_.ReadAt(tableOffset_ + index * entrySize_, entry))
            return std::nullopt;
        SectionHeader s;
        s.Name = static_cast<std::uint32_t>(LittleEndian(e, l.SecName, 4));
        s.Type = static_cast<std::uint32_t>(LittleEndian(e, l.SecType, 4));
        s.Offset = LittleEndian(e, l.SecOffset, l.AddressWidth);
        s.Size = LittleEndian(e, l.SecSize, l.AddressWidth);
        s.Link = static_cast<std::uint32_t>(LittleEndian(e, l.SecLink, 4));
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

    const ByteSource& source_;
    const ElfLayout* layout_ = nullptr;
    std::uint64_t tableOffset_ = 0;
    std::uint64_t entrySize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t strNdx_ = 0;
};

} // namespace

bool MemoryByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const
{
    if (!RangeInside(offset, out.size(), bytes_.size()))
        return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
}

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

std::optional<ElfSectionRange> FindElfSection(const ByteSource& source, std::string_view name)
{
    return ElfReader(source).Find(name);
}

std::optional<std::vector<std::uint8_t>> FindVersionBlock(const ByteSource& source)
{
    // Further image formats (a PE file's RT_VERSION resource) would be tried here in turn.
    const std::optional<ElfSectionRange> section = FindElfSection(source, VersionSectionName);
    if (!section)
        return std::nullopt;
    // A block never exceeds 65535 bytes (its root's wLength is a WORD); the section may be padded.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(section->Size, 0xFFFF)));
    if (!source.ReadAt(section->Offset, bytes))
        return std::nullopt;
    const std::optional<std::size_t> length = VersionBlockLength(bytes);
    if (!length)
        return std::nullopt;
    bytes.resize(*length);
    return bytes;
}

} // namespace platform
