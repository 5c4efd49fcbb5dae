// The adding machine's switches and keys: fixed decimal places with a rounding switch, add mode,
// the subtotal, the grand total, the item count and the non-add key.

#include <cstdio>
#include <utility>

#include "engine/CalcEngine.h"

namespace engine {

int FixedPlaces(DecimalPlaces places)
{
    switch (places) {
    case DecimalPlaces::Zero:
        return 0;
    case DecimalPlaces::Two:
    case DecimalPlaces::Add:
        return 2;
    case DecimalPlaces::Three:
        return 3;
    case DecimalPlaces::Four:
        return 4;
    case DecimalPlaces::Floating:
        break;
    }
    return -1;
}

void CalcEngine::SetOptions(const CalcOptions& options)
{
    CalcStep step = MakeStep(CalcStep::Kind::Options);
    step.options = options;
    RecordStep(std::move(step));
    s_.Options = options;
    s_.GrandTotalShown = false;
}

std::string CalcEngine::Fixed(std::string text) const
{
    const int fixed = FixedPlaces(s_.Options.places);
    if (fixed <= 0 || text.empty())
        return text;
    // Only a number as the display shows it: digits, a sign, the separators, the mask's blanks.
    const std::string numberCharacters = std::string("0123456789- ") + s_.DecimalChar + s_.GroupChar;
    if (text.find_first_not_of(numberCharacters) != std::string::npos)
        return text;
    const std::size_t point = text.find(s_.DecimalChar);
    const std::size_t decimals = point == std::string::npos ? 0 : text.size() - point - 1;
    if (point == std::string::npos)
        text.push_back(s_.DecimalChar);
    if (decimals < static_cast<std::size_t>(fixed))
        text.append(static_cast<std::size_t>(fixed) - decimals, '0');
    return text;
}

bool CalcEngine::ImpliesDecimals(std::string_view entry) const
{
    if (s_.Options.places != DecimalPlaces::Add || HasDecimalChar(entry) ||
        entry.find('E') != std::string_view::npos)
        return false;
    const bool adding =
        s_.PendingOperator == BinaryOperator::Add || s_.PendingOperator == BinaryOperator::Subtract;
    return takingKey_ == CalcKey::Add || takingKey_ == CalcKey::Subtract ||
           ((takingKey_ == CalcKey::Equals || takingKey_ == CalcKey::Subtotal) && adding);
}

std::string CalcEngine::CountPrefix() const
{
    if (!s_.Options.itemCount)
        return {};
    char count[16];
    std::snprintf(count, sizeof count, "%03d  ", s_.ItemCount);
    return count;
}

void CalcEngine::Subtotal()
{
    if (s_.ErrorState)
        return;
    takingKey_ = CalcKey::Subtotal;
    ProcessOperator();
    if (s_.ErrorState)
        return;
    SetDisplay(Shown(s_.AccumulatorText));
    Tape(CountPrefix() + Display() + " S");
    s_.NewEntry = true;
    s_.ResultShown = false;
}

void CalcEngine::ShowGrandTotal(bool again)
{
    if (!s_.Options.grandTotal || s_.ErrorState)
        return;
    if (again) {
        s_.GrandTotalText = "0";
        Tape("Grand Total Clear");
        return;
    }
    s_.LastResultText = s_.GrandTotalText;
    SetDisplay(Shown(s_.GrandTotalText));
    Tape(Display() + " GT");
    s_.ResultShown = true;
    s_.NewEntry = true;
    s_.GrandTotalShown = true;
}

void CalcEngine::NonAdd()
{
    if (s_.ErrorState)
        return;
    TapeEntry(Display() + " #");
    // The number is no operand: the display shows the calculation as it was.
    SetDisplay(Shown(s_.AccumulatorText));
    s_.NewEntry = true;
    s_.ResultShown = false;
}

} // namespace engine
