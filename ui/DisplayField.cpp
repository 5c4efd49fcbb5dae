#include "ui/DisplayField.h"
#include "ui/PanelCache.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>
#include <mutex>

namespace ui {
namespace {

// The value as a number for the numeric value of assistive technology: the digits without their
// grouping commas. Texts that are no number (an error message, an empty display) have none.
QVariant Number(const QString& shown)
{
    QString digits = shown.trimmed();
    digits.remove(QLatin1Char(','));
    bool ok = false;
    const double value = digits.toDouble(&ok);
    return ok ? QVariant(value) : QVariant();
}

// The display read-only, with its text and value; the selection is never drawn, so none is reported.
class DisplayAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleValueInterface
{
public:
    explicit DisplayAccessible(DisplayField* field) : QAccessibleWidget(field, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.editable = false;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Shown().trimmed();
        return QAccessibleWidget::text(t);
    }

    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return Field()->cursorPosition(); }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return Shown().mid(startOffset, std::max(0, endOffset - startOffset));
    }
    int characterCount() const override { return static_cast<int>(Shown().size()); }
    // The characters are right-aligned in the field's contents.
    QRect characterRect(int offset) const override
    {
        const QString shown = Shown();
        if (offset < 0 || offset >= shown.size())
            return {};
        const QFontMetrics metrics = Field()->fontMetrics();
        const QRect contents = Field()->contentsRect();
        const int left = contents.right() - metrics.horizontalAdvance(shown) +
                         metrics.horizontalAdvance(shown.left(offset));
        const QRect rect(left, contents.top(), metrics.horizontalAdvance(shown.at(offset)),
                         contents.height());
        return QRect(Field()->mapToGlobal(rect.topLeft()), rect.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return Field()->cursorPositionAt(Field()->mapFromGlobal(point));
    }
    void scrollToSubstring(int, int) override {}
    // One run of the default attributes over the whole text (an empty run ends the reading early).
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    QVariant currentValue() const override { return Number(Shown()); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return {}; }
    QVariant minimumValue() const override { return {}; }
    QVariant minimumStepSize() const override { return {}; }

private:
    DisplayField* Field() const { return static_cast<DisplayField*>(widget()); }
    QString Shown() const { return Field()->text(); }
};

QAccessibleInterface* DisplayFactory(const QString&, QObject* object)
{
    if (auto* field = qobject_cast<DisplayField*>(object))
        return new DisplayAccessible(field);
    return nullptr;
}

} // namespace

DisplayField::DisplayField(QWidget* parent) : QLineEdit(parent)
{
    KeepPanelDrawn(this);
    setReadOnly(true);
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(DisplayFactory); });
    // An edit-field interface Qt made for the field before this factory applied gives way to ours.
    if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(this);
        iface != nullptr && dynamic_cast<DisplayAccessible*>(iface) == nullptr)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void DisplayField::Show(const QString& value)
{
    const bool changed = value != text();
    setText(value);
    if (changed) {
        QAccessibleValueChangeEvent event(this, value.trimmed());
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace ui
