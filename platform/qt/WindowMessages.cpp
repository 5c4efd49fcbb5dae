#include "platform/qt/WindowMessages.h"

#include <algorithm>
#include <exception>
#include <unordered_map>
#include <vector>

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include "platform/qt/FrameExtents.h"
#include "platform/qt/WindowGeometry.h"

namespace platform {
namespace {

constexpr char RequestedGeometryProperty[] = "quorlane.requestedGeometry";
constexpr Qt::WindowStates SpecialStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
constexpr LPARAM HTCLIENT = 1;
constexpr LPARAM WM_MOUSEMOVE = 0x0200;

class QtQuietTimer : public TQuietTimer
{
public:
    explicit QtQuietTimer(std::function<void()> onQuiet)
    {
        timer_.setSingleShot(true);
        timer_.setInterval(DragQuietInterval);
        QObject::connect(&timer_, &QTimer::timeout, [onQuiet = std::move(onQuiet)] { onQuiet(); });
    }
    void Start() override { timer_.start(); }
    void Stop() override { timer_.stop(); }
    bool IsActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

std::unordered_map<const QWidget*, WindowMessageFilter*>& Filters()
{
    static std::unordered_map<const QWidget*, WindowMessageFilter*> filters;
    return filters;
}

WindowMessageFilter* FindFilter(const QWidget* window)
{
    const auto it = Filters().find(window);
    return it == Filters().end() ? nullptr : it->second;
}

Qt::WindowStates EffectiveState(const QWidget* frame)
{
    Qt::WindowStates state = frame->windowState();
    if (const QWindow* handle = frame->windowHandle(); handle != nullptr && frame->isWindow())
        state |= handle->windowStates();
    return state;
}

// Pointer movement over any widget of a hooked window reaches its chain as WM_SETCURSOR. Qt delivers
// moves without buttons only to widgets that track the mouse, but shows every one to the
// application's filters, so one filter on the application sees them all.
class PointerFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    quint64 lastTimestamp_ = 0;
    QPointF lastPosition_;
};

void EnsurePointerFilter()
{
    static QPointer<PointerFilter> filter;
    if (filter == nullptr && QCoreApplication::instance() != nullptr) {
        filter = new PointerFilter(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(filter);
    }
}

} // namespace

// The chain of one window and the event filter that feeds it. A child of the window, so it goes
// with it; the hooks refer to it through QPointer.
class WindowMessageFilter : public QObject
{
public:
    explicit WindowMessageFilter(QWidget* window)
        : QObject(window), window_(window), meta_(window->metaObject())
    {
        Filters()[window] = this;
        window->installEventFilter(this);
        EnsurePointerFilter();
    }

    ~WindowMessageFilter() override
    {
        if (!dead_) {
            // The chain goes away before the window: the remaining hooks hear that it ends.
            Send(WM_DESTROY);
            dead_ = true;
        }
        Unregister();
    }

    WindowMessageFilter(const WindowMessageFilter&) = delete;
    WindowMessageFilter& operator=(const WindowMessageFilter&) = delete;

    QWidget* Window() const { return window_; }
    bool Dead() const { return dead_; }
    bool Settling() const { return settling_; }
    int Count() const { return static_cast<int>(entries_.size()); }

    std::uint64_t Add(TWindowHookProc proc)
    {
        auto entry = std::make_shared<Entry>();
        entry->id = ++nextId_;
        entry->proc = std::move(proc);
        entries_.insert(entries_.begin(), entry);
        return entry->id;
    }

    void Remove(std::uint64_t id)
    {
        const auto it =
            std::find_if(entries_.begin(), entries_.end(), [id](const auto& e) { return e->id == id; });
        if (it == entries_.end())
            return;
        (*it)->removed = true;
        entries_.erase(it);
    }

    bool Has(std::uint64_t id) const
    {
        return std::any_of(entries_.begin(), entries_.end(), [id](const auto& e) { return e->id == id; });
    }

    // Runs the chain; true when the message got past every hook to the default procedure.
    bool Dispatch(TMessage& message)
    {
        if (dead_)
            return true;
        const std::vector<std::shared_ptr<Entry>> snapshot = entries_;
        bool reached = false;
        std::function<void(std::size_t, TMessage&)> step = [&](std::size_t index, TMessage& m) {
            while (index < snapshot.size() && snapshot[index]->removed)
                ++index;
            if (index == snapshot.size()) {
                reached = true;
                return;
            }
            const std::shared_ptr<Entry> entry = snapshot[index];
            const TWindowProc previous = [&step, index](TMessage& next) { step(index + 1, next); };
            entry->proc(m, previous);
        };
        step(0, message);
        return reached;
    }

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        TMessage m;
        m.Msg = msg;
        m.WParam = wParam;
        m.LParam = lParam;
        Dispatch(m);
        return m.Result;
    }

    bool Translate(QObject* watched, QEvent* event, bool spontaneous);
    void RefreshTrackLimits();
    void PointerMoved() { Send(WM_SETCURSOR, 0, MakeLParam(HTCLIENT, WM_MOUSEMOVE)); }

    void SetTimerFactory(TQuietTimerFactory factory)
    {
        timerFactory_ = std::move(factory);
        timer_.reset();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        try {
            return Translate(watched, event, event->spontaneous());
        } catch (const std::exception& e) {
            qWarning("window message hook failed: %s", e.what());
        } catch (...) {
            qWarning("window message hook failed");
        }
        return false;
    }

private:
    struct Entry
    {
        std::uint64_t id = 0;
        TWindowHookProc proc;
        bool removed = false;
    };

    void Unregister()
    {
        if (auto it = Filters().find(window_); it != Filters().end() && it->second == this)
            Filters().erase(it);
    }

    // Destruction shows in the window's dynamic type: once the derived class's destructor has run the
    // window is only a base of what it was. (Construction goes the other way, towards derived types.)
    bool DestructionBegun()
    {
        const QMetaObject* now = window_->metaObject();
        if (now == meta_)
            return false;
        if (now->inherits(meta_)) {
            meta_ = now;
            return false;
        }
        return true;
    }

    void BeginDestroy()
    {
        if (dead_)
            return;
        if (timer_ != nullptr)
            timer_->Stop();
        Send(WM_DESTROY);
        dead_ = true;
        Unregister();
    }

    TQuietTimer& Timer()
    {
        if (timer_ == nullptr) {
            auto onQuiet = [this] { Quiet(); };
            timer_ = timerFactory_ ? timerFactory_(onQuiet) : std::make_unique<QtQuietTimer>(onQuiet);
        }
        return *timer_;
    }

    void Quiet()
    {
        settling_ = false;
        if (dragging_)
            EndDrag();
    }

    // `before` is the outer rectangle from before the change that revealed the drag.
    void BeginDrag(QRect before)
    {
        if (dragging_)
            return;
        dragging_ = true;
        TMessage m;
        m.Msg = WM_ENTERSIZEMOVE;
        m.SizingRect = &before;
        Dispatch(m);
    }

    void EndDrag()
    {
        dragging_ = false;
        Send(WM_EXITSIZEMOVE);
    }

    void SendSizing()
    {
        QRect outer = OuterGeometry(window_);
        TMessage m;
        m.Msg = WM_SIZING;
        m.WParam = WMSZ_BOTTOMRIGHT;
        m.SizingRect = &outer;
        Dispatch(m);
    }

    WPARAM SizeKind() const
    {
        const Qt::WindowStates state = EffectiveState(FrameWidget(window_));
        if (state.testFlag(Qt::WindowMinimized))
            return SIZE_MINIMIZED;
        if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
            return SIZE_MAXIMIZED;
        return SIZE_RESTORED;
    }

    // Windows reports every change of position, size or state twice: before (here: as soon as Qt
    // tells) and after.
    void SendPositionChange()
    {
        Send(WM_WINDOWPOSCHANGING);
        Send(WM_WINDOWPOSCHANGED);
    }

    void SendSize()
    {
        const QSize client = ClientSize(window_);
        Send(WM_SIZE, SizeKind(), MakeLParam(client.width(), client.height()));
    }

    // Is this move or resize the user's? Only spontaneous changes of a shown, normal window that the
    // program did not ask for, and not the window system settling after a state change.
    bool IsUserGeometryChange(bool spontaneous) const
    {
        const QWidget* frame = FrameWidget(window_);
        if (!spontaneous || settling_ || !frame->isVisible() || InProgramGeometryChange(window_))
            return false;
        if (EffectiveState(frame) & SpecialStates)
            return false;
        const QRect now = frame->geometry();
        return now != lastProgramGeometry_ && now != frame->property(RequestedGeometryProperty).toRect();
    }

    // The outer rectangle before this move or resize.
    QRect OuterBefore(QEvent* event) const
    {
        QRect outer = OuterGeometry(window_);
        if (event->type() == QEvent::Resize)
            outer.setSize(OuterSizeForFrameWidget(window_, static_cast<QResizeEvent*>(event)->oldSize()));
        else
            outer.moveTopLeft(outer.topLeft() - static_cast<QMoveEvent*>(event)->pos() +
                              static_cast<QMoveEvent*>(event)->oldPos());
        return outer;
    }

    void GeometryChanged(QEvent* event, bool spontaneous)
    {
        const bool resized = event->type() == QEvent::Resize;
        if (!spontaneous) {
            lastProgramGeometry_ = FrameWidget(window_)->geometry();
            return;
        }
        if (!IsUserGeometryChange(spontaneous))
            return;
        BeginDrag(OuterBefore(event));
        if (resized)
            SendSizing();
        Timer().Start();
    }

    bool StateChanged(Qt::WindowStates old, bool spontaneous)
    {
        QWidget* frame = FrameWidget(window_);
        const Qt::WindowStates now = frame->windowState();
        settling_ = true;
        Timer().Start();
        if (spontaneous && !InProgramGeometryChange(window_)) {
            WPARAM command = 0;
            if (now.testFlag(Qt::WindowMinimized) && !old.testFlag(Qt::WindowMinimized))
                command = SC_MINIMIZE;
            else if (old.testFlag(Qt::WindowMinimized) && !now.testFlag(Qt::WindowMinimized))
                command = SC_RESTORE;
            else if (now.testFlag(Qt::WindowMaximized) && !old.testFlag(Qt::WindowMaximized))
                command = SC_MAXIMIZE;
            else if (old.testFlag(Qt::WindowMaximized) && !now.testFlag(Qt::WindowMaximized))
                command = SC_RESTORE;
            if (command != 0) {
                if (dragging_)
                    EndDrag();
                TMessage m;
                m.Msg = WM_SYSCOMMAND;
                m.WParam = command;
                if (!Dispatch(m)) {
                    // Consumed: the window system did it already, so it is undone.
                    reverting_ = true;
                    {
                        ScopedGeometryChange guard(window_);
                        frame->setWindowState(old);
                    }
                    reverting_ = false;
                    return true;
                }
            }
        }
        SendPositionChange();
        SendSize();
        return false;
    }

    void ConnectScreen()
    {
        QWindow* handle = window_->isWindow() ? window_->windowHandle() : nullptr;
        if (handle == nullptr || handle == watchedHandle_)
            return;
        watchedHandle_ = handle;
        connect(handle, &QWindow::screenChanged, this, [this](QScreen* screen) {
            WatchScreen(screen);
            DisplayChanged();
        });
        WatchScreen(handle->screen());
    }

    void WatchScreen(QScreen* screen)
    {
        disconnect(screenConnection_);
        if (screen != nullptr)
            screenConnection_ =
                connect(screen, &QScreen::geometryChanged, this, [this] { DisplayChanged(); });
    }

    void DisplayChanged()
    {
        if (dead_)
            return;
        const QSize size = MaximizedSize(window_);
        const QScreen* screen = window_->screen();
        Send(WM_DISPLAYCHANGE, screen != nullptr ? static_cast<WPARAM>(screen->depth()) : 0,
             MakeLParam(size.width(), size.height()));
    }

    QWidget* window_;
    const QMetaObject* meta_;
    std::vector<std::shared_ptr<Entry>> entries_; // newest first
    std::uint64_t nextId_ = 0;
    bool dead_ = false;
    bool shown_ = false;
    bool reverting_ = false;
    bool dragging_ = false;
    bool settling_ = false;
    bool minimumSet_ = false;
    bool maximumSet_ = false;
    QRect lastProgramGeometry_;
    QPointer<QWindow> watchedHandle_;
    QMetaObject::Connection screenConnection_;
    TQuietTimerFactory timerFactory_;
    std::unique_ptr<TQuietTimer> timer_;
};

bool WindowMessageFilter::Translate(QObject* watched, QEvent* event, bool spontaneous)
{
    if (dead_ || reverting_)
        return false;
    if (event->type() == QEvent::Destroy || DestructionBegun()) {
        BeginDestroy();
        return false;
    }
    QWidget* frame = FrameWidget(window_);
    const bool onWindow = watched == window_;
    const bool onFrame = watched == frame;
    switch (event->type()) {
    case QEvent::Show:
        if (onWindow && !spontaneous) {
            // The window is created, not mapped yet: the window manager's frame, where it tells it,
            // makes the outer geometry exact from the first show.
            if (!shown_ && window_->isWindow() && !HasReportedFrame(window_) && !ExpectedFrame(window_)) {
                if (const std::optional<QMargins> announced = RequestFrameExtents(window_))
                    SetExpectedFrame(window_, *announced);
            }
            Send(WM_SHOWWINDOW, 1);
            if (!shown_) {
                // Qt sized the window while it was hidden; Windows reports the size of a window
                // shown for the first time.
                shown_ = true;
                SendPositionChange();
                SendSize();
            }
            ConnectScreen();
            RefreshTrackLimits();
        }
        break;
    case QEvent::Hide:
        if (onWindow && !spontaneous)
            Send(WM_SHOWWINDOW, 0);
        break;
    case QEvent::Move:
        if (onFrame) {
            GeometryChanged(event, spontaneous);
            SendPositionChange();
        }
        break;
    case QEvent::Resize:
        if (onFrame) {
            GeometryChanged(event, spontaneous);
            SendPositionChange();
            SendSize();
        }
        break;
    case QEvent::WindowStateChange:
        if (onFrame)
            return StateChanged(static_cast<QWindowStateChangeEvent*>(event)->oldState(), spontaneous);
        break;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        if (onFrame)
            Send(WM_ACTIVATE, event->type() == QEvent::WindowActivate ? WA_ACTIVE : WA_INACTIVE);
        break;
    case QEvent::Close:
        if (onFrame && frame == window_ && spontaneous) {
            TMessage m;
            m.Msg = WM_SYSCOMMAND;
            m.WParam = SC_CLOSE;
            if (!Dispatch(m)) {
                event->ignore();
                return true;
            }
        }
        break;
    case QEvent::Paint:
        if (onWindow) {
            TMessage m;
            m.Msg = WM_ERASEBKGND;
            m.DC = window_;
            Dispatch(m);
        }
        break;
    default:
        break;
    }
    return false;
}

void WindowMessageFilter::RefreshTrackLimits()
{
    if (dead_ || entries_.empty())
        return;
    constexpr std::int32_t Unlimited = QWIDGETSIZE_MAX;
    MINMAXINFO info;
    const QSize maximized = MaximizedSize(window_);
    const QRect available = AvailableGeometry(window_);
    info.ptMaxSize = {maximized.width(), maximized.height()};
    info.ptMaxPosition = {available.left(), available.top()};
    info.ptMinTrackSize = {0, 0};
    info.ptMaxTrackSize = {Unlimited, Unlimited};
    const MINMAXINFO system = info;
    TMessage m;
    m.Msg = WM_GETMINMAXINFO;
    m.MinMaxInfo = &info;
    Dispatch(m);
    if (dead_)
        return;

    QWidget* frame = FrameWidget(window_);
    ScopedGeometryChange guard(window_);
    QSize minimum(0, 0);
    if (info.ptMinTrackSize != system.ptMinTrackSize) {
        const QSize outer(std::clamp(info.ptMinTrackSize.x, 0, Unlimited),
                          std::clamp(info.ptMinTrackSize.y, 0, Unlimited));
        minimum = FrameWidgetSizeForOuter(window_, outer).boundedTo(QSize(Unlimited, Unlimited));
        if (outer.width() == 0)
            minimum.setWidth(0);
        if (outer.height() == 0)
            minimum.setHeight(0);
        frame->setMinimumSize(minimum);
        minimumSet_ = true;
    } else if (minimumSet_) {
        frame->setMinimumSize(0, 0);
        minimumSet_ = false;
    } else {
        minimum = frame->minimumSize();
    }
    if (info.ptMaxTrackSize != system.ptMaxTrackSize) {
        auto extent = [](std::int32_t value) { return value <= 0 || value >= Unlimited ? Unlimited : value; };
        const int outerWidth = extent(info.ptMaxTrackSize.x);
        const int outerHeight = extent(info.ptMaxTrackSize.y);
        const QSize converted = FrameWidgetSizeForOuter(window_, QSize(outerWidth, outerHeight));
        QSize maximum(outerWidth == Unlimited ? Unlimited : converted.width(),
                      outerHeight == Unlimited ? Unlimited : converted.height());
        frame->setMaximumSize(maximum.expandedTo(minimum).boundedTo(QSize(Unlimited, Unlimited)));
        maximumSet_ = true;
    } else if (maximumSet_) {
        frame->setMaximumSize(Unlimited, Unlimited);
        maximumSet_ = false;
    }
}

namespace {

bool PointerFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove || !watched->isWidgetType())
        return false;
    const auto* move = static_cast<QMouseEvent*>(event);
    // One move is shown again for every parent it propagates to: count it once.
    if (move->timestamp() == lastTimestamp_ && move->globalPosition() == lastPosition_ && lastTimestamp_ != 0)
        return false;
    lastTimestamp_ = move->timestamp();
    lastPosition_ = move->globalPosition();
    for (auto* w = static_cast<QWidget*>(watched); w != nullptr; w = w->parentWidget()) {
        if (WindowMessageFilter* filter = FindFilter(w); filter != nullptr && !filter->Dead()) {
            try {
                filter->PointerMoved();
            } catch (const std::exception& e) {
                qWarning("window message hook failed: %s", e.what());
            }
            break;
        }
        if (w->isWindow())
            break;
    }
    return false;
}

WindowMessageFilter* EnsureFilter(QWidget* window)
{
    if (WindowMessageFilter* filter = FindFilter(window))
        return filter;
    return new WindowMessageFilter(window);
}

} // namespace

TWindowHook::TWindowHook(QWidget* window, TWindowHookProc proc)
{
    if (window == nullptr || !proc)
        return;
    WindowMessageFilter* filter = EnsureFilter(window);
    chain_ = filter;
    id_ = filter->Add(std::move(proc));
}

TWindowHook::~TWindowHook()
{
    Remove();
}

TWindowHook::TWindowHook(TWindowHook&& other) noexcept : chain_(other.chain_), id_(other.id_)
{
    other.chain_ = nullptr;
    other.id_ = 0;
}

TWindowHook& TWindowHook::operator=(TWindowHook&& other) noexcept
{
    if (this != &other) {
        Remove();
        chain_ = other.chain_;
        id_ = other.id_;
        other.chain_ = nullptr;
        other.id_ = 0;
    }
    return *this;
}

void TWindowHook::Remove()
{
    if (chain_ != nullptr)
        chain_->Remove(id_);
    chain_ = nullptr;
    id_ = 0;
}

bool TWindowHook::Installed() const
{
    return chain_ != nullptr && !chain_->Dead() && chain_->Has(id_);
}

QWidget* TWindowHook::Window() const
{
    return chain_ != nullptr ? chain_->Window() : nullptr;
}

LRESULT SendWindowMessage(QWidget* window, TMessage& message)
{
    if (WindowMessageFilter* filter = FindFilter(window))
        filter->Dispatch(message);
    return message.Result;
}

LRESULT SendWindowMessage(QWidget* window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m;
    m.Msg = msg;
    m.WParam = wParam;
    m.LParam = lParam;
    return SendWindowMessage(window, m);
}

int HookCount(const QWidget* window)
{
    const WindowMessageFilter* filter = FindFilter(window);
    return filter != nullptr && !filter->Dead() ? filter->Count() : 0;
}

bool SettlingStateChange(const QWidget* window)
{
    const WindowMessageFilter* filter = FindFilter(window);
    return filter != nullptr && !filter->Dead() && filter->Settling();
}

void RefreshTrackLimits(QWidget* window)
{
    if (WindowMessageFilter* filter = FindFilter(window))
        filter->RefreshTrackLimits();
}

void SetQuietTimerFactory(QWidget* window, TQuietTimerFactory factory)
{
    if (window != nullptr)
        EnsureFilter(window)->SetTimerFactory(std::move(factory));
}

bool TranslateWindowEvent(QWidget* window, QObject* watched, QEvent* event, bool spontaneous)
{
    WindowMessageFilter* filter = FindFilter(window);
    return filter != nullptr && filter->Translate(watched, event, spontaneous);
}

} // namespace platform
