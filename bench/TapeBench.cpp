// The tape at 0, 100,000 and 1,000,000 lines, in the real main window at twice its design size on
// the offscreen platform, in one run: one resize step to its repaint, Save, Copy Tape, Clear Tape
// (wall-clock ms, medians; Save also in CPU ms, as its wall time includes the disk's sync of the
// file) and the memory each line takes (the growth of the memory allocated while a window's tape
// fills, its events running every 1,000 lines as they run between keys: unlike the growth of RSS,
// this does not depend on what ran before in the process). The screen is made large enough for the
// window.
//   bench_tape [LINES LINES LINES]     (default 0 100000 1000000)
//   bench_tape --instructions LINES    Copy Tape at LINES lines under callgrind (bench/instructions.py
//                                      tape): its instructions are dumped as "copy tape of LINES lines"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <malloc.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Callgrind.h"
#include "platform/qt/WindowGeometry.h"
#include "ui/Calc.h"
#include "ui/DialogService.h"

namespace {

// Save As answered with the bench's file, every question (Overwrite? Clear Tape?) with Yes.
class YesDialogs : public ui::QtDialogService
{
public:
    explicit YesDialogs(QString file) : file_(std::move(file)) {}
    ui::BoxAnswer Box(QWidget*, ui::BoxKind, const QString&, const QString&, ui::BoxButtons) override
    {
        return ui::BoxAnswer::Yes;
    }
    std::optional<QString> SaveFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return file_;
    }

private:
    QString file_;
};

// Runs the menu item named `name`, as a click on it does.
void Run(ui::TfrmMain& w, const char* name)
{
    w.findChild<QAction*>(QString::fromLatin1(name))->trigger();
}

double RssMiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kib = 0;
            status >> kib;
            return kib / 1024.0;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

// Bytes allocated by the program (on the heap and in mapped blocks).
double HeapBytes()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd);
}

template<typename F>
double Ms(F&& action)
{
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

template<typename F>
double MedianMs(int runs, F&& action)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i)
        ms.push_back(Ms(action));
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

void Resize(ui::TfrmMain& w, QSize outer)
{
    QRect r = platform::OuterGeometry(&w);
    r.setSize(outer);
    platform::SetOuterGeometry(&w, r);
    QApplication::processEvents();
}

struct Row
{
    double resize = 0, save = 0, saveCpu = 0, copy = 0, clear = 0, rss = 0, fileMiB = 0, bytesPerLine = 0;
};

// Lines as a day's sums print them, the window's events running every 1,000 lines.
void Fill(ui::TfrmMain& w, long lines)
{
    const char* const kinds[] = {
        "1,234.56  ", "789.01 +", "-45,678,901.234 *", "--------------------------", "1,234,567.89 =", " "};
    for (long i = 0; i < lines; ++i) {
        w.AppendTapeLine(kinds[i % 6]);
        if (i % 1000 == 999)
            QApplication::processEvents();
    }
    QApplication::processEvents();
}

Row Measure(long lines, const QString& file)
{
    ui::TfrmMain w;
    w.show();
    Resize(w, QSize(1020, 630)); // twice the design size
    QApplication::processEvents();
    const double before = HeapBytes();
    Fill(w, lines);
    Row row;
    row.rss = RssMiB();
    row.bytesPerLine = lines > 0 ? (HeapBytes() - before) / static_cast<double>(lines) : 0;
    int step = 0;
    const auto resizeStep = [&] { Resize(w, ++step % 2 == 0 ? QSize(1020, 630) : QSize(1030, 636)); };
    // The first resize steps of a process cost four times more on the offscreen platform: glibc maps
    // and unmaps the multi-megabyte backing store at each step until its adaptive mmap threshold has
    // grown past it. A user's X server keeps one shared-memory image instead, so the steady state is
    // measured.
    for (int i = 0; i < 8; ++i)
        resizeStep();
    row.resize = MedianMs(7, resizeStep);
    Run(w, "mnuFileSaveAs"); // names the file: File > Save writes it from now on
    const double cpuBefore = CpuMs();
    row.save = MedianMs(3, [&] { Run(w, "mnuFileSave"); });
    row.saveCpu = (CpuMs() - cpuBefore) / 3;
    row.fileMiB = static_cast<double>(QFileInfo(file).size()) / (1024 * 1024);
    row.copy = MedianMs(3, [&] { Run(w, "mnuEditCopyTape"); });
    row.clear = Ms([&] { Run(w, "mnuEditClearTape"); });
    return row;
}

} // namespace

// Copy Tape at `lines` lines, its instructions collected alone.
int CountCopyTape(long lines)
{
    ui::TfrmMain w;
    w.show();
    Fill(w, lines);
    char name[64];
    std::snprintf(name, sizeof name, "copy tape of %ld lines", lines);
    CALLGRIND_START_INSTRUMENTATION;
    CALLGRIND_ZERO_STATS;
    CALLGRIND_TOGGLE_COLLECT;
    Run(w, "mnuEditCopyTape");
    CALLGRIND_TOGGLE_COLLECT;
    CALLGRIND_DUMP_STATS_AT(name);
    CALLGRIND_STOP_INSTRUMENTATION;
    return 0;
}

int main(int argc, char** argv)
{
    const bool instructions = argc == 3 && std::string(argv[1]) == "--instructions";
    long counts[] = {0, 100000, 1000000};
    for (int i = 1; !instructions && i < argc && i <= 3; ++i)
        counts[i - 1] = std::atol(argv[i]);
    // The offscreen screen is 800 x 800 unless configured: twice the design size needs more.
    QTemporaryDir dir;
    const QString screens = dir.filePath(QStringLiteral("screens.json"));
    QFile config(screens);
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(R"({"screens": [{"name": "big", "x": 0, "y": 0, "width": 1920, "height": 1200,)"
                     R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        return 1;
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens));
    // The options at their defaults, whatever the user's are.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    const QString file = dir.filePath(QStringLiteral("tape.txt"));
    YesDialogs dialogs(file);
    ui::SetDialogs(&dialogs);
    if (instructions) {
        const int status = CountCopyTape(std::atol(argv[2]));
        ui::SetDialogs(nullptr);
        return status;
    }

    std::vector<Row> rows;
    for (const long n : counts)
        rows.push_back(Measure(n, file));
    ui::SetDialogs(nullptr);

    std::printf("| tape lines | %ld | %ld | %ld | goal at 1,000,000 |\n|---|---|---|---|---|\n", counts[0],
                counts[1], counts[2]);
    auto print = [&](const char* name, double Row::*field, const char* format, const char* goal) {
        std::printf("| %s |", name);
        for (const Row& r : rows) {
            std::printf(" ");
            std::printf(format, r.*field);
            std::printf(" |");
        }
        std::printf(" %s |\n", goal);
    };
    print("resize step at 2x, ms", &Row::resize, "%.2f", "< 10 (100k: < 5)");
    print("Save, ms", &Row::save, "%.1f", "< 200");
    print("Save, CPU ms", &Row::saveCpu, "%.1f", "");
    print("file saved, MiB", &Row::fileMiB, "%.1f", "");
    print("Copy Tape, ms", &Row::copy, "%.1f", "< 200");
    print("Clear Tape, ms", &Row::clear, "%.1f", "< 200");
    print("RSS, MiB", &Row::rss, "%.1f", "<= 150");
    print("bytes per line (memory allocated while the tape fills)", &Row::bytesPerLine, "%.1f", "<= 100");
    std::printf("\nRatio to the empty tape: resize %.2f / %.2f, Save %.2f / %.2f, Copy Tape %.2f / %.2f\n",
                rows[1].resize / rows[0].resize, rows[2].resize / rows[0].resize, rows[1].save / rows[0].save,
                rows[2].save / rows[0].save, rows[1].copy / rows[0].copy, rows[2].copy / rows[0].copy);
    return 0;
}
