#pragma once
// The tape kept between runs: its lines in a file of the user's data folder. A writer thread
// replaces the file atomically a short delay after a change, so that a key never waits for the disk
// and a crash loses at most the last seconds; Flush writes at once (at close and at the session's
// end). The window reports each line it appends and each Clear Tape; the writer keeps its own copy
// of the lines, so the window's tape is never read from another thread.

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "ui/TapeModel.h"

namespace ui {

class KeptTape
{
public:
    // Keeps `lines`, the tape as it is when keeping starts, in `file`: written (its folder created)
    // only after the first change or Flush, unless `write` says the file is already behind.
    KeptTape(std::filesystem::path file, const TapeModel& lines, bool write,
             std::chrono::milliseconds delay = std::chrono::milliseconds(2000));
    // Writes what is pending, then stops the writer.
    ~KeptTape();
    KeptTape(const KeptTape&) = delete;
    KeptTape& operator=(const KeptTape&) = delete;

    // $XDG_DATA_HOME/quorlane/tape.txt (~/.local/share when the variable is unset or not absolute).
    static std::filesystem::path DefaultFile();

    // What a start finds. A missing file is an empty tape. A damaged or unreadable one is moved
    // aside to "<file>.bad" (replacing an older one) and gives an empty tape and `problem`, a
    // sentence naming the file and what is wrong with it.
    struct Restored
    {
        TapeModel lines;
        std::string problem;
    };
    static Restored Restore(const std::filesystem::path& file);

    // The file's text for `lines`, and back (false for a text that is no kept tape).
    static std::string Serialize(const TapeModel& lines);
    static bool Parse(std::string_view text, TapeModel& lines);

    // The lines appended since, a Clear Tape, and the whole tape written anew (a correction).
    void Appended(std::string_view line);
    void Cleared();
    void Replaced(const TapeModel& lines);

    // Writes now what is pending and waits for it. Returns "" or the failure in the system's words.
    std::string Flush();
    // Deletes the file; nothing pending is written any more.
    void Remove();

private:
    void Run(std::stop_token stop);

    const std::filesystem::path file_;
    const std::chrono::milliseconds delay_;

    std::mutex mutex_;
    std::condition_variable_any wake_;
    TapeModel pending_;       // lines appended since the writer last took them
    bool clearFirst_ = false; // the writer's copy is to be emptied before pending_ is added
    bool dirty_ = false;      // the file is behind the window's tape
    bool flushNow_ = false;   // a Flush waits
    bool writing_ = false;    // the writer is replacing the file
    std::string lastError_;

    TapeModel mirror_; // the writer's copy of the tape (writer thread only)
    std::jthread writer_;
};

} // namespace ui
