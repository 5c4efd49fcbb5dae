#include "ui/DialogParts.h"

#include <QKeyEvent>
#include <QPainter>

namespace ui {

void NoCancelDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void LineBevel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor dark = palette().color(QPalette::Dark), light = palette().color(QPalette::Light);
    if (side_ == Side::Left) {
        p.setPen(dark);
        p.drawLine(0, 0, 0, height() - 1);
        p.setPen(light);
        p.drawLine(1, 0, 1, height() - 1);
    } else {
        p.setPen(dark);
        p.drawLine(0, height() - 2, width() - 1, height() - 2);
        p.setPen(light);
        p.drawLine(0, height() - 1, width() - 1, height() - 1);
    }
}

QFont DesignFont(const char* family, int pixels, bool bold, bool underline)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setUnderline(underline);
    return f;
}

} // namespace ui
