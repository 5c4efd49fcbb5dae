#pragma once
// Window events for the form's components (the tray icon, the scaler): one event filter on the form
// turns Qt's events into the few typed events below and hands each to the components in a fixed
// order of roles, the tray icon first. docs/ARCHITECTURE.md lists each event's Qt source and who
// acts on it. A component that consumes an event keeps it from the ones after it and, for a
// request, from the window: a consumed close leaves the window open; X11 and Wayland report a
// minimize, maximize or restore only once done, so a consumed one is undone (as a program change).
// The program's own changes (ScopedGeometryChange, SetOuterGeometry, non-spontaneous events, the
// window system confirming a geometry the program asked for) start no drag and make no request.
//
// A registration (TWindowEvents) goes when its object goes, also from inside an event, and a
// window destroyed first leaves it uninstalled. Everything runs on the GUI thread, re-entrantly: a
// handler that resizes the window receives the Resized of that change before its own call returns.

#include <chrono>
#include <cstdint>
#include <functional>

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

class QEvent;
class QObject;
class QWidget;

namespace platform {

enum class WindowState
{
    Normal,
    Minimized,
    Maximized,
};

// Outer sizes the user can drag the window to. A component changes what it limits; what comes back
// at the starting value is no limit.
struct TrackSizes
{
    QSize minimumTrack{0, 0}; // smallest size the user can drag to
    QSize maximumTrack;       // largest; an extent <= 0 is no limit in that direction
};

struct WindowEvent
{
    enum class Kind
    {
        Shown,
        Activated,
        GeometryChanging,
        Resized,
        CloseRequested,
        MinimizeRequested,
        MaximizeRequested,
        RestoreRequested,
        DragStarted,
        Dragging,
        DragEnded,
        PointerMoved,
        DisplayChanged,
        TrackLimitsAsked,
        Destroyed,
    };

    Kind kind = Kind::Shown;
    WindowState state = WindowState::Normal; // Resized
    QRect outer{};                           // DragStarted (before the drag)
    QSize screenSize{};                      // DisplayChanged
    TrackSizes* limits = nullptr;            // TrackLimitsAsked
};

// The components, in the order they receive each event.
enum class WindowRole
{
    Tray,
    Scaler,
};

// Acts on the event; true consumes it. A handler keeps its own exceptions: none may leave it.
using TWindowEventHandler = std::function<bool(WindowEvent& event)>;

class WindowEventFilter;

// One component's registration on a window (move-only). A second registration for the same role
// replaces the first, which then is no longer installed.
class TWindowEvents
{
public:
    TWindowEvents() = default;
    TWindowEvents(QWidget* window, WindowRole role, TWindowEventHandler handler);
    ~TWindowEvents();
    TWindowEvents(TWindowEvents&& other) noexcept;
    TWindowEvents& operator=(TWindowEvents&& other) noexcept;
    TWindowEvents(const TWindowEvents&) = delete;
    TWindowEvents& operator=(const TWindowEvents&) = delete;

    void Remove();
    bool Installed() const;

private:
    QPointer<WindowEventFilter> filter_;
    std::uint64_t id_ = 0;
};

// Delivers the event to the window's components in role order; true when none consumed it.
bool SendWindowEvent(QWidget* window, WindowEvent event);

// Whether the window's state (minimized, maximized, normal) changed less than DragQuietInterval ago:
// the window system may still be moving it there, and its position can lag behind its size.
bool SettlingStateChange(const QWidget* window);

// Asks the components for the track limits (TrackLimitsAsked, starting from the system values:
// minimum track 0 x 0, maximum track unlimited) and
// makes them the minimum and maximum size of the window's frame widget, converted from outer sizes
// (for a top-level the frame is subtracted, the menu bar added). A limit that comes back at the
// system value removes the constraint this function set before; constraints it never set are left
// alone. No components: nothing.
void RefreshTrackLimits(QWidget* window);

// A drag, or the window system settling a state change, ends after this long without a change.
inline constexpr std::chrono::milliseconds DragQuietInterval{300};

// The event filter's translation of one Qt event on `watched` (the window or its frame widget),
// with the spontaneity given instead of read from the event (tests stand in for the window system
// with it). Returns true when the event is to be eaten. No components: false.
bool TranslateWindowEvent(QWidget* window, QObject* watched, QEvent* event, bool spontaneous);

} // namespace platform
