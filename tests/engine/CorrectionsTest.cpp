// Check and correct: a corrected, deleted or inserted entry gives exactly the tape of the corrected key
// sequence typed afresh, with the changed lines marked, and undo gives the old tape back.

#include "engine/Corrections.h"
#include "engine/RecordFile.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeHost.h"

namespace {

using engine::CalcKey;
using engine::CalcStep;

// A key, or a paste of `text`.
struct Input
{
    bool paste = false;
    CalcKey key = CalcKey::C;
    std::string text;
};

std::vector<Input> RandomScript(std::mt19937& random)
{
    // Amounts and operators mostly, totals that go on into the next calculation, memory keys,
    // percent, square root, pastes, and a zero now and then to divide by.
    const CalcKey others[] = {CalcKey::Add,        CalcKey::Subtract, CalcKey::Multiply,   CalcKey::Divide,
                              CalcKey::Equals,     CalcKey::Add,      CalcKey::SquareRoot, CalcKey::Percent,
                              CalcKey::MAdd,       CalcKey::MR,       CalcKey::C,          CalcKey::Subtotal,
                              CalcKey::GrandTotal, CalcKey::NonAdd};
    std::vector<Input> script;
    const int amounts = 1 + static_cast<int>(random() % 12);
    for (int a = 0; a < amounts; ++a) {
        if (random() % 8 == 0) {
            script.push_back({true, CalcKey::C, random() % 2 ? "1,250.5" : "0"});
        } else {
            for (int d = static_cast<int>(random() % 4); d >= 0; --d)
                script.push_back({false, static_cast<CalcKey>(random() % 10), {}});
            if (random() % 3 == 0) {
                script.push_back({false, CalcKey::Decimal, {}});
                script.push_back({false, static_cast<CalcKey>(1 + random() % 9), {}});
            }
        }
        script.push_back({false, others[random() % std::size(others)], {}});
    }
    script.push_back({false, CalcKey::Equals, {}});
    return script;
}

// The keys that type `number` (digits and the point).
std::vector<Input> Typing(const std::string& number)
{
    std::vector<Input> keys;
    for (const char c : number)
        keys.push_back({false, c == '.' ? CalcKey::Decimal : static_cast<CalcKey>(c - '0'), {}});
    return keys;
}

std::string Keys(const std::vector<Input>& script)
{
    std::string keys;
    for (const Input& in : script)
        keys += in.paste ? "paste(" + in.text + ") " : std::string(engine::KeyName(in.key)) + " ";
    return keys;
}

// A script run on an engine, and which step of its record each input made or went on with.
struct Typed
{
    enginetest::FakeHost host;
    engine::CalcEngine calc;
    std::vector<std::size_t> stepOf;

    explicit Typed(const std::vector<Input>& script, TBcdSeparators locale = {},
                   const engine::CalcOptions& options = {})
        : calc(host, locale)
    {
        calc.SetOptions(options);
        for (const Input& in : script) {
            if (in.paste)
                calc.Paste(in.text);
            else
                calc.Press(in.key);
            stepOf.push_back(calc.Record().size() - 1);
        }
    }
};

// The step that printed a line, and the first step of the entries and pastes just before it.
std::pair<std::size_t, std::size_t> EntryRun(const engine::CalcEngine& calc, std::size_t line)
{
    const std::vector<CalcStep>& record = calc.Record();
    std::size_t step = 0;
    for (std::size_t first = 0; first + record[step].lines <= line; ++step)
        first += record[step].lines;
    std::size_t start = step;
    const auto typedOrPasted = [](const CalcStep& s) {
        return s.kind == CalcStep::Kind::Entry || s.kind == CalcStep::Kind::Paste ||
               (s.kind == CalcStep::Kind::Key && engine::IsEntryKey(s.key));
    };
    while (start > 0 && typedOrPasted(record[start - 1]))
        --start;
    return {start, step};
}

std::vector<std::string> Applied(const std::vector<std::string>& tape, const engine::Recomputed& r)
{
    std::vector<std::string> out(tape.begin(), tape.begin() + static_cast<std::ptrdiff_t>(r.from));
    out.insert(out.end(), r.lines.begin(), r.lines.end());
    return out;
}

enum class EditKind
{
    Correct,
    Delete,
    Insert,
};

TEST(Corrections, EachEditGivesTheTapeOfTheEditedKeysTypedAfresh)
{
    std::mt19937 random(20261210);
    int edits[3] = {};
    // In the conventions of the point and of the comma, with the adding machine's switches.
    const TBcdSeparators locales[] = {{'.', ','}, {',', '.'}, {',', ' '}};
    for (int n = 0; n < 1500; ++n) {
        const std::vector<Input> script = RandomScript(random);
        const TBcdSeparators locale = locales[n % std::size(locales)];
        engine::CalcOptions options;
        if (n % 2 == 1) {
            options.places = static_cast<engine::DecimalPlaces>(random() % 6);
            options.rounding = static_cast<TBcdRounding>(random() % 3);
            options.grandTotal = random() % 2 == 0;
            options.itemCount = random() % 2 == 0;
        }
        Typed run(script, locale, options);
        const std::vector<std::string> before = run.host.tape;
        engine::TapeCorrections corrections(run.calc, [&](std::size_t i) { return run.host.tape[i]; });
        std::vector<std::size_t> entryLines;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (corrections.IsEntryLine(i))
                entryLines.push_back(i);
        }
        if (entryLines.empty())
            continue;
        const std::size_t line = entryLines[random() % entryLines.size()];
        const auto [start, taker] = EntryRun(run.calc, line);
        const CalcStep taking = run.calc.Record()[taker];
        const std::string number = std::to_string(random() % 5000) + (random() % 2 ? ".25" : "");
        const auto kind = static_cast<EditKind>(n % 3);

        // The same edit made to the keys: the entry's keys out, the new ones in.
        std::vector<Input> edited;
        bool done = false;
        for (std::size_t j = 0; j < script.size(); ++j) {
            const bool inEntry = run.stepOf[j] >= start && run.stepOf[j] < taker;
            const bool isTaker = run.stepOf[j] == taker;
            if (inEntry && !done) {
                done = true;
                const std::vector<Input> typed = Typing(number);
                if (kind == EditKind::Correct) {
                    edited.insert(edited.end(), typed.begin(), typed.end());
                } else if (kind == EditKind::Insert) {
                    const CalcKey op = CalcKey::Subtract;
                    if (taking.pendingBefore != engine::BinaryOperator::None) {
                        edited.push_back({false, op, {}});
                        edited.insert(edited.end(), typed.begin(), typed.end());
                        const CalcKey pending[] = {CalcKey::Equals, CalcKey::Add, CalcKey::Subtract,
                                                   CalcKey::Multiply, CalcKey::Divide};
                        edited.push_back({false, pending[static_cast<int>(taking.pendingBefore)], {}});
                    } else {
                        edited.insert(edited.end(), typed.begin(), typed.end());
                        edited.push_back({false, op, {}});
                    }
                }
            }
            if (inEntry && kind != EditKind::Insert)
                continue;
            const bool appliesPending = taking.pendingBefore != engine::BinaryOperator::None &&
                                        (taking.key == CalcKey::Add || taking.key == CalcKey::Subtract ||
                                         taking.key == CalcKey::Multiply || taking.key == CalcKey::Divide ||
                                         taking.key == CalcKey::Equals || taking.key == CalcKey::Subtotal);
            if (isTaker && kind == EditKind::Delete && !appliesPending)
                continue;
            edited.push_back(script[j]);
        }
        const Typed fresh(edited, locale, options);
        const std::vector<std::string>& afresh = fresh.host.tape;

        std::string written = number; // as the user types it in the locale
        std::replace(written.begin(), written.end(), '.', locale.decimal);
        std::optional<engine::Recomputed> r;
        if (kind == EditKind::Correct)
            r = corrections.Correct(line, written);
        else if (kind == EditKind::Delete)
            r = corrections.Delete(line);
        else
            r = corrections.Insert(line, engine::BinaryOperator::Subtract, written);
        ASSERT_TRUE(r) << "script " << n << " line " << line;
        run.host.tape = Applied(run.host.tape, *r);
        ASSERT_EQ(run.host.tape, afresh)
            << "script " << n << " edit " << static_cast<int>(kind) << " line " << line << " number "
            << number << " before " << ::testing::PrintToString(before) << " keys " << Keys(script);
        EXPECT_EQ(run.host.display, fresh.host.display) << "script " << n;
        EXPECT_EQ(r->status, fresh.host.status) << "script " << n;
        ++edits[static_cast<int>(kind)];

        // Where the edit kept the number of lines, the marked lines are exactly those that changed.
        if (afresh.size() == before.size() && kind == EditKind::Correct) {
            std::vector<std::size_t> changed, marked;
            for (std::size_t i = 0; i < afresh.size(); ++i) {
                if (afresh[i] != before[i])
                    changed.push_back(i);
            }
            for (const auto& [i, decoration] : corrections.Decorations()) {
                if (decoration.changed)
                    marked.push_back(i);
            }
            EXPECT_EQ(marked, changed) << "script " << n;
        }

        // Undo gives the old tape back, unmarked; redo the edited one.
        const std::optional<engine::Recomputed> undone = corrections.Undo();
        ASSERT_TRUE(undone);
        run.host.tape = Applied(run.host.tape, *undone);
        ASSERT_EQ(run.host.tape, before) << "script " << n;
        EXPECT_TRUE(corrections.Decorations().empty());
        run.host.tape = Applied(run.host.tape, *corrections.Redo());
        EXPECT_EQ(run.host.tape, afresh) << "script " << n;
    }
    for (const int count : edits)
        EXPECT_GT(count, 300);
}

} // namespace

namespace {

// A corrected amount is read as a paste is: the number as the tape prints it ("1.235,5" where the
// comma is the decimal separator was taken as 1,2355), in either convention, the locale deciding only
// "1.234" and "1,234"; what no keypad types is refused.
TEST(Corrections, TheNumberTypedIsReadAsThePasteReadsIt)
{
    const struct
    {
        TBcdSeparators locale;
        const char* text;
        const char* total; // of the corrected 1234.5 + 1; "" where the text is refused
    } rows[] = {
        {{',', '.'}, "1.235,5", "1.236,5"}, {{',', '.'}, "1235,5", "1.236,5"},
        {{',', '.'}, "1.234", "1.235"},     {{',', '.'}, "1.5", "2,5"},
        {{',', '.'}, "-12,5", "-11,5"},     {{',', '.'}, "12,50 \u20ac", "13,5"},
        {{'.', ','}, "1,235.5", "1,236.5"}, {{'.', ','}, "0,5", "1.5"},
        {{'.', ','}, "1,234", "1,235"},     {{'.', ','}, "1E5", ""},
        {{'.', ','}, "1,2,3", ""},          {{'.', ','}, "12 apples", ""},
    };
    for (const auto& row : rows) {
        enginetest::FakeHost host;
        engine::CalcEngine calc(host, row.locale);
        for (const CalcKey k : {CalcKey::D1, CalcKey::D2, CalcKey::D3, CalcKey::D4, CalcKey::Decimal,
                                CalcKey::D5, CalcKey::Add, CalcKey::D1, CalcKey::Equals})
            calc.Press(k);
        engine::TapeCorrections corrections(calc, [&](std::size_t i) { return host.tape[i]; });
        const std::optional<engine::Recomputed> done = corrections.Correct(0, row.text);
        EXPECT_EQ(done.has_value(), *row.total != '\0') << row.text;
        if (done) {
            EXPECT_EQ(host.display, row.total) << row.text;
        }
    }
}

// The record kept with a tape reads back to the same steps, state, notes and marks, whose replay
// makes the same tape; a record cut short anywhere, or garbled, is no record.
TEST(RecordFile, ReadsBackWhatWasWrittenAndRefusesDamage)
{
    std::mt19937 random(7);
    std::string small;
    for (int n = 0; n < 200; ++n) {
        Typed run(RandomScript(random));
        engine::TapeCorrections corrections(run.calc, [&](std::size_t i) { return run.host.tape[i]; });
        for (std::size_t i = 0; i < run.host.tape.size(); ++i) {
            if (corrections.IsEntryLine(i)) {
                run.host.tape = Applied(run.host.tape, *corrections.Correct(i, "12.5"));
                break;
            }
        }
        corrections.SetNote(0, "Rent\tand \\ more");
        engine::KeptRecord kept{run.calc.Locale(),      run.host.tape.size(), 42,
                                run.calc.RecordStart(), run.calc.Record(),    corrections.Notes(),
                                corrections.Marks()};
        const std::string text = engine::SerializeRecord(kept);
        const std::optional<engine::KeptRecord> back = engine::ParseRecord(text);
        ASSERT_TRUE(back) << n;
        EXPECT_TRUE(back->locale == kept.locale && back->lines == kept.lines && back->hash == 42);
        EXPECT_EQ(back->start, kept.start);
        EXPECT_EQ(back->steps, kept.steps);
        EXPECT_EQ(back->notes, kept.notes);
        EXPECT_EQ(back->marks, kept.marks);
        enginetest::FakeHost host;
        engine::CalcEngine replayed(host, back->locale, back->start);
        for (const CalcStep& step : back->steps)
            replayed.Replay(step);
        EXPECT_EQ(host.tape, run.host.tape) << n;
        if (small.empty() || text.size() < small.size())
            small = text;
    }
    for (std::size_t cut = 0; cut < small.size(); ++cut)
        EXPECT_FALSE(engine::ParseRecord(small.substr(0, cut))) << cut;
    for (const auto& [from, to] : {std::pair{"step 1\t", "step 9\t"},
                                   {"locale ", "locale x"},
                                   {"\nend\n", "\nend\nx"},
                                   {"state ", "state \\q"},
                                   {"tape ", "tape -"}}) {
        std::string garbled = small;
        garbled.replace(garbled.find(from), std::string_view(from).size(), to);
        EXPECT_FALSE(engine::ParseRecord(garbled)) << from;
    }
}

} // namespace
