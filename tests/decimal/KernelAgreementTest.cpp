// The fast arithmetic against the digit-register algorithms it stands in for: same bytes, same
// errors, over structured and random operands.

#include "tests/decimal/BcdReference.h"

#include <functional>
#include <random>

#include <gtest/gtest.h>

#include "BcdTestUtil.h"
#include "decimal/Mantissa.h"

using bcdtest::Hex;

namespace {

using Operation = std::function<TBcd(const TBcd&, const TBcd&)>;

// Digits that sit on the edges: runs of nines, powers of ten, halves, and random filler.
std::string StructuredDigits(std::mt19937_64& rng)
{
    std::uniform_int_distribution<int> pick(0, 7), len(1, 18), digit(0, 9);
    const int n = len(rng);
    std::string s;
    switch (pick(rng)) {
    case 0:
        s = std::string(static_cast<std::size_t>(n), '9');
        break;
    case 1:
        s = "1" + std::string(static_cast<std::size_t>(n - 1), '0');
        break;
    case 2:
        s = std::string(static_cast<std::size_t>(n - 1), '9') + "5";
        break;
    case 3:
        s = "5" + std::string(static_cast<std::size_t>(n - 1), '0');
        break;
    case 4:
        s = "4" + std::string(static_cast<std::size_t>(n - 1), '9');
        break;
    default:
        s.push_back(static_cast<char>('1' + digit(rng) % 9));
        while (static_cast<int>(s.size()) < n)
            s.push_back(static_cast<char>('0' + digit(rng)));
    }
    return s;
}

TBcd RandomValue(std::mt19937_64& rng, int exponentLow = -63, int exponentHigh = 63)
{
    std::uniform_int_distribution<int> e(exponentLow, exponentHigh), coin(0, 1), zero(0, 40);
    if (zero(rng) == 0)
        return TBcd{};
    const std::string digits = (coin(rng) ? "-" : "") + StructuredDigits(rng);
    return bcdtest::Value(digits, e(rng));
}

// Either the result's bytes or the error code, for comparison.
std::string Outcome(const Operation& op, const TBcd& a, const TBcd& b)
{
    try {
        return Hex(op(a, b));
    } catch (const EStBCDError& e) {
        return "error " + std::to_string(e.ErrorId);
    }
}

void ExpectAgreement(const char* name, const Operation& fast, const Operation& reference, int exponentGap)
{
    std::mt19937_64 rng(20261208);
    std::uniform_int_distribution<int> gap(0, exponentGap), coin(0, 1);
    int mismatches = 0;
    for (int i = 0; i < 300000 && mismatches < 10; ++i) {
        const TBcd a = RandomValue(rng);
        TBcd b = RandomValue(rng);
        if (coin(rng) && !(a.bytes[0] == 0) && !(b.bytes[0] == 0)) {
            // Put b a chosen number of orders below or above a, inside the range when possible.
            const int ea = a.bytes[0] & 0x7F;
            int eb = ea + (coin(rng) ? gap(rng) : -gap(rng));
            eb = std::clamp(eb, 1, 127);
            b.bytes[0] = static_cast<std::uint8_t>((b.bytes[0] & 0x80) | eb);
        }
        const std::string got = Outcome(fast, a, b), want = Outcome(reference, a, b);
        if (got != want) {
            ++mismatches;
            ADD_FAILURE() << name << " " << Hex(a) << " " << Hex(b) << ": fast " << got << ", register "
                          << want;
        }
    }
}

TEST(KernelAgreement, AddMatchesTheRegisterAlgorithm)
{
    ExpectAgreement("add", BcdAdd, stbcd::RegisterAdd, 21);
}

TEST(KernelAgreement, SubtractMatchesTheRegisterAlgorithm)
{
    ExpectAgreement(
        "sub", BcdSubtract, [](const TBcd& a, const TBcd& b) { return stbcd::RegisterAdd(a, BcdNegate(b)); },
        21);
}

TEST(KernelAgreement, MultiplyMatchesTheRegisterAlgorithm)
{
    ExpectAgreement("mul", BcdMultiply, stbcd::RegisterMultiply, 64);
}

TEST(KernelAgreement, DivideMatchesTheRegisterAlgorithm)
{
    ExpectAgreement("div", BcdDivide, stbcd::RegisterDivide, 64);
}

// The reciprocal division that aligns the smaller operand, at every power and on the edges where a
// reciprocal rounded the wrong way would be off by one: just below and at each multiple, and at the
// top of its range.
TEST(KernelAgreement, DivisionByAPowerOfTenIsExactBelow2To60)
{
    using stbcd::detail::DivPow10;
    using stbcd::detail::Pow10;
    constexpr std::uint64_t top = (std::uint64_t{1} << 60) - 1;
    std::mt19937_64 rng(7);
    for (int k = 0; k <= 18; ++k) {
        const std::uint64_t d = Pow10[k];
        std::vector<std::uint64_t> xs{0, 1, d - 1, d, d + 1, top, top - top % d, top - top % d - 1};
        for (int i = 0; i < 2000; ++i) {
            const std::uint64_t multiple = (rng() % (top / d + 1)) * d;
            xs.push_back(multiple);
            if (multiple > 0)
                xs.push_back(multiple - 1);
        }
        for (const std::uint64_t x : xs)
            ASSERT_EQ(DivPow10(x, k), x / d) << "x = " << x << ", k = " << k;
    }
}

} // namespace
