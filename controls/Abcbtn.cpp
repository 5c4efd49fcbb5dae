#include "controls/Abcbtn.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyle>

#include "controls/AbcButtonFrame.h"

namespace {

constexpr QSize NewButtonSize(23, 22);

// The caption as read aloud: the accelerator marks taken out ("&&" stands for "&").
QString CaptionWithoutMarks(const QString& caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            ++i;
            if (i == caption.size()) {
                break;
            }
        }
        text += caption[i];
    }
    return text;
}

// What assistive technology and UI automation see: a push button named by its caption (unless the
// window gave it an accessible name), checked while Down, and pressed through the press action.
class PicSpeedBtnAccessible : public QAccessibleWidget
{
public:
    explicit PicSpeedBtnAccessible(TabcCustomPicSpeedBtn* button)
        : QAccessibleWidget(button, QAccessible::Button)
    {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && Button()->accessibleName().isEmpty()) {
            return CaptionWithoutMarks(Button()->Caption());
        }
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.focusable = false;
        state.checkable = Button()->GroupIndex() != 0;
        state.checked = Button()->Down();
        state.pressed = Button()->State() == TPicButtonState::Pressed;
        return state;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& name) override
    {
        if (name == pressAction() && Button()->isEnabled()) {
            Button()->Click();
        }
    }

private:
    TabcCustomPicSpeedBtn* Button() const { return static_cast<TabcCustomPicSpeedBtn*>(widget()); }
};

QAccessibleInterface* AccessibleFactory(const QString&, QObject* object)
{
    if (auto* button = qobject_cast<TabcCustomPicSpeedBtn*>(object)) {
        return new PicSpeedBtnAccessible(button);
    }
    return nullptr;
}

} // namespace

TabcCustomPicSpeedBtn::TabcCustomPicSpeedBtn(QWidget* parent) : QWidget(parent)
{
    static const bool accessibleFactoryInstalled = [] {
        QAccessible::installFactory(AccessibleFactory);
        return true;
    }();
    Q_UNUSED(accessibleFactoryInstalled);

    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves without a button held let a flat button notice the pointer it missed while the window
    // was inactive.
    setMouseTracking(true);
    resize(NewButtonSize);

    glyph_.SetFaceColor(color_);
    glyph_.SetTransparentColor(transparentColor_);

    accelerator_ = new QShortcut(this);
    accelerator_->setContext(Qt::WindowShortcut);
    connect(accelerator_, &QShortcut::activated, this, &TabcCustomPicSpeedBtn::AcceleratorActivated);
}

TabcCustomPicSpeedBtn::~TabcCustomPicSpeedBtn() = default;

QSize TabcCustomPicSpeedBtn::sizeHint() const
{
    return NewButtonSize;
}

// --- Grouping --------------------------------------------------------------------------------------

void TabcCustomPicSpeedBtn::SetAllowAllUp(bool value)
{
    if (allowAllUp_ != value) {
        allowAllUp_ = value;
        NotifyGroup();
    }
}

void TabcCustomPicSpeedBtn::SetGroupIndex(int value)
{
    if (groupIndex_ != value) {
        groupIndex_ = value;
        NotifyGroup();
    }
}

void TabcCustomPicSpeedBtn::SetDown(bool value)
{
    if (groupIndex_ == 0) {
        value = false;
    }
    if (value == down_ || (down_ && !allowAllUp_)) {
        return;
    }
    down_ = value;
    if (value) {
        if (state_ == TPicButtonState::Up || state_ == TPicButtonState::Hot) {
            Invalidate();
        }
        state_ = TPicButtonState::Latched;
        NotifyGroup();
    } else {
        state_ = pointerInside_ ? TPicButtonState::Hot : TPicButtonState::Up;
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::NotifyGroup()
{
    if (groupIndex_ == 0 || parentWidget() == nullptr) {
        return;
    }
    const QObjectList siblings = parentWidget()->children();
    for (QObject* child : siblings) {
        auto* button = qobject_cast<TabcCustomPicSpeedBtn*>(child);
        if (button != nullptr && button != this) {
            button->GroupButtonPressed(groupIndex_, *this);
        }
    }
}

void TabcCustomPicSpeedBtn::GroupButtonPressed(int groupIndex, const TabcCustomPicSpeedBtn& sender)
{
    if (groupIndex != groupIndex_) {
        return;
    }
    if (sender.down_ && down_) {
        down_ = false;
        state_ = TPicButtonState::Up;
        Invalidate();
    }
    allowAllUp_ = sender.allowAllUp_;
}

// --- Look ------------------------------------------------------------------------------------------

void TabcCustomPicSpeedBtn::SetColor(TColor value)
{
    if (color_ == value) {
        return;
    }
    color_ = value;
    glyph_.SetFaceColor(value);
    pattern_.reset();
    if (state_ == TPicButtonState::Hot && popup_ && !pointerInside_) {
        state_ = TPicButtonState::Up;
    }
    UpdateOpacity();
    Invalidate();
}

void TabcCustomPicSpeedBtn::SetFontColor(TColor value)
{
    if (fontColor_ != value) {
        fontColor_ = value;
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::SetCaption(const QString& value)
{
    if (caption_ != value) {
        caption_ = value;
        UpdateAccelerator();
        QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&nameChanged);
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::SetDisabledShadow(bool value)
{
    if (disabledShadow_ != value) {
        disabledShadow_ = value;
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::SetPopup(bool value)
{
    if (popup_ != value) {
        popup_ = value;
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::SetStyle(TabcButtonStyle value)
{
    if (style_ != value) {
        style_ = value;
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::SetTextStyle(TabcTextStyle value)
{
    if (textStyle_ != value) {
        textStyle_ = value;
        Invalidate();
    }
}

// --- Glyph -----------------------------------------------------------------------------------------

void TabcCustomPicSpeedBtn::SetLayout(TabcButtonLayout value)
{
    if (layout_ != value) {
        layout_ = value;
        UpdateOpacity();
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::SetMargin(int value)
{
    if (value >= -1 && margin_ != value) {
        margin_ = value;
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::SetSpacing(int value)
{
    if (spacing_ != value) {
        spacing_ = value;
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::SetPicture(const QPixmap& value)
{
    if (picture_.cacheKey() == value.cacheKey()) {
        return;
    }
    picture_ = value;
    UpdateGlyphSource();
}

void TabcCustomPicSpeedBtn::SetNumGlyphs(TabcNumGlyphs value)
{
    if (value >= MinNumGlyphs && value <= MaxNumGlyphs && numGlyphs_ != value) {
        numGlyphs_ = value;
        glyph_.SetNumGlyphs(value);
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::SetPictureHighlight(TabcGlyphHighlight value)
{
    if (pictureHighlight_ != value) {
        pictureHighlight_ = value;
        glyph_.SetHighlight(value);
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::SetTransparentColor(TColor value)
{
    if (transparentColor_ != value) {
        transparentColor_ = value;
        glyph_.SetTransparentColor(value);
        UpdateOpacity();
        Invalidate();
    }
}

void TabcCustomPicSpeedBtn::SetImages(TabcImageList value)
{
    images_ = std::move(value);
    UpdateGlyphSource();
}

void TabcCustomPicSpeedBtn::SetImageIndex(int value)
{
    if (imageIndex_ != value) {
        imageIndex_ = value;
        UpdateGlyphSource();
    }
}

void TabcCustomPicSpeedBtn::UpdateGlyphSource()
{
    const bool fromList = imageIndex_ >= 0 && imageIndex_ < static_cast<int>(images_.size());
    glyph_.SetPicture(fromList ? images_[static_cast<std::size_t>(imageIndex_)] : picture_);
    UpdateOpacity();
    Invalidate();
}

// --- Sounds and cancel events ----------------------------------------------------------------------

void TabcCustomPicSpeedBtn::SetSoundList(std::shared_ptr<TabcCustomWaveList> value)
{
    soundList_ = std::move(value);
}

void TabcCustomPicSpeedBtn::SetSoundDown(int value)
{
    soundDown_ = value;
}

void TabcCustomPicSpeedBtn::SetSoundOver(int value)
{
    soundOver_ = value;
}

void TabcCustomPicSpeedBtn::PlaySound(int index) const
{
    if (soundList_ && index >= 0) {
        soundList_->Play(index);
    }
}

void TabcCustomPicSpeedBtn::SetBeforeClick(TabcCancelEvent handler)
{
    beforeClick_ = std::move(handler);
}

void TabcCustomPicSpeedBtn::SetBeforeMouseDown(TabcMouseCancelEvent handler)
{
    beforeMouseDown_ = std::move(handler);
}

void TabcCustomPicSpeedBtn::Click()
{
    if (beforeClick_) {
        bool cancel = false;
        beforeClick_(cancel);
        if (cancel) {
            return;
        }
    }
    emit OnClick();
}

// --- Mouse -----------------------------------------------------------------------------------------

void TabcCustomPicSpeedBtn::mousePressEvent(QMouseEvent* event)
{
    HandlePress(event->button(), event->modifiers(), event->position().toPoint());
}

void TabcCustomPicSpeedBtn::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt delivers the second press of a double click as this event only: it is a press as well, so
    // two quick clicks give two clicks.
    const QPointer<TabcCustomPicSpeedBtn> self(this);
    HandlePress(event->button(), event->modifiers(), event->position().toPoint());
    if (self && !pressCancelled_ && down_) {
        emit OnDblClick();
    }
}

void TabcCustomPicSpeedBtn::HandlePress(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos)
{
    // A cancelled press whose release went elsewhere (a dialog opened by the cancel handler took it)
    // must not swallow the release of this new press.
    pressCancelled_ = false;
    if (beforeMouseDown_) {
        bool cancel = false;
        beforeMouseDown_(button, cancel, pos.x(), pos.y(), shift);
        if (cancel) {
            pressCancelled_ = true;
            return;
        }
    }
    const QPointer<TabcCustomPicSpeedBtn> self(this);
    emit OnMouseDown(button, shift, pos.x(), pos.y());
    if (!self || button != Qt::LeftButton || !isEnabled()) {
        return;
    }
    if (!down_) {
        state_ = TPicButtonState::Pressed;
        Invalidate();
        PlaySound(soundDown_);
    }
    tracking_ = true;
}

void TabcCustomPicSpeedBtn::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const QPointer<TabcCustomPicSpeedBtn> self(this);
    emit OnMouseMove(event->modifiers(), pos.x(), pos.y());
    if (!self) {
        return;
    }
    if (tracking_) {
        const bool inside = rect().contains(pos);
        const TPicButtonState wanted = down_    ? TPicButtonState::Latched
                                       : inside ? TPicButtonState::Pressed
                                                : TPicButtonState::Hot;
        if (wanted != state_) {
            state_ = wanted;
            Invalidate();
        }
    } else if (!pointerInside_ && popup_) {
        if (IsUnderCursor(event->globalPosition().toPoint())) {
            MouseEnter();
        } else {
            MouseLeave();
        }
    }
}

void TabcCustomPicSpeedBtn::mouseReleaseEvent(QMouseEvent* event)
{
    HandleRelease(event->button(), event->modifiers(), event->position().toPoint(),
                  event->globalPosition().toPoint());
}

void TabcCustomPicSpeedBtn::HandleRelease(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos,
                                          QPoint globalPos)
{
    if (pressCancelled_) {
        pressCancelled_ = false;
        return;
    }
    const QPointer<TabcCustomPicSpeedBtn> self(this);
    emit OnMouseUp(button, shift, pos.x(), pos.y());
    if (!self || !tracking_) {
        return;
    }
    tracking_ = false;
    const bool inside = rect().contains(pos);
    if (groupIndex_ == 0) {
        if (inside) {
            state_ = TPicButtonState::Hot;
        }
        pointerInside_ = false;
    } else if (inside) {
        SetDown(!down_);
    } else if (down_) {
        state_ = TPicButtonState::Latched;
    }
    if (inside) {
        Click();
        if (!self) {
            return;
        }
    }
    if (IsUnderCursor(globalPos)) {
        pointerInside_ = true;
    } else {
        MouseLeave();
    }
    Invalidate();
}

void TabcCustomPicSpeedBtn::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    MouseEnter();
}

void TabcCustomPicSpeedBtn::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    MouseLeave();
}

void TabcCustomPicSpeedBtn::MouseEnter()
{
    if (QApplication::activeWindow() == nullptr || pointerInside_ || !isEnabled() || MouseCaptured()) {
        return;
    }
    pointerInside_ = true;
    if (!down_) {
        state_ = TPicButtonState::Hot;
    }
    if (IsHoverSensitive()) {
        Invalidate();
    }
    PlaySound(soundOver_);
    emit OnMouseEnter();
}

void TabcCustomPicSpeedBtn::MouseLeave()
{
    pointerInside_ = false;
    if (!isEnabled() || MouseCaptured()) {
        return;
    }
    if (!down_) {
        state_ = TPicButtonState::Up;
    }
    if (IsHoverSensitive()) {
        Invalidate();
    }
    emit OnMouseLeave();
}

bool TabcCustomPicSpeedBtn::IsHoverSensitive() const
{
    return popup_ || pictureHighlight_ != TabcGlyphHighlight::aghNormal || IsHoverSensitiveStyle(style_);
}

bool TabcCustomPicSpeedBtn::MouseCaptured() const
{
    // Our own press, an explicit grab, or a button held down (Qt's implicit grab of another widget).
    return tracking_ || QWidget::mouseGrabber() != nullptr || QGuiApplication::mouseButtons() != Qt::NoButton;
}

bool TabcCustomPicSpeedBtn::IsUnderCursor(QPoint globalPos) const
{
    return QApplication::widgetAt(globalPos) == this;
}

// --- Keyboard accelerator --------------------------------------------------------------------------

void TabcCustomPicSpeedBtn::UpdateAccelerator()
{
    accelerator_->setKey(QKeySequence::mnemonic(caption_));
}

void TabcCustomPicSpeedBtn::AcceleratorActivated()
{
    if (!isEnabled() || !isVisible()) {
        return;
    }
    // A left press and release at the top-left corner, as if the user clicked there.
    const QPointer<TabcCustomPicSpeedBtn> self(this);
    HandlePress(Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));
    if (self) {
        HandleRelease(Qt::LeftButton, Qt::NoModifier, QPoint(0, 0), QCursor::pos());
    }
}

// --- Painting --------------------------------------------------------------------------------------

void TabcCustomPicSpeedBtn::Invalidate()
{
    update();
}

bool TabcCustomPicSpeedBtn::FillsNothing() const
{
    return layout_ == TabcButtonLayout::ablGlyphTiled && transparentColor_ == color_ && glyph_.HasPicture();
}

void TabcCustomPicSpeedBtn::UpdateOpacity()
{
    // A tiled glyph whose transparent colour is the face colour shows what lies under the button.
    setAttribute(Qt::WA_OpaquePaintEvent, !FillsNothing());
}

void TabcCustomPicSpeedBtn::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::StyleChange:
        glyph_.Invalidate();
        Invalidate();
        break;
    case QEvent::FontChange:
        Invalidate();
        break;
    default:
        break;
    }
}

void TabcCustomPicSpeedBtn::paintEvent(QPaintEvent*)
{
    if (!isEnabled()) {
        state_ = TPicButtonState::Disabled;
        tracking_ = false;
    } else if (state_ == TPicButtonState::Disabled) {
        state_ = down_ && groupIndex_ != 0 ? TPicButtonState::Latched : TPicButtonState::Up;
    }
    // Hot under the pointer, and while a press is dragged off the key (the pointer's leave is not
    // told reliably while the press holds the mouse).
    const bool hot = isEnabled() && (pointerInside_ || (tracking_ && state_ == TPicButtonState::Hot));
    const bool pressedLook = state_ == TPicButtonState::Pressed || state_ == TPicButtonState::Latched;

    QPainter painter(this);
    const QRect whole = rect();
    if (state_ == TPicButtonState::Latched) {
        const QColor face = ColorToQColor(color_);
        const QColor highlight = ColorToQColor(clBtnHighlight);
        if (!pattern_ || !pattern_->Matches(face, highlight)) {
            pattern_ = TabcBrushPattern::Acquire(face, highlight);
        }
        painter.fillRect(whole, pattern_->Brush());
    } else if (!FillsNothing()) {
        painter.fillRect(whole, ColorToQColor(color_));
    }

    // The frame is drawn before the caption to find the room inside it, and again afterwards so that
    // a caption wider than the face leaves the frame whole.
    const auto drawFrame = [&]() {
        if (popup_ && !pressedLook && !hot) {
            return whole; // flat
        }
        const TabcFrameLook look =
            pressedLook ? TabcFrameLook::Pressed : (hot ? TabcFrameLook::Hot : TabcFrameLook::Normal);
        return DrawButtonFrame(painter, whole, style_, look);
    };
    QRect content = drawFrame();
    if (pressedLook) {
        content.translate(1, 1); // the pressed look moves glyph and caption one pixel down and right
    }

    TabcCaptionLook caption;
    caption.text = caption_;
    caption.font = font();
    caption.color = ColorToQColor(fontColor_);
    caption.style = textStyle_;
    caption.enabled = isEnabled();
    caption.disabledShadow = disabledShadow_;
    caption.underlineAccelerator = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this) != 0;
    glyph_.Draw(painter, content, caption, layout_, margin_, spacing_, state_, hot);

    drawFrame();
}

TabcPicSpeedBtn::TabcPicSpeedBtn(QWidget* parent) : TabcCustomPicSpeedBtn(parent) {}
