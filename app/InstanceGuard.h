#pragma once
// The single-instance guard: one running calculator per user. The first instance holds a named
// marker ("PREVINST:" and the program's default title) for its whole life; a second start finds it
// taken, asks the running instance to come forward and ends.
//
// The marker is a lock file in a folder private to the user (a lock left by a killed process is
// taken over at once) and, beside it, a local (Unix-domain) socket on which the running instance
// listens for "come forward" requests. The folder is the user's runtime folder ($XDG_RUNTIME_DIR),
// else "quorlane-UID" in the temporary folder, else "quorlane" in the user's cache folder; a folder
// is used only when it is a real folder owned by the user and closed to everybody else, never one
// another user made. The guard makes the last two when missing and never changes the mode of a
// folder it did not make (one open to others is passed over). Requests are read without ever waiting
// on a client.

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>
#include <string_view>
#include <vector>

class QSocketNotifier;

class InstanceGuard : public QObject
{
    Q_OBJECT

public:
    // Takes the marker at once. `name` is the marker's name ("PREVINST:quorcalc"); `folder` where its
    // files live (empty: the private folder described above).
    explicit InstanceGuard(const QString& name, const QString& folder = QString(), QObject* parent = nullptr);
    ~InstanceGuard() override;
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // True when this process holds the marker.
    bool IsOnlyInstance() const { return lock_ && lock_->isLocked(); }
    // True when another running instance holds it.
    bool AnotherInstanceRuns() const { return lock_ && lock_->error() == QLockFile::LockFailedError; }
    // Why the marker could not be made at all (no private folder, the lock file cannot be written),
    // empty otherwise. The program then runs unguarded.
    const QString& Problem() const { return problem_; }

    // Asks the running instance to restore itself or come to the front; silent when none answers.
    void BringRunningInstanceForward() const;

    // Where the marker's files are, for messages and tests.
    QString LockPath() const;
    QString ServerPath() const;

    // The default marker name: "PREVINST:" and the executable's name without folder and extension
    // (cut at the first "."), with every letter after the first in lower case.
    static QString DefaultName(const QString& executablePath);

signals:
    // A second start asked this instance to come forward.
    void ActivationRequested();

private:
    struct Client;

    void Listen();
    void Accept();
    void ReadFrom(Client* client);
    void Drop(Client* client);

    QString base_;
    std::unique_ptr<QLockFile> lock_;
    int listener_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<std::unique_ptr<Client>> clients_;
    QString problem_;
};

// What a client has sent so far: a request is one line, "activate"; a line that is not, or 64 bytes
// without a line end, is refused. A client that ends its data without a line end sent its last line.
enum class InstanceRequest
{
    Incomplete,
    Activate,
    Refused,
};
InstanceRequest ParseInstanceRequest(std::string_view received, bool ended);
