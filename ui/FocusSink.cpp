#include "ui/FocusSink.h"
#include "ui/PanelCache.h"
#include "ui/ReadOnlyTextAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <mutex>

namespace ui {
namespace {

// The sink as a screen reader sees it. An editable paragraph without a name: a screen reader then
// speaks only its text when its value changes, with neither a role nor "read only" before it,
// and says the description once, as the focus arrives.
class SinkAccessible : public ReadOnlyTextAccessible
{
public:
    explicit SinkAccessible(FocusSink* sink) : ReadOnlyTextAccessible(sink, QAccessible::Paragraph) {}

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        s.multiLine = false;
        return s;
    }

    using ReadOnlyTextAccessible::text;
    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return {};
        case QAccessible::Description:
            return QStringLiteral("Display");
        case QAccessible::Value:
            return Said();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    // The text: what was said last, read whole; the insertion point at its start.
    int cursorPosition() const override { return 0; }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }

    // The value counts the messages: each one is a change of value, which is what gets it spoken.
    QVariant currentValue() const override { return Sink()->SaidCount(); }
    QVariant maximumValue() const override { return {}; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

protected:
    QString Text() const override { return Said(); }

private:
    const FocusSink* Sink() const { return static_cast<const FocusSink*>(widget()); }
    const QString& Said() const { return Sink()->Said(); }
};

QAccessibleInterface* SinkFactory(const QString&, QObject* object)
{
    if (auto* sink = qobject_cast<FocusSink*>(object);
        sink != nullptr && object->metaObject() == &FocusSink::staticMetaObject)
        return new SinkAccessible(sink);
    return nullptr;
}

} // namespace

FocusSink::FocusSink(QWidget* parent) : QLineEdit(parent)
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(SinkFactory); });
    // An edit-field interface Qt made for the sink before it was one gives way to the sink's own.
    if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(this);
        iface != nullptr && dynamic_cast<SinkAccessible*>(iface) == nullptr)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
    // Nothing goes in from an input method, a paste or a drop either.
    setReadOnly(true);
    setAcceptDrops(false);
    // It lies under the display and is repainted with it at every key.
    KeepPanelDrawn(this);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void FocusSink::Show(const QString& value)
{
    value_ = value;
    said_ = value;
}

void FocusSink::Say(const QString& message)
{
    said_ = message;
    ++saidCount_;
    QAccessibleValueChangeEvent event(this, saidCount_);
    QAccessible::updateAccessibility(&event);
}

void FocusSink::paintEvent(QPaintEvent* event)
{
    // An edit field keeps two pixels free on either side of its text: one this narrow shows its
    // panel alone.
    if (width() > 4) {
        QLineEdit::paintEvent(event);
        return;
    }
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
}

void FocusSink::focusInEvent(QFocusEvent* event)
{
    said_ = value_; // the focus arriving reads the display's value
    QLineEdit::focusInEvent(event);
}

} // namespace ui
