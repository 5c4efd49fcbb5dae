#include "controls/Abcbtn.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QStyle>
#include <QTextLayout>

#include <cmath>

namespace {

constexpr QSize NewButtonSize(23, 22);
constexpr QColor LightGrey(222, 222, 222); // the inner rings of the hot and pressed frames

// The frame in its three looks: one-pixel rings drawn from the outside in, each light on the left
// and top and dark on the right and bottom (the right and bottom lines cover the corners they share).
enum class FrameLook : std::uint8_t
{
    Normal,  // a raised ring over a shadow line on the bottom row
    Hot,     // the pointer is over an enabled button: a thicker raised frame with a grey inner ring
    Pressed, // pressed or latched down: sunken, grey inner ring
};

// One ring on the border of `rect`, which then shrinks by a pixel on every side.
void Ring(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    if (rect.width() > 0 && rect.height() > 0) {
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
        painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
        painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
        painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
    }
    rect.adjust(1, 1, -1, -1);
}

// A shadow line on the last row, from one pixel left of the rectangle to its right side (on the
// left it covers the highlight of the ring drawn before); the bottom moves up by one.
void ShadowLineAtBottom(QPainter& painter, QRect& rect)
{
    if (rect.height() > 0)
        painter.fillRect(QRect(rect.left() - 1, rect.bottom(), rect.width() + 1, 1),
                         ColorToQColor(clBtnShadow));
    rect.setBottom(rect.bottom() - 1);
}

// Draws the frame along the border of `rect` and returns the rectangle inside it.
QRect DrawFrame(QPainter& painter, const QRect& rect, FrameLook look)
{
    const QColor highlight = ColorToQColor(clBtnHighlight);
    const QColor shadow = ColorToQColor(clBtnShadow);
    const QColor darkShadow = ColorToQColor(cl3DDkShadow);
    QRect content = rect;
    switch (look) {
    case FrameLook::Normal:
        Ring(painter, content, highlight, shadow);
        ShadowLineAtBottom(painter, content);
        break;
    case FrameLook::Hot:
        ShadowLineAtBottom(painter, content);
        Ring(painter, content, highlight, darkShadow);
        Ring(painter, content, LightGrey, shadow);
        break;
    case FrameLook::Pressed:
        Ring(painter, content, darkShadow, highlight);
        Ring(painter, content, shadow, LightGrey);
        break;
    }
    return content;
}

// The face of a latched button: an 8 x 8 checkerboard whose pixels with equal row and column parity
// are the highlight colour and the others the face colour, tiled from the button's top-left corner.
QBrush LatchedBrush(const QColor& face, const QColor& highlight)
{
    QImage bitmap(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x)
            bitmap.setPixelColor(x, y, (x % 2) == (y % 2) ? highlight : face);
    }
    return QBrush(bitmap);
}

// The caption as read aloud: the accelerator marks taken out ("&&" stands for "&").
QString CaptionWithoutMarks(const QString& caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            ++i;
            if (i == caption.size())
                break;
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
    explicit PicSpeedBtnAccessible(TabcPicSpeedBtn* button) : QAccessibleWidget(button, QAccessible::Button)
    {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && Button()->accessibleName().isEmpty())
            return CaptionWithoutMarks(Button()->Caption());
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
        if (name == pressAction() && Button()->isEnabled())
            Button()->Click();
    }

private:
    TabcPicSpeedBtn* Button() const { return static_cast<TabcPicSpeedBtn*>(widget()); }
};

QAccessibleInterface* AccessibleFactory(const QString&, QObject* object)
{
    if (auto* button = qobject_cast<TabcPicSpeedBtn*>(object))
        return new PicSpeedBtnAccessible(button);
    return nullptr;
}

} // namespace

TabcPicSpeedBtn::TabcPicSpeedBtn(QWidget* parent) : QWidget(parent)
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
    connect(accelerator_, &QShortcut::activated, this, &TabcPicSpeedBtn::AcceleratorActivated);
}

TabcPicSpeedBtn::~TabcPicSpeedBtn() = default;

QSize TabcPicSpeedBtn::sizeHint() const
{
    return NewButtonSize;
}

// --- Grouping --------------------------------------------------------------------------------------

void TabcPicSpeedBtn::SetGroupIndex(int value)
{
    if (groupIndex_ != value) {
        groupIndex_ = value;
        NotifyGroup();
    }
}

void TabcPicSpeedBtn::SetDown(bool value)
{
    if (groupIndex_ == 0)
        value = false;
    if (value == down_)
        return;
    down_ = value;
    if (value) {
        if (state_ == TPicButtonState::Up || state_ == TPicButtonState::Hot)
            update();
        state_ = TPicButtonState::Latched;
        NotifyGroup();
    } else {
        state_ = pointerInside_ ? TPicButtonState::Hot : TPicButtonState::Up;
        update();
    }
}

void TabcPicSpeedBtn::NotifyGroup()
{
    if (groupIndex_ == 0 || parentWidget() == nullptr)
        return;
    const QObjectList siblings = parentWidget()->children();
    for (QObject* child : siblings) {
        auto* button = qobject_cast<TabcPicSpeedBtn*>(child);
        if (button != nullptr && button != this)
            button->GroupButtonPressed(groupIndex_, *this);
    }
}

void TabcPicSpeedBtn::GroupButtonPressed(int groupIndex, const TabcPicSpeedBtn& sender)
{
    if (groupIndex != groupIndex_)
        return;
    if (sender.down_ && down_) {
        down_ = false;
        state_ = TPicButtonState::Up;
        update();
    }
}

// --- Look ------------------------------------------------------------------------------------------

void TabcPicSpeedBtn::SetColor(TColor value)
{
    if (color_ == value)
        return;
    color_ = value;
    if (state_ == TPicButtonState::Hot && popup_ && !pointerInside_)
        state_ = TPicButtonState::Up;
    update();
}

void TabcPicSpeedBtn::SetFontColor(TColor value)
{
    if (fontColor_ != value) {
        fontColor_ = value;
        update();
    }
}

void TabcPicSpeedBtn::SetCaption(const QString& value)
{
    if (caption_ != value) {
        caption_ = value;
        captionLayout_.reset();
        accelerator_->setKey(QKeySequence::mnemonic(caption_));
        QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&nameChanged);
        update();
    }
}

void TabcPicSpeedBtn::SetPopup(bool value)
{
    if (popup_ != value) {
        popup_ = value;
        update();
    }
}

void TabcPicSpeedBtn::Click()
{
    emit OnClick();
}

// --- Mouse -----------------------------------------------------------------------------------------

void TabcPicSpeedBtn::mousePressEvent(QMouseEvent* event)
{
    HandlePress(event->button());
}

void TabcPicSpeedBtn::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt delivers the second press of a double click as this event only: it is a press as well, so
    // two quick clicks give two clicks.
    HandlePress(event->button());
}

void TabcPicSpeedBtn::HandlePress(Qt::MouseButton button)
{
    if (button != Qt::LeftButton || !isEnabled())
        return;
    if (!down_) {
        state_ = TPicButtonState::Pressed;
        update();
    }
    tracking_ = true;
}

void TabcPicSpeedBtn::mouseMoveEvent(QMouseEvent* event)
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

void TabcPicSpeedBtn::mouseReleaseEvent(QMouseEvent* event)
{
    HandleRelease(event->position().toPoint(), event->globalPosition().toPoint());
}

void TabcPicSpeedBtn::HandleRelease(QPoint pos, QPoint globalPos)
{
    if (!tracking_)
        return;
    tracking_ = false;
    const bool inside = rect().contains(pos);
    if (groupIndex_ == 0) {
        if (inside)
            state_ = TPicButtonState::Hot;
        pointerInside_ = false;
    } else if (inside) {
        SetDown(!down_);
    } else if (down_) {
        state_ = TPicButtonState::Latched;
    }
    if (inside) {
        const QPointer<TabcPicSpeedBtn> self(this);
        Click();
        if (!self)
            return;
    }
    if (IsUnderCursor(globalPos)) {
        pointerInside_ = true;
    } else {
        MouseLeave();
    }
    update();
}

void TabcPicSpeedBtn::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    MouseEnter();
}

void TabcPicSpeedBtn::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    MouseLeave();
}

void TabcPicSpeedBtn::MouseEnter()
{
    if (QApplication::activeWindow() == nullptr || pointerInside_ || !isEnabled() || MouseCaptured())
        return;
    pointerInside_ = true;
    if (!down_)
        state_ = TPicButtonState::Hot;
    update();
}

void TabcPicSpeedBtn::MouseLeave()
{
    pointerInside_ = false;
    if (!isEnabled() || MouseCaptured())
        return;
    if (!down_)
        state_ = TPicButtonState::Up;
    update();
}

bool TabcPicSpeedBtn::MouseCaptured() const
{
    // Our own press, an explicit grab, or a button held down (Qt's implicit grab of another widget).
    return tracking_ || QWidget::mouseGrabber() != nullptr || QGuiApplication::mouseButtons() != Qt::NoButton;
}

bool TabcPicSpeedBtn::IsUnderCursor(QPoint globalPos) const
{
    return QApplication::widgetAt(globalPos) == this;
}

void TabcPicSpeedBtn::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LayoutDirectionChange)
        captionLayout_.reset();
}

// --- Keyboard accelerator --------------------------------------------------------------------------

void TabcPicSpeedBtn::AcceleratorActivated()
{
    if (!isEnabled() || !isVisible())
        return;
    // A left press and release at the top-left corner, as if the user clicked there.
    HandlePress(Qt::LeftButton);
    HandleRelease(QPoint(0, 0), QCursor::pos());
}

// --- Painting --------------------------------------------------------------------------------------

const QTextLayout* TabcPicSpeedBtn::CaptionLayout()
{
    for (const QChar c : caption_) {
        if (c == u'&' || c == u'\t' || c == u'\r' || c == u'\n' || c == QChar(0x9c))
            return nullptr;
    }
    if (!captionLayout_ || captionLayout_->font() != QFont(font(), this)) {
        // One line as QPainter::drawText lays it out: left-aligned, in the widget's direction, as
        // wide as it takes.
        captionLayout_ = std::make_unique<QTextLayout>(caption_, font(), this);
        QTextOption option;
        option.setAlignment(Qt::AlignLeft);
        option.setTextDirection(layoutDirection());
        captionLayout_->setTextOption(option);
        captionLayout_->setCacheEnabled(true);
        captionLayout_->beginLayout();
        QTextLine line = captionLayout_->createLine();
        line.setLineWidth(0x01000000);
        line.setPosition(QPointF(0, 0));
        captionLayout_->endLayout();
    }
    return captionLayout_.get();
}

const QBrush& TabcPicSpeedBtn::LatchedFill()
{
    const QRgb colors[2] = {ColorToQColor(color_).rgb(), ColorToQColor(clBtnHighlight).rgb()};
    if (latchedFill_.style() != Qt::TexturePattern || colors[0] != latchedColors_[0] ||
        colors[1] != latchedColors_[1]) {
        latchedFill_ = LatchedBrush(QColor::fromRgb(colors[0]), QColor::fromRgb(colors[1]));
        std::copy(std::begin(colors), std::end(colors), latchedColors_);
    }
    return latchedFill_;
}

void TabcPicSpeedBtn::paintEvent(QPaintEvent*)
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
    if (state_ == TPicButtonState::Latched)
        painter.fillRect(whole, LatchedFill());
    else
        painter.fillRect(whole, ColorToQColor(color_));

    // The frame is drawn before the caption to find the room inside it, and again afterwards so that
    // a caption wider than the face leaves the frame whole.
    const auto drawFrame = [&]() {
        if (popup_ && !pressedLook && !hot) {
            return whole; // flat
        }
        return DrawFrame(painter, whole,
                         pressedLook ? FrameLook::Pressed : (hot ? FrameLook::Hot : FrameLook::Normal));
    };
    QRect content = drawFrame();
    if (pressedLook) {
        content.translate(1, 1); // the pressed look moves the caption one pixel down and right
    }

    // The caption on one line, centred by the rounded half of the room left over: a disabled one is
    // embossed (white one pixel below and right, grey in place).
    if (!caption_.isEmpty()) {
        const QFontMetrics metrics(font());
        painter.setFont(font());
        if (const QTextLayout* layout = CaptionLayout()) {
            // Measured and drawn as QPainter::drawText measures and draws one line (a rectangle of
            // the natural width centred on the line's advance, clipped where the text overflows it),
            // from the one layout kept.
            const QTextLine line = layout->lineAt(0);
            const qreal width = line.naturalTextWidth();
            const qreal height = line.ascent() + line.descent();
            const QSize text(static_cast<int>(std::ceil(width)), metrics.height());
            const QRect place(content.topLeft() + QPoint((content.width() - text.width() + 1) / 2,
                                                         (content.height() - text.height() + 1) / 2),
                              text);
            const auto draw = [&](const QColor& color, int dx) {
                const QRectF r = place.translated(dx, dx);
                const qreal top = r.y() + (r.height() - height) / 2;
                const bool clip = !r.contains(QRectF(r.x() + (r.width() - width) / 2, top, width, height));
                painter.setPen(color);
                if (clip) {
                    painter.save();
                    painter.setClipRect(r, Qt::IntersectClip);
                }
                line.draw(&painter, QPointF(r.x() + (r.width() - line.horizontalAdvance()) / 2, top));
                if (clip)
                    painter.restore();
            };
            if (isEnabled()) {
                draw(ColorToQColor(fontColor_), 0);
            } else {
                draw(Qt::white, 1);
                draw(QColor(128, 128, 128), 0);
            }
        } else {
            const QSize text(metrics.size(Qt::TextSingleLine | Qt::TextShowMnemonic, caption_).width(),
                             metrics.height());
            const QRect place(content.topLeft() + QPoint((content.width() - text.width() + 1) / 2,
                                                         (content.height() - text.height() + 1) / 2),
                              text);
            const bool underline = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this) != 0;
            const int flags = Qt::AlignCenter | Qt::TextSingleLine |
                              (underline ? Qt::TextShowMnemonic : Qt::TextHideMnemonic);
            const auto draw = [&](const QColor& color, int dx) {
                painter.setPen(color);
                painter.drawText(place.translated(dx, dx), flags, caption_);
            };
            if (isEnabled()) {
                draw(ColorToQColor(fontColor_), 0);
            } else {
                draw(Qt::white, 1);
                draw(QColor(128, 128, 128), 0);
            }
        }
    }

    drawFrame();
}
