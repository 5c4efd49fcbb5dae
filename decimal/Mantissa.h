#pragma once
// Internal to the decimal library: a TBcd's 18 digits as one binary integer, and back.
//
// The arithmetic computes on these integers because they make the same digits as the register
// algorithms in a fraction of the time: 18 digits fit a 64-bit integer, a product of two fits 128 bits.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

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
    u64 x;
    std::memcpy(&x, &v.bytes[1], sizeof x);
    if constexpr (std::endian::native == std::endian::big)
        x = __builtin_bswap64(x);
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

// x / 10^k for x below 2^60 and k in 0..18: one multiplication by a rounded-up reciprocal instead
// of a division. With m = ceil(2^(60 + l) / 10^k) and 2^l >= 10^k, m * 10^k exceeds 2^(60 + l) by
// less than 2^l, which keeps floor(x * m / 2^(60 + l)) exact for every x below 2^60.
struct Reciprocal
{
    u64 m;
    int shift;
};

inline constexpr std::array<Reciprocal, 19> Pow10Reciprocals = [] {
    std::array<Reciprocal, 19> t{};
    for (int k = 0; k < 19; ++k) {
        int l = 0;
        while ((u128{1} << l) < Pow10[k])
            ++l;
        const u128 n = u128{1} << (60 + l);
        t[k] = {static_cast<u64>((n + Pow10[k] - 1) / Pow10[k]), 60 + l};
    }
    return t;
}();

constexpr u64 DivPow10(u64 x, int k)
{
    const Reciprocal r = Pow10Reciprocals[k];
    return static_cast<u64>((static_cast<u128>(x) * r.m) >> r.shift);
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
