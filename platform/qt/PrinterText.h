#pragma once
// A text output channel on a printer: lines of text placed one below the other on the printer's
// pages, as a line printer would. Opening starts the job; closing ends it and ejects the last page.
//
// Placement: start at the printable area's top-left corner; a line advances by the height of its
// tallest text piece plus 2 printer pixels (an empty line by the font's character height); a new
// page starts when, after an advance, y exceeds the page height minus twice the last line height; a
// line wider than the page breaks at the last character that fits and continues on the next line;
// a tab advances to the next multiple of 8 average character widths.

#include <QFont>
#include <QPainter>
#include <QString>

class QPrinter;

namespace platform {

class PrinterTextChannel
{
public:
    // Starts the job; throws std::runtime_error when the printer cannot start it.
    // The job still open at the destruction ends with it (the painter's own destructor).
    PrinterTextChannel(QPrinter& printer, const QFont& font);

    void WriteLine(const QString& line);
    // Ends the job; throws when the printer reports an error.
    void Close();

    // Where the next line goes (printer pixels; 0 at the top of a new page), for tests.
    int Y() const { return y_; }

private:
    void Advance(int lineHeight);

    QPrinter& printer_;
    QPainter painter_;
    int y_ = 0;
    int pageWidth_ = 0;
    int pageHeight_ = 0;
    int charHeight_ = 0;
    int tabWidth_ = 0;
};

} // namespace platform
