#pragma once
// TStTrayIcon: the notification-area icon. A non-visual component owned by a form that shows an icon
// with a tool tip in the desktop's notification area, reports mouse actions on it, opens a popup menu
// on it, restores the application from it, and can turn the form's close and minimize commands into
// hiding the form in the notification area.
//
// It talks to the shell through Shell_NotifyIcon with the 88-byte record (platform/qt/TrayShell.h):
// uID 2, callback message 1791, flags NIF_MESSAGE | NIF_ICON, plus NIF_TIP while ShowHint. The
// shell's callbacks arrive at a hidden notification window of the component. Only one component may
// exist in the program (error 133).
//
// Life cycle: construction shows nothing. Set the properties, then call Loaded() (what loading a
// form's stored properties ends with): an Active icon is added then. Active is true by default.
//
// Properties and defaults:
//
// | Property       | Default          | Meaning                                                       |
// |----------------|------------------|---------------------------------------------------------------|
// | Active         | true             | the icon is wanted in the notification area                   |
// | CloseToTray    | true             | the form's close command hides the form in the area           |
// | HideOnRestore  | false            | remove the icon when the form is restored from it             |
// | Hint           | ""               | tool tip (the shell keeps 63 characters)                      |
// | Icon           | empty            | icon shown; when empty, image ImageIndex of Images            |
// | Images         | none             | source of the icon                                            |
// | ImageIndex     | 0                | image shown when Icon is empty                                |
// | MinimizeToTray | false            | the form's minimize command hides the form in the area        |
// | PopupMenu      | the built-in one | menu opened by a right press on the icon (nullptr: none)      |
// | ShowHint       | true             | send the tool tip to the shell                                |
//
// The icon sent is the icon shown; without one the application's window icon; without that the
// system's standard application icon.
//
// Errors (EStTrayIconError): 119 the shell refuses to add the icon (no notification area: Active
// stays as it was); 121 the shell refuses a modification (hint, icon, show-hint, animation frame);
// 133 a second component; 135 ImageIndex set on an added icon without Images.
//
// Mouse actions on the icon: a left or middle press fires OnClick; a right press pops up PopupMenu at
// the pointer; a double click of any button fires OnDblClick with RestoreApp true and, if the
// handler leaves it true, calls RestoreFromTray. Button releases do nothing. (On Qt the shell reports
// left clicks, context requests, middle clicks and left double clicks only.)
//
// The form hook: the first AddIcon installs a hook in the form's window-message chain
// (platform/qt/WindowMessages.h), newest, so it sees each message before the scaler and Qt. It is
// removed when the component or the form goes, whichever is first.
// - WM_SYSCOMMAND SC_MINIMIZE (whole word) fires OnMinimize.
// - SC_MINIMIZE while MinimizeToTray, SC_CLOSE while CloseToTray: while Active, the icon is added if
//   it is not, and when it is shown the form is hidden and the command consumed. When the icon cannot
//   be shown the command goes on and the form minimizes or closes as usual: a form is never hidden
//   without an icon to bring it back. The form's own close() sends no command and always closes.
// - A form that is first shown minimized is hidden at once while the icon is shown (the start-up
//   counter, stepped by WM_WINDOWPOSCHANGED of the visible form): it is reached through the icon,
//   not the taskbar.
//
// When the icon stops being shown (RemoveIcon, Active false, the notification area gone), ShownChanged
// is emitted and a form the hook hid is restored. When the area comes back while the icon is Active
// and added, the icon shows there again (re-added if the shell lost it). Qt reports no such changes;
// the shell layer looks for them (platform/qt/TrayShell.h).
//
// The built-in menu's "&Close" asks the application to quit (Qt closes its windows first, which may
// refuse); "&Restore" calls RestoreFromTray.
//
// Exceptions from handlers called by the icon, the menu, the timer or the form hook are raised again
// from the event loop, where the application's error report shows them.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include "base/StException.h"
#include "platform/qt/TrayShell.h"
#include "platform/qt/WindowMessages.h"

class QWidget;

class EStTrayIconError : public EStException
{
public:
    explicit EStTrayIconError(std::int32_t code) : EStException(code) {}
};

// The image list: icons by index.
using TStImageList = QList<QIcon>;

// Double click: `restoreApp` enters true; leaving it true restores the application.
using TTrayDblClickEvent =
    std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers shift, bool& restoreApp)>;

class TStTrayIcon : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(bool CloseToTray READ CloseToTray WRITE SetCloseToTray)
    Q_PROPERTY(bool HideOnRestore READ HideOnRestore WRITE SetHideOnRestore)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(QIcon Icon READ Icon WRITE SetIcon)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(bool MinimizeToTray READ MinimizeToTray WRITE SetMinimizeToTray)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)

public:
    static constexpr platform::UINT IconId = 2;
    static constexpr platform::UINT CallbackMessage = 1791;

    // `owner` is the form (its window() is taken); nullptr gives an icon without a form. Raises 133
    // when another component exists.
    explicit TStTrayIcon(QWidget* owner);
    ~TStTrayIcon() override;
    TStTrayIcon(const TStTrayIcon&) = delete;
    TStTrayIcon& operator=(const TStTrayIcon&) = delete;

    // The properties are set: adds the icon if Active, and takes Icon (else image ImageIndex) as the
    // icon shown. Call once.
    void Loaded();

    bool Active() const { return active_; }
    void SetActive(bool value);
    bool CloseToTray() const { return closeToTray_; }
    void SetCloseToTray(bool value) { closeToTray_ = value; }
    bool HideOnRestore() const { return hideOnRestore_; }
    void SetHideOnRestore(bool value) { hideOnRestore_ = value; }
    const QString& Hint() const { return hint_; }
    void SetHint(const QString& value);
    const QIcon& Icon() const { return icon_; }
    void SetIcon(const QIcon& value);
    const std::optional<TStImageList>& Images() const { return images_; }
    void SetImages(std::optional<TStImageList> value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    bool MinimizeToTray() const { return minimizeToTray_; }
    void SetMinimizeToTray(bool value) { minimizeToTray_ = value; }
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* value) { popupMenu_ = value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    void SetOnDblClick(TTrayDblClickEvent handler) { onDblClick_ = std::move(handler); }

    // Adds the icon (nothing when added; installs the form hook first). Raises 119.
    void AddIcon();
    // Removes the icon (the shell's answer is ignored).
    void RemoveIcon();
    // Sends the icon shown and the hint again, when Active and added. Raises 121.
    void UpdateIcon();
    // Shows the form from the notification area: OnRestore, the form shown, raised and activated
    // (restored from minimized once the start-up is over), and the icon removed if HideOnRestore.
    void RestoreFromTray();

    // The shell took the icon.
    bool IsAdded() const { return added_; }
    // The icon is added and a notification area exists: the form can be hidden there.
    bool IsShown() const;

    QWidget* Form() const { return form_; }
    // The built-in menu ("&Close", "&Restore"), also when PopupMenu is another one.
    QMenu* BuiltInMenu() const { return builtInMenu_.get(); }
    // The hidden window that receives the shell's callbacks.
    platform::tray::HWND NotifyWindow() const { return notifyWindow_.Handle(); }
    // The icon shown now (a copy of Icon, an image, or an animation frame; may be empty).
    const QIcon& ShownIcon() const { return shownIcon_; }
    // The start-up of a form that may start minimized: 0 not seen yet, 1 shown minimized and kept in
    // the notification area, 2 seen restored (the start-up is over).
    int StartupCounter() const { return startupCounter_; }

signals:
    // A left or middle press on the icon.
    void OnClick(Qt::MouseButton button, Qt::KeyboardModifiers shift);
    // The form received the minimize command.
    void OnMinimize();
    // The application is being restored from the icon.
    void OnRestore();
    // IsShown() changed.
    void ShownChanged(bool shown);

private:
    static QWidget* CheckedOwner(QWidget* owner);

    platform::LRESULT IconWndProc(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam);
    void MouseAction(platform::WPARAM wParam, platform::LPARAM mouseMessage);
    void PopupAtCursor();
    void DoubleClick(Qt::MouseButton button, Qt::KeyboardModifiers shift);
    void FormHookWndProc(platform::TMessage& message, const platform::TWindowProc& previous);
    void StartupStep();
    bool HideToTray();
    void AreaAvailabilityChanged(bool available);
    void UpdateShownState();

    bool SendRecord(platform::tray::DWORD message);
    platform::tray::HICON IconHandle();
    QIcon ImageAt(int index) const;
    QIcon BaseIcon() const;
    // Runs `action`, handing an exception to the application's error report.
    void Guarded(const std::function<void()>& action);

    // Properties.
    bool active_ = true;
    bool closeToTray_ = true;
    bool hideOnRestore_ = false;
    QString hint_;
    QIcon icon_;
    std::optional<TStImageList> images_;
    int imageIndex_ = 0;
    bool minimizeToTray_ = false;
    QPointer<QMenu> popupMenu_; // cleared when the menu is destroyed
    bool showHint_ = true;
    TTrayDblClickEvent onDblClick_;

    // State.
    QPointer<QWidget> form_;
    std::unique_ptr<QMenu> builtInMenu_; // a menu needs a widget parent; this component is none
    platform::tray::TNotifyWindow notifyWindow_;
    platform::tray::TIconHandle sentIcon_; // the handle of the icon last put into a record
    platform::TWindowHook hook_;
    QIcon shownIcon_;
    bool added_ = false;
    bool lastShown_ = false;
    bool hiddenToTray_ = false; // the hook hid the form
    int startupCounter_ = 0;
    bool destroying_ = false;
};
