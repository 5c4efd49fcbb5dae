#pragma once
// The history tape's lines, kept compactly: all characters in one buffer and the end of each line
// beside them (a million typical lines take about 25 MB). Lines are 8-bit text, only ever appended
// at the end or cleared all at once.

#include <cstddef>
#include <initializer_list>
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
    void Clear();

    std::size_t Count() const { return ends_.size(); }
    bool Empty() const { return ends_.empty(); }
    // The line at `index` (< Count()); valid until the next Append or Clear.
    std::string_view Line(std::size_t index) const;
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
};

} // namespace ui
