#include "cli/Commands.h"

#include <string_view>
#include <utility>

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

// The value of a switch, from its names on the command line.
template<typename T, std::size_t N>
std::optional<T> Named(const std::pair<std::string_view, T> (&names)[N], std::string_view value)
{
    for (const auto& [name, v] : names) {
        if (name == value)
            return v;
    }
    return std::nullopt;
}

constexpr std::pair<std::string_view, engine::DecimalPlaces> PlacesNames[] = {
    {"F", engine::DecimalPlaces::Floating}, {"0", engine::DecimalPlaces::Zero},
    {"2", engine::DecimalPlaces::Two},      {"3", engine::DecimalPlaces::Three},
    {"4", engine::DecimalPlaces::Four},     {"A", engine::DecimalPlaces::Add}};
constexpr std::pair<std::string_view, TBcdRounding> RoundingNames[] = {
    {"up", TBcdRounding::Up}, {"5/4", TBcdRounding::HalfUp}, {"down", TBcdRounding::Down}};

// An option with a value (`--name VALUE` or `--name=VALUE`): its value, or nothing when `a` is not
// that option. An option without its value sets `error`.
std::optional<std::string> ValueOf(const std::vector<std::string>& args, std::size_t& i,
                                   std::string_view name, std::string& error)
{
    const std::string_view a = args[i];
    if (!a.starts_with(name) || (a.size() != name.size() && a[name.size()] != '='))
        return std::nullopt;
    if (a.size() > name.size())
        return std::string(a.substr(name.size() + 1));
    if (i + 1 == args.size()) {
        error = std::string(name) + " needs a value";
        return std::nullopt;
    }
    return args[++i];
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
           "  --places P    keys: decimal places of results, F (floating), 0, 2, 3, 4 or A (add mode)\n"
           "  --rounding R  keys: rounding of results with fixed places, up, 5/4 or down\n"
           "  --grand-total keys: totals add up in the grand total (key gt)\n"
           "  --item-count  keys: totals and subtotals show the number of entries\n"
           "  --help        show this text\n"
           "  --version     show the program's version\n";
}

CliOptions ParseCommandLine(const std::vector<std::string>& args)
{
    CliOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (const std::optional<std::string> places = ValueOf(args, i, "--places", o.error)) {
            const std::optional<engine::DecimalPlaces> p = Named(PlacesNames, *places);
            if (!p) {
                o.error = "--places takes F, 0, 2, 3, 4 or A, not '" + *places + "'";
                return o;
            }
            o.adding.places = *p;
            continue;
        }
        if (const std::optional<std::string> rounding = ValueOf(args, i, "--rounding", o.error)) {
            const std::optional<TBcdRounding> r = Named(RoundingNames, *rounding);
            if (!r) {
                o.error = "--rounding takes up, 5/4 or down, not '" + *rounding + "'";
                return o;
            }
            o.adding.rounding = *r;
            continue;
        }
        if (!o.error.empty())
            return o;
        if (a == "--grand-total" || a == "--item-count") {
            (a == "--grand-total" ? o.adding.grandTotal : o.adding.itemCount) = true;
            continue;
        }
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
