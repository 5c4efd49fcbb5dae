// The file parsers on arbitrary bytes: a registry hive file and a version block (bare, or inside an
// ELF file). No crash; a hive that parses writes back to a text that parses to the same hive.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "platform/RegistryHive.h"
#include "platform/VersionInfoBlock.h"
#include "platform/VersionInfoElf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const platform::reghive::ParseResult parsed = platform::reghive::Parse(text, "HKEY_CURRENT_USER");
    const std::string written = parsed.hive.Format("HKEY_CURRENT_USER");
    const platform::reghive::ParseResult again = platform::reghive::Parse(written, "HKEY_CURRENT_USER");
    if (again.damaged || !(again.hive == parsed.hive))
        std::abort();

    const std::span<const std::uint8_t> bytes(data, size);
    for (const char* path : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904e4\\CompanyName"})
        (void)platform::VerQueryValue(bytes, path);
    // The bytes as a file, as the program reads its executable: an in-memory file, rewritten each time.
    static const int fd = ::memfd_create("fuzz-image", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();
    platform::FileByteSource file;
    if (file.Open("/proc/self/fd/" + std::to_string(fd)) != platform::FileByteSource::OpenResult::Ok)
        std::abort();
    if (const auto block = platform::FindVersionBlock(file))
        (void)platform::VerQueryValue(*block, "\\StringFileInfo\\040904e4\\FileVersion");
    return 0;
}
