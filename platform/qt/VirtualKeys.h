#pragma once
// Key events as the keyboard map reads them: a virtual-key code naming the physical key on a US
// layout (48 '0', 65 'A', 189 the main-keyboard minus, 96..105 the keypad digits ...) and the set of
// Shift, Ctrl and Alt held.
//
// Where the window system reports the physical key (X11 and Wayland key codes, the Windows virtual
// key) it decides, so Shift+8 is Shift+8 whatever the user's layout prints on that key. Where it
// reports neither (the offscreen platform, synthesized events) the code is derived from Qt's key,
// undoing the US shift: '*' is the 8 key, '@' the 2 key, '%' the 5 key, '+' the equals key, '_' the
// minus key. Keypad keys are recognised by Qt's keypad flag; with NumLock off they arrive as
// navigation keys (Home, End, ...), which keep their own codes.

#include <Qt>

class QKeyEvent;

namespace platform {

namespace vk {
inline constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18, Escape = 27;
inline constexpr int Space = 32, Prior = 33, Next = 34, End = 35, Home = 36, Left = 37, Up = 38, Right = 39,
                     Down = 40, Insert = 45, Delete = 46;
inline constexpr int Numpad0 = 96, Multiply = 106, Add = 107, Subtract = 109, Decimal = 110, Divide = 111;
inline constexpr int F1 = 112, F9 = 120;
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

// Where the physical key is read from: decided by the window system (Auto), or forced (tests).
enum class KeySource
{
    Auto,
    X11KeyCodes,
    QtKeys
};

VirtualKey VirtualKeyFromEvent(const QKeyEvent& event, KeySource source = KeySource::Auto);

// The code of an X11 key code (evdev code + 8) on a US layout; 0 when unmapped. Keypad keys are
// left to Qt's key, which knows the NumLock state.
int VirtualKeyFromX11KeyCode(quint32 keycode);

// The code of a Qt key without a physical position; `keypad` is Qt's keypad flag.
int VirtualKeyFromQtKey(int qtKey, bool keypad);

} // namespace platform
