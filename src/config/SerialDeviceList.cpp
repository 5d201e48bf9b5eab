// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/SerialDeviceList.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace veltrane::config {

QStringList serialDeviceNames(const QString &devDir)
{
    QStringList names;
    const QDir byId(QDir(devDir).filePath(u"serial/by-id"_s));
    // by-id entries are symbolic links to the tty nodes; list the links themselves.
    const QStringList links =
        byId.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &link : links)
        names.append(byId.filePath(link));

    const QDir dev(devDir);
    const QStringList ttys = dev.entryList(
        {u"ttyUSB*"_s, u"ttyACM*"_s}, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &tty : ttys) {
        const QString path = dev.filePath(tty);
        if (!names.contains(path))
            names.append(path);
    }
    return names;
}

} // namespace veltrane::config
