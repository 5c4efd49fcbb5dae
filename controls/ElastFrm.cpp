#include "controls/ElastFrm.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <QWidget>
#include <QWindow>

#include "controls/ElasticMath.h"
#include "platform/Registry.h"

using platform::WindowEvent;
using platform::WindowState;
using Kind = platform::WindowEvent::Kind;

namespace {

// Size changes up to this many pixels in both directions cause no rescale.
constexpr int SizeThreshold = 5;
// Activation arms the position-change counter with this value; the next geometry change then marks
// the window activated.
constexpr int ActivationCount = 10000;
constexpr int SmallestUsableExtent = 32;
// A resize outside a drag stores the placement when no other step followed for this long.
constexpr int PlacementSaveDelayMs = 300;

bool MovedFurther(QSize a, QSize b)
{
    return std::abs(a.width() - b.width()) > SizeThreshold ||
           std::abs(a.height() - b.height()) > SizeThreshold;
}

double Ratio(int now, int base)
{
    return base > 0 ? static_cast<double>(now) / base : 1.0;
}

// Sets a flag for the lifetime of the object.
class FlagScope
{
public:
    explicit FlagScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = previous_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool previous_;
};

} // namespace

int TElasticFont::Size() const
{
    return elastic::FontSize(font);
}

void TElasticFont::SetSize(int points)
{
    font = elastic::WithFontSize(font, points);
}

// ---- construction ----

TElasticForm::TElasticForm(QObject* owner) : QObject(owner)
{
    auto* form = qobject_cast<QWidget*>(owner);
    if (form == nullptr || !form->isWindow())
        throw EElasticForm("Owner of TElasticForm component must be a form");
    if (owner->findChildren<TElasticForm*>(Qt::FindDirectChildrenOnly).size() > 1)
        throw EElasticForm("A TElasticForm component already exists in " + form->objectName().toStdString());
    form_ = form;
    store_ = elastic::RegistryPlacementStore();
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(PlacementSaveDelayMs);
    connect(&saveTimer_, &QTimer::timeout, this, &TElasticForm::SaveFormStateQuietly);

    events_ = platform::TWindowEvents(form, platform::WindowRole::Scaler, [this](WindowEvent& event) {
        FormEvent(event);
        return false;
    });

    if (elastic::AutoSizeOf(form).value_or(false))
        form->setProperty("AutoSize", false);

    // What a form designer would have stored: the form as it is now.
    font_.font = form->font();
    const QColor text = form->palette().color(QPalette::WindowText);
    font_.color = text == ColorToQColor(clWindowText) ? clWindowText : QColorToColor(text);
    screen_ = platform::MaximizedSize(form);
    designScreenWidth_ = screen_.width();
    designScreenHeight_ = screen_.height();
    designPixelsPerInch_ = form->logicalDpiY() > 0 ? form->logicalDpiY() : 96;
    const QRect outer = platform::OuterGeometry(form);
    const QSize client = platform::ClientSize(form);
    designFormWidth_ = outer.width();
    designFormHeight_ = outer.height();
    designFormClientWidth_ = client.width();
    designFormClientHeight_ = client.height();
    designFormLeft_ = outer.left();
    designFormTop_ = outer.top();
    SyncDesignFrame();

    // The form's Position and WindowState as they are now.
    const QString position = form->property("Position").toString();
    centred_ = position == QLatin1String("poScreenCenter") || position == QLatin1String("poDesktopCenter");
    designedMaximized_ = platform::FrameWidget(form)->windowState().testFlag(Qt::WindowMaximized);
    maximized_ = designedMaximized_;
}

TElasticForm::~TElasticForm() = default;

// ---- properties ----

void TElasticForm::SetMaximizedPosX(int value)
{
    maximizedPosX_ = value;
    UpdateTrackLimits();
}

void TElasticForm::SetMaximizedPosY(int value)
{
    maximizedPosY_ = value;
    UpdateTrackLimits();
}

void TElasticForm::SetMinimumTrackWidth(int value)
{
    minimumTrackWidth_ = value;
    UpdateTrackLimits();
}

void TElasticForm::SetMinimumTrackHeight(int value)
{
    minimumTrackHeight_ = value;
    UpdateTrackLimits();
}

void TElasticForm::SetMaximumTrackWidth(int value)
{
    maximumTrackWidth_ = value;
    UpdateTrackLimits();
}

void TElasticForm::SetMaximumTrackHeight(int value)
{
    maximumTrackHeight_ = value;
    UpdateTrackLimits();
}

void TElasticForm::SetDesignFormWidth(int value)
{
    designFormWidth_ = value;
    SyncDesignFrame();
}

void TElasticForm::SetDesignFormHeight(int value)
{
    designFormHeight_ = value;
    SyncDesignFrame();
}

void TElasticForm::SetDesignFormClientWidth(int value)
{
    designFormClientWidth_ = value;
    SyncDesignFrame();
}

void TElasticForm::SetDesignFormClientHeight(int value)
{
    designFormClientHeight_ = value;
    SyncDesignFrame();
}

void TElasticForm::SetFont(const TElasticFont& value)
{
    font_ = value;
    ApplyFontToForm();
    form_->update();
}

QWidget* TElasticForm::Control(int index) const
{
    return frames_.at(index).control;
}

std::string TElasticForm::PlacementKeyPath() const
{
    std::string root = elFrmIniFile_.toStdString();
    while (!root.empty() && root.back() == '\\')
        root.pop_back();
    const std::string name = form_->objectName().toStdString();
    if (root.empty() || name.empty())
        return {};
    return root + '\\' + name;
}

// ---- window helpers ----

QRect TElasticForm::Outer() const
{
    return platform::OuterGeometry(form_);
}

bool TElasticForm::IsWindowMaximized() const
{
    return platform::FrameWidget(form_)->windowState().testFlag(Qt::WindowMaximized);
}

void TElasticForm::SetFormBounds(const QRect& outer)
{
    // A maximized or minimized window keeps the size the window system gave it; setting its
    // geometry would take it out of that state.
    if (platform::FrameWidget(form_)->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        return;
    if (outer == Outer())
        return;
    platform::SetOuterGeometry(form_, outer);
}

bool TElasticForm::IsBorderless() const
{
    return platform::FrameWidget(form_)->windowFlags().testFlag(Qt::FramelessWindowHint);
}

bool TElasticForm::IsNormalStyle() const
{
    const QWidget* frame = platform::FrameWidget(form_);
    if (frame->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        return false;
    const QWindow* handle = frame->windowHandle();
    return handle == nullptr || !handle->flags().testFlag(Qt::WindowStaysOnTopHint);
}

void TElasticForm::ApplyFontToForm()
{
    if (form_->font() != font_.font || elastic::FontSize(form_->font()) != font_.Size()) {
        // The menu bar belongs to the window's frame: it keeps its font.
        if (QWidget* menu = platform::MenuBar(form_))
            elastic::MakeFontOwn(menu);
        form_->setFont(font_.font);
    }
    const QColor color = ColorToQColor(font_.color);
    if (form_->palette().color(QPalette::WindowText) != color) {
        QPalette palette = form_->palette();
        palette.setColor(QPalette::WindowText, color);
        form_->setPalette(palette);
    }
}

void TElasticForm::SyncFormFont()
{
    if (elastic::FontSize(form_->font()) != font_.Size() ||
        form_->palette().color(QPalette::WindowText) != ColorToQColor(font_.color)) {
        ApplyFontToForm();
        form_->update();
    }
}

void TElasticForm::SetComponentFontSize(int points)
{
    font_.SetSize(points);
    ApplyFontToForm();
}

void TElasticForm::SyncDesignFrame()
{
    platform::SetDesignFrame(
        form_, QSize(designFormWidth_ - designFormClientWidth_, designFormHeight_ - designFormClientHeight_));
}

void TElasticForm::UpdateTrackLimits()
{
    if (form_ != nullptr && initialized_ && !suspended_ && form_->isVisible())
        platform::RefreshTrackLimits(form_);
}

QSize TElasticForm::MinimumUsableSize() const
{
    const int width = std::max({elastic::DecodeScreenValue(minimumTrackWidth_, screen_.width()),
                                designFormWidth_ / 4, SmallestUsableExtent});
    const int height = std::max({elastic::DecodeScreenValue(minimumTrackHeight_, screen_.height()),
                                 designFormHeight_ / 4, SmallestUsableExtent});
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

// ---- the window events ----
//
// The gate: while scaling is suspended or the form is not visible every event but Destroyed passes
// untouched. Otherwise the prologue notes the focused widget, keeps the form's font equal to the
// component Font, runs InitializeScaling and the first display on the first event, applies a stored
// position once, and acts on the event. The scaler never consumes an event.
//
// State of the activation: before the window is activated every resize puts it back to the initial
// bounds (the start-up sizing cannot move it); activation arms a counter and the next geometry
// change marks it activated, as does the end of a drag or a maximize. From then on the user's sizes
// stand, except for a borderless form, which always returns to its initial bounds.

void TElasticForm::FormEvent(const WindowEvent& event)
{
    if (event.kind == Kind::Destroyed) {
        events_.Remove();
        return;
    }
    if (suspended_ || passThrough_ || !form_->isVisible())
        return;
    try {
        noted_ = QApplication::focusWidget();
        SyncFormFont();
        if (initPending_) {
            InitializeScaling();
            FirstDisplay();
        }
        if (pendingPosition_) {
            pendingPosition_ = false;
            const std::optional<int> left = elastic::StoredPosition(storedLeft_, screen_.width());
            const std::optional<int> top = elastic::StoredPosition(storedTop_, screen_.height());
            if (left)
                initial_.moveLeft(*left);
            if (top)
                initial_.moveTop(*top);
            initial_ = platform::FitInto(initial_, platform::PlacementArea(form_, initial_));
            SetFormBounds(initial_);
        }
        Act(event);
    } catch (const std::exception& e) {
        lastError_ = e.what();
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
        if (IsNormalStyle())
            userInteracted_ = true;
        break;
    case Kind::TrackLimitsAsked:
        OnTrackLimitsAsked(event.limits);
        break;
    case Kind::GeometryChanging:
        if (++positionChanges_ >= ActivationCount)
            activated_ = true;
        break;
    case Kind::DisplayChanged:
        OnDisplayChanged(event.screenSize);
        break;
    case Kind::CloseRequested:
        OnCloseRequested();
        break;
    case Kind::MinimizeRequested:
        OnMinimizeRequested();
        break;
    case Kind::MaximizeRequested:
        HideControls();
        break;
    case Kind::RestoreRequested:
        if (IsNormalStyle())
            HideControls();
        break;
    case Kind::Dragging:
        dragInProgress_ = true;
        resizedDuringDrag_ = true;
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
    if (dragInProgress_ || state == WindowState::Minimized)
        return;
    if (state == WindowState::Maximized && !maximized_) {
        const QSize size = Outer().size();
        if (std::abs(size.width() - lastSize_.width()) > SizeThreshold &&
            std::abs(size.height() - lastSize_.height()) > SizeThreshold)
            HideControls();
        activated_ = true;
        maximized_ = true;
        ApplyFontToForm();
    }
    if (state == WindowState::Normal && activated_) {
        if (maximized_) {
            HideControls();
            storedMaximized_ = false;
        }
        maximized_ = false;
        ApplyFontToForm();
    }
    if ((IsBorderless() || !activated_) && !snapping_) {
        FlagScope snapping(snapping_);
        SetFormBounds(initial_);
    }
    if (MovedFurther(Outer().size(), lastSize_)) {
        ResizeControls();
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
    positionChanges_ = ActivationCount;
    if (placementLoaded_ && storedMaximized_) {
        placementLoaded_ = false;
        storedMaximized_ = false;
        placement_.showCmd = platform::SW_SHOWMAXIMIZED;
        platform::SetWindowPlacement(form_, placement_);
        RestoreControls();
    }
    if (noted_ != nullptr)
        noted_->setFocus(Qt::ActiveWindowFocusReason);
}

void TElasticForm::OnShown()
{
    if (pendingSize_) {
        if (!resolutionIndependence_)
            HideControls();
        pendingSize_ = false;
        const QSize minimum = MinimumUsableSize();
        const std::optional<int> width =
            elastic::StoredExtent(storedWidth_, screen_.width(), minimum.width());
        const std::optional<int> height =
            elastic::StoredExtent(storedHeight_, screen_.height(), minimum.height());
        // A damaged stored size (zero, negative, not a number) is not used; the design size stays.
        if (width && height)
            initial_.setSize(QSize(*width, *height));
        initial_ = platform::FitInto(initial_, platform::PlacementArea(form_, initial_));
        SetFormBounds(initial_);
    }
    if (!userInteracted_) {
        HideControls();
        ResizeControls();
        RestoreControls();
        suppressFirstReshow_ = false;
    }
    RefocusNoted();
}

void TElasticForm::OnTrackLimitsAsked(platform::TrackSizes* limits)
{
    if (firstRescalePending_ && IsWindowMaximized())
        ResizeControls();
    const long long sum = 0LL + maximizedSize_.width() + maximizedSize_.height() + maximizedPosX_ +
                          maximizedPosY_ + minimumTrackWidth_ + minimumTrackHeight_ + maximumTrackWidth_ +
                          maximumTrackHeight_;
    if (sum == 0 || firstRescalePending_ || limits == nullptr)
        return;
    if (maximizedSize_.width() != 0)
        limits->maximizedSize.setWidth(maximizedSize_.width());
    if (maximizedSize_.height() != 0)
        limits->maximizedSize.setHeight(maximizedSize_.height());
    // 0 leaves the system's value; otherwise pixels, or minus a percentage of the screen.
    auto decode = [](int value, int screenExtent, int system) {
        return value != 0 ? elastic::DecodeScreenValue(value, screenExtent) : system;
    };
    const QSize screen = screen_;
    limits->maximizedPosition =
        QPoint(decode(maximizedPosX_, screen.width(), limits->maximizedPosition.x()),
               decode(maximizedPosY_, screen.height(), limits->maximizedPosition.y()));
    limits->minimumTrack = QSize(decode(minimumTrackWidth_, screen.width(), limits->minimumTrack.width()),
                                 decode(minimumTrackHeight_, screen.height(), limits->minimumTrack.height()));
    limits->maximumTrack = QSize(decode(maximumTrackWidth_, screen.width(), limits->maximumTrack.width()),
                                 decode(maximumTrackHeight_, screen.height(), limits->maximumTrack.height()));
}

void TElasticForm::OnDisplayChanged(QSize now)
{
    const int oldWidth = designScreenWidth_;
    const int oldHeight = designScreenHeight_;
    if (now.isEmpty())
        now = platform::MaximizedSize(form_);
    designScreenWidth_ = now.width();
    designScreenHeight_ = now.height();
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

void TElasticForm::OnCloseRequested()
{
    SaveFormStateQuietly();
    userInteracted_ = true;
}

void TElasticForm::OnMinimizeRequested()
{
    if (const QWidget* active = form_->focusWidget())
        efActiveControl_ = elastic::IsNamed(active) ? active->objectName() : QString();
    SaveFormStateQuietly();
    userInteracted_ = true;
    maximized_ = false;
    lastSize_ = Outer().size();
}

void TElasticForm::OnDragEnded()
{
    activated_ = true;
    dragInProgress_ = false;
    if (resizedDuringDrag_) {
        noted_ = QApplication::focusWidget();
        HideControls();
        if (maintainProportions_)
            KeepProportions();
        ResizeControls();
        form_->update();
        RestoreControls();
        RefocusNoted();
        resizedDuringDrag_ = false;
    }
    maximized_ = false;
    SaveFormStateQuietly();
}

// ---- initialization ----

void TElasticForm::InitializeScaling()
{
    initPending_ = false;
    if (!resolutionIndependence_) {
        const QSize screen = platform::MaximizedSize(form_);
        designScreenWidth_ = screen.width();
        designScreenHeight_ = screen.height();
    }

    // The controls: the form's direct children in alignment order, then every other one.
    const std::vector<QWidget*> collected = elastic::CollectControls(form_);
    std::vector<QWidget*> direct;
    std::vector<QWidget*> nested;
    for (QWidget* w : collected)
        (w->parentWidget() == form_ ? direct : nested).push_back(w);
    std::vector<elastic::TAlignItem> items;
    for (QWidget* w : direct) {
        const QRect b = elastic::ControlBounds(form_, w);
        items.push_back({elastic::AlignOf(w), b.left(), b.top()});
    }
    aligned_.clear();
    for (int index : elastic::AlignOrder(items))
        aligned_.push_back(direct[index]);
    std::vector<QWidget*> ordered = aligned_;
    ordered.insert(ordered.end(), nested.begin(), nested.end());

    frames_.clear();
    frames_.reserve(ordered.size());
    for (QWidget* w : ordered) {
        TFrame frame;
        frame.owner = this;
        frame.control = w;
        const QRect b = elastic::ControlBounds(form_, w);
        frame.baseLeft = b.left();
        frame.baseWidth = b.width();
        frame.baseTop = b.top();
        frame.baseHeight = b.height();
        frame.fixedWidth = elastic::HasFixedWidth(w);
        frame.fixedHeight = elastic::HasFixedHeight(w);
        frames_.push_back(std::move(frame));
    }
    LoadFormState();
    for (TFrame& frame : frames_)
        frame.visible = elastic::ControlVisible(frame.control);

    if (IsWindowMaximized()) {
        designFormWidth_ = designScreenWidth_;
        designFormHeight_ = designScreenHeight_;
        designFormLeft_ = elastic::DecodeScreenValue(maximizedPosX_, designScreenWidth_);
        designFormTop_ = elastic::DecodeScreenValue(maximizedPosY_, designScreenHeight_);
        SyncDesignFrame();
    }

    screen_ = platform::MaximizedSize(form_);
    scaleX_ = designScreenWidth_ > 0 ? static_cast<double>(screen_.width()) / designScreenWidth_ : 1.0;
    scaleY_ = designScreenHeight_ > 0 ? static_cast<double>(screen_.height()) / designScreenHeight_ : 1.0;
    fontScale_ = scaleY_;
    scaledFormFont_ = elastic::RoundHalfDown(elastic::FontSize(form_->font()) * fontScale_);

    elastic::TInitialBoundsInput in;
    in.designForm = QRect(designFormLeft_, designFormTop_, designFormWidth_, designFormHeight_);
    in.designClient = QSize(designFormClientWidth_, designFormClientHeight_);
    in.borderless = IsBorderless();
    in.centred = centred_;
    in.scaleX = scaleX_;
    in.scaleY = scaleY_;
    in.screen = screen_;
    initial_ = elastic::InitialBounds(in);
    positionChanges_ = 0;
}

void TElasticForm::FirstDisplay()
{
    if (storedMaximized_) {
        // The stored normal rectangle first (while the window is normal, without reacting to it),
        // then the maximized state: Qt cannot set the normal rectangle of a maximized window.
        {
            FlagScope pass(passThrough_);
            placement_.showCmd = platform::SW_HIDE;
            platform::SetWindowPlacement(form_, placement_);
        }
        QWidget* frame = platform::FrameWidget(form_);
        platform::ScopedGeometryChange guard(form_);
        frame->setWindowState(frame->windowState() | Qt::WindowMaximized);
    }
    referenceSize_ = initial_.size();
    initialized_ = true;
    if (maintainProportions_)
        ComputeMaxTrackSize();
    SetFormBounds(initial_);
}

// ---- records ----

void TElasticForm::PrepareRecord(TFrame& frame, double sx, double sy, double sf)
{
    QWidget* c = frame.control;
    if (c == nullptr)
        return;
    frame.panelWidths.clear();
    frame.panelFontSizes.clear();
    if (QStatusBar* bar = elastic::AsStatusBar(c)) {
        frame.isStatusBar = true;
        for (QWidget* panel : elastic::StatusPanels(bar)) {
            const int width = elastic::Round(elastic::PanelWidth(panel) * sx);
            elastic::SetPanelWidth(panel, width);
            frame.panelWidths.push_back(width);
            frame.panelFontSizes.push_back(elastic::Trunc(elastic::ControlFontSize(panel) * sf));
        }
    }
    frame.baseLeft = elastic::Round(frame.baseLeft * sx);
    frame.baseWidth = elastic::Round(frame.baseWidth * sx);
    frame.baseTop = elastic::Round(frame.baseTop * sy);
    frame.baseHeight = elastic::Round(frame.baseHeight * sy);
    frame.baseFontSize = elastic::Trunc(elastic::ControlFontSize(c) * sf);
}

void TElasticForm::ApplyRecord(TFrame& frame, QSize client, double fontRatio)
{
    QWidget* c = frame.control;
    if (c == nullptr)
        return;
    if (elasticFont_) {
        elastic::SetControlFontSize(c, elastic::RoundHalfDown(fontRatio * frame.baseFontSize));
        // A status bar's panels write with the status bar's font.
        if (QStatusBar* bar = elastic::AsStatusBar(c)) {
            const std::vector<QWidget*> panels = elastic::StatusPanels(bar);
            for (std::size_t i = 0; i < panels.size() && i < frame.panelFontSizes.size(); ++i)
                elastic::SetControlFontSize(panels[i],
                                            elastic::RoundHalfDown(fontRatio * frame.panelFontSizes[i]));
        }
    }

    double ratioX = 1.0;
    double ratioY = 1.0;
    int left = frame.baseLeft;
    int width = frame.baseWidth;
    int top = frame.baseTop;
    int height = frame.baseHeight;
    if (elasticHorizontal_) {
        ratioX = Ratio(client.width(), baseClient_.width());
        frame.lastRatioX = ratioX;
        left = elastic::Round(frame.baseLeft * ratioX);
        width = elastic::Round(frame.baseWidth * ratioX);
    }
    if (elasticVertical_) {
        ratioY = Ratio(client.height(), baseClient_.height());
        frame.lastRatioY = ratioY;
        top = elastic::Round(frame.baseTop * ratioY);
        height = elastic::Round(frame.baseHeight * ratioY);
    }
    elastic::SetControlBounds(form_, c, QRect(left, top, width, height), frame.fixedWidth, frame.fixedHeight);

    if (elasticHorizontal_) {
        if (QStatusBar* bar = elastic::AsStatusBar(c)) {
            const std::vector<QWidget*> panels = elastic::StatusPanels(bar);
            for (std::size_t i = 0; i < panels.size() && i < frame.panelWidths.size(); ++i)
                elastic::SetPanelWidth(panels[i], elastic::Round(frame.panelWidths[i] * ratioX));
        }
    }

    if (elastic::IsLayoutManaged(c))
        return;
    if (elastic::AsLabel(c) != nullptr) {
        if (!elastic::AutoSizeOf(c).value_or(false)) {
            // Fitted to the new font, but never smaller than the scaled bounds.
            const QRect before = c->geometry();
            elastic::FitToContents(c);
            const QSize fitted = c->size();
            c->setGeometry(QRect(before.topLeft(), fitted.expandedTo(before.size())));
        } else {
            elastic::FitToContents(c);
        }
    }
    if (elastic::AutoSizeOf(c).value_or(false))
        elastic::FitToContents(c);
}

// ---- the rescale ----

void TElasticForm::ResizeControls()
{
    if (dragInProgress_)
        return;
    if (!efActiveControl_.isEmpty() && focusPending_) {
        if (QWidget* target = FindRegistered(efActiveControl_))
            target->setFocus(Qt::OtherFocusReason);
        if (form_->focusWidget() != nullptr)
            focusPending_ = false;
    }
    if (firstRescalePending_) {
        firstRescalePending_ = false;
        for (TFrame& frame : frames_)
            PrepareRecord(frame, scaleX_, scaleY_, fontScale_);
        if (scaledFormFont_ != 0)
            SetComponentFontSize(scaledFormFont_);
        baseClient_ = QSize(elastic::Round(designFormClientWidth_ * scaleX_),
                            elastic::Round(designFormClientHeight_ * scaleY_));
        baseFont_ = font_.Size();
    }
    const std::optional<double> r = elastic::FontRatioSize(baseFont_, Outer().size(), baseClient_);
    if (r) {
        if (elasticFont_)
            SetComponentFontSize(elastic::Round(*r));
        fontRatio_ = *r / baseFont_;
    }
    const QSize client = platform::ClientSize(form_);
    for (TFrame& frame : frames_)
        ApplyRecord(frame, client, fontRatio_);
    if (firstDisplayPending_ && !suppressFirstReshow_) {
        RestoreControls();
        firstDisplayPending_ = false;
    }
    DoAfterResize();
}

void TElasticForm::DoAfterResize()
{
    if (onAfterResize_)
        onAfterResize_(this);
    emit AfterResize();
}

void TElasticForm::KeepProportions()
{
    const QRect outer = Outer();
    const QSize size = elastic::KeepProportions(outer.size(), referenceSize_);
    if (referenceSize_.height() == 0)
        return;
    SetFormBounds(QRect(outer.topLeft(), size));
}

void TElasticForm::ComputeMaxTrackSize()
{
    const std::optional<QSize> size =
        elastic::ComputeMaxTrackSize(QSize(designFormWidth_, designFormHeight_), screen_);
    if (!size)
        return;
    maximizedSize_ = *size;
    maximumTrackWidth_ = size->width();
    maximumTrackHeight_ = size->height();
    UpdateTrackLimits();
}

void TElasticForm::HideControls()
{
    if (controlsHidden_)
        return;
    for (auto it = aligned_.rbegin(); it != aligned_.rend(); ++it)
        (*it)->setVisible(false);
    controlsHidden_ = true;
}

void TElasticForm::RestoreControls()
{
    for (const TFrame& frame : frames_) {
        if (frame.control != nullptr)
            elastic::SetControlVisible(frame.control, frame.visible);
    }
    controlsHidden_ = false;
    if (!efActiveControl_.isEmpty() && form_->focusWidget() == nullptr) {
        if (QWidget* target = FindRegistered(efActiveControl_))
            target->setFocus(Qt::OtherFocusReason);
    }
}

// ---- public operations ----

void TElasticForm::UpdateControlBounds(QWidget* control)
{
    if (control == nullptr)
        return;
    if (control == form_) {
        baseFont_ = font_.Size();
        return;
    }
    const auto it = std::find_if(frames_.begin(), frames_.end(),
                                 [control](const TFrame& f) { return f.control == control; });
    if (it == frames_.end())
        return;
    TFrame& frame = *it;
    const QRect b = elastic::ControlBounds(form_, control);
    const double rx = frame.lastRatioX > 0.0 ? frame.lastRatioX : 1.0;
    const double ry = frame.lastRatioY > 0.0 ? frame.lastRatioY : 1.0;
    frame.baseLeft = elastic::Round(b.left() / rx);
    frame.baseWidth = elastic::Round(b.width() / rx);
    frame.baseTop = elastic::Round(b.top() / ry);
    frame.baseHeight = elastic::Round(b.height() / ry);
    frame.visible = elastic::ControlVisible(control);
    frame.fixedWidth = elastic::HasFixedWidth(control);
    frame.fixedHeight = elastic::HasFixedHeight(control);
    frame.baseFontSize = elastic::ControlFontSize(control);
}

void TElasticForm::SuspendScaling()
{
    suspended_ = true;
}

void TElasticForm::ResumeScaling()
{
    suspended_ = false;
    UpdateTrackLimits();
}

void TElasticForm::ResetDesignSize()
{
    const QRect outer = Outer();
    const QSize client = platform::ClientSize(form_);
    designFormClientWidth_ = client.width();
    designFormClientHeight_ = client.height();
    designFormWidth_ = outer.width();
    designFormHeight_ = outer.height();
    SyncDesignFrame();
    for (TFrame& frame : frames_) {
        if (frame.control == nullptr)
            continue;
        const QRect b = elastic::ControlBounds(form_, frame.control);
        frame.baseLeft = b.left();
        frame.baseWidth = b.width();
        frame.baseTop = b.top();
        frame.baseHeight = b.height();
        frame.fixedWidth = elastic::HasFixedWidth(frame.control);
        frame.fixedHeight = elastic::HasFixedHeight(frame.control);
        PrepareRecord(frame, scaleX_, scaleY_, fontScale_);
        // The present state is ratio 1.0 from now on.
        frame.lastRatioX = 1.0;
        frame.lastRatioY = 1.0;
    }
    baseClient_ = client;
    baseFont_ = elastic::FontSize(form_->font());
}

// ---- the stored placement ----

void TElasticForm::LoadFormState()
{
    const std::string path = PlacementKeyPath();
    if (path.empty() || store_ == nullptr)
        return;
    try {
        const std::unique_ptr<elastic::TPlacementKey> key = store_->OpenForReading(path);
        if (key == nullptr)
            return;
        if (key->ReadInteger(elastic::TotalControlsValue).value_or(0) != ControlCount())
            return;
        // Only 2 is ever written for a maximized window; another value is damage and reads as 0.
        const int state = key->ReadInteger(elastic::WindowStateValue).value_or(0);
        if (state == 2) {
            storedMaximized_ = true;
            if (!designedMaximized_)
                suppressFirstReshow_ = true;
        } else {
            // Damaged values are brought into range before anything computes with them.
            storedLeft_ = elastic::SaneStoredFraction(key->ReadFloat(elastic::LeftValue).value_or(0.0));
            storedTop_ = elastic::SaneStoredFraction(key->ReadFloat(elastic::TopValue).value_or(0.0));
            storedWidth_ = elastic::SaneStoredFraction(key->ReadFloat(elastic::WidthValue).value_or(0.0));
            storedHeight_ = elastic::SaneStoredFraction(key->ReadFloat(elastic::HeightValue).value_or(0.0));
            pendingPosition_ = true;
            pendingSize_ = true;
        }
        const QSize minimum = MinimumUsableSize();
        maximumTrackWidth_ = elastic::SanitizedTrackValue(
            key->ReadInteger(elastic::MaxTrackWidthValue).value_or(0), minimum.width());
        maximumTrackHeight_ = elastic::SanitizedTrackValue(
            key->ReadInteger(elastic::MaxTrackHeightValue).value_or(0), minimum.height());
        for (int i = 0; i < ControlCount(); ++i) {
            TFrame& frame = frames_[static_cast<std::size_t>(i)];
            const bool visible = key->ReadBool(elastic::VisibleValue(i)).value_or(true);
            if (frame.control != nullptr) {
                elastic::SetControlVisible(frame.control, visible);
                frame.visible = elastic::ControlVisible(frame.control);
            }
        }
        std::vector<std::int32_t> fields = elastic::PlacementFields(placement_);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const std::int32_t fallback = i == 3 ? 0 : fields[i]; // "wp MinPosX" defaults to 0
            fields[i] = key->ReadInteger(elastic::PlacementValues[i]).value_or(fallback);
            if (i >= 3) // the positions and the normal rectangle
                fields[i] = elastic::SaneStoredCoordinate(fields[i]);
        }
        placement_ = elastic::PlacementFromFields(fields);
        placementLoaded_ = true;
    } catch (const std::exception& e) {
        // What cannot be read counts as missing.
        lastError_ = e.what();
    }
}

void TElasticForm::SaveFormState()
{
    const std::string path = PlacementKeyPath();
    // Before the first display nothing has been read yet: writing now would replace the stored
    // placement with a count of no controls.
    if (path.empty() || store_ == nullptr || !initialized_)
        return;
    const std::unique_ptr<elastic::TPlacementKey> key = store_->OpenForWriting(path);
    const bool maximizedNow = IsWindowMaximized();
    const bool normal = !maximizedNow && !storedMaximized_;
    const QRect outer = Outer();
    key->WriteInteger(elastic::TotalControlsValue, ControlCount());
    key->WriteInteger(elastic::WindowStateValue, maximizedNow ? 2 : 0);
    if (normal) {
        auto fraction = [](int value, int extent) {
            return extent > 0 ? static_cast<double>(value) / extent : 0.0;
        };
        key->WriteFloat(elastic::LeftValue, fraction(outer.left(), screen_.width()));
        key->WriteFloat(elastic::TopValue, fraction(outer.top(), screen_.height()));
        key->WriteFloat(elastic::WidthValue, fraction(outer.width(), screen_.width()));
        key->WriteFloat(elastic::HeightValue, fraction(outer.height(), screen_.height()));
    }
    if (maximizedNow) {
        maximumTrackWidth_ = elastic::MaximizedTrackPercent(outer.width(), screen_.width());
        maximumTrackHeight_ = elastic::MaximizedTrackPercent(outer.height(), screen_.height());
    }
    key->WriteInteger(elastic::MaxTrackWidthValue, maximumTrackWidth_);
    key->WriteInteger(elastic::MaxTrackHeightValue, maximumTrackHeight_);
    for (int i = 0; i < ControlCount(); ++i) {
        const TFrame& frame = frames_[static_cast<std::size_t>(i)];
        // While HideControls has hidden them, the controls' own flags say nothing: the records do.
        const bool visible = frame.control == nullptr || controlsHidden_
                                 ? frame.visible
                                 : elastic::ControlVisible(frame.control);
        key->WriteBool(elastic::VisibleValue(i), visible);
    }
    if (normal) {
        placement_ = platform::GetWindowPlacement(form_);
        placement_.length = 44;
    }
    const std::vector<std::int32_t> fields = elastic::PlacementFields(placement_);
    for (std::size_t i = 0; i < fields.size(); ++i)
        key->WriteInteger(elastic::PlacementValues[i], fields[i]);
    key->Close();
}

void TElasticForm::SaveFormStateSoon()
{
    saveTimer_.start();
}

void TElasticForm::SaveFormStateQuietly()
{
    saveTimer_.stop();
    try {
        SaveFormState();
    } catch (const std::exception& e) {
        // The placement is a convenience: a registry that cannot be written must not disturb the
        // window. The reason is kept for LastError().
        lastError_ = e.what();
    }
}
