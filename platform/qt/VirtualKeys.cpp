#include "platform/qt/VirtualKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace platform {
namespace {

bool IsKeypadKeyCode(quint32 keycode)
{
    // X11 key codes of the numeric keypad (evdev 71..83, 96, 98, 55, 74, 78 + 8).
    return (keycode >= 79 && keycode <= 91) || keycode == 104 || keycode == 106 || keycode == 63 ||
           keycode == 82 || keycode == 86;
}

bool IsDigitRowKeyCode(quint32 keycode)
{
    return keycode >= 10 && keycode <= 19;
}

bool IsLetterKeyCode(quint32 keycode)
{
    return (keycode >= 24 && keycode <= 33) || (keycode >= 38 && keycode <= 46) ||
           (keycode >= 52 && keycode <= 58);
}

// The character a key press typed: the event's text, or (with Ctrl or Alt, or for synthesized
// events without text) Qt's key where it names a printable ASCII character other than a letter.
// `fromText` tells whether the text said so.
QChar TypedCharacter(const QKeyEvent& event, bool& fromText)
{
    const QString text = event.text();
    fromText = text.size() == 1 && text.at(0).unicode() > 0x20 && text.at(0).unicode() < 0x7F;
    if (fromText)
        return text.at(0);
    const int key = event.key();
    if (key > 0x20 && key < 0x7F && !(key >= Qt::Key_A && key <= Qt::Key_Z))
        return QChar(key);
    return {};
}

// A key's code by its character in the active layout, for keys with a physical position: as
// VirtualKeyFromQtKey, except that the shifted digits of a US keyboard (! # $ ^ & ( ...) name no digit
// key here; on other layouts they lie on keys of their own.
int VirtualKeyFromLayoutKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_ParenRight:
    case Qt::Key_Exclam:
    case Qt::Key_At:
    case Qt::Key_NumberSign:
    case Qt::Key_Dollar:
    case Qt::Key_Percent:
    case Qt::Key_AsciiCircum:
    case Qt::Key_Ampersand:
    case Qt::Key_Asterisk:
    case Qt::Key_ParenLeft:
        return 0;
    default:
        return VirtualKeyFromQtKey(qtKey, false);
    }
}

} // namespace

int VirtualKeyFromX11KeyCode(quint32 keycode)
{
    // Main-keyboard rows of the US layout.
    static constexpr const char* row1 = "1234567890"; // key codes 10..19
    static constexpr const char* row2 = "QWERTYUIOP"; // 24..33
    static constexpr const char* row3 = "ASDFGHJKL";  // 38..46
    static constexpr const char* row4 = "ZXCVBNM";    // 52..58
    if (keycode >= 10 && keycode <= 19)
        return row1[keycode - 10];
    if (keycode >= 24 && keycode <= 33)
        return row2[keycode - 24];
    if (keycode >= 38 && keycode <= 46)
        return row3[keycode - 38];
    if (keycode >= 52 && keycode <= 58)
        return row4[keycode - 52];
    if (keycode >= 67 && keycode <= 76)
        return vk::F1 + static_cast<int>(keycode - 67); // F1..F10
    switch (keycode) {
    case 9:
        return vk::Escape;
    case 20:
        return vk::OemMinus;
    case 21:
        return vk::OemPlus;
    case 22:
        return vk::Back;
    case 23:
        return vk::Tab;
    case 34:
        return 219; // [
    case 35:
        return 221; // ]
    case 36:
        return vk::Return;
    case 47:
        return 186; // ;
    case 48:
        return 222; // '
    case 49:
        return 192; // `
    case 51:
        return 220; // backslash
    case 59:
        return vk::OemComma;
    case 60:
        return vk::OemPeriod;
    case 61:
        return vk::Oem2;
    case 65:
        return vk::Space;
    case 95:
        return vk::F1 + 10; // F11
    case 96:
        return vk::F1 + 11; // F12
    case 110:
        return vk::Home;
    case 111:
        return vk::Up;
    case 112:
        return vk::Prior;
    case 113:
        return vk::Left;
    case 114:
        return vk::Right;
    case 115:
        return vk::End;
    case 116:
        return vk::Down;
    case 117:
        return vk::Next;
    case 118:
        return vk::Insert;
    case 119:
        return vk::Delete;
    default:
        return 0;
    }
}

std::optional<UsStroke> UsStrokeForCharacter(QChar character)
{
    switch (character.unicode()) {
    case '*':
        return UsStroke{'8', true};
    case '@':
        return UsStroke{'2', true};
    case '%':
        return UsStroke{'5', true};
    case '+':
        return UsStroke{vk::OemPlus, true};
    case '=':
        return UsStroke{vk::OemPlus, false};
    case '-':
        return UsStroke{vk::OemMinus, false};
    case '/':
        return UsStroke{vk::Oem2, false};
    case '.':
        return UsStroke{vk::OemPeriod, false};
    default:
        return std::nullopt;
    }
}

int VirtualKeyFromQtKey(int qtKey, bool keypad)
{
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return vk::Numpad0 + (qtKey - Qt::Key_0);
        switch (qtKey) {
        case Qt::Key_Asterisk:
            return vk::Multiply;
        case Qt::Key_Plus:
            return vk::Add;
        case Qt::Key_Minus:
            return vk::Subtract;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return vk::Decimal; // the keypad's decimal key, whatever it prints
        case Qt::Key_Slash:
            return vk::Divide;
        case Qt::Key_Enter:
        case Qt::Key_Return:
            return vk::Return;
        default:
            break; // navigation keys of the keypad (NumLock off): their own codes below
        }
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return vk::F1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    // The shifted digits of a US keyboard name the digit keys.
    case Qt::Key_ParenRight:
        return '0';
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return vk::OemMinus;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return vk::OemPlus;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return vk::OemComma;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return vk::OemPeriod;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return vk::Oem2;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::Return;
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_Backspace:
        return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return vk::Tab;
    case Qt::Key_Space:
        return vk::Space;
    case Qt::Key_Delete:
        return vk::Delete;
    case Qt::Key_Insert:
        return vk::Insert;
    case Qt::Key_Home:
        return vk::Home;
    case Qt::Key_End:
        return vk::End;
    case Qt::Key_PageUp:
        return vk::Prior;
    case Qt::Key_PageDown:
        return vk::Next;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Down:
        return vk::Down;
    case Qt::Key_Shift:
        return vk::Shift;
    case Qt::Key_Control:
        return vk::Control;
    case Qt::Key_Alt:
        return vk::Menu;
    default:
        return 0;
    }
}

VirtualKey VirtualKeyFromEvent(const QKeyEvent& event, KeySource source)
{
    VirtualKey k;
    const Qt::KeyboardModifiers m = event.modifiers();
    k.shift = m.testFlag(Qt::ShiftModifier);
    k.ctrl = m.testFlag(Qt::ControlModifier);
    k.alt = m.testFlag(Qt::AltModifier);
    const quint32 scan = event.nativeScanCode();
    bool x11KeyCodes = source == KeySource::X11KeyCodes;
    if (source == KeySource::Auto) {
        const QString platformName = QGuiApplication::platformName();
        x11KeyCodes =
            platformName == QLatin1String("xcb") || platformName.startsWith(QLatin1String("wayland"));
    }
    const bool physical = scan != 0 && x11KeyCodes;
    const bool keypad = m.testFlag(Qt::KeypadModifier) || (physical && IsKeypadKeyCode(scan));
    if (keypad) {
        k.code = VirtualKeyFromQtKey(event.key(), true);
        return k;
    }

    // The characters the calculator reads follow the layout.
    bool fromText = false;
    const QChar typed = TypedCharacter(event, fromText);
    if (const std::optional<UsStroke> stroke = UsStrokeForCharacter(typed)) {
        k.code = stroke->code;
        k.shift = stroke->shift;
        return k;
    }
    if (fromText && typed.isDigit()) {
        k.code = typed.unicode();
        k.shift = false; // the layout's own Shift for its digits (French)
        return k;
    }

#if defined(Q_OS_WIN)
    if (event.nativeVirtualKey() != 0) {
        k.code = static_cast<int>(event.nativeVirtualKey());
        return k;
    }
#endif
    if (!physical) {
        k.code = VirtualKeyFromQtKey(event.key(), false);
        return k;
    }
    if (IsDigitRowKeyCode(scan)) {
        k.code = VirtualKeyFromX11KeyCode(scan);
        return k;
    }
    k.code = VirtualKeyFromLayoutKey(event.key());
    if (k.code == 0 && IsLetterKeyCode(scan))
        k.code = VirtualKeyFromX11KeyCode(scan); // a layout without Latin letters
    return k;
}

} // namespace platform
