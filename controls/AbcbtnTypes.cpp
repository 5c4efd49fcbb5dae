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

} // namespace

std::string_view ButtonStyleName(TabcButtonStyle style)
{
    const auto index = static_cast<std::size_t>(style);
    return index < StyleNames.size() ? StyleNames[index] : std::string_view("?");
}
