// TStTrayIcon on the form's real window events: close and minimize to the notification area, only
// while the icon can be shown; the form's own close; the tray's place before the scaler; a form that
// starts minimized; the form and the component destroyed in either order.

#include <algorithm>
#include <vector>

#include <QCloseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include "TrayIconSupport.h"

using namespace platform;
using namespace platform::tray;
using Kind = WindowEvent::Kind;

namespace {

class TrayForm : public traytest::TrayFixture
{
protected:
    void SetUp() override
    {
        form.resize(300, 200);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    // A component in the scaler's role: it logs what reaches it.
    TWindowEvents LogScaler()
    {
        return TWindowEvents(&form, WindowRole::Scaler, [this](WindowEvent& e) {
            seen.push_back(e.kind);
            return false;
        });
    }

    int Seen(Kind kind) const { return static_cast<int>(std::count(seen.begin(), seen.end(), kind)); }

    // The window system's close request (the close button, Alt+F4): true when the form closed.
    bool UserCloses()
    {
        QCloseEvent request;
        if (TranslateWindowEvent(&form, &form, &request, true))
            return false;
        return form.close();
    }

    // The user minimizes the form through the window system.
    void UserMinimizes()
    {
        form.windowHandle()->setWindowStates(Qt::WindowMinimized);
        QCoreApplication::processEvents();
    }

    std::vector<Kind> seen;
};

} // namespace

TEST_F(TrayForm, TheFirstAddRegistersForTheFormsEventsOnce)
{
    TStTrayIcon* tray = Make({}, false);
    tray->SetActive(true);
    tray->SetActive(false);
    tray->SetActive(true);
    // The registration is kept while the component lives: the close still goes to the area.
    EXPECT_FALSE(UserCloses());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(tray->IsShown());
}

TEST_F(TrayForm, TheCloseCommandHidesTheFormInTheArea)
{
    TStTrayIcon* tray = Make();
    EXPECT_FALSE(UserCloses());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(tray->IsShown());
    EXPECT_TRUE(shell->CallsOf(TrayCall::Hide).empty());
    tray->RestoreFromTray();
    EXPECT_TRUE(form.isVisible());
}

TEST_F(TrayForm, TheUsersCloseRequestHidesInsteadOfClosing)
{
    Make();
    QSignalSpy destroyed(&form, &QObject::destroyed);
    EXPECT_FALSE(UserCloses());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(shell->Icon().has_value());
}

TEST_F(TrayForm, WhereTheCommandGoesOn)
{
    // Each row: the component's state, and whether the user's close request closes the form.
    struct Case
    {
        const char* name;
        bool active;
        bool areaAvailable;
        bool closes;
    };
    const std::vector<Case> cases{
        {"shown", true, true, false},
        {"inactive", false, true, true},
        {"area gone", true, false, true},
    };
    for (const Case& c : cases) {
        auto log = LogScaler();
        TStTrayIcon* tray = Make({}, c.active);
        shell->SetAvailable(c.areaAvailable);
        seen.clear();
        EXPECT_EQ(UserCloses(), c.closes) << c.name;
        // Closed, or hidden with the icon there to bring it back.
        EXPECT_FALSE(form.isVisible()) << c.name;
        if (!c.closes) {
            EXPECT_TRUE(tray->IsShown()) << c.name;
        }
        // The scaler sees the request only when it goes on.
        EXPECT_EQ(Seen(Kind::CloseRequested), c.closes ? 1 : 0) << c.name;
        delete tray;
        shell->SetAvailable(true);
        form.show();
    }
}

TEST_F(TrayForm, TheFormsOwnCloseIsNoCommand)
{
    Make();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
}

TEST_F(TrayForm, TheTraySeesEachEventBeforeTheScaler)
{
    auto log = LogScaler();
    TStTrayIcon* tray = Make();
    seen.clear();
    EXPECT_FALSE(UserCloses());
    EXPECT_EQ(Seen(Kind::CloseRequested), 0); // consumed before it got there
    tray->RestoreFromTray();
    form.windowHandle()->setWindowStates(Qt::WindowMaximized);
    QCoreApplication::processEvents();
    EXPECT_EQ(Seen(Kind::MaximizeRequested), 1);
    delete tray;
    EXPECT_TRUE(UserCloses());
    EXPECT_EQ(Seen(Kind::CloseRequested), 1); // the scaler's registration stays
}

TEST_F(TrayForm, TheFormMinimizesAsUsual)
{
    Make();
    UserMinimizes();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.isMinimized());
}

TEST_F(TrayForm, ACloseThatCannotAddTheIconClosesWithoutAnError)
{
    TStTrayIcon* tray = Make();
    tray->RemoveIcon(); // still Active: a close adds it again
    shell->SetAvailable(false);
    EXPECT_TRUE(UserCloses());
    EXPECT_FALSE(tray->IsShown());
    // Nothing was handed to the application's error report.
    EXPECT_NO_THROW(QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall));
}

TEST_F(TrayForm, AFormHiddenInTheAreaComesBackWhenTheIconGoes)
{
    struct Case
    {
        const char* name;
        std::function<void(TStTrayIcon&)> takeIconAway;
    };
    const std::vector<Case> cases{
        {"area gone", [this](TStTrayIcon&) { shell->SetAvailable(false); }},
        {"deactivated", [](TStTrayIcon& t) { t.SetActive(false); }},
        {"removed", [](TStTrayIcon& t) { t.RemoveIcon(); }},
    };
    for (const Case& c : cases) {
        TStTrayIcon* tray = Make();
        EXPECT_FALSE(UserCloses()) << c.name;
        ASSERT_FALSE(form.isVisible()) << c.name;
        c.takeIconAway(*tray);
        EXPECT_TRUE(form.isVisible()) << c.name;
        delete tray;
        shell->SetAvailable(true);
    }
}

TEST_F(TrayForm, AFormThatIsShownAnywayIsLeftAlone)
{
    Make();
    EXPECT_FALSE(UserCloses());
    form.show(); // the program shows it itself, and hides it again
    form.hide();
    shell->SetAvailable(false);
    EXPECT_FALSE(form.isVisible()); // not the component's to restore
}

// ---- start-up ----

class TrayStart : public traytest::TrayFixture
{};

TEST_F(TrayStart, AFormShownNormallyEndsTheStartUp)
{
    Make();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    // The start-up is over: a later minimize stays on the taskbar.
    form.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
}

TEST_F(TrayStart, AFormThatStartsMinimizedIsKeptInTheArea)
{
    TStTrayIcon* tray = Make();
    form.setWindowState(Qt::WindowMinimized);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());

    tray->RestoreFromTray();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isMinimized());
    form.setWindowState(Qt::WindowMinimized); // the start-up is over
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
}

TEST_F(TrayStart, WithoutAShownIconAMinimizedFormStaysOnTheTaskbar)
{
    Make();
    shell->SetAvailable(false);
    form.setWindowState(Qt::WindowMinimized);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.isMinimized());
}

TEST_F(TrayStart, ThePositionChangesOfAFormNotShownYetDoNotCount)
{
    Make();
    form.setWindowState(Qt::WindowMinimized);
    SendWindowEvent(&form, {.kind = Kind::GeometryChanging});
    form.show();
    SendWindowEvent(&form, {.kind = Kind::GeometryChanging});
    // The program restored the form before the pending hide: it stays, and the start-up is over.
    form.setWindowState(Qt::WindowNoState);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    form.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
}

// ---- destruction in either order ----

TEST(TrayLifetime, TheFormGoesFirst)
{
    auto shell = std::make_shared<TFakeTrayShell>();
    ScopedTrayShell scope(shell);
    auto* form = new QWidget;
    form->show();
    auto* tray = new TStTrayIcon(form);
    tray->SetActive(true);
    QSignalSpy trayDestroyed(tray, &QObject::destroyed);
    SendWindowEvent(form, {.kind = Kind::CloseRequested});
    delete form;
    EXPECT_EQ(trayDestroyed.count(), 1);
    EXPECT_TRUE(!shell->Icon().has_value());
    // No component is left behind: another one can be made.
    QWidget other;
    EXPECT_NO_THROW(TStTrayIcon next(&other));
}

TEST(TrayLifetime, TheComponentGoesFirst)
{
    auto shell = std::make_shared<TFakeTrayShell>();
    ScopedTrayShell scope(shell);
    QWidget form;
    form.show();
    auto* tray = new TStTrayIcon(&form);
    tray->SetActive(true);
    delete tray;
    // The form's events no longer reach the component; its close request closes it.
    QCloseEvent request;
    EXPECT_FALSE(TranslateWindowEvent(&form, &form, &request, true));
    EXPECT_TRUE(SendWindowEvent(&form, {.kind = Kind::CloseRequested})); // not consumed
    EXPECT_TRUE(form.isVisible());
}

TEST(TrayLifetime, AComponentWithoutAForm)
{
    auto shell = std::make_shared<TFakeTrayShell>();
    ScopedTrayShell scope(shell);
    TStTrayIcon tray(nullptr);
    tray.SetActive(true);
    EXPECT_TRUE(tray.IsShown());
    EXPECT_NO_THROW(shell->Activate(TrayActivation::DoubleClick)); // nothing to restore
}
