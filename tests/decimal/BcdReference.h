#pragma once
// The arithmetic written step by step on digit registers, one decimal digit per cell, exactly as the
// adding machine's algorithms run. The public operations (BcdAdd, BcdMultiply, BcdDivide) compute the
// same digits on binary integers, several times faster; these stay as the reference that the tests
// compare them with, and that the benchmark measures them against.

#include "decimal/DigitRegister.h"
#include "decimal/StBCD.h"

namespace stbcd {

TBcd RegisterAdd(const TBcd& a, const TBcd& b);
TBcd RegisterMultiply(const TBcd& a, const TBcd& b);
TBcd RegisterDivide(const TBcd& a, const TBcd& b);

// Moves the highest non-zero cell of W[18]..W[0] up to W[18] and returns the lowered exponent;
// returns 0 (with W[0]..W[18] cleared) for zero or when the exponent would fall to 0 or below.
int NormalizeRegister(DigitRegister& W, int E);

} // namespace stbcd
