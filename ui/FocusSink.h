#pragma once
// The keyboard focus sink: a one-pixel edit field that holds the focus so that every typed key
// reaches the window's key handlers. Characters that reach it are inserted as into any edit field,
// but it keeps only the last few: its text is never read, and a text that grew all day would be
// laid out and repainted again at every key.

#include <QLineEdit>

namespace ui {

class FocusSink : public QLineEdit
{
    Q_OBJECT

public:
    // The most characters the sink holds; beyond it, only the last one typed is kept.
    static constexpr int MaxKept = 32;

    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace ui
