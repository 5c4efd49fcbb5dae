// The window message layer: the hook chain (order, consumption, removal in any order, windows and
// components destroyed first), the translation of Qt events into messages, drag detection with a
// manual quiet timer, vetoes of the user's commands, track limits, native messages, and the
// geometry helpers.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include "platform/qt/WindowGeometry.h"
#include "platform/qt/WindowMessages.h"

namespace {

using namespace platform;

constexpr UINT WM_TEST = 0x8001;

// What the hooks saw: "hook:message" entries.
struct Log
{
    std::vector<std::string> entries;
    std::vector<TMessage> messages;

    int Count(UINT msg) const
    {
        int n = 0;
        for (const TMessage& m : messages)
            n += m.Msg == msg ? 1 : 0;
        return n;
    }
    int Count(UINT msg, WPARAM wParam) const
    {
        int n = 0;
        for (const TMessage& m : messages)
            n += m.Msg == msg && m.WParam == wParam ? 1 : 0;
        return n;
    }
    // The messages in order, without the paints and pointer moves that come whenever Qt gets round
    // to them.
    std::vector<UINT> Sequence() const
    {
        std::vector<UINT> out;
        for (const TMessage& m : messages) {
            if (m.Msg != WM_SETCURSOR && m.Msg != WM_ERASEBKGND)
                out.push_back(m.Msg);
        }
        return out;
    }
    void Clear()
    {
        entries.clear();
        messages.clear();
    }
};

// A hook that logs `name:msg` for WM_TEST and records every message it sees; it passes everything
// on unless `consume` says otherwise.
TWindowHook Hook(QWidget* window, std::string name, Log& log,
                 std::function<bool(const TMessage&)> consume = {})
{
    return TWindowHook(window, [name, &log, consume](TMessage& m, const TWindowProc& previous) {
        if (m.Msg == WM_TEST)
            log.entries.push_back(name);
        else
            log.messages.push_back(m);
        if (consume && consume(m))
            return;
        previous(m);
    });
}

class ManualTimer : public TQuietTimer
{
public:
    explicit ManualTimer(std::function<void()> onQuiet) : onQuiet_(std::move(onQuiet)) {}
    void Start() override { active_ = true; }
    void Stop() override { active_ = false; }
    bool IsActive() const override { return active_; }
    void Fire()
    {
        active_ = false;
        onQuiet_();
    }

private:
    std::function<void()> onQuiet_;
    bool active_ = false;
};

std::shared_ptr<ManualTimer*> UseManualTimer(QWidget* window)
{
    auto slot = std::make_shared<ManualTimer*>(nullptr);
    SetQuietTimerFactory(window, [slot](std::function<void()> onQuiet) {
        auto timer = std::make_unique<ManualTimer>(std::move(onQuiet));
        *slot = timer.get();
        return timer;
    });
    return slot;
}

void ShowActive(QWidget& w)
{
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

// ---- the chain ----

TEST(WindowHooks, NewestHookFirstThenTheEarlierOnes)
{
    QWidget window;
    Log log;
    TWindowHook scaler(&window, [&log](TMessage& m, const TWindowProc& previous) {
        if (m.Msg == WM_TEST) {
            log.entries.push_back("scaler");
            m.Result = 42;
        }
        previous(m);
    });
    TWindowHook tray(&window, [&log](TMessage& m, const TWindowProc& previous) {
        if (m.Msg == WM_TEST)
            log.entries.push_back("tray");
        previous(m);
        if (m.Msg == WM_TEST)
            log.entries.push_back("tray saw " + std::to_string(m.Result));
    });
    EXPECT_EQ(HookCount(&window), 2);
    EXPECT_EQ(SendWindowMessage(&window, WM_TEST), 42);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"tray", "scaler", "tray saw 42"}));
    EXPECT_TRUE(scaler.Installed());
    EXPECT_EQ(tray.Window(), &window);
}

TEST(WindowHooks, AConsumedMessageStopsTheChain)
{
    QWidget window;
    Log log;
    TWindowHook older = Hook(&window, "older", log);
    TWindowHook newer(&window, [&log](TMessage& m, const TWindowProc&) {
        log.entries.push_back("newer");
        m.Result = 7;
    });
    EXPECT_EQ(SendWindowMessage(&window, WM_TEST), 7);
    EXPECT_EQ(log.entries, std::vector<std::string>{"newer"});
}

TEST(WindowHooks, RemovalInAnyOrderKeepsTheChainValid)
{
    QWidget window;
    Log log;
    TWindowHook a = Hook(&window, "a", log);
    TWindowHook b = Hook(&window, "b", log);
    TWindowHook c = Hook(&window, "c", log);
    const struct
    {
        TWindowHook* remove;
        std::vector<std::string> expected;
    } steps[] = {
        {nullptr, {"c", "b", "a"}},
        {&b, {"c", "a"}},
        {&c, {"a"}},
        {&a, {}},
    };
    for (const auto& step : steps) {
        if (step.remove != nullptr)
            step.remove->Remove();
        log.Clear();
        SendWindowMessage(&window, WM_TEST);
        EXPECT_EQ(log.entries, step.expected);
    }
    EXPECT_EQ(HookCount(&window), 0);
    EXPECT_FALSE(a.Installed());
    a.Remove(); // twice: nothing
    TWindowHook d = Hook(&window, "d", log);
    log.Clear();
    SendWindowMessage(&window, WM_TEST);
    EXPECT_EQ(log.entries, std::vector<std::string>{"d"});
}

TEST(WindowHooks, AHookRemovedOnTheWayIsNotCalled)
{
    QWidget window;
    Log log;
    TWindowHook a = Hook(&window, "a", log);
    TWindowHook b = Hook(&window, "b", log);
    TWindowHook c(&window, [&](TMessage& m, const TWindowProc& previous) {
        log.entries.push_back("c");
        b.Remove();
        previous(m);
    });
    SendWindowMessage(&window, WM_TEST);
    EXPECT_EQ(log.entries, (std::vector<std::string>{"c", "a"}));
}

TEST(WindowHooks, MovingAHandleMovesTheInstallation)
{
    QWidget window;
    Log log;
    TWindowHook first = Hook(&window, "first", log);
    TWindowHook moved(std::move(first));
    EXPECT_FALSE(first.Installed());
    EXPECT_TRUE(moved.Installed());
    TWindowHook other;
    other = std::move(moved);
    SendWindowMessage(&window, WM_TEST);
    EXPECT_EQ(log.entries, std::vector<std::string>{"first"});
    other = TWindowHook();
    EXPECT_EQ(HookCount(&window), 0);
}

TEST(WindowHooks, AComponentDestroyedBeforeTheFormUnhooksItself)
{
    QWidget window;
    Log log;
    TWindowHook scaler = Hook(&window, "scaler", log);
    auto tray = std::make_unique<TWindowHook>(Hook(&window, "tray", log));
    tray.reset();
    SendWindowMessage(&window, WM_TEST);
    EXPECT_EQ(log.entries, std::vector<std::string>{"scaler"});
}

class DerivedForm : public QMainWindow
{
public:
    using QMainWindow::QMainWindow;
};

TEST(WindowHooks, AFormDestroyedBeforeItsHooksLeavesThemUninstalled)
{
    Log log;
    TWindowHook older;
    TWindowHook newer;
    {
        auto* form = new DerivedForm;
        older = Hook(form, "older", log);
        newer = Hook(form, "newer", log);
        ShowActive(*form);
        log.Clear();
        delete form;
    }
    EXPECT_FALSE(older.Installed());
    EXPECT_FALSE(newer.Installed());
    EXPECT_EQ(older.Window(), nullptr);
    // Each hook heard once that the window goes: newest first.
    EXPECT_EQ(log.Count(WM_DESTROY), 2);
    ASSERT_FALSE(log.messages.empty());
    EXPECT_EQ(log.messages.back().Msg, WM_DESTROY);
    older.Remove();
}

TEST(WindowHooks, NoHooksNoMessages)
{
    QWidget window;
    TMessage m;
    m.Msg = WM_TEST;
    m.Result = 5;
    EXPECT_EQ(SendWindowMessage(&window, m), 5);
    EXPECT_EQ(HookCount(&window), 0);
}

// ---- translation ----

TEST(WindowTranslation, ShowSizeActivateAndHide)
{
    QWidget window;
    window.resize(300, 200);
    Log log;
    TWindowHook hook = Hook(&window, "h", log);
    ShowActive(window);
    // Qt's pending move and resize come first; then the show, the size of a first show, the limits.
    const auto shown = std::find_if(log.messages.begin(), log.messages.end(),
                                    [](const TMessage& m) { return m.Msg == WM_SHOWWINDOW; });
    ASSERT_LE(std::distance(shown, log.messages.end()), static_cast<long>(log.messages.size()));
    ASSERT_GE(std::distance(shown, log.messages.end()), 5);
    EXPECT_EQ(shown[0].WParam, 1u);
    EXPECT_EQ(shown[1].Msg, WM_WINDOWPOSCHANGING);
    EXPECT_EQ(shown[2].Msg, WM_WINDOWPOSCHANGED);
    EXPECT_EQ(shown[3].Msg, WM_SIZE);
    EXPECT_EQ(LoWord(shown[3].LParam), 300);
    EXPECT_EQ(HiWord(shown[3].LParam), 200);
    EXPECT_EQ(shown[4].Msg, WM_GETMINMAXINFO);
    EXPECT_EQ(log.Count(WM_ACTIVATE, WA_ACTIVE), 1);
    log.Clear();
    window.resize(320, 210);
    EXPECT_EQ(log.Sequence(), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE}));
    EXPECT_EQ(log.messages[2].WParam, SIZE_RESTORED);
    EXPECT_EQ(log.messages[2].LParam, MakeLParam(320, 210));
    log.Clear();
    window.hide();
    EXPECT_EQ(log.Count(WM_SHOWWINDOW, 0), 1);
    window.show();
    EXPECT_EQ(log.Count(WM_SHOWWINDOW, 1), 1);
    EXPECT_EQ(log.Count(WM_SIZE), 0); // only the first show reports the size
}

TEST(WindowTranslation, TheUsersDragStartsAndEndsAfterTheQuietInterval)
{
    QWidget window;
    window.resize(300, 200);
    SetDesignFrame(&window, QSize(8, 46));
    Log log;
    TWindowHook hook = Hook(&window, "h", log);
    std::vector<QRect> sizing;
    TWindowHook rects(&window, [&sizing](TMessage& m, const TWindowProc& previous) {
        if ((m.Msg == WM_ENTERSIZEMOVE || m.Msg == WM_SIZING) && m.SizingRect != nullptr)
            sizing.push_back(*m.SizingRect);
        previous(m);
    });
    auto timer = UseManualTimer(&window);
    ShowActive(window);
    log.Clear();
    const QPoint at = OuterGeometry(&window).topLeft();
    window.windowHandle()->resize(340, 220);
    QCoreApplication::processEvents();
    window.windowHandle()->resize(380, 240);
    QCoreApplication::processEvents();
    EXPECT_EQ(log.Sequence(),
              (std::vector<UINT>{WM_ENTERSIZEMOVE, WM_SIZING, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED,
                                 WM_SIZE, WM_SIZING, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE}));
    // The drag showed once the window had changed: WM_ENTERSIZEMOVE reports the outer rectangle
    // from before it, WM_SIZING the present one.
    EXPECT_EQ(sizing, (std::vector<QRect>{QRect(at, QSize(308, 246)), QRect(at, QSize(348, 266)),
                                          QRect(at, QSize(388, 286))}));
    ASSERT_NE(*timer, nullptr);
    EXPECT_TRUE((*timer)->IsActive());
    log.Clear();
    (*timer)->Fire();
    EXPECT_EQ(log.Sequence(), std::vector<UINT>{WM_EXITSIZEMOVE});
    // A move alone is a drag without WM_SIZING.
    log.Clear();
    window.windowHandle()->setPosition(window.windowHandle()->position() + QPoint(25, 15));
    QCoreApplication::processEvents();
    EXPECT_EQ(log.Count(WM_ENTERSIZEMOVE), 1);
    EXPECT_EQ(log.Count(WM_SIZING), 0);
    (*timer)->Fire();
    EXPECT_EQ(log.Count(WM_EXITSIZEMOVE), 1);
}

TEST(WindowTranslation, TheProgramsOwnGeometryNeverStartsADrag)
{
    QWidget window;
    window.resize(300, 200);
    Log log;
    TWindowHook hook = Hook(&window, "h", log);
    auto timer = UseManualTimer(&window);
    ShowActive(window);
    log.Clear();
    window.resize(310, 205);
    {
        ScopedGeometryChange guard(&window);
        window.windowHandle()->resize(330, 215);
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(InProgramGeometryChange(&window) == false);
    SetOuterGeometry(&window, QRect(40, 50, 350, 230));
    QCoreApplication::processEvents();
    window.showMaximized();
    QCoreApplication::processEvents();
    window.showNormal(); // the platform answers with spontaneous resizes
    QCoreApplication::processEvents();
    EXPECT_EQ(log.Count(WM_ENTERSIZEMOVE), 0);
    EXPECT_EQ(log.Count(WM_SYSCOMMAND), 0); // the program's own state changes are no commands
    EXPECT_GE(log.Count(WM_SIZE, SIZE_MAXIMIZED), 1);
    EXPECT_GE(log.Count(WM_SIZE, SIZE_RESTORED), 1);
}

TEST(WindowTranslation, TheUsersStateChangesAreCommands)
{
    QWidget window;
    window.resize(300, 200);
    Log log;
    TWindowHook hook = Hook(&window, "h", log);
    auto timer = UseManualTimer(&window);
    ShowActive(window);
    log.Clear();
    window.windowHandle()->setWindowStates(Qt::WindowMaximized);
    QCoreApplication::processEvents();
    EXPECT_EQ(log.Count(WM_SYSCOMMAND, SC_MAXIMIZE), 1);
    EXPECT_GE(log.Count(WM_SIZE, SIZE_MAXIMIZED), 1);
    EXPECT_EQ(log.Count(WM_ENTERSIZEMOVE), 0);
    log.Clear();
    window.windowHandle()->setWindowStates(Qt::WindowNoState);
    QCoreApplication::processEvents();
    EXPECT_EQ(log.Count(WM_SYSCOMMAND, SC_RESTORE), 1);
    EXPECT_EQ(log.Count(WM_ENTERSIZEMOVE), 0);
    // Until the window system has settled the change, the window's position may still lag.
    EXPECT_TRUE(SettlingStateChange(&window));
    (*timer)->Fire();
    EXPECT_FALSE(SettlingStateChange(&window));
}

TEST(WindowTranslation, AConsumedMinimizeIsUndone)
{
    QWidget window;
    window.resize(300, 200);
    Log log;
    TWindowHook scaler = Hook(&window, "scaler", log);
    Log trayLog;
    TWindowHook tray = Hook(&window, "tray", trayLog, [](const TMessage& m) {
        return m.Msg == WM_SYSCOMMAND && m.WParam == SC_MINIMIZE;
    });
    ShowActive(window);
    log.Clear();
    window.windowHandle()->setWindowStates(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_EQ(trayLog.Count(WM_SYSCOMMAND, SC_MINIMIZE), 1);
    EXPECT_EQ(log.Count(WM_SYSCOMMAND), 0);
    EXPECT_EQ(log.Count(WM_SIZE, SIZE_MINIMIZED), 0);
    EXPECT_FALSE(window.isMinimized());
}

TEST(WindowTranslation, AConsumedCloseKeepsTheWindowOpen)
{
    QWidget window;
    Log log;
    bool consume = true;
    TWindowHook tray = Hook(&window, "tray", log, [&consume](const TMessage& m) {
        return consume && m.Msg == WM_SYSCOMMAND && m.WParam == SC_CLOSE;
    });
    ShowActive(window);
    log.Clear();
    // The window system's close request (the close button, Alt+F4) is spontaneous.
    QCloseEvent request;
    EXPECT_TRUE(TranslateWindowEvent(&window, &window, &request, true));
    EXPECT_FALSE(request.isAccepted());
    EXPECT_EQ(log.Count(WM_SYSCOMMAND, SC_CLOSE), 1);
    consume = false;
    QCloseEvent granted;
    EXPECT_FALSE(TranslateWindowEvent(&window, &window, &granted, true));
    EXPECT_TRUE(granted.isAccepted());
    // The program's own close() is no command and closes.
    log.Clear();
    consume = true;
    window.close();
    EXPECT_EQ(log.Count(WM_SYSCOMMAND), 0);
    EXPECT_FALSE(window.isVisible());
}

TEST(WindowTranslation, PointerMovementOverAChildIsSetCursor)
{
    QWidget window;
    window.resize(300, 200);
    auto* button = new QPushButton(QStringLiteral("b"), &window);
    button->setGeometry(10, 10, 100, 30);
    Log log;
    TWindowHook hook = Hook(&window, "h", log);
    ShowActive(window);
    log.Clear();
    QTest::mouseMove(button, QPoint(5, 5));
    QTest::mouseMove(button, QPoint(20, 8));
    EXPECT_EQ(log.Count(WM_SETCURSOR), 2);
}

TEST(WindowTranslation, PaintingErasesTheBackgroundThroughTheChain)
{
    QWidget window;
    window.resize(100, 80);
    TWindowHook hook(&window, [&window](TMessage& m, const TWindowProc& previous) {
        if (m.Msg == WM_ERASEBKGND) {
            EXPECT_EQ(m.DC, &window);
            QPainter painter(m.DC);
            painter.fillRect(QRect(0, 0, 20, 20), Qt::red);
            return;
        }
        previous(m);
    });
    ShowActive(window);
    const QImage shot = window.grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(5, 5)), QColor(Qt::red));
    EXPECT_NE(QColor(shot.pixel(50, 50)), QColor(Qt::red));
}

TEST(WindowTranslation, AChangeOfTheScreenIsADisplayChangeOneOfItsWorkAreaIsNot)
{
    QWidget window;
    Log log;
    TWindowHook hook = Hook(&window, "h", log);
    ShowActive(window);
    log.Clear();
    QScreen* screen = window.screen();
    ASSERT_NE(screen, nullptr);
    // A panel coming or going changes the work area only: it takes effect at the next first show or
    // tape toggle, not as a display change.
    emit screen->availableGeometryChanged(screen->availableGeometry());
    EXPECT_EQ(log.Count(WM_DISPLAYCHANGE), 0);
    emit screen->geometryChanged(screen->geometry());
    ASSERT_EQ(log.Count(WM_DISPLAYCHANGE), 1);
    EXPECT_EQ(log.messages.back().LParam,
              MakeLParam(screen->availableGeometry().width(), screen->availableGeometry().height()));
    EXPECT_EQ(log.messages.back().WParam, static_cast<WPARAM>(screen->depth()));
}

TEST(WindowTranslation, StateChangesArePositionChanges)
{
    QWidget window;
    Log log;
    TWindowHook hook = Hook(&window, "h", log);
    ShowActive(window);
    log.Clear();
    window.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_GE(log.Count(WM_WINDOWPOSCHANGED), 1);
    EXPECT_EQ(log.Count(WM_SIZE, SIZE_MINIMIZED), 1);
    window.showNormal();
}

// ---- track limits ----

TEST(WindowTrackLimits, BecomeTheMinimumAndMaximumSizeOfTheClientArea)
{
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.setCentralWidget(new QWidget);
    SetDesignFrame(&window, QSize(8, 46));
    POINT minimum{300, 200};
    POINT maximum{700, 0}; // 0: no limit in that direction
    bool limit = true;
    TWindowHook hook(&window, [&](TMessage& m, const TWindowProc& previous) {
        if (m.Msg == WM_GETMINMAXINFO && limit) {
            m.MinMaxInfo->ptMinTrackSize = minimum;
            m.MinMaxInfo->ptMaxTrackSize = maximum;
        }
        previous(m);
    });
    ShowActive(window);
    const int menu = MenuBarHeight(&window);
    ASSERT_GT(menu, 0);
    EXPECT_EQ(window.minimumSize(), QSize(300 - 8, 200 - 46 + menu));
    EXPECT_EQ(window.maximumSize(), QSize(700 - 8, QWIDGETSIZE_MAX));
    window.resize(100, 100);
    EXPECT_EQ(OuterGeometry(&window).size(), QSize(300, 200));
    limit = false;
    RefreshTrackLimits(&window);
    EXPECT_EQ(window.minimumSize(), QSize(0, 0));
    EXPECT_EQ(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

TEST(WindowTrackLimits, LimitsTheHookLeavesAloneStay)
{
    QWidget window;
    window.setMinimumSize(120, 90);
    TWindowHook hook(&window, [](TMessage& m, const TWindowProc& previous) { previous(m); });
    ShowActive(window);
    RefreshTrackLimits(&window);
    EXPECT_EQ(window.minimumSize(), QSize(120, 90));
}

// ---- native messages (Windows feeds them from nativeEvent) ----

TEST(WindowGeometry, ClientAreaOuterRectangleAndDesignFrame)
{
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.setCentralWidget(new QWidget);
    window.setStatusBar(new QStatusBar);
    SetDesignFrame(&window, QSize(8, 46));
    SetClientSize(&window, QSize(502, 269));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const int menu = window.menuBar()->height();
    EXPECT_EQ(MenuBarHeight(&window), menu);
    EXPECT_EQ(ClientOrigin(&window), QPoint(0, menu));
    EXPECT_EQ(ClientSize(&window), QSize(502, 269));
    EXPECT_EQ(window.height(), 269 + menu);
    EXPECT_FALSE(HasReportedFrame(&window)); // offscreen
    EXPECT_EQ(FrameExtent(&window), QSize(8, 46));
    EXPECT_EQ(OuterGeometry(&window).size(), QSize(510, 315));
    EXPECT_EQ(FrameWidgetSizeForOuter(&window, QSize(610, 377)), QSize(602, 331 + menu));
    SetOuterGeometry(&window, QRect(30, 40, 610, 377));
    EXPECT_EQ(OuterGeometry(&window), QRect(30, 40, 610, 377));
    EXPECT_EQ(ClientSize(&window), QSize(602, 331));
    SetDesignFrame(&window, QSize(-5, 10));
    EXPECT_EQ(DesignFrame(&window), QSize(0, 10));
    // The frame a window manager announced before mapping (openbox: 1, 20, 1, 5) replaces the design
    // frame: the client sits inside it, and outer sizes convert with it.
    SetExpectedFrame(&window, QMargins(1, 20, 1, 5));
    EXPECT_EQ(FrameExtent(&window), QSize(2, 25 + menu));
    SetOuterGeometry(&window, QRect(636, 485, 510, 315));
    EXPECT_EQ(window.geometry().topLeft(), QPoint(637, 505));
    EXPECT_EQ(ClientSize(&window), QSize(508, 290 - menu));
    EXPECT_EQ(OuterGeometry(&window), QRect(636, 485, 510, 315));
}

TEST(WindowGeometry, FitInto)
{
    const QRect area(0, 30, 800, 770);
    const struct
    {
        QRect rect;
        QRect expected;
    } cases[] = {
        {{100, 100, 200, 100}, {100, 100, 200, 100}}, {{700, 100, 200, 100}, {600, 100, 200, 100}},
        {{-50, 10, 200, 100}, {0, 30, 200, 100}},     {{100, 790, 200, 100}, {100, 700, 200, 100}},
        {{300, 300, 900, 900}, {0, 30, 900, 900}},    {{-2000000000, 2000000000, 10, 10}, {0, 790, 10, 10}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitInto(c.rect, area), c.expected) << c.rect.x() << "," << c.rect.y();
}

TEST(WindowGeometry, PlacementRoundTripAndDamagedRectangles)
{
    QWidget window;
    SetDesignFrame(&window, QSize(8, 46));
    window.setGeometry(100, 100, 302, 154);
    ShowActive(window);
    TWindowPlacement p = GetWindowPlacement(&window);
    EXPECT_EQ(p.length, 44);
    EXPECT_EQ(p.showCmd, SW_SHOWNORMAL);
    EXPECT_EQ(QRect(QPoint(p.normLeft, p.normTop), QPoint(p.normRight - 1, p.normBottom - 1)),
              QRect(100, 100, 310, 200));

    window.showMaximized();
    QCoreApplication::processEvents();
    const TWindowPlacement maximized = GetWindowPlacement(&window);
    EXPECT_EQ(maximized.showCmd, SW_SHOWMAXIMIZED);
    EXPECT_EQ(maximized.normRight - maximized.normLeft, 310);
    window.showNormal();
    QCoreApplication::processEvents();

    const QRect area = PlacementArea(&window, OuterGeometry(&window));
    const struct
    {
        const char* what;
        QRect rect; // left, top, width, height
        bool keepsSize;
    } cases[] = {
        {"normal", {50, 60, 400, 300}, false},
        {"negative size", {50, 60, -400, -300}, true},
        {"tiny", {50, 60, 3, 2}, true},
        {"gigantic", {0, 0, 2000000, 1500000}, true},
        {"far off screen", {90000, -70000, 400, 300}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QSize before = OuterGeometry(&window).size();
        TWindowPlacement damaged;
        damaged.normLeft = c.rect.x();
        damaged.normTop = c.rect.y();
        damaged.normRight = c.rect.x() + c.rect.width();
        damaged.normBottom = c.rect.y() + c.rect.height();
        SetWindowPlacement(&window, damaged);
        const QRect outer = OuterGeometry(&window);
        EXPECT_EQ(outer.size(), c.keepsSize ? before : c.rect.size());
        EXPECT_TRUE(area.contains(outer)) << outer.x() << "," << outer.y();
        EXPECT_TRUE(window.isVisible());
    }
    TWindowPlacement maximize = GetWindowPlacement(&window);
    maximize.showCmd = SW_SHOWMAXIMIZED;
    SetWindowPlacement(&window, maximize);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.isMaximized());
}

} // namespace
