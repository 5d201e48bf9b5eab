// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/SoundDeviceChoice.h"

#include "config/KeyLines.h"
#include "config/TextNumber.h"

#include <QCoreApplication>

#include <cmath>

using namespace Qt::StringLiterals;

namespace veltrane::config {

QStringList soundDeviceRows(int deviceCount)
{
    QStringList rows{u"-1 Default"_s};
    for (int i = 0; i < deviceCount; ++i)
        rows.append(QString::number(i));
    rows.append(u"99 "_s + QCoreApplication::translate("SoundDevices", "サウンドは使用しない"));
    return rows;
}

QString soundDeviceDesignedText()
{
    return u"-1  Default"_s;
}

int soundDeviceFromText(const QString &comboText)
{
    // Two characters hold at most a value from -9 to 99 (or ".5"), so the int always fits;
    // a half rounds to the even neighbour, as the number is rounded where the engine takes it.
    return int(std::nearbyint(leadingNumber(trimBlanks(comboText.left(2)))));
}

} // namespace veltrane::config
