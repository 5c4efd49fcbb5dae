#include "platform/VersionInfoBlock.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using platform::VersionNode;
using Bytes = std::vector<std::uint8_t>;

// Writes the documented layout by hand, field by field, independently of the builder.
struct HandBlock
{
    void Word(std::uint16_t v) { bytes.insert(bytes.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); }
    void Node(std::uint16_t length, std::uint16_t valueLength, std::uint16_t type, std::u16string_view key,
              std::size_t valueOffset)
    {
        for (const std::uint16_t w : {length, valueLength, type})
            Word(w);
        for (const char16_t c : key)
            Word(c);
        Word(0);
        ASSERT_LE(bytes.size(), valueOffset);
        bytes.resize(valueOffset, 0);
    }
    Bytes bytes;
};

Bytes Pair(std::uint16_t language, std::uint16_t codePage)
{
    return {std::uint8_t(language), std::uint8_t(language >> 8), std::uint8_t(codePage),
            std::uint8_t(codePage >> 8)};
}

// A block with the given string tables (key, strings) and translation pairs (none: no VarFileInfo).
Bytes Block(const std::vector<std::pair<std::u16string, std::vector<VersionNode>>>& tables,
            const Bytes& pairs, Bytes fixed = Bytes(52, 0))
{
    VersionNode root{u"VS_VERSION_INFO", false, std::move(fixed), {}};
    VersionNode info{u"StringFileInfo", true, {}, {}};
    for (const auto& [key, strings] : tables)
        info.Children.push_back({key, true, {}, strings});
    root.Children.push_back(std::move(info));
    if (!pairs.empty())
        root.Children.push_back({u"VarFileInfo", true, {}, {{u"Translation", false, pairs, {}}}});
    return platform::BuildVersionBlock(root);
}

Bytes SmallBlock()
{
    Bytes fixed;
    for (const std::uint32_t v : {0xFEEF04BDu, 0x00010000u, 0x00010002u, 0x00030004u, 0x00050006u,
                                  0x00070008u, 0x3Fu, 0u, 0x00040004u, 1u, 0u, 0u, 0u})
        for (int shift = 0; shift < 32; shift += 8)
            fixed.push_back(static_cast<std::uint8_t>(v >> shift));
    return Block({{u"040904b0", {platform::VersionString(u"A", u"BC")}}}, Pair(0x0409, 0x04b0), fixed);
}

TEST(VersionBlockBuild, SmallBlockMatchesTheLayoutWrittenByHand)
{
    // Root key ends at 38, its value fills 40..92. StringFileInfo at 92, StringTable at 128, String "A"
    // at 152 with "BC" at 164..170; VarFileInfo at 172, Translation at 204 with its pair at 236..240.
    // Each wLength stops at the node's last byte; the next node starts on the next 32-bit boundary.
    HandBlock h;
    h.Node(240, 52, 0, u"VS_VERSION_INFO", 40);
    for (const std::uint32_t v : {0xFEEF04BDu, 0x00010000u, 0x00010002u, 0x00030004u, 0x00050006u,
                                  0x00070008u, 0x3Fu, 0u, 0x00040004u, 1u, 0u, 0u, 0u}) {
        h.Word(static_cast<std::uint16_t>(v));
        h.Word(static_cast<std::uint16_t>(v >> 16));
    }
    h.Node(78, 0, 1, u"StringFileInfo", 128);
    h.Node(42, 0, 1, u"040904b0", 152);
    h.Node(18, 3, 1, u"A", 164);
    for (const std::uint16_t w : {u'B', u'C', u'\0'})
        h.Word(w);
    h.Word(0); // alignment
    h.Node(68, 0, 1, u"VarFileInfo", 204);
    h.Node(36, 4, 0, u"Translation", 236);
    h.Word(0x0409);
    h.Word(0x04b0);

    EXPECT_EQ(SmallBlock(), h.bytes);
    EXPECT_THROW(Block({{u"040904b0", {platform::VersionString(u"Long", std::u16string(40000, u'x'))}}},
                       Pair(0x0409, 0x04b0)),
                 std::length_error);
}

// The first translation names the table, as four lower-case hex digits each; keys match exactly.
TEST(FindVersionString, FirstTranslationSelectsTheTableByItsLowerCaseKey)
{
    const std::vector<VersionNode> strings{platform::VersionString(u"CompanyName", u"Spain"),
                                           platform::VersionString(u"Gr\u00fc\u00dfe", u"Hallo"),
                                           platform::VersionString(u"Empty", u"")};
    const std::vector<VersionNode> other{platform::VersionString(u"CompanyName", u"Other")};
    const struct
    {
        Bytes block;
        std::u16string name;
        const char* expected;
    } cases[] = {
        {Block({{u"040904e4", other}, {u"0c0a04b0", strings}}, Pair(0x0C0A, 0x04B0)), u"CompanyName",
         "Spain"},
        {Block({{u"0c0a04b0", strings}}, Pair(0x0C0A, 0x04B0)), u"Gr\u00fc\u00dfe", "Hallo"},
        {Block({{u"0c0a04b0", strings}}, Pair(0x0C0A, 0x04B0)), u"Empty", ""},
        {Block({{u"0c0a04b0", strings}}, Pair(0x0C0A, 0x04B0)), u"COMPANYNAME", nullptr},
        {Block({{u"0c0a04b0", strings}}, Pair(0x0C0A, 0x04B0)), u"Company", nullptr},
        {Block({{u"0c0a04b0", strings}}, Pair(0x0C0A, 0x04B0)), u"", nullptr},
        {Block({{u"0C0A04B0", strings}}, Pair(0x0C0A, 0x04B0)), u"CompanyName", nullptr},
        {Block({{u"0c0a04b0", strings}, {u"040904e4", other}},
               {0x09, 0x04, 0xe4, 0x04, 0x0a, 0x0c, 0xb0, 0x04}),
         u"CompanyName", "Other"},
        {Block({{u"0c0a04b0", strings}}, {}), u"CompanyName", nullptr},           // no translation
        {Block({{u"0c0a04b0", strings}}, {0x0a, 0x0c}), u"CompanyName", nullptr}, // half a pair
    };
    for (const auto& c : cases) {
        const auto text = platform::FindVersionString(c.block, c.name);
        ASSERT_EQ(text.has_value(), c.expected != nullptr) << platform::Utf16ToLatin1(c.name);
        if (text) {
            EXPECT_EQ(platform::Utf16ToLatin1(*text), c.expected);
        }
    }
}

TEST(Utf16ToLatin1, KeepsLatinOneAndMarksTheRest)
{
    const std::pair<std::u16string, std::string> cases[] = {
        {u"", ""},
        {u"\u00a9 2026 M\u00fcller \u00ff", "\xa9 2026 M\xfcller \xff"},
        {u"\u20ac 5 \u0100", "? 5 ?"},        // the euro sign and U+0100 are not Latin-1
        {u"a\U0001F600b", "a?b"},             // a surrogate pair is one character
        {std::u16string(u"x\xD800y"), "x?y"}, // lone surrogates
        {std::u16string(u"\xDC00"), "?"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(platform::Utf16ToLatin1(in), out);
}

// Every lookup over `b`: none may crash or read outside (the sanitizer build checks), and a length
// found lies inside the block.
void QueryEverything(const Bytes& b)
{
    for (const char16_t* name : {u"CompanyName", u"LegalCopyright", u"FileVersion"})
        (void)platform::FindVersionString(b, name);
    if (const auto length = platform::VersionBlockLength(b)) {
        EXPECT_LE(*length, b.size());
    }
}

TEST(VersionBlockParse, TruncatedDamagedAndRandomBlocks)
{
    const Bytes full = platform::BuildVersionBlock(platform::ProgramVersionTree());
    ASSERT_EQ(platform::FindVersionString(full, u"CompanyName"), u"Quorlane");
    for (std::size_t n = 0; n < full.size(); ++n) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        QueryEverything(cut);
        // The root's wLength promises more than there is: nothing in it can be trusted.
        EXPECT_FALSE(platform::FindVersionString(cut, u"CompanyName")) << n;
        EXPECT_FALSE(platform::VersionBlockLength(cut)) << n;
    }
    std::mt19937 rng(20260);
    for (std::size_t i = 0; i < full.size(); ++i) {
        for (const int value : {0x00, 0xFF, 0x01, static_cast<int>(rng() & 0xFF)}) {
            Bytes b = full;
            b[i] = static_cast<std::uint8_t>(value);
            QueryEverything(b);
        }
    }
    for (int round = 0; round < 20000; ++round) {
        Bytes b(rng() % 300);
        for (auto& byte : b)
            byte = static_cast<std::uint8_t>(rng());
        if (b.size() >= 2 && round % 2 == 0) { // a plausible root length makes the walk go deeper
            b[0] = static_cast<std::uint8_t>(b.size());
            b[1] = static_cast<std::uint8_t>(b.size() >> 8);
        }
        QueryEverything(b);
    }
}

TEST(VersionBlockParse, HostileLengthsAreContained)
{
    const Bytes good = SmallBlock();
    ASSERT_EQ(platform::FindVersionString(good, u"A"), u"BC");
    Bytes b = good;
    // The String "A" (at 152) claiming a value of 0xFFFF WORDs: the value is cut at the node's end.
    b[154] = b[155] = 0xFF;
    EXPECT_EQ(platform::FindVersionString(b, u"A"), u"BC");
    b[164 + 4] = b[164 + 5] = 'D'; // its zero gone: the text runs to the node's end, not beyond
    EXPECT_EQ(platform::FindVersionString(b, u"A"), u"BC\u4444");
    // The StringTable (at 128) claiming to run past its parent: it is not trusted.
    b = good;
    b[128] = 0xF0;
    EXPECT_FALSE(platform::FindVersionString(b, u"A"));
    // A length below header and key terminator stops the walk instead of looping on the spot.
    b = good;
    b[92] = b[93] = 0;
    EXPECT_FALSE(platform::FindVersionString(b, u"A"));
}

} // namespace
