#pragma once
// The single-instance guard: one running calculator per user. The first instance holds a named
// marker ("PREVINST:" and the program's default title) for its whole life; a second start finds it
// taken, asks the running instance to come forward and ends.
//
// The marker is a lock file in the user's runtime folder (a lock left by a killed process is taken
// over at once) and, beside it, a local (Unix-domain) socket on which the running instance listens
// for "come forward" requests.

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

class InstanceGuard : public QObject
{
    Q_OBJECT

public:
    // Takes the marker at once. `name` is the marker's name ("PREVINST:quorcalc"); `folder` where its
    // files live (empty: the user's runtime folder, else the temporary folder with the user's id).
    explicit InstanceGuard(const QString& name, const QString& folder = QString(), QObject* parent = nullptr);
    ~InstanceGuard() override;
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // True when this process holds the marker. False when another instance holds it, and also when
    // the marker could not be made at all (then the program behaves as a second instance).
    bool IsOnlyInstance() const { return isOnlyInstance_; }

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
    void Listen();
    void Accept();

    QString base_;
    std::unique_ptr<QLockFile> lock_;
    int listener_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool isOnlyInstance_ = false;
};
