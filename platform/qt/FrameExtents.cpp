#include "platform/qt/FrameExtents.h"

#include <QGuiApplication>
#include <QWidget>

#if defined(QUORLANE_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <thread>
#endif

namespace platform {

#if defined(QUORLANE_HAVE_XCB)
namespace {

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

} // namespace

std::optional<QMargins> RequestFrameExtents(QWidget* window, std::chrono::milliseconds timeout)
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
    const auto deadline = std::chrono::steady_clock::now() + timeout;
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

std::optional<QMargins> RequestFrameExtents(QWidget*, std::chrono::milliseconds)
{
    return std::nullopt;
}

#endif

} // namespace platform
