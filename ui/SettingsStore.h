#pragma once
// The main window's options in the per-user registry: read once while the window is created,
// written at every close request.

#include <exception>
#include <string>

namespace ui {

// Under HKEY_CURRENT_USER.
inline constexpr char ProductKey[] = "\\Software\\Quorlane\\Calculator\\1.0\\";
inline constexpr char SettingsKey[] = "\\Software\\Quorlane\\Calculator\\1.0\\Settings";

// The options as stored; the defaults are the menu items' design states and scheme 0.
struct StoredOptions
{
    bool Flat = false;
    bool Tape = true;
    bool OnTop = false;
    bool TrayIcon = false;
    bool RunOnStartup = false;
    int Color = 0;
    bool KeepTape = false;
    // The adding machine's switches: DecimalPlaces 0 Floating, 1 to 4 for 0, 2, 3 and 4 places, 5 Add;
    // Rounding 0 5/4, 1 Up, 2 Down; GrandTotal and ItemCount on or off.
    int DecimalPlaces = 0;
    int Rounding = 0;
    bool GrandTotal = false;
    bool ItemCount = false;

    bool operator==(const StoredOptions&) const = default;
};

// Reads the options into `options`: Flat, Tape, OnTop, TrayIcon, RunOnStartup, Color, KeepTape,
// DecimalPlaces, Rounding, GrandTotal, ItemCount.
// Each is read on its own: a value that is missing or of another type keeps its default, the others
// are read. A pending "FirstRun" first deletes the window's stored placement, then sets "Tape" on and
// clears "FirstRun" (one write; when it fails, "FirstRun" stays pending and the options are read all
// the same); a "FirstRun" of another type counts as not pending. An options key without "FirstRun"
// gives no options at all. A hive that cannot be written is still read.
void ReadOptions(StoredOptions& options);

// Writes every option, and "FirstRun" = 0 when it is missing or of another type (so the options
// written are read at the next start), in one replacement of the settings file. A failure raises
// ERegistryException ("Failed to set data for '<value>'") with the system's reason as its Cause().
void WriteOptions(const StoredOptions& options);

// What reading the options kept aside of a settings file that could not be read in full, as a text
// for the user: the file, why, where it went and what that means ("\r" breaks the line); "" when
// nothing was. Told once: the next call gives "".
std::string TakeSetAsideText();

// The text telling that writing the options failed with `error`: its message, the settings file and
// the system's reason ("\r" breaks the line).
std::string OptionsNotSavedText(const std::exception& error);

} // namespace ui
