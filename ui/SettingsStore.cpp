#include "ui/SettingsStore.h"

#include "platform/Registry.h"

namespace ui {

using platform::TRegistry;

void ReadOptions(StoredOptions& options)
{
    TRegistry reg(platform::KEY_READ | platform::KEY_WRITE);
    reg.SetRootKey(platform::HKEY_CURRENT_USER);
    try {
        if (reg.OpenKey(SettingsKey, false) && reg.ReadBool("FirstRun")) {
            reg.WriteBool("Tape", true);
            reg.WriteBool("FirstRun", false);
            if (reg.OpenKey(ProductKey, false))
                reg.DeleteKey("frmMain");
        }
        if (!reg.OpenKey(SettingsKey, false))
            return;
        options.Flat = reg.ReadBool("Flat");
        options.Tape = reg.ReadBool("Tape");
        options.OnTop = reg.ReadBool("OnTop");
        options.TrayIcon = reg.ReadBool("TrayIcon");
        options.RunOnStartup = reg.ReadBool("RunOnStartup");
        options.Color = reg.ReadInteger("Color");
    } catch (const platform::ERegistryException&) {
        // Unreadable options keep their defaults; nothing is reported.
    }
    try {
        reg.CloseKey();
    } catch (const platform::ERegistryException&) {
    }
}

void WriteOptions(const StoredOptions& options)
{
    TRegistry reg(platform::KEY_READ | platform::KEY_WRITE);
    reg.SetRootKey(platform::HKEY_CURRENT_USER);
    reg.OpenKey(SettingsKey, true); // when it fails, the first write reports it
    reg.WriteBool("Flat", options.Flat);
    reg.WriteBool("Tape", options.Tape);
    reg.WriteBool("OnTop", options.OnTop);
    reg.WriteBool("TrayIcon", options.TrayIcon);
    reg.WriteBool("RunOnStartup", options.RunOnStartup);
    reg.WriteInteger("Color", options.Color);
    // Without an installer nobody writes "FirstRun"; without it the options would never be read.
    if (!reg.ValueExists("FirstRun"))
        reg.WriteBool("FirstRun", false);
    reg.CloseKey();
}

} // namespace ui
