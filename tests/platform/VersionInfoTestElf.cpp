#include "VersionInfoTestElf.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace versiontest {

void PutLittleEndian(std::vector<std::uint8_t>& out, std::size_t offset, std::uint64_t value,
                     std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        out.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> MakeElf(const std::vector<ElfSection>& sections, ElfOptions options)
{
    const bool is64 = options.Is64;
    const std::size_t w = is64 ? 8 : 4; // address width
    const auto align8 = [](std::vector<std::uint8_t>& v) { v.resize((v.size() + 7) & ~std::size_t{7}, 0); };
    std::vector<std::uint8_t> out(is64 ? 64 : 52, 0);

    // Section contents, then the name table as the last section.
    struct Placed
    {
        std::size_t name, offset, size;
        std::uint32_t type;
    };
    std::vector<Placed> placed;
    std::string names(1, '\0');
    const auto place = [&](const std::string& name, const std::vector<std::uint8_t>& data,
                           std::uint32_t type) {
        align8(out);
        placed.push_back({names.size(), out.size(), data.size(), type});
        names += name + '\0';
        if (type != 8) // SHT_NOBITS
            out.insert(out.end(), data.begin(), data.end());
    };
    for (const ElfSection& s : sections)
        place(s.Name, s.Data, s.Type);
    const std::string tableName = ".shstrtab";
    place(tableName, std::vector<std::uint8_t>(names.size() + tableName.size() + 1), 3);
    std::copy(names.begin(), names.end(), out.end() - static_cast<std::ptrdiff_t>(names.size()));

    // The section header table: the null section (holding the real counts under extended
    // numbering), then one entry per placed section: sh_name, sh_type, sh_flags, sh_addr, sh_offset,
    // sh_size, sh_link.
    const std::size_t count = placed.size() + 1, entry = is64 ? 64 : 40;
    align8(out);
    const std::size_t table = out.size();
    out.resize(table + count * entry, 0);
    if (options.ExtendedNumbering) {
        PutLittleEndian(out, table + 8 + 3 * w, count, w);
        PutLittleEndian(out, table + 8 + 4 * w, count - 1, 4);
    }
    for (std::size_t i = 1; i < count; ++i) {
        const Placed& p = placed[i - 1];
        const std::size_t at = table + i * entry;
        PutLittleEndian(out, at, p.name, 4);
        PutLittleEndian(out, at + 4, p.type, 4);
        PutLittleEndian(out, at + 8, 2, w); // SHF_ALLOC
        PutLittleEndian(out, at + 8 + 2 * w, p.offset, w);
        PutLittleEndian(out, at + 8 + 3 * w, p.size, w);
    }

    // The ELF header: ident (class, little-endian, version), ET_EXEC, machine, version, e_shoff, then
    // e_ehsize, e_shentsize, e_shnum and e_shstrndx.
    const std::uint8_t ident[] = {0x7F, 'E', 'L', 'F', static_cast<std::uint8_t>(is64 ? 2 : 1), 1, 1};
    std::copy(std::begin(ident), std::end(ident), out.begin());
    PutLittleEndian(out, 16, 2, 2);
    PutLittleEndian(out, 18, is64 ? 62 : 3, 2);
    PutLittleEndian(out, 20, 1, 4);
    PutLittleEndian(out, is64 ? 40 : 32, table, w);
    const std::size_t sizes = is64 ? 52 : 40;
    PutLittleEndian(out, sizes, is64 ? 64 : 52, 2);
    PutLittleEndian(out, sizes + 6, entry, 2);
    PutLittleEndian(out, sizes + 8, options.ExtendedNumbering ? 0 : count, 2);
    PutLittleEndian(out, sizes + 10, options.ExtendedNumbering ? 0xFFFF : count - 1, 2);
    return out;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quorlane-version-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
{
    const std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    return file.string();
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace versiontest
