// The engine on arbitrary key sequences and clipboard texts: no exception escapes a key, the display
// always holds a number in display form or one of the error texts, and replaying the engine's record
// gives exactly what the keys gave.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzHost.h"
#include "decimal/StBCD.h"
#include "engine/CalcEngine.h"
#include "engine/TextHelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RecordingHost host;
    engine::CalcEngine calc(host);
    const engine::CalcState start = calc.State();
    constexpr int keyCount = static_cast<int>(engine::CalcKey::NonAdd) + 1;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = data[i];
        if (b >= 0xF0 && i + 1 < size) {
            // A paste of the next few bytes as clipboard text.
            const std::size_t n = std::min<std::size_t>(b & 0x0F, size - i - 1);
            calc.Paste(std::string(reinterpret_cast<const char*>(data + i + 1), n));
            i += n;
        } else if (b >= 0xE0 && i + 1 < size) {
            // The adding machine's switches from the next byte.
            const std::uint8_t o = data[++i];
            calc.SetOptions({static_cast<engine::DecimalPlaces>(o % 6),
                             static_cast<TBcdRounding>((o >> 3) % 3), (o & 0x40) != 0, (o & 0x80) != 0});
        } else {
            calc.Press(static_cast<engine::CalcKey>(b % keyCount));
        }
        const engine::CalcState& s = calc.State();
        if (s.ErrorState || host.display.empty())
            continue;
        // The display reads back as a number (an entry in progress may end in the decimal point),
        // and the memory register never holds an error text.
        if (!IsANumber(calc.RemoveCommas(host.display), s.DecimalChar) ||
            !IsANumber(s.MemoryText, s.DecimalChar))
            std::abort();
    }
    RecordingHost again;
    engine::CalcEngine replayed(again, {}, start);
    for (const engine::CalcStep& step : calc.Record())
        replayed.Replay(step);
    if (again.display != host.display || again.status != host.status || again.told != host.told ||
        replayed.State() != calc.State())
        std::abort();
    return 0;
}
