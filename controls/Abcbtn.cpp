#include "controls/Abcbtn.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QStyle>

#include "controls/AbcButtonCaption.h"
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
            update();
        }
        state_ = TPicButtonState::Latched;
        NotifyGroup();
    } else {
        state_ = pointerInside_ ? TPicButtonState::Hot : TPicButtonState::Up;
        update();
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
        update();
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
    pattern_.reset();
    if (state_ == TPicButtonState::Hot && popup_ && !pointerInside_) {
        state_ = TPicButtonState::Up;
    }
    update();
}

void TabcCustomPicSpeedBtn::SetFontColor(TColor value)
{
    if (fontColor_ != value) {
        fontColor_ = value;
        update();
    }
}

void TabcCustomPicSpeedBtn::SetCaption(const QString& value)
{
    if (caption_ != value) {
        caption_ = value;
        UpdateAccelerator();
        QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&nameChanged);
        update();
    }
}

void TabcCustomPicSpeedBtn::SetPopup(bool value)
{
    if (popup_ != value) {
        popup_ = value;
        update();
    }
}

void TabcCustomPicSpeedBtn::Click()
{
    emit OnClick();
}

// --- Mouse -----------------------------------------------------------------------------------------

void TabcCustomPicSpeedBtn::mousePressEvent(QMouseEvent* event)
{
    HandlePress(event->button());
}

void TabcCustomPicSpeedBtn::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt delivers the second press of a double click as this event only: it is a press as well, so
    // two quick clicks give two clicks.
    HandlePress(event->button());
}

void TabcCustomPicSpeedBtn::HandlePress(Qt::MouseButton button)
{
    if (button != Qt::LeftButton || !isEnabled()) {
        return;
    }
    if (!down_) {
        state_ = TPicButtonState::Pressed;
        update();
    }
    tracking_ = true;
}

void TabcCustomPicSpeedBtn::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (tracking_) {
        const bool inside = rect().contains(pos);
        const TPicButtonState wanted = down_    ? TPicButtonState::Latched
                                       : inside ? TPicButtonState::Pressed
                                                : TPicButtonState::Hot;
        if (wanted != state_) {
            state_ = wanted;
            update();
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
    HandleRelease(event->position().toPoint(), event->globalPosition().toPoint());
}

void TabcCustomPicSpeedBtn::HandleRelease(QPoint pos, QPoint globalPos)
{
    if (!tracking_) {
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
        const QPointer<TabcCustomPicSpeedBtn> self(this);
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
    update();
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
    update();
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
    update();
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
    HandlePress(Qt::LeftButton);
    HandleRelease(QPoint(0, 0), QCursor::pos());
}

// --- Painting --------------------------------------------------------------------------------------

void TabcCustomPicSpeedBtn::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::StyleChange:
    case QEvent::FontChange:
        update();
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
    } else {
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
        return DrawButtonFrame(painter, whole, look);
    };
    QRect content = drawFrame();
    if (pressedLook) {
        content.translate(1, 1); // the pressed look moves the caption one pixel down and right
    }

    TabcCaptionLook caption;
    caption.text = caption_;
    caption.font = font();
    caption.color = ColorToQColor(fontColor_);
    caption.enabled = isEnabled();
    caption.underlineAccelerator = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this) != 0;
    DrawCaption(
        painter,
        CaptionPlace(content.size(), CaptionSize(caption.text, caption.font)).translated(content.topLeft()),
        caption);

    drawFrame();
}

TabcPicSpeedBtn::TabcPicSpeedBtn(QWidget* parent) : TabcCustomPicSpeedBtn(parent) {}
