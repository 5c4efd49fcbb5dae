#include "platform/VersionInfoBlock.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using platform::VersionResource;
using platform::VersionTranslation;
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

VersionResource SmallResource()
{
    VersionResource r;
    r.Fixed = platform::FixedFileInfo::ForApplication({1, 2, 3, 4}, {5, 6, 7, 8});
    r.Tables.push_back({{0x0409, 0x04b0}, {{u"A", u"BC"}}});
    r.Translations.push_back({0x0409, 0x04b0});
    return r;
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

    EXPECT_EQ(platform::BuildVersionBlock(SmallResource()), h.bytes);
}

TEST(VersionBlockBuild, OversizeAndBadKeysAreRefused)
{
    VersionResource r = SmallResource();
    r.Tables[0].Strings.emplace_back(u"Long", std::u16string(40000, u'x'));
    EXPECT_THROW(platform::BuildVersionBlock(r), std::length_error);
    r = SmallResource();
    r.Tables[0].Strings.emplace_back(std::u16string(u"Bad\0Key", 7), u"v");
    EXPECT_THROW(platform::BuildVersionBlock(r), std::invalid_argument);
}

TEST(StringTableKey, LanguageThenCodePageInLowerCaseHex)
{
    const std::pair<VersionTranslation, const char*> cases[] = {
        {{0x0409, 1252}, "040904e4"}, {{0x0407, 1252}, "040704e4"},   {{0x0C0A, 0x04B0}, "0c0a04b0"},
        {{0, 0}, "00000000"},         {{0xFFFF, 0xFFFF}, "ffffffff"},
    };
    for (const auto& [translation, key] : cases)
        EXPECT_EQ(platform::StringTableKey(translation), key);
}

TEST(VerQueryValue, PathsAndCaseInsensitiveKeys)
{
    VersionResource r = platform::ProgramVersionResource();
    r.Tables[0].Strings.emplace_back(u"Gr\u00fc\u00dfe", u"Hallo"); // "Grüße": Latin-1 letters fold too
    const Bytes b = platform::BuildVersionBlock(r);
    const std::pair<const char*, const char*> cases[] = {
        {"\\StringFileInfo\\040904e4\\CompanyName", "Quorlane"},
        {"\\stringfileinfo\\040904E4\\COMPANYNAME", "Quorlane"},
        {"StringFileInfo\\040904e4\\ProductName", "Calculator"}, // no leading backslash
        {"\\\\StringFileInfo\\\\040904e4\\FileVersion\\", "1.0.0.36"},
        {"\\StringFileInfo\\040904e4\\GR\xdc\xdf"
         "E",
         "Hallo"},
        {"\\StringFileInfo\\040904e4\\GRUSSE", nullptr},
        {"\\StringFileInfo\\040904e4\\Company", nullptr},
        {"\\StringFileInfo\\040904e4\\CompanyNameX", nullptr},
        {"\\StringFileInfo\\040704e4\\CompanyName", nullptr},
        {"\\CompanyName", nullptr},
        {"\\StringFileInfo\\040904e4\\CompanyName\\Deeper", nullptr},
    };
    for (const auto& [path, expected] : cases) {
        const auto text = platform::QueryString(b, path);
        ASSERT_EQ(text.has_value(), expected != nullptr) << path;
        if (text) {
            EXPECT_EQ(platform::Utf16ToLatin1(*text), expected) << path;
        }
    }
    const auto root = platform::VerQueryValue(b, "\\");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->Bytes.data(), b.data() + 40);
    EXPECT_EQ(root->Bytes.size(), platform::FixedFileInfo::Size);
    const auto translation = platform::VerQueryValue(b, "\\varfileinfo\\TRANSLATION");
    ASSERT_TRUE(translation);
    EXPECT_FALSE(translation->IsText);
    EXPECT_EQ(translation->Bytes.size(), 4u);
    const auto company = platform::VerQueryValue(b, "\\StringFileInfo\\040904e4\\CompanyName");
    ASSERT_TRUE(company);
    EXPECT_TRUE(company->IsText);
    EXPECT_EQ(company->Bytes.size(), 2 * sizeof "Quorlane"); // the characters and their zero
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

// Every query over `b`: none may crash or read outside, and a value found lies inside the block.
void QueryEverything(const Bytes& b)
{
    for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904e4\\CompanyName",
                             "\\StringFileInfo\\040904e4\\LegalCopyright", "\\StringFileInfo\\040904e4"}) {
        if (const auto v = platform::VerQueryValue(b, path)) {
            EXPECT_GE(v->Bytes.data(), b.data());
            EXPECT_LE(v->Bytes.data() + v->Bytes.size(), b.data() + b.size());
        }
        (void)platform::QueryString(b, path);
    }
    (void)platform::QueryTranslations(b);
    if (const auto length = platform::VersionBlockLength(b)) {
        EXPECT_LE(*length, b.size());
    }
}

TEST(VersionBlockParse, TruncatedDamagedAndRandomBlocks)
{
    const Bytes full = platform::BuildVersionBlock(platform::ProgramVersionResource());
    for (std::size_t n = 0; n < full.size(); ++n) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        QueryEverything(cut);
        // The root's wLength promises more than there is: nothing in it can be trusted.
        EXPECT_FALSE(platform::VerQueryValue(cut, "\\")) << n;
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
    const Bytes good = platform::BuildVersionBlock(SmallResource());
    Bytes b = good;
    // The String "A" (at 152) claiming a value of 0xFFFF WORDs: the value is cut at the node's end.
    b[154] = b[155] = 0xFF;
    const auto v = platform::VerQueryValue(b, "\\StringFileInfo\\040904b0\\A");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->Bytes.data() + v->Bytes.size(), b.data() + 170);
    // The StringTable (at 128) claiming to run past its parent: it is not trusted, a sibling still is.
    b = good;
    b[128] = 0xF0;
    EXPECT_FALSE(platform::VerQueryValue(b, "\\StringFileInfo\\040904b0\\A"));
    EXPECT_TRUE(platform::VerQueryValue(b, "\\VarFileInfo\\Translation"));
    // A length below header and key terminator stops the walk instead of looping on the spot.
    b = good;
    b[92] = b[93] = 0;
    EXPECT_FALSE(platform::VerQueryValue(b, "\\VarFileInfo\\Translation"));
}

} // namespace
