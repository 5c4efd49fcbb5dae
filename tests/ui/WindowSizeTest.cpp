#include "ui/WindowSize.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowSize, TrackLimitsForBothShapes)
{
    EXPECT_EQ(ui::MinMaxSize(true, 1024, 738), (ui::TrackLimits{472, 291, 1024, 632}));
    EXPECT_EQ(ui::MinMaxSize(false, 1024, 738), (ui::TrackLimits{249, 291, 542, 632}));
    // A work area that does not start at 0 still uses its right coordinate.
    EXPECT_EQ(ui::MinMaxSize(true, 100 + 1024, 738), (ui::TrackLimits{472, 291, 1124, 694}));
    // A wide, low work area (a panel along a 1280 x 800 screen): the height bounds both, in proportion.
    EXPECT_EQ(ui::MinMaxSize(true, 1280, 700), (ui::TrackLimits{472, 291, 1133, 700}));
    EXPECT_EQ(ui::MinMaxSize(false, 1280, 700), (ui::TrackLimits{249, 291, 600, 700}));
}

TEST(WindowSize, TheWindowComesBackIntoTheWorkArea)
{
    const QRect work(0, 0, 1024, 738);
    struct Case
    {
        QRect outer, expected;
    };
    const Case cases[] = {
        {{100, 100, 510, 315}, {100, 100, 510, 315}}, // inside: unchanged
        {{700, 100, 510, 315}, {514, 100, 510, 315}}, // right edge meets the area's right edge
        {{100, 600, 510, 315}, {100, 423, 510, 315}}, // bottom edge
        {{-50, -20, 510, 315}, {0, 0, 510, 315}},     // left and top
        {{300, 300, 1200, 900}, {0, 0, 1200, 900}},   // larger than the area: its top-left corner
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::AdjustedPosition(c.outer, work), c.expected) << c.outer.x() << "," << c.outer.y();
    // A task bar on the left.
    EXPECT_EQ(ui::AdjustedPosition({10, 10, 510, 315}, QRect(60, 0, 964, 738)), QRect(60, 10, 510, 315));
}

TEST(WindowSize, TapeBandFollowsThePresentScale)
{
    EXPECT_EQ(ui::WidthWithoutTape(510), 270);
    EXPECT_EQ(ui::WidthWithTape(270), 510);
    EXPECT_EQ(ui::WidthWithoutTape(612), 324); // a window scaled by 1.2
    EXPECT_EQ(ui::WidthWithTape(324), 612);
}

} // namespace
