// Options that persist: the settings store through the real per-user registry file (in a temporary
// folder), the toggles, the colour schemes and the run-on-logon entry.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QWindow>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "SettingsFixture.h"
#include "controls/Abcbtn.h"
#include "platform/AtomicFile.h"
#include "platform/Autostart.h"
#include "platform/Registry.h"
#include "tests/TestAccess.h"
#include "ui/Calc.h"
#include "ui/SettingsStore.h"
#include "ui/TapeView.h"

using platform::TRegistry;
using uitest::FakeDialogs;

namespace {

// Whether the entry would start the program at the next logon: the user's entry overrides the
// system one, and "Hidden=true" disables it.
bool AutostartEntryActive(const platform::AutostartFolders& folders, std::string_view fileName)
{
    const auto active = [](const std::filesystem::path& file) {
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) {
            if (line == "Hidden=true")
                return false;
        }
        return true;
    };
    std::error_code ec;
    const std::filesystem::path user = folders.user / fileName, system = folders.system / fileName;
    if (std::filesystem::exists(user, ec))
        return active(user);
    return std::filesystem::exists(system, ec) && active(system);
}

class Options : public uitest::SettingsFixture
{
protected:
    void SetUp() override
    {
        SettingsFixture::SetUp();
        qputenv("QUORLANE_AUTOSTART_SYSTEM_DIR",
                QFile::encodeName(dir.filePath(QStringLiteral("system-autostart"))));
        qputenv("QUORLANE_AUTOSTART_USER_DIR",
                QFile::encodeName(dir.filePath(QStringLiteral("user-autostart"))));
    }

    // Values under the options key, written before the window starts.
    struct Stored
    {
        const char* name;
        std::optional<int> dword;
        std::optional<std::string> text = std::nullopt;
    };
    void Store(std::initializer_list<Stored> values, bool placement = false)
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(ui::SettingsKey, true));
        for (const Stored& v : values) {
            if (v.dword)
                reg.WriteInteger(v.name, *v.dword);
            else
                reg.WriteString(v.name, *v.text);
        }
        if (placement) {
            ASSERT_TRUE(reg.OpenKey(std::string(ui::ProductKey) + "frmMain", true));
            reg.WriteInteger("Width", 700);
        }
        reg.CloseKey();
    }
    std::optional<int> Read(const char* name) const
    {
        TRegistry reg;
        if (!reg.OpenKey(ui::SettingsKey, false) || !reg.ValueExists(name))
            return std::nullopt;
        return reg.ReadInteger(name);
    }
    static bool PlacementStored()
    {
        TRegistry reg;
        return reg.OpenKey(std::string(ui::ProductKey) + "frmMain", false);
    }
    bool Checked(ui::TfrmMain& w, const char* item)
    {
        return w.findChild<QAction*>(QString::fromLatin1(item))->isChecked();
    }
    bool AnyFlat(ui::TfrmMain& w)
    {
        for (TabcPicSpeedBtn* b : w.findChildren<TabcPicSpeedBtn*>()) {
            if (b->Popup())
                return true;
        }
        return false;
    }
};

TEST_F(Options, NoStoredOptionsGiveTheDesignStates)
{
    ui::TfrmMain w;
    EXPECT_TRUE(Checked(w, "mnuViewHistoryTape"));
    EXPECT_FALSE(Checked(w, "mnuViewFlatButtons"));
    EXPECT_FALSE(Checked(w, "mnuOptionsAlwaysOnTop"));
    EXPECT_FALSE(Checked(w, "mnuOptionsTrayIcon"));
    EXPECT_FALSE(Checked(w, "mnuOptionsRunOnStartup"));
    EXPECT_EQ(TestAccess::SchemeIndex(w), 0);
    EXPECT_FALSE(AnyFlat(w));
}

TEST_F(Options, FirstRunShowsTheTapeForgetsThePlacementAndAppliesTheRest)
{
    Store({{"FirstRun", 1},
           {"Flat", 1},
           {"Tape", 0},
           {"OnTop", 0},
           {"TrayIcon", 0},
           {"RunOnStartup", 0},
           {"Color", 5}},
          true);
    ui::TfrmMain w;
    EXPECT_EQ(Read("Tape"), 1);
    EXPECT_EQ(Read("FirstRun"), 0);
    EXPECT_FALSE(PlacementStored());
    EXPECT_TRUE(Checked(w, "mnuViewFlatButtons"));
    EXPECT_TRUE(Checked(w, "mnuViewHistoryTape"));
    EXPECT_EQ(TestAccess::SchemeIndex(w), 5);
    EXPECT_TRUE(Checked(w, "mnuOptionsColorSchemeBlack"));
    EXPECT_TRUE(AnyFlat(w));
}

TEST_F(Options, EachValueIsReadOnItsOwn)
{
    // Without "FirstRun" nothing is applied.
    Store({{"Flat", 1}, {"Tape", 0}, {"OnTop", 1}, {"TrayIcon", 0}, {"RunOnStartup", 1}, {"Color", 2}});
    {
        ui::TfrmMain w;
        EXPECT_FALSE(Checked(w, "mnuViewFlatButtons"));
        EXPECT_TRUE(Checked(w, "mnuViewHistoryTape"));
        EXPECT_EQ(TestAccess::SchemeIndex(w), 0);
    }
    // "Flat" as text keeps its default; the later values are read.
    Store({{"FirstRun", 0}, {"Flat", std::nullopt, std::string("1")}, {"Tape", 0}, {"Color", 3}});
    {
        ui::TfrmMain w;
        EXPECT_FALSE(Checked(w, "mnuViewFlatButtons"));
        EXPECT_FALSE(Checked(w, "mnuViewHistoryTape"));
        EXPECT_EQ(TestAccess::SchemeIndex(w), 3);
    }
    // A value missing in the middle: the ones around it are applied.
    std::filesystem::remove(TRegistry::HiveFile());
    Store({{"FirstRun", 0}, {"Flat", 1}, {"Tape", 1}, {"OnTop", 1}, {"RunOnStartup", 1}, {"Color", 4}});
    ui::TfrmMain w;
    EXPECT_TRUE(Checked(w, "mnuViewFlatButtons"));
    EXPECT_TRUE(Checked(w, "mnuOptionsAlwaysOnTop"));
    EXPECT_TRUE(TestAccess::OnTop(w));
    EXPECT_FALSE(Checked(w, "mnuOptionsTrayIcon"));
    EXPECT_TRUE(Checked(w, "mnuOptionsRunOnStartup"));
    EXPECT_EQ(TestAccess::SchemeIndex(w), 4);
}

// A "FirstRun" of another type once made every start ignore the options and the close write the
// defaults over them.
TEST_F(Options, AWrongTypedFirstRunNeverLosesTheOptions)
{
    for (const std::string what : {"text", "binary"}) {
        Store({{"Flat", 1}, {"Tape", 1}, {"OnTop", 0}, {"TrayIcon", 0}, {"RunOnStartup", 0}, {"Color", 3}});
        {
            TRegistry reg;
            ASSERT_TRUE(reg.OpenKey(ui::SettingsKey, false));
            if (what == "text")
                reg.WriteString("FirstRun", "0");
            else
                reg.WriteFloat("FirstRun", 0.0);
        }
        for (int run = 0; run < 2; ++run) {
            ui::TfrmMain w;
            w.show();
            EXPECT_TRUE(Checked(w, "mnuViewFlatButtons")) << what << run;
            EXPECT_EQ(TestAccess::SchemeIndex(w), 3) << what << run;
            EXPECT_TRUE(w.close());
        }
        EXPECT_EQ(Read("FirstRun"), 0) << what; // rewritten as a number
        EXPECT_EQ(Read("Flat"), 1) << what;
        EXPECT_EQ(Read("Color"), 3) << what;
    }
}

// A first-run step that could not be stored (a full disk) left the options unread, and the close
// then wrote the defaults over them.
TEST_F(Options, AFirstRunThatCannotBeStoredStillReadsTheOptions)
{
    Store({{"FirstRun", 1}, {"Flat", 1}, {"OnTop", 1}, {"Color", 3}});
    ui::StoredOptions options;
    {
        const platform::files::ScopedIoHooks diskFull({[](int, const void*, std::size_t) -> ssize_t {
                                                           errno = ENOSPC;
                                                           return -1;
                                                       },
                                                       {}});
        ui::ReadOptions(options);
    }
    EXPECT_TRUE(options.Flat);
    EXPECT_TRUE(options.OnTop);
    EXPECT_EQ(options.Color, 3);
    EXPECT_EQ(Read("FirstRun"), 1); // still pending for the next start
}

TEST_F(Options, ClosingWritesAllSixAndTheyComeBackNextTime)
{
    {
        ui::TfrmMain w;
        w.show();
        w.findChild<QAction*>(QStringLiteral("mnuViewFlatButtons"))->trigger();
        w.findChild<QAction*>(QStringLiteral("mnuOptionsColorSchemeDesert"))->trigger();
        EXPECT_TRUE(w.close());
    }
    EXPECT_EQ(Read("Flat"), 1);
    EXPECT_EQ(Read("Tape"), 1);
    EXPECT_EQ(Read("OnTop"), 0);
    EXPECT_EQ(Read("TrayIcon"), 0);
    EXPECT_EQ(Read("RunOnStartup"), 0);
    EXPECT_EQ(Read("Color"), 2);
    // Without an installer the program itself makes the options readable next time.
    EXPECT_EQ(Read("FirstRun"), 0);
    ui::TfrmMain again;
    EXPECT_TRUE(Checked(again, "mnuViewFlatButtons"));
    EXPECT_EQ(TestAccess::SchemeIndex(again), 2);
    EXPECT_TRUE(Checked(again, "mnuOptionsColorSchemeDesert"));
}

TEST_F(Options, AnUnknownSchemeIsKeptAndWrittenBack)
{
    Store({{"FirstRun", 0},
           {"Flat", 0},
           {"Tape", 1},
           {"OnTop", 0},
           {"TrayIcon", 0},
           {"RunOnStartup", 0},
           {"Color", 7}});
    {
        ui::TfrmMain w;
        EXPECT_EQ(TestAccess::SchemeIndex(w), 7);
        EXPECT_TRUE(Checked(w, "mnuOptionsColorSchemeDefault")); // the design check mark stays
        EXPECT_EQ(TestAccess::Button(w, QStringLiteral("btn7"))->Color(), clBtnFace);
        EXPECT_TRUE(w.close());
    }
    EXPECT_EQ(Read("Color"), 7);
}

TEST_F(Options, FlatButtonsTwiceAreRaisedAgain)
{
    ui::TfrmMain w;
    QAction* flat = w.findChild<QAction*>(QStringLiteral("mnuViewFlatButtons"));
    flat->trigger();
    EXPECT_TRUE(flat->isChecked());
    for (TabcPicSpeedBtn* b : w.findChildren<TabcPicSpeedBtn*>())
        EXPECT_TRUE(b->Popup()) << b->objectName().toStdString();
    flat->trigger();
    EXPECT_FALSE(AnyFlat(w));
}

TEST_F(Options, AlwaysOnTopTogglesInPlace)
{
    ui::TfrmMain w;
    w.show();
    const QRect before = w.geometry();
    QWindow* native = w.windowHandle();
    w.findChild<QAction*>(QStringLiteral("mnuOptionsAlwaysOnTop"))->trigger();
    EXPECT_TRUE(TestAccess::OnTop(w));
    EXPECT_TRUE(native->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(w.windowHandle(), native); // no new native window
    EXPECT_EQ(w.geometry(), before);
    EXPECT_TRUE(w.isVisible());
    w.findChild<QAction*>(QStringLiteral("mnuOptionsAlwaysOnTop"))->trigger();
    EXPECT_FALSE(native->flags().testFlag(Qt::WindowStaysOnTopHint));
}

// The entry is the user's own, for root as well (the system folder, writable here, would start the
// program for every user), and names the program twice: to run it, and to skip the entry once the
// program is gone.
TEST_F(Options, RunOnStartupWritesTheUsersOwnAutostartEntryOrSaysWhyNot)
{
    const platform::AutostartFolders folders = platform::DefaultAutostartFolders();
    std::filesystem::create_directories(folders.system);
    ui::TfrmMain w;
    QAction* run = w.findChild<QAction*>(QStringLiteral("mnuOptionsRunOnStartup"));
    run->trigger();
    const std::filesystem::path user = folders.user / ui::AutostartFileName;
    ASSERT_TRUE(std::filesystem::exists(user));
    EXPECT_FALSE(std::filesystem::exists(folders.system / ui::AutostartFileName));
    QFile entry(QString::fromStdString(user.string()));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationFilePath());
    EXPECT_TRUE(text.contains("\nTryExec=" + program + "\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nExec=\"" + program + "\" /tray\n")) << text.toStdString();
    EXPECT_TRUE(AutostartEntryActive(folders, ui::AutostartFileName));
    // The entry of earlier builds, under its old name, goes with the option.
    QFile old(QString::fromStdString((folders.user / "quorlane-calculator.desktop").string()));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("[Desktop Entry]\nType=Application\nName=Quorlane Calculator\nExec=quorcalc /tray\n");
    old.close();
    run->trigger();
    EXPECT_FALSE(AutostartEntryActive(folders, ui::AutostartFileName));
    EXPECT_FALSE(AutostartEntryActive(folders, "quorlane-calculator.desktop"));
    EXPECT_TRUE(FakeDialogs::Instance().boxes.empty()); // removing a missing entry is no error

    // The folder cannot be written: an error box, and the check mark goes back.
    FakeDialogs& d = FakeDialogs::Instance();
    std::filesystem::remove_all(folders.user);
    QFile(QString::fromStdString(folders.user.string())).open(QIODevice::WriteOnly);
    d.expectBoxes = true;
    run->trigger();
    EXPECT_FALSE(run->isChecked());
    ASSERT_EQ(d.boxes.size(), 1u);
    EXPECT_EQ(d.boxes[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(d.boxes[0].text.contains(QStringLiteral("start at logon")));
    std::filesystem::remove(folders.user);
}

TEST_F(Options, TheSchemeMenuListsDefaultThenTheOthersAlphabetically)
{
    ui::TfrmMain w;
    const std::pair<const char*, int> expected[] = {{"Default", 0},  {"Black", 5}, {"Desert", 2},
                                                    {"Eggplant", 3}, {"Rose", 4},  {"Traditional", 1}};
    const QList<QAction*> items = w.findChild<QMenu*>(QStringLiteral("mnuOptionsColorScheme"))->actions();
    ASSERT_EQ(items.size(), std::ssize(expected));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const auto& [caption, scheme] = expected[i];
        EXPECT_EQ(items[i]->text(), QString::fromLatin1(caption));
        EXPECT_EQ(items[i]->objectName(),
                  QStringLiteral("mnuOptionsColorScheme") + QString::fromLatin1(caption));
        items[i]->trigger();
        EXPECT_EQ(TestAccess::SchemeIndex(w), scheme) << caption;
        EXPECT_TRUE(items[i]->isChecked()) << caption;
    }
}

TEST_F(Options, ColourSchemesPaintKeysAndTheWindow)
{
    ui::TfrmMain w;
    w.findChild<ui::TapeView*>(QStringLiteral("memTape"))->Append("12 +");
    w.findChild<QAction*>(QStringLiteral("mnuOptionsColorSchemeBlack"))->trigger();
    EXPECT_EQ(TestAccess::SchemeIndex(w), 5);
    for (TabcPicSpeedBtn* b : w.findChildren<TabcPicSpeedBtn*>()) {
        EXPECT_EQ(b->Color(), 0x000000u) << b->objectName().toStdString();
        EXPECT_EQ(b->FontColor(), 0xFFFFFFu) << b->objectName().toStdString();
    }
    const QPalette display = w.findChild<QWidget*>(QStringLiteral("memDisplayValue"))->palette();
    EXPECT_EQ(display.color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(display.color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(TestAccess::TapeLines(w), std::vector<std::string>{"12 +"});
    EXPECT_FALSE(w.findChild<QAction*>(QStringLiteral("mnuOptionsColorSchemeDefault"))->isChecked());

    // Traditional: Clear keys differ from Backspace; the status bar's text is black (white cannot be
    // read on its #E9E9E9).
    w.findChild<QAction*>(QStringLiteral("mnuOptionsColorSchemeTraditional"))->trigger();
    EXPECT_EQ(TestAccess::SchemeIndex(w), 1);
    EXPECT_EQ(ColorToQColor(TestAccess::Button(w, QStringLiteral("btnC"))->Color()).rgb(),
              qRgb(0xF1, 0xC5, 0x5C));
    EXPECT_EQ(ColorToQColor(TestAccess::Button(w, QStringLiteral("btnBack"))->Color()).rgb(),
              qRgb(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("StatusBarPanel0"))->palette().color(QPalette::WindowText),
              QColor(Qt::black));

    // Default goes back to the desktop's own colours (system references).
    w.findChild<QAction*>(QStringLiteral("mnuOptionsColorSchemeDefault"))->trigger();
    EXPECT_EQ(TestAccess::Button(w, QStringLiteral("btn7"))->Color(), clBtnFace);
    EXPECT_EQ(TestAccess::Button(w, QStringLiteral("btn7"))->FontColor(), clNavy);
    EXPECT_EQ(TestAccess::Button(w, QStringLiteral("btnMC"))->FontColor(), clPurple);
    EXPECT_EQ(TestAccess::Button(w, QStringLiteral("btnCE"))->FontColor(), clMaroon);
    // ... and follows a change of the desktop's palette.
    const QPalette saved = QApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    QApplication::setPalette(dark);
    EXPECT_EQ(w.findChild<QWidget*>(QStringLiteral("memTape"))->palette().color(QPalette::Base),
              QColor(0x20, 0x20, 0x20));
    QApplication::setPalette(saved);
}

TEST(AutostartEntry, ExecQuotingFollowsTheDesktopEntryRules)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/quorcalc", "\"/usr/bin/quorcalc\""},
        {"/opt/My Apps/quorcalc", "\"/opt/My Apps/quorcalc\""},
        {"/a\"b`c$d", "\"/a\\\\\"b\\\\`c\\\\$d\""},
        {"/new\nline\ttab", "\"/new\\nline\\ttab\""},
        {"/100%/x", "\"/100%%/x\""},
        {"/back\\slash", "\"/back\\\\\\\\slash\""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(platform::DesktopExecArgument(in), out) << in;
    // What an entry cannot hold is refused, never written half.
    for (const char* bad : {"/bad\x01char", "/latin1\xe9", "/cut\xc3"})
        EXPECT_THROW(platform::DesktopExecArgument(bad), std::runtime_error) << bad;
    EXPECT_EQ(platform::DesktopExecArgument("/caf\xc3\xa9"), "\"/caf\xc3\xa9\"");
    EXPECT_EQ(
        platform::AutostartEntryText("Quorlane Calculator", "/opt/My Apps/quorcalc", "/tray", "x.y.Z"),
        "[Desktop Entry]\nType=Application\nName=Quorlane Calculator\nTryExec=/opt/My Apps/quorcalc\n"
        "Exec=\"/opt/My Apps/quorcalc\" /tray\nIcon=x.y.Z\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
    // TryExec is a plain string: only backslashes, control characters and a leading blank escaped.
    EXPECT_EQ(platform::DesktopStringValue(" /a\\b\tc\nd\"$`%"), "\\s/a\\\\b\\tc\\nd\"$`%");
}

// A system entry an earlier build wrote is kept from starting the program for this user when the
// option is turned off, and goes where the user may remove it.
TEST(AutostartEntry, AnEarlierSystemEntryStopsWithTheOption)
{
    QTemporaryDir dir;
    platform::AutostartFolders folders{dir.filePath(QStringLiteral("system")).toStdString(),
                                       dir.filePath(QStringLiteral("user")).toStdString()};
    std::filesystem::create_directories(folders.system);
    QFile old(QString::fromStdString((folders.system / "x.desktop").string()));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("[Desktop Entry]\nType=Application\nName=X\nExec=x\n");
    old.close();
    EXPECT_EQ(platform::WriteAutostartEntry(folders, "x.desktop", "[Desktop Entry]\n"),
              folders.user / "x.desktop");
    EXPECT_FALSE(std::filesystem::exists(folders.system / "x.desktop"));
    EXPECT_TRUE(AutostartEntryActive(folders, "x.desktop"));
    platform::RemoveAutostartEntry(folders, "x.desktop");
    EXPECT_FALSE(AutostartEntryActive(folders, "x.desktop"));
}

} // namespace

namespace {

// The adding machine's switches: chosen in the Options menu, acting on the keys typed (S, G and #
// among them), shown in the status bar while not at their defaults, kept by the close for the next
// start; a stored value outside the choices keeps its default.
TEST_F(Options, TheAddingMachinesSwitchesActShowAndPersist)
{
    const auto type = [](ui::TfrmMain& w, const char* keys) {
        for (const char* k = keys; *k != '\0'; ++k) {
            const QString text = QString(QLatin1Char(*k));
            const int key = *k == '\n' ? Qt::Key_Return : std::toupper(static_cast<unsigned char>(*k));
            const Qt::KeyboardModifiers mods = *k == '#' || *k == '+' ? Qt::ShiftModifier : Qt::NoModifier;
            QKeyEvent press(QEvent::KeyPress, key, mods, text);
            QApplication::sendEvent(w.findChild<QWidget*>(QStringLiteral("edtFocus")), &press);
        }
    };
    const auto panel = [](ui::TfrmMain& w) {
        const auto* label = w.findChild<QLabel*>(QStringLiteral("StatusBarPanel1"));
        return label->isVisibleTo(&w) ? label->text() : QString();
    };
    {
        ui::TfrmMain w;
        w.show();
        EXPECT_EQ(panel(w), QString()); // every switch at its default: nothing shown
        for (const char* item : {"mnuOptionsDecimalPlaces2", "mnuOptionsRoundingDown", "mnuOptionsGrandTotal",
                                 "mnuOptionsItemCount"})
            w.findChild<QAction*>(QString::fromLatin1(item))->trigger();
        EXPECT_EQ(panel(w), QStringLiteral("2 Down GT n"));
        type(w, "220/6\n4711#S10+5S\nG");
        EXPECT_EQ(
            TestAccess::TapeLines(w),
            (std::vector<std::string>{"220.00  ", "6.00 /", "--------------------------", "000  36.66 =", " ",
                                      "4,711 #", "000  36.66 S", "10.00  ", "5.00 +", "002  15.00 S",
                                      "--------------------------", "002  15.00 =", " ", "51.66 GT"}));
        EXPECT_EQ(panel(w), QStringLiteral("2 Down GT = 51.66 n"));
        EXPECT_TRUE(w.close());
    }
    EXPECT_EQ(Read("DecimalPlaces"), 2);
    EXPECT_EQ(Read("Rounding"), 2);
    EXPECT_EQ(Read("GrandTotal"), 1);
    EXPECT_EQ(Read("ItemCount"), 1);
    {
        ui::TfrmMain w;
        EXPECT_TRUE(Checked(w, "mnuOptionsDecimalPlaces2"));
        EXPECT_TRUE(Checked(w, "mnuOptionsRoundingDown"));
        w.findChild<QAction*>(QStringLiteral("mnuOptionsDecimalPlacesAdd"))->trigger();
        EXPECT_EQ(panel(w), QStringLiteral("2 Down A GT n"));
    }
    Store({{"DecimalPlaces", 9}, {"Rounding", -1}});
    ui::TfrmMain w;
    EXPECT_TRUE(Checked(w, "mnuOptionsDecimalPlacesFloating"));
    EXPECT_TRUE(Checked(w, "mnuOptionsRounding54"));
}

} // namespace
