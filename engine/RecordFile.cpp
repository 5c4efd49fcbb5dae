#include "engine/RecordFile.h"

#include <charconv>

namespace engine {
namespace {

constexpr std::string_view Header = "Quorlane Calculator record 1";

std::string Escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::optional<std::string> Unescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            out.push_back('\\');
            break;
        case 't':
            out.push_back('\t');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case 'n':
            out.push_back('\n');
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (std::size_t from = 0;;) {
        const std::size_t tab = line.find('\t', from);
        fields.push_back(
            line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
        if (tab == std::string_view::npos)
            return fields;
        from = tab + 1;
    }
}

template<typename T>
std::optional<T> Number(std::string_view text, int base = 10)
{
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// An enum from its number, within [0, count).
template<typename E>
std::optional<E> Enum(std::string_view text, int count)
{
    const std::optional<int> n = Number<int>(text);
    if (!n || *n < 0 || *n >= count)
        return std::nullopt;
    return static_cast<E>(*n);
}

std::string Hex(char c)
{
    constexpr char digits[] = "0123456789abcdef";
    const auto b = static_cast<unsigned char>(c);
    return {digits[b >> 4], digits[b & 15]};
}

std::optional<char> FromHex(std::string_view text)
{
    const std::optional<unsigned> n = text.size() == 2 ? Number<unsigned>(text, 16) : std::nullopt;
    if (!n)
        return std::nullopt;
    return static_cast<char>(*n);
}

std::string OptionsText(const CalcOptions& o)
{
    return std::to_string(static_cast<int>(o.places)) + ' ' + std::to_string(static_cast<int>(o.rounding)) +
           ' ' + (o.grandTotal ? '1' : '0') + ' ' + (o.itemCount ? '1' : '0');
}

std::optional<CalcOptions> ParseOptions(std::string_view text)
{
    if (text.size() != 7 || text[1] != ' ' || text[3] != ' ' || text[5] != ' ')
        return std::nullopt;
    const auto places = Enum<DecimalPlaces>(text.substr(0, 1), 6);
    const auto rounding = Enum<TBcdRounding>(text.substr(2, 1), 3);
    const auto flag = [](char c) { return c == '0' || c == '1'; };
    if (!places || !rounding || !flag(text[4]) || !flag(text[6]))
        return std::nullopt;
    return CalcOptions{*places, *rounding, text[4] == '1', text[6] == '1'};
}

std::string StateText(const CalcState& s)
{
    const auto b = [](bool v) { return std::string(1, v ? '1' : '0'); };
    const std::string fields[] = {Escaped(s.DisplayText),
                                  Escaped(s.EntryText),
                                  Escaped(s.AccumulatorText),
                                  std::to_string(static_cast<int>(s.PendingOperator)),
                                  Escaped(s.LastResultText),
                                  Escaped(s.MemoryText),
                                  b(s.NewEntry) + b(s.ResultShown) + b(s.ErrorState) + b(s.DecimalPending) +
                                      b(s.GrandTotalShown),
                                  Hex(s.DecimalChar) + Hex(s.GroupChar),
                                  Escaped(s.DisplayMask),
                                  OptionsText(s.Options),
                                  Escaped(s.GrandTotalText),
                                  std::to_string(s.ItemCount)};
    std::string out;
    for (const std::string& f : fields)
        out += (out.empty() ? "" : "\t") + f;
    return out;
}

std::optional<CalcState> ParseState(std::string_view line)
{
    const std::vector<std::string_view> f = Fields(line);
    if (f.size() != 12 || f[6].size() != 5 || f[6].find_first_not_of("01") != std::string_view::npos ||
        f[7].size() != 4)
        return std::nullopt;
    CalcState s;
    const auto text = [](std::string_view field, std::string& target) {
        const std::optional<std::string> t = Unescaped(field);
        if (t)
            target = *t;
        return t.has_value();
    };
    const auto pending = Enum<BinaryOperator>(f[3], 5);
    const auto decimal = FromHex(f[7].substr(0, 2)), group = FromHex(f[7].substr(2, 2));
    const auto options = ParseOptions(f[9]);
    const auto count = Number<int>(f[11]);
    if (!text(f[0], s.DisplayText) || !text(f[1], s.EntryText) || !text(f[2], s.AccumulatorText) ||
        !pending || !text(f[4], s.LastResultText) || !text(f[5], s.MemoryText) || !decimal || !group ||
        !text(f[8], s.DisplayMask) || !options || !text(f[10], s.GrandTotalText) || !count)
        return std::nullopt;
    s.PendingOperator = *pending;
    s.NewEntry = f[6][0] == '1';
    s.ResultShown = f[6][1] == '1';
    s.ErrorState = f[6][2] == '1';
    s.DecimalPending = f[6][3] == '1';
    s.GrandTotalShown = f[6][4] == '1';
    s.DecimalChar = *decimal;
    s.GroupChar = *group;
    s.Options = *options;
    s.ItemCount = *count;
    return s;
}

std::string StepText(const CalcStep& step)
{
    const int flags = (step.newEntry ? 1 : 0) | (step.resultShown ? 2 : 0) | (step.decimalPending ? 4 : 0) |
                      (step.showsEntry ? 8 : 0);
    std::string out = std::to_string(static_cast<int>(step.kind)) + '\t' +
                      std::to_string(static_cast<int>(step.key)) + '\t' +
                      std::to_string(static_cast<int>(step.pendingBefore)) + '\t' + std::to_string(flags) +
                      '\t' + std::to_string(step.id) + '\t' + std::to_string(step.lines) + '\t' +
                      OptionsText(step.options) + '\t' + Escaped(step.text);
    for (const CalcNotice& n : step.notices)
        out += '\t' + (n.errorReport ? std::string("E") : "B" + std::to_string(static_cast<int>(n.kind))) +
               ':' + Escaped(n.text);
    return out;
}

std::optional<CalcStep> ParseStep(std::string_view line)
{
    const std::vector<std::string_view> f = Fields(line);
    if (f.size() < 8)
        return std::nullopt;
    CalcStep step;
    const auto kind = Enum<CalcStep::Kind>(f[0], 6);
    const auto key = Enum<CalcKey>(f[1], static_cast<int>(CalcKey::NonAdd) + 1);
    const auto pending = Enum<BinaryOperator>(f[2], 5);
    const auto flags = Number<int>(f[3]);
    const auto id = Number<std::uint32_t>(f[4]);
    const auto lines = Number<std::uint32_t>(f[5]);
    const auto options = ParseOptions(f[6]);
    const auto text = Unescaped(f[7]);
    if (!kind || !key || !pending || !flags || *flags < 0 || *flags > 15 || !id || *id == 0 || !lines ||
        !options || !text)
        return std::nullopt;
    step.kind = *kind;
    step.key = *key;
    step.pendingBefore = *pending;
    step.newEntry = (*flags & 1) != 0;
    step.resultShown = (*flags & 2) != 0;
    step.decimalPending = (*flags & 4) != 0;
    step.showsEntry = (*flags & 8) != 0;
    step.id = *id;
    step.lines = *lines;
    step.options = *options;
    step.text = *text;
    for (std::size_t i = 8; i < f.size(); ++i) {
        const std::string_view n = f[i];
        const std::size_t colon = n.find(':');
        const std::optional<std::string> t =
            colon == std::string_view::npos ? std::nullopt : Unescaped(n.substr(colon + 1));
        if (!t)
            return std::nullopt;
        CalcNotice notice;
        notice.text = *t;
        if (n.substr(0, colon) == "E") {
            notice.errorReport = true;
        } else if (n.size() > 1 && n[0] == 'B') {
            const auto boxKind = Enum<MessageKind>(n.substr(1, colon - 1), 3);
            if (!boxKind)
                return std::nullopt;
            notice.kind = *boxKind;
        } else {
            return std::nullopt;
        }
        step.notices.push_back(std::move(notice));
    }
    return step;
}

std::optional<TapeLineKey> LineKey(std::string_view step, std::string_view line)
{
    const auto s = Number<std::uint32_t>(step), l = Number<std::uint32_t>(line);
    if (!s || !l)
        return std::nullopt;
    return TapeLineKey{*s, *l};
}

} // namespace

void TapeHash::Add(std::string_view line)
{
    for (const char c : line) {
        value_ ^= static_cast<unsigned char>(c);
        value_ *= 1099511628211ULL;
    }
    value_ ^= '\n';
    value_ *= 1099511628211ULL;
}

std::string SerializeRecord(const KeptRecord& record)
{
    std::string out(Header);
    out += "\nlocale " + Hex(record.locale.decimal) + ' ' + Hex(record.locale.group) + '\n';
    out += "tape " + std::to_string(record.lines) + ' ' + std::to_string(record.hash) + '\n';
    out += "state " + StateText(record.start) + '\n';
    for (const CalcStep& step : record.steps)
        out += "step " + StepText(step) + '\n';
    for (const auto& [key, note] : record.notes)
        out += "note " + std::to_string(key.step) + '\t' + std::to_string(key.line) + '\t' + Escaped(note) +
               '\n';
    for (const TapeLineKey& key : record.marks)
        out += "mark " + std::to_string(key.step) + '\t' + std::to_string(key.line) + '\n';
    return out + "end\n";
}

std::optional<KeptRecord> ParseRecord(std::string_view text)
{
    KeptRecord record;
    std::size_t at = 0;
    const auto next = [&](std::string_view& line) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            return false; // every line, the last too, ends with a line feed
        line = text.substr(at, end - at);
        at = end + 1;
        return true;
    };
    std::string_view line;
    if (!next(line) || line != Header || !next(line) || !line.starts_with("locale ") || line.size() != 12)
        return std::nullopt;
    const auto decimal = FromHex(line.substr(7, 2)), group = FromHex(line.substr(10, 2));
    if (!decimal || !group || !next(line) || !line.starts_with("tape "))
        return std::nullopt;
    record.locale = {*decimal, *group};
    const std::size_t blank = line.find(' ', 5);
    const auto lines = Number<std::size_t>(line.substr(5, blank == std::string_view::npos ? 0 : blank - 5));
    const auto hash =
        blank == std::string_view::npos ? std::nullopt : Number<std::uint64_t>(line.substr(blank + 1));
    if (!lines || !hash || !next(line) || !line.starts_with("state "))
        return std::nullopt;
    record.lines = *lines;
    record.hash = *hash;
    const std::optional<CalcState> start = ParseState(line.substr(6));
    if (!start)
        return std::nullopt;
    record.start = *start;
    while (next(line)) {
        if (line == "end")
            return at == text.size() ? std::optional(std::move(record)) : std::nullopt;
        if (line.starts_with("step ")) {
            std::optional<CalcStep> step = ParseStep(line.substr(5));
            if (!step)
                return std::nullopt;
            record.steps.push_back(std::move(*step));
        } else if (line.starts_with("note ") || line.starts_with("mark ")) {
            const std::vector<std::string_view> f = Fields(line.substr(5));
            const bool note = line[0] == 'n';
            const std::optional<TapeLineKey> key =
                f.size() == (note ? 3U : 2U) ? LineKey(f[0], f[1]) : std::nullopt;
            const std::optional<std::string> noteText = note && key ? Unescaped(f[2]) : std::nullopt;
            if (!key || (note && !noteText))
                return std::nullopt;
            if (note)
                record.notes[*key] = *noteText;
            else
                record.marks.insert(*key);
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt; // no end: cut short
}

} // namespace engine
