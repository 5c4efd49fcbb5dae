#pragma once
// The keyboard focus sink: a one-pixel edit field that holds the focus so that every typed key
// reaches the window's key handlers. Characters that reach it are inserted as into any edit field,
// but it keeps only the last few: its text is never read, and a text that grew all day would be
// laid out and repainted again at every key. Editing keys (Backspace, Delete, the arrows) do
// nothing in it: the calculator has taken them already.
//
// A screen reader meets it as the display, since the keys go there: a text described as "Display"
// that reads the display's value, never the characters typed into it. What the program has to say
// (a result, an error, the memory's value) becomes its text, and its value counts what was said:
// a screen reader speaks the focused object's text when its value changes.

#include <QLineEdit>

namespace ui {

class FocusSink : public QLineEdit
{
    Q_OBJECT

public:
    // The most characters the sink holds; beyond it, only the last one typed is kept.
    static constexpr int MaxKept = 32;

    explicit FocusSink(QWidget* parent = nullptr);

    // The display's value; it becomes what the sink reads, without being said.
    void Show(const QString& value);
    // Says `message` now (the sink reads it until the display's value changes or the focus comes
    // back).
    void Say(const QString& message);
    // Makes `message` what the sink reads without saying it: the focus arriving reads it.
    void Hold(const QString& message) { said_ = message; }

    // What a screen reader reads, and how many messages were said.
    const QString& Said() const { return said_; }
    int SaidCount() const { return saidCount_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QString value_;
    QString said_;
    int saidCount_ = 0;
};

} // namespace ui
