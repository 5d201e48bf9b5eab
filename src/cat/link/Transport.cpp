// SPDX-License-Identifier: GPL-3.0-or-later
#include "cat/link/Transport.h"

#include "cat/link/QtSerialPort.h"
#include "cat/link/TcpPort.h"

#include <QStringList>

namespace veltrane::cat {

std::optional<LineSettings> LineSettings::parse(const QString &text)
{
    const QStringList fields = text.split(u',');
    if (fields.size() != 4)
        return std::nullopt;

    LineSettings s;
    bool ok = false;
    s.baud = fields[0].trimmed().toInt(&ok);
    if (!ok || s.baud < 50 || s.baud > 4'000'000)
        return std::nullopt;

    const QString parity = fields[1].trimmed().toUpper();
    if (parity.size() != 1 || !QStringLiteral("NEOMS").contains(parity[0]))
        return std::nullopt;
    s.parity = char(parity[0].unicode());

    s.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8)
        return std::nullopt;

    const QString stop = fields[3].trimmed();
    if (stop == u"1")
        s.stopBits = 1.0;
    else if (stop == u"1.5")
        s.stopBits = 1.5;
    else if (stop == u"2")
        s.stopBits = 2.0;
    else
        return std::nullopt;
    return s;
}

QString LineSettings::text() const
{
    const QString stop = stopBits == 1.5 ? QStringLiteral("1.5") : QString::number(int(stopBits));
    return QString::number(baud) + u',' + QChar(char16_t(parity)) + u',' + QString::number(dataBits) + u',' +
           stop;
}

void Transport::bytesArrived()
{
    emit received();
    const int threshold = m_settings.receiveThreshold;
    if (threshold > 0 && bytesWaiting() >= threshold)
        emit commEvent(2);
}

std::unique_ptr<Transport> makeTransport(const config::CatAddress &address)
{
    if (address.kind == config::CatAddress::Kind::Tcp)
        return std::make_unique<TcpPort>();
    return std::make_unique<QtSerialPort>();
}

} // namespace veltrane::cat
