#include "app/InstanceGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr char activateRequest[] = "activate\n";
// The longest a client may take to send its request, and how many may wait at once (a new one
// beyond that drops the one waiting longest).
constexpr int ClientTimeoutMs = 2000;
constexpr std::size_t MaxClients = 16;

QString SystemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Whether `path` is a folder of this user closed to everybody else, creating it (mode 0700) when
// missing. An existing folder is never changed: one that is a link or a file, another user's, or
// open to others is refused, with the reason.
bool MakePrivateFolder(const QString& path, QString& why)
{
    const QByteArray native = QFile::encodeName(path);
    const bool created = ::mkdir(native.constData(), 0700) == 0;
    if (!created && errno != EEXIST) {
        why = path + QStringLiteral(": ") + SystemText(errno);
        return false;
    }
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        why = path + QStringLiteral(": ") + SystemText(errno == ELOOP ? ENOTDIR : errno);
        return false;
    }
    struct stat status = {};
    bool usable = ::fstat(fd, &status) == 0;
    if (usable && status.st_uid != ::geteuid()) {
        why = path + QStringLiteral(": owned by another user");
        usable = false;
    } else if (usable && created && (status.st_mode & 0777) != 0700 && ::fchmod(fd, 0700) != 0) {
        why = path + QStringLiteral(": ") + SystemText(errno); // the umask took some of the owner's bits
        usable = false;
    } else if (usable && !created && (status.st_mode & 077) != 0) {
        why = path + QStringLiteral(": open to other users");
        usable = false;
    }
    ::close(fd);
    return usable;
}

QString Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? QFile::decodeName(value) : QString();
}

// The folders the marker may live in, best first.
QStringList MarkerFolders()
{
    QStringList folders;
    if (const QString runtime = Environment("XDG_RUNTIME_DIR"); QDir::isAbsolutePath(runtime))
        folders << runtime;
    folders << QDir::tempPath() + QStringLiteral("/quorlane-%1").arg(::geteuid());
    QString cache = Environment("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cache) && !Environment("HOME").isEmpty())
        cache = Environment("HOME") + QStringLiteral("/.cache");
    if (QDir::isAbsolutePath(cache)) {
        QDir().mkpath(cache);
        folders << cache + QStringLiteral("/quorlane");
    }
    return folders;
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

InstanceRequest ParseInstanceRequest(std::string_view received, bool ended)
{
    constexpr std::size_t longest = 64;
    const std::size_t end = received.find('\n');
    if (end == std::string_view::npos) {
        if (received.size() >= longest)
            return InstanceRequest::Refused;
        if (!ended)
            return InstanceRequest::Incomplete;
    }
    std::string_view line = received.substr(0, end);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line == "activate" ? InstanceRequest::Activate : InstanceRequest::Refused;
}

struct InstanceGuard::Client
{
    int fd = -1;
    std::string received;
    QSocketNotifier* notifier = nullptr; // children of the guard, deleted later
    QTimer* timer = nullptr;
};

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
    QStringList reasons;
    QString chosen;
    for (const QString& candidate : folder.isEmpty() ? MarkerFolders() : QStringList{folder}) {
        QString why;
        if (MakePrivateFolder(candidate, why)) {
            chosen = candidate;
            break;
        }
        reasons << why;
    }
    if (chosen.isEmpty()) {
        problem_ = QStringLiteral("no private folder for the single-instance guard (%1)")
                       .arg(reasons.join(QStringLiteral("; ")));
        return;
    }
    base_ = QDir(chosen).filePath(name);

    lock_ = std::make_unique<QLockFile>(LockPath());
    lock_->setStaleLockTime(0); // only a live process holds the marker; a dead one's lock is stale at once
    if (lock_->tryLock(0))
        Listen();
    else if (!AnotherInstanceRuns())
        problem_ = QStringLiteral("the single-instance guard %1 cannot be written").arg(LockPath());
}

InstanceGuard::~InstanceGuard()
{
    while (!clients_.empty())
        Drop(clients_.back().get());
    notifier_.reset();
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(QFile::encodeName(ServerPath()).constData());
    }
    // The lock file goes with its object.
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
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;                        // nothing more waiting
        if (clients_.size() >= MaxClients) // the one waiting longest makes room
            Drop(clients_.front().get());
        auto client = std::make_unique<Client>();
        Client* raw = client.get();
        raw->fd = fd;
        raw->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(raw->notifier, &QSocketNotifier::activated, this, [this, raw] { ReadFrom(raw); });
        raw->timer = new QTimer(this);
        raw->timer->setSingleShot(true);
        connect(raw->timer, &QTimer::timeout, this, [this, raw] { Drop(raw); });
        raw->timer->start(ClientTimeoutMs);
        clients_.push_back(std::move(client));
    }
}

void InstanceGuard::ReadFrom(Client* client)
{
    char buffer[64];
    for (;;) {
        const ssize_t n = ::recv(client->fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return; // the rest later
        if (n > 0)
            client->received.append(buffer, static_cast<std::size_t>(n));
        const InstanceRequest request = ParseInstanceRequest(client->received, n <= 0);
        if (request == InstanceRequest::Incomplete)
            continue;
        Drop(client);
        if (request == InstanceRequest::Activate)
            emit ActivationRequested();
        return;
    }
}

void InstanceGuard::Drop(Client* client)
{
    const auto found = std::find_if(clients_.begin(), clients_.end(),
                                    [client](const std::unique_ptr<Client>& c) { return c.get() == client; });
    if (found == clients_.end())
        return;
    // The notifier may be the sender now: it goes once the event loop has left it.
    client->notifier->setEnabled(false);
    client->notifier->deleteLater();
    client->timer->stop();
    client->timer->deleteLater();
    ::close(client->fd);
    clients_.erase(found);
}

void InstanceGuard::BringRunningInstanceForward() const
{
    if (base_.isEmpty())
        return;
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
