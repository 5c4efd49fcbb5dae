// The window events: delivery by role (the tray icon before the scaler whatever the order of
// registration, consumption, removal in any order, windows and components destroyed first), the
// translation of Qt events, drag detection by its quiet interval, undoing consumed requests,
// track limits, and the geometry helpers.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include "platform/qt/WindowEvents.h"
#include "platform/qt/WindowGeometry.h"

namespace {

using namespace platform;
using Kind = WindowEvent::Kind;

// What the components saw.
struct Log
{
    std::vector<std::string> entries; // "name" for every Activated event (the tests' probe)
    std::vector<WindowEvent> events;

    int Count(Kind kind) const
    {
        return static_cast<int>(std::count_if(events.begin(), events.end(),
                                              [kind](const WindowEvent& e) { return e.kind == kind; }));
    }
    int Resized(WindowState state) const
    {
        return static_cast<int>(std::count_if(events.begin(), events.end(), [state](const WindowEvent& e) {
            return e.kind == Kind::Resized && e.state == state;
        }));
    }
    // The events in order, without the pointer moves that come whenever Qt gets round to them.
    std::vector<Kind> Sequence() const
    {
        std::vector<Kind> out;
        for (const WindowEvent& e : events) {
            if (e.kind != Kind::PointerMoved)
                out.push_back(e.kind);
        }
        return out;
    }
    void Clear()
    {
        entries.clear();
        events.clear();
    }
};

// A component that records every event and names itself for the probe; it consumes what
// `consume` says.
TWindowEvents Component(QWidget* window, WindowRole role, std::string name, Log& log,
                        std::function<bool(const WindowEvent&)> consume = {})
{
    return TWindowEvents(window, role, [name, &log, consume](WindowEvent& e) {
        if (e.kind == Kind::Activated)
            log.entries.push_back(name);
        else
            log.events.push_back(e);
        return consume && consume(e);
    });
}

// The probe: an activation sent by the test.
bool Probe(QWidget* window)
{
    return SendWindowEvent(window, {.kind = Kind::Activated});
}

void ShowActive(QWidget& w)
{
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

// ---- delivery ----

TEST(WindowEventDelivery, TheTrayBeforeTheScalerWhateverTheOrderOfRegistration)
{
    for (const bool scalerFirst : {true, false}) {
        QWidget window;
        Log log;
        TWindowEvents scaler;
        TWindowEvents tray;
        if (scalerFirst)
            scaler = Component(&window, WindowRole::Scaler, "scaler", log);
        tray = Component(&window, WindowRole::Tray, "tray", log);
        if (!scalerFirst)
            scaler = Component(&window, WindowRole::Scaler, "scaler", log);
        EXPECT_TRUE(Probe(&window));
        EXPECT_EQ(log.entries, (std::vector<std::string>{"tray", "scaler"})) << scalerFirst;
    }
}

TEST(WindowEventDelivery, AConsumedEventGoesNoFurther)
{
    QWidget window;
    Log log;
    TWindowEvents scaler = Component(&window, WindowRole::Scaler, "scaler", log);
    TWindowEvents tray =
        Component(&window, WindowRole::Tray, "tray", log, [](const WindowEvent&) { return true; });
    EXPECT_FALSE(Probe(&window));
    EXPECT_EQ(log.entries, std::vector<std::string>{"tray"});
}

TEST(WindowEventDelivery, RemovalInAnyOrderAndReplacement)
{
    QWidget window;
    Log log;
    TWindowEvents scaler = Component(&window, WindowRole::Scaler, "scaler", log);
    TWindowEvents tray = Component(&window, WindowRole::Tray, "tray", log);
    const struct
    {
        TWindowEvents* remove;
        std::vector<std::string> expected;
    } steps[] = {
        {nullptr, {"tray", "scaler"}},
        {&tray, {"scaler"}},
        {&scaler, {}},
    };
    for (const auto& step : steps) {
        if (step.remove != nullptr)
            step.remove->Remove();
        log.Clear();
        Probe(&window);
        EXPECT_EQ(log.entries, step.expected);
    }
    EXPECT_FALSE(tray.Installed());
    tray.Remove(); // twice: nothing
    // A second registration of a role replaces the first.
    TWindowEvents first = Component(&window, WindowRole::Tray, "first", log);
    TWindowEvents second = Component(&window, WindowRole::Tray, "second", log);
    EXPECT_FALSE(first.Installed());
    first.Remove(); // leaves the second alone
    log.Clear();
    Probe(&window);
    EXPECT_EQ(log.entries, std::vector<std::string>{"second"});
}

TEST(WindowEventDelivery, AComponentRemovedOnTheWayIsNotCalled)
{
    QWidget window;
    Log log;
    TWindowEvents scaler = Component(&window, WindowRole::Scaler, "scaler", log);
    TWindowEvents tray(&window, WindowRole::Tray, [&](WindowEvent&) {
        log.entries.push_back("tray");
        scaler.Remove();
        tray.Remove(); // itself, too
        return false;
    });
    Probe(&window);
    Probe(&window);
    EXPECT_EQ(log.entries, std::vector<std::string>{"tray"});
}

TEST(WindowEventDelivery, MovingARegistrationMovesIt)
{
    QWidget window;
    Log log;
    TWindowEvents first = Component(&window, WindowRole::Tray, "first", log);
    TWindowEvents moved(std::move(first));
    EXPECT_FALSE(first.Installed());
    EXPECT_TRUE(moved.Installed());
    TWindowEvents other;
    other = std::move(moved);
    Probe(&window);
    EXPECT_EQ(log.entries, std::vector<std::string>{"first"});
    other = TWindowEvents();
    log.Clear();
    Probe(&window);
    EXPECT_TRUE(log.entries.empty());
}

class DerivedForm : public QMainWindow
{
public:
    using QMainWindow::QMainWindow;
};

TEST(WindowEventDelivery, AFormDestroyedBeforeItsComponentsLeavesThemUninstalled)
{
    Log log;
    TWindowEvents scaler;
    TWindowEvents tray;
    {
        auto* form = new DerivedForm;
        scaler = Component(form, WindowRole::Scaler, "scaler", log);
        tray = Component(form, WindowRole::Tray, "tray", log);
        ShowActive(*form);
        log.Clear();
        delete form;
    }
    EXPECT_FALSE(scaler.Installed());
    EXPECT_FALSE(tray.Installed());
    // Each component heard once that the window goes, and nothing after.
    EXPECT_EQ(log.Count(Kind::Destroyed), 2);
    ASSERT_FALSE(log.events.empty());
    EXPECT_EQ(log.events.back().kind, Kind::Destroyed);
    scaler.Remove();
}

TEST(WindowEventDelivery, NoComponentsNothingConsumed)
{
    QWidget window;
    EXPECT_TRUE(Probe(&window));
}

// ---- translation ----

TEST(WindowTranslation, ShowSizeAndActivate)
{
    QWidget window;
    window.resize(300, 200);
    Log log;
    TWindowEvents component = Component(&window, WindowRole::Scaler, "s", log);
    ShowActive(window);
    // Qt's pending move and resize come first; then the show, the size of a first show, the limits.
    const auto shown = std::find_if(log.events.begin(), log.events.end(),
                                    [](const WindowEvent& e) { return e.kind == Kind::Shown; });
    ASSERT_GE(std::distance(shown, log.events.end()), 4);
    EXPECT_EQ(shown[1].kind, Kind::GeometryChanging);
    EXPECT_EQ(shown[2].kind, Kind::Resized);
    EXPECT_EQ(shown[3].kind, Kind::TrackLimitsAsked);
    EXPECT_EQ(log.entries, std::vector<std::string>{"s"}); // activated once
    log.Clear();
    window.resize(320, 210);
    EXPECT_EQ(log.Sequence(), (std::vector<Kind>{Kind::GeometryChanging, Kind::Resized}));
    EXPECT_EQ(log.events[1].state, WindowState::Normal);
    log.Clear();
    window.hide();
    window.show();
    EXPECT_EQ(log.Count(Kind::Shown), 1);
    EXPECT_EQ(log.Count(Kind::Resized), 0); // only the first show reports the size
}

TEST(WindowTranslation, TheUsersDragStartsAndEndsAfterTheQuietInterval)
{
    QWidget window;
    window.resize(300, 200);
    SetDesignFrame(&window, QSize(8, 46));
    Log log;
    TWindowEvents component = Component(&window, WindowRole::Scaler, "s", log);
    ShowActive(window);
    log.Clear();
    const QPoint at = OuterGeometry(&window).topLeft();
    window.windowHandle()->resize(340, 220);
    QCoreApplication::processEvents();
    window.windowHandle()->resize(380, 240);
    QCoreApplication::processEvents();
    EXPECT_EQ(log.Sequence(),
              (std::vector<Kind>{Kind::DragStarted, Kind::Dragging, Kind::GeometryChanging, Kind::Resized,
                                 Kind::Dragging, Kind::GeometryChanging, Kind::Resized}));
    // The drag showed once the window had changed: DragStarted reports the outer rectangle from
    // before it.
    EXPECT_EQ(log.events[0].outer, QRect(at, QSize(308, 246)));
    EXPECT_EQ(OuterGeometry(&window), QRect(at, QSize(388, 286)));
    log.Clear();
    QTRY_COMPARE(log.Sequence(), std::vector<Kind>{Kind::DragEnded});
    // A move alone is a drag without Dragging.
    log.Clear();
    window.windowHandle()->setPosition(window.windowHandle()->position() + QPoint(25, 15));
    QCoreApplication::processEvents();
    EXPECT_EQ(log.Count(Kind::DragStarted), 1);
    EXPECT_EQ(log.Count(Kind::Dragging), 0);
    EXPECT_EQ(log.Count(Kind::DragEnded), 0);
    QTRY_COMPARE(log.Count(Kind::DragEnded), 1);
}

bool IsRequest(const WindowEvent& e)
{
    return e.kind == Kind::CloseRequested || e.kind == Kind::MinimizeRequested ||
           e.kind == Kind::MaximizeRequested || e.kind == Kind::RestoreRequested;
}

int Requests(const Log& log)
{
    return static_cast<int>(std::count_if(log.events.begin(), log.events.end(), IsRequest));
}

TEST(WindowTranslation, TheProgramsOwnGeometryNeverStartsADrag)
{
    QWidget window;
    window.resize(300, 200);
    Log log;
    TWindowEvents component = Component(&window, WindowRole::Scaler, "s", log);
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
    EXPECT_EQ(log.Count(Kind::DragStarted), 0);
    EXPECT_EQ(Requests(log), 0); // the program's own state changes are no requests
    EXPECT_GE(log.Resized(WindowState::Maximized), 1);
    EXPECT_GE(log.Resized(WindowState::Normal), 1);
}

TEST(WindowTranslation, TheUsersStateChangesAreRequests)
{
    QWidget window;
    window.resize(300, 200);
    Log log;
    TWindowEvents component = Component(&window, WindowRole::Scaler, "s", log);
    ShowActive(window);
    log.Clear();
    window.windowHandle()->setWindowStates(Qt::WindowMaximized);
    QCoreApplication::processEvents();
    EXPECT_EQ(log.Count(Kind::MaximizeRequested), 1);
    EXPECT_GE(log.Resized(WindowState::Maximized), 1);
    EXPECT_EQ(log.Count(Kind::DragStarted), 0);
    log.Clear();
    window.windowHandle()->setWindowStates(Qt::WindowNoState);
    QCoreApplication::processEvents();
    EXPECT_EQ(log.Count(Kind::RestoreRequested), 1);
    EXPECT_EQ(log.Count(Kind::DragStarted), 0);
    // Until the window system has settled the change, the window's position may still lag.
    EXPECT_TRUE(SettlingStateChange(&window));
    QTRY_VERIFY(!SettlingStateChange(&window));
}

TEST(WindowTranslation, AConsumedMinimizeIsUndone)
{
    QWidget window;
    window.resize(300, 200);
    Log log;
    TWindowEvents scaler = Component(&window, WindowRole::Scaler, "scaler", log);
    Log trayLog;
    TWindowEvents tray = Component(&window, WindowRole::Tray, "tray", trayLog,
                                   [](const WindowEvent& e) { return e.kind == Kind::MinimizeRequested; });
    ShowActive(window);
    log.Clear();
    window.windowHandle()->setWindowStates(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    EXPECT_EQ(trayLog.Count(Kind::MinimizeRequested), 1);
    EXPECT_EQ(Requests(log), 0);
    EXPECT_EQ(log.Resized(WindowState::Minimized), 0);
    EXPECT_FALSE(window.isMinimized());
}

TEST(WindowTranslation, AConsumedCloseKeepsTheWindowOpen)
{
    QWidget window;
    Log log;
    bool consume = true;
    TWindowEvents tray = Component(&window, WindowRole::Tray, "tray", log, [&consume](const WindowEvent& e) {
        return consume && e.kind == Kind::CloseRequested;
    });
    ShowActive(window);
    log.Clear();
    // The window system's close request (the close button, Alt+F4) is spontaneous.
    QCloseEvent request;
    EXPECT_TRUE(TranslateWindowEvent(&window, &window, &request, true));
    EXPECT_FALSE(request.isAccepted());
    EXPECT_EQ(log.Count(Kind::CloseRequested), 1);
    consume = false;
    QCloseEvent granted;
    EXPECT_FALSE(TranslateWindowEvent(&window, &window, &granted, true));
    EXPECT_TRUE(granted.isAccepted());
    // The program's own close() is no request and closes.
    log.Clear();
    consume = true;
    window.close();
    EXPECT_EQ(Requests(log), 0);
    EXPECT_FALSE(window.isVisible());
}

TEST(WindowTranslation, PointerMovementOverAChild)
{
    QWidget window;
    window.resize(300, 200);
    auto* button = new QPushButton(QStringLiteral("b"), &window);
    button->setGeometry(10, 10, 100, 30);
    Log log;
    TWindowEvents component = Component(&window, WindowRole::Scaler, "s", log);
    ShowActive(window);
    log.Clear();
    QTest::mouseMove(button, QPoint(5, 5));
    QTest::mouseMove(button, QPoint(20, 8));
    EXPECT_EQ(log.Count(Kind::PointerMoved), 2);
}

TEST(WindowTranslation, AChangeOfTheScreenIsADisplayChangeOneOfItsWorkAreaIsNot)
{
    QWidget window;
    Log log;
    TWindowEvents component = Component(&window, WindowRole::Scaler, "s", log);
    ShowActive(window);
    log.Clear();
    QScreen* screen = window.screen();
    ASSERT_NE(screen, nullptr);
    // A panel coming or going changes the work area only: it takes effect at the next first show or
    // tape toggle, not as a display change.
    emit screen->availableGeometryChanged(screen->availableGeometry());
    EXPECT_EQ(log.Count(Kind::DisplayChanged), 0);
    emit screen->geometryChanged(screen->geometry());
    ASSERT_EQ(log.Count(Kind::DisplayChanged), 1);
    EXPECT_EQ(log.events.back().screenSize, screen->availableGeometry().size());
}

TEST(WindowTranslation, StateChangesAreGeometryChanges)
{
    QWidget window;
    Log log;
    TWindowEvents component = Component(&window, WindowRole::Scaler, "s", log);
    ShowActive(window);
    log.Clear();
    window.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_GE(log.Count(Kind::GeometryChanging), 1);
    EXPECT_EQ(log.Resized(WindowState::Minimized), 1);
    window.showNormal();
}

// ---- track limits ----

TEST(WindowTrackLimits, BecomeTheMinimumAndMaximumSizeOfTheClientArea)
{
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.setCentralWidget(new QWidget);
    SetDesignFrame(&window, QSize(8, 46));
    const QSize minimum{300, 200};
    const QSize maximum{700, 0}; // 0: no limit in that direction
    bool limit = true;
    TWindowEvents component(&window, WindowRole::Scaler, [&](WindowEvent& e) {
        if (e.kind == Kind::TrackLimitsAsked && limit) {
            e.limits->minimumTrack = minimum;
            e.limits->maximumTrack = maximum;
        }
        return false;
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

TEST(WindowTrackLimits, LimitsNoComponentSetsStay)
{
    QWidget window;
    window.setMinimumSize(120, 90);
    TWindowEvents component(&window, WindowRole::Scaler, [](WindowEvent&) { return false; });
    ShowActive(window);
    RefreshTrackLimits(&window);
    EXPECT_EQ(window.minimumSize(), QSize(120, 90));
}

// ---- geometry ----

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
    EXPECT_EQ(FrameExtent(&window), QSize(0, 10));
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

TEST(WindowGeometry, APlacementWithoutAFrameWaitsForTheReportedOneUntilTheUserMovesTheWindow)
{
    QWidget window;
    SetDesignFrame(&window, QSize(8, 46));
    Log log;
    TWindowEvents component = Component(&window, WindowRole::Scaler, "s", log);
    SetOuterGeometry(&window, QRect(50, 60, 300, 200));
    EXPECT_TRUE(PlacedWithoutFrame(&window));
    ShowActive(window);
    // No frame is reported here: the placement keeps waiting and the window stays.
    PlaceAgainWithReportedFrame(&window);
    EXPECT_TRUE(PlacedWithoutFrame(&window));
    EXPECT_EQ(OuterGeometry(&window), QRect(50, 60, 300, 200));
    window.windowHandle()->setPosition(window.windowHandle()->position() + QPoint(25, 15));
    QCoreApplication::processEvents();
    EXPECT_EQ(log.Count(Kind::DragStarted), 1);
    EXPECT_FALSE(PlacedWithoutFrame(&window));
    // Placed on the frame the window manager announced: nothing to make good later.
    SetExpectedFrame(&window, QMargins(1, 20, 1, 5));
    SetOuterGeometry(&window, QRect(50, 60, 300, 200));
    EXPECT_FALSE(PlacedWithoutFrame(&window));
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
