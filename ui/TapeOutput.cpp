#include "ui/TapeOutput.h"

#include <QFile>
#include <QFont>

#include <stdexcept>
#include <system_error>

#include "engine/TextHelpers.h"
#include "platform/AtomicFile.h"

namespace ui {

namespace {

// Hands each line of the document to `out`, in order.
template<typename Emit>
void EmitDocument(const TapeModel& tape, int margin, const QDateTime& now, const QLocale& locale, Emit&& out)
{
    const std::size_t width = engine::SeparatorLine.size() + static_cast<std::size_t>(margin);
    const std::string indent(static_cast<std::size_t>(margin), ' ');
    out(engine::CenterLine("Quorlane Calculator", margin));
    out(engine::CenterLine("History Tape", margin));
    out(engine::CenterLine(" ", margin));
    out(engine::CenterLine(" ", margin));
    std::string padded;
    for (std::size_t i = 0; i < tape.Count(); ++i) {
        const std::string_view line = tape.Line(i);
        if (line.size() >= width) {
            out(line);
            continue;
        }
        padded.assign(width - line.size(), ' ');
        padded.append(line);
        out(padded);
    }
    out(engine::CenterLine(" ", margin));
    out(indent + "Date: " + locale.toString(now.date(), QLocale::ShortFormat).toLatin1().toStdString());
    out(indent + "Time: " + locale.toString(now.time(), QLocale::LongFormat).toLatin1().toStdString());
    out(engine::CenterLine(" ", margin));
    out(engine::CenterLine(ProductWebAddress, margin));
}

// Room for the document's characters: every tape line padded, and the nine other lines.
std::size_t DocumentSizeBound(const TapeModel& tape, int margin)
{
    const std::size_t width = engine::SeparatorLine.size() + static_cast<std::size_t>(margin);
    return tape.TextSize() + tape.Count() * width + 9 * (width + 64);
}

} // namespace

TapeModel TapeDocument(const TapeModel& tape, int margin, const QDateTime& now, const QLocale& locale)
{
    TapeModel doc;
    doc.Reserve(tape.Count() + 9, DocumentSizeBound(tape, margin));
    EmitDocument(tape, margin, now, locale, [&doc](std::string_view line) { doc.Append(line); });
    return doc;
}

void SaveTapeDocument(const QString& fileName, const TapeModel& tape, int margin, const QDateTime& now,
                      const QLocale& locale)
{
    // Straight into the file's bytes: no copy of the document in between.
    std::string text;
    text.reserve(DocumentSizeBound(tape, margin) + 2 * (tape.Count() + 9));
    EmitDocument(tape, margin, now, locale, [&text](std::string_view line) {
        text += line;
        text += "\r\n";
    });
    QString reason;
    try {
        platform::files::WriteFileAtomically(QFile::encodeName(fileName).toStdString(), text,
                                             platform::files::DocumentFileMode(),
                                             platform::files::NoNewFolder);
        return;
    } catch (const platform::files::NotARegularFile& e) {
        reason = QStringLiteral("it is %1, not a regular file").arg(QString::fromStdString(e.Kind()));
    } catch (const platform::files::UnsafeLink&) {
        reason = QStringLiteral("it is a symbolic link another user made in a shared folder, which is not "
                                "followed");
    } catch (const std::system_error& e) {
        // The system's own words: "No space left on device", "Permission denied"...
        reason = QString::fromLocal8Bit(e.code().message());
    }
    throw std::runtime_error(QStringLiteral("Cannot save the tape to \"%1\": %2")
                                 .arg(fileName, reason)
                                 .toLocal8Bit()
                                 .toStdString());
}

} // namespace ui
