#include "cli/Commands.h"

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "engine/CalcEngine.h"

namespace cli {
namespace {

// Control characters that would break the line format, written as escapes.
std::string Escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out.push_back(c);
    }
    return out;
}

// The display, the tape and the status bar as plain records; boxes and errors go to the output.
struct RecordingHost : engine::ICalcHost
{
    explicit RecordingHost(std::ostream& output) : out(output) {}

    void SetDisplayText(std::string_view text) override { display = std::string(text); }
    void AppendTapeLine(std::string_view line) override { tape.emplace_back(line); }
    void ShowMessage(engine::MessageKind kind, std::string_view text) override
    {
        out << "message\t" << engine::CaptionOf(kind) << '\t' << Escaped(text) << '\n';
    }
    void SetStatusText(std::string_view text) override { status = text; }
    void ReportError(std::string_view message) override { out << "error\t" << Escaped(message) << '\n'; }

    std::ostream& out;
    std::string display;
    std::string status;
    std::vector<std::string> tape;
};

std::string_view Trimmed(std::string_view s)
{
    constexpr std::string_view blanks = " \t\r";
    const std::size_t b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos)
        return {};
    return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

constexpr std::string_view keyList =
    "0-9, 00, 000, ., +/-, +, -, *, /, =, sqrt, %, 1/x, back, ce, c, mc, mr, ms, "
    "m+, m-, paste TEXT";

} // namespace

int RunKeys(std::istream& in, std::ostream& out, TBcdSeparators separators, bool interactive,
            const engine::CalcOptions& adding)
{
    RecordingHost host(out);
    engine::CalcEngine calc(host, separators);
    if (adding != engine::CalcOptions{})
        calc.SetOptions(adding);
    host.display = "0";

    if (interactive)
        out << "Quorlane Calculator keys, one per line: " << keyList
            << "; sub, gt, # with the adding machine's options. Ctrl+D shows the tape and ends.\n> "
            << std::flush;
    std::string line;
    while (std::getline(in, line)) {
        const std::string_view key = Trimmed(line);
        if (key.empty()) {
            if (interactive)
                out << "> " << std::flush;
            continue;
        }
        const std::size_t blank = key.find(' ');
        if (key.substr(0, blank) == "paste") {
            calc.Paste(blank == std::string_view::npos ? std::string_view() : key.substr(blank + 1));
        } else if (const auto k = engine::ParseKey(key)) {
            calc.Press(*k);
        } else {
            out << "usage\tunknown key '" << key << "'; keys are " << keyList << '\n';
            if (interactive)
                out << "> " << std::flush;
            continue;
        }
        out << "after\t" << key << '\t' << host.display << '\t' << host.status << '\n';
        if (interactive)
            out << "> ";
        if (interactive || in.rdbuf()->in_avail() <= 0)
            out.flush();
    }
    if (interactive)
        out << '\n';
    for (const std::string& tapeLine : host.tape)
        out << "tape\t" << tapeLine << '\n';
    out.flush();
    return 0;
}

} // namespace cli
