// The tape kept between runs: how long a start takes to restore a kept tape of 1,000,000 lines
// (the file alone, and the main window created with it beside one without), and what a key pays
// while the writer thread replaces a 100,000-line file (the longest and the 99th-percentile time of
// handing a line to the writer, with the writer writing all the while).
//   bench_kept_tape [LINES] [BACKGROUND_LINES]     (default 1000000 100000)

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/AtomicFile.h"
#include "ui/Calc.h"
#include "ui/KeptTape.h"
#include "ui/SettingsStore.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Lines as a day of sums writes them.
ui::TapeModel TypicalTape(std::size_t lines)
{
    static const char* const sample[] = {"1,234.56  ", "78.9 +", "--------------------------",
                                         "1,313.46 =", " "};
    ui::TapeModel tape;
    tape.Reserve(lines, lines * 12);
    for (std::size_t i = 0; i < lines; ++i)
        tape.Append(sample[i % 5]);
    return tape;
}

double WindowStartMs()
{
    std::vector<double> ms;
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        ui::TfrmMain w;
        ms.push_back(Ms(Clock::now() - start));
    }
    return Median(ms);
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const std::size_t background = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 100000;
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("QUORLANE_USER_HIVE_DIR", QFile::encodeName(home.filePath(QStringLiteral("hive"))));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const std::filesystem::path file = ui::KeptTape::DefaultFile();
    ui::WriteOptions(ui::StoredOptions{.KeepTape = true});
    const double emptyStart = WindowStartMs();
    platform::files::WriteFileAtomically(file, ui::KeptTape::Serialize(TypicalTape(lines)), 0600, 0700);
    std::vector<double> restore;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        const ui::KeptTape::Restored r = ui::KeptTape::Restore(file);
        restore.push_back(Ms(Clock::now() - start));
        if (r.lines.Count() != lines)
            return std::fprintf(stderr, "restored %zu lines of %zu\n", r.lines.Count(), lines), 1;
    }
    // Each start appends its restart lines; the file is put back before the next.
    const std::string text = ui::KeptTape::Serialize(TypicalTape(lines));
    std::vector<double> starts;
    for (int i = 0; i < 3; ++i) {
        platform::files::WriteFileAtomically(file, text, 0600, 0700);
        const auto start = Clock::now();
        ui::TfrmMain w;
        starts.push_back(Ms(Clock::now() - start));
    }
    std::printf("kept tape of %zu lines: restore %.0f ms, main window created %.0f ms (%.0f ms without)\n",
                lines, Median(restore), Median(starts), emptyStart);

    // The machine's own noise: the same loop with nothing handed to a writer.
    double longestIdle = 0;
    for (const auto end = Clock::now() + std::chrono::seconds(3); Clock::now() < end;) {
        const auto start = Clock::now();
        ui::TapeModel scratch{"12.5 +"};
        longestIdle = std::max(longestIdle, Ms(Clock::now() - start) * 1000.0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    // A writer that never stops: every change is written at once, 100k lines each time.
    ui::KeptTape kept(home.filePath(QStringLiteral("bg/tape.txt")).toStdString(), TypicalTape(background),
                      true, std::chrono::milliseconds(0));
    std::vector<double> costs;
    const auto end = Clock::now() + std::chrono::seconds(3);
    while (Clock::now() < end) {
        const auto start = Clock::now();
        kept.Appended("12.5 +");
        costs.push_back(Ms(Clock::now() - start) * 1000.0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kept.Flush();
    std::sort(costs.begin(), costs.end());
    std::printf("key while %zu lines are written: median %.1f us, 99th percentile %.1f us, longest %.1f us "
                "(%zu keys; the same loop without a writer: longest %.1f us)\n",
                background, costs[costs.size() / 2], costs[costs.size() * 99 / 100], costs.back(),
                costs.size(), longestIdle);
    return 0;
}
