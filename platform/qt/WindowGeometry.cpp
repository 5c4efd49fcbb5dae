#include "platform/qt/WindowGeometry.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#if defined(QUORLANE_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstring>
#include <thread>
#endif

namespace platform {
namespace {

#if defined(QUORLANE_HAVE_XCB)

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// The 32-bit items of a property (at most `count`), empty when it is missing or of another type.
template<std::size_t N>
std::optional<std::array<std::uint32_t, N>> Cardinals(xcb_connection_t* c, xcb_window_t w,
                                                      xcb_atom_t property, xcb_atom_t type)
{
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, N), nullptr);
    std::optional<std::array<std::uint32_t, N>> items;
    if (reply != nullptr && reply->type == type && reply->format == 32 &&
        xcb_get_property_value_length(reply) >= static_cast<int>(N * 4)) {
        items.emplace();
        std::memcpy(items->data(), xcb_get_property_value(reply), N * 4);
    }
    std::free(reply);
    return items;
}

// Whether a window manager runs that says it answers the request (_NET_SUPPORTED lists it; the
// supporting-WM check window names itself, so the list is not left over from one that ended).
bool WindowManagerAnswers(xcb_connection_t* c, xcb_window_t root, xcb_atom_t request)
{
    const xcb_atom_t check = Atom(c, "_NET_SUPPORTING_WM_CHECK");
    const auto wm = Cardinals<1>(c, root, check, XCB_ATOM_WINDOW);
    if (!wm || Cardinals<1>(c, (*wm)[0], check, XCB_ATOM_WINDOW) != wm)
        return false;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, Atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096), nullptr);
    bool listed = false;
    if (reply != nullptr && reply->type == XCB_ATOM_ATOM && reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int n = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < n && !listed; ++i)
            listed = atoms[i] == request;
    }
    std::free(reply);
    return listed;
}

// The window manager's frame around a top-level window before it is mapped: on X11 a window manager
// that follows the EWMH tells the frame extents of a window it has not framed yet when asked with
// _NET_REQUEST_FRAME_EXTENTS (openbox, xfwm, KWin, Mutter, ...), waited for this long. Elsewhere
// (Wayland, the offscreen platform, X11 without a window manager or with one that does not answer)
// there is no answer and the frame becomes known once the window system reports it.
constexpr std::chrono::milliseconds FrameExtentsTimeout{1000};

std::optional<QMargins> RequestFrameExtents(QWidget* window)
{
    // Only on the xcb platform: others (offscreen) may offer an X11 interface without a connection.
    if (window == nullptr || !window->isWindow() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 != nullptr ? x11->connection() : nullptr;
    if (c == nullptr)
        return std::nullopt;
    const auto w = static_cast<xcb_window_t>(window->winId());
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
    if (tree == nullptr)
        return std::nullopt;
    const xcb_window_t root = tree->root;
    std::free(tree);
    const xcb_atom_t request = Atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    if (request == XCB_ATOM_NONE || !WindowManagerAnswers(c, root, request))
        return std::nullopt;

    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = w;
    event.type = request;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);

    const xcb_atom_t extents = Atom(c, "_NET_FRAME_EXTENTS");
    const auto deadline = std::chrono::steady_clock::now() + FrameExtentsTimeout;
    do {
        if (const auto e = Cardinals<4>(c, w, extents, XCB_ATOM_CARDINAL)) {
            // The property's order is left, right, top, bottom.
            return QMargins(static_cast<int>((*e)[0]), static_cast<int>((*e)[2]), static_cast<int>((*e)[1]),
                            static_cast<int>((*e)[3]));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

#else

std::optional<QMargins> RequestFrameExtents(QWidget*)
{
    return std::nullopt;
}

#endif

constexpr char DesignFrameProperty[] = "quorlane.designFrame";
constexpr char ExpectedFrameProperty[] = "quorlane.expectedFrame";
constexpr char ProgramGeometryProperty[] = "quorlane.programGeometry";
constexpr char RequestedGeometryProperty[] = "quorlane.requestedGeometry";
constexpr char PlacedWithoutFrameProperty[] = "quorlane.placedWithoutFrame";
constexpr int SmallestNormalExtent = 32;

std::optional<QMargins> ExpectedFrame(const QWidget* form)
{
    const QVariant v = form->property(ExpectedFrameProperty);
    return v.isValid() ? std::optional(v.value<QMargins>()) : std::nullopt;
}

// The frame's top-left relative to the widget's: what setGeometry must add to a frame position.
// Without a reported or expected frame the outer rectangle starts at the widget.
QPoint FrameOffset(const QWidget* form)
{
    if (HasReportedFrame(form))
        return form->geometry().topLeft() - form->pos();
    const std::optional<QMargins> expected = ExpectedFrame(form);
    return expected ? QPoint(expected->left(), expected->top()) : QPoint(0, 0);
}

QSize NonNegative(QSize size)
{
    return size.expandedTo(QSize(0, 0));
}

} // namespace

void SetDesignFrame(QWidget* form, QSize frame)
{
    form->setProperty(DesignFrameProperty, NonNegative(frame));
}

void SetExpectedFrame(QWidget* form, QMargins frame)
{
    form->setProperty(ExpectedFrameProperty, QVariant::fromValue(frame));
}

QWidget* MenuBar(const QWidget* form)
{
    if (const auto* main = qobject_cast<const QMainWindow*>(form))
        return main->menuWidget();
    return form->layout() != nullptr ? form->layout()->menuBar() : nullptr;
}

int MenuBarHeight(const QWidget* form)
{
    const QWidget* bar = MenuBar(form);
    if (bar == nullptr || !bar->isVisibleTo(form))
        return 0;
    if (const auto* menu = qobject_cast<const QMenuBar*>(bar); menu != nullptr && menu->isNativeMenuBar())
        return 0;
    // Before the form is shown the layout has not placed the bar yet: its hint is what it will get.
    return form->isVisible() ? bar->height() : bar->sizeHint().height();
}

QPoint ClientOrigin(const QWidget* form)
{
    return QPoint(0, MenuBarHeight(form));
}

QSize ClientSize(const QWidget* form)
{
    return NonNegative(form->size() - QSize(0, MenuBarHeight(form)));
}

void SetClientSize(QWidget* form, QSize client)
{
    ScopedGeometryChange guard(form);
    form->resize(NonNegative(client) + QSize(0, MenuBarHeight(form)));
}

bool HasReportedFrame(const QWidget* form)
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    return form->frameGeometry() != form->geometry();
}

QSize FrameExtent(const QWidget* form)
{
    if (HasReportedFrame(form))
        return NonNegative(form->frameGeometry().size() - ClientSize(form));
    if (const std::optional<QMargins> expected = ExpectedFrame(form)) {
        return NonNegative(QSize(expected->left() + expected->right(),
                                 expected->top() + expected->bottom() + MenuBarHeight(form)));
    }
    const QVariant design = form->property(DesignFrameProperty);
    return design.isValid() ? design.toSize() : QSize(0, 0);
}

QRect OuterGeometry(const QWidget* form)
{
    return QRect(form->geometry().topLeft() - FrameOffset(form), ClientSize(form) + FrameExtent(form));
}

QSize Decoration(const QWidget* form)
{
    return FrameExtent(form) - QSize(0, MenuBarHeight(form));
}

QSize FrameWidgetSizeForOuter(const QWidget* form, QSize outer)
{
    return NonNegative(outer - Decoration(form));
}

void SetOuterGeometry(QWidget* form, const QRect& outer)
{
    ScopedGeometryChange guard(form);
    form->setGeometry(
        QRect(outer.topLeft() + FrameOffset(form), FrameWidgetSizeForOuter(form, outer.size())));
    form->setProperty(RequestedGeometryProperty, form->geometry());
    const bool frameKnown = HasReportedFrame(form) || ExpectedFrame(form);
    form->setProperty(PlacedWithoutFrameProperty, frameKnown ? QVariant() : QVariant(outer));
}

bool PlacedWithoutFrame(const QWidget* form)
{
    return form->property(PlacedWithoutFrameProperty).isValid();
}

void ForgetPlacementWithoutFrame(QWidget* form)
{
    form->setProperty(PlacedWithoutFrameProperty, QVariant());
}

void PlaceAgainWithReportedFrame(QWidget* form)
{
    const QVariant placed = form->property(PlacedWithoutFrameProperty);
    if (!placed.isValid() || !HasReportedFrame(form))
        return;
    ForgetPlacementWithoutFrame(form);
    if (!(form->windowState() & SpecialStates) && OuterGeometry(form) != placed.toRect())
        SetOuterGeometry(form, placed.toRect());
}

void AskForFrame(QWidget* window)
{
    if (!HasReportedFrame(window) && !ExpectedFrame(window)) {
        if (const std::optional<QMargins> announced = RequestFrameExtents(window))
            SetExpectedFrame(window, *announced);
    }
}

void CentreOnScreen(QWidget* window, const QScreen* screen)
{
    if (screen == nullptr)
        return;
    AskForFrame(window);
    const QRect area = screen->geometry();
    QRect outer = OuterGeometry(window);
    outer.moveTopLeft(area.topLeft() +
                      QPoint((area.width() - outer.width()) / 2, (area.height() - outer.height()) / 2));
    SetOuterGeometry(window, outer);
}

QRect AvailableGeometry(const QWidget* form)
{
    QScreen* screen = form->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

QRect PlacementArea(const QWidget* form, const QRect& outer)
{
    QScreen* best = QGuiApplication::screenAt(outer.center());
    if (best == nullptr) {
        // Off every screen: the nearest one, by the distance from the rectangle's centre.
        long long bestDistance = std::numeric_limits<long long>::max();
        for (QScreen* screen : QGuiApplication::screens()) {
            const QRect g = screen->geometry();
            const long long dx =
                std::max({0LL, 0LL + g.left() - outer.center().x(), 0LL + outer.center().x() - g.right()});
            const long long dy =
                std::max({0LL, 0LL + g.top() - outer.center().y(), 0LL + outer.center().y() - g.bottom()});
            if (dx * dx + dy * dy < bestDistance) {
                bestDistance = dx * dx + dy * dy;
                best = screen;
            }
        }
    }
    return best != nullptr ? best->availableGeometry() : AvailableGeometry(form);
}

QRect FitInto(const QRect& rect, const QRect& area)
{
    if (area.isEmpty())
        return rect;
    auto place = [](int pos, int extent, int areaStart, int areaExtent) {
        if (extent >= areaExtent)
            return areaStart;
        return std::clamp(pos, areaStart, areaStart + areaExtent - extent);
    };
    return QRect(QPoint(place(rect.left(), rect.width(), area.left(), area.width()),
                        place(rect.top(), rect.height(), area.top(), area.height())),
                 rect.size());
}

ScopedGeometryChange::ScopedGeometryChange(QWidget* form) : form_(form)
{
    form_->setProperty(ProgramGeometryProperty, form_->property(ProgramGeometryProperty).toInt() + 1);
}

ScopedGeometryChange::~ScopedGeometryChange()
{
    form_->setProperty(ProgramGeometryProperty, form_->property(ProgramGeometryProperty).toInt() - 1);
}

bool InProgramGeometryChange(const QWidget* form)
{
    return form->property(ProgramGeometryProperty).toInt() > 0;
}

QRect RequestedGeometry(const QWidget* form)
{
    return form->property(RequestedGeometryProperty).toRect();
}

TWindowPlacement GetWindowPlacement(const QWidget* form)
{
    TWindowPlacement p;
    const Qt::WindowStates state = form->windowState();
    if (state.testFlag(Qt::WindowMinimized)) {
        p.showCmd = SW_SHOWMINIMIZED;
        if (state.testFlag(Qt::WindowMaximized))
            p.flags = WPF_RESTORETOMAXIMIZED;
    } else if (state.testFlag(Qt::WindowMaximized)) {
        p.showCmd = SW_SHOWMAXIMIZED;
    }
    QRect normal = OuterGeometry(form);
    if ((state & (Qt::WindowMinimized | Qt::WindowMaximized)) && form->normalGeometry().isValid()) {
        const QRect g = form->normalGeometry();
        normal = QRect(g.topLeft() - FrameOffset(form), g.size() + Decoration(form));
    }
    p.normLeft = normal.left();
    p.normTop = normal.top();
    p.normRight = normal.left() + normal.width();
    p.normBottom = normal.top() + normal.height();
    return p;
}

void SetWindowPlacement(QWidget* form, const TWindowPlacement& placement)
{
    ScopedGeometryChange guard(form);
    const Qt::WindowStates state = form->windowState();
    if (!(state & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const long long width = 0LL + placement.normRight - placement.normLeft;
        const long long height = 0LL + placement.normBottom - placement.normTop;
        QRect wanted(QPoint(placement.normLeft, placement.normTop), OuterGeometry(form).size());
        const QRect area = PlacementArea(form, wanted);
        if (width >= SmallestNormalExtent && height >= SmallestNormalExtent && width <= area.width() &&
            height <= area.height())
            wanted.setSize(QSize(static_cast<int>(width), static_cast<int>(height)));
        SetOuterGeometry(form, FitInto(wanted, PlacementArea(form, wanted)));
    }
    if (placement.showCmd == SW_SHOWMAXIMIZED)
        form->setWindowState((state & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

} // namespace platform
