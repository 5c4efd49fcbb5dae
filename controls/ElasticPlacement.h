#pragma once
// Where the form scaler keeps a window's placement between runs: an open key with typed values, the
// registry store (HKEY_CURRENT_USER), and the value layout of the stored placement.
//
// Value types, as the scaler's placement has always been stored: integers as REG_DWORD, or as a
// decimal string when a string value of that name exists already (either form is read back);
// doubles as 8-byte IEEE values in REG_BINARY; Booleans as the strings "0" and "1" (a DWORD is read
// too). A value that is missing or of another type reads as empty, and the caller uses its default.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/qt/WindowGeometry.h"

namespace elastic {

// One open key of a placement store.
class TPlacementKey
{
public:
    virtual ~TPlacementKey() = default;
    virtual std::optional<std::int32_t> ReadInteger(std::string_view name) = 0;
    virtual std::optional<double> ReadFloat(std::string_view name) = 0;
    virtual void WriteInteger(std::string_view name, std::int32_t value) = 0;
    virtual void WriteFloat(std::string_view name, double value) = 0;
    virtual void WriteBool(std::string_view name, bool value) = 0;
    // Ends the writing: writes what is deferred. Raises when that fails.
    virtual void Close() = 0;
};

class TPlacementStore
{
public:
    virtual ~TPlacementStore() = default;
    // The key for reading, or null when it does not exist.
    virtual std::unique_ptr<TPlacementKey> OpenForReading(const std::string& path) = 0;
    // The key for writing, created when missing. Raises when it cannot be opened for writing.
    virtual std::unique_ptr<TPlacementKey> OpenForWriting(const std::string& path) = 0;
};

// The per-user registry (platform/Registry.h), HKEY_CURRENT_USER. Reading opens keys with read
// access; writing with read and write access, deferring the values and writing them together when
// the key is closed (one file replacement per save).
std::shared_ptr<TPlacementStore> RegistryPlacementStore();

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
