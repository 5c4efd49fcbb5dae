#include "ui/WindowSize.h"

#include <cmath>

namespace ui {

int RoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    double r = floor;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(floor, 2.0) != 0.0))
        r += 1.0;
    return static_cast<int>(r);
}

TrackLimits MinMaxSize(bool tapeShown, int workRight, int workHeight)
{
    TrackLimits t;
    t.minimumHeight = MinimumHeight;
    t.maximumHeight = RoundHalfEven(static_cast<double>(workRight) * DesignHeight / DesignWidthWithTape);
    const bool heightBound = t.maximumHeight > workHeight && workHeight >= MinimumHeight;
    if (heightBound)
        t.maximumHeight = workHeight;
    if (tapeShown) {
        t.maximumWidth =
            heightBound ? RoundHalfEven(static_cast<double>(workHeight) * DesignWidthWithTape / DesignHeight)
                        : workRight;
        t.minimumWidth = MinimumWidthWithTape;
    } else {
        t.maximumWidth =
            RoundHalfEven(static_cast<double>(t.maximumHeight) * DesignWidthWithoutTape / DesignHeight);
        t.minimumWidth = MinimumWidthWithoutTape;
    }
    return t;
}

QRect AdjustedPosition(const QRect& outer, const QRect& work)
{
    // Windows rectangles: right and bottom are one past the last pixel.
    const int workRight = work.x() + work.width(), workBottom = work.y() + work.height();
    int left = outer.x(), top = outer.y();
    if (left > workRight - outer.width())
        left = workRight - outer.width();
    if (top > workBottom - outer.height())
        top = workBottom - outer.height();
    if (left < work.x())
        left = work.x();
    if (top < work.y())
        top = work.y();
    return {left, top, outer.width(), outer.height()};
}

int WidthWithTape(int width)
{
    return RoundHalfEven(static_cast<double>(width) * TapeBand / DesignWidthWithoutTape + width);
}

int WidthWithoutTape(int width)
{
    return RoundHalfEven(width - static_cast<double>(width) * TapeBand / DesignWidthWithTape);
}

} // namespace ui
