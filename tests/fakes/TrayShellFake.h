#pragma once
// A notification area for tests: records every call with the icon and tool tip it carried, can be
// told to refuse calls, to have no notification area, or to lose its icon (as when the desktop's
// panel restarts), and plays the user's part of an action on the icon. Install it with
// ScopedTrayShell.
//
// Showing fails while no area exists, when told to fail, or while an icon is shown; updating and
// hiding fail when told to or while no icon is shown.

#include <optional>
#include <vector>

#include <QIcon>
#include <QString>

#include "platform/qt/TrayShell.h"

namespace platform::tray {

enum class TrayCall
{
    Show,
    Update,
    Hide
};

class TFakeTrayShell : public ITrayShell
{
public:
    struct Call
    {
        TrayCall op = TrayCall::Show;
        QIcon icon;
        QString toolTip;
        bool result = false;
    };
    struct Shown
    {
        QIcon icon;
        QString toolTip;
    };

    bool Show(const QIcon& icon, const QString& toolTip, TrayActivated activated) override;
    bool Update(const QIcon& icon, const QString& toolTip) override;
    bool Hide() override;
    bool NotificationAreaAvailable() override { return available_; }

    // The area comes or goes; a change is announced through TrayShellEvents().
    void SetAvailable(bool available);
    // The area was recreated: the icon is gone (nothing is announced).
    void DropIcon() { shown_.reset(); }

    // Every call so far, oldest first.
    const std::vector<Call>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // The calls of one kind.
    std::vector<Call> CallsOf(TrayCall op) const;

    // The icon shown now.
    const std::optional<Shown>& Icon() const { return shown_; }

    // The area's answer to the next calls of each kind.
    bool failShow = false;
    bool failUpdate = false;
    bool failHide = false;

    // The user's action on the icon shown (nothing without one).
    void Activate(TrayActivation action);

private:
    bool Record(TrayCall op, const QIcon& icon, const QString& toolTip, bool result);

    bool available_ = true;
    std::vector<Call> calls_;
    std::optional<Shown> shown_;
    TrayActivated activated_;
};

// Installs a backend for a scope , putting the previous one back at its end.
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

} // namespace platform::tray
