// settings-writer write | once | check: the options' store under a kill -9 loop
// (tests/ui/kill_during_writes.py). "write" stores two sets of options in turn, for ever, as the
// calculator's close stores them; "once" stores set A once;
// "check" tells which set the settings file holds ("A", "B", "none" or "mixed"), whether the file
// reads without damage, and how many temporary files lie beside it. The settings file is the one of
// the environment (QUORLANE_USER_HIVE_DIR).

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/Registry.h"
#include "platform/RegistryHive.h"
#include "ui/SettingsStore.h"

namespace {

const ui::StoredOptions setA{true, false, true, false, true, 3};
const ui::StoredOptions setB{false, true, false, true, false, 4};

int Check()
{
    const std::filesystem::path file = platform::TRegistry::HiveFile();
    const auto contents = platform::files::ReadWholeFile(file, platform::regfile::MaxHiveFileSize);
    const bool damaged = contents.state == platform::files::FileContents::State::Read &&
                         platform::reghive::Parse(contents.bytes, "HKEY_CURRENT_USER").damaged;
    const char* held = "none";
    if (contents.state == platform::files::FileContents::State::Read) {
        platform::TRegistry reg;
        if (reg.OpenKey(ui::SettingsKey, false) && reg.ValueExists("FirstRun")) {
            ui::StoredOptions stored{};
            stored.Tape = false;
            ui::ReadOptions(stored);
            held = stored == setA ? "A" : stored == setB ? "B" : "mixed";
        }
    }
    int temporaries = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), error))
        temporaries += entry.path().filename().string().starts_with(".user.reg.");
    std::printf("%s %s %d\n", held, damaged ? "damaged" : "sound", temporaries);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "check") == 0)
        return Check();
    if (argc == 2 && std::strcmp(argv[1], "once") == 0) {
        ui::WriteOptions(setA);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "write") == 0) {
        for (unsigned n = 0;; ++n)
            ui::WriteOptions(n % 2 ? setB : setA);
    }
    std::fprintf(stderr, "usage: settings-writer write | once | check\n");
    return 2;
}
