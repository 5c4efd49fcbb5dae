#include "platform/qt/WindowEvents.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include "platform/qt/WindowGeometry.h"

namespace platform {
namespace {

using Kind = WindowEvent::Kind;

constexpr std::size_t RoleCount = 2;

// The window's filter is its child of this name.
constexpr char FilterName[] = "quorlane.windowEvents";

Qt::WindowStates EffectiveState(const QWidget* window)
{
    Qt::WindowStates state = window->windowState();
    if (const QWindow* handle = window->windowHandle(); handle != nullptr && window->isWindow())
        state |= handle->windowStates();
    return state;
}

// Pointer movement over any widget of a window with components reaches them as PointerMoved. Qt
// delivers moves without buttons only to widgets that track the mouse, but shows every one to the
// application's filters, so one filter on the application sees them all and hands each to the
// window's own filter.
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

// The event filter of one window and its components. A child of the window, so it goes with it;
// the registrations refer to it through QPointer.
class WindowEventFilter : public QObject
{
    struct Slot
    {
        std::uint64_t id = 0;
        std::shared_ptr<TWindowEventHandler> handler;
    };

public:
    explicit WindowEventFilter(QWidget* window)
        : QObject(window), window_(window), meta_(window->metaObject())
    {
        setObjectName(QLatin1String(FilterName));
        quiet_.setSingleShot(true);
        quiet_.setInterval(DragQuietInterval);
        connect(&quiet_, &QTimer::timeout, this, &WindowEventFilter::Quiet);
        window->installEventFilter(this);
        EnsurePointerFilter();
    }

    // The filter goes before the window: the components hear that it ends.
    ~WindowEventFilter() override { BeginDestroy(); }

    bool Dead() const { return dead_; }
    bool Settling() const { return settling_; }
    int Count() const
    {
        return static_cast<int>(
            std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.id != 0; }));
    }

    std::uint64_t Add(WindowRole role, TWindowEventHandler handler)
    {
        Slot& slot = slots_[static_cast<std::size_t>(role)];
        slot.id = ++nextId_;
        slot.handler = std::make_shared<TWindowEventHandler>(std::move(handler));
        return slot.id;
    }

    // The registration's slot (ids are never 0 and never reused), or nullptr.
    Slot* Find(std::uint64_t id)
    {
        const auto it =
            std::find_if(slots_.begin(), slots_.end(), [id](const Slot& s) { return s.id == id; });
        return id != 0 && it != slots_.end() ? &*it : nullptr;
    }

    // Hands the event to the components in role order; true when none consumed it.
    bool Dispatch(WindowEvent& event)
    {
        if (dead_)
            return true;
        for (const Slot& slot : slots_) {
            if (slot.id == 0)
                continue;
            // The handler may remove itself (or the other one) while it runs.
            const std::shared_ptr<TWindowEventHandler> handler = slot.handler;
            if ((*handler)(event))
                return false;
        }
        return true;
    }

    bool Send(Kind kind)
    {
        WindowEvent event{.kind = kind};
        return Dispatch(event);
    }

    bool Translate(QObject* watched, QEvent* event, bool spontaneous);
    void RefreshTrackLimits();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return Translate(watched, event, event->spontaneous());
    }

private:
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
        quiet_.stop();
        Send(Kind::Destroyed);
        dead_ = true;
    }

    void Quiet()
    {
        settling_ = false;
        if (std::exchange(framing_, false))
            PlaceAgainWithReportedFrame(window_);
        if (dragging_)
            EndDrag();
    }

    void BeginDrag(QRect before)
    {
        if (dragging_)
            return;
        dragging_ = true;
        WindowEvent event{.kind = Kind::DragStarted, .outer = before};
        Dispatch(event);
    }

    void EndDrag()
    {
        dragging_ = false;
        Send(Kind::DragEnded);
    }

    WindowState State() const
    {
        const Qt::WindowStates state = EffectiveState(window_);
        if (state.testFlag(Qt::WindowMinimized))
            return WindowState::Minimized;
        if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
            return WindowState::Maximized;
        return WindowState::Normal;
    }

    void SendResized()
    {
        WindowEvent event{.kind = Kind::Resized, .state = State()};
        Dispatch(event);
    }

    // Is this move or resize the user's? Only spontaneous changes of an exposed, normal window that
    // the program did not ask for, and not the window system settling after a state change. Until
    // the window is exposed, the window manager is still framing and placing it.
    bool IsUserGeometryChange() const
    {
        const QWindow* handle = window_->windowHandle();
        if (settling_ || handle == nullptr || !handle->isExposed() || InProgramGeometryChange(window_))
            return false;
        if (EffectiveState(window_) & SpecialStates)
            return false;
        const QRect now = window_->geometry();
        return now != lastProgramGeometry_ && now != RequestedGeometry(window_);
    }

    // The outer rectangle before this move or resize.
    QRect OuterBefore(QEvent* event) const
    {
        QRect outer = OuterGeometry(window_);
        if (event->type() == QEvent::Resize)
            outer.setSize(static_cast<QResizeEvent*>(event)->oldSize() + Decoration(window_));
        else
            outer.moveTopLeft(outer.topLeft() - static_cast<QMoveEvent*>(event)->pos() +
                              static_cast<QMoveEvent*>(event)->oldPos());
        return outer;
    }

    void GeometryChanged(QEvent* event, bool spontaneous)
    {
        if (!spontaneous) {
            lastProgramGeometry_ = window_->geometry();
            return;
        }
        if (framing_) {
            quiet_.start();
            return;
        }
        if (!IsUserGeometryChange())
            return;
        ForgetPlacementWithoutFrame(window_);
        BeginDrag(OuterBefore(event));
        if (event->type() == QEvent::Resize)
            Send(Kind::Dragging);
        quiet_.start();
    }

    // The user's request a spontaneous change of state stands for, if any.
    static std::optional<Kind> RequestFor(Qt::WindowStates old, Qt::WindowStates now)
    {
        if (now.testFlag(Qt::WindowMinimized) && !old.testFlag(Qt::WindowMinimized))
            return Kind::MinimizeRequested;
        if (old.testFlag(Qt::WindowMinimized) && !now.testFlag(Qt::WindowMinimized))
            return Kind::RestoreRequested;
        if (now.testFlag(Qt::WindowMaximized) && !old.testFlag(Qt::WindowMaximized))
            return Kind::MaximizeRequested;
        if (old.testFlag(Qt::WindowMaximized) && !now.testFlag(Qt::WindowMaximized))
            return Kind::RestoreRequested;
        return std::nullopt;
    }

    bool StateChanged(Qt::WindowStates old, bool spontaneous)
    {
        const Qt::WindowStates now = window_->windowState();
        settling_ = true;
        quiet_.start();
        if (spontaneous && !InProgramGeometryChange(window_)) {
            if (const std::optional<Kind> request = RequestFor(old, now)) {
                if (dragging_)
                    EndDrag();
                if (!Send(*request)) {
                    // Consumed: the window system did it already, so it is undone.
                    reverting_ = true;
                    {
                        ScopedGeometryChange guard(window_);
                        window_->setWindowState(old);
                    }
                    reverting_ = false;
                    return true;
                }
            }
        }
        Send(Kind::GeometryChanging);
        SendResized();
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
        WindowEvent event{.kind = Kind::DisplayChanged, .screenSize = AvailableGeometry(window_).size()};
        Dispatch(event);
    }

    QWidget* window_;
    const QMetaObject* meta_;
    std::array<Slot, RoleCount> slots_; // by role, in the order of delivery
    std::uint64_t nextId_ = 0;
    bool dead_ = false;
    bool shown_ = false;
    bool reverting_ = false;
    bool dragging_ = false;
    bool settling_ = false;
    bool framing_ = false;    // the window manager frames a window placed without the frame
    bool minimumSet_ = false; // the track limits last set a minimum (maximum) size
    bool maximumSet_ = false;
    QRect lastProgramGeometry_;
    QPointer<QWindow> watchedHandle_;
    QMetaObject::Connection screenConnection_;
    QTimer quiet_; // restarted by each change of a drag or a state change
};

bool WindowEventFilter::Translate(QObject* watched, QEvent* event, bool spontaneous)
{
    if (dead_ || reverting_ || watched != window_)
        return false;
    if (event->type() == QEvent::Destroy || DestructionBegun()) {
        BeginDestroy();
        return false;
    }
    if (spontaneous && !framing_ && PlacedWithoutFrame(window_) && HasReportedFrame(window_)) {
        // The window manager frames a window placed without the frame: the moves until the next
        // quiet interval are its own, then the window is placed again with the real frame.
        framing_ = true;
        quiet_.start();
    }
    switch (event->type()) {
    case QEvent::Show:
        if (!spontaneous) {
            // The window is created, not mapped yet: the window manager's frame, where it tells it,
            // makes the outer geometry exact from the first show.
            if (!shown_ && window_->isWindow())
                AskForFrame(window_);
            Send(Kind::Shown);
            if (!shown_) {
                // Qt sized the window while it was hidden: a first show reports the size.
                shown_ = true;
                Send(Kind::GeometryChanging);
                SendResized();
            }
            ConnectScreen();
            RefreshTrackLimits();
        }
        break;
    case QEvent::Move:
        GeometryChanged(event, spontaneous);
        Send(Kind::GeometryChanging);
        break;
    case QEvent::Resize:
        GeometryChanged(event, spontaneous);
        Send(Kind::GeometryChanging);
        SendResized();
        break;
    case QEvent::WindowStateChange:
        return StateChanged(static_cast<QWindowStateChangeEvent*>(event)->oldState(), spontaneous);
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        Send(Kind::Activated);
        break;
    case QEvent::Close:
        if (spontaneous && !Send(Kind::CloseRequested)) {
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

void WindowEventFilter::RefreshTrackLimits()
{
    if (dead_ || Count() == 0)
        return;
    static constexpr int Unlimited = QWIDGETSIZE_MAX;
    const TrackSizes system{QSize(0, 0), QSize(Unlimited, Unlimited)};
    TrackSizes limits = system;
    WindowEvent event{.kind = Kind::TrackLimitsAsked, .limits = &limits};
    Dispatch(event);
    if (dead_)
        return;

    // The frame widget's size for an outer track size; 0 and unlimited extents stay as they are.
    auto widgetSize = [this](QSize outer) {
        const QSize converted = FrameWidgetSizeForOuter(window_, outer);
        auto pick = [](int outerExtent, int widgetExtent) {
            return outerExtent <= 0           ? 0
                   : outerExtent >= Unlimited ? Unlimited
                                              : std::min(widgetExtent, Unlimited);
        };
        return QSize(pick(outer.width(), converted.width()), pick(outer.height(), converted.height()));
    };
    ScopedGeometryChange guard(window_);
    const bool minimumAsked = limits.minimumTrack != system.minimumTrack;
    if (std::exchange(minimumSet_, minimumAsked) || minimumAsked)
        window_->setMinimumSize(widgetSize(limits.minimumTrack));
    const bool maximumAsked = limits.maximumTrack != system.maximumTrack;
    if (std::exchange(maximumSet_, maximumAsked) || maximumAsked) {
        auto extent = [](int value) { return value <= 0 ? Unlimited : value; };
        const QSize outer(extent(limits.maximumTrack.width()), extent(limits.maximumTrack.height()));
        window_->setMaximumSize(widgetSize(outer).expandedTo(window_->minimumSize()));
    }
}

namespace {

WindowEventFilter* FindFilter(const QWidget* window)
{
    QObject* filter = window != nullptr
                          ? window->findChild<QObject*>(QLatin1String(FilterName), Qt::FindDirectChildrenOnly)
                          : nullptr;
    return static_cast<WindowEventFilter*>(filter);
}

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
    QWidget* window = static_cast<QWidget*>(watched)->window();
    if (WindowEventFilter* filter = FindFilter(window))
        filter->Send(Kind::PointerMoved);
    return false;
}

WindowEventFilter* EnsureFilter(QWidget* window)
{
    if (WindowEventFilter* filter = FindFilter(window))
        return filter;
    return new WindowEventFilter(window);
}

} // namespace

TWindowEvents::TWindowEvents(QWidget* window, WindowRole role, TWindowEventHandler handler)
{
    if (window == nullptr || !handler)
        return;
    WindowEventFilter* filter = EnsureFilter(window);
    filter_ = filter;
    id_ = filter->Add(role, std::move(handler));
}

TWindowEvents::~TWindowEvents()
{
    Remove();
}

TWindowEvents::TWindowEvents(TWindowEvents&& other) noexcept
    : filter_(std::exchange(other.filter_, nullptr)), id_(std::exchange(other.id_, 0))
{}

TWindowEvents& TWindowEvents::operator=(TWindowEvents&& other) noexcept
{
    if (this != &other) {
        Remove();
        filter_ = std::exchange(other.filter_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void TWindowEvents::Remove()
{
    if (filter_ != nullptr)
        if (auto* slot = filter_->Find(id_))
            *slot = {};
    filter_ = nullptr;
    id_ = 0;
}

bool TWindowEvents::Installed() const
{
    return filter_ != nullptr && !filter_->Dead() && filter_->Find(id_) != nullptr;
}

bool SendWindowEvent(QWidget* window, WindowEvent event)
{
    WindowEventFilter* filter = FindFilter(window);
    return filter == nullptr || filter->Dispatch(event);
}

bool SettlingStateChange(const QWidget* window)
{
    const WindowEventFilter* filter = FindFilter(window);
    return filter != nullptr && !filter->Dead() && filter->Settling();
}

void RefreshTrackLimits(QWidget* window)
{
    if (WindowEventFilter* filter = FindFilter(window))
        filter->RefreshTrackLimits();
}

bool TranslateWindowEvent(QWidget* window, QObject* watched, QEvent* event, bool spontaneous)
{
    WindowEventFilter* filter = FindFilter(window);
    return filter != nullptr && filter->Translate(watched, event, spontaneous);
}

} // namespace platform
