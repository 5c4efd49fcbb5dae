#include "ui/TapeOutput.h"

#include <QFile>
#include <QFont>

#include <stdexcept>
#include <system_error>

#include "engine/TextHelpers.h"
#include "platform/AtomicFile.h"
#include "platform/qt/PrinterText.h"

namespace ui {

std::vector<std::string> TapeDocument(const std::vector<std::string>& tapeLines, int margin,
                                      const QDateTime& now, const QLocale& locale)
{
    const std::size_t width = engine::SeparatorLine.size() + static_cast<std::size_t>(margin);
    const std::string indent(static_cast<std::size_t>(margin), ' ');
    std::vector<std::string> doc;
    doc.reserve(tapeLines.size() + 9);
    doc.push_back(engine::CenterLine("Quorlane Calculator", margin));
    doc.push_back(engine::CenterLine("History Tape", margin));
    doc.push_back(engine::CenterLine(" ", margin));
    doc.push_back(engine::CenterLine(" ", margin));
    for (const std::string& line : tapeLines)
        doc.push_back(line.size() >= width ? line : std::string(width - line.size(), ' ') + line);
    doc.push_back(engine::CenterLine(" ", margin));
    doc.push_back(indent +
                  "Date: " + locale.toString(now.date(), QLocale::ShortFormat).toLatin1().toStdString());
    doc.push_back(indent +
                  "Time: " + locale.toString(now.time(), QLocale::LongFormat).toLatin1().toStdString());
    doc.push_back(engine::CenterLine(" ", margin));
    doc.push_back(engine::CenterLine(ProductWebAddress, margin));
    return doc;
}

void WriteTapeFile(const QString& fileName, const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line;
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

void PrintTapeDocument(QPrinter& printer, const std::vector<std::string>& lines)
{
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(12);
    platform::PrinterTextChannel channel(printer, font);
    for (const std::string& line : lines)
        channel.WriteLine(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    channel.Close();
}

} // namespace ui
