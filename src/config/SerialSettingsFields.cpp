// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/SerialSettingsFields.h"

#include "config/TextNumber.h"

#include <cmath>

namespace veltrane::config {

namespace {

int digitAt(const QString &text, qsizetype index)
{
    if (index >= text.size())
        return 0;
    const QChar c = text[index];
    return c.isDigit() && c.unicode() < 128 ? c.unicode() - u'0' : 0;
}

} // namespace

SerialSettingsFields readSerialSettingsFields(const QString &settings)
{
    SerialSettingsFields fields;
    const qsizetype comma = settings.indexOf(u',');
    const double rate = leadingNumber(comma < 0 ? settings : settings.first(comma));
    if (rate >= 1 && rate < 1e9)
        fields.speed = QString::number(std::llround(rate));
    if (comma < 0)
        return fields;
    if (comma + 1 < settings.size())
        fields.parity = settings[comma + 1].toUpper();
    fields.dataBits = digitAt(settings, comma + 3);
    fields.stopBits = digitAt(settings, comma + 5);
    return fields;
}

} // namespace veltrane::config
