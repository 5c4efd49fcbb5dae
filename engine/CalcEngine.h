#pragma once
// The adding-machine engine behind the keypad.
//
// No operator precedence: every operator key applies the pending operator to the running total and
// the number just entered; equals closes the calculation with a total line on the tape. Numbers
// travel between keys as decimal text (the display text is itself part of the state) and are
// converted to TBcd only to compute. The engine owns its whole state and only tells ICalcHost what
// to show: the display, tape lines, message boxes, the memory indicator and error reports; no key
// operation lets an exception escape. It records each step, so a calculation can be replayed.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decimal/StBCD.h"
#include "engine/CalcHost.h"

namespace engine {

// The operator waiting for its second operand.
enum class BinaryOperator : std::uint8_t
{
    None,
    Add,
    Subtract,
    Multiply,
    Divide,
};

// Its symbol on the tape ("+", "-", "*", "/"), and " " for none.
char OperatorSymbol(BinaryOperator op);

// The adding machine's switches. With every one at its default the engine is the plain calculator.
enum class DecimalPlaces : std::uint8_t
{
    Floating, // results keep 15 decimals and show without trailing zeros
    Zero,
    Two,
    Three,
    Four,
    Add, // two places, and two implied decimals in amounts typed without a point for + and -
};

struct CalcOptions
{
    DecimalPlaces places = DecimalPlaces::Floating;
    TBcdRounding rounding = TBcdRounding::HalfUp; // of results, with fixed places only
    bool grandTotal = false;                      // totals made by = add up in the grand total
    bool itemCount = false;                       // totals and subtotals show the entries counted

    friend bool operator==(const CalcOptions&, const CalcOptions&) = default;
};

// The fixed places of a setting, -1 for floating.
int FixedPlaces(DecimalPlaces places);

// The engine's state: one value, copied, compared and restored whole. Texts hold no grouping
// characters, except the display text (as shown).
struct CalcState
{
    std::string DisplayText = "0";     // the display, exactly as shown
    std::string EntryText = "0";       // operand last taken from the display by an operator key
    std::string AccumulatorText = "0"; // running total, as typed or as a 15-decimal result text
    BinaryOperator PendingOperator = BinaryOperator::None;
    std::string LastResultText = "0"; // value shown by the last function or memory key
    std::string MemoryText = "0";     // the memory register
    bool NewEntry = true;             // the next digit starts a new number
    bool ResultShown = false;         // the display shows LastResultText
    bool ErrorState = false;          // the display shows an error text
    bool DecimalPending = false;      // the decimal key is passing its character to ProcessNumber
    char DecimalChar = '.';           // decimal separator of every entry text
    char GroupChar = ',';             // grouping character of the display
    std::string DisplayMask;          // picture of display texts
    CalcOptions Options;              // the adding machine's switches
    std::string GrandTotalText = "0"; // the grand-total register
    int ItemCount = 0;                // entries added or subtracted since the calculation began
    bool GrandTotalShown = false;     // the last key showed the grand total (a second one clears it)

    friend bool operator==(const CalcState&, const CalcState&) = default;
};

// Every key of the keypad.
enum class CalcKey : std::uint8_t
{
    D0,
    D1,
    D2,
    D3,
    D4,
    D5,
    D6,
    D7,
    D8,
    D9,
    D00,
    D000,
    Decimal,
    PlusMinus,
    Back,
    CE,
    C,
    Add,
    Subtract,
    Multiply,
    Divide,
    Equals,
    SquareRoot,
    Percent,
    Reciprocal,
    MC,
    MR,
    MS,
    MAdd,
    MSubtract,
    Subtotal,   // S: the running total shown and taped, the calculation goes on
    GrandTotal, // G: the grand total shown as a result; a second one clears it
    NonAdd,     // #: the display's number taped as a reference, not an operand
};

// Key names of the command-line driver and the tests: "0".."9", "00", "000", ".", "+/-", "back",
// "ce", "c", "+", "-", "*", "/", "=", "sqrt", "%", "1/x", "mc", "mr", "ms", "m+", "m-", "sub", "gt",
// "#".
std::optional<CalcKey> ParseKey(std::string_view name);
// The keys that edit an entry: the digits, 00, 000, the decimal point and Backspace.
bool IsEntryKey(CalcKey key);
std::string_view KeyName(CalcKey key);

// Texts the engine shows.
namespace texts {
inline constexpr std::string_view DigitsInExponentForm =
    "Quorlane Calculator only supports\rentering numbers up to 18 digits long.";
inline constexpr std::string_view MaximumDigits =
    "Quorlane Calculator only supports\ra maximum of 18 digits.";
inline constexpr std::string_view EntryError =
    "Quorlane Calculator only supports\rnumbers up to 18 digits long.";
inline constexpr std::string_view DivisionByZero = "Division by zero error";
inline constexpr std::string_view ResultTooLarge = "Result greater than 1E+64";
inline constexpr std::string_view InvalidInput = "Invalid input for function";
inline constexpr std::string_view EncounteredError = "Quorlane Calculator encountered an error:\r";
inline constexpr std::string_view PasteNotNumeric = "Clipboard must contain a numeric value";
inline constexpr std::string_view MemoryPrefix = "Memory = ";
} // namespace texts

inline constexpr int ResultPlaces = 15;
inline constexpr int ReciprocalPlaces = 21;
inline constexpr std::size_t LongestDecimalEntry = 19;

// A box or an error report, as the host received it.
struct CalcNotice
{
    bool errorReport = false; // the general error report; else a message box of `kind`
    MessageKind kind = MessageKind::Information;
    std::string text;

    friend bool operator==(const CalcNotice&, const CalcNotice&) = default;
};

// The boxes shown while an entry was typed: rare, so kept out of line (a step stays small).
class CalcNotices
{
public:
    CalcNotices() = default;
    CalcNotices(const CalcNotices& other)
        : list_(other.list_ ? std::make_unique<std::vector<CalcNotice>>(*other.list_) : nullptr)
    {}
    CalcNotices(CalcNotices&&) noexcept = default;
    CalcNotices& operator=(const CalcNotices& other)
    {
        if (this != &other)
            *this = CalcNotices(other);
        return *this;
    }
    CalcNotices& operator=(CalcNotices&&) noexcept = default;
    ~CalcNotices() = default;

    void push_back(CalcNotice notice)
    {
        if (!list_)
            list_ = std::make_unique<std::vector<CalcNotice>>();
        list_->push_back(std::move(notice));
    }
    bool empty() const { return !list_ || list_->empty(); }
    const CalcNotice* begin() const { return list_ ? list_->data() : nullptr; }
    const CalcNotice* end() const { return list_ ? list_->data() + list_->size() : nullptr; }

    friend bool operator==(const CalcNotices& a, const CalcNotices& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    std::unique_ptr<std::vector<CalcNotice>> list_;
};

// One whole step of a calculation, as it reached the engine. The keys that edit an entry (digits,
// 00, 000, the decimal point, Backspace) make one Entry step: the display text the entry left (the
// number an operator then takes), its flags, and the boxes shown while it was typed. Every other key
// is a Key step; Paste and a re-used tape line are a Paste step with the text pasted; a change of the
// switches is an Options step. Lines the window writes itself are a Text step (the lines of a tape
// kept from before), and a new session on the same tape a Restart step (its line, and the state a new
// engine starts with). Each step carries what it made of the tape: how many lines, and whether its
// first line prints the number typed or pasted just before (an entry line, which can be corrected).
struct CalcStep
{
    enum class Kind : std::uint8_t
    {
        Entry,
        Key,
        Paste,
        Options,
        Text,
        Restart,
    };
    Kind kind = Kind::Key;
    CalcKey key = CalcKey::C;                                           // Key
    BinaryOperator pendingBefore = BinaryOperator::None;                // the operator pending when it began
    bool newEntry = false, resultShown = false, decimalPending = false; // Entry: the flags it left
    bool showsEntry = false;                                            // its first line is an entry line
    std::uint32_t id = 0;    // the same through corrections and replays
    std::uint32_t lines = 0; // tape lines it appended
    std::string text;        // Entry: the display text; Paste: the clipboard text; Text and Restart: lines
    CalcNotices notices;     // Entry: boxes while typed
    CalcOptions options;     // Options

    friend bool operator==(const CalcStep&, const CalcStep&) = default;
};

// A step of `kind` with its key or text.
CalcStep MakeStep(CalcStep::Kind kind, CalcKey key = CalcKey::C, std::string_view text = {});

class CalcEngine
{
public:
    // Takes the separators as the locale gives them (an apostrophe group separator becomes a blank)
    // and builds the display mask; the decimal type reads and writes texts with the same ones. The
    // host's display is not touched: the window sets it to "0".
    explicit CalcEngine(ICalcHost& host, TBcdSeparators locale = {});
    // An engine that goes on from a saved state (the host is told nothing until the next step).
    CalcEngine(ICalcHost& host, TBcdSeparators locale, CalcState saved);

    const CalcState& State() const { return s_; }
    TBcdSeparators Locale() const { return locale_; }

    // One key, as its button or keyboard equivalent delivers it.
    void Press(CalcKey key);

    // Edit > Paste with the clipboard's text (UTF-8; Latin-1 is taken too), read in either convention
    // (ReadPastedNumber in engine/PasteText.h) and shown as the display shows a number. A text that is
    // no number, that could be read as two different amounts the locale does not decide between, or a
    // number the decimal type cannot hold (1E64 or more in magnitude), is refused with the clipboard
    // message and changes nothing.
    void Paste(std::string_view clipboardText);

    // The adding machine's switches, from the next key on.
    void SetOptions(const CalcOptions& options);

    // A tape line re-used: the number the line holds goes to the display as Paste puts it there (its
    // operator or total mark left out). A line without a number changes nothing.
    void UseTapeLine(std::string_view line);

    // Lines the window writes on the tape itself (each "\n"-separated line one tape line), and a new
    // session on the same tape: its line, then the state a new engine starts with (the switches go on).
    void AppendText(std::string_view lines);
    void Restart(std::string_view line);
    // `lines` lines the window put on the tape itself (a tape kept from the run before): recorded by
    // their number only, as nothing is ever recomputed before them.
    void TextShown(std::size_t lines);

    // The steps that reached the engine since its record began (when it was made, or at
    // StartNewRecord), in order; replaying them on an engine made from the state the record began with
    // (RecordStart) gives the same display, tape lines, memory indicator, boxes and error reports, and
    // the same state.
    const std::vector<CalcStep>& Record() const { return record_; }
    const CalcState& RecordStart() const { return start_; }
    void Replay(const CalcStep& step);
    // The tape was cleared: the record begins again from the present state.
    void StartNewRecord();
    // Goes on from another calculation: its state and its record (a recomputed one), which began with
    // `start`. The host is told nothing.
    void Adopt(CalcState state, CalcState start, std::vector<CalcStep> record);
    // A fresh id for a step made outside the engine (an inserted entry).
    std::uint32_t NewStepId() { return nextId_++; }

    // The display's value without grouping characters, with the decimal separator it shows.
    std::string DisplayWithoutGrouping() const { return RemoveCommas(Display()); }

    // A plain number as the display shows a result (grouped; with the fixed places' trailing zeros).
    std::string Shown(std::string_view plain) const;

    // Text to display form, and display form back to plain text.
    std::string AddCommas(std::string_view text) const;
    std::string RemoveCommas(std::string_view text) const;

private:
    // The steps shared by the keys, under their own names.
    void ProcessNumber(std::string_view s);
    void ProcessOperator();
    void SpecialFunctionKey(const TBcd& result, int places);
    void DecimalPoint();
    void PlusMinus();
    void Backspace();
    void ClearEntry();
    void ClearAll();
    void Operator(BinaryOperator op);
    void Equals();
    void SquareRoot();
    void Percent();
    void Reciprocal();
    void MemoryClear();
    void MemoryRecall();
    void MemoryStore();
    void MemoryAddOrSubtract(bool subtract);
    void Subtotal();
    void ShowGrandTotal(bool again);
    void NonAdd();
    void RunKey(CalcKey key);
    // `asKeyStep`: recorded as a key step even where it edits the entry (a replayed key step).
    void Press(CalcKey key, bool asKeyStep);
    void PasteText(std::string_view clipboardText);

    const std::string& Display() const { return s_.DisplayText; }
    void SetDisplay(std::string_view text);
    // Empties the display for the entry that follows; the host sees the text that follows it.
    void ClearDisplay() { s_.DisplayText.clear(); }
    // Tells the host the display if it has not seen it yet (a step ended on an emptied display).
    void ShowDisplay();
    void Tape(std::string_view line);
    // A line that prints the entry just typed or pasted (if the step began with one shown).
    void TapeEntry(std::string_view line);
    void Message(MessageKind kind, std::string_view text);
    void ReportError(std::string_view message);
    // Steps: an entry key joins the entry being typed, or starts one; any other step ends it.
    void RecordEntryKey();
    void RecordStep(CalcStep step);
    bool HasDecimalChar(std::string_view text) const;
    TBcd Value(std::string_view text) const { return BcdFromText(text, locale_); }
    // The text's value; nothing when the decimal type cannot read it (no number, 1E64 or more).
    std::optional<TBcd> TryValue(std::string_view text) const;
    // A text the decimal type reads as zero ("0", "0.0", "0.", "."), so that dividing by it is the
    // division by zero the user sees, however the zero was typed.
    bool DenotesZero(std::string_view text) const { return TryValue(text) == TBcd{}; }
    // A result as the engine carries it: `places` decimals, or the fixed places by the rounding switch.
    std::string ResultText(const TBcd& value, int places) const;
    // A number as shown, padded with zeros to the fixed places; a text with more decimals, in
    // exponent form or no number at all is left as it is.
    std::string Fixed(std::string text) const;
    // Add mode: the entry the key takes gets two implied decimals.
    bool ImpliesDecimals(std::string_view entry) const;
    // "004  " before a total or subtotal while the item count is on.
    std::string CountPrefix() const;
    void ShowMemoryIndicator(std::string_view value);

    ICalcHost& host_;
    CalcState s_;
    TBcdSeparators locale_;   // the locale's own (an apostrophe groups the display by blanks)
    std::string shown_ = "0"; // the display text the host was last given
    std::vector<CalcStep> record_;
    CalcState start_;                // the state the record began with
    std::uint32_t nextId_ = 1;       // the next step's id
    bool entryShown_ = false;        // the step began with an entry on the display
    bool entryOpen_ = false;         // record_.back() is the entry being typed
    bool recordingEntry_ = false;    // an entry key runs: its boxes belong to the entry step
    CalcKey takingKey_ = CalcKey::C; // the key whose operator step takes the entry
};

} // namespace engine
