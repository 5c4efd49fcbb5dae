// GoogleTest main for window tests: one QApplication on the offscreen platform, and every dialog
// answered by the scripted fake (a dialog nobody expected fails the test instead of blocking).

#include <QApplication>

#include <cstdlib>

#include <gtest/gtest.h>

#include "FakeDialogs.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and runtime files of the tests stay in a temporary folder.
    const QByteArray tmp = qgetenv("TMPDIR").isEmpty() ? QByteArray("/tmp") : qgetenv("TMPDIR");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", tmp);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    uitest::FakeDialogs dialogs;
    ui::SetDialogs(&dialogs);
    const int result = RUN_ALL_TESTS();
    ui::SetDialogs(nullptr);
    return result;
}
