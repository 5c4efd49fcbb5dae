#pragma once
// The frames of the picture button: each of the 19 styles in its normal, hot and pressed look, drawn
// as a sequence of bevelled edges and one-pixel frames from the outside in. The button draws the
// frame twice (before and after its caption, so that a caption too wide for the face never covers
// the frame); both passes go through DrawButtonFrame.

#include <QRect>

#include "controls/AbcbtnTypes.h"

class QPainter;

enum class TabcFrameLook : std::uint8_t
{
    Normal,
    Hot,     // the pointer is over an enabled button
    Pressed, // pressed or latched down
};

// Draws the frame of `style` in `look` along the border of `rect` and returns the rectangle inside the
// frame, where the caption goes. Light grey in the two-colour frames is RGB(222, 222, 222).
QRect DrawButtonFrame(QPainter& painter, const QRect& rect, TabcButtonStyle style, TabcFrameLook look);
