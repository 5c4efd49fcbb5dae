#include "platform/qt/Colors.h"

#include <array>
#include <optional>

#include <QGuiApplication>
#include <QPalette>

namespace {

// Where a desktop element's colour comes from in Qt's palette, and the desktop's standard colour for
// it when there is no application object to ask (or no palette role that fits).
struct SystemColorSource
{
    std::optional<QPalette::ColorGroup> group;
    QPalette::ColorRole role;
    TColor standard;
};

constexpr QPalette::ColorGroup Active = QPalette::Active;
constexpr QPalette::ColorGroup Inactive = QPalette::Inactive;
constexpr QPalette::ColorGroup Disabled = QPalette::Disabled;
constexpr std::optional<QPalette::ColorGroup> NoRole = std::nullopt;

// Indexed by the element index. Qt's 3D roles map one to one: Light is the button highlight,
// Midlight the 3D light, Dark the button shadow and Shadow the 3D dark shadow.
const std::array<SystemColorSource, 31> Sources{{
    {Active, QPalette::Button, RGBToColor(200, 200, 200)},          // 0 scroll bar
    {Active, QPalette::Dark, RGBToColor(0, 0, 0)},                  // 1 desktop
    {Active, QPalette::Highlight, RGBToColor(153, 180, 209)},       // 2 active caption
    {Inactive, QPalette::Mid, RGBToColor(191, 205, 219)},           // 3 inactive caption
    {Active, QPalette::Window, RGBToColor(240, 240, 240)},          // 4 menu
    {Active, QPalette::Base, RGBToColor(255, 255, 255)},            // 5 window
    {Active, QPalette::Shadow, RGBToColor(100, 100, 100)},          // 6 window frame
    {Active, QPalette::WindowText, RGBToColor(0, 0, 0)},            // 7 menu text
    {Active, QPalette::Text, RGBToColor(0, 0, 0)},                  // 8 window text
    {Active, QPalette::HighlightedText, RGBToColor(0, 0, 0)},       // 9 caption text
    {Active, QPalette::Window, RGBToColor(180, 180, 180)},          // 10 active border
    {Inactive, QPalette::Window, RGBToColor(244, 247, 252)},        // 11 inactive border
    {Active, QPalette::Mid, RGBToColor(171, 171, 171)},             // 12 application work space
    {Active, QPalette::Highlight, RGBToColor(0, 120, 215)},         // 13 highlight
    {Active, QPalette::HighlightedText, RGBToColor(255, 255, 255)}, // 14 highlighted text
    {Active, QPalette::Button, RGBToColor(240, 240, 240)},          // 15 button face
    {Active, QPalette::Dark, RGBToColor(160, 160, 160)},            // 16 button shadow
    {Disabled, QPalette::Text, RGBToColor(109, 109, 109)},          // 17 grey text
    {Active, QPalette::ButtonText, RGBToColor(0, 0, 0)},            // 18 button text
    {Inactive, QPalette::WindowText, RGBToColor(0, 0, 0)},          // 19 inactive caption text
    {Active, QPalette::Light, RGBToColor(255, 255, 255)},           // 20 button highlight
    {Active, QPalette::Shadow, RGBToColor(105, 105, 105)},          // 21 3D dark shadow
    {Active, QPalette::Midlight, RGBToColor(227, 227, 227)},        // 22 3D light
    {Active, QPalette::ToolTipText, RGBToColor(0, 0, 0)},           // 23 tool tip text
    {Active, QPalette::ToolTipBase, RGBToColor(255, 255, 225)},     // 24 tool tip background
    {NoRole, QPalette::NoRole, RGBToColor(181, 181, 181)},          // 25 (unused by the desktop)
    {Active, QPalette::Link, RGBToColor(0, 102, 204)},              // 26 hot-tracked item
    {Active, QPalette::Highlight, RGBToColor(185, 209, 234)},       // 27 gradient of active caption
    {Inactive, QPalette::Mid, RGBToColor(215, 228, 242)},           // 28 gradient of inactive caption
    {Active, QPalette::Highlight, RGBToColor(51, 153, 255)},        // 29 menu highlight
    {Active, QPalette::Window, RGBToColor(240, 240, 240)},          // 30 menu bar
}};

QColor FixedToQColor(TColor fixed)
{
    return QColor(ColorRed(fixed), ColorGreen(fixed), ColorBlue(fixed));
}

} // namespace

QColor ColorToQColor(TColor color)
{
    if (color == clNone) {
        return QColor(Qt::transparent);
    }
    if (!IsSystemColor(color)) {
        return FixedToQColor(color);
    }
    const auto index = static_cast<std::size_t>(color & 0xFF);
    if (index >= Sources.size() || (color & 0x00FFFF00u) != 0) {
        return QColor(Qt::black);
    }
    const SystemColorSource& source = Sources[index];
    if (source.group && qGuiApp != nullptr) {
        QColor resolved = QGuiApplication::palette().color(*source.group, source.role);
        resolved.setAlpha(255);
        return resolved;
    }
    return FixedToQColor(source.standard);
}

TColor ColorToRGB(TColor color)
{
    if (!IsSystemColor(color)) {
        return color;
    }
    return QColorToColor(ColorToQColor(color));
}

TColor QColorToColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return RGBToColor(rgb.red(), rgb.green(), rgb.blue());
}
