// The keyboard map without a window: which engine key a key press gives, in the key-down stage and
// the shortcut stage, and the keypad table's completeness.

#include "ui/Keypad.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

using platform::VirtualKey;

struct Case
{
    VirtualKey key;
    const char* keyDown;  // engine key name, "" for none
    const char* shortcut; // engine key name, "" for none
};

std::string Name(const std::optional<engine::CalcKey>& key)
{
    return key ? std::string(engine::KeyName(*key)) : std::string();
}

TEST(Keypad, KeysMapToEngineKeys)
{
    const bool S = true;
    const Case cases[] = {
        {{48}, "0", ""},
        {{48, S}, "", ""},              // Shift with 0 types no key
        {{96, S, true, true}, "0", ""}, // the keypad's digits with any modifiers
        {{105}, "9", ""},
        {{90}, "00", ""},
        {{88}, "000", ""},
        {{56}, "8", ""},
        {{56, S}, "*", ""},
        {{187}, "=", ""},
        {{187, S}, "+", ""},
        {{13, false, true}, "=", ""},
        {{50, S}, "sqrt", ""},
        {{53, S}, "%", ""},
        {{82}, "1/x", ""},
        {{82, false, true}, "", "mr"},
        {{76, false, true}, "mc", ""},
        {{76, S, true}, "", ""},
        {{77, false, true}, "ms", ""},
        {{'A', S, true}, "", "m+"},
        {{'S', false, true}, "", "m-"},
        {{'S'}, "sub", ""},
        {{'S', S}, "", ""},
        {{'G'}, "gt", ""},
        {{'3', S}, "#", ""},
        {{platform::vk::OemMinus, S, true}, "", "-"},
        {{109}, "-", ""},
        {{190}, ".", ""},
        {{110, S}, ".", ""},
        {{191}, "/", ""},
        {{191, S}, "", ""},
        {{120}, "+/-", ""},
        {{8}, "back", ""},
        {{46}, "ce", ""},
        {{27}, "c", ""},
        {{27, false, false, true}, "", ""},
        {{0}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.key.code << " shift " << c.key.shift << " ctrl " << c.key.ctrl
                                        << " alt " << c.key.alt);
        EXPECT_EQ(Name(ui::KeyDownKey(c.key)), c.keyDown);
        EXPECT_EQ(Name(ui::ShortcutKey(c.key)), c.shortcut);
    }
}

TEST(Keypad, EveryEngineKeyHasOneNamedKey)
{
    std::set<engine::CalcKey> keys;
    std::set<std::string> names;
    for (const ui::KeySpec& k : ui::Keypad()) {
        keys.insert(k.key);
        names.insert(k.name);
    }
    EXPECT_EQ(ui::Keypad().size(), 30u);
    EXPECT_EQ(keys.size(), 30u);
    EXPECT_EQ(names.size(), 30u);
}

} // namespace
