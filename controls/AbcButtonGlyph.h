#pragma once
// The glyph and caption of a picture button: the per-state images cut from the button's picture (up,
// disabled, pressed, latched, hot standing side by side), their transparent colour and resting look,
// and the placement and drawing of glyph and caption inside the frame. Each button owns one.

#include <array>
#include <optional>

#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>

#include "controls/AbcbtnTypes.h"
#include "platform/qt/Colors.h"

class QPainter;

// How the caption is drawn.
struct TabcCaptionLook
{
    QString text; // "&" marks the accelerator character, "&&" is a literal "&"
    QFont font;
    QColor color; // the font colour
    TabcTextStyle style = TabcTextStyle::tsNormal;
    bool enabled = true;
    bool disabledShadow = true; // disabled caption embossed (white below-right, grey in place)
    bool underlineAccelerator = true;
};

// Where glyph and caption go, relative to the content rectangle's top-left corner.
struct TabcGlyphPlacement
{
    QPoint glyph;
    QRect text;
};

// Places a glyph of size `glyph` (empty: none) and a caption of size `text` (empty: none) in a content
// rectangle of size `client`. Without a glyph the caption is centred: left (width - text width + 1)
// div 2, top (height - text height + 1) div 2. With both, `layout` puts the glyph beside, above, below
// or under the caption; `margin` is the glyph's distance from its edge (-1: glyph and caption centred
// together) and `spacing` the gap between them (negative: the caption centred in the space the glyph
// leaves). The other axis is centred. ablGlyphCenter and ablGlyphTiled centre both.
TabcGlyphPlacement CalcButtonLayout(const QSize& client, const QSize& glyph, const QSize& text,
                                    TabcButtonLayout layout, int margin, int spacing);

// The size the caption takes on one line (the accelerator marks not counted); empty without text.
QSize CaptionSize(const QString& text, const QFont& font);

// Draws the caption in `rect` as `look` says: raised or lowered text in the button shadow and
// highlight colours around the font colour; disabled text embossed in white and grey, or in the grey
// text colour without the shadow.
void DrawCaption(QPainter& painter, const QRect& rect, const TabcCaptionLook& look);

class TabcButtonGlyph
{
public:
    // The picture the images are cut from: the button's Picture, or its image list's entry.
    void SetPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return picture_; }
    bool HasPicture() const { return !picture_.isNull(); }

    void SetNumGlyphs(TabcNumGlyphs count);
    // clDefault takes the picture's bottom-left pixel, clNone keeps the picture's own transparency.
    void SetTransparentColor(TColor color);
    // The face the fade look blends with.
    void SetFaceColor(TColor color);
    void SetHighlight(TabcGlyphHighlight highlight);
    // Drops the built images (colours or the enabled state changed); they are built again when drawn.
    void Invalidate();

    // The size of one image; empty without a picture.
    QSize ImageSize() const;
    // The image for the state: its own image when the picture has one, else derived from the up image
    // (disabled: embossed; latched: the pressed image). Not hot and up: the resting look applied.
    const QImage& Image(TPicButtonState state, bool hot);

    // Draws glyph and caption in the content rectangle.
    void Draw(QPainter& painter, const QRect& client, const TabcCaptionLook& caption, TabcButtonLayout layout,
              int margin, int spacing, TPicButtonState state, bool hot);

private:
    enum Slot
    {
        SlotUp,
        SlotDisabled,
        SlotPressed,
        SlotLatched,
        SlotHot,
        SlotResting, // the up image with the resting look
        SlotCount
    };

    const QImage& Source();
    QImage Cut(int index);
    QImage Build(Slot slot);

    QPixmap picture_;
    std::optional<QImage> source_; // the picture with its transparent colour taken out
    TabcNumGlyphs numGlyphs_ = 1;
    TColor transparentColor_ = clDefault;
    TColor faceColor_ = clBtnFace;
    TabcGlyphHighlight highlight_ = TabcGlyphHighlight::aghNormal;
    std::array<std::optional<QImage>, SlotCount> images_;
};
