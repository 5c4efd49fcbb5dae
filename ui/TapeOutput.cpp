#include "ui/TapeOutput.h"

#include <QFile>
#include <QFont>

#include <stdexcept>
#include <system_error>

#include "engine/TextHelpers.h"
#include "platform/AtomicFile.h"
#include "platform/qt/PrinterText.h"

namespace ui {

TapeModel TapeDocument(const TapeModel& tape, int margin, const QDateTime& now, const QLocale& locale)
{
    const std::size_t width = engine::SeparatorLine.size() + static_cast<std::size_t>(margin);
    const std::string indent(static_cast<std::size_t>(margin), ' ');
    TapeModel doc;
    doc.Append(engine::CenterLine("Quorlane Calculator", margin));
    doc.Append(engine::CenterLine("History Tape", margin));
    doc.Append(engine::CenterLine(" ", margin));
    doc.Append(engine::CenterLine(" ", margin));
    std::string padded;
    for (std::size_t i = 0; i < tape.Count(); ++i) {
        const std::string_view line = tape.Line(i);
        if (line.size() >= width) {
            doc.Append(line);
            continue;
        }
        padded.assign(width - line.size(), ' ');
        padded.append(line);
        doc.Append(padded);
    }
    doc.Append(engine::CenterLine(" ", margin));
    doc.Append(indent +
               "Date: " + locale.toString(now.date(), QLocale::ShortFormat).toLatin1().toStdString());
    doc.Append(indent + "Time: " + locale.toString(now.time(), QLocale::LongFormat).toLatin1().toStdString());
    doc.Append(engine::CenterLine(" ", margin));
    doc.Append(engine::CenterLine(ProductWebAddress, margin));
    return doc;
}

void WriteTapeFile(const QString& fileName, const TapeModel& lines)
{
    std::string text;
    if (!lines.Empty()) {
        text = lines.Joined(0, lines.Count() - 1, "\r\n");
        text += "\r\n";
    }
    QString reason;
    try {
        platform::files::WriteFileAtomically(QFile::encodeName(fileName).toStdString(), text,
                                             platform::files::DocumentFileMode(), 0,
                                             platform::files::MissingFolder::Fail);
        return;
    } catch (const platform::files::NotARegularFile& e) {
        reason = QStringLiteral("it is %1, not a regular file").arg(QString::fromStdString(e.Kind()));
    } catch (const std::system_error& e) {
        // The system's own words: "No space left on device", "Permission denied"...
        reason = QString::fromLocal8Bit(e.code().message());
    }
    throw std::runtime_error(QStringLiteral("Cannot save the tape to \"%1\": %2")
                                 .arg(fileName, reason)
                                 .toLocal8Bit()
                                 .toStdString());
}

void PrintTapeDocument(QPrinter& printer, const TapeModel& lines)
{
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(12);
    platform::PrinterTextChannel channel(printer, font);
    for (std::size_t i = 0; i < lines.Count(); ++i) {
        const std::string_view line = lines.Line(i);
        channel.WriteLine(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    }
    channel.Close();
}

} // namespace ui
