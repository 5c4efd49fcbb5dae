#include "engine/FloatText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace engine {
namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Digits of |v| rounded to `significant` digits, and the decimal exponent of the first one.
struct Digits
{
    std::string digits;
    int exponent10 = 0;
};

Digits SignificantDigits(long double magnitude, int significant)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.*Le", significant - 1, magnitude);
    Digits d;
    const char* p = buf;
    for (; *p != '\0' && *p != 'e'; ++p) {
        if (IsDigit(*p))
            d.digits.push_back(*p);
    }
    if (*p == 'e')
        d.exponent10 = std::atoi(p + 1);
    return d;
}

std::string Grouped(std::string_view integerDigits, char groupChar)
{
    std::string out;
    const std::size_t n = integerDigits.size();
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(integerDigits[i]);
        const std::size_t left = n - 1 - i;
        if (left > 0 && left % 3 == 0)
            out.push_back(groupChar);
    }
    return out;
}

} // namespace

std::optional<long double> ParseFloatText(std::string_view text, char decimalChar)
{
    constexpr std::string_view blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return std::nullopt;
    std::string plain(text.substr(first, text.find_last_not_of(blanks) - first + 1));
    const bool negative = plain.starts_with('-');
    if (negative || plain.starts_with('+'))
        plain.erase(0, 1);
    // The locale-free conversion takes the rest of the grammar as it is, with a point for the
    // decimal character; a point that is not the decimal character is refused first.
    if (plain.starts_with('-') || (decimalChar != '.' && plain.find('.') != std::string::npos))
        return std::nullopt;
    std::replace(plain.begin(), plain.end(), decimalChar, '.');
    long double value = 0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc{} || end != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

std::string FormatPasteValue(long double value, char decimalChar, char groupChar)
{
    constexpr int Significant = 18;
    constexpr int MaxDecimals = 21;
    const bool negative = std::signbit(value) && value != 0;
    const long double magnitude = std::fabs(value);
    if (magnitude == 0)
        return "0";

    Digits d = SignificantDigits(magnitude, Significant);
    if (d.exponent10 >= Significant) {
        // General form: 15 significant digits, trailing zeros dropped, a bare exponent.
        Digits g = SignificantDigits(magnitude, 15);
        while (g.digits.size() > 1 && g.digits.back() == '0')
            g.digits.pop_back();
        std::string out = negative ? "-" : "";
        out.push_back(g.digits[0]);
        if (g.digits.size() > 1) {
            out.push_back(decimalChar);
            out.append(g.digits, 1);
        }
        return out + "E" + std::to_string(g.exponent10);
    }

    // At most 21 decimals: digits beyond them are rounded off, half up.
    const int lastPlace = (Significant - 1) - d.exponent10; // decimals of the 18th digit
    if (lastPlace > MaxDecimals) {
        const int keep = Significant - (lastPlace - MaxDecimals);
        if (keep < 0)
            return "0";
        const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
        d.digits.resize(static_cast<std::size_t>(keep));
        int k = keep - 1;
        if (up) {
            for (; k >= 0 && d.digits[static_cast<std::size_t>(k)] == '9'; --k)
                d.digits[static_cast<std::size_t>(k)] = '0';
            if (k >= 0)
                ++d.digits[static_cast<std::size_t>(k)];
            else {
                d.digits.insert(d.digits.begin(), '1');
                ++d.exponent10;
            }
        }
        if (d.digits.find_first_not_of('0') == std::string::npos)
            return "0";
    }

    // Place the point: integer digits (at least "0") and the decimals without trailing zeros.
    std::string integerPart, fraction;
    if (d.exponent10 >= 0) {
        const auto split = static_cast<std::size_t>(d.exponent10 + 1);
        integerPart = d.digits.substr(0, std::min(split, d.digits.size()));
        integerPart.resize(split, '0');
        if (split < d.digits.size())
            fraction = d.digits.substr(split);
    } else {
        integerPart = "0";
        fraction = std::string(static_cast<std::size_t>(-d.exponent10 - 1), '0') + d.digits;
    }
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();

    std::string out = negative ? "-" : "";
    out += Grouped(integerPart, groupChar);
    if (!fraction.empty()) {
        out.push_back(decimalChar);
        out += fraction;
    }
    return out;
}

} // namespace engine
