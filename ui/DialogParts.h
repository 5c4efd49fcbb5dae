#pragma once
// Pieces the program's small windows share: a bevel drawn as one sunken line, and fonts given as
// the design names them.

#include <QFont>
#include <QStringList>
#include <QWidget>

namespace ui {

// A bevel shown as a sunken line (dark, then light) along its left or bottom side.
class LineBevel : public QWidget
{
public:
    enum class Side
    {
        Left,
        Bottom
    };
    LineBevel(Side side, QWidget* parent) : QWidget(parent), side_(side) {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Side side_;
};

// The design's fonts by what this machine has: a family that is installed is used as it is, one that
// is not by its metric twin ("Liberation Sans" for Arial, Tahoma and MS Sans Serif, "Liberation Mono"
// for Courier New, or the Arimo and Cousine cuts), and without a twin by its name, for fontconfig to
// match. Qt resolves a family that is not installed with a fontconfig sort for every font made from
// it; naming installed families saves that, about a tenth of the start-up.
class DesignFonts
{
public:
    DesignFonts(); // reads the installed families once

    QString Family(const char* design) const;
    // A font by design family and character height in pixels.
    QFont Font(const char* family, int pixels, bool bold = false, bool underline = false) const;

private:
    QStringList installed_;
};

} // namespace ui
