// The program's serial port on a real pseudo-terminal: bytes both ways unchanged, the receive
// event at the threshold, modem lines held steady (HUPCL cleared so a close does not drop
// them), a vanished device closing the port once instead of spinning, and reopening.

#include "cat/QtSerialPort.h"

#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace veltrane;

namespace {

// The far end of a pseudo-terminal, as the rig's side of the cable.
struct Pty
{
    int master = -1;
    QString slave;

    Pty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            qFatal("no pseudo-terminal");
        slave = QString::fromLocal8Bit(::ptsname(master));
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() { hangUp(); }
    void hangUp()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void send(const QByteArray &bytes) const
    {
        if (::write(master, bytes.constData(), size_t(bytes.size())) != bytes.size())
            qFatal("short write");
    }
    QByteArray receive() const
    {
        QByteArray all;
        char buf[256];
        ssize_t n;
        while ((n = ::read(master, buf, sizeof buf)) > 0)
            all.append(buf, n);
        return all;
    }
};

}  // namespace

class tst_QtSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void bytesPassUnchanged();
    void receiveEventAtThreshold();
    void closeKeepsModemLines();
    void vanishedDeviceClosesOnce();
    void missingDeviceIsReported();
};

void tst_QtSerialPort::bytesPassUnchanged()
{
    Pty pty;
    cat::QtSerialPort port;
    port.setPortName(pty.slave);
    QVERIFY(port.open());

    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QVERIFY(port.write(all));
    QByteArray got;
    QTRY_VERIFY((got += pty.receive()).size() >= 256);
    QCOMPARE(got, all);

    pty.send(all);
    QTRY_COMPARE(port.bytesWaiting(), qint64(256));
    QCOMPARE(port.readAll(), all);
    QCOMPARE(port.bytesWaiting(), qint64(0));
}

void tst_QtSerialPort::receiveEventAtThreshold()
{
    Pty pty;
    cat::QtSerialPort port;
    port.setPortName(pty.slave);
    port.setReceiveThreshold(5);
    QVERIFY(port.open());
    QSignalSpy events(&port, &cat::SerialPort::commEvent);

    pty.send(QByteArray::fromHex("014076"));
    QTest::qWait(100);
    QCOMPARE(events.count(), 0);
    pty.send(QByteArray::fromHex("5201"));
    QTRY_COMPARE(events.count(), 1);
    QCOMPARE(events.at(0).at(0).toInt(), 2);

    port.discardInput();
    QCOMPARE(port.bytesWaiting(), qint64(0));
}

void tst_QtSerialPort::closeKeepsModemLines()
{
    Pty pty;
    cat::QtSerialPort port;
    port.setPortName(pty.slave);
    QVERIFY(port.open());
    const int probe = ::open(pty.slave.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(probe >= 0);
    termios t{};
    QCOMPARE(::tcgetattr(probe, &t), 0);
    ::close(probe);
    QCOMPARE(t.c_cflag & HUPCL, tcflag_t(0));  // a close will not drop DTR and RTS

    // The FT-897 reader's restart after each answer discards what waits in both directions
    // and leaves the port usable, without reopening the device (which would raise RTS).
    pty.send("stale");
    QTRY_COMPARE(port.bytesWaiting(), qint64(5));
    QVERIFY(port.restart());
    QVERIFY(port.isOpen());
    QCOMPARE(port.bytesWaiting(), qint64(0));
    pty.send("new");
    QTRY_COMPARE(port.bytesWaiting(), qint64(3));
    QCOMPARE(port.readAll(), QByteArray("new"));
    port.close();
    QVERIFY(port.open());
}

void tst_QtSerialPort::vanishedDeviceClosesOnce()
{
    Pty pty;
    cat::QtSerialPort port;
    port.setPortName(pty.slave);
    QVERIFY(port.open());
    QSignalSpy lost(&port, &cat::SerialPort::deviceLost);
    QSignalSpy events(&port, &cat::SerialPort::commEvent);

    pty.hangUp();
    QTRY_COMPARE(lost.count(), 1);
    QVERIFY(!port.isOpen());
    QTest::qWait(200);
    QCOMPARE(lost.count(), 1);  // reported once, not from a busy loop
    QCOMPARE(events.count(), 0);
    QVERIFY(!port.write("FA;"));
    QVERIFY(!port.open());  // the device is gone until it comes back
}

void tst_QtSerialPort::missingDeviceIsReported()
{
    cat::QtSerialPort port;
    port.setPortName(QStringLiteral("/dev/veltrane-no-such-port"));
    QVERIFY(!port.open());
    QCOMPARE(port.lastOpenFailure(), cat::OpenFailure::NotFound);
    port.setPortName(QString());
    QVERIFY(!port.open());
}

QTEST_GUILESS_MAIN(tst_QtSerialPort)
#include "tst_qtserialport.moc"
