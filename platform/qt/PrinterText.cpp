#include "platform/qt/PrinterText.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QPrinter>

#include <stdexcept>

namespace platform {

PrinterTextChannel::PrinterTextChannel(QPrinter& printer, const QFont& font) : printer_(printer)
{
    const QString file = printer_.outputFileName();
    if (!file.isEmpty() && QFileInfo(file).isDir())
        throw std::runtime_error(
            QStringLiteral("Cannot print to \"%1\": it is a folder.").arg(file).toLocal8Bit().toStdString());
    if (!painter_.begin(&printer_)) {
        const QString target = !file.isEmpty() ? QStringLiteral("\"%1\"").arg(file)
                               : printer_.printerName().isEmpty()
                                   ? QStringLiteral("the printer")
                                   : QStringLiteral("\"%1\"").arg(printer_.printerName());
        throw std::runtime_error(QStringLiteral("The print job could not be started on %1.")
                                     .arg(target)
                                     .toLocal8Bit()
                                     .toStdString());
    }
    // Sizes in printer pixels; the font scales to the printer's resolution.
    QFont f(font, &printer_);
    painter_.setFont(f);
    const QFontMetrics m(painter_.font(), &printer_);
    charHeight_ = m.height();
    tabWidth_ = 8 * m.averageCharWidth();
    const QRect page = printer_.pageLayout().paintRectPixels(printer_.resolution());
    pageWidth_ = page.width();
    pageHeight_ = page.height();
}

void PrinterTextChannel::Advance(int lineHeight)
{
    y_ += lineHeight;
    if (y_ > pageHeight_ - 2 * lineHeight) {
        printer_.newPage();
        y_ = 0;
    }
}

void PrinterTextChannel::WriteLine(const QString& line)
{
    const QFontMetrics m(painter_.font(), &printer_);
    if (line.isEmpty()) {
        Advance(charHeight_);
        return;
    }
    QString rest = line;
    while (!rest.isEmpty()) {
        // The longest head of the rest that fits the page's width (at least one character).
        int x = 0;
        qsizetype fits = 0;
        for (qsizetype i = 0; i < rest.size(); ++i) {
            const QChar c = rest.at(i);
            const int next =
                c == QLatin1Char('\t') ? (x / tabWidth_ + 1) * tabWidth_ : x + m.horizontalAdvance(c);
            if (next > pageWidth_ && i > 0)
                break;
            x = next;
            fits = i + 1;
        }
        const QString piece = rest.left(fits);
        rest = rest.mid(fits);

        // Draw the piece run by run between tab stops.
        int px = 0;
        QString run;
        auto flush = [&] {
            if (!run.isEmpty())
                painter_.drawText(px, y_ + m.ascent(), run);
            px += m.horizontalAdvance(run);
            run.clear();
        };
        for (const QChar c : piece) {
            if (c == QLatin1Char('\t')) {
                flush();
                px = (px / tabWidth_ + 1) * tabWidth_;
            } else {
                run += c;
            }
        }
        flush();
        Advance(m.height() + 2);
    }
}

void PrinterTextChannel::Close()
{
    if (painter_.isActive() && !painter_.end())
        throw std::runtime_error("The printer reported an error at the end of the print job.");
}

} // namespace platform
