// The file parsers on arbitrary bytes: a registry hive file and a version block (bare, or inside an
// ELF file). No crash; a hive that parses writes back to a text that reads back to the same text.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "platform/RegistryHive.h"
#include "platform/VersionInfo.h"
#include "platform/VersionInfoBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const platform::reghive::ParseResult parsed = platform::reghive::Parse(text, "HKEY_CURRENT_USER");
    const std::string written = parsed.hive.Format("HKEY_CURRENT_USER");
    const platform::reghive::ParseResult again = platform::reghive::Parse(written, "HKEY_CURRENT_USER");
    if (again.damaged || again.hive.Format("HKEY_CURRENT_USER") != written)
        std::abort();

    const std::span<const std::uint8_t> bytes(data, size);
    (void)platform::FindVersionString(bytes, u"CompanyName");
    // The bytes as a file, as the program reads its executable: an in-memory file, rewritten each time.
    static const int fd = ::memfd_create("fuzz-image", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();
    try {
        (void)platform::FindVersionString(
            platform::ReadFileVersionBlock("/proc/self/fd/" + std::to_string(fd)), u"FileVersion");
    } catch (const EStVersionInfoError& e) {
        if (e.ErrorId != stcodes::VersionInfoNotFound) // the file is there and readable
            std::abort();
    }
    return 0;
}
