#include "ui/TapeView.h"
#include "ui/CalcShared.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleOptionSlider>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>

namespace ui {
namespace {

// Space between the frame and the text, as a text control leaves it.
constexpr int Margin = 4;
// Rows kept shaped: many times the rows of a window, dropped all at once when full.
constexpr std::size_t MaxShapedRows = 512;

int Clamped(std::size_t n)
{
    return static_cast<int>(std::min<std::size_t>(n, INT_MAX));
}

// The lines joined as assistive technology reads them.
QString AllText(const TapeModel& lines)
{
    return Latin1(lines.Joined(0, lines.JoinedSize(), '\n'));
}

// Read-only text: the selection and the insertion point are whole lines, moved with the mouse and
// keys; assistive technology reads them but does not set them.
class TapeAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TapeAccessible(TapeView* tape) : QAccessibleWidget(tape, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.selectableText = true;
        return s;
    }

    // The lines selected with Shift or the mouse; the one line the arrow keys move to is the
    // insertion point's, read as the current line rather than as a selection.
    bool Selected() const
    {
        return Tape()->HasSelection() && Tape()->SelectionFirst() != Tape()->SelectionLast();
    }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !Selected())
            return;
        const TapeModel& lines = Tape()->Lines();
        const std::size_t last = Tape()->SelectionLast();
        *startOffset = Clamped(lines.JoinedStart(Tape()->SelectionFirst()));
        *endOffset = Clamped(lines.JoinedStart(last) + lines.Line(last).size());
    }
    int selectionCount() const override { return Selected() ? 1 : 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}

    int cursorPosition() const override
    {
        const TapeModel& lines = Tape()->Lines();
        return lines.Empty() ? 0 : Clamped(lines.JoinedStart(Tape()->CaretLine()));
    }
    void setCursorPosition(int) override {}

    QString text(QAccessible::Text t) const override { return QAccessibleWidget::text(t); }
    QString text(int startOffset, int endOffset) const override
    {
        if (startOffset < 0 || endOffset <= startOffset)
            return {};
        return Latin1(Tape()->Lines().Joined(static_cast<std::size_t>(startOffset),
                                             static_cast<std::size_t>(endOffset), '\n'));
    }
    int characterCount() const override { return Clamped(Tape()->Lines().JoinedSize()); }

    // The row of the character's line, in screen coordinates (empty while scrolled out of view).
    QRect characterRect(int offset) const override
    {
        const TapeModel& lines = Tape()->Lines();
        if (offset < 0 || static_cast<std::size_t>(offset) >= lines.JoinedSize())
            return {};
        const QRect row = Tape()->LineRect(lines.LineAtJoined(static_cast<std::size_t>(offset)));
        return row.isEmpty() ? row : QRect(Tape()->viewport()->mapToGlobal(row.topLeft()), row.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        const QPoint at = Tape()->viewport()->mapFromGlobal(point);
        if (Tape()->Lines().Empty() || !Tape()->viewport()->rect().contains(at))
            return -1;
        return Clamped(Tape()->Lines().JoinedStart(Tape()->LineAt(at.y())));
    }
    void scrollToSubstring(int startIndex, int) override
    {
        const TapeModel& lines = Tape()->Lines();
        if (startIndex < 0 || static_cast<std::size_t>(startIndex) >= lines.JoinedSize())
            return;
        const std::size_t line = lines.LineAtJoined(static_cast<std::size_t>(startIndex));
        const std::size_t first = Tape()->FirstVisibleLine();
        if (line < first || line >= first + static_cast<std::size_t>(Tape()->RowsPerPage()))
            Tape()->verticalScrollBar()->setValue(Clamped(line));
    }
    // One run of the default attributes over the whole text (an empty run ends the reading early).
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    // Lines found in the tape's line index, not by searching the joined text: a screen reader asks
    // for the line at the insertion point at every move.
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                         int* endOffset) const override
    {
        return LineText(type, offset, 0, startOffset, endOffset);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                             int* endOffset) const override
    {
        return LineText(type, offset, -1, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                            int* endOffset) const override
    {
        return LineText(type, offset, 1, startOffset, endOffset);
    }

private:
    // The line `step` lines from the one holding `offset`, with its line end; other boundaries as
    // any text finds them.
    QString LineText(QAccessible::TextBoundaryType type, int offset, int step, int* startOffset,
                     int* endOffset) const
    {
        const TapeModel& lines = Tape()->Lines();
        if (type != QAccessible::LineBoundary) {
            if (step < 0)
                return QAccessibleTextInterface::textBeforeOffset(offset, type, startOffset, endOffset);
            if (step > 0)
                return QAccessibleTextInterface::textAfterOffset(offset, type, startOffset, endOffset);
            return QAccessibleTextInterface::textAtOffset(offset, type, startOffset, endOffset);
        }
        *startOffset = *endOffset = -1;
        if (lines.Empty() || offset < 0 || static_cast<std::size_t>(offset) > lines.JoinedSize())
            return {};
        const std::size_t at = static_cast<std::size_t>(offset) == lines.JoinedSize()
                                   ? lines.Count() - 1
                                   : lines.LineAtJoined(static_cast<std::size_t>(offset));
        if ((step < 0 && at == 0) || (step > 0 && at + 1 >= lines.Count()))
            return {};
        const std::size_t line = step < 0 ? at - 1 : step > 0 ? at + 1 : at;
        *startOffset = Clamped(lines.JoinedStart(line));
        *endOffset = line + 1 < lines.Count() ? Clamped(lines.JoinedStart(line + 1)) : characterCount();
        return text(*startOffset, *endOffset);
    }

    TapeView* Tape() const { return static_cast<TapeView*>(widget()); }
};

QAccessibleInterface* TapeFactory(const QString&, QObject* object)
{
    if (auto* tape = qobject_cast<TapeView*>(object))
        return new TapeAccessible(tape);
    return nullptr;
}

// The tape's scroll bar, repainted when what it shows changes: a line appended changes its range
// and value, yet on a long tape the handle keeps its length and its place at the end. The changes
// made while the bar is held are weighed together when the hold ends.
class TapeScrollBar : public QScrollBar
{
public:
    explicit TapeScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {}

    void Hold() { held_ = true; }
    void Release()
    {
        held_ = false;
        if (Current() != painted_)
            update();
    }

protected:
    void sliderChange(SliderChange change) override
    {
        if (!held_ && Current() != painted_)
            QScrollBar::sliderChange(change);
    }

    void paintEvent(QPaintEvent* event) override
    {
        painted_ = Current();
        QScrollBar::paintEvent(event);
    }

private:
    // What the bar draws of its range and value: where the handle is and whether either end is reached.
    struct Look
    {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look&) const = default;
    };

    Look Current() const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                value() == minimum(), value() == maximum()};
    }

    bool held_ = false;
    Look painted_;
};

} // namespace

TapeView::TapeView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBar(new TapeScrollBar(this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::ArrowCursor);
    verticalScrollBar()->setSingleStep(1);
    UpdateScrollRange();
    static std::once_flag accessibleInstalled;
    std::call_once(accessibleInstalled, [] { QAccessible::installFactory(TapeFactory); });
}

void TapeView::Append(std::string_view line)
{
    const std::size_t end = lines_.JoinedSize();
    lines_.Append(line);
    caret_ = anchor_ = lines_.Count() - 1;
    selected_ = false;
    UpdateScrollRange(true);
    viewport()->update();
    if (QAccessible::isActive()) {
        // The new line (as stored: `line` may have been a part of the tape), after a separator
        // unless it is the first: a screen reader reads it out.
        QAccessibleTextInsertEvent event(this, Clamped(end),
                                         (lines_.Count() > 1 ? QStringLiteral("\n") : QString()) +
                                             Latin1(lines_.Line(lines_.Count() - 1)));
        QAccessible::updateAccessibility(&event);
    }
}

void TapeView::Clear()
{
    if (QAccessible::isActive() && !lines_.Empty()) {
        QAccessibleTextRemoveEvent event(this, 0, AllText(lines_));
        QAccessible::updateAccessibility(&event);
    }
    lines_.Clear();
    ForgetShapes();
    caret_ = anchor_ = 0;
    selected_ = false;
    UpdateScrollRange();
    viewport()->update();
}

void TapeView::SetLines(TapeModel lines)
{
    const QString before = QAccessible::isActive() ? AllText(lines_) : QString();
    lines_ = std::move(lines);
    ForgetShapes();
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent event(this, 0, before, AllText(lines_));
        QAccessible::updateAccessibility(&event);
    }
    caret_ = anchor_ = lines_.Empty() ? 0 : lines_.Count() - 1;
    selected_ = false;
    UpdateScrollRange(true);
    viewport()->update();
}

void TapeView::ReplaceFrom(std::size_t from, const std::function<void(TapeModel&)>& append)
{
    const QString before = QAccessible::isActive() ? AllText(lines_) : QString();
    const int scrolled = verticalScrollBar()->value();
    lines_.Truncate(from);
    append(lines_);
    ForgetShapes(); // the rows kept shaped by their text: the changed ones are shaped anew
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent event(this, 0, before, AllText(lines_));
        QAccessible::updateAccessibility(&event);
    }
    const std::size_t last = lines_.Empty() ? 0 : lines_.Count() - 1;
    caret_ = std::min(caret_, last);
    anchor_ = std::min(anchor_, last);
    UpdateScrollRange();
    verticalScrollBar()->setValue(scrolled);
    viewport()->update();
}

void TapeView::SelectAll()
{
    if (lines_.Empty())
        return;
    anchor_ = 0;
    caret_ = lines_.Count() - 1;
    selected_ = true;
    viewport()->update();
}

QString TapeView::SelectedText() const
{
    if (!selected_)
        return {};
    // The lines are written into one buffer and widened to UTF-16 at once.
    QByteArray text(static_cast<qsizetype>(lines_.TextSize(SelectionFirst(), SelectionLast(), 2)),
                    Qt::Uninitialized);
    lines_.CopyText(SelectionFirst(), SelectionLast(), "\r\n", text.data());
    return QString::fromLatin1(text);
}

int TapeView::RowHeight() const
{
    // A text control's line: the font's ascent and descent, as fractions, rounded up.
    return std::max(1, static_cast<int>(std::ceil(QFontMetricsF(font()).height())));
}

int TapeView::RowsPerPage() const
{
    return std::max(1, (viewport()->height() - 2 * Margin) / RowHeight());
}

std::size_t TapeView::FirstVisibleLine() const
{
    return static_cast<std::size_t>(verticalScrollBar()->value());
}

std::size_t TapeView::LineAt(int y) const
{
    const int row = std::max(0, y - Margin) / RowHeight();
    return std::min(FirstVisibleLine() + static_cast<std::size_t>(row), lines_.Count() - 1);
}

void TapeView::UpdateScrollRange(bool toEnd)
{
    auto* bar = static_cast<TapeScrollBar*>(verticalScrollBar());
    // An empty tape has nothing to scroll: its font is not needed before its first line.
    const int page = lines_.Empty() ? bar->pageStep() : RowsPerPage();
    const int value = bar->value();
    bar->Hold();
    {
        // A change of range makes the scroll area lay out its bars again, from an event queued for
        // each change (one per line appended before the events run). The bar is always shown: that
        // is left out.
        const QSignalBlocker quiet(bar);
        bar->setPageStep(page);
        bar->setRange(0, std::max(0, Clamped(lines_.Count()) - page));
    }
    if (toEnd)
        bar->setValue(bar->maximum());
    else if (bar->value() != value)
        viewport()->update(); // the rows moved
    bar->Release();
}

QRect TapeView::LineRect(std::size_t line) const
{
    const std::size_t first = FirstVisibleLine();
    if (line < first || line >= lines_.Count() || line - first > static_cast<std::size_t>(RowsPerPage()))
        return {};
    return QRect(0, Margin + static_cast<int>(line - first) * RowHeight(), viewport()->width(), RowHeight());
}

void TapeView::ShowInsertionPoint()
{
    if (lines_.Empty())
        return;
    const std::size_t first = FirstVisibleLine();
    const auto page = static_cast<std::size_t>(RowsPerPage());
    if (caret_ < first)
        verticalScrollBar()->setValue(Clamped(caret_));
    else if (caret_ >= first + page)
        verticalScrollBar()->setValue(Clamped(caret_ - page + 1));
}

const TapeView::ShapedRow& TapeView::Shaped(std::string_view text)
{
    std::string key(text);
    if (const auto found = shaped_.find(key); found != shaped_.end())
        return found->second;
    if (shaped_.size() >= MaxShapedRows)
        shaped_.clear();
    // Laid out as QPainter::drawText lays out a line, its glyphs then placed from the baseline.
    const QString row = Latin1(text);
    QTextLayout layout(row, font());
    QTextOption option;
    option.setTextDirection(layoutDirection());
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    ShapedRow shaped;
    shaped.width = fontMetrics().horizontalAdvance(row);
    if (line.isValid()) {
        const QList<QGlyphRun> runs = line.glyphRuns();
        const qreal baseline = line.y() + line.ascent();
        for (QGlyphRun run : runs) {
            QList<QPointF> positions = run.positions();
            for (QPointF& p : positions)
                p.ry() -= baseline;
            run.setPositions(positions);
            shaped.glyphs.append(run);
        }
    }
    return shaped_.emplace(std::move(key), std::move(shaped)).first->second;
}

void TapeView::paintEvent(QPaintEvent*)
{
    if (lines_.Empty())
        return; // the background alone, drawn by the viewport
    QPainter painter(viewport());
    const QPalette& pal = palette();
    const QFontMetrics metrics = fontMetrics();
    const int rowHeight = RowHeight();
    const int right = viewport()->width() - Margin;
    const int available = right - Margin;
    const std::size_t first = FirstVisibleLine();
    // The rows the viewport shows, the last one perhaps in part.
    const std::size_t rows = static_cast<std::size_t>((viewport()->height() - Margin) / rowHeight + 1);
    const std::size_t end = std::min(lines_.Count(), first + rows);
    const int ascent = metrics.ascent();
    for (std::size_t i = first; i < end; ++i) {
        const int top = Margin + static_cast<int>(i - first) * rowHeight;
        const bool selected = selected_ && i >= SelectionFirst() && i <= SelectionLast();
        if (selected)
            painter.fillRect(QRect(0, top, viewport()->width(), rowHeight), pal.color(QPalette::Highlight));
        painter.setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        // Trailing blanks count: values end in one column whatever their mark.
        const std::string_view text = lines_.Line(i);
        const ShapedRow& shaped = Shaped(text);
        const int baseline = top + ascent;
        if (shaped.width <= available) {
            for (const QGlyphRun& run : shaped.glyphs)
                painter.drawGlyphRun(QPointF(right - shaped.width, baseline), run);
            continue;
        }
        painter.save();
        painter.translate(Margin, 0);
        painter.scale(static_cast<double>(available) / shaped.width, 1.0);
        painter.drawText(0, baseline, Latin1(text));
        painter.restore();
    }
    // The insertion point's line is framed while the keys move it (the selection is not drawn).
    if (hasFocus()) {
        if (const QRect row = LineRect(caret_); !row.isEmpty()) {
            painter.setPen(QPen(pal.color(QPalette::Text), 1, Qt::DotLine));
            painter.drawRect(row.adjusted(1, 0, -2, -1));
        }
    }
}

void TapeView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TapeView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void TapeView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void TapeView::scrollContentsBy(int, int)
{
    // Rows are repainted, never moved: a burst of appends then costs one paint, not a scroll each.
    viewport()->update();
}

void TapeView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LayoutDirectionChange)
        ForgetShapes();
    if (event->type() == QEvent::FontChange)
        UpdateScrollRange();
}

void TapeView::MoveCaret(std::size_t line, bool extend, bool tell)
{
    if (lines_.Empty())
        return;
    const std::size_t from = caret_;
    caret_ = std::min(line, lines_.Count() - 1);
    // Shift extends the selection there is, or selects from the insertion point.
    if (!extend)
        anchor_ = caret_;
    else if (!selected_)
        anchor_ = from;
    selected_ = true;
    ShowInsertionPoint();
    viewport()->update();
    if (tell && QAccessible::isActive()) {
        // A screen reader reads the line the insertion point moved to.
        QAccessibleTextCursorEvent event(this, Clamped(lines_.JoinedStart(caret_)));
        QAccessible::updateAccessibility(&event);
    }
}

void TapeView::SetCaretLine(std::size_t line)
{
    // Set before the focus arrives, which reads the line: a move told now would take its place.
    MoveCaret(line, false, false);
}

void TapeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !lines_.Empty())
        MoveCaret(LineAt(event->position().toPoint().y()), event->modifiers().testFlag(Qt::ShiftModifier));
    QAbstractScrollArea::mousePressEvent(event);
}

void TapeView::mouseMoveEvent(QMouseEvent* event)
{
    // Dragging past the top or bottom edge scrolls one line at a time.
    if (!event->buttons().testFlag(Qt::LeftButton) || lines_.Empty())
        return;
    const int y = event->position().toPoint().y();
    const std::size_t first = FirstVisibleLine();
    if (y < 0)
        MoveCaret(first == 0 ? 0 : first - 1, true);
    else if (y >= viewport()->height())
        MoveCaret(first + static_cast<std::size_t>(RowsPerPage()), true);
    else
        MoveCaret(LineAt(y), true);
}

void TapeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !lines_.Empty())
        emit LineActivated(LineAt(event->position().toPoint().y()));
}

void TapeView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        if (selected_)
            QApplication::clipboard()->setText(SelectedText());
        return;
    }
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        RequestMenuAtCaret();
        return;
    }
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    const std::size_t page = static_cast<std::size_t>(RowsPerPage());
    const std::size_t last = lines_.Empty() ? 0 : lines_.Count() - 1;
    switch (event->key()) {
    case Qt::Key_Up:
        MoveCaret(caret_ == 0 ? 0 : caret_ - 1, extend);
        break;
    case Qt::Key_Down:
        MoveCaret(caret_ + 1, extend);
        break;
    case Qt::Key_PageUp:
        MoveCaret(caret_ > page ? caret_ - page : 0, extend);
        break;
    case Qt::Key_PageDown:
        MoveCaret(caret_ + page, extend);
        break;
    case Qt::Key_Home:
        MoveCaret(0, extend);
        break;
    case Qt::Key_End:
        MoveCaret(last, extend);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

bool TapeView::event(QEvent* event)
{
    // Qt places a keyboard's context menu at the widget's middle, which here is any line at all.
    if (event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard &&
        contextMenuPolicy() == Qt::CustomContextMenu) {
        RequestMenuAtCaret();
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void TapeView::RequestMenuAtCaret()
{
    if (contextMenuPolicy() != Qt::CustomContextMenu)
        return;
    ShowInsertionPoint();
    const QRect row = LineRect(caret_);
    // In the viewport's coordinates, as a click's request is.
    menuFromKeyboard_ = true;
    emit customContextMenuRequested(row.isEmpty() ? QPoint(viewport()->width() / 2, Margin)
                                                  : QPoint(row.left() + row.width() / 2, row.center().y()));
    menuFromKeyboard_ = false;
}

} // namespace ui
