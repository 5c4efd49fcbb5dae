#pragma once
// quorcalc-cli's command line and its two subcommands, run on streams so that tests can drive them.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decimal/StBCD.h"
#include "engine/CalcEngine.h"

namespace cli {

// The subcommand and the options every subcommand shares.
struct CliOptions
{
    std::string subcommand;
    std::optional<char> decimal; // --decimal C
    std::optional<char> group;   // --group C
    // The adding machine's switches for keys: --places F|0|2|3|4|A, --rounding up|5/4|down,
    // --grand-total, --item-count.
    engine::CalcOptions adding;
    std::vector<std::string> arguments;
    std::string error; // non-empty when the command line is not usable
};

// Options may stand before or after the subcommand; `--option=C` is accepted as well.
CliOptions ParseCommandLine(const std::vector<std::string>& args);

// Text of `quorcalc-cli --help`.
std::string UsageText();

// `quorcalc-cli bcd`: decimal requests from a stream, one result line each.
//
// Request: fields separated by TAB. parse A | neg A | add/sub/mul/div A B | sqrt A |
//          fixed A WIDTH PLACES | exp A WIDTH | gen A | fmt MASK A
// Result:  ok<TAB>20 lower-case hex digits (a value, byte 0 first) | ok<TAB>text |
//          error<TAB>CODE<TAB>MESSAGE | usage<TAB>explanation

// A request line is at most this long (longer than any request the program's numbers and pictures
// need); a longer one is answered with a usage line, read in bounded memory.
inline constexpr std::size_t MaxRequestLength = 65536;

// The result line of one request, without the line end; texts are read and written with `separators`.
std::string BcdRequest(std::string_view request, TBcdSeparators separators = {});

// Answers every non-empty input line; returns the exit status (0 once all input is read).
int RunBcd(std::istream& in, std::ostream& out, TBcdSeparators separators = {});

// `quorcalc-cli keys`: one calculator engine driven by keys from a stream, one key per line.
//
// Output, in the order things happen:
//   message<TAB>CAPTION<TAB>TEXT   a message box (a CR in TEXT is written as the two characters \r)
//   error<TAB>MESSAGE              an error that reached the general error report
//   after<TAB>KEY<TAB>DISPLAY<TAB>INDICATOR   after every key
//   tape<TAB>LINE                  at the end of input, every tape line in order
//   usage<TAB>...                  an unknown key; processing continues
// Keys: the engine's key names (ParseKey), and paste TEXT.

// The engine takes `separators` as the window takes the locale's; `interactive` adds a prompt and a
// short help for a person at a terminal.
int RunKeys(std::istream& in, std::ostream& out, TBcdSeparators separators = {}, bool interactive = false,
            const engine::CalcOptions& adding = {});

} // namespace cli
