#include "platform/Autostart.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace fs = std::filesystem;

namespace {

fs::path EnvPath(const char* name)
{
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? fs::path(v) : fs::path();
}

// Writes `text` to `file` through a temporary file and a rename; false when it cannot.
bool WriteFileAtomically(const fs::path& file, std::string_view text)
{
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec || ::access(file.parent_path().c_str(), W_OK) != 0)
        return false;
    const fs::path temp = file.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, file, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool Hidden(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line == "Hidden=true")
            return true;
    }
    return false;
}

} // namespace

AutostartFolders DefaultAutostartFolders()
{
    AutostartFolders f;
    f.system = EnvPath("QUORLANE_AUTOSTART_SYSTEM_DIR");
    if (f.system.empty())
        f.system = "/etc/xdg/autostart";
    f.user = EnvPath("QUORLANE_AUTOSTART_USER_DIR");
    if (f.user.empty()) {
        const fs::path config = EnvPath("XDG_CONFIG_HOME");
        f.user = !config.empty() ? config / "autostart" : EnvPath("HOME") / ".config" / "autostart";
    }
    return f;
}

std::string DesktopExecArgument(std::string_view argument)
{
    std::string quoted = "\"";
    for (const char c : argument) {
        switch (c) {
        case '"':
        case '`':
        case '$':
            quoted += '\\';
            quoted += c;
            break;
        case '\\':
            quoted += "\\\\\\\\"; // escaped for the Exec line, then for the file's string syntax
            break;
        case '%':
            quoted += "%%";
            break;
        default:
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string AutostartEntryText(std::string_view name, std::string_view program, std::string_view arguments)
{
    std::string text = "[Desktop Entry]\nType=Application\nName=";
    text += name;
    text += "\nExec=";
    text += DesktopExecArgument(program);
    if (!arguments.empty()) {
        text += ' ';
        text += arguments;
    }
    text += "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    return text;
}

fs::path WriteAutostartEntry(const AutostartFolders& folders, std::string_view fileName,
                             std::string_view text)
{
    std::error_code ec;
    const fs::path system = folders.system / fileName;
    if (WriteFileAtomically(system, text)) {
        // A user entry (perhaps one that disabled the old system entry) would override it.
        fs::remove(folders.user / fileName, ec);
        return system;
    }
    const fs::path user = folders.user / fileName;
    if (WriteFileAtomically(user, text))
        return user;
    throw std::runtime_error("The program could not be set to start at logon: neither " +
                             folders.system.string() + " nor " + folders.user.string() + " can be written.");
}

void RemoveAutostartEntry(const AutostartFolders& folders, std::string_view fileName)
{
    std::error_code ec;
    fs::remove(folders.user / fileName, ec);
    const fs::path system = folders.system / fileName;
    if (fs::exists(system, ec)) {
        fs::remove(system, ec);
        if (fs::exists(system, ec)) {
            // Not ours to remove: disable it for this user.
            const std::string hidden =
                "[Desktop Entry]\nType=Application\nName=Quorlane Calculator\nHidden=true\n";
            if (!WriteFileAtomically(folders.user / fileName, hidden))
                throw std::runtime_error(
                    "The program could not be kept from starting at logon: " + system.string() +
                    " cannot be removed and " + folders.user.string() + " cannot be written.");
        }
    }
}

bool AutostartEntryActive(const AutostartFolders& folders, std::string_view fileName)
{
    std::error_code ec;
    const fs::path user = folders.user / fileName;
    if (fs::exists(user, ec))
        return !Hidden(user);
    const fs::path system = folders.system / fileName;
    return fs::exists(system, ec) && !Hidden(system);
}

} // namespace platform
