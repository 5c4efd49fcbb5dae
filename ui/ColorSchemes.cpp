#include "ui/ColorSchemes.h"

#include <cmath>

namespace ui {
namespace {

// Light variants of the design's caption colours, at least 4.5:1 on faces as light as #505050.
constexpr unsigned LightMaroon = 0xFF9090, LightNavy = 0x9DB8FF, LightPurple = 0xF08CF0;

// #RRGGBB as the colour type.
constexpr TColor Rgb(unsigned rgb)
{
    return static_cast<TColor>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}

constexpr std::array<SchemeColors, SchemeCount> schemes{{
    // Default: the desktop's colours, the design's caption colours.
    {clBtnFace, clBtnFace, clWindowText, clWindow, clWindowText, clBtnFace, Rgb(0x800000), clBtnFace,
     Rgb(0x800000), clBtnFace, Rgb(0x000080), clBtnFace, Rgb(0x000080), clBtnFace, Rgb(0x800080), clBtnFace,
     Rgb(0x800080)},
    // Traditional (black status text: the design's white on #E9E9E9 cannot be read)
    {Rgb(0x634A1D), Rgb(0xE9E9E9), Rgb(0x000000), Rgb(0xFFFFFF), Rgb(0x000000), Rgb(0xF1C55C), Rgb(0x000000),
     Rgb(0xC0C0C0), Rgb(0x000000), Rgb(0xE9E9E9), Rgb(0x000000), Rgb(0x808080), Rgb(0xE9E9E9), Rgb(0xC0C0C0),
     Rgb(0x000000), Rgb(0x808080), Rgb(0xE9E9E9)},
    // Desert
    {Rgb(0xA28D68), Rgb(0xA28D68), Rgb(0x000000), Rgb(0xFFFFFF), Rgb(0x000000), Rgb(0xD5CCBB), Rgb(0x000000),
     Rgb(0xD5CCBB), Rgb(0x000000), Rgb(0xF0EDE6), Rgb(0x000000), Rgb(0xB1A281), Rgb(0x000000), Rgb(0xD5CCBB),
     Rgb(0x000000), Rgb(0xB1A281), Rgb(0x000000)},
    // Eggplant
    {Rgb(0x800080), Rgb(0xB7CCC7), Rgb(0x000000), Rgb(0xFFFFFF), Rgb(0x000000), Rgb(0x90B0A8), Rgb(0x000000),
     Rgb(0x90B0A8), Rgb(0x000000), Rgb(0xB7CCC7), Rgb(0x000000), Rgb(0x588078), Rgb(0xFFFFFF), Rgb(0x90B0A8),
     Rgb(0x000000), Rgb(0x588078), Rgb(0xFFFFFF)},
    // Rose
    {Rgb(0x808080), Rgb(0xE7D8DC), Rgb(0x000000), Rgb(0xFFFFFF), Rgb(0x000000), Rgb(0xCFAFB7), Rgb(0x000000),
     Rgb(0xCFAFB7), Rgb(0x000000), Rgb(0xE7D8DC), Rgb(0x000000), Rgb(0x9F6070), Rgb(0xFFFFFF), Rgb(0xCFAFB7),
     Rgb(0x000000), Rgb(0x9F6070), Rgb(0xFFFFFF)},
    // Black
    {Rgb(0x000000), Rgb(0xFFFFFF), Rgb(0x000000), Rgb(0xFFFFFF), Rgb(0x000000), Rgb(0x000000), Rgb(0xFFFFFF),
     Rgb(0x000000), Rgb(0xFFFFFF), Rgb(0x000000), Rgb(0xFFFFFF), Rgb(0x000000), Rgb(0xFFFFFF), Rgb(0x000000),
     Rgb(0xFFFFFF), Rgb(0x000000), Rgb(0xFFFFFF)},
}};

// Default on a dark desktop.
constexpr SchemeColors defaultOnDark{
    clBtnFace,        clBtnFace, clWindowText,     clWindow,  clWindowText,    clBtnFace,
    Rgb(LightMaroon), clBtnFace, Rgb(LightMaroon), clBtnFace, Rgb(LightNavy),  clBtnFace,
    Rgb(LightNavy),   clBtnFace, Rgb(LightPurple), clBtnFace, Rgb(LightPurple)};

constexpr const char* menuItems[SchemeCount] = {
    "mnuOptionsColorSchemeDefault",  "mnuOptionsColorSchemeTraditional", "mnuOptionsColorSchemeDesert",
    "mnuOptionsColorSchemeEggplant", "mnuOptionsColorSchemeRose",        "mnuOptionsColorSchemeBlack",
};

} // namespace

const SchemeColors& Scheme(int index, bool darkDesktop)
{
    if (index == 0 && darkDesktop)
        return defaultOnDark;
    return schemes.at(static_cast<std::size_t>(index));
}

bool IsDarkPalette(const QPalette& palette)
{
    return RelativeLuminance(palette.color(QPalette::ButtonText)) >
           RelativeLuminance(palette.color(QPalette::Button));
}

QColor PurpleText(bool darkDesktop)
{
    return QColor::fromRgb(darkDesktop ? LightPurple : 0x800080);
}

QColor BlueText(bool darkDesktop)
{
    return QColor::fromRgb(darkDesktop ? LightNavy : 0x0000FF);
}

double RelativeLuminance(const QColor& color)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.red()) + 0.7152 * linear(rgb.green()) + 0.0722 * linear(rgb.blue());
}

const char* SchemeMenuItem(int index)
{
    return menuItems[index];
}

} // namespace ui
