// Edit > Paste with any clipboard text, long ones too, under every pair of separators a locale can
// give: no exception escapes, and the display holds a number in display form or an error text, also
// after the keys that compute with it.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzHost.h"
#include "decimal/StBCD.h"
#include "engine/CalcEngine.h"

namespace {

void CheckDisplay(const engine::CalcEngine& calc, const NullHost& host)
{
    if (!calc.State().ErrorState && !host.display.empty() &&
        !IsANumber(calc.RemoveCommas(host.display), calc.State().DecimalChar))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // Decimal and thousands separators: every pair of different ones among . , blank and '.
    constexpr char separators[] = {'.', ',', ' ', '\''};
    const char decimal = separators[data[0] & 3];
    char group = separators[(data[0] >> 2) & 3];
    if (group == decimal)
        group = decimal == ',' ? '.' : ',';
    NullHost host;
    engine::CalcEngine calc(host, {decimal, group});
    // The rest is the clipboard's text; bit 4 types a number first, bit 5 pastes into an operation.
    if (data[0] & 0x10)
        calc.Press(engine::CalcKey::D7);
    if (data[0] & 0x20)
        calc.Press(engine::CalcKey::Add);
    calc.Paste(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    CheckDisplay(calc, host);
    for (const engine::CalcKey key : {engine::CalcKey::Multiply, engine::CalcKey::D3, engine::CalcKey::Equals,
                                      engine::CalcKey::SquareRoot, engine::CalcKey::MAdd}) {
        calc.Press(key);
        CheckDisplay(calc, host);
    }
    return 0;
}
