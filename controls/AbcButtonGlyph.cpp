#include "controls/AbcButtonGlyph.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>

namespace {

bool HasSize(const QSize& size)
{
    return size.width() > 0 && size.height() > 0;
}

// The position along one axis of a glyph of size `glyph` and a caption of size `text` in `avail`
// pixels, glyph first when `glyphFirst`.
struct AxisPlacement
{
    int glyph;
    int text;
};

AxisPlacement PlaceOnAxis(int avail, int glyph, int text, bool glyphFirst, int margin, int spacing)
{
    if (text <= 0) {
        spacing = 0;
        if (margin < 0) {
            margin = (avail - glyph + 1) / 2;
        }
    } else if (margin < 0) {
        if (spacing < 0) {
            spacing = (avail - glyph - text) / 3;
            margin = spacing;
        } else {
            margin = (avail - (glyph + spacing + text) + 1) / 2;
        }
    } else if (spacing < 0) {
        spacing = (avail - (margin + glyph) - text) / 2;
    }
    if (glyphFirst) {
        return {margin, margin + glyph + spacing};
    }
    const int glyphPos = avail - margin - glyph;
    return {glyphPos, glyphPos - spacing - text};
}

int Centred(int avail, int size)
{
    return (avail - size + 1) / 2;
}

QImage ToGray(const QImage& image)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const int gray = qGray(line[x]);
            line[x] = qRgba(gray, gray, gray, qAlpha(line[x]));
        }
    }
    return result;
}

// Each opaque pixel moved `percent` of the way towards `target`.
QImage Blend(const QImage& image, const QColor& target, int percent)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const auto mix = [percent](int from, int to) { return from + (to - from) * percent / 100; };
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(mix(qRed(p), target.red()), mix(qGreen(p), target.green()),
                            mix(qBlue(p), target.blue()), qAlpha(p));
        }
    }
    return result;
}

// The disabled look made from an image: its darker pixels as a flat shape, drawn once in the button
// highlight one pixel down and right and once in the button shadow in place.
QImage Emboss(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage shape(argb.size(), QImage::Format_ARGB32);
    shape.fill(Qt::transparent);
    bool anyDark = false;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = argb.pixel(x, y);
            if (qAlpha(p) > 127 && qGray(p) < 192) {
                shape.setPixel(x, y, qRgba(0, 0, 0, 255));
                anyDark = true;
            }
        }
    }
    if (!anyDark) { // a light picture: its whole opaque area is the shape
        for (int y = 0; y < argb.height(); ++y) {
            for (int x = 0; x < argb.width(); ++x) {
                if (qAlpha(argb.pixel(x, y)) > 127) {
                    shape.setPixel(x, y, qRgba(0, 0, 0, 255));
                }
            }
        }
    }
    const auto tinted = [&shape](const QColor& color) {
        QImage result = shape;
        QPainter painter(&result);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(result.rect(), color);
        return result;
    };
    QImage result(argb.size(), QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawImage(1, 1, tinted(ColorToQColor(clBtnHighlight)));
    painter.drawImage(0, 0, tinted(ColorToQColor(clBtnShadow)));
    return result;
}

} // namespace

TabcGlyphPlacement CalcButtonLayout(const QSize& client, const QSize& glyph, const QSize& text,
                                    TabcButtonLayout layout, int margin, int spacing)
{
    const bool hasGlyph = HasSize(glyph);
    const QSize textSize = HasSize(text) ? text : QSize(0, 0);
    TabcGlyphPlacement placement;
    placement.text =
        QRect(QPoint(Centred(client.width(), textSize.width()), Centred(client.height(), textSize.height())),
              textSize);
    if (!hasGlyph) {
        return placement;
    }
    placement.glyph =
        QPoint(Centred(client.width(), glyph.width()), Centred(client.height(), glyph.height()));
    switch (layout) {
    case TabcButtonLayout::ablGlyphCenter:
    case TabcButtonLayout::ablGlyphTiled:
        break;
    case TabcButtonLayout::ablGlyphLeft:
    case TabcButtonLayout::ablGlyphRight: {
        const AxisPlacement axis = PlaceOnAxis(client.width(), glyph.width(), textSize.width(),
                                               layout == TabcButtonLayout::ablGlyphLeft, margin, spacing);
        placement.glyph.setX(axis.glyph);
        placement.text.moveLeft(axis.text);
        break;
    }
    case TabcButtonLayout::ablGlyphTop:
    case TabcButtonLayout::ablGlyphBottom: {
        const AxisPlacement axis = PlaceOnAxis(client.height(), glyph.height(), textSize.height(),
                                               layout == TabcButtonLayout::ablGlyphTop, margin, spacing);
        placement.glyph.setY(axis.glyph);
        placement.text.moveTop(axis.text);
        break;
    }
    }
    return placement;
}

QSize CaptionSize(const QString& text, const QFont& font)
{
    if (text.isEmpty()) {
        return {0, 0};
    }
    const QFontMetrics metrics(font);
    const QSize size = metrics.size(Qt::TextSingleLine | Qt::TextShowMnemonic, text);
    return {size.width(), metrics.height()};
}

void DrawCaption(QPainter& painter, const QRect& rect, const TabcCaptionLook& look)
{
    if (look.text.isEmpty()) {
        return;
    }
    const int flags = Qt::AlignCenter | Qt::TextSingleLine |
                      (look.underlineAccelerator ? Qt::TextShowMnemonic : Qt::TextHideMnemonic);
    painter.setFont(look.font);
    const auto draw = [&](const QColor& color, int dx, int dy) {
        painter.setPen(color);
        painter.drawText(rect.translated(dx, dy), flags, look.text);
    };
    const QColor shadow = ColorToQColor(clBtnShadow);
    const QColor highlight = ColorToQColor(clBtnHighlight);
    if (look.enabled) {
        if (look.style == TabcTextStyle::tsRaised) {
            draw(shadow, 1, 1);
            draw(highlight, -1, -1);
        } else if (look.style == TabcTextStyle::tsLowered) {
            draw(highlight, 1, 1);
            draw(shadow, -1, -1);
        }
        draw(look.color, 0, 0);
    } else if (look.disabledShadow) {
        draw(Qt::white, 1, 1);
        draw(QColor(128, 128, 128), 0, 0);
    } else {
        draw(ColorToQColor(clGrayText), 0, 0);
    }
}

void TabcButtonGlyph::SetPicture(const QPixmap& picture)
{
    picture_ = picture;
    source_.reset();
    Invalidate();
}

void TabcButtonGlyph::SetNumGlyphs(TabcNumGlyphs count)
{
    numGlyphs_ = std::clamp(count, MinNumGlyphs, MaxNumGlyphs);
    Invalidate();
}

void TabcButtonGlyph::SetTransparentColor(TColor color)
{
    transparentColor_ = color;
    source_.reset();
    Invalidate();
}

void TabcButtonGlyph::SetFaceColor(TColor color)
{
    faceColor_ = color;
    Invalidate();
}

void TabcButtonGlyph::SetHighlight(TabcGlyphHighlight highlight)
{
    highlight_ = highlight;
    Invalidate();
}

void TabcButtonGlyph::Invalidate()
{
    images_.fill(std::nullopt);
    // A system transparent colour may have changed with the palette.
    if (IsSystemColor(transparentColor_)) {
        source_.reset();
    }
}

QSize TabcButtonGlyph::ImageSize() const
{
    if (picture_.isNull()) {
        return {0, 0};
    }
    return {picture_.width() / numGlyphs_, picture_.height()};
}

const QImage& TabcButtonGlyph::Source()
{
    if (!source_) {
        QImage image = picture_.toImage().convertToFormat(QImage::Format_ARGB32);
        if (transparentColor_ != clNone && !image.isNull()) {
            const QRgb key = transparentColor_ == clDefault ? image.pixel(0, image.height() - 1)
                                                            : ColorToQColor(transparentColor_).rgb();
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    if ((line[x] | 0xFF000000u) == (key | 0xFF000000u)) {
                        line[x] = qRgba(0, 0, 0, 0);
                    }
                }
            }
        }
        source_ = std::move(image);
    }
    return *source_;
}

QImage TabcButtonGlyph::Cut(int index)
{
    const QSize size = ImageSize();
    return Source().copy(index * size.width(), 0, size.width(), size.height());
}

QImage TabcButtonGlyph::Build(Slot slot)
{
    switch (slot) {
    case SlotUp:
        return Cut(0);
    case SlotDisabled:
        return numGlyphs_ > 1 ? Cut(1) : Emboss(Cut(0));
    case SlotPressed:
        return numGlyphs_ > 2 ? Cut(2) : Cut(0);
    case SlotLatched:
        return numGlyphs_ > 3 ? Cut(3) : Build(SlotPressed);
    case SlotHot:
        return numGlyphs_ > 4 ? Cut(4) : Cut(0);
    case SlotResting:
        switch (highlight_) {
        case TabcGlyphHighlight::aghNormal:
            return Cut(0);
        case TabcGlyphHighlight::aghGray:
            return ToGray(Cut(0));
        case TabcGlyphHighlight::aghFade:
            return Blend(Cut(0), ColorToQColor(faceColor_), 50);
        case TabcGlyphHighlight::aghDarken:
            return Blend(Cut(0), Qt::black, 30);
        }
        break;
    case SlotCount:
        break;
    }
    return {};
}

const QImage& TabcButtonGlyph::Image(TPicButtonState state, bool hot)
{
    Slot slot = SlotResting;
    switch (state) {
    case TPicButtonState::Disabled:
        slot = SlotDisabled;
        break;
    case TPicButtonState::Pressed:
        slot = SlotPressed;
        break;
    case TPicButtonState::Latched:
        slot = SlotLatched;
        break;
    case TPicButtonState::Up:
    case TPicButtonState::Hot:
        slot = hot ? SlotHot : SlotResting;
        break;
    }
    auto& image = images_[slot];
    if (!image) {
        image = Build(slot);
    }
    return *image;
}

void TabcButtonGlyph::Draw(QPainter& painter, const QRect& client, const TabcCaptionLook& caption,
                           TabcButtonLayout layout, int margin, int spacing, TPicButtonState state, bool hot)
{
    const QSize glyphSize = ImageSize();
    const QSize textSize = CaptionSize(caption.text, caption.font);
    const TabcGlyphPlacement placement =
        CalcButtonLayout(client.size(), glyphSize, textSize, layout, margin, spacing);
    if (HasSize(glyphSize)) {
        const QImage& image = Image(state, hot);
        if (layout == TabcButtonLayout::ablGlyphTiled) {
            painter.save();
            painter.setClipRect(client, Qt::IntersectClip);
            for (int y = client.top(); y <= client.bottom(); y += glyphSize.height()) {
                for (int x = client.left(); x <= client.right(); x += glyphSize.width()) {
                    painter.drawImage(x, y, image);
                }
            }
            painter.restore();
        } else {
            painter.drawImage(client.topLeft() + placement.glyph, image);
        }
    }
    DrawCaption(painter, placement.text.translated(client.topLeft()), caption);
}
