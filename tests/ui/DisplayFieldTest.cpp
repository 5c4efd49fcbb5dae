// The display and the focus sink beneath it keep the drawing of their edit panels: on the screen
// they look exactly as plain edit fields drawn anew, over every background and through changes of
// text, state, size and colours.

#include "ui/DisplayField.h"
#include "ui/FocusSink.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

// A window with the display and the one-pixel sink at their places in the calculator: the
// program's own fields, or plain edit fields.
struct Window
{
    explicit Window(bool ours)
    {
        host.resize(400, 60);
        host.setAutoFillBackground(true);
        host.setAttribute(Qt::WA_ShowWithoutActivating); // both windows alike
        display = ours ? new ui::DisplayField(&host) : new QLineEdit(&host);
        sink = ours ? new ui::FocusSink(&host) : new QLineEdit(&host);
        display->setGeometry(8, 9, 245, 24);
        display->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        display->setReadOnly(true);
        display->setFocusPolicy(Qt::NoFocus);
        sink->setGeometry(8, 9, 1, 1);
        sink->setFrame(false);
        sink->setReadOnly(true);
        sink->setText(QStringLiteral("edtFocus"));
        sink->lower();
        host.show();
        sink->setFocus();
    }
    // What the window system shows: the window's surface as painted, not a fresh rendering.
    QImage Shown() const
    {
        return host.screen()->grabWindow(host.winId()).toImage().convertToFormat(QImage::Format_ARGB32);
    }
    QWidget host;
    QLineEdit* display;
    QLineEdit* sink;
};

TEST(DisplayPanel, LooksAsAPlainEditFieldThroughTextStateSizeAndColourChanges)
{
    Window ours(true), plain(false);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ours.host));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain.host));
    const auto background = [](QColor c) {
        return [c](Window& w) {
            QPalette p = w.host.palette();
            p.setColor(QPalette::Window, c);
            w.host.setPalette(p);
        };
    };
    const std::pair<const char*, std::function<void(Window&)>> steps[] = {
        {"first text", [](Window& w) { w.display->setText(QStringLiteral("0")); }},
        {"a longer text", [](Window& w) { w.display->setText(QStringLiteral("1,234,567.89")); }},
        // The panel's rounded corners blend with what lies beneath.
        {"a sand-coloured window", background(QColor(0xa2, 0x8d, 0x68))},
        {"a text over it", [](Window& w) { w.display->setText(QStringLiteral("42")); }},
        {"a light grey window", background(QColor(0xe9, 0xe9, 0xe9))},
        {"disabled", [](Window& w) { w.display->setEnabled(false); }},
        {"enabled", [](Window& w) { w.display->setEnabled(true); }},
        {"larger",
         [](Window& w) { w.display->setGeometry(12, 13, 367, 36), w.sink->setGeometry(12, 13, 2, 2); }},
        {"another text", [](Window& w) { w.display->setText(QStringLiteral("-7")); }},
    };
    for (const auto& [what, change] : steps) {
        change(ours);
        change(plain);
        QApplication::processEvents();
        EXPECT_EQ(ours.Shown(), plain.Shown()) << what;
    }
}

} // namespace
