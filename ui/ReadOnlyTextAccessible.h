#pragma once

#include <QAccessibleWidget>
#include <QString>

namespace ui {

// A widget as assistive technology reads it: one text, read whole, with a value beside it. Nothing
// in it can be selected, scrolled to or written from outside; the text is one run of the default
// attributes. The display and the focus sink are read so; each says what its text, value and
// state are.
class ReadOnlyTextAccessible : public QAccessibleWidget,
                               public QAccessibleTextInterface,
                               public QAccessibleValueInterface
{
public:
    ReadOnlyTextAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    void* interface_cast(QAccessible::InterfaceType type) override;

    using QAccessibleWidget::text;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override { return static_cast<int>(Text().size()); }
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    void setCursorPosition(int) override {}
    void scrollToSubstring(int, int) override {}
    void setCurrentValue(const QVariant&) override {}

protected:
    // The text read, as it is now.
    virtual QString Text() const = 0;
};

} // namespace ui
