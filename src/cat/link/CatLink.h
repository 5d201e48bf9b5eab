// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rig link: opens the rig's port from the configuration, keeps it open, runs the poll of
// the configured rig family and hands every accepted answer on as a dial frequency.
// It owns the transport (made by the factory when the link opens), the two poll timers (Timer2
// for the families whose answers a poll reads, Timer3 for CI-V's own poll), the family's answer
// reader and the port's status. It does not own the main tick: the station calls
// keepAliveAndRequest() from Timer1. What differs between families is the family table's
// (RigFamily.h); frame layouts and answer tests are the codec's.

#include "cat/RigFamily.h"
#include "cat/link/Transport.h"
#include "config/StationConfig.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

namespace veltrane::cat {

class CatLink : public QObject
{
    Q_OBJECT

public:
    CatLink(const config::StationConfig &config, TransportFactory factory = makeTransport,
            QObject *parent = nullptr);
    ~CatLink() override;

    // Start-up, in this order. Each returns an empty text on success, else the reason start-up
    // cannot go on.
    //  configurePort: line settings (RS232C=), the port (CAT=) opened when CAT is configured,
    //                 the family's receive settings.
    QString configurePort();
    //  prepareCivFraming: the CI-V framing bytes from ICOM= and CONTROL= (CI-V family only).
    QString prepareCivFraming();
    //  switchPollTimers: the family's poll timer runs (both run for a RIG= outside the table).
    void switchPollTimers();
    // Stops the poll timers and closes the port (the end of the run).
    void stop();

    // Main tick: reopen a closed port (only when CAT is configured), then the read request.
    void keepAliveAndRequest();

    void Data_Request();
    void Data_Out();
    void ICOM_Data1();
    void FT897();
    void MSComm1_OnComm(int code);

    // The writes of one operation, one port write each; nothing is written while the port is
    // closed. False when a write did not go out.
    bool write(const Writes &writes);

    bool isOpen() const;
    void close();
    // "OK" once the port was opened at start-up, "No Work" before and without CAT.
    QString portStatus() const { return m_portStatus; }
    // The configured family's row, or null for a RIG= outside the table.
    const RigCaps *caps() const { return m_caps; }
    const Framing &civFraming() const { return m_civ; }
    // The rig's sideband as its last accepted answer told it (FT-897), or nothing.
    std::optional<bool> rigInLowerSideband() const
    {
        return m_reader ? m_reader->lowerSideband() : std::nullopt;
    }
    // The line settings the port was given (the serial defaults until RS232C= was applied).
    const LineSettings &lineSettings() const { return m_line; }
    Transport *transport() const { return m_transport.get(); }
    QTimer &timer2() { return m_timer2; }
    QTimer &timer3() { return m_timer3; }

signals:
    // An accepted answer: the rig's dial frequency in Hz.
    void frequencyRead(qint64 hz);
    // A line error the operator must see (message of the comm-event table).
    void lineError(const QString &message);
    // The device vanished; the keep-alive will reopen it when it returns.
    void deviceLost();

private:
    QString openFailureText() const;
    void readAndShow(const QByteArray &received);
    void onReceived();
    // The port's writes of read requests and its reads, through the CAT log (category
    // "veltrane.cat", debug level: off unless enabled).
    void writeRequest();
    QByteArray readPort();
    void accept(qint64 hz);
    void resetReader();

    const config::StationConfig m_config;
    const RigCaps *m_caps;
    TransportFactory m_factory;
    std::unique_ptr<Transport> m_transport;
    std::unique_ptr<AnswerReader> m_reader;
    LineSettings m_line;
    Framing m_civ;
    QString m_portStatus = QStringLiteral("No Work");
    QTimer m_timer2;
    QTimer m_timer3;
    QTimer m_quiet;
    QElapsedTimer m_sinceWrite; // since the last operation's writes // answers without an end mark: judged
                                // when the line has been quiet this long
};

} // namespace veltrane::cat
