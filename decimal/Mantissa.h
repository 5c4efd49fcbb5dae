#pragma once
// Internal to the decimal library: a TBcd's 18 digits as one binary integer, and back.
//
// The arithmetic computes on these integers because they make the same digits as the register
// algorithms in a fraction of the time: 18 digits fit a 64-bit integer, a product of two fits 128 bits.

#include <array>
#include <cstdint>

#include "decimal/StBCD.h"

namespace stbcd::detail {

using u64 = std::uint64_t;
__extension__ using u128 = unsigned __int128;

inline constexpr std::array<u64, 20> Pow10 = [] {
    std::array<u64, 20> p{};
    u64 v = 1;
    for (auto& e : p) {
        e = v;
        v *= 10;
    }
    return p;
}();

inline constexpr u64 MantissaLimit = Pow10[18]; // mantissas lie in [1E17, 1E18)

// Digits d1..d18 as the integer d1 d2 ... d18.
inline u64 UnpackMantissa(const TBcd& v)
{
    // Bytes 1..8 as one little-endian word: digits d18 (lowest nibble) up to d3.
    u64 x = 0;
    for (int k = 8; k >= 1; --k)
        x = (x << 8) | v.bytes[k];
    x = (x & 0x0F0F0F0F0F0F0F0FULL) + ((x >> 4) & 0x0F0F0F0F0F0F0F0FULL) * 10;
    x = (x & 0x00FF00FF00FF00FFULL) + ((x >> 8) & 0x00FF00FF00FF00FFULL) * 100;
    x = (x & 0x0000FFFF0000FFFFULL) + ((x >> 16) & 0x0000FFFF0000FFFFULL) * 10000;
    x = (x & 0xFFFFFFFFULL) + (x >> 32) * 100000000ULL;
    const unsigned top = v.bytes[9];
    return ((top >> 4) * 10 + (top & 0x0F)) * Pow10[16] + x;
}

inline constexpr std::array<std::uint8_t, 100> PackedPairs = [] {
    std::array<std::uint8_t, 100> t{};
    for (unsigned i = 0; i < 100; ++i)
        t[i] = static_cast<std::uint8_t>(((i / 10) << 4) | (i % 10));
    return t;
}();

// Four digit pairs of a number below 1E8, lowest pair first.
constexpr void PackEight(std::uint32_t v, std::uint8_t* out)
{
    const std::uint32_t hi = v / 10000, lo = v % 10000;
    out[0] = PackedPairs[lo % 100];
    out[1] = PackedPairs[lo / 100];
    out[2] = PackedPairs[hi % 100];
    out[3] = PackedPairs[hi / 100];
}

// A TBcd from a mantissa in [1E17, 1E18), an exponent and a sign. E of 0 or less gives zero;
// callers have rejected E above 127.
constexpr TBcd PackValue(u64 m, int E, bool negative)
{
    TBcd r;
    if (E <= 0)
        return r;
    r.bytes[0] = static_cast<std::uint8_t>((negative ? 0x80 : 0) | E);
    const u64 low16 = m % Pow10[16];
    r.bytes[9] = PackedPairs[m / Pow10[16]];
    PackEight(static_cast<std::uint32_t>(low16 % 100000000ULL), &r.bytes[1]);
    PackEight(static_cast<std::uint32_t>(low16 / 100000000ULL), &r.bytes[5]);
    return r;
}

// Number of decimal digits of a non-zero x.
inline int DecimalDigits(u64 x)
{
    const int bits = 64 - __builtin_clzll(x);
    const int guess = (bits * 1233) >> 12; // floor(bits * log10(2))
    return guess + (x >= Pow10[guess] ? 1 : 0);
}

// x / 10^k for k in 0..19, each case a division by a constant.
inline u64 DivPow10(u64 x, int k)
{
    switch (k) {
    case 0:
        return x;
    case 1:
        return x / Pow10[1];
    case 2:
        return x / Pow10[2];
    case 3:
        return x / Pow10[3];
    case 4:
        return x / Pow10[4];
    case 5:
        return x / Pow10[5];
    case 6:
        return x / Pow10[6];
    case 7:
        return x / Pow10[7];
    case 8:
        return x / Pow10[8];
    case 9:
        return x / Pow10[9];
    case 10:
        return x / Pow10[10];
    case 11:
        return x / Pow10[11];
    case 12:
        return x / Pow10[12];
    case 13:
        return x / Pow10[13];
    case 14:
        return x / Pow10[14];
    case 15:
        return x / Pow10[15];
    case 16:
        return x / Pow10[16];
    case 17:
        return x / Pow10[17];
    case 18:
        return x / Pow10[18];
    default:
        return x / Pow10[19];
    }
}

// floor(n / d) for a quotient known to fit 64 bits, with the remainder.
inline u64 DivideWide(u128 n, u64 d, u64& remainder)
{
#if defined(__x86_64__)
    u64 q, r;
    const u64 hi = static_cast<u64>(n >> 64), lo = static_cast<u64>(n);
    __asm__("divq %4" : "=a"(q), "=d"(r) : "a"(lo), "d"(hi), "rm"(d));
    remainder = r;
    return q;
#else
    const u64 q = static_cast<u64>(n / d);
    remainder = static_cast<u64>(n - static_cast<u128>(q) * d);
    return q;
#endif
}

} // namespace stbcd::detail
