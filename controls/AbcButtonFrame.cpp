#include "controls/AbcButtonFrame.h"

#include <QPainter>

#include "platform/qt/Colors.h"

namespace {

constexpr QColor LightGrey(222, 222, 222);

// One ring on the border of `rect`, which then shrinks by a pixel on every side.
void Ring(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    if (rect.width() > 0 && rect.height() > 0) {
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
        painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
        painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
        painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
    }
    rect.adjust(1, 1, -1, -1);
}

// A shadow line on the last row, from one pixel left of the rectangle to its right side (on the
// left it covers the highlight of the ring drawn before), never outside the frame's `bounds`; the
// bottom moves up by one.
void ShadowLineAtBottom(QPainter& painter, QRect& rect, const QRect& bounds)
{
    if (rect.height() > 0) {
        painter.fillRect(QRect(rect.left() - 1, rect.bottom(), rect.width() + 1, 1) & bounds,
                         ColorToQColor(clBtnShadow));
    }
    rect.setBottom(rect.bottom() - 1);
}

} // namespace

QRect DrawButtonFrame(QPainter& painter, const QRect& rect, TabcFrameLook look)
{
    const QColor highlight = ColorToQColor(clBtnHighlight);
    const QColor shadow = ColorToQColor(clBtnShadow);
    const QColor darkShadow = ColorToQColor(cl3DDkShadow);
    QRect content = rect;
    switch (look) {
    case TabcFrameLook::Normal:
        Ring(painter, content, highlight, shadow);
        ShadowLineAtBottom(painter, content, rect);
        break;
    case TabcFrameLook::Hot:
        ShadowLineAtBottom(painter, content, rect);
        Ring(painter, content, highlight, darkShadow);
        Ring(painter, content, LightGrey, shadow);
        break;
    case TabcFrameLook::Pressed:
        Ring(painter, content, darkShadow, highlight);
        Ring(painter, content, shadow, LightGrey);
        break;
    }
    return content;
}
