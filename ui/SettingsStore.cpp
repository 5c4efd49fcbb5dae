#include "ui/SettingsStore.h"

#include "platform/Registry.h"

#include <cstdint>
#include <optional>

namespace ui {

using platform::TRegistry;

namespace {

// One value read on its own: a missing value, or one of another type, leaves `target` as it was.
template<typename T>
void ReadValue(const TRegistry& reg, const char* name, T& target)
{
    if (const std::optional<std::int32_t> number = reg.ReadInteger(name))
        target = static_cast<T>(*number); // any non-zero number is true
}

} // namespace

void ReadOptions(StoredOptions& options)
{
    TRegistry reg;
    if (!reg.OpenKey(SettingsKey, false))
        return;
    // Without "FirstRun" the key was not written by this program (nor by installation).
    if (!reg.ValueExists("FirstRun"))
        return;
    bool firstRun = false;
    ReadValue(reg, "FirstRun", firstRun); // another type: no first run pending
    try {
        if (firstRun) {
            // The stored placement goes first: should the program die between the two steps,
            // "FirstRun" is still pending and the next start does both again.
            reg.DeleteKey(std::string(ProductKey) + "frmMain");
            reg.WriteInteger("Tape", 1);
            reg.WriteInteger("FirstRun", 0);
            reg.CloseKey();
        }
    } catch (const platform::ERegistryException&) {
        // The first-run step could not be stored (it stays pending): a hive that cannot be written
        // is still read. A failed close has closed the key, so it is opened again below.
    }
    if (!reg.OpenKey(SettingsKey, false))
        return;
    ReadValue(reg, "Flat", options.Flat);
    ReadValue(reg, "Tape", options.Tape);
    ReadValue(reg, "OnTop", options.OnTop);
    ReadValue(reg, "TrayIcon", options.TrayIcon);
    ReadValue(reg, "RunOnStartup", options.RunOnStartup);
    ReadValue(reg, "Color", options.Color);
    ReadValue(reg, "KeepTape", options.KeepTape);
    ReadValue(reg, "DecimalPlaces", options.DecimalPlaces);
    ReadValue(reg, "Rounding", options.Rounding);
    ReadValue(reg, "GrandTotal", options.GrandTotal);
    ReadValue(reg, "ItemCount", options.ItemCount);
}

void WriteOptions(const StoredOptions& options)
{
    TRegistry reg; // all values in one replacement of the file
    reg.OpenKey(SettingsKey, true);
    reg.WriteInteger("Flat", options.Flat);
    reg.WriteInteger("Tape", options.Tape);
    reg.WriteInteger("OnTop", options.OnTop);
    reg.WriteInteger("TrayIcon", options.TrayIcon);
    reg.WriteInteger("RunOnStartup", options.RunOnStartup);
    reg.WriteInteger("Color", options.Color);
    reg.WriteInteger("KeepTape", options.KeepTape);
    reg.WriteInteger("DecimalPlaces", options.DecimalPlaces);
    reg.WriteInteger("Rounding", options.Rounding);
    reg.WriteInteger("GrandTotal", options.GrandTotal);
    reg.WriteInteger("ItemCount", options.ItemCount);
    // Without an installer nobody writes "FirstRun"; without it (or with a value of another type)
    // the options would never be read again.
    if (!reg.ReadInteger("FirstRun"))
        reg.WriteInteger("FirstRun", 0);
    reg.CloseKey();
}

std::string TakeSetAsideText()
{
    const std::optional<platform::SetAsideNotice> notice = TRegistry::TakeSetAsideNotice();
    if (!notice)
        return {};
    std::string text = "The settings file \"" + notice->file.string() +
                       "\" could not be read in full: " + notice->reason + ".\r\r";
    text += notice->copy.empty()
                ? "It could not be kept aside (" + notice->failure + ") and is left as it is."
                : "It was kept as \"" + notice->copy.string() + "\".";
    return text + " The options not read from it have their defaults; the calculator saves them anew when "
                  "it closes.";
}

std::string OptionsNotSavedText(const std::exception& error)
{
    std::string reason = "it cannot be written";
    if (const auto* registryError = dynamic_cast<const platform::ERegistryException*>(&error);
        registryError != nullptr && registryError->Cause())
        reason = registryError->Cause().message();
    return std::string(error.what()) + "\r\rThe options cannot be saved in \"" +
           TRegistry::HiveFile().string() + "\": " + reason + ".";
}

} // namespace ui
