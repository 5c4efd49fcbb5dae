#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "BcdTestUtil.h"

using bcdtest::ErrorOf;
using bcdtest::Hex;
using bcdtest::Value;

namespace {

class Arithmetic : public ::testing::Test
{
protected:
    static TBcd T(const char* text) { return BcdFromText(text); }
};

enum class Op
{
    Add,
    Sub,
    Mul,
    Div
};

const char* Name(Op op)
{
    switch (op) {
    case Op::Add:
        return "+";
    case Op::Sub:
        return "-";
    case Op::Mul:
        return "x";
    case Op::Div:
        return "/";
    }
    return "?";
}

TBcd Apply(Op op, const TBcd& a, const TBcd& b)
{
    switch (op) {
    case Op::Add:
        return BcdAdd(a, b);
    case Op::Sub:
        return BcdSubtract(a, b);
    case Op::Mul:
        return BcdMultiply(a, b);
    case Op::Div:
        return BcdDivide(a, b);
    }
    return {};
}

struct Case
{
    const char* a;
    Op op;
    const char* b;
    TBcd expected; // ignored when code is set
    int code = 0;
};

TEST_F(Arithmetic, BinaryOperationsRoundAsTheAddingMachineDoes)
{
    const Case cases[] = {
        // Addition and subtraction.
        {"0.1", Op::Add, "0.2", Value("3", -1)},
        {"5", Op::Sub, "5", TBcd{}},
        {"1", Op::Sub, "2", Value("-1")},
        {"-1", Op::Add, "-2", Value("-3")},
        {"-5", Op::Add, "5", TBcd{}},
        {"999999999999999999", Op::Add, "1", Value("1", 18)},
        {"999999999999999999", Op::Add, "0.5", Value("1", 18)}, // guard rounding carries
        {"999999999999999999", Op::Add, "0.4", Value("999999999999999999", 17)},
        {"999999999999999999", Op::Add, "999999999999999999", Value("2", 18)},
        {"999999999999999999", Op::Add, "999999999999999994", Value("199999999999999999", 18)},
        {"999999999999999999", Op::Add, "999999999999999996", Value("2", 18)}, // carry: lowest digit rounds
        {"1", Op::Add, "5E-18", Value("100000000000000001")},
        {"1", Op::Add, "4E-18", Value("1")},
        {"123456789012345678", Op::Add, "0.45", Value("123456789012345679", 17)},
        {"123456789012345678", Op::Add, "0.44", Value("123456789012345678", 17)},
        {"1", Op::Sub, "1E-18", Value("999999999999999999", -1)},
        {"1", Op::Sub, "6E-19", Value("1")}, // 19 orders smaller vanishes
        {"1", Op::Add, "9E-19", Value("1")},
        {"1", Op::Sub, "5E-18", Value("999999999999999995", -1)},
        {"1", Op::Sub, "1.5E-17", Value("999999999999999985", -1)},
        {"100000000000000000", Op::Sub, "0.6",
         Value("999999999999999994", 16)}, // guard moves into the digits
        {"123456789012345678", Op::Sub, "0.5", Value("123456789012345677", 17)},  // difference truncated
        {"123456789012345678", Op::Sub, "0.45", Value("123456789012345677", 17)}, // 0.45 first rounds to 0.5
        {"2E-63", Op::Sub, "1E-63", Value("1", -63)},
        {"1.5E-63", Op::Sub, "1E-63", TBcd{}}, // underflow
        {"-1E-63", Op::Add, "1.5E-63", TBcd{}},
        {"9.99999999999999999E+63", Op::Add, "1E+63", TBcd{}, 82},
        {"-9.99999999999999999E+63", Op::Sub, "1E+63", TBcd{}, 82},
        {"9.99999999999999999E+63", Op::Add, "4E+45", Value("999999999999999999", 63)},
        {"9.99999999999999999E+63", Op::Sub, "-5E+45", TBcd{}, 82},
        {"123.456", Op::Sub, "123.457", Value("-1", -3)},
        // Multiplication.
        {"3", Op::Mul, "0.333333333333333333", Value("999999999999999999", -1)},
        {"123456789", Op::Mul, "987654321", Value("121932631112635269", 17)},
        {"-2", Op::Mul, "3", Value("-6")},
        {"-2", Op::Mul, "-3", Value("6")},
        {"0", Op::Mul, "-3", TBcd{}},
        {"999999999999999999", Op::Mul, "999999999999999999", Value("999999999999999998", 35)},
        {"3.16227766016837933", Op::Mul, "3.16227766016837933", Value("999999999999999999")},
        {"1.00000000000000001", Op::Mul, "9.9999999999999999", Value("1", 1)}, // rounding carries
        {"1E+40", Op::Mul, "1E+30", TBcd{}, 82},
        {"1E+32", Op::Mul, "1E+31", Value("1", 63)},
        {"1E+32", Op::Mul, "1E+32", TBcd{}, 82},
        {"1E-40", Op::Mul, "1E-30", TBcd{}},
        {"1E-32", Op::Mul, "1E-31", Value("1", -63)},
        {"-1E-32", Op::Mul, "1E-32", TBcd{}},
        // Division: truncated when the mantissa quotient is below 1, rounded otherwise.
        {"2", Op::Div, "3", Value("666666666666666666", -1)},
        {"5", Op::Div, "3", Value("166666666666666667")},
        {"4", Op::Div, "3", Value("133333333333333333")},
        {"1", Op::Div, "3", Value("333333333333333333", -1)},
        {"1", Op::Div, "7", Value("142857142857142857", -1)},
        {"-1", Op::Div, "8", Value("-125", -1)},
        {"0", Op::Div, "5", TBcd{}},
        {"5", Op::Div, "0", TBcd{}, 83},
        {"0", Op::Div, "0", TBcd{}, 83},
        {"1E+63", Op::Div, "0", TBcd{}, 83},
        {"1E+40", Op::Div, "1E-30", TBcd{}, 82},
        {"1E+40", Op::Div, "1E-23", Value("1", 63)},
        {"1E-40", Op::Div, "1E+30", TBcd{}},
        {"9.99999999999999999", Op::Div, "1", Value("999999999999999999")},
        {"9.99999999999999999", Op::Div, "1.00000000000000001", Value("999999999999999989")},
        {"1", Op::Div, "9.99999999999999999", Value("1", -1)},
        {"2", Op::Div, "1.99999999999999999", Value("100000000000000001")}, // 1.000000000000000005: rounded
    };
    for (const Case& c : cases) {
        const TBcd a = T(c.a), b = T(c.b);
        const TBcd aCopy = a, bCopy = b;
        TBcd result;
        const auto code = ErrorOf([&] { result = Apply(c.op, a, b); });
        const std::string what = std::string(c.a) + " " + Name(c.op) + " " + c.b;
        if (c.code != 0) {
            EXPECT_EQ(code, c.code) << what;
        } else {
            EXPECT_EQ(code, std::nullopt) << what;
            EXPECT_EQ(Hex(result), Hex(c.expected)) << what;
        }
        EXPECT_EQ(a, aCopy); // arguments are never modified
        EXPECT_EQ(b, bCopy);
    }
}

TEST_F(Arithmetic, AddingZeroReturnsTheOtherOperandBitForBit)
{
    // Even a value that is not normalised passes through untouched.
    TBcd odd = Value("5");
    odd.bytes[9] = 0x05;
    for (const TBcd& v : {Value("-123456789012345678", 5), Value("1", -63), odd}) {
        EXPECT_EQ(BcdAdd(TBcd{}, v), v);
        EXPECT_EQ(BcdAdd(v, TBcd{}), v);
        EXPECT_EQ(BcdSubtract(v, TBcd{}), v);
        EXPECT_EQ(BcdSubtract(TBcd{}, v), BcdNegate(v));
    }
}

TEST_F(Arithmetic, NegateFlipsTheSignOfNonZeroValuesOnly)
{
    EXPECT_EQ(BcdNegate(Value("12")), Value("-12"));
    EXPECT_EQ(BcdNegate(Value("-12")), Value("12"));
    EXPECT_EQ(BcdNegate(TBcd{}), TBcd{});
}

TEST_F(Arithmetic, SquareRootIsCorrectlyRounded)
{
    struct Root
    {
        const char* x;
        TBcd expected;
    };
    const Root cases[] = {
        {"2", Value("141421356237309505")},
        {"3", Value("173205080756887729")},
        {"0.5", Value("707106781186547524", -1)},
        {"10", Value("316227766016837933")},
        {"4", Value("2")},
        {"0.25", Value("5", -1)},
        {"2.25", Value("15")},
        {"0.0144", Value("12", -1)},
        {"1", Value("1")},
        {"100", Value("1", 1)},
        {"0.01", Value("1", -1)},
        {"1000000", Value("1", 3)},
        {"1E18", Value("1", 9)},
        {"1E-63", Value("316227766016837933", -32)},
        {"9.99999999999999999E+63", Value("999999999999999999", 31)},
        {"0.999999999999999999", Value("999999999999999999", -1)}, // 0.99999999999999999949...
        {"0", TBcd{}},
    };
    for (const Root& c : cases)
        EXPECT_EQ(Hex(BcdSqrt(T(c.x))), Hex(c.expected)) << "sqrt " << c.x;
    EXPECT_EQ(ErrorOf([&] { BcdSqrt(T("-4")); }), 84);
    EXPECT_EQ(ErrorOf([&] { BcdSqrt(T("-1E-63")); }), 84);
}

TEST_F(Arithmetic, PerfectSquaresGiveTheirExactRoots)
{
    // n^2 x 10^(2e) for n from 1 to 1E9 (log-uniform, and every power of ten), at exponents across
    // the range: the root is n x 10^e exactly.
    std::mt19937_64 random(2026);
    std::vector<std::uint64_t> ns;
    for (std::uint64_t p = 1; p <= 1'000'000'000; p *= 10)
        ns.push_back(p);
    for (int i = 0; i < 20000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 9);
        std::uint64_t low = 1;
        for (int d = 1; d < digits; ++d)
            low *= 10;
        ns.push_back(low + random() % (9 * low));
    }
    for (const std::uint64_t n : ns) {
        const int e = static_cast<int>(random() % 50) - 30;
        const std::string root = std::to_string(n) + "E" + std::to_string(e);
        const std::string square = std::to_string(n * n) + "E" + std::to_string(2 * e);
        ASSERT_EQ(Hex(BcdSqrt(T(square.c_str()))), Hex(T(root.c_str()))) << "sqrt " << square;
    }
}

} // namespace

namespace {

TEST(Round, ToPlacesByEachMode)
{
    struct Case
    {
        const char* x;
        int places;
        const char *halfUp, *up, *down;
    };
    const Case cases[] = {
        {"36.6666666666666667", 2, "36.67", "36.67", "36.66"},
        {"-36.6666666666666667", 2, "-36.67", "-36.67", "-36.66"}, // on the magnitude
        {"2.345", 2, "2.35", "2.35", "2.34"},
        {"2.344", 2, "2.34", "2.35", "2.34"},
        {"2.5", 0, "3", "3", "2"},
        {"0.004", 2, "0", "0.01", "0"},
        {"0.005", 2, "0.01", "0.01", "0"},
        {"999.999", 2, "1000", "1000", "999.99"},
        {"12.5", 2, "12.5", "12.5", "12.5"}, // no more decimals than the places: exact
        {"1E-40", 4, "0", "0.0001", "0"},
        {"123456789012345678", 0, "123456789012345678", "123456789012345678", "123456789012345678"},
        {"0", 2, "0", "0", "0"},
    };
    for (const Case& c : cases) {
        const TBcd x = BcdFromText(c.x);
        EXPECT_EQ(BcdToGeneral(BcdRound(x, c.places, TBcdRounding::HalfUp)), c.halfUp) << c.x;
        EXPECT_EQ(BcdToGeneral(BcdRound(x, c.places, TBcdRounding::Up)), c.up) << c.x;
        EXPECT_EQ(BcdToGeneral(BcdRound(x, c.places, TBcdRounding::Down)), c.down) << c.x;
    }
}

} // namespace
