#include "ui/TapeOutput.h"

#include <QFont>
#include <QSaveFile>

#include <stdexcept>

#include "engine/TextHelpers.h"
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
    QSaveFile file(fileName);
    auto fail = [&](const QString& reason) {
        throw std::runtime_error(QStringLiteral("Cannot save the tape to \"%1\": %2")
                                     .arg(fileName, reason)
                                     .toLocal8Bit()
                                     .toStdString());
    };
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    for (const std::string& line : lines) {
        file.write(line.data(), static_cast<qint64>(line.size()));
        file.write("\r\n", 2);
    }
    if (file.error() != QFileDevice::NoError)
        fail(file.errorString());
    if (!file.commit())
        fail(file.errorString());
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
