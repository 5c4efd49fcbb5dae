// The running instance's reading of a request on arbitrary bytes, arriving in arbitrary pieces: the
// answer never depends on how the bytes were split, and only the one-line request "activate" brings
// the window forward.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/InstanceGuard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    // The whole at once, as the client ends its data.
    const InstanceRequest whole = ParseInstanceRequest(bytes, true);
    // Piece by piece, as a socket may deliver it: the first answer that is not "incomplete" counts.
    const std::size_t step = 1 + data[0] % 16;
    std::string received;
    InstanceRequest pieces = InstanceRequest::Incomplete;
    for (std::size_t at = 0; at < bytes.size() && pieces == InstanceRequest::Incomplete; at += step) {
        received.append(bytes.substr(at, step));
        pieces = ParseInstanceRequest(received, false);
    }
    if (pieces == InstanceRequest::Incomplete)
        pieces = ParseInstanceRequest(received, true);
    if (pieces != whole)
        std::abort();
    const std::string_view line = bytes.substr(0, bytes.find('\n'));
    const bool activate = line == "activate" || line == "activate\r";
    if ((whole == InstanceRequest::Activate) != activate)
        std::abort();
    return 0;
}
