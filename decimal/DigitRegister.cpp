#include "decimal/DigitRegister.h"

#include <algorithm>

namespace stbcd {

Unpacked ToRegister(const TBcd& value)
{
    Unpacked u;
    for (int k = 0; k < 9; ++k) {
        const std::uint8_t b = value.bytes[k + 1];
        u.W[2 * k + 1] = b & 0x0F;
        u.W[2 * k + 2] = b >> 4;
    }
    u.E = value.bytes[0] & 0x7F;
    u.negative = (value.bytes[0] & 0x80) != 0;
    return u;
}

TBcd FromRegister(const DigitRegister& W, int E, bool negative)
{
    TBcd r;
    if (E <= 0)
        return r;
    r.bytes[0] = static_cast<std::uint8_t>((negative ? 0x80 : 0) | E);
    for (int k = 0; k < 9; ++k)
        r.bytes[k + 1] = static_cast<std::uint8_t>(W[2 * k + 1] | (W[2 * k + 2] << 4));
    return r;
}

void RoundRegister(DigitRegister& W, int p)
{
    if (p > 18) {
        std::fill(W.begin() + 1, W.end(), std::uint8_t{0});
        return;
    }
    const std::uint8_t r = W[p];
    if (p >= 1)
        std::fill(W.begin() + 1, W.begin() + p + 1, std::uint8_t{0});
    if (r < 5)
        return;
    int i = p + 1;
    while (i <= 18 && W[i] == 9)
        W[i++] = 0;
    ++W[i]; // W[19] when the carry runs out of W[18]
}

void ShiftRegisterDown(DigitRegister& W, int n)
{
    if (n <= 0)
        return;
    if (n > 18) {
        W.fill(0);
        return;
    }
    std::copy(W.begin() + n, W.end(), W.begin());
    std::fill(W.end() - n, W.end(), std::uint8_t{0});
}

} // namespace stbcd
