#pragma once
// The one small interface through which the rig link reaches its serial port. The program
// uses QtSerialPort (over QSerialPort); unit tests use a scripted fake; integration tests use
// the real port on a pseudo-terminal. The port knows nothing of rigs or frames: it moves bytes,
// raises the receive event when enough bytes wait, and reports its conditions as comm codes.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

namespace veltrane::cat {

// Line settings in the serial control's text form, four comma-separated fields:
// speed, parity letter, data bits, stop bits. "9600,N,8,1" -> {9600, 'N', 8, 1.0}.
struct LineSettings
{
    int baud = 9600;
    char parity = 'N';  // N, E, O, M (mark) or S (space)
    int dataBits = 8;   // 5 to 8
    double stopBits = 1.0;  // 1, 1.5 or 2

    // Parses "9600,N,8,1" (parity letter in either case, blanks around fields allowed);
    // nothing for a text the port would reject ("", ",N,8,1", "9600,X,8,1", "abc").
    static std::optional<LineSettings> parse(const QString &text);
    QString text() const;  // "9600,N,8,1"

    friend bool operator==(const LineSettings &, const LineSettings &) = default;
};

// Handshaking mode of the port, numbered as the serial control numbers it.
enum class Handshaking { None = 0, XonXoff = 1, RtsCts = 2, Both = 3 };

// Why the last open failed.
enum class OpenFailure { None, NotFound, Permission, Busy, Other };

// The device a CAT= value names: a number n is the platform's n-th port (COMn on Windows,
// /dev/ttyS(n-1) on Linux); any other text is the device's own name, used as given.
//   devicePathFor(u"3") == "/dev/ttyS2" on Linux; devicePathFor(u"/dev/ttyUSB0") == "/dev/ttyUSB0"
// A number below 1 names no port (empty result).
QString devicePathFor(const QString &catValue);

class SerialPort : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~SerialPort() override = default;

    // Line settings as text; an invalid text is refused (false) and the old settings stay.
    bool setSettings(const QString &text);
    QString settings() const { return m_settings.text(); }
    LineSettings lineSettings() const { return m_settings; }

    void setPortName(const QString &device) { m_portName = device; }
    QString portName() const { return m_portName; }

    Handshaking handshaking() const { return m_handshaking; }

    // Receive event (comm code 2) when the waiting byte count reaches this value; 0 = none.
    void setReceiveThreshold(int bytes) { m_threshold = bytes; }
    int receiveThreshold() const { return m_threshold; }
    // Byte input mode and read length, kept for the family that sets them; reads are always
    // raw bytes, and a read length of 0 takes everything waiting.
    void setByteInputMode(bool on) { m_byteInput = on; }
    bool byteInputMode() const { return m_byteInput; }
    void setInputLength(int bytes) { m_inputLen = bytes; }
    int inputLength() const { return m_inputLen; }

    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual OpenFailure lastOpenFailure() const = 0;
    virtual QString lastOpenError() const = 0;

    // One write: every byte of data goes out as it is. False when the port is closed or the
    // write failed; a failed write never throws or ends the program.
    virtual bool write(const QByteArray &data) = 0;
    // Everything waiting (at most inputLength() bytes when that is above 0); empties what it took.
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesWaiting() const = 0;
    virtual void discardInput() = 0;

    // Closes the port and opens it again, discarding everything waiting in both directions.
    // Ports whose reopen would disturb the device may instead keep it open and only discard
    // (see QtSerialPort). False when the port could not be opened again.
    virtual bool restart()
    {
        close();
        return open();
    }

    // Sets DTR and RTS to fixed levels; false where the device cannot (a pseudo-terminal),
    // which is never an error for the link.
    virtual bool setModemLines(bool dtr, bool rts) = 0;

signals:
    // A condition of the port as a comm code: 2 = receive threshold reached; 1001 to 1010 line
    // conditions (see CommEvents.h). A vanished device is reported by deviceLost() instead.
    void commEvent(int code);
    // The device went away (unplugged adapter, killed simulator); the port has closed itself.
    void deviceLost();

protected:
    // Concrete ports call this whenever bytes arrive; raises the receive event when due.
    void bytesArrived();

private:
    LineSettings m_settings;
    QString m_portName;
    Handshaking m_handshaking = Handshaking::None;
    int m_threshold = 0;
    bool m_byteInput = false;
    int m_inputLen = 0;
};

}  // namespace veltrane::cat
