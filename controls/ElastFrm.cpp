#include "controls/ElastFrm.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include <QApplication>
#include <QScopedValueRollback>
#include <QWidget>
#include <QWindow>

#include "controls/ElasticMath.h"

using platform::WindowEvent;
using platform::WindowState;
using Kind = platform::WindowEvent::Kind;

namespace {

// Size changes up to this many pixels in both directions cause no rescale.
constexpr int SizeThreshold = 5;
constexpr int SmallestUsableExtent = 32;
// A resize outside a drag stores the placement when no other step followed for this long.
constexpr int PlacementSaveDelayMs = 300;

bool MovedFurther(QSize a, QSize b)
{
    return std::abs(a.width() - b.width()) > SizeThreshold ||
           std::abs(a.height() - b.height()) > SizeThreshold;
}

} // namespace

// ---- construction ----

TElasticForm::TElasticForm(QObject* owner) : QObject(owner)
{
    auto* form = qobject_cast<QWidget*>(owner);
    if (form == nullptr || !form->isWindow())
        throw EElasticForm("Owner of TElasticForm component must be a form");
    if (owner->findChildren<TElasticForm*>(Qt::FindDirectChildrenOnly).size() > 1)
        throw EElasticForm("A TElasticForm component already exists in " + form->objectName().toStdString());
    form_ = form;
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(PlacementSaveDelayMs);
    connect(&saveTimer_, &QTimer::timeout, this, &TElasticForm::SaveFormStateQuietly);

    events_ = platform::TWindowEvents(form, platform::WindowRole::Scaler, [this](WindowEvent& event) {
        FormEvent(event);
        return false;
    });

    // What a form designer would have stored: the form as it is now.
    options_.Font = form->font();
    screen_ = platform::AvailableGeometry(form).size();
    designScreen_ = screen_;
    const QRect outer = platform::OuterGeometry(form);
    const QSize client = platform::ClientSize(form);
    options_.DesignFormWidth = outer.width();
    options_.DesignFormHeight = outer.height();
    options_.DesignFormClientWidth = client.width();
    options_.DesignFormClientHeight = client.height();
    options_.DesignFormLeft = outer.left();
    options_.DesignFormTop = outer.top();
    SyncDesignFrame();

    // The form's window state as it is now.
    designedMaximized_ = form->windowState().testFlag(Qt::WindowMaximized);
    maximizedSeen_ = designedMaximized_;
}

// ---- setters with an immediate effect ----

void TElasticForm::SetTrackLimits(QSize minimum, QSize maximum)
{
    options_.MinimumTrackWidth = minimum.width();
    options_.MinimumTrackHeight = minimum.height();
    options_.MaximumTrackWidth = maximum.width();
    options_.MaximumTrackHeight = maximum.height();
    UpdateTrackLimits();
}

void TElasticForm::SetDesignFormSize(QSize outer, QSize client)
{
    options_.DesignFormWidth = outer.width();
    options_.DesignFormHeight = outer.height();
    options_.DesignFormClientWidth = client.width();
    options_.DesignFormClientHeight = client.height();
    SyncDesignFrame();
}

// ---- window helpers ----

QRect TElasticForm::Outer() const
{
    return platform::OuterGeometry(form_);
}

bool TElasticForm::IsWindowMaximized() const
{
    return form_->windowState().testFlag(Qt::WindowMaximized);
}

void TElasticForm::SetFormBounds(const QRect& outer)
{
    // A maximized or minimized window keeps the size the window system gave it; setting its
    // geometry would take it out of that state.
    if (form_->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        return;
    if (outer == Outer())
        return;
    platform::SetOuterGeometry(form_, outer);
}

bool TElasticForm::StaysOnTop() const
{
    if (form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        return true;
    const QWindow* handle = form_->windowHandle();
    return handle != nullptr && handle->flags().testFlag(Qt::WindowStaysOnTopHint);
}

void TElasticForm::ApplyFontToForm()
{
    if (form_->font() != options_.Font) {
        // The menu bar belongs to the window's frame: it keeps its font.
        if (QWidget* menu = platform::MenuBar(form_))
            elastic::MakeFontOwn(menu);
        form_->setFont(options_.Font);
    }
}

void TElasticForm::SetComponentFontSize(int points)
{
    options_.Font = elastic::WithFontSize(options_.Font, points);
    ApplyFontToForm();
}

void TElasticForm::SyncDesignFrame()
{
    platform::SetDesignFrame(form_, QSize(options_.DesignFormWidth - options_.DesignFormClientWidth,
                                          options_.DesignFormHeight - options_.DesignFormClientHeight));
}

void TElasticForm::UpdateTrackLimits()
{
    if (form_ != nullptr && stage_ != Stage::Waiting && !suspended_ && form_->isVisible())
        platform::RefreshTrackLimits(form_);
}

QSize TElasticForm::MinimumUsableSize() const
{
    const int width = std::max({elastic::DecodeScreenValue(options_.MinimumTrackWidth, screen_.width()),
                                options_.DesignFormWidth / 4, SmallestUsableExtent});
    const int height = std::max({elastic::DecodeScreenValue(options_.MinimumTrackHeight, screen_.height()),
                                 options_.DesignFormHeight / 4, SmallestUsableExtent});
    return QSize(width, height);
}

QWidget* TElasticForm::FindRegistered(const QString& name) const
{
    QWidget* found = nullptr;
    for (const TFrame& frame : frames_) {
        if (frame.control != nullptr && frame.control->objectName() == name)
            found = frame.control;
    }
    return found;
}

void TElasticForm::RefocusNoted()
{
    if (noted_ != nullptr && noted_ != form_)
        noted_->setFocus(Qt::OtherFocusReason);
}

void TElasticForm::AfterResize()
{
    if (!options_.OnAfterResize)
        return;
    const QScopedValueRollback inCallback(reentry_, Reentry::AfterResize);
    options_.OnAfterResize();
}

// ---- the window events ----
//
// The gate: while scaling is suspended or the form is not visible every event but Destroyed passes
// untouched. Otherwise the prologue notes the focused widget, keeps the form's font equal to the
// component Font, starts the scaling and lays out the first display on the first event (Stage),
// applies a stored position once, and acts on the event. The scaler never consumes an event.
//
// Events are re-entrant: a geometry change the scaler makes (SetFormBounds), or the after-resize
// callback makes, reaches Act again before the call that made it returns (Reentry says which).

void TElasticForm::FormEvent(const WindowEvent& event)
{
    if (event.kind == Kind::Destroyed) {
        events_.Remove();
        return;
    }
    if (suspended_ || !form_->isVisible())
        return;
    try {
        noted_ = QApplication::focusWidget();
        if (elastic::FontSize(form_->font()) != elastic::FontSize(options_.Font)) {
            ApplyFontToForm();
            form_->update();
        }
        if (stage_ == Stage::Waiting) {
            InitializeScaling();
            FirstDisplay();
        }
        if (stored_ == StoredPlacement::PositionAndSize)
            ApplyStoredPosition();
        Act(event);
    } catch (const std::exception& e) {
        qWarning("form scaler: %s", e.what());
    }
}

void TElasticForm::Act(const WindowEvent& event)
{
    switch (event.kind) {
    case Kind::Resized:
        OnResized(event.state);
        break;
    case Kind::Activated:
        OnActivated();
        break;
    case Kind::Shown:
        OnShown();
        break;
    case Kind::PointerMoved:
        if (!StaysOnTop())
            userInteracted_ = true;
        break;
    case Kind::TrackLimitsAsked:
        OnTrackLimitsAsked(event.limits);
        break;
    case Kind::GeometryChanging:
        // Any change after an activation: the user's, the window system's, or the move of the
        // after-resize callback.
        if (sizing_ == Sizing::ActivationArmed)
            sizing_ = Sizing::User;
        break;
    case Kind::DisplayChanged:
        OnDisplayChanged(event.screenSize);
        break;
    case Kind::CloseRequested:
        SaveFormStateQuietly();
        userInteracted_ = true;
        break;
    case Kind::MinimizeRequested:
        OnMinimizeRequested();
        break;
    case Kind::MaximizeRequested:
        HideControls();
        break;
    case Kind::RestoreRequested:
        if (!StaysOnTop())
            HideControls();
        break;
    case Kind::Dragging:
        dragResizing_ = true;
        break;
    case Kind::DragStarted:
        // The size when the drag began (reported where the drag showed only later).
        referenceSize_ = event.outer.isValid() ? event.outer.size() : Outer().size();
        break;
    case Kind::DragEnded:
        OnDragEnded();
        break;
    case Kind::Destroyed:
        break;
    }
}

void TElasticForm::OnResized(WindowState state)
{
    if (dragResizing_ || state == WindowState::Minimized)
        return;
    if (state == WindowState::Maximized && !maximizedSeen_) {
        const QSize size = Outer().size();
        if (std::abs(size.width() - lastSize_.width()) > SizeThreshold &&
            std::abs(size.height() - lastSize_.height()) > SizeThreshold)
            HideControls();
        sizing_ = Sizing::User;
        maximizedSeen_ = true;
        ApplyFontToForm();
    }
    if (state == WindowState::Normal && sizing_ == Sizing::User) {
        if (maximizedSeen_) {
            HideControls();
            if (stored_ == StoredPlacement::Maximized)
                stored_ = StoredPlacement::None; // the user restored it
        }
        maximizedSeen_ = false;
        ApplyFontToForm();
    }
    // The start-up sizing cannot move the window. The Resized of the snap back comes into this
    // function again before SetFormBounds returns.
    if (sizing_ != Sizing::User && reentry_ == Reentry::None) {
        const QScopedValueRollback snapping(reentry_, Reentry::SnappingBack);
        SetFormBounds(initial_);
    }
    if (MovedFurther(Outer().size(), lastSize_)) {
        ResizeControls(); // its AfterResize may move the window
        form_->update();
        RestoreControls();
        lastSize_ = Outer().size();
    }
    RefocusNoted();
    SaveFormStateSoon();
    RestoreControls();
}

void TElasticForm::OnActivated()
{
    if (sizing_ == Sizing::StartUp)
        sizing_ = Sizing::ActivationArmed;
    if (stored_ == StoredPlacement::Maximized) {
        stored_ = StoredPlacement::None;
        placement_.showCmd = platform::SW_SHOWMAXIMIZED;
        platform::SetWindowPlacement(form_, placement_);
        RestoreControls();
    }
    if (noted_ != nullptr)
        noted_->setFocus(Qt::ActiveWindowFocusReason);
}

void TElasticForm::OnShown()
{
    if (stored_ == StoredPlacement::Size)
        ApplyStoredSize();
    if (!userInteracted_) {
        HideControls();
        ResizeControls();
        RestoreControls();
        firstReshowHeld_ = false;
    }
    RefocusNoted();
}

void TElasticForm::OnTrackLimitsAsked(platform::TrackSizes* limits)
{
    if (stage_ == Stage::Started && IsWindowMaximized())
        ResizeControls();
    if (stage_ == Stage::Started)
        return;
    // 0 leaves the system's value; otherwise pixels, or minus a percentage of the screen.
    auto decode = [](int value, int screenExtent, int system) {
        return value != 0 ? elastic::DecodeScreenValue(value, screenExtent) : system;
    };
    limits->minimumTrack =
        QSize(decode(options_.MinimumTrackWidth, screen_.width(), limits->minimumTrack.width()),
              decode(options_.MinimumTrackHeight, screen_.height(), limits->minimumTrack.height()));
    limits->maximumTrack =
        QSize(decode(options_.MaximumTrackWidth, screen_.width(), limits->maximumTrack.width()),
              decode(options_.MaximumTrackHeight, screen_.height(), limits->maximumTrack.height()));
}

void TElasticForm::OnDisplayChanged(QSize now)
{
    const int oldWidth = designScreen_.width();
    const int oldHeight = designScreen_.height();
    designScreen_ = now;
    if (oldWidth <= 0 || oldHeight <= 0)
        return;
    const double kx = static_cast<double>(now.width()) / oldWidth;
    const double ky = static_cast<double>(now.height()) / oldHeight;
    const QRect outer = Outer();
    SetFormBounds(QRect(elastic::Round(outer.left() * kx), elastic::Round(outer.top() * ky),
                        elastic::Round(outer.width() * kx), elastic::Round(outer.height() * ky)));
    HideControls();
    ResizeControls();
    RestoreControls();
}

void TElasticForm::OnMinimizeRequested()
{
    if (const QWidget* active = form_->focusWidget())
        options_.EFActiveControl = elastic::IsNamed(active) ? active->objectName() : QString();
    SaveFormStateQuietly();
    userInteracted_ = true;
    maximizedSeen_ = false;
    lastSize_ = Outer().size();
}

void TElasticForm::OnDragEnded()
{
    sizing_ = Sizing::User;
    // Only a drag that resized the window (Dragging) rescales at its end.
    if (std::exchange(dragResizing_, false)) {
        noted_ = QApplication::focusWidget();
        HideControls();
        if (options_.MaintainProportions)
            KeepProportions();
        ResizeControls();
        form_->update();
        RestoreControls();
        RefocusNoted();
    }
    maximizedSeen_ = false;
    SaveFormStateQuietly();
}

// ---- initialization ----

void TElasticForm::InitializeScaling()
{
    stage_ = Stage::Started;
    // The design screen is the present one: controls and fonts start at their design values.
    screen_ = platform::AvailableGeometry(form_).size();
    designScreen_ = screen_;

    // The controls: the form's direct children in alignment order, then every other one.
    std::vector<QWidget*> nested;
    aligned_.clear();
    for (QWidget* w : elastic::CollectControls(form_))
        (w->parentWidget() == form_ ? aligned_ : nested).push_back(w);
    std::stable_sort(aligned_.begin(), aligned_.end(), [](const QWidget* a, const QWidget* b) {
        return elastic::AlignOf(a) < elastic::AlignOf(b);
    });
    std::vector<QWidget*> ordered = aligned_;
    ordered.insert(ordered.end(), nested.begin(), nested.end());

    frames_.clear();
    frames_.reserve(ordered.size());
    for (QWidget* w : ordered) {
        TFrame frame;
        frame.control = w;
        TakeBounds(frame, 1.0, 1.0);
        frames_.push_back(std::move(frame));
    }
    LoadFormState();
    for (TFrame& frame : frames_)
        frame.visible = elastic::ControlVisible(frame.control);

    if (IsWindowMaximized()) {
        options_.DesignFormWidth = screen_.width();
        options_.DesignFormHeight = screen_.height();
        options_.DesignFormLeft = 0;
        options_.DesignFormTop = 0;
        SyncDesignFrame();
    }

    designFormFont_ = elastic::FontSize(form_->font());
    designFrame_ = QSize(options_.DesignFormWidth - options_.DesignFormClientWidth,
                         options_.DesignFormHeight - options_.DesignFormClientHeight);
    initial_ = elastic::InitialBounds(QRect(options_.DesignFormLeft, options_.DesignFormTop,
                                            options_.DesignFormWidth, options_.DesignFormHeight),
                                      screen_);
}

void TElasticForm::FirstDisplay()
{
    if (stored_ == StoredPlacement::Maximized) {
        // The stored normal rectangle first (while the window is normal, without reacting to it),
        // then the maximized state: Qt cannot set the normal rectangle of a maximized window.
        {
            const QScopedValueRollback pass(suspended_, true);
            placement_.showCmd = platform::SW_HIDE;
            platform::SetWindowPlacement(form_, placement_);
        }
        platform::ScopedGeometryChange guard(form_);
        form_->setWindowState(form_->windowState() | Qt::WindowMaximized);
    }
    referenceSize_ = initial_.size();
    if (options_.MaintainProportions)
        ComputeMaxTrackSize();
    SetFormBounds(initial_);
}

void TElasticForm::ApplyStoredPosition()
{
    stored_ = StoredPlacement::Size;
    const std::optional<int> left = elastic::StoredPosition(storedLeft_, screen_.width());
    const std::optional<int> top = elastic::StoredPosition(storedTop_, screen_.height());
    if (left)
        initial_.moveLeft(*left);
    if (top)
        initial_.moveTop(*top);
    initial_ = platform::FitInto(initial_, platform::PlacementArea(form_, initial_));
    SetFormBounds(initial_);
}

void TElasticForm::ApplyStoredSize()
{
    HideControls();
    stored_ = StoredPlacement::None;
    const QSize minimum = MinimumUsableSize();
    const std::optional<int> width = elastic::StoredExtent(storedWidth_, screen_.width(), minimum.width());
    const std::optional<int> height =
        elastic::StoredExtent(storedHeight_, screen_.height(), minimum.height());
    // A damaged stored size (zero, negative, not a number) is not used; the design size stays.
    if (width && height)
        initial_.setSize(QSize(*width, *height));
    initial_ = platform::FitInto(initial_, platform::PlacementArea(form_, initial_));
    SetFormBounds(initial_);
}

// ---- suspending ----

void TElasticForm::ResumeScaling()
{
    suspended_ = false;
    UpdateTrackLimits();
}
