// The engine's record: replaying the steps it recorded, on an engine made from the state they started
// from, gives the same display, tape, memory indicator, boxes, error reports and state as the keys.

#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeHost.h"
#include "engine/CalcEngine.h"

namespace {

using engine::CalcEngine;
using engine::CalcKey;
using enginetest::FakeHost;

// What a host was told.
struct Outcome
{
    std::string display, status;
    std::vector<std::string> tape, messages, errors;
    engine::CalcState state;

    friend bool operator==(const Outcome&, const Outcome&) = default;
};

void PrintTo(const Outcome& o, std::ostream* out)
{
    *out << "display '" << o.display << "' status '" << o.status << "' tape";
    for (const std::string& line : o.tape)
        *out << " [" << line << "]";
    for (const std::string& m : o.messages)
        *out << " box [" << m << "]";
    for (const std::string& e : o.errors)
        *out << " error [" << e << "]";
    const engine::CalcState& s = o.state;
    *out << " state: display '" << s.DisplayText << "' entry '" << s.EntryText << "' total '"
         << s.AccumulatorText << "' pending '" << engine::OperatorSymbol(s.PendingOperator) << "' result '"
         << s.LastResultText << "' memory '" << s.MemoryText << "' flags " << s.NewEntry << s.ResultShown
         << s.ErrorState << s.DecimalPending;
}

Outcome OutcomeOf(const FakeHost& host, const CalcEngine& calc, std::size_t tapeFrom = 0,
                  std::size_t messagesFrom = 0, std::size_t errorsFrom = 0)
{
    return {host.display,
            host.status,
            {host.tape.begin() + static_cast<std::ptrdiff_t>(tapeFrom), host.tape.end()},
            {host.messages.begin() + static_cast<std::ptrdiff_t>(messagesFrom), host.messages.end()},
            {host.errors.begin() + static_cast<std::ptrdiff_t>(errorsFrom), host.errors.end()},
            calc.State()};
}

// One random script: mostly digits and the decimal point, every other key, pastes now and then.
struct Input
{
    bool paste = false, options = false;
    CalcKey key = CalcKey::C;
    std::string text;
    engine::CalcOptions switches;
};

std::vector<Input> RandomScript(std::mt19937& random)
{
    const char* pastes[] = {"1,234.5", "12,34", "-3", "9E63", "abc", "0.5", "1e-30", "", "\xE2\x82\xAC 7"};
    std::vector<Input> script(1 + random() % 80);
    for (Input& in : script) {
        const auto u = static_cast<unsigned>(random() % 100);
        in.paste = u >= 96;
        in.options = u == 95; // the adding machine's switches changed
        if (in.paste) {
            in.text = pastes[random() % std::size(pastes)];
        } else if (in.options) {
            in.switches = {static_cast<engine::DecimalPlaces>(random() % 6),
                           static_cast<TBcdRounding>(random() % 3), random() % 2 == 0, random() % 2 == 0};
        } else {
            in.key = static_cast<CalcKey>(u < 55 ? random() % 13
                                                 : random() % (static_cast<int>(CalcKey::NonAdd) + 1));
        }
    }
    return script;
}

void Give(CalcEngine& calc, const Input& in)
{
    if (in.paste)
        calc.Paste(in.text);
    else if (in.options)
        calc.SetOptions(in.switches);
    else
        calc.Press(in.key);
}

TEST(Replay, TheRecordGivesWhatTheKeysGave)
{
    std::mt19937 random(20261210);
    const TBcdSeparators locales[] = {{'.', ','}, {',', '.'}, {',', ' '}, {'.', '\''}};
    int fromTheMiddle = 0;
    for (int n = 0; n < 3000; ++n) {
        const TBcdSeparators locale = locales[n % std::size(locales)];
        const std::vector<Input> script = RandomScript(random);

        // The keys, with a snapshot after a step that ended no entry half-way through the script.
        FakeHost host;
        CalcEngine calc(host, locale);
        const engine::CalcState start = calc.State();
        if (n % 5 == 0)
            calc.TextShown(0); // a start with the tape kept that found nothing kept
        std::optional<engine::CalcState> middle;
        std::size_t stepsThen = 0, tapeThen = 0, messagesThen = 0, errorsThen = 0;
        std::string statusThen, displayThen;
        for (std::size_t i = 0; i < script.size(); ++i) {
            Give(calc, script[i]);
            // (G without its switch is no step, and leaves an entry going on.)
            if (!middle && i >= script.size() / 2 && !calc.Record().empty() &&
                calc.Record().back().kind != engine::CalcStep::Kind::Entry) {
                middle = calc.State();
                stepsThen = calc.Record().size();
                tapeThen = host.tape.size();
                messagesThen = host.messages.size();
                errorsThen = host.errors.size();
                statusThen = host.status;
                displayThen = host.display;
            }
        }

        // From the start.
        FakeHost again;
        CalcEngine replayed(again, locale, start);
        for (const engine::CalcStep& step : calc.Record())
            replayed.Replay(step);
        ASSERT_EQ(OutcomeOf(again, replayed), OutcomeOf(host, calc)) << "script " << n;
        EXPECT_EQ(replayed.Record(), calc.Record()) << "script " << n;

        // From the snapshot: the steps after it give what the keys after it gave.
        if (!middle)
            continue;
        FakeHost rest;
        rest.status = statusThen; // the window as it stood (the indicator changes with the memory only)
        rest.display = displayThen;
        CalcEngine resumed(rest, locale, *middle);
        for (std::size_t i = stepsThen; i < calc.Record().size(); ++i)
            resumed.Replay(calc.Record()[i]);
        ASSERT_EQ(OutcomeOf(rest, resumed), OutcomeOf(host, calc, tapeThen, messagesThen, errorsThen))
            << "script " << n << " from step " << stepsThen;
        ++fromTheMiddle;
    }
    EXPECT_GT(fromTheMiddle, 2000);
}

// An entry is one step: the number it left, not its keystrokes; the boxes shown while it was typed
// come with it.
TEST(Replay, AnEntryIsTheNumberTaken)
{
    FakeHost host;
    CalcEngine calc(host);
    for (const CalcKey k : {CalcKey::D1, CalcKey::D2, CalcKey::Back, CalcKey::D3, CalcKey::Decimal,
                            CalcKey::D5, CalcKey::Add, CalcKey::D2, CalcKey::Equals})
        calc.Press(k);
    const std::vector<engine::CalcStep>& r = calc.Record();
    ASSERT_EQ(r.size(), 4U);
    EXPECT_EQ(r[0].kind, engine::CalcStep::Kind::Entry);
    EXPECT_EQ(r[0].text, "13.5");
    EXPECT_EQ(r[1].key, CalcKey::Add);
    EXPECT_EQ(r[2].text, "2");
    EXPECT_EQ(r[3].key, CalcKey::Equals);
}

} // namespace
