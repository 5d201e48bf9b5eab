// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulated rig on a TCP port of 127.0.0.1: what a network serial server (raw bytes of the
// family) or a rigctld daemon (family 4) offers. Every client's bytes go to one RigEmulator,
// whose replies go back to the client that sent them; several clients may be connected at once,
// as with rigctld (a half frame of one client is dropped when another client's bytes come
// between). It listens on loopback only.
// The frame logic is RigEmulator's; this class only moves bytes and keeps the log and status
// files (same formats as PtyRig's). Line trouble is PtyRig's alone.

#include "rigsim/PtyRig.h"
#include "rigsim/RigEmulator.h"

#include <QFile>
#include <QList>
#include <QObject>
#include <QPointer>

class QTcpServer;
class QTcpSocket;

namespace veltrane::rigsim {

class TcpRig : public QObject
{
    Q_OBJECT

public:
    // options: logFile and statusFile are used; the link path and line faults are not.
    TcpRig(const EmulatorSettings &settings, const PtyRigOptions &options, QObject *parent = nullptr);
    ~TcpRig() override;

    // Listens on 127.0.0.1:port (0 = any free port). False with a message when it cannot.
    bool start(quint16 port, QString *error = nullptr);
    // Drops every client and stops listening; start() may follow again (a restarted server).
    void stop();
    // Drops every client and keeps listening (a network hiccup).
    void dropClients();

    bool isListening() const;
    quint16 port() const { return m_port; }
    // What a controller opens: "tcp://127.0.0.1:4532".
    QString url() const;
    int clientCount() const { return int(m_clients.size()); }

    const RigEmulator &emulator() const { return m_emulator; }

signals:
    void frameReceived(const veltrane::rigsim::FrameRecord &record);
    void stateChanged(qint64 frequencyHz, veltrane::rigsim::Mode mode);
    void clientConnected();

private:
    void onNewConnection();
    void onReadable(QTcpSocket *client);
    void writeStatus();

    RigEmulator m_emulator;
    PtyRigOptions m_options;
    QTcpServer *m_server = nullptr;
    QList<QPointer<QTcpSocket>> m_clients;
    QTcpSocket *m_lastSender = nullptr; // compared only
    QFile m_log;
    quint16 m_port = 0;
    qint64 m_lastFrequency = -1;
    Mode m_lastMode = Mode::Usb;
};

} // namespace veltrane::rigsim
