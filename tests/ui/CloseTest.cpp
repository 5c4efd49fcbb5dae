// Closing while the settings file cannot be written, in every way a user meets it: the box names
// the file and the system's reason, Retry tries again, Close Anyway closes without saving, Cancel
// keeps the window; the same from the notification area's Exit.

#include <QAction>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "SettingsFixture.h"
#include "controls/StTrIcon.h"
#include "platform/Registry.h"
#include "platform/qt/TrayShell.h"
#include "tests/FileConditions.h"
#include "tests/fakes/TrayShellFake.h"
#include "ui/Calc.h"
#include "ui/SettingsStore.h"

using uitest::FakeDialogs;
namespace fs = std::filesystem;

namespace {

class Close : public uitest::SettingsFixture
{
public:
    fs::path Dir() const { return dir.path().toStdString(); }
    fs::path HiveFile() const { return platform::TRegistry::HiveFile(); }
    fs::path Folder() const { return HiveFile().parent_path(); }
    std::string Bytes() const
    {
        std::ifstream in(HiveFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // A folder where the settings file should be: it cannot be replaced.
    void PutAFolderInItsPlace() const
    {
        fs::remove(HiveFile());
        fs::create_directories(HiveFile());
    }
    static QAction* Action(ui::TfrmMain& w, const char* name)
    {
        return w.findChild<QAction*>(QString::fromLatin1(name));
    }
};

// One way the file cannot be written: set up while alive; `skip` says why it cannot be here.
struct Condition
{
    std::string reason; // the system's words expected in the box
    std::optional<std::string> skip;
    std::function<void()> undo;
};

TEST_F(Close, AnUnwritableSettingsFileNeverTrapsTheUser)
{
    FakeDialogs& d = FakeDialogs::Instance();
    using Make = std::function<Condition(Close&)>;
    const std::pair<const char*, Make> conditions[] = {
        {"a folder in its place",
         [](Close& t) {
             const std::string saved = t.Bytes();
             t.PutAFolderInItsPlace();
             return Condition{"Is a directory", {}, [&t, saved] {
                                  fs::remove(t.HiveFile());
                                  std::ofstream(t.HiveFile(), std::ios::binary) << saved;
                              }};
         }},
        {"a read-only file",
         [](Close& t) {
             auto user = std::make_shared<testfiles::ScopedOrdinaryUser>(std::vector<fs::path>{t.Dir()});
             fs::permissions(t.HiveFile(), fs::perms::owner_read);
             return Condition{"Permission denied", {}, [user]() mutable { user.reset(); }};
         }},
        {"a read-only folder",
         [](Close& t) {
             auto user = std::make_shared<testfiles::ScopedOrdinaryUser>(std::vector<fs::path>{t.Dir()});
             fs::permissions(t.Folder(), fs::perms::owner_read | fs::perms::owner_exec);
             return Condition{"Permission denied", {}, [&t, user]() mutable {
                                  fs::permissions(t.Folder(), fs::perms::owner_all);
                                  user.reset();
                              }};
         }},
        {"an immutable file",
         [](Close& t) {
             auto immutable = std::make_shared<testfiles::ScopedImmutableFile>(t.HiveFile());
             return Condition{"Operation not permitted",
                              immutable->Active() ? std::nullopt : std::optional(immutable->Reason()),
                              [immutable]() mutable { immutable.reset(); }};
         }},
        {"a full disk",
         [](Close& t) {
             auto disk = std::make_shared<testfiles::ScopedSmallDisk>(t.Folder(), 64 * 1024);
             disk->Fill();
             return Condition{"No space left on device",
                              disk->Active() ? std::nullopt : std::optional(disk->Reason()),
                              [disk]() mutable { disk.reset(); }};
         }},
    };
    for (const auto& [what, make] : conditions) {
        SCOPED_TRACE(what);
        {
            ui::TfrmMain w;
            w.show();
            EXPECT_TRUE(w.close()); // a settings file to start from
        }
        const std::string before = Bytes();
        ui::TfrmMain again;
        again.show();
        Action(again, "mnuViewFlatButtons")->trigger();
        const Condition condition = make(*this);
        if (condition.skip) {
            std::printf("[  NOTE    ] %s not tried: %s\n", what, condition.skip->c_str());
            condition.undo();
            continue;
        }
        d.Reset();
        d.boxAnswers = {ui::BoxAnswer::Cancel};
        EXPECT_FALSE(again.close());
        EXPECT_TRUE(again.isVisible());
        ASSERT_EQ(d.boxes.size(), 1u);
        EXPECT_EQ(d.boxes[0].kind, ui::BoxKind::Error);
        EXPECT_EQ(d.boxes[0].caption, QStringLiteral("Error"));
        EXPECT_EQ(d.boxes[0].buttons, ui::BoxButtons::RetryCloseAnywayCancel);
        EXPECT_TRUE(d.boxes[0].text.contains(QString::fromStdString(HiveFile().string())))
            << d.boxes[0].text.toStdString();
        EXPECT_TRUE(d.boxes[0].text.contains(QString::fromStdString(condition.reason)))
            << d.boxes[0].text.toStdString();

        // Retry fails the same way; Close Anyway closes without saving.
        d.boxAnswers = {ui::BoxAnswer::Retry, ui::BoxAnswer::CloseAnyway};
        QSignalSpy closed(&again, &ui::TfrmMain::Closed);
        EXPECT_TRUE(again.close());
        EXPECT_EQ(d.boxes.size(), 3u);
        EXPECT_EQ(closed.count(), 1);
        condition.undo();
        EXPECT_EQ(Bytes(), before);
    }
}

TEST_F(Close, RetrySavesOnceTheCauseIsGone)
{
    FakeDialogs& d = FakeDialogs::Instance();
    ui::TfrmMain w;
    w.show();
    Action(w, "mnuViewFlatButtons")->trigger();
    PutAFolderInItsPlace();
    d.onBox = [this](const uitest::ShownBox&) { fs::remove(HiveFile()); };
    d.boxAnswers = {ui::BoxAnswer::Retry};
    EXPECT_TRUE(w.close());
    EXPECT_EQ(d.boxes.size(), 1u);
    platform::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ui::SettingsKey, false));
    EXPECT_EQ(reg.ReadInteger("Flat"), 1);
}

TEST_F(Close, TheTrayMenusExitOffersTheSameWayOut)
{
    const auto shell = std::make_shared<platform::tray::TFakeTrayShell>();
    const platform::tray::ScopedTrayShell scoped(shell);
    FakeDialogs& d = FakeDialogs::Instance();
    ui::TfrmMain w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    Action(w, "mnuOptionsTrayIcon")->trigger();
    w.hide(); // in the notification area
    PutAFolderInItsPlace();
    QSignalSpy closed(&w, &ui::TfrmMain::Closed);
    d.boxAnswers = {ui::BoxAnswer::Cancel};
    Action(w, "mnuTrayExit")->trigger();
    EXPECT_EQ(closed.count(), 0);
    d.boxAnswers = {ui::BoxAnswer::CloseAnyway};
    Action(w, "mnuTrayExit")->trigger();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(d.boxes.size(), 2u);
    fs::remove(HiveFile());
}

} // namespace

namespace {

// Logging out and SIGTERM: the options are written as a close writes them, never with a box (nobody
// may be there to answer it), and the program ends even when they cannot be written.
TEST_F(Close, TheSessionsEndWritesTheOptionsWithoutABox)
{
    for (const bool writable : {true, false}) {
        SCOPED_TRACE(writable);
        FakeDialogs::Instance().Reset(); // any box fails the test
        fs::remove_all(HiveFile());
        ui::TfrmMain w;
        w.show();
        Action(w, "mnuViewFlatButtons")->trigger();
        Action(w, "mnuOptionsColorSchemeRose")->trigger();
        if (!writable)
            PutAFolderInItsPlace();
        QSignalSpy closed(&w, &ui::TfrmMain::Closed);
        w.SaveOptionsForSessionEnd(); // the session manager's request: the program goes on
        EXPECT_EQ(closed.count(), 0);
        w.EndSession(); // SIGTERM
        EXPECT_EQ(closed.count(), 1);
        EXPECT_TRUE(w.close()); // the close that follows asks nothing either
        EXPECT_TRUE(FakeDialogs::Instance().boxes.empty());
        if (writable) {
            platform::TRegistry reg;
            ASSERT_TRUE(reg.OpenKey(ui::SettingsKey, false));
            EXPECT_EQ(reg.ReadInteger("Flat"), 1);
            EXPECT_EQ(reg.ReadInteger("Color"), 4);
        }
    }
    fs::remove_all(HiveFile());
}

} // namespace
