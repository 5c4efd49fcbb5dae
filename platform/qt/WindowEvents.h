#pragma once
// Window events for the form's components (the tray icon, the scaler). One event filter on the form
// turns Qt's events into the few typed events they act on and hands each to the components in a
// fixed order of roles: the tray icon first, then the scaler. A component that consumes an event
// keeps it from the ones after it and, for a request, from the window:
//   CloseRequested (the window system's close: the close button, Alt+F4): the window stays open;
//   MinimizeRequested / MaximizeRequested / RestoreRequested: X11 and Wayland report these only
//     after the window system has done them, so they are sent then and a consumed one is undone
//     (the window goes back to its previous state, as a program change that sends no events).
// Every other event reports what has happened already.
//
// Events, with their Qt source (the window is the form):
//   Shown            the program shows the form (not a restore from minimized)
//   Activated        activation and deactivation
//   GeometryChanging every move, resize and change of window state (before its Resized), and the
//                    first show
//   Resized          `state`: every resize, every change of window state, and the
//                    first show (Qt sizes a hidden window silently)
//   ...Requested     the user's commands: the window system's close request and spontaneous state
//                    changes; the program's own close() and setWindowState() send none
//   DragStarted, Dragging, DragEnded: a user's drag of the frame or the title bar. X11 reports no
//                    drags: a spontaneous resize or move starts one and a quiet interval of
//                    DragQuietInterval ends it. The drag shows only once the window has changed, so
//                    DragStarted's `outer` is the outer rectangle from before it; Dragging marks
//                    each resize of the drag. Changes made by the program
//                    (ScopedGeometryChange, SetOuterGeometry, any non-spontaneous event, the window
//                    system confirming a geometry the program asked for) and state changes never
//                    start one.
//   PointerMoved     pointer movement over the window or any of its children (Qt shows moves over
//                    children that do not track the mouse only to the application's filters: one
//                    filter there hands them to the window's)
//   DisplayChanged   `screenSize` (the maximized-window size): the window's screen changed, or that
//                    screen's size did (not its work area: a panel coming or going)
//   TrackLimitsAsked `limits`: when the window is shown and by RefreshTrackLimits; see there
//   Destroyed        once, when the window's destruction begins
//
// A component registers a handler for its role (TWindowEvents); the registration goes when the
// object goes, also from inside an event, and a window destroyed first leaves it uninstalled.
// Everything runs on the GUI thread, re-entrantly: a handler that resizes the window receives the
// Resized of that change before its own call returns.

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
    QRect outer;                             // DragStarted (before the drag)
    QSize screenSize;                        // DisplayChanged
    TrackSizes* limits = nullptr;            // TrackLimitsAsked
};

// The components, in the order they receive each event.
enum class WindowRole
{
    Tray,
    Scaler,
};

// Acts on the event; true consumes it.
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
    WindowRole role_ = WindowRole::Tray;
    std::uint64_t id_ = 0;
};

// Delivers the event to the window's components in role order; true when none consumed it.
bool SendWindowEvent(QWidget* window, WindowEvent& event);
bool SendWindowEvent(QWidget* window, WindowEvent::Kind kind);

// Number of components registered on the window.
int HandlerCount(const QWidget* window);

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
