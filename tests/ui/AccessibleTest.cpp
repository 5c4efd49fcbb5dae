// What a screen reader is told: the keys' spoken names and keyboard equivalents, the memory
// indicator's value, the messages said through the keyboard focus (results, errors, the memory) and
// what it reads there, the display's value as its value and text, and the tape as one text read line
// by line.

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>

#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "controls/Abcbtn.h"
#include "tests/TestAccess.h"
#include "ui/Calc.h"
#include "ui/DisplayField.h"
#include "ui/FocusSink.h"
#include "ui/TapeView.h"

namespace {

QString Text(QObject* object, QAccessible::Text which)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface != nullptr ? iface->text(which) : QStringLiteral("<none>");
}

QString AllText(QObject* object)
{
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(object)->textInterface();
    return text->text(0, text->characterCount());
}

// Characters typed into the window, as the keyboard delivers them to the focus ("^m" is Ctrl+M),
// and what the focus said meanwhile: its text each time it counted one more message. (The tests'
// platform has no accessibility bridge to record the events; tests/rig/test_screen_reader.py hears
// what Orca makes of them.)
QStringList Type(const QString& keys, const ui::FocusSink* sink = nullptr)
{
    QStringList said;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        const int before = sink != nullptr ? sink->SaidCount() : 0;
        if (keys.at(i) == QLatin1Char('^')) {
            const QChar letter = keys.at(++i).toUpper();
            QTest::keyClick(focus, static_cast<Qt::Key>(letter.unicode()), Qt::ControlModifier);
        } else if (keys.at(i) == QChar(27)) {
            QTest::keyClick(focus, Qt::Key_Escape);
        } else if (keys.at(i) == QChar(8)) {
            QTest::keyClick(focus, Qt::Key_Backspace);
        } else {
            QTest::keyClick(focus, keys.at(i).toLatin1());
        }
        if (sink != nullptr && sink->SaidCount() != before)
            said << sink->Said();
    }
    return said;
}

TEST(Accessible, KeysMemoryAndDisplayAsAScreenReaderHearsThem)
{
    ui::TfrmMain w;
    const std::tuple<const char*, const char*, const char*> keys[] = {
        {"btnMultiply", "Multiply", "Key: *"},      {"btnDivide", "Divide", "Key: /"},
        {"btnSquareRoot", "Square root", "Key: @"}, {"btnReciprocal", "Reciprocal", "Key: R"},
        {"btnPlusMinus", "Change sign", "Key: F9"}, {"btnDecimal", "Decimal point", "Key: ."},
        {"btnEquals", "Equals", "Key: Enter"},      {"btnMR", "Memory recall", "Key: Ctrl+R"},
        {"btnCE", "Clear entry", "Key: Delete"},    {"btn7", "7", "Key: 7"},
    };
    for (const auto& [name, spoken, description] : keys) {
        TabcPicSpeedBtn* b = TestAccess::Button(w, QString::fromLatin1(name));
        EXPECT_EQ(Text(b, QAccessible::Name), QString::fromLatin1(spoken)) << name;
        EXPECT_EQ(Text(b, QAccessible::Description), QString::fromLatin1(description)) << name;
    }

    for (const char* key : {"btn1", "btn2", "btnMS"})
        TestAccess::Button(w, QString::fromLatin1(key))->Click();
    EXPECT_EQ(Text(w.findChild<QLabel*>(QStringLiteral("StatusBarPanel0")), QAccessible::Name),
              QStringLiteral("Memory = 12"));
}

// The keyboard focus speaks for the display: a result, an error or the memory's value is said once
// as the key leaves it; a digit typed is not (the screen reader echoes the key itself), a digit
// clicked is; a total is said even when it equals the entry.
TEST(Accessible, TheFocusSaysWhatEachKeyDid)
{
    struct Case
    {
        const char* typed;
        std::vector<const char*> said;
        TBcdSeparators locale = {};
        bool grandTotal = false; // the switch on
    };
    const Case cases[] = {
        {"12+3=", {"15"}},
        {"100/0=", {"Division by zero error"}},
        {"9@", {"3"}},
        {"16r", {"0.0625"}},
        {"50+10%", {"5"}},
        {"42^m\x1b^r", {"Memory = 42", "0", "42"}},
        {"42^m^m^l", {"Memory = 42", "Memory = 42", "Memory empty"}},
        {"5=", {"5"}},
        {"12\b", {"1"}},
        {"1234.5+1000=", {"2,234.5"}},
        // Grouped by blanks the number would be read as several: said without them.
        {"1234.5*1000=", {"1234500"}, {',', ' '}},
        {"1234.5^m", {"Memory = 1234,5"}, {',', ' '}},
        // The subtotal and the grand total are results, said even when the display shows them
        // already; a second G says that it cleared the grand total (both were silent).
        {"5+s", {"5"}},
        {"12+3=gg", {"15", "15", "Grand total clear"}, {}, true},
    };
    for (const Case& c : cases) {
        ui::TfrmMain w({}, c.locale);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        auto* sink = w.findChild<ui::FocusSink*>(QStringLiteral("edtFocus"));
        ASSERT_EQ(QApplication::focusWidget(), sink);
        if (c.grandTotal)
            w.findChild<QAction*>(QStringLiteral("mnuOptionsGrandTotal"))->trigger();
        QStringList expected;
        for (const char* s : c.said)
            expected << QString::fromLatin1(s);
        EXPECT_EQ(Type(QString::fromLatin1(c.typed), sink).join(QLatin1Char('|')),
                  expected.join(QLatin1Char('|')))
            << c.typed;
        // The focus reads the last thing said, the display's value once the focus comes back.
        EXPECT_EQ(AllText(sink), expected.value(expected.size() - 1, QStringLiteral("0"))) << c.typed;
        EXPECT_EQ(Text(sink, QAccessible::Description), QStringLiteral("Display"));
        EXPECT_TRUE(Text(sink, QAccessible::Name).isEmpty()) << "a name would be said before every message";
    }
}

TEST(Accessible, ClickedDigitsAreSaidAndTypedCharactersNeverRead)
{
    ui::TfrmMain w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto* sink = w.findChild<ui::FocusSink*>(QStringLiteral("edtFocus"));
    QStringList said;
    for (const char* key : {"btn7", "btn00", "btnAdd"}) {
        const int before = sink->SaidCount();
        TestAccess::Button(w, QString::fromLatin1(key))->Click();
        if (sink->SaidCount() != before)
            said << sink->Said();
    }
    EXPECT_EQ(said, (QStringList{QStringLiteral("7"), QStringLiteral("700")}));
    const QString before = sink->text();
    Type(QStringLiteral("ab\b"));
    EXPECT_EQ(AllText(sink), QStringLiteral("700")); // not the characters typed
    // Nothing goes into the sink or out of it: a screen reader would read out each character as
    // inserted or removed by the user (a digit typed just before Enter was read after it).
    EXPECT_EQ(sink->text(), before);
}

TEST(Accessible, TheDisplayReadsItsValue)
{
    ui::TfrmMain w;
    auto* display = w.findChild<ui::DisplayField*>(QStringLiteral("memDisplayValue"));
    ASSERT_NE(display, nullptr);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(display);
    for (const char* key : {"btn1", "btn2", "btn3", "btn4", "btnDecimal", "btn5", "btnAdd"})
        TestAccess::Button(w, QString::fromLatin1(key))->Click();
    const QString shown = display->text().trimmed(); // grouped as the window shows it
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Display"));
    EXPECT_EQ(iface->text(QAccessible::Value), shown);
    EXPECT_TRUE(iface->state().readOnly);
    ASSERT_NE(iface->textInterface(), nullptr);
    EXPECT_EQ(iface->textInterface()->text(0, iface->textInterface()->characterCount()), display->text());
    ASSERT_NE(iface->valueInterface(), nullptr);
    EXPECT_EQ(iface->valueInterface()->currentValue().toDouble(), 1234.5);
    int start = -1;
    int end = -1;
    iface->textInterface()->attributes(1, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(0, static_cast<int>(display->text().size())))
        << "a screen reader stops reading where the attributes' run ends";
    display->Show(QStringLiteral("Overflow"));
    EXPECT_FALSE(iface->valueInterface()->currentValue().isValid()); // no number to read
}

TEST(Accessible, TapeReadsAsItsLinesJoined)
{
    ui::TapeView tape;
    tape.resize(200, 120);
    tape.SetLines({"1.  +", "2.  +"});
    tape.Append("3.  *");
    tape.Append("");
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&tape);
    QAccessibleTextInterface* text = iface->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(iface->state().multiLine && iface->state().readOnly);
    EXPECT_EQ(text->characterCount(), 18);
    EXPECT_EQ(text->text(0, 18), QStringLiteral("1.  +\n2.  +\n3.  *\n"));
    EXPECT_EQ(text->text(6, 11), QStringLiteral("2.  +"));
    EXPECT_EQ(text->cursorPosition(), 18); // the insertion point is on the last line
    EXPECT_EQ(text->selectionCount(), 0);
    tape.SelectAll();
    int start = -1;
    int end = -1;
    text->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(0, 18));
    EXPECT_EQ(text->offsetAtPoint(tape.viewport()->mapToGlobal(tape.LineRect(1).center())), 6);
    tape.Clear();
    EXPECT_EQ(text->characterCount(), 0);
    EXPECT_EQ(text->text(0, 18), QString());
}

// A screen reader reads the line at the insertion point as the arrow keys move it, whole: the line
// found by offset, the attributes' run over the whole text, the one line moved to not read as a
// selection (Shift extends one).
TEST(Accessible, TheTapeIsReadLineByLine)
{
    ui::TapeView tape;
    tape.resize(200, 120);
    tape.SetLines({"12  ", "3 +", "15 ="});
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(&tape)->textInterface();
    const struct
    {
        int offset;
        QString (QAccessibleTextInterface::*find)(int, QAccessible::TextBoundaryType, int*, int*) const;
        const char* line;
        int start, end;
    } lines[] = {
        {6, &QAccessibleTextInterface::textAtOffset, "3 +\n", 5, 9},
        {9, &QAccessibleTextInterface::textAtOffset, "15 =", 9, 13},
        {13, &QAccessibleTextInterface::textAtOffset, "15 =", 9, 13}, // the end belongs to the last line
        {6, &QAccessibleTextInterface::textBeforeOffset, "12  \n", 0, 5},
        {6, &QAccessibleTextInterface::textAfterOffset, "15 =", 9, 13},
        {0, &QAccessibleTextInterface::textBeforeOffset, "", -1, -1},
    };
    for (const auto& l : lines) {
        int start = -2;
        int end = -2;
        EXPECT_EQ((text->*l.find)(l.offset, QAccessible::LineBoundary, &start, &end),
                  QString::fromLatin1(l.line));
        EXPECT_EQ(std::pair(start, end), std::pair(l.start, l.end)) << l.line;
    }
    int start = -1;
    int end = -1;
    text->attributes(2, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(0, 13));

    QTest::keyClick(&tape, Qt::Key_Up);
    EXPECT_EQ(text->cursorPosition(), 5);
    EXPECT_EQ(text->selectionCount(), 0);
    QTest::keyClick(&tape, Qt::Key_Up, Qt::ShiftModifier);
    text->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(0, 8));
}

} // namespace
