#pragma once
// The form scaler's arithmetic, apart from any window: the rounding rules it uses by name, font
// points and pixels, the font ratio, keeping the aspect ratio after a drag, the largest track size,
// the encoding of track limits, the first bounds of a form, and the checks
// that keep a damaged stored placement from making a window unusable.
//
// Rounding, as the scaler names it:
// - Round: to the nearest integer, halves to the even neighbour (12.5 -> 12, 13.5 -> 14).
// - RoundHalfDown: toward zero, except that a fraction above 0.5 rounds with Round (12.5 -> 12,
//   12.51 -> 13); negative values truncate toward zero.
// - Integer halving ("div 2") is C++'s integer division, which truncates toward zero.
// Results saturate at the int range, and NaN gives 0, so that no input value can overflow.

#include <optional>

#include <QRect>
#include <QSize>

namespace elastic {

int Round(double x);
int RoundHalfDown(double x);

// Fonts are sized in points at 96 pixels per inch: 10 pt is 13 px, 14 pt is 19 px.
inline constexpr int PixelsPerInch = 96;
int PointsToPixels(int points);
int PixelsToPoints(int pixels);

// The font ratio's size r for base font F: the smaller of F x outer height / base client height and
// F x outer width / base client width. Empty when F or a base client extent is not positive.
std::optional<double> FontRatioSize(int baseFont, QSize outer, QSize baseClient);

// KeepProportions: the size the window takes after a drag from `reference` to `present`; the
// dimension that moved further leads, the other follows the reference aspect. A zero reference
// height, or equal changes, keep `present`.
QSize KeepProportions(QSize present, QSize reference);

// ComputeMaxTrackSize: the largest track (and maximized) size of a form designed at `designForm`
// (outer) on a screen whose maximized window is `screen`. Empty when a design extent is not positive.
std::optional<QSize> ComputeMaxTrackSize(QSize designForm, QSize screen);

// Track limits: positive values are pixels, negative ones minus a
// percentage of the screen extent (Round(-value x extent / 100)), zero means "none".
int DecodeScreenValue(int value, int screenExtent);
// The value SaveFormState stores for a maximized window: minus its extent in percent of the screen
// (rounded), or 0 when that is 100 or more.
int MaximizedTrackPercent(int windowExtent, int screenExtent);

// The first bounds of a form designed at `designForm` (outer) on a screen whose maximized window is
// `screen`: centred in a direction where it would not fit, never above or left of the screen.
QRect InitialBounds(QRect designForm, QSize screen);

// A stored size fraction of the screen made a size; empty when the fraction is unusable (not
// finite, zero or negative), else the size clamped to [minimum, screen extent].
std::optional<int> StoredExtent(double fraction, int screenExtent, int minimum);
// A stored position fraction made a position; empty when not finite.
std::optional<int> StoredPosition(double fraction, int screenExtent);
// Stored placement values as a damaged store may hold them, brought where no arithmetic on them can
// overflow before they are used: screen fractions within +-MaxStoredFraction (a value that is not a
// number stays so: it counts as unusable), pixel coordinates within +-MaxStoredCoordinate.
inline constexpr double MaxStoredFraction = 16.0;
inline constexpr int MaxStoredCoordinate = 1 << 20;
double SaneStoredFraction(double fraction);
int SaneStoredCoordinate(int coordinate);
// A stored track limit checked before it is used: negative percentages from -1 to -100, and pixel
// values of at least `minimumPixels`, stand; anything else is treated as "none" (0).
int SanitizedTrackValue(int value, int minimumPixels);

} // namespace elastic
