#pragma once
// Bevelled edges and one-pixel frames drawn the way the desktop draws them around buttons and
// panels, in the desktop's 3D colours (see Colors.h). An edge is one or two pixel rings: an outer
// ring and an inner ring, each raised (light on the left and top, dark on the right and bottom) or
// sunken (the other way round). The per-ring colours, left/top then right/bottom:
//
//   raised outer  cl3DLight      / cl3DDkShadow      soft: clBtnHighlight on the left and top
//   raised inner  clBtnHighlight / clBtnShadow       soft: cl3DLight
//   sunken outer  clBtnShadow    / clBtnHighlight    soft: cl3DDkShadow
//   sunken inner  cl3DDkShadow   / cl3DLight         soft: clBtnShadow
//
// Each ring draws its left and top lines first and its right and bottom lines over them, so the
// top-right and bottom-left corner pixels take the right/bottom colour.

#include <QColor>
#include <QFlags>
#include <QRect>

class QPainter;

namespace platform {

enum class EdgePart : unsigned
{
    RaisedOuter = 0x1,
    SunkenOuter = 0x2,
    RaisedInner = 0x4,
    SunkenInner = 0x8,
};
Q_DECLARE_FLAGS(Edge, EdgePart)
Q_DECLARE_OPERATORS_FOR_FLAGS(Edge)

inline constexpr Edge EdgeRaised = Edge(EdgePart::RaisedOuter) | EdgePart::RaisedInner;
inline constexpr Edge EdgeSunken = Edge(EdgePart::SunkenOuter) | EdgePart::SunkenInner;
inline constexpr Edge EdgeEtched = Edge(EdgePart::SunkenOuter) | EdgePart::RaisedInner;
inline constexpr Edge EdgeBump = Edge(EdgePart::RaisedOuter) | EdgePart::SunkenInner;

enum class EdgeOption : unsigned
{
    Left = 0x1,
    Top = 0x2,
    Right = 0x4,
    Bottom = 0x8,
    AllSides = 0xF,
    Soft = 0x1000,   // the softer left/top colour of each ring (table above)
    Adjust = 0x2000, // the rectangle shrinks by the edge's width on the sides drawn
};
Q_DECLARE_FLAGS(EdgeOptions, EdgeOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(EdgeOptions)

// Draws `edge` along the sides of `rect` that `options` names. The outer ring lies on the rectangle's
// border, the inner ring one pixel inside on the sides drawn. With Adjust, `rect` is moved inwards by
// one pixel per ring on each side drawn; otherwise it is left as it was. When a ring names both raised
// and sunken, raised wins. Nothing is drawn where the rectangle has no pixels left.
void DrawEdge(QPainter& painter, QRect& rect, Edge edge, EdgeOptions options);

// A one-pixel frame on the border of `rect`: left and top lines in `topLeft`, right and bottom lines
// in `bottomRight` (over the corners they share). `rect` then shrinks by one pixel on each side.
void DrawTwoColorFrame(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight);

} // namespace platform
