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
    {"clBlack", clBlack, 0, 0, 0},       {"clMaroon", clMaroon, 128, 0, 0},   {"clNavy", clNavy, 0, 0, 128},
    {"clPurple", clPurple, 128, 0, 128}, {"clWhite", clWhite, 255, 255, 255},
};

TEST(Colors, NamedColorsAreFixed)
{
    for (const NamedColor& c : NamedColors) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ColorToQColor(c.color), QColor(c.r, c.g, c.b));
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
    {"clWindow", clWindow, QPalette::Active, QPalette::Base},
    {"clWindowText", clWindowText, QPalette::Active, QPalette::Text},
};

TEST(Colors, SystemColorsComeFromTheApplicationPalette)
{
    const QPalette palette = QApplication::palette();
    for (const SystemCase& c : SystemCases) {
        SCOPED_TRACE(c.name);
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
    EXPECT_EQ(ColorToQColor(clBtnShadow), QColor(40, 50, 60));
    QApplication::setPalette(saved);
    EXPECT_EQ(ColorToQColor(clBtnFace), saved.color(QPalette::Active, QPalette::Button));
}

TEST(Colors, UnknownElementsAreBlack)
{
    EXPECT_EQ(ColorToQColor(SystemColor(99)), QColor(Qt::black)); // no such element
    EXPECT_EQ(ColorToQColor(SystemColor(4)), QColor(Qt::black));  // an element the program never draws with
    EXPECT_EQ(ColorToQColor(0x80010005u), QColor(Qt::black));     // malformed reference
}

} // namespace
