#pragma once
// The program's exception scheme: an exception carries a 32-bit code, `ErrorId`, and its message is
// that code's text in the program's message table. The decimal type (codes 81-85) uses it now; the
// tray icon's errors will use the same table.

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

// Message-table codes of the decimal type.
namespace stcodes {
inline constexpr std::int32_t BcdBadFormat = 81;   // "Bad BCD format"
inline constexpr std::int32_t BcdOverflow = 82;    // "BCD larger than 10**64"
inline constexpr std::int32_t BcdDivByZero = 83;   // "BCD divide by zero"
inline constexpr std::int32_t BcdBadInput = 84;    // "BCD negative input to sqrt, ln, or power"
inline constexpr std::int32_t BcdBufOverflow = 85; // "Buffer overflow in FormatBcd"
} // namespace stcodes
