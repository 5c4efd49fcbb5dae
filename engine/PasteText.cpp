#include "engine/PasteText.h"

#include <algorithm>
#include <array>
#include <vector>

namespace engine {
namespace {

constexpr char32_t Blank = U' ', Apostrophe = U'\'';

// The length of a UTF-8 sequence from its first byte, 0 where no sequence starts so.
int SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead < 0xE0)
        return 2;
    if (lead >= 0xE0 && lead < 0xF0)
        return 3;
    return lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
}

// The text's characters: UTF-8 decoded, or each byte as a Latin-1 character where the text is not
// UTF-8 (tape lines and older scripts hand over Latin-1).
std::u32string Characters(std::string_view text)
{
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000}; // no overlong forms
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const int length = SequenceLength(static_cast<unsigned char>(text[i]));
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        char32_t c = valid ? static_cast<unsigned char>(text[i]) & (0xFF >> (length + (length > 1))) : 0;
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid || c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out.clear();
            for (const char byte : text)
                out.push_back(static_cast<unsigned char>(byte));
            return out;
        }
        out.push_back(c);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

// Every kind of space is a blank, every apostrophe the ASCII one (Swiss grouping).
char32_t Normalised(char32_t c)
{
    if (c == 0xA0 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000)
        return Blank;
    if (c == 0x2019 || c == 0x02BC)
        return Apostrophe;
    return c;
}

bool IsDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

bool IsEndBlank(char32_t c)
{
    return c == Blank || c == U'\t' || c == U'\r' || c == U'\n';
}

void TrimBlanks(std::u32string_view& s)
{
    while (!s.empty() && IsEndBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsEndBlank(s.back()))
        s.remove_suffix(1);
}

char32_t Upper(char32_t c)
{
    return c >= U'a' && c <= U'z' ? c - 32 : c;
}

// The length of the currency sign or code `s` starts (or, `atEnd`, ends) with, 0 for none.
std::size_t CurrencyLength(std::u32string_view s, bool atEnd)
{
    constexpr std::array<std::u32string_view, 7> marks = {U"\u20AC", U"$",   U"\u00A3", U"\u00A5",
                                                          U"EUR",    U"USD", U"CHF"};
    for (const std::u32string_view mark : marks) {
        if (s.size() < mark.size())
            continue;
        const std::u32string_view part = atEnd ? s.substr(s.size() - mark.size()) : s.substr(0, mark.size());
        if (std::equal(part.begin(), part.end(), mark.begin(),
                       [](char32_t a, char32_t b) { return Upper(a) == b; }))
            return mark.size();
    }
    return 0;
}

// One way of reading the digits and separators: which character is the decimal separator and which
// groups the digits (0 for none).
struct Reading
{
    char32_t decimal = 0, group = 0;
    std::string integer, fraction;
};

// The reading with `decimal` as the decimal separator, if the mantissa can be read so.
std::optional<Reading> ReadAs(std::u32string_view mantissa, char32_t decimal, bool exponent)
{
    Reading r{decimal, 0, {}, {}};
    const std::size_t at = decimal == 0 ? std::u32string_view::npos : mantissa.find(decimal);
    const std::u32string_view integer = mantissa.substr(0, at);
    const std::u32string_view fraction =
        at == std::u32string_view::npos ? std::u32string_view() : mantissa.substr(at + 1);
    if (!std::all_of(fraction.begin(), fraction.end(), IsDigit))
        return std::nullopt; // a second decimal separator, or a group in the decimals
    r.fraction.assign(fraction.begin(), fraction.end());

    std::size_t groupSize = 0, groups = 0;
    for (const char32_t c : integer) {
        if (IsDigit(c)) {
            r.integer.push_back(static_cast<char>(c));
            ++groupSize;
            continue;
        }
        // A group separator: one kind only, after a first group of one to three digits that does
        // not start with 0, and between groups of three.
        if ((r.group != 0 && c != r.group) || groupSize == 0 || (groups == 0 && groupSize > 3) ||
            (groups > 0 && groupSize != 3) || (groups == 0 && r.integer.front() == '0'))
            return std::nullopt;
        r.group = c;
        ++groups;
        groupSize = 0;
    }
    if (groups > 0 && (groupSize != 3 || exponent))
        return std::nullopt;
    if (r.integer.empty() && r.fraction.empty())
        return std::nullopt;
    return r;
}

} // namespace

std::optional<std::string> ReadPastedNumber(std::string_view text, TBcdSeparators locale)
{
    std::u32string chars = Characters(text);
    std::transform(chars.begin(), chars.end(), chars.begin(), Normalised);
    std::u32string_view s = chars;

    // The sign and a currency mark in either order, blanks between them and the digits.
    bool negative = false, signSeen = false;
    auto takeSign = [&] {
        TrimBlanks(s);
        if (!signSeen && !s.empty() && (s.front() == U'-' || s.front() == U'+')) {
            negative = s.front() == U'-';
            signSeen = true;
            s.remove_prefix(1);
        }
        TrimBlanks(s);
    };
    takeSign();
    if (const std::size_t n = CurrencyLength(s, false))
        s.remove_prefix(n);
    takeSign();
    if (const std::size_t n = CurrencyLength(s, true))
        s.remove_suffix(n);
    TrimBlanks(s);

    // The exponent: E, an optional sign and digits, at the end.
    std::string exponent;
    if (const std::size_t e = s.find_last_of(U"Ee"); e != std::u32string_view::npos) {
        std::u32string_view digits = s.substr(e + 1);
        std::string written = "E";
        if (!digits.empty() && (digits.front() == U'-' || digits.front() == U'+')) {
            written.push_back(static_cast<char>(digits.front()));
            digits.remove_prefix(1);
        }
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsDigit))
            return std::nullopt;
        exponent = written + std::string(digits.begin(), digits.end());
        s = s.substr(0, e);
    }

    // Each separator the text holds could be the decimal one, or none is.
    const std::u32string_view separators = U".,' ";
    std::vector<char32_t> candidates = {0};
    for (const char32_t c : s) {
        const bool separator = separators.find(c) != std::u32string_view::npos ||
                               c == static_cast<unsigned char>(locale.decimal) ||
                               c == static_cast<unsigned char>(locale.group);
        if (!IsDigit(c) && !separator)
            return std::nullopt; // a letter, a line break, a second sign ...
        if (separator && c != Blank && c != Apostrophe &&
            std::find(candidates.begin(), candidates.end(), c) == candidates.end())
            candidates.push_back(c);
    }
    std::vector<Reading> readings;
    for (const char32_t decimal : candidates) {
        if (auto r = ReadAs(s, decimal, !exponent.empty()))
            readings.push_back(std::move(*r));
    }
    // Where both readings are possible ("1,234"), the locale's holds; where neither is the locale's
    // ("1.234" where the comma is the decimal separator and blanks group), the text is refused.
    if (readings.size() > 1) {
        const auto localeGroup = static_cast<unsigned char>(locale.group);
        std::erase_if(readings, [&](const Reading& r) {
            return (r.decimal != 0 && r.decimal != static_cast<unsigned char>(locale.decimal)) ||
                   (r.group != 0 && r.group != Blank && r.group != Apostrophe && r.group != localeGroup);
        });
    }
    if (readings.size() != 1)
        return std::nullopt;
    const Reading& r = readings.front();
    std::string out = negative ? "-" : "";
    out += r.integer.empty() ? "0" : r.integer;
    if (r.decimal != 0) {
        out.push_back(locale.decimal);
        out += r.fraction;
    }
    return out + exponent;
}

} // namespace engine
