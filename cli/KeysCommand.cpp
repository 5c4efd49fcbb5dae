#include "cli/Commands.h"

#include <algorithm>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/CalcEngine.h"
#include "engine/Corrections.h"

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

// A tape line's number as the tape lines at the end count them (from 1); nothing for another word.
std::optional<std::size_t> LineNumber(std::string_view word, std::size_t lines)
{
    std::size_t n = 0;
    if (word.empty() || word.size() > 9 || word.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    for (const char c : word)
        n = n * 10 + static_cast<std::size_t>(c - '0');
    return n >= 1 && n <= lines ? std::optional(n - 1) : std::nullopt;
}

// Splits off the first word of `rest`.
std::string_view Word(std::string_view& rest)
{
    const std::size_t blank = rest.find(' ');
    const std::string_view word = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : Trimmed(rest.substr(blank + 1));
    return word;
}

// The commands that check and correct the tape: correct N TEXT, delete N, insert N OP TEXT, undo,
// redo, note N TEXT. nullopt for a line that is no such command; else the explanation of a command
// that changed nothing ("" when it was carried out).
std::optional<std::string> TapeCommand(std::string_view line, engine::TapeCorrections& corrections,
                                       RecordingHost& host)
{
    std::string_view rest = line;
    const std::string_view command = Word(rest);
    constexpr std::string_view commands[] = {"correct", "delete", "insert", "undo", "redo", "note"};
    if (std::find(std::begin(commands), std::end(commands), command) == std::end(commands))
        return std::nullopt;
    std::optional<engine::Recomputed> done;
    if (command == "undo" || command == "redo") {
        done = command == "undo" ? corrections.Undo() : corrections.Redo();
        if (!done)
            return "nothing to " + std::string(command);
    } else {
        const std::optional<std::size_t> n = LineNumber(Word(rest), host.tape.size());
        if (!n)
            return std::string(command) + " needs the number of a tape line (1 to " +
                   std::to_string(host.tape.size()) + ")";
        if (command == "note") {
            corrections.SetNote(*n, rest);
            return "";
        }
        if (!corrections.IsEntryLine(*n))
            return "tape line " + std::to_string(*n + 1) + " prints no entry";
        if (command == "delete") {
            done = corrections.Delete(*n);
        } else if (command == "correct") {
            done = corrections.Correct(*n, rest);
        } else {
            const std::string_view op = Word(rest);
            constexpr std::pair<std::string_view, engine::BinaryOperator> ops[] = {
                {"+", engine::BinaryOperator::Add},
                {"-", engine::BinaryOperator::Subtract},
                {"*", engine::BinaryOperator::Multiply},
                {"/", engine::BinaryOperator::Divide}};
            const auto found =
                std::find_if(std::begin(ops), std::end(ops), [&](const auto& o) { return o.first == op; });
            if (found == std::end(ops))
                return "insert takes an operator, + - * or /, before the number";
            done = corrections.Insert(*n, found->second, rest);
        }
        if (!done)
            return "'" + std::string(rest) + "' is no number the keypad can type";
    }
    host.tape.resize(done->from);
    host.tape.insert(host.tape.end(), done->lines.begin(), done->lines.end());
    host.status = done->status;
    return "";
}

} // namespace

int RunKeys(std::istream& in, std::ostream& out, TBcdSeparators separators, bool interactive,
            const engine::CalcOptions& adding)
{
    RecordingHost host(out);
    engine::CalcEngine calc(host, separators);
    engine::TapeCorrections corrections(calc, [&host](std::size_t i) { return host.tape[i]; });
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
        } else if (const std::optional<std::string> refused = TapeCommand(key, corrections, host)) {
            if (!refused->empty()) {
                out << "usage\t" << *refused << "; nothing changed\n";
                if (interactive)
                    out << "> " << std::flush;
                continue;
            }
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
    const std::map<std::size_t, engine::LineDecoration> decorations = corrections.Decorations();
    for (std::size_t i = 0; i < host.tape.size(); ++i) {
        const auto decorated = decorations.find(i);
        out << "tape\t"
            << (decorated == decorations.end() ? host.tape[i]
                                               : engine::DecoratedLine(host.tape[i], decorated->second))
            << '\n';
    }
    out.flush();
    return 0;
}

} // namespace cli
