#include "engine/FloatText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace engine {
namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
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
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b]))
        ++b;
    while (e > b && IsBlank(text[e - 1]))
        --e;
    text = text.substr(b, e - b);

    // Check the grammar, and write the number as the locale-free conversion reads it.
    std::string plain;
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int mantissaDigits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            plain.push_back(c);
            ++mantissaDigits;
        } else if (c == decimalChar && !point) {
            plain.push_back('.');
            point = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        plain.push_back('e');
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            plain.push_back(text[i++]);
        const std::size_t digitsStart = i;
        while (i < text.size() && IsDigit(text[i]))
            plain.push_back(text[i++]);
        if (i == digitsStart)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;

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
