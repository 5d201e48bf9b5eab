// SPDX-License-Identifier: GPL-3.0-or-later
#include "aids/OffsetTune.h"

#include "config/TextNumber.h"

#include <cmath>

namespace veltrane::aids {

namespace {

constexpr double kPictureSpanHz = 2000.0;
// Larger sums do not fit the 64-bit hertz count (and no rig tunes there).
constexpr double kLargestHz = 9.0e18;

std::optional<qint64> wholeHz(double hz)
{
    const double floored = std::floor(hz);
    if (!std::isfinite(floored) || floored < 0.0 || floored > kLargestHz)
        return std::nullopt;
    return qint64(floored);
}

} // namespace

std::optional<qint64> offsetTargetHz(qint64 dialHz, QStringView offsetText)
{
    const std::optional<double> offsetHz = config::wholeNumber(offsetText);
    if (!offsetHz)
        return std::nullopt;
    return wholeHz(*offsetHz + double(dialHz));
}

double clickOffsetHz(double x, double width)
{
    return (x - width / 2.0) / width * kPictureSpanHz;
}

std::optional<qint64> clickTargetHz(qint64 dialHz, double x, double width, bool mirrored)
{
    if (!(width > 0.0) || !std::isfinite(x))
        return std::nullopt;
    const double offset = clickOffsetHz(x, width);
    return wholeHz(mirrored ? double(dialHz) - offset : double(dialHz) + offset);
}

} // namespace veltrane::aids
