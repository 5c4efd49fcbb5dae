#include "platform/qt/VirtualKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <string_view>

namespace platform {
namespace {

bool IsKeypadKeyCode(quint32 keycode)
{
    // X11 key codes of the numeric keypad (evdev 71..83, 96, 98, 55, 74, 78 + 8).
    return (keycode >= 79 && keycode <= 91) || keycode == 104 || keycode == 106 || keycode == 63 ||
           keycode == 82 || keycode == 86;
}

// The character of a main-keyboard digit or letter key on a US layout (X11 key code = evdev code + 8),
// 0 for other keys.
int UsRowKey(quint32 keycode)
{
    struct Row
    {
        quint32 first;
        std::string_view keys;
    };
    static constexpr Row rows[] = {
        {10, "1234567890"}, {24, "QWERTYUIOP"}, {38, "ASDFGHJKL"}, {52, "ZXCVBNM"}};
    for (const Row& row : rows) {
        if (keycode >= row.first && keycode < row.first + row.keys.size())
            return row.keys[keycode - row.first];
    }
    return 0;
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

// The digit key whose shifted character a US keyboard types (')' is the 0 key, '!' the 1 key ...),
// 0 for other keys.
int UsShiftedDigitKey(int qtKey)
{
    static constexpr std::string_view shifted = ")!@#$%^&*(";
    const std::size_t at = qtKey > 0 && qtKey < 0x7F ? shifted.find(static_cast<char>(qtKey)) : shifted.npos;
    return at == shifted.npos ? 0 : '0' + static_cast<int>(at);
}

// The US key stroke that types a character the calculator reads by its character: its code and
// whether Shift belongs to it; nullopt for other characters.
struct UsStroke
{
    char character;
    int code;
    bool shift;
};

std::optional<UsStroke> UsStrokeForCharacter(QChar character, QChar decimalSeparator)
{
    // The locale's decimal separator (the comma in Germany and France) is the period key too.
    if (character == decimalSeparator && decimalSeparator.isPunct())
        return UsStroke{'.', vk::OemPeriod, false};
    static constexpr UsStroke strokes[] = {
        {'*', '8', true},          {'@', '2', true},
        {'%', '5', true},          {'+', vk::OemPlus, true},
        {'=', vk::OemPlus, false}, {'-', vk::OemMinus, false},
        {'/', vk::Oem2, false},    {'.', vk::OemPeriod, false},
        {'#', '3', true},
    };
    for (const UsStroke& stroke : strokes) {
        if (character == QLatin1Char(stroke.character))
            return stroke;
    }
    return std::nullopt;
}

// The code of a Qt key without a physical position; `keypad` is Qt's keypad flag.
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
            break; // keys of the keypad with NumLock off: as the main keyboard's (Delete is CE)
        }
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return vk::F1 + (qtKey - Qt::Key_F1);
    // The US punctuation keys the keyboard map reads, with their shifted characters.
    switch (qtKey) {
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
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::Return;
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_Backspace:
        return vk::Back;
    case Qt::Key_Delete:
        return vk::Delete;
    case Qt::Key_Insert:
        return vk::Insert;
    default:
        return 0; // a key no calculator key, menu item or shortcut reads
    }
}

} // namespace

VirtualKey VirtualKeyFromEvent(const QKeyEvent& event, QChar decimalSeparator, KeySource source)
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
    if (const std::optional<UsStroke> stroke = UsStrokeForCharacter(typed, decimalSeparator)) {
        k.code = stroke->code;
        k.shift = stroke->shift;
        return k;
    }
    if (fromText && typed.isDigit()) {
        k.code = typed.unicode();
        k.shift = false; // the layout's own Shift for its digits (French)
        return k;
    }

    if (!physical) {
        k.code = VirtualKeyFromQtKey(event.key(), false);
        if (k.code == 0)
            k.code = UsShiftedDigitKey(event.key());
        return k;
    }
    const int usKey = UsRowKey(scan);
    if (usKey >= '0' && usKey <= '9') {
        k.code = usKey; // the digit row is its digit on every layout
        return k;
    }
    k.code = VirtualKeyFromQtKey(event.key(), false);
    const bool ascii = event.key() > 0x20 && event.key() < 0x7F;
    if (k.code == 0 && !ascii)
        k.code = usKey; // a letter of a layout without Latin letters: its US position
    return k;
}

QKeySequence ShortcutSequence(int shortcutValue)
{
    const int code = shortcutValue & ~(ShiftBit | CtrlBit | AltBit);
    int key = 0;
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        key = code; // Qt's keys of letters and digits are their characters
    else if (code >= vk::F1 && code < vk::F1 + 12)
        key = Qt::Key_F1 + (code - vk::F1);
    else if (code == vk::Insert)
        key = Qt::Key_Insert;
    else if (code == vk::Delete)
        key = Qt::Key_Delete;
    else if (code == vk::Back)
        key = Qt::Key_Backspace;
    else if (code == vk::Escape)
        key = Qt::Key_Escape;
    else if (code == vk::Return)
        key = Qt::Key_Return;
    if (key == 0)
        return {};
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ShiftModifier, (shortcutValue & ShiftBit) != 0);
    modifiers.setFlag(Qt::ControlModifier, (shortcutValue & CtrlBit) != 0);
    modifiers.setFlag(Qt::AltModifier, (shortcutValue & AltBit) != 0);
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

} // namespace platform
