// Every text readable on a light and a dark desktop: contrast measured from rendered pixels of each
// colour scheme, the status bar, the display and the secondary windows.

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "controls/Abcbtn.h"
#include "tests/TestAccess.h"
#include "ui/About.h"
#include "ui/Calc.h"
#include "ui/ColorSchemes.h"
#include "ui/Help.h"

namespace {

// 1 (the same luminance) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = ui::RelativeLuminance(a), lb = ui::RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The most frequent colour of the region is the background; the pixel farthest from it in contrast
// is the text (anti-aliasing only brings edge pixels closer to the background).
double MeasuredContrast(const QImage& image, int inset)
{
    const QRect region = image.rect().adjusted(inset, inset, -inset, -inset);
    QHash<QRgb, int> counts;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            std::tie(background, most) = std::pair(it.key(), it.value());
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, ContrastRatio(QColor(background), QColor(it.key())));
    return best;
}

double WidgetContrast(QWidget* widget, int inset = 0)
{
    return MeasuredContrast(widget->grab().toImage().convertToFormat(QImage::Format_RGB32), inset);
}

QPalette DarkPalette()
{
    QPalette p;
    for (const auto& [role, rgb] : {std::pair(QPalette::Window, 0x353535),
                                    {QPalette::WindowText, 0xFFFFFF},
                                    {QPalette::Base, 0x2A2A2A},
                                    {QPalette::AlternateBase, 0x424242},
                                    {QPalette::Button, 0x353535},
                                    {QPalette::ButtonText, 0xFFFFFF},
                                    {QPalette::Text, 0xFFFFFF},
                                    {QPalette::Light, 0x505050},
                                    {QPalette::Midlight, 0x454545},
                                    {QPalette::Mid, 0x2A2A2A},
                                    {QPalette::Dark, 0x202020},
                                    {QPalette::Shadow, 0x141414}})
        p.setColor(role, QColor::fromRgb(static_cast<QRgb>(rgb)));
    return p;
}

class Contrast : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        saved = QApplication::palette();
        if (GetParam())
            QApplication::setPalette(DarkPalette());
    }
    void TearDown() override { QApplication::setPalette(saved); }
    QPalette saved;
};

TEST(ContrastRatio, FollowsTheRelativeLuminanceFormula)
{
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    EXPECT_NEAR(ContrastRatio(QColor(0x80, 0x00, 0x80), QColor(0x35, 0x35, 0x35)), 1.30, 0.01);
    EXPECT_FALSE(ui::IsDarkPalette(QPalette(QColor(0xEF, 0xEF, 0xEF))));
    EXPECT_TRUE(ui::IsDarkPalette(DarkPalette()));
}

TEST_P(Contrast, EveryKeyCaptionAndTextInEverySchemeIsReadable)
{
    ui::TfrmMain w;
    w.resize(w.size());
    for (const char* key : {"btn5", "btnMS"})
        TestAccess::Button(w, QString::fromLatin1(key))->Click();
    auto* status = w.findChild<QLabel*>(QStringLiteral("StatusBarPanel0"));
    ASSERT_EQ(status->text(), QStringLiteral("Memory = 5"));
    for (int scheme = 0; scheme < ui::SchemeCount; ++scheme) {
        w.findChild<QAction*>(QString::fromLatin1(ui::SchemeMenuItem(scheme)))->trigger();
        const std::string where = "scheme " + std::to_string(scheme) + (GetParam() ? " dark" : " light");
        for (TabcPicSpeedBtn* b : w.findChildren<TabcPicSpeedBtn*>())
            EXPECT_GE(WidgetContrast(b, 4), 3.0) << where << " " << b->objectName().toStdString();
        EXPECT_GE(WidgetContrast(status), 4.5) << where << " status bar";
        EXPECT_GE(WidgetContrast(w.findChild<QWidget*>(QStringLiteral("memDisplayValue")), 2), 4.5) << where;
    }
}

TEST_P(Contrast, TheSecondaryWindowsAreReadable)
{
    ui::TfrmMain w;
    ui::TfrmHelp help(&w);
    for (QWidget* text : help.findChildren<QPlainTextEdit*>())
        EXPECT_GE(WidgetContrast(text), 4.5) << text->objectName().toStdString();
    for (QWidget* label : help.findChildren<QLabel*>())
        EXPECT_GE(WidgetContrast(label), 4.5) << label->objectName().toStdString();
    ui::TfrmAbout about(&w);
    for (const char* name : {"lblCompany", "lblProduct", "lblVersion", "lblCopyright", "lblHyperlink"})
        EXPECT_GE(WidgetContrast(about.findChild<QLabel*>(QString::fromLatin1(name))), 4.5) << name;
}

TEST(DefaultScheme, FollowsALivePaletteChange)
{
    const QPalette light = QApplication::palette();
    ui::TfrmMain w;
    TabcPicSpeedBtn* digit = TestAccess::Button(w, QStringLiteral("btn7"));
    QApplication::setPalette(DarkPalette());
    EXPECT_GE(WidgetContrast(digit, 4), 3.0);
    EXPECT_NE(digit->FontColor(), clNavy);
    QApplication::setPalette(light);
    EXPECT_EQ(digit->FontColor(), clNavy);
    // Another scheme keeps its own captions.
    w.findChild<QAction*>(QStringLiteral("mnuOptionsColorSchemeRose"))->trigger();
    QApplication::setPalette(DarkPalette());
    EXPECT_EQ(ColorToQColor(digit->FontColor()).rgb(), qRgb(0, 0, 0));
    QApplication::setPalette(light);
}

INSTANTIATE_TEST_SUITE_P(Palettes, Contrast, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "Dark" : "Light"; });

} // namespace
