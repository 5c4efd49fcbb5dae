// The single-instance guard: one holder per name, a second start brings the first forward, a
// guard left by a killed process does not block the next start. Real processes of the program are
// started for the last two.

#include "app/InstanceGuard.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "tests/FileConditions.h"

namespace {

// QLocalServer and signals need an application object and an event loop.
QCoreApplication& App()
{
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

TEST(InstanceGuard, DefaultNameFromTheExecutable)
{
    // Every letter after the first in lower case; the first as it stands.
    EXPECT_EQ(InstanceGuard::DefaultName(QStringLiteral("/usr/bin/quorcalc")),
              QStringLiteral("PREVINST:quorcalc"));
    EXPECT_EQ(InstanceGuard::DefaultName(QStringLiteral("QUORCALC.EXE")),
              QStringLiteral("PREVINST:Quorcalc"));
    EXPECT_EQ(InstanceGuard::DefaultName(QStringLiteral("./my.calc.bin")), QStringLiteral("PREVINST:my"));
}

TEST(InstanceGuard, OneHolderAndASecondStartBringsItForward)
{
    App();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    InstanceGuard first(QStringLiteral("PREVINST:Test"), dir.path());
    ASSERT_TRUE(first.IsOnlyInstance());
    QSignalSpy activated(&first, &InstanceGuard::ActivationRequested);

    // The second guard runs its request from another thread's view: the first must answer from
    // the event loop, so let the loop run while the second waits.
    InstanceGuard second(QStringLiteral("PREVINST:Test"), dir.path());
    EXPECT_FALSE(second.IsOnlyInstance());
    QMetaObject::invokeMethod(
        &second, [&second] { second.BringRunningInstanceForward(); }, Qt::QueuedConnection);
    EXPECT_TRUE(activated.wait(3000) || activated.count() == 1);

    // Another name is another guard.
    InstanceGuard other(QStringLiteral("PREVINST:Other"), dir.path());
    EXPECT_TRUE(other.IsOnlyInstance());
}

TEST(InstanceGuard, AnUnusableFolderLeavesTheProgramUnguarded)
{
    App();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("not-a-folder"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    InstanceGuard guard(QStringLiteral("PREVINST:Test"), file);
    EXPECT_FALSE(guard.IsOnlyInstance());
    EXPECT_FALSE(guard.AnotherInstanceRuns());
    EXPECT_TRUE(guard.Problem().contains(file)) << guard.Problem().toStdString();
    guard.BringRunningInstanceForward(); // nobody answers: returns quietly
}

// Sets environment variables for its lifetime (null: unset).
class ScopedEnvironment
{
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, QString>> values)
    {
        for (const auto& [name, value] : values) {
            saved_.emplace_back(name, qEnvironmentVariableIsSet(name), qgetenv(name));
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, QFile::encodeName(value));
        }
    }
    ~ScopedEnvironment()
    {
        for (const auto& [name, wasSet, value] : saved_) {
            if (wasSet)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

private:
    std::vector<std::tuple<const char*, bool, QByteArray>> saved_;
};

// Folders another local user made in the temporary folder are never used (he would hold the marker
// of every start of this user).
// A runtime folder open to others (a stand-in for /tmp, a home folder) is passed over and left as it
// is: the guard changes the mode only of folders it made.
TEST(InstanceGuard, AFolderAnotherUserMadeOrOpenToOthersIsNeverUsed)
{
    App();
    QTemporaryDir tmp;
    const QString home = tmp.filePath(QStringLiteral("home"));
    const QString open = tmp.filePath(QStringLiteral("open"));
    ASSERT_TRUE(QDir().mkpath(open) && ::chmod(QFile::encodeName(open).constData(), 0755) == 0);
    const ScopedEnvironment environment{
        {"XDG_RUNTIME_DIR", open}, {"TMPDIR", tmp.path()}, {"XDG_CACHE_HOME", QString()}, {"HOME", home}};
    const auto [uid, gid] = testfiles::OrdinaryUser();
    QStringList taken;
    for (const QString& name :
         {QStringLiteral("quorlane-%1").arg(::geteuid()),
          QStringLiteral("runtime-%1").arg(qEnvironmentVariable("USER", QStringLiteral("root")))}) {
        const QString folder = tmp.filePath(name);
        ASSERT_TRUE(QDir().mkpath(folder));
        ::chmod(QFile::encodeName(folder).constData(), 0777);
        if (testfiles::RunningAsRoot())
            ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), uid, gid), 0);
        else // another user's folder cannot be made: a link to one stands for it
            ASSERT_TRUE(QDir(folder).removeRecursively() && QFile::link(tmp.path(), folder));
        taken << folder;
    }
    InstanceGuard guard(QStringLiteral("PREVINST:Test"));
    EXPECT_TRUE(guard.IsOnlyInstance()) << guard.Problem().toStdString();
    EXPECT_TRUE(guard.LockPath().startsWith(home + QStringLiteral("/.cache/quorlane/")))
        << guard.LockPath().toStdString();
    QFileInfo cache(home + QStringLiteral("/.cache/quorlane"));
    EXPECT_EQ(cache.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);
    EXPECT_EQ(QFileInfo(open).permissions() & QFile::ReadOther, QFile::ReadOther);
    if (testfiles::RunningAsRoot()) {
        for (const QString& folder : taken)
            EXPECT_TRUE(QDir(folder).isEmpty()) << folder.toStdString();
    }
}

// Clients that connect and say nothing never hold the event loop; a real request still gets through.
TEST(InstanceGuard, SilentClientsNeverHoldTheWindow)
{
    App();
    QTemporaryDir dir;
    InstanceGuard first(QStringLiteral("PREVINST:Test"), dir.path());
    ASSERT_TRUE(first.IsOnlyInstance());
    QSignalSpy activated(&first, &InstanceGuard::ActivationRequested);
    std::vector<int> silent;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(first.ServerPath());
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    QElapsedTimer clock;
    clock.start();
    qint64 longest = 0;
    const auto handleEvents = [&longest] {
        QElapsedTimer one;
        one.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        longest = std::max(longest, one.elapsed());
    };
    for (int i = 0; i < 20; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        silent.push_back(fd);
        handleEvents();
    }
    while (clock.elapsed() < 300)
        handleEvents();
    EXPECT_LT(longest, 100);
    InstanceGuard second(QStringLiteral("PREVINST:Test"), dir.path());
    EXPECT_TRUE(second.AnotherInstanceRuns());
    second.BringRunningInstanceForward();
    EXPECT_TRUE(activated.wait(3000) || activated.count() == 1);
    for (const int fd : silent)
        ::close(fd);
}

TEST(InstanceGuard, RequestsAreOneLine)
{
    const struct
    {
        std::string_view received;
        bool ended;
        InstanceRequest expected;
    } cases[] = {
        {"activate\n", false, InstanceRequest::Activate},
        {"activate\r\nmore", false, InstanceRequest::Activate},
        {"activate", true, InstanceRequest::Activate},
        {"activ", false, InstanceRequest::Incomplete},
        {"", false, InstanceRequest::Incomplete},
        {"", true, InstanceRequest::Refused},
        {"activatex\n", false, InstanceRequest::Refused},
        {"please activate\n", false, InstanceRequest::Refused},
        {std::string_view("activate\0\n", 10), false, InstanceRequest::Refused},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false, InstanceRequest::Refused},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseInstanceRequest(c.received, c.ended), c.expected) << c.received;
}

class ProgramInstances : public ::testing::Test
{
protected:
    void SetUp() override
    {
        App();
        ASSERT_TRUE(runtime.isValid());
        ASSERT_TRUE(config.isValid());
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), config.filePath(QStringLiteral("data")));
    }
    std::unique_ptr<QProcess> Start()
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(QUORCALC_PATH), {});
        EXPECT_TRUE(p->waitForStarted(5000));
        return p;
    }
    bool WaitForLock() const
    {
        const QString lock = runtime.filePath(QStringLiteral("PREVINST:quorcalc.lock"));
        for (int i = 0; i < 100 && !QFile::exists(lock); ++i)
            QTest::qWait(50);
        return QFile::exists(lock);
    }

    QTemporaryDir runtime, config;
    QProcessEnvironment env;
};

TEST_F(ProgramInstances, ASecondStartEndsAtOnce)
{
    auto first = Start();
    ASSERT_TRUE(WaitForLock());
    auto second = Start();
    EXPECT_TRUE(second->waitForFinished(5000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
    first->kill();
    first->waitForFinished(5000);
}

TEST_F(ProgramInstances, AGuardLeftByAKilledInstanceDoesNotBlock)
{
    auto first = Start();
    ASSERT_TRUE(WaitForLock());
    first->kill(); // SIGKILL: no clean-up at all
    first->waitForFinished(5000);
    auto next = Start();
    // The new instance takes over and keeps running instead of ending as a second instance.
    EXPECT_FALSE(next->waitForFinished(1500));
    EXPECT_EQ(next->state(), QProcess::Running);
    next->kill();
    next->waitForFinished(5000);
}

// Without any private folder for the guard the program still starts, and says why on stderr.
TEST_F(ProgramInstances, AStartThatCannotTakeTheGuardRunsAndSaysSo)
{
    const QString blocked = runtime.filePath(QStringLiteral("blocked"));
    QFile(blocked).open(QIODevice::WriteOnly); // a file where every folder would go
    for (const QString& name :
         {QStringLiteral("quorlane-%1").arg(::geteuid()),
          QStringLiteral("runtime-%1").arg(qEnvironmentVariable("USER", QStringLiteral("root")))})
        QFile(runtime.filePath(name)).open(QIODevice::WriteOnly);
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("TMPDIR"), runtime.path());
    env.insert(QStringLiteral("XDG_CACHE_HOME"), blocked);
    auto p = Start();
    EXPECT_FALSE(p->waitForFinished(1500));
    EXPECT_EQ(p->state(), QProcess::Running);
    p->kill();
    p->waitForFinished(5000);
    EXPECT_TRUE(p->readAllStandardError().contains("single-instance guard"));
}

// Whether the process has a handler for SIGTERM yet (the window is up and listens).
bool CatchesSigterm(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1) & 1) != 0;
    }
    return false;
}

// A second signal while the ending save runs (a session manager and a terminal both asking, 1 ms
// apart) never cuts it short: a kept tape of 100,000 lines gets its new lines, the options are
// written, and the program ends as a close ends it.
TEST_F(ProgramInstances, ASecondSignalNeverCutsTheEndingSaveShort)
{
    const QString settings = config.filePath(QStringLiteral("quorlane/user.reg"));
    const QString tape = config.filePath(QStringLiteral("data/quorlane/tape.txt"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).path()) && QDir().mkpath(QFileInfo(tape).path()));
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    };
    const auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QByteArray lines = "Quorlane Calculator tape 1\n";
    for (int i = 0; i < 100000; ++i)
        lines += QByteArray::number(i) + " +\n";
    for (const auto& [first, second] : std::initializer_list<std::pair<int, int>>{
             {SIGTERM, SIGTERM}, {SIGHUP, SIGHUP}, {SIGINT, SIGTERM}}) {
        SCOPED_TRACE(std::to_string(first) + " then " + std::to_string(second));
        ASSERT_TRUE(write(settings, "Windows Registry Editor Version 5.00\n\n" // no "Flat": the end writes it
                                    "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\n"
                                    "\"FirstRun\"=dword:00000000\n\"KeepTape\"=dword:00000001\n"));
        ASSERT_TRUE(write(tape, lines));
        auto p = Start();
        for (QDeadlineTimer deadline(20000); !CatchesSigterm(p->processId()) && !deadline.hasExpired();)
            QTest::qWait(5);
        // The restart's lines are still to be written (the writer waits two seconds after a change).
        ::kill(static_cast<pid_t>(p->processId()), first);
        ::usleep(1000);
        ::kill(static_cast<pid_t>(p->processId()), second);
        ASSERT_TRUE(p->waitForFinished(30000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0);
        const QList<QByteArray> after = read(tape).split('\n');
        ASSERT_EQ(after.size(), 100000 + 4); // the header, the lines, two new ones and the last end
        EXPECT_TRUE(after[100002].startsWith("Restarted ")) << after[100002].constData();
        EXPECT_TRUE(read(settings).contains("\"Flat\"=dword:00000000"));
    }
}

// SIGTERM (as at logout) ends the program as a close does: the options are written.
TEST_F(ProgramInstances, SigtermWritesTheOptionsAndEnds)
{
    auto first = Start();
    ASSERT_TRUE(WaitForLock());
    QTest::qWait(300); // the window is up
    ::kill(static_cast<pid_t>(first->processId()), SIGTERM);
    ASSERT_TRUE(first->waitForFinished(5000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    QFile hive(config.filePath(QStringLiteral("quorlane/user.reg")));
    ASSERT_TRUE(hive.open(QIODevice::ReadOnly));
    const QByteArray text = hive.readAll();
    EXPECT_TRUE(text.contains("[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]"))
        << text.constData();
    EXPECT_TRUE(text.contains("\"Tape\"=dword:00000001")) << text.constData();
}

} // namespace
