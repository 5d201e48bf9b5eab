// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's serial port: a Transport over QSerialPort. Besides moving bytes it
//  - raises the receive event when the waiting count reaches the threshold;
//  - closes itself and reports deviceLost() when the device vanishes. On Linux a vanished
//    device shows as ReadError (the slave reads end-of-file), repeated from a busy loop while the
//    port still reads as open, and only a later write gives ResourceError; both mean "gone";
//  - holds the modem lines steady: right after every open it sets DTR and RTS as configured
//    (RTS left to the handshake under RTS/CTS) and clears HUPCL, so a close does not drop DTR.
//    The device stays open for the whole run: on Unix the kernel raises DTR and RTS at every
//    open, a pulse that many interfaces wire to PTT or CW keying.

#include "cat/link/Transport.h"

#include <QSerialPort>

namespace veltrane::cat {

class QtSerialPort final : public Transport
{
    Q_OBJECT

public:
    explicit QtSerialPort(QObject *parent = nullptr);
    ~QtSerialPort() override;

    void close() override;
    bool isOpen() const override;
    OpenFailure lastOpenFailure() const override { return m_openFailure; }
    QString lastOpenError() const override { return m_openError; }

    bool write(const QByteArray &data) override;
    QByteArray readAll() override;
    qint64 bytesWaiting() const override;
    void discardInput() override;

    // Received bytes beyond this count with nobody reading them are dropped and reported as
    // a receive-buffer overflow (comm code 1008).
    static constexpr qint64 kInputLimit = 64 * 1024;

protected:
    bool openDevice() override;

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void keepLinesSteady();

    QSerialPort m_port;
    OpenFailure m_openFailure = OpenFailure::None;
    QString m_openError;
};

} // namespace veltrane::cat
