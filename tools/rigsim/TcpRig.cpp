// SPDX-License-Identifier: GPL-3.0-or-later
#include "rigsim/TcpRig.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace veltrane::rigsim {

TcpRig::TcpRig(const EmulatorSettings &settings, const PtyRigOptions &options, QObject *parent)
    : QObject(parent), m_emulator(settings), m_options(options), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &TcpRig::onNewConnection);
}

TcpRig::~TcpRig()
{
    stop();
}

bool TcpRig::start(quint16 port, QString *error)
{
    if (!m_options.logFile.isEmpty() && !m_log.isOpen()) {
        m_log.setFileName(m_options.logFile);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            if (error)
                *error = u"cannot write the log file "_s + m_options.logFile + u": "_s + m_log.errorString();
            return false;
        }
    }
    if (!m_server->listen(QHostAddress::LocalHost, port)) {
        if (error)
            *error =
                u"cannot listen on 127.0.0.1:"_s + QString::number(port) + u": "_s + m_server->errorString();
        m_log.close();
        return false;
    }
    m_port = m_server->serverPort();
    writeStatus();
    return true;
}

void TcpRig::stop()
{
    dropClients();
    m_server->close();
}

void TcpRig::dropClients()
{
    const auto clients = m_clients;
    m_clients.clear();
    for (const QPointer<QTcpSocket> &client : clients) {
        if (client) {
            client->disconnect(this);
            client->abort();
            client->deleteLater();
        }
    }
    m_emulator.dropPending();
    m_lastSender = nullptr;
}

bool TcpRig::isListening() const
{
    return m_server->isListening();
}

QString TcpRig::url() const
{
    return u"tcp://127.0.0.1:"_s + QString::number(m_port);
}

void TcpRig::onNewConnection()
{
    while (QTcpSocket *client = m_server->nextPendingConnection()) {
        client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_clients.append(client);
        connect(client, &QTcpSocket::readyRead, this, [this, client] { onReadable(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            m_clients.removeAll(client);
            if (m_lastSender == client)
                m_lastSender = nullptr;
            client->deleteLater();
        });
        emit clientConnected();
    }
}

void TcpRig::onReadable(QTcpSocket *client)
{
    const QByteArray received = client->readAll();
    if (received.isEmpty())
        return;
    if (m_lastSender && m_lastSender != client)
        m_emulator.dropPending(); // a half frame of another client cannot go on with these bytes
    m_lastSender = client;
    const QList<Reply> replies = m_emulator.feed(received);
    for (const FrameRecord &r : m_emulator.takeLog()) {
        if (m_log.isOpen()) {
            m_log.write(r.logLine().toUtf8() + '\n');
            m_log.flush();
        }
        emit frameReceived(r);
    }
    const QByteArray back = RigEmulator::joined(replies);
    if (!back.isEmpty())
        client->write(back);
    if (m_emulator.frequencyHz() != m_lastFrequency || m_emulator.mode() != m_lastMode) {
        writeStatus();
        emit stateChanged(m_emulator.frequencyHz(), m_emulator.mode());
    }
}

void TcpRig::writeStatus()
{
    m_lastFrequency = m_emulator.frequencyHz();
    m_lastMode = m_emulator.mode();
    writeStatusFile(m_options.statusFile, m_lastFrequency, m_lastMode);
}

} // namespace veltrane::rigsim
