#include "ui/FocusSink.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <mutex>

namespace ui {
namespace {

// The sink as a screen reader sees it: named by the display's value, described as the display,
// without the text interface of an edit field (whose text would be the keys typed).
class SinkAccessible : public QAccessibleWidget
{
public:
    explicit SinkAccessible(FocusSink* sink) : QAccessibleWidget(sink, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
        case QAccessible::Value:
            return static_cast<const FocusSink*>(widget())->Presented();
        case QAccessible::Description:
            return QStringLiteral("Display");
        default:
            return QAccessibleWidget::text(t);
        }
    }
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
}

void FocusSink::Present(const QString& value)
{
    if (value == presented_)
        return;
    presented_ = value;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void FocusSink::keyPressEvent(QKeyEvent* event)
{
    QLineEdit::keyPressEvent(event);
    if (text().size() > MaxKept)
        setText(text().right(1));
}

} // namespace ui
