#pragma once
// Key events as the keyboard map reads them: a virtual-key code (48 '0', 65 'A', 189 the
// main-keyboard minus, 96..105 the keypad digits ...) and the set of Shift, Ctrl and Alt held.
//
// The code is the one Windows reports for the active layout, and the keys the calculator reads by
// their characters follow the layout, while a US keyboard behaves exactly as the key list says:
// - The characters * / + - = % @ # and the point, wherever the layout puts them (with or without
//   Shift or AltGr), are the US key strokes that type them: '*' is Shift+8 (multiply), '@' Shift+2,
//   '%' Shift+5, '#' Shift+3, '+' Shift+equals, '=' the equals key, '-' the minus key, '/' the slash
//   key, '.' the period key. So on a German keyboard Shift+'+' multiplies and the key that types '-'
//   subtracts. The locale's decimal separator is the period key as well, wherever it is typed: the comma key
//   types the decimal point where the comma is the decimal separator (German, French).
// - A digit typed on the main keyboard is that digit, also where the layout needs Shift for it
//   (French); otherwise the digit row is its digit on every layout, with the modifiers held (Shift+8
//   still multiplies where the layout types no digit with it).
// - Letters are the layout's letters (Z on a German keyboard is the key that types z); the US
//   punctuation keys by their character in the layout. Where a layout has no Latin letters, the US
//   position names them.
// - Keypad keys are the keypad's own codes; with NumLock off they are the main keyboard's keys
//   (Delete) or none.
// - Keys that no calculator key, menu item or shortcut reads (Tab, the arrows, Home ...) have no code.
// Where the window system reports no physical key (the offscreen platform, synthesized events), the
// code comes from Qt's key alone, undoing the US shift: ')' is the 0 key, '_' the minus key.

#include <QChar>
#include <QKeySequence>
#include <Qt>

class QKeyEvent;

namespace platform {

// The codes with no character of their own; a digit or letter key's code is its character ('7', 'Z').
namespace vk {
inline constexpr int Back = 8, Return = 13, Escape = 27, Insert = 45, Delete = 46;
inline constexpr int Numpad0 = 96, Multiply = 106, Add = 107, Subtract = 109, Decimal = 110, Divide = 111;
inline constexpr int F1 = 112, F2 = 113, F9 = 120;
inline constexpr int OemPlus = 187, OemComma = 188, OemMinus = 189, OemPeriod = 190, Oem2 = 191;
} // namespace vk

// Shortcut and shift-state bits as the toolkit's shortcut values combine them with a key code.
inline constexpr int ShiftBit = 0x2000, CtrlBit = 0x4000, AltBit = 0x8000;

struct VirtualKey
{
    int code = 0; // 0: a key the map has no code for
    bool shift = false;
    bool ctrl = false;
    bool alt = false;

    // The toolkit's shortcut value: code plus 8192 for Shift, 16384 for Ctrl, 32768 for Alt.
    int ShortcutValue() const
    {
        return code + (shift ? ShiftBit : 0) + (ctrl ? CtrlBit : 0) + (alt ? AltBit : 0);
    }
};

// The key sequence a menu item shows for a shortcut value ("Ctrl+Shift+C", "Shift+Del", "F2"), so that
// the item's key is written once, as its value: letters, digits, F1 to F12, Insert, Delete, Backspace,
// Esc and Enter. Any other code gives an empty sequence.
QKeySequence ShortcutSequence(int shortcutValue);

// Where the physical key is read from: decided by the window system (Auto), or forced (tests).
enum class KeySource
{
    Auto,
    X11KeyCodes,
    QtKeys
};

// `decimalSeparator` is the locale's (a comma where it is the decimal separator).
VirtualKey VirtualKeyFromEvent(const QKeyEvent& event, QChar decimalSeparator = u'.',
                               KeySource source = KeySource::Auto);

} // namespace platform
