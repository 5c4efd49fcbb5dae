#pragma once
// The program's icon on its windows.

#include <QIcon>

namespace ui {

// The icon as the window system is given it. Qt hands an X11 window's icon over at 16, 32, 64 and
// 128 pixels; on a screen without scaling those are the SVG's drawings made when the program was
// built (so a start loads no SVG renderer), elsewhere the SVG itself.
QIcon WindowIcon();

// The build's drawings: `size` x `size` premultiplied ARGB pixels each, row by row.
struct IconPixels
{
    int size;
    const unsigned* pixels;
};
extern const IconPixels WindowIconPixels[4];

} // namespace ui
