#pragma once
// TBcd: the calculator's number type, an 18-digit decimal floating-point value.
//
// Contract
// - Representation: ten bytes. Byte 0 holds the sign in bit 7 (1 = negative) and the biased exponent
//   E (1..127) in bits 0-6; bytes 1..9 hold 18 packed BCD digits, two per byte, rising significance:
//   byte 1's low nibble is the 18th (least significant) digit, byte 9's high nibble the first.
//   Value = (-1)^sign x 0.d1 d2 ... d18 x 10^(E - 63).
// - Digits: every non-zero value is normalised (d1 is not 0). Decimal fractions such as 0.1 are exact.
// - Zero: ten zero bytes; byte 0 alone tells (byte 0 == 0). There is no negative zero: every operation
//   that yields zero yields ten zero bytes.
// - Range: 1E-63 up to 9.99999999999999999E+63 in magnitude. A result of 1E+64 or more raises code 82;
//   a result below 1E-63 becomes zero without an error.
// - Rounding: half up on the magnitude, decided by the single digit below the last one kept (the guard
//   digit); digits below it never matter. Addition first rounds the smaller operand to the larger one's
//   guard place; a difference of operands with unlike signs is truncated. Division truncates when the
//   mantissa quotient is below 1 and rounds otherwise. The square root is correctly rounded (half up
//   at the 18th digit; a perfect square gives its exact root).
// - Texts are 8-bit. The decimal and thousands separators are the caller's (TBcdSeparators), the C
//   convention when not given.
// - Errors: every failing operation raises EStBCDError; ErrorId selects the message:
//     81 "Bad BCD format"                             BcdFromText
//     82 "BCD larger than 10**64"                     BcdFromText, BcdAdd, BcdSubtract, BcdMultiply,
//                                                     BcdDivide
//     83 "BCD divide by zero"                         BcdDivide
//     84 "BCD negative input to sqrt, ln, or power"   BcdSqrt
//     85 "Buffer overflow in FormatBcd"               FormatBcd
//   Arguments are never modified; a result is returned only on success.
// - Cost: arithmetic works on values held on the stack and allocates nothing; text results allocate
//   only their string.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/StException.h"

struct TBcd
{
    std::array<std::uint8_t, 10> bytes{};

    bool IsZero() const { return bytes[0] == 0; }
    bool IsNegative() const { return (bytes[0] & 0x80) != 0; }

    friend bool operator==(const TBcd&, const TBcd&) = default;
};

// The separators of number texts: the caller's locale, read once where the program starts.
struct TBcdSeparators
{
    char decimal = '.';
    char group = ',';

    friend bool operator==(const TBcdSeparators&, const TBcdSeparators&) = default;
};

class EStBCDError : public EStException
{
public:
    using EStException::EStException;
};

// Text to value: optional blanks, an optional sign, digits with at most one decimal separator,
// an optional exponent (E or e, optional sign, digits). Rounded half up to 18 significant digits by
// the 19th. Codes 81 (bad text) and 82 (1E+64 or more).
TBcd BcdFromText(std::string_view text, TBcdSeparators separators = {});

// The largest width and number of places the conversions below take: larger ones count as this.
inline constexpr int MaxTextWidth = 4096;

// Fixed notation, `width` characters (0: as wide as needed), `places` decimals (0: no separator).
// A value that does not fit gives `width` asterisks. Negative width and places count as 0.
std::string BcdToFixed(const TBcd& value, int width, int places, TBcdSeparators separators = {});

// Exponent notation d.ddd...E+xx, exactly `width` characters (0 means 24; at least 8).
std::string BcdToExponent(const TBcd& value, int width, TBcdSeparators separators = {});

// Fixed notation without trailing zeros from 1E-5 up to (not including) 1E+18 and for zero;
// exponent notation (1.5E+20, 1.234E-6) otherwise.
std::string BcdToGeneral(const TBcd& value, TBcdSeparators separators = {});

TBcd BcdNegate(const TBcd& a);
TBcd BcdAdd(const TBcd& a, const TBcd& b);
TBcd BcdSubtract(const TBcd& a, const TBcd& b);
TBcd BcdMultiply(const TBcd& a, const TBcd& b);
TBcd BcdDivide(const TBcd& a, const TBcd& b);
TBcd BcdSqrt(const TBcd& a);

// How BcdRound rounds the magnitude: half away from zero (5/4), away from zero (up), towards zero
// (down).
enum class TBcdRounding : std::uint8_t
{
    HalfUp,
    Up,
    Down,
};

// The value rounded to `places` decimals (0 to 63) by `mode`; exact where it has no more decimals.
// (A value with decimals is below 1E+18: rounding never overflows.)
TBcd BcdRound(const TBcd& value, int places, TBcdRounding mode);

// Picture formatting: `#` optional and `0` required digit placeholders, the thousands and decimal
// separators, quoted literals, exponent parts (E+00), and up to three sections separated by
// `;` (positive; negative; zero). At most 256 characters of output (code 85).
std::string FormatBcd(std::string_view mask, const TBcd& value, TBcdSeparators separators = {});
