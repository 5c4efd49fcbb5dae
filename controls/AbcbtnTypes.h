#pragma once
// The value types of the picture button (Abcbtn.h): its state and frame styles, with the styles'
// display names for galleries and test output. The style enumerators (absThin) are usable
// unqualified, as the windows write them; the state's short names need TPicButtonState::.

#include <cstdint>
#include <string_view>

// What the button shows at the moment.
enum class TPicButtonState : std::uint8_t
{
    Up,       // normal
    Disabled, // the control is disabled
    Pressed,  // the left mouse button is held on the button
    Latched,  // Down is true (a grouped button held down)
    Hot,      // the pointer is over the button
};

// The frame drawn around the face. The hover-sensitive ones (see IsHoverSensitiveStyle) change their
// look while the pointer is over the button.
enum TabcButtonStyle : std::uint8_t
{
    absAutoDetect,
    absNew,
    absWin31,
    absThin,
    absThinBlack,
    absThinGray,
    absThinHighlight,
    absMidHighlight,
    absThickHighlight,
    absFramed,
    absFramedBlack,
    absFramedRaised,
    absFramedHighlight,
    absFramedBlackHighlight,
    absRecessed,
    absRecessedBlack,
    absRecessedRaised,
    absRecessedHighlight,
    absRecessedBlackHighlight,
};
inline constexpr int ButtonStyleCount = 19;

constexpr bool IsHoverSensitiveStyle(TabcButtonStyle style)
{
    switch (style) {
    case TabcButtonStyle::absThinHighlight:
    case TabcButtonStyle::absMidHighlight:
    case TabcButtonStyle::absThickHighlight:
    case TabcButtonStyle::absFramedHighlight:
    case TabcButtonStyle::absFramedBlackHighlight:
    case TabcButtonStyle::absRecessedHighlight:
    case TabcButtonStyle::absRecessedBlackHighlight:
        return true;
    default:
        return false;
    }
}

std::string_view ButtonStyleName(TabcButtonStyle style);
