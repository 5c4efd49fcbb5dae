// The real main window with its scaler: proportional rescaling, Reset Size, the tape's band, and
// the placement kept in the per-user registry file (a temporary folder).

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "SettingsFixture.h"
#include "controls/Abcbtn.h"
#include "controls/ElastFrm.h"
#include "platform/Registry.h"
#include "platform/qt/WindowGeometry.h"
#include "tests/TestAccess.h"
#include "ui/Calc.h"
#include "ui/SettingsStore.h"
#include "ui/TapeView.h"

using uitest::FakeDialogs;

namespace {

class Scaling : public uitest::SettingsFixture
{
protected:
    void SetUp() override { SettingsFixture::SetUp(); }
    static std::unique_ptr<ui::TfrmMain> Open()
    {
        auto w = std::make_unique<ui::TfrmMain>();
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }
    static void Resize(ui::TfrmMain& w, QSize outer)
    {
        QRect r = platform::OuterGeometry(&w);
        r.setSize(outer);
        platform::SetOuterGeometry(&w, r);
        QApplication::processEvents();
    }
    static QAction* Action(ui::TfrmMain& w, const char* name)
    {
        return w.findChild<QAction*>(QString::fromLatin1(name));
    }
};

TEST_F(Scaling, TheDesignWindowHasItsDesignSizes)
{
    auto w = Open();
    EXPECT_EQ(platform::OuterGeometry(w.get()).size(), QSize(510, 315));
    EXPECT_EQ(platform::ClientSize(w.get()), QSize(502, 269));
    EXPECT_EQ(TestAccess::Button(*w, QStringLiteral("btn7"))->geometry(), QRect(56, 84, 38, 30));
    EXPECT_EQ(w->findChild<QStatusBar*>()->height(), 19);
    // The tracking limits of the window with the tape on this screen.
    const QRect work = TestAccess::GetWorkArea(*w);
    EXPECT_EQ(TestAccess::ElasticForm(*w)->Options().MaximumTrackWidth, work.x() + work.width());
    EXPECT_EQ(TestAccess::ElasticForm(*w)->Options().MinimumTrackWidth, 472);
    EXPECT_EQ(TestAccess::ElasticForm(*w)->Options().MinimumTrackHeight, 291);
}

TEST_F(Scaling, KeysAndFontsGrowInProportionAndStayInside)
{
    auto w = Open();
    Resize(*w, QSize(765, 472)); // 1.5 times
    const QRect client(QPoint(0, 0), platform::ClientSize(w.get()));
    int checked = 0;
    for (TabcPicSpeedBtn* b : w->findChildren<TabcPicSpeedBtn*>()) {
        const QRect r = b->geometry();
        EXPECT_TRUE(client.contains(b->mapTo(w.get(), QPoint(0, 0)) - platform::ClientOrigin(w.get())))
            << b->objectName().toStdString();
        EXPECT_LE(b->mapTo(w.get(), QPoint(r.width(), r.height())).x(), w->width());
        ++checked;
    }
    EXPECT_EQ(checked, 30);
    // Horizontal and vertical ratios are the client area's (the frame does not grow).
    const QSize clientSize = platform::ClientSize(w.get());
    const double sx = clientSize.width() / 502.0, sy = clientSize.height() / 269.0;
    const QRect seven = TestAccess::Button(*w, QStringLiteral("btn7"))->geometry();
    EXPECT_NEAR(seven.left(), 56 * sx, 2);
    EXPECT_NEAR(seven.top(), 84 * sy, 2);
    EXPECT_NEAR(seven.width(), 38 * sx, 2);
    EXPECT_NEAR(seven.height(), 30 * sy, 2);
    EXPECT_GE(TestAccess::Button(*w, QStringLiteral("btn7"))->font().pixelSize(), 26);
    EXPECT_NEAR(w->findChild<ui::TapeView*>(QStringLiteral("memTape"))->width(), 339, 3);

    // Reset Size puts every control back.
    Action(*w, "mnuEditResetSize")->trigger();
    EXPECT_EQ(platform::OuterGeometry(w.get()).size(), QSize(510, 315));
    EXPECT_EQ(TestAccess::Button(*w, QStringLiteral("btn7"))->geometry(), QRect(56, 84, 38, 30));
    EXPECT_EQ(TestAccess::Button(*w, QStringLiteral("btn7"))->font().pixelSize(), 19);
    EXPECT_EQ(TestAccess::Button(*w, QStringLiteral("btnAdd"))->geometry(), QRect(176, 180, 38, 62));
    EXPECT_EQ(w->findChild<ui::TapeView*>(QStringLiteral("memTape"))->geometry(), QRect(268, 8, 226, 233));
    EXPECT_EQ(w->findChild<QLineEdit*>(QStringLiteral("memDisplayValue"))->geometry(), QRect(8, 9, 245, 24));
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("StatusBarPanel0"))->font().pixelSize(), 11);
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("StatusBarPanel0"))->width(), 200);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Scaling, TheTapeBandFollowsTheScale)
{
    auto w = Open();
    Resize(*w, QSize(612, 378)); // 1.2 times
    ASSERT_EQ(platform::OuterGeometry(w.get()).width(), 612);
    QAction* tape = Action(*w, "mnuViewHistoryTape");
    tape->trigger();
    EXPECT_FALSE(w->findChild<ui::TapeView*>(QStringLiteral("memTape"))->isVisible());
    EXPECT_EQ(platform::OuterGeometry(w.get()).width(), 324);
    EXPECT_EQ(TestAccess::ElasticForm(*w)->Options().MinimumTrackWidth, 249);
    tape->trigger();
    EXPECT_TRUE(w->findChild<ui::TapeView*>(QStringLiteral("memTape"))->isVisible());
    EXPECT_EQ(platform::OuterGeometry(w.get()).width(), 612);
    EXPECT_EQ(TestAccess::ElasticForm(*w)->Options().MinimumTrackWidth, 472);
}

TEST_F(Scaling, StartingWithoutTheTapeNarrowsTheDesignWindowAndStoresNothing)
{
    {
        platform::TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(ui::SettingsKey, true));
        reg.WriteInteger("FirstRun", 0);
        reg.WriteInteger("Flat", 0);
        reg.WriteInteger("Tape", 0);
        reg.CloseKey();
    }
    ui::TfrmMain w;
    EXPECT_EQ(platform::OuterGeometry(&w).width(), 270);
    platform::TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(std::string(ui::ProductKey) + "frmMain", false));
}

TEST_F(Scaling, ThePlacementComesBackAtTheNextStart)
{
    QRect placed;
    {
        auto w = Open();
        Resize(*w, QSize(612, 378));
        QRect outer = platform::OuterGeometry(w.get());
        outer.moveTopLeft(QPoint(40, 30));
        platform::SetOuterGeometry(w.get(), outer);
        placed = platform::OuterGeometry(w.get());
        TestAccess::ElasticForm(*w)->SaveFormState();
    }
    platform::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(std::string(ui::ProductKey) + "frmMain", false));
    auto again = Open();
    EXPECT_EQ(platform::OuterGeometry(again.get()).size(), placed.size());
    EXPECT_NEAR(TestAccess::Button(*again, QStringLiteral("btn7"))->width(), 46, 2);
}

TEST_F(Scaling, AStoredPlacementOfAnotherControlCountIsIgnored)
{
    {
        auto w = Open();
        Resize(*w, QSize(612, 378));
        TestAccess::ElasticForm(*w)->SaveFormState();
    }
    {
        platform::TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(std::string(ui::ProductKey) + "frmMain", false));
        ASSERT_TRUE(reg.ValueExists("Total Controls")) << "no control count stored";
        reg.WriteInteger("Total Controls", reg.ReadInteger("Total Controls").value() + 1);
        reg.CloseKey();
    }
    auto w = Open();
    EXPECT_EQ(platform::OuterGeometry(w.get()).size(), QSize(510, 315));
}

} // namespace
