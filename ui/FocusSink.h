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

    explicit FocusSink(QWidget* parent = nullptr);

    // What assistive technology hears of the sink, which holds the keyboard focus all the time: the
    // display's value, announced as it changes. The characters typed into it are not exposed.
    void Present(const QString& value);
    const QString& Presented() const { return presented_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString presented_;
};

} // namespace ui
