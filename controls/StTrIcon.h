#pragma once
// TStTrayIcon: the notification-area icon (one per program, error 133 for a second). Owned by a
// form, it shows one icon with a tool tip in the desktop's notification area (platform/qt/TrayShell.h)
// while Active (off at construction), reports a left click (OnClick), pops up PopupMenu on the
// context request, restores the form on a double click, and turns the form's close command into
// hiding the form there. The icon sent is Icon, else the application's window icon, else the
// system's standard application icon; the tool tip is the Hint (63 characters, CR LF a line break).
//
// Errors (EStTrayIconError): 119 the icon cannot be shown (no notification area: Active stays as it
// was); 121 the area refuses a change of the icon shown (hint, icon); 133 a second component.
//
// The form's events (platform/qt/WindowEvents.h, the tray role, before the scaler) are heard from the
// first AddIcon until the component or the form goes:
// - CloseRequested while Active: the icon is added if it is not, and when it is shown the form is
//   hidden and the request consumed; otherwise the form closes as usual (a form is never hidden
//   without an icon to bring it back). The form's own close() is no request.
// - A form first shown minimized is hidden at once while the icon is shown (the start-up counter,
//   stepped by GeometryChanging of the visible form): it is reached through the icon.
//
// When the icon stops being shown (RemoveIcon, Active false, the notification area gone), ShownChanged
// is emitted and a form the component hid is restored; when the area comes back the icon shows there
// again. Exceptions from handlers called by the icon, the menu or the form's events are raised again
// from the event loop, where the application's error report shows them.

#include <cstdint>
#include <functional>

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include "base/StException.h"
#include "platform/qt/TrayShell.h"
#include "platform/qt/WindowEvents.h"

class QWidget;

struct TestAccess;

class EStTrayIconError : public EStException
{
public:
    explicit EStTrayIconError(std::int32_t code) : EStException(code) {}
};

class TStTrayIcon : public QObject
{
    Q_OBJECT

public:
    // `owner` is the form (its window() is taken); nullptr gives an icon without a form. Raises 133
    // when another component exists.
    explicit TStTrayIcon(QWidget* owner);
    ~TStTrayIcon() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    void SetHint(const QString& value);
    const QIcon& Icon() const { return icon_; }
    void SetIcon(const QIcon& value);
    void SetPopupMenu(QMenu* value) { popupMenu_ = value; }

    // Removes the icon (the area's answer is ignored).
    void RemoveIcon();
    // Sends the icon shown and the hint again, when Active and added. Raises 121.
    void UpdateIcon();
    // Shows the form from the notification area: shown, raised and activated (restored from
    // minimized once the start-up is over).
    void RestoreFromTray();

    // The icon is added and a notification area exists: the form can be hidden there.
    bool IsShown() const;

signals:
    // A left click on the icon.
    void OnClick();
    // IsShown() changed.
    void ShownChanged(bool shown);

private:
    // The tests add the icon directly through tests/TestAccess.h.
    friend struct ::TestAccess;
    // Adds the icon (nothing when added; registers for the form's events first). Raises 119.
    void AddIcon();

    void Activated(platform::tray::TrayActivation action);
    void PopupAtCursor();
    bool FormEvent(platform::WindowEvent& event); // true: consumed
    void StartupStep();
    bool HideToTray();
    void AreaAvailabilityChanged(bool available);
    void UpdateShownState();

    // Shows the icon and tool tip (adding) or sends them again; the area's answer.
    bool Send(bool adding);
    QIcon IconToSend() const;
    // Runs `action`, handing an exception to the application's error report.
    void Guarded(const std::function<void()>& action);

    // Properties.
    bool active_ = false;
    QString hint_;
    QIcon icon_;
    QPointer<QMenu> popupMenu_; // cleared when the menu is destroyed

    // State.
    QPointer<QWidget> form_;
    platform::TWindowEvents events_;
    bool added_ = false;
    bool lastShown_ = false;
    bool hiddenToTray_ = false; // the component hid the form
    // The start-up of a form that may start minimized: 0 not seen yet, 1 shown minimized and kept in
    // the notification area, 2 seen restored (the start-up is over).
    int startupCounter_ = 0;
    bool destroying_ = false;
};
