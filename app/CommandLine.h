#pragma once
// What the command line and the environment decide before any window exists: `--help` and
// `--version` answer on the terminal without a display, and a start without a display ends with one
// line instead of the toolkit's abort.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Handles --help, -h and --version anywhere on the command line: writes the answer to `out` (errors
// to `err`) and returns the exit status; nullopt when the calculator is to run. An argument that is
// neither "/tray" nor an option of the Qt toolkit's gets a usage line on `err` and status 2.
std::optional<int> AnswerInformationOptions(const std::vector<std::string>& arguments, std::ostream& out,
                                            std::ostream& err);

// The line to end with when no window system is named: no platform chosen (QT_QPA_PLATFORM or
// -platform) and neither DISPLAY nor WAYLAND_DISPLAY set. nullopt when there is one to try.
std::optional<std::string> MissingDisplay(const std::vector<std::string>& arguments,
                                          const std::function<std::string(const char*)>& environment);

// While it lives, a fatal message of the toolkit (no window system could be opened) ends the process
// with one line naming the reason and exit status 1; other messages wait and are passed on when it
// ends, so a failed start shows only that line.
class DisplayFailureGuard
{
public:
    DisplayFailureGuard();
    ~DisplayFailureGuard();
    DisplayFailureGuard(const DisplayFailureGuard&) = delete;
    DisplayFailureGuard& operator=(const DisplayFailureGuard&) = delete;
};
