#include "tests/fakes/TrayShellFake.h"

#include <algorithm>

namespace platform::tray {

bool TFakeTrayShell::NotifyIcon(DWORD message, const NotifyIconBytes& record)
{
    Call call;
    call.message = message;
    call.bytes = record;
    call.data = FromBytes(record);
    call.icon = IconFromHandle(call.data.hIcon);

    const auto same = [&](const NOTIFYICONDATA& icon) {
        return icon.hWnd == call.data.hWnd && icon.uID == call.data.uID;
    };
    const auto it = std::find_if(icons_.begin(), icons_.end(), same);
    const bool wellFormed = call.data.cbSize == NotifyIconDataSize;
    switch (message) {
    case NIM_ADD:
        call.result = wellFormed && available_ && !failAdd && it == icons_.end();
        if (call.result)
            icons_.push_back(call.data);
        break;
    case NIM_MODIFY:
        call.result = wellFormed && !failModify && it != icons_.end();
        if (call.result)
            *it = call.data;
        break;
    case NIM_DELETE:
        call.result = wellFormed && !failDelete && it != icons_.end();
        if (call.result)
            icons_.erase(it);
        break;
    default:
        break;
    }
    calls_.push_back(call);
    return call.result;
}

void TFakeTrayShell::SetAvailable(bool available)
{
    if (available == available_)
        return;
    available_ = available;
    emit TrayShellEvents().AvailabilityChanged(available);
}

std::vector<TFakeTrayShell::Call> TFakeTrayShell::CallsOf(DWORD message) const
{
    std::vector<Call> result;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(result),
                 [message](const Call& call) { return call.message == message; });
    return result;
}

std::optional<NOTIFYICONDATA> TFakeTrayShell::IconOf(HWND window, UINT id) const
{
    const auto it = std::find_if(icons_.begin(), icons_.end(), [&](const NOTIFYICONDATA& icon) {
        return icon.hWnd == window && icon.uID == id;
    });
    return it == icons_.end() ? std::nullopt : std::optional<NOTIFYICONDATA>(*it);
}

LRESULT TFakeTrayShell::Mouse(LPARAM mouseMessage)
{
    if (icons_.empty())
        return 0;
    const NOTIFYICONDATA icon = icons_.back();
    return SendNotifyWindowMessage(icon.hWnd, icon.uCallbackMessage, icon.uID, mouseMessage);
}

} // namespace platform::tray
