#pragma once
// What the calculator engine tells the window around it: the display text, tape lines, message
// boxes, the memory indicator and error reports. The host only receives: it never holds state the
// engine reads back. The main window implements it with its controls; the command-line driver and
// the tests implement it with plain records.

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// The caption of a modal message box names its kind.
enum class MessageKind : std::uint8_t
{
    Information,
    Error,
    Confirm
};

std::string_view CaptionOf(MessageKind kind);

class ICalcHost
{
public:
    virtual ~ICalcHost() = default;

    // The one-line display: its text exactly as shown (with grouping characters).
    virtual void SetDisplayText(std::string_view text) = 0;

    // Appends one line at the end of the history tape and keeps it in view.
    virtual void AppendTapeLine(std::string_view line) = 0;

    // A modal box with one OK button; "\r" in the text breaks the line. (No key button stays drawn
    // pressed under it: that is the window's to see to.)
    virtual void ShowMessage(MessageKind kind, std::string_view text) = 0;

    // The first panel of the status bar: the memory indicator.
    virtual void SetStatusText(std::string_view text) = 0;

    // The application's general error report, for errors no key handles itself.
    virtual void ReportError(std::string_view message) = 0;
};

} // namespace engine
