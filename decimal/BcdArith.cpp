// Arithmetic on TBcd values.
//
// Each operation computes on the 18 digits as a binary integer (Mantissa.h) and produces exactly
// the digits of the register algorithms in tests/decimal/BcdReference.cpp; the tests hold the two side by
// side. In the integer picture a register of 19 digits (18 digits and the guard below them) is the mantissa
// times ten plus the guard digit.

#include "decimal/StBCD.h"

#include <algorithm>
#include <cmath>

#include "decimal/DigitRegister.h"
#include "decimal/Mantissa.h"

using namespace stbcd;
using namespace stbcd::detail;

namespace {

constexpr u64 Pow19 = Pow10[19];

struct Operand
{
    u64 m; // d1 ... d18
    int E;
    bool negative;
};

Operand Split(const TBcd& v)
{
    return {UnpackMantissa(v), v.bytes[0] & 0x7F, (v.bytes[0] & 0x80) != 0};
}

[[noreturn]] void Raise(std::int32_t code)
{
    throw EStBCDError(code);
}

// The 19-digit register of an operand `d` orders below the other one, after it has been rounded half
// up into the other's guard cell. d = 1 moves it down exactly; 19 or more leaves nothing (a rounding
// carry included).
u64 AlignedRegister(u64 m, int d)
{
    if (d == 1)
        return m;
    if (d >= 19)
        return 0;
    return DivPow10(m + 5 * Pow10[d - 2], d - 1);
}

TBcd Finish(u64 m, int E, bool negative)
{
    if (E > MaxExponent)
        Raise(stcodes::BcdOverflow);
    return PackValue(m, E, negative);
}

} // namespace

TBcd BcdNegate(const TBcd& a)
{
    TBcd r = a;
    if (!IsZero(r))
        r.bytes[0] ^= 0x80;
    return r;
}

namespace {

// a + b, or a - b when `subtract`: the difference is the sum with b's sign turned, computed on the
// operands as they are (a negated copy of b would cost a store and reload of its ten bytes).
template<bool subtract>
TBcd AddSigned(const TBcd& a, const TBcd& b)
{
    if (IsZero(a))
        return subtract ? BcdNegate(b) : b;
    if (IsZero(b))
        return a;
    const Operand x = Split(a);
    Operand y = Split(b);
    if constexpr (subtract)
        y.negative = !y.negative;

    // The result is built on b's register, aligned to the larger exponent.
    u64 ra = x.m * 10, rb = y.m * 10;
    int E = y.E;
    bool negative = y.negative;
    if (x.E < y.E) {
        ra = AlignedRegister(x.m, y.E - x.E);
    } else if (y.E < x.E) {
        rb = AlignedRegister(y.m, x.E - y.E);
        E = x.E;
    }

    if (x.negative == y.negative) {
        // Magnitudes add. Without a carry out of the 19 digits the guard digit rounds; with one, the
        // lowest of the 19 digits rounds and the guard is dropped unseen.
        const u128 sum = static_cast<u128>(ra) + rb;
        u64 wide; // the sum without its guard digit when it carried, else the rounded 19 digits
        if (sum < Pow19) {
            u64 s = static_cast<u64>(sum);
            if (s % 10 >= 5)
                s += 10;
            if (s < Pow19)
                return Finish(s / 10, E, negative);
            wide = s / 10; // the rounding carried: 1E18 exactly, guard gone
        } else {
            wide = Pow10[18] + static_cast<u64>(sum - Pow19) / 10;
        }
        return Finish(wide / 10 + (wide % 10 >= 5 ? 1 : 0), E + 1, negative);
    }

    // Magnitudes subtract; the difference is truncated, or exact when leading zeros make room for
    // the guard digit.
    u64 diff;
    if (rb >= ra) {
        diff = rb - ra;
    } else {
        diff = ra - rb;
        negative = !negative;
    }
    if (diff == 0)
        return TBcd{};
    const int z = 19 - DecimalDigits(diff);
    if (z >= E)
        return TBcd{};
    const u64 m = z == 0 ? diff / 10 : diff * Pow10[z - 1];
    return PackValue(m, E - z, negative);
}

} // namespace

TBcd BcdAdd(const TBcd& a, const TBcd& b)
{
    return AddSigned<false>(a, b);
}

TBcd BcdSubtract(const TBcd& a, const TBcd& b)
{
    return AddSigned<true>(a, b);
}

TBcd BcdMultiply(const TBcd& a, const TBcd& b)
{
    if (IsZero(a) || IsZero(b))
        return TBcd{};
    const Operand x = Split(a), y = Split(b);

    // The exact product of two mantissas has 35 or 36 digits; keep 18, the 19th rounds half up.
    const u128 p = static_cast<u128>(x.m) * y.m;
    int adjust = 0;
    u64 rest;
    u64 m;
    if (p >= static_cast<u128>(Pow10[18]) * Pow10[17]) {
        m = DivideWide(p, Pow10[18], rest);
        m += rest >= 5 * Pow10[17] ? 1 : 0;
    } else {
        m = DivideWide(p, Pow10[17], rest);
        m += rest >= 5 * Pow10[16] ? 1 : 0;
        adjust = -1;
    }
    if (m == MantissaLimit) {
        m = Pow10[17];
        ++adjust;
    }
    return Finish(m, x.E + y.E - 63 + adjust, x.negative != y.negative);
}

TBcd BcdDivide(const TBcd& a, const TBcd& b)
{
    if (IsZero(b))
        Raise(stcodes::BcdDivByZero);
    if (IsZero(a))
        return TBcd{};
    const Operand x = Split(a), y = Split(b);

    // Long division develops the mantissa quotient's integer digit and 18 decimals exactly (floor).
    // A quotient of 1 or more is rounded half up to 18 digits by the 19th; one below 1 already has
    // its 18 digits and is truncated.
    u64 rest;
    const u64 q = DivideWide(static_cast<u128>(x.m) * Pow10[18], y.m, rest);
    int E = x.E - y.E + 63;
    u64 m = q;
    if (q >= MantissaLimit) {
        m = q / 10 + (q % 10 >= 5 ? 1 : 0);
        ++E;
    }
    return Finish(m, E, x.negative != y.negative);
}

namespace {

// floor(sqrt(n)) for n below 1E38 (so the root is below 2^64): Newton's iteration on integers,
// started above the root from the double estimate, falls monotonically to it.
u64 IntegerSqrt(u128 n)
{
    const double estimate = std::sqrt(static_cast<double>(n));
    u128 s = static_cast<u128>(estimate * (1 + 0x1p-40)) + 2; // never below the root
    for (;;) {
        u64 rest;
        const u128 next = (s + DivideWide(n, static_cast<u64>(s), rest)) / 2;
        if (next >= s)
            return static_cast<u64>(s);
        s = next;
    }
}

} // namespace

TBcd BcdSqrt(const TBcd& a)
{
    if ((a.bytes[0] & 0x80) != 0)
        Raise(stcodes::BcdBadInput);
    if (IsZero(a))
        return TBcd{};

    // a = 0.m x 10^k. With n = m x 10^18 for an even k, m x 10^17 for an odd one, the root's 18
    // digits are those of sqrt(n), and its guard digit the last of floor(sqrt(100 n)): rounding half
    // up by that digit is correct rounding, since a root of 18 digits and a 5 below is never exact.
    const int k = (a.bytes[0] & 0x7F) - 63;
    const bool odd = k % 2 != 0;
    const u128 n100 = static_cast<u128>(UnpackMantissa(a)) * Pow10[19] * (odd ? 1 : 10);
    const u64 g = IntegerSqrt(n100);
    u64 m = g / 10 + (g % 10 >= 5 ? 1 : 0);
    int E = 63 + (odd ? k + 1 : k) / 2;
    if (m == MantissaLimit) {
        m = Pow10[17];
        ++E;
    }
    return PackValue(m, E, false);
}

TBcd BcdRound(const TBcd& a, int places, TBcdRounding mode)
{
    if (IsZero(a))
        return a;
    places = std::clamp(places, 0, 63);
    const Operand x = Split(a);
    // x = m x 10^(E - 81): it has 81 - E decimals, of which k are dropped.
    const int k = 81 - x.E - places;
    if (k <= 0)
        return a;
    u64 q = k > 18 ? 0 : x.m / Pow10[k];
    const u64 rest = k > 18 ? x.m : x.m % Pow10[k];
    const bool up = mode == TBcdRounding::Up     ? rest != 0
                    : mode == TBcdRounding::Down ? false
                                                 : k <= 19 && rest >= 5 * Pow10[k - 1];
    q += up ? 1 : 0;
    if (q == 0)
        return TBcd{};
    // q x 10^-places, normalised to 18 digits.
    const int digits = DecimalDigits(q);
    return Finish(q * Pow10[18 - digits], digits - places + 63, x.negative);
}
