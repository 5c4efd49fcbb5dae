// The notification-area shell layer: the 88-byte record, notification windows, icon handles, the Qt
// backend (with the notification area's presence given by the test) and the fake.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QPixmap>
#include <QPointer>
#include <QSignalSpy>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include "platform/qt/TrayShell.h"
#include "platform/qt/TrayShellQt.h"
#include "tests/fakes/TrayShellFake.h"

using namespace platform;
using namespace platform::tray;

namespace {

std::uint32_t Read32(const NotifyIconBytes& bytes, std::size_t offset)
{
    return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

QIcon ColourIcon(Qt::GlobalColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

NOTIFYICONDATA Record(HWND window, UINT flags, HICON icon, const QString& tip, UINT id = 2)
{
    NOTIFYICONDATA data;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = flags;
    data.uCallbackMessage = 1791;
    data.hIcon = icon;
    SetTip(data, tip);
    return data;
}

} // namespace

// ---- the record ----

TEST(TrayRecord, FieldsAreLittleEndianAtTheirOffsets)
{
    NOTIFYICONDATA data;
    data.hWnd = 0x11223344;
    data.uID = 2;
    data.uFlags = 7;
    data.uCallbackMessage = 1791;
    data.hIcon = 0xA1B2C3D4;
    SetTip(data, QStringLiteral("Quorlane Calculator"));
    const NotifyIconBytes bytes = ToBytes(data);

    const std::vector<std::uint8_t> head{88, 0, 0, 0, 0x44, 0x33, 0x22, 0x11, 2,    0,    0,    0,
                                         7,  0, 0, 0, 0xFF, 0x06, 0,    0,    0xD4, 0xC3, 0xB2, 0xA1};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 24), head);
    const std::string tip(reinterpret_cast<const char*>(bytes.data()) + 24);
    EXPECT_EQ(tip, "Quorlane Calculator");
    for (std::size_t i = 24 + tip.size(); i < bytes.size(); ++i)
        EXPECT_EQ(bytes[i], 0) << "byte " << i;
}

TEST(TrayRecord, ADefaultRecordIsZeroBesideItsSize)
{
    const NotifyIconBytes bytes = ToBytes(NOTIFYICONDATA{});
    EXPECT_EQ(Read32(bytes, 0), 88u);
    for (std::size_t i = 4; i < bytes.size(); ++i)
        EXPECT_EQ(bytes[i], 0) << "byte " << i;
}

TEST(TrayRecord, BytesReadBackToTheSameRecord)
{
    const NOTIFYICONDATA data = Record(0x00012345, 3, 0x00010009, QStringLiteral("a\r\nb"));
    EXPECT_EQ(FromBytes(ToBytes(data)), data);
}

struct TipCase
{
    QString text;
    std::string expected; // the bytes before the first zero
};

class TrayTip : public ::testing::TestWithParam<TipCase>
{};

TEST_P(TrayTip, IsLatin1CutTo63AndZeroTerminated)
{
    NOTIFYICONDATA data;
    data.szTip.fill('x'); // whatever was there goes
    SetTip(data, GetParam().text);
    const NotifyIconBytes bytes = ToBytes(data);
    const std::string tip(reinterpret_cast<const char*>(bytes.data()) + 24);
    EXPECT_EQ(tip, GetParam().expected);
    ASSERT_LE(tip.size(), 63u);
    for (std::size_t i = 24 + tip.size(); i < bytes.size(); ++i)
        EXPECT_EQ(bytes[i], 0) << "byte " << i;
    EXPECT_EQ(TipText(data), QString::fromLatin1(GetParam().expected.c_str()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TrayTip,
    ::testing::Values(TipCase{QString(), ""},
                      TipCase{QStringLiteral("Quorlane Calculator"), "Quorlane Calculator"},
                      TipCase{QString(62, QLatin1Char('a')), std::string(62, 'a')},
                      TipCase{QString(63, QLatin1Char('b')), std::string(63, 'b')},
                      TipCase{QString(64, QLatin1Char('c')), std::string(63, 'c')},
                      TipCase{QString(500, QLatin1Char('d')) + QStringLiteral("tail"), std::string(63, 'd')},
                      TipCase{QStringLiteral("Line 1\r\nLine 2"), "Line 1\r\nLine 2"},
                      TipCase{QStringLiteral("Caf\u00e9 \u20ac5"), "Caf\xe9 ?5"}));

// ---- notification windows and icon handles ----

TEST(TrayNotifyWindow, ReceivesMessagesUntilDestroyed)
{
    std::vector<std::tuple<UINT, WPARAM, LPARAM>> received;
    auto window = std::make_unique<TNotifyWindow>([&](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        received.emplace_back(msg, wParam, lParam);
        return 42;
    });
    const HWND handle = window->Handle();
    EXPECT_NE(handle, 0u);
    EXPECT_TRUE(IsNotifyWindow(handle));
    EXPECT_EQ(SendNotifyWindowMessage(handle, 1791, 2, WM_LBUTTONDOWN), 42);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], std::make_tuple(UINT{1791}, WPARAM{2}, LPARAM{WM_LBUTTONDOWN}));

    // Moving keeps the handle; the moved-from object owns nothing.
    TNotifyWindow moved(std::move(*window));
    window.reset();
    EXPECT_EQ(moved.Handle(), handle);
    EXPECT_EQ(SendNotifyWindowMessage(handle, 1791, 2, WM_RBUTTONDOWN), 42);
    EXPECT_EQ(received.size(), 2u);

    {
        TNotifyWindow gone(std::move(moved));
    }
    EXPECT_FALSE(IsNotifyWindow(handle));
    EXPECT_EQ(SendNotifyWindowMessage(handle, 1791, 2, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(received.size(), 2u);
}

TEST(TrayNotifyWindow, HandlesDiffer)
{
    TNotifyWindow a([](UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
    TNotifyWindow b([](UINT, WPARAM, LPARAM) -> LRESULT { return 2; });
    EXPECT_NE(a.Handle(), b.Handle());
    EXPECT_EQ(SendNotifyWindowMessage(a.Handle(), 0, 0, 0), 1);
    EXPECT_EQ(SendNotifyWindowMessage(b.Handle(), 0, 0, 0), 2);
}

TEST(TrayIconHandle, NamesItsIconWhileItLives)
{
    const QIcon red = ColourIcon(Qt::red);
    HICON handle = 0;
    {
        TIconHandle icon(red);
        handle = icon.Handle();
        EXPECT_NE(handle, 0u);
        EXPECT_NE(handle, StandardApplicationIcon());
        EXPECT_EQ(IconFromHandle(handle).cacheKey(), red.cacheKey());
        TIconHandle other(ColourIcon(Qt::blue));
        EXPECT_NE(other.Handle(), handle);
    }
    EXPECT_TRUE(IconFromHandle(handle).isNull());
    EXPECT_TRUE(IconFromHandle(0).isNull());
}

TEST(TrayIconHandle, TheStandardApplicationIconAlwaysExists)
{
    EXPECT_FALSE(IconFromHandle(StandardApplicationIcon()).isNull());
}

// ---- the Qt backend ----

struct ActivationCase
{
    QSystemTrayIcon::ActivationReason reason;
    std::optional<LPARAM> message;
};

class TrayActivation : public ::testing::TestWithParam<ActivationCase>
{};

TEST_P(TrayActivation, BecomesTheShellsMouseMessage)
{
    EXPECT_EQ(MouseMessageForActivation(GetParam().reason), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Reasons, TrayActivation,
                         ::testing::Values(ActivationCase{QSystemTrayIcon::Trigger, WM_LBUTTONDOWN},
                                           ActivationCase{QSystemTrayIcon::Context, WM_RBUTTONDOWN},
                                           ActivationCase{QSystemTrayIcon::MiddleClick, WM_MBUTTONDOWN},
                                           ActivationCase{QSystemTrayIcon::DoubleClick, WM_LBUTTONDBLCLK},
                                           ActivationCase{QSystemTrayIcon::Unknown, std::nullopt}));

TEST(TrayToolTip, LineEndsBecomeLineBreaks)
{
    const std::vector<std::pair<QString, QString>> cases{
        {QStringLiteral("one"), QStringLiteral("one")},
        {QStringLiteral("a\r\nb"), QStringLiteral("a\nb")},
        {QStringLiteral("a\rb"), QStringLiteral("a\nb")},
        {QStringLiteral("a\nb"), QStringLiteral("a\nb")},
        {QStringLiteral("a\r\n\r\nb\r"), QStringLiteral("a\n\nb\n")},
    };
    for (const auto& [tip, expected] : cases)
        EXPECT_EQ(ToolTipFromTip(tip), expected) << tip.toStdString();
}

class QtTrayShellTest : public ::testing::Test
{
protected:
    bool available = true;
    QtTrayShell shell{[this] { return available; }};
    std::vector<std::pair<WPARAM, LPARAM>> callbacks;
    std::function<void()> onCallback;
    TNotifyWindow window{[this](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == 1791) {
            callbacks.emplace_back(wParam, lParam);
            if (onCallback)
                onCallback();
        }
        return 0;
    }};
    TIconHandle red{ColourIcon(Qt::red)};
    TIconHandle blue{ColourIcon(Qt::blue)};

    bool Send(DWORD message, const NOTIFYICONDATA& data) { return shell.NotifyIcon(message, ToBytes(data)); }
};

TEST_F(QtTrayShellTest, AddingFailsWithoutANotificationArea)
{
    available = false;
    EXPECT_FALSE(Send(NIM_ADD, Record(window.Handle(), 7, red.Handle(), QStringLiteral("tip"))));
    EXPECT_EQ(shell.Find(window.Handle(), 2), nullptr);
}

TEST_F(QtTrayShellTest, TheRealTrayIsMissingOffscreen)
{
    QtTrayShell real;
    EXPECT_FALSE(real.NotificationAreaAvailable());
    TIconHandle icon(ColourIcon(Qt::green));
    EXPECT_FALSE(real.NotifyIcon(NIM_ADD, ToBytes(Record(window.Handle(), 7, icon.Handle(), QString()))));
}

TEST_F(QtTrayShellTest, AddModifyDeleteShowTheRecord)
{
    ASSERT_TRUE(Send(NIM_ADD, Record(window.Handle(), 7, red.Handle(), QStringLiteral("first\r\nline"))));
    const QSystemTrayIcon* icon = shell.Find(window.Handle(), 2);
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->isVisible());
    EXPECT_EQ(icon->toolTip(), QStringLiteral("first\nline"));
    EXPECT_EQ(icon->icon().cacheKey(), red.Icon().cacheKey());

    EXPECT_FALSE(Send(NIM_ADD, Record(window.Handle(), 7, red.Handle(), QString())));

    ASSERT_TRUE(Send(NIM_MODIFY, Record(window.Handle(), 7, blue.Handle(), QStringLiteral("second"))));
    EXPECT_EQ(icon->toolTip(), QStringLiteral("second"));
    EXPECT_EQ(icon->icon().cacheKey(), blue.Icon().cacheKey());

    // Without NIF_TIP no tool tip.
    ASSERT_TRUE(Send(NIM_MODIFY, Record(window.Handle(), 3, blue.Handle(), QStringLiteral("third"))));
    EXPECT_EQ(icon->toolTip(), QString());

    ASSERT_TRUE(Send(NIM_DELETE, Record(window.Handle(), 3, blue.Handle(), QString())));
    EXPECT_EQ(shell.Find(window.Handle(), 2), nullptr);
    EXPECT_FALSE(Send(NIM_DELETE, Record(window.Handle(), 3, blue.Handle(), QString())));
    EXPECT_FALSE(Send(NIM_MODIFY, Record(window.Handle(), 3, blue.Handle(), QString())));
}

TEST_F(QtTrayShellTest, ARecordOfAnotherSizeIsRefused)
{
    NOTIFYICONDATA data = Record(window.Handle(), 7, red.Handle(), QString());
    data.cbSize = 504;
    EXPECT_FALSE(Send(NIM_ADD, data));
}

TEST_F(QtTrayShellTest, AnUnknownIconHandleShowsTheStandardIcon)
{
    ASSERT_TRUE(Send(NIM_ADD, Record(window.Handle(), 3, 0, QString())));
    const QSystemTrayIcon* icon = shell.Find(window.Handle(), 2);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->icon().isNull());
}

TEST_F(QtTrayShellTest, ActivationsReachTheWindowAsCallbacks)
{
    ASSERT_TRUE(Send(NIM_ADD, Record(window.Handle(), 7, red.Handle(), QString())));
    QSystemTrayIcon* icon = const_cast<QSystemTrayIcon*>(shell.Find(window.Handle(), 2));
    ASSERT_NE(icon, nullptr);
    emit icon->activated(QSystemTrayIcon::Trigger);
    emit icon->activated(QSystemTrayIcon::Context);
    emit icon->activated(QSystemTrayIcon::MiddleClick);
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    emit icon->activated(QSystemTrayIcon::Unknown);
    const std::vector<std::pair<WPARAM, LPARAM>> expected{
        {2, WM_LBUTTONDOWN}, {2, WM_RBUTTONDOWN}, {2, WM_MBUTTONDOWN}, {2, WM_LBUTTONDBLCLK}};
    EXPECT_EQ(callbacks, expected);
}

TEST_F(QtTrayShellTest, ADeletedIconGoesAtOnceOrAfterItsOwnActivation)
{
    ASSERT_TRUE(Send(NIM_ADD, Record(window.Handle(), 7, red.Handle(), QString())));
    QPointer<QSystemTrayIcon> icon = const_cast<QSystemTrayIcon*>(shell.Find(window.Handle(), 2));
    ASSERT_TRUE(Send(NIM_DELETE, Record(window.Handle(), 7, red.Handle(), QString())));
    EXPECT_TRUE(icon.isNull());

    // Removed by the window while the icon reports a double click (a restore that hides the icon).
    ASSERT_TRUE(Send(NIM_ADD, Record(window.Handle(), 7, red.Handle(), QString())));
    icon = const_cast<QSystemTrayIcon*>(shell.Find(window.Handle(), 2));
    onCallback = [this] {
        EXPECT_TRUE(Send(NIM_DELETE, Record(window.Handle(), 7, red.Handle(), QString())));
    };
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(shell.Find(window.Handle(), 2), nullptr);
    ASSERT_FALSE(icon.isNull());
    EXPECT_FALSE(icon->isVisible());
    QCoreApplication::sendPostedEvents(icon, QEvent::DeferredDelete);
    EXPECT_TRUE(icon.isNull());
}

TEST_F(QtTrayShellTest, NoCallbacksWithoutNifMessage)
{
    ASSERT_TRUE(Send(NIM_ADD, Record(window.Handle(), NIF_ICON, red.Handle(), QString())));
    QSystemTrayIcon* icon = const_cast<QSystemTrayIcon*>(shell.Find(window.Handle(), 2));
    ASSERT_NE(icon, nullptr);
    emit icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(callbacks.empty());
}

TEST_F(QtTrayShellTest, IconsAreKeptApartByWindowAndId)
{
    ASSERT_TRUE(Send(NIM_ADD, Record(window.Handle(), 7, red.Handle(), QStringLiteral("two"), 2)));
    ASSERT_TRUE(Send(NIM_ADD, Record(window.Handle(), 7, blue.Handle(), QStringLiteral("three"), 3)));
    EXPECT_EQ(shell.Find(window.Handle(), 2)->toolTip(), QStringLiteral("two"));
    EXPECT_EQ(shell.Find(window.Handle(), 3)->toolTip(), QStringLiteral("three"));
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

// ---- choosing the backend, and the fake ----

TEST(TrayShellChoice, AnInstalledShellTakesTheCallsForItsScope)
{
    auto fake = std::make_shared<TFakeTrayShell>();
    {
        ScopedTrayShell scope(fake);
        EXPECT_EQ(&TrayShell(), fake.get());
        EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, Record(0x00012345, 7, 0, QStringLiteral("x"))));
        ASSERT_EQ(fake->Calls().size(), 1u);
        EXPECT_EQ(fake->Calls()[0].bytes, ToBytes(Record(0x00012345, 7, 0, QStringLiteral("x"))));
    }
    EXPECT_NE(&TrayShell(), fake.get());
    // Offscreen, the Qt backend finds no notification area.
    EXPECT_FALSE(TrayShell().NotificationAreaAvailable());
}

TEST(TrayFakeShell, RecordsAndRefusesAsTold)
{
    TFakeTrayShell fake;
    const NOTIFYICONDATA data = Record(0x00012345, 7, 0, QStringLiteral("x"));
    fake.failAdd = true;
    EXPECT_FALSE(fake.NotifyIcon(NIM_ADD, ToBytes(data)));
    fake.failAdd = false;
    EXPECT_TRUE(fake.NotifyIcon(NIM_ADD, ToBytes(data)));
    EXPECT_FALSE(fake.NotifyIcon(NIM_ADD, ToBytes(data)));
    fake.failModify = true;
    EXPECT_FALSE(fake.NotifyIcon(NIM_MODIFY, ToBytes(data)));
    fake.failModify = false;
    EXPECT_TRUE(fake.NotifyIcon(NIM_MODIFY, ToBytes(data)));
    EXPECT_TRUE(fake.IconOf(0x00012345, 2).has_value());
    fake.DropIcons();
    EXPECT_FALSE(fake.NotifyIcon(NIM_MODIFY, ToBytes(data)));
    EXPECT_FALSE(fake.NotifyIcon(NIM_DELETE, ToBytes(data)));
    EXPECT_EQ(fake.CallsOf(NIM_MODIFY).size(), 3u);
    EXPECT_EQ(fake.Calls().size(), 7u);

    QSignalSpy spy(&TrayShellEvents(), &TTrayShellEvents::AvailabilityChanged);
    fake.SetAvailable(false);
    fake.SetAvailable(false);
    EXPECT_FALSE(fake.NotifyIcon(NIM_ADD, ToBytes(data)));
    fake.SetAvailable(true);
    EXPECT_EQ(spy.count(), 2);
}
