#include "engine/Corrections.h"
#include "engine/PasteText.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace engine {
namespace {

using Kind = CalcStep::Kind;

// A step that typed or pasted the entry a line prints: an entry, a paste, or one of the keys that edit
// an entry recorded as a key (typed while an error showed, or typed by a correction).
bool IsEntryStep(const CalcStep& step)
{
    return step.kind == Kind::Entry || step.kind == Kind::Paste ||
           (step.kind == Kind::Key && IsEntryKey(step.key));
}

// An operator key that applies the pending operator to the entry it takes: its line ("3 +") shows the
// entry with that operator.
bool AppliesPending(const CalcStep& step)
{
    constexpr CalcKey keys[] = {CalcKey::Add,    CalcKey::Subtract, CalcKey::Multiply,
                                CalcKey::Divide, CalcKey::Equals,   CalcKey::Subtotal};
    return step.kind == Kind::Key && step.pendingBefore != BinaryOperator::None &&
           std::find(std::begin(keys), std::end(keys), step.key) != std::end(keys);
}

CalcKey KeyOf(BinaryOperator op)
{
    constexpr CalcKey keys[] = {CalcKey::Equals, CalcKey::Add, CalcKey::Subtract, CalcKey::Multiply,
                                CalcKey::Divide}; // in BinaryOperator order
    return keys[static_cast<std::size_t>(op)];
}

std::uint64_t Packed(TapeLineKey key)
{
    return (static_cast<std::uint64_t>(key.step) << 32) | key.line;
}

// The engine's host while a record is replayed: the tape's lines from a given step on, and the last
// memory indicator told.
struct Capture : ICalcHost
{
    bool collecting = false;
    std::vector<std::string> lines;
    std::optional<std::string> status;

    void SetDisplayText(std::string_view) override {}
    void AppendTapeLine(std::string_view line) override
    {
        if (collecting)
            lines.emplace_back(line);
    }
    void ShowMessage(MessageKind, std::string_view) override {}
    void SetStatusText(std::string_view text) override { status = std::string(text); }
    void ReportError(std::string_view) override {}
};

} // namespace

std::string DecoratedLine(std::string_view text, const LineDecoration& decoration)
{
    std::string out;
    if (!decoration.note.empty()) {
        out = decoration.note;
        out += NoteGap;
        // The note goes before the number, after the blanks a line may begin with.
        const std::size_t first = text.find_first_not_of(' ');
        out += first == std::string_view::npos ? std::string_view() : text.substr(first);
    } else {
        out = text;
    }
    if (decoration.changed)
        out += ChangedMark;
    return out;
}

TapeCorrections::TapeCorrections(CalcEngine& engine, std::function<std::string(std::size_t)> oldLine)
    : engine_(engine), oldLine_(std::move(oldLine))
{}

std::optional<TapeCorrections::Source> TapeCorrections::SourceOf(std::size_t line) const
{
    std::size_t first = 0;
    const std::vector<CalcStep>& record = engine_.Record();
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (line < first + record[i].lines)
            return Source{i, static_cast<std::uint32_t>(line - first)};
        first += record[i].lines;
    }
    return std::nullopt;
}

std::optional<std::pair<std::size_t, std::size_t>> TapeCorrections::EntryOf(std::size_t line) const
{
    const std::optional<Source> source = SourceOf(line);
    const std::vector<CalcStep>& record = engine_.Record();
    if (!source || source->line != 0 || !record[source->step].showsEntry)
        return std::nullopt;
    std::size_t runStart = source->step;
    for (std::size_t i = source->step; i-- > 0;) {
        if (IsEntryStep(record[i]))
            runStart = i;
        else if (record[i].kind != Kind::Options)
            break;
    }
    if (runStart == source->step)
        return std::nullopt;
    return std::pair(runStart, source->step);
}

bool TapeCorrections::IsEntryLine(std::size_t line) const
{
    return EntryOf(line).has_value();
}

std::optional<std::vector<CalcStep>> TapeCorrections::Typed(std::string_view text)
{
    // Read as a paste is: in either convention, grouped or not (the editor starts with the number as
    // the tape prints it, "1.234,5" where the comma is the decimal separator); the locale decides
    // only between the readings of "1.234" and "1,234". No key types an exponent.
    const std::optional<std::string> read = ReadPastedNumber(text, engine_.Locale());
    if (!read || read->find('E') != std::string::npos)
        return std::nullopt;
    std::string_view number = *read;
    const bool negative = number.starts_with('-');
    if (negative)
        number.remove_prefix(1);
    // The keys that type it, checked on an engine of their own: digits and one decimal point, no
    // more than the keypad takes.
    std::vector<CalcStep> keys;
    for (const char c : number) {
        if (c >= '0' && c <= '9')
            keys.push_back(
                MakeStep(Kind::Key, static_cast<CalcKey>(static_cast<int>(CalcKey::D0) + (c - '0'))));
        else if (c == engine_.Locale().decimal)
            keys.push_back(MakeStep(Kind::Key, CalcKey::Decimal));
        else
            return std::nullopt;
    }
    Capture host;
    CalcEngine typing(host, engine_.Locale());
    for (const CalcStep& key : keys)
        typing.Press(key.key);
    const std::vector<CalcStep>& typed = typing.Record();
    if (typed.size() != 1 || !typed[0].notices.empty() ||
        typed[0].text.find_first_of("0123456789") == std::string::npos)
        return std::nullopt;
    if (negative) {
        // No key types a minus into an entry (+/- prints a line): the number is pasted, as typed.
        keys = {MakeStep(Kind::Paste, CalcKey::C, "-" + typing.RemoveCommas(typed[0].text))};
    }
    for (CalcStep& key : keys)
        key.id = engine_.NewStepId();
    return keys;
}

Recomputed TapeCorrections::Recompute(std::vector<CalcStep> record, std::size_t from)
{
    Capture host;
    CalcEngine replayed(host, engine_.Locale(), engine_.RecordStart());
    Recomputed out;
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (i == from) {
            host.collecting = true;
            out.from = [&] {
                std::size_t lines = 0;
                for (std::size_t j = 0; j < i; ++j)
                    lines += replayed.Record()[j].lines;
                return lines;
            }();
        }
        replayed.Replay(record[i]);
    }
    if (from >= record.size()) {
        for (const CalcStep& step : replayed.Record())
            out.from += step.lines;
    }
    out.lines = std::move(host.lines);
    const std::string& memory = replayed.RecordStart().MemoryText;
    out.status = host.status     ? *host.status
                 : memory == "0" ? std::string()
                                 : std::string(texts::MemoryPrefix) + replayed.Shown(memory);
    engine_.Adopt(replayed.State(), engine_.RecordStart(), replayed.Record());
    return out;
}

Recomputed TapeCorrections::Splice(Edit& edit, bool forward)
{
    const std::vector<CalcStep>& before = engine_.Record();
    const std::size_t takenOut = forward ? edit.removed.size() : edit.occupied;
    const std::vector<CalcStep>& putIn = forward ? edit.inserted : edit.removed;
    const std::size_t kept = before.size() - takenOut;

    // The present lines from the edit on, by their keys, to find the ones the edit changes.
    std::size_t firstLine = 0;
    for (std::size_t i = 0; i < edit.at; ++i)
        firstLine += before[i].lines;
    std::unordered_map<std::uint64_t, std::size_t> oldLines;
    for (std::size_t i = edit.at, line = firstLine; i < before.size(); ++i) {
        for (std::uint32_t k = 0; k < before[i].lines; ++k)
            oldLines.emplace(Packed({before[i].id, k}), line++);
    }

    std::vector<CalcStep> record;
    record.reserve(kept + putIn.size());
    record.insert(record.end(), before.begin(), before.begin() + static_cast<std::ptrdiff_t>(edit.at));
    record.insert(record.end(), putIn.begin(), putIn.end());
    record.insert(record.end(), before.begin() + static_cast<std::ptrdiff_t>(edit.at + takenOut),
                  before.end());
    Recomputed out = Recompute(std::move(record), edit.at);
    if (forward)
        edit.occupied = engine_.Record().size() - kept;

    if (!forward) {
        for (const TapeLineKey& key : edit.marked)
            marks_.erase(key);
        return out;
    }
    // Every line whose text the edit changed, and every new line, is marked.
    const std::vector<CalcStep>& after = engine_.Record();
    std::size_t line = out.from;
    for (std::size_t i = edit.at; i < after.size(); ++i) {
        for (std::uint32_t k = 0; k < after[i].lines; ++k, ++line) {
            const TapeLineKey key{after[i].id, k};
            const auto old = oldLines.find(Packed(key));
            const bool changed = old == oldLines.end() || oldLine_(old->second) != out.lines[line - out.from];
            if (changed && marks_.insert(key).second)
                edit.marked.push_back(key);
        }
    }
    return out;
}

std::optional<Recomputed> TapeCorrections::Apply(Edit edit)
{
    redo_.clear();
    Recomputed out = Splice(edit, true);
    undo_.push_back(std::move(edit));
    return out;
}

std::optional<Recomputed> TapeCorrections::Correct(std::size_t line, std::string_view number)
{
    const auto entry = EntryOf(line);
    std::optional<std::vector<CalcStep>> typed = Typed(number);
    if (!entry || !typed)
        return std::nullopt;
    const std::vector<CalcStep>& record = engine_.Record();
    // The run of entries and pastes becomes the number typed; switches changed among them stay.
    Edit edit;
    edit.at = entry->first;
    edit.removed.assign(record.begin() + static_cast<std::ptrdiff_t>(entry->first),
                        record.begin() + static_cast<std::ptrdiff_t>(entry->second));
    for (const CalcStep& step : edit.removed) {
        if (step.kind == Kind::Options)
            edit.inserted.push_back(step);
    }
    edit.inserted.insert(edit.inserted.end(), typed->begin(), typed->end());
    return Apply(std::move(edit));
}

std::optional<Recomputed> TapeCorrections::Delete(std::size_t line)
{
    const auto entry = EntryOf(line);
    if (!entry)
        return std::nullopt;
    const std::vector<CalcStep>& record = engine_.Record();
    // The entry goes with the operator applied to it: the pending one of a line such as "3 +" (its
    // key stays, to set the operator for the next entry); else the key that took it (the first number
    // of a calculation, a function, a non-add number).
    const std::size_t end = AppliesPending(record[entry->second]) ? entry->second : entry->second + 1;
    Edit edit;
    edit.at = entry->first;
    edit.removed.assign(record.begin() + static_cast<std::ptrdiff_t>(entry->first),
                        record.begin() + static_cast<std::ptrdiff_t>(end));
    for (const CalcStep& step : edit.removed) {
        if (step.kind == Kind::Options) // switches changed among them stay
            edit.inserted.push_back(step);
    }
    return Apply(std::move(edit));
}

std::optional<Recomputed> TapeCorrections::Insert(std::size_t line, BinaryOperator op,
                                                  std::string_view number)
{
    const auto entry = EntryOf(line);
    std::optional<std::vector<CalcStep>> typed = Typed(number);
    if (!entry || !typed || op == BinaryOperator::None)
        return std::nullopt;
    const BinaryOperator pending = engine_.Record()[entry->second].pendingBefore;
    auto key = [this](BinaryOperator o) {
        CalcStep step = MakeStep(Kind::Key, KeyOf(o));
        step.id = engine_.NewStepId();
        return step;
    };
    Edit edit;
    edit.at = entry->first;
    if (pending != BinaryOperator::None) {
        // The operator goes before the new number, and the one pending before the line's entry after it.
        edit.inserted = {key(op)};
        edit.inserted.insert(edit.inserted.end(), typed->begin(), typed->end());
        edit.inserted.push_back(key(pending));
    } else {
        // Before the first number of a calculation: the new number is the first, `op` applies to the next.
        edit.inserted = std::move(*typed);
        edit.inserted.push_back(key(op));
    }
    return Apply(std::move(edit));
}

bool TapeCorrections::SetNote(std::size_t line, std::string_view note)
{
    const std::optional<Source> source = SourceOf(line);
    if (!source)
        return false;
    Edit edit;
    edit.note = TapeLineKey{engine_.Record()[source->step].id, source->line};
    const auto found = notes_.find(*edit.note);
    edit.noteBefore = found == notes_.end() ? std::string() : found->second;
    edit.noteAfter = note;
    if (edit.noteAfter == edit.noteBefore)
        return true;
    PutNote(*edit.note, edit.noteAfter);
    redo_.clear();
    undo_.push_back(std::move(edit));
    return true;
}

Recomputed TapeCorrections::PutNote(const TapeLineKey& key, const std::string& note)
{
    if (note.empty())
        notes_.erase(key);
    else
        notes_[key] = note;
    Recomputed out;
    for (const CalcStep& step : engine_.Record())
        out.from += step.lines;
    return out;
}

std::optional<Recomputed> TapeCorrections::Undo()
{
    if (undo_.empty())
        return std::nullopt;
    Edit edit = std::move(undo_.back());
    undo_.pop_back();
    const Recomputed out = edit.note ? PutNote(*edit.note, edit.noteBefore) : Splice(edit, false);
    redo_.push_back(std::move(edit));
    return out;
}

std::optional<Recomputed> TapeCorrections::Redo()
{
    if (redo_.empty())
        return std::nullopt;
    Edit edit = std::move(redo_.back());
    redo_.pop_back();
    if (!edit.note)
        edit.marked.clear();
    const Recomputed out = edit.note ? PutNote(*edit.note, edit.noteAfter) : Splice(edit, true);
    undo_.push_back(std::move(edit));
    return out;
}

std::map<std::size_t, LineDecoration> TapeCorrections::Decorations() const
{
    std::map<std::size_t, LineDecoration> out;
    if (notes_.empty() && marks_.empty())
        return out;
    std::size_t line = 0;
    for (const CalcStep& step : engine_.Record()) {
        for (std::uint32_t k = 0; k < step.lines; ++k, ++line) {
            const TapeLineKey key{step.id, k};
            const auto note = notes_.find(key);
            const bool changed = marks_.contains(key);
            if (note != notes_.end() || changed)
                out[line] = {note == notes_.end() ? std::string() : note->second, changed};
        }
    }
    return out;
}

void TapeCorrections::Cleared()
{
    undo_.clear();
    redo_.clear();
    notes_.clear();
    marks_.clear();
    engine_.StartNewRecord();
}

void TapeCorrections::Restore(std::map<TapeLineKey, std::string> notes, std::set<TapeLineKey> marks)
{
    notes_ = std::move(notes);
    marks_ = std::move(marks);
}

} // namespace engine
