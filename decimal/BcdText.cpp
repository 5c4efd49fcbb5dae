// Conversions between TBcd and text.

#include "decimal/StBCD.h"

#include <algorithm>
#include <cstdint>

#include "decimal/DigitRegister.h"

using namespace stbcd;

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// An exponent's digits are accumulated up to this bound and then held there: a larger magnitude
// already puts any value far outside the range, and nothing can wrap around.
constexpr std::int64_t ExponentClamp = 1'000'000'000'000;

} // namespace

TBcd BcdFromText(std::string_view text, TBcdSeparators separators)
{
    const char D = separators.decimal;
    std::size_t pos = 0;
    // Past the end reads as code 0: neither digit, sign, separator nor letter.
    auto at = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };

    DigitRegister W{};
    int next = 18;          // next digit cell
    bool rounded = false;   // the 19th significant digit has been taken
    std::int64_t count = 0; // integer digits, or minus the leading zeros of a fraction
    bool negative = false;

    auto accept = [&](char c) {
        const auto digit = static_cast<std::uint8_t>(c - '0');
        if (next >= 1) {
            W[next--] = digit;
        } else if (!rounded) {
            W[0] = digit;
            rounded = true;
            RoundRegister(W, 0);
            if (W[19] != 0) {
                ShiftRegisterDown(W, 1);
                ++count;
            }
        }
    };

    while (at(pos) == ' ')
        ++pos;
    if (at(pos) == '+') {
        ++pos;
    } else if (at(pos) == '-') {
        negative = true;
        ++pos;
    }

    if (at(pos) != D) {
        if (!IsDigit(at(pos)))
            throw EStBCDError(stcodes::BcdBadFormat);
        while (at(pos) == '0')
            ++pos;
        while (IsDigit(at(pos))) {
            accept(at(pos++));
            ++count;
        }
    }
    if (at(pos) == D) {
        ++pos;
        if (count == 0) {
            while (at(pos) == '0') {
                ++pos;
                --count;
            }
        }
        while (IsDigit(at(pos)))
            accept(at(pos++));
    }

    std::int64_t x = 0;
    if (at(pos) == 'E' || at(pos) == 'e') {
        ++pos;
        bool exponentNegative = false;
        if (at(pos) == '+') {
            ++pos;
        } else if (at(pos) == '-') {
            exponentNegative = true;
            ++pos;
        }
        if (!IsDigit(at(pos)))
            throw EStBCDError(stcodes::BcdBadFormat);
        while (IsDigit(at(pos))) {
            x = std::min(x * 10 + (at(pos++) - '0'), ExponentClamp);
        }
        if (exponentNegative)
            x = -x;
    }

    if (pos < text.size())
        throw EStBCDError(stcodes::BcdBadFormat);

    const std::int64_t E = 63 + count + x;
    if (E > MaxExponent)
        throw EStBCDError(stcodes::BcdOverflow);
    if (E <= 0 || std::all_of(W.begin(), W.begin() + 19, [](std::uint8_t d) { return d == 0; }))
        return TBcd{};
    return FromRegister(W, static_cast<int>(E), negative);
}

namespace {

// Magnitudes below 1 with no decimal places: the value rounded half up to 0 or 1.
std::string FixedBelowOneWithoutPlaces(const Unpacked& u, int width)
{
    const bool one = u.E == 63 && u.W[18] >= 5;
    std::string digits = one ? (u.negative ? "-1" : "1") : "0";
    const int length = static_cast<int>(digits.size());
    if (width == 0)
        return digits;
    if (length > width)
        return std::string(static_cast<std::size_t>(width), '*');
    return std::string(static_cast<std::size_t>(width - length), ' ') + digits;
}

} // namespace

std::string BcdToFixed(const TBcd& value, int width, int places, TBcdSeparators separators)
{
    width = std::clamp(width, 0, MaxTextWidth);
    places = std::clamp(places, 0, MaxTextWidth);
    const char D = separators.decimal;

    Unpacked u = ToRegister(value);
    if (IsZero(value))
        u.E = UnitExponent;
    if (places == 0 && u.E < UnitExponent)
        return FixedBelowOneWithoutPlaces(u, width);

    DigitRegister& W = u.W;
    int E = u.E;
    const int integerPlaces = E > UnitExponent ? E - 63 : 1;
    int L = integerPlaces + places + (places >= 1 ? 1 : 0) + (u.negative ? 1 : 0);

    int n = E < UnitExponent ? std::max(places - (63 - E), 0) : integerPlaces + places;
    if (n < 18) {
        RoundRegister(W, 18 - n);
        if (W[19] != 0) {
            ShiftRegisterDown(W, 1);
            ++E;
            ++n;
            if (E > UnitExponent)
                ++L;
        }
    } else {
        n = 18;
    }

    if (width == 0)
        width = L;
    if (L > width)
        return std::string(static_cast<std::size_t>(width), '*');

    std::string out;
    out.reserve(static_cast<std::size_t>(width));
    const auto full = [&] { return static_cast<int>(out.size()) >= width; };
    // 1-based position of the separator; 0 when there is none.
    const int separatorAt = places >= 1 ? width - places : 0;
    const auto put = [&](char c) {
        if (static_cast<int>(out.size()) + 1 == separatorAt)
            out.push_back(D);
        if (!full())
            out.push_back(c);
    };

    out.append(static_cast<std::size_t>(width - L), ' ');
    if (u.negative)
        out.push_back('-');
    if (E < UnitExponent) {
        // Magnitude below 1: "0", the separator, then the zeros that lead the fraction.
        out.push_back('0');
        if (!full())
            out.push_back(D);
        for (int i = 0; i < 63 - E && !full(); ++i)
            out.push_back('0');
    }
    for (int i = 0, cell = 18; i < n && !full(); ++i, --cell)
        put(static_cast<char>('0' + W[cell]));
    while (!full())
        put('0');
    return out;
}

std::string BcdToExponent(const TBcd& value, int width, TBcdSeparators separators)
{
    if (width == 0)
        width = 24;
    width = std::clamp(width, 8, MaxTextWidth);
    const char D = separators.decimal;

    Unpacked u = ToRegister(value);
    DigitRegister& W = u.W;
    int E = u.E;
    const bool zero = IsZero(value);

    std::string out;
    out.reserve(static_cast<std::size_t>(width));
    if (width > 24)
        out.append(static_cast<std::size_t>(width - 24), ' ');
    out.push_back(u.negative ? '-' : ' ');
    if (zero) {
        E = UnitExponent;
    } else if (width < 24) {
        RoundRegister(W, 24 - width);
        if (W[19] != 0) {
            ShiftRegisterDown(W, 1);
            ++E;
        }
    }

    // Positions counted within the last 24 (or fewer) characters, 1-based.
    const int body = std::min(width, 24);
    out.push_back(static_cast<char>('0' + W[18]));
    out.push_back(D);
    for (int position = 4, cell = 17; position < body - 3; ++position, --cell)
        out.push_back(static_cast<char>('0' + W[cell]));

    const int shown = E >= UnitExponent ? E - UnitExponent : UnitExponent - E;
    out.push_back('E');
    out.push_back(E >= UnitExponent ? '+' : '-');
    out.push_back(static_cast<char>('0' + shown / 10 % 10));
    out.push_back(static_cast<char>('0' + shown % 10));
    return out;
}

std::string BcdToGeneral(const TBcd& value, TBcdSeparators separators)
{
    const char D = separators.decimal;
    const int E = value.bytes[0] & 0x7F;

    if (IsZero(value) || (E >= 59 && E <= 81)) {
        std::string s = BcdToFixed(value, 0, 18, separators);
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == D)
            s.pop_back();
        return s;
    }

    std::string s = BcdToExponent(value, 0, separators);
    if (!s.empty() && s.front() == ' ')
        s.erase(0, 1);
    const std::size_t e = s.find('E');
    if (s[e + 2] == '0')
        s.erase(e + 2, 1);
    std::size_t end = e;
    while (end > 0 && s[end - 1] == '0')
        --end;
    if (end > 0 && s[end - 1] == D)
        --end;
    s.erase(end, e - end);
    return s;
}
