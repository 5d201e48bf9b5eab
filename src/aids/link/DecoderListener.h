// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Listens for the datagrams a decoder publishes (DecoderMessages.h) on a UDP port, unicast or
// multicast, and reports every message it can read. The port is bound with address sharing,
// so other programs listening on the same group (or, where the system allows it, the same
// port) keep receiving; a multicast group is joined on every interface that can carry it.

#include "aids/DecoderMessages.h"

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

namespace veltrane::aids {

class DecoderListener : public QObject
{
    Q_OBJECT

public:
    explicit DecoderListener(QObject *parent = nullptr);

    // Starts listening on `host` (an IP address of this computer, or a multicast group) and
    // `port`; gives the reason in one line when it cannot, else an empty text.
    QString listen(const QString &host, quint16 port);
    void stop();
    // The port actually bound (the one asked for, or the system's pick for port 0).
    quint16 boundPort() const { return m_socket.localPort(); }

signals:
    void messageReceived(const veltrane::aids::DecoderMessage &message);

private:
    void readDatagrams();

    QUdpSocket m_socket;
};

} // namespace veltrane::aids
