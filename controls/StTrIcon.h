#pragma once
// TStTrayIcon: the notification-area icon. A non-visual component owned by a form that shows an icon
// with a tool tip in the desktop's notification area, reports mouse actions on it, opens a popup menu
// on it, restores the application from it, and can turn the form's close and minimize commands into
// hiding the form in the notification area.
//
// It shows one icon in the notification area (platform/qt/TrayShell.h), with the hint as its tool
// tip while ShowHint, and hears the user's actions on it. Only one component may exist in the
// program (error 133).
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
// | Hint           | ""               | tool tip (63 characters kept, CR LF shown as a line break)    |
// | Icon           | empty            | icon shown; when empty, image ImageIndex of Images            |
// | Images         | none             | source of the icon                                            |
// | ImageIndex     | 0                | image shown when Icon is empty                                |
// | MinimizeToTray | false            | the form's minimize command hides the form in the area        |
// | PopupMenu      | the built-in one | menu opened by a right press on the icon (nullptr: none)      |
// | ShowHint       | true             | show the hint as the icon's tool tip                          |
//
// The icon sent is the icon shown; without one the application's window icon; without that the
// system's standard application icon.
//
// Errors (EStTrayIconError): 119 the icon cannot be shown (no notification area: Active stays as it
// was); 121 the area refuses a change of the icon shown (hint, icon, show-hint); 133 a second
// component; 135 ImageIndex set on an added icon without Images.
//
// Actions on the icon: a left or middle click fires OnClick; the context request pops up PopupMenu
// at the pointer; a double click fires OnDblClick with RestoreApp true and, if the handler leaves it
// true, calls RestoreFromTray. The keys held at the time give the click's shift state.
//
// The form's events: the first AddIcon registers the component for the form's window events
// (platform/qt/WindowEvents.h) in the tray role, which receives each event before the scaler. The
// registration goes when the component or the form goes, whichever is first.
// - MinimizeRequested fires OnMinimize.
// - MinimizeRequested while MinimizeToTray, CloseRequested while CloseToTray: while Active, the icon
//   is added if it is not, and when it is shown the form is hidden and the request consumed. When the
//   icon cannot be shown the request goes on and the form minimizes or closes as usual: a form is
//   never hidden without an icon to bring it back. The form's own close() is no request and always
//   closes.
// - A form that is first shown minimized is hidden at once while the icon is shown (the start-up
//   counter, stepped by GeometryChanging of the visible form): it is reached through the icon, not
//   the taskbar.
//
// When the icon stops being shown (RemoveIcon, Active false, the notification area gone), ShownChanged
// is emitted and a form the component hid is restored. When the area comes back while the icon is Active
// and added, the icon shows there again (shown again if the area lost it). Qt reports no such changes;
// platform/qt/TrayShell.h looks for them.
//
// The built-in menu's "&Close" asks the application to quit (Qt closes its windows first, which may
// refuse); "&Restore" calls RestoreFromTray.
//
// Exceptions from handlers called by the icon, the menu or the form's events are raised again
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
#include "platform/qt/WindowEvents.h"

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

    // Adds the icon (nothing when added; registers for the form's events first). Raises 119.
    void AddIcon();
    // Removes the icon (the area's answer is ignored).
    void RemoveIcon();
    // Sends the icon shown and the hint again, when Active and added. Raises 121.
    void UpdateIcon();
    // Shows the form from the notification area: OnRestore, the form shown, raised and activated
    // (restored from minimized once the start-up is over), and the icon removed if HideOnRestore.
    void RestoreFromTray();

    // The notification area took the icon.
    bool IsAdded() const { return added_; }
    // The icon is added and a notification area exists: the form can be hidden there.
    bool IsShown() const;

    QWidget* Form() const { return form_; }
    // The built-in menu ("&Close", "&Restore"), also when PopupMenu is another one.
    QMenu* BuiltInMenu() const { return builtInMenu_.get(); }
    // The tool tip the area shows for a hint: at most 63 characters, a CR LF or a lone CR a line break.
    static QString ToolTipFor(const QString& hint);
    // The icon shown now (a copy of Icon or an image; may be empty).
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

    void Activated(platform::tray::TrayActivation action);
    void PopupAtCursor();
    void DoubleClick(Qt::MouseButton button, Qt::KeyboardModifiers shift);
    bool FormEvent(platform::WindowEvent& event); // true: consumed
    void StartupStep();
    bool HideToTray();
    void AreaAvailabilityChanged(bool available);
    void UpdateShownState();

    // Shows the icon and tool tip (adding) or sends them again; the area's answer.
    bool Send(bool adding);
    QIcon IconToSend() const;
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
    platform::TWindowEvents events_;
    QIcon shownIcon_;
    bool added_ = false;
    bool lastShown_ = false;
    bool hiddenToTray_ = false; // the component hid the form
    int startupCounter_ = 0;
    bool destroying_ = false;
};
