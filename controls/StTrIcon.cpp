#include "controls/StTrIcon.h"

#include <exception>
#include <utility>

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

using namespace platform;
using namespace platform::tray;

namespace {

// The one component of the program (error 133 for a second).
TStTrayIcon* theInstance = nullptr;

// The application's error report sees exceptions thrown while an event is delivered: raise it again
// from a posted call.
void PassToApplication(std::exception_ptr error)
{
    if (QCoreApplication::instance() == nullptr)
        return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [error] { std::rethrow_exception(error); }, Qt::QueuedConnection);
}

// The tool tip the area shows for a hint: at most 63 characters, a CR LF or a lone CR a line break.
QString ToolTipFor(const QString& hint)
{
    QString text = hint.left(63);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

// ---- construction ----

TStTrayIcon::TStTrayIcon(QWidget* owner) : QObject(owner), form_(owner != nullptr ? owner->window() : nullptr)
{
    if (theInstance != nullptr)
        throw EStTrayIconError(stcodes::TrayOnlyOne);
    theInstance = this;
    connect(&TrayShellEvents(), &TTrayShellEvents::AvailabilityChanged, this,
            &TStTrayIcon::AreaAvailabilityChanged);
}

TStTrayIcon::~TStTrayIcon()
{
    // The form may be in its destructor already (its children go first): nothing here reaches it,
    // and no signal runs a handler of it.
    destroying_ = true;
    blockSignals(true);
    RemoveIcon();
    events_.Remove();
    if (theInstance == this)
        theInstance = nullptr;
}

// ---- properties ----

void TStTrayIcon::SetActive(bool value)
{
    if (value) {
        AddIcon();
        active_ = true;
        return;
    }
    RemoveIcon();
    active_ = false;
}

void TStTrayIcon::SetHint(const QString& value)
{
    if (value == hint_)
        return;
    hint_ = value;
    if (added_ && !Send(false))
        throw EStTrayIconError(stcodes::TrayError);
}

void TStTrayIcon::SetIcon(const QIcon& value)
{
    icon_ = value;
    if (added_)
        UpdateIcon();
}

// ---- the icon ----

void TStTrayIcon::AddIcon()
{
    if (added_)
        return;
    if (!events_.Installed() && form_ != nullptr && !destroying_)
        events_ =
            TWindowEvents(form_, WindowRole::Tray, [this](WindowEvent& event) { return FormEvent(event); });
    added_ = Send(true);
    if (!added_)
        throw EStTrayIconError(stcodes::TrayAddError);
    UpdateShownState();
}

void TStTrayIcon::RemoveIcon()
{
    if (!added_)
        return;
    TrayShell().Hide();
    added_ = false;
    UpdateShownState();
}

void TStTrayIcon::UpdateIcon()
{
    // An icon that is not added has nothing to change (the area would refuse).
    if (active_ && added_ && !Send(false))
        throw EStTrayIconError(stcodes::TrayError);
}

bool TStTrayIcon::IsShown() const
{
    return added_ && TrayShell().NotificationAreaAvailable();
}

void TStTrayIcon::UpdateShownState()
{
    if (destroying_)
        return;
    const bool shown = IsShown();
    if (shown == lastShown_)
        return;
    lastShown_ = shown;
    emit ShownChanged(shown);
    // Never leave the form hidden without an icon to bring it back.
    if (!shown && hiddenToTray_ && form_ != nullptr && !form_->isVisible())
        RestoreFromTray();
}

void TStTrayIcon::AreaAvailabilityChanged(bool available)
{
    if (destroying_)
        return;
    Guarded([&] {
        if (available && active_ && added_ && !Send(false)) {
            // The area came back without the icon: add it again.
            added_ = Send(true);
        }
        UpdateShownState();
    });
}

bool TStTrayIcon::Send(bool adding)
{
    const QIcon icon = IconToSend();
    const QString toolTip = ToolTipFor(hint_);
    if (!adding)
        return TrayShell().Update(icon, toolTip);
    return TrayShell().Show(icon, toolTip, [this](TrayActivation action) { Activated(action); });
}

QIcon TStTrayIcon::IconToSend() const
{
    if (!icon_.isNull())
        return icon_;
    if (!QGuiApplication::windowIcon().isNull())
        return QGuiApplication::windowIcon();
    return StandardApplicationIcon();
}

// ---- restoring ----

void TStTrayIcon::RestoreFromTray()
{
    if (QWidget* form = form_) {
        if (form->isMinimized() && startupCounter_ > 1)
            form->setWindowState(Qt::WindowNoState);
        hiddenToTray_ = false;
        form->show();
        // A form kept hidden since it started minimized comes back restored as well.
        if (form->isMinimized())
            form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
        form->raise();
        form->activateWindow();
    }
}

// ---- the user's actions on the icon ----

void TStTrayIcon::Activated(TrayActivation action)
{
    Guarded([&] {
        switch (action) {
        case TrayActivation::Click:
            emit OnClick();
            break;
        case TrayActivation::Context:
            PopupAtCursor();
            break;
        case TrayActivation::DoubleClick:
            RestoreFromTray();
            break;
        }
    });
}

void TStTrayIcon::PopupAtCursor()
{
    // QMenu takes the pointer and the keyboard itself: no window has to come to the foreground
    // first, and popup() does not wait for the choice.
    if (QMenu* menu = popupMenu_)
        menu->popup(QCursor::pos());
}

// ---- the form's events ----

bool TStTrayIcon::FormEvent(WindowEvent& event)
{
    bool consumed = false;
    Guarded([&] {
        switch (event.kind) {
        case WindowEvent::Kind::GeometryChanging:
            StartupStep();
            break;
        case WindowEvent::Kind::Shown:
            hiddenToTray_ = false;
            break;
        case WindowEvent::Kind::CloseRequested:
            if (active_)
                consumed = HideToTray();
            break;
        case WindowEvent::Kind::Destroyed:
            events_.Remove();
            break;
        default:
            break;
        }
    });
    return consumed;
}

void TStTrayIcon::StartupStep()
{
    // Only what the user could see counts: Qt also reports the sizes of a form not shown yet.
    if (startupCounter_ >= 2 || form_ == nullptr || !form_->isVisible())
        return;
    if (!form_->isMinimized()) {
        startupCounter_ = 2;
        return;
    }
    // Kept on the taskbar while there is no icon to reach it by.
    if (!IsShown())
        return;
    startupCounter_ = 1;
    hiddenToTray_ = true;
    // Not hidden inside the message: the first one comes while Qt is still showing the form.
    QTimer::singleShot(0, this, [this] {
        if (hiddenToTray_ && form_ != nullptr && form_->isMinimized())
            form_->hide();
    });
}

bool TStTrayIcon::HideToTray()
{
    if (form_ == nullptr)
        return false;
    if (!added_) {
        try {
            AddIcon();
        } catch (const EStTrayIconError&) {
            // No notification area: the command goes on, the form closes as usual.
            return false;
        }
    }
    if (!IsShown())
        return false;
    hiddenToTray_ = true;
    form_->hide();
    return true;
}

void TStTrayIcon::Guarded(const std::function<void()>& action)
{
    try {
        action();
    } catch (...) {
        PassToApplication(std::current_exception());
    }
}
