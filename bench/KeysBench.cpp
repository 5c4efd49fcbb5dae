// A key through the keyboard map to the updated display, in the real main window on the offscreen
// platform: with an empty tape and with a 100,000-line tape (appending a line must not grow with the
// tape's length).

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include "ui/Calc.h"

namespace {

void PressAndRelease(QWidget* target, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

void RunKeys(benchmark::State& state, int tapeLines)
{
    ui::TfrmMain w;
    w.show();
    QWidget* sink = w.findChild<QLineEdit*>(QStringLiteral("edtFocus"));
    for (int i = 0; i < tapeLines; ++i)
        w.AppendTapeLine("123,456.789 +");
    QApplication::processEvents();
    // "1 +" repeatedly: every second key computes, formats and appends a tape line.
    int i = 0;
    for (auto _ : state) {
        if (i++ % 2 == 0)
            PressAndRelease(sink, Qt::Key_1);
        else
            PressAndRelease(sink, Qt::Key_Plus, Qt::ShiftModifier);
        QApplication::processEvents(); // the repaint the user sees
    }
    state.counters["tape_lines"] = static_cast<double>(w.TapeLines().size());
}

void BM_KeyEmptyTape(benchmark::State& state)
{
    RunKeys(state, 0);
}

void BM_KeyLongTape(benchmark::State& state)
{
    RunKeys(state, 100000);
}

} // namespace

BENCHMARK(BM_KeyEmptyTape)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_KeyLongTape)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
