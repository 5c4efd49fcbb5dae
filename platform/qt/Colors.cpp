#include "platform/qt/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

// Where an element's colour comes from in Qt's palette, and the desktop's standard colour for it
// when there is no application object to ask. Qt's 3D roles map one to one: Light is the button
// highlight, Dark the button shadow and Shadow the 3D dark shadow.
struct SystemColorSource
{
    TColor color;
    QPalette::ColorRole role;
    TColor standard;
};

constexpr SystemColorSource Sources[] = {
    {clWindow, QPalette::Base, clWhite},        {clWindowText, QPalette::Text, clBlack},
    {clBtnFace, QPalette::Button, 0xF0F0F0u},   {clBtnShadow, QPalette::Dark, 0xA0A0A0u},
    {clBtnHighlight, QPalette::Light, clWhite}, {cl3DDkShadow, QPalette::Shadow, 0x696969u},
};

QColor FixedToQColor(TColor fixed)
{
    return QColor(static_cast<int>(fixed & 0xFF), static_cast<int>((fixed >> 8) & 0xFF),
                  static_cast<int>((fixed >> 16) & 0xFF));
}

} // namespace

QColor ColorToQColor(TColor color)
{
    if ((color & 0xFF000000u) != SystemColorFlag)
        return FixedToQColor(color);
    for (const SystemColorSource& source : Sources) {
        if (source.color != color)
            continue;
        if (qGuiApp == nullptr)
            return FixedToQColor(source.standard);
        QColor resolved = QGuiApplication::palette().color(QPalette::Active, source.role);
        resolved.setAlpha(255);
        return resolved;
    }
    return QColor(Qt::black);
}
