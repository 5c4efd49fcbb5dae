#include "ui/ReadOnlyTextAccessible.h"

#include <algorithm>

namespace ui {

void* ReadOnlyTextAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString ReadOnlyTextAccessible::text(int startOffset, int endOffset) const
{
    return Text().mid(startOffset, std::max(0, endOffset - startOffset));
}

QString ReadOnlyTextAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    // One run over the whole text: an empty run ends a screen reader's reading early.
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

} // namespace ui
