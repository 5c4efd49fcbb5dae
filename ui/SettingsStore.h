#pragma once
// The main window's options in the per-user registry: read once while the window is created,
// written at every close request.

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
};

// Reads the options into `options`, in the order Flat, Tape, OnTop, TrayIcon, RunOnStartup, Color,
// each taking effect at once. A registry error (missing key or value, wrong type) ends the reading
// silently at that point. A pending "FirstRun" first sets "Tape" on, clears "FirstRun" and deletes
// the window's stored placement; an options key without "FirstRun" gives no options at all.
void ReadOptions(StoredOptions& options);

// Writes every option (and "FirstRun" = 0 when the value is missing, so the options written are
// read at the next start); a registry error raises ERegistryException ("Failed to set data for
// '<value>'").
void WriteOptions(const StoredOptions& options);

} // namespace ui
