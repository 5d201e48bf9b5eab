// SPDX-License-Identifier: GPL-3.0-or-later
#include "cat/FrequencyDisplay.h"

#include <array>

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

} // namespace

QString noDataText()
{
    return u"No Data"_s;
}

QString displayText(qint64 hz)
{
    const qint64 magnitude = hz < 0 ? -hz : hz;
    QString text;
    if (hz < 0)
        text += u'-';
    if (magnitude >= 1000)
        text += QString::number(magnitude / 1000);
    text += u'.';
    text += QString::number(magnitude % 1000).rightJustified(3, u'0');
    return text;
}

std::optional<QString> recogniseBand(double mhz)
{
    if (mhz == 0.0)
        return std::nullopt;
    for (const BandSegment &segment : kSegments) {
        if (segment.lowMhz <= mhz && mhz <= segment.highMhz)
            return QString::fromUtf16(segment.band);
    }
    return std::nullopt;
}

} // namespace veltrane::cat
