#pragma once
// The desktop's notification area, as the tray icon asks for it: one icon with a tool tip, shown,
// changed and hidden, the user's actions on it reported back, and whether an area exists at all.
//
// The backend is chosen for the whole process: QSystemTrayIcon (QtTrayShell) unless a test installs
// another (tests/fakes/TrayShellFake.h). Showing fails while no notification area exists:
// QSystemTrayIcon::isSystemTrayAvailable() is false on many Linux desktops, always under Xvfb and
// offscreen. Qt reports no appearance or disappearance of the area: the Qt backend looks every
// AreaPollInterval and TrayShellEvents() announces a change (a fake announces it when told).
//
// Everything runs on the GUI thread.

#include <chrono>
#include <functional>
#include <memory>

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

namespace platform::tray {

// What the user did on the icon (Qt also reports a middle click, which the icon does not act on).
enum class TrayActivation
{
    Click,
    Context,
    DoubleClick
};

using TrayActivated = std::function<void(TrayActivation)>;

class ITrayShell
{
public:
    virtual ~ITrayShell() = default;
    // Shows the icon with its tool tip (empty: none); `activated` hears the user's actions on it.
    // False while no notification area exists or while an icon is shown already.
    virtual bool Show(const QIcon& icon, const QString& toolTip, TrayActivated activated) = 0;
    // Changes the icon shown and its tool tip; false when no icon is shown.
    virtual bool Update(const QIcon& icon, const QString& toolTip) = 0;
    // Removes the icon; false when none was shown.
    virtual bool Hide() = 0;
    // Whether a notification area exists now.
    virtual bool NotificationAreaAvailable() = 0;
};

// The process's backend (the Qt backend unless one is installed).
ITrayShell& TrayShell();
// Installs a backend for the process and returns the one before (nullptr: the Qt backend, made when
// next needed).
std::shared_ptr<ITrayShell> SetTrayShell(std::shared_ptr<ITrayShell> shell);

// The system's generic program icon, shown where the program gives none (a tray icon without a
// picture is invisible).
QIcon StandardApplicationIcon();

// How often the Qt backend looks for the notification area coming or going.
inline constexpr std::chrono::milliseconds AreaPollInterval{2000};

// Announcements of the notification area, for the whole process.
class TTrayShellEvents : public QObject
{
    Q_OBJECT

signals:
    // A notification area appeared (true) or went away (false).
    void AvailabilityChanged(bool available);
};

TTrayShellEvents& TrayShellEvents();

// The notification area on Qt: one QSystemTrayIcon.
class QtTrayShell : public QObject, public ITrayShell
{
    Q_OBJECT

public:
    // `available` tells whether a notification area exists (tests replace Qt's answer).
    explicit QtTrayShell(std::function<bool()> available = &QSystemTrayIcon::isSystemTrayAvailable);

    bool Show(const QIcon& icon, const QString& toolTip, TrayActivated activated) override;
    bool Update(const QIcon& icon, const QString& toolTip) override;
    bool Hide() override;
    bool NotificationAreaAvailable() override;

    // The icon shown (nullptr: none).
    const QSystemTrayIcon* Shown() const { return icon_.get(); }

    // Looks at the notification area now, announcing a change (the poll timer does this).
    void Poll();

private:
    std::function<bool()> available_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    TrayActivated activated_;
    QTimer poll_;
    bool activating_ = false; // an activation is being reported
    bool announced_ = false;  // the state the last announcement (or the start) gave
};

} // namespace platform::tray
