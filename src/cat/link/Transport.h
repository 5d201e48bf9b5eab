// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one small interface through which the rig link reaches its rig: a serial port
// (QtSerialPort, over QSerialPort) or a TCP connection (TcpPort). It is opened with its
// settings; it moves bytes, raises the receive event when enough bytes wait, and reports its
// conditions as comm codes. It knows nothing of rigs or frames. Unit tests use a scripted fake;
// integration tests the real ports on a pseudo-terminal and on 127.0.0.1.

#include "config/CatAddress.h"
#include "config/ExtensionSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace veltrane::cat {

// Line settings in the serial control's text form, four comma-separated fields:
// speed, parity letter, data bits, stop bits. "9600,N,8,1" -> {9600, 'N', 8, 1.0}.
struct LineSettings
{
    int baud = 9600;
    char parity = 'N';     // N, E, O, M (mark) or S (space)
    int dataBits = 8;      // 5 to 8
    double stopBits = 1.0; // 1, 1.5 or 2

    // Parses "9600,N,8,1" (parity letter in either case, blanks around fields allowed);
    // nothing for a text the port would reject ("", ",N,8,1", "9600,X,8,1", "abc").
    static std::optional<LineSettings> parse(const QString &text);
    QString text() const; // "9600,N,8,1"

    friend bool operator==(const LineSettings &, const LineSettings &) = default;
};

// What a transport is opened with. Line settings apply to serial ports only.
struct PortSettings
{
    config::CatAddress address;
    LineSettings line;
    int receiveThreshold = 0; // receive event (comm code 2) at this many waiting bytes; 0 = none
    bool byteInputMode = false;
    int inputLength = 0; // bytes taken by one read; 0 = everything waiting
    // Serial ports: the modem lines after the open and the flow control (RTS/CTS and Both
    // leave RTS to the port's handshake).
    bool dtrOn = true;
    bool rtsOn = false;
    config::FlowControl flow = config::FlowControl::None;
};

// Why the last open failed.
enum class OpenFailure { None, NotFound, Permission, Busy, Other };

class Transport : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~Transport() override = default;

    // Opens the device with these settings (kept for reopen()). False when it cannot be opened;
    // lastOpenFailure() and lastOpenError() then say why.
    bool open(const PortSettings &settings)
    {
        m_settings = settings;
        return openDevice();
    }
    // Opens again with the settings of the last open (the keep-alive).
    bool reopen() { return openDevice(); }
    const PortSettings &settings() const { return m_settings; }

    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual OpenFailure lastOpenFailure() const = 0;
    virtual QString lastOpenError() const = 0;

    // One write: every byte of data goes out as it is. False when the port is closed or the
    // write failed; a failed write never throws or ends the program.
    virtual bool write(const QByteArray &data) = 0;
    // Everything waiting (at most inputLength bytes when that is above 0); empties what it took.
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesWaiting() const = 0;
    virtual void discardInput() = 0;

signals:
    // A condition of the port as a comm code: 2 = receive threshold reached; 1001 to 1010 line
    // conditions (see CommEvents.h). A vanished device is reported by deviceLost() instead.
    void commEvent(int code);
    // Bytes arrived (every time, whatever the receive threshold).
    void received();
    // The device went away (unplugged adapter, killed simulator, dropped connection); the port
    // has closed itself.
    void deviceLost();

protected:
    virtual bool openDevice() = 0;
    // Concrete ports call this whenever bytes arrive; raises the receive event when due.
    void bytesArrived();

private:
    PortSettings m_settings;
};

// Makes the transport for a CAT= address: a QtSerialPort for a serial device, a TcpPort for a
// network address. The link calls it when it opens; tests hand the link their own.
using TransportFactory = std::function<std::unique_ptr<Transport>(const config::CatAddress &)>;
std::unique_ptr<Transport> makeTransport(const config::CatAddress &address);

} // namespace veltrane::cat
