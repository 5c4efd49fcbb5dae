#pragma once
// How the form scaler keeps a window's placement between runs in the per-user registry
// (platform/Registry.h): the value types and layout of the stored placement.
//
// Value types, as the scaler's placement has always been stored: integers as REG_DWORD, or as a
// decimal string when a string value of that name exists already (either form is read back);
// doubles as 8-byte IEEE values in REG_BINARY; Booleans as the strings "0" and "1" (a DWORD is read
// too). A value that is missing or of another type reads as empty, and the caller uses its default.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/qt/WindowGeometry.h"

namespace platform {
class TRegistry;
}

namespace elastic {

// An integer value of the key open in `registry`: a DWORD, or decimal text (see above).
std::optional<std::int32_t> ReadStoredInteger(const platform::TRegistry& registry, std::string_view name);
// Writes it in the form stored already: as text when a string value of that name exists, else a DWORD.
void WriteStoredInteger(platform::TRegistry& registry, std::string_view name, std::int32_t value);

// A stored integer written as text: optional '+', decimal digits, in the int32 range.
std::optional<std::int32_t> ParseDecimal(std::string_view text);

// The value names of the stored placement, in the order they are written.
inline constexpr char TotalControlsValue[] = "Total Controls";
inline constexpr char WindowStateValue[] = "Window State";
inline constexpr char LeftValue[] = "Left";
inline constexpr char TopValue[] = "Top";
inline constexpr char WidthValue[] = "Width";
inline constexpr char HeightValue[] = "Height";
inline constexpr char MaxTrackWidthValue[] = "MaxTrackWidth";
inline constexpr char MaxTrackHeightValue[] = "MaxTrackHeight";
std::string VisibleValue(int index); // "Visible 0", "Visible 1", ...
// The eleven values of the window placement record: their stored names and fields, in order.
struct TPlacementValue
{
    const char* name;
    std::int32_t platform::TWindowPlacement::*field;
};
using platform::TWindowPlacement;
inline constexpr TPlacementValue PlacementValues[11] = {
    {"wp length ", &TWindowPlacement::length}, // with its trailing blank
    {"wp flags", &TWindowPlacement::flags},
    {"wp showCmd", &TWindowPlacement::showCmd},
    {"wp MinPosX", &TWindowPlacement::minPosX},
    {"wp MinPosY", &TWindowPlacement::minPosY},
    {"wp MaxPosX", &TWindowPlacement::maxPosX},
    {"wp MaxPosY", &TWindowPlacement::maxPosY},
    {"wp NormPosLeft", &TWindowPlacement::normLeft},
    {"wp NormPosTop", &TWindowPlacement::normTop},
    {"wp NormPosRight", &TWindowPlacement::normRight},
    {"wp NormPosBottom", &TWindowPlacement::normBottom},
};

} // namespace elastic
