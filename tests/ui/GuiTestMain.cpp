// GoogleTest main for window tests: one QApplication on the offscreen platform, and every dialog
// answered by the scripted fake (a dialog nobody expected fails the test instead of blocking).

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "tests/FileConditions.h"
#include "ui/Printing.h"

int main(int argc, char** argv)
{
    // Mounts made by tests (a small disk to fill) vanish with the process.
    testfiles::EnterPrivateMountNamespace();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings, the registry's hives and runtime files of the tests stay in a temporary folder: never
    // the real home or /etc.
    QTemporaryDir home;
    const QByteArray root = QFile::encodeName(home.path());
    QDir().mkpath(home.filePath(QStringLiteral("runtime")));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", root + "/runtime");
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_DATA_HOME", root + "/data");
    qputenv("QUORLANE_USER_HIVE_DIR", root + "/user-hive");
    qputenv("QUORLANE_AUTOSTART_SYSTEM_DIR", root + "/xdg-autostart");
    qputenv("QUORLANE_AUTOSTART_USER_DIR", root + "/config/autostart");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    uitest::FakeDialogs dialogs;
    ui::SetDialogs(&dialogs);
    ui::SetPrinting(&ui::LinkedPrinting()); // linked in: the module itself has its own test
    const int result = RUN_ALL_TESTS();
    ui::SetDialogs(nullptr);
    return result;
}
