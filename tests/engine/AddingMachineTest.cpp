// The adding machine's switches and keys as key scripts: decimal places by each rounding, add mode,
// the subtotal, the grand total, the item count and the non-add key; each row checks the display and
// the whole tape.

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeHost.h"
#include "engine/CalcEngine.h"
#include "engine/TextHelpers.h"

namespace {

using engine::CalcOptions;
using engine::DecimalPlaces;

const std::string Sep(engine::SeparatorLine);

struct Row
{
    CalcOptions options;
    std::string keys;
    std::string display;
    std::vector<std::string> tape;
};

std::vector<std::string> Typed(const Row& r, std::string& display, TBcdSeparators locale = {})
{
    enginetest::FakeHost host;
    engine::CalcEngine calc(host, locale);
    calc.SetOptions(r.options);
    std::istringstream in(r.keys);
    std::string key;
    while (in >> key) {
        if (key.starts_with("paste:"))
            calc.Paste(key.substr(6));
        else if (key.starts_with("use:"))
            calc.UseTapeLine(key.substr(4));
        else if (const auto k = engine::ParseKey(key))
            calc.Press(*k);
        else
            ADD_FAILURE() << "unknown key " << key;
    }
    EXPECT_TRUE(host.messages.empty() && host.errors.empty()) << r.keys;
    display = host.display;
    return host.tape;
}

// `text` as a locale with `locale`'s separators writes it (the rows are written with `.` and `,`).
std::string Written(std::string text, TBcdSeparators locale)
{
    for (char& c : text)
        c = c == '.' ? locale.decimal : c == ',' ? locale.group : c;
    return text;
}

// Each row where the point is the decimal separator and where the comma is (grouped by points, as
// in Germany, or by blanks, as in France): only the separators differ.
void Check(const std::vector<Row>& rows)
{
    for (const TBcdSeparators locale :
         {TBcdSeparators{'.', ','}, TBcdSeparators{',', '.'}, TBcdSeparators{',', ' '}}) {
        for (const Row& r : rows) {
            std::string display;
            const std::vector<std::string> tape = Typed(r, display, locale);
            std::vector<std::string> expected;
            for (const std::string& line : r.tape)
                expected.push_back(Written(line, locale));
            EXPECT_EQ(display, Written(r.display, locale)) << r.keys << " with " << locale.decimal;
            EXPECT_EQ(tape, expected) << r.keys << " with " << locale.decimal;
        }
    }
}

constexpr CalcOptions Places(DecimalPlaces p, TBcdRounding r = TBcdRounding::HalfUp)
{
    return {.places = p, .rounding = r};
}

TEST(AddingMachine, FixedPlacesRoundEveryResultAndCarryIt)
{
    const CalcOptions two = Places(DecimalPlaces::Two);
    Check({
        {two,
         "1 / 3 = * 3 =",
         "0.99",
         {"1.00  ", "3.00 /", Sep, "0.33 =", " ", "3.00 *", Sep, "0.99 =", " "}},
        {two, "2 0 + 5 =", "25.00", {"20.00  ", "5.00 +", Sep, "25.00 =", " "}},
        {two, "1 . 2 3 4 + 1 =", "2.23", {"1.234  ", "1.00 +", Sep, "2.23 =", " "}}, // entries as typed
        {two, "1 2 . 5 +", "12.50", {"12.50  "}},
        {Places(DecimalPlaces::Zero), "2 5 . 5 + 1 =", "27", {"25.5  ", "1 +", Sep, "27 =", " "}},
        {Places(DecimalPlaces::Three), "2 / 3 =", "0.667", {"2.000  ", "3.000 /", Sep, "0.667 =", " "}},
        {Places(DecimalPlaces::Four), "2 sqrt", "1.4142", {"2.0000 sqrt", Sep, "1.4142 =", " "}},
        {two,
         "2 0 0 + 1 0 % =",
         "220.00",
         {"200.00  ", "10.00 %", "20.00 =", "20.00 +", Sep, "220.00 =", " "}},
        {two, "8 1/x", "0.13", {"8.00 1/x", "0.13 ="}},
        {two, "1 0 / 3 = m+ m+ mr", "6.66", {"10.00  ", "3.00 /", Sep, "3.33 =", " ", "3.33 M+", "3.33 M+"}},
        {two, "5 - 5 =", "0.00", {"5.00  ", "5.00 -", Sep, "0.00 =", " "}},
        // Without places a memory sum keeps its zeros (found by the key fuzzer: 100 was kept as 1).
        {Places(DecimalPlaces::Zero), "1 0 0 m+ m+ mr", "200", {"100 M+", "100 M+"}},
        {two, "1 / 0 =", "Division by zero error", {"1.00  ", Sep, "Division by zero error =", " "}},
    });
    // 220 / 6 by each rounding: 5/4, up, down; on the magnitude for a negative result.
    const std::pair<TBcdRounding, std::pair<const char*, const char*>> roundings[] = {
        {TBcdRounding::HalfUp, {"36.67", "-36.67"}},
        {TBcdRounding::Up, {"36.67", "-36.67"}},
        {TBcdRounding::Down, {"36.66", "-36.66"}},
    };
    for (const auto& [rounding, expected] : roundings) {
        std::string display;
        Typed({Places(DecimalPlaces::Two, rounding), "2 2 0 / 6 =", {}, {}}, display);
        EXPECT_EQ(display, expected.first);
        Typed({Places(DecimalPlaces::Two, rounding), "2 2 0 +/- / 6 =", {}, {}}, display);
        EXPECT_EQ(display, expected.second);
    }
    std::string display;
    Typed({Places(DecimalPlaces::Two, TBcdRounding::Up), "1 0 / 3 =", {}, {}}, display);
    EXPECT_EQ(display, "3.34");
    Typed({Places(DecimalPlaces::Floating, TBcdRounding::Down), "1 0 / 3 =", {}, {}}, display);
    EXPECT_EQ(display, "3.333333333333333"); // the rounding acts with fixed places only
}

TEST(AddingMachine, AddModeImpliesTwoDecimalsForAmountsAddedOrSubtracted)
{
    const CalcOptions add = Places(DecimalPlaces::Add);
    Check({
        {add, "1 2 3 4 + 5 6 + =", "12.90", {"12.34  ", "0.56 +", Sep, "12.90 =", " "}},
        {add, "1 2 3 4 + 5 6 =", "12.90", {"12.34  ", "0.56 +", Sep, "12.90 =", " "}},
        {add, "1 2 3 4 - 5 6 =", "11.78", {"12.34  ", "0.56 -", Sep, "11.78 =", " "}},
        {add, "5 * 1 2 3 4 =", "6,170.00", {"5.00  ", "1,234.00 *", Sep, "6,170.00 =", " "}},
        {add, "1 2 . 5 + 1 . =", "13.50", {"12.50  ", "1.00 +", Sep, "13.50 =", " "}}, // typed points
        {add, "1 0 0 0 + 2 5 sub", "10.25", {"10.00  ", "0.25 +", "10.25 S"}},
        {add, "1 0 0 0 / 4 =", "250.00", {"1,000.00  ", "4.00 /", Sep, "250.00 =", " "}},
        // A pasted amount, or a tape line's, is whole as written (1250 was taken as 12.50).
        {add, "paste:1250 + 1 =", "1,250.01", {"1,250.00  ", "0.01 +", Sep, "1,250.01 =", " "}},
        {add, "5 + use:1250 =", "1,250.05", {"0.05  ", "1,250.00 +", Sep, "1,250.05 =", " "}},
    });
}

TEST(AddingMachine, SubtotalGrandTotalItemCountAndNonAdd)
{
    const CalcOptions none;
    CalcOptions gt;
    gt.grandTotal = true;
    CalcOptions count;
    count.itemCount = true;
    count.places = DecimalPlaces::Two;
    Check({
        {none, "1 0 0 + 2 0 sub 5 =", "125", {"100  ", "20 +", "120 S", "5 +", Sep, "125 =", " "}},
        {none, "1 0 0 + 2 0 sub sub", "120", {"100  ", "20 +", "120 S", "120 S"}},
        {none, "2 * 3 sub * 4 =", "24", {"2  ", "3 *", "6 S", "4 *", Sep, "24 =", " "}},
        // The grand total: every total by =, kept through C and CE, shown as a result, cleared by a
        // second G.
        {gt,
         "1 0 + 5 = 2 0 = c ce gt",
         "35",
         {"10  ", "5 +", Sep, "15 =", " ", "20  ", Sep, "20 =", " ", "Clear", "35 GT"}},
        {gt, "4 = gt + 1 =", "5", {"4  ", Sep, "4 =", " ", "4 GT", "4  ", "1 +", Sep, "5 =", " "}},
        {gt, "4 = gt gt gt", "0", {"4  ", Sep, "4 =", " ", "4 GT", "Grand Total Clear", "0 GT"}},
        {gt, "4 = 1 sqrt gt", "4", {"4  ", Sep, "4 =", " ", "1 sqrt", Sep, "1 =", " ", "4 GT"}}, // = only
        {none, "4 = gt", "4", {"4  ", Sep, "4 =", " "}}, // G without the switch: nothing
        // The item count: entries added or subtracted since the calculation began.
        {count,
         "1 0 0 + 2 0 + 3 - 2 sub 5 =",
         "116.00",
         {"100.00  ", "20.00 +", "3.00 +", "2.00 -", "004  121.00 S", "5.00 -", Sep, "005  116.00 =", " "}},
        {count,
         "2 * 3 + 4 = 1 + 1 =",
         "2.00",
         {"2.00  ", "3.00 *", "4.00 +", Sep, "001  10.00 =", " ", "1.00  ", "1.00 +", Sep,
          "002  2.00 =", " "}},
        // Non-add: taped as a reference, the calculation goes on as it was.
        {none, "1 0 0 + 1 0 4 5 2 # 2 0 =", "120", {"100  ", "10,452 #", "20 +", Sep, "120 =", " "}},
        {none, "1 0 4 5 2 # 7 =", "7", {"10,452 #", "7  ", Sep, "7 =", " "}},
        {Places(DecimalPlaces::Two),
         "4 7 1 1 # 3 + 1 =",
         "4.00",
         {"4,711 #", "3.00  ", "1.00 +", Sep, "4.00 =", " "}},
    });
}

} // namespace
