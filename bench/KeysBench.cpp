// CPU per key through the keyboard map to the repainted display, in the real main window on the
// offscreen platform, after 0, 10,000 and 100,000 keys typed in one run: a key must cost the same
// however long the program has run. "1 +" repeatedly, so every second key computes and appends a
// tape line (the tape grows to 50,000 lines).

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <cstdio>
#include <ctime>

#include "ui/Calc.h"

namespace {

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void TypeKey(QWidget* sink, long index)
{
    const bool digit = index % 2 == 0;
    const Qt::Key key = digit ? Qt::Key_1 : Qt::Key_Plus;
    const Qt::KeyboardModifiers mods = digit ? Qt::NoModifier : Qt::ShiftModifier;
    const QString text = QString::fromLatin1(digit ? "1" : "+");
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(sink, &press);
    QApplication::sendEvent(sink, &release);
    QApplication::processEvents(); // the repaint the user sees
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::TfrmMain w;
    w.show();
    QApplication::processEvents();
    QWidget* sink = w.findChild<QLineEdit*>(QStringLiteral("edtFocus"));

    constexpr long Window = 2000; // keys measured at each point
    const long points[] = {0, 10000, 100000};
    double first = 0;
    long typed = 0;
    std::printf("| keys typed before | CPU per key, us | ratio to the first |\n|---|---|---|\n");
    for (const long point : points) {
        while (typed < point)
            TypeKey(sink, typed++);
        const double start = CpuSeconds();
        for (long i = 0; i < Window; ++i)
            TypeKey(sink, typed++);
        const double perKey = (CpuSeconds() - start) / Window * 1e6;
        if (point == 0)
            first = perKey;
        std::printf("| %ld | %.1f | %.2f |\n", point, perKey, perKey / first);
        std::fflush(stdout);
    }
    std::printf("\nGoal: after 100,000 keys within 10%% of the first (ratio at most 1.10).\n");
    return 0;
}
