// Key-script tests of the engine: one row per case, keys separated by blanks (the command-line
// driver's key names), checking the display, the tape, the boxes, the memory indicator and the flags.

#include "engine/CalcEngine.h"

#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "FakeHost.h"
#include "engine/TextHelpers.h"

using engine::CalcEngine;
using enginetest::FakeHost;

namespace {

const std::string Sep(engine::SeparatorLine);
const std::string Info1 =
    "Information: Quorlane Calculator only supports\rentering numbers up to 18 digits long.";
const std::string Info2 = "Information: Quorlane Calculator only supports\ra maximum of 18 digits.";

// An engine with the given locale separators.
struct Calculator
{
    FakeHost host;
    CalcEngine calc;

    explicit Calculator(char decimal = '.', char group = ',') : calc(host, {decimal, group}) {}

    // Runs the keys; "paste:TEXT" pastes TEXT.
    Calculator& Keys(const std::string& script)
    {
        std::istringstream in(script);
        std::string key;
        while (in >> key) {
            if (key.rfind("paste:", 0) == 0) {
                calc.Paste(key.substr(6));
                continue;
            }
            const auto k = engine::ParseKey(key);
            if (!k) {
                ADD_FAILURE() << "unknown key " << key;
                continue;
            }
            calc.Press(*k);
        }
        return *this;
    }
    const engine::CalcState& State() const { return calc.State(); }
};

struct Case
{
    std::string keys;
    std::string display;
    std::vector<std::string> tape; // the whole tape; not checked when it holds "*"
    std::vector<std::string> messages = {};
};

const std::vector<std::string> AnyTape = {"*"};

void Check(const std::vector<Case>& cases, char decimal = '.', char group = ',')
{
    for (const Case& c : cases) {
        Calculator k(decimal, group);
        k.Keys(c.keys);
        EXPECT_EQ(k.host.display, c.display) << c.keys;
        if (c.tape != AnyTape) {
            EXPECT_EQ(k.host.tape, c.tape) << c.keys;
        }
        EXPECT_EQ(k.host.messages, c.messages) << c.keys;
        EXPECT_TRUE(k.host.errors.empty())
            << c.keys << ": " << (k.host.errors.empty() ? "" : k.host.errors[0]);
    }
}

TEST(Entry, DigitsDecimalPointSignAndBackspace)
{
    Check({
        {"0 0 5", "5", {}},
        {"0 00", "0", {}},
        {"000 7", "7", {}},
        {"1 2 3 4", "1,234", {}},
        {"1 2 3 4 . 5", "1,234.5", {}},
        {"1 2 3 4 .", "1,234.", {}},
        {".", ".", {}},
        {". 5", ".5", {}},
        {". 5 . 2", ".52", {}},
        {"1 . 0 0", "1.00", {}},
        {"1 2 3 4 5 6 7", "1,234,567", {}},
        {"+/-", "0", {}},
        {"1 2 . +/-", "-12", {"-12 +/-"}},
        {"1 . 5 0 +/-", "-1.5", {"-1.5 +/-"}},
        {"0 . +/-", "0", {"0 +/-"}},
        {"5 +/- +/-", "5", {"-5 +/-", "5 +/-"}},
        {"1 2 3 4 back", "123", {}},
        {"1 2 3 4 . 5 back", "1,234.", {}},
        {"1 2 3 4 . 5 back back", "1,234", {}},
        {"1 2 3 4 . 5 back back back", "123", {}},
        {"5 back", "0", {}},
        {"5 back 7", "7", {}},
        {"5 + 3 = back", "8", AnyTape}, // Backspace never edits a result
        {"1 2 ce", "0", {}},
        {"1 2 c", "0", {"Clear"}},
    });
}

TEST(Entry, EighteenDigitLimits)
{
    const std::string eighteen = "1 2 3 4 5 6 7 8 9 1 2 3 4 5 6 7 8 9";
    Check({
        {eighteen, "123,456,789,123,456,789", {}},
        {eighteen + " 1", "1.23456789123456789E+18", {}}, // 19 digits: exponent form
        {eighteen + " 1 2", "1.23456789123456789E+18", {}, {Info1}},
        {eighteen + " 1 .", "1.23456789123456789E+18", {}}, // it already has a point
        {eighteen + " 000", "1.23456789123456789E+20", {}},
        {"0 . 1 2 3 4 5 6 7 8 9 1 2 3 4 5 6 7 8", "0.12345678912345678", {}},
        {"0 . 1 2 3 4 5 6 7 8 9 1 2 3 4 5 6 7 8 9", "0.12345678912345678", {}, {Info2}},
        {"1 2 3 4 5 6 7 8 9 1 2 3 4 5 6 . 1 000", "123,456,789,123,456.1", {}, {Info2}}, // refused whole
        {"1 2 3 4 5 6 7 8 9 1 2 3 4 5 6 . 1 00", "123,456,789,123,456.100", {}},
        {"5 +/- . 1 2 3 4 5 6 7 8 9 1 2 3 4 5 6 7 8",
         "-5.1234567891234567",
         {"-5 +/-"},
         {Info2}}, // "-" counts
    });
}

TEST(Operators, ChainLeftToRightWithTape)
{
    Check({
        {"2 + 3 * 4 =", "20", {"2  ", "3 +", "4 *", Sep, "20 =", " "}},
        {"7 =", "7", {"7  ", Sep, "7 =", " "}},
        {"5 + + 3 =", "8", {"5  ", "3 +", Sep, "8 =", " "}},
        {"5 + - 3 =", "2", {"5  ", "3 -", Sep, "2 =", " "}},
        {"5 + 3 = =", "8", {"5  ", "3 +", Sep, "8 =", " ", Sep, "8 =", " "}},
        {"5 + 3 = * 2 =", "16", {"5  ", "3 +", Sep, "8 =", " ", "2 *", Sep, "16 =", " "}},
        {"5 + 3 = 4 =", "4", {"5  ", "3 +", Sep, "8 =", " ", "4  ", Sep, "4 =", " "}},
        {"5 + 3 ce =", "0", {"5  ", Sep, "0 =", " "}},
        {"5 + 3 ce 4 =", "9", {"5  ", "4 +", Sep, "9 =", " "}},
        {"2 / 3 * 3 =", "2.000000000000001", AnyTape},
        {"1 / 3 =", "0.333333333333333", AnyTape},
        {"0 . 1 + 0 . 2 =", "0.3", {"0.1  ", "0.2 +", Sep, "0.3 =", " "}},
        {"1 2 . + 1 =", "13", {"12.  ", "1 +", Sep, "13 =", " "}},
        {"1 0 0 0 - 1 . 5 =", "998.5", {"1,000  ", "1.5 -", Sep, "998.5 =", " "}},
        {"3 - 5 =", "-2", AnyTape},
        {"9 sqrt / 4 =", "0.75", {"9 sqrt", Sep, "3 =", " ", "3  ", "4 /", Sep, "0.75 =", " "}},
    });
}

TEST(Tape, WorkedExampleOfACalculation)
{
    Check({{"2 + 3 * 4 = 9 sqrt ms c",
            "0",
            {"2  ", "3 +", "4 *", Sep, "20 =", " ", "9 sqrt", Sep, "3 =", " ", "3 MS", "Clear"}}});
}

TEST(Keys, EveryKeyHasANameThatReadsBack)
{
    for (int i = 0; i <= static_cast<int>(engine::CalcKey::MSubtract); ++i) {
        const auto key = static_cast<engine::CalcKey>(i);
        EXPECT_EQ(engine::ParseKey(engine::KeyName(key)), key) << i;
    }
    EXPECT_EQ(engine::ParseKey("7 "), std::nullopt);
    EXPECT_EQ(engine::ParseKey("SQRT"), std::nullopt);
}

TEST(Operators, DivisionByZeroAndOverflow)
{
    const std::vector<std::string> divZeroTape = {"5  ", Sep, "Division by zero error =", " "};
    Check({
        {"5 / 0 =", "Division by zero error", divZeroTape},
        {"5 / 0 = 7", "Division by zero error", divZeroTape},
        {"5 / 0 . 0 =", "Division by zero error", divZeroTape}, // a zero written otherwise is the same
        {"5 / 0 . =", "Division by zero error", divZeroTape},
        {"5 / . =", "Division by zero error", divZeroTape},
        {"5 / 0 = ce", "0", divZeroTape},
        {"5 / 0 ce 2 =", "2.5", {"5  ", "2 /", Sep, "2.5 =", " "}}, // the pending operator survives CE
        {"5 / 0 c", "0", {"5  ", "Clear"}},
    });
    // 18-digit numbers multiplied by each other three times pass 1E+64.
    Calculator k;
    const std::string big = "9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9";
    k.Keys(big + " * " + big + " * " + big + " * " + big + " =");
    EXPECT_EQ(k.host.display, "Result greater than 1E+64");
    EXPECT_TRUE(k.State().ErrorState);
    const auto& tape = k.host.tape;
    ASSERT_GE(tape.size(), 4u);
    EXPECT_EQ(tape[tape.size() - 2], "Result greater than 1E+64 =");
    // The operand line made before the failing computation stays.
    EXPECT_EQ(tape[3], "999,999,999,999,999,999 *");
    EXPECT_TRUE(k.host.errors.empty());
}

TEST(Functions, SquareRootPercentReciprocal)
{
    Check({
        {"9 sqrt", "3", {"9 sqrt", Sep, "3 =", " "}},
        {"2 sqrt", "1.414213562373095", AnyTape},
        {"9 sqrt sqrt", "1.732050807568877", AnyTape},
        {"1 0 0 0 0 0 0 sqrt", "1,000", {"1,000,000 sqrt", Sep, "1,000 =", " "}}, // exact roots are exact
        {"1 000 000 000 000 000 000 sqrt", "1,000,000,000", AnyTape},
        {"4 +/- sqrt", "Invalid input for function", {"-4 +/-", "Invalid input for function"}},
        {"4 +/- sqrt 5", "Invalid input for function", AnyTape},
        {"%", "0", {}},
        {"5 c %", "0", {"Clear"}},
        {"2 0 0 + 1 0 % =", "220", {"200  ", "10 %", "20 =", "20 +", Sep, "220 =", " "}},
        {"2 0 0 - 1 0 % =", "180", AnyTape},
        {"2 0 0 * 1 0 % =", "4,000", AnyTape},
        {"2 0 0 / 1 0 % =", "10", AnyTape},
        {"0 1/x", "Division by zero error", {}},
        {"0 . 0 1/x", "Division by zero error", {}},
        {"4 1/x",
         "0.25",
         {
             "4 1/x",
             "0.25 =",
         }},
        {"3 1/x", "0.333333333333333333", AnyTape},
        {"3 1/x + 1 =", "1.333333333333333", AnyTape},
        {"9 sqrt +/-", "-3", {"9 sqrt", Sep, "3 =", " ", "-3 +/-"}},
        {"9 sqrt +/- + 1 =", "4", AnyTape}, // the operator takes the unchanged result
        {". sqrt", "0", {". sqrt", Sep, "0 =", " "}},
    });
}

TEST(Memory, RegisterAndIndicator)
{
    struct MemoryCase
    {
        std::string keys, display, indicator, register_;
        std::vector<std::string> tape;
    };
    const MemoryCase cases[] = {
        {"5 m+", "5", "Memory = 5", "5", {"5 M+"}},
        {"5 m+ 3 m+ mr", "8", "Memory = 8", "8", {"5 M+", "3 M+"}},
        {"2 m-", "2", "Memory = -2", "-2", {"2 M-"}},
        {"1 2 3 4 . 5 ms", "1,234.5", "Memory = 1,234.5", "1234.5", {"1,234.5 MS"}},
        {"1 2 . ms", "12.", "Memory = 12.", "12.", {"12. MS"}},
        {"0 ms", "0", "", "0", {"0 MS"}},
        {"5 m+ 5 m-", "5", "", "0", {"5 M+", "5 M-"}},
        {"1 2 3 4 m+ 1 m+", "1", "Memory = 1,235", "1235", {"1,234 M+", "1 M+"}},
        {"0 . 2 5 m+ 0 . 2 5 m+", "0.25", "Memory = 0.5", "0.5", {"0.25 M+", "0.25 M+"}},
        {"5 ms mc", "5", "", "0", {"5 MS", "Memory Clear"}},
        {"mc", "0", "", "0", {"Memory Clear"}},
        {"mr", "0", "", "0", {}},
        {"5 ms 2 + mr =", "7", "Memory = 5", "5", {"5 MS", "2  ", "5 +", Sep, "7 =", " "}},
        {"5 ms c", "0", "Memory = 5", "5", {"5 MS", "Clear"}},
        // In the error state the register never takes the error text.
        {"5 ms 1 / 0 = ms m+ m-",
         "Division by zero error",
         "Memory = 5",
         "5",
         {"5 MS", "1  ", Sep, "Division by zero error =", " "}},
        {"5 ms 1 / 0 = mr", "5", "Memory = 5", "5", AnyTape},
    };
    for (const MemoryCase& c : cases) {
        Calculator k;
        k.Keys(c.keys);
        EXPECT_EQ(k.host.display, c.display) << c.keys;
        EXPECT_EQ(k.host.status, c.indicator) << c.keys;
        EXPECT_EQ(k.State().MemoryText, c.register_) << c.keys;
        if (c.tape != AnyTape) {
            EXPECT_EQ(k.host.tape, c.tape) << c.keys;
        }
        EXPECT_TRUE(k.host.errors.empty()) << c.keys;
    }
}

TEST(Flags, FollowTheKeys)
{
    struct FlagCase
    {
        std::string keys;
        bool newEntry, resultShown, errorState, decimalPending;
        std::string pending, accumulator, entry, lastResult;
    };
    const FlagCase cases[] = {
        {"", true, false, false, false, " ", "0", "0", "0"},
        {"1 2", false, false, false, false, " ", "0", "0", "0"},
        {"1 2 . +", true, false, false, false, "+", "12.", "12.", "0"},
        {"1 + 2 *", true, false, false, false, "*", "3.000000000000000", "2", "0"},
        {"1 + 2 =", true, false, false, false, " ", "3.000000000000000", "2", "0"},
        {"9 sqrt", true, true, false, false, " ", "0", "0", "3.000000000000000"},
        {"9 sqrt +", true, false, false, false, "+", "3.000000000000000", "0", "3.000000000000000"},
        {"4 1/x", true, true, false, false, " ", "0", "0", "0.250000000000000000000"},
        {"5 / 0 =", true, false, true, false, " ", "5", "0", "0"},
        {"5 / 0 +", true, false, true, false, "+", "5", "0", "0"}, // operators replace it even so
        {"5 / 0 + ce", true, false, false, false, "+", "5", "0", "0"},
        {"5 / 0 = .", true, false, true, true, " ", "5", "0", "0"}, // pending until a digit lands
        {"5 + 3 = +/-", true, false, false, false, " ", "-8.000000000000000", "3", "0"},
        {"5 ms", true, true, false, false, " ", "0", "0", "5"},
        {"5 ms 7", false, false, false, false, " ", "0", "0", "5"},
        {"1 2 back back", true, false, false, false, " ", "0", "0", "0"},
        {". back", true, false, false, false, " ", "0", "0", "0"},
        {"9 sqrt paste:4", false, false, false, false, " ", "0", "0", "3.000000000000000"},
    };
    for (const FlagCase& c : cases) {
        Calculator k;
        k.Keys(c.keys);
        const engine::CalcState& s = k.State();
        EXPECT_EQ(s.NewEntry, c.newEntry) << c.keys;
        EXPECT_EQ(s.ResultShown, c.resultShown) << c.keys;
        EXPECT_EQ(s.ErrorState, c.errorState) << c.keys;
        EXPECT_EQ(s.DecimalPending, c.decimalPending) << c.keys;
        EXPECT_EQ(std::string(1, engine::OperatorSymbol(s.PendingOperator)), c.pending) << c.keys;
        EXPECT_EQ(s.AccumulatorText, c.accumulator) << c.keys;
        EXPECT_EQ(s.EntryText, c.entry) << c.keys;
        EXPECT_EQ(s.LastResultText, c.lastResult) << c.keys;
    }
}

TEST(MendedFaults, SoundBehaviourWhereTheKeysWouldFail)
{
    Check({
        // Backspace on a one-digit negative entry starts afresh instead of failing.
        {"5 +/- back", "0", {"-5 +/-"}},
        {"5 +/- back 7", "7", {"-5 +/-"}},
        // Backspace emptying a decimal entry.
        {". back", "0", {}},
        {". back 7", "7", {}},
        // "-0" left by Backspace: the sign change shows 0.
        {"0 . 5 +/- back back +/-", "0", {"-0.5 +/-", "0 +/-"}},
        // A zero divisor however written, for / and 1/x alike.
        {"5 / 0 . 0 0 =", "Division by zero error", {"5  ", Sep, "Division by zero error =", " "}},
        {". 1/x", "Division by zero error", {}},
        // The square root of the lone decimal character uses its decimal value.
        {". sqrt", "0", {". sqrt", Sep, "0 =", " "}},
        // An entry in exponent form is not edited character by character into a non-number.
        {"9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 4 back back back", "9.99999999999999999E+18", {}},
        {"9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 4 back * 2 =", "2E+19", AnyTape},
    });
    Calculator k;
    k.Keys("5 +/- back");
    EXPECT_TRUE(k.State().NewEntry);
    k.Keys("1 / 0 = ms m+ m-");
    EXPECT_EQ(k.State().MemoryText, "0");
    EXPECT_EQ(k.host.status, "");
}

TEST(Errors, UncaughtOnesReachTheGeneralReportAndLeaveTheState)
{
    // M+ of a sum past 1E+64: LastResultText is replaced, the register and tape are not.
    Calculator k;
    k.Keys("paste:9E63 ms m+");
    ASSERT_EQ(k.host.errors, std::vector<std::string>{"BCD larger than 10**64"});
    EXPECT_EQ(k.State().MemoryText, "9E63");
    EXPECT_EQ(k.host.tape, std::vector<std::string>{"9E63 MS"});
    EXPECT_EQ(k.host.status, "Memory = 9E63");

    // Percent past 1E+64: the operand line stays, the flags do not change.
    Calculator p;
    p.Keys("paste:9E63 + paste:9E60 %");
    EXPECT_EQ(p.host.errors, std::vector<std::string>{"BCD larger than 10**64"});
    EXPECT_EQ(p.host.tape, (std::vector<std::string>{"9E63  ", "9E60 %"}));
    EXPECT_FALSE(p.State().ResultShown);
}

TEST(Locales, SeparatorsOfTheUser)
{
    // "." grouping with "," decimals: the decimal-point key types ",".
    Check(
        {
            {"1 2 3 4 . 5", "1.234,5", {}},
            {"1 2 3 4 . 5 + 1 =", "1.235,5", {"1.234,5  ", "1 +", Sep, "1.235,5 =", " "}},
            {"2 / 3 =", "0,666666666666667", AnyTape},
            {"1 2 3 4 5 6 7 ms", "1.234.567", {"1.234.567 MS"}},
            {"5 / 0 . =", "Division by zero error", AnyTape},
        },
        ',', '.');
    // An apostrophe as thousands separator: blanks of the mask group the display (with blanks in
    // front), and every operand reads back without them.
    Calculator k(',', '\'');
    EXPECT_EQ(k.State().GroupChar, ' ');
    EXPECT_EQ(k.State().DisplayMask, "### ### ### ### ### ### ##0,#####################");
    k.Keys("1 2 3 4 . 5");
    EXPECT_EQ(k.host.display, "     1 234,5");
    k.Keys("+ 1 0 0 0 =");
    EXPECT_EQ(k.host.display, "     2 234,5");
    EXPECT_EQ(k.calc.RemoveCommas(k.host.display), "2234,5");
    EXPECT_EQ(k.State().AccumulatorText, "2234,500000000000000");
    EXPECT_TRUE(k.host.errors.empty());
    EXPECT_TRUE(k.host.messages.empty());
}

TEST(Paste, NumbersFromTheClipboard)
{
    struct PasteCase
    {
        std::string text, display;
        bool refused = false;
    };
    const PasteCase cases[] = {
        {"  1,234,567.5  ", "1,234,567.5"},
        {"1 000", "1,000"},
        {"1E25", "1E25"},
        {"-1.5e20", "-1.5E20"},
        {"123456789012345678", "123,456,789,012,345,678"},
        {"0.1234567890123456789", "0.123456789012345679"},
        {"0.25", "0.25"},
        {"-0", "0"},
        {"1e-22", "0"},
        {"6e-22", "0.000000000000000000001"},
        {"12abc", "", true},
        {"", "", true},
        {"1\n2", "", true},
        {"inf", "", true},
        {"0x10", "", true},
        {"1e99999", "", true},
        // Beyond what the decimal type holds (1E64 and above): refused, not shown and failing later.
        {"1e100", "", true},
        {"1e555", "", true},
        {"-1E64", "", true},
        {"9.9999999999999999e63", "", true}, // shown rounded, as 1E64
        {"9.99999999999999e63", "9.99999999999999E63"},
    };
    for (const PasteCase& c : cases) {
        Calculator k;
        k.Keys("7");
        k.calc.Paste(c.text);
        if (c.refused) {
            EXPECT_EQ(k.host.display, "7") << c.text;
            EXPECT_EQ(k.host.messages,
                      std::vector<std::string>{"Information: Clipboard must contain a numeric value"});
        } else {
            EXPECT_EQ(k.host.display, c.display) << c.text;
            EXPECT_TRUE(k.host.messages.empty()) << c.text;
        }
        EXPECT_TRUE(k.host.tape.empty());
    }
    // The pasted number is the entry in progress.
    Calculator k;
    k.Keys("paste:12 3 + 1 =");
    EXPECT_EQ(k.host.display, "124");
}

TEST(Paste, ATapeLineReusedAndTheDisplayWithoutGrouping)
{
    Calculator k(',', '.');
    k.Keys("7");
    k.calc.UseTapeLine("1.234,5 +");
    EXPECT_EQ(k.host.display, "1.234,5");
    EXPECT_EQ(k.calc.DisplayWithoutGrouping(), "1234,5");
    for (const char* nothing : {"Clear", " ", "--------------------------"})
        k.calc.UseTapeLine(nothing);
    EXPECT_EQ(k.host.display, "1.234,5");
    EXPECT_TRUE(k.host.messages.empty());
    k.calc.UseTapeLine("1E+64 ="); // a number the decimal type cannot hold: refused as Paste refuses it
    EXPECT_EQ(k.host.messages,
              std::vector<std::string>{"Information: Clipboard must contain a numeric value"});
    EXPECT_TRUE(k.host.tape.empty());
    k.Keys("+ 1 =");
    EXPECT_EQ(k.host.display, "1.235,5");
}

TEST(Paste, TheLocalesSeparators)
{
    struct LocaleCase
    {
        char decimal, group;
        std::string text, display;
    };
    const LocaleCase cases[] = {
        {',', '.', "1234,5", "1.234,5"},
        {',', '.', "2,5", "2,5"},
        {',', '.', "1.234,5", "1.234,5"},
        {',', '.', " -1.000.000,25 ", "-1.000.000,25"},
        {',', ' ', "1 234,5", "1 234,5"},
        {',', ' ',
         "1\xA0"
         "234,5",
         "1 234,5"},
        {'.', '\'', "1'234.5", "1 234.5"},
        {'.', ',', "1,234.5", "1,234.5"},
        {'.', ',',
         "1\xA0"
         "234.5",
         "1,234.5"},
    };
    for (const LocaleCase& c : cases) {
        Calculator k(c.decimal, c.group);
        k.calc.Paste(c.text);
        EXPECT_EQ(k.host.display, c.display) << c.text;
        EXPECT_TRUE(k.host.messages.empty()) << c.text;
    }
}

// What Copy puts on the clipboard (the display as shown) pastes back to the same display, for
// entries and results below 1E18 (larger ones paste back with 15 significant digits, by design).
// Where blanks group the digits, the display's mask pads with blanks that a paste does not repeat.
TEST(Paste, WhatCopyGivesPastesBack)
{
    std::mt19937 random(20261209);
    auto number = [&random] {
        std::string keys;
        const int digits = 1 + static_cast<int>(random() % 17);
        const int point = static_cast<int>(random() % (digits + 1));
        for (int i = 0; i < digits; ++i) {
            if (i == point && i > 0)
                keys += ". ";
            // An entry in progress shows the zeros typed after the point; a paste shows none.
            const bool last = i == digits - 1 && point > 0 && point < digits;
            keys += std::to_string(last ? 1 + random() % 9 : random() % 10) + " ";
        }
        return random() % 4 == 0 ? keys + "+/- " : keys;
    };
    const char* operators[] = {"+", "-", "*", "/"};
    for (const auto& [decimal, group] : {std::pair{'.', ','}, {',', '.'}, {',', ' '}, {'.', '\''}}) {
        int checked = 0;
        for (int i = 0; i < 400; ++i) {
            Calculator k(decimal, group);
            k.Keys(i % 2 == 0 ? number() : number() + operators[random() % 4] + " " + number() + "=");
            const std::string shown = k.host.display;
            if (k.State().ErrorState || shown.find('E') != std::string::npos)
                continue;
            k.Keys("c");
            k.calc.Paste(shown);
            if (k.State().GroupChar == ' ')
                EXPECT_EQ(k.calc.RemoveCommas(k.host.display), k.calc.RemoveCommas(shown)); // blanks group
            else
                EXPECT_EQ(k.host.display, shown) << decimal << group;
            EXPECT_TRUE(k.host.messages.empty()) << shown;
            ++checked;
        }
        EXPECT_GT(checked, 300);
    }
}

} // namespace
