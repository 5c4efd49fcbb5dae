// The calculator started on every file of the damaged-settings corpus (fuzz/corpus/settings): no
// crash, a window on the screen at a usable size, one box exactly where a file was set aside (naming
// the copy, which holds the file as it was), a close that stores sound settings; also a file too
// large and one in UTF-16. QUORLANE_CORPUS_SAMPLE=N takes every Nth file only (the sanitizer build
// in CI).

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>

#include <fstream>
#include <iterator>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "platform/AtomicFile.h"
#include "platform/Registry.h"
#include "platform/RegistryHive.h"
#include "platform/qt/WindowGeometry.h"
#include "ui/Calc.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The boxes a start on the settings file `bytes` shows once the window is up, and whether Flat
// Buttons was read on; the copy it set aside must hold `bytes`.
std::vector<uitest::ShownBox> StartOn(const std::string& bytes, bool* flat = nullptr)
{
    uitest::FakeDialogs& d = uitest::FakeDialogs::Instance();
    QTemporaryDir dir;
    const fs::path user = dir.filePath(QStringLiteral("user")).toStdString();
    const platform::ScopedHiveDirectory hive(user);
    fs::create_directories(user);
    std::ofstream(user / "user.reg", std::ios::binary) << bytes;
    d.Reset();
    d.expectBoxes = true;
    {
        ui::TfrmMain w;
        w.show();
        QApplication::processEvents();
        EXPECT_TRUE(w.isVisible());
        const QRect outer = platform::OuterGeometry(&w);
        const QRect available = platform::AvailableGeometry(&w);
        EXPECT_LE(outer.width(), available.width());
        EXPECT_LE(outer.height(), available.height());
        const QRect visible = outer & available;
        EXPECT_GE(visible.width(), outer.width() - 4) << outer.x();
        EXPECT_GE(visible.height(), outer.height() - 4) << outer.y();
        EXPECT_GE(w.width(), 100);
        EXPECT_GE(w.height(), 60);
        if (flat != nullptr)
            *flat = w.findChild<QAction*>(QStringLiteral("mnuViewFlatButtons"))->isChecked();
        const std::size_t shown = d.boxes.size();
        EXPECT_TRUE(w.close());
        EXPECT_EQ(d.boxes.size(), shown); // the close asks nothing
    }
    // Told once, and truly: a box names the copy set aside, which holds the file as it was.
    const std::vector<fs::path> copies = platform::files::SetAsideCopies(user / "user.reg");
    EXPECT_EQ(d.boxes.size(), copies.size());
    for (const fs::path& copy : copies) {
        EXPECT_EQ(ReadAll(copy), bytes);
        EXPECT_TRUE(!d.boxes.empty() && d.boxes[0].caption == QStringLiteral("Information") &&
                    d.boxes[0].text.contains(QString::fromStdString(copy.string())));
    }
    // What the close stored reads back without damage.
    const platform::files::FileContents stored =
        platform::files::ReadWholeFile(user / "user.reg", platform::regfile::MaxHiveFileSize);
    EXPECT_EQ(stored.state, platform::files::FileContents::State::Read);
    EXPECT_FALSE(platform::reghive::Parse(stored.bytes, "HKEY_CURRENT_USER").damaged);
    return d.boxes;
}

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
    const std::vector<fs::path> sample = CorpusSample();
    ASSERT_GT(sample.size(), 10u);
    std::size_t setAside = 0;
    for (const fs::path& file : sample) {
        SCOPED_TRACE(file.filename().string());
        setAside += StartOn(ReadAll(file)).size();
    }
    std::printf("[  NOTE    ] %zu of %zu files kept aside and said so\n", setAside, sample.size());
}

// Too large: said in a box, and nothing read. In UTF-16, as a registry export tool writes it: read.
TEST(DamagedSettings, TheStartSaysWhyAFileWasSetAsideAndReadsUtf16)
{
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Quorlane\\Calculator\\1.0\\Settings]\r\n"
                             "\"FirstRun\"=dword:00000000\r\n\"Flat\"=dword:00000001\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : text)
        utf16 += std::string{c, '\0'};
    bool flat = false;
    EXPECT_TRUE(StartOn(utf16, &flat).empty());
    EXPECT_TRUE(flat);
    const std::vector<uitest::ShownBox> boxes = StartOn(text + std::string(10 << 20, ';'), &flat);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains(QLatin1String("it is larger than 1 MB")))
        << boxes[0].text.toStdString();
    EXPECT_FALSE(flat);
}

} // namespace
