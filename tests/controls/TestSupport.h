#pragma once
// Helpers for the controls' tests: the fixed test palette, a shown and active window to put buttons
// on, grabbed images and their pixels, and counters for signals and paint events.

#include <memory>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPalette>
#include <QWidget>

#include "controls/Abcbtn.h"
#include "platform/qt/Colors.h"

namespace controlstest {

// A palette whose 3D colours all differ from one another, from the light grey RGB(222, 222, 222)
// of the two-colour frames and from the grey RGB(128, 128, 128) of a disabled caption.
QPalette TestPalette();

// Sets TestPalette() as the application palette (done once in main).
void UseTestPalette();

inline QRgb Rgb(TColor color)
{
    return ColorToQColor(color).rgb();
}

// The widget as it paints itself, in 32-bit RGB.
QImage Grab(QWidget& widget);

// Runs the event loop until every pending repaint is done.
void Settle();

// A top-level window, shown and active, for buttons to live on.
class TestWindow
{
public:
    TestWindow();
    ~TestWindow();
    QWidget& Widget() { return *window_; }
    TabcPicSpeedBtn& AddButton(const QRect& geometry, const QString& caption = {});

private:
    std::unique_ptr<QWidget> window_;
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++count;
        }
        return false;
    }
};

// Records what a button reports.
struct ButtonLog
{
    explicit ButtonLog(TabcPicSpeedBtn& button);
    int clicks = 0;
};

} // namespace controlstest
