#include "ui/TapeModel.h"

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

void TapeModel::Clear()
{
    // The memory goes back too: a cleared tape of a million lines should not keep its 25 MB.
    std::string().swap(text_);
    std::vector<std::size_t>().swap(ends_);
}

std::string_view TapeModel::Line(std::size_t index) const
{
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_).substr(begin, ends_[index] - begin);
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
