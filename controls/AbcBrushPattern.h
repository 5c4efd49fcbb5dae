#pragma once
// The face of a latched (grouped, held-down) picture button: an 8 x 8 checkerboard whose pixels with
// equal row and column parity are the highlight colour and the others the face colour, tiled as a
// brush from the button's top-left corner. One pattern per colour pair is shared by every button in
// the process: a button holds a reference from its first latched paint until its colour changes or it
// is destroyed, and the last reference frees the pattern. GUI thread only.

#include <memory>

#include <QBrush>
#include <QColor>
#include <QImage>

class TabcBrushPattern
{
    struct Key; // keeps construction to Acquire

public:
    // The shared pattern for the colour pair, made when no button holds one.
    static std::shared_ptr<const TabcBrushPattern> Acquire(const QColor& face, const QColor& highlight);

    // The number of patterns alive in the process.
    static int LiveCount();

    TabcBrushPattern(const Key&, const QColor& face, const QColor& highlight);

    bool Matches(const QColor& face, const QColor& highlight) const;

    const QImage& Bitmap() const { return bitmap_; }
    const QBrush& Brush() const { return brush_; }

private:
    QColor face_;
    QColor highlight_;
    QImage bitmap_;
    QBrush brush_;
};
