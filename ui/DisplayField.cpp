#include "ui/DisplayField.h"
#include "ui/PanelCache.h"
#include "ui/ReadOnlyTextAccessible.h"

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
class DisplayAccessible : public ReadOnlyTextAccessible
{
public:
    explicit DisplayAccessible(DisplayField* field) : ReadOnlyTextAccessible(field, QAccessible::EditableText)
    {}

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.editable = false;
        return s;
    }

    using ReadOnlyTextAccessible::text;
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Shown().trimmed();
        return QAccessibleWidget::text(t);
    }

    int cursorPosition() const override { return Field()->cursorPosition(); }
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

    QVariant currentValue() const override { return Number(Shown()); }
    QVariant maximumValue() const override { return {}; }
    QVariant minimumValue() const override { return {}; }
    QVariant minimumStepSize() const override { return {}; }

protected:
    QString Text() const override { return Shown(); }

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
