#pragma once
// The calculator's keypad and keyboard map: one table of its thirty keys, and the keyboard map as
// pure functions from a key (as platform/qt/VirtualKeys.h reads it) to the engine key it presses.

#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "engine/CalcEngine.h"
#include "platform/qt/Colors.h"
#include "platform/qt/VirtualKeys.h"
#include "ui/ColorSchemes.h"

namespace ui {

// The colour groups of the keys in a colour scheme.
enum class KeyGroup
{
    Back,
    Clear,
    Digits,
    Functions,
    Operators,
    Memory,
};

// One key at design size: position in client pixels, caption font size in points, caption colour
// before a scheme applies.
struct KeySpec
{
    const char* name;
    engine::CalcKey key;
    KeyGroup group;
    const char* caption;
    int left, top, width, height;
    int fontPoints;
    TColor color;
    const char* hint;       // "" for none
    const char* spokenName; // what a screen reader says for it
    const char* keys;       // its keyboard equivalent (US layout), as the keyboard equivalents list it
};

std::span<const KeySpec> Keypad();

// The face and caption colours of a key group in a scheme.
std::pair<TColor, TColor> GroupColors(const SchemeColors& scheme, KeyGroup group);

// The key-down stage: the engine key a key press gives (digits, operators, Enter, Esc, Ctrl+L and
// Ctrl+M for MC and MS ...), or none.
std::optional<engine::CalcKey> KeyDownKey(const platform::VirtualKey& key);

// The shortcut stage, taken before the menus see the key: the minus key with any modifiers and
// Ctrl+R, Ctrl+A, Ctrl+S (other modifiers ignored) for MR, M+ and M-.
std::optional<engine::CalcKey> ShortcutKey(const platform::VirtualKey& key);

} // namespace ui
