// SPDX-License-Identifier: GPL-3.0-or-later
// The program's two transports against real peers: the serial port on a pseudo-terminal and the
// TCP port against a server on 127.0.0.1. Bytes both ways unchanged, the receive event at the
// threshold, discarding what waits, a vanished device reported once, and the factory's choice. (Refused,
// dropped and remade connections are met in the rigctld test.)

#include "cat/link/QtSerialPort.h"
#include "cat/link/TcpPort.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace veltrane;
using namespace Qt::StringLiterals;

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

cat::PortSettings serial(const QString &device, int threshold = 0)
{
    return {config::CatAddress{config::CatAddress::Kind::Serial, device, {}}, {}, threshold};
}

cat::PortSettings tcp(quint16 port, int threshold = 0)
{
    const config::NetAddress address{u"127.0.0.1"_s, port};
    return {config::CatAddress{config::CatAddress::Kind::Tcp, address.url(), address}, {}, threshold};
}

QByteArray everyByte()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    return all;
}

} // namespace

class tst_Transports : public QObject
{
    Q_OBJECT

private slots:
    void serialBytesThresholdAndRestart();
    void serialVanishedDeviceClosesOnce();
    void serialFlowControlReachesTheDevice();
    void tcpBytesThresholdAndRestart();
};

void tst_Transports::serialBytesThresholdAndRestart()
{
    Pty pty;
    cat::QtSerialPort port;
    QSignalSpy events(&port, &cat::Transport::commEvent);
    QVERIFY(port.open(serial(pty.slave, 5)));
    QVERIFY(port.write(everyByte()));
    QByteArray got;
    QTRY_VERIFY((got += pty.receive()).size() >= 256);
    QCOMPARE(got, everyByte());

    pty.send(QByteArray::fromHex("014076"));
    QTRY_COMPARE(port.bytesWaiting(), 3);
    QCOMPARE(events.count(), 0);
    pty.send(QByteArray::fromHex("5201"));
    QTRY_COMPARE(events.count(), 1);
    QCOMPARE(events.at(0).at(0).toInt(), 2);
    QCOMPARE(port.readAll(), QByteArray::fromHex("0140765201"));

    // HUPCL is cleared: a close will not drop DTR and RTS.
    const int probe = ::open(pty.slave.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    QCOMPARE(::tcgetattr(probe, &t), 0);
    ::close(probe);
    QCOMPARE(t.c_cflag & HUPCL, tcflag_t(0));

    // Discarding what waits (before an FT-897 read request) leaves the port as it is.
    pty.send("stale");
    QTRY_COMPARE(port.bytesWaiting(), 5);
    port.discardInput();
    QCOMPARE(port.bytesWaiting(), 0);
    pty.send(everyByte());
    QTRY_COMPARE(port.bytesWaiting(), 256);
    QCOMPARE(port.readAll(), everyByte());
    port.close();
    QVERIFY(port.reopen());
}

// The flow-control setting as the device's own terminal settings show it.
void tst_Transports::serialFlowControlReachesTheDevice()
{
    const std::pair<config::FlowControl, const char *> rows[] = {{config::FlowControl::None, "-"},
                                                                 {config::FlowControl::XonXoff, "xon"},
                                                                 {config::FlowControl::RtsCts, "rtscts"},
                                                                 {config::FlowControl::Both, "rtscts"}};
    for (const auto &[flow, shown] : rows) {
        Pty pty;
        cat::QtSerialPort port;
        cat::PortSettings settings = serial(pty.slave);
        settings.flow = flow;
        settings.dtrOn = false; // a pseudo-terminal has no modem lines: the open still succeeds
        settings.rtsOn = true;
        QVERIFY(port.open(settings));
        const int probe = ::open(pty.slave.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios t{};
        QCOMPARE(::tcgetattr(probe, &t), 0);
        ::close(probe);
        const char *seen = (t.c_cflag & CRTSCTS)                       ? "rtscts"
                           : (t.c_iflag & IXON) && (t.c_iflag & IXOFF) ? "xon"
                                                                       : "-";
        QCOMPARE(seen, shown);
    }
}

void tst_Transports::serialVanishedDeviceClosesOnce()
{
    Pty pty;
    cat::QtSerialPort port;
    QVERIFY(port.open(serial(pty.slave)));
    QSignalSpy lost(&port, &cat::Transport::deviceLost);
    QSignalSpy events(&port, &cat::Transport::commEvent);
    pty.hangUp();
    QTRY_COMPARE(lost.count(), 1);
    QVERIFY(!port.isOpen());
    QTest::qWait(200);
    QCOMPARE(lost.count(), 1); // reported once, not from a busy loop
    QCOMPARE(events.count(), 0);
    QVERIFY(!port.write("FA;"));
    QVERIFY(!port.reopen()); // the device is gone until it comes back
}

void tst_Transports::tcpBytesThresholdAndRestart()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    cat::TcpPort port;
    QSignalSpy events(&port, &cat::Transport::commEvent);
    QVERIFY(port.open(tcp(server.serverPort(), 3)));
    QVERIFY(port.write(everyByte())); // written before the connection stands: it goes out once it does
    QVERIFY(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000));
    QTcpSocket *far = server.nextPendingConnection();
    QByteArray got;
    QVERIFY(QTest::qWaitFor([&] { return (got += far->readAll()).size() >= 256; }, 5000));
    QCOMPARE(got, everyByte());

    far->write("14");
    QTRY_COMPARE(port.bytesWaiting(), 2);
    QCOMPARE(events.size(), 0);
    far->write(QByteArray("076000\n\x00\xFF", 9));
    QTRY_COMPARE(events.size(), 1);
    QCOMPARE(port.readAll(), QByteArray("14076000\n\x00\xFF", 11));
    // Discarding drops what waits, not the connection.
    far->write("stale");
    QTRY_COMPARE(port.bytesWaiting(), 5);
    port.discardInput();
    QCOMPARE(port.bytesWaiting(), 0);
    QVERIFY(port.isConnected() && !server.hasPendingConnections());
    // The far end answers and resets at once: the answer is read while the loss is reported.
    QByteArray lastAnswer;
    connect(&port, &cat::Transport::deviceLost, this, [&] { lastAnswer = port.readAll(); });
    far->write("FA21076000;");
    far->flush();
    far->abort();
    QTRY_VERIFY(!port.isOpen());
    QCOMPARE(lastAnswer, "FA21076000;"_ba);
    // The factory makes the transport the address names.
    QVERIFY(dynamic_cast<cat::QtSerialPort *>(cat::makeTransport(serial(u"/dev/ttyS0"_s).address).get()));
    QVERIFY(dynamic_cast<cat::TcpPort *>(cat::makeTransport(tcp(4532).address).get()));
}

QTEST_GUILESS_MAIN(tst_Transports)
#include "tst_transports.moc"
