// The main window's check and correct: Correct Entry (F2), Delete Entry (Delete in the tape), Insert
// Entry (Insert), Add Note, each on a tape line, typed in place over the line; Undo and Redo in the
// Edit menu. The engine's TapeCorrections does the work; this shows it.

#include "ui/Calc.h"
#include "ui/CalcShared.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <utility>

#include "engine/RecordFile.h"
#include "engine/TextHelpers.h"
#include "platform/AtomicFile.h"
#include "ui/DialogService.h"
#include "ui/FocusSink.h"
#include "ui/KeptTape.h"
#include "ui/TapeView.h"

namespace ui {
namespace {

// The editor over a tape line: Enter takes what was typed, Esc (or the focus going elsewhere) drops it.
class LineEditor : public QLineEdit
{
public:
    LineEditor(QWidget* parent, std::function<void(bool)> finished)
        : QLineEdit(parent), finished_(std::move(finished))
    {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
            event->key() == Qt::Key_Escape) {
            Finish(event->key() != Qt::Key_Escape);
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        QLineEdit::focusOutEvent(event);
        Finish(false);
    }

private:
    void Finish(bool accepted)
    {
        if (auto f = std::exchange(finished_, nullptr))
            f(accepted);
    }

    std::function<void(bool)> finished_;
};

const QString InsertHint = QStringLiteral("+ 0");

// The record kept beside the kept tape: tape.rec beside tape.txt.
std::filesystem::path RecordFile()
{
    return std::filesystem::path(KeptTape::DefaultFile()).replace_extension(".rec");
}

// The lines the window put on the tape itself before the record knew them (a tape kept as text).
bool ShownBefore(const engine::CalcStep& step)
{
    return step.kind == engine::CalcStep::Kind::Text && step.text.empty() && step.lines > 0;
}

// Every line the engine tells, to compare a replayed record with the tape kept.
struct AllLines : engine::ICalcHost
{
    std::vector<std::string> lines;
    void SetDisplayText(std::string_view) override {}
    void AppendTapeLine(std::string_view line) override { lines.emplace_back(line); }
    void ShowMessage(engine::MessageKind, std::string_view) override {}
    void SetStatusText(std::string_view) override {}
    void ReportError(std::string_view) override {}
};

} // namespace

void TfrmMain::KeepRecord()
{
    if (!kept_)
        return;
    engine::KeptRecord record;
    record.locale = engine_.Locale();
    const TapeModel& lines = memTape_->Lines();
    record.lines = lines.Count();
    engine::TapeHash hash;
    for (std::size_t i = 0; i < lines.Count(); ++i)
        hash.Add(lines.Line(i));
    record.hash = hash.Value();
    record.start = engine_.RecordStart();
    record.steps = engine_.Record();
    record.notes = corrections_->Notes();
    record.marks = corrections_->Marks();
    try {
        platform::files::WriteFileAtomically(RecordFile(), engine::SerializeRecord(record), 0600, 0700);
    } catch (const std::exception& e) {
        // The tape itself is kept; without its record it is restored as text, not to be corrected.
        std::fprintf(stderr, "quorcalc: the kept tape's record (%s): %s\n", RecordFile().c_str(), e.what());
    }
}

void TfrmMain::RemoveRecord()
{
    std::error_code ec;
    std::filesystem::remove(RecordFile(), ec);
    try {
        for (const std::filesystem::path& copy : platform::files::SetAsideCopies(RecordFile()))
            std::filesystem::remove(copy, ec);
        platform::files::RemoveTemporaries(RecordFile());
    } catch (const std::system_error&) {
    }
}

bool TfrmMain::RestoreRecord(const TapeModel& restored)
{
    std::ifstream in(RecordFile(), std::ios::binary);
    if (!in)
        return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::optional<engine::KeptRecord> record = engine::ParseRecord(text);
    if (!record) {
        try {
            const std::filesystem::path copy =
                platform::files::SetAside(RecordFile(), platform::files::SetAsideHow::Rename);
            const QString said =
                QStringLiteral("The kept tape's record was damaged and is kept as %1: the tape "
                               "before the restart cannot be corrected.")
                    .arg(QString::fromStdString(copy.string()));
            std::fprintf(stderr, "quorcalc: %s\n", said.toLocal8Bit().constData());
            statusBar_->showMessage(said);
        } catch (const std::exception&) {
        }
        return false;
    }
    // The record must make the very tape kept (a crash may have kept lines after the record's last
    // writing), in the locale of this run.
    engine::TapeHash hash;
    for (std::size_t i = 0; i < restored.Count(); ++i)
        hash.Add(restored.Line(i));
    if (record->locale != engine_.Locale() || record->lines != restored.Count() ||
        record->hash != hash.Value())
        return false;
    AllLines host;
    engine::CalcEngine replayed(host, engine_.Locale(), record->start);
    for (const engine::CalcStep& step : record->steps)
        replayed.Replay(step);
    if (host.lines.size() != restored.Count())
        return false;
    TapeModel lines;
    std::size_t i = 0;
    for (const engine::CalcStep& step : replayed.Record()) {
        for (std::uint32_t k = 0; k < step.lines; ++k, ++i) {
            const std::string_view plain =
                ShownBefore(step) ? restored.Line(i) : std::string_view(host.lines[i]);
            const engine::TapeLineKey key{step.id, k};
            const auto note = record->notes.find(key);
            const engine::LineDecoration decoration{
                note == record->notes.end() ? std::string() : note->second, record->marks.contains(key)};
            const std::string shown = engine::DecoratedLine(plain, decoration);
            if (shown != restored.Line(i))
                return false;
            if (decoration == engine::LineDecoration{})
                lines.Append(plain);
            else
                lines.AppendDecorated(shown, plain);
        }
    }
    memTape_->SetLines(std::move(lines));
    engine_.Adopt(replayed.State(), record->start, replayed.Record());
    corrections_->Restore(std::move(record->notes), std::move(record->marks));
    return true;
}

void TfrmMain::CreateCorrectionItems(QMenu* tapeMenu)
{
    // The key (a shortcut value) is drawn beside the caption; TapeEditKey runs it.
    const auto add = [&](const char* name, const QString& caption, int key, auto handler) {
        QAction* a = tapeMenu->addAction(caption, this, [this, handler] { Guarded([&] { handler(); }); });
        a->setObjectName(QString::fromLatin1(name));
        if (key != 0)
            a->setShortcut(platform::ShortcutSequence(key));
        return a;
    };
    tapeMenu->addSeparator();
    QAction* correct = add("mnuTapeCorrectEntry", QStringLiteral("Correct &Entry"), platform::vk::F2,
                           [this] { BeginTapeEdit(TapeEdit::Correct, tapeMenuLine_); });
    QAction* remove = add("mnuTapeDeleteEntry", QStringLiteral("&Delete Entry"), platform::vk::Delete,
                          [this] { DeleteTapeEntry(tapeMenuLine_); });
    QAction* insert = add("mnuTapeInsertEntry", QStringLiteral("&Insert Entry..."), platform::vk::Insert,
                          [this] { BeginTapeEdit(TapeEdit::Insert, tapeMenuLine_); });
    QAction* note = add("mnuTapeAddNote", QStringLiteral("Add &Note..."), 0,
                        [this] { BeginTapeEdit(TapeEdit::Note, tapeMenuLine_); });
    mnuTapeEditMode_ = add("mnuTapeEditMode", QStringLiteral("Edit &Mode"), 0, [] {});
    mnuTapeEditMode_->setCheckable(true);
    connect(tapeMenu, &QMenu::aboutToShow, this, [=, this] {
        const bool entry = !memTape_->Lines().Empty() && corrections_->IsEntryLine(tapeMenuLine_);
        for (QAction* a : {correct, remove, insert})
            a->setEnabled(entry);
        note->setEnabled(!memTape_->Lines().Empty());
    });
}

std::optional<std::size_t> TfrmMain::SelectedTapeLine() const
{
    if (!memTape_->HasSelection() || memTape_->Lines().Empty())
        return std::nullopt;
    return memTape_->CaretLine();
}

bool TfrmMain::TapeEditKey(const platform::VirtualKey& key, bool tapeFocused)
{
    using platform::vk::F2;
    if (key.shift || key.ctrl || key.alt ||
        (key.code != F2 && key.code != platform::vk::Insert &&
         (key.code != platform::vk::Delete || !tapeFocused)))
        return false;
    const std::optional<std::size_t> line = SelectedTapeLine();
    if (!line || !corrections_->IsEntryLine(*line))
        return key.code != platform::vk::Delete; // Delete on another line clears the entry, as ever
    if (key.code == platform::vk::Delete)
        DeleteTapeEntry(*line);
    else
        BeginTapeEdit(key.code == F2 ? TapeEdit::Correct : TapeEdit::Insert, *line);
    return true;
}

void TfrmMain::TapeLineActivated(std::size_t line)
{
    if (mnuTapeEditMode_->isChecked() && corrections_->IsEntryLine(line))
        BeginTapeEdit(TapeEdit::Correct, line);
    else
        UseTapeLine(line);
}

void TfrmMain::BeginTapeEdit(TapeEdit what, std::size_t line)
{
    if (tapeEditor_ != nullptr || line >= memTape_->Lines().Count())
        return;
    if (what != TapeEdit::Note && !corrections_->IsEntryLine(line))
        return;
    memTape_->SetCaretLine(line);
    tapeEdit_ = what;
    tapeEditLine_ = line;
    tapeEditor_ = new LineEditor(memTape_->viewport(), [this](bool accepted) {
        // After the event that finished it: the editor goes once its own handling is over.
        QMetaObject::invokeMethod(
            this, [this, accepted] { FinishTapeEdit(accepted); }, Qt::QueuedConnection);
    });
    tapeEditor_->setObjectName(QStringLiteral("edtTapeLine"));
    tapeEditor_->setFont(memTape_->font());
    // The tape hides its selection; the editor shows what typing will replace.
    QPalette shown = tapeEditor_->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        shown.setColor(group, QPalette::Highlight, palette().color(group, QPalette::Highlight));
        shown.setColor(group, QPalette::HighlightedText, palette().color(group, QPalette::HighlightedText));
    }
    tapeEditor_->setPalette(shown);
    tapeEditor_->setAlignment(Qt::AlignRight);
    tapeEditor_->setFrame(false);
    QString text;
    if (what == TapeEdit::Correct) {
        tapeEditor_->setAccessibleName(QStringLiteral("Correct entry"));
        text = Latin1(engine::TapeLineNumber(memTape_->Lines().Plain(line)).value_or(std::string_view()));
    } else if (what == TapeEdit::Insert) {
        tapeEditor_->setAccessibleName(
            QStringLiteral("Insert entry before this line: an operator and a number"));
        tapeEditor_->setPlaceholderText(InsertHint);
    } else {
        tapeEditor_->setAccessibleName(QStringLiteral("Note"));
        const auto notes = corrections_->Decorations();
        const auto found = notes.find(line);
        text = found == notes.end() ? QString() : Latin1(found->second.note);
    }
    // Over its line exactly (the line edit's own height covered half the next line).
    tapeEditor_->setTextMargins(0, 0, 0, 0);
    tapeEditor_->setContentsMargins(0, 0, 0, 0);
    tapeEditor_->setGeometry(memTape_->LineRect(line));
    tapeEditor_->show();
    // Focused before its text is put in and selected (and before its length is limited, which puts
    // the text in again): a screen reader then says which editor it is. Told of the text first, Orca
    // took the editor as the focus without a word, and read only "3 selected".
    tapeEditor_->setFocus(Qt::OtherFocusReason);
    if (what == TapeEdit::Note)
        tapeEditor_->setMaxLength(40);
    tapeEditor_->setText(text);
    tapeEditor_->selectAll();
}

void TfrmMain::FinishTapeEdit(bool accepted)
{
    if (tapeEditor_ == nullptr)
        return;
    const QString typed = tapeEditor_->text().trimmed();
    tapeEditor_->hide();
    tapeEditor_->deleteLater();
    tapeEditor_ = nullptr;
    // The display takes the focus back once the edit is done, and what it has to say waits for it: a
    // screen reader reads the new result once, as the focus arrives (it was read with the focus, then
    // again as said).
    holdMessages_ = true;
    heldMessage_.clear();
    const auto back = [this] {
        if (!std::exchange(holdMessages_, false))
            return;
        edtFocus_->setFocus(Qt::OtherFocusReason);
        if (!heldMessage_.isEmpty())
            edtFocus_->Hold(heldMessage_);
    };
    if (accepted)
        FinishAcceptedEdit(typed, back);
    back();
}

void TfrmMain::FinishAcceptedEdit(const QString& typed, const std::function<void()>& back)
{
    Guarded([&] {
        if (tapeEdit_ == TapeEdit::Note) {
            // The tape holds Latin-1 text: a character beyond it is refused, never printed as "?".
            const QList<uint> characters = typed.toUcs4();
            if (const auto beyond =
                    std::find_if(characters.begin(), characters.end(), [](uint c) { return c > 0xFF; });
                beyond != characters.end()) {
                back();
                FormKeyUp();
                spokeThisKey_ = true;
                Dialogs().Box(
                    this, BoxKind::Information, Latin1(engine::CaptionOf(engine::MessageKind::Information)),
                    QStringLiteral("\"%1\" cannot be printed on the tape: the note was not changed.")
                        .arg(QString::fromUcs4(reinterpret_cast<const char32_t*>(&*beyond), 1)),
                    BoxButtons::Ok);
                return;
            }
            if (corrections_->SetNote(tapeEditLine_, typed.toLatin1().toStdString()))
                ShowRecomputed(
                    {memTape_->Lines().Count(), {}, statusPanel_->text().toLatin1().toStdString()});
            return;
        }
        std::optional<engine::Recomputed> done;
        if (tapeEdit_ == TapeEdit::Correct) {
            done = corrections_->Correct(tapeEditLine_, typed.toUtf8().toStdString());
        } else {
            // An operator first (+ when none is typed), then the number.
            QString number = typed;
            engine::BinaryOperator op = engine::BinaryOperator::Add;
            const QString ops = QStringLiteral("+-*/");
            if (!number.isEmpty() && ops.contains(number.front())) {
                op = static_cast<engine::BinaryOperator>(1 + ops.indexOf(number.front()));
                number = number.mid(1).trimmed();
            }
            done = corrections_->Insert(tapeEditLine_, op, number.toUtf8().toStdString());
        }
        if (!done) {
            back();
            ShowMessage(engine::MessageKind::Information,
                        "\"" + typed.toLatin1().toStdString() + "\" is not a number the keypad can type.");
            return;
        }
        Running(KeyKind::Result, [&] { ShowRecomputed(*done); });
    });
}

void TfrmMain::DeleteTapeEntry(std::size_t line)
{
    if (const std::optional<engine::Recomputed> done = corrections_->Delete(line))
        Running(KeyKind::Result, [&] { ShowRecomputed(*done); });
}

void TfrmMain::mnuEditUndoClick()
{
    if (const std::optional<engine::Recomputed> done = corrections_->Undo())
        Running(KeyKind::Result, [&] { ShowRecomputed(*done); });
}

void TfrmMain::mnuEditRedoClick()
{
    if (const std::optional<engine::Recomputed> done = corrections_->Redo())
        Running(KeyKind::Result, [&] { ShowRecomputed(*done); });
}

void TfrmMain::ShowRecomputed(const engine::Recomputed& recomputed)
{
    const std::map<std::size_t, engine::LineDecoration> decorations = corrections_->Decorations();
    const TapeModel& before = memTape_->Lines();
    // From the first line that changed or whose decoration may have: the tail is written anew.
    std::size_t from = std::min(recomputed.from, before.FirstDecorated());
    if (!decorations.empty())
        from = std::min(from, decorations.begin()->first);
    from = std::min(from, before.Count());
    std::vector<std::string> tail;
    for (std::size_t i = from; i < std::min(recomputed.from, before.Count()); ++i)
        tail.emplace_back(before.Plain(i));
    tail.insert(tail.end(), recomputed.lines.begin(), recomputed.lines.end());
    memTape_->ReplaceFrom(from, [&](TapeModel& lines) {
        for (std::size_t j = 0; j < tail.size(); ++j) {
            const auto decorated = decorations.find(from + j);
            if (decorated == decorations.end())
                lines.Append(tail[j]);
            else
                lines.AppendDecorated(engine::DecoratedLine(tail[j], decorated->second), tail[j]);
        }
    });
    SetStatusText(recomputed.status);
    ShowSwitches();
    if (kept_)
        kept_->Replaced(memTape_->Lines());
}

} // namespace ui
