// The button's frame in its three looks: the room each look leaves inside, the ring every look
// draws on the border, the corners the right and bottom lines take, and nothing drawn outside a
// rectangle too small for the frame.

#include "controls/AbcButtonFrame.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

using controlstest::Rgb;
using L = TabcFrameLook;

const QRgb Sentinel = qRgb(1, 2, 3);
const QRgb Grey = qRgb(222, 222, 222);

struct Drawn
{
    QImage image;
    QRect content;
};

Drawn Draw(TabcFrameLook look, const QRect& rect, QSize imageSize = {20, 16})
{
    Drawn drawn{QImage(imageSize, QImage::Format_RGB32), {}};
    drawn.image.fill(Sentinel);
    QPainter painter(&drawn.image);
    drawn.content = DrawButtonFrame(painter, rect, look);
    return drawn;
}

TEST(ButtonFrame, EveryLookDrawsTheWholeBorderAndLeavesItsContentUntouched)
{
    constexpr int W = 20;
    constexpr int H = 16;
    struct Case
    {
        TabcFrameLook look;
        int inset[4]; // left, top, right, bottom
    };
    const Case cases[] = {
        {L::Normal, {1, 1, 1, 2}},
        {L::Hot, {2, 2, 2, 3}},
        {L::Pressed, {2, 2, 2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.look));
        const Drawn drawn = Draw(c.look, QRect(0, 0, W, H));
        EXPECT_EQ(drawn.content,
                  QRect(0, 0, W, H).adjusted(c.inset[0], c.inset[1], -c.inset[2], -c.inset[3]));
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const bool border = x == 0 || y == 0 || x == W - 1 || y == H - 1;
                if (border) {
                    ASSERT_NE(drawn.image.pixel(x, y), Sentinel) << x << "," << y;
                } else if (drawn.content.contains(x, y)) {
                    ASSERT_EQ(drawn.image.pixel(x, y), Sentinel) << x << "," << y;
                }
            }
        }
    }
}

TEST(ButtonFrame, RingColoursAndCorners)
{
    struct Mark
    {
        TabcFrameLook look;
        QPoint at;
        QRgb color;
    };
    const Mark marks[] = {
        {L::Normal, {0, 0}, Rgb(clBtnHighlight)},
        {L::Normal, {19, 0}, Rgb(clBtnShadow)}, // the right line takes the top-right corner
        {L::Normal, {0, 15}, Rgb(clBtnShadow)}, // the bottom line the bottom-left one
        {L::Normal, {0, 13}, Rgb(clBtnHighlight)},
        {L::Normal, {0, 14}, Rgb(clBtnShadow)}, // the shadow line inside the ring covers its left side
        {L::Hot, {0, 15}, Rgb(clBtnShadow)},    // the shadow line first, under the raised ring
        {L::Hot, {0, 5}, Rgb(clBtnHighlight)},
        {L::Hot, {19, 5}, Rgb(cl3DDkShadow)},
        {L::Hot, {1, 5}, Grey},
        {L::Hot, {18, 5}, Rgb(clBtnShadow)},
        {L::Pressed, {0, 5}, Rgb(cl3DDkShadow)},
        {L::Pressed, {19, 5}, Rgb(clBtnHighlight)},
        {L::Pressed, {1, 5}, Rgb(clBtnShadow)},
        {L::Pressed, {18, 5}, Grey},
    };
    for (const Mark& m : marks) {
        EXPECT_EQ(Draw(m.look, QRect(0, 0, 20, 16)).image.pixel(m.at), m.color)
            << static_cast<int>(m.look) << " at " << m.at.x() << "," << m.at.y();
    }
}

TEST(ButtonFrame, NothingIsDrawnOutsideATinyRectangle)
{
    for (const L look : {L::Normal, L::Hot, L::Pressed}) {
        for (const QSize size : {QSize(1, 1), QSize(2, 2), QSize(3, 1)}) {
            const QRect rect(QPoint(3, 3), size);
            const Drawn drawn = Draw(look, rect, {8, 8});
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    if (!rect.contains(x, y)) {
                        ASSERT_EQ(drawn.image.pixel(x, y), Sentinel)
                            << static_cast<int>(look) << " " << size.width() << "x" << size.height() << " at "
                            << x << "," << y;
                    }
                }
            }
        }
    }
}

} // namespace
