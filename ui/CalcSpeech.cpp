// What a screen reader is told of the keys: each key's message said through the keyboard focus,
// and the keys while the tape has the focus.

#include "ui/Calc.h"
#include "ui/CalcShared.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "ui/DisplayField.h"
#include "ui/FocusSink.h"
#include "ui/TapeView.h"

namespace ui {

QString SpokenNumbers(QString text)
{
    for (qsizetype i = text.size() - 2; i > 0; --i) {
        const QChar c = text.at(i);
        if ((c == QLatin1Char(' ') || c == QChar(0xA0)) && text.at(i - 1).isDigit() &&
            text.at(i + 1).isDigit())
            text.remove(i, 1);
    }
    return text;
}

void TfrmMain::RunKey(engine::CalcKey key, bool typed)
{
    using engine::CalcKey;
    KeyKind kind = KeyKind::Other;
    switch (key) {
    case CalcKey::Equals:
    case CalcKey::SquareRoot:
    case CalcKey::Percent:
    case CalcKey::Reciprocal:
    case CalcKey::MR:
    case CalcKey::Subtotal:
        kind = KeyKind::Result;
        break;
    case CalcKey::GrandTotal: {
        const engine::CalcState& s = engine_.State();
        if (!s.Options.grandTotal || s.ErrorState)
            break;               // G does nothing then
        if (s.GrandTotalShown) { // a second G clears the register and leaves the display
            Running(KeyKind::Other, [&] { engine_.Press(key); });
            Say(QStringLiteral("Grand total clear"));
            return;
        }
        kind = KeyKind::Result;
        break;
    }
    case CalcKey::MC:
    case CalcKey::MS:
    case CalcKey::MAdd:
    case CalcKey::MSubtract:
        kind = KeyKind::Memory;
        break;
    default:
        if (typed && (key <= CalcKey::D9 || key == CalcKey::Decimal))
            kind = KeyKind::TypedEntry;
    }
    Running(kind, [&] { engine_.Press(key); });
}

void TfrmMain::Running(KeyKind kind, const std::function<void()>& action)
{
    running_ = kind;
    spokeThisKey_ = false;
    try {
        action();
    } catch (...) {
        running_ = KeyKind::Other;
        throw;
    }
    running_ = KeyKind::Other;
    // A result is said even where the display did not change (a total equal to the entry).
    if (kind == KeyKind::Result && !spokeThisKey_)
        Say(SpokenNumbers(memDisplayValue_->text().trimmed()));
}

void TfrmMain::Say(const QString& message)
{
    spokeThisKey_ = true;
    if (holdMessages_)
        heldMessage_ = message;
    else if (menuClosing_ && QApplication::focusWidget() == edtFocus_)
        edtFocus_->Hold(message); // read as the focus returns from the menu
    else
        edtFocus_->Say(message);
}

// Keys while the tape has the focus: the calculator's keys run as anywhere, and the focus returns to
// the display, where the screen reader reads what they did (what they had to say is held until the
// focus arrives, so that it is not said twice); the tape's own keys (the arrows, Page Up and Down,
// Home, End, Tab) move in it, and Esc returns to the display without clearing anything.
bool TfrmMain::TapeKeyPreview(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        edtFocus_->setFocus(Qt::OtherFocusReason);
        return true;
    }
    const platform::VirtualKey key =
        platform::VirtualKeyFromEvent(*e, QLatin1Char(engine_.State().DecimalChar));
    // F2, Insert and Delete on the line the tape shows selected: the line's own editor takes the focus.
    bool edited = false;
    Guarded([&] { edited = TapeEditKey(key, true); });
    if (edited)
        return true;
    bool ran = false;
    holdMessages_ = true;
    heldMessage_.clear();
    Guarded([&] { ran = FormShortCut(key) || MenuShortCut(key) || FormKeyDown(key); });
    holdMessages_ = false;
    if (!ran)
        return false;
    edtFocus_->setFocus(Qt::OtherFocusReason);
    if (!heldMessage_.isEmpty())
        edtFocus_->Hold(heldMessage_);
    return true;
}

// The line the tape's insertion point starts on when the focus arrives: the last total, else the last
// line.
std::size_t TfrmMain::LastTotalLine() const
{
    const TapeModel& lines = memTape_->Lines();
    for (std::size_t i = lines.Count(); i-- > 0;) {
        if (lines.Plain(i).ends_with(" ="))
            return i;
    }
    return lines.Empty() ? 0 : lines.Count() - 1;
}

} // namespace ui
