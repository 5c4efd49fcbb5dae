// What a screen reader is told: the keys' spoken names and keyboard equivalents, the memory
// indicator's value, and the display's value on the keyboard focus instead of the keys typed.

#include <QAccessible>
#include <QLabel>

#include <gtest/gtest.h>

#include "controls/Abcbtn.h"
#include "ui/Calc.h"
#include "ui/FocusSink.h"

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

} // namespace
