#include "ui/Keypad.h"

namespace ui {
namespace {

using engine::CalcKey;

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
    {48, Mods::None, CalcKey::D0},
    {96, Mods::Any, CalcKey::D0},
    {90, Mods::None, CalcKey::D00},
    {88, Mods::None, CalcKey::D000},
    {49, Mods::None, CalcKey::D1},
    {50, Mods::None, CalcKey::D2},
    {51, Mods::None, CalcKey::D3},
    {52, Mods::None, CalcKey::D4},
    {53, Mods::None, CalcKey::D5},
    {54, Mods::None, CalcKey::D6},
    {55, Mods::None, CalcKey::D7},
    {56, Mods::None, CalcKey::D8},
    {57, Mods::None, CalcKey::D9},
    {97, Mods::Any, CalcKey::D1},
    {98, Mods::Any, CalcKey::D2},
    {99, Mods::Any, CalcKey::D3},
    {100, Mods::Any, CalcKey::D4},
    {101, Mods::Any, CalcKey::D5},
    {102, Mods::Any, CalcKey::D6},
    {103, Mods::Any, CalcKey::D7},
    {104, Mods::Any, CalcKey::D8},
    {105, Mods::Any, CalcKey::D9},
    {190, Mods::None, CalcKey::Decimal},
    {110, Mods::Any, CalcKey::Decimal},
    {191, Mods::None, CalcKey::Divide},
    {111, Mods::Any, CalcKey::Divide},
    {56, Mods::ShiftOnly, CalcKey::Multiply},
    {106, Mods::Any, CalcKey::Multiply},
    {109, Mods::Any, CalcKey::Subtract},
    {187, Mods::ShiftOnly, CalcKey::Add},
    {107, Mods::Any, CalcKey::Add},
    {187, Mods::None, CalcKey::Equals},
    {13, Mods::Any, CalcKey::Equals},
    {120, Mods::None, CalcKey::PlusMinus},
    {8, Mods::None, CalcKey::Back},
    {46, Mods::None, CalcKey::CE},
    {27, Mods::None, CalcKey::C},
    {50, Mods::ShiftOnly, CalcKey::SquareRoot},
    {53, Mods::ShiftOnly, CalcKey::Percent},
    {82, Mods::None, CalcKey::Reciprocal},
    {76, Mods::CtrlOnly, CalcKey::MC},
    {77, Mods::CtrlOnly, CalcKey::MS},
    // The adding machine's keys: S subtotal, G grand total, # (Shift+3 on a US keyboard) non-add.
    {83, Mods::None, CalcKey::Subtotal},
    {71, Mods::None, CalcKey::GrandTotal},
    {51, Mods::ShiftOnly, CalcKey::NonAdd},
};

struct ShortcutRow
{
    int code;
    bool needsCtrl; // the Ctrl key held, other modifiers ignored; otherwise any modifiers
    CalcKey key;
};

constexpr ShortcutRow shortcutMap[] = {
    {platform::vk::OemMinus, false, CalcKey::Subtract},
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
