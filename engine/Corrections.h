#pragma once
// Check and correct: an entry on the tape corrected, deleted, or a new one inserted before it, and
// every later figure recomputed by replaying the engine's record; notes on lines; undo and redo.
//
// A tape line is known by the step that printed it and its place among that step's lines (a
// TapeLineKey), which stays the same when the lines before it change. The lines a correction changed
// are marked, and keep the mark until it is undone or the tape cleared; a line's note is kept through
// every recomputation.

#include <compare>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/CalcEngine.h"

namespace engine {

struct TapeLineKey
{
    std::uint32_t step = 0; // the step's id
    std::uint32_t line = 0; // among its lines

    friend auto operator<=>(const TapeLineKey&, const TapeLineKey&) = default;
};

// What a recomputation made of the tape: its lines from `from` on (those before it are unchanged),
// and the memory indicator afterwards.
struct Recomputed
{
    std::size_t from = 0;
    std::vector<std::string> lines;
    std::string status;
};

// What a line shows beside its text.
struct LineDecoration
{
    std::string note; // before the number
    bool changed = false;

    friend bool operator==(const LineDecoration&, const LineDecoration&) = default;
};

// The mark after a line a correction changed, and the blanks between a note and the line.
inline constexpr std::string_view ChangedMark = " !";
inline constexpr std::string_view NoteGap = "  ";

// The line as shown, copied, saved and printed: note, text, mark.
std::string DecoratedLine(std::string_view text, const LineDecoration& decoration);

class TapeCorrections
{
public:
    // `engine` is the calculator whose record is the tape's; `oldLine` gives the tape's present lines
    // (to find the ones a correction changes).
    TapeCorrections(CalcEngine& engine, std::function<std::string(std::size_t)> oldLine);

    // Whether the line prints an entry (a number typed or pasted) that can be corrected, deleted or
    // have one inserted before it.
    bool IsEntryLine(std::size_t line) const;

    // The edits; each recomputes the tape from the edited entry on, and is nothing (no change at all)
    // where the line is no entry line or the number is no number the keypad could type (digits, the
    // decimal separator or a point, grouping characters, a leading minus; 18 digits at most).
    std::optional<Recomputed> Correct(std::size_t line, std::string_view number);
    std::optional<Recomputed> Delete(std::size_t line);
    // `op` is applied to the new number, which comes before the line's entry.
    std::optional<Recomputed> Insert(std::size_t line, BinaryOperator op, std::string_view number);

    // A note on any line (empty removes it); false for a line beyond the tape.
    bool SetNote(std::size_t line, std::string_view note);

    // The session's edits, last first; nothing when there is none.
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    std::optional<Recomputed> Undo();
    std::optional<Recomputed> Redo();

    // The decorated lines (a note or the mark), by line number.
    std::map<std::size_t, LineDecoration> Decorations() const;
    // The tape was cleared: no edits to undo, no notes, no marks; the record begins again.
    void Cleared();

    // Kept between runs with the record: every note and mark.
    const std::map<TapeLineKey, std::string>& Notes() const { return notes_; }
    const std::set<TapeLineKey>& Marks() const { return marks_; }
    void Restore(std::map<TapeLineKey, std::string> notes, std::set<TapeLineKey> marks);

private:
    // One undoable edit: steps spliced into the record, or a note changed.
    struct Edit
    {
        std::size_t at = 0;
        std::vector<CalcStep> removed, inserted;
        std::size_t occupied = 0; // steps the inserted ones became in the record (typed keys, one entry)
        std::vector<TapeLineKey> marked; // marks the edit added
        std::optional<TapeLineKey> note;
        std::string noteBefore, noteAfter;
    };
    struct Source
    {
        std::size_t step;   // index in the record
        std::uint32_t line; // among its lines
    };

    std::optional<Source> SourceOf(std::size_t line) const;
    // The entry the line prints: the first step of the run of entries and pastes before it, and the
    // step that printed the line.
    std::optional<std::pair<std::size_t, std::size_t>> EntryOf(std::size_t line) const;
    // The steps that type the number `text` writes, read as a paste is, on the keypad (a negative one
    // is pasted); nothing where the keypad could not type it.
    std::optional<std::vector<CalcStep>> Typed(std::string_view text);
    // Splices the edit into the record (or, backwards, out of it) and recomputes; forwards it marks
    // the lines it changed, backwards it takes its marks away.
    Recomputed Splice(Edit& edit, bool forward);
    Recomputed Recompute(std::vector<CalcStep> record, std::size_t from);
    std::optional<Recomputed> Apply(Edit edit);
    // Sets a line's note (an empty one removes it); nothing is recomputed, the tape stays whole.
    Recomputed PutNote(const TapeLineKey& key, const std::string& note);

    CalcEngine& engine_;
    std::function<std::string(std::size_t)> oldLine_;
    std::vector<Edit> undo_, redo_;
    std::map<TapeLineKey, std::string> notes_;
    std::set<TapeLineKey> marks_;
};

} // namespace engine
