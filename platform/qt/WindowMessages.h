#pragma once
// Window messages for Qt forms: the window procedure hooks of the form components (the scaler, the
// tray icon) on Qt. An event filter on the form turns Qt's events into the Windows messages those
// components are written against, and passes each message along a per-window chain of hooks, the
// newest first, ending in Qt's own handling.
//
// Hook chain
// ----------
// - TWindowHook(window, proc) installs `proc` as the newest hook of `window` (a form: a top-level
//   widget; any widget can carry a chain of its own). The hook sees every message before the hooks installed
//   earlier and before Qt.
// - A hook receives the message and `previous`, the rest of the chain. Calling previous(message)
//   passes the message on (like CallWindowProc with the previous window procedure); the result
//   stays in message.Result. Not calling it consumes the message: the hooks installed earlier never
//   see it, and where the message stands for something Qt is about to do, Qt does not do it:
//     WM_SYSCOMMAND SC_CLOSE (the user's close button or Alt+F4): the close event is ignored and the
//       window stays open;
//     WM_SYSCOMMAND SC_MINIMIZE / SC_MAXIMIZE / SC_RESTORE: X11 and Wayland report these only
//       after the window system has done them, so the layer sends them then and undoes a consumed
//       one (the window goes back to its previous state, as a program change that sends no further
//       messages).
//   Every other message reports what has happened already; consuming it only keeps it from the
//   earlier hooks (WM_ERASEBKGND: Qt has filled the background before the form paints, a hook that
//   consumes it has painted its own background over that).
// - The TWindowHook object owns the installation: destroying it (or Remove()) takes the hook out of
//   the chain, in any order relative to other hooks, also from inside a message. A hook removed
//   while a message is on its way is not called for it any more. A window destroyed before its hooks
//   leaves them uninstalled (Installed() turns false); nothing is ever called on a destroyed window
//   or through a removed hook. Components that own a hook as a member unhook themselves when they
//   are destroyed, before or after the window.
// - Everything runs on the GUI thread, re-entrantly: a hook that resizes the window receives the
//   WM_SIZE of that change before its own call returns.
//
// Messages sent, with their Qt source (the window is the form):
//   WM_SHOWWINDOW   wParam 1/0: the program shows/hides the form (not minimize/restore)
//   WM_ACTIVATE     wParam WA_ACTIVE/WA_INACTIVE: window activation and deactivation
//   WM_WINDOWPOSCHANGING, then WM_WINDOWPOSCHANGED: every move, resize and change of window state
//                   (before its WM_SIZE), and the first show
//   WM_SIZE         wParam SIZE_RESTORED/SIZE_MINIMIZED/SIZE_MAXIMIZED, lParam client width (low
//                   word) and height (high word): every resize, every change of window state, and
//                   after the first WM_SHOWWINDOW (Qt sizes a hidden window silently)
//   WM_SYSCOMMAND   wParam SC_CLOSE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE: the user's commands (the
//                   window system's close request, spontaneous state changes); the program's own
//                   close() and setWindowState() send none
//   WM_ENTERSIZEMOVE, WM_SIZING (lParam unused, SizingRect the outer rectangle), WM_EXITSIZEMOVE:
//                   a user's drag of the frame or the title bar. The window system may report a drag
//                   only once it has changed the window: WM_ENTERSIZEMOVE's SizingRect is then the
//                   outer rectangle from before the drag. A spontaneous resize or move starts a drag and
//                   a quiet interval of DragQuietInterval ends it; changes made by the program
//                   (ScopedGeometryChange, SetOuterGeometry, any non-spontaneous event, the window
//                   system confirming a geometry the program asked for) and state changes never start
//                   one.
//   WM_SETCURSOR    pointer movement over the window or any of its children
//   WM_DISPLAYCHANGE wParam colour depth, lParam maximized width and height: the window's screen
//                   changed, or that screen's size did (not its work area: a panel coming or going)
//   WM_ERASEBKGND   DC the widget being painted: the window's paint event (before it paints)
//   WM_GETMINMAXINFO MinMaxInfo: asked when the window is shown and by RefreshTrackLimits; the
//                   resulting track sizes become the frame's minimum and maximum size (see there)
//   WM_DESTROY      once, when the window's destruction begins
// A message sent with SendWindowMessage runs through the same chain; its default procedure does
// nothing and leaves Result as it is.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include <QPointer>
#include <QRect>

class QEvent;
class QObject;
class QPaintDevice;
class QWidget;

namespace platform {

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Message numbers, with the Windows values. (A file that includes this header must not include
// <windows.h>, whose macros have these names.)
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_SETCURSOR = 0x0020;
inline constexpr UINT WM_GETMINMAXINFO = 0x0024;
inline constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
inline constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr UINT WM_DISPLAYCHANGE = 0x007E;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_SIZING = 0x0214;
inline constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
inline constexpr UINT WM_EXITSIZEMOVE = 0x0232;

// WM_SIZE kinds.
inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_ACTIVATE states.
inline constexpr WPARAM WA_INACTIVE = 0;
inline constexpr WPARAM WA_ACTIVE = 1;

// WM_SYSCOMMAND commands (compared whole: a command with extra bits is another command).
inline constexpr WPARAM SC_SIZE = 0xF000;
inline constexpr WPARAM SC_MOVE = 0xF010;
inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_MAXIMIZE = 0xF030;
inline constexpr WPARAM SC_CLOSE = 0xF060;
inline constexpr WPARAM SC_RESTORE = 0xF120;

// WM_SIZING edge: the bottom-right corner (what the layer reports where it cannot tell).
inline constexpr WPARAM WMSZ_BOTTOMRIGHT = 8;

constexpr LPARAM MakeLParam(int low, int high)
{
    return static_cast<LPARAM>((static_cast<std::uint32_t>(high & 0xFFFF) << 16) |
                               static_cast<std::uint32_t>(low & 0xFFFF));
}
constexpr int LoWord(LPARAM value)
{
    return static_cast<int>(static_cast<std::uint32_t>(value) & 0xFFFF);
}
constexpr int HiWord(LPARAM value)
{
    return static_cast<int>((static_cast<std::uint32_t>(value) >> 16) & 0xFFFF);
}

struct POINT
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const POINT&) const = default;
};

// Sizes and positions of the outer window, in pixels.
struct MINMAXINFO
{
    POINT ptReserved;
    POINT ptMaxSize;      // size of the maximized window
    POINT ptMaxPosition;  // its position
    POINT ptMinTrackSize; // smallest size the user can drag to
    POINT ptMaxTrackSize; // largest
};

// A message. Messages that carry a pointer on Windows carry it typed here.
struct TMessage
{
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
    MINMAXINFO* MinMaxInfo = nullptr; // WM_GETMINMAXINFO
    QPaintDevice* DC = nullptr;       // WM_ERASEBKGND: the device to paint the background on
    QRect* SizingRect = nullptr;      // WM_SIZING: the outer rectangle
};

// The rest of the chain, as a hook sees it.
using TWindowProc = std::function<void(TMessage& message)>;
// A hook: acts on the message and passes it on with previous(message), or consumes it.
using TWindowHookProc = std::function<void(TMessage& message, const TWindowProc& previous)>;

class WindowMessageFilter;

// One installed hook (move-only). See the top of this file.
class TWindowHook
{
public:
    TWindowHook() = default;
    TWindowHook(QWidget* window, TWindowHookProc proc);
    ~TWindowHook();
    TWindowHook(TWindowHook&& other) noexcept;
    TWindowHook& operator=(TWindowHook&& other) noexcept;
    TWindowHook(const TWindowHook&) = delete;
    TWindowHook& operator=(const TWindowHook&) = delete;

    // Takes the hook out of its chain (nothing when not installed).
    void Remove();
    bool Installed() const;
    QWidget* Window() const;

private:
    QPointer<WindowMessageFilter> chain_;
    std::uint64_t id_ = 0;
};

// Runs the message through the window's chain, newest hook first, and returns message.Result.
// Without hooks nothing happens and the result is message.Result as given.
LRESULT SendWindowMessage(QWidget* window, TMessage& message);
LRESULT SendWindowMessage(QWidget* window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// Number of hooks installed on the window (0 for none).
int HookCount(const QWidget* window);

// Whether the window's state (minimized, maximized, normal) changed less than DragQuietInterval ago:
// the window system may still be moving it there, and its position can lag behind its size.
bool SettlingStateChange(const QWidget* window);

// Asks the hooks for the track limits (WM_GETMINMAXINFO, starting from the system values: maximized
// size and position from the screen, minimum track 0 x 0, maximum track unlimited) and makes them
// the minimum and maximum size of the window's frame widget, converted from outer sizes (for a
// top-level the frame is subtracted, the menu bar added). A limit that comes back at the system
// value removes the constraint this function set before; constraints it never set are left alone.
// ptMaxSize and ptMaxPosition have no counterpart in Qt and are not applied. No hooks: nothing.
void RefreshTrackLimits(QWidget* window);

// Drag detection where the window system reports no drags: a restartable single-shot timer.
class TQuietTimer
{
public:
    virtual ~TQuietTimer() = default;
    virtual void Start() = 0; // (re)starts the interval
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};
// Makes the timer for one window; `onQuiet` runs when the interval passes without a restart.
using TQuietTimerFactory = std::function<std::unique_ptr<TQuietTimer>(std::function<void()> onQuiet)>;
inline constexpr std::chrono::milliseconds DragQuietInterval{300};
// Replaces the window's timer (tests use a manual one). The window must have a hook.
void SetQuietTimerFactory(QWidget* window, TQuietTimerFactory factory);

// The event filter's translation of one Qt event on `watched` (the window or its frame widget),
// with the spontaneity given instead of read from the event (tests stand in for the window system
// with it). Returns true when the event is to be eaten. No hooks: false.
bool TranslateWindowEvent(QWidget* window, QObject* watched, QEvent* event, bool spontaneous);

} // namespace platform
