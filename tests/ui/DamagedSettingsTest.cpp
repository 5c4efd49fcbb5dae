// The calculator started on every file of the damaged-settings corpus (fuzz/corpus/settings): no
// crash, no box, a window on the screen at a usable size, a close that stores sound settings.
// QUORLANE_CORPUS_SAMPLE=N takes every Nth file only (the sanitizer build in CI).

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "platform/Registry.h"
#include "platform/RegistryHive.h"
#include "platform/qt/WindowGeometry.h"
#include "ui/Calc.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> CorpusSample()
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(QUORLANE_SOURCE_DIR) / "fuzz/corpus/settings"))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    const int every = std::max(1, qEnvironmentVariableIntValue("QUORLANE_CORPUS_SAMPLE"));
    std::vector<fs::path> sample;
    for (std::size_t i = 0; i < files.size(); i += static_cast<std::size_t>(every))
        sample.push_back(files[i]);
    return sample;
}

TEST(DamagedSettings, EveryFileStartsAUsableWindowAndClosesSound)
{
    uitest::FakeDialogs& d = uitest::FakeDialogs::Instance();
    const std::vector<fs::path> sample = CorpusSample();
    ASSERT_GT(sample.size(), 10u);
    for (const fs::path& file : sample) {
        SCOPED_TRACE(file.filename().string());
        QTemporaryDir dir;
        const fs::path user = dir.filePath(QStringLiteral("user")).toStdString();
        const platform::ScopedHiveDirectory hive(user);
        fs::create_directories(user);
        fs::copy_file(file, user / "user.reg");
        d.Reset(); // any box fails
        {
            ui::TfrmMain w;
            w.show();
            QApplication::processEvents();
            ASSERT_TRUE(w.isVisible());
            const QRect outer = platform::OuterGeometry(&w);
            const QRect available = platform::AvailableGeometry(&w);
            EXPECT_LE(outer.width(), available.width());
            EXPECT_LE(outer.height(), available.height());
            const QRect visible = outer & available;
            EXPECT_GE(visible.width(), outer.width() - 4) << outer.x();
            EXPECT_GE(visible.height(), outer.height() - 4) << outer.y();
            EXPECT_GE(w.width(), 100);
            EXPECT_GE(w.height(), 60);
            EXPECT_TRUE(w.close());
        }
        // What the close stored reads back without damage.
        const platform::regfile::FileContents stored = platform::regfile::ReadHiveFile(user / "user.reg");
        ASSERT_EQ(stored.state, platform::regfile::FileContents::State::Read);
        EXPECT_FALSE(platform::reghive::Parse(stored.bytes, "HKEY_CURRENT_USER").damaged);
    }
}

} // namespace
