#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int caught[] = {SIGTERM, SIGHUP, SIGINT};

// The pair's write end for the handler (a process-wide resource: one object at a time).
int signalPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int signalNumber)
{
    // Only async-signal-safe calls here. The next such signal takes the default action.
    std::signal(signalNumber, SIG_DFL);
    const int saved = errno;
    const char byte = static_cast<char>(signalNumber);
    (void)!::write(signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return; // the signals keep their default action
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::Read);
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : caught)
        ::sigaction(s, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!notifier_)
        return;
    for (const int s : caught)
        std::signal(s, SIG_DFL);
    notifier_.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void TerminationSignals::Read()
{
    char byte = 0;
    while (::read(signalPipe[0], &byte, 1) == 1)
        emit Received(static_cast<unsigned char>(byte));
}
