// Bevelled edges: the colours of each ring and side, the soft option, partial sides, the adjust
// option, and the two-colour frame.

#include "platform/qt/DrawEdge.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "TestSupport.h"

using controlstest::Rgb;
using platform::Edge;
using platform::EdgeOption;
using platform::EdgeOptions;
using platform::EdgePart;

namespace {

const QRgb Sentinel = qRgb(1, 2, 3);
constexpr int W = 12;
constexpr int H = 10;

QImage Canvas()
{
    QImage image(W, H, QImage::Format_RGB32);
    image.fill(Sentinel);
    return image;
}

QRect Draw(QImage& image, QRect rect, Edge edge, EdgeOptions options)
{
    QPainter painter(&image);
    platform::DrawEdge(painter, rect, edge, options);
    return rect;
}

struct RingCase
{
    const char* name;
    EdgePart part;
    bool soft;
    TColor topLeft;
    TColor bottomRight;
};

const RingCase Rings[] = {
    {"raised outer", EdgePart::RaisedOuter, false, cl3DLight, cl3DDkShadow},
    {"raised outer soft", EdgePart::RaisedOuter, true, clBtnHighlight, cl3DDkShadow},
    {"raised inner", EdgePart::RaisedInner, false, clBtnHighlight, clBtnShadow},
    {"raised inner soft", EdgePart::RaisedInner, true, cl3DLight, clBtnShadow},
    {"sunken outer", EdgePart::SunkenOuter, false, clBtnShadow, clBtnHighlight},
    {"sunken outer soft", EdgePart::SunkenOuter, true, cl3DDkShadow, clBtnHighlight},
    {"sunken inner", EdgePart::SunkenInner, false, cl3DDkShadow, cl3DLight},
    {"sunken inner soft", EdgePart::SunkenInner, true, clBtnShadow, cl3DLight},
};

TEST(DrawEdge, OneRingColoursPerSide)
{
    for (const RingCase& c : Rings) {
        SCOPED_TRACE(c.name);
        QImage image = Canvas();
        EdgeOptions options = EdgeOption::AllSides;
        if (c.soft) {
            options |= EdgeOption::Soft;
        }
        const QRect after = Draw(image, QRect(0, 0, W, H), c.part, options);
        EXPECT_EQ(after, QRect(0, 0, W, H)); // no Adjust: the rectangle stays
        const QRgb tl = Rgb(c.topLeft);
        const QRgb br = Rgb(c.bottomRight);
        EXPECT_EQ(image.pixel(5, 0), tl);
        EXPECT_EQ(image.pixel(0, 5), tl);
        EXPECT_EQ(image.pixel(0, 0), tl);
        EXPECT_EQ(image.pixel(5, H - 1), br);
        EXPECT_EQ(image.pixel(W - 1, 5), br);
        EXPECT_EQ(image.pixel(W - 1, 0), br); // top-right corner: right side drawn last
        EXPECT_EQ(image.pixel(0, H - 1), br); // bottom-left corner: bottom side drawn last
        EXPECT_EQ(image.pixel(W - 1, H - 1), br);
        EXPECT_EQ(image.pixel(1, 1), Sentinel);
        EXPECT_EQ(image.pixel(W - 2, H - 2), Sentinel);
    }
}

TEST(DrawEdge, TheSoftColoursDifferFromTheHardOnes)
{
    // Guards the test palette: otherwise the soft option could not be told apart.
    for (std::size_t i = 0; i + 1 < std::size(Rings); i += 2) {
        EXPECT_NE(Rgb(Rings[i].topLeft), Rgb(Rings[i + 1].topLeft)) << Rings[i].name;
        EXPECT_NE(Rgb(Rings[i].topLeft), Rgb(Rings[i].bottomRight)) << Rings[i].name;
    }
}

TEST(DrawEdge, TwoRingsOutsideIn)
{
    QImage image = Canvas();
    const QRect after = Draw(image, QRect(0, 0, W, H), platform::EdgeSunken,
                             EdgeOption::AllSides | EdgeOption::Soft | EdgeOption::Adjust);
    EXPECT_EQ(after, QRect(2, 2, W - 4, H - 4));
    EXPECT_EQ(image.pixel(5, 0), Rgb(cl3DDkShadow)); // outer, soft
    EXPECT_EQ(image.pixel(5, H - 1), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(5, 1), Rgb(clBtnShadow)); // inner, soft
    EXPECT_EQ(image.pixel(1, 5), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(W - 2, 5), Rgb(cl3DLight));
    EXPECT_EQ(image.pixel(5, H - 2), Rgb(cl3DLight));
    EXPECT_EQ(image.pixel(2, 2), Sentinel);
}

TEST(DrawEdge, OnlyTheNamedSidesAreDrawnAndAdjusted)
{
    struct Case
    {
        const char* name;
        EdgeOptions sides;
        QRect after;
        bool left, top, right, bottom;
    };
    const Case cases[] = {
        {"left+top", EdgeOption::Left | EdgeOption::Top, QRect(1, 1, W - 1, H - 1), true, true, false, false},
        {"right+bottom", EdgeOption::Right | EdgeOption::Bottom, QRect(0, 0, W - 1, H - 1), false, false,
         true, true},
        {"left", EdgeOption::Left, QRect(1, 0, W - 1, H), true, false, false, false},
        {"bottom", EdgeOption::Bottom, QRect(0, 0, W, H - 1), false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = Canvas();
        const QRect after =
            Draw(image, QRect(0, 0, W, H), EdgePart::RaisedInner, c.sides | EdgeOption::Adjust);
        EXPECT_EQ(after, c.after);
        EXPECT_EQ(image.pixel(0, 5) != Sentinel, c.left);
        EXPECT_EQ(image.pixel(5, 0) != Sentinel, c.top);
        EXPECT_EQ(image.pixel(W - 1, 5) != Sentinel, c.right);
        EXPECT_EQ(image.pixel(5, H - 1) != Sentinel, c.bottom);
    }
}

TEST(DrawEdge, AdjustShrinksByTheEdgeWidth)
{
    struct Case
    {
        const char* name;
        Edge edge;
        int width;
    };
    const Case cases[] = {
        {"outer", EdgePart::RaisedOuter, 1},
        {"inner", EdgePart::SunkenInner, 1},
        {"raised", platform::EdgeRaised, 2},
        {"etched", platform::EdgeEtched, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = Canvas();
        const QRect start(1, 2, 8, 6);
        EXPECT_EQ(Draw(image, start, c.edge, EdgeOption::AllSides | EdgeOption::Adjust),
                  start.adjusted(c.width, c.width, -c.width, -c.width));
        EXPECT_EQ(Draw(image, start, c.edge, EdgeOption::AllSides), start);
        EXPECT_EQ(image.pixel(0, 0), Sentinel); // nothing outside the rectangle
        EXPECT_EQ(image.pixel(9, 8), Sentinel);
    }
}

TEST(DrawEdge, AnEmptyRectangleDrawsNothing)
{
    QImage image = Canvas();
    Draw(image, QRect(3, 3, 0, 4), platform::EdgeRaised, EdgeOption::AllSides | EdgeOption::Adjust);
    Draw(image, QRect(3, 3, 4, -2), platform::EdgeSunken, EdgeOption::AllSides);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            ASSERT_EQ(image.pixel(x, y), Sentinel) << x << "," << y;
        }
    }
}

TEST(DrawEdge, TwoColorFrame)
{
    QImage image = Canvas();
    QRect rect(1, 1, 8, 6);
    {
        QPainter painter(&image);
        platform::DrawTwoColorFrame(painter, rect, QColor(222, 222, 222), Qt::red);
    }
    EXPECT_EQ(rect, QRect(2, 2, 6, 4));
    EXPECT_EQ(image.pixel(4, 1), qRgb(222, 222, 222));
    EXPECT_EQ(image.pixel(1, 4), qRgb(222, 222, 222));
    EXPECT_EQ(image.pixel(4, 6), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(8, 4), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(8, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 6), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(2, 2), Sentinel);
    EXPECT_EQ(image.pixel(0, 0), Sentinel);
    EXPECT_EQ(image.pixel(9, 7), Sentinel);
}

} // namespace
