#include "platform/VersionInfo.h"

#include "VersionInfoTestElf.h"
#include "platform/VersionInfoBlock.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using versiontest::MakeElf;
using Bytes = std::vector<std::uint8_t>;

const std::string Section(platform::VersionSectionName);

// Bytes in a file the reader opens, as the program reads its executable: an in-memory file, so that
// the many damaged images below cost no disk writes.
class ImageFile
{
public:
    ImageFile() : fd_(::memfd_create("elf-image", MFD_CLOEXEC)), path_("/proc/self/fd/" + std::to_string(fd_))
    {
        EXPECT_GE(fd_, 0);
    }
    ~ImageFile() { ::close(fd_); }
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    ImageFile& Holding(std::span<const std::uint8_t> bytes)
    {
        EXPECT_EQ(::ftruncate(fd_, 0), 0);
        EXPECT_EQ(::pwrite(fd_, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
        return *this;
    }

    // The file cut to its first `n` bytes.
    ImageFile& CutTo(std::uint64_t n)
    {
        EXPECT_EQ(::ftruncate(fd_, static_cast<off_t>(n)), 0);
        return *this;
    }

    // The version block the reader finds in the file; nullopt when it finds none.
    std::optional<Bytes> Block() const
    {
        try {
            return platform::ReadFileVersionBlock(path_);
        } catch (const EStVersionInfoError& e) {
            EXPECT_EQ(e.ErrorId, stcodes::VersionInfoNotFound) << e.what();
            return std::nullopt;
        }
    }

private:
    int fd_;
    std::string path_;
};

std::optional<Bytes> FindVersionBlock(std::span<const std::uint8_t> bytes)
{
    static ImageFile image;
    const std::optional<Bytes> block = image.Holding(bytes).Block();
    if (block) {
        EXPECT_TRUE(platform::VersionBlockLength(*block));
    }
    return block;
}

Bytes ProgramBlock()
{
    return platform::BuildVersionBlock(platform::ProgramVersionTree());
}

std::vector<versiontest::ElfSection> TypicalSections()
{
    return {{".text", Bytes(100, 0x90)},
            {".data", Bytes(12, 7)},
            {Section, ProgramBlock()},
            {".bss", Bytes(64), 8}};
}

std::uint64_t Get(const Bytes& b, std::size_t offset, std::size_t width)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < width; ++i)
        v |= std::uint64_t{b[offset + i]} << (8 * i);
    return v;
}

TEST(ElfSection, FoundInA64BitFileOnly)
{
    EXPECT_EQ(FindVersionBlock(MakeElf(TypicalSections())), ProgramBlock());
    // The program is never built as these: they carry no block for the reader.
    EXPECT_FALSE(FindVersionBlock(MakeElf(TypicalSections(), {.Is64 = false})));
    EXPECT_FALSE(FindVersionBlock(MakeElf(TypicalSections(), {.ExtendedNumbering = true})));
}

TEST(ElfSection, NamesMatchExactlyAndSectionsWithoutContentsAreSkipped)
{
    const Bytes file = MakeElf({
        {Section + "2", Bytes(4, 1)},
        {Section.substr(0, Section.size() - 1), Bytes(4, 2)},
        {Section, Bytes(16), 8}, // SHT_NOBITS: nothing in the file
        {Section, ProgramBlock()},
    });
    EXPECT_EQ(FindVersionBlock(file), ProgramBlock());
}

TEST(ElfSection, VersionBlockIsCutToItsRootOrRefused)
{
    Bytes padded = ProgramBlock();
    padded.resize(padded.size() + 13, 0);
    EXPECT_EQ(FindVersionBlock(MakeElf({{Section, padded}})), ProgramBlock());

    Bytes wrongRoot = ProgramBlock();
    wrongRoot[6] = 'X'; // the root key is no longer VS_VERSION_INFO
    const std::string text = "#!/bin/sh\necho not an executable image\n";
    const Bytes files[] = {
        MakeElf({{Section, Bytes{}}}),
        MakeElf({{Section, Bytes(3)}}),
        MakeElf({{Section, Bytes(200, 0xEE)}}),
        MakeElf({{Section, wrongRoot}}),
        MakeElf({{".text", Bytes(8)}}),
        Bytes(text.begin(), text.end()),
        Bytes{},
    };
    for (const Bytes& file : files)
        EXPECT_FALSE(FindVersionBlock(file));
}

TEST(ElfSection, HostileOrUnsupportedHeadersGiveNothing)
{
    const Bytes good = MakeElf({{Section, ProgramBlock()}});
    ASSERT_EQ(FindVersionBlock(good), ProgramBlock());
    // ELF header fields: e_shoff, e_shentsize, e_shnum, e_shstrndx; section headers 1 (the version
    // section) and 2 (the name table), with sh_type at +4, sh_offset at +8+2w and sh_size at +8+3w.
    const std::size_t w = 8, off = 40, ent = 58, num = ent + 2, str = ent + 4, sec = Get(good, off, w) + 64,
                      names = sec + 64;
    const std::uint64_t size = good.size(), top = ~std::uint64_t{0};
    const std::uint64_t small = 63; // one below a section header's size
    const struct
    {
        std::size_t offset, width;
        std::uint64_t value;
    } cases[] = {
        {0, 1, 0x7E},
        {1, 1, 'e'},
        {4, 1, 0},
        {4, 1, 1 /* 32-bit */},
        {4, 1, 3},
        {5, 1, 2 /* big-endian */},
        {off, w, 0},
        {off, w, size},
        {off, w, size - 1},
        {off, w, top},
        {off, w, top - 63},
        {ent, 2, 0},
        {ent, 2, small},
        {ent, 2, 0xFFFF},
        {num, 2, 0},
        {num, 2, 0xFFFF},
        {str, 2, 3},
        {str, 2, 0xFFFE},
        {str, 2, 0xFFFF},
        {str, 2, 1 /* the version section */},
        {sec + 8 + 2 * w, w, top - 8},   // section data past the end
        {sec + 8 + 3 * w, w, size},      // section data running over the end
        {sec, 4, 0xFFFFFFF0},            // sh_name past the name table
        {names + 8 + 2 * w, w, top - 8}, // name table outside the file
        {names + 8 + 3 * w, w, 3},       // name table too short for the name
        {names + 4, 4, 8},               // name table as SHT_NOBITS
    };
    for (const auto& c : cases) {
        Bytes b = good;
        versiontest::PutLittleEndian(b, c.offset, c.value, c.width);
        EXPECT_FALSE(FindVersionBlock(b)) << "at " << c.offset << " = " << c.value;
    }
}

TEST(ElfSection, TruncatedDamagedAndRandomSmallFiles)
{
    std::mt19937 rng(9);
    Bytes elf = MakeElf(TypicalSections());
    // The section header table comes last: a cut file has none to trust.
    for (std::size_t n = 0; n < elf.size(); ++n)
        EXPECT_FALSE(FindVersionBlock(std::span(elf).first(n))) << n;
    for (std::size_t i = 0; i < elf.size(); ++i) {
        for (const unsigned mask : {0xFFu, 0x80u, 0x01u, static_cast<unsigned>(rng() & 0xFF)}) {
            elf[i] ^= static_cast<std::uint8_t>(mask);
            (void)FindVersionBlock(elf);
            elf[i] ^= static_cast<std::uint8_t>(mask);
        }
    }
    for (int round = 0; round < 20000; ++round) {
        Bytes b(16 + rng() % 400);
        for (auto& byte : b)
            byte = static_cast<std::uint8_t>(rng());
        const std::uint8_t ident[] = {0x7F, 'E', 'L', 'F', 2, 1};
        std::copy(std::begin(ident), std::end(ident), b.begin());
        (void)FindVersionBlock(b);
    }
}

TEST(ElfSection, TruncatedCopiesOfThisTestProgram)
{
    const Bytes self = versiontest::ReadWholeFile(platform::RunningExecutablePath);
    const auto whole = FindVersionBlock(self);
    ASSERT_TRUE(whole) << "this test program is built with its version block";

    std::mt19937_64 rng(77);
    std::vector<std::size_t> cuts;
    for (int i = 0; i < 800; ++i)
        cuts.push_back(i < 500 ? static_cast<std::size_t>(i) : rng() % self.size());
    std::sort(cuts.rbegin(), cuts.rend()); // one copy, cut shorter and shorter
    ImageFile image;
    image.Holding(self);
    for (const std::size_t n : cuts) {
        if (const auto found = image.CutTo(n).Block()) {
            EXPECT_EQ(*found, *whole) << "cut at " << n;
        }
    }
}

TEST(ElfSection, FilesThatAreNotRegularAreUnreadableWithoutBlocking)
{
    const versiontest::TempDir dir;
    const std::string fifo = (dir.Path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, dir.Path().string(), std::string("/dev/null")}) {
        try {
            (void)platform::ReadFileVersionBlock(path);
            ADD_FAILURE() << path << ": read";
        } catch (const EStVersionInfoError& e) {
            EXPECT_EQ(e.ErrorId, stcodes::VersionFileUnreadable) << path;
        }
    }
}

} // namespace
