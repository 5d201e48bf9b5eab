// The rig link over a scripted port: start-up per family and its failures, the poll of each
// family from request to reading, comm events, a vanished device and writes to a closed port.

#include "cat/link/CatLink.h"
#include "support/FakeTransport.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace veltrane;
using test::hex;

namespace {

QByteArray initCfg(const char *rig, const char *cat = "3")
{
    return "CAT="_ba + cat + "\r\nRIG="_ba + rig + "\r\nRS232C=4800,N,8,2\r\nICOM=74\r\nCONTROL=E0\r\n"_ba;
}

// A link on a fake rig, opened and ready as start-up leaves it.
struct Opened
{
    explicit Opened(const QByteArray &cfg) : link(test::stationConfig(cfg), rig.factory())
    {
        reason = link.configurePort();
        if (reason.isEmpty())
            reason = link.prepareCivFraming();
        link.switchPollTimers();
    }
    test::FakeRig rig;
    cat::CatLink link;
    QString reason;
};

} // namespace

class tst_Link : public QObject
{
    Q_OBJECT

private slots:
    void startUp_data();
    void startUp();
    void startUpFailures_data();
    void startUpFailures();
    void pollFromRequestToReading_data();
    void pollFromRequestToReading();
    void catOffOpensNothing();
    void ft897CyclesOnlyAfterAnAnswer();
    void commEvents();
    void vanishedDeviceComesBack();
};

void tst_Link::startUp_data()
{
    QTest::addColumn<QByteArray>("cfg");
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<bool>("byteInput");
    QTest::addColumn<bool>("timer2");
    QTest::addColumn<bool>("timer3");
    QTest::addColumn<QString>("line");
    QTest::newRow("no RIG= acts as Yaesu") << "CAT= 3 \r\nRS232C=4800,N,8,2\r\n"_ba
                                           << "/dev/ttyS2" << 11 << false << true << false << "4800,N,8,2";
    QTest::newRow("ICOM") << initCfg("2") << "/dev/ttyS2" << 0 << false << false << true << "4800,N,8,2";
    QTest::newRow("FT-897, padded code")
        << initCfg(" 3 ") << "/dev/ttyS2" << 5 << true << false << false << "4800,N,8,2";
    QTest::newRow("serial server over TCP") << initCfg("0", "tcp://rigpi:7000") << "tcp://rigpi:7000" << 11
                                            << false << true << false << "9600,N,8,1";
    QTest::newRow("rigctld, default port")
        << initCfg("4", "localhost") << "tcp://localhost:4532" << 0 << false << true << false << "9600,N,8,1";
    QTest::newRow("outside the table")
        << initCfg("7") << "/dev/ttyS2" << 0 << false << true << true << "4800,N,8,2";
}

void tst_Link::startUp()
{
    QFETCH(QByteArray, cfg);
    QFETCH(QString, device);
    QFETCH(int, threshold);
    QFETCH(bool, byteInput);
    QFETCH(bool, timer2);
    QFETCH(bool, timer3);
    QFETCH(QString, line);
    Opened s(cfg);
    QCOMPARE(s.reason, QString());
    QVERIFY(s.link.isOpen());
    QCOMPARE(s.link.portStatus(), u"OK"_s);
    const cat::PortSettings &opened = s.rig.port->settings();
    QCOMPARE(opened.address.device, device);
    QCOMPARE(opened.receiveThreshold, threshold);
    QCOMPARE(opened.byteInputMode, byteInput);
    QCOMPARE(opened.line.text(), line); // a network port is not given RS232C=
    QCOMPARE(s.link.timer2().isActive(), timer2);
    QCOMPARE(s.link.timer3().isActive(), timer3);
    QCOMPARE(s.link.timer3().interval(), 220);
    QCOMPARE(s.link.timer2().interval(), 200);
}

void tst_Link::startUpFailures_data()
{
    QTest::addColumn<QByteArray>("cfg");
    QTest::addColumn<int>("openFailure");
    QTest::addColumn<QString>("reason");
    const int none = int(cat::OpenFailure::None);
    QTest::newRow("no CAT=") << "RIG=0\r\n"_ba << none << "No serial port is configured (CAT=).";
    QTest::newRow("RIG= not a number") << initCfg("abc") << none << "RIG= is not a number: abc";
    QTest::newRow("bad line settings") << "CAT=3\r\nRS232C=9600,X,8,1\r\n"_ba << none
                                       << "RS232C= holds line settings the port cannot take: 9600,X,8,1";
    QTest::newRow("ICOM address not hex") << initCfg("2").replace("ICOM=74", "ICOM=7G") << none
                                          << "ICOM= is not a CI-V address (two hexadecimal digits): 7G";
    QTest::newRow("port refused") << initCfg("0", "/dev/ttyUSB0") << int(cat::OpenFailure::Permission)
                                  << "No permission to open /dev/ttyUSB0: add your user to the dialout group "
                                     "(sudo usermod -aG dialout $USER), then log out and in again.";
    QTest::newRow("port missing") << initCfg("0", "9") << int(cat::OpenFailure::NotFound)
                                  << "The serial port /dev/ttyS8 does not exist.";
    QTest::newRow("rigctld address")
        << initCfg("4", "localhost:99999") << none
        << "CAT= holds no usable network address (localhost:99999): The port must be "
           "a number from 1 to 65535, not \"99999\".";
}

void tst_Link::startUpFailures()
{
    QFETCH(QByteArray, cfg);
    QFETCH(int, openFailure);
    QFETCH(QString, reason);
    test::FakeRig rig;
    rig.failOpen = cat::OpenFailure(openFailure);
    cat::CatLink link(test::stationConfig(cfg), rig.factory());
    QString why = link.configurePort();
    if (why.isEmpty())
        why = link.prepareCivFraming();
    QCOMPARE(why, reason);
}

void tst_Link::pollFromRequestToReading_data()
{
    QTest::addColumn<QByteArray>("rig");
    QTest::addColumn<QByteArray>("request"); // written by the main tick's keep-alive
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<qint64>("hz");
    QTest::newRow("Yaesu, read by Timer2") << "0"_ba
                                           << "FA;"_ba
                                           << "FA07026000;"_ba << qint64(7026000);
    QTest::newRow("Kenwood, read by Timer2") << "1"_ba
                                             << "FA;"_ba
                                             << "FA00014076000;"_ba << qint64(14076000);
    // CI-V writes its own request on Timer3 and reads the answer to the previous one past its echo.
    QTest::newRow("CI-V, Timer3") << "2"_ba << QByteArray() << hex("FEFE74E003FDFEFEE074030060020700FD")
                                  << qint64(7026000);
    // The FT-897's fifth byte raises the receive event, which reads at once.
    QTest::newRow("FT-897, receive event")
        << "3"_ba << hex("0000000003") << hex("0140765201") << qint64(14076520);
    QTest::newRow("rigctld, Timer2") << "4"_ba
                                     << "f\n"_ba
                                     << "RPRT 0\n21076000\n"_ba << qint64(21076000);
    QTest::newRow("outside the table") << "7"_ba << QByteArray() << "FA07026000;"_ba << qint64(-1);
}

void tst_Link::pollFromRequestToReading()
{
    QFETCH(QByteArray, rig);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(qint64, hz);
    Opened s(initCfg(rig.constData(), rig == "4" ? "localhost" : "3"));
    QSignalSpy read(&s.link, &cat::CatLink::frequencyRead);
    s.link.keepAliveAndRequest();
    QCOMPARE(s.rig.port->written(), request);

    // The answer in two pieces, each followed by the polls (the FT-897 runs no poll timer).
    const auto poll = [&] {
        if (rig != "3") {
            s.link.Data_Out();
            s.link.ICOM_Data1();
        }
    };
    s.rig.port->receive(answer.first(answer.size() - 2));
    poll();
    QCOMPARE(read.count(), 0);
    s.rig.port->receive(answer.last(2));
    poll();
    QCOMPARE(read.count(), hz < 0 ? 0 : 1);
    if (hz >= 0)
        QCOMPARE(read.at(0).at(0).toLongLong(), hz);
    if (rig == "2") // each Timer3 tick writes the request FE FE 74 E0 03 FD
        QCOMPARE(s.rig.port->written(), hex("FEFE74E003FDFEFE74E003FD"));
}

void tst_Link::catOffOpensNothing()
{
    Opened s(initCfg("0", "0"));
    QCOMPARE(s.reason, QString());
    QCOMPARE(s.link.portStatus(), u"No Work"_s);
    QVERIFY(!s.rig.port); // no port is even made
    s.link.keepAliveAndRequest();
    s.link.Data_Out();
    QVERIFY(!s.link.isOpen());
    QVERIFY(!s.link.write({"FA14076000;"_ba}));
}

void tst_Link::ft897CyclesOnlyAfterAnAnswer()
{
    Opened s(initCfg("3"));
    QSignalSpy read(&s.link, &cat::CatLink::frequencyRead);
    s.rig.port->receive(hex("01407652010140765201")); // two answers at once: nothing, no cycle
    QCOMPARE(read.count(), 0);
    QCOMPARE(s.rig.port->restarts, 0);
    QCOMPARE(s.rig.port->bytesWaiting(), 0);
    s.rig.port->receive(hex("0070260001"));
    QCOMPARE(read.count(), 1);
    QCOMPARE(s.rig.port->restarts, 1); // closed and opened again
    QVERIFY(s.link.isOpen());
}

void tst_Link::commEvents()
{
    Opened s(initCfg("0"));
    QSignalSpy errors(&s.link, &cat::CatLink::lineError);
    s.rig.port->raise(1004); // framing: an event, no box
    s.rig.port->raise(1008);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), u"ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました"_s);
    QVERIFY(s.link.isOpen()); // only the operator's Cancel closes the port
}

void tst_Link::vanishedDeviceComesBack()
{
    Opened s(initCfg("0"));
    QSignalSpy lost(&s.link, &cat::CatLink::deviceLost);
    QSignalSpy read(&s.link, &cat::CatLink::frequencyRead);
    s.rig.port->receive("FA1407"_ba);
    s.link.Data_Out(); // a half answer is kept by the reader when the adapter is pulled
    s.rig.port->vanish();
    QCOMPARE(lost.count(), 1);

    s.rig.port->failOpen = cat::OpenFailure::NotFound;
    s.link.keepAliveAndRequest(); // still gone: nothing written, nothing thrown
    QVERIFY(!s.link.isOpen());
    s.rig.port->failOpen = cat::OpenFailure::None;
    s.link.keepAliveAndRequest();
    QVERIFY(s.link.isOpen());
    QCOMPARE(s.rig.port->written(), "FA;"_ba);
    s.rig.port->receive("6000;FA21076000;"_ba); // the stale half answer must not be completed by this
    s.link.Data_Out();
    QCOMPARE(read.count(), 1);
    QCOMPARE(read.at(0).at(0).toLongLong(), 21076000);
}

QTEST_GUILESS_MAIN(tst_Link)
#include "tst_link.moc"
