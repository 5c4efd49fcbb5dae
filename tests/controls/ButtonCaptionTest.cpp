// The caption's place inside the frame.

#include "controls/AbcButtonCaption.h"

#include <gtest/gtest.h>

TEST(ButtonCaption, IsCentredByTheRoundedHalfRoom)
{
    struct Case
    {
        QSize client;
        QSize text;
        QRect expected;
    };
    const Case cases[] = {
        {{60, 40}, {20, 10}, {20, 15, 20, 10}},
        {{23, 22}, {8, 13}, {8, 5, 8, 13}},     // odd room rounds up
        {{21, 20}, {30, 24}, {-4, -1, 30, 24}}, // wider than the face: overhangs both sides
        {{60, 40}, {0, 0}, {30, 20, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CaptionPlace(c.client, c.text), c.expected)
            << c.client.width() << "x" << c.client.height() << " " << c.text.width() << "x"
            << c.text.height();
}
