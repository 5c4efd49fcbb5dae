#include "app/InstanceGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr char activateRequest[] = "activate\n";

QString MarkerFolder(const QString& folder)
{
    if (!folder.isEmpty())
        return folder;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime;
    return QDir::tempPath() + QStringLiteral("/quorlane-%1").arg(getuid());
}

// The socket address of `path`; false when the path does not fit.
bool SocketAddress(const QString& path, sockaddr_un& address)
{
    const QByteArray native = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (native.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, native.constData(), static_cast<std::size_t>(native.size()));
    return true;
}

} // namespace

QString InstanceGuard::DefaultName(const QString& executablePath)
{
    QString base = QFileInfo(executablePath).fileName();
    if (const qsizetype dot = base.indexOf(QLatin1Char('.')); dot >= 0)
        base.truncate(dot);
    if (!base.isEmpty())
        base = base.left(1) + base.mid(1).toLower();
    return QStringLiteral("PREVINST:") + base;
}

InstanceGuard::InstanceGuard(const QString& name, const QString& folder, QObject* parent) : QObject(parent)
{
    const QString dir = MarkerFolder(folder);
    QDir().mkpath(dir);
    base_ = QDir(dir).filePath(name);

    lock_ = std::make_unique<QLockFile>(LockPath());
    lock_->setStaleLockTime(0); // only a live process holds the marker; a dead one's lock is stale at once
    isOnlyInstance_ = lock_->tryLock(0);
    if (isOnlyInstance_)
        Listen();
}

InstanceGuard::~InstanceGuard()
{
    notifier_.reset();
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(QFile::encodeName(ServerPath()).constData());
    }
    if (isOnlyInstance_)
        lock_->unlock();
}

QString InstanceGuard::LockPath() const
{
    return base_ + QStringLiteral(".lock");
}

QString InstanceGuard::ServerPath() const
{
    return base_ + QStringLiteral(".socket");
}

void InstanceGuard::Listen()
{
    sockaddr_un address;
    if (!SocketAddress(ServerPath(), address))
        return; // still the only instance; a second start then simply ends
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    // We hold the lock: a socket file still there was left by an instance that was killed.
    ::unlink(address.sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        ::close(fd);
        return;
    }
    listener_ = fd;
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &InstanceGuard::Accept);
}

void InstanceGuard::Accept()
{
    for (;;) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return; // nothing more waiting
        // The request is written right after connecting; never wait long for it.
        timeval limit{0, 200 * 1000};
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        char buffer[64];
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        ::close(client);
        if (n > 0 && std::string(buffer, static_cast<std::size_t>(n)).find("activate") != std::string::npos)
            emit ActivationRequested();
    }
}

void InstanceGuard::BringRunningInstanceForward() const
{
    sockaddr_un address;
    if (!SocketAddress(ServerPath(), address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        (void)::send(fd, activateRequest, sizeof activateRequest - 1, MSG_NOSIGNAL);
    ::close(fd);
}
