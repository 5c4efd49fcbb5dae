#pragma once
// The shell's notification area, as the tray icon component talks to it: Shell_NotifyIcon with the
// 88-byte NOTIFYICONDATA record, the hidden windows that receive the shell's callback messages, the
// icon handles that records carry, and the backend that stands for the shell.
//
// - The record is laid out as the 32-bit shell reads it (all fields little-endian, zero-filled):
//   cbSize 88, hWnd, uID, uFlags, uCallbackMessage, hIcon (4 bytes each), szTip (64 bytes: an 8-bit
//   text of at most 63 characters and its terminating zero). Texts are Latin-1; a character outside
//   it becomes '?'.
// - hWnd names a notification window (TNotifyWindow): the shell sends it the record's callback message
//   with wParam = uID and lParam = the mouse message (WM_LBUTTONDOWN ...), as Windows does.
// - hIcon names an icon registered with TIconHandle, or the standard application icon.
// - The backend (ITrayShell) is chosen for the whole process: the Qt backend (QSystemTrayIcon,
//   TrayShellQt.h) unless a test installs another one (tests/fakes/TrayShellFake.h). Adding an icon fails
//   when no notification area exists: QSystemTrayIcon::isSystemTrayAvailable() is false on many Linux
//   desktops, always under Xvfb and offscreen.
// - Qt reports no appearance or disappearance of the notification area; the Qt backend looks every
//   AreaPollInterval and TrayShellEvents() announces a change (a fake announces it when told).
//
// Everything runs on the GUI thread.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include <QIcon>
#include <QObject>
#include <QString>

#include "platform/qt/WindowMessages.h"

namespace platform::tray {

using DWORD = std::uint32_t;
using HWND = std::uint32_t;  // a notification window (0: none)
using HICON = std::uint32_t; // a registered icon (0: none)

// Shell_NotifyIcon messages.
inline constexpr DWORD NIM_ADD = 0;
inline constexpr DWORD NIM_MODIFY = 1;
inline constexpr DWORD NIM_DELETE = 2;

// uFlags: which fields the shell takes.
inline constexpr UINT NIF_MESSAGE = 1;
inline constexpr UINT NIF_ICON = 2;
inline constexpr UINT NIF_TIP = 4;

// Mouse messages the shell passes in lParam of the callback message.
inline constexpr LPARAM WM_LBUTTONDOWN = 0x0201;
inline constexpr LPARAM WM_LBUTTONUP = 0x0202;
inline constexpr LPARAM WM_LBUTTONDBLCLK = 0x0203;
inline constexpr LPARAM WM_RBUTTONDOWN = 0x0204;
inline constexpr LPARAM WM_RBUTTONUP = 0x0205;
inline constexpr LPARAM WM_RBUTTONDBLCLK = 0x0206;
inline constexpr LPARAM WM_MBUTTONDOWN = 0x0207;
inline constexpr LPARAM WM_MBUTTONUP = 0x0208;
inline constexpr LPARAM WM_MBUTTONDBLCLK = 0x0209;

// Key and button bits of a mouse message's wParam.
inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;
inline constexpr WPARAM MK_MBUTTON = 0x0010;

// The session manager asks whether the session may end (answer 1: yes).
inline constexpr UINT WM_QUERYENDSESSION = 0x0011;

inline constexpr DWORD NotifyIconDataSize = 88;
inline constexpr int TipSize = 64; // szTip, with its terminating zero

struct NOTIFYICONDATA
{
    DWORD cbSize = NotifyIconDataSize;
    HWND hWnd = 0;
    UINT uID = 0;
    UINT uFlags = 0;
    UINT uCallbackMessage = 0;
    HICON hIcon = 0;
    std::array<char, TipSize> szTip{};

    bool operator==(const NOTIFYICONDATA&) const = default;
};

using NotifyIconBytes = std::array<std::uint8_t, NotifyIconDataSize>;

// The record as the shell reads it.
NotifyIconBytes ToBytes(const NOTIFYICONDATA& data);
// And back (what a backend does with the bytes it receives).
NOTIFYICONDATA FromBytes(const NotifyIconBytes& bytes);

// Puts `text` into szTip: Latin-1, cut to 63 characters, the rest zero.
void SetTip(NOTIFYICONDATA& data, const QString& text);
// szTip up to its first zero (all 64 bytes when there is none).
QString TipText(const NOTIFYICONDATA& data);

// ---- notification windows ----

// A hidden window that only receives messages: the shell's callbacks. Move-only; destroying it
// unregisters the handle, after which messages to it go nowhere.
class TNotifyWindow
{
public:
    using Proc = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

    explicit TNotifyWindow(Proc proc);
    ~TNotifyWindow();
    TNotifyWindow(TNotifyWindow&& other) noexcept;
    TNotifyWindow& operator=(TNotifyWindow&& other) noexcept;
    TNotifyWindow(const TNotifyWindow&) = delete;
    TNotifyWindow& operator=(const TNotifyWindow&) = delete;

    HWND Handle() const { return handle_; }

private:
    HWND handle_ = 0;
};

// Calls the window's procedure and returns its result; 0 for a handle that names no window.
LRESULT SendNotifyWindowMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
bool IsNotifyWindow(HWND window);

// ---- icon handles ----

// An icon registered under a handle for as long as this object lives. Move-only.
class TIconHandle
{
public:
    TIconHandle() = default;
    explicit TIconHandle(const QIcon& icon);
    ~TIconHandle();
    TIconHandle(TIconHandle&& other) noexcept;
    TIconHandle& operator=(TIconHandle&& other) noexcept;
    TIconHandle(const TIconHandle&) = delete;
    TIconHandle& operator=(const TIconHandle&) = delete;

    HICON Handle() const { return handle_; }
    const QIcon& Icon() const { return icon_; }

private:
    HICON handle_ = 0;
    QIcon icon_;
};

// The system's standard application icon (a fixed handle that is always valid).
HICON StandardApplicationIcon();
// The icon a handle names; a null icon for 0 or an unknown handle.
QIcon IconFromHandle(HICON icon);

// ---- the shell ----

class ITrayShell
{
public:
    virtual ~ITrayShell() = default;
    // One Shell_NotifyIcon call; true when the shell did it.
    virtual bool NotifyIcon(DWORD message, const NotifyIconBytes& record) = 0;
    // Whether a notification area exists now.
    virtual bool NotificationAreaAvailable() = 0;
};

// The process's backend (the Qt backend unless one is installed).
ITrayShell& TrayShell();
// Installs a backend for the process and returns the one before (nullptr: the Qt backend).
std::shared_ptr<ITrayShell> SetTrayShell(std::shared_ptr<ITrayShell> shell);

// Installs a backend for a scope (tests), putting the previous one back at its end.
class ScopedTrayShell
{
public:
    explicit ScopedTrayShell(std::shared_ptr<ITrayShell> shell) : previous_(SetTrayShell(std::move(shell))) {}
    ~ScopedTrayShell() { SetTrayShell(std::move(previous_)); }
    ScopedTrayShell(const ScopedTrayShell&) = delete;
    ScopedTrayShell& operator=(const ScopedTrayShell&) = delete;

private:
    std::shared_ptr<ITrayShell> previous_;
};

bool Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data);

// How often the Qt backend looks for the notification area coming or going.
inline constexpr std::chrono::milliseconds AreaPollInterval{2000};

// Announcements of the shell, for the whole process.
class TTrayShellEvents : public QObject
{
    Q_OBJECT

signals:
    // A notification area appeared (true) or went away (false).
    void AvailabilityChanged(bool available);
};

TTrayShellEvents& TrayShellEvents();

} // namespace platform::tray
