// SPDX-License-Identifier: GPL-3.0-or-later
#include "aids/link/DecoderListener.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace veltrane::aids {

DecoderListener::DecoderListener(QObject *parent) : QObject(parent)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &DecoderListener::readDatagrams);
}

QString DecoderListener::listen(const QString &host, quint16 port)
{
    stop();
    const QHostAddress address(host);
    const QString where = tr("%1 port %2").arg(host).arg(port);
    if (address.isNull())
        return tr("The decoder link address %1 is not an IP address.").arg(host);
    const bool multicast = address.isMulticast();
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    const QHostAddress bindTo = !multicast ? address
                                : v6       ? QHostAddress(QHostAddress::AnyIPv6)
                                           : QHostAddress(QHostAddress::AnyIPv4);
    if (!m_socket.bind(bindTo, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return tr("The decoder link cannot listen on %1: %2.").arg(where, m_socket.errorString());
    if (!multicast)
        return {};

    int joined = 0;
    for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !(flags.testFlag(QNetworkInterface::CanMulticast) ||
                                                          flags.testFlag(QNetworkInterface::IsLoopBack)))
            continue;
        const auto entries = iface.addressEntries();
        const bool hasFamily =
            std::any_of(entries.begin(), entries.end(), [&](const QNetworkAddressEntry &e) {
                return e.ip().protocol() == address.protocol();
            });
        if (hasFamily && m_socket.joinMulticastGroup(address, iface))
            ++joined;
    }
    if (joined == 0) {
        const QString reason = m_socket.errorString();
        stop();
        return tr("The decoder link cannot join the group %1: %2.").arg(where, reason);
    }
    return {};
}

void DecoderListener::stop()
{
    m_socket.close();
}

void DecoderListener::readDatagrams()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        if (const auto message = parseDecoderDatagram(datagram.data()))
            emit messageReceived(*message);
    }
}

} // namespace veltrane::aids
