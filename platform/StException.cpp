#include "platform/StException.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<std::int32_t, std::string_view>, 5> messageTable{{
    {stcodes::BcdBadFormat, "Bad BCD format"},
    {stcodes::BcdOverflow, "BCD larger than 10**64"},
    {stcodes::BcdDivByZero, "BCD divide by zero"},
    {stcodes::BcdBadInput, "BCD negative input to sqrt, ln, or power"},
    {stcodes::BcdBufOverflow, "Buffer overflow in FormatBcd"},
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
