// The tape document, its file (byte for byte, and never half-written) and its printout (a PDF read
// back with pdftotext).

#include "ui/TapeOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/AtomicFile.h"
#include "platform/qt/PrinterText.h"
#include "tests/FileConditions.h"
#include "ui/Printing.h"

namespace {

const QDateTime Now(QDate(2026, 12, 8), QTime(14, 5, 9));
const QLocale English(QLocale::English, QLocale::UnitedStates);

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

TEST(TapeDocument, HeadingPaddedLinesAndFooter)
{
    const std::string x27(27, 'x'), y30(30, 'y'), sep(26, '-');
    const ui::TapeModel tape = {"12  ", "3 +", sep, "15 =", " ", "ab", x27, y30};
    const std::vector<std::string> doc = ui::TapeDocument(tape, 1, Now, English).Lines();
    const std::vector<std::string> expected = {
        "    Quorlane Calculator",
        "        History Tape",
        std::string(14, ' '),
        std::string(14, ' '),
        std::string(23, ' ') + "12  ",
        std::string(24, ' ') + "3 +",
        " " + std::string(26, '-'),
        std::string(23, ' ') + "15 =",
        std::string(27, ' '),
        std::string(25, ' ') + "ab",
        std::string(27, 'x'), // exactly 26 + 1: unchanged
        std::string(30, 'y'), // longer: unchanged
        std::string(14, ' '),
        " Date: 12/8/26",
        " Time: 2:05:09\u202fPM Coordinated Universal Time",
        std::string(14, ' '),
        "    www.quorlane.example",
    };
    ASSERT_EQ(doc.size(), expected.size());
    for (std::size_t i = 0; i < doc.size(); ++i) {
        if (i == 14)
            continue; // the long time format's spelling depends on Qt's locale data: checked below
        EXPECT_EQ(doc[i], expected[i]) << "line " << i + 1;
    }
    EXPECT_EQ(doc[14].rfind(" Time: ", 0), 0u);
    EXPECT_NE(doc[14].find("2:05:09"), std::string::npos) << doc[14];

    // Printing: margin 9.
    const std::vector<std::string> printed = ui::TapeDocument({"ab"}, 9, Now, English).Lines();
    EXPECT_EQ(printed[0], std::string(12, ' ') + "Quorlane Calculator");
    EXPECT_EQ(printed[1], std::string(16, ' ') + "History Tape");
    EXPECT_EQ(printed[2], std::string(22, ' '));
    EXPECT_EQ(printed[4], std::string(33, ' ') + "ab");
    EXPECT_EQ(printed[6].rfind(std::string(9, ' ') + "Date: ", 0), 0u);
    // An empty tape: the nine heading and footer lines.
    EXPECT_EQ(ui::TapeDocument({}, 1, Now, English).Count(), 9u);
}

TEST(TapeDocument, DateAndTimeFollowTheLocale)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const std::vector<std::string> doc = ui::TapeDocument({}, 1, Now, german).Lines();
    EXPECT_EQ(doc[5], " Date: 08.12.26");
    EXPECT_EQ(doc[6].rfind(" Time: 14:05:09", 0), 0u) << doc[6];
}

// Saves the tape as a document with the file's margin.
void Save(const QString& path, const ui::TapeModel& tape)
{
    ui::SaveTapeDocument(path, tape, ui::FileMargin, Now, English);
}

// The bytes of the saved document: each of its lines ended by CR LF.
QByteArray Saved(const ui::TapeModel& tape)
{
    QByteArray bytes;
    for (const std::string& line : ui::TapeDocument(tape, ui::FileMargin, Now, English).Lines())
        bytes += QByteArray::fromStdString(line) + "\r\n";
    return bytes;
}

TEST(TapeFile, CrLfAfterEveryLineAndNothingElse)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tape.txt"));
    Save(path, {"one", "", "  three \xe9"});
    EXPECT_TRUE(ReadAll(path).contains("\r\n                        one\r\n                           \r\n"
                                       "                    three \xe9\r\n"));
    EXPECT_EQ(ReadAll(path), Saved({"one", "", "  three \xe9"}));
    Save(path, {});
    EXPECT_EQ(ReadAll(path), Saved({}));
}

TEST(TapeFile, AFailedWriteLeavesThePreviousFileAndNamesIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tape.txt"));
    Save(path, {"old"});
    // A target that is a folder, and a folder that does not exist.
    const QString folder = dir.filePath(QStringLiteral("sub"));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& bad : {folder, dir.filePath(QStringLiteral("missing/tape.txt"))}) {
        try {
            Save(bad, {"new"});
            ADD_FAILURE() << "no error for " << bad.toStdString();
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(bad.toStdString()), std::string::npos) << e.what();
        }
    }
    // A folder that may not be written: the old file stays as it was (root may write anywhere).
    if (geteuid() != 0) {
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_THROW(Save(path, {"new"}), std::runtime_error);
        QFile::setPermissions(dir.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    EXPECT_EQ(ReadAll(path), Saved({"old"}));
}

// A write hook that fails with `error` at once.
platform::files::IoHooks Failing(int error)
{
    return {[error](int, const void*, std::size_t) -> ssize_t {
                errno = error;
                return -1;
            },
            {}};
}

std::string SaveError(const QString& path)
{
    try {
        Save(path, {"new"});
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(saved)";
}

TEST(TapeFile, TheReasonIsTheSystemsAndNoFileButARegularOneIsReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tape.txt"));
    Save(path, {"old"});
    {
        const platform::files::ScopedIoHooks full(Failing(ENOSPC));
        EXPECT_EQ(SaveError(path),
                  "Cannot save the tape to \"" + path.toStdString() + "\": No space left on device");
    }
    EXPECT_EQ(ReadAll(path), Saved({"old"}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("tape.txt")});

    const QString pipe = dir.filePath(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_NE(SaveError(pipe).find("it is a named pipe (FIFO), not a regular file"), std::string::npos);
    EXPECT_EQ(QFileInfo(pipe).isFile(), false);
    EXPECT_TRUE(QFileInfo(pipe).exists());
    // A device: refused. Root gets a device node of its own here (a fault must never cost the
    // machine its /dev/null); anyone else a link to /dev/null, which they could not replace anyway.
    const QString device = dir.filePath(QStringLiteral("null.txt"));
    if (::geteuid() == 0)
        ASSERT_EQ(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
    else
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), device));
    EXPECT_NE(SaveError(device).find("it is a device, not a regular file"), std::string::npos);
    struct stat status = {};
    ASSERT_EQ(::stat(QFile::encodeName(device).constData(), &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
}

TEST(TapeFile, AFullDiskSaysSo)
{
    QTemporaryDir dir;
    const testfiles::ScopedSmallDisk disk(QFile::encodeName(dir.path()).toStdString(), 64 * 1024);
    if (!disk.Active())
        GTEST_SKIP() << "no small disk to fill: " << disk.Reason();
    const QString path = dir.filePath(QStringLiteral("tape.txt"));
    Save(path, {"old"});
    disk.Fill();
    EXPECT_NE(SaveError(path).find(": No space left on device"), std::string::npos);
    EXPECT_EQ(ReadAll(path), Saved({"old"}));
}

QString PdfText(const QString& pdf, int page = 0)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return {};
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    args << pdf << QStringLiteral("-");
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

std::unique_ptr<QPrinter> PdfPrinter(const QString& file, const QPageSize& size = QPageSize(QPageSize::A4))
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file);
    printer->setPageSize(size);
    printer->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    return printer;
}

TEST(TapePrint, LinesPagesAndWrapping)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    QTemporaryDir dir;
    // A tape longer than one page: no heading repeated on page 2.
    ui::TapeModel tape;
    for (int i = 1; i <= 120; ++i)
        tape.Append(std::to_string(i) + " +");
    const QString pdf = dir.filePath(QStringLiteral("tape.pdf"));
    {
        auto printer = PdfPrinter(pdf);
        ui::PrintTapeDocument(*printer, ui::TapeDocument(tape, ui::PrintMargin, Now, English));
    }
    const QString page1 = PdfText(pdf, 1), page2 = PdfText(pdf, 2);
    EXPECT_TRUE(page1.contains(QStringLiteral("Quorlane Calculator")));
    EXPECT_TRUE(page1.contains(QStringLiteral("History Tape")));
    EXPECT_TRUE(page1.contains(QStringLiteral("1 +")));
    EXPECT_FALSE(page2.isEmpty());
    EXPECT_FALSE(page2.contains(QStringLiteral("History Tape")));
    EXPECT_TRUE(PdfText(pdf).contains(QStringLiteral("120 +")));
    EXPECT_TRUE(PdfText(pdf).contains(QStringLiteral("www.quorlane.example")));

    // A page narrower than a line: the line breaks at the last character that fits.
    const QString narrow = dir.filePath(QStringLiteral("narrow.pdf"));
    {
        auto printer = PdfPrinter(narrow, QPageSize(QSizeF(60, 100), QPageSize::Millimeter));
        QFont font(QStringLiteral("Courier New"));
        font.setPointSize(12);
        platform::PrinterTextChannel channel(*printer, font);
        channel.WriteLine(QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
        const int afterWrapped = channel.Y();
        channel.WriteLine(QStringLiteral("x"));
        EXPECT_GT(channel.Y() - afterWrapped, 0);
        channel.Close();
    }
    const QStringList lines = PdfText(narrow).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].trimmed().startsWith(QStringLiteral("0123")));
    EXPECT_TRUE(lines[1].trimmed().endsWith(QStringLiteral("XYZ")) ||
                lines[2].trimmed().endsWith(QStringLiteral("XYZ")));
    EXPECT_EQ(lines.join(QString()).remove(QLatin1Char(' ')).left(36),
              QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
}

TEST(TapePrint, LineAdvanceAndPageBreakRule)
{
    QTemporaryDir dir;
    auto printer = PdfPrinter(dir.filePath(QStringLiteral("rule.pdf")));
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(12);
    platform::PrinterTextChannel channel(*printer, font);
    const QFontMetrics m(QFont(font, printer.get()), printer.get());
    channel.WriteLine(QStringLiteral("text"));
    EXPECT_EQ(channel.Y(), m.height() + 2);
    channel.WriteLine(QString());
    EXPECT_EQ(channel.Y(), 2 * m.height() + 2);
    const int pageHeight = printer->pageLayout().paintRectPixels(printer->resolution()).height();
    int lines = 2;
    while (channel.Y() != 0) { // until the page breaks
        channel.WriteLine(QStringLiteral("more"));
        ++lines;
        ASSERT_LT(lines, 1000);
    }
    // The page broke when y passed the page height less two lines.
    EXPECT_GT(m.height() + 2 + (lines - 1) * (m.height() + 2), pageHeight - 2 * (m.height() + 2));
    EXPECT_EQ(channel.Y(), 0);
    channel.Close();
}

// The program loads its printing code when the user first prints, from the module beside it.
TEST(TapePrint, TheProgramFindsThePrintModuleBesideItAndPrintsThroughIt)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const QString module = ui::PrintModuleFile(QStringLiteral(QUORLANE_PROGRAM_DIR));
    EXPECT_EQ(QFileInfo(module).canonicalFilePath(),
              QFileInfo(QStringLiteral(QUORLANE_PRINT_MODULE_FILE)).canonicalFilePath());
    const ui::PrintFunctions& printing = ui::LoadPrinting(module);
    EXPECT_NE(&printing, &ui::LinkedPrinting()); // the module's own code
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("module.pdf"));
    {
        const std::unique_ptr<QPrinter, void (*)(QPrinter*)> printer(printing.newPrinter(),
                                                                     printing.deletePrinter);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        printing.print(*printer,
                       ui::TapeDocument(ui::TapeModel{"12  ", "30 +"}, ui::PrintMargin, Now, English));
    }
    EXPECT_TRUE(PdfText(pdf).contains(QStringLiteral("30 +")));
}

TEST(TapePrint, APrintModuleThatCannotBeLoadedIsReportedWithTheReason)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("libquorlane-print.so"));
    try {
        ui::LoadPrinting(missing);
        ADD_FAILURE() << "loaded a missing module";
    } catch (const std::runtime_error& e) {
        EXPECT_TRUE(
            QString::fromLocal8Bit(e.what()).startsWith(QStringLiteral("Printing is not available: ")))
            << e.what();
        EXPECT_TRUE(QString::fromLocal8Bit(e.what()).contains(missing)) << e.what();
    }
}

} // namespace
