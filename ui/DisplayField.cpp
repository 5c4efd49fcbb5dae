#include "ui/DisplayField.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <mutex>
#include <vector>

namespace ui {
namespace {

// The value as a number for the numeric value of assistive technology: the digits without their
// grouping commas. Texts that are no number (an error message, an empty display) have none.
QVariant Number(const QString& shown)
{
    QString digits = shown.trimmed();
    digits.remove(QLatin1Char(','));
    bool ok = false;
    const double value = digits.toDouble(&ok);
    return ok ? QVariant(value) : QVariant();
}

// The display read-only, with its text and value; the selection is never drawn, so none is reported.
class DisplayAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleValueInterface
{
public:
    explicit DisplayAccessible(DisplayField* field) : QAccessibleWidget(field, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.editable = false;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Shown().trimmed();
        return QAccessibleWidget::text(t);
    }

    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return Field()->cursorPosition(); }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return Shown().mid(startOffset, std::max(0, endOffset - startOffset));
    }
    int characterCount() const override { return static_cast<int>(Shown().size()); }
    // The characters are right-aligned in the field's contents.
    QRect characterRect(int offset) const override
    {
        const QString shown = Shown();
        if (offset < 0 || offset >= shown.size())
            return {};
        const QFontMetrics metrics = Field()->fontMetrics();
        const QRect contents = Field()->contentsRect();
        const int left = contents.right() - metrics.horizontalAdvance(shown) +
                         metrics.horizontalAdvance(shown.left(offset));
        const QRect rect(left, contents.top(), metrics.horizontalAdvance(shown.at(offset)),
                         contents.height());
        return QRect(Field()->mapToGlobal(rect.topLeft()), rect.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return Field()->cursorPositionAt(Field()->mapFromGlobal(point));
    }
    void scrollToSubstring(int, int) override {}
    // One run of the default attributes over the whole text (an empty run ends the reading early).
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    QVariant currentValue() const override { return Number(Shown()); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return {}; }
    QVariant minimumValue() const override { return {}; }
    QVariant minimumStepSize() const override { return {}; }

private:
    DisplayField* Field() const { return static_cast<DisplayField*>(widget()); }
    QString Shown() const { return Field()->text(); }
};

QAccessibleInterface* DisplayFactory(const QString&, QObject* object)
{
    if (auto* field = qobject_cast<DisplayField*>(object))
        return new DisplayAccessible(field);
    return nullptr;
}

// The application's style, with the edit panel (its rounded, shaded frame) drawn once and then
// copied: the display is repainted at every key, and drawing the frame anew cost more than all the
// rest of a key. The panel is kept as it was drawn over the window beneath it; the pixels where it
// lets that background show through (its rounded corners) are kept with the background they were
// blended with, and the copy is used only while that background is the same. Otherwise, and where
// the painter is not a plain window surface, the panel is drawn as usual.
class PanelCacheStyle : public QProxyStyle
{
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
        auto* surface = frame != nullptr && element == PE_PanelLineEdit ? Surface(painter) : nullptr;
        if (surface == nullptr) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const QRect target = painter->deviceTransform().mapRect(frame->rect);
        const QRegion systemClip = painter->paintEngine()->systemClip();
        const QRegion clip = systemClip.isEmpty() ? QRegion(target) : systemClip.intersected(target);
        const Key key{target.size(),
                      static_cast<int>(frame->state),
                      frame->palette.cacheKey(),
                      frame->lineWidth,
                      frame->midLineWidth,
                      static_cast<int>(frame->features),
                      frame->direction,
                      surface->format()};
        if (!(key == key_ && SameBackground(*surface, target.topLeft(), clip))) {
            if (!surface->rect().contains(target) || clip != QRegion(target)) {
                // Part of the background is not painted yet: nothing to keep.
                QProxyStyle::drawPrimitive(element, option, painter, widget);
                return;
            }
            Keep(*frame, *surface, target, widget);
            key_ = key;
        }
        painter->save();
        painter->setCompositionMode(QPainter::CompositionMode_Source);
        painter->drawImage(frame->rect.topLeft(), panel_);
        painter->restore();
    }

private:
    struct Key
    {
        QSize size;
        int state = 0;
        qint64 palette = 0;
        int lineWidth = 0;
        int midLineWidth = 0;
        int features = 0;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        QImage::Format format = QImage::Format_Invalid;
        bool operator==(const Key&) const = default;
    };
    struct Seen
    {
        QPoint at; // in the panel
        QRgb background;
    };

    // The window surface the painter draws on, when it is a 32-bit image reached without scaling.
    static QImage* Surface(QPainter* painter)
    {
        QPaintDevice* device =
            painter->paintEngine() != nullptr ? painter->paintEngine()->paintDevice() : nullptr;
        if (device == nullptr || device->devType() != QInternal::Image ||
            painter->deviceTransform().type() > QTransform::TxTranslate)
            return nullptr;
        auto* image = static_cast<QImage*>(device);
        const QImage::Format f = image->format();
        return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32_Premultiplied ? image : nullptr;
    }

    QImage Drawn(const QStyleOptionFrame& frame, QImage image, const QWidget* widget) const
    {
        QStyleOptionFrame at = frame;
        at.rect.moveTo(0, 0);
        QPainter p(&image);
        QProxyStyle::drawPrimitive(PE_PanelLineEdit, &at, &p, widget);
        return image;
    }

    // Draws the panel over the background now beneath it, and notes the pixels whose colour depends
    // on that background (those that come out differently over black and over white).
    void Keep(const QStyleOptionFrame& frame, const QImage& surface, const QRect& target,
              const QWidget* widget) const
    {
        const QImage background = surface.copy(target);
        QImage black(target.size(), surface.format()), white(target.size(), surface.format());
        black.fill(Qt::black);
        white.fill(Qt::white);
        black = Drawn(frame, std::move(black), widget);
        white = Drawn(frame, std::move(white), widget);
        panel_ = Drawn(frame, background, widget);
        seen_.clear();
        for (int y = 0; y < target.height(); ++y) {
            const auto* b = reinterpret_cast<const QRgb*>(black.constScanLine(y));
            const auto* w = reinterpret_cast<const QRgb*>(white.constScanLine(y));
            const auto* under = reinterpret_cast<const QRgb*>(background.constScanLine(y));
            for (int x = 0; x < target.width(); ++x) {
                if (b[x] != w[x])
                    seen_.push_back({QPoint(x, y), under[x]});
            }
        }
    }

    bool SameBackground(const QImage& surface, QPoint origin, const QRegion& clip) const
    {
        for (const Seen& s : seen_) {
            const QPoint at = origin + s.at;
            if (!clip.contains(at))
                continue; // not drawn now
            if (!surface.rect().contains(at) ||
                reinterpret_cast<const QRgb*>(surface.constScanLine(at.y()))[at.x()] != s.background)
                return false;
        }
        return true;
    }

    mutable QImage panel_;
    mutable std::vector<Seen> seen_;
    mutable Key key_;
};

} // namespace

DisplayField::DisplayField(QWidget* parent) : QLineEdit(parent)
{
    auto* style = new PanelCacheStyle;
    style->setParent(this);
    setStyle(style);
    setReadOnly(true);
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(DisplayFactory); });
    // An edit-field interface Qt made for the field before this factory applied gives way to ours.
    if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(this);
        iface != nullptr && dynamic_cast<DisplayAccessible*>(iface) == nullptr)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void DisplayField::Show(const QString& value)
{
    const bool changed = value != text();
    setText(value);
    if (changed) {
        QAccessibleValueChangeEvent event(this, value.trimmed());
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace ui
