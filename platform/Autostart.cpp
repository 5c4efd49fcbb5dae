#include "platform/Autostart.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "platform/AtomicFile.h"

namespace platform {
namespace fs = std::filesystem;

namespace {

fs::path EnvPath(const char* name)
{
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? fs::path(v) : fs::path();
}

// Replaces `file` by `text` atomically, creating its folder; false when it cannot.
bool WriteEntry(const fs::path& file, std::string_view text)
{
    try {
        files::WriteFileAtomically(file, text, files::DocumentFileMode(), 0777);
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool ValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80                   ? 1
                           : lead >= 0xC2 && lead < 0xE0 ? 2
                           : lead >= 0xE0 && lead < 0xF0 ? 3
                           : lead >= 0xF0 && lead < 0xF5 ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size())
            return false;
        char32_t value = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = value << 6 | (next & 0x3F);
        }
        constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
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

namespace {

// Whether `text` can go into an entry: UTF-8 without control characters but newline, tab and CR
// (which the entry escapes). Throws std::runtime_error otherwise.
void CheckEntryText(std::string_view text)
{
    if (!ValidUtf8(text))
        throw std::runtime_error(
            "The program could not be set to start at logon: its path is not UTF-8 text, "
            "which an autostart entry cannot hold.");
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r') || c == 0x7f)
            throw std::runtime_error("The program could not be set to start at logon: its path holds a "
                                     "control character, which an autostart entry cannot hold.");
    }
}

} // namespace

std::string DesktopExecArgument(std::string_view argument)
{
    CheckEntryText(argument);
    std::string quoted = "\"";
    for (const char c : argument) {
        switch (c) {
        case '"':
        case '`':
        case '$':
            quoted += "\\\\"; // the Exec rules' backslash, itself escaped for the string syntax
            quoted += c;
            break;
        case '\\':
            quoted += "\\\\\\\\"; // escaped for the Exec line, then both for the string syntax
            break;
        case '%':
            quoted += "%%";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\t':
            quoted += "\\t";
            break;
        case '\r':
            quoted += "\\r";
            break;
        default:
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string DesktopStringValue(std::string_view text)
{
    CheckEntryText(text);
    std::string value;
    for (const char c : text) {
        switch (c) {
        case '\\':
            value += "\\\\";
            break;
        case '\n':
            value += "\\n";
            break;
        case '\t':
            value += "\\t";
            break;
        case '\r':
            value += "\\r";
            break;
        case ' ':
            value += value.empty() ? "\\s" : " ";
            break;
        default:
            value += c;
        }
    }
    return value;
}

std::string AutostartEntryText(std::string_view name, std::string_view program, std::string_view arguments,
                               std::string_view icon)
{
    std::string text = "[Desktop Entry]\nType=Application\nName=";
    text += name;
    text += "\nTryExec=";
    text += DesktopStringValue(program);
    text += "\nExec=";
    text += DesktopExecArgument(program);
    if (!arguments.empty()) {
        text += ' ';
        text += arguments;
    }
    if (!icon.empty()) {
        text += "\nIcon=";
        text += icon;
    }
    text += "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    return text;
}

fs::path ProgramPathFromExeLink(std::string_view link)
{
    std::error_code ec;
    const fs::path path(link);
    if (fs::exists(path, ec))
        return path;
    // The kernel marks a file that was unlinked while it runs; a package upgrade puts the new version
    // at the same path.
    constexpr std::string_view deleted = " (deleted)";
    if (link.size() > deleted.size() && link.ends_with(deleted)) {
        const fs::path replaced(link.substr(0, link.size() - deleted.size()));
        if (fs::exists(replaced, ec))
            return replaced;
    }
    throw std::runtime_error("The program could not be set to start at logon: its file " + std::string(link) +
                             " no longer exists.");
}

fs::path RunningProgramPath()
{
    std::error_code ec;
    const fs::path link = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        throw std::runtime_error("The program could not be set to start at logon: its own file cannot be "
                                 "found (/proc/self/exe: " +
                                 ec.message() + ").");
    return ProgramPathFromExeLink(link.native());
}

fs::path WriteAutostartEntry(const AutostartFolders& folders, std::string_view fileName,
                             std::string_view text)
{
    const fs::path user = folders.user / fileName;
    if (WriteEntry(user, text)) {
        // An entry an earlier build wrote for every user goes where this user may remove it (root).
        std::error_code ec;
        fs::remove(folders.system / fileName, ec);
        return user;
    }
    throw std::runtime_error("The program could not be set to start at logon: " + folders.user.string() +
                             " cannot be written.");
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
            if (!WriteEntry(folders.user / fileName, hidden))
                throw std::runtime_error(
                    "The program could not be kept from starting at logon: " + system.string() +
                    " cannot be removed and " + folders.user.string() + " cannot be written.");
        }
    }
}

} // namespace platform
