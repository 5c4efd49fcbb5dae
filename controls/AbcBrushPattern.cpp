#include "controls/AbcBrushPattern.h"

#include <algorithm>
#include <vector>

struct TabcBrushPattern::Key
{};

namespace {

constexpr int PatternSize = 8;

// The process-wide list. Entries are weak, so the list never keeps a pattern alive; expired entries
// are dropped whenever the list is searched.
std::vector<std::weak_ptr<const TabcBrushPattern>>& Patterns()
{
    static std::vector<std::weak_ptr<const TabcBrushPattern>> patterns;
    return patterns;
}

void DropExpired()
{
    auto& patterns = Patterns();
    std::erase_if(patterns, [](const auto& entry) { return entry.expired(); });
}

} // namespace

TabcBrushPattern::TabcBrushPattern(const Key&, const QColor& face, const QColor& highlight)
    : face_(face.toRgb()), highlight_(highlight.toRgb()),
      bitmap_(PatternSize, PatternSize, QImage::Format_RGB32)
{
    for (int y = 0; y < PatternSize; ++y) {
        for (int x = 0; x < PatternSize; ++x) {
            bitmap_.setPixelColor(x, y, (x % 2) == (y % 2) ? highlight_ : face_);
        }
    }
    brush_ = QBrush(bitmap_);
}

bool TabcBrushPattern::Matches(const QColor& face, const QColor& highlight) const
{
    return face_.rgb() == face.rgb() && highlight_.rgb() == highlight.rgb();
}

std::shared_ptr<const TabcBrushPattern> TabcBrushPattern::Acquire(const QColor& face, const QColor& highlight)
{
    DropExpired();
    auto& patterns = Patterns();
    for (const auto& entry : patterns) {
        if (auto pattern = entry.lock(); pattern && pattern->Matches(face, highlight)) {
            return pattern;
        }
    }
    auto pattern = std::make_shared<const TabcBrushPattern>(Key{}, face, highlight);
    patterns.push_back(pattern);
    return pattern;
}

int TabcBrushPattern::LiveCount()
{
    const auto& patterns = Patterns();
    return static_cast<int>(
        std::count_if(patterns.begin(), patterns.end(), [](const auto& entry) { return !entry.expired(); }));
}
