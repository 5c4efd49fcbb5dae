#include "base/StException.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<std::int32_t, std::string_view>, 12> messageTable{{
    {stcodes::BcdBadFormat, "Bad BCD format"},
    {stcodes::BcdOverflow, "BCD larger than 10**64"},
    {stcodes::BcdDivByZero, "BCD divide by zero"},
    {stcodes::BcdBadInput, "BCD negative input to sqrt, ln, or power"},
    {stcodes::BcdBufOverflow, "Buffer overflow in FormatBcd"},
    {stcodes::TrayAddError, "Error adding tray icon"},
    {stcodes::TrayError, "Tray icon error"},
    {stcodes::TrayOnlyOne, "Cannot have more than one StTrayIcon per application"},
    {stcodes::TrayNoImageList, "ImageList is not assigned"},
    {stcodes::VersionInfoNotFound, "File version information not found: %s"},
    {stcodes::VersionFileNotFound, "File not found: %s"},
    {stcodes::VersionFileUnreadable, "Cannot read file: %s"},
}};

} // namespace

std::string StMessageText(std::int32_t code)
{
    for (const auto& [id, text] : messageTable) {
        if (id == code)
            return std::string(text);
    }
    return "Error " + std::to_string(code);
}

EStException::EStException(std::int32_t code) : EStException(code, StMessageText(code)) {}

EStException::EStException(std::int32_t code, const std::string& message)
    : std::runtime_error(message), ErrorId(code)
{}
