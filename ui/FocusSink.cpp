#include "ui/FocusSink.h"

namespace ui {

void FocusSink::keyPressEvent(QKeyEvent* event)
{
    QLineEdit::keyPressEvent(event);
    if (text().size() > MaxKept)
        setText(text().right(1));
}

} // namespace ui
