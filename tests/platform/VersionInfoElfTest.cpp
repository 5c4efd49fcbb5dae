#include "platform/VersionInfoElf.h"

#include "VersionInfoTestElf.h"
#include "platform/VersionInfo.h"
#include "platform/VersionInfoBlock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>

namespace {

using platform::FindElfSection;
using platform::FindVersionBlock;
using platform::MemoryByteSource;
using versiontest::MakeElf;
using Bytes = std::vector<std::uint8_t>;

const std::string Section(platform::VersionSectionName);

Bytes ProgramBlock()
{
    return platform::BuildVersionBlock(platform::ProgramVersionResource());
}

std::vector<versiontest::ElfSection> TypicalSections()
{
    return {{".text", Bytes(100, 0x90)},
            {".data", Bytes(12, 7)},
            {Section, ProgramBlock()},
            {".bss", Bytes(64), 8}};
}

Bytes SectionBytes(const Bytes& file, platform::ElfSectionRange r)
{
    const auto begin = file.begin() + static_cast<std::ptrdiff_t>(r.Offset);
    return {begin, begin + static_cast<std::ptrdiff_t>(r.Size)};
}

std::uint64_t Get(const Bytes& b, std::size_t offset, std::size_t width)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < width; ++i)
        v |= std::uint64_t{b[offset + i]} << (8 * i);
    return v;
}

TEST(ElfSection, FoundInEveryClassAndNumbering)
{
    for (const bool is64 : {true, false}) {
        for (const bool extended : {false, true}) {
            const Bytes file = MakeElf(TypicalSections(), {is64, extended});
            const auto range = FindElfSection(MemoryByteSource(file), Section);
            ASSERT_TRUE(range) << is64 << extended;
            EXPECT_EQ(SectionBytes(file, *range), ProgramBlock());
            const auto text = FindElfSection(MemoryByteSource(file), ".text");
            ASSERT_TRUE(text);
            EXPECT_EQ(SectionBytes(file, *text), Bytes(100, 0x90));
            EXPECT_EQ(FindVersionBlock(MemoryByteSource(file)), ProgramBlock());
        }
    }
}

TEST(ElfSection, NamesMatchExactlyAndSectionsWithoutContentsAreSkipped)
{
    const Bytes file = MakeElf({
        {Section + "2", Bytes(4, 1)},
        {Section.substr(0, Section.size() - 1), Bytes(4, 2)},
        {Section, Bytes(16), 8}, // SHT_NOBITS: nothing in the file
        {Section, ProgramBlock()},
    });
    const auto range = FindElfSection(MemoryByteSource(file), Section);
    ASSERT_TRUE(range);
    EXPECT_EQ(SectionBytes(file, *range), ProgramBlock());
    EXPECT_FALSE(FindElfSection(MemoryByteSource(file), ".missing"));
}

TEST(ElfSection, VersionBlockIsCutToItsRootOrRefused)
{
    Bytes padded = ProgramBlock();
    padded.resize(padded.size() + 13, 0);
    EXPECT_EQ(FindVersionBlock(MemoryByteSource(MakeElf({{Section, padded}}))), ProgramBlock());

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
        EXPECT_FALSE(FindVersionBlock(MemoryByteSource(file)));
}

TEST(ElfSection, HostileOrUnsupportedHeadersGiveNothing)
{
    for (const bool is64 : {true, false}) {
        const Bytes good = MakeElf({{Section, ProgramBlock()}}, {is64, false});
        ASSERT_EQ(FindVersionBlock(MemoryByteSource(good)), ProgramBlock());
        // ELF header fields: e_shoff, e_shentsize, e_shnum, e_shstrndx; section headers 1 (the version
        // section) and 2 (the name table), with sh_type at +4, sh_offset at +8+2w and sh_size at +8+3w.
        const std::size_t w = is64 ? 8 : 4, off = is64 ? 40 : 32, ent = is64 ? 58 : 46, num = ent + 2,
                          str = ent + 4, sec = Get(good, off, w) + (is64 ? 64 : 40),
                          names = sec + (is64 ? 64 : 40);
        const std::uint64_t size = good.size(), top = is64 ? ~std::uint64_t{0} : 0xFFFFFFFF;
        const std::uint64_t small = is64 ? 63 : 39; // one below a section header's size
        const struct
        {
            std::size_t offset, width;
            std::uint64_t value;
        } cases[] = {
            {0, 1, 0x7E},
            {1, 1, 'e'},
            {4, 1, 0},
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
            EXPECT_FALSE(FindVersionBlock(MemoryByteSource(b)))
                << "64-bit " << is64 << " at " << c.offset << " = " << c.value;
        }
    }
}

// The finder on damaged bytes: no crash, and what it finds lies within the bytes.
void ProbeElf(std::span<const std::uint8_t> b)
{
    const MemoryByteSource source(b);
    if (const auto r = FindElfSection(source, Section)) {
        EXPECT_LE(r->Offset, b.size());
        EXPECT_LE(r->Size, b.size() - r->Offset);
    }
    if (const auto block = FindVersionBlock(source)) {
        EXPECT_TRUE(platform::VersionBlockLength(*block));
    }
}

TEST(ElfSection, TruncatedDamagedAndRandomSmallFiles)
{
    std::mt19937 rng(9);
    for (const bool is64 : {true, false}) {
        for (const bool extended : {false, true}) {
            Bytes b = MakeElf(TypicalSections(), {is64, extended});
            // The section header table comes last: a cut file has none to trust.
            for (std::size_t n = 0; n < b.size(); ++n)
                EXPECT_FALSE(FindVersionBlock(MemoryByteSource(std::span(b).first(n)))) << n;
            for (std::size_t i = 0; i < b.size(); ++i) {
                for (const unsigned mask : {0xFFu, 0x80u, 0x01u, static_cast<unsigned>(rng() & 0xFF)}) {
                    b[i] ^= static_cast<std::uint8_t>(mask);
                    ProbeElf(b);
                    b[i] ^= static_cast<std::uint8_t>(mask);
                }
            }
        }
    }
    for (int round = 0; round < 20000; ++round) {
        Bytes b(16 + rng() % 400);
        for (auto& byte : b)
            byte = static_cast<std::uint8_t>(rng());
        const std::uint8_t ident[] = {0x7F, 'E', 'L', 'F', static_cast<std::uint8_t>(1 + round % 2), 1};
        std::copy(std::begin(ident), std::end(ident), b.begin());
        ProbeElf(b);
    }
}

TEST(ElfSection, TruncatedCopiesOfThisTestProgram)
{
    const Bytes self = versiontest::ReadWholeFile(platform::RunningExecutablePath);
    const auto whole = FindVersionBlock(MemoryByteSource(self));
    ASSERT_TRUE(whole) << "this test program is built with its version block";

    std::mt19937_64 rng(77);
    for (int i = 0; i < 800; ++i) {
        const std::size_t n = i < 500 ? static_cast<std::size_t>(i) : rng() % self.size();
        if (const auto found = FindVersionBlock(MemoryByteSource(std::span(self).first(n)))) {
            EXPECT_EQ(*found, *whole) << "cut at " << n;
        }
    }
}

TEST(FileByteSource, OpenResultsAndBoundedReads)
{
    using Open = platform::FileByteSource::OpenResult;
    const versiontest::TempDir dir;
    const std::string file = dir.Write("data", Bytes{1, 2, 3, 4, 5}), fifo = (dir.Path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, Open> cases[] = {
        {file, Open::Ok},         {(dir.Path() / "missing").string(), Open::NotFound},
        {"", Open::NotFound},     {file + "/below", Open::NotFound},       // a file used as a folder
        {fifo, Open::Unreadable}, {dir.Path().string(), Open::Unreadable}, // the FIFO must not block
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(platform::FileByteSource().Open(path), expected) << path;

    platform::FileByteSource source;
    ASSERT_EQ(source.Open(file), Open::Ok);
    std::array<std::uint8_t, 3> out{};
    EXPECT_TRUE(source.ReadAt(2, out));
    EXPECT_EQ(out, (std::array<std::uint8_t, 3>{3, 4, 5}));
    EXPECT_FALSE(source.ReadAt(3, out));
    EXPECT_FALSE(source.ReadAt(~std::uint64_t{0}, out));
    // A file that shrank after it was opened makes reads fail rather than return stale bytes.
    ASSERT_EQ(::truncate(file.c_str(), 2), 0);
    EXPECT_FALSE(source.ReadAt(0, out));
}

} // namespace
