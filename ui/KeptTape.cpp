#include "ui/KeptTape.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/AtomicFile.h"

namespace ui {
namespace {

// The first line of a kept tape; the lines follow, each ended by a line feed.
constexpr std::string_view Header = "Quorlane Calculator tape 1\n";
// More than any tape a person types (a million lines take about 25 MB).
constexpr std::uintmax_t MaxFileSize = std::uintmax_t{256} << 20;
constexpr std::size_t MaxLineLength = 4096;

std::string Quoted(const std::filesystem::path& file)
{
    return "\"" + file.string() + "\"";
}

} // namespace

KeptTape::KeptTape(std::filesystem::path file, const TapeModel& lines, bool write,
                   std::chrono::milliseconds delay, std::function<void(const std::string&)> report)
    : file_(std::move(file)), delay_(delay), pending_(lines), dirty_(write), report_(std::move(report)),
      writer_([this](std::stop_token stop) { Run(std::move(stop)); })
{}

KeptTape::~KeptTape()
{
    Flush();
    writer_.request_stop();
    wake_.notify_all();
}

std::filesystem::path KeptTape::DefaultFile()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path folder;
    if (data != nullptr && data[0] == '/') {
        folder = data;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::filesystem::path(home != nullptr ? home : "/") / ".local" / "share";
    }
    return folder / "quorlane" / "tape.txt";
}

std::string KeptTape::Serialize(const TapeModel& lines)
{
    std::string text;
    text.reserve(Header.size() + lines.TextSize() + lines.Count());
    text.append(Header);
    for (std::size_t i = 0; i < lines.Count(); ++i) {
        text.append(lines.Line(i));
        text.push_back('\n');
    }
    return text;
}

bool KeptTape::Parse(std::string_view text, TapeModel& lines)
{
    if (!text.starts_with(Header) || !text.ends_with('\n'))
        return false;
    text.remove_prefix(Header.size());
    std::size_t count = 0;
    for (const char c : text) {
        // Tape lines are printable 8-bit text.
        if (c == '\n')
            ++count;
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    lines.Clear();
    lines.Reserve(count, text.size() - count);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end > MaxLineLength)
            return false;
        lines.Append(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return true;
}

KeptTape::Restored KeptTape::Restore(const std::filesystem::path& file)
{
    using State = platform::files::FileContents::State;
    Restored restored;
    auto [state, text, errnum] = platform::files::ReadWholeFile(file, MaxFileSize);
    // A file where a folder of the path belongs reads as missing, but the tape could never be kept.
    if (state == State::Missing && ::access((file.parent_path() / ".").c_str(), F_OK) != 0 &&
        errno == ENOTDIR) {
        state = State::Unreadable;
        errnum = ENOTDIR;
    }
    if (state == State::Missing || (state == State::Read && Parse(text, restored.lines)))
        return restored;
    // A last line without its line end was cut short: the lines before it are whole.
    const std::size_t lastEnd = state == State::Read ? text.rfind('\n') : std::string::npos;
    const bool complete =
        lastEnd != std::string::npos && Parse(std::string_view(text).substr(0, lastEnd + 1), restored.lines);
    if (!complete)
        restored.lines.Clear();
    std::string where;
    try {
        where = "It was kept as " +
                Quoted(platform::files::SetAside(file, platform::files::SetAsideHow::Rename)) + ".";
    } catch (const std::system_error& e) {
        where = "It was left where it is (" + e.code().message() + ").";
    }
    if (complete) {
        restored.problem = "The kept tape " + Quoted(file) +
                           " ended in a line cut short: the lines before it were restored. " + where;
        return restored;
    }
    // A folder or another kind of file is refused by the reader as EISDIR or EINVAL.
    const std::string error = state == State::Read                   ? "it is damaged"
                              : state == State::TooLarge             ? "it is larger than 256 MB"
                              : errnum == EISDIR || errnum == EINVAL ? "it is not a regular file"
                                                                     : std::strerror(errnum);
    restored.problem = "The kept tape " + Quoted(file) + " could not be restored: " + error + ". " + where;
    return restored;
}

void KeptTape::Appended(std::string_view line)
{
    {
        const std::lock_guard lock(mutex_);
        pending_.Append(line);
        dirty_ = true;
        retryOnChange_ = false;
    }
    wake_.notify_all();
}

void KeptTape::Cleared()
{
    {
        const std::lock_guard lock(mutex_);
        pending_.Clear();
        clearFirst_ = true;
        dirty_ = true;
        retryOnChange_ = false;
    }
    wake_.notify_all();
}

void KeptTape::Replaced(const TapeModel& lines)
{
    {
        const std::lock_guard lock(mutex_);
        pending_ = lines;
        clearFirst_ = true;
        dirty_ = true;
    }
    wake_.notify_all();
}

std::string KeptTape::Flush()
{
    std::unique_lock lock(mutex_);
    if (!dirty_) {
        wake_.wait(lock, [&] { return !writing_; });
        return lastError_;
    }
    // A write that began before this call may lack the latest changes: one more after it.
    const std::uint64_t done = attempts_ + (writing_ ? 2 : 1);
    flushNow_ = true;
    wake_.notify_all();
    wake_.wait(lock, [&] { return attempts_ >= done; });
    return lastError_;
}

void KeptTape::Remove()
{
    std::unique_lock lock(mutex_);
    pending_.Clear();
    dirty_ = false;
    retryOnChange_ = false;
    // A write under way would bring the file back.
    wake_.wait(lock, [&] { return !writing_; });
    std::error_code ec;
    std::filesystem::remove(file_, ec);
    try {
        for (const std::filesystem::path& copy : platform::files::SetAsideCopies(file_))
            std::filesystem::remove(copy, ec);
        platform::files::RemoveTemporaries(file_);
    } catch (const std::system_error&) {
        // A link that is not followed leads to nothing of this tape.
    }
}

void KeptTape::Run(std::stop_token stop)
{
    // Below the window's thread: on a busy machine a key goes first, the file can wait.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    std::unique_lock lock(mutex_);
    bool failing = false;
    for (;;) {
        const auto due = [&] { return (dirty_ && !retryOnChange_) || flushNow_; };
        if (!wake_.wait(lock, stop, due))
            return; // stopped with nothing due
        // Changes within the delay go into one write; a Flush cuts the wait short.
        wake_.wait_for(lock, stop, delay_, [&] { return flushNow_; });
        // The window's lines are taken in one swap; copying them waits until the lock is free.
        TapeModel taken;
        std::swap(taken, pending_);
        const bool clear = std::exchange(clearFirst_, false);
        const bool write = std::exchange(dirty_, false);
        flushNow_ = false;
        retryOnChange_ = false;

        std::string error;
        writing_ = true;
        lock.unlock();
        if (clear)
            mirror_.Clear();
        for (std::size_t i = 0; i < taken.Count(); ++i)
            mirror_.Append(taken.Line(i));
        if (write) {
            const std::string text = Serialize(mirror_);
            try {
                platform::files::WriteFileAtomically(file_, text, 0600, 0700);
            } catch (const std::system_error& e) {
                error = "The tape could not be kept in " + Quoted(file_) + ": " + e.code().message() + ".";
            }
        }
        lock.lock();
        writing_ = false;
        ++attempts_;
        if (write) {
            lastError_ = error;
            if (!error.empty()) { // still behind: tried again at the next change or Flush
                dirty_ = true;
                retryOnChange_ = true;
            }
        }
        wake_.notify_all();
        if (write && error.empty() == failing && report_) {
            failing = !error.empty();
            lock.unlock();
            report_(error);
            lock.lock();
        }
    }
}

} // namespace ui
