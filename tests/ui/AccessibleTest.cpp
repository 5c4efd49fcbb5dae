// What a screen reader is told: the keys' spoken names and keyboard equivalents, the memory
// indicator's value, the display's value on the keyboard focus instead of the keys typed, and the
// display's value as its value and text, and the tape as one text.

#include <QAccessible>
#include <QLabel>

#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "controls/Abcbtn.h"
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
        TabcPicSpeedBtn* b = w.Button(QString::fromLatin1(name));
        EXPECT_EQ(Text(b, QAccessible::Name), QString::fromLatin1(spoken)) << name;
        EXPECT_EQ(Text(b, QAccessible::Description), QString::fromLatin1(description)) << name;
    }

    auto* sink = w.findChild<ui::FocusSink*>(QStringLiteral("edtFocus"));
    for (const char* key : {"btn1", "btn2", "btnMS", "btnAdd", "btn3"})
        w.Button(QString::fromLatin1(key))->Click();
    sink->setText(QStringLiteral("12+3")); // what typing leaves in it
    EXPECT_EQ(Text(sink, QAccessible::Name), QStringLiteral("3"));
    EXPECT_EQ(Text(sink, QAccessible::Description), QStringLiteral("Display"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(sink)->textInterface(),
              nullptr); // the typed keys stay private
    w.Button(QStringLiteral("btnEquals"))->Click();
    EXPECT_EQ(Text(sink, QAccessible::Name), QStringLiteral("15"));
    EXPECT_EQ(Text(w.findChild<QLabel*>(QStringLiteral("StatusBarPanel0")), QAccessible::Name),
              QStringLiteral("Memory = 12"));
}

TEST(Accessible, TheDisplayReadsItsValue)
{
    ui::TfrmMain w;
    auto* display = w.findChild<ui::DisplayField*>(QStringLiteral("memDisplayValue"));
    ASSERT_NE(display, nullptr);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(display);
    for (const char* key : {"btn1", "btn2", "btn3", "btn4", "btnDecimal", "btn5", "btnAdd"})
        w.Button(QString::fromLatin1(key))->Click();
    const QString shown = display->text().trimmed(); // grouped as the window shows it
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Display"));
    EXPECT_EQ(iface->text(QAccessible::Value), shown);
    EXPECT_TRUE(iface->state().readOnly);
    ASSERT_NE(iface->textInterface(), nullptr);
    EXPECT_EQ(iface->textInterface()->text(0, iface->textInterface()->characterCount()), display->text());
    ASSERT_NE(iface->valueInterface(), nullptr);
    EXPECT_EQ(iface->valueInterface()->currentValue().toDouble(), 1234.5);
    display->Show(QStringLiteral("Overflow"));
    EXPECT_FALSE(iface->valueInterface()->currentValue().isValid()); // no number to read
}

TEST(Accessible, TapeReadsAsItsLinesJoined)
{
    // (The platform plugin of the tests has no accessibility bridge, so the events raised as lines
    // arrive are seen only on a real desktop.)
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

} // namespace
