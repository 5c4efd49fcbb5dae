// The cost of a key through the keyboard map to the repainted window, in the real main window, after
// 0, 10,000 and 100,000 keys typed in one run: a key must cost the same however long the program
// has run. "1 +" repeatedly, so every second key computes and appends a tape line (the tape grows to
// 50,000 lines). Each key goes in as the window system hands it over (press, then release, the
// events run after each, so the key's flash and its release are painted and flushed).
//
// The platform is offscreen unless QT_QPA_PLATFORM names another (xcb under Xvfb for the real
// window). Alone, the program prints the process's CPU time per key. Under callgrind, started with
// instrumentation and collection off (bench/instructions.py keys), it collects the digits and the
// operators of each window apart and dumps them as "digits after N" and "operators after N".

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <cstdio>
#include <ctime>

#include "Callgrind.h"
#include "ui/Calc.h"

namespace {

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void Digit(QWindow* window)
{
    QTest::sendKeyEvent(QTest::Click, window, Qt::Key_1, QStringLiteral("1"), Qt::NoModifier);
}

void Operator(QWindow* window)
{
    QTest::sendKeyEvent(QTest::Click, window, Qt::Key_Plus, QStringLiteral("+"), Qt::ShiftModifier);
}

} // namespace
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The options at their defaults, whatever the user's are.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    ui::TfrmMain w;
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return 1;
    QTest::qWait(300); // the pictures that come after the window
    QWindow* window = w.windowHandle();

    const bool counted = RUNNING_ON_VALGRIND != 0;
    const long pairs = counted ? 100 : 1000; // "1 +" pairs measured at each point
    const long points[] = {0, 10000, 100000};
    long typed = 0; // pairs typed
    double first = 0;
    if (!counted)
        std::printf("| keys typed before | CPU per key, us | ratio to the first |\n|---|---|---|\n");
    for (const long point : points) {
        while (typed * 2 < point) {
            Digit(window);
            Operator(window);
            ++typed;
        }
        if (counted) {
            char name[64];
            CALLGRIND_START_INSTRUMENTATION;
            for (const bool digits : {true, false}) {
                CALLGRIND_ZERO_STATS;
                for (long i = 0; i < pairs; ++i) {
                    if (digits)
                        CALLGRIND_TOGGLE_COLLECT;
                    Digit(window);
                    CALLGRIND_TOGGLE_COLLECT;
                    Operator(window);
                    if (!digits)
                        CALLGRIND_TOGGLE_COLLECT;
                }
                std::snprintf(name, sizeof name, "%s after %ld x %ld", digits ? "digits" : "operators", point,
                              pairs);
                CALLGRIND_DUMP_STATS_AT(name);
            }
            CALLGRIND_STOP_INSTRUMENTATION;
            typed += 2 * pairs;
            continue;
        }
        const double start = CpuSeconds();
        for (long i = 0; i < pairs; ++i) {
            Digit(window);
            Operator(window);
        }
        typed += pairs;
        const double perKey = (CpuSeconds() - start) / static_cast<double>(2 * pairs) * 1e6;
        if (point == 0)
            first = perKey;
        std::printf("| %ld | %.1f | %.2f |\n", point, perKey, perKey / first);
        std::fflush(stdout);
    }
    if (!counted)
        std::printf("\nGoal: after 100,000 keys within 10%% of the first (ratio at most 1.10).\n");
    return 0;
}
