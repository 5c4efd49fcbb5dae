#include "platform/VersionInfoBlock.h"

#include "platform/version/ProgramVersion.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace platform {
namespace {

constexpr std::size_t HeaderSize = 6; // wLength, wValueLength, wType
constexpr std::u16string_view RootKey = u"VS_VERSION_INFO";

constexpr std::size_t Align4(std::size_t offset)
{
    return (offset + 3) & ~std::size_t{3};
}

void PutWord(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void WriteNode(std::vector<std::uint8_t>& out, const VersionNode& node)
{
    out.resize(Align4(out.size()), 0);
    const std::size_t start = out.size();
    const std::size_t valueLength = node.IsText ? node.Value.size() / 2 : node.Value.size();
    if (valueLength > 0xFFFF)
        throw std::length_error("version block value too long");
    PutWord(out, 0); // wLength, set below
    PutWord(out, static_cast<std::uint16_t>(valueLength));
    PutWord(out, node.IsText ? 1 : 0);
    for (const char16_t c : node.Key)
        PutWord(out, c);
    PutWord(out, 0);
    out.resize(Align4(out.size()), 0);
    out.insert(out.end(), node.Value.begin(), node.Value.end());
    for (const VersionNode& child : node.Children)
        WriteNode(out, child);
    const std::size_t length = out.size() - start;
    if (length > 0xFFFF)
        throw std::length_error("version block node longer than 65535 bytes");
    out[start] = static_cast<std::uint8_t>(length & 0xFF);
    out[start + 1] = static_cast<std::uint8_t>(length >> 8);
}

std::uint16_t WordAt(std::span<const std::uint8_t> b, std::size_t offset)
{
    return static_cast<std::uint16_t>(b[offset] | (b[offset + 1] << 8));
}

// A node's parts as offsets into the block; every offset lies within [Start, End].
struct Node
{
    std::size_t End = 0;
    std::size_t KeyStart = 0;
    std::size_t KeyUnits = 0;
    std::size_t ValueStart = 0;
    std::size_t ValueEnd = 0;
    std::size_t ChildrenStart = 0;
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
    n.End = start + length;
    n.KeyStart = start + HeaderSize;
    std::size_t pos = n.KeyStart;
    while (n.End - pos >= 2 && WordAt(b, pos) != 0)
        pos += 2;
    if (n.End - pos < 2)
        return std::nullopt;
    n.KeyUnits = (pos - n.KeyStart) / 2;
    const bool isText = WordAt(b, start + 4) == 1;
    const std::size_t valueLength = WordAt(b, start + 2);
    n.ValueStart = std::min(Align4(pos + 2), n.End);
    n.ValueEnd = n.ValueStart + std::min(isText ? valueLength * 2 : valueLength, n.End - n.ValueStart);
    n.ChildrenStart = std::min(Align4(n.ValueEnd), n.End);
    return n;
}

bool KeyEquals(std::span<const std::uint8_t> b, const Node& n, std::u16string_view key)
{
    if (n.KeyUnits != key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (WordAt(b, n.KeyStart + 2 * i) != key[i])
            return false;
    }
    return true;
}

// The child of `parent` whose key is `key`; the walk stops at the first child that does not parse.
std::optional<Node> FindChild(std::span<const std::uint8_t> b, const std::optional<Node>& parent,
                              std::u16string_view key)
{
    if (!parent)
        return std::nullopt;
    std::size_t pos = parent->ChildrenStart;
    while (pos < parent->End) {
        const std::optional<Node> child = ParseNode(b, pos, parent->End);
        if (!child)
            return std::nullopt;
        if (KeyEquals(b, *child, key))
            return child;
        pos = Align4(child->End); // wLength >= 8, so the walk always advances
    }
    return std::nullopt;
}

} // namespace

VersionNode VersionString(std::u16string_view key, std::u16string_view value)
{
    VersionNode node{std::u16string(key), true, {}, {}};
    for (const char16_t c : value)
        PutWord(node.Value, c);
    PutWord(node.Value, 0);
    return node;
}

VersionNode ProgramVersionTree()
{
    namespace pv = programversion;
    std::vector<std::uint8_t> fixed; // VS_FIXEDFILEINFO of an application for Windows NT
    for (const std::uint32_t v :
         {0xFEEF04BDu, 0x00010000u, std::uint32_t{pv::FileVersion[0]} << 16 | pv::FileVersion[1],
          std::uint32_t{pv::FileVersion[2]} << 16 | pv::FileVersion[3],
          std::uint32_t{pv::ProductVersion[0]} << 16 | pv::ProductVersion[1],
          std::uint32_t{pv::ProductVersion[2]} << 16 | pv::ProductVersion[3], 0x3Fu, 0u, 0x00040004u, 1u, 0u,
          0u, 0u}) {
        PutWord(fixed, static_cast<std::uint16_t>(v & 0xFFFF));
        PutWord(fixed, static_cast<std::uint16_t>(v >> 16));
    }
    char key[9];
    std::snprintf(key, sizeof key, "%.4x%.4x", unsigned{pv::Language}, unsigned{pv::CodePage});
    VersionNode table{std::u16string(key, key + 8), true, {}, {}};
    for (const auto& [name, value] : pv::Strings)
        table.Children.push_back(VersionString(name, value));
    std::vector<std::uint8_t> translation;
    PutWord(translation, pv::Language);
    PutWord(translation, pv::CodePage);
    VersionNode root{std::u16string(RootKey), false, std::move(fixed), {}};
    root.Children.push_back({u"StringFileInfo", true, {}, {std::move(table)}});
    root.Children.push_back(
        {u"VarFileInfo", true, {}, {{u"Translation", false, std::move(translation), {}}}});
    return root;
}

std::vector<std::uint8_t> BuildVersionBlock(const VersionNode& root)
{
    std::vector<std::uint8_t> out;
    WriteNode(out, root);
    return out;
}

std::optional<std::size_t> VersionBlockLength(std::span<const std::uint8_t> data)
{
    const std::optional<Node> root = ParseNode(data, 0, data.size());
    if (!root || !KeyEquals(data, *root, RootKey))
        return std::nullopt;
    return root->End;
}

std::optional<std::u16string> FindVersionString(std::span<const std::uint8_t> block, std::u16string_view name)
{
    const std::optional<Node> root = ParseNode(block, 0, block.size());
    const auto translation = FindChild(block, FindChild(block, root, u"VarFileInfo"), u"Translation");
    if (!translation || translation->ValueEnd - translation->ValueStart < 4)
        return std::nullopt;
    char key[9];
    std::snprintf(key, sizeof key, "%.4x%.4x", unsigned{WordAt(block, translation->ValueStart)},
                  unsigned{WordAt(block, translation->ValueStart + 2)});
    const auto table =
        FindChild(block, FindChild(block, root, u"StringFileInfo"), std::u16string(key, key + 8));
    const auto found = FindChild(block, table, name);
    if (!found)
        return std::nullopt;
    std::u16string text;
    for (std::size_t i = found->ValueStart; found->ValueEnd - i >= 2; i += 2) {
        const std::uint16_t c = WordAt(block, i);
        if (c == 0)
            break;
        text.push_back(static_cast<char16_t>(c));
    }
    return text;
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
