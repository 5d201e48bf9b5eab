// Network CAT ports: address parsing for both network forms, and the TCP port against a
// server in this process on 127.0.0.1: bytes both ways unchanged, writes made while the
// connection is still being made, a refused connect that is a quiet failed open, a dropped
// connection reported once and reopened, and the switching port that picks serial or network
// by the port name and applies the receive threshold.

#include "cat/NetAddress.h"
#include "cat/SwitchingPort.h"
#include "cat/TcpPort.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace veltrane;
using namespace Qt::StringLiterals;

namespace {

// The far end: a listening server on 127.0.0.1 that keeps its latest client.
struct Server
{
    QTcpServer server;
    QPointer<QTcpSocket> client;

    Server() { listen(0); }
    bool listen(quint16 port) { return server.listen(QHostAddress::LocalHost, port); }
    quint16 port() const { return server.serverPort(); }
    QString url() const { return u"tcp://127.0.0.1:"_s + QString::number(port()); }
    bool accept()
    {
        if (!QTest::qWaitFor([this] { return server.hasPendingConnections(); }, 5000))
            return false;
        client = server.nextPendingConnection();
        return client != nullptr;
    }
    // Waits (turning the event loop, so our side can send) for count bytes at most.
    QByteArray receive(qsizetype count)
    {
        QByteArray got;
        (void)QTest::qWaitFor(
            [&] {
                if (client)
                    got += client->readAll();
                return got.size() >= count;
            },
            5000);
        return got;
    }
    void send(const QByteArray &bytes)
    {
        client->write(bytes);
        client->flush();
    }
};

// A port number on 127.0.0.1 where nobody listens (a server bound and let go).
quint16 deadPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

class tst_TcpPort : public QObject
{
    Q_OBJECT

private slots:
    void addresses_data();
    void addresses();

    void bytesPassBothWays();
    void refusedConnectIsQuietFailedOpen();
    void droppedConnectionReportedOnceAndReopened();
    void closeThenOpenMakesNewConnection();
    void switchingPortPicksByName();
};

void tst_TcpPort::addresses_data()
{
    QTest::addColumn<bool>("rigctld"); // parsed as a rigctld address, else as a tcp:// port name
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("host"); // empty: refused
    QTest::addColumn<int>("port");

    QTest::newRow("name, tcp://") << false << u"tcp://rigpi:7000"_s << u"rigpi"_s << 7000;
    QTest::newRow("upper-case scheme, blanks, tcp://") << false << u"  TCP://10.0.0.2:4000 "_s << u"10.0.0.2"_s << 4000;
    QTest::newRow("ipv6 in brackets, tcp://") << false << u"tcp://[::1]:7000"_s << u"::1"_s << 7000;
    QTest::newRow("highest port, tcp://") << false << u"tcp://h:65535"_s << u"h"_s << 65535;
    QTest::newRow("no port, tcp://") << false << u"tcp://rigpi"_s << QString() << 0;
    QTest::newRow("empty port, tcp://") << false << u"tcp://rigpi:"_s << QString() << 0;
    QTest::newRow("port 0, tcp://") << false << u"tcp://rigpi:0"_s << QString() << 0;
    QTest::newRow("port not a number, tcp://") << false << u"tcp://rigpi:70a0"_s << QString() << 0;
    QTest::newRow("no scheme, tcp://") << false << u"rigpi:7000"_s << QString() << 0;
    QTest::newRow("no host, tcp://") << false << u"tcp://:7000"_s << QString() << 0;
    QTest::newRow("blank in host, tcp://") << false << u"tcp://rig pi:7000"_s << QString() << 0;
    QTest::newRow("ipv6 without brackets, tcp://") << false << u"tcp://::1:7000"_s << QString() << 0;
    QTest::newRow("unclosed bracket, tcp://") << false << u"tcp://[::1:7000"_s << QString() << 0;
    QTest::newRow("not ipv6 in brackets, tcp://") << false << u"tcp://[rigpi]:7000"_s << QString() << 0;
    QTest::newRow("path after port, tcp://") << false << u"tcp://rigpi:7000/x"_s << QString() << 0;
    QTest::newRow("host alone, rigctld") << true << u"localhost"_s << u"localhost"_s << 4532;
    QTest::newRow("host and port, rigctld") << true << u"192.168.1.5:4533"_s << u"192.168.1.5"_s << 4533;
    QTest::newRow("tcp form, rigctld") << true << u"tcp://shack-pi:4532"_s << u"shack-pi"_s << 4532;
    QTest::newRow("tcp form, no port, rigctld") << true << u"tcp://shack-pi"_s << u"shack-pi"_s << 4532;
    QTest::newRow("ipv6 alone, rigctld") << true << u"[::1]"_s << u"::1"_s << 4532;
    QTest::newRow("ipv6 and port, rigctld") << true << u" [fe80::1]:4600 "_s << u"fe80::1"_s << 4600;
    QTest::newRow("empty, rigctld") << true << u""_s << QString() << 0;
    QTest::newRow("blank, rigctld") << true << u"   "_s << QString() << 0;
    QTest::newRow("colon, no port, rigctld") << true << u"host:"_s << QString() << 0;
    QTest::newRow("port 0, rigctld") << true << u"host:0"_s << QString() << 0;
    QTest::newRow("port too big, rigctld") << true << u"host:65536"_s << QString() << 0;
    QTest::newRow("six-digit port, rigctld") << true << u"host:045320"_s << QString() << 0;
    QTest::newRow("blank inside, rigctld") << true << u"a b:4532"_s << QString() << 0;
    QTest::newRow("ipv6 without brackets, rigctld") << true << u"::1:4532"_s << QString() << 0;
    QTest::newRow("other scheme, rigctld") << true << u"udp://host:4532"_s << QString() << 0;
    QTest::newRow("junk after bracket, rigctld") << true << u"[::1]x"_s << QString() << 0;
}

void tst_TcpPort::addresses()
{
    QFETCH(bool, rigctld);
    QFETCH(QString, text);
    QFETCH(QString, host);
    QFETCH(int, port);
    const cat::AddressParse parsed = rigctld ? cat::parseRigctldAddress(text) : cat::parseTcpUrl(text);
    if (host.isEmpty()) {
        QVERIFY2(!parsed.address, qPrintable(parsed.address ? parsed.address->url() : QString()));
        QVERIFY(!parsed.error.isEmpty());
        return;
    }
    QVERIFY2(parsed.address, qPrintable(parsed.error));
    QCOMPARE(parsed.address->host, host);
    QCOMPARE(int(parsed.address->port), port);
    // The port name an address becomes ("tcp://[::1]:4600") is a tcp:// name for the same address.
    QVERIFY(cat::isTcpUrl(parsed.address->url()));
    QCOMPARE(cat::parseTcpUrl(parsed.address->url()).address, parsed.address);
    if (!rigctld)
        QVERIFY(cat::isTcpUrl(text));
}

void tst_TcpPort::bytesPassBothWays()
{
    Server far;
    cat::TcpPort port;
    port.setPortName(far.url());
    QVERIFY(port.open());
    QVERIFY(port.isOpen());
    // Written before the connection stands: it goes out once it does.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QVERIFY(port.write(all));
    QVERIFY(far.accept());
    QCOMPARE(far.receive(all.size()), all);
    QTRY_VERIFY(port.isConnected());

    const QByteArray answer("FA14076000;\r\n\x00\xFF\x11\x13", 17);
    far.send(answer);
    QTRY_COMPARE(port.bytesWaiting(), qint64(answer.size()));
    QCOMPARE(port.readAll(), answer);
    QCOMPARE(port.bytesWaiting(), 0);
    QVERIFY(!port.setModemLines(true, false)); // no modem lines, and no harm
}

void tst_TcpPort::refusedConnectIsQuietFailedOpen()
{
    cat::TcpPort port;
    port.setPortName(u"tcp://127.0.0.1:"_s + QString::number(deadPort()));
    QSignalSpy lost(&port, &cat::SerialPort::deviceLost);
    QSignalSpy events(&port, &cat::SerialPort::commEvent);
    port.open();
    QTRY_VERIFY(!port.isOpen());
    QCOMPARE(port.lastOpenFailure(), cat::OpenFailure::NotFound);
    QVERIFY(!port.lastOpenError().isEmpty());
    QVERIFY(!port.write("f\n"));
    QCOMPARE(port.readAll(), QByteArray());
    QCOMPARE(lost.size(), 0);
    QCOMPARE(events.size(), 0);

    // A name that is no address fails at once.
    port.setPortName(u"tcp://no port here"_s);
    QVERIFY(!port.open());
    QVERIFY(!port.isOpen());
}

void tst_TcpPort::droppedConnectionReportedOnceAndReopened()
{
    Server far;
    const quint16 number = far.port();
    cat::TcpPort port;
    port.setPortName(far.url());
    QSignalSpy lost(&port, &cat::SerialPort::deviceLost);
    QVERIFY(port.open());
    QVERIFY(far.accept());
    QTRY_VERIFY(port.isConnected());

    far.client->abort();
    far.server.close();
    QTRY_COMPARE(lost.size(), 1);
    QVERIFY(!port.isOpen());
    QVERIFY(!port.write("f\n"));
    // While the far end is away an open fails quietly: no second report.
    port.open();
    QTRY_VERIFY(!port.isOpen());
    QCOMPARE(lost.size(), 1);

    QVERIFY(far.listen(number));
    QVERIFY(port.open());
    QVERIFY(far.accept());
    QTRY_VERIFY(port.isConnected());
    QVERIFY(port.write("f\n"));
    QCOMPARE(far.receive(2), QByteArray("f\n"));
    QCOMPARE(lost.size(), 1);
}

void tst_TcpPort::closeThenOpenMakesNewConnection()
{
    Server far;
    cat::TcpPort port;
    port.setPortName(far.url());
    QSignalSpy lost(&port, &cat::SerialPort::deviceLost);
    QVERIFY(port.open());
    QVERIFY(far.accept());
    QPointer<QTcpSocket> first = far.client;
    QTRY_VERIFY(port.isConnected());
    QVERIFY(port.write(QByteArray("\x00\x00\x00\x00\x03", 5)));
    port.close();
    QVERIFY(!port.isOpen());
    QVERIFY(port.open());
    QVERIFY(far.accept());
    QVERIFY(far.client != first);
    QTRY_VERIFY(port.isConnected());
    QCOMPARE(lost.size(), 0); // our own close is no lost device

    // A restart (the FT-897 reader's after each answer) drops what waits, not the connection.
    far.send(QByteArray("\x01\x40\x76\x00\x01\x01", 6));
    QTRY_COMPARE(port.bytesWaiting(), 6);
    const QPointer<QTcpSocket> second = far.client;
    QVERIFY(port.restart());
    QCOMPARE(port.bytesWaiting(), 0);
    QVERIFY(port.write("f\n"));
    QCOMPARE(far.receive(2), QByteArray("f\n"));
    QCOMPARE(second->state(), QAbstractSocket::ConnectedState);
}

void tst_TcpPort::switchingPortPicksByName()
{
    Server far;
    cat::SwitchingPort port;
    port.setSettings(u"4800,N,8,2"_s); // ignored by the network port
    port.setReceiveThreshold(3);
    QSignalSpy events(&port, &cat::SerialPort::commEvent);
    port.setPortName(far.url());
    QVERIFY(port.open());
    QVERIFY(port.isNetwork());
    QVERIFY(far.accept());
    QVERIFY(port.write("f\n"));
    QCOMPARE(far.receive(2), QByteArray("f\n"));
    far.send("14");
    QTRY_COMPARE(port.bytesWaiting(), 2);
    QCOMPARE(events.size(), 0);
    far.send("076000\n");
    QTRY_COMPARE(events.size(), 1);
    QCOMPARE(port.readAll(), QByteArray("14076000\n"));

    // Another name: the network port is closed and the serial one tried.
    port.setPortName(u"/nonexistent/ttyNONE"_s);
    QVERIFY(!port.open());
    QVERIFY(!port.isNetwork());
    QCOMPARE(port.lastOpenFailure(), cat::OpenFailure::NotFound);
    QTRY_COMPARE(far.client->state(), QAbstractSocket::UnconnectedState);
}

QTEST_GUILESS_MAIN(tst_TcpPort)
#include "tst_TcpPort.moc"
