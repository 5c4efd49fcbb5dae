// Picture formatting of TBcd values.

#include "decimal/StBCD.h"

#include <algorithm>
#include <optional>

#include "decimal/DigitRegister.h"

using namespace stbcd;

namespace {

constexpr std::size_t OutputLimit = 256;
constexpr int NoRequiredPlaceholder = 32767;
constexpr int MaxExponentWidth = 4;

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// Where section `wanted` (1: negative, 2: zero) starts; nullopt when it is missing or empty.
std::optional<std::size_t> FindSection(std::string_view mask, int wanted)
{
    int count = 0;
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        if (IsQuote(c)) {
            const std::size_t close = mask.find(c, i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            i = close;
        } else if (c == ';' && ++count == wanted) {
            if (i + 1 == mask.size() || mask[i + 1] == ';')
                return std::nullopt;
            return i + 1;
        }
    }
    return std::nullopt;
}

// What a scan of one section finds.
struct Section
{
    std::size_t begin = 0;
    std::size_t end = 0; // first unquoted ';', an unterminated quote, or the end of the mask
    int placeholders = 0;
    int point = 0; // placeholders before the decimal separator
    int firstRequired = NoRequiredPlaceholder;
    int lastRequired = 0;
    bool grouping = false;
    bool exponent = false;

    int RequiredIntegers() const { return std::max(point - firstRequired, 0); }
    int DecimalFloor() const { return std::min(point - lastRequired, 0); }
};

bool IsExponentSign(std::string_view mask, std::size_t i, std::size_t end)
{
    return i < end && (mask[i] == '+' || mask[i] == '-');
}

// An E or e not followed by a sign is a literal; it takes the next character along with it unless
// that one ends the section or opens a quote.
bool LetterTakesNext(std::string_view mask, std::size_t i, std::size_t end)
{
    return i + 1 < end && mask[i + 1] != ';' && !IsQuote(mask[i + 1]);
}

Section ScanSection(std::string_view mask, std::size_t begin, char T, char D)
{
    Section s;
    s.begin = begin;
    bool pointSeen = false;
    std::size_t i = begin;
    while (i < mask.size()) {
        const char c = mask[i];
        if (IsQuote(c)) {
            const std::size_t close = mask.find(c, i + 1);
            if (close == std::string_view::npos)
                break;
            i = close + 1;
            continue;
        }
        if (c == ';')
            break;
        if (c == '#' || c == '0') {
            if (c == '0') {
                if (s.firstRequired == NoRequiredPlaceholder)
                    s.firstRequired = s.placeholders;
                s.lastRequired = s.placeholders + 1;
            }
            ++s.placeholders;
        } else if (c == 'E' || c == 'e') {
            if (IsExponentSign(mask, i + 1, mask.size())) {
                s.exponent = true;
                i += 2;
                while (i < mask.size() && mask[i] == '0')
                    ++i;
                continue;
            }
            if (LetterTakesNext(mask, i, mask.size()))
                ++i;
        } else {
            if (c == T)
                s.grouping = true;
            if (c == D && !pointSeen) {
                pointSeen = true;
                s.point = s.placeholders;
            }
        }
        ++i;
    }
    s.end = i;
    if (!pointSeen)
        s.point = s.placeholders;
    return s;
}

// One character more of the output, which holds at most OutputLimit.
void Emit(std::string& out, char c)
{
    if (out.size() == OutputLimit)
        throw EStBCDError(stcodes::BcdBufOverflow);
    out.push_back(c);
}

// Lays the register's digits out over the placeholders of one section.
class Layout
{
public:
    Layout(const Section& s, const DigitRegister& W, char T, char D, std::string& out)
        : s_(s), W_(W), T_(T), D_(D), out_(out), requiredIntegers_(s.RequiredIntegers()),
          decimalFloor_(s.DecimalFloor())
    {}

    void Start(int nextPlace, int surplus)
    {
        nextPlace_ = nextPlace;
        surplus_ = surplus;
    }

    void Placeholder()
    {
        if (surplus_ == 0) {
            Put(true);
        } else if (surplus_ < 0) {
            ++surplus_;
            if (nextPlace_ <= requiredIntegers_)
                Put(false);
            else
                --nextPlace_;
        } else {
            for (int k = 0; k <= surplus_; ++k)
                Put(true);
            surplus_ = 0;
        }
    }

private:
    // One digit: the next register cell, or a 0 that takes none.
    void Put(bool fromRegister)
    {
        char digit = '0';
        if (fromRegister) {
            if (cell_ >= 0) {
                digit = static_cast<char>('0' + W_[static_cast<std::size_t>(cell_--)]);
            } else if (nextPlace_ <= decimalFloor_) {
                --nextPlace_;
                return;
            }
        }
        if (nextPlace_ == 0) {
            Emit(out_, D_);
            Emit(out_, digit);
        } else {
            Emit(out_, digit);
            if (s_.grouping && nextPlace_ > 1 && nextPlace_ % 3 == 1)
                Emit(out_, T_);
        }
        --nextPlace_;
    }

    const Section& s_;
    const DigitRegister& W_;
    char T_, D_;
    std::string& out_;
    int requiredIntegers_, decimalFloor_;
    int nextPlace_ = 0;
    int surplus_ = 0;
    int cell_ = 18;
};

void EmitExponent(std::string& out, int x, char sign, int width)
{
    if (x < 0) {
        Emit(out, '-');
        x = -x;
    } else if (sign == '+') {
        Emit(out, '+');
    }
    const std::string digits = std::to_string(x);
    for (int k = static_cast<int>(digits.size()); k < width; ++k)
        Emit(out, '0');
    for (const char c : digits)
        Emit(out, c);
}

} // namespace

std::string FormatBcd(std::string_view mask, const TBcd& value, TBcdSeparators separators)
{
    const char T = separators.group;
    const char D = separators.decimal;

    Unpacked u = ToRegister(value);
    bool zero = IsZero(value);
    Section s;
    for (;;) {
        const int wanted = zero ? 2 : (u.negative ? 1 : 0);
        std::optional<std::size_t> begin = wanted == 0 ? std::nullopt : FindSection(mask, wanted);
        if (!begin) {
            if (mask.empty() || mask.front() == ';')
                return BcdToGeneral(zero ? TBcd{} : value, separators);
            begin = 0;
        }
        s = ScanSection(mask, *begin, T, D);
        if (zero)
            break;

        // Round away the digits the picture cannot show: decimals beyond its decimal placeholders,
        // or, in exponent notation, significant digits beyond its placeholders.
        const int p = s.exponent ? 18 - s.placeholders : (81 - u.E) - (s.placeholders - s.point);
        if (p > 0) {
            RoundRegister(u.W, p);
            if (u.W[19] != 0) {
                ShiftRegisterDown(u.W, 1);
                ++u.E;
            } else if (std::all_of(u.W.begin(), u.W.begin() + 19, [](std::uint8_t d) { return d == 0; })) {
                u = Unpacked{};
                zero = true;
                continue;
            }
        }
        break;
    }

    std::string out;
    Layout layout(s, u.W, T, D, out);
    int E = u.E;
    if (s.exponent) {
        if (zero)
            E = UnitExponent;
        layout.Start(s.point, 0);
    } else {
        if (zero)
            E = 63;
        if (E - 63 > 18)
            return BcdToGeneral(value, separators);
        const int integerDigits = E - 63;
        layout.Start(std::max(integerDigits, s.point), integerDigits - s.point);
    }

    if (u.negative && s.begin == 0)
        Emit(out, '-');

    for (std::size_t i = s.begin; i < s.end;) {
        const char c = mask[i];
        if (IsQuote(c)) {
            const std::size_t close = mask.find(c, i + 1);
            for (std::size_t k = i + 1; k < close; ++k)
                Emit(out, mask[k]);
            i = close + 1;
        } else if (c == '#' || c == '0') {
            layout.Placeholder();
            ++i;
        } else if (c == 'E' || c == 'e') {
            Emit(out, c);
            if (IsExponentSign(mask, i + 1, s.end)) {
                const char sign = mask[i + 1];
                std::size_t j = i + 2;
                while (j < s.end && mask[j] == '0')
                    ++j;
                const int width = std::min(static_cast<int>(j - (i + 2)), MaxExponentWidth);
                EmitExponent(out, E - 63 - s.point, sign, width);
                i = j;
            } else if (LetterTakesNext(mask, i, s.end)) {
                Emit(out, mask[i + 1]);
                i += 2;
            } else {
                ++i;
            }
        } else {
            if (c != T && c != D)
                Emit(out, c);
            ++i;
        }
    }
    return out;
}
