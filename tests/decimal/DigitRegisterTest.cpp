#include "decimal/DigitRegister.h"
#include "tests/decimal/BcdReference.h"

#include <gtest/gtest.h>

#include "BcdTestUtil.h"

using namespace stbcd;
using bcdtest::Value;

namespace {

// A register written from W[19] down to W[0], one character per cell.
DigitRegister Reg(std::string_view cells)
{
    DigitRegister W{};
    for (std::size_t i = 0; i < 20; ++i)
        W[19 - i] = static_cast<std::uint8_t>(cells[i] - '0');
    return W;
}

std::string Str(const DigitRegister& W)
{
    std::string s;
    for (int i = 19; i >= 0; --i)
        s.push_back(static_cast<char>('0' + W[i]));
    return s;
}

TEST(DigitRegister, ToRegisterUnpacksNibblesAndFromRegisterPacksThem)
{
    const TBcd v = Value("-123456789012345678", 3);
    const Unpacked u = ToRegister(v);
    EXPECT_EQ(Str(u.W), "01234567890123456780");
    EXPECT_EQ(u.E, 67);
    EXPECT_TRUE(u.negative);
    EXPECT_EQ(FromRegister(u.W, u.E, u.negative), v);

    // W[0] and W[19] are ignored; an exponent of 0 or less gives zero whatever the sign.
    DigitRegister W = u.W;
    W[0] = 9;
    W[19] = 1;
    EXPECT_EQ(FromRegister(W, 67, true), v);
    EXPECT_EQ(FromRegister(W, 0, true), TBcd{});
    EXPECT_EQ(FromRegister(W, -5, false), TBcd{});
}

TEST(DigitRegister, RoundRegisterDecidesByTheSingleDigitAtP)
{
    struct Case
    {
        const char* before;
        int p;
        const char* after;
    };
    const Case cases[] = {
        {"01234567890123456785", 0, "01234567890123456795"}, // guard 5 rounds up, W[0] stays
        {"01234567890123456784", 0, "01234567890123456784"},
        {"09999999999999999995", 0, "10000000000000000005"},  // carry into W[19]
        {"01234567890123456789", 1, "01234567890123456809"},  // W[1] = 8 decides, W[0] kept
        {"01234567890123456749", 2, "01234567890123457009"},  // W[2] = 7 rounds up
        {"01234567890123456449", 2, "01234567890123456009"},  // W[2] = 4: cleared, no carry; 9 below ignored
        {"05000000000000000000", 18, "10000000000000000000"}, // p = 18: straight into W[19]
        {"04999999999999999999", 18, "00000000000000000009"},
        {"09999999999999999999", 19, "00000000000000000009"}, // above 18: all but W[0] cleared
        {"09999999999999999999", 40, "00000000000000000009"},
    };
    for (const Case& c : cases) {
        DigitRegister W = Reg(c.before);
        RoundRegister(W, c.p);
        EXPECT_EQ(Str(W), c.after) << c.before << " p=" << c.p;
    }
}

TEST(DigitRegister, ShiftRegisterDownDropsLowCells)
{
    struct Case
    {
        const char* before;
        int n;
        const char* after;
    };
    const Case cases[] = {
        {"12345678901234567890", 1, "01234567890123456789"},
        {"12345678901234567890", 18, "00000000000000000012"},
        {"12345678901234567890", 19, "00000000000000000000"},
        {"12345678901234567890", 25, "00000000000000000000"},
        {"12345678901234567890", 0, "12345678901234567890"},
    };
    for (const Case& c : cases) {
        DigitRegister W = Reg(c.before);
        ShiftRegisterDown(W, c.n);
        EXPECT_EQ(Str(W), c.after) << c.before << " n=" << c.n;
    }
}

TEST(DigitRegister, NormalizeRegisterMovesTheTopDigitUpOrUnderflows)
{
    struct Case
    {
        const char* before;
        int E;
        const char* after;
        int resultE;
    };
    const Case cases[] = {
        {"01234567890123456789", 70, "01234567890123456789", 70}, // already normal
        {"00001234567890123456", 70, "01234567890123456000", 67}, // guard moves into the digits
        {"00000000000000000005", 70, "05000000000000000000", 52},
        {"00000000000000000000", 70, "00000000000000000000", 0}, // zero
        {"00000000000000000005", 18, "00000000000000000000", 0}, // z = 18 = E: underflow
        {"00000000000000000005", 19, "05000000000000000000", 1},
        {"11234567890123456789", 70, "11234567890123456789", 70}, // W[19] takes no part
    };
    for (const Case& c : cases) {
        DigitRegister W = Reg(c.before);
        const int E = NormalizeRegister(W, c.E);
        EXPECT_EQ(Str(W), c.after) << c.before;
        EXPECT_EQ(E, c.resultE) << c.before;
    }
}

} // namespace
