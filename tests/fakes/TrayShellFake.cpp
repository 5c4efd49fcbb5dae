#include "tests/fakes/TrayShellFake.h"

#include <algorithm>
#include <iterator>

namespace platform::tray {

bool TFakeTrayShell::Record(TrayCall op, const QIcon& icon, const QString& toolTip, bool result)
{
    calls_.push_back({op, icon, toolTip, result});
    return result;
}

bool TFakeTrayShell::Show(const QIcon& icon, const QString& toolTip, TrayActivated activated)
{
    const bool result = available_ && !failShow && !shown_.has_value();
    if (result) {
        shown_ = Shown{icon, toolTip};
        activated_ = std::move(activated);
    }
    return Record(TrayCall::Show, icon, toolTip, result);
}

bool TFakeTrayShell::Update(const QIcon& icon, const QString& toolTip)
{
    const bool result = !failUpdate && shown_.has_value();
    if (result)
        shown_ = Shown{icon, toolTip};
    return Record(TrayCall::Update, icon, toolTip, result);
}

bool TFakeTrayShell::Hide()
{
    const bool result = !failHide && shown_.has_value();
    if (result)
        shown_.reset();
    return Record(TrayCall::Hide, {}, {}, result);
}

void TFakeTrayShell::SetAvailable(bool available)
{
    if (available == available_)
        return;
    available_ = available;
    emit TrayShellEvents().AvailabilityChanged(available);
}

std::vector<TFakeTrayShell::Call> TFakeTrayShell::CallsOf(TrayCall op) const
{
    std::vector<Call> result;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(result),
                 [op](const Call& call) { return call.op == op; });
    return result;
}

void TFakeTrayShell::Activate(TrayActivation action)
{
    if (shown_.has_value() && activated_) {
        const TrayActivated handler = activated_; // the handler may hide the icon
        handler(action);
    }
}

} // namespace platform::tray
