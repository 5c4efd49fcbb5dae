#include "cli/Commands.h"

#include <string_view>

namespace cli {
namespace {

// Characters that would make texts ambiguous as a separator: digits, signs, the exponent letter,
// the picture formatter's own characters and the request format's field and line ends. An
// apostrophe is a usual thousands separator (the engine shows it as a blank).
bool UsableSeparator(char c, bool group)
{
    if (group && c == '\'')
        return true;
    constexpr std::string_view reserved = "0123456789+-Ee#;\"'\t\r\n";
    return c != '\0' && reserved.find(c) == std::string_view::npos;
}

} // namespace

std::string UsageText()
{
    return "usage: quorcalc-cli [--decimal C] [--group C] SUBCOMMAND\n"
           "       quorcalc-cli --help | --version\n"
           "\n"
           "Subcommands:\n"
           "  bcd    read decimal requests from standard input, one per line, fields separated by TAB;\n"
           "         write one result line per request\n"
           "  keys   drive the calculator engine with keys from standard input, one per line\n"
           "\n"
           "Options:\n"
           "  --decimal C   use C as the decimal separator instead of the locale's\n"
           "  --group C     use C as the thousands separator instead of the locale's\n"
           "  --help        show this text\n"
           "  --version     show the program's version\n";
}

CliOptions ParseCommandLine(const std::vector<std::string>& args)
{
    CliOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const std::string_view name = a.starts_with("--decimal") ? "--decimal" : "--group";
        std::optional<char>& target = name == "--decimal" ? o.decimal : o.group;
        if (a.starts_with(name) && (a.size() == name.size() || a[name.size()] == '=')) {
            std::string value;
            if (a.size() > name.size()) {
                value = a.substr(name.size() + 1);
            } else if (i + 1 == args.size()) {
                o.error = std::string(name) + " needs a character";
                return o;
            } else {
                value = args[++i];
            }
            if (value.size() != 1 || !UsableSeparator(value[0], &target == &o.group)) {
                o.error = std::string(name) +
                          " takes one character other than a digit, sign, E, #, ;, quote "
                          "or control character, not '" +
                          value + "'";
                return o;
            }
            target = value[0];
        } else if (a == "-h" || a == "--help") {
            o.subcommand = "help";
        } else if (a == "--version") {
            o.subcommand = "version";
        } else if (a.size() > 1 && a[0] == '-' && o.subcommand.empty()) {
            o.error = "unknown option " + std::string(a);
            return o;
        } else if (o.subcommand.empty()) {
            o.subcommand = std::string(a);
        } else {
            o.arguments.emplace_back(a);
        }
    }
    if (o.subcommand.empty())
        o.error = "a subcommand is needed";
    return o;
}

} // namespace cli
