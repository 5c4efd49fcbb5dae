// Autostart entries as session starters read them: GLib's (GNOME, Xfce, Cinnamon, MATE use it) run
// through `gio launch`, and systemd's generator for XDG autostart. Each must start the program at
// its path, however odd, with "/tray"; and the entry names the file this process runs from.
// (A % in the program's path is written %% as the rules ask, but both look the program up before
// they undo it: such a path cannot start at logon through them.)

#include "platform/Autostart.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "RegistryTestSupport.h"

namespace {

namespace fs = std::filesystem;

constexpr char Generator[] = "/usr/lib/systemd/user-generators/systemd-xdg-autostart-generator";

// `text` in single quotes for sh.
std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A program at `path` that writes its own path and arguments, one per line, to `record` (whole: the
// file appears by a rename).
void MakeRecordingProgram(const fs::path& path, const fs::path& record)
{
    fs::create_directories(path.parent_path());
    const std::string partial = ShellQuoted(record.string() + ".partial");
    std::ofstream(path) << "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > " << partial << " && mv " << partial
                        << ' ' << ShellQuoted(record.string()) << "\n";
    fs::permissions(path, fs::perms::owner_all);
}

bool HaveProgram(const char* name)
{
    return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

struct Starter
{
    fs::path folder;
    fs::path autostart;
    fs::path home;

    explicit Starter(const fs::path& root)
        : folder(root), autostart(root / "config" / "autostart"), home(root / "home")
    {
        fs::create_directories(autostart);
        fs::create_directories(home);
    }

    std::string Environment() const
    {
        return "env -i PATH=/usr/bin:/bin HOME=" + ShellQuoted(home.string()) +
               " XDG_CONFIG_HOME=" + ShellQuoted((folder / "config").string()) +
               " XDG_CONFIG_DIRS=/nonexistent XDG_DATA_HOME=" + ShellQuoted(home.string()) + " ";
    }

    // The entry as GLib starts it; the program's record.
    std::string GioLaunch(const std::string& file, const fs::path& record) const
    {
        fs::remove(record);
        const std::string command =
            Environment() + "gio launch " + ShellQuoted((autostart / file).string()) + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return "gio launch failed";
        // gio returns once the program is spawned; the record follows at once.
        for (int i = 0; i < 1000 && !fs::exists(record); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return ReadAll(record);
    }

    // The service systemd's generator makes of the entry ("" when it rejects it).
    std::string GeneratedService(const std::string& file) const
    {
        const fs::path units = folder / "units";
        fs::remove_all(units);
        fs::create_directories(units);
        const std::string u = ShellQuoted(units.string());
        std::system((Environment() + Generator + " " + u + " " + u + " " + u + " >/dev/null 2>&1").c_str());
        const std::string stem = file.substr(0, file.size() - std::string(".desktop").size());
        const fs::path service = units / ("app-" + stem + "@autostart.service");
        return fs::exists(service) ? ReadAll(service) : std::string();
    }
};

TEST(Autostart, SessionStartersRunTheProgramAtAnyPath)
{
    if (!HaveProgram("gio"))
        GTEST_SKIP() << "gio (libglib2.0-bin) is missing: run scripts/install-deps";
    regtest::TempFolder temp;
    const Starter starter(temp.Path());
    const fs::path record = temp.Path() / "record";
    struct Case
    {
        const char* folder;
        bool systemdReadsIt; // systemd 252 reads a backslash in Exec as a C escape
    };
    const Case cases[] = {
        {"plain", true},        {"with blanks and 'quotes'", true},
        {"dollar$HOME", true},  {"double\"quote", true},
        {"back`tick`", true},   {"caf\xc3\xa9", true},
        {"back\\slash", false}, {"tab\tand\nnewline", false},
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path program = temp.Path() / "programs" / c.folder / "quorcalc";
        MakeRecordingProgram(program, record);
        const std::string file = "test.entry" + std::to_string(++n) + ".desktop";
        std::ofstream(starter.autostart / file)
            << platform::AutostartEntryText("Quorlane Calculator", program.string(), "/tray", "x.y.Z");
        EXPECT_EQ(starter.GioLaunch(file, record), program.string() + "\n/tray\n") << c.folder;
        if (fs::exists(Generator) && c.systemdReadsIt) {
            const std::string service = starter.GeneratedService(file);
            EXPECT_NE(service.find("ExecStart="), std::string::npos) << c.folder << ": rejected by systemd";
        }
    }
}

TEST(Autostart, TheEntryNamesTheFileThisProcessRunsFrom)
{
    EXPECT_EQ(platform::RunningProgramPath(), fs::canonical("/proc/self/exe"));

    // A program replaced while it runs (a package upgrade): the kernel marks the old file deleted,
    // the entry names the new file at the same path; a file gone for good is an error.
    regtest::TempFolder temp;
    const fs::path file = temp.Path() / "quorcalc";
    std::ofstream(file) << "new version";
    EXPECT_EQ(platform::ProgramPathFromExeLink(file.string() + " (deleted)"), file);
    EXPECT_EQ(platform::ProgramPathFromExeLink(file.string()), file);
    EXPECT_THROW(platform::ProgramPathFromExeLink((temp.Path() / "gone").string() + " (deleted)"),
                 std::runtime_error);
}

} // namespace
