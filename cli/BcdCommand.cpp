#include "cli/Commands.h"

#include <charconv>
#include <istream>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "decimal/StBCD.h"

namespace cli {
namespace {

std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

std::optional<int> ParseCount(std::string_view text)
{
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || v < 0 || v > MaxTextWidth)
        return std::nullopt;
    return v;
}

std::string ValueLine(const TBcd& v)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string s = "ok\t";
    for (const std::uint8_t b : v.bytes) {
        s.push_back(hex[b >> 4]);
        s.push_back(hex[b & 0x0F]);
    }
    return s;
}

std::string Usage(std::string_view why)
{
    return "usage\t" + std::string(why);
}

struct Operation
{
    std::string_view name;
    std::size_t fields; // including the name
    std::string_view form;
};

constexpr Operation operations[] = {
    {"parse", 2, "parse<TAB>TEXT"},    {"neg", 2, "neg<TAB>A"},
    {"add", 3, "add<TAB>A<TAB>B"},     {"sub", 3, "sub<TAB>A<TAB>B"},
    {"mul", 3, "mul<TAB>A<TAB>B"},     {"div", 3, "div<TAB>A<TAB>B"},
    {"sqrt", 2, "sqrt<TAB>A"},         {"fixed", 4, "fixed<TAB>A<TAB>WIDTH<TAB>PLACES"},
    {"exp", 3, "exp<TAB>A<TAB>WIDTH"}, {"gen", 2, "gen<TAB>A"},
    {"fmt", 3, "fmt<TAB>MASK<TAB>A"},
};

// The next line of `in` without its line end; false at the end of the input. Of a line longer than
// a request may be, only the first MaxRequestLength + 2 bytes are kept (the rest is read and dropped),
// so that an endless line costs no more memory than a long request.
bool ReadLine(std::istream& in, std::string& line)
{
    line.clear();
    std::streambuf* const buffer = in.rdbuf();
    bool any = false;
    for (;;) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            return any;
        }
        any = true;
        if (c == '\n')
            return true;
        if (line.size() <= MaxRequestLength + 1) // with the CR a CR LF line may end in
            line.push_back(static_cast<char>(c));
    }
}

} // namespace

std::string BcdRequest(std::string_view request, TBcdSeparators separators)
{
    const std::vector<std::string_view> f = SplitFields(request);
    const Operation* op = nullptr;
    for (const Operation& candidate : operations) {
        if (candidate.name == f[0])
            op = &candidate;
    }
    if (op == nullptr)
        return Usage("unknown request '" + std::string(f[0]) +
                     "'; one of parse, neg, add, sub, mul, div, sqrt, fixed, exp, gen, fmt");
    if (f.size() != op->fields)
        return Usage("expected " + std::string(op->form));

    std::optional<int> width, places;
    if (op->name == "fixed" || op->name == "exp") {
        width = ParseCount(f[2]);
        if (op->name == "fixed")
            places = ParseCount(f[3]);
        if (!width || (op->name == "fixed" && !places))
            return Usage("WIDTH and PLACES are whole numbers from 0 to " + std::to_string(MaxTextWidth));
    }

    try {
        const std::string_view name = op->name;
        if (name == "fmt")
            return "ok\t" + FormatBcd(f[1], BcdFromText(f[2], separators), separators);
        const TBcd a = BcdFromText(f[1], separators);
        if (name == "parse")
            return ValueLine(a);
        if (name == "neg")
            return ValueLine(BcdNegate(a));
        if (name == "sqrt")
            return ValueLine(BcdSqrt(a));
        if (name == "fixed")
            return "ok\t" + BcdToFixed(a, *width, *places, separators);
        if (name == "exp")
            return "ok\t" + BcdToExponent(a, *width, separators);
        if (name == "gen")
            return "ok\t" + BcdToGeneral(a, separators);
        const TBcd b = BcdFromText(f[2], separators);
        if (name == "add")
            return ValueLine(BcdAdd(a, b));
        if (name == "sub")
            return ValueLine(BcdSubtract(a, b));
        if (name == "mul")
            return ValueLine(BcdMultiply(a, b));
        return ValueLine(BcdDivide(a, b));
    } catch (const EStBCDError& e) {
        return "error\t" + std::to_string(e.ErrorId) + "\t" + e.what();
    }
}

int RunBcd(std::istream& in, std::ostream& out, TBcdSeparators separators)
{
    std::string line;
    while (ReadLine(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back(); // requests written with CR LF line ends
        if (line.empty())
            continue;
        if (line.size() > MaxRequestLength)
            out << Usage("a request is at most " + std::to_string(MaxRequestLength) + " bytes long") << '\n';
        else
            out << BcdRequest(line, separators) << '\n';
        // Answer before waiting for more input, so that a program can talk to us line by line.
        if (in.rdbuf()->in_avail() <= 0)
            out.flush();
    }
    out.flush();
    return 0;
}

} // namespace cli
