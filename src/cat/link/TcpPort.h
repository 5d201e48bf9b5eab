// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A CAT port over a TCP connection: a serial port served by a network serial server (raw
// bytes, "tcp://HOST:PORT") or a rigctld daemon. To the link it looks like a serial port:
//  - open() starts a non-blocking connect and returns at once; the port counts as open from
//    then on, and what is written while connecting goes out once the connection stands;
//  - a connection that is refused, not made within the connect time-out or whose host is not
//    found closes the port quietly, as a failed open would (the keep-alive tries again);
//  - a connection that the far end drops closes the port and reports deviceLost() once; what
//    arrived before the drop can still be read while deviceLost() is being handled;
//  - the receive threshold raises comm code 2 as on a serial port; line settings do not apply
//    and are ignored.

#include "cat/link/Transport.h"

#include <QTcpSocket>
#include <QTimer>

namespace veltrane::cat {

class TcpPort final : public Transport
{
    Q_OBJECT

public:
    explicit TcpPort(QObject *parent = nullptr);
    ~TcpPort() override;

    void close() override;
    bool isOpen() const override;
    OpenFailure lastOpenFailure() const override { return m_openFailure; }
    QString lastOpenError() const override { return m_openError; }

    bool write(const QByteArray &data) override;
    QByteArray readAll() override;
    qint64 bytesWaiting() const override;
    void discardInput() override;
    // Discards what waits and keeps the connection: a reconnect after every FT-897 answer
    // would only load the serial server, and a network port has no line state to reset.

    // True once the connection stands (not while it is still being made).
    bool isConnected() const;
    // How long a connect may take before it counts as failed.
    void setConnectTimeout(int ms) { m_connectTimer.setInterval(ms); }
    static constexpr int kConnectTimeoutMs = 3000;

    // Received bytes beyond this count with nobody reading them are dropped and reported as
    // a receive-buffer overflow (comm code 1008), as on the serial port.
    static constexpr qint64 kInputLimit = 64 * 1024;

protected:
    bool openDevice() override;

private:
    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);
    void onDisconnected();
    void failConnect(OpenFailure failure, const QString &why);

    QTcpSocket m_socket;
    QTimer m_connectTimer;
    OpenFailure m_openFailure = OpenFailure::None;
    QString m_openError;
    bool m_connected = false; // the connection stood: losing it is a lost device
    QByteArray m_leftover;    // received before the far end closed, read in deviceLost()
};

} // namespace veltrane::cat
