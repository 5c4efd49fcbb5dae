// The tape kept between runs (its file format, a start that finds a damaged file, the writer
// thread's timing, Flush, Clear Tape and removal; the option in the window; a tape that cannot be
// written, at close and while the program runs) and a tape line re-used by double click and the
// tape's menu, and copied without grouping.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "SettingsFixture.h"
#include "controls/Abcbtn.h"
#include "platform/AtomicFile.h"
#include "platform/Registry.h"
#include "tests/FileConditions.h"
#include "tests/TestAccess.h"
#include "ui/Calc.h"
#include "ui/KeptTape.h"
#include "ui/SettingsStore.h"
#include "ui/TapeView.h"

using ui::KeptTape;
using ui::TapeModel;
using uitest::FakeDialogs;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

std::string ReadFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::filesystem::path& file, std::string_view text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::vector<std::string> Entries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> FileLines(const std::filesystem::path& file)
{
    TapeModel lines;
    EXPECT_TRUE(KeptTape::Parse(ReadFile(file), lines)) << file;
    return lines.Lines();
}

class Kept : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "data" / "tape.txt";
};

TEST(KeptTapeFormat, RoundTripsAndRefusesWhatIsNoTape)
{
    for (const TapeModel& tape : {TapeModel{}, TapeModel{"12  ", "3 +", "------", "15 =", " "},
                                  TapeModel{"1.234,5 =", "caf\xe9 \xa0"}}) {
        TapeModel back{"old"};
        ASSERT_TRUE(KeptTape::Parse(KeptTape::Serialize(tape), back));
        EXPECT_EQ(back.Lines(), tape.Lines());
    }
    const std::string header = "Quorlane Calculator tape 1\n";
    for (const std::string& text :
         {""s, "12 +\n"s, header + "12 +", header + "1\0002\n"s, header + "1\r\n",
          header + std::string(5000, '9') + "\n", "Quorlane Calculator tape 2\n1\n"s}) {
        TapeModel lines;
        EXPECT_FALSE(KeptTape::Parse(text, lines)) << text;
    }
}

TEST_F(Kept, ARestartFindsTheLinesAndADamagedFileIsKeptAside)
{
    EXPECT_TRUE(KeptTape::Restore(file).lines.Empty()); // never kept: an empty tape, no problem
    EXPECT_TRUE(KeptTape::Restore(file).problem.empty());
    std::filesystem::create_directories(file.parent_path());
    WriteFile(file, KeptTape::Serialize(TapeModel{"5 +", "6 ="}));
    EXPECT_EQ(KeptTape::Restore(file).lines.Lines(), (std::vector<std::string>{"5 +", "6 ="}));

    WriteFile(file, "garbage\x01");
    const KeptTape::Restored damaged = KeptTape::Restore(file);
    EXPECT_TRUE(damaged.lines.Empty());
    EXPECT_NE(damaged.problem.find(file.string()), std::string::npos) << damaged.problem;
    EXPECT_NE(damaged.problem.find("damaged"), std::string::npos) << damaged.problem;
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(ReadFile(file.string() + ".bad"), "garbage\x01");

    std::filesystem::create_directory(file); // a folder in its place cannot be read
    const KeptTape::Restored folder = KeptTape::Restore(file);
    EXPECT_TRUE(folder.lines.Empty());
    EXPECT_NE(folder.problem.find("it is not a regular file"), std::string::npos) << folder.problem;

    std::filesystem::remove_all(file.parent_path()); // a file in the folder's place: never kept
    WriteFile(file.parent_path(), "");
    EXPECT_NE(KeptTape::Restore(file).problem.find(std::strerror(ENOTDIR)), std::string::npos);
}

TEST_F(Kept, ChangesReachTheFileWithinTheDelayWithoutAFlush)
{
    KeptTape kept(file, {}, false, 300ms);
    kept.Appended("12  ");
    kept.Appended("3 +");
    EXPECT_FALSE(std::filesystem::exists(file)); // not yet: changes are gathered
    for (int i = 0; i < 500 && !std::filesystem::exists(file); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(FileLines(file), (std::vector<std::string>{"12  ", "3 +"}));
}

TEST_F(Kept, FlushClearAndRemove)
{
    KeptTape kept(file, TapeModel{"1  ", "2 +"}, false, 1h); // only Flush writes
    kept.Appended("3 =");
    EXPECT_EQ(kept.Flush(), "");
    EXPECT_EQ(FileLines(file), (std::vector<std::string>{"1  ", "2 +", "3 ="}));
    kept.Cleared();
    kept.Appended("Clear");
    EXPECT_EQ(kept.Flush(), "");
    EXPECT_EQ(FileLines(file), std::vector<std::string>{"Clear"});
    kept.Appended("4 +");
    kept.Remove();
    EXPECT_EQ(kept.Flush(), "");
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(Kept, AFailedWriteIsReportedAndTheNextOneSucceeds)
{
    std::filesystem::create_directories(file.parent_path().parent_path());
    WriteFile(file.parent_path(), "a file where the folder belongs");
    KeptTape kept(file, {}, false, 1h);
    kept.Appended("7 +");
    const std::string error = kept.Flush();
    EXPECT_NE(error.find(file.string()), std::string::npos) << error;
    std::filesystem::remove(file.parent_path());
    kept.Appended("8 =");
    EXPECT_EQ(kept.Flush(), "");
    EXPECT_EQ(FileLines(file), (std::vector<std::string>{"7 +", "8 ="}));
}

} // namespace

// ---- in the window ----

namespace {

class TapeInWindow : public uitest::SettingsFixture
{
protected:
    void SetUp() override
    {
        SettingsFixture::SetUp();
        saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        file = KeptTape::DefaultFile();
        QApplication::clipboard()->clear();
    }
    void TearDown() override
    {
        qputenv("XDG_DATA_HOME", saved);
        SettingsFixture::TearDown();
    }
    static QAction* Action(ui::TfrmMain& w, const char* name)
    {
        return w.findChild<QAction*>(QString::fromLatin1(name));
    }
    static void Clicks(ui::TfrmMain& w, std::initializer_list<const char*> buttons)
    {
        for (const char* b : buttons)
            TestAccess::Button(w, QString::fromLatin1(b))->Click();
    }
    static ui::TapeView* Tape(ui::TfrmMain& w)
    {
        return w.findChild<ui::TapeView*>(QStringLiteral("memTape"));
    }
    static QPoint RowCentre(ui::TfrmMain& w, std::size_t line)
    {
        const int row = QFontMetrics(Tape(w)->font()).height();
        return {20, 4 + row * static_cast<int>(line - Tape(w)->FirstVisibleLine()) + row / 2};
    }
    QByteArray saved;
    std::filesystem::path file;
};

TEST_F(TapeInWindow, KeptBetweenRunsClearedWithTheTapeAndDeletedWhenTurnedOff)
{
    {
        ui::TfrmMain w;
        Action(w, "mnuOptionsKeepTape")->trigger();
        Clicks(w, {"btn1", "btnAdd", "btn2", "btnEquals"});
        EXPECT_TRUE(w.close());
    }
    const std::vector<std::string> first{"1  ", "2 +", std::string(26, '-'), "3 =", " "};
    EXPECT_EQ(FileLines(file), first);
    {
        ui::TfrmMain w;
        EXPECT_TRUE(Action(w, "mnuOptionsKeepTape")->isChecked());
        std::vector<std::string> lines = TestAccess::TapeLines(w);
        ASSERT_EQ(lines.size(), first.size() + 2);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), first);
        EXPECT_EQ(lines[5], std::string(26, '-'));
        EXPECT_EQ(lines[6].rfind("Restarted ", 0), 0u) << lines[6];

        FakeDialogs::Instance().boxAnswers = {ui::BoxAnswer::Yes};
        Action(w, "mnuEditClearTape")->trigger();
        Clicks(w, {"btn4", "btnAdd"});
        EXPECT_TRUE(w.close());
    }
    EXPECT_EQ(FileLines(file), std::vector<std::string>{"4  "});
    ui::TfrmMain w;
    FakeDialogs::Instance().Reset();
    FakeDialogs::Instance().boxAnswers = {ui::BoxAnswer::No, ui::BoxAnswer::Yes};
    Action(w, "mnuOptionsKeepTape")->trigger(); // No: it stays on
    EXPECT_TRUE(Action(w, "mnuOptionsKeepTape")->isChecked());
    EXPECT_TRUE(std::filesystem::exists(file));
    // Copies set aside at earlier starts and a killed writer's temporary file go with it; other
    // files stay.
    for (const char* name : {"tape.txt.bad", "tape.txt.bad.2", ".tape.txt.Ab12Cd", "notes.txt"})
        WriteFile(file.parent_path() / name, "12 +\n");
    Action(w, "mnuOptionsKeepTape")->trigger(); // Yes: off, and the file goes
    EXPECT_FALSE(Action(w, "mnuOptionsKeepTape")->isChecked());
    EXPECT_EQ(Entries(file.parent_path()), std::vector<std::string>{"notes.txt"});
    ASSERT_EQ(FakeDialogs::Instance().boxes.size(), 2u);
    EXPECT_EQ(FakeDialogs::Instance().boxes[0].caption, QStringLiteral("Confirm"));
}

// A damaged kept tape never stops the start; the status bar says what was set aside and where, and
// a copy set aside earlier stays. A tape whose last line was cut short keeps the lines before it.
TEST_F(TapeInWindow, ADamagedKeptTapeNeverStopsTheStartAndIsSaidSetAside)
{
    {
        ui::TfrmMain w;
        Action(w, "mnuOptionsKeepTape")->trigger();
        EXPECT_TRUE(w.close());
    }
    const std::string header = "Quorlane Calculator tape 1\n";
    const struct
    {
        const char* what;
        std::string bytes;
        std::vector<std::string> restored; // the lines before "Restarted"
        const char* copy;
    } cases[] = {
        {"damaged", "ELF garbage\x01", {}, "tape.txt.bad"},
        {"last line cut short", header + "12  \n3 +\n15 =\n1.2", {"12  ", "3 +", "15 ="}, "tape.txt.bad.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(file, c.bytes);
        ui::TfrmMain w;
        const std::vector<std::string> lines = TestAccess::TapeLines(w);
        ASSERT_GE(lines.size(), c.restored.size() + 2);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + c.restored.size()), c.restored);
        EXPECT_EQ(lines.back() == "Kept tape not restored", c.restored.empty());
        const QString said = w.statusBar()->currentMessage();
        EXPECT_TRUE(said.contains(QString::fromStdString((file.parent_path() / c.copy).string())))
            << said.toStdString();
        EXPECT_EQ(ReadFile(file.parent_path() / c.copy), c.bytes);
        EXPECT_EQ(FakeDialogs::Instance().boxes.size(), 0u);
        EXPECT_TRUE(w.close());
    }
    EXPECT_EQ(ReadFile(file.parent_path() / "tape.txt.bad"), cases[0].bytes); // the earlier copy stays
}

// A question the session's end leaves unanswered changes nothing: the option stays on, its file too.
TEST_F(TapeInWindow, AnUnansweredQuestionChangesNothing)
{
    ui::TfrmMain w;
    Action(w, "mnuOptionsKeepTape")->trigger();
    Clicks(w, {"btn7", "btnAdd"});
    FakeDialogs& d = FakeDialogs::Instance();
    d.onBox = [&w](const uitest::ShownBox&) { w.EndSession(); }; // SIGTERM while the box is open
    d.expectBoxes = true;                                        // and the box goes unanswered
    Action(w, "mnuOptionsKeepTape")->trigger();
    ASSERT_EQ(d.boxes.size(), 1u);
    EXPECT_EQ(d.boxes[0].text, QStringLiteral("Delete the kept tape?"));
    ui::StoredOptions stored;
    ui::ReadOptions(stored);
    EXPECT_TRUE(stored.KeepTape);
    EXPECT_EQ(FileLines(file), std::vector<std::string>{"7  "});
}

// A kept tape that cannot be written: while the program runs the status bar says so once; the close
// offers what a failure of the options offers, and Save As to put the lines elsewhere.
TEST_F(TapeInWindow, ATapeThatCannotBeKeptIsSaidWhileRunningAndAtClose)
{
    std::filesystem::create_directories(file.parent_path());
    const testfiles::ScopedOrdinaryUser user({dir.path().toStdString()});
    {
        ui::TfrmMain w;
        Action(w, "mnuOptionsKeepTape")->trigger();
        EXPECT_TRUE(w.close());
    }
    std::filesystem::permissions(file.parent_path(), std::filesystem::perms(0500));
    ui::TfrmMain w;
    Clicks(w, {"btn1", "btnAdd", "btn2", "btnEquals"});
    QStatusBar* bar = w.statusBar();
    ASSERT_TRUE(QTest::qWaitFor([bar] { return !bar->currentMessage().isEmpty(); }, 6000));
    EXPECT_TRUE(bar->currentMessage().contains(QString::fromStdString(file.string())));
    EXPECT_TRUE(bar->currentMessage().contains(QString::fromLocal8Bit(std::strerror(EACCES))));
    Clicks(w, {"btnMS"}); // the memory's value goes before the message
    Clicks(w, {"btn3", "btnAdd"});
    QTest::qWait(2600); // the next write fails too: not said again
    EXPECT_EQ(bar->currentMessage(), QString());

    // Cancel stays; Retry fails again; Save As puts the lines into another file and closes.
    FakeDialogs& d = FakeDialogs::Instance();
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.txt"));
    d.boxAnswers = {ui::BoxAnswer::Cancel};
    EXPECT_FALSE(w.close());
    d.boxAnswers = {ui::BoxAnswer::Retry, ui::BoxAnswer::SaveAs};
    d.saveAnswers = {elsewhere};
    EXPECT_TRUE(w.close());
    ASSERT_EQ(d.boxes.size(), 3u);
    EXPECT_EQ(d.boxes[2].caption, QStringLiteral("Error"));
    EXPECT_EQ(d.boxes[2].buttons, ui::BoxButtons::RetrySaveAsCloseAnywayCancel);
    EXPECT_TRUE(d.boxes[2].text.contains(QString::fromStdString(file.string())))
        << d.boxes[2].text.toStdString();
    EXPECT_TRUE(d.boxes[2].text.contains(QString::fromLocal8Bit(std::strerror(EACCES))));
    EXPECT_NE(ReadFile(elsewhere.toStdString()).find(" 2 +\r\n"), std::string::npos);
}

TEST_F(TapeInWindow, ALineReusedByDoubleClickAndItsMenuAndCopiedWithoutGrouping)
{
    ui::TfrmMain w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    Clicks(w, {"btn1", "btn2", "btn3", "btn4", "btnDecimal", "btn5", "btnAdd", "btn2", "btnAdd", "btnC"});
    ASSERT_EQ(TestAccess::TapeLines(w), (std::vector<std::string>{"1,234.5  ", "2 +", "Clear"}));
    ui::TapeView* tape = Tape(w);

    QTest::mouseDClick(tape->viewport(), Qt::LeftButton, {}, RowCentre(w, 0));
    EXPECT_EQ(TestAccess::DisplayText(w), "1,234.5");
    QTest::mouseDClick(tape->viewport(), Qt::LeftButton, {}, RowCentre(w, 2)); // "Clear": nothing
    EXPECT_EQ(TestAccess::DisplayText(w), "1,234.5");

    TestAccess::Button(w, QStringLiteral("btnC"))->Click();
    emit tape->customContextMenuRequested(RowCentre(w, 0));
    auto* menu = w.findChild<QMenu*>(QStringLiteral("mnuTape"));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(Action(w, "mnuTapeUseValue")->isEnabled());
    Action(w, "mnuTapeCopyWithoutGrouping")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("1234.5"));
    Action(w, "mnuTapeUseValue")->trigger();
    EXPECT_EQ(TestAccess::DisplayText(w), "1,234.5");
    menu->hide();
    emit tape->customContextMenuRequested(RowCentre(w, 3)); // the second "Clear"
    EXPECT_FALSE(Action(w, "mnuTapeUseValue")->isEnabled());
    EXPECT_FALSE(Action(w, "mnuTapeCopyWithoutGrouping")->isEnabled());
    Action(w, "mnuTapeCopy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Clear"));
    menu->hide();

    QTest::keyClick(w.findChild<QWidget*>(QStringLiteral("edtFocus")), Qt::Key_C,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("1234.5"));
    EXPECT_TRUE(FakeDialogs::Instance().boxes.empty());
}

} // namespace

namespace {

// With the tape kept, its record is kept beside it: after a restart the lines before "Restarted" can
// still be corrected, with their marks. A damaged record is set aside and the tape restored as text,
// as is a tape kept without a record (an earlier build's): those lines are then no entries to correct.
TEST_F(TapeInWindow, TheRecordIsKeptSoARestoredTapeCanBeCorrected)
{
    const auto correct = [](ui::TfrmMain& w, std::size_t line, const char* number) {
        Tape(w)->SetCaretLine(line);
        QTest::keyClick(w.findChild<QWidget*>(QStringLiteral("edtFocus")), Qt::Key_F2);
        auto* editor = w.findChild<QLineEdit*>(QStringLiteral("edtTapeLine"));
        if (editor == nullptr)
            return false;
        editor->setText(QString::fromLatin1(number));
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return true;
    };
    const std::string sep(26, '-');
    {
        ui::TfrmMain w;
        w.show();
        Action(w, "mnuOptionsKeepTape")->trigger();
        Clicks(w, {"btn1", "btnAdd", "btn2", "btnEquals"});
        ASSERT_TRUE(correct(w, 1, "5"));
        EXPECT_TRUE(w.close());
    }
    const std::filesystem::path record = std::filesystem::path(file).replace_extension(".rec");
    EXPECT_TRUE(std::filesystem::exists(record));
    {
        ui::TfrmMain w;
        w.show();
        std::vector<std::string> lines = TestAccess::TapeLines(w);
        ASSERT_EQ(lines.size(), 7u);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
                  (std::vector<std::string>{"1  ", "5 + !", sep, "6 = !", " "}));
        ASSERT_TRUE(correct(w, 1, "7"));
        lines = TestAccess::TapeLines(w);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
                  (std::vector<std::string>{"1  ", "7 + !", sep, "8 = !", " "}));
        EXPECT_EQ(lines[6].rfind("Restarted ", 0), 0u) << lines[6];
        EXPECT_TRUE(w.close());
    }
    for (const bool damaged : {false, true}) {
        if (damaged)
            WriteFile(record, "Quorlane Calculator record 1\nlocale 2e\n");
        else
            std::filesystem::remove(record);
        ui::TfrmMain w;
        w.show();
        EXPECT_EQ(TestAccess::TapeLines(w)[1], "7 + !");
        EXPECT_FALSE(correct(w, 1, "9")) << damaged; // text only: no entry to correct
        EXPECT_EQ(std::filesystem::exists(std::filesystem::path(record).concat(".bad")), damaged);
        if (damaged) {
            EXPECT_TRUE(w.statusBar()->currentMessage().contains(QStringLiteral("record"))) << damaged;
        }
        EXPECT_TRUE(w.close());
    }
}

// A correction while the tape is kept replaces the line on the screen and in the file alike, wherever
// the line is (a middle amount stayed on both beside its correction: four amounts shown, three added).
TEST_F(TapeInWindow, ACorrectionOfAKeptTapeReplacesItsLine)
{
    {
        ui::TfrmMain w;
        Action(w, "mnuOptionsKeepTape")->trigger();
        EXPECT_TRUE(w.close());
    }
    std::filesystem::remove_all(file.parent_path()); // nothing kept yet
    ui::TfrmMain w;                                  // started with the tape kept
    w.show();
    Clicks(w, {"btn1", "btn2", "btnAdd", "btn4", "btn9", "btnAdd", "btn3", "btnEquals"});
    Tape(w)->SetCaretLine(1);
    QTest::keyClick(w.findChild<QWidget*>(QStringLiteral("edtFocus")), Qt::Key_F2);
    auto* editor = w.findChild<QLineEdit*>(QStringLiteral("edtTapeLine"));
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("50"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    const std::vector<std::string> expected{"12  ", "50 + !", "3 +", std::string(26, '-'), "65 = !", " "};
    EXPECT_EQ(TestAccess::TapeLines(w), expected);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(FileLines(file), expected);
}

} // namespace
