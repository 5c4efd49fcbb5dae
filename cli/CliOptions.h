#pragma once
// Command-line parsing of quorcalc-cli: the subcommand and the options every subcommand shares.

#include <optional>
#include <string>
#include <vector>

namespace cli {

struct CliOptions
{
    std::string subcommand;
    std::optional<char> decimal; // --decimal C
    std::optional<char> group;   // --group C
    std::vector<std::string> arguments;
    std::string error; // non-empty when the command line is not usable
};

// Options may stand before or after the subcommand; `--option=C` is accepted as well.
CliOptions ParseCommandLine(const std::vector<std::string>& args);

// Text of `quorcalc-cli --help`.
std::string UsageText();

} // namespace cli
