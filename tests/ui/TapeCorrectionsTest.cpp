// Check and correct in the main window: an entry corrected in place with F2, deleted with Delete in
// the tape, inserted with Insert, a note from the tape's menu; the marks and notes in Copy Tape and
// Save; Ctrl+Z and Ctrl+Y; lines that are no entry refuse.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "tests/TestAccess.h"
#include "ui/Calc.h"
#include "ui/TapeView.h"

using uitest::FakeDialogs;

namespace {

class TapeCorrections : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakeDialogs::Instance().Reset();
        w = std::make_unique<ui::TfrmMain>();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
        tape = w->findChild<ui::TapeView*>(QStringLiteral("memTape"));
    }
    void TearDown() override
    {
        w.reset();
        FakeDialogs::Instance().Reset();
    }
    // Keys as the keyboard sends them to the widget with the focus.
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
    {
        QWidget* target = QApplication::focusWidget();
        QKeyEvent over(QEvent::ShortcutOverride, key, mods, text);
        QApplication::sendEvent(target, &over);
        QTest::keyClick(target, key, mods);
        QApplication::processEvents();
    }
    void Type(const char* keys)
    {
        for (const char* k = keys; *k != '\0'; ++k) {
            const QString text(1, QLatin1Char(*k));
            const Qt::Key key =
                *k == '\n' ? Qt::Key_Return : static_cast<Qt::Key>(QChar(*k).toUpper().unicode());
            QTest::keyClick(QApplication::focusWidget(), key,
                            *k == '+' || *k == '*' ? Qt::ShiftModifier : Qt::NoModifier);
            QApplication::processEvents();
        }
    }
    // Edits the selected line in place: the editor opens, takes the text, Enter closes it.
    void InPlace(Qt::Key opener, const char* text)
    {
        Key(opener);
        auto* editor = w->findChild<QLineEdit*>(QStringLiteral("edtTapeLine"));
        ASSERT_NE(editor, nullptr);
        ASSERT_EQ(QApplication::focusWidget(), editor);
        editor->selectAll();
        QTest::keyClicks(editor, QString::fromLatin1(text));
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(w->findChild<QLineEdit*>(QStringLiteral("edtTapeLine")), nullptr);
    }

    std::unique_ptr<ui::TfrmMain> w;
    ui::TapeView* tape = nullptr;
};

using Lines = std::vector<std::string>;
const std::string Sep(26, '-');

TEST_F(TapeCorrections, CorrectDeleteInsertUndoRedoWithTheKeys)
{
    Type("100+3-5\n");
    ASSERT_EQ(TestAccess::TapeLines(*w), (Lines{"100  ", "3 +", "5 -", Sep, "98 =", " "}));

    // F2 on "3 +" opens the editor with the number shown selected (the tape hides its own selection).
    tape->SetCaretLine(1);
    Key(Qt::Key_F2);
    auto* editor = w->findChild<QLineEdit*>(QStringLiteral("edtTapeLine"));
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->hasSelectedText());
    EXPECT_EQ(editor->geometry(), tape->LineRect(1)); // over its line, not half the next one
    const QImage drawn = editor->grab().toImage();
    const QRgb highlight = w->palette().color(QPalette::Highlight).rgb();
    bool highlighted = false;
    for (int y = 0; y < drawn.height() && !highlighted; ++y) {
        for (int x = 0; x < drawn.width() && !highlighted; ++x)
            highlighted = drawn.pixel(x, y) == highlight;
    }
    EXPECT_TRUE(highlighted);
    QTest::keyClick(editor, Qt::Key_Escape);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // 4 typed in place; the lines it changed are marked, the display follows.
    InPlace(Qt::Key_F2, "4");
    EXPECT_EQ(TestAccess::TapeLines(*w), (Lines{"100  ", "4 + !", "5 -", Sep, "99 = !", " "}));
    EXPECT_EQ(TestAccess::DisplayText(*w), "99");

    // Insert before "5 -": an operator and a number.
    tape->SetCaretLine(2);
    InPlace(Qt::Key_Insert, "* 2");
    EXPECT_EQ(TestAccess::TapeLines(*w), (Lines{"100  ", "4 + !", "2 * !", "5 -", Sep, "203 = !", " "}));

    // Delete on "4 +" while the tape has the focus; Delete elsewhere is CE as ever.
    tape->setFocus();
    tape->SetCaretLine(1);
    Key(Qt::Key_Delete);
    EXPECT_EQ(TestAccess::TapeLines(*w), (Lines{"100  ", "2 * !", "5 -", Sep, "195 = !", " "}));

    // Ctrl+Z three times gives the tape as typed; Ctrl+Y brings the first correction back.
    for (int i = 0; i < 3; ++i)
        Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(TestAccess::TapeLines(*w), (Lines{"100  ", "3 +", "5 -", Sep, "98 =", " "}));
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(TestAccess::TapeLines(*w), (Lines{"100  ", "4 + !", "5 -", Sep, "99 = !", " "}));

    // Lines that print no entry refuse, and the calculation goes on after a correction.
    tape->SetCaretLine(4);
    Key(Qt::Key_F2);
    EXPECT_EQ(w->findChild<QLineEdit*>(QStringLiteral("edtTapeLine")), nullptr);
    Type("+1\n");
    EXPECT_EQ(TestAccess::DisplayText(*w), "100");
}

TEST_F(TapeCorrections, NotesAndMarksAreCopiedSavedAndIgnoredByUseValue)
{
    Type("1350-50\n");
    QMenu* menu = w->findChild<QMenu*>(QStringLiteral("mnuTape"));
    tape->SetCaretLine(0);
    // Add Note from the tape's menu on the line under the pointer.
    QMetaObject::invokeMethod(tape,
                              [&] { emit tape->customContextMenuRequested(tape->LineRect(0).center()); });
    QApplication::processEvents();
    menu->hide();
    QAction* note = w->findChild<QAction*>(QStringLiteral("mnuTapeAddNote"));
    ASSERT_TRUE(note->isEnabled());
    note->trigger();
    auto* editor = w->findChild<QLineEdit*>(QStringLiteral("edtTapeLine"));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("Rent"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    tape->SetCaretLine(1);
    InPlace(Qt::Key_F2, "40");
    EXPECT_EQ(TestAccess::TapeLines(*w), (Lines{"Rent  1,350  ", "40 - !", Sep, "1,310 = !", " "}));

    w->findChild<QAction*>(QStringLiteral("mnuEditCopyTape"))->trigger();
    EXPECT_EQ(
        QApplication::clipboard()->text(),
        QStringLiteral("Rent  1,350  \r\n40 - !\r\n%1\r\n1,310 = !\r\n ").arg(QString::fromStdString(Sep)));
    // Use Value reads the number, not the note or the mark.
    emit tape->LineActivated(0);
    EXPECT_EQ(TestAccess::DisplayText(*w), "1,350");
    emit tape->LineActivated(3);
    EXPECT_EQ(TestAccess::DisplayText(*w), "1,310");
    // Undo takes the correction and then the note back: the tape as typed.
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(TestAccess::TapeLines(*w), (Lines{"1,350  ", "50 -", Sep, "1,300 =", " "}));
}

// A note keeps the letters of Latin-1 when edited again; a character the tape cannot print is
// refused and said, never turned into "?" (both happened: "März" came back as "M?rz", "€" as "?").
TEST_F(TapeCorrections, ANoteKeepsItsLettersOrIsRefused)
{
    Type("1350-50\n");
    const auto noteOn = [&](std::size_t line, const QString& text) {
        tape->SetCaretLine(line);
        w->findChild<QAction*>(QStringLiteral("mnuTapeAddNote"))->trigger();
        auto* editor = w->findChild<QLineEdit*>(QStringLiteral("edtTapeLine"));
        if (editor == nullptr)
            return QStringLiteral("no editor");
        const QString before = editor->text();
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return before;
    };
    // The menu's line is the one it was opened on.
    const auto menuOn = [&](std::size_t line) {
        emit tape->customContextMenuRequested(tape->LineRect(line).center());
        w->findChild<QMenu*>(QStringLiteral("mnuTape"))->hide();
    };
    menuOn(0);
    EXPECT_EQ(noteOn(0, QStringLiteral("Miete März")), QString());
    menuOn(0);
    EXPECT_EQ(noteOn(0, QStringLiteral("Miete März")), QStringLiteral("Miete März"));
    EXPECT_TRUE(FakeDialogs::Instance().boxes.empty());
    menuOn(1);
    FakeDialogs::Instance().boxAnswers = {ui::BoxAnswer::Ok};
    noteOn(1, QStringLiteral("Büro 🖨 €"));
    ASSERT_EQ(FakeDialogs::Instance().boxes.size(), 1u);
    EXPECT_EQ(FakeDialogs::Instance().boxes[0].text,
              QStringLiteral("\"🖨\" cannot be printed on the tape: the note was not changed."));
    EXPECT_EQ(TestAccess::TapeLines(*w), (Lines{"Miete M\xe4rz  1,350  ", "50 -", Sep, "1,300 =", " "}));
}

} // namespace
