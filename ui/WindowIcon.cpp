#include "ui/WindowIcon.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

namespace ui {

QIcon WindowIcon()
{
    // Scaled screens ask for other sizes, which only the SVG draws as it should.
    if (qApp->devicePixelRatio() != 1.0)
        return QIcon(QStringLiteral(":/icons/calculator.svg"));
    QIcon icon;
    for (const IconPixels& p : WindowIconPixels)
        icon.addPixmap(QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(p.pixels), p.size, p.size,
                                                 QImage::Format_ARGB32_Premultiplied)));
    return icon;
}

} // namespace ui
