// The shared latched-face pattern: its checkerboard, sharing per colour and release by the buttons.

#include "controls/AbcBrushPattern.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

using controlstest::Rgb;

TEST(BrushPattern, CheckerboardOfFaceAndHighlight)
{
    const QColor face(200, 100, 50);
    const QColor highlight(250, 250, 240);
    const auto pattern = TabcBrushPattern::Acquire(face, highlight);
    const QImage& bitmap = pattern->Bitmap();
    ASSERT_EQ(bitmap.size(), QSize(8, 8));
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const QRgb expected = (x % 2) == (y % 2) ? highlight.rgb() : face.rgb();
            EXPECT_EQ(bitmap.pixel(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(pattern->Brush().style(), Qt::TexturePattern);
}

TEST(BrushPattern, SharedPerColourAndFreedWithTheLastReference)
{
    const int before = TabcBrushPattern::LiveCount();
    auto a = TabcBrushPattern::Acquire(Qt::red, Qt::white);
    auto b = TabcBrushPattern::Acquire(QColor(255, 0, 0), QColor(255, 255, 255));
    auto c = TabcBrushPattern::Acquire(Qt::blue, Qt::white);
    auto d = TabcBrushPattern::Acquire(Qt::red, Qt::yellow);
    EXPECT_EQ(a.get(), b.get());
    EXPECT_NE(a.get(), c.get());
    EXPECT_NE(a.get(), d.get());
    EXPECT_EQ(TabcBrushPattern::LiveCount(), before + 3);
    a.reset();
    EXPECT_EQ(TabcBrushPattern::LiveCount(), before + 3); // b still holds it
    b.reset();
    EXPECT_EQ(TabcBrushPattern::LiveCount(), before + 2);
    c.reset();
    d.reset();
    EXPECT_EQ(TabcBrushPattern::LiveCount(), before);
}

TEST(BrushPattern, ButtonsTakeReleaseAndShareIt)
{
    const int before = TabcBrushPattern::LiveCount();
    {
        controlstest::TestWindow window;
        auto& a = window.AddButton(QRect(10, 10, 30, 24));
        auto& b = window.AddButton(QRect(50, 10, 30, 24));
        for (auto* button : {&a, &b}) {
            button->SetColor(RGBToColor(10, 120, 200));
            button->SetGroupIndex(button == &a ? 1 : 2);
            button->SetDown(true);
        }
        EXPECT_EQ(TabcBrushPattern::LiveCount(), before); // taken at the first latched paint
        controlstest::Settle();
        controlstest::Grab(a);
        controlstest::Grab(b);
        EXPECT_EQ(TabcBrushPattern::LiveCount(), before + 1);

        b.SetColor(clMaroon); // releases b's reference; a keeps the pattern
        EXPECT_EQ(TabcBrushPattern::LiveCount(), before + 1);
        controlstest::Grab(b);
        EXPECT_EQ(TabcBrushPattern::LiveCount(), before + 2);

        a.SetColor(clMaroon);
        EXPECT_EQ(TabcBrushPattern::LiveCount(), before + 1);
        controlstest::Grab(a);
        EXPECT_EQ(TabcBrushPattern::LiveCount(), before + 1); // now sharing b's
    }
    EXPECT_EQ(TabcBrushPattern::LiveCount(), before); // destroyed with the buttons
}

TEST(BrushPattern, FollowsAPaletteChangeOfTheHighlight)
{
    controlstest::TestWindow window;
    auto& button = window.AddButton(QRect(10, 10, 30, 24));
    button.SetGroupIndex(1);
    button.SetDown(true);
    const QPalette saved = QApplication::palette();
    QPalette changed = saved;
    changed.setColor(QPalette::Active, QPalette::Light, QColor(255, 255, 0));
    QApplication::setPalette(changed);
    const QImage image = controlstest::Grab(button);
    QApplication::setPalette(saved);
    EXPECT_EQ(image.pixel(6, 6), qRgb(255, 255, 0));
    EXPECT_EQ(image.pixel(7, 6), Rgb(clBtnFace));
}

} // namespace
