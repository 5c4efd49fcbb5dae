// The decimal type on arbitrary text: conversions, arithmetic and picture formatting never crash,
// raise only their documented codes, and keep the value form (normalised, no negative zero).

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "decimal/StBCD.h"
#include "platform/Locale.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const platform::ScopedSeparatorOverride separators('.', ',');
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Three fields separated by newlines: a text, another text, a mask.
    const std::size_t a = input.find('\n');
    const std::string_view first = input.substr(0, a);
    const std::string_view rest = a == std::string_view::npos ? std::string_view() : input.substr(a + 1);
    const std::size_t b = rest.find('\n');
    const std::string_view second = rest.substr(0, b);
    const std::string_view mask = b == std::string_view::npos ? std::string_view() : rest.substr(b + 1);

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
    return 0;
}
