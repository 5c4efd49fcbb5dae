#pragma once
// The history tape on the screen: one row per line, right-aligned like the paper strip of an
// adding machine, with a vertical scroll bar. Only the visible rows are painted and nothing is
// laid out per line, so appending, scrolling and resizing cost the same at any length. A line wider
// than the tape is drawn narrowed to fit rather than cut or wrapped. Whole lines are selected with
// the mouse (Shift extends) or the keys; the selection is drawn in the palette's highlight colours.

#include <QAbstractScrollArea>
#include <QGlyphRun>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "ui/TapeModel.h"

namespace ui {

class TapeView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TapeView(QWidget* parent = nullptr);

    const TapeModel& Lines() const { return lines_; }

    // Adds a line at the end, puts the insertion point after it and keeps the last line in view.
    void Append(std::string_view line);
    void Clear();
    // Shows `lines` in place of the tape's, the last one in view (a tape kept between runs).
    void SetLines(TapeModel lines);
    // Keeps the first `from` lines and lets `append` add the rest (a correction recomputed them); the
    // view stays where it was.
    void ReplaceFrom(std::size_t from, const std::function<void(TapeModel&)>& append);

    bool HasSelection() const { return selected_; }
    // First and last selected line (meaningful while HasSelection()).
    std::size_t SelectionFirst() const { return std::min(anchor_, caret_); }
    std::size_t SelectionLast() const { return std::max(anchor_, caret_); }
    void SelectAll();
    // The selected lines joined by CR LF (empty without a selection).
    QString SelectedText() const;

    // Scrolls the line of the insertion point into view.
    void ShowInsertionPoint();
    // The first line shown and how many whole lines fit.
    std::size_t FirstVisibleLine() const;
    int RowsPerPage() const;
    // The line under a viewport position (clamped to the lines there are); requires lines.
    std::size_t LineAt(int y) const;
    // The row of `line` in viewport coordinates; empty while it is scrolled out of view.
    QRect LineRect(std::size_t line) const;
    // While the menu is asked for from the keyboard (its first item is then made current, as a
    // keyboard's menu is, so that a screen reader reads it).
    bool MenuFromKeyboard() const { return menuFromKeyboard_; }
    // The line of the insertion point (meaningful with lines), and putting it on `line` quietly
    // (before the focus arrives): the line is selected and scrolled into view.
    std::size_t CaretLine() const { return caret_; }
    void SetCaretLine(std::size_t line);

signals:
    // A line is put to use: double-clicked.
    void LineActivated(std::size_t line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The menu asked for from the keyboard (the Menu key, Shift+F10) opens on the insertion point's line.
    void RequestMenuAtCaret();
    // A row's text shaped once: its glyph runs placed from the baseline at its left end, and its width.
    struct ShapedRow
    {
        QList<QGlyphRun> glyphs;
        int width = 0;
    };
    const ShapedRow& Shaped(std::string_view text);
    void ForgetShapes() { shaped_.clear(); }

    int RowHeight() const;
    // The scroll bar's range and page for the lines and the rows that fit; `toEnd` scrolls to the
    // last line.
    void UpdateScrollRange(bool toEnd = false);
    // Moves the insertion point (and the selection with it); `tell` assistive technology.
    void MoveCaret(std::size_t line, bool extend, bool tell = true);

    TapeModel lines_;
    std::size_t anchor_ = 0; // where the selection started
    std::size_t caret_ = 0;  // the insertion point's line; the selection's moving end
    bool selected_ = false;
    // Rows shaped for painting, by their text as drawn: a row keeps its shape while it scrolls, and
    // the rows in view are not shaped again at every line appended.
    std::unordered_map<std::string, ShapedRow> shaped_;
    bool menuFromKeyboard_ = false;
};

} // namespace ui
