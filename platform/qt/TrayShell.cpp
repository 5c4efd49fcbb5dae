#include "platform/qt/TrayShell.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QStyle>

#include "platform/qt/TrayShellQt.h"

namespace platform::tray {
namespace {

// The resource number of the standard application icon; registered handles start far above it.
constexpr HICON StandardIconHandle = 32512;
constexpr std::uint32_t FirstHandle = 0x00010000;

void Put32(NotifyIconBytes& bytes, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

std::uint32_t Get32(const NotifyIconBytes& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    return value;
}

std::uint32_t NextHandle()
{
    static std::uint32_t next = FirstHandle;
    return next++;
}

std::unordered_map<HWND, TNotifyWindow::Proc>& NotifyWindows()
{
    static std::unordered_map<HWND, TNotifyWindow::Proc> windows;
    return windows;
}

std::unordered_map<HICON, QIcon>& Icons()
{
    static std::unordered_map<HICON, QIcon> icons;
    return icons;
}

// The installed backend; empty means the Qt backend, made when first needed and gone with the
// application (its tray icons must not outlive it).
std::shared_ptr<ITrayShell>& InstalledShell()
{
    static std::shared_ptr<ITrayShell> shell;
    return shell;
}

std::shared_ptr<ITrayShell>& DefaultShell()
{
    static std::shared_ptr<ITrayShell> shell;
    return shell;
}

void ReleaseDefaultShell()
{
    DefaultShell().reset();
}

// Without an application there is no notification area to talk to.
class TNoTrayShell : public ITrayShell
{
public:
    bool NotifyIcon(DWORD, const NotifyIconBytes&) override { return false; }
    bool NotificationAreaAvailable() override { return false; }
};

} // namespace

NotifyIconBytes ToBytes(const NOTIFYICONDATA& data)
{
    NotifyIconBytes bytes{};
    Put32(bytes, 0, data.cbSize);
    Put32(bytes, 4, data.hWnd);
    Put32(bytes, 8, data.uID);
    Put32(bytes, 12, data.uFlags);
    Put32(bytes, 16, data.uCallbackMessage);
    Put32(bytes, 20, data.hIcon);
    for (std::size_t i = 0; i < data.szTip.size(); ++i)
        bytes[24 + i] = static_cast<std::uint8_t>(data.szTip[i]);
    return bytes;
}

NOTIFYICONDATA FromBytes(const NotifyIconBytes& bytes)
{
    NOTIFYICONDATA data;
    data.cbSize = Get32(bytes, 0);
    data.hWnd = Get32(bytes, 4);
    data.uID = Get32(bytes, 8);
    data.uFlags = Get32(bytes, 12);
    data.uCallbackMessage = Get32(bytes, 16);
    data.hIcon = Get32(bytes, 20);
    for (std::size_t i = 0; i < data.szTip.size(); ++i)
        data.szTip[i] = static_cast<char>(bytes[24 + i]);
    return data;
}

void SetTip(NOTIFYICONDATA& data, const QString& text)
{
    data.szTip.fill('\0');
    const QByteArray latin1 = text.left(TipSize - 1).toLatin1();
    std::copy_n(latin1.constData(), std::min<qsizetype>(latin1.size(), TipSize - 1), data.szTip.begin());
}

QString TipText(const NOTIFYICONDATA& data)
{
    const auto end = std::find(data.szTip.begin(), data.szTip.end(), '\0');
    return QString::fromLatin1(data.szTip.data(), end - data.szTip.begin());
}

// ---- notification windows ----

TNotifyWindow::TNotifyWindow(Proc proc) : handle_(NextHandle())
{
    NotifyWindows()[handle_] = std::move(proc);
}

TNotifyWindow::~TNotifyWindow()
{
    if (handle_ != 0)
        NotifyWindows().erase(handle_);
}

TNotifyWindow::TNotifyWindow(TNotifyWindow&& other) noexcept : handle_(std::exchange(other.handle_, 0)) {}

TNotifyWindow& TNotifyWindow::operator=(TNotifyWindow&& other) noexcept
{
    if (this != &other) {
        if (handle_ != 0)
            NotifyWindows().erase(handle_);
        handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
}

LRESULT SendNotifyWindowMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const auto it = NotifyWindows().find(window);
    if (it == NotifyWindows().end() || !it->second)
        return 0;
    // A copy: the procedure may destroy its own window.
    const TNotifyWindow::Proc proc = it->second;
    return proc(msg, wParam, lParam);
}

bool IsNotifyWindow(HWND window)
{
    return NotifyWindows().contains(window);
}

// ---- icon handles ----

TIconHandle::TIconHandle(const QIcon& icon) : handle_(NextHandle()), icon_(icon)
{
    Icons()[handle_] = icon;
}

TIconHandle::~TIconHandle()
{
    if (handle_ != 0)
        Icons().erase(handle_);
}

TIconHandle::TIconHandle(TIconHandle&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)), icon_(std::move(other.icon_))
{}

TIconHandle& TIconHandle::operator=(TIconHandle&& other) noexcept
{
    if (this != &other) {
        if (handle_ != 0)
            Icons().erase(handle_);
        handle_ = std::exchange(other.handle_, 0);
        icon_ = std::move(other.icon_);
    }
    return *this;
}

HICON StandardApplicationIcon()
{
    return StandardIconHandle;
}

QIcon IconFromHandle(HICON icon)
{
    if (icon == StandardIconHandle) {
        // The style's generic program icon stands for the system's.
        if (QApplication::instance() != nullptr)
            return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
        return {};
    }
    const auto it = Icons().find(icon);
    return it == Icons().end() ? QIcon() : it->second;
}

// ---- the shell ----

ITrayShell& TrayShell()
{
    if (InstalledShell() != nullptr)
        return *InstalledShell();
    if (QCoreApplication::instance() == nullptr) {
        static TNoTrayShell none;
        return none;
    }
    if (DefaultShell() == nullptr) {
        DefaultShell() = std::make_shared<QtTrayShell>();
        qAddPostRoutine(ReleaseDefaultShell);
    }
    return *DefaultShell();
}

std::shared_ptr<ITrayShell> SetTrayShell(std::shared_ptr<ITrayShell> shell)
{
    return std::exchange(InstalledShell(), std::move(shell));
}

bool Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data)
{
    return TrayShell().NotifyIcon(message, ToBytes(data));
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

} // namespace platform::tray
