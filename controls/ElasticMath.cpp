#include "controls/ElasticMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace elastic {
namespace {

constexpr double IntMax = std::numeric_limits<int>::max();
constexpr double IntMin = std::numeric_limits<int>::min();

int Saturate(double x)
{
    if (std::isnan(x))
        return 0;
    if (x >= IntMax)
        return std::numeric_limits<int>::max();
    if (x <= IntMin)
        return std::numeric_limits<int>::min();
    return static_cast<int>(x);
}

// n * numerator / denominator rounded half away from zero.
int MulDiv(int n, int numerator, int denominator)
{
    return Saturate(std::round(static_cast<double>(n) * numerator / denominator));
}

} // namespace

int Round(double x)
{
    if (!std::isfinite(x))
        return Saturate(x);
    const double whole = std::trunc(x);
    const double fraction = std::fabs(x - whole);
    double rounded = std::round(x); // halves away from zero
    if (fraction == 0.5 && std::fmod(whole, 2.0) == 0.0)
        rounded = whole; // an even neighbour below the half
    return Saturate(rounded);
}

int RoundHalfDown(double x)
{
    if (!std::isfinite(x))
        return Saturate(x);
    const double whole = std::trunc(x);
    return x - whole > 0.5 ? Round(x) : Saturate(whole);
}

int PointsToPixels(int points)
{
    return MulDiv(points, PixelsPerInch, 72);
}

int PixelsToPoints(int pixels)
{
    return MulDiv(pixels, 72, PixelsPerInch);
}

std::optional<double> FontRatioSize(int baseFont, QSize outer, QSize baseClient)
{
    if (baseFont <= 0 || baseClient.width() <= 0 || baseClient.height() <= 0)
        return std::nullopt;
    const double a = static_cast<double>(baseFont) * outer.height() / baseClient.height();
    const double b = static_cast<double>(baseFont) * outer.width() / baseClient.width();
    return b < a ? b : a;
}

QSize KeepProportions(QSize present, QSize reference)
{
    const int w = present.width();
    const int h = present.height();
    const int rw = reference.width();
    const int rh = reference.height();
    if (rh == 0 || rw == 0)
        return present;
    const bool grown = w + h > rw + rh;
    const int dw = w - rw;
    const int dh = h - rh;
    QSize result = present;
    if (grown && dw > dh)
        result.setHeight(Round(static_cast<double>(w) * rh / rw));
    else if (grown && dw < dh)
        result.setWidth(Round(static_cast<double>(h) * rw / rh));
    else if (!grown && dw > dh)
        result.setWidth(Round(static_cast<double>(h) * rw / rh));
    else if (!grown && dw < dh)
        result.setHeight(Round(static_cast<double>(w) * rh / rw));
    return result;
}

std::optional<QSize> ComputeMaxTrackSize(QSize designForm, QSize screen)
{
    if (designForm.width() <= 0 || designForm.height() <= 0 || screen.width() <= 0 || screen.height() <= 0)
        return std::nullopt;
    const double aspect = static_cast<double>(designForm.width()) / designForm.height();
    const double widthShare = static_cast<double>(designForm.width()) / screen.width();
    const double heightShare = static_cast<double>(designForm.height()) / screen.height();
    if (widthShare >= heightShare) {
        const int width = screen.width() - 6;
        return QSize(width, Round(width / aspect));
    }
    const int height = screen.height() - 5;
    return QSize(Round(height * aspect), height);
}

int DecodeScreenValue(int value, int screenExtent)
{
    if (value > 0)
        return value;
    if (value < 0)
        return Round(-static_cast<double>(value) * screenExtent / 100.0);
    return 0;
}

int MaximizedTrackPercent(int windowExtent, int screenExtent)
{
    if (screenExtent <= 0)
        return 0;
    const int percent = Round(static_cast<double>(windowExtent) * 100.0 / screenExtent);
    return percent >= 100 ? 0 : -percent;
}

QRect InitialBounds(QRect designForm, QSize screen)
{
    int left = designForm.left();
    int top = designForm.top();
    const int width = designForm.width();
    const int height = designForm.height();
    if (static_cast<long long>(left) + width > screen.width())
        left = (screen.width() - width) / 2;
    if (static_cast<long long>(top) + height > screen.height())
        top = (screen.height() - height) / 2;
    return QRect(std::max(left, 0), std::max(top, 0), width, height);
}

std::optional<int> StoredExtent(double fraction, int screenExtent, int minimum)
{
    if (!std::isfinite(fraction) || fraction <= 0.0 || screenExtent <= 0)
        return std::nullopt;
    const int extent = Round(screenExtent * fraction);
    const int floor = minimum < screenExtent ? minimum : screenExtent;
    if (extent < floor)
        return floor;
    return extent > screenExtent ? screenExtent : extent;
}

std::optional<int> StoredPosition(double fraction, int screenExtent)
{
    if (!std::isfinite(fraction))
        return std::nullopt;
    return Round(screenExtent * SaneStoredFraction(fraction));
}

double SaneStoredFraction(double fraction)
{
    return std::isnan(fraction) ? fraction : std::clamp(fraction, -MaxStoredFraction, MaxStoredFraction);
}

int SaneStoredCoordinate(int coordinate)
{
    return std::clamp(coordinate, -MaxStoredCoordinate, MaxStoredCoordinate);
}

int SanitizedTrackValue(int value, int minimumPixels)
{
    if (value < 0)
        return value >= -100 ? value : 0;
    return value >= minimumPixels ? value : 0;
}

} // namespace elastic
