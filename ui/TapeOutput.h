#pragma once
// The history tape as a document: a centred heading, the tape lines padded to one column, and a
// date and time footer. Saved as a text file (margin 1) and printed (margin 9) in the same layout.

#include <QDateTime>
#include <QLocale>
#include <QString>

#include "ui/TapeModel.h"

class QPrinter;

namespace ui {

// The product's web address: last line of the document, and the about window's link.
inline constexpr char ProductWebAddress[] = "www.quorlane.example";
inline constexpr int FileMargin = 1;
inline constexpr int PrintMargin = 9;

// The document's lines for `margin`: heading, tape lines padded on the left to 26 + margin
// characters (longer ones unchanged), footer with the date in the locale's short date format and
// the time in its long time format.
TapeModel TapeDocument(const TapeModel& tape, int margin, const QDateTime& now, const QLocale& locale);

// Writes TapeDocument(tape, margin, now, locale), each line ended by CR LF, as 8-bit text, without
// a copy of the document in between. The target is replaced only once every byte is written and
// synced (platform/AtomicFile.h); on failure it is left as it was and an exception names the file
// and the reason in the system's words. A target that is no regular file (a named pipe, a device) is
// refused, never replaced, and so is a link the system would not follow (another user's in /tmp).
void SaveTapeDocument(const QString& fileName, const TapeModel& tape, int margin, const QDateTime& now,
                      const QLocale& locale);

// Prints the lines in "Courier New" 12 point on `printer`, line by line through the printer text
// channel. A printer that cannot start its job raises an exception.
void PrintTapeDocument(QPrinter& printer, const TapeModel& lines);

} // namespace ui
