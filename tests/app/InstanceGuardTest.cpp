// The single-instance guard: one holder per name, a second start brings the first forward, a
// guard left by a killed process does not block the next start. Real processes of the program are
// started for the last two.

#include "app/InstanceGuard.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <gtest/gtest.h>

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

TEST(InstanceGuard, AnUnusableFolderMakesASecondInstance)
{
    App();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("not-a-folder"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    InstanceGuard guard(QStringLiteral("PREVINST:Test"), file);
    EXPECT_FALSE(guard.IsOnlyInstance());
    guard.BringRunningInstanceForward(); // nobody answers: returns quietly
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
