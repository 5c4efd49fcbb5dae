#pragma once
// The arithmetic written step by step on digit registers, one decimal digit per cell, exactly as the
// adding machine's algorithms run. The public operations (BcdAdd, BcdMultiply, BcdDivide) compute the
// same digits on binary integers, several times faster; these stay as the reference that the tests
// compare them with, and that the benchmark measures them against.

#include "decimal/StBCD.h"

namespace stbcd {

TBcd RegisterAdd(const TBcd& a, const TBcd& b);
TBcd RegisterMultiply(const TBcd& a, const TBcd& b);
TBcd RegisterDivide(const TBcd& a, const TBcd& b);

} // namespace stbcd
