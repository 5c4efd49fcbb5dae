#pragma once
// Colours as the program stores them. A TColor is 32 bits: a fixed colour 0x00BBGGRR (red in the low
// byte), or a reference to one of the desktop's element colours, 0x80000000 | index, which is looked
// up in the application palette each time it is drawn, so that the window and its keys follow the
// desktop's colours. The colour schemes, the main window and the controls keep their colours this way.

#include <cstdint>

#include <QColor>

using TColor = std::uint32_t;

// The marker bit of a system colour reference; the low byte is the element's index.
inline constexpr TColor SystemColorFlag = 0x80000000u;

constexpr TColor SystemColor(int index)
{
    return SystemColorFlag | static_cast<TColor>(index & 0xFF);
}

// The desktop's element colours the program draws with, by the index the desktop gives each element.
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clBtnShadow = SystemColor(16);
inline constexpr TColor clBtnHighlight = SystemColor(20);
inline constexpr TColor cl3DDkShadow = SystemColor(21);

// The named fixed colours the program uses.
inline constexpr TColor clBlack = 0x000000u;
inline constexpr TColor clMaroon = 0x000080u;
inline constexpr TColor clNavy = 0x800000u;
inline constexpr TColor clPurple = 0x800080u;
inline constexpr TColor clWhite = 0xFFFFFFu;

// The colour to draw with. A system colour reference is resolved in the application palette (the
// desktop's standard colours when no application object exists, and black for another element);
// any other value is read as 0x??BBGGRR.
QColor ColorToQColor(TColor color);
