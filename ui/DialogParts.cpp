#include "ui/DialogParts.h"

#include <QFontDatabase>
#include <QPainter>

namespace ui {

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

DesignFonts::DesignFonts() : installed_(QFontDatabase::families()) {}

QString DesignFonts::Family(const char* design) const
{
    const QString name = QString::fromLatin1(design);
    if (installed_.contains(name, Qt::CaseInsensitive))
        return name;
    static constexpr const char* sansTwins[] = {"Liberation Sans", "Arimo"};
    static constexpr const char* monoTwins[] = {"Liberation Mono", "Cousine"};
    const bool mono = name.startsWith(QLatin1String("Courier"), Qt::CaseInsensitive);
    for (const char* twin : mono ? monoTwins : sansTwins) {
        if (installed_.contains(QLatin1String(twin), Qt::CaseInsensitive))
            return QString::fromLatin1(twin);
    }
    return name;
}

QFont DesignFonts::Font(const char* family, int pixels, bool bold, bool underline) const
{
    QFont f(Family(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setUnderline(underline);
    return f;
}

} // namespace ui
