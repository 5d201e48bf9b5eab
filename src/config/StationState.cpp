#include "config/StationState.h"

#include <array>
#include <cmath>

namespace veltrane::config {

namespace {

// Numeric value of a RIG= text compared the way the configuration compares it: blanks around
// the number do not matter, anything else makes it not a number.
std::optional<double> strictNumber(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

}  // namespace

int rigFamily(const StationState &state)
{
    if (!state.rigCode)
        return 0;
    const auto v = strictNumber(*state.rigCode);
    if (!v)
        return -1;
    for (int family = 0; family <= kHighestFamily; ++family) {
        if (*v == family)
            return family;
    }
    return -1;
}

bool rigCodeIsNumeric(const StationState &state)
{
    return !state.rigCode || strictNumber(*state.rigCode).has_value();
}

QString rigNameFor(int family)
{
    static const std::array<const char16_t *, kHighestFamily + 1> names{u"FT2000", u"TS480", u"ICOM", u"FT897",
                                                                         u"RIGCTLD"};
    if (family < 0 || family >= int(names.size()))
        return {};
    return QString::fromUtf16(names[size_t(family)]);
}

}  // namespace veltrane::config
