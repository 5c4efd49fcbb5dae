#include "controls/AbcbtnTypes.h"

#include <array>

namespace {

constexpr std::array<std::string_view, ButtonStyleCount> StyleNames{
    "absAutoDetect",
    "absNew",
    "absWin31",
    "absThin",
    "absThinBlack",
    "absThinGray",
    "absThinHighlight",
    "absMidHighlight",
    "absThickHighlight",
    "absFramed",
    "absFramedBlack",
    "absFramedRaised",
    "absFramedHighlight",
    "absFramedBlackHighlight",
    "absRecessed",
    "absRecessedBlack",
    "absRecessedRaised",
    "absRecessedHighlight",
    "absRecessedBlackHighlight",
};

constexpr std::array<std::string_view, 5> StateNames{"Up", "Disabled", "Pressed", "Latched", "Hot"};

} // namespace

std::string_view ButtonStyleName(TabcButtonStyle style)
{
    const auto index = static_cast<std::size_t>(style);
    return index < StyleNames.size() ? StyleNames[index] : std::string_view("?");
}

std::string_view ButtonStateName(TPicButtonState state)
{
    const auto index = static_cast<std::size_t>(state);
    return index < StateNames.size() ? StateNames[index] : std::string_view("?");
}
