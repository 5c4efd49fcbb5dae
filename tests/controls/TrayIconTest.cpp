// TStTrayIcon with the fake notification area: defaults, what it shows, the setters' rules, errors,
// the user's actions on the icon and the area coming and going. The tests of its form events are
// in TrayIconFormTest.cpp.

#include <stdexcept>
#include <vector>

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "TrayIconSupport.h"
#include "tests/TestAccess.h"

using namespace platform;
using namespace platform::tray;
using traytest::ColourIcon;

namespace {

class TrayIcon : public traytest::TrayFixture
{};

} // namespace

// ---- construction ----

TEST_F(TrayIcon, DefaultsAndNothingShownBeforeActive)
{
    TStTrayIcon tray(&form);
    EXPECT_FALSE(tray.Active());
    EXPECT_TRUE(tray.Icon().isNull());
    EXPECT_TRUE(shell->Calls().empty());
    EXPECT_FALSE(tray.IsShown());
    tray.SetActive(true);
    ASSERT_TRUE(shell->Icon().has_value());
    EXPECT_EQ(shell->Icon()->toolTip, QString());
}

TEST_F(TrayIcon, ASecondComponentRaises133)
{
    TStTrayIcon first(&form);
    QWidget other;
    try {
        TStTrayIcon second(&other);
        FAIL() << "a second component was made";
    } catch (const EStTrayIconError& e) {
        EXPECT_EQ(e.ErrorId, 133);
        EXPECT_STREQ(e.what(), "Cannot have more than one StTrayIcon per application");
    }
    EXPECT_TRUE(other.findChildren<TStTrayIcon*>().isEmpty());
    // The first one is still the one.
    EXPECT_NO_THROW(first.SetActive(true));
    EXPECT_TRUE(shell->Icon().has_value());
}

TEST_F(TrayIcon, AnotherComponentCanBeMadeOnceTheFirstIsGone)
{
    {
        TStTrayIcon first(&form);
    }
    EXPECT_NO_THROW(TStTrayIcon second(&form));
}

TEST_F(TrayIcon, TheFormIsTheOwnersWindow)
{
    auto* child = new QWidget(&form);
    TStTrayIcon tray(child);
    tray.SetActive(true);
    form.show();
    SendWindowEvent(&form, {.kind = WindowEvent::Kind::CloseRequested});
    EXPECT_FALSE(form.isVisible()); // the window closed to the notification area
}

// ---- what the area shows ----

TEST_F(TrayIcon, AddModifyAndDeleteShowTheIconAndHint)
{
    const QIcon icon = ColourIcon(Qt::red);
    TStTrayIcon* tray = Make([&](TStTrayIcon& t) {
        t.SetHint(QStringLiteral("Quorlane Calculator"));
        t.SetIcon(icon);
    });
    ASSERT_EQ(shell->Calls().size(), 1u);
    const TFakeTrayShell::Call add = shell->Calls()[0];
    EXPECT_EQ(add.op, TrayCall::Show);
    EXPECT_TRUE(add.result);
    EXPECT_EQ(add.icon.cacheKey(), icon.cacheKey());
    EXPECT_EQ(add.toolTip, QStringLiteral("Quorlane Calculator"));

    tray->SetHint(QStringLiteral("Other"));
    const TFakeTrayShell::Call modify = shell->Calls().back();
    EXPECT_EQ(modify.op, TrayCall::Update);
    EXPECT_EQ(modify.icon.cacheKey(), icon.cacheKey());
    EXPECT_EQ(modify.toolTip, QStringLiteral("Other"));

    tray->SetActive(false);
    EXPECT_EQ(shell->Calls().back().op, TrayCall::Hide);
    EXPECT_TRUE(!shell->Icon().has_value());
}

TEST_F(TrayIcon, InactiveSendsNothing)
{
    TStTrayIcon* tray = Make(
        [](TStTrayIcon& t) {
            t.SetHint(QStringLiteral("Quorlane Calculator"));
            t.SetIcon(ColourIcon(Qt::red));
        },
        false);
    EXPECT_TRUE(shell->Calls().empty());
    tray->SetActive(true);
    ASSERT_EQ(shell->Calls().size(), 1u);
    EXPECT_EQ(shell->Calls()[0].op, TrayCall::Show);
    EXPECT_EQ(shell->Calls()[0].toolTip, QStringLiteral("Quorlane Calculator"));
}

TEST_F(TrayIcon, AddingTwiceSendsOneAdd)
{
    TStTrayIcon* tray = Make();
    TestAccess::AddIcon(*tray);
    tray->SetActive(true);
    EXPECT_EQ(shell->CallsOf(TrayCall::Show).size(), 1u);
    tray->RemoveIcon();
    tray->RemoveIcon();
    EXPECT_EQ(shell->CallsOf(TrayCall::Hide).size(), 1u);
}

TEST_F(TrayIcon, TheSameHintSendsNothing)
{
    TStTrayIcon* tray = Make([](TStTrayIcon& t) { t.SetHint(QStringLiteral("Sum")); });
    shell->ClearCalls();
    tray->SetHint(QStringLiteral("Sum"));
    EXPECT_TRUE(shell->Calls().empty());
    tray->SetHint(QStringLiteral("Sums"));
    ASSERT_EQ(shell->Calls().size(), 1u);
    EXPECT_EQ(shell->Calls()[0].toolTip, QStringLiteral("Sums"));
}

TEST_F(TrayIcon, AHintBeforeTheIconIsAddedIsOnlyStored)
{
    TStTrayIcon* tray = Make({}, false);
    tray->SetHint(QStringLiteral("Later"));
    EXPECT_TRUE(shell->Calls().empty());
}

TEST_F(TrayIcon, LongAndMultiLineHintsAreCut)
{
    const QString longHint = QString(40, QLatin1Char('a')) + QString(40, QLatin1Char('b'));
    const std::vector<std::pair<QString, QString>> cases{
        {QStringLiteral("one"), QStringLiteral("one")},
        {QStringLiteral("Line one\r\nLine two"), QStringLiteral("Line one\nLine two")},
        {QStringLiteral("a\rb\nc"), QStringLiteral("a\nb\nc")},
        {QStringLiteral("a\r\n\r\nb\r"), QStringLiteral("a\n\nb\n")},
        {QStringLiteral("Summe \u20ac"), QStringLiteral("Summe \u20ac")},
        {longHint, longHint.left(63)},
    };
    TStTrayIcon* tray = Make();
    for (const auto& [hint, expected] : cases) {
        tray->SetHint(hint);
        EXPECT_EQ(shell->Calls().back().toolTip, expected) << hint.toStdString();
    }
}

// ---- the icon sent ----

TEST_F(TrayIcon, TheIconSentFallsBackToTheApplicationsThenTheStandardIcon)
{
    const QIcon saved = QApplication::windowIcon();
    const QIcon app = ColourIcon(Qt::green);
    QApplication::setWindowIcon(app);
    TStTrayIcon* tray = Make();
    EXPECT_EQ(shell->Calls().back().icon.cacheKey(), app.cacheKey());

    QApplication::setWindowIcon(QIcon());
    tray->UpdateIcon();
    EXPECT_FALSE(shell->Calls().back().icon.isNull());
    EXPECT_EQ(shell->Calls().back().icon.pixmap(16).toImage(),
              StandardApplicationIcon().pixmap(16).toImage());

    const QIcon own = ColourIcon(Qt::red);
    tray->SetIcon(own);
    EXPECT_EQ(shell->Calls().back().icon.cacheKey(), own.cacheKey());
    EXPECT_EQ(tray->Icon().cacheKey(), own.cacheKey());
    QApplication::setWindowIcon(saved);
}

TEST_F(TrayIcon, ARefusedAddRaises119AndLeavesActive)
{
    TStTrayIcon* tray = Make({}, false);
    shell->failShow = true;
    try {
        tray->SetActive(true);
        FAIL() << "no error";
    } catch (const EStTrayIconError& e) {
        EXPECT_EQ(e.ErrorId, 119);
        EXPECT_STREQ(e.what(), "Error adding tray icon");
    }
    EXPECT_FALSE(tray->Active());
    EXPECT_FALSE(tray->IsShown());
    shell->failShow = false;
    tray->SetActive(true);
    EXPECT_TRUE(tray->IsShown());
}

TEST_F(TrayIcon, NoNotificationAreaRaises119)
{
    shell->SetAvailable(false);
    EXPECT_THROW(Make(), EStTrayIconError);
    auto* tray = form.findChild<TStTrayIcon*>();
    ASSERT_NE(tray, nullptr);
    EXPECT_FALSE(tray->IsShown());
    EXPECT_TRUE(!shell->Icon().has_value());
}

TEST_F(TrayIcon, ARefusedModifyRaises121)
{
    TStTrayIcon* tray = Make();
    shell->failUpdate = true;
    const std::vector<std::pair<const char*, std::function<void()>>> setters{
        {"Hint", [&] { tray->SetHint(QStringLiteral("x")); }},
        {"Icon", [&] { tray->SetIcon(ColourIcon(Qt::red)); }},
        {"UpdateIcon", [&] { tray->UpdateIcon(); }},
    };
    for (const auto& [name, setter] : setters) {
        try {
            setter();
            ADD_FAILURE() << name << ": no error";
        } catch (const EStTrayIconError& e) {
            EXPECT_EQ(e.ErrorId, 121) << name;
            EXPECT_STREQ(e.what(), "Tray icon error") << name;
        }
    }
    // The refused hint is kept: the next change sends it.
    shell->failUpdate = false;
    tray->UpdateIcon();
    EXPECT_EQ(shell->Calls().back().toolTip, QStringLiteral("x"));
}

TEST_F(TrayIcon, ARefusedDeleteIsIgnored)
{
    TStTrayIcon* tray = Make();
    shell->failHide = true;
    EXPECT_NO_THROW(tray->SetActive(false));
    EXPECT_FALSE(tray->IsShown());
    EXPECT_FALSE(tray->Active());
}

// ---- the user's actions on the icon ----

TEST_F(TrayIcon, ALeftClickClicks)
{
    TStTrayIcon* tray = Make();
    QSignalSpy clicks(tray, &TStTrayIcon::OnClick);
    shell->Activate(TrayActivation::Click);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(TrayIcon, TheContextRequestPopsUpTheMenu)
{
    TStTrayIcon* tray = Make();
    QMenu menu;
    menu.addAction(QStringLiteral("&Open"));
    tray->SetPopupMenu(&menu);
    QSignalSpy shown(&menu, &QMenu::aboutToShow);
    shell->Activate(TrayActivation::Context);
    EXPECT_EQ(shown.count(), 1);
    EXPECT_TRUE(menu.isVisible());
    menu.close();
    // No menu: nothing pops up.
    tray->SetPopupMenu(nullptr);
    shell->Activate(TrayActivation::Context);
    EXPECT_EQ(shown.count(), 1);
}

TEST_F(TrayIcon, ADestroyedMenuIsNoLongerThePopupMenu)
{
    TStTrayIcon* tray = Make();
    auto* menu = new QMenu;
    tray->SetPopupMenu(menu);
    delete menu;
    EXPECT_NO_THROW(shell->Activate(TrayActivation::Context));
}

TEST_F(TrayIcon, ADoubleClickRestores)
{
    Make();
    form.hide();
    shell->Activate(TrayActivation::DoubleClick);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(TrayIcon, AnErrorInAHandlerGoesToTheApplication)
{
    TStTrayIcon* tray = Make();
    QObject::connect(tray, &TStTrayIcon::OnClick, [] { throw std::runtime_error("handler failed"); });
    shell->Activate(TrayActivation::Click); // the area's call comes back
    try {
        QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
        FAIL() << "the error was lost";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "handler failed");
    }
}

// ---- the notification area coming and going ----

TEST_F(TrayIcon, TheIconFollowsTheNotificationArea)
{
    TStTrayIcon* tray = Make();
    QSignalSpy shownChanged(tray, &TStTrayIcon::ShownChanged);
    EXPECT_TRUE(tray->IsShown());
    shell->SetAvailable(false);
    EXPECT_FALSE(tray->IsShown());
    EXPECT_TRUE(shell->Icon().has_value()); // kept for the area's return
    shell->ClearCalls();
    shell->SetAvailable(true);
    EXPECT_TRUE(tray->IsShown());
    ASSERT_EQ(shell->Calls().size(), 1u);
    EXPECT_EQ(shell->Calls()[0].op, TrayCall::Update);
    ASSERT_EQ(shownChanged.count(), 2);
    EXPECT_FALSE(shownChanged.at(0).at(0).toBool());
    EXPECT_TRUE(shownChanged.at(1).at(0).toBool());
}

TEST_F(TrayIcon, AnAreaThatLostTheIconGetsItAgain)
{
    TStTrayIcon* tray = Make([](TStTrayIcon& t) { t.SetHint(QStringLiteral("Sum")); });
    shell->SetAvailable(false);
    shell->DropIcon();
    shell->ClearCalls();
    shell->SetAvailable(true);
    ASSERT_EQ(shell->Calls().size(), 2u);
    EXPECT_EQ(shell->Calls()[0].op, TrayCall::Update);
    EXPECT_FALSE(shell->Calls()[0].result);
    EXPECT_EQ(shell->Calls()[1].op, TrayCall::Show);
    EXPECT_TRUE(shell->Calls()[1].result);
    EXPECT_TRUE(tray->IsShown());
    EXPECT_TRUE(shell->Icon().has_value());
}

TEST_F(TrayIcon, AnInactiveIconIgnoresTheArea)
{
    TStTrayIcon* tray = Make({}, false);
    QSignalSpy shownChanged(tray, &TStTrayIcon::ShownChanged);
    shell->SetAvailable(false);
    shell->SetAvailable(true);
    EXPECT_TRUE(shell->Calls().empty());
    EXPECT_EQ(shownChanged.count(), 0);
}

TEST_F(TrayIcon, ShownChangedReportsAddAndRemove)
{
    TStTrayIcon* tray = Make({}, false);
    QSignalSpy shownChanged(tray, &TStTrayIcon::ShownChanged);
    tray->SetActive(true);
    tray->SetActive(false);
    ASSERT_EQ(shownChanged.count(), 2);
    EXPECT_TRUE(shownChanged.at(0).at(0).toBool());
    EXPECT_FALSE(shownChanged.at(1).at(0).toBool());
}

// ---- destruction ----

TEST_F(TrayIcon, DestroyingTheComponentRemovesTheIconQuietly)
{
    TStTrayIcon* tray = Make();
    bool changed = false;
    QObject::connect(tray, &TStTrayIcon::ShownChanged, [&] { changed = true; });
    delete tray;
    EXPECT_EQ(shell->Calls().back().op, TrayCall::Hide);
    EXPECT_TRUE(!shell->Icon().has_value());
    EXPECT_FALSE(changed);
}

TEST_F(TrayIcon, DestroyingAnIconNeverAddedSendsNothing)
{
    delete Make({}, false);
    EXPECT_TRUE(shell->Calls().empty());
}
