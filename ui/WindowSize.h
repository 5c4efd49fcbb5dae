#pragma once
// The main window's size rules: its tracking limits for the two shapes (with and without the tape),
// keeping it inside the desktop's work area, and the width change when the tape is shown or hidden.

#include <QRect>

namespace ui {

// Design sizes of the outer window, in pixels.
inline constexpr int DesignHeight = 315;
inline constexpr int DesignWidthWithTape = 510;
inline constexpr int DesignWidthWithoutTape = 270;
inline constexpr int TapeBand = DesignWidthWithTape - DesignWidthWithoutTape; // 240
inline constexpr int MinimumHeight = 291;
inline constexpr int MinimumWidthWithTape = 472;
inline constexpr int MinimumWidthWithoutTape = 249;

struct TrackLimits
{
    int minimumWidth = 0, minimumHeight = 0, maximumWidth = 0, maximumHeight = 0;
    bool operator==(const TrackLimits&) const = default;
};

// The limits for a work area whose right coordinate (left + width) is `workRight`: the maximum
// height is that of a window with the tape's proportions as wide as `workRight`, but no more than
// `workHeight` (so that a window maximized anyway keeps its proportions on the screen); the maximum
// width follows the proportions of the shape.
TrackLimits MinMaxSize(bool tapeShown, int workRight, int workHeight);

// The window's outer rectangle moved back into the work area: right and bottom edges first, then
// left and top, so a window larger than the area ends at its top-left corner.
QRect AdjustedPosition(const QRect& outer, const QRect& workArea);

// The outer width after showing the tape (the band grows in proportion to the present scale) or
// hiding it.
int WidthWithTape(int width);
int WidthWithoutTape(int width);

} // namespace ui
