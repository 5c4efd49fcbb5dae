// File > Save, Save As and Print from the main window, with the dialogs answered by the fake.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "controls/Abcbtn.h"
#include "tests/FileConditions.h"
#include "tests/TestAccess.h"
#include "ui/Calc.h"

using uitest::FakeDialogs;

namespace {

class TapeCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakeDialogs::Instance().Reset();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        w = std::make_unique<ui::TfrmMain>();
        TestAccess::SetClock(*w, [] { return QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9)); });
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override
    {
        w.reset();
        QLocale::setDefault(QLocale::system());
        FakeDialogs::Instance().Reset();
    }
    void Keys(std::initializer_list<const char*> buttons)
    {
        for (const char* b : buttons)
            TestAccess::Button(*w, QString::fromLatin1(b))->Click();
    }
    QAction* Action(const char* name) { return w->findChild<QAction*>(QString::fromLatin1(name)); }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    static QByteArray Read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    std::unique_ptr<ui::TfrmMain> w;
};

QByteArray Document(const std::vector<std::string>& tapeLines)
{
    QByteArray doc = "    Quorlane Calculator\r\n        History Tape\r\n";
    doc += QByteArray(14, ' ') + "\r\n" + QByteArray(14, ' ') + "\r\n";
    for (const std::string& l : tapeLines)
        doc += QByteArray::fromStdString(l) + "\r\n";
    doc += QByteArray(14, ' ') + "\r\n Date: 08.12.26\r\n Time: 14:05:09 ";
    return doc;
}

TEST_F(TapeCommands, SaveAsWritesTheDocumentByteForByte)
{
    FakeDialogs& d = FakeDialogs::Instance();
    // Short, exact-width (27 characters with the margin) and over-long lines.
    Keys({"btn1", "btn2", "btnAdd", "btn3", "btnEquals"});
    w->AppendTapeLine(std::string(27, 'x'));
    w->AppendTapeLine(std::string(30, 'y'));
    d.saveAnswers.push_back(Path("tape")); // typed without extension
    Action("mnuFileSaveAs")->trigger();
    ASSERT_EQ(d.saveRequests.size(), 1u);
    EXPECT_EQ(d.saveRequests[0].defaultSuffix, QStringLiteral("txt"));
    EXPECT_EQ(TestAccess::TapeFileName(*w), Path("tape.txt"));
    const QByteArray file = Read(Path("tape.txt"));
    const QByteArray head = Document(
        {std::string(23, ' ') + "12  ", std::string(24, ' ') + "3 +", " " + std::string(26, '-'),
         std::string(23, ' ') + "15 =", std::string(27, ' '), std::string(27, 'x'), std::string(30, 'y')});
    EXPECT_TRUE(file.startsWith(head)) << file.toStdString();
    EXPECT_TRUE(file.endsWith("\r\n" + QByteArray(14, ' ') + "\r\n    www.quorlane.example\r\n"))
        << file.toStdString();
    EXPECT_FALSE(file.contains("\n\n"));
    EXPECT_EQ(file.count("\r\n"), 16);

    // Save writes again to the recorded name, without asking.
    Keys({"btnC"});
    Action("mnuFileSave")->trigger();
    EXPECT_EQ(d.saveRequests.size(), 1u);
    EXPECT_TRUE(Read(Path("tape.txt")).contains("Clear\r\n"));
}

TEST_F(TapeCommands, AnEmptyTapeGivesTheNineLines)
{
    FakeDialogs::Instance().saveAnswers.push_back(Path("empty.txt"));
    Action("mnuFileSave")->trigger(); // no name yet: Save asks like Save As
    const QByteArray file = Read(Path("empty.txt"));
    EXPECT_EQ(file.count("\r\n"), 9);
    EXPECT_TRUE(file.startsWith(Document({}))) << file.toStdString();
}

TEST_F(TapeCommands, OverwriteQuestionDecides)
{
    FakeDialogs& d = FakeDialogs::Instance();
    QFile old(Path("old.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("keep me");
    old.close();
    Keys({"btn7", "btnEquals"});
    for (const ui::BoxAnswer answer : {ui::BoxAnswer::No, ui::BoxAnswer::Cancel}) {
        d.saveAnswers.push_back(Path("old.txt"));
        d.boxAnswers.push_back(answer);
        Action("mnuFileSaveAs")->trigger();
        EXPECT_EQ(Read(Path("old.txt")), QByteArray("keep me"));
        EXPECT_EQ(TestAccess::TapeFileName(*w), QString());
    }
    ASSERT_EQ(d.boxes.size(), 2u);
    EXPECT_EQ(d.boxes[0].caption, QStringLiteral("Confirm"));
    EXPECT_EQ(d.boxes[0].text, QStringLiteral("File already exists.  Overwrite \r%1?")
                                   .arg(QDir::toNativeSeparators(Path("old.txt"))));
    EXPECT_EQ(d.boxes[0].buttons, ui::BoxButtons::YesNoCancel);
    // The dialog remembers the last name.
    EXPECT_EQ(d.saveRequests.back().initialName, Path("old.txt"));

    d.saveAnswers.push_back(Path("old.txt"));
    d.boxAnswers.push_back(ui::BoxAnswer::Yes);
    Action("mnuFileSaveAs")->trigger();
    EXPECT_TRUE(Read(Path("old.txt")).contains("7 =\r\n"));
    EXPECT_EQ(TestAccess::TapeFileName(*w), Path("old.txt"));

    // Cancelling the dialog writes nothing and keeps the name.
    d.saveAnswers.push_back(std::nullopt);
    Action("mnuFileSaveAs")->trigger();
    EXPECT_EQ(TestAccess::TapeFileName(*w), Path("old.txt"));
}

TEST_F(TapeCommands, AFailedSaveKeepsTheOldFileReportsAndRecordsNothing)
{
    FakeDialogs& d = FakeDialogs::Instance();
    QFile old(Path("tape.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old tape");
    old.close();
    ASSERT_TRUE(QDir().mkpath(Path("folder.txt")));
    for (const QString& target : {Path("folder.txt"), Path("missing/tape.txt")}) {
        d.saveAnswers.push_back(target);
        d.boxAnswers.push_back(ui::BoxAnswer::Yes); // overwrite question, when asked
        d.expectBoxes = true;
        const std::size_t before = d.boxes.size();
        Action("mnuFileSaveAs")->trigger();
        ASSERT_GT(d.boxes.size(), before);
        const uitest::ShownBox& report = d.boxes.back();
        EXPECT_EQ(report.kind, ui::BoxKind::GeneralError);
        EXPECT_TRUE(report.text.contains(target)) << report.text.toStdString();
        EXPECT_EQ(TestAccess::TapeFileName(*w), QString());
        d.boxAnswers.clear();
    }
    EXPECT_EQ(Read(Path("tape.txt")), QByteArray("old tape"));
}

// Save As into a shared folder such as /tmp (everybody writes there; the sticky bit keeps each
// user's files his own): a link another user planted there is not followed, as the system would not
// follow it, and the file it leads to stays as it was.
TEST_F(TapeCommands, SaveAsFollowsALinkInASharedFolderOnlyWhereTheSystemWould)
{
    namespace fs = std::filesystem;
    const fs::path root = dir.path().toStdString();
    const fs::path shared = root / "shared", home = root / "home";
    fs::create_directories(shared);
    fs::create_directories(home);
    fs::permissions(root, fs::perms(0755));
    fs::permissions(shared, fs::perms(01777));
    std::ofstream(home / "accounts.txt") << "mine";
    fs::create_symlink(home / "accounts.txt", shared / "planted.txt");
    const uid_t other = testfiles::OrdinaryUser().first + 1; // neither the subject nor the folder's owner
    if (!testfiles::RunningAsRoot() || ::lchown((shared / "planted.txt").c_str(), other, other) != 0)
        GTEST_SKIP() << "only root may make a link another user owns";
    const testfiles::ScopedOrdinaryUser user({home});
    FakeDialogs& d = FakeDialogs::Instance();
    d.saveAnswers = {QString::fromStdString((shared / "planted.txt").string())};
    d.boxAnswers = {ui::BoxAnswer::Yes}; // overwrite
    d.expectBoxes = true;
    Action("mnuFileSaveAs")->trigger();
    ASSERT_EQ(d.boxes.size(), 2u);
    EXPECT_EQ(d.boxes[1].kind, ui::BoxKind::GeneralError);
    EXPECT_TRUE(d.boxes[1].text.contains(QStringLiteral("symbolic link"))) << d.boxes[1].text.toStdString();
    EXPECT_EQ(Read(QString::fromStdString((home / "accounts.txt").string())), QByteArray("mine"));
    EXPECT_EQ(TestAccess::TapeFileName(*w), QString());
}

TEST_F(TapeCommands, PrintGoesToThePrinterChosenAndCancelPrintsNothing)
{
    FakeDialogs& d = FakeDialogs::Instance();
    Keys({"btn2", "btnAdd", "btn3", "btnEquals"});
    d.printAnswers.push_back([](QPrinter&) { return false; });
    Action("mnuFilePrint")->trigger();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    const QString pdf = Path("tape.pdf");
    d.printAnswers.push_back([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    Action("mnuFilePrint")->trigger();
    ASSERT_TRUE(QFile::exists(pdf));
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (!tool.isEmpty()) {
        QProcess p;
        p.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished(20000);
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_TRUE(text.contains(QStringLiteral("History Tape")));
        EXPECT_TRUE(text.contains(QStringLiteral("3 +")));
        EXPECT_TRUE(text.contains(QStringLiteral("Date: 08.12.26")));
    }

    // Printing into a folder is reported, not silently dropped.
    d.expectBoxes = true;
    d.printAnswers.push_back([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.path());
        return true;
    });
    Action("mnuFilePrint")->trigger();
    ASSERT_FALSE(d.boxes.empty());
    EXPECT_EQ(d.boxes.back().kind, ui::BoxKind::GeneralError);
    EXPECT_TRUE(d.boxes.back().text.contains(QStringLiteral("folder")));
}

} // namespace
