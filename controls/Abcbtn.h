#pragma once
// The picture speed button: the push button of every calculator key. A plain child widget that never
// takes the keyboard focus and paints its whole rectangle: a face colour, a bevelled frame, a
// caption with an accelerator, a hot look while the pointer is over it, a latched (checkerboard) look for a
// held-down button of a group, and a flat mode that shows the frame only under the pointer.
//
// Buttons of one parent with the same non-zero GroupIndex form a group: at most one of them is Down,
// and all may be up (a second click puts a Down button up). A button with GroupIndex 0 is never Down. The
// main window shows a key pressed while its keyboard key is held by SetGroupIndex(1) and SetDown(true), and
// undoes it with SetDown(false) and SetGroupIndex(0).
//
// The mouse: a left press shows the pressed look; dragging out shows the hot look, dragging back in
// the pressed one; releasing inside clicks (a grouped button first toggles Down). A double click counts as
// a second press. The hot look follows the pointer only while one of the program's windows is active
// and no other widget holds the mouse. Alt with the caption's accelerator character clicks an enabled,
// visible button of the active window.

#include <QBrush>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "platform/qt/Colors.h"

class QShortcut;
class QTextLayout;

// What the button shows at the moment.
enum class TPicButtonState : std::uint8_t
{
    Up,       // normal
    Disabled, // the control is disabled
    Pressed,  // the left mouse button is held on the button
    Latched,  // Down is true (a grouped button held down)
    Hot,      // the pointer is over the button
};

class TabcPicSpeedBtn : public QWidget
{
    Q_OBJECT

public:
    explicit TabcPicSpeedBtn(QWidget* parent = nullptr);
    ~TabcPicSpeedBtn() override;

    // Grouping and the latched state.
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    bool Down() const { return down_; }
    void SetDown(bool value);

    // Look. Setters repaint only when the value changes.
    TColor Color() const { return color_; } // default clBtnFace
    void SetColor(TColor value);
    TColor FontColor() const { return fontColor_; } // the caption colour, default clWindowText
    void SetFontColor(TColor value);
    QString Caption() const { return caption_; }
    void SetCaption(const QString& value);
    bool Popup() const { return popup_; } // flat mode, default true
    void SetPopup(bool value);

    TPicButtonState State() const { return state_; }

    // Clicks the button: OnClick fires.
    void Click();

    QSize sizeHint() const override;

signals:
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void HandlePress(Qt::MouseButton button);
    void HandleRelease(QPoint pos, QPoint globalPos);
    void MouseEnter();
    void MouseLeave();
    void AcceleratorActivated();

    // Tells the other buttons of the parent with this group index about this one's Down state.
    void NotifyGroup();
    void GroupButtonPressed(int groupIndex, const TabcPicSpeedBtn& sender);

    bool MouseCaptured() const;
    bool IsUnderCursor(QPoint globalPos) const;

    // The caption laid out once for the font, measured and drawn from that one layout; none for a
    // caption with an accelerator mark, a tab or a line break, which QPainter::drawText lays out.
    const QTextLayout* CaptionLayout();
    // The latched face's checkerboard in the present colours.
    const QBrush& LatchedFill();

    // Properties.
    int groupIndex_ = 0;
    bool down_ = false;
    TColor color_ = clBtnFace;
    TColor fontColor_ = clWindowText;
    QString caption_;
    bool popup_ = true;

    // State.
    TPicButtonState state_ = TPicButtonState::Up;
    bool pointerInside_ = false;
    bool tracking_ = false;

    QShortcut* accelerator_ = nullptr; // child of this widget

    // Drawing kept between paints.
    std::unique_ptr<QTextLayout> captionLayout_;
    QBrush latchedFill_;
    QRgb latchedColors_[2] = {};
};
