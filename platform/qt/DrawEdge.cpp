#include "platform/qt/DrawEdge.h"

#include <QPainter>

#include "platform/qt/Colors.h"

namespace platform {

namespace {

struct RingColors
{
    TColor topLeft;
    TColor bottomRight;
};

RingColors OuterColors(bool raised, bool soft)
{
    if (raised) {
        return {soft ? clBtnHighlight : cl3DLight, cl3DDkShadow};
    }
    return {soft ? cl3DDkShadow : clBtnShadow, clBtnHighlight};
}

RingColors InnerColors(bool raised, bool soft)
{
    if (raised) {
        return {soft ? cl3DLight : clBtnHighlight, clBtnShadow};
    }
    return {soft ? clBtnShadow : cl3DDkShadow, cl3DLight};
}

// One ring on the sides named; the rectangle shrinks by one pixel on those sides.
void DrawRing(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight,
              EdgeOptions sides)
{
    if (rect.width() > 0 && rect.height() > 0) {
        if (sides.testFlag(EdgeOption::Top)) {
            painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
        }
        if (sides.testFlag(EdgeOption::Left)) {
            painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
        }
        if (sides.testFlag(EdgeOption::Bottom)) {
            painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
        }
        if (sides.testFlag(EdgeOption::Right)) {
            painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
        }
    }
    rect.adjust(sides.testFlag(EdgeOption::Left) ? 1 : 0, sides.testFlag(EdgeOption::Top) ? 1 : 0,
                sides.testFlag(EdgeOption::Right) ? -1 : 0, sides.testFlag(EdgeOption::Bottom) ? -1 : 0);
}

} // namespace

void DrawEdge(QPainter& painter, QRect& rect, Edge edge, EdgeOptions options)
{
    const bool soft = options.testFlag(EdgeOption::Soft);
    const EdgeOptions sides = options & EdgeOption::AllSides;
    QRect ring = rect;
    if (edge & (Edge(EdgePart::RaisedOuter) | EdgePart::SunkenOuter)) {
        const RingColors colors = OuterColors(edge.testFlag(EdgePart::RaisedOuter), soft);
        DrawRing(painter, ring, ColorToQColor(colors.topLeft), ColorToQColor(colors.bottomRight), sides);
    }
    if (edge & (Edge(EdgePart::RaisedInner) | EdgePart::SunkenInner)) {
        const RingColors colors = InnerColors(edge.testFlag(EdgePart::RaisedInner), soft);
        DrawRing(painter, ring, ColorToQColor(colors.topLeft), ColorToQColor(colors.bottomRight), sides);
    }
    if (options.testFlag(EdgeOption::Adjust)) {
        rect = ring;
    }
}

void DrawTwoColorFrame(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    DrawRing(painter, rect, topLeft, bottomRight, EdgeOption::AllSides);
}

} // namespace platform
