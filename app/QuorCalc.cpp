#include "app/QuorCalc.h"

#include <QApplication>
#include <QLocale>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "app/CommandLine.h"
#include "app/InstanceGuard.h"
#include "ui/Calc.h"
#include "ui/DialogService.h"

namespace {

// The user's separators as Qt's own locale data knows them: Qt reads the locale from the environment
// without needing it installed in the C library. A separator that is not one 8-bit character
// becomes a blank.
char SeparatorFromQt(const QString& text, char fallback)
{
    if (text.isEmpty())
        return fallback;
    if (text.size() == 1 && text.at(0).unicode() < 0x100)
        return static_cast<char>(text.at(0).unicode());
    return ' ';
}

TBcdSeparators SystemLocaleSeparators()
{
    const QLocale locale = QLocale::system();
    return {SeparatorFromQt(locale.decimalPoint(), '.'), SeparatorFromQt(locale.groupSeparator(), ',')};
}

// An error that no handler catches is shown in a box, and the event loop goes on: no exception
// crosses the event loop.
class CalcApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            Report(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            Report(QStringLiteral("An unexpected error occurred."));
        }
        return false;
    }

private:
    static void Report(const QString& message)
    {
        ui::Dialogs().Box(QApplication::activeWindow(), ui::BoxKind::GeneralError,
                          QString::fromLatin1(ui::ApplicationTitle), message, ui::BoxButtons::Ok);
    }
};

// The signals that ask a program to end (SIGTERM from the session or a service manager, SIGHUP when
// the terminal or session goes away, SIGINT from Ctrl+C), handled on the GUI thread so that the
// program ends as a close does instead of dying on the spot. They stay caught until the program
// ends: a second one (a session manager and a terminal both asking) must not cut the ending save
// short. The first one starts a bound: should the save not finish within it (a hung file system),
// the program ends all the same, as the signal's default action would have ended it.
constexpr int terminationSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr unsigned EndingBoundSeconds = 15;

// The pair's write end for the handler (a process-wide resource: one catcher at a time), and the
// first signal received (0: none yet).
int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t firstSignal = 0;

extern "C" void OnTerminationSignal(int signalNumber)
{
    // Only async-signal-safe calls here.
    const int saved = errno;
    if (firstSignal == 0) {
        firstSignal = signalNumber;
        ::alarm(EndingBoundSeconds);
    }
    const char byte = static_cast<char>(signalNumber);
    (void)!::write(signalPipe[1], &byte, 1);
    errno = saved;
}

// The bound has passed: the program ends as the first signal's default action ends it.
extern "C" void OnEndingBoundPassed(int)
{
    constexpr char message[] = "quorcalc: the options and the tape could not be saved in time; ending\n";
    (void)!::write(STDERR_FILENO, message, sizeof message - 1);
    const int signalNumber = firstSignal != 0 ? static_cast<int>(firstSignal) : SIGTERM;
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
    ::_exit(128 + signalNumber);
}

// Calls `received` on the event loop for each signal caught during the object's lifetime.
class TerminationSignals
{
public:
    explicit TerminationSignals(std::function<void()> received)
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
            return; // the signals keep their default action
        notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [received = std::move(received)] {
            char byte = 0;
            while (::read(signalPipe[0], &byte, 1) == 1)
                received();
        });
        struct sigaction action = {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int s : terminationSignals)
            ::sigaction(s, &action, nullptr);
        action.sa_handler = OnEndingBoundPassed;
        ::sigaction(SIGALRM, &action, nullptr);
    }
    ~TerminationSignals()
    {
        if (!notifier_)
            return;
        for (const int s : terminationSignals)
            std::signal(s, SIG_DFL);
        notifier_.reset();
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
        signalPipe[0] = signalPipe[1] = -1;
    }
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace

int QuorCalc(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (const std::optional<int> status = AnswerInformationOptions(arguments, std::cout, std::cerr))
        return *status;
    if (const std::optional<std::string> missing = MissingDisplay(arguments, [](const char* name) {
            const char* value = std::getenv(name);
            return std::string(value != nullptr ? value : "");
        })) {
        std::cerr << *missing << '\n';
        return 1;
    }

    std::optional<DisplayFailureGuard> displayFailure(std::in_place);
    CalcApplication app(argc, argv);
    displayFailure.reset();
    // The guard is set up first, under the program's default title.
    std::setlocale(LC_ALL, "");
    const TBcdSeparators separators = SystemLocaleSeparators();
    InstanceGuard guard(InstanceGuard::DefaultName(QString::fromLocal8Bit(argv[0])));

    // The desktop id is the Wayland app id and (as the application name) the X11 window class, so
    // docks and task bars find the desktop entry and its icon. No display name: the window system
    // would append it to every caption ("Information — ...").
    QApplication::setApplicationName(QString::fromLatin1(ui::DesktopId));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(ui::DesktopId));
    if (guard.AnotherInstanceRuns()) {
        guard.BringRunningInstanceForward();
        return 0;
    }
    if (!guard.Problem().isEmpty()) // better a second window than none
        std::fprintf(stderr, "quorcalc: %s; running without it\n", guard.Problem().toLocal8Bit().constData());

    QStringList windowArguments = QApplication::arguments();
    windowArguments.removeFirst();
    // Hidden in the notification area the calculator has no visible window; the program ends when
    // the calculator's own close is granted, not when some other window closes last.
    QApplication::setQuitOnLastWindowClosed(false);
    ui::TfrmMain frmMain(windowArguments, separators);
    QObject::connect(&frmMain, &ui::TfrmMain::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&guard, &InstanceGuard::ActivationRequested, &frmMain, &ui::TfrmMain::BringToFront);
    // Logging out and SIGTERM keep the options as a close does.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &frmMain,
                     [&frmMain](QSessionManager&) { frmMain.SaveOptionsForSessionEnd(); });
    const TerminationSignals termination([&frmMain] { frmMain.EndSession(); });
    if (!frmMain.StartHidden())
        frmMain.show();
    return QApplication::exec();
}
