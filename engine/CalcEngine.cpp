#include "engine/CalcEngine.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "engine/FloatText.h"
#include "engine/PasteText.h"
#include "engine/TextHelpers.h"

namespace engine {

std::string_view CaptionOf(MessageKind kind)
{
    constexpr std::string_view captions[] = {"Information", "Error", "Confirm"}; // in MessageKind order
    return captions[static_cast<std::size_t>(kind)];
}

namespace {

// The keys' names, in the order of CalcKey.
constexpr std::string_view keyNames[] = {
    "0", "1", "2", "3", "4", "5",    "6", "7",   "8",  "9",  "00", "000", ".",  "+/-", "back", "ce", "c",
    "+", "-", "*", "/", "=", "sqrt", "%", "1/x", "mc", "mr", "ms", "m+",  "m-", "sub", "gt",   "#"};
static_assert(std::size(keyNames) == static_cast<std::size_t>(CalcKey::NonAdd) + 1);

// "-" in front, or taken away.
std::string ToggleSign(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        return std::string(text.substr(1));
    return "-" + std::string(text);
}

bool AllZeros(std::string_view text)
{
    return text.find_first_not_of('0') == std::string_view::npos;
}

// The text without its trailing zeros, then without a decimal separator they leave at its end.
// (A text without the separator, a result with no places, keeps its zeros.)
std::string WithoutTrailingZeros(std::string text, char decimalChar)
{
    if (text.find(decimalChar) == std::string::npos)
        return text;
    text.erase(text.find_last_not_of('0') + 1);
    text.erase(text.find_last_not_of(decimalChar) + 1);
    return text;
}

} // namespace

bool IsEntryKey(CalcKey key)
{
    return key <= CalcKey::Decimal || key == CalcKey::Back;
}

std::optional<CalcKey> ParseKey(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(keyNames); ++i) {
        if (keyNames[i] == name)
            return static_cast<CalcKey>(i);
    }
    return std::nullopt;
}

std::string_view KeyName(CalcKey key)
{
    return keyNames[static_cast<std::size_t>(key)];
}

CalcStep MakeStep(CalcStep::Kind kind, CalcKey key, std::string_view text)
{
    CalcStep step;
    step.kind = kind;
    step.key = key;
    step.text = text;
    return step;
}

char OperatorSymbol(BinaryOperator op)
{
    constexpr char symbols[] = {' ', '+', '-', '*', '/'}; // in BinaryOperator order
    return symbols[static_cast<std::size_t>(op)];
}

CalcEngine::CalcEngine(ICalcHost& host, TBcdSeparators locale) : host_(host), locale_(locale)
{
    s_.DecimalChar = locale.decimal;
    s_.GroupChar = locale.group == '\'' ? ' ' : locale.group;
    s_.DisplayMask = BuildDisplayMask(s_.GroupChar, s_.DecimalChar);
    start_ = s_;
}

CalcEngine::CalcEngine(ICalcHost& host, TBcdSeparators locale, CalcState saved)
    : host_(host), s_(std::move(saved)), locale_(locale), start_(s_)
{
    shown_.assign(1, '\0'); // the host's display is not known: the next step tells it
}

void CalcEngine::SetDisplay(std::string_view text)
{
    s_.DisplayText = text;
    ShowDisplay();
}

void CalcEngine::ShowDisplay()
{
    if (shown_ != s_.DisplayText) {
        shown_ = s_.DisplayText;
        host_.SetDisplayText(shown_);
    }
}

void CalcEngine::Message(MessageKind kind, std::string_view text)
{
    if (entryOpen_ && recordingEntry_)
        record_.back().notices.push_back({false, kind, std::string(text)});
    host_.ShowMessage(kind, text);
}

void CalcEngine::ReportError(std::string_view message)
{
    if (entryOpen_ && recordingEntry_)
        record_.back().notices.push_back({true, MessageKind::Error, std::string(message)});
    host_.ReportError(message);
}

void CalcEngine::RecordStep(CalcStep step)
{
    entryOpen_ = false;
    if (step.id == 0)
        step.id = nextId_++;
    else
        nextId_ = std::max(nextId_, step.id + 1);
    step.pendingBefore = s_.PendingOperator;
    step.lines = 0; // counted as it tapes
    step.showsEntry = false;
    record_.push_back(std::move(step));
}

void CalcEngine::Tape(std::string_view line)
{
    host_.AppendTapeLine(line);
    ++record_.back().lines;
}

void CalcEngine::TapeEntry(std::string_view line)
{
    Tape(line);
    if (entryShown_ && record_.back().lines == 1)
        record_.back().showsEntry = true;
}

void CalcEngine::AppendText(std::string_view lines)
{
    RecordStep(MakeStep(CalcStep::Kind::Text, CalcKey::C, lines));
    for (std::size_t from = 0;;) {
        const std::size_t end = lines.find('\n', from);
        Tape(lines.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
        if (end == std::string_view::npos)
            break;
        from = end + 1;
    }
}

void CalcEngine::TextShown(std::size_t lines)
{
    RecordStep(MakeStep(CalcStep::Kind::Text));
    record_.back().lines = static_cast<std::uint32_t>(lines);
}

void CalcEngine::Restart(std::string_view line)
{
    RecordStep(MakeStep(CalcStep::Kind::Restart, CalcKey::C, line));
    Tape(line);
    const CalcOptions options = s_.Options;
    s_ = CalcEngine(host_, locale_).s_;
    s_.Options = options;
    SetDisplay("0");
}

void CalcEngine::StartNewRecord()
{
    start_ = s_;
    record_.clear();
    entryOpen_ = false;
}

void CalcEngine::Adopt(CalcState state, CalcState start, std::vector<CalcStep> record)
{
    s_ = std::move(state);
    start_ = std::move(start);
    record_ = std::move(record);
    entryOpen_ = !record_.empty() && record_.back().kind == CalcStep::Kind::Entry;
    for (const CalcStep& step : record_)
        nextId_ = std::max(nextId_, step.id + 1);
    SetDisplay(s_.DisplayText);
}

bool CalcEngine::HasDecimalChar(std::string_view text) const
{
    return text.find(s_.DecimalChar) != std::string_view::npos;
}

std::optional<TBcd> CalcEngine::TryValue(std::string_view text) const
{
    try {
        return Value(text);
    } catch (const EStBCDError&) {
        return std::nullopt;
    }
}

std::string CalcEngine::RemoveCommas(std::string_view text) const
{
    std::string plain(text);
    std::erase(plain, s_.GroupChar);
    return plain;
}

std::string CalcEngine::AddCommas(std::string_view text) const
{
    if (!text.starts_with('-'))
        text.remove_prefix(std::min(text.find_first_not_of('0'), text.size()));
    std::string shown = FormatBcd(s_.DisplayMask, Value(text), locale_);
    if (s_.DecimalChar != '.')
        shown.erase(shown.find_last_not_of('.') + 1);
    if (shown.find('E') == std::string::npos)
        shown = WithoutTrailingZeros(std::move(shown), s_.DecimalChar);
    return shown;
}

std::string CalcEngine::ResultText(const TBcd& value, int places) const
{
    const int fixed = FixedPlaces(s_.Options.places);
    if (fixed < 0)
        return BcdToFixed(value, 0, places, locale_);
    return BcdToFixed(BcdRound(value, fixed, s_.Options.rounding), 0, fixed, locale_);
}

std::string CalcEngine::Shown(std::string_view plain) const
{
    return Fixed(plain == "0" ? std::string("0") : AddCommas(plain));
}

void CalcEngine::ShowMemoryIndicator(std::string_view value)
{
    host_.SetStatusText(s_.MemoryText == "0" ? std::string()
                                             : std::string(texts::MemoryPrefix) + std::string(value));
}

void CalcEngine::Press(CalcKey key)
{
    Press(key, false);
}

void CalcEngine::Press(CalcKey key, bool asKeyStep)
{
    // The keys that edit an entry make one step of the number they leave; every other key is a step.
    // While an error shows they are recorded as the keys they are: they do nothing now, and would
    // make an entry should a correction remove the error. (A replayed key stays a key step.)
    const bool entryKey = IsEntryKey(key) && !s_.ErrorState && !asKeyStep;
    // G without the grand total switch does nothing, and is no step: typed amid an entry it would
    // split the one amount into two for a correction.
    if (key == CalcKey::GrandTotal && !s_.Options.grandTotal)
        return;
    if (!entryKey) {
        entryShown_ = !s_.NewEntry && !s_.ResultShown && !s_.ErrorState;
        RecordStep(MakeStep(CalcStep::Kind::Key, key));
        RunKey(key);
        ShowDisplay();
        return;
    }
    if (!entryOpen_) {
        RecordStep(MakeStep(CalcStep::Kind::Entry));
        entryOpen_ = true;
    }
    recordingEntry_ = true;
    RunKey(key);
    recordingEntry_ = false;
    CalcStep& entry = record_.back();
    entry.text = s_.DisplayText;
    entry.newEntry = s_.NewEntry;
    entry.resultShown = s_.ResultShown;
    entry.decimalPending = s_.DecimalPending;
    ShowDisplay();
}

void CalcEngine::RunKey(CalcKey key)
{
    using Action = void (*)(CalcEngine&);
    static constexpr std::pair<CalcKey, Action> actions[] = {
        {CalcKey::Decimal, [](CalcEngine& e) { e.DecimalPoint(); }},
        {CalcKey::PlusMinus, [](CalcEngine& e) { e.PlusMinus(); }},
        {CalcKey::Back, [](CalcEngine& e) { e.Backspace(); }},
        {CalcKey::CE, [](CalcEngine& e) { e.ClearEntry(); }},
        {CalcKey::C, [](CalcEngine& e) { e.ClearAll(); }},
        {CalcKey::Add, [](CalcEngine& e) { e.Operator(BinaryOperator::Add); }},
        {CalcKey::Subtract, [](CalcEngine& e) { e.Operator(BinaryOperator::Subtract); }},
        {CalcKey::Multiply, [](CalcEngine& e) { e.Operator(BinaryOperator::Multiply); }},
        {CalcKey::Divide, [](CalcEngine& e) { e.Operator(BinaryOperator::Divide); }},
        {CalcKey::Equals, [](CalcEngine& e) { e.Equals(); }},
        {CalcKey::SquareRoot, [](CalcEngine& e) { e.SquareRoot(); }},
        {CalcKey::Percent, [](CalcEngine& e) { e.Percent(); }},
        {CalcKey::Reciprocal, [](CalcEngine& e) { e.Reciprocal(); }},
        {CalcKey::MC, [](CalcEngine& e) { e.MemoryClear(); }},
        {CalcKey::MR, [](CalcEngine& e) { e.MemoryRecall(); }},
        {CalcKey::MS, [](CalcEngine& e) { e.MemoryStore(); }},
        {CalcKey::MAdd, [](CalcEngine& e) { e.MemoryAddOrSubtract(false); }},
        {CalcKey::MSubtract, [](CalcEngine& e) { e.MemoryAddOrSubtract(true); }},
        {CalcKey::Subtotal, [](CalcEngine& e) { e.Subtotal(); }},
        {CalcKey::NonAdd, [](CalcEngine& e) { e.NonAdd(); }},
    };
    // A grand total shown by the step before: a second G clears the register.
    const bool grandTotalShown = std::exchange(s_.GrandTotalShown, false);
    // Nothing escapes a key: what a key does not handle itself goes to the general error report.
    try {
        if (key <= CalcKey::D000)
            ProcessNumber(keyNames[static_cast<std::size_t>(key)]); // the digits the key is named by
        for (const auto& [k, action] : actions) {
            if (k == key)
                action(*this);
        }
        if (key == CalcKey::GrandTotal)
            ShowGrandTotal(grandTotalShown);
    } catch (const std::exception& e) {
        ReportError(e.what());
    }
}

void CalcEngine::Replay(const CalcStep& step)
{
    switch (step.kind) {
    case CalcStep::Kind::Key:
        Press(step.key, true);
        break;
    case CalcStep::Kind::Paste:
        Paste(step.text);
        break;
    case CalcStep::Kind::Options:
        SetOptions(step.options);
        break;
    case CalcStep::Kind::Text:
        // Lines shown before and not kept (none when a start found nothing kept): as many empty ones.
        if (step.text.empty()) {
            TextShown(0);
            for (std::uint32_t i = 0; i < step.lines; ++i)
                Tape("");
        } else {
            AppendText(step.text);
        }
        break;
    case CalcStep::Kind::Restart:
        Restart(step.text);
        break;
    case CalcStep::Kind::Entry:
        RecordStep(step);
        entryOpen_ = true; // an entry key that follows goes on with it, as it would have
        s_.GrandTotalShown = false;
        if (s_.ErrorState) {
            // The keys of an entry do nothing while an error shows (an entry corrected before it can
            // have caused one); only the decimal key leaves its character pending.
            s_.DecimalPending = step.decimalPending;
            ShowDisplay();
            return;
        }
        for (const CalcNotice& notice : step.notices) {
            if (notice.errorReport)
                host_.ReportError(notice.text);
            else
                host_.ShowMessage(notice.kind, notice.text);
        }
        s_.NewEntry = step.newEntry;
        s_.ResultShown = step.resultShown;
        s_.DecimalPending = step.decimalPending;
        SetDisplay(step.text);
        return;
    }
    // The step keeps its identity.
    record_.back().id = step.id;
    nextId_ = std::max(nextId_, step.id + 1);
}

void CalcEngine::ProcessNumber(std::string_view s)
{
    if (s_.ErrorState)
        return;
    try {
        if (s_.NewEntry)
            ClearDisplay();
        const std::string display = Display();
        if (display.find('E') != std::string::npos) {
            Message(MessageKind::Information, texts::DigitsInExponentForm);
            return;
        }
        const std::string candidate = RemoveCommas(display + std::string(s));

        if (!HasDecimalChar(display) && !s_.DecimalPending) {
            const std::optional<long double> value = ParseFloatText(candidate, s_.DecimalChar);
            if (!value)
                throw std::invalid_argument("'" + candidate + "' is not a valid floating point value");
            SetDisplay(*value == 0 ? std::string("0") : AddCommas(candidate));
            s_.ResultShown = false;
            s_.NewEntry = false;
            return;
        }

        if (candidate.size() > LongestDecimalEntry) {
            Message(MessageKind::Information, texts::MaximumDigits);
        } else {
            SetDisplay(display + std::string(s));
        }
        s_.DecimalPending = false;
        s_.ResultShown = false;
        s_.NewEntry = false;
    } catch (const std::exception&) {
        Message(MessageKind::Information, texts::EntryError);
    }
}

void CalcEngine::DecimalPoint()
{
    if (s_.NewEntry || !HasDecimalChar(Display())) {
        s_.DecimalPending = true;
        ProcessNumber(std::string_view(&s_.DecimalChar, 1));
    }
}

void CalcEngine::PlusMinus()
{
    if (s_.ErrorState)
        return;
    const std::string value = RemoveCommas(Display());
    if (value == "0")
        return;
    if (s_.NewEntry)
        s_.AccumulatorText = ToggleSign(s_.AccumulatorText);
    const std::string toggled = ToggleSign(value);
    // "-0" (left by Backspace) turns into zeros only, which display form cannot take: show "0".
    SetDisplay(AllZeros(toggled) ? std::string("0") : AddCommas(toggled));
    Tape(Fixed(Display()) + " +/-");
}

void CalcEngine::Backspace()
{
    if (s_.ErrorState || s_.NewEntry)
        return;
    const std::string display = Display();
    // An entry shown in exponent form has lost its last digits already; taking characters off its
    // text would leave something that is no number ("1.2E+"). Like the digit keys, leave it alone.
    if (display.find('E') != std::string::npos)
        return;
    std::string rest;
    if (!HasDecimalChar(display)) {
        rest = RemoveCommas(display);
        if (!rest.empty())
            rest.pop_back();
        // A lone "-" (from a one-digit negative entry) is no number either: start afresh.
        if (!rest.empty() && rest != "-") {
            SetDisplay(AddCommas(rest));
            return;
        }
    } else {
        rest = display.substr(0, display.size() - 1);
        if (!rest.empty()) {
            SetDisplay(rest);
            return;
        }
    }
    SetDisplay("0");
    s_.NewEntry = true;
}

void CalcEngine::ClearEntry()
{
    SetDisplay("0");
    s_.ErrorState = false;
    s_.NewEntry = true;
    s_.EntryText = "0";
}

void CalcEngine::ClearAll()
{
    ClearEntry();
    s_.AccumulatorText = "0";
    s_.LastResultText = "0";
    s_.PendingOperator = BinaryOperator::None;
    Tape("Clear");
    s_.ItemCount = 0;
}

void CalcEngine::ProcessOperator()
{
    if (s_.ErrorState)
        return;
    try {
        std::string shown = Display();
        if (!s_.ResultShown)
            s_.EntryText = RemoveCommas(shown);
        const bool ready = !s_.NewEntry || s_.ResultShown;
        if (ready && !s_.ResultShown && ImpliesDecimals(s_.EntryText)) {
            s_.EntryText = BcdToFixed(BcdDivide(Value(s_.EntryText), Value("100")), 0, 2, locale_);
            shown = Shown(s_.EntryText);
        }
        const BinaryOperator pending = s_.PendingOperator;
        const bool adding = pending == BinaryOperator::Add || pending == BinaryOperator::Subtract ||
                            (pending == BinaryOperator::None &&
                             (takingKey_ == CalcKey::Add || takingKey_ == CalcKey::Subtract));
        if (ready && adding)
            ++s_.ItemCount;

        if (pending == BinaryOperator::None) {
            if (ready) {
                TapeEntry(Fixed(shown) + "  ");
                if (s_.ResultShown) {
                    s_.AccumulatorText = s_.LastResultText;
                    s_.ResultShown = false;
                } else {
                    s_.AccumulatorText = s_.EntryText;
                }
                if (FixedPlaces(s_.Options.places) >= 0)
                    SetDisplay(Fixed(shown));
            }
        } else if (ready) {
            const bool fromResult = s_.ResultShown;
            const std::string operand = fromResult ? s_.LastResultText : s_.EntryText;
            if (pending == BinaryOperator::Divide && DenotesZero(operand)) {
                SetDisplay(texts::DivisionByZero);
                s_.ErrorState = true;
                s_.NewEntry = true;
                return;
            }
            TapeEntry(Fixed(shown) + " " + OperatorSymbol(pending));
            const TBcd total = Value(s_.AccumulatorText);
            const TBcd value = Value(operand);
            TBcd result;
            switch (pending) {
            case BinaryOperator::Add:
                result = BcdAdd(total, value);
                break;
            case BinaryOperator::Subtract:
                result = BcdSubtract(total, value);
                break;
            case BinaryOperator::Multiply:
                result = BcdMultiply(total, value);
                break;
            default:
                result = BcdDivide(total, value);
                break;
            }
            if (fromResult)
                s_.ResultShown = false;
            s_.AccumulatorText = ResultText(result, ResultPlaces);
            SetDisplay(Shown(s_.AccumulatorText));
        }
        s_.NewEntry = true;
    } catch (const EStBCDError&) {
        SetDisplay(texts::ResultTooLarge);
        s_.ErrorState = true;
    } catch (const std::exception& e) {
        Message(MessageKind::Error, std::string(texts::EncounteredError) + e.what());
    }
}

void CalcEngine::Operator(BinaryOperator op)
{
    constexpr CalcKey keys[] = {CalcKey::Equals, CalcKey::Add, CalcKey::Subtract, CalcKey::Multiply,
                                CalcKey::Divide}; // in BinaryOperator order
    takingKey_ = keys[static_cast<std::size_t>(op)];
    ProcessOperator();
    s_.PendingOperator = op;
}

void CalcEngine::Equals()
{
    takingKey_ = CalcKey::Equals;
    ProcessOperator();
    s_.PendingOperator = BinaryOperator::None;
    s_.NewEntry = true;
    Tape(SeparatorLine);
    Tape(CountPrefix() + Fixed(Display()) + " =");
    Tape(" ");
    s_.ItemCount = 0;
    if (s_.Options.grandTotal && !s_.ErrorState) {
        const TBcd sum = BcdAdd(Value(s_.GrandTotalText), Value(RemoveCommas(Display())));
        s_.GrandTotalText = ResultText(sum, ResultPlaces);
    }
}

void CalcEngine::SpecialFunctionKey(const TBcd& result, int places)
{
    s_.LastResultText = ResultText(result, places);
    SetDisplay(Shown(s_.LastResultText));
    Tape(Display() + " =");
    s_.ResultShown = true;
    s_.NewEntry = true;
}

void CalcEngine::SquareRoot()
{
    if (s_.ErrorState)
        return;
    const std::string value = RemoveCommas(Display());
    bool negative;
    if (const std::optional<long double> v = ParseFloatText(value, s_.DecimalChar)) {
        negative = *v < 0;
    } else {
        // A text only the decimal type reads (the lone decimal character): its own sign decides.
        negative = Value(value).IsNegative();
    }
    if (negative) {
        SetDisplay(texts::InvalidInput);
        Tape(texts::InvalidInput);
        s_.ErrorState = true;
        return;
    }
    TapeEntry(Fixed(Display()) + " sqrt");
    Tape(SeparatorLine);
    SpecialFunctionKey(BcdSqrt(Value(value)), ResultPlaces);
    Tape(" ");
}

void CalcEngine::Percent()
{
    if (s_.ErrorState)
        return;
    if (s_.AccumulatorText == "0") {
        SetDisplay("0");
        return;
    }
    TapeEntry(Fixed(Display()) + " %");
    const TBcd fraction = BcdDivide(Value(RemoveCommas(Display())), Value("100"));
    SpecialFunctionKey(BcdMultiply(Value(s_.AccumulatorText), fraction), ResultPlaces);
}

void CalcEngine::Reciprocal()
{
    if (s_.ErrorState)
        return;
    const std::string value = RemoveCommas(Display());
    if (DenotesZero(value)) {
        SetDisplay(texts::DivisionByZero);
        s_.ErrorState = true;
        return;
    }
    TapeEntry(Fixed(Display()) + " 1/x");
    SpecialFunctionKey(BcdDivide(Value("1"), Value(value)), ReciprocalPlaces);
}

void CalcEngine::MemoryClear()
{
    s_.MemoryText = "0";
    host_.SetStatusText("");
    Tape("Memory Clear");
}

void CalcEngine::MemoryRecall()
{
    SetDisplay(Shown(s_.MemoryText));
    s_.LastResultText = s_.MemoryText;
    s_.ResultShown = true;
    s_.NewEntry = true;
}

void CalcEngine::MemoryStore()
{
    // An error text is no number: the register never takes it.
    if (s_.ErrorState)
        return;
    const std::string shown = Display();
    s_.LastResultText = s_.MemoryText = RemoveCommas(shown);
    TapeEntry(Fixed(shown) + " MS");
    ShowMemoryIndicator(shown);
    s_.ResultShown = true;
    s_.NewEntry = true;
}

void CalcEngine::MemoryAddOrSubtract(bool subtract)
{
    if (s_.ErrorState)
        return;
    const std::string shown = Display();
    s_.LastResultText = RemoveCommas(shown);
    const TBcd memory = Value(s_.MemoryText), value = Value(s_.LastResultText);
    const TBcd sum = subtract ? BcdSubtract(memory, value) : BcdAdd(memory, value);
    s_.MemoryText = WithoutTrailingZeros(ResultText(sum, ResultPlaces), s_.DecimalChar);
    TapeEntry(Fixed(shown) + (subtract ? " M-" : " M+"));
    ShowMemoryIndicator(s_.MemoryText == "0" ? std::string() : Shown(s_.MemoryText));
    s_.ResultShown = true;
    s_.NewEntry = true;
}

void CalcEngine::Paste(std::string_view clipboardText)
{
    RecordStep(MakeStep(CalcStep::Kind::Paste, CalcKey::C, clipboardText));
    s_.GrandTotalShown = false;
    try {
        PasteText(clipboardText);
    } catch (const std::exception& e) {
        ReportError(e.what());
    }
    ShowDisplay();
}

void CalcEngine::PasteText(std::string_view clipboardText)
{
    const std::optional<std::string> plain = ReadPastedNumber(clipboardText, locale_);
    const std::optional<long double> value =
        plain ? ParseFloatText(*plain, s_.DecimalChar) : std::optional<long double>();
    const std::string shown = value ? FormatPasteValue(*value, s_.DecimalChar, s_.GroupChar) : std::string();
    if (!value || !TryValue(RemoveCommas(shown))) { // no number, or 1E64 or more in magnitude
        Message(MessageKind::Information, texts::PasteNotNumeric);
        return;
    }
    // Add mode implies decimals in amounts typed without a point; a pasted amount is whole as it was
    // written, and shows its two places ("1250" is 1,250.00, never 12.50).
    SetDisplay(s_.Options.places == DecimalPlaces::Add ? Fixed(shown) : shown);
    s_.NewEntry = false;
    s_.ResultShown = false;
}

void CalcEngine::UseTapeLine(std::string_view line)
{
    const std::optional<std::string_view> number = TapeLineNumber(line);
    if (!number)
        return;
    std::string utf8; // the tape is Latin-1 (a no-break space may group its digits)
    for (const char c : *number) {
        if (static_cast<unsigned char>(c) < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (static_cast<unsigned char>(c) >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    Paste(utf8);
}

} // namespace engine
