#include "aids/OffsetTune.h"

#include "cat/FrameCodec.h"
#include "config/TextNumber.h"

#include <cmath>

namespace veltrane::aids {

namespace {

constexpr double kPictureSpanHz = 2000.0;
constexpr double kFt897SubtractBelowKhz = 10000.0;
// Larger sums do not fit the 64-bit hertz count (and no rig tunes there).
constexpr double kLargestHz = 9.0e18;

// The display's kHz in Hz.
double dialHzOf(double khz)
{
    return khz * 1000.0;
}

std::optional<qint64> wholeHz(double hz)
{
    const double floored = std::floor(hz);
    if (!std::isfinite(floored) || floored < 0.0 || floored > kLargestHz)
        return std::nullopt;
    return qint64(floored);
}

} // namespace

std::optional<qint64> offsetTargetHz(const QString &dialText, const QString &offsetText)
{
    const std::optional<double> dialKhz = config::wholeNumber(dialText);
    const std::optional<double> offsetHz = config::wholeNumber(offsetText);
    if (!dialKhz || !offsetHz || !(*dialKhz > 0.0) || !(*dialKhz * 1000.0 > 0.0))
        return std::nullopt;
    return wholeHz(*offsetHz + dialHzOf(*dialKhz));
}

double clickOffsetHz(double x, double width)
{
    return (x - width / 2.0) / width * kPictureSpanHz;
}

std::optional<qint64> clickTargetHz(const QString &dialText, double x, double width, int family)
{
    if (family < cat::kYaesuText || family > cat::kRigctld)
        return std::nullopt;
    const std::optional<double> dialKhz = config::wholeNumber(dialText);
    if (!dialKhz || !(*dialKhz > 0.0) || !(*dialKhz * 1000.0 > 0.0) || !(width > 0.0) || !std::isfinite(x))
        return std::nullopt;
    const double offset = clickOffsetHz(x, width);
    const bool subtract = family == cat::kFt897 && *dialKhz < kFt897SubtractBelowKhz;
    const double dialHz = dialHzOf(*dialKhz);
    return wholeHz(subtract ? dialHz - offset : dialHz + offset);
}

} // namespace veltrane::aids
