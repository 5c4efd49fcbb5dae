// The form scaler's arithmetic: the rounding rules, points and pixels, the font ratio, keeping the
// aspect ratio, the largest track size, track-limit encoding, first bounds and the checks of stored
// values.

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "controls/ElasticMath.h"

namespace {

using namespace elastic;

struct RoundCase
{
    double x;
    int round;
    int halfDown;
};

TEST(ElasticMath, RoundingRules)
{
    const RoundCase cases[] = {
        {12.5, 12, 12},    {13.5, 14, 13},    {12.51, 13, 13}, {12.49, 12, 12},    {0.5, 0, 0},
        {1.5, 2, 1},       {2.5, 2, 2},       {14.22, 14, 14}, {16.8, 17, 17},     {-12.5, -12, -12},
        {-13.5, -14, -13}, {-12.7, -13, -12}, {0.0, 0, 0},     {632.47, 632, 632}, {633.5, 634, 633},
    };
    for (const RoundCase& c : cases) {
        EXPECT_EQ(Round(c.x), c.round) << c.x;
        EXPECT_EQ(RoundHalfDown(c.x), c.halfDown) << c.x;
    }
}

TEST(ElasticMath, RoundingSaturatesInsteadOfOverflowing)
{
    constexpr int Max = std::numeric_limits<int>::max();
    constexpr int Min = std::numeric_limits<int>::min();
    EXPECT_EQ(Round(1e300), Max);
    EXPECT_EQ(Round(-1e300), Min);
    EXPECT_EQ(Round(std::numeric_limits<double>::infinity()), Max);
    EXPECT_EQ(Round(std::nan("")), 0);
    EXPECT_EQ(RoundHalfDown(5e10), Max);
    EXPECT_EQ(RoundHalfDown(-5e10), Min);
    EXPECT_EQ(RoundHalfDown(std::nan("")), 0);
}

TEST(ElasticMath, PointsAndPixelsAt96PixelsPerInch)
{
    const std::pair<int, int> pixelsToPoints[] = {{13, 10}, {19, 14}, {12, 9}, {16, 12},
                                                  {11, 8},  {23, 17}, {1, 1}};
    for (const auto& [pixels, points] : pixelsToPoints)
        EXPECT_EQ(PixelsToPoints(pixels), points) << pixels;
    const std::pair<int, int> pointsToPixels[] = {{10, 13}, {14, 19}, {9, 12}, {12, 16},
                                                  {8, 11},  {17, 23}, {0, 0}};
    for (const auto& [points, pixels] : pointsToPixels)
        EXPECT_EQ(PointsToPixels(points), pixels) << points;
    EXPECT_EQ(PixelsToPoints(-13), -10); // rounded away from zero on both sides
}

TEST(ElasticMath, FontRatioAtTheMainWindowsDesignSize)
{
    // Outer 510 x 315, base client 502 x 269, base font 10: a = 11.71, b = 10.16.
    const std::optional<double> r = FontRatioSize(10, QSize(510, 315), QSize(502, 269));
    ASSERT_TRUE(r);
    EXPECT_NEAR(*r, 10.0 * 510 / 502, 1e-12);
    EXPECT_EQ(Round(*r), 10);
    const double ratio = *r / 10;
    EXPECT_NEAR(ratio, 1.016, 0.0005);
    EXPECT_EQ(RoundHalfDown(14 * ratio), 14); // 14.22: a 14-point key keeps its size
    EXPECT_EQ(RoundHalfDown(9 * ratio), 9);
}

TEST(ElasticMath, FontRatioTakesTheSmallerDimension)
{
    // Taller than wide: the width decides; wider than tall: the height does.
    EXPECT_NEAR(*FontRatioSize(10, QSize(612, 500), QSize(502, 269)), 10.0 * 612 / 502, 1e-12);
    EXPECT_NEAR(*FontRatioSize(10, QSize(1000, 330), QSize(502, 269)), 10.0 * 330 / 269, 1e-12);
    EXPECT_FALSE(FontRatioSize(0, QSize(510, 315), QSize(502, 269)));
    EXPECT_FALSE(FontRatioSize(10, QSize(510, 315), QSize(0, 269)));
    EXPECT_FALSE(FontRatioSize(10, QSize(510, 315), QSize(502, -1)));
}

struct ProportionCase
{
    QSize present;
    QSize reference;
    QSize expected;
};

TEST(ElasticMath, KeepProportionsLetsTheFurtherDimensionLead)
{
    const ProportionCase cases[] = {
        {{610, 330}, {510, 315}, {610, 377}}, // grown, width leads: Round(610 x 315 / 510)
        {{520, 400}, {510, 315}, {648, 400}}, // grown, height leads: Round(400 x 510 / 315) = 647.6
        {{400, 300}, {510, 315}, {400, 247}}, // shrunk, width shrank more: height follows (247.06)
        {{500, 200}, {510, 315}, {324, 200}}, // shrunk, height shrank more: width follows (323.8)
        {{520, 325}, {510, 315}, {520, 325}}, // equal changes
        {{600, 400}, {510, 0}, {600, 400}},   // no reference
    };
    for (const ProportionCase& c : cases)
        EXPECT_EQ(KeepProportions(c.present, c.reference), c.expected)
            << c.present.width() << "x" << c.present.height();
}

TEST(ElasticMath, MaxTrackSizeOnTheDesignScreen)
{
    // 510 / 1032 = 0.494 >= 315 / 748 = 0.421: the width leads.
    EXPECT_EQ(ComputeMaxTrackSize(QSize(510, 315), QSize(1032, 748)), QSize(1026, 634));
    // A tall form: the height leads, 743 x 0.5 = 371.5 rounds to the even 372.
    EXPECT_EQ(ComputeMaxTrackSize(QSize(300, 600), QSize(1032, 748)), QSize(372, 743));
    EXPECT_FALSE(ComputeMaxTrackSize(QSize(0, 315), QSize(1032, 748)));
    EXPECT_FALSE(ComputeMaxTrackSize(QSize(510, 315), QSize(0, 0)));
}

TEST(ElasticMath, ScreenValuesArePixelsOrPercentages)
{
    const struct
    {
        int value, extent, expected;
    } cases[] = {
        {100, 800, 100}, {-50, 800, 400}, {0, 800, 0}, {-33, 1000, 330}, {-5, 1030, 52}, {-5, 1010, 50},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeScreenValue(c.value, c.extent), c.expected) << c.value << " of " << c.extent;
}

TEST(ElasticMath, MaximizedTrackPercent)
{
    EXPECT_EQ(MaximizedTrackPercent(400, 800), -50);
    EXPECT_EQ(MaximizedTrackPercent(795, 800), -99);
    EXPECT_EQ(MaximizedTrackPercent(796, 800), 0); // 99.5 rounds to 100
    EXPECT_EQ(MaximizedTrackPercent(900, 800), 0);
    EXPECT_EQ(MaximizedTrackPercent(400, 0), 0);
}

TEST(ElasticMath, InitialBounds)
{
    const QRect design(636, 485, 510, 315);
    const struct
    {
        QRect design;
        QSize screen;
        QRect expected;
    } cases[] = {
        // 636 + 510 > 1032 and 485 + 315 > 748: centred in both directions.
        {design, {1032, 748}, {(1032 - 510) / 2, (748 - 315) / 2, 510, 315}},
        {design, {1280, 1024}, design},
        {design.translated(-676, -515), {1280, 1024}, {0, 0, 510, 315}},
        // Wider than the screen: left goes negative, then 0.
        {{636, 485, 2000, 1500}, {1280, 1024}, {0, 0, 2000, 1500}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InitialBounds(c.design, c.screen), c.expected) << c.design.x() << "," << c.design.y();
}

TEST(ElasticMath, StoredSizesAndPositionsAreChecked)
{
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(StoredExtent(0.5, 800, 100), 400);
    EXPECT_EQ(StoredExtent(0.01, 800, 127), 127); // too small: the smallest usable size
    EXPECT_EQ(StoredExtent(1e9, 800, 100), 800);  // gigantic: the screen
    EXPECT_EQ(StoredExtent(0.5, 800, 1000), 800); // a minimum beyond the screen is the screen
    EXPECT_EQ(StoredExtent(0.001, 800, 1000), 800);
    EXPECT_FALSE(StoredExtent(0.0, 800, 100)); // missing values read as 0.0
    EXPECT_FALSE(StoredExtent(-0.25, 800, 100));
    EXPECT_FALSE(StoredExtent(nan, 800, 100));
    EXPECT_FALSE(StoredExtent(inf, 800, 100));
    EXPECT_FALSE(StoredExtent(0.5, 0, 100));

    EXPECT_EQ(StoredPosition(0.25, 800), 200);
    EXPECT_EQ(StoredPosition(0.0, 800), 0);
    // Far beyond any screen: kept within 16 screens, so nothing computed from it can overflow.
    EXPECT_EQ(StoredPosition(-1e300, 800), -16 * 800);
    EXPECT_EQ(StoredPosition(1e300, 800), 16 * 800);
    EXPECT_EQ(elastic::SaneStoredCoordinate(std::numeric_limits<int>::min()), -(1 << 20));
    EXPECT_EQ(elastic::SaneStoredCoordinate(std::numeric_limits<int>::max()), 1 << 20);
    EXPECT_EQ(elastic::SaneStoredCoordinate(-5), -5);
    EXPECT_FALSE(StoredPosition(nan, 800));
    EXPECT_FALSE(StoredPosition(-inf, 800));
}

TEST(ElasticMath, StoredTrackLimitsAreChecked)
{
    const struct
    {
        int value, minimum, expected;
    } cases[] = {
        {0, 127, 0},     {-50, 127, -50},   {-100, 127, -100},
        {-101, 127, 0},  {3, 127, 0},       {126, 127, 0},
        {127, 127, 127}, {1024, 127, 1024}, {std::numeric_limits<int>::min(), 127, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SanitizedTrackValue(c.value, c.minimum), c.expected) << c.value;
}

} // namespace
