#pragma once
// The window manager's frame around a top-level window before it is mapped: on X11 a window manager
// that follows the EWMH tells the frame extents of a window it has not framed yet when asked with
// _NET_REQUEST_FRAME_EXTENTS (openbox, xfwm, KWin, Mutter, ...). Elsewhere (Wayland, Windows, the
// offscreen platform, X11 without a window manager or with one that does not answer) there is no
// answer and the frame becomes known once the window system reports it.

#include <QMargins>

#include <chrono>
#include <optional>

class QWidget;

namespace platform {

// How long the request waits for the window manager's answer.
inline constexpr std::chrono::milliseconds FrameExtentsTimeout{1000};

// Asks the window manager for the frame it will put around `window` (created, not yet mapped) and
// waits for the answer: left, top, right and bottom extents, or nullopt.
std::optional<QMargins> RequestFrameExtents(QWidget* window,
                                            std::chrono::milliseconds timeout = FrameExtentsTimeout);

} // namespace platform
