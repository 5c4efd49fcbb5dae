#pragma once
// The tape kept between runs: its lines in a file of the user's data folder. A writer thread
// replaces the file atomically a short delay after a change, so that a key never waits for the disk
// and a crash loses at most the last seconds; Flush writes at once (at close and at the session's
// end). The window reports each line it appends and each Clear Tape; the writer keeps its own copy
// of the lines, so the window's tape is never read from another thread. A write that fails is tried
// again at the next change or Flush, with everything not yet written.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
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
    // `report` hears, on the writer thread, when writing starts to fail (the failure, as Flush gives
    // it) and when it succeeds again ("").
    KeptTape(std::filesystem::path file, const TapeModel& lines, bool write,
             std::chrono::milliseconds delay = std::chrono::milliseconds(2000),
             std::function<void(const std::string&)> report = {});
    // Writes what is pending, then stops the writer.
    ~KeptTape();
    KeptTape(const KeptTape&) = delete;
    KeptTape& operator=(const KeptTape&) = delete;

    // $XDG_DATA_HOME/quorlane/tape.txt (~/.local/share when the variable is unset or not absolute).
    static std::filesystem::path DefaultFile();

    // What a start finds. A missing file is an empty tape. A damaged or unreadable one is moved
    // aside under the next name of its copies ("<file>.bad", "<file>.bad.2"...; earlier copies stay)
    // and gives an empty tape; one whose last line was cut short (no line end) gives its complete
    // lines and is moved aside too. `problem` then is a sentence naming the file, what is wrong
    // with it and where it went.
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
    // Deletes the file with every copy of it: those kept aside and the temporary files a killed
    // writer left. Nothing pending is written any more.
    void Remove();

private:
    void Run(std::stop_token stop);

    const std::filesystem::path file_;
    const std::chrono::milliseconds delay_;

    std::mutex mutex_;
    std::condition_variable_any wake_;
    TapeModel pending_;          // lines appended since the writer last took them
    bool clearFirst_ = false;    // the writer's copy is to be emptied before pending_ is added
    bool dirty_ = false;         // the file is behind the window's tape
    bool flushNow_ = false;      // a Flush waits
    bool writing_ = false;       // the writer is replacing the file
    bool retryOnChange_ = false; // the last write failed: the next waits for a change or a Flush
    std::uint64_t attempts_ = 0; // writes tried so far
    std::string lastError_;
    const std::function<void(const std::string&)> report_;

    TapeModel mirror_; // the writer's copy of the tape (writer thread only)
    std::jthread writer_;
};

} // namespace ui
