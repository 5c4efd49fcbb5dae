#pragma once
// The signals that ask a program to end (SIGTERM from the session or a service manager, SIGHUP when
// the terminal or session goes away, SIGINT from Ctrl+C) as a Qt signal on the GUI thread, so that
// the program ends as a close does instead of dying on the spot. A second such signal while the
// first is being handled ends the program at once (the system's default action).

#include <QObject>

#include <memory>

class QSocketNotifier;

class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    // Catches the signals for the object's lifetime (one object per process).
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
    void Received(int signalNumber);

private:
    void Read();

    std::unique_ptr<QSocketNotifier> notifier_;
};
