#pragma once
// The rig link: configures the serial port from the station state, keeps it open, runs the
// poll of the configured rig family and hands every accepted answer on as a frequency.
// The port may be a network one (a raw TCP port, or a rigctld daemon for family 4); the link
// treats it like a serial port.
// It owns the two poll timers (Timer2 for the text and rigctld families, Timer3 for CI-V) but not the port
// (the application creates it) and not the main tick (Timer1 belongs to the main window, which
// calls keepAliveAndRequest() from it). Frame layouts and answer tests are FrameCodec's and
// AnswerReaders'; showing the frequency and the error boxes is the window's.

#include "cat/AnswerReaders.h"
#include "cat/FrameCodec.h"
#include "cat/SerialPort.h"
#include "config/StationState.h"

#include <QObject>
#include <QTimer>

namespace veltrane::cat {

class CatLink : public QObject
{
    Q_OBJECT

public:
    CatLink(SerialPort &port, config::StationState &state, QObject *parent = nullptr);

    // Start-up sequence: line settings, port number and open, the family's receive settings.
    // Returns an empty text on success, else the reason start-up cannot go on.
    QString configurePort();
    // Start-up: the CI-V framing bytes from the configured addresses (CI-V family only).
    // Returns an empty text on success, else the reason (an address that is not hexadecimal).
    QString prepareCivFraming();
    // Start-up: runs the poll timer of the configured family.
    void switchPollTimers();

    // Main tick: reopen a closed port (only when CAT is configured), then the read request.
    void keepAliveAndRequest();

    void Data_Request();
    void Data_Out();
    void ICOM_Data1();
    void FT897();
    void MSComm1_OnComm(int code);

    // Writes frames for band selection, the offset set and click-to-tune, one port write each.
    // Nothing is written while the port is closed.
    void writeFrames(const Writes &writes);

    int family() const;
    CivFraming civFraming() const;
    SerialPort &port() { return m_port; }
    QTimer &timer2() { return m_timer2; }
    QTimer &timer3() { return m_timer3; }

    // The port's device for a CAT= value and how an open failure reads to the operator.
    static QString openFailureText(const SerialPort &port);

signals:
    // An accepted answer: the rig's dial frequency in kHz and the reader's display pattern.
    void frequencyRead(double khz);
    // A line error the operator must see (message of the comm-event table).
    void lineError(const QString &message);
    // The device vanished; the keep-alive will reopen it when it returns.
    void deviceLost();

private:
    void resetReaders();

    SerialPort &m_port;
    config::StationState &m_state;
    QTimer m_timer2;
    QTimer m_timer3;
    TextAnswerReader m_textReader;
    CivAnswerReader m_civReader;
    RigctldLineReader m_rigctldReader;
};

}  // namespace veltrane::cat
