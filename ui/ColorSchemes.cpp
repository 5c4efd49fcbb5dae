#include "ui/ColorSchemes.h"

namespace ui {
namespace {

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
    // Traditional
    {Rgb(0x634A1D), Rgb(0xE9E9E9), Rgb(0xFFFFFF), Rgb(0xFFFFFF), Rgb(0x000000), Rgb(0xF1C55C), Rgb(0x000000),
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

constexpr const char* menuItems[SchemeCount] = {
    "mnuOptionsColorSchemeDefault",  "mnuOptionsColorSchemeTraditional", "mnuOptionsColorSchemeDesert",
    "mnuOptionsColorSchemeEggplant", "mnuOptionsColorSchemeRose",        "mnuOptionsColorSchemeBlack",
};

} // namespace

const SchemeColors& Scheme(int index)
{
    return schemes.at(static_cast<std::size_t>(index));
}

const char* SchemeMenuItem(int index)
{
    return menuItems[index];
}

} // namespace ui
