#pragma once
// The program's exception scheme: an exception carries a 32-bit code, `ErrorId`, and its message is
// that code's text in the program's message table: the decimal type (81-85), the notification-area
// icon (119-135) and the version reader (200-202).

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// The text of a message-table code; an unknown code gives "Error <code>".
std::string StMessageText(std::int32_t code);

class EStException : public std::runtime_error
{
public:
    // Message from the message table.
    explicit EStException(std::int32_t code);
    // Message given explicitly.
    EStException(std::int32_t code, const std::string& message);

    std::int32_t ErrorId;
};

// Message-table codes.
namespace stcodes {
inline constexpr std::int32_t BcdBadFormat = 81;   // "Bad BCD format"
inline constexpr std::int32_t BcdOverflow = 82;    // "BCD larger than 10**64"
inline constexpr std::int32_t BcdDivByZero = 83;   // "BCD divide by zero"
inline constexpr std::int32_t BcdBadInput = 84;    // "BCD negative input to sqrt, ln, or power"
inline constexpr std::int32_t BcdBufOverflow = 85; // "Buffer overflow in FormatBcd"
// The notification-area icon.
inline constexpr std::int32_t TrayAddError = 119;    // "Error adding tray icon"
inline constexpr std::int32_t TrayError = 121;       // "Tray icon error"
inline constexpr std::int32_t TrayOnlyOne = 133;     // "Cannot have more than one StTrayIcon per application"
inline constexpr std::int32_t TrayNoImageList = 135; // "ImageList is not assigned"
// The version reader; each text has one %s, the file name.
inline constexpr std::int32_t VersionInfoNotFound = 200;   // "File version information not found: %s"
inline constexpr std::int32_t VersionFileNotFound = 201;   // "File not found: %s"
inline constexpr std::int32_t VersionFileUnreadable = 202; // "Cannot read file: %s"
} // namespace stcodes
