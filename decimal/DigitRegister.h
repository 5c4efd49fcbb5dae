#pragma once
// The unpacked working form of a TBcd and its five primitives. The text conversions and the picture
// formatter compute on it directly; so do the register algorithms the tests keep as reference.
//
// W[18] down to W[1] hold the digits d1 down to d18, one decimal digit per cell; W[0] is the guard
// cell one place below d18; W[19] is the carry cell above d1 (subtraction's borrow flag).

#include <array>
#include <cstdint>

#include "decimal/StBCD.h"

namespace stbcd {

using DigitRegister = std::array<std::uint8_t, 20>;

inline constexpr int MaxExponent = 127; // biased; the largest value is 9.99999999999999999E+63
inline constexpr int UnitExponent = 64; // biased exponent of the values from 1 to below 10

struct Unpacked
{
    DigitRegister W{};
    int E = 0;
    bool negative = false;
};

inline bool IsZero(const TBcd& v)
{
    return v.bytes[0] == 0;
}

// W[2k+1] and W[2k+2] from the low and high nibble of byte k+1; W[0] = W[19] = 0.
Unpacked ToRegister(const TBcd& value);

// Packs W[1]..W[18]; E of 0 or less gives zero whatever the sign. E must not exceed 127.
TBcd FromRegister(const DigitRegister& W, int E, bool negative);

// Rounds half up at cell p: W[p] decides, W[1]..W[p] are cleared (W[0] never), and a 1 is carried in
// at W[p+1], up through W[18] into W[19]. p above 18 clears W[1]..W[19].
void RoundRegister(DigitRegister& W, int p);

// Moves every cell down n places; cells below W[0] are lost, the top n become 0.
void ShiftRegisterDown(DigitRegister& W, int n);

} // namespace stbcd
