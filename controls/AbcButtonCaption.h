#pragma once
// The caption of a picture button: its size, its place in the frame and its drawing.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

// How the caption is drawn.
struct TabcCaptionLook
{
    QString text; // "&" marks the accelerator character, "&&" is a literal "&"
    QFont font;
    QColor color;        // the font colour
    bool enabled = true; // a disabled caption is embossed (white below-right, grey in place)
    bool underlineAccelerator = true;
};

// The size the caption takes on one line (the accelerator marks not counted); empty without text.
QSize CaptionSize(const QString& text, const QFont& font);

// Where a caption of size `text` stands in a content rectangle of size `client`, relative to its
// top-left corner: left (width - text width + 1) div 2, top (height - text height + 1) div 2.
QRect CaptionPlace(const QSize& client, const QSize& text);

// Draws the caption in `rect` as `look` says: in the font colour, or disabled embossed in white and
// grey.
void DrawCaption(QPainter& painter, const QRect& rect, const TabcCaptionLook& look);
