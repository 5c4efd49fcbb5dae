#pragma once
// The keyboard focus sink: a one-pixel edit field that holds the focus so that every typed key
// reaches the window's key handlers. Its text is never read, and no key changes it: a screen reader
// would read out each character going in or out as the user's doing, at a moment of its own (a
// digit typed just before Enter was read after it), and a text that grew all day would be laid out
// and repainted again at every key.
//
// A screen reader meets it as the display, since the keys go there: a text described as "Display"
// that reads the display's value, never the characters typed into it. What the program has to say
// (a result, an error, the memory's value) becomes its text, and its value counts what was said:
// a screen reader speaks the focused object's text when its value changes.

#include <QKeyEvent>
#include <QLineEdit>

namespace ui {

class FocusSink : public QLineEdit
{
    Q_OBJECT

public:
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
    void keyPressEvent(QKeyEvent* event) override { event->accept(); }
    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString value_;
    QString said_;
    int saidCount_ = 0;
};

} // namespace ui
