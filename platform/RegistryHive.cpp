#include "platform/RegistryHive.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

namespace platform::reghive {

namespace {

constexpr std::string_view headerLine = "Windows Registry Editor Version 5.00";
constexpr std::string_view oldHeaderLine = "REGEDIT4";
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

bool IsControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits and nothing else.
std::optional<std::uint32_t> ParseHex32(std::string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t result = 0;
    for (const char c : digits) {
        const int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        result = (result << 4) | static_cast<std::uint32_t>(d);
    }
    return result;
}

bool StartsWithFolded(std::string_view text, std::string_view lowerPrefix)
{
    return text.size() >= lowerPrefix.size() && FoldCase(text.substr(0, lowerPrefix.size())) == lowerPrefix;
}

void AppendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

// A byte list on one line: the file is never larger than the list's own text needs.
void AppendHexList(std::string& out, std::string_view prefix, const Bytes& data)
{
    static constexpr char digits[] = "0123456789abcdef";
    out += prefix;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0)
            out += ',';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0f];
    }
    out += '\n';
}

// A text that stays on its line when quoted: no line break in it.
bool FitsOnALine(const Bytes& data)
{
    return std::none_of(data.begin(), data.end(), [](std::uint8_t b) { return b == '\n' || b == '\r'; });
}

void AppendValue(std::string& out, const Value& value)
{
    if (value.name.empty())
        out += '@';
    else
        AppendQuoted(out, value.name);
    out += '=';
    if (value.type == TypeString && FitsOnALine(value.data)) {
        AppendQuoted(out,
                     std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size()));
        out += '\n';
    } else if (value.type == TypeDword && value.data.size() == 4) {
        const std::uint32_t number = std::uint32_t{value.data[0]} | std::uint32_t{value.data[1]} << 8 |
                                     std::uint32_t{value.data[2]} << 16 | std::uint32_t{value.data[3]} << 24;
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x\n", static_cast<unsigned>(number));
        out += buffer;
    } else if (value.type == TypeBinary) {
        AppendHexList(out, "hex:", value.data);
    } else {
        char buffer[24];
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
        AppendHexList(out, buffer, value.data);
    }
}

// A quoted text starting at text[0] == '"': its contents and the rest after the closing quote.
std::optional<std::pair<std::string, std::string_view>> ParseQuoted(std::string_view text)
{
    std::string result;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            return std::pair{std::move(result), text.substr(i + 1)};
        if (c == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"'))
                return std::nullopt;
            ++i;
        }
        result += text[i];
    }
    return std::nullopt; // unterminated
}

// Comma-separated bytes of one or two hex digits each (blanks allowed around them); "" is no bytes.
std::optional<Bytes> ParseHexList(std::string_view text)
{
    Bytes bytes;
    if (TrimBlanks(text).empty())
        return bytes;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view token = TrimBlanks(text.substr(start, comma - start)); // npos: the rest
        const auto byte = token.size() <= 2 ? ParseHex32(token) : std::nullopt;
        if (!byte)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*byte));
        if (comma == std::string_view::npos)
            return bytes;
        start = comma + 1;
    }
}

struct ValueHead
{
    std::string name;
    std::string_view data; // trimmed
};

// `"name"=` or `@=` at the start of a trimmed line.
std::optional<ValueHead> ParseValueHead(std::string_view line)
{
    ValueHead head;
    std::string_view rest;
    if (line.starts_with('@')) {
        rest = line.substr(1);
    } else if (line.starts_with('"')) {
        auto quoted = ParseQuoted(line);
        if (!quoted || quoted->first.empty() || !IsValidValueName(quoted->first))
            return std::nullopt;
        head.name = std::move(quoted->first);
        rest = quoted->second;
    } else {
        return std::nullopt;
    }
    rest = TrimBlanks(rest);
    if (!rest.starts_with('='))
        return std::nullopt;
    head.data = TrimBlanks(rest.substr(1));
    return head;
}

// The data part of a value line (continuations already joined).
std::optional<std::pair<std::uint32_t, Bytes>> ParseData(std::string_view data)
{
    if (data.starts_with('"')) {
        auto quoted = ParseQuoted(data);
        if (!quoted || !TrimBlanks(quoted->second).empty())
            return std::nullopt;
        return std::pair{TypeString, Bytes(quoted->first.begin(), quoted->first.end())};
    }
    if (StartsWithFolded(data, "dword:")) {
        const auto number = ParseHex32(data.substr(6));
        if (!number)
            return std::nullopt;
        return std::pair{TypeDword,
                         Bytes{static_cast<std::uint8_t>(*number), static_cast<std::uint8_t>(*number >> 8),
                               static_cast<std::uint8_t>(*number >> 16),
                               static_cast<std::uint8_t>(*number >> 24)}};
    }
    if (StartsWithFolded(data, "hex:")) {
        auto bytes = ParseHexList(data.substr(4));
        if (!bytes)
            return std::nullopt;
        return std::pair{TypeBinary, std::move(*bytes)};
    }
    if (StartsWithFolded(data, "hex(")) {
        const std::size_t close = data.find(')');
        if (close == std::string_view::npos || close + 1 >= data.size() || data[close + 1] != ':')
            return std::nullopt;
        const auto type = ParseHex32(data.substr(4, close - 4));
        auto bytes = ParseHexList(data.substr(close + 2));
        if (!type || !bytes)
            return std::nullopt;
        return std::pair{*type, std::move(*bytes)};
    }
    return std::nullopt; // including "-", a deletion, which a stored hive never holds
}

// The key path of a trimmed section line "[ROOT\a\b]", or nothing when it is not one of this root.
std::optional<std::string> ParseSection(std::string_view line, std::string_view rootName)
{
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    const std::string_view inner = line.substr(1, line.size() - 2);
    const std::size_t slash = inner.find('\\');
    if (FoldCase(inner.substr(0, slash)) != FoldCase(rootName))
        return std::nullopt;
    if (slash == std::string_view::npos)
        return std::string();
    const std::string_view path = inner.substr(slash + 1);
    if (path.empty() || !IsValidKeyPath(path))
        return std::nullopt;
    return std::string(path);
}

// The line that starts at `position`: its text without "\n" and one "\r" before it, whether it had
// its "\n", and where the next line starts.
struct Line
{
    std::string_view text;
    bool terminated = false;
    std::size_t next = 0;
};

Line LineAt(std::string_view text, std::size_t position)
{
    const std::size_t end = text.find('\n', position);
    Line line{text.substr(position, end == std::string_view::npos ? end : end - position),
              end != std::string_view::npos, end == std::string_view::npos ? text.size() : end + 1};
    if (line.text.ends_with('\r'))
        line.text.remove_suffix(1);
    return line;
}

// A continuation line of a byte list: hex digits, commas and blanks, possibly ending in '\'.
bool IsHexContinuation(std::string_view line)
{
    line = TrimBlanks(line);
    if (line.ends_with('\\'))
        line.remove_suffix(1);
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return HexDigit(c) >= 0 || c == ',' || IsBlank(c); });
}

// UTF-16 text (after its byte order mark) as UTF-8; false when a byte is left over or a surrogate
// stands alone (each such unit becomes U+FFFD).
bool Utf16ToUtf8(std::string_view bytes, bool bigEndian, std::string& text)
{
    const auto unit = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    const auto append = [&text](char32_t c) {
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | c >> 6);
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xE0 | c >> 12);
            text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | c >> 18);
            text += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    bool sound = bytes.size() % 2 == 0;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            append(0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00));
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            append(0xFFFD);
            sound = false;
        } else {
            append(c);
        }
    }
    return sound;
}

} // namespace

std::string FoldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool IsValidKeyPath(std::string_view path)
{
    // Every name non-empty: no backslash at either end, none doubled.
    return path.empty() ||
           (!path.starts_with('\\') && !path.ends_with('\\') && path.find("\\\\") == std::string_view::npos &&
            std::none_of(path.begin(), path.end(), IsControl));
}

bool IsValidValueName(std::string_view name)
{
    return std::none_of(name.begin(), name.end(), IsControl);
}

bool Hive::PathLess::operator()(const std::string& a, const std::string& b) const
{
    const auto rank = [](char c) { return c == '\\' ? 0u : static_cast<unsigned char>(c) + 1u; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return rank(x) < rank(y); });
}

Hive::Hive()
{
    keys_.emplace(std::string(), Key{});
}

bool Hive::KeyExists(std::string_view path) const
{
    const std::string folded = FoldCase(path);
    const std::string prefix = folded + '\\';
    const auto next = keys_.lower_bound(prefix); // its first sub-key, if any
    return keys_.contains(folded) || (next != keys_.end() && next->first.starts_with(prefix));
}

bool Hive::CreateKey(std::string_view path)
{
    if (!IsValidKeyPath(path))
        return false;
    keys_.try_emplace(FoldCase(path), Key{std::string(path), {}});
    return true;
}

bool Hive::DeleteKey(std::string_view path)
{
    const std::string folded = FoldCase(path);
    if (folded.empty() || !KeyExists(folded))
        return false;
    keys_.erase(folded);
    const std::string prefix = folded + '\\';
    auto it = keys_.lower_bound(prefix);
    while (it != keys_.end() && it->first.starts_with(prefix))
        it = keys_.erase(it);
    return true;
}

const Value* Hive::FindValue(std::string_view path, std::string_view name) const
{
    const auto key = keys_.find(FoldCase(path));
    if (key == keys_.end())
        return nullptr;
    const auto value = key->second.values.find(FoldCase(name));
    return value == key->second.values.end() ? nullptr : &value->second;
}

bool Hive::SetValue(std::string_view path, Value value)
{
    if (!KeyExists(path) || !IsValidValueName(value.name))
        return false;
    Key& key = keys_.try_emplace(FoldCase(path), Key{std::string(path), {}}).first->second;
    auto [it, inserted] = key.values.try_emplace(FoldCase(value.name), value);
    if (!inserted) {
        it->second.type = value.type;
        it->second.data = std::move(value.data);
    }
    return true;
}

std::string Hive::Format(std::string_view rootName) const
{
    std::string out(headerLine);
    out += '\n';
    for (auto it = keys_.begin(); it != keys_.end(); ++it) {
        const auto& [folded, key] = *it;
        // A key without values whose sub-key follows is implied by the sub-key's section.
        const auto next = std::next(it);
        const bool implied =
            key.values.empty() &&
            (folded.empty() || (next != keys_.end() && next->first.starts_with(folded + '\\')));
        if (implied)
            continue;
        out += "\n[";
        out += rootName;
        if (!folded.empty()) {
            out += '\\';
            out += key.path;
        }
        out += "]\n";
        for (const auto& [foldedName, value] : key.values)
            AppendValue(out, value);
    }
    return out;
}

ParseResult Parse(std::string_view text, std::string_view rootName)
{
    ParseResult result;
    std::size_t lineNumber = 0;
    const auto damage = [&result, &lineNumber] {
        if (!result.damaged)
            result.damagedLine = std::max<std::size_t>(lineNumber, 1);
        result.damaged = true;
    };
    std::string decoded;
    bool decodedWhole = true;
    if (text.starts_with(byteOrderMark)) {
        text.remove_prefix(byteOrderMark.size());
    } else if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        decodedWhole = Utf16ToUtf8(text.substr(2), text[0] == '\xFE', decoded);
        text = decoded;
    }

    std::optional<std::string> currentKey;
    bool firstLine = true;
    for (std::size_t position = 0; position < text.size();) {
        const Line line = LineAt(text, position);
        position = line.next;
        ++lineNumber;
        const std::string_view trimmed = TrimBlanks(line.text);
        if (firstLine) {
            firstLine = false;
            if (trimmed == headerLine || trimmed == oldHeaderLine) {
                if (!line.terminated)
                    damage();
                continue;
            }
            damage(); // no header: read on, the lines below may still be intact
        }
        if (trimmed.empty() || trimmed.starts_with(';'))
            continue;

        if (trimmed.starts_with('[')) {
            currentKey = line.terminated ? ParseSection(trimmed, rootName) : std::nullopt;
            if (currentKey)
                result.hive.CreateKey(*currentKey);
            else
                damage();
            continue;
        }

        auto head = ParseValueHead(trimmed);
        if (!head) {
            damage();
            continue;
        }
        // A byte list may continue over the following lines, each but the last ending in '\'.
        std::string joined;
        std::string_view data = head->data;
        bool terminated = line.terminated;
        bool complete = true;
        if (StartsWithFolded(data, "hex") && data.ends_with('\\')) {
            joined.assign(data.substr(0, data.size() - 1));
            while (true) {
                const Line next = position < text.size() ? LineAt(text, position) : Line{};
                if (position >= text.size() || !terminated || !IsHexContinuation(next.text)) {
                    complete = false;
                    break;
                }
                position = next.next;
                ++lineNumber;
                terminated = next.terminated;
                const std::string_view part = TrimBlanks(next.text);
                if (!part.ends_with('\\')) {
                    joined += part;
                    break;
                }
                joined += part.substr(0, part.size() - 1);
            }
            data = joined;
        }
        auto parsed = complete && terminated ? ParseData(data) : std::nullopt;
        if (!parsed || !currentKey) {
            damage();
            continue;
        }
        result.hive.SetValue(*currentKey,
                             Value{std::move(head->name), parsed->first, std::move(parsed->second)});
    }
    if (!decodedWhole)
        damage(); // a lone surrogate or an odd last byte: counted at the last line
    return result;
}

} // namespace platform::reghive
