#pragma once
// The display: a read-only edit field showing the value. Assistive technology reads the value as
// the field's value and text, and is told each time it changes.

#include <QLineEdit>

namespace ui {

class DisplayField : public QLineEdit
{
    Q_OBJECT

public:
    explicit DisplayField(QWidget* parent = nullptr);

    // Shows `value`; a different value is announced as the field's new value.
    void Show(const QString& value);
};

} // namespace ui
