#pragma once
// Pieces the program's small windows share: a dialog whose Esc does nothing (it has no cancel
// button), a bevel drawn as one sunken line, and fonts given as the design gives them.

#include <QDialog>
#include <QFont>
#include <QWidget>

namespace ui {

// A dialog without a cancel button: Esc does nothing.
class NoCancelDialog : public QDialog
{
public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

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

// A font by family and character height in pixels.
QFont DesignFont(const char* family, int pixels, bool bold = false, bool underline = false);

} // namespace ui
