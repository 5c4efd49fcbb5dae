#pragma once
// The notification area on Qt: each added record becomes a QSystemTrayIcon (its icon from hIcon, its
// tool tip from szTip), and the icon's activations come back to the record's window as the callback
// message, the way the Windows shell reports mouse actions:
//   a left click (Trigger)    -> WM_LBUTTONDOWN
//   the context request       -> WM_RBUTTONDOWN
//   a middle click            -> WM_MBUTTONDOWN
//   a double click            -> WM_LBUTTONDBLCLK
// Qt reports no button releases, no right or middle double clicks and no key state with an
// activation; wParam carries uID, as on Windows.
//
// A record is the icon's whole state: a modify without NIF_TIP leaves the icon without a tool tip
// (the Windows shell would keep the earlier one), one without NIF_ICON keeps the icon it has, one
// without NIF_MESSAGE reports nothing. A record whose icon handle names no icon shows the standard
// application icon (a tray icon without a picture is invisible).
//
// Adding fails when no notification area exists, or when the window already has an icon with that
// uID; modifying and deleting fail for an icon that was not added.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include "platform/qt/TrayShell.h"

namespace platform::tray {

// The callback's mouse message for an activation; nothing for a reason Qt gives without a click.
std::optional<LPARAM> MouseMessageForActivation(QSystemTrayIcon::ActivationReason reason);

// A tip as a tool tip: a CR LF or a lone CR becomes a line break.
QString ToolTipFromTip(const QString& tip);

class QtTrayShell : public QObject, public ITrayShell
{
    Q_OBJECT

public:
    // `available` tells whether a notification area exists (tests replace Qt's answer).
    explicit QtTrayShell(std::function<bool()> available = &QSystemTrayIcon::isSystemTrayAvailable);
    ~QtTrayShell() override;

    bool NotifyIcon(DWORD message, const NotifyIconBytes& record) override;
    bool NotificationAreaAvailable() override;

    // The icon shown for a window and uID (nullptr when not added).
    const QSystemTrayIcon* Find(HWND window, UINT id) const;

    // Looks at the notification area now, announcing a change (the poll timer does this).
    void Poll();

private:
    struct Entry
    {
        std::unique_ptr<QSystemTrayIcon> icon;
        UINT callbackMessage = 0; // 0: no callbacks
    };
    using Key = std::pair<HWND, UINT>;

    bool Add(const NOTIFYICONDATA& data);
    bool Modify(const NOTIFYICONDATA& data);
    bool Delete(const NOTIFYICONDATA& data);
    void Apply(Entry& entry, const NOTIFYICONDATA& data, bool adding);
    void Activated(Key key, QSystemTrayIcon::ActivationReason reason);

    std::function<bool()> available_;
    std::map<Key, Entry> icons_;
    QTimer poll_;
    QSystemTrayIcon* activating_ = nullptr; // the icon whose activation is being reported
    bool announced_ = false;                // the state the last announcement (or the start) gave
};

} // namespace platform::tray
