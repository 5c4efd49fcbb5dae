// The tape document and its file on arbitrary tape lines, margins, dates and locales: the heading
// and footer are always there, every tape line is padded to the column or kept whole, and the file
// holds exactly the document's lines, each ended by CR LF.

#include <QDateTime>
#include <QLocale>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "ui/TapeOutput.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// The file the documents are written to: in memory where possible (the syncs then cost nothing),
// removed at the end.
struct ScratchFile
{
    ScratchFile()
    {
        const std::filesystem::path shm = "/dev/shm";
        path = (std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path()) /
               ("fuzz-tape-" + std::to_string(::getpid()) + ".txt");
    }
    ~ScratchFile() { std::filesystem::remove(path); }
    std::filesystem::path path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Byte 0: margin; byte 1: locale; bytes 2-9: the time in ms; the rest: tape lines.
    if (size < 10)
        return 0;
    static const char* const locales[] = {"C", "en_US", "de_DE", "fr_FR", "de_CH", "ar_EG", "zh_CN", "hi_IN"};
    const int margin = data[0] % 40;
    const QLocale locale(QString::fromLatin1(locales[data[1] % std::size(locales)]));
    std::int64_t ms = 0;
    std::memcpy(&ms, data + 2, sizeof ms);
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(ms % (400LL * 365 * 24 * 3600 * 1000), Qt::UTC);
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 10; i < size; ++i) {
        if (data[i] == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(data[i]);
        }
    }
    lines.push_back(line);

    ui::TapeModel tape;
    for (const std::string& l : lines)
        tape.Append(l);
    const ui::TapeModel document = ui::TapeDocument(tape, margin, now, locale);
    const std::vector<std::string> doc = document.Lines();
    Check(doc.size() == lines.size() + 9);
    const std::size_t column = 26 + static_cast<std::size_t>(margin);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& out = doc[4 + i];
        Check(out.ends_with(lines[i]));
        Check(lines[i].size() >= column ? out == lines[i] : out.size() == column);
    }

    // The saved file is the document, each line ended by CR LF.
    static const ScratchFile file;
    std::string expected;
    for (const std::string& l : doc)
        expected += l + "\r\n";
    ui::SaveTapeDocument(QString::fromStdString(file.path.string()), tape, margin, now, locale);
    std::ifstream again(file.path, std::ios::binary);
    Check(std::string{std::istreambuf_iterator<char>(again), std::istreambuf_iterator<char>()} == expected);
    return 0;
}
