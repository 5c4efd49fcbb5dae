// The main window on the offscreen platform: its controls at design size, the keypad and the
// keyboard driving the engine, the focus sink, the Edit commands.

#include "ui/Calc.h"
#include "ui/TapeView.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QStyleOptionMenuItem>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "controls/Abcbtn.h"
#include "tests/TestAccess.h"

using uitest::FakeDialogs;

namespace {

const std::string Sep(26, '-');

class MainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakeDialogs::Instance().Reset();
        QApplication::clipboard()->clear();
        w = std::make_unique<ui::TfrmMain>();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    void TearDown() override
    {
        w.reset();
        FakeDialogs::Instance().Reset();
    }

    template<typename T = QWidget>
    T* Child(const char* name) const
    {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QAction* Action(const char* name) const { return Child<QAction>(name); }
    // A menu item's text as its menu draws it.
    QString Drawn(const char* item) const
    {
        // The menu's own (protected) preparation of an item, called on the menu as it is: a
        // member pointer named through a derived class, no cast of the menu.
        struct DrawnMenu : QMenu
        {
            static auto Prepare() { return &DrawnMenu::initStyleOption; }
        };
        QAction* action = Action(item);
        QStyleOptionMenuItem option;
        const QMenu* menu = qobject_cast<QMenu*>(action->associatedObjects().value(0));
        (menu->*DrawnMenu::Prepare())(&option, action);
        return option.text;
    }
    QWidget* Sink() const { return Child<QLineEdit>("edtFocus"); }
    std::string Display() const { return TestAccess::DisplayText(*w); }
    QString Indicator() const { return Child<QLabel>("StatusBarPanel0")->text(); }

    void Click(const char* button)
    {
        QTest::mouseClick(TestAccess::Button(*w, QString::fromLatin1(button)), Qt::LeftButton);
    }
    void Clicks(std::initializer_list<const char*> buttons)
    {
        for (const char* b : buttons)
            Click(b);
    }
    // A key as the keyboard delivers it to the focused window: press, then release.
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
    {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        Send(press);
        Send(release);
    }
    void Send(QKeyEvent& e)
    {
        QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : w.get();
        // Shortcut handling first, as the application does for a real key.
        if (e.type() == QEvent::KeyPress) {
            QKeyEvent override(QEvent::ShortcutOverride, e.key(), e.modifiers(), e.text());
            QApplication::sendEvent(target, &override);
        }
        QApplication::sendEvent(target, &e);
    }
    bool AnyButtonDown() const
    {
        for (TabcPicSpeedBtn* b : w->findChildren<TabcPicSpeedBtn*>()) {
            if (b->Down())
                return true;
        }
        return false;
    }

    std::unique_ptr<ui::TfrmMain> w;
};

TEST_F(MainWindow, ControlsStandAtTheirDesignPlaces)
{
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quorlane Calculator"));
    struct Place
    {
        const char* name;
        QRect rect;
        const char* caption;
        int fontPixels;
    };
    const Place places[] = {
        {"btnBack", {8, 44, 80, 30}, "Backspace", 12},
        {"btnCE", {91, 44, 80, 30}, "CE", 16},
        {"btnC", {174, 44, 80, 30}, "C", 16},
        {"btnMC", {8, 84, 38, 30}, "MC", 13},
        {"btnMSubtract", {8, 212, 38, 30}, "M-", 13},
        {"btn7", {56, 84, 38, 30}, "7", 19},
        {"btn0", {56, 180, 38, 30}, "0", 19},
        {"btn000", {56, 212, 78, 30}, "000", 19},
        {"btnPlusMinus", {136, 212, 38, 30}, "+/-", 16},
        {"btnAdd", {176, 180, 38, 62}, "+", 19},
        {"btnEquals", {216, 180, 38, 62}, "=", 19},
        {"btnSquareRoot", {216, 84, 38, 30}, "sqrt", 13},
        {"btnPercent", {216, 116, 38, 30}, "%", 16},
        {"btnReciprocal", {216, 148, 38, 30}, "1/x", 13},
    };
    for (const Place& p : places) {
        TabcPicSpeedBtn* b = TestAccess::Button(*w, QString::fromLatin1(p.name));
        ASSERT_NE(b, nullptr) << p.name;
        EXPECT_EQ(b->geometry(), p.rect) << p.name;
        EXPECT_EQ(b->Caption(), QString::fromLatin1(p.caption)) << p.name;
        EXPECT_EQ(b->font().pixelSize(), p.fontPixels) << p.name;
        EXPECT_TRUE(b->font().bold()) << p.name;
        EXPECT_FALSE(b->Popup()) << p.name;
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus) << p.name;
    }
    EXPECT_EQ(w->findChildren<TabcPicSpeedBtn*>().size(), 30);
    EXPECT_EQ(TestAccess::Button(*w, QStringLiteral("btnCE"))->toolTip(), QStringLiteral("Clear Entry"));
    EXPECT_EQ(TestAccess::Button(*w, QStringLiteral("btnMAdd"))->toolTip(), QStringLiteral("Add to Memory"));
    EXPECT_EQ(TestAccess::Button(*w, QStringLiteral("btn7"))->toolTip(), QString());
    EXPECT_EQ(Child<QLineEdit>("memDisplayValue")->geometry(), QRect(8, 9, 245, 24));
    EXPECT_EQ(Child<ui::TapeView>("memTape")->geometry(), QRect(268, 8, 226, 233));
    EXPECT_EQ(Child<QLineEdit>("edtFocus")->geometry(), QRect(8, 9, 1, 1));
    EXPECT_EQ(Child<QStatusBar>("StatusBar")->height(), 19);
    EXPECT_EQ(Child<QLabel>("StatusBarPanel0")->width(), 200);
    EXPECT_EQ(Display(), "0");
    EXPECT_EQ(Indicator(), QString());
    EXPECT_EQ(QApplication::focusWidget(), Sink());
}

TEST_F(MainWindow, MenusCarryTheirCaptionsChecksAndShortcuts)
{
    EXPECT_EQ(Drawn("mnuFilePrint"), QStringLiteral("&Print...\tCtrl+P"));
    EXPECT_EQ(Drawn("mnuEditClearTape"), QStringLiteral("Clear &Tape...\tShift+Del"));
    EXPECT_EQ(Drawn("mnuHelpKeyboardEquivalents"), QStringLiteral("&Keyboard Equivalents\tF1"));
    EXPECT_TRUE(Action("mnuViewHistoryTape")->isChecked());
    EXPECT_FALSE(Action("mnuViewFlatButtons")->isChecked());
    EXPECT_TRUE(Action("mnuOptionsColorSchemeDefault")->isChecked());
    // The menus' pictures are there as their menus open.
    for (const char* item : {"mnuFileSave", "mnuEditCopy", "mnuHelpKeyboardEquivalents"}) {
        auto* menu = qobject_cast<QMenu*>(Action(item)->associatedObjects().value(0));
        menu->popup(QPoint(0, 0));
        EXPECT_FALSE(Action(item)->icon().isNull()) << item;
        menu->hide();
    }
    // The schemes are radio items of one group.
    Action("mnuOptionsColorSchemeRose")->setChecked(true);
    EXPECT_FALSE(Action("mnuOptionsColorSchemeDefault")->isChecked());
}

TEST_F(MainWindow, TheWindowIconIsTheProgramsSvgAtTheSizesTheWindowSystemIsGiven)
{
    QTRY_VERIFY(!w->windowIcon().isNull()); // a moment after the window shows
    const QIcon svg(QStringLiteral(":/icons/calculator.svg"));
    // Qt gives X11 the sizes an icon has, and 16, 32, 64 and 128 pixels of a scalable one.
    EXPECT_EQ(w->windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {64, 64}, {128, 128}}));
    for (const int size : {16, 32, 64, 128})
        EXPECT_EQ(w->windowIcon().pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
                  svg.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32))
            << size;
}

TEST_F(MainWindow, MenuItemsReadOutTheirCaptionAndShortcutApart)
{
    const std::tuple<const char*, const char*, const char*, const char*> items[] = {
        // item, name, key binding (what the AT-SPI bridge reads), as drawn
        {"mnuFilePrint", "Print...", "Ctrl+P", "&Print...\tCtrl+P"},
        {"mnuEditCopyWithoutGrouping", "Copy Without Grouping", "Ctrl+Shift+C",
         "Copy &Without Grouping\tCtrl+Shift+C"},
        {"mnuEditPaste", "Paste", "Ctrl+V", "&Paste\tCtrl+V"},
    };
    for (const auto& [name, spoken, binding, drawn] : items) {
        QAction* action = Action(name);
        EXPECT_EQ(Drawn(name), QString::fromLatin1(drawn));
        QAccessibleInterface* menu =
            QAccessible::queryAccessibleInterface(action->associatedObjects().value(0));
        ASSERT_NE(menu, nullptr) << name;
        QAccessibleInterface* item = nullptr;
        for (int i = 0; i < menu->childCount() && item == nullptr; ++i) {
            if (menu->child(i)->object() == action)
                item = menu->child(i);
        }
        ASSERT_NE(item, nullptr) << name;
        EXPECT_EQ(item->text(QAccessible::Name), QString::fromLatin1(spoken));
        EXPECT_EQ(item->text(QAccessible::Accelerator), QString::fromLatin1(binding));
    }
}

TEST_F(MainWindow, AMenuShortcutRunsItsItemOnce)
{
    // Through Qt's shortcut handling first, as a real key goes.
    int runs = 0;
    QObject::connect(Action("mnuEditCopyWithoutGrouping"), &QAction::triggered, [&runs] { ++runs; });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(runs, 1);
}

TEST_F(MainWindow, ClickingKeysDrivesTheEngine)
{
    Clicks({"btn1", "btn2", "btnAdd", "btn3", "btnEquals"});
    EXPECT_EQ(Display(), "15");
    EXPECT_EQ(TestAccess::TapeLines(*w), (std::vector<std::string>{"12  ", "3 +", Sep, "15 =", " "}));
    Clicks({"btn5", "btnMAdd"});
    EXPECT_EQ(Indicator(), QStringLiteral("Memory = 5"));
    Clicks({"btn9", "btnSquareRoot", "btnMS", "btnC"});
    EXPECT_EQ(Display(), "0");
    EXPECT_EQ(Indicator(), QStringLiteral("Memory = 3"));
    EXPECT_EQ(TestAccess::TapeLines(*w).back(), "Clear");
    EXPECT_EQ(QApplication::focusWidget(), Sink());
}

TEST_F(MainWindow, KeyboardMapDrivesTheSameHandlers)
{
    struct Case
    {
        std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
        std::string display;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier,
                                alt = Qt::AltModifier, keypad = Qt::KeypadModifier;
    const Case cases[] = {
        {{{Qt::Key_8, none}}, "8"},
        {{{Qt::Key_6, none}, {Qt::Key_Asterisk, shift}, {Qt::Key_7, none}, {Qt::Key_Return, none}}, "42"},
        {{{Qt::Key_6, none}, {Qt::Key_8, shift}, {Qt::Key_7, none}, {Qt::Key_Enter, keypad}}, "42"},
        {{{Qt::Key_8, ctrl}}, "0"},          // Ctrl+8 does nothing
        {{{Qt::Key_8, keypad | ctrl}}, "8"}, // keypad keys ignore modifiers
        {{{Qt::Key_5, none}, {Qt::Key_Minus, none}, {Qt::Key_2, none}, {Qt::Key_Equal, none}}, "3"},
        {{{Qt::Key_5, none}, {Qt::Key_Underscore, shift}, {Qt::Key_2, none}, {Qt::Key_Equal, none}}, "3"},
        {{{Qt::Key_5, none}, {Qt::Key_Minus, ctrl}, {Qt::Key_2, none}, {Qt::Key_Equal, none}}, "3"},
        {{{Qt::Key_5, none}, {Qt::Key_Plus, shift}, {Qt::Key_2, none}, {Qt::Key_Equal, none}}, "7"},
        {{{Qt::Key_5, none}, {Qt::Key_Plus, keypad}, {Qt::Key_2, none}, {Qt::Key_Equal, none}}, "7"},
        {{{Qt::Key_9, none}, {Qt::Key_Slash, none}, {Qt::Key_4, keypad}, {Qt::Key_Equal, none}}, "2.25"},
        {{{Qt::Key_9, none}, {Qt::Key_At, shift}}, "3"},  // Shift+2: square root
        {{{Qt::Key_4, none}, {Qt::Key_R, none}}, "0.25"}, // R: reciprocal
        {{{Qt::Key_2, none}, {Qt::Key_Z, none}, {Qt::Key_X, none}}, "200,000"},
        {{{Qt::Key_1, none}, {Qt::Key_Period, none}, {Qt::Key_5, none}}, "1.5"},
        {{{Qt::Key_1, none}, {Qt::Key_Comma, keypad}, {Qt::Key_5, none}}, "1.5"},
        {{{Qt::Key_1, none}, {Qt::Key_2, none}, {Qt::Key_Backspace, none}}, "1"},
        {{{Qt::Key_1, none}, {Qt::Key_2, none}, {Qt::Key_Delete, none}}, "0"},
        {{{Qt::Key_1, none}, {Qt::Key_2, none}, {Qt::Key_Escape, none}}, "0"},
        {{{Qt::Key_1, none}, {Qt::Key_2, none}, {Qt::Key_F9, none}}, "-12"},
        {{{Qt::Key_7, none}, {Qt::Key_M, ctrl}, {Qt::Key_1, none}, {Qt::Key_R, ctrl | shift}}, "7"},
        {{{Qt::Key_7, none}, {Qt::Key_M, ctrl}, {Qt::Key_L, ctrl | shift}, {Qt::Key_R, ctrl}}, "7"},
        {{{Qt::Key_7, none}, {Qt::Key_M, ctrl}, {Qt::Key_L, ctrl}, {Qt::Key_R, ctrl}}, "0"},
        {{{Qt::Key_7, none}, {Qt::Key_A, ctrl}, {Qt::Key_A, ctrl}, {Qt::Key_R, ctrl}}, "14"},
        {{{Qt::Key_7, none}, {Qt::Key_A, ctrl}, {Qt::Key_S, ctrl}, {Qt::Key_R, ctrl}}, "14"}, // 14 + 7 - 7
        {{{Qt::Key_5, alt}}, "0"},       // Alt+digit: nothing
        {{{Qt::Key_Home, keypad}}, "0"}, // keypad 7 with NumLock off
    };
    for (const Case& c : cases) {
        Key(Qt::Key_Escape);
        for (const auto& [key, mods] : c.keys)
            Key(key, mods);
        EXPECT_EQ(Display(), c.display) << "case ending " << c.display;
        EXPECT_FALSE(AnyButtonDown());
    }
}

// A key whose press brings a box (the 18-digit limit) leaves no button drawn pressed under it.
TEST_F(MainWindow, NoButtonStaysDownUnderABox)
{
    for (int i = 0; i < 19; ++i) // "5." and 17 more digits: the longest decimal entry
        Key(i == 1 ? Qt::Key_Period : Qt::Key_5);
    bool downUnderTheBox = true;
    FakeDialogs::Instance().expectBoxes = true;
    FakeDialogs::Instance().onBox = [&](const uitest::ShownBox&) { downUnderTheBox = AnyButtonDown(); };
    QKeyEvent press(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    Send(press);
    ASSERT_EQ(FakeDialogs::Instance().boxes.size(), 1U);
    EXPECT_FALSE(downUnderTheBox);
}

TEST_F(MainWindow, AHeldKeyShowsItsButtonDownAndRepeats)
{
    TabcPicSpeedBtn* seven = TestAccess::Button(*w, QStringLiteral("btn7"));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
    Send(press);
    EXPECT_TRUE(seven->Down());
    EXPECT_EQ(seven->GroupIndex(), 1);
    // Auto-repeat: presses act again; the window system's repeat releases do not lift the button.
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"), true);
        QKeyEvent repeatPress(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"), true);
        Send(repeatRelease);
        EXPECT_TRUE(seven->Down());
        Send(repeatPress);
    }
    EXPECT_EQ(Display(), "7,777");
    // A second mapped key down before the release takes over the group.
    QKeyEvent eight(QEvent::KeyPress, Qt::Key_8, Qt::NoModifier, QStringLiteral("8"));
    Send(eight);
    EXPECT_FALSE(seven->Down());
    EXPECT_TRUE(TestAccess::Button(*w, QStringLiteral("btn8"))->Down());
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
    Send(release);
    EXPECT_FALSE(AnyButtonDown());
    for (TabcPicSpeedBtn* b : w->findChildren<TabcPicSpeedBtn*>())
        EXPECT_EQ(b->GroupIndex(), 0) << b->objectName().toStdString();
}

TEST_F(MainWindow, LimitMessagesComeWithEveryButtonReleased)
{
    FakeDialogs& d = FakeDialogs::Instance();
    d.expectBoxes = true;
    bool downAtBox = true;
    d.onBox = [&](const uitest::ShownBox&) { downAtBox = AnyButtonDown(); };
    for (int i = 0; i < 20; ++i)
        Key(Qt::Key_9);
    ASSERT_EQ(d.boxes.size(), 1u);
    EXPECT_EQ(d.boxes[0].caption, QStringLiteral("Information"));
    EXPECT_EQ(d.boxes[0].text,
              QStringLiteral("Quorlane Calculator only supports\rentering numbers up to 18 digits long."));
    EXPECT_FALSE(downAtBox);
}

TEST_F(MainWindow, FocusStaysOnTheSink)
{
    QTest::mouseClick(Child<QLineEdit>("memDisplayValue"), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), Sink());
    QTest::mouseClick(Child<ui::TapeView>("memTape")->viewport(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), Sink());
    Key(Qt::Key_4);
    EXPECT_EQ(Display(), "4");
    // Enter (also Ctrl+M), Ctrl+L and Esc never reach the sink; what does changes nothing in it.
    auto* sink = Child<QLineEdit>("edtFocus");
    const QString before = sink->text();
    Key(Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    Key(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    Key(Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    Key(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    Key(Qt::Key_M, Qt::ControlModifier, QStringLiteral("\r"));
    Key(Qt::Key_L, Qt::ControlModifier, QString(QChar(12)));
    Key(Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
    EXPECT_EQ(sink->text(), before);
    EXPECT_EQ(Display(), "0"); // Enter totalled 4, Ctrl+M stored it, Ctrl+L cleared memory, Esc cleared
    EXPECT_EQ(QApplication::focusWidget(), Sink());
}

// Tab reaches the tape, on its last total, where the arrow keys move line by line; the calculator's
// keys still run there and bring the focus back to the display, as Shift+Tab and Esc do (Esc there
// clearing nothing).
TEST_F(MainWindow, TabReachesTheTapeWhoseKeysStillReachTheCalculator)
{
    auto* tape = Child<ui::TapeView>("memTape");
    Clicks({"btn1", "btn2", "btnAdd", "btn3", "btnEquals", "btn4"});
    Key(Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    ASSERT_EQ(QApplication::focusWidget(), tape);
    EXPECT_EQ(TestAccess::TapeLines(*w).at(tape->CaretLine()), "15 =");
    Key(Qt::Key_Up);
    EXPECT_EQ(TestAccess::TapeLines(*w).at(tape->CaretLine()), Sep);
    EXPECT_EQ(QApplication::focusWidget(), tape);
    Key(Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
    EXPECT_EQ(QApplication::focusWidget(), Sink());
    EXPECT_EQ(Display(), "4"); // not cleared
    Key(Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), Sink());
    Key(Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    Key(Qt::Key_Plus, Qt::NoModifier, QStringLiteral("+"));
    EXPECT_EQ(QApplication::focusWidget(), Sink());
    Key(Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    Key(Qt::Key_6, Qt::NoModifier, QStringLiteral("6"));
    Key(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_EQ(Display(), "10");
    EXPECT_EQ(QApplication::focusWidget(), Sink());
}

TEST_F(MainWindow, TheSinkStaysTheSameThroughADaysTyping)
{
    auto* sink = Child<QLineEdit>("edtFocus");
    const QString before = sink->text();
    for (int i = 0; i < 500; ++i)
        Key(i % 2 == 0 ? Qt::Key_1 : Qt::Key_Plus, Qt::NoModifier,
            QString::fromLatin1(i % 2 == 0 ? "1" : "+"));
    EXPECT_EQ(sink->text(), before);
    EXPECT_EQ(QApplication::focusWidget(), Sink());
    EXPECT_EQ(Display(), "250");
}

TEST_F(MainWindow, KeysReachTheMapWhicheverControlHasTheFocus)
{
    // After keyboard use of the menus Qt may leave the focus on the menu bar, with no item shown.
    QWidget* bar = w->menuWidget();
    bar->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), bar);
    Key(Qt::Key_4, Qt::NoModifier, QStringLiteral("4"));
    EXPECT_EQ(QApplication::focusWidget(), Sink()); // the focus goes back to the sink
    bar->setFocus();
    Key(Qt::Key_Asterisk, Qt::ShiftModifier, QStringLiteral("*"));
    Key(Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    bar->setFocus();
    Key(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_EQ(Display(), "20");
}

TEST_F(MainWindow, CopyCommandsKeepTheirSelectionWithoutShowingIt)
{
    Key(Qt::Key_5);
    Key(Qt::Key_Return);
    Action("mnuEditCopy")->trigger();
    Action("mnuEditCopyTape")->trigger();
    auto* display = Child<QLineEdit>("memDisplayValue");
    auto* tape = Child<ui::TapeView>("memTape");
    EXPECT_TRUE(display->hasSelectedText()); // there for the next copy
    EXPECT_TRUE(tape->HasSelection());
    for (const QWidget* text : {static_cast<QWidget*>(display), static_cast<QWidget*>(tape)}) {
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            EXPECT_EQ(text->palette().color(group, QPalette::Highlight),
                      text->palette().color(group, QPalette::Base));
            EXPECT_EQ(text->palette().color(group, QPalette::HighlightedText),
                      text->palette().color(group, QPalette::Text));
        }
    }
    EXPECT_EQ(QApplication::focusWidget(), Sink());
}

TEST_F(MainWindow, EditCommandsAndTheirEnablingRule)
{
    FakeDialogs& d = FakeDialogs::Instance();
    // No text on the clipboard: Paste is disabled and Ctrl+V is consumed without effect.
    Key(Qt::Key_5);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Display(), "5");
    EXPECT_FALSE(Action("mnuEditPaste")->isEnabled());
    EXPECT_TRUE(Action("mnuEditClearTape")->isEnabled());

    QApplication::clipboard()->setText(QStringLiteral(" 1,234,567.5 "));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Display(), "1,234,567.5");
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("1,234,567.5"));
    EXPECT_EQ(QApplication::focusWidget(), Sink());

    QApplication::clipboard()->setText(QStringLiteral("12abc"));
    d.boxAnswers.push_back(ui::BoxAnswer::Ok);
    Key(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(d.boxes.size(), 1u);
    EXPECT_EQ(d.boxes[0].text, QStringLiteral("Clipboard must contain a numeric value"));
    EXPECT_EQ(Display(), "1,234,567.5");

    Key(Qt::Key_Plus, Qt::ShiftModifier);
    Key(Qt::Key_1);
    Key(Qt::Key_Return);
    Action("mnuEditCopyTape")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QString::fromStdString("1,234,567.5  \r\n1 +\r\n" + Sep + "\r\n1,234,568.5 =\r\n "));

    // Clear Tape asks first; No keeps every line, Yes clears them.
    d.boxAnswers.push_back(ui::BoxAnswer::No);
    Key(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(TestAccess::TapeLines(*w).size(), 5u);
    EXPECT_EQ(d.boxes.back().caption, QStringLiteral("Confirm"));
    EXPECT_EQ(d.boxes.back().text, QStringLiteral("Clear tape history?"));
    EXPECT_EQ(d.boxes.back().buttons, ui::BoxButtons::YesNo);
    d.boxAnswers.push_back(ui::BoxAnswer::Yes);
    Key(Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(TestAccess::TapeLines(*w).empty());
    EXPECT_EQ(Display(), "1,234,568.5");
    Action("mnuEditCopyTape")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QString());
}

TEST_F(MainWindow, DecimalKeyShowsTheLocaleSeparator)
{
    w.reset(); // one calculator window (and tray icon) per program
    ui::TfrmMain european({}, {',', '\''});
    EXPECT_EQ(TestAccess::Button(european, QStringLiteral("btnDecimal"))->Caption(), QStringLiteral(","));
    EXPECT_EQ(TestAccess::Engine(european).State().GroupChar, ' ');
    EXPECT_EQ(TestAccess::Engine(european).State().DisplayMask,
              "### ### ### ### ### ### ##0,#####################");
    EXPECT_FALSE(european.StartHidden());
}

} // namespace
