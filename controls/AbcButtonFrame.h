#pragma once
// The frame of the picture button in its normal, hot and pressed look: one-pixel rings drawn from the
// outside in, each light on the left and top and dark on the right and bottom (the right and bottom
// lines cover the corners they share). The button draws the frame twice (before and after its
// caption, so that a caption too wide for the face never covers the frame).

#include <cstdint>

#include <QRect>

class QPainter;

enum class TabcFrameLook : std::uint8_t
{
    Normal,  // a raised ring over a shadow line on the bottom row
    Hot,     // the pointer is over an enabled button: a thicker raised frame with a grey inner ring
    Pressed, // pressed or latched down: sunken, grey inner ring
};

// Draws the frame in `look` along the border of `rect` and returns the rectangle inside the frame,
// where the caption goes. Light grey in the inner rings is RGB(222, 222, 222).
QRect DrawButtonFrame(QPainter& painter, const QRect& rect, TabcFrameLook look);
