// The tape kept between runs: its file format, a start that finds a damaged file, and the writer
// thread's timing, Flush, Clear Tape and removal.

#include <QTemporaryDir>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "ui/KeptTape.h"

using ui::KeptTape;
using ui::TapeModel;
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
    EXPECT_FALSE(folder.problem.empty());
}

TEST_F(Kept, ChangesReachTheFileWithinTheDelayWithoutAFlush)
{
    KeptTape kept(file, 300ms);
    kept.Appended("12  ");
    kept.Appended("3 +");
    EXPECT_FALSE(std::filesystem::exists(file)); // not yet: changes are gathered
    for (int i = 0; i < 500 && !std::filesystem::exists(file); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(FileLines(file), (std::vector<std::string>{"12  ", "3 +"}));
}

TEST_F(Kept, FlushClearAndRemove)
{
    KeptTape kept(file, 1h); // only Flush writes
    kept.Reset(TapeModel{"1  ", "2 +"});
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
    KeptTape kept(file, 1h);
    kept.Appended("7 +");
    const std::string error = kept.Flush();
    EXPECT_NE(error.find(file.string()), std::string::npos) << error;
    std::filesystem::remove(file.parent_path());
    kept.Appended("8 =");
    EXPECT_EQ(kept.Flush(), "");
    EXPECT_EQ(FileLines(file), (std::vector<std::string>{"7 +", "8 ="}));
}

} // namespace
