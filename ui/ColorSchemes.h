#pragma once
// The six colour schemes of the calculator: the window, the status bar, the display and tape, and
// the faces and captions of six groups of keys.

#include <array>

#include <QColor>
#include <QPalette>

#include "platform/qt/Colors.h"

namespace ui {

// Seventeen colours in this order.
struct SchemeColors
{
    TColor window, statusBar, statusText, displayBack, displayText;
    TColor clearFace, clearText, backFace, backText, digitsFace, digitsText;
    TColor functionsFace, functionsText, operatorsFace, operatorsText, memoryFace, memoryText;
};

// Scheme numbers as stored: 0 Default, 1 Traditional, 2 Desert, 3 Eggplant, 4 Rose, 5 Black.
inline constexpr int SchemeCount = 6;

// The colours of a scheme; Default uses the desktop's own colours (system colour references), and
// on a dark desktop light variants of its maroon, navy and purple captions.
const SchemeColors& Scheme(int index, bool darkDesktop = false);

// A palette is dark when its text is lighter than the faces it is written on.
bool IsDarkPalette(const QPalette& palette);

// Purple and blue texts on the window's own background, readable on a light and a dark desktop.
QColor PurpleText(bool darkDesktop);
QColor BlueText(bool darkDesktop);

// Relative luminance: 0 black to 1 white.
double RelativeLuminance(const QColor& color);

// The menu item of a scheme ("mnuOptionsColorSchemeDefault" ...).
const char* SchemeMenuItem(int index);

} // namespace ui
