// The main window in the notification area, with a fake shell: the Tray Icon option, close to
// tray, Exit, restore, the start hidden at logon, and a desktop without a notification area.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "SettingsFixture.h"
#include "controls/StTrIcon.h"
#include "platform/Registry.h"
#include "platform/qt/TrayShell.h"
#include "platform/qt/WindowEvents.h"
#include "tests/TestAccess.h"
#include "tests/fakes/TrayShellFake.h"
#include "ui/Calc.h"
#include "ui/SettingsStore.h"

using uitest::FakeDialogs;

namespace {

class Tray : public uitest::SettingsFixture
{
protected:
    void SetUp() override
    {
        SettingsFixture::SetUp();
        shell = std::make_shared<platform::tray::TFakeTrayShell>();
        scoped = std::make_unique<platform::tray::ScopedTrayShell>(shell);
    }
    void TearDown() override
    {
        scoped.reset();
        SettingsFixture::TearDown();
    }
    void StoreOptions(bool trayIcon, bool runOnStartup)
    {
        platform::TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(ui::SettingsKey, true));
        reg.WriteInteger("FirstRun", 0);
        reg.WriteInteger("Flat", 0);
        reg.WriteInteger("Tape", 1);
        reg.WriteInteger("OnTop", 0);
        reg.WriteInteger("TrayIcon", trayIcon ? 1 : 0);
        reg.WriteInteger("RunOnStartup", runOnStartup ? 1 : 0);
        reg.WriteInteger("Color", 0);
        reg.CloseKey();
    }
    static QAction* Action(ui::TfrmMain& w, const char* name)
    {
        return w.findChild<QAction*>(QString::fromLatin1(name));
    }

    std::shared_ptr<platform::tray::TFakeTrayShell> shell;
    std::unique_ptr<platform::tray::ScopedTrayShell> scoped;
};

TEST_F(Tray, TheOptionShowsTheIconAndCloseHidesTheWindowThere)
{
    ui::TfrmMain w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    Action(w, "mnuOptionsTrayIcon")->trigger();
    EXPECT_TRUE(TestAccess::TrayIcon(w)->IsShown());
    ASSERT_TRUE(shell->Icon().has_value());
    EXPECT_EQ(shell->Icon()->toolTip, QStringLiteral("Quorlane Calculator"));
    auto* menu = w.findChild<QMenu*>(QStringLiteral("mnuTray"));
    QSignalSpy popups(menu, &QMenu::aboutToShow);
    shell->Activate(platform::tray::TrayActivation::Context);
    EXPECT_EQ(popups.count(), 1);
    menu->close();

    // The close button (the window system's close command) hides the calculator in the tray.
    QSignalSpy closed(&w, &ui::TfrmMain::Closed);
    platform::SendWindowEvent(&w, {.kind = platform::WindowEvent::Kind::CloseRequested});
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(TestAccess::TrayIcon(w)->IsShown());

    // "Open Quorlane Calculator" brings it back; the tray menu's Exit closes it for good.
    Action(w, "mnuTrayOpenQuorlaneCalculator")->trigger();
    EXPECT_TRUE(w.isVisible());
    Action(w, "mnuTrayExit")->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(Tray, WithoutTheIconTheCloseButtonCloses)
{
    ui::TfrmMain w;
    w.show();
    QSignalSpy closed(&w, &ui::TfrmMain::Closed);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(Tray, ADesktopWithoutNotificationAreaKeepsTheOptionOffAndSaysWhy)
{
    shell->SetAvailable(false);
    FakeDialogs& d = FakeDialogs::Instance();
    d.expectBoxes = true;
    ui::TfrmMain w;
    Action(w, "mnuOptionsTrayIcon")->trigger();
    EXPECT_FALSE(Action(w, "mnuOptionsTrayIcon")->isChecked());
    EXPECT_FALSE(TestAccess::TrayIcon(w)->IsShown());
    ASSERT_EQ(d.boxes.size(), 1u);
    EXPECT_TRUE(d.boxes[0].text.contains(QStringLiteral("notification area")));
}

TEST_F(Tray, StartHiddenAtLogonOnlyWhereTheIconShows)
{
    struct Case
    {
        bool trayIcon, runOnStartup, area;
        QStringList arguments;
        bool hidden, trayChecked;
    };
    const Case cases[] = {
        {true, true, true, {QStringLiteral("/tray")}, true, true},
        {true, true, false, {QStringLiteral("/tray")}, false, true}, // no area: shown, the choice kept
        {true, false, true, {QStringLiteral("/tray")}, false, true},
        {false, true, true, {QStringLiteral("/tray")}, false, false},
        {true, true, true, {QStringLiteral("/TRAY")}, false, true},
        {true, true, true, {QStringLiteral("x"), QStringLiteral("/tray")}, false, true},
        {true, true, true, {}, false, true},
    };
    for (const Case& c : cases) {
        StoreOptions(c.trayIcon, c.runOnStartup);
        shell->SetAvailable(c.area);
        ui::TfrmMain w(c.arguments);
        EXPECT_EQ(w.StartHidden(), c.hidden) << c.trayIcon << c.runOnStartup << c.area;
        EXPECT_EQ(Action(w, "mnuOptionsTrayIcon")->isChecked(), c.trayChecked)
            << c.trayIcon << c.runOnStartup << c.area;
        EXPECT_TRUE(FakeDialogs::Instance().boxes.empty()); // never a box at start-up
    }
}

TEST_F(Tray, ANotificationAreaStartingLateShowsTheIconAndAClickRestores)
{
    StoreOptions(true, true);
    shell->SetAvailable(false); // the panel starts after the program, as often at logon
    {
        ui::TfrmMain w({QStringLiteral("/tray")});
        EXPECT_FALSE(w.StartHidden());
        w.show();
        EXPECT_FALSE(TestAccess::TrayIcon(w)->IsShown());
        shell->SetAvailable(true);
        EXPECT_TRUE(TestAccess::TrayIcon(w)->IsShown());
        // Closing hides in the tray from now on; a single left click brings the window back.
        platform::SendWindowEvent(&w, {.kind = platform::WindowEvent::Kind::CloseRequested});
        EXPECT_FALSE(w.isVisible());
        shell->Activate(platform::tray::TrayActivation::Click);
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.close());
    }
    ui::StoredOptions stored;
    ui::ReadOptions(stored);
    EXPECT_TRUE(stored.TrayIcon);
    EXPECT_TRUE(stored.RunOnStartup);
}

} // namespace
