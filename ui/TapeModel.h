#pragma once
// The history tape's lines, kept compactly: all characters in one buffer and the end of each line
// beside them (a million typical lines take about 25 MB). Lines are 8-bit text, appended at the end,
// cut back to a number of lines (a correction recomputes the lines after it) or cleared. A line may
// be shown decorated (a note before its number, the mark of a corrected figure): Line gives it as
// shown, Plain as the calculator wrote it.

#include <cstddef>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class TapeModel
{
public:
    TapeModel() = default;
    TapeModel(std::initializer_list<std::string_view> lines);

    void Append(std::string_view line);
    // A line shown as `shown` that the calculator wrote as `plain`.
    void AppendDecorated(std::string_view shown, std::string_view plain);
    void Clear();
    // Keeps the first `count` lines.
    void Truncate(std::size_t count);

    std::size_t Count() const { return ends_.size(); }
    bool Empty() const { return ends_.empty(); }
    // The line at `index` (< Count()) as shown; valid until the next Append, Truncate or Clear.
    std::string_view Line(std::size_t index) const;
    // The line as the calculator wrote it (without a note or mark).
    std::string_view Plain(std::size_t index) const;
    bool Decorated(std::size_t index) const { return plain_.contains(index); }
    // The first decorated line, Count() for none.
    std::size_t FirstDecorated() const { return plain_.empty() ? Count() : plain_.begin()->first; }
    // The characters of all lines, without separators.
    std::size_t TextSize() const { return text_.size(); }

    // Bytes held, spare capacity included.
    std::size_t MemoryUse() const { return text_.capacity() + ends_.capacity() * sizeof(std::size_t); }

    // The lines as one text, joined by one separator character each: where line `index` starts in
    // it, its length, the line holding `offset` (a separator belongs to the line before it; requires
    // lines) and the characters in [start, end) with `separator` between lines.
    std::size_t JoinedStart(std::size_t index) const { return (index == 0 ? 0 : ends_[index - 1]) + index; }
    std::size_t JoinedSize() const { return Empty() ? 0 : text_.size() + Count() - 1; }
    std::size_t LineAtJoined(std::size_t offset) const;
    std::string Joined(std::size_t start, std::size_t end, char separator) const;

    // Lines `first` to `last` (inclusive, < Count()) as one text with `separator` between them: its
    // size, and the text written to `out` (room for that size); returns the end of what was written.
    std::size_t TextSize(std::size_t first, std::size_t last, std::size_t separatorSize) const;
    char* CopyText(std::size_t first, std::size_t last, std::string_view separator, char* out) const;
    // Every line as a string of its own.
    std::vector<std::string> Lines() const;
    // Room for `lines` lines of `chars` characters in all, allocated once.
    void Reserve(std::size_t lines, std::size_t chars);

private:
    std::string text_;
    std::vector<std::size_t> ends_;
    std::map<std::size_t, std::string> plain_; // the decorated lines' own texts
};

} // namespace ui
