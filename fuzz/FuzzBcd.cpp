// The decimal type on arbitrary text: conversions, arithmetic and picture formatting never crash,
// raise only their documented codes, and keep the value form (normalised, no negative zero).

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "decimal/StBCD.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// A value is zero (ten zero bytes) or normalised with a non-zero first digit and valid BCD nibbles.
void CheckForm(const TBcd& v)
{
    if (v.bytes[0] == 0) {
        for (const std::uint8_t b : v.bytes)
            Check(b == 0);
        return;
    }
    Check((v.bytes[9] >> 4) != 0);
    for (int k = 1; k <= 9; ++k)
        Check((v.bytes[k] & 0x0F) <= 9 && (v.bytes[k] >> 4) <= 9);
}

void Try(auto&& f, std::initializer_list<int> codes)
{
    try {
        f();
    } catch (const EStBCDError& e) {
        bool known = false;
        for (const int c : codes)
            known = known || e.ErrorId == c;
        Check(known);
    }
}

// A whole number in decimal, saturated at the limits of int; 0 when there is none.
int Number(std::string_view text)
{
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range)
        return text.starts_with('-') ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    return static_cast<int>(
        std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Fields separated by newlines: a text, another text, a mask, a width and a number of places
    // (whole numbers of any size and sign; missing ones are 0).
    std::string_view rest = input;
    const auto field = [&rest] {
        const std::size_t end = rest.find('\n');
        const std::string_view f = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        return f;
    };
    const std::string_view first = field();
    const std::string_view second = field();
    const std::string_view mask = field();
    const int width = Number(field());
    const int places = Number(field());

    TBcd x{}, y{};
    Try([&] { x = BcdFromText(first); }, {81, 82});
    Try([&] { y = BcdFromText(second); }, {81, 82});
    CheckForm(x);
    CheckForm(y);
    Try([&] { CheckForm(BcdAdd(x, y)); }, {82});
    Try([&] { CheckForm(BcdSubtract(x, y)); }, {82});
    Try([&] { CheckForm(BcdMultiply(x, y)); }, {82});
    Try([&] { CheckForm(BcdDivide(x, y)); }, {82, 83});
    Try([&] { CheckForm(BcdSqrt(x)); }, {84});
    Try([&] { Check(FormatBcd(mask, x).size() <= 256); }, {85});
    // The general form reads back as the value: exactly in exponent notation, rounded to 18
    // decimals in fixed notation (from 1E-5 up to 1E+18).
    const std::string general = BcdToGeneral(x);
    const int E = x.bytes[0] & 0x7F;
    const bool fixed = x.bytes[0] == 0 || (E >= 59 && E <= 81);
    Try([&] { Check(BcdFromText(general) == (fixed ? BcdFromText(BcdToFixed(x, 0, 18)) : x)); }, {});
    Check(BcdToExponent(x, 0).size() == 24);

    // Any width and places: exactly `width` characters when one is asked for, else at most a sign,
    // 64 integer digits, the separator and the places; only the characters of a number (or
    // asterisks when it does not fit).
    const std::string text = BcdToFixed(x, width, places);
    const int w = std::clamp(width, 0, MaxTextWidth);
    const int p = std::clamp(places, 0, MaxTextWidth);
    Check(w > 0 ? text.size() == static_cast<std::size_t>(w)
                : text.size() <= static_cast<std::size_t>(p + 66));
    Check(text.find_first_not_of(" -0123456789.*") == std::string::npos);
    Check(BcdToExponent(x, width).size() ==
          static_cast<std::size_t>(width == 0 ? 24 : std::clamp(width, 8, MaxTextWidth)));
    return 0;
}
