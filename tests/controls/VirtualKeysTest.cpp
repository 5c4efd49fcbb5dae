// The virtual-key code of key events as the X11 platform delivers them on US, German, French and
// Russian layouts (X key code, keysym, Qt key, modifiers, text), and of events without a physical key.

#include "platform/qt/VirtualKeys.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

using platform::KeySource;
using platform::VirtualKey;
namespace vk = platform::vk;

constexpr Qt::KeyboardModifiers None = Qt::NoModifier, Shift = Qt::ShiftModifier, Ctrl = Qt::ControlModifier,
                                Keypad = Qt::KeypadModifier;

struct Case
{
    const char* what;
    quint32 keycode; // X key code (0: no physical key)
    quint32 keysym;
    int key;
    Qt::KeyboardModifiers modifiers;
    const char16_t* text;
    int code;
    bool shift;
    char16_t decimal = u'.'; // the locale's decimal separator
};

VirtualKey Map(const Case& c)
{
    const QKeyEvent e(QEvent::KeyPress, c.key, c.modifiers, c.keycode, c.keysym, 0,
                      QString::fromUtf16(c.text));
    return platform::VirtualKeyFromEvent(e, QChar(c.decimal),
                                         c.keycode != 0 ? KeySource::X11KeyCodes : KeySource::QtKeys);
}

TEST(VirtualKeys, FollowTheLayout)
{
    const Case cases[] = {
        // US: exactly as the key list says.
        {"us 8", 17, '8', Qt::Key_8, None, u"8", '8', false},
        {"us shift+8", 17, '*', Qt::Key_Asterisk, Shift, u"*", '8', true},
        {"us shift+2", 11, '@', Qt::Key_At, Shift, u"@", '2', true},
        {"us shift+5", 14, '%', Qt::Key_Percent, Shift, u"%", '5', true},
        {"us shift+3", 12, '#', Qt::Key_NumberSign, Shift, u"#", '3', true},
        {"us minus", 20, '-', Qt::Key_Minus, None, u"-", vk::OemMinus, false},
        {"us shift+minus", 20, '_', Qt::Key_Underscore, Shift, u"_", vk::OemMinus, true},
        {"us equals", 21, '=', Qt::Key_Equal, None, u"=", vk::OemPlus, false},
        {"us shift+equals", 21, '+', Qt::Key_Plus, Shift, u"+", vk::OemPlus, true},
        {"us slash", 61, '/', Qt::Key_Slash, None, u"/", vk::Oem2, false},
        {"us shift+slash", 61, '?', Qt::Key_Question, Shift, u"?", vk::Oem2, true},
        {"us ctrl+8", 17, '8', Qt::Key_8, Ctrl, u"", '8', false},
        {"us ctrl+minus", 20, '-', Qt::Key_Minus, Ctrl, u"\x1f", vk::OemMinus, false},
        {"us ctrl+r", 27, 'r', Qt::Key_R, Ctrl, u"\x12", 'R', false},
        {"us z", 52, 'z', Qt::Key_Z, None, u"z", 'Z', false},
        {"us escape", 9, 0xff1b, Qt::Key_Escape, None, u"\x1b", vk::Escape, false},
        {"us shift+delete", 119, 0xffff, Qt::Key_Delete, Shift, u"", vk::Delete, true},
        {"keypad *", 63, 0xffaa, Qt::Key_Asterisk, Keypad, u"*", vk::Multiply, false},
        {"keypad 8", 80, 0xffb8, Qt::Key_8, Keypad, u"8", vk::Numpad0 + 8, false},
        {"keypad 7, NumLock off", 79, 0xff95, Qt::Key_Home, Keypad, u"", 0, false},
        {"keypad point, NumLock off", 91, 0xff9f, Qt::Key_Delete, Keypad, u"", vk::Delete, false},
        // German: the keys that type - + * / = subtract, add, multiply, divide, total.
        {"de minus", 61, '-', Qt::Key_Minus, None, u"-", vk::OemMinus, false},
        {"de plus", 35, '+', Qt::Key_Plus, None, u"+", vk::OemPlus, true},
        {"de shift+plus", 35, '*', Qt::Key_Asterisk, Shift, u"*", '8', true},
        {"de shift+7", 16, '/', Qt::Key_Slash, Shift, u"/", vk::Oem2, false},
        {"de shift+0", 19, '=', Qt::Key_Equal, Shift, u"=", vk::OemPlus, false},
        {"de shift+5", 14, '%', Qt::Key_Percent, Shift, u"%", '5', true},
        {"de altgr+q", 24, '@', Qt::Key_At, None, u"@", '2', true},
        {"de sharp s", 20, 0xdf, 0xdf, None, u"\u00df", 0, false},
        {"de shift+sharp s", 20, '?', Qt::Key_Question, Shift, u"?", vk::Oem2, true},
        {"de number sign", 51, '#', Qt::Key_NumberSign, None, u"#", '3', true},
        {"de comma, de_DE", 59, ',', Qt::Key_Comma, None, u",", vk::OemPeriod, false, u','},
        {"de period, de_DE", 60, '.', Qt::Key_Period, None, u".", vk::OemPeriod, false, u','},
        {"us comma, en_US", 59, ',', Qt::Key_Comma, None, u",", vk::OemComma, false},
        {"de z", 29, 'z', Qt::Key_Z, None, u"z", 'Z', false},
        {"de shift+8", 17, '(', Qt::Key_ParenLeft, Shift, u"(", '8', true},
        // French: digits with Shift, operators of the main block.
        {"fr 8 unshifted", 17, '_', Qt::Key_Underscore, None, u"_", '8', false},
        {"fr shift+8", 17, '8', Qt::Key_8, Shift, u"8", '8', false},
        {"fr 6 unshifted", 15, '-', Qt::Key_Minus, None, u"-", vk::OemMinus, false},
        {"fr asterisk", 51, '*', Qt::Key_Asterisk, None, u"*", '8', true},
        {"fr exclamation", 61, '!', Qt::Key_Exclam, None, u"!", 0, false},
        {"fr shift+colon", 60, '/', Qt::Key_Slash, Shift, u"/", vk::Oem2, false},
        {"fr shift+semicolon", 59, '.', Qt::Key_Period, Shift, u".", vk::OemPeriod, false},
        {"fr comma, fr_FR", 58, ',', Qt::Key_Comma, None, u",", vk::OemPeriod, false, u','},
        {"fr equals", 21, '=', Qt::Key_Equal, None, u"=", vk::OemPlus, false},
        {"fr a", 24, 'a', Qt::Key_A, None, u"a", 'A', false},
        {"fr ctrl+m", 47, 'm', Qt::Key_M, Ctrl, u"\r", 'M', false},
        // Dvorak: punctuation on a letter key is no letter.
        {"dvorak semicolon", 52, ';', Qt::Key_Semicolon, None, u";", 0, false},
        // Russian: letters by their US position.
        {"ru ka", 27, 0x6cb, 0x41a, None, u"\u043a", 'R', false},
        // No physical key: Qt's key, undoing the US shift.
        {"qt asterisk", 0, 0, Qt::Key_Asterisk, None, u"", '8', true},
        {"qt shift+8", 0, 0, Qt::Key_8, Shift, u"", '8', true},
        {"qt shift+0", 0, 0, Qt::Key_ParenRight, Shift, u"", '0', true},
        {"qt plus", 0, 0, Qt::Key_Plus, Shift, u"", vk::OemPlus, true},
        {"qt keypad comma", 0, 0, Qt::Key_Comma, Keypad, u"", vk::Decimal, false},
        {"qt comma, de_DE", 0, 0, Qt::Key_Comma, None, u",", vk::OemPeriod, false, u','},
        {"qt space, a blank decimal separator", 0, 0, Qt::Key_Space, None, u" ", 0, false, u' '},
    };
    for (const Case& c : cases) {
        const VirtualKey k = Map(c);
        EXPECT_EQ(k.code, c.code) << c.what;
        EXPECT_EQ(k.shift, c.shift) << c.what;
        EXPECT_EQ(k.ctrl, c.modifiers.testFlag(Qt::ControlModifier)) << c.what;
    }
}

// A menu item's key is written once, as its shortcut value; the menu shows it as these texts.
TEST(VirtualKeys, ShortcutSequencesAsMenusShowThem)
{
    using platform::AltBit;
    using platform::CtrlBit;
    using platform::ShiftBit;
    const std::pair<int, const char*> cases[] = {
        {CtrlBit + 'P', "Ctrl+P"},
        {CtrlBit + ShiftBit + 'C', "Ctrl+Shift+C"},
        {ShiftBit + vk::Delete, "Shift+Del"},
        {vk::F1, "F1"},
        {vk::F2, "F2"},
        {vk::Insert, "Ins"},
        {AltBit + '7', "Alt+7"},
        {vk::OemMinus, ""},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(platform::ShortcutSequence(value).toString(QKeySequence::PortableText).toStdString(), text)
            << value;
}

} // namespace
