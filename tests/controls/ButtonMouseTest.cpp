// The button's behaviour: properties and their defaults, the mouse state machine, groups and the
// main window's key feedback, enter and leave, the accelerator.

#include "controls/Abcbtn.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTest>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

using controlstest::ButtonLog;
using controlstest::Settle;
using controlstest::TestWindow;
using S = TPicButtonState;

const QPoint Inside(10, 10);
const QPoint Outside(120, 10); // right of the button, over no other button

// Qt's enter notification alone, as the window system would send it.
void SendEnter(QWidget& widget)
{
    QEnterEvent enter{QPointF(Inside), QPointF(Inside), QPointF(widget.mapToGlobal(Inside))};
    QApplication::sendEvent(&widget, &enter);
}

class ButtonMouse : public ::testing::Test
{
protected:
    TestWindow window;
    TabcPicSpeedBtn& button = window.AddButton(QRect(20, 20, 38, 30), "7");
    ButtonLog log{button};
};

TEST(ButtonDefaults, AsANewButton)
{
    TabcPicSpeedBtn b;
    EXPECT_EQ(b.GroupIndex(), 0);
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(b.Color(), clBtnFace);
    EXPECT_EQ(b.FontColor(), clWindowText);
    EXPECT_TRUE(b.Popup());
    EXPECT_EQ(b.State(), S::Up);
    EXPECT_EQ(b.size(), QSize(23, 22));
    EXPECT_EQ(b.focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(b.testAttribute(Qt::WA_OpaquePaintEvent));
}

TEST_F(ButtonMouse, ClickInsideClicksOnce)
{
    QTest::mousePress(&button, Qt::LeftButton, {}, Inside);
    EXPECT_EQ(button.State(), S::Pressed);
    EXPECT_EQ(log.clicks, 0);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, Inside);
    EXPECT_EQ(log.clicks, 1);
    EXPECT_EQ(button.State(), S::Hot); // the pointer is still over it
}

TEST_F(ButtonMouse, DragOutAndReleaseOutsideGivesNoClick)
{
    QTest::mousePress(&button, Qt::LeftButton, {}, Inside);
    QTest::mouseMove(&button, Outside);
    EXPECT_EQ(button.State(), S::Hot); // the hot look while dragged out
    QTest::mouseRelease(&button, Qt::LeftButton, {}, Outside);
    EXPECT_EQ(log.clicks, 0);
    EXPECT_EQ(button.State(), S::Up);
}

TEST_F(ButtonMouse, ReleaseOutsideWithoutAMoveGivesNoClick)
{
    QTest::mousePress(&button, Qt::LeftButton, {}, Inside);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, Outside);
    EXPECT_EQ(log.clicks, 0);
    EXPECT_EQ(button.State(), S::Up);
}

TEST_F(ButtonMouse, DragBackInBeforeReleaseGivesOneClick)
{
    QTest::mousePress(&button, Qt::LeftButton, {}, Inside);
    QTest::mouseMove(&button, Outside);
    QTest::mouseMove(&button, QPoint(30, 20));
    EXPECT_EQ(button.State(), S::Pressed);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(30, 20));
    EXPECT_EQ(log.clicks, 1);
}

TEST_F(ButtonMouse, EdgesOfTheButtonCountAsInside)
{
    const QPoint lastInside(button.width() - 1, button.height() - 1);
    QTest::mousePress(&button, Qt::LeftButton, {}, Inside);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, lastInside);
    QTest::mousePress(&button, Qt::LeftButton, {}, Inside);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(button.width(), 5));
    EXPECT_EQ(log.clicks, 1);
}

TEST_F(ButtonMouse, DoubleClickGivesTwoClicks)
{
    // Qt delivers a double click as press, release, double-click, release.
    QTest::mouseClick(&button, Qt::LeftButton, {}, Inside);
    QTest::mouseDClick(&button, Qt::LeftButton, {}, Inside);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, Inside);
    EXPECT_EQ(log.clicks, 2);
}

TEST_F(ButtonMouse, DoubleClickOnAGroupedButton)
{
    button.SetGroupIndex(3);
    QTest::mouseClick(&button, Qt::LeftButton, {}, Inside); // goes down
    ASSERT_TRUE(button.Down());
    QTest::mouseDClick(&button, Qt::LeftButton, {}, Inside);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, Inside);
    EXPECT_EQ(log.clicks, 2);
    EXPECT_FALSE(button.Down()); // the second click puts it up again
}

TEST_F(ButtonMouse, OtherButtonsDoNotPress)
{
    QTest::mousePress(&button, Qt::RightButton, Qt::ShiftModifier, Inside);
    EXPECT_EQ(button.State(), S::Up);
    QTest::mouseRelease(&button, Qt::RightButton, Qt::ShiftModifier, Inside);
    EXPECT_EQ(log.clicks, 0);
}

TEST(ButtonGroup, ExclusiveAndAllMayBeUp)
{
    TestWindow window;
    std::vector<TabcPicSpeedBtn*> buttons;
    for (int i = 0; i < 3; ++i) {
        auto& b = window.AddButton(QRect(10 + 40 * i, 10, 38, 30), QString::number(i));
        b.SetGroupIndex(1);
        buttons.push_back(&b);
    }
    auto& other = window.AddButton(QRect(130, 10, 38, 30), "x");
    other.SetGroupIndex(2);
    other.SetDown(true);

    QTest::mouseClick(buttons[0], Qt::LeftButton, {}, Inside);
    EXPECT_TRUE(buttons[0]->Down());
    QTest::mouseClick(buttons[1], Qt::LeftButton, {}, Inside);
    EXPECT_TRUE(buttons[1]->Down());
    EXPECT_FALSE(buttons[0]->Down());
    EXPECT_EQ(buttons[0]->State(), S::Up);
    EXPECT_TRUE(other.Down()); // another group

    QTest::mouseClick(buttons[1], Qt::LeftButton, {}, Inside);
    EXPECT_FALSE(buttons[1]->Down());
    EXPECT_EQ(buttons[1]->State(), S::Hot);
}

TEST(ButtonGroup, SetDownRules)
{
    TestWindow window;
    auto& b = window.AddButton(QRect(10, 10, 38, 30));
    b.SetDown(true); // GroupIndex 0: never down
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(b.State(), S::Up);

    b.SetGroupIndex(4);
    b.SetDown(true);
    EXPECT_TRUE(b.Down());
    EXPECT_EQ(b.State(), S::Latched);
    b.SetDown(false);
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(b.State(), S::Up);
}

TEST(ButtonGroup, GroupsAreSiblingsOfOneParent)
{
    TestWindow window;
    auto& a = window.AddButton(QRect(10, 10, 38, 30));
    auto* panel = new QWidget(&window.Widget());
    panel->setGeometry(100, 0, 100, 60);
    auto* b = new TabcPicSpeedBtn(panel);
    for (auto* button : {&a, b}) {
        button->SetGroupIndex(1);
        button->SetDown(true);
    }
    EXPECT_TRUE(a.Down());
    EXPECT_TRUE(b->Down());
}

// The main window's key feedback: a key shows its button pressed while the key is held.
TEST(ButtonGroup, KeyFeedbackSequence)
{
    TestWindow window;
    auto& seven = window.AddButton(QRect(10, 10, 38, 30), "7");
    auto& eight = window.AddButton(QRect(50, 10, 38, 30), "8");
    auto& nine = window.AddButton(QRect(90, 10, 38, 30), "9");
    const std::vector<TabcPicSpeedBtn*> keypad{&seven, &eight, &nine};
    for (auto* b : keypad)
        b->SetPopup(false);
    const auto press = [](TabcPicSpeedBtn& b) {
        b.SetGroupIndex(1);
        b.SetDown(true);
        b.repaint();
    };
    const auto releaseAll = [&] {
        for (auto* b : keypad) {
            b->SetDown(false);
        }
        for (auto* b : keypad) {
            b->SetGroupIndex(0);
        }
    };

    press(seven);
    EXPECT_TRUE(seven.Down());
    EXPECT_EQ(seven.State(), S::Latched);
    press(eight); // a second key before the first comes up releases the first
    EXPECT_TRUE(eight.Down());
    EXPECT_FALSE(seven.Down());
    EXPECT_EQ(seven.State(), S::Up);
    releaseAll();
    for (auto* b : keypad) {
        EXPECT_FALSE(b->Down());
        EXPECT_EQ(b->GroupIndex(), 0);
        EXPECT_EQ(b->State(), S::Up);
    }

    QTest::mouseMove(&nine, Inside); // the pointer rests on 9 while its key is used
    press(nine);
    releaseAll();
    EXPECT_EQ(nine.State(), S::Hot);
}

TEST_F(ButtonMouse, EnterAndLeave)
{
    QTest::mouseMove(&button, Inside);
    EXPECT_EQ(button.State(), S::Hot);
    QTest::mouseMove(&button, QPoint(12, 12));
    EXPECT_EQ(button.State(), S::Hot);
    QTest::mouseMove(&button, Outside);
    EXPECT_EQ(button.State(), S::Up);
}

TEST_F(ButtonMouse, EnterIsIgnoredWithoutAnActiveWindow)
{
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    SendEnter(button);
    EXPECT_EQ(button.State(), S::Up);
    QApplication::setActiveWindow(&window.Widget());
}

TEST_F(ButtonMouse, EnterIsIgnoredWhileAnotherWidgetHoldsTheMouse)
{
    QWidget grabber(&window.Widget());
    grabber.setGeometry(200, 100, 10, 10);
    grabber.show();
    grabber.grabMouse();
    SendEnter(button);
    grabber.releaseMouse();
    EXPECT_EQ(button.State(), S::Up);
}

TEST_F(ButtonMouse, FlatButtonNoticesThePointerOnAMove)
{
    // The window was inactive when the pointer came in; the next move over the button brings the
    // enter it missed.
    QApplication::setActiveWindow(nullptr);
    SendEnter(button);
    EXPECT_EQ(button.State(), S::Up);
    QApplication::setActiveWindow(&window.Widget());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window.Widget()));
    button.SetPopup(true);
    // A move alone, without Qt's own enter notification.
    const QPoint at(11, 11);
    QMouseEvent move{QEvent::MouseMove, QPointF(at),  QPointF(at),   QPointF(button.mapToGlobal(at)),
                     Qt::NoButton,      Qt::NoButton, Qt::NoModifier};
    QApplication::sendEvent(&button, &move);
    EXPECT_EQ(button.State(), S::Hot);
}

TEST_F(ButtonMouse, LeaveWhileAnotherWidgetHoldsTheMouseKeepsTheState)
{
    button.SetPopup(true);
    QTest::mouseMove(&button, Inside);
    ASSERT_EQ(button.State(), S::Hot);
    QWidget grabber(&window.Widget());
    grabber.setGeometry(200, 100, 10, 10);
    grabber.show();
    grabber.grabMouse();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    grabber.releaseMouse();
    EXPECT_EQ(button.State(), S::Hot);
    // A colour change now returns the flat button to the up state.
    button.SetColor(0x808000u);
    EXPECT_EQ(button.State(), S::Up);
}

TEST_F(ButtonMouse, AltAndTheAcceleratorClick)
{
    button.SetCaption("&Go");
    QTest::keyClick(&window.Widget(), Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(log.clicks, 1); // through the press and release
    EXPECT_EQ(button.State(), S::Up);
    QTest::keyClick(&window.Widget(), Qt::Key_G);
    EXPECT_EQ(log.clicks, 1); // Alt is needed

    button.SetCaption("&Stop");
    QTest::keyClick(&window.Widget(), Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(log.clicks, 1);
    QTest::keyClick(&window.Widget(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(log.clicks, 2);

    button.setEnabled(false);
    QTest::keyClick(&window.Widget(), Qt::Key_S, Qt::AltModifier);
    button.setEnabled(true);
    button.hide();
    QTest::keyClick(&window.Widget(), Qt::Key_S, Qt::AltModifier);
    button.show();
    button.SetCaption("Stop && go");
    QTest::keyClick(&window.Widget(), Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(log.clicks, 2);
}

TEST_F(ButtonMouse, SettersRepaintOnlyOnChange)
{
    struct Setter
    {
        const char* name;
        std::function<void(TabcPicSpeedBtn&)> same;
        std::function<void(TabcPicSpeedBtn&)> changed;
    };
    const Setter setters[] = {
        {"Popup", [](auto& b) { b.SetPopup(true); }, [](auto& b) { b.SetPopup(false); }},
        {"Color", [](auto& b) { b.SetColor(clBtnFace); }, [](auto& b) { b.SetColor(0xFFFF00u); }},
        {"FontColor", [](auto& b) { b.SetFontColor(clWindowText); },
         [](auto& b) { b.SetFontColor(0x0000FFu); }},
        {"Caption", [](auto& b) { b.SetCaption("7"); }, [](auto& b) { b.SetCaption("8"); }},
    };
    for (const Setter& s : setters) {
        SCOPED_TRACE(s.name);
        TabcPicSpeedBtn& b = window.AddButton(QRect(150, 60, 38, 30), "7");
        controlstest::PaintCounter paints(b);
        QTest::qWait(20); // let the window finish its own repaints
        Settle();
        paints.count = 0;
        s.same(b);
        Settle();
        EXPECT_EQ(paints.count, 0);
        s.changed(b);
        Settle();
        EXPECT_GE(paints.count, 1);
        delete &b;
    }
}

TEST_F(ButtonMouse, DisabledStateIsTakenAtPaint)
{
    button.setEnabled(false);
    button.repaint();
    EXPECT_EQ(button.State(), S::Disabled);
    button.setEnabled(true);
    button.repaint();
    EXPECT_EQ(button.State(), S::Up);

    button.SetGroupIndex(2);
    button.SetDown(true);
    button.setEnabled(false);
    button.repaint();
    EXPECT_EQ(button.State(), S::Disabled);
    button.setEnabled(true);
    button.repaint();
    EXPECT_EQ(button.State(), S::Latched);
}

TEST_F(ButtonMouse, AccessibleAsAPushButton)
{
    button.SetCaption("&Go && stop");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&button);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QString("Go & stop"));
    button.setAccessibleName("Go key");
    EXPECT_EQ(accessible->text(QAccessible::Name), QString("Go key"));
    QAccessibleActionInterface* actions = accessible->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(log.clicks, 1);
}

} // namespace
