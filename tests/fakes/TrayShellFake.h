#pragma once
// A notification area for tests: records every Shell_NotifyIcon call with its record bytes, keeps
// the icons it was given, can be told to refuse calls, to have no notification area, or to lose its
// icons (as when the desktop's panel restarts), and plays the shell's part of a mouse action on an
// icon. Install it with ScopedTrayShell.
//
// Adding fails while no area exists, when told to fail, or for an icon already added; modifying and
// deleting fail when told to or for an icon not added.

#include <optional>
#include <vector>

#include <QIcon>

#include "platform/qt/TrayShell.h"

namespace platform::tray {

class TFakeTrayShell : public ITrayShell
{
public:
    struct Call
    {
        DWORD message = 0;
        NotifyIconBytes bytes{};
        NOTIFYICONDATA data; // the bytes read back
        QIcon icon;          // what hIcon named at the time of the call
        bool result = false;
    };

    bool NotifyIcon(DWORD message, const NotifyIconBytes& record) override;
    bool NotificationAreaAvailable() override { return available_; }

    // The area comes or goes; a change is announced through TrayShellEvents().
    void SetAvailable(bool available);
    // The area was recreated: every icon is gone (nothing is announced).
    void DropIcons() { icons_.clear(); }

    // Every call so far, oldest first.
    const std::vector<Call>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // The calls with one message.
    std::vector<Call> CallsOf(DWORD message) const;

    // The icons shown now, with the record that last set each.
    const std::vector<NOTIFYICONDATA>& Icons() const { return icons_; }
    std::optional<NOTIFYICONDATA> IconOf(HWND window, UINT id) const;

    // The shell's answer to the next calls of each kind.
    bool failAdd = false;
    bool failModify = false;
    bool failDelete = false;

    // The shell's part of a mouse action: sends the callback message of the icon added last (wParam
    // uID, lParam the mouse message) and returns the window's answer; 0 without an icon.
    LRESULT Mouse(LPARAM mouseMessage);

private:
    bool available_ = true;
    std::vector<Call> calls_;
    std::vector<NOTIFYICONDATA> icons_;
};

} // namespace platform::tray
