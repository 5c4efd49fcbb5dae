// The typed settings layer on arbitrary settings files: the option and placement readers never
// fail, whatever the types and numbers stored; the options written at a close read back as they
// were written, in a file within the reading limit that reads without damage.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "controls/ElasticMath.h"
#include "controls/ElasticPlacement.h"
#include "platform/AtomicFile.h"
#include "platform/Registry.h"
#include "platform/RegistryHive.h"
#include "ui/SettingsStore.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// A folder of its own for the run: in memory where possible (the syncs then cost nothing), removed
// at the end.
struct RunFolder
{
    RunFolder()
    {
        const std::filesystem::path shm = "/dev/shm";
        std::string pattern =
            ((std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path()) /
             "fuzz-settings-XXXXXX")
                .string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path = pattern;
    }
    ~RunFolder() { std::filesystem::remove_all(path); }
    std::filesystem::path path;
};

void ReadThePlacement()
{
    platform::TRegistry key;
    if (!key.OpenKey("Software\\Quorlane\\Calculator\\1.0\\frmMain", false))
        return;
    for (const char* name : {elastic::TotalControlsValue, elastic::WindowStateValue,
                             elastic::MaxTrackWidthValue, elastic::MaxTrackHeightValue})
        (void)elastic::ReadStoredInteger(key, name);
    for (const char* name :
         {elastic::LeftValue, elastic::TopValue, elastic::WidthValue, elastic::HeightValue}) {
        const double fraction = elastic::SaneStoredFraction(key.ReadFloat(name).value_or(0.0));
        (void)elastic::StoredPosition(fraction, 1920);
        (void)elastic::StoredExtent(fraction, 1080, 200);
    }
    for (const auto& value : elastic::PlacementValues)
        (void)elastic::SaneStoredCoordinate(elastic::ReadStoredInteger(key, value.name).value_or(0));
    for (int i = 0; i < 40; ++i)
        (void)elastic::ReadStoredInteger(key, elastic::VisibleValue(i));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const RunFolder root;
    static std::uint64_t run = 0;
    // A new folder every time: the store keeps what it read of a folder's file.
    const std::filesystem::path folder = root.path / std::to_string(run++);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "user.reg", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    {
        const platform::ScopedHiveDirectory hive(folder);
        ui::StoredOptions options;
        ui::ReadOptions(options);
        ReadThePlacement();

        bool written = true;
        try {
            ui::WriteOptions(options);
        } catch (const platform::ERegistryException& e) {
            // Only a file that would grow beyond the reading limit is refused.
            Check(e.Cause().value() == EFBIG);
            written = false;
        }
        if (written) {
            ui::StoredOptions again;
            ui::ReadOptions(again);
            Check(again == options);
            const auto file = platform::files::ReadWholeFile(platform::TRegistry::HiveFile(),
                                                             platform::regfile::MaxHiveFileSize);
            Check(file.state == platform::files::FileContents::State::Read);
            Check(!platform::reghive::Parse(file.bytes, "HKEY_CURRENT_USER").damaged);
        }
    }
    std::filesystem::remove_all(folder);
    return 0;
}
