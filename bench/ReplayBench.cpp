// Replaying a calculation: the record of a 100,000-line tape (amounts added, subtracted, multiplied
// and divided, totals, the memory), replayed on an engine made from the state it started from, as a
// correction recomputes it. Median of 9 replays, process CPU time.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "engine/CalcEngine.h"

namespace {

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The tape's lines kept as a window keeps them, the rest dropped.
struct TapeHost : engine::ICalcHost
{
    std::vector<std::string> tape;
    void SetDisplayText(std::string_view) override {}
    void AppendTapeLine(std::string_view line) override { tape.emplace_back(line); }
    void ShowMessage(engine::MessageKind, std::string_view) override {}
    void SetStatusText(std::string_view) override {}
    void ReportError(std::string_view) override {}
};

} // namespace

int main()
{
    using engine::CalcKey;
    constexpr std::size_t Lines = 100000;
    TapeHost typed;
    engine::CalcEngine calc(typed);
    const engine::CalcState start = calc.State();
    std::mt19937 random(2026);
    const CalcKey operators[] = {CalcKey::Add,      CalcKey::Add,      CalcKey::Add,
                                 CalcKey::Subtract, CalcKey::Multiply, CalcKey::Divide};
    while (typed.tape.size() < Lines) {
        // An amount of up to seven digits with cents, then an operator; a total now and then.
        for (int d = 1 + static_cast<int>(random() % 7); d > 0; --d)
            calc.Press(static_cast<CalcKey>(1 + random() % 9));
        calc.Press(CalcKey::Decimal);
        calc.Press(static_cast<CalcKey>(random() % 10));
        calc.Press(static_cast<CalcKey>(1 + random() % 9));
        const auto u = static_cast<unsigned>(random() % 20);
        calc.Press(u == 0   ? CalcKey::Equals
                   : u == 1 ? CalcKey::MAdd
                            : operators[random() % std::size(operators)]);
        if (calc.State().ErrorState) // a product beyond 1E64: cleared, as a user would
            calc.Press(CalcKey::C);
    }

    std::vector<double> ms;
    for (int run = 0; run < 9; ++run) {
        TapeHost host;
        host.tape.reserve(Lines + 8);
        const double t0 = CpuSeconds();
        engine::CalcEngine replayed(host, {}, start);
        for (const engine::CalcStep& step : calc.Record())
            replayed.Replay(step);
        ms.push_back((CpuSeconds() - t0) * 1e3);
        if (host.tape != typed.tape) {
            std::fprintf(stderr, "the replay gave another tape\n");
            return 1;
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf("| replay of a calculation | tape lines | steps | CPU, ms (median of 9) | goal "
                "|\n|---|---|---|---|---|\n");
    std::printf("| amounts, operators, totals, M+ | %zu | %zu | %.1f | < 100 |\n", typed.tape.size(),
                calc.Record().size(), ms[ms.size() / 2]);
    return 0;
}
