// The notification area on Qt (with the area's presence given by the test), the choice of backend
// and the fake.

#include <functional>
#include <memory>
#include <vector>

#include <QApplication>
#include <QPixmap>
#include <QPointer>
#include <QSignalSpy>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include "platform/qt/TrayShell.h"
#include "tests/fakes/TrayShellFake.h"

using namespace platform::tray;

namespace {

QIcon ColourIcon(Qt::GlobalColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

class QtTrayShellTest : public ::testing::Test
{
protected:
    bool available = true;
    QtTrayShell shell{[this] { return available; }};
    std::vector<TrayActivation> actions;
    std::function<void()> onAction;
    TrayActivated Listener()
    {
        return [this](TrayActivation action) {
            actions.push_back(action);
            if (onAction)
                onAction();
        };
    }
    QSystemTrayIcon* Icon() { return const_cast<QSystemTrayIcon*>(shell.Shown()); }
    const QIcon red = ColourIcon(Qt::red);
    const QIcon blue = ColourIcon(Qt::blue);
};

TEST_F(QtTrayShellTest, ShowingFailsWithoutANotificationArea)
{
    available = false;
    EXPECT_FALSE(shell.Show(red, QStringLiteral("tip"), Listener()));
    EXPECT_EQ(shell.Shown(), nullptr);

    QtTrayShell real;
    EXPECT_FALSE(real.NotificationAreaAvailable()); // offscreen
    EXPECT_FALSE(real.Show(red, QString(), Listener()));
}

TEST_F(QtTrayShellTest, ShowUpdateHideTheIconAndItsToolTip)
{
    EXPECT_FALSE(shell.Update(red, QString()));
    ASSERT_TRUE(shell.Show(red, QStringLiteral("first\nline"), Listener()));
    ASSERT_NE(Icon(), nullptr);
    EXPECT_TRUE(Icon()->isVisible());
    EXPECT_EQ(Icon()->toolTip(), QStringLiteral("first\nline"));
    EXPECT_EQ(Icon()->icon().cacheKey(), red.cacheKey());
    EXPECT_FALSE(shell.Show(blue, QString(), Listener()));

    ASSERT_TRUE(shell.Update(blue, QString()));
    EXPECT_EQ(Icon()->toolTip(), QString());
    EXPECT_EQ(Icon()->icon().cacheKey(), blue.cacheKey());

    // A tray icon without a picture is invisible: the standard icon stands in.
    ASSERT_TRUE(shell.Update(QIcon(), QString()));
    EXPECT_FALSE(Icon()->icon().isNull());

    EXPECT_TRUE(shell.Hide());
    EXPECT_EQ(shell.Shown(), nullptr);
    EXPECT_FALSE(shell.Hide());
}

TEST_F(QtTrayShellTest, ActivationsReachTheListener)
{
    ASSERT_TRUE(shell.Show(red, QString(), Listener()));
    for (const auto reason :
         {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick,
          QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Unknown})
        emit Icon()->activated(reason);
    const std::vector<TrayActivation> expected{TrayActivation::Click, TrayActivation::Context,
                                               TrayActivation::DoubleClick};
    EXPECT_EQ(actions, expected);
}

TEST_F(QtTrayShellTest, AHiddenIconGoesAtOnceOrAfterItsOwnActivation)
{
    ASSERT_TRUE(shell.Show(red, QString(), Listener()));
    QPointer<QSystemTrayIcon> icon = Icon();
    ASSERT_TRUE(shell.Hide());
    EXPECT_TRUE(icon.isNull());

    // Hidden by the listener while the icon reports a double click (a restore that hides the icon).
    ASSERT_TRUE(shell.Show(red, QString(), Listener()));
    icon = Icon();
    onAction = [this] { EXPECT_TRUE(shell.Hide()); };
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(shell.Shown(), nullptr);
    ASSERT_FALSE(icon.isNull());
    EXPECT_FALSE(icon->isVisible());
    QCoreApplication::sendPostedEvents(icon, QEvent::DeferredDelete);
    EXPECT_TRUE(icon.isNull());
}

TEST_F(QtTrayShellTest, PollingAnnouncesTheAreaComingAndGoing)
{
    QSignalSpy spy(&TrayShellEvents(), &TTrayShellEvents::AvailabilityChanged);
    shell.Poll();
    EXPECT_EQ(spy.count(), 0);
    available = false;
    shell.Poll();
    shell.Poll();
    available = true;
    shell.Poll();
    ASSERT_EQ(spy.count(), 2);
    EXPECT_FALSE(spy.at(0).at(0).toBool());
    EXPECT_TRUE(spy.at(1).at(0).toBool());
}

TEST(TrayShellChoice, AnInstalledShellTakesTheCallsForItsScope)
{
    auto fake = std::make_shared<TFakeTrayShell>();
    {
        ScopedTrayShell scope(fake);
        EXPECT_EQ(&TrayShell(), fake.get());
        EXPECT_TRUE(TrayShell().Show(QIcon(), QStringLiteral("x"), {}));
        ASSERT_EQ(fake->Calls().size(), 1u);
        EXPECT_EQ(fake->Calls()[0].toolTip, QStringLiteral("x"));
    }
    EXPECT_NE(&TrayShell(), fake.get());
    // Offscreen, the Qt backend finds no notification area.
    EXPECT_FALSE(TrayShell().NotificationAreaAvailable());
}

TEST(TrayFakeShell, RecordsAndRefusesAsTold)
{
    TFakeTrayShell fake;
    fake.failShow = true;
    EXPECT_FALSE(fake.Show(QIcon(), QString(), {}));
    fake.failShow = false;
    EXPECT_TRUE(fake.Show(QIcon(), QString(), {}));
    EXPECT_FALSE(fake.Show(QIcon(), QString(), {}));
    fake.failUpdate = true;
    EXPECT_FALSE(fake.Update(QIcon(), QString()));
    fake.failUpdate = false;
    EXPECT_TRUE(fake.Update(QIcon(), QStringLiteral("y")));
    ASSERT_TRUE(fake.Icon().has_value());
    EXPECT_EQ(fake.Icon()->toolTip, QStringLiteral("y"));
    fake.DropIcon();
    EXPECT_FALSE(fake.Update(QIcon(), QString()));
    EXPECT_FALSE(fake.Hide());
    EXPECT_EQ(fake.CallsOf(TrayCall::Update).size(), 3u);
    EXPECT_EQ(fake.Calls().size(), 7u);

    QSignalSpy spy(&TrayShellEvents(), &TTrayShellEvents::AvailabilityChanged);
    fake.SetAvailable(false);
    fake.SetAvailable(false);
    EXPECT_FALSE(fake.Show(QIcon(), QString(), {}));
    fake.SetAvailable(true);
    EXPECT_EQ(spy.count(), 2);
}
