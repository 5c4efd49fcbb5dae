#include "ui/Keypad.h"

namespace ui {
namespace {

using engine::CalcKey;
namespace vk = platform::vk;

constexpr KeySpec keypad[] = {
    {"btnBack", CalcKey::Back, KeyGroup::Back, "Backspace", 8, 44, 80, 30, 9, clMaroon, "", "Backspace",
     "Backspace"},
    {"btnCE", CalcKey::CE, KeyGroup::Clear, "CE", 91, 44, 80, 30, 12, clMaroon, "Clear Entry", "Clear entry",
     "Delete"},
    {"btnC", CalcKey::C, KeyGroup::Clear, "C", 174, 44, 80, 30, 12, clMaroon, "Clear", "Clear", "Esc"},
    {"btnMC", CalcKey::MC, KeyGroup::Memory, "MC", 8, 84, 38, 30, 10, clPurple, "Memory Clear",
     "Memory clear", "Ctrl+L"},
    {"btnMR", CalcKey::MR, KeyGroup::Memory, "MR", 8, 116, 38, 30, 10, clPurple, "Memory Recall",
     "Memory recall", "Ctrl+R"},
    {"btnMS", CalcKey::MS, KeyGroup::Memory, "MS", 8, 148, 38, 30, 10, clPurple, "Memory Store",
     "Memory store", "Ctrl+M"},
    {"btnMAdd", CalcKey::MAdd, KeyGroup::Memory, "M+", 8, 180, 38, 30, 10, clPurple, "Add to Memory",
     "Memory add", "Ctrl+A"},
    {"btnMSubtract", CalcKey::MSubtract, KeyGroup::Memory, "M-", 8, 212, 38, 30, 10, clPurple,
     "Subtract from Memory", "Memory subtract", "Ctrl+S"},
    {"btn7", CalcKey::D7, KeyGroup::Digits, "7", 56, 84, 38, 30, 14, clNavy, "", "7", "7"},
    {"btn8", CalcKey::D8, KeyGroup::Digits, "8", 96, 84, 38, 30, 14, clNavy, "", "8", "8"},
    {"btn9", CalcKey::D9, KeyGroup::Digits, "9", 136, 84, 38, 30, 14, clNavy, "", "9", "9"},
    {"btn4", CalcKey::D4, KeyGroup::Digits, "4", 56, 116, 38, 30, 14, clNavy, "", "4", "4"},
    {"btn5", CalcKey::D5, KeyGroup::Digits, "5", 96, 116, 38, 30, 14, clNavy, "", "5", "5"},
    {"btn6", CalcKey::D6, KeyGroup::Digits, "6", 136, 116, 38, 30, 14, clNavy, "", "6", "6"},
    {"btn1", CalcKey::D1, KeyGroup::Digits, "1", 56, 148, 38, 30, 14, clNavy, "", "1", "1"},
    {"btn2", CalcKey::D2, KeyGroup::Digits, "2", 96, 148, 38, 30, 14, clNavy, "", "2", "2"},
    {"btn3", CalcKey::D3, KeyGroup::Digits, "3", 136, 148, 38, 30, 14, clNavy, "", "3", "3"},
    {"btn0", CalcKey::D0, KeyGroup::Digits, "0", 56, 180, 38, 30, 14, clNavy, "", "0", "0"},
    {"btn00", CalcKey::D00, KeyGroup::Digits, "00", 96, 180, 38, 30, 14, clNavy, "", "Double zero", "Z"},
    {"btnDecimal", CalcKey::Decimal, KeyGroup::Digits, ".", 136, 180, 38, 30, 14, clNavy, "", "Decimal point",
     "."},
    {"btn000", CalcKey::D000, KeyGroup::Digits, "000", 56, 212, 78, 30, 14, clNavy, "", "Triple zero", "X"},
    {"btnPlusMinus", CalcKey::PlusMinus, KeyGroup::Digits, "+/-", 136, 212, 38, 30, 12, clNavy, "",
     "Change sign", "F9"},
    {"btnDivide", CalcKey::Divide, KeyGroup::Operators, "/", 176, 84, 38, 30, 14, clPurple, "", "Divide",
     "/"},
    {"btnMultiply", CalcKey::Multiply, KeyGroup::Operators, "*", 176, 116, 38, 30, 14, clPurple, "",
     "Multiply", "*"},
    {"btnSubtract", CalcKey::Subtract, KeyGroup::Operators, "-", 176, 148, 38, 30, 14, clPurple, "",
     "Subtract", "-"},
    {"btnAdd", CalcKey::Add, KeyGroup::Operators, "+", 176, 180, 38, 62, 14, clPurple, "", "Add", "+"},
    {"btnSquareRoot", CalcKey::SquareRoot, KeyGroup::Functions, "sqrt", 216, 84, 38, 30, 10, clNavy, "",
     "Square root", "@"},
    {"btnPercent", CalcKey::Percent, KeyGroup::Functions, "%", 216, 116, 38, 30, 12, clNavy, "", "Percent",
     "%"},
    {"btnReciprocal", CalcKey::Reciprocal, KeyGroup::Functions, "1/x", 216, 148, 38, 30, 10, clNavy, "",
     "Reciprocal", "R"},
    {"btnEquals", CalcKey::Equals, KeyGroup::Operators, "=", 216, 180, 38, 62, 14, clPurple, "", "Equals",
     "Enter"},
};

// Which modifier set a keyboard-map row accepts.
enum class Mods
{
    None,
    ShiftOnly,
    CtrlOnly,
    Any
};

bool Matches(Mods mods, const platform::VirtualKey& k)
{
    switch (mods) {
    case Mods::None:
        return !k.shift && !k.ctrl && !k.alt;
    case Mods::ShiftOnly:
        return k.shift && !k.ctrl && !k.alt;
    case Mods::CtrlOnly:
        return !k.shift && k.ctrl && !k.alt;
    case Mods::Any:
        return true;
    }
    return false;
}

struct KeyRow
{
    int code;
    Mods mods;
    CalcKey key;
};

// At most one row matches a key and modifier set.
constexpr KeyRow keyDownMap[] = {
    {'0', Mods::None, CalcKey::D0},
    {vk::Numpad0, Mods::Any, CalcKey::D0},
    {'Z', Mods::None, CalcKey::D00},
    {'X', Mods::None, CalcKey::D000},
    {'1', Mods::None, CalcKey::D1},
    {'2', Mods::None, CalcKey::D2},
    {'3', Mods::None, CalcKey::D3},
    {'4', Mods::None, CalcKey::D4},
    {'5', Mods::None, CalcKey::D5},
    {'6', Mods::None, CalcKey::D6},
    {'7', Mods::None, CalcKey::D7},
    {'8', Mods::None, CalcKey::D8},
    {'9', Mods::None, CalcKey::D9},
    {vk::Numpad0 + 1, Mods::Any, CalcKey::D1},
    {vk::Numpad0 + 2, Mods::Any, CalcKey::D2},
    {vk::Numpad0 + 3, Mods::Any, CalcKey::D3},
    {vk::Numpad0 + 4, Mods::Any, CalcKey::D4},
    {vk::Numpad0 + 5, Mods::Any, CalcKey::D5},
    {vk::Numpad0 + 6, Mods::Any, CalcKey::D6},
    {vk::Numpad0 + 7, Mods::Any, CalcKey::D7},
    {vk::Numpad0 + 8, Mods::Any, CalcKey::D8},
    {vk::Numpad0 + 9, Mods::Any, CalcKey::D9},
    {vk::OemPeriod, Mods::None, CalcKey::Decimal},
    {vk::Decimal, Mods::Any, CalcKey::Decimal},
    {vk::Oem2, Mods::None, CalcKey::Divide},
    {vk::Divide, Mods::Any, CalcKey::Divide},
    {'8', Mods::ShiftOnly, CalcKey::Multiply}, // '*'
    {vk::Multiply, Mods::Any, CalcKey::Multiply},
    {vk::Subtract, Mods::Any, CalcKey::Subtract},
    {vk::OemPlus, Mods::ShiftOnly, CalcKey::Add}, // '+'
    {vk::Add, Mods::Any, CalcKey::Add},
    {vk::OemPlus, Mods::None, CalcKey::Equals}, // '='
    {vk::Return, Mods::Any, CalcKey::Equals},
    {vk::F9, Mods::None, CalcKey::PlusMinus},
    {vk::Back, Mods::None, CalcKey::Back},
    {vk::Delete, Mods::None, CalcKey::CE},
    {vk::Escape, Mods::None, CalcKey::C},
    {'2', Mods::ShiftOnly, CalcKey::SquareRoot}, // '@'
    {'5', Mods::ShiftOnly, CalcKey::Percent},    // '%'
    {'R', Mods::None, CalcKey::Reciprocal},
    {'L', Mods::CtrlOnly, CalcKey::MC},
    {'M', Mods::CtrlOnly, CalcKey::MS},
    // The adding machine's keys: S subtotal, G grand total, # (Shift+3 on a US keyboard) non-add.
    {'S', Mods::None, CalcKey::Subtotal},
    {'G', Mods::None, CalcKey::GrandTotal},
    {'3', Mods::ShiftOnly, CalcKey::NonAdd},
};

struct ShortcutRow
{
    int code;
    bool needsCtrl; // the Ctrl key held, other modifiers ignored; otherwise any modifiers
    CalcKey key;
};

constexpr ShortcutRow shortcutMap[] = {
    {vk::OemMinus, false, CalcKey::Subtract},
    {'R', true, CalcKey::MR},
    {'A', true, CalcKey::MAdd},
    {'S', true, CalcKey::MSubtract},
};

} // namespace

std::span<const KeySpec> Keypad()
{
    return keypad;
}

std::pair<TColor, TColor> GroupColors(const SchemeColors& c, KeyGroup group)
{
    switch (group) {
    case KeyGroup::Back:
        return {c.backFace, c.backText};
    case KeyGroup::Clear:
        return {c.clearFace, c.clearText};
    case KeyGroup::Digits:
        return {c.digitsFace, c.digitsText};
    case KeyGroup::Functions:
        return {c.functionsFace, c.functionsText};
    case KeyGroup::Operators:
        return {c.operatorsFace, c.operatorsText};
    case KeyGroup::Memory:
        return {c.memoryFace, c.memoryText};
    }
    return {c.digitsFace, c.digitsText};
}

std::optional<engine::CalcKey> KeyDownKey(const platform::VirtualKey& key)
{
    for (const KeyRow& row : keyDownMap) {
        if (key.code == row.code && Matches(row.mods, key))
            return row.key;
    }
    return std::nullopt;
}

std::optional<engine::CalcKey> ShortcutKey(const platform::VirtualKey& key)
{
    for (const ShortcutRow& row : shortcutMap) {
        if (key.code == row.code && (!row.needsCtrl || key.ctrl))
            return row.key;
    }
    return std::nullopt;
}

} // namespace ui
