#pragma once
// Window geometry as the form components (the scaler, the tray icon) see a window: the client area,
// the outer rectangle with the frame, the size of a maximized window on the screen, the window
// placement record, and the program's own geometry changes kept apart from the user's.
//
// A "form" is a top-level widget.
//
// - Client area: the form's widget rectangle without a menu bar laid out at its top (a main window's
//   menu belongs to the window's frame, as on Windows). Controls that are direct children of the
//   form are placed relative to the client origin (ClientOrigin), below the menu bar.
// - Outer rectangle: the window with its frame. Its size is the client size plus the frame extent:
//   the real frame where the window system reports one; before that (a window not mapped yet) the
//   frame the window manager announced for it (SetExpectedFrame, from the window manager's answer
//   to a request); otherwise (the offscreen and minimal platforms, which invent
//   margins, and X11 without a window manager) the design frame set with SetDesignFrame, so that
//   outer and client sizes keep the relation they had at design. Its top-left is the frame's
//   top-left (QWidget::pos() once reported), or without a frame the widget's own top-left.
// - Maximized size: the size of a maximized window on the form's screen, here the screen's available
//   geometry (the screen without panels and task bars).

#include <cstdint>
#include <optional>

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

class QScreen;
class QWidget;

namespace platform {

// The states in which a window is not at its normal place and size.
inline constexpr Qt::WindowStates SpecialStates =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

// The frame added to the client size where the window system reports none: outer minus client size
// at design (8 x 46 for the calculator's main window). Negative extents count as 0.
void SetDesignFrame(QWidget* form, QSize frame);

// The frame the window manager will put around the form, known before it is reported (left, top,
// right and bottom extents). Used until the window system reports the frame.
void SetExpectedFrame(QWidget* form, QMargins frame);
// Asks the window manager for the frame of a window not mapped yet, where no frame is known
// (_NET_REQUEST_FRAME_EXTENTS on X11), and makes its answer the expected frame.
void AskForFrame(QWidget* window);

// The menu bar of the form (a main window's menu widget, or the menu bar of the form's layout).
QWidget* MenuBar(const QWidget* form);
// Height of a menu bar laid out at the top of the form (0 when none, hidden or native).
int MenuBarHeight(const QWidget* form);
// Top-left of the client area in the form's own coordinates.
QPoint ClientOrigin(const QWidget* form);
QSize ClientSize(const QWidget* form);
// Resizes the form so that its client area has this size (a program change, see below).
void SetClientSize(QWidget* form, QSize client);

// Whether the window system reports a frame for this window (false on the offscreen and minimal
// platforms, which invent margins, and where frame and client geometry coincide).
bool HasReportedFrame(const QWidget* form);
// Outer size minus client size: the reported frame (with the menu bar), else the design frame.
QSize FrameExtent(const QWidget* form);
QRect OuterGeometry(const QWidget* form);
// The window manager's part of the frame extent: outer size minus the widget's size (QWidget::size).
QSize Decoration(const QWidget* form);
// The widget's size that gives this outer size; never negative.
QSize FrameWidgetSizeForOuter(const QWidget* form, QSize outer);
// Moves and resizes the window to this outer rectangle in one call, as a program change.
void SetOuterGeometry(QWidget* form, const QRect& outer);

// A window placed before its frame was reported or announced (the window manager answered too late)
// was placed on the design frame. Once the window system reports the real frame the placement is
// made again, once, unless the user changed the window meanwhile:
// Whether such a placement waits for the reported frame.
bool PlacedWithoutFrame(const QWidget* form);
// The user moved or resized the window: the waiting placement is dropped.
void ForgetPlacementWithoutFrame(QWidget* form);
// With the frame reported: puts a normal window at the outer rectangle of the waiting placement,
// as a program change (a minimized or maximized one keeps its place), and drops it.
void PlaceAgainWithReportedFrame(QWidget* form);

// Moves a top-level window so that its outer rectangle is centred on `screen` (the whole screen),
// with the window manager's frame where it tells it before the window is mapped.
void CentreOnScreen(QWidget* window, const QScreen* screen);

// The form's screen's available geometry: a maximized window has its size.
QRect AvailableGeometry(const QWidget* form);
// The area a window's outer rectangle must stay in: the available geometry of the screen nearest to
// the rectangle.
QRect PlacementArea(const QWidget* form, const QRect& outer);
// The rectangle moved (never resized) so that it lies inside `area`; one wider or taller than the
// area is aligned with the area's left or top edge.
QRect FitInto(const QRect& rect, const QRect& area);

// Marks geometry and state changes made by the program, so that the window events never take
// them for the user's drag. Nests; put it around setGeometry/resize/move/setWindowState calls on a
// form whose own code changes the window's geometry.
class ScopedGeometryChange
{
public:
    explicit ScopedGeometryChange(QWidget* form);
    ~ScopedGeometryChange();
    ScopedGeometryChange(const ScopedGeometryChange&) = delete;
    ScopedGeometryChange& operator=(const ScopedGeometryChange&) = delete;

private:
    QWidget* form_;
};
bool InProgramGeometryChange(const QWidget* form);
// The frame widget's geometry that SetOuterGeometry last asked for (empty before): the window system
// confirming it is no move of the user's.
QRect RequestedGeometry(const QWidget* form);

// The window placement record (the Windows WINDOWPLACEMENT, all 32-bit).
inline constexpr std::int32_t SW_HIDE = 0;
inline constexpr std::int32_t SW_SHOWNORMAL = 1;
inline constexpr std::int32_t SW_SHOWMINIMIZED = 2;
inline constexpr std::int32_t SW_SHOWMAXIMIZED = 3;
inline constexpr std::int32_t WPF_RESTORETOMAXIMIZED = 2;

struct TWindowPlacement
{
    std::int32_t length = 44;
    std::int32_t flags = 0;
    std::int32_t showCmd = SW_SHOWNORMAL;
    std::int32_t minPosX = -1, minPosY = -1;
    std::int32_t maxPosX = -1, maxPosY = -1;
    std::int32_t normLeft = 0, normTop = 0, normRight = 0, normBottom = 0;

    bool operator==(const TWindowPlacement&) const = default;
};

// The present placement: showCmd 2 minimized, 3 maximized, else 1; the normal rectangle is the outer
// rectangle the window has when neither minimized nor maximized.
TWindowPlacement GetWindowPlacement(const QWidget* form);
// Applies a placement as a program change; the window's visibility is never changed. The normal
// rectangle (right and bottom exclusive) becomes the outer rectangle of a window that is neither
// minimized nor maximized (Qt can set it only by leaving that state); then showCmd 3 maximizes, any
// other value keeps the state. A damaged rectangle never makes the window unusable: a size below 32
// pixels or beyond the placement area keeps the window's present normal size, and the rectangle is
// fitted into the placement area.
void SetWindowPlacement(QWidget* form, const TWindowPlacement& placement);

} // namespace platform
