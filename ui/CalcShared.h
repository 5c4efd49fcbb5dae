#pragma once
// What the main window's source files share: design metrics of the window and small helpers.

#include <string_view>

#include <QString>

class QWidget;

namespace ui {

inline constexpr int StatusBarHeight = 19;
inline constexpr int StatusPanelWidth = 200;
// Earlier builds named the autostart entry this way; it goes whenever the option changes.
inline constexpr char OldAutostartFileName[] = "quorlane-calculator.desktop";

inline QString Latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A number as a speech synthesizer reads it whole: digits grouped by blanks (as in French, or where
// the locale groups by apostrophes) lose the blanks, which would split it into several numbers.
// Grouping commas and points are read as part of the number and stay.
QString SpokenNumbers(QString text);

// The display and the tape never keep the focus (it passes to the sink): like edit controls that
// hide their selection without the focus, they never draw it. Copy and Copy Tape still select all.
void HideSelection(QWidget* text);

} // namespace ui
