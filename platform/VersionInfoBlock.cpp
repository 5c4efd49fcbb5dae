#include "platform/VersionInfoBlock.h"

#include "platform/version/ProgramVersion.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace platform {
namespace {

constexpr std::size_t HeaderSize = 6; // wLength, wValueLength, wType
constexpr std::uint16_t TypeBinary = 0;
constexpr std::uint16_t TypeText = 1;
constexpr std::u16string_view RootKey = u"VS_VERSION_INFO";

constexpr std::size_t Align4(std::size_t offset)
{
    return (offset + 3) & ~std::size_t{3};
}

// ---- Building -----------------------------------------------------------------------------------

class BlockWriter
{
public:
    void Word(std::uint16_t v)
    {
        bytes_.push_back(static_cast<std::uint8_t>(v & 0xFF));
        bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
    }

    void DWord(std::uint32_t v)
    {
        Word(static_cast<std::uint16_t>(v & 0xFFFF));
        Word(static_cast<std::uint16_t>(v >> 16));
    }

    void Align() { bytes_.resize(Align4(bytes_.size()), 0); }

    void Text(std::u16string_view text)
    {
        for (const char16_t c : text)
            Word(static_cast<std::uint16_t>(c));
        Word(0);
    }

    // Starts a node on a 32-bit boundary with its header and key, padded for the value; returns the
    // node's offset for EndNode.
    std::size_t BeginNode(std::u16string_view key, std::size_t valueLength, std::uint16_t type)
    {
        if (key.find(u'\0') != std::u16string_view::npos)
            throw std::invalid_argument("version block key with an embedded zero");
        if (valueLength > 0xFFFF)
            throw std::length_error("version block value too long");
        Align();
        const std::size_t start = bytes_.size();
        Word(0); // wLength, patched by EndNode
        Word(static_cast<std::uint16_t>(valueLength));
        Word(type);
        Text(key);
        Align();
        return start;
    }

    void EndNode(std::size_t start)
    {
        const std::size_t length = bytes_.size() - start;
        if (length > 0xFFFF)
            throw std::length_error("version block node longer than 65535 bytes");
        bytes_[start] = static_cast<std::uint8_t>(length & 0xFF);
        bytes_[start + 1] = static_cast<std::uint8_t>(length >> 8);
    }

    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

void WriteFixedInfo(BlockWriter& w, const FixedFileInfo& f)
{
    for (const std::uint32_t v : {f.Signature, f.StrucVersion, f.FileVersionMS, f.FileVersionLS,
                                  f.ProductVersionMS, f.ProductVersionLS, f.FileFlagsMask, f.FileFlags,
                                  f.FileOS, f.FileType, f.FileSubtype, f.FileDateMS, f.FileDateLS})
        w.DWord(v);
}

std::u16string Widen(std::string_view ascii)
{
    return {ascii.begin(), ascii.end()};
}

// ---- Reading ------------------------------------------------------------------------------------

std::uint16_t WordAt(std::span<const std::uint8_t> b, std::size_t offset)
{
    return static_cast<std::uint16_t>(b[offset] | (b[offset + 1] << 8));
}

// A node's parts as offsets into the block; every offset lies within [Start, End].
struct Node
{
    std::size_t Start = 0;
    std::size_t End = 0;
    std::size_t KeyStart = 0;
    std::size_t KeyUnits = 0;
    std::size_t ValueStart = 0;
    std::size_t ValueEnd = 0;
    std::size_t ChildrenStart = 0;
    bool IsText = false;
};

// Parses the node at `start`, which must end by `limit`. A node whose wLength is too small or runs
// past its parent, or whose key has no terminating zero, is rejected. A value that runs past the node
// is cut at the node's end (the node's own length is the one thing a parent vouches for).
std::optional<Node> ParseNode(std::span<const std::uint8_t> b, std::size_t start, std::size_t limit)
{
    limit = std::min(limit, b.size());
    if (start > limit || limit - start < HeaderSize)
        return std::nullopt;
    const std::size_t length = WordAt(b, start);
    if (length < HeaderSize + 2 || length > limit - start)
        return std::nullopt;
    Node n;
    n.Start = start;
    n.End = start + length;
    n.IsText = WordAt(b, start + 4) == TypeText;
    n.KeyStart = start + HeaderSize;
    std::size_t pos = n.KeyStart;
    while (n.End - pos >= 2 && WordAt(b, pos) != 0)
        pos += 2;
    if (n.End - pos < 2)
        return std::nullopt;
    n.KeyUnits = (pos - n.KeyStart) / 2;
    const std::size_t valueLength = WordAt(b, start + 2);
    n.ValueStart = std::min(Align4(pos + 2), n.End);
    n.ValueEnd = n.ValueStart + std::min(n.IsText ? valueLength * 2 : valueLength, n.End - n.ValueStart);
    n.ChildrenStart = std::min(Align4(n.ValueEnd), n.End);
    return n;
}

char16_t FoldCase(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) // Latin-1 lower-case letters
        return static_cast<char16_t>(c - 0x20);
    return c;
}

bool KeyEquals(std::span<const std::uint8_t> b, const Node& n, std::u16string_view name)
{
    if (n.KeyUnits != name.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (FoldCase(static_cast<char16_t>(WordAt(b, n.KeyStart + 2 * i))) != FoldCase(name[i]))
            return false;
    }
    return true;
}

// The child of `parent` whose key is `name`; the walk stops at the first child that does not parse.
std::optional<Node> FindChild(std::span<const std::uint8_t> b, const Node& parent, std::u16string_view name)
{
    std::size_t pos = parent.ChildrenStart;
    while (pos < parent.End) {
        const std::optional<Node> child = ParseNode(b, pos, parent.End);
        if (!child)
            return std::nullopt;
        if (KeyEquals(b, *child, name))
            return child;
        pos = Align4(child->End); // wLength >= 8, so the walk always advances
    }
    return std::nullopt;
}

std::u16string Latin1ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (const char c : text)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

FixedFileInfo FixedFileInfo::ForApplication(const std::array<std::uint16_t, 4>& fileVersion,
                                            const std::array<std::uint16_t, 4>& productVersion)
{
    const auto high = [](std::uint16_t a, std::uint16_t b) { return (std::uint32_t{a} << 16) | b; };
    FixedFileInfo f;
    f.FileVersionMS = high(fileVersion[0], fileVersion[1]);
    f.FileVersionLS = high(fileVersion[2], fileVersion[3]);
    f.ProductVersionMS = high(productVersion[0], productVersion[1]);
    f.ProductVersionLS = high(productVersion[2], productVersion[3]);
    return f;
}

VersionResource ProgramVersionResource()
{
    namespace pv = programversion;
    VersionResource r;
    r.Fixed = FixedFileInfo::ForApplication(pv::FileVersion, pv::ProductVersion);
    VersionStringTable table;
    table.Translation = {pv::Language, pv::CodePage};
    for (const auto& [name, value] : pv::Strings)
        table.Strings.emplace_back(name, value);
    r.Tables.push_back(std::move(table));
    r.Translations.push_back({pv::Language, pv::CodePage});
    return r;
}

std::string StringTableKey(VersionTranslation translation)
{
    char key[9];
    std::snprintf(key, sizeof key, "%.4x%.4x", unsigned{translation.Language},
                  unsigned{translation.CodePage});
    return key;
}

std::vector<std::uint8_t> BuildVersionBlock(const VersionResource& resource)
{
    BlockWriter w;
    const std::size_t root = w.BeginNode(RootKey, FixedFileInfo::Size, TypeBinary);
    WriteFixedInfo(w, resource.Fixed);

    if (!resource.Tables.empty()) {
        const std::size_t info = w.BeginNode(u"StringFileInfo", 0, TypeText);
        for (const VersionStringTable& table : resource.Tables) {
            const std::size_t t = w.BeginNode(Widen(StringTableKey(table.Translation)), 0, TypeText);
            for (const auto& [name, value] : table.Strings) {
                const std::size_t s = w.BeginNode(name, value.size() + 1, TypeText);
                w.Text(value);
                w.EndNode(s);
            }
            w.EndNode(t);
        }
        w.EndNode(info);
    }

    if (!resource.Translations.empty()) {
        const std::size_t info = w.BeginNode(u"VarFileInfo", 0, TypeText);
        const std::size_t var = w.BeginNode(u"Translation", resource.Translations.size() * 4, TypeBinary);
        for (const VersionTranslation& t : resource.Translations) {
            w.Word(t.Language);
            w.Word(t.CodePage);
        }
        w.EndNode(var);
        w.EndNode(info);
    }

    w.EndNode(root);
    return w.Take();
}

std::optional<VersionValue> VerQueryValue(std::span<const std::uint8_t> block, std::string_view subBlock)
{
    std::optional<Node> node = ParseNode(block, 0, block.size());
    if (!node)
        return std::nullopt;
    std::size_t pos = 0;
    while (pos < subBlock.size()) {
        const std::size_t next = std::min(subBlock.find('\\', pos), subBlock.size());
        if (next > pos) {
            node = FindChild(block, *node, Latin1ToUtf16(subBlock.substr(pos, next - pos)));
            if (!node)
                return std::nullopt;
        }
        pos = next + 1;
    }
    return VersionValue{block.subspan(node->ValueStart, node->ValueEnd - node->ValueStart), node->IsText};
}

std::vector<VersionTranslation> QueryTranslations(std::span<const std::uint8_t> block)
{
    std::vector<VersionTranslation> pairs;
    if (const std::optional<VersionValue> v = VerQueryValue(block, "\\VarFileInfo\\Translation")) {
        for (std::size_t i = 0; v->Bytes.size() - i >= 4; i += 4)
            pairs.push_back({WordAt(v->Bytes, i), WordAt(v->Bytes, i + 2)});
    }
    return pairs;
}

std::optional<std::u16string> QueryString(std::span<const std::uint8_t> block, std::string_view subBlock)
{
    const std::optional<VersionValue> v = VerQueryValue(block, subBlock);
    if (!v)
        return std::nullopt;
    std::u16string text;
    for (std::size_t i = 0; v->Bytes.size() - i >= 2; i += 2) {
        const std::uint16_t c = WordAt(v->Bytes, i);
        if (c == 0)
            break;
        text.push_back(static_cast<char16_t>(c));
    }
    return text;
}

std::optional<std::size_t> VersionBlockLength(std::span<const std::uint8_t> data)
{
    const std::optional<Node> root = ParseNode(data, 0, data.size());
    if (!root || !KeyEquals(data, *root, RootKey))
        return std::nullopt;
    return root->End;
}

std::string Utf16ToLatin1(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c <= 0xFF) {
            out.push_back(static_cast<char>(static_cast<unsigned char>(c)));
            continue;
        }
        // A surrogate pair is one character: one '?'.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        out.push_back('?');
    }
    return out;
}

} // namespace platform
