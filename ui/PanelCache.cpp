#include "ui/PanelCache.h"

#include <QImage>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionFrame>

#include <vector>

namespace ui {
namespace {

// The application's style, with the edit panel kept as it was drawn over the window beneath it;
// the pixels where it lets that background show through (its rounded corners) are kept with the
// background they were blended with, and the copy is used only while that background is the same.
// Otherwise, and where the painter is not a plain window surface, the panel is drawn as usual.
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

void KeepPanelDrawn(QLineEdit* field)
{
    auto* style = new PanelCacheStyle;
    style->setParent(field);
    field->setStyle(style);
}

} // namespace ui
