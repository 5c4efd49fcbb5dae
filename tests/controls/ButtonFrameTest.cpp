// The 19 frame styles: the room each look leaves inside, the ring every look draws on the border, and
// the marks that tell the styles apart.

#include "controls/AbcButtonFrame.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

using controlstest::Rgb;
using B = TabcButtonStyle;
using L = TabcFrameLook;

const QRgb Sentinel = qRgb(1, 2, 3);
const QRgb Grey = qRgb(222, 222, 222);
constexpr int W = 20;
constexpr int H = 16;

struct Drawn
{
    QImage image;
    QRect content;
};

Drawn Draw(TabcButtonStyle style, TabcFrameLook look)
{
    Drawn drawn{QImage(W, H, QImage::Format_RGB32), {}};
    drawn.image.fill(Sentinel);
    QPainter painter(&drawn.image);
    drawn.content = DrawButtonFrame(painter, QRect(0, 0, W, H), style, look);
    return drawn;
}

std::string Name(TabcButtonStyle style, TabcFrameLook look)
{
    const char* looks[] = {"normal", "hot", "pressed"};
    return std::string(ButtonStyleName(style)) + " " + looks[static_cast<int>(look)];
}

struct Insets
{
    TabcButtonStyle style;
    int pressed[4]; // left, top, right, bottom
    int hot[4];
    int normal[4];
};

const Insets AllInsets[] = {
    {B::absAutoDetect, {2, 2, 2, 2}, {1, 1, 2, 2}, {1, 1, 2, 2}},
    {B::absNew, {2, 2, 2, 2}, {1, 1, 2, 2}, {1, 1, 2, 2}},
    {B::absWin31, {2, 2, 1, 1}, {3, 3, 3, 3}, {3, 3, 3, 3}},
    {B::absThin, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}},
    {B::absThinBlack, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}},
    {B::absThinGray, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}},
    {B::absThinHighlight, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}},
    {B::absMidHighlight, {2, 2, 2, 2}, {2, 2, 2, 2}, {1, 1, 1, 1}},
    {B::absThickHighlight, {2, 2, 2, 2}, {2, 2, 2, 3}, {1, 1, 1, 2}},
    {B::absFramed, {2, 2, 2, 2}, {2, 2, 2, 2}, {2, 2, 2, 2}},
    {B::absFramedBlack, {2, 2, 2, 2}, {2, 2, 2, 2}, {2, 2, 2, 2}},
    {B::absFramedRaised, {2, 2, 2, 2}, {3, 3, 3, 3}, {3, 3, 3, 3}},
    {B::absFramedHighlight, {2, 2, 2, 2}, {3, 3, 3, 3}, {2, 2, 2, 2}},
    {B::absFramedBlackHighlight, {2, 2, 2, 2}, {3, 3, 3, 3}, {2, 2, 2, 2}},
    {B::absRecessed, {2, 2, 2, 2}, {3, 3, 3, 3}, {3, 3, 3, 3}},
    {B::absRecessedBlack, {2, 2, 2, 2}, {3, 3, 3, 3}, {3, 3, 3, 3}},
    {B::absRecessedRaised, {2, 2, 2, 2}, {4, 4, 4, 4}, {4, 4, 4, 4}},
    {B::absRecessedHighlight, {2, 2, 2, 2}, {4, 4, 4, 4}, {3, 3, 3, 3}},
    {B::absRecessedBlackHighlight, {2, 2, 2, 2}, {4, 4, 4, 4}, {3, 3, 3, 3}},
};

TEST(ButtonFrame, EveryStyleIsListedOnce)
{
    ASSERT_EQ(std::size(AllInsets), static_cast<std::size_t>(ButtonStyleCount));
    for (int i = 0; i < ButtonStyleCount; ++i) {
        EXPECT_EQ(static_cast<int>(AllInsets[i].style), i);
    }
}

TEST(ButtonFrame, ContentRectangleOfEveryStyleAndLook)
{
    for (const Insets& c : AllInsets) {
        for (const auto& [look, inset] :
             {std::pair{L::Pressed, c.pressed}, std::pair{L::Hot, c.hot}, std::pair{L::Normal, c.normal}}) {
            SCOPED_TRACE(Name(c.style, look));
            const Drawn drawn = Draw(c.style, look);
            EXPECT_EQ(drawn.content, QRect(0, 0, W, H).adjusted(inset[0], inset[1], -inset[2], -inset[3]));
        }
    }
}

TEST(ButtonFrame, EveryLookDrawsTheWholeBorderAndNothingInside)
{
    for (const Insets& c : AllInsets) {
        for (const L look : {L::Pressed, L::Hot, L::Normal}) {
            SCOPED_TRACE(Name(c.style, look));
            const Drawn drawn = Draw(c.style, look);
            for (int x = 0; x < W; ++x) {
                ASSERT_NE(drawn.image.pixel(x, 0), Sentinel) << x;
                ASSERT_NE(drawn.image.pixel(x, H - 1), Sentinel) << x;
            }
            for (int y = 0; y < H; ++y) {
                ASSERT_NE(drawn.image.pixel(0, y), Sentinel) << y;
                ASSERT_NE(drawn.image.pixel(W - 1, y), Sentinel) << y;
            }
            for (int y = drawn.content.top(); y <= drawn.content.bottom(); ++y) {
                for (int x = drawn.content.left(); x <= drawn.content.right(); ++x) {
                    ASSERT_EQ(drawn.image.pixel(x, y), Sentinel) << x << "," << y;
                }
            }
        }
    }
}

TEST(ButtonFrame, DistinguishingMarks)
{
    struct Mark
    {
        TabcButtonStyle style;
        TabcFrameLook look;
        QPoint at;
        QRgb color;
    };
    const QRgb black = qRgb(0, 0, 0);
    const Mark marks[] = {
        {B::absNew, L::Normal, {0, 5}, Rgb(clBtnHighlight)},
        {B::absNew, L::Normal, {W - 2, 5}, Rgb(clBtnShadow)},
        {B::absNew, L::Normal, {1, 5}, Sentinel}, // the inner ring has no left side
        {B::absNew, L::Pressed, {0, 5}, Rgb(cl3DDkShadow)},
        {B::absNew, L::Pressed, {1, 5}, Rgb(clBtnShadow)},
        {B::absWin31, L::Normal, {0, 5}, black},
        {B::absWin31, L::Normal, {2, 5}, Rgb(clBtnHighlight)},
        {B::absWin31, L::Normal, {W - 3, 5}, Rgb(clBtnShadow)},
        {B::absWin31, L::Pressed, {1, 5}, Rgb(clBtnShadow)},
        {B::absWin31, L::Pressed, {W - 2, 5}, Sentinel},
        {B::absThinBlack, L::Normal, {W - 1, 5}, Rgb(cl3DDkShadow)},
        {B::absThinGray, L::Normal, {0, 5}, Grey},
        {B::absThinGray, L::Pressed, {0, 5}, Rgb(clBtnShadow)},
        {B::absThinHighlight, L::Hot, {W - 1, 5}, Rgb(cl3DDkShadow)},
        {B::absThinHighlight, L::Normal, {W - 1, 5}, Rgb(clBtnShadow)},
        {B::absMidHighlight, L::Hot, {1, 5}, Grey},
        {B::absMidHighlight, L::Pressed, {W - 2, 5}, Grey},
        {B::absFramed, L::Normal, {0, 5}, Rgb(clBtnShadow)},
        {B::absFramed, L::Normal, {1, 5}, Rgb(clBtnHighlight)},
        {B::absFramedBlack, L::Normal, {0, 5}, Rgb(cl3DDkShadow)},
        {B::absFramedRaised, L::Normal, {2, 5}, Grey},
        {B::absFramedHighlight, L::Hot, {2, 5}, Grey},
        {B::absRecessed, L::Normal, {1, 5}, Sentinel}, // the gap inside the first ring
        {B::absRecessed, L::Normal, {2, 5}, Rgb(clBtnHighlight)},
        {B::absRecessedRaised, L::Normal, {3, 5}, Grey},
        {B::absRecessedHighlight, L::Hot, {3, 5}, Grey},
        {B::absRecessedBlackHighlight, L::Normal, {2, 5}, Rgb(clBtnHighlight)},
    };
    for (const Mark& m : marks) {
        const Drawn drawn = Draw(m.style, m.look);
        EXPECT_EQ(drawn.image.pixel(m.at), m.color)
            << Name(m.style, m.look) << " at " << m.at.x() << "," << m.at.y();
    }
}

TEST(ButtonFrame, AutoDetectDrawsTheNewStyle)
{
    for (const L look : {L::Pressed, L::Hot, L::Normal}) {
        EXPECT_EQ(Draw(B::absAutoDetect, look).image, Draw(B::absNew, look).image);
    }
}

} // namespace
