// Glyph and caption placement, and the per-state glyph images.

#include "controls/AbcButtonGlyph.h"

#include <QPainter>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

using Lay = TabcButtonLayout;

struct LayoutCase
{
    const char* name;
    QSize client;
    QSize glyph;
    QSize text;
    TabcButtonLayout layout;
    int margin;
    int spacing;
    QPoint glyphAt;
    QPoint textAt;
};

// Worked by hand from the placement rules, for a 60 x 40 content with a 16 x 16 glyph and a 20 x 10
// caption unless the row says otherwise.
const LayoutCase LayoutCases[] = {
    {"left, centred together", {60, 40}, {16, 16}, {20, 10}, Lay::ablGlyphLeft, -1, 4, {10, 12}, {30, 15}},
    {"right, centred together", {60, 40}, {16, 16}, {20, 10}, Lay::ablGlyphRight, -1, 4, {34, 12}, {10, 15}},
    {"top, centred together", {60, 40}, {16, 16}, {20, 10}, Lay::ablGlyphTop, -1, 4, {22, 5}, {20, 25}},
    {"bottom, centred together", {60, 40}, {16, 16}, {20, 10}, Lay::ablGlyphBottom, -1, 4, {22, 19}, {20, 5}},
    {"centre", {60, 40}, {16, 16}, {20, 10}, Lay::ablGlyphCenter, 3, 4, {22, 12}, {20, 15}},
    {"tiled", {60, 40}, {16, 16}, {20, 10}, Lay::ablGlyphTiled, -1, 4, {22, 12}, {20, 15}},
    {"left, margin 3", {60, 40}, {16, 16}, {20, 10}, Lay::ablGlyphLeft, 3, 4, {3, 12}, {23, 15}},
    {"right, margin 3", {60, 40}, {16, 16}, {20, 10}, Lay::ablGlyphRight, 3, 4, {41, 12}, {17, 15}},
    {"left, margin 3, caption centred in the rest",
     {60, 40},
     {16, 16},
     {20, 10},
     Lay::ablGlyphLeft,
     3,
     -1,
     {3, 12},
     {29, 15}},
    {"left, even spacing", {60, 40}, {16, 16}, {20, 10}, Lay::ablGlyphLeft, -1, -1, {8, 12}, {32, 15}},
    {"no glyph: caption centred", {60, 40}, {0, 0}, {20, 10}, Lay::ablGlyphRight, 2, 4, {0, 0}, {20, 15}},
    {"no caption: glyph centred", {60, 40}, {16, 16}, {0, 0}, Lay::ablGlyphLeft, -1, 4, {22, 12}, {}},
    {"no caption: glyph at its margin", {60, 40}, {16, 16}, {0, 0}, Lay::ablGlyphRight, 2, 4, {42, 12}, {}},
    {"caption wider than the face: div truncates",
     {10, 10},
     {0, 0},
     {21, 12},
     Lay::ablGlyphLeft,
     -1,
     4,
     {0, 0},
     {-5, 0}},
    {"odd room rounds up", {23, 22}, {0, 0}, {8, 13}, Lay::ablGlyphLeft, -1, 4, {0, 0}, {8, 5}},
};

TEST(ButtonLayout, PlacesGlyphAndCaption)
{
    for (const LayoutCase& c : LayoutCases) {
        SCOPED_TRACE(c.name);
        const TabcGlyphPlacement placement =
            CalcButtonLayout(c.client, c.glyph, c.text, c.layout, c.margin, c.spacing);
        if (!c.glyph.isEmpty()) {
            EXPECT_EQ(placement.glyph, c.glyphAt);
        }
        EXPECT_EQ(placement.text.size(), c.text);
        if (!c.text.isEmpty()) {
            EXPECT_EQ(placement.text.topLeft(), c.textAt);
        }
    }
}

const QColor Slots[5] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(255, 255, 0),
                         QColor(0, 255, 255)};
const QColor Key(255, 0, 255);

// `count` 4 x 4 images side by side, each a square of its slot colour with a key-coloured bottom row.
QPixmap Strip(int count)
{
    QImage image(4 * count, 4, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i) {
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                image.setPixelColor(4 * i + x, y, y == 3 ? Key : Slots[i]);
            }
        }
    }
    return QPixmap::fromImage(image);
}

TEST(ButtonGlyph, EachStateTakesItsImageOrFallsBack)
{
    struct Case
    {
        int numGlyphs;
        TPicButtonState state;
        bool hot;
        int slot; // -1: made from the up image
    };
    using S = TPicButtonState;
    const Case cases[] = {
        {5, S::Up, false, 0},        {5, S::Disabled, false, 1}, {5, S::Pressed, false, 2},
        {5, S::Latched, false, 3},   {5, S::Hot, true, 4},       {5, S::Up, true, 4},
        {3, S::Latched, false, 2},   {3, S::Hot, true, 0},       {2, S::Pressed, false, 0},
        {1, S::Disabled, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.numGlyphs) + " " + std::string(ButtonStateName(c.state)));
        TabcButtonGlyph glyph;
        glyph.SetPicture(Strip(c.numGlyphs));
        glyph.SetNumGlyphs(c.numGlyphs);
        EXPECT_EQ(glyph.ImageSize(), QSize(4, 4));
        const QImage& image = glyph.Image(c.state, c.hot);
        ASSERT_EQ(image.size(), QSize(4, 4));
        if (c.slot >= 0) {
            EXPECT_EQ(image.pixelColor(1, 1).rgb(), Slots[c.slot].rgb());
        } else {
            EXPECT_NE(image.pixelColor(1, 1).rgb(), Slots[0].rgb());
            EXPECT_EQ(image.pixelColor(1, 1).rgb(), controlstest::Rgb(clBtnShadow)); // embossed
        }
    }
}

TEST(ButtonGlyph, TransparentColour)
{
    struct Case
    {
        const char* name;
        TColor transparent;
        bool keyHidden;
        bool squareHidden;
    };
    const Case cases[] = {
        {"from the picture (bottom-left pixel)", clDefault, true, false},
        {"none", clNone, false, false},
        {"the square's colour", clRed, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TabcButtonGlyph glyph;
        glyph.SetPicture(Strip(1));
        glyph.SetTransparentColor(c.transparent);
        const QImage& image = glyph.Image(TPicButtonState::Up, false);
        EXPECT_EQ(qAlpha(image.pixel(1, 3)) == 0, c.keyHidden);
        EXPECT_EQ(qAlpha(image.pixel(1, 1)) == 0, c.squareHidden);
    }
}

TEST(ButtonGlyph, RestingLooksApplyOnlyWhenNotHot)
{
    const QColor face(0, 0, 200);
    struct Case
    {
        TabcGlyphHighlight highlight;
        QColor resting;
    };
    const Case cases[] = {
        {TabcGlyphHighlight::aghNormal, QColor(255, 0, 0)},
        {TabcGlyphHighlight::aghGray, QColor(qGray(255, 0, 0), qGray(255, 0, 0), qGray(255, 0, 0))},
        {TabcGlyphHighlight::aghFade, QColor(128, 0, 100)}, // half way to the face colour
        {TabcGlyphHighlight::aghDarken, QColor(179, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.highlight));
        TabcButtonGlyph glyph;
        glyph.SetPicture(Strip(1));
        glyph.SetFaceColor(QColorToColor(face));
        glyph.SetHighlight(c.highlight);
        EXPECT_EQ(glyph.Image(TPicButtonState::Up, false).pixelColor(1, 1).rgb(), c.resting.rgb());
        EXPECT_EQ(glyph.Image(TPicButtonState::Hot, true).pixelColor(1, 1).rgb(), Slots[0].rgb());
    }
}

} // namespace
