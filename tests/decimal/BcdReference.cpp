#include "tests/decimal/BcdReference.h"

#include <algorithm>

#include "decimal/DigitRegister.h"

namespace stbcd {
namespace {

[[noreturn]] void Raise(std::int32_t code)
{
    throw EStBCDError(code);
}

} // namespace

int NormalizeRegister(DigitRegister& W, int E)
{
    int top = 18;
    while (top >= 0 && W[top] == 0)
        --top;
    if (top < 0)
        return 0;
    const int z = 18 - top;
    if (z >= E) {
        std::fill(W.begin(), W.begin() + 19, std::uint8_t{0});
        return 0;
    }
    if (z == 0)
        return E;
    std::copy_backward(W.begin(), W.begin() + top + 1, W.begin() + 19);
    std::fill(W.begin(), W.begin() + z, std::uint8_t{0});
    return E - z;
}

TBcd RegisterAdd(const TBcd& a, const TBcd& b)
{
    if (IsZero(a))
        return b;
    if (IsZero(b))
        return a;
    Unpacked x = ToRegister(a), y = ToRegister(b);
    DigitRegister& Wa = x.W;
    DigitRegister& Wb = y.W;
    int Eb = y.E;
    bool sb = y.negative;

    // Alignment: the operand with the smaller exponent is rounded into the guard cell.
    if (x.E < Eb) {
        const int d = Eb - x.E;
        RoundRegister(Wa, d - 1);
        ShiftRegisterDown(Wa, d);
    } else if (Eb < x.E) {
        const int d = x.E - Eb;
        RoundRegister(Wb, d - 1);
        ShiftRegisterDown(Wb, d);
        Eb = x.E;
    }

    if (x.negative == sb) {
        int carry = 0;
        for (int i = 0; i <= 18; ++i) {
            const int v = Wa[i] + Wb[i] + carry;
            Wb[i] = static_cast<std::uint8_t>(v % 10);
            carry = v / 10;
        }
        Wb[19] = static_cast<std::uint8_t>(Wb[19] + carry);
        if (Wb[19] == 0)
            RoundRegister(Wb, 0);
        if (Wb[19] != 0) {
            RoundRegister(Wb, 1);
            ShiftRegisterDown(Wb, 1);
            ++Eb;
            if (Eb > MaxExponent)
                Raise(stcodes::BcdOverflow);
        }
    } else {
        int borrow = 0;
        for (int i = 0; i <= 18; ++i) {
            int v = Wb[i] - Wa[i] - borrow;
            borrow = v < 0 ? 1 : 0;
            Wb[i] = static_cast<std::uint8_t>(v + 10 * borrow);
        }
        Wb[19] = static_cast<std::uint8_t>(borrow);
        if (Wb[19] != 0) {
            sb = !sb;
            Wb[19] = 0;
            borrow = 0;
            for (int i = 0; i <= 18; ++i) {
                int v = 0 - Wb[i] - borrow;
                borrow = v < 0 ? 1 : 0;
                Wb[i] = static_cast<std::uint8_t>(v + 10 * borrow);
            }
        }
        Eb = NormalizeRegister(Wb, Eb);
    }
    return FromRegister(Wb, Eb, sb);
}

TBcd RegisterMultiply(const TBcd& a, const TBcd& b)
{
    if (IsZero(a) || IsZero(b))
        return TBcd{};
    const Unpacked x = ToRegister(a), y = ToRegister(b);

    std::array<std::uint8_t, 40> P{};
    for (int k = 1; k <= 18; ++k) {
        if (x.W[k] == 0)
            continue;
        int c = 0;
        for (int j = 1; j <= 18; ++j) {
            const int v = x.W[k] * y.W[j] + P[k + j - 1] + c;
            P[k + j - 1] = static_cast<std::uint8_t>(v % 10);
            c = v / 10;
        }
        P[k + 18] = static_cast<std::uint8_t>(c);
    }

    // The result register is a 20-cell window on P: W[0] = P[base] ... W[19] = P[base + 19].
    int base = P[36] != 0 ? 18 : 17;
    int adjustment = P[36] != 0 ? 0 : -1;
    DigitRegister W;
    std::copy(P.begin() + base, P.begin() + base + 20, W.begin());
    RoundRegister(W, 0);
    if (W[19] != 0) {
        // The window moves up one cell.
        ShiftRegisterDown(W, 1);
        ++adjustment;
    }
    const int E = x.E + y.E - 63 + adjustment;
    if (E > MaxExponent)
        Raise(stcodes::BcdOverflow);
    return FromRegister(W, E, x.negative != y.negative);
}

TBcd RegisterDivide(const TBcd& a, const TBcd& b)
{
    if (IsZero(b))
        Raise(stcodes::BcdDivByZero);
    if (IsZero(a))
        return TBcd{};
    Unpacked x = ToRegister(a);
    const Unpacked y = ToRegister(b);
    const DigitRegister& Wb = y.W;

    std::array<std::uint8_t, 40> R{};
    for (int i = 1; i <= 19; ++i)
        R[19 + i] = x.W[i];

    int m = 1;
    while (m <= 19 && Wb[m] == 0)
        ++m;
    if (m > 19)
        Raise(stcodes::BcdDivByZero);
    const int n = 19 - m;

    // Window R[t-n+1..t] (with R[t+1] above it) against the divisor's n digits Wb[18..19-n].
    auto windowAtLeastDivisor = [&](int t) {
        if (R[t + 1] != 0)
            return true;
        for (int i = 0; i < n; ++i) {
            if (R[t - i] != Wb[18 - i])
                return R[t - i] > Wb[18 - i];
        }
        return true;
    };

    DigitRegister& Q = x.W; // the quotient overwrites the dividend
    int t = 37;
    for (int cell = 19; cell >= 1; --cell, --t) {
        int q = 0;
        while (windowAtLeastDivisor(t)) {
            int borrow = 0;
            for (int i = 0; i < n; ++i) {
                const int pos = t - n + 1 + i;
                int v = R[pos] - Wb[19 - n + i] - borrow;
                borrow = v < 0 ? 1 : 0;
                R[pos] = static_cast<std::uint8_t>(v + 10 * borrow);
            }
            if (borrow != 0)
                --R[t + 1];
            ++q;
        }
        Q[cell] = static_cast<std::uint8_t>(q);
    }
    Q[0] = 0;

    int E = x.E;
    if (Q[19] != 0) {
        RoundRegister(Q, 1);
        ShiftRegisterDown(Q, 1);
        ++E;
    }
    E = E - y.E + 63;
    if (E > MaxExponent)
        Raise(stcodes::BcdOverflow);
    return FromRegister(Q, E, x.negative != y.negative);
}

} // namespace stbcd
