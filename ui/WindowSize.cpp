#include "ui/WindowSize.h"

#include "controls/ElasticMath.h"

namespace ui {

TrackLimits MinMaxSize(bool tapeShown, int workRight, int workHeight)
{
    TrackLimits t;
    t.minimumHeight = MinimumHeight;
    t.maximumHeight = elastic::Round(static_cast<double>(workRight) * DesignHeight / DesignWidthWithTape);
    const bool heightBound = t.maximumHeight > workHeight && workHeight >= MinimumHeight;
    if (heightBound)
        t.maximumHeight = workHeight;
    if (tapeShown) {
        t.maximumWidth =
            heightBound ? elastic::Round(static_cast<double>(workHeight) * DesignWidthWithTape / DesignHeight)
                        : workRight;
        t.minimumWidth = MinimumWidthWithTape;
    } else {
        t.maximumWidth =
            elastic::Round(static_cast<double>(t.maximumHeight) * DesignWidthWithoutTape / DesignHeight);
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
    return elastic::Round(static_cast<double>(width) * TapeBand / DesignWidthWithoutTape + width);
}

int WidthWithoutTape(int width)
{
    return elastic::Round(width - static_cast<double>(width) * TapeBand / DesignWidthWithTape);
}

} // namespace ui
