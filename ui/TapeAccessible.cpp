#include "ui/TapeAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <mutex>

#include "ui/TapeView.h"

namespace ui {
namespace {

int Clamped(std::size_t n)
{
    return static_cast<int>(std::min<std::size_t>(n, INT_MAX));
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

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !Tape()->HasSelection())
            return;
        const TapeModel& lines = Tape()->Lines();
        const std::size_t last = Tape()->SelectionLast();
        *startOffset = Clamped(lines.JoinedStart(Tape()->SelectionFirst()));
        *endOffset = Clamped(lines.JoinedStart(last) + lines.Line(last).size());
    }
    int selectionCount() const override { return Tape()->HasSelection() ? 1 : 0; }
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
        const std::string text = Tape()->Lines().Joined(static_cast<std::size_t>(startOffset),
                                                        static_cast<std::size_t>(endOffset), '\n');
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
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
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    TapeView* Tape() const { return static_cast<TapeView*>(widget()); }
};

QAccessibleInterface* TapeFactory(const QString&, QObject* object)
{
    if (auto* tape = qobject_cast<TapeView*>(object))
        return new TapeAccessible(tape);
    return nullptr;
}

} // namespace

void InstallTapeAccessible()
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(TapeFactory); });
}

} // namespace ui
