// SPDX-License-Identifier: GPL-3.0-or-later
#include "cat/link/TcpPort.h"

#include "cat/CommEvents.h"

using namespace Qt::StringLiterals;

namespace veltrane::cat {

TcpPort::TcpPort(QObject *parent) : Transport(parent)
{
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(kConnectTimeoutMs);
    connect(&m_connectTimer, &QTimer::timeout, this,
            [this] { failConnect(OpenFailure::NotFound, u"no connection within the time-out"_s); });
    connect(&m_socket, &QTcpSocket::connected, this, [this] {
        m_connectTimer.stop();
        m_connected = true;
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    });
    connect(&m_socket, &QTcpSocket::readyRead, this, &TcpPort::onReadyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpPort::onError);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TcpPort::onDisconnected);
}

TcpPort::~TcpPort()
{
    m_socket.disconnect(this);
    m_socket.abort();
}

bool TcpPort::openDevice()
{
    if (isOpen())
        return true;
    m_openFailure = OpenFailure::None;
    m_openError.clear();
    const config::NetAddress &address = settings().address.net;
    if (address.host.isEmpty() || address.port == 0) {
        m_openFailure = OpenFailure::NotFound;
        m_openError = u"no network address"_s;
        return false;
    }
    m_connected = false;
    m_socket.connectToHost(address.host, address.port);
    if (m_socket.state() == QAbstractSocket::UnconnectedState) { // refused before any event loop turn
        m_openFailure = OpenFailure::NotFound;
        m_openError = m_socket.errorString();
        return false;
    }
    m_connectTimer.start();
    return true;
}

void TcpPort::close()
{
    m_connectTimer.stop();
    m_connected = false;
    if (m_socket.state() == QAbstractSocket::ConnectedState)
        m_socket.flush(); // what was written goes out before the connection ends
    m_socket.abort();
}

bool TcpPort::isOpen() const
{
    return m_socket.state() != QAbstractSocket::UnconnectedState;
}

bool TcpPort::isConnected() const
{
    return m_connected && m_socket.state() == QAbstractSocket::ConnectedState;
}

bool TcpPort::write(const QByteArray &data)
{
    if (!isOpen())
        return false;
    return m_socket.write(data) == data.size();
}

QByteArray TcpPort::readAll()
{
    if (!m_leftover.isEmpty())
        return std::exchange(m_leftover, {});
    if (!isOpen())
        return {};
    if (settings().inputLength > 0)
        return m_socket.read(settings().inputLength);
    return m_socket.readAll();
}

qint64 TcpPort::bytesWaiting() const
{
    return m_leftover.size() + (isOpen() ? m_socket.bytesAvailable() : 0);
}

void TcpPort::discardInput()
{
    m_leftover.clear();
    if (isOpen())
        m_socket.readAll();
}

void TcpPort::onReadyRead()
{
    if (m_socket.bytesAvailable() > kInputLimit) {
        m_socket.readAll();
        emit commEvent(comEventRxOver);
        return;
    }
    bytesArrived();
}

void TcpPort::failConnect(OpenFailure failure, const QString &why)
{
    m_connectTimer.stop();
    m_openFailure = failure;
    m_openError = why;
    m_socket.abort();
}

void TcpPort::onError(QAbstractSocket::SocketError error)
{
    if (!m_connected) {
        // The connect failed: a failed open, told to nobody; the keep-alive tries again.
        const OpenFailure failure =
            error == QAbstractSocket::SocketAccessError ? OpenFailure::Permission : OpenFailure::NotFound;
        failConnect(failure, m_socket.errorString());
        return;
    }
    onDisconnected();
}

void TcpPort::onDisconnected()
{
    if (!m_connected)
        return;
    m_connected = false;
    // What arrived before the far end closed (a serial server that drops after each exchange)
    // stays readable while the loss is reported.
    m_leftover = m_socket.readAll();
    m_socket.abort();
    emit deviceLost();
    m_leftover.clear();
}

} // namespace veltrane::cat
