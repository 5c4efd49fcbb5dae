#include "controls/AbcButtonCaption.h"

#include <QFontMetrics>
#include <QPainter>

QSize CaptionSize(const QString& text, const QFont& font)
{
    if (text.isEmpty()) {
        return {0, 0};
    }
    const QFontMetrics metrics(font);
    const QSize size = metrics.size(Qt::TextSingleLine | Qt::TextShowMnemonic, text);
    return {size.width(), metrics.height()};
}

QRect CaptionPlace(const QSize& client, const QSize& text)
{
    const QSize size = text.width() > 0 && text.height() > 0 ? text : QSize(0, 0);
    return {QPoint((client.width() - size.width() + 1) / 2, (client.height() - size.height() + 1) / 2), size};
}

void DrawCaption(QPainter& painter, const QRect& rect, const TabcCaptionLook& look)
{
    if (look.text.isEmpty()) {
        return;
    }
    const int flags = Qt::AlignCenter | Qt::TextSingleLine |
                      (look.underlineAccelerator ? Qt::TextShowMnemonic : Qt::TextHideMnemonic);
    painter.setFont(look.font);
    const auto draw = [&](const QColor& color, int dx, int dy) {
        painter.setPen(color);
        painter.drawText(rect.translated(dx, dy), flags, look.text);
    };
    if (look.enabled) {
        draw(look.color, 0, 0);
    } else {
        draw(Qt::white, 1, 1);
        draw(QColor(128, 128, 128), 0, 0);
    }
}
