// The colour type: fixed colours in 0x00BBGGRR, the named colours, and system colour references that
// follow the application palette.

#include "platform/qt/Colors.h"

#include <QApplication>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

struct NamedColor
{
    const char* name;
    TColor color;
    int r, g, b;
};

const NamedColor NamedColors[] = {
    {"clBlack", clBlack, 0, 0, 0},         {"clMaroon", clMaroon, 128, 0, 0},
    {"clGreen", clGreen, 0, 128, 0},       {"clOlive", clOlive, 128, 128, 0},
    {"clNavy", clNavy, 0, 0, 128},         {"clPurple", clPurple, 128, 0, 128},
    {"clTeal", clTeal, 0, 128, 128},       {"clGray", clGray, 128, 128, 128},
    {"clSilver", clSilver, 192, 192, 192}, {"clRed", clRed, 255, 0, 0},
    {"clLime", clLime, 0, 255, 0},         {"clYellow", clYellow, 255, 255, 0},
    {"clBlue", clBlue, 0, 0, 255},         {"clFuchsia", clFuchsia, 255, 0, 255},
    {"clAqua", clAqua, 0, 255, 255},       {"clWhite", clWhite, 255, 255, 255},
};

TEST(Colors, NamedColorsAreTheDesktopsSixteen)
{
    for (const NamedColor& c : NamedColors) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(IsSystemColor(c.color));
        EXPECT_EQ(ColorToQColor(c.color), QColor(c.r, c.g, c.b));
        EXPECT_EQ(RGBToColor(c.r, c.g, c.b), c.color);
        EXPECT_EQ(QColorToColor(QColor(c.r, c.g, c.b, 40)), c.color);
    }
}

TEST(Colors, RGBToColorPutsRedInTheLowByteAndClamps)
{
    struct Case
    {
        int r, g, b;
        TColor expected;
    };
    const Case cases[] = {
        {0x12, 0x34, 0x56, 0x563412u}, {255, 0, 0, 0x0000FFu},  {0, 0, 255, 0xFF0000u},
        {-5, 300, 128, 0x80FF00u},     {256, -1, 0, 0x0000FFu},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RGBToColor(c.r, c.g, c.b), c.expected) << c.r << "," << c.g << "," << c.b;
    }
}

struct SystemCase
{
    const char* name;
    TColor color;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

const SystemCase SystemCases[] = {
    {"clBtnFace", clBtnFace, QPalette::Active, QPalette::Button},
    {"clBtnShadow", clBtnShadow, QPalette::Active, QPalette::Dark},
    {"clBtnHighlight", clBtnHighlight, QPalette::Active, QPalette::Light},
    {"cl3DDkShadow", cl3DDkShadow, QPalette::Active, QPalette::Shadow},
    {"cl3DLight", cl3DLight, QPalette::Active, QPalette::Midlight},
    {"clBtnText", clBtnText, QPalette::Active, QPalette::ButtonText},
    {"clWindow", clWindow, QPalette::Active, QPalette::Base},
    {"clWindowText", clWindowText, QPalette::Active, QPalette::Text},
    {"clHighlight", clHighlight, QPalette::Active, QPalette::Highlight},
    {"clHighlightText", clHighlightText, QPalette::Active, QPalette::HighlightedText},
    {"clGrayText", clGrayText, QPalette::Disabled, QPalette::Text},
    {"clMenu", clMenu, QPalette::Active, QPalette::Window},
    {"clMenuText", clMenuText, QPalette::Active, QPalette::WindowText},
    {"clInfoText", clInfoText, QPalette::Active, QPalette::ToolTipText},
    {"clInfoBk", clInfoBk, QPalette::Active, QPalette::ToolTipBase},
};

TEST(Colors, SystemColorsComeFromTheApplicationPalette)
{
    const QPalette palette = QApplication::palette();
    for (const SystemCase& c : SystemCases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(IsSystemColor(c.color));
        EXPECT_EQ(ColorToQColor(c.color).rgb(), palette.color(c.group, c.role).rgb());
    }
}

TEST(Colors, SystemColorsFollowAPaletteChange)
{
    const QPalette saved = QApplication::palette();
    QPalette changed = saved;
    changed.setColor(QPalette::Active, QPalette::Button, QColor(10, 200, 30));
    changed.setColor(QPalette::Active, QPalette::Dark, QColor(40, 50, 60));
    QApplication::setPalette(changed);
    EXPECT_EQ(ColorToQColor(clBtnFace), QColor(10, 200, 30));
    EXPECT_EQ(ColorToRGB(clBtnShadow), RGBToColor(40, 50, 60));
    QApplication::setPalette(saved);
    EXPECT_EQ(ColorToQColor(clBtnFace), saved.color(QPalette::Active, QPalette::Button));
}

TEST(Colors, NoneAndUnknownValues)
{
    EXPECT_EQ(ColorToQColor(clNone).alpha(), 0);
    EXPECT_EQ(ColorToQColor(SystemColor(99)), QColor(Qt::black)); // no such element
    EXPECT_EQ(ColorToQColor(0x80010005u), QColor(Qt::black));     // malformed reference
    EXPECT_EQ(ColorToRGB(clMaroon), clMaroon);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorRed(clPurple), 128);
    EXPECT_EQ(ColorGreen(clPurple), 0);
    EXPECT_EQ(ColorBlue(clPurple), 128);
}

} // namespace
