#include "platform/qt/TrayShellQt.h"

namespace platform::tray {

std::optional<LPARAM> MouseMessageForActivation(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return WM_LBUTTONDOWN;
    case QSystemTrayIcon::Context:
        return WM_RBUTTONDOWN;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONDOWN;
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return std::nullopt;
}

QString ToolTipFromTip(const QString& tip)
{
    QString text = tip;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QtTrayShell::QtTrayShell(std::function<bool()> available) : available_(std::move(available))
{
    announced_ = NotificationAreaAvailable();
    poll_.setInterval(AreaPollInterval);
    connect(&poll_, &QTimer::timeout, this, &QtTrayShell::Poll);
    poll_.start();
}

QtTrayShell::~QtTrayShell() = default;

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

const QSystemTrayIcon* QtTrayShell::Find(HWND window, UINT id) const
{
    const auto it = icons_.find({window, id});
    return it == icons_.end() ? nullptr : it->second.icon.get();
}

bool QtTrayShell::NotifyIcon(DWORD message, const NotifyIconBytes& record)
{
    const NOTIFYICONDATA data = FromBytes(record);
    if (data.cbSize != NotifyIconDataSize)
        return false;
    switch (message) {
    case NIM_ADD:
        return Add(data);
    case NIM_MODIFY:
        return Modify(data);
    case NIM_DELETE:
        return Delete(data);
    default:
        return false;
    }
}

bool QtTrayShell::Add(const NOTIFYICONDATA& data)
{
    const Key key{data.hWnd, data.uID};
    if (icons_.contains(key) || !NotificationAreaAvailable())
        return false;
    Entry& entry = icons_[key];
    entry.icon = std::make_unique<QSystemTrayIcon>();
    connect(entry.icon.get(), &QSystemTrayIcon::activated, this,
            [this, key](QSystemTrayIcon::ActivationReason reason) { Activated(key, reason); });
    Apply(entry, data, true);
    entry.icon->show();
    return true;
}

bool QtTrayShell::Modify(const NOTIFYICONDATA& data)
{
    const auto it = icons_.find({data.hWnd, data.uID});
    if (it == icons_.end())
        return false;
    Apply(it->second, data, false);
    return true;
}

bool QtTrayShell::Delete(const NOTIFYICONDATA& data)
{
    const auto it = icons_.find({data.hWnd, data.uID});
    if (it == icons_.end())
        return false;
    std::unique_ptr<QSystemTrayIcon> icon = std::move(it->second.icon);
    icons_.erase(it);
    icon->hide();
    // An icon deleted from its own activation goes once that is over.
    if (activating_ == icon.get())
        icon.release()->deleteLater();
    return true;
}

void QtTrayShell::Apply(Entry& entry, const NOTIFYICONDATA& data, bool adding)
{
    entry.callbackMessage = (data.uFlags & NIF_MESSAGE) != 0 ? data.uCallbackMessage : 0;
    if ((data.uFlags & NIF_ICON) != 0 || adding) {
        QIcon icon = IconFromHandle(data.hIcon);
        if (icon.isNull())
            icon = IconFromHandle(StandardApplicationIcon());
        entry.icon->setIcon(icon);
    }
    entry.icon->setToolTip((data.uFlags & NIF_TIP) != 0 ? ToolTipFromTip(TipText(data)) : QString());
}

void QtTrayShell::Activated(Key key, QSystemTrayIcon::ActivationReason reason)
{
    const auto it = icons_.find(key);
    if (it == icons_.end() || it->second.callbackMessage == 0)
        return;
    const std::optional<LPARAM> mouse = MouseMessageForActivation(reason);
    if (!mouse.has_value())
        return;
    QSystemTrayIcon* const previous = std::exchange(activating_, it->second.icon.get());
    SendNotifyWindowMessage(key.first, it->second.callbackMessage, key.second, *mouse);
    activating_ = previous;
}

} // namespace platform::tray
