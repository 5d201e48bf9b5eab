#include "cat/FrequencyDisplay.h"

#include "config/TextNumber.h"

#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace veltrane::cat {

namespace {

struct BandSegment
{
    double lowMhz;
    double highMhz;
    const char16_t *band;
};

// Tried in this order; the first segment holding the frequency wins.
constexpr std::array<BandSegment, 6> kSegments = {{
    {7.0, 7.2, u"7MHz"},
    {14.0, 14.35, u"14MHz"},
    {18.068, 18.168, u"18MHz"},
    {21.0, 21.45, u"21MHz"},
    {24.89, 24.99, u"24MHz"},
    {28.0, 29.0, u"28MHz"},
}};

// Beyond this the thousandths no longer fit a 64-bit integer; such values are never shown.
constexpr double kLargestExactKhz = 1e15;

} // namespace

QString noDataText()
{
    return u"No Data"_s;
}

QString formatKhz(double khz)
{
    if (!std::isfinite(khz))
        return {};
    if (std::abs(khz) >= kLargestExactKhz)
        return QString::number(khz, 'f', 3);
    const qint64 thousandths = std::llround(std::abs(khz) * 1000.0);
    const qint64 whole = thousandths / 1000;
    const qint64 fraction = thousandths % 1000;
    QString text;
    if (khz < 0 && thousandths != 0)
        text += u'-';
    if (whole != 0)
        text += QString::number(whole);
    text += u'.';
    text += QString::number(fraction).rightJustified(3, u'0');
    return text;
}

std::optional<QString> recogniseBand(QStringView displayText)
{
    const double khz = config::leadingNumber(displayText);
    if (khz == 0.0)
        return std::nullopt;
    const double mhz = khz / 1000.0;
    for (const BandSegment &segment : kSegments) {
        if (segment.lowMhz <= mhz && mhz <= segment.highMhz)
            return QString::fromUtf16(segment.band);
    }
    return std::nullopt;
}

} // namespace veltrane::cat
