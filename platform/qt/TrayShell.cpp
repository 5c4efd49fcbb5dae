#include "platform/qt/TrayShell.h"

#include <optional>
#include <utility>

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QStyle>

namespace platform::tray {
namespace {

// The installed backend; empty until the Qt backend is made when first needed.
std::shared_ptr<ITrayShell>& InstalledShell()
{
    static std::shared_ptr<ITrayShell> shell;
    return shell;
}

// Without an application there is no notification area to talk to.
class TNoTrayShell : public ITrayShell
{
public:
    bool Show(const QIcon&, const QString&, TrayActivated) override { return false; }
    bool Update(const QIcon&, const QString&) override { return false; }
    bool Hide() override { return false; }
    bool NotificationAreaAvailable() override { return false; }
};

// The user's action for an activation Qt reports; nothing for one without a click.
std::optional<TrayActivation> ActivationFromReason(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayActivation::Click;
    case QSystemTrayIcon::Context:
        return TrayActivation::Context;
    case QSystemTrayIcon::DoubleClick:
        return TrayActivation::DoubleClick;
    default:
        return std::nullopt;
    }
}

} // namespace

ITrayShell& TrayShell()
{
    std::shared_ptr<ITrayShell>& shell = InstalledShell();
    if (shell == nullptr) {
        if (QCoreApplication::instance() == nullptr) {
            static TNoTrayShell none;
            return none;
        }
        // The Qt backend goes with the application: its tray icon must not outlive it.
        shell = std::make_shared<QtTrayShell>();
        qAddPostRoutine([] { InstalledShell().reset(); });
    }
    return *shell;
}

std::shared_ptr<ITrayShell> SetTrayShell(std::shared_ptr<ITrayShell> shell)
{
    return std::exchange(InstalledShell(), std::move(shell));
}

QIcon StandardApplicationIcon()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return {};
    return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
}

TTrayShellEvents& TrayShellEvents()
{
    static QPointer<TTrayShellEvents> events;
    if (events == nullptr)
        events = new TTrayShellEvents;
    if (events->parent() == nullptr && QCoreApplication::instance() != nullptr)
        events->setParent(QCoreApplication::instance());
    return *events;
}

// ---- the Qt backend ----

QtTrayShell::QtTrayShell(std::function<bool()> available) : available_(std::move(available))
{
    announced_ = NotificationAreaAvailable();
    poll_.setInterval(AreaPollInterval);
    connect(&poll_, &QTimer::timeout, this, &QtTrayShell::Poll);
    poll_.start();
}

bool QtTrayShell::NotificationAreaAvailable()
{
    return available_ && available_();
}

void QtTrayShell::Poll()
{
    const bool now = NotificationAreaAvailable();
    if (now != announced_) {
        announced_ = now;
        emit TrayShellEvents().AvailabilityChanged(now);
    }
}

bool QtTrayShell::Show(const QIcon& icon, const QString& toolTip, TrayActivated activated)
{
    if (icon_ != nullptr || !NotificationAreaAvailable())
        return false;
    icon_ = std::make_unique<QSystemTrayIcon>();
    activated_ = std::move(activated);
    connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        const std::optional<TrayActivation> action = ActivationFromReason(reason);
        if (!action.has_value() || !activated_)
            return;
        // The handler may hide the icon: it goes once its own activation is over.
        const TrayActivated handler = activated_;
        const bool outer = !std::exchange(activating_, true);
        handler(*action);
        if (outer)
            activating_ = false;
    });
    Update(icon, toolTip);
    icon_->show();
    return true;
}

bool QtTrayShell::Update(const QIcon& icon, const QString& toolTip)
{
    if (icon_ == nullptr)
        return false;
    icon_->setIcon(icon.isNull() ? StandardApplicationIcon() : icon);
    icon_->setToolTip(toolTip);
    return true;
}

bool QtTrayShell::Hide()
{
    if (icon_ == nullptr)
        return false;
    std::unique_ptr<QSystemTrayIcon> icon = std::move(icon_);
    activated_ = nullptr;
    icon->hide();
    if (activating_)
        icon.release()->deleteLater();
    return true;
}

} // namespace platform::tray
