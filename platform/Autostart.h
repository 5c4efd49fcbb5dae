#pragma once
// Starting the program when the user logs on: a Desktop Entry in the user's own XDG autostart
// folder, for root as for everybody (the system-wide folder would start it for every user). Its
// TryExec names the program, so that session starters skip the entry once the program is removed.

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

struct AutostartFolders
{
    std::filesystem::path system; // /etc/xdg/autostart: only read, for entries earlier builds wrote there
    std::filesystem::path user;   // $XDG_CONFIG_HOME/autostart (~/.config/autostart)
};

// The folders of this machine and user; QUORLANE_AUTOSTART_SYSTEM_DIR and QUORLANE_AUTOSTART_USER_DIR
// replace them (tests).
AutostartFolders DefaultAutostartFolders();

// `argument` as one argument of a Desktop Entry's Exec line, as the file holds it. The Exec rules put
// it in double quotes with the double quote, backquote, dollar and backslash escaped by a backslash
// and % written %%; the file's string syntax then doubles every backslash and writes a newline, tab
// or CR as \n, \t, \r. Throws std::runtime_error for what an entry cannot hold: text that is not
// UTF-8, or another control character.
std::string DesktopExecArgument(std::string_view argument);

// `text` as a string value of a Desktop Entry (TryExec): a backslash, newline, tab, CR and a leading
// blank escaped. Throws std::runtime_error as DesktopExecArgument does.
std::string DesktopStringValue(std::string_view text);

// The entry's text: runs `program` with `arguments` (already written as Exec arguments), only while
// `program` exists (TryExec), shown with the icon named `icon` where session settings list it.
std::string AutostartEntryText(std::string_view name, std::string_view program, std::string_view arguments,
                               std::string_view icon = {});

// The running program's file, from /proc/self/exe with every link resolved: the file an autostart
// entry should start. A program file replaced while it runs (a package upgrade) counts as the file
// now at its path. Throws std::runtime_error when the file is gone.
std::filesystem::path RunningProgramPath();

// The same from the text of the /proc/self/exe link (tests): "PATH (deleted)" names PATH when a file
// is there again.
std::filesystem::path ProgramPathFromExeLink(std::string_view link);

// Writes `fileName` (e.g. "quorlane-calculator.desktop") into the user's folder; returns the file
// written. Throws std::runtime_error naming the folder when it cannot be written.
std::filesystem::path WriteAutostartEntry(const AutostartFolders& folders, std::string_view fileName,
                                          std::string_view text);

// Removes the entry wherever it may be removed. A system entry this user may not remove is disabled
// for this user by a "Hidden=true" entry in the user's folder. Throws when the entry stays active.
void RemoveAutostartEntry(const AutostartFolders& folders, std::string_view fileName);

} // namespace platform
