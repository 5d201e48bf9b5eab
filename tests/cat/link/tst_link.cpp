// SPDX-License-Identifier: GPL-3.0-or-later
// The rig link over a scripted port: start-up per family and its failures, CAT off, the FT-897's
// answers among acknowledges, pieces and stray bytes, comm events, and a vanished device. (Each family's poll
// from request to reading is met in the station test and the end-to-end sessions.)
// Then the two transports against real peers, for what only they do: the serial port on a pseudo-terminal
// (every byte value both ways, the receive event at the threshold, HUPCL cleared, the flow control in the
// device's terminal settings, discarding what waits, a vanished device reported once) and the TCP port
// against a server on 127.0.0.1 (writes before the connection stands, discarding, the last answer read
// while a reset is reported). The full loops over each transport are the end-to-end sessions (serial) and
// the rigctld test (TCP: refused, dropped and remade connections).

#include "cat/link/CatLink.h"
#include "cat/link/QtSerialPort.h"
#include "cat/link/TcpPort.h"
#include "support/FakeTransport.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <numeric>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace veltrane;

namespace {

QByteArray initCfg(const char *rig, const char *cat = "3")
{
    return "CAT="_ba + cat + "\r\nRIG="_ba + rig + "\r\nRS232C=4800,N,8,2\r\nICOM=74\r\nCONTROL=E0\r\n"_ba;
}

// A link on a fake rig, opened and ready as start-up leaves it; the frequencies it shows.
struct Opened
{
    explicit Opened(const QByteArray &cfg, cat::OpenFailure failOpen = cat::OpenFailure::None)
        : link(test::stationConfig(cfg), rig.factory())
    {
        rig.failOpen = failOpen;
        reason = link.configurePort() + link.prepareCivFraming();
        link.switchPollTimers();
        QObject::connect(&link, &cat::CatLink::frequencyRead, [this](qint64 hz) { shown << hz; });
    }
    test::FakeRig rig;
    cat::CatLink link;
    QString reason;
    QList<qint64> shown;
};

// The far end of a pseudo-terminal, as the rig's side of the cable.
struct Pty
{
    Pty()
    {
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            qFatal("no pseudo-terminal");
        // HUPCL set, as a serial port starts (a pseudo-terminal may start without it).
        termios t = settings();
        t.c_cflag |= HUPCL;
        ::tcsetattr(master, TCSANOW, &t);
    }
    ~Pty() { hangUp(); }
    void hangUp() { ::close(std::exchange(master, -1)); }
    bool send(const QByteArray &b) const { return ::write(master, b.data(), b.size()) == b.size(); }
    QByteArray take() const
    {
        char b[256];
        return QByteArray(b, std::max(::read(master, b, 256), 0L));
    }
    // The terminal settings the device was left with (the master reads the same settings).
    termios settings() const
    {
        termios t{};
        if (::tcgetattr(master, &t) != 0)
            qFatal("no terminal settings");
        return t;
    }

    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    QString slave = QString::fromLocal8Bit(::ptsname(master));
};

cat::PortSettings serial(const QString &device, int threshold = 0)
{
    return {config::CatAddress{config::CatAddress::Kind::Serial, device, {}}, {}, threshold};
}

const QByteArray kEveryByte = [] {
    QByteArray all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');
    return all;
}();

} // namespace

class tst_Link : public QObject
{
    Q_OBJECT

private slots:
    void startUp()
    {
        // What start-up opens: the device, the receive threshold, text or byte input, the line settings
        // (a network port is not given RS232C=) and the poll timers running.
        const std::pair<QByteArray, const char *> rows[] = {
            {initCfg("2"), "OK /dev/ttyS2 0 text 4800,N,8,2 timers 3"},
            {initCfg(" 3 "), "OK /dev/ttyS2 5 bytes 4800,N,8,2 timers"},
            {initCfg("0", "tcp://rigpi:7000"), "OK tcp://rigpi:7000 11 text 9600,N,8,1 timers 2"},
            {initCfg("4", "localhost"), "OK tcp://localhost:4532 0 text 9600,N,8,1 timers 2"},
            {initCfg("7"), "OK /dev/ttyS2 0 text 4800,N,8,2 timers 2 3"}, // outside the table: both timers
        };
        for (const auto &[cfg, opened] : rows) {
            Opened s(cfg);
            const cat::PortSettings &o = s.rig.port->settings();
            const QString timers = (s.link.timer2().isActive() ? u" 2"_s : QString()) +
                                   (s.link.timer3().isActive() ? u" 3"_s : QString());
            QCOMPARE(u"%1%2 %3 %4 %5 %6 timers%7"_s.arg(s.reason, s.link.portStatus(), o.address.device)
                         .arg(o.receiveThreshold)
                         .arg(o.byteInputMode ? u"bytes"_s : u"text"_s, o.line.text(), timers),
                     QString::fromLatin1(opened));
            QCOMPARE(s.link.timer2().interval() + s.link.timer3().interval(), 420);
        }
    }

    void startUpFailures()
    {
        const std::tuple<QByteArray, cat::OpenFailure, QString> rows[] = {
            {"RIG=0\r\n"_ba, cat::OpenFailure::None, u"No serial port is configured (CAT=)."_s},
            {"CAT=3\r\nRS232C=9600,X,8,1\r\n"_ba, cat::OpenFailure::None,
             u"RS232C= holds line settings the port cannot take: 9600,X,8,1"_s},
            {initCfg("2").replace("ICOM=74", "ICOM=7G"), cat::OpenFailure::None,
             u"ICOM= is not a CI-V address (two hexadecimal digits): 7G"_s},
            {initCfg("0", "/dev/ttyUSB0"), cat::OpenFailure::Permission,
             u"No permission to open /dev/ttyUSB0: add your user to the dialout group "
             u"(sudo usermod -aG dialout $USER), then log out and in again."_s},
            {initCfg("4", "localhost:99999"), cat::OpenFailure::None,
             u"CAT= holds no usable network address (localhost:99999): "
             u"The port must be a number from 1 to 65535, not \"99999\"."_s},
        };
        for (const auto &[cfg, open, reason] : rows)
            QCOMPARE(Opened(cfg, open).reason, reason);
    }

    void catOffOpensNothing()
    {
        Opened s(initCfg("0", "0"));
        QCOMPARE(s.reason + s.link.portStatus(), u"No Work"_s);
        QVERIFY(!s.rig.port); // no port is even made
        s.link.keepAliveAndRequest();
        s.link.Data_Out();
        QVERIFY(!s.link.isOpen() && !s.link.write({"FA14076000;"_ba}));
    }

    void ft897AnswersAmongAcknowledges()
    {
        // What happens on the line, in order: "R" the read request goes out, "Q" the line has gone
        // quiet, anything else bytes arriving (hex). Then the frequencies shown.
        const std::pair<const char *, QList<qint64>> rows[] = {
            // Acknowledges still on the way come first: the one window that reads as an answer counts.
            {"R 00 0140765201 Q", {14076520}},
            // Two windows read as answers and disagree: nothing, and the next poll reads again.
            {"R 00 0140760001 Q R 0140760001 Q", {14076000}},
            {"R 01407652010140765201 Q", {}},           // two answers at once
            {"0140765201 Q", {}},                       // without a request
            {"R 01407652 Q R 0070260000 Q", {7026000}}, // short, then the next answer
            {"R 0070260000 FF Q", {7026000}},           // a stray byte after
        };
        for (const auto &[line, shown] : rows) {
            Opened s(initCfg("3"));
            for (const QByteArray &step : QByteArray(line).split(' ')) {
                if (step == "R")
                    s.link.Data_Request();
                else if (step == "Q")
                    s.link.FT897();
                else
                    s.rig.port->receive(QByteArray::fromHex(step));
            }
            QVERIFY2(s.shown == shown, line);
        }
    }

    void commEvents()
    {
        Opened s(initCfg("0"));
        QSignalSpy errors(&s.link, &cat::CatLink::lineError);
        s.rig.port->raise(1004); // framing: an event, no box
        s.rig.port->raise(1008);
        QCOMPARE(errors.count(), 1); // (the box and its text: the main-window test)
        QVERIFY(s.link.isOpen());    // only the operator's Cancel closes the port
    }

    void catLog()
    {
        Opened s(initCfg("0"));
        QLoggingCategory::setFilterRules(u"veltrane.cat.debug=true"_s);
        QTest::ignoreMessage(QtDebugMsg,
                             QRegularExpression(u"^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} out 46 41 3b   FA;$"_s));
        QTest::ignoreMessage(
            QtDebugMsg, QRegularExpression(u" in  00 46 41 30 37 30 32 36 30 30 30 3b   .FA07026000;$"_s));
        s.link.keepAliveAndRequest();
        s.rig.port->receive("\0FA07026000;"_ba);
        QLoggingCategory::setFilterRules({});
    }

    void vanishedDeviceComesBack()
    {
        Opened s(initCfg("0"));
        QSignalSpy lost(&s.link, &cat::CatLink::deviceLost);
        s.rig.port->receive("FA1407"_ba);
        s.link.Data_Out(); // a half answer is kept by the reader when the adapter is pulled
        s.rig.port->vanish();
        QCOMPARE(lost.count(), 1);

        s.link.keepAliveAndRequest();
        QVERIFY(s.link.isOpen());
        QCOMPARE(s.rig.port->written(), "FA;"_ba);
        s.rig.port->receive("6000;FA21076000;"_ba); // the stale half answer must not be completed by this
        s.link.Data_Out();
        QCOMPARE(s.shown, QList<qint64>{21076000});
        // A server that drops the connection after each exchange: its last answer still counts.
        s.rig.port->vanish("FA14076000;"_ba);
        QCOMPARE(s.shown, (QList<qint64>{21076000, 14076000}));
    }

    void serialPort()
    {
        Pty pty;
        cat::QtSerialPort port;
        QList<int> events;
        connect(&port, &cat::Transport::commEvent, this, [&](int code) { events << code; });
        QSignalSpy lost(&port, &cat::Transport::deviceLost);
        QVERIFY(port.open(serial(pty.slave, 5)));
        QVERIFY(port.write(kEveryByte));
        QByteArray got;
        QTRY_COMPARE(got += pty.take(), kEveryByte);
        QCOMPARE(pty.settings().c_cflag & HUPCL, tcflag_t(0)); // a close will not drop DTR and RTS

        QVERIFY(pty.send(QByteArray::fromHex("014076")));
        QTRY_COMPARE(port.bytesWaiting(), 3);
        QVERIFY(events.isEmpty());
        QVERIFY(pty.send(QByteArray::fromHex("5201")));
        QTRY_COMPARE(events, QList<int>{2}); // the receive event at the threshold
        // Discarding what waits (before an FT-897 read request) leaves the port as it is.
        port.discardInput();
        QCOMPARE(port.bytesWaiting(), 0);
        QVERIFY(pty.send(kEveryByte));
        QTRY_COMPARE(port.bytesWaiting(), 256);
        QCOMPARE(port.readAll(), kEveryByte);

        events.clear();
        pty.hangUp();
        QTRY_COMPARE(lost.count(), 1);
        QVERIFY(!port.isOpen() && !port.write("FA;") && !port.reopen()); // gone until it comes back
        QTest::qWait(200);
        QCOMPARE(lost.count(), 1); // reported once, not from a busy loop
        QVERIFY(events.isEmpty()); // a vanished device is no comm event
    }

    // The flow-control setting as the device's own terminal settings show it.
    void serialFlowControlReachesTheDevice()
    {
        QStringList seen;
        for (const auto flow : {config::FlowControl::None, config::FlowControl::XonXoff,
                                config::FlowControl::RtsCts, config::FlowControl::Both}) {
            Pty pty;
            cat::QtSerialPort port;
            cat::PortSettings settings = serial(pty.slave);
            settings.flow = flow; // a pseudo-terminal has no modem lines: the open still succeeds
            QVERIFY(port.open(settings));
            const termios t = pty.settings();
            seen << ((t.c_cflag & CRTSCTS)                       ? u"rtscts"_s
                     : (t.c_iflag & IXON) && (t.c_iflag & IXOFF) ? u"xon"_s
                                                                 : u"-"_s);
        }
        QCOMPARE(seen.join(u' '), u"- xon rtscts rtscts"_s);
    }

    void tcpPort()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const config::NetAddress address{u"127.0.0.1"_s, server.serverPort()};
        cat::TcpPort port;
        QList<int> events;
        connect(&port, &cat::Transport::commEvent, this, [&](int code) { events << code; });
        QVERIFY(port.open({{config::CatAddress::Kind::Tcp, address.url(), address}, {}, 5}));
        QVERIFY(port.write(kEveryByte)); // written before the connection stands: it goes out once it does
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket *far = server.nextPendingConnection();
        QByteArray got;
        QTRY_COMPARE(got += far->readAll(), kEveryByte);
        // The receive event at the threshold (none before it: the serial port); discarding drops what
        // waits, not the connection.
        far->write("stale");
        QTRY_COMPARE(events, QList<int>{2});
        port.discardInput();
        QCOMPARE(port.bytesWaiting(), 0);
        QVERIFY(port.isConnected() && !server.hasPendingConnections());
        // The far end answers and resets at once: the answer is read while the loss is reported.
        QByteArray lastAnswer;
        connect(&port, &cat::Transport::deviceLost, this, [&] { lastAnswer = port.readAll(); });
        far->write(kEveryByte);
        far->flush();
        far->abort();
        QTRY_VERIFY(!port.isOpen());
        QCOMPARE(lastAnswer, kEveryByte);
    }
};

QTEST_GUILESS_MAIN(tst_Link)
#include "tst_link.moc"
