// The keyboard equivalents window and the about window.

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "platform/VersionInfo.h"
#include "tests/TestAccess.h"
#include "ui/About.h"
#include "ui/Calc.h"
#include "ui/Help.h"

using uitest::FakeDialogs;

namespace {

class SecondaryWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FakeDialogs::Instance().Reset();
        w = std::make_unique<ui::TfrmMain>();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    void TearDown() override
    {
        w.reset();
        FakeDialogs::Instance().Reset();
    }
    void KeyTo(QWidget* target, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent override(QEvent::ShortcutOverride, key, mods);
        QApplication::sendEvent(target, &override);
        QTest::keyClick(target, key, mods);
    }
    std::unique_ptr<ui::TfrmMain> w;
};

TEST_F(SecondaryWindows, KeyboardEquivalentsListTheMapAndComeForwardAgain)
{
    KeyTo(QApplication::focusWidget(), Qt::Key_F1);
    const QList<ui::TfrmHelp*> helps = w->findChildren<ui::TfrmHelp*>();
    ASSERT_EQ(helps.size(), 1);
    ui::TfrmHelp* help = helps.first();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Keyboard Equivalents"));
    EXPECT_EQ(help->size(), QSize(406, 343));

    const std::pair<const char*, QStringList> columns[] = {
        {"memButton1", {"0-9", "00", "000", "", ".", "+/-", "#", "/", "*", "-", "+", "", "="}},
        {"memKeyboard1", {"0-9", "z", "x", "", ".", "F9", "#", "/", "*", "-", "+", "", "Enter"}},
        {"memButton2",
         {"sqrt", "%", "1/x", "Subtotal", "Backspace", "CE", "C", "GT", "MC", "MR", "MS", "M+", "M-"}},
        {"memKeyboard2",
         {"@", "%", "r", "s", "Backspace", "Delete", "Esc", "g", "Ctrl+L", "Ctrl+R", "Ctrl+M", "Ctrl+A",
          "Ctrl+S"}},
    };
    for (const auto& [name, lines] : columns) {
        auto* m = help->findChild<QPlainTextEdit*>(QString::fromLatin1(name));
        ASSERT_NE(m, nullptr) << name;
        EXPECT_EQ(m->toPlainText().split(QLatin1Char('\n')), lines) << name;
    }
    EXPECT_EQ(help->findChild<QLabel*>(QStringLiteral("lblKeyboard2"))->text(), QStringLiteral("Keyboard"));
    EXPECT_EQ(help->findChild<QWidget*>(QStringLiteral("Panel"))->geometry(), QRect(0, 0, 406, 299));
    EXPECT_TRUE(
        help->findChild<QLabel*>(QStringLiteral("lblMore"))->text().contains(QStringLiteral("Ctrl+Shift+C")));

    help->raise();
    help->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), help);
    auto* close = help->findChild<QPushButton*>(QStringLiteral("btnClose"));
    // A click into a column leaves the focus on Close.
    auto* column = help->findChild<QPlainTextEdit*>(QStringLiteral("memKeyboard1"));
    column->setFocus();
    QTest::mouseClick(column->viewport(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), close);
    // Calculator keys typed here do not reach the calculator.
    QTest::keyClick(help, Qt::Key_7);
    EXPECT_EQ(TestAccess::DisplayText(*w), "0");
    // Enter closes, and so does Esc; F1 brings the same window back, as it does from behind the
    // calculator.
    QTest::keyClick(close, Qt::Key_Return);
    EXPECT_FALSE(help->isVisible());
    w->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), w.get());
    KeyTo(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_TRUE(help->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), help);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(help->isVisible());
    w->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), w.get());
    KeyTo(QApplication::focusWidget(), Qt::Key_F1);
    w->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), w.get());
    KeyTo(QApplication::focusWidget(), Qt::Key_F1);
    QTRY_COMPARE(QApplication::activeWindow(), help);
    EXPECT_EQ(w->findChildren<ui::TfrmHelp*>().size(), 1);
}

// A screen reader reads the columns as rows named by button and key; Tab moves from Close to them
// and the arrow keys from row to row.
TEST_F(SecondaryWindows, KeyboardEquivalentsReadAsNamedRows)
{
    ui::TfrmHelp help(w.get());
    const QStringList rows = help.SpokenRows();
    const std::pair<int, const char*> expected[] = {
        {0, "Digits 0 to 9: 0 to 9"},
        {1, "Double zero: Z"},
        {4, "Change sign: F9"},
        {5, "Non-add: number sign"},
        {6, "Divide: slash"},
        {10, "Equals: Enter"},
        {11, "Square root: at sign"},
        {12, "Percent: percent sign"},
        {14, "Subtotal: S"},
        {17, "Clear: Escape"},
        {18, "Grand total: G"},
        {19, "Memory clear: Control L"},
        {24, "Ctrl+Shift+C copies the display without grouping."},
    };
    for (const auto& [index, row] : expected)
        EXPECT_EQ(rows.value(index), QString::fromLatin1(row));
    EXPECT_EQ(rows.size(), 26); // 11 and 13 rows with a button or key, the note's two lines
    EXPECT_EQ(rows.value(3).section(QLatin1Char(':'), 0, 0), QStringLiteral("Decimal point"));

    help.show();
    help.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &help);
    QWidget* panel = help.findChild<QWidget*>(QStringLiteral("Panel"));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(panel);
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), rows.size()); // the headings and columns are not read besides
    EXPECT_EQ(list->child(11)->text(QAccessible::Name), QStringLiteral("Square root: at sign"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), panel);
    QTest::keyClick(panel, Qt::Key_Down);
    QTest::keyClick(panel, Qt::Key_Down);
    EXPECT_TRUE(list->child(2)->state().focused);
    EXPECT_FALSE(list->child(0)->state().focused);
    EXPECT_EQ(list->focusChild()->text(QAccessible::Name), QStringLiteral("Triple zero: X"));
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
}

// Where the comma is the decimal separator, the decimal key is listed as the comma its caption shows
// and the comma key types.
TEST(KeyboardEquivalents, NameTheLocalesDecimalKey)
{
    ui::TfrmMain german({}, {',', '.'});
    german.findChild<QAction*>(QStringLiteral("mnuHelpKeyboardEquivalents"))->trigger();
    auto* help = german.findChild<ui::TfrmHelp*>();
    ASSERT_NE(help, nullptr);
    for (const char* column : {"memButton1", "memKeyboard1"}) {
        const QStringList lines =
            help->findChild<QPlainTextEdit*>(QString::fromLatin1(column))->toPlainText().split(u'\n');
        EXPECT_EQ(lines.value(4), QStringLiteral(",")) << column;
    }
}

TEST_F(SecondaryWindows, AboutShowsTheVersionBlockOfTheProgram)
{
    FakeDialogs& d = FakeDialogs::Instance();
    QString company, product, version, copyright;
    d.onExec = [&](QDialog& dialog) {
        company = dialog.findChild<QLabel*>(QStringLiteral("lblCompany"))->text();
        product = dialog.findChild<QLabel*>(QStringLiteral("lblProduct"))->text();
        version = dialog.findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
        copyright = dialog.findChild<QLabel*>(QStringLiteral("lblCopyright"))->text();
        return static_cast<int>(QDialog::Accepted);
    };
    w->findChild<QAction*>(QStringLiteral("mnuHelpAboutCalculator"))->trigger();
    ASSERT_EQ(d.executed, std::vector<QString>{QStringLiteral("frmAbout")});
    EXPECT_EQ(company, QStringLiteral("Quorlane"));
    EXPECT_EQ(product, QStringLiteral("Calculator"));
    EXPECT_EQ(version, QStringLiteral("1.0.0.36"));
    EXPECT_EQ(copyright, QString::fromLatin1(TStVersionInfo().LegalCopyright().c_str()));
    EXPECT_FALSE(copyright.isEmpty());
}

TEST_F(SecondaryWindows, AboutClosesWithEnterOrEscOpensTheLinkAndKeepsNoCaret)
{
    FakeDialogs& d = FakeDialogs::Instance();
    ui::TfrmAbout about(w.get());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Quorlane Calculator"));
    EXPECT_EQ(about.size(), QSize(271, 289));
    EXPECT_EQ(about.findChild<QPlainTextEdit*>(QStringLiteral("memWarning"))->toPlainText(),
              QStringLiteral("\n\n \n\n"));
    w->move(20, 30);
    about.show();
    about.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &about);
    // Centred on the screen, wherever the main window is.
    EXPECT_EQ(about.geometry().center(), w->screen()->geometry().center());
    QTest::mouseClick(about.findChild<QLabel*>(QStringLiteral("lblHyperlink")), Qt::LeftButton);
    EXPECT_EQ(d.openedUrls, std::vector<QString>{QStringLiteral("https://www.quorlane.example")});
    QTest::mouseClick(about.findChild<QPlainTextEdit*>(QStringLiteral("memWarning"))->viewport(),
                      Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), about.findChild<QLineEdit*>(QStringLiteral("edtFocus")));
    auto* ok = about.findChild<QPushButton*>(QStringLiteral("btnOK"));
    ok->setFocus();
    // Tab stays on OK: the warning and the sink behind OK are no places for the keys.
    QTest::keyClick(ok, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), ok);
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
    about.show();
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Rejected);
}

TEST_F(SecondaryWindows, AProgramWithoutVersionDataHasNoAboutWindow)
{
    EXPECT_THROW(ui::TfrmAbout(w.get(), QStringLiteral("/bin/true")), EStVersionInfoError);
    EXPECT_THROW(ui::TfrmAbout(w.get(), QStringLiteral("/no/such/program")), EStVersionInfoError);
}

} // namespace

// Every window names installed families: the design's families that this machine lacks are replaced
// by their metric twins, so Qt never resolves a missing family (a fontconfig sort per font made).
TEST_F(SecondaryWindows, FontsNameInstalledFamiliesOrTheDesignsTwins)
{
    const QStringList installed = QFontDatabase::families();
    const ui::DesignFonts fonts;
    const struct
    {
        const char* design;
        const char* twin;
    } cases[] = {{"Arial", "Liberation Sans"},
                 {"Tahoma", "Liberation Sans"},
                 {"MS Sans Serif", "Liberation Sans"},
                 {"Courier New", "Liberation Mono"}};
    for (const auto& c : cases) {
        const QString design = QString::fromLatin1(c.design);
        const QString twin = QString::fromLatin1(c.twin);
        if (installed.contains(design, Qt::CaseInsensitive))
            EXPECT_EQ(fonts.Family(c.design), design);
        else if (installed.contains(twin))
            EXPECT_EQ(fonts.Family(c.design), twin) << c.design;
        else
            EXPECT_EQ(fonts.Family(c.design), design) << "without a twin the name stays for fontconfig";
    }
    ASSERT_TRUE(installed.contains(QStringLiteral("Liberation Sans"))) << "scripts/install-deps installs it";
    ui::TfrmAbout about(w.get(), QString::fromLatin1(platform::RunningExecutablePath));
    ui::TfrmHelp help(w.get());
    for (QWidget* window :
         {static_cast<QWidget*>(w.get()), static_cast<QWidget*>(&about), static_cast<QWidget*>(&help)}) {
        for (const QWidget* widget : window->findChildren<QWidget*>())
            EXPECT_TRUE(installed.contains(widget->font().family(), Qt::CaseInsensitive))
                << widget->objectName().toStdString() << ": " << widget->font().family().toStdString();
    }
}
