#include "ui/TapeModel.h"

#include <algorithm>

namespace ui {

TapeModel::TapeModel(std::initializer_list<std::string_view> lines)
{
    for (std::string_view line : lines)
        Append(line);
}

void TapeModel::Append(std::string_view line)
{
    text_.append(line);
    ends_.push_back(text_.size());
}

void TapeModel::AppendDecorated(std::string_view shown, std::string_view plain)
{
    plain_.emplace(Count(), plain);
    Append(shown);
}

void TapeModel::Truncate(std::size_t count)
{
    if (count >= Count())
        return;
    text_.resize(count == 0 ? 0 : ends_[count - 1]);
    ends_.resize(count);
    plain_.erase(plain_.lower_bound(count), plain_.end());
}

std::string_view TapeModel::Plain(std::size_t index) const
{
    const auto found = plain_.find(index);
    return found == plain_.end() ? Line(index) : std::string_view(found->second);
}

void TapeModel::Clear()
{
    // The memory goes back too: a cleared tape of a million lines should not keep its 25 MB.
    std::string().swap(text_);
    std::vector<std::size_t>().swap(ends_);
    plain_.clear();
}

std::string_view TapeModel::Line(std::size_t index) const
{
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_).substr(begin, ends_[index] - begin);
}

std::size_t TapeModel::LineAtJoined(std::size_t offset) const
{
    // The lines after the first that start at or before `offset` lead: as many as the line's index.
    // A binary search for the first line after them.
    std::size_t low = 1;
    std::size_t high = std::max<std::size_t>(Count(), 1);
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (JoinedStart(middle) <= offset)
            low = middle + 1;
        else
            high = middle;
    }
    return low - 1;
}

std::string TapeModel::Joined(std::size_t start, std::size_t end, char separator) const
{
    std::string text;
    end = std::min(end, JoinedSize());
    if (start >= end)
        return text;
    text.reserve(end - start);
    for (std::size_t i = LineAtJoined(start); i < Count(); ++i) {
        const std::size_t begin = JoinedStart(i);
        if (begin >= end)
            break;
        const std::string_view line = Line(i);
        const std::size_t from = std::max(start, begin) - begin;
        const std::size_t to = std::min(end, begin + line.size()) - begin;
        if (from < to)
            text.append(line.substr(from, to - from));
        if (i + 1 < Count() && begin + line.size() >= start && begin + line.size() < end)
            text.push_back(separator);
    }
    return text;
}

std::size_t TapeModel::TextSize(std::size_t first, std::size_t last, std::size_t separatorSize) const
{
    return ends_[last] - (first == 0 ? 0 : ends_[first - 1]) + (last - first) * separatorSize;
}

char* TapeModel::CopyText(std::size_t first, std::size_t last, std::string_view separator, char* out) const
{
    // One pass, each line copied behind the one before it.
    std::size_t from = first == 0 ? 0 : ends_[first - 1];
    for (std::size_t i = first; i <= last; ++i) {
        if (i != first) {
            for (const char c : separator)
                *out++ = c;
        }
        out = std::copy(text_.data() + from, text_.data() + ends_[i], out);
        from = ends_[i];
    }
    return out;
}

std::vector<std::string> TapeModel::Lines() const
{
    std::vector<std::string> lines;
    lines.reserve(Count());
    for (std::size_t i = 0; i < Count(); ++i)
        lines.emplace_back(Line(i));
    return lines;
}

void TapeModel::Reserve(std::size_t lines, std::size_t chars)
{
    ends_.reserve(lines);
    text_.reserve(chars);
}

} // namespace ui
