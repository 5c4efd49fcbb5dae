#pragma once
// Helpers for the decimal tests: values written as digits and an exponent, and the byte form.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "decimal/StBCD.h"

namespace bcdtest {

// d1.d2...dn x 10^exponent10, packed by hand (independent of the library's own packing).
// "-" before the digits makes it negative; "0" gives zero.
inline TBcd Value(std::string_view digits, int exponent10 = 0)
{
    TBcd v;
    bool negative = false;
    if (!digits.empty() && digits[0] == '-') {
        negative = true;
        digits.remove_prefix(1);
    }
    if (digits == "0")
        return v;
    std::uint8_t d[18] = {};
    for (std::size_t i = 0; i < digits.size() && i < 18; ++i)
        d[i] = static_cast<std::uint8_t>(digits[i] - '0');
    v.bytes[0] = static_cast<std::uint8_t>((negative ? 0x80 : 0) | (exponent10 + 64));
    for (int k = 0; k < 9; ++k) // byte 9 holds d1 (high) and d2 (low); byte 1 holds d17 and d18
        v.bytes[9 - k] = static_cast<std::uint8_t>((d[2 * k] << 4) | d[2 * k + 1]);
    return v;
}

inline std::string Hex(const TBcd& v)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string s;
    for (const std::uint8_t b : v.bytes) {
        s.push_back(hex[b >> 4]);
        s.push_back(hex[b & 0x0F]);
    }
    return s;
}

// The error code an expression raises, or nullopt.
template<typename F>
std::optional<std::int32_t> ErrorOf(F&& f)
{
    try {
        f();
    } catch (const EStBCDError& e) {
        return e.ErrorId;
    }
    return std::nullopt;
}

} // namespace bcdtest
