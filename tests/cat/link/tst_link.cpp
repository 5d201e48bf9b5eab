// SPDX-License-Identifier: GPL-3.0-or-later
// The rig link over a scripted port: start-up per family and its failures, CAT off, the FT-897's
// answers among acknowledges, pieces and stray bytes, comm events, and a vanished device. (Each family's poll
// from request to reading is met in the station test and the end-to-end sessions.)

#include "cat/link/CatLink.h"
#include "support/FakeTransport.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QScopeGuard>
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
    void startUp();
    void startUpFailures();
    void catOffOpensNothing();
    void ft897AnswersAmongAcknowledges_data();
    void ft897AnswersAmongAcknowledges();
    void commEvents();
    void catLog();
    void vanishedDeviceComesBack();
};

void tst_Link::startUp()
{
    const struct
    {
        QByteArray cfg;
        const char *device;
        int threshold;
        bool byteInput, timer2, timer3;
        const char *line; // a network port is not given RS232C=
    } rows[] = {
        {"CAT= 3 \r\nRS232C=4800,N,8,2\r\n"_ba, "/dev/ttyS2", 11, false, true, false,
         "4800,N,8,2"}, // no RIG=: Yaesu
        {initCfg("2"), "/dev/ttyS2", 0, false, false, true, "4800,N,8,2"},
        {initCfg(" 3 "), "/dev/ttyS2", 5, true, false, false, "4800,N,8,2"},
        {initCfg("0", "tcp://rigpi:7000"), "tcp://rigpi:7000", 11, false, true, false, "9600,N,8,1"},
        {initCfg("4", "localhost"), "tcp://localhost:4532", 0, false, true, false, "9600,N,8,1"},
        {initCfg("7"), "/dev/ttyS2", 0, false, true, true, "4800,N,8,2"}, // outside the table: both timers
    };
    for (const auto &row : rows) {
        Opened s(row.cfg);
        QCOMPARE(s.reason, QString());
        QCOMPARE(s.link.portStatus(), u"OK"_s);
        const cat::PortSettings &opened = s.rig.port->settings();
        QCOMPARE(opened.address.device, QString::fromLatin1(row.device));
        QCOMPARE(opened.receiveThreshold, row.threshold);
        QCOMPARE(opened.byteInputMode, row.byteInput);
        QCOMPARE(opened.line.text(), QString::fromLatin1(row.line));
        QCOMPARE(s.link.timer2().isActive(), row.timer2);
        QCOMPARE(s.link.timer3().isActive(), row.timer3);
        QCOMPARE(s.link.timer2().interval() + s.link.timer3().interval(), 420);
    }
}

void tst_Link::startUpFailures()
{
    const struct
    {
        QByteArray cfg;
        cat::OpenFailure open;
        QString reason;
    } rows[] = {
        {"RIG=0\r\n"_ba, cat::OpenFailure::None, u"No serial port is configured (CAT=)."_s},
        {initCfg("abc"), cat::OpenFailure::None, u"RIG= is not a number: abc"_s},
        {"CAT=3\r\nRS232C=9600,X,8,1\r\n"_ba, cat::OpenFailure::None,
         u"RS232C= holds line settings the port cannot take: 9600,X,8,1"_s},
        {initCfg("2").replace("ICOM=74", "ICOM=7G"), cat::OpenFailure::None,
         u"ICOM= is not a CI-V address (two hexadecimal digits): 7G"_s},
        {initCfg("0", "/dev/ttyUSB0"), cat::OpenFailure::Permission,
         u"No permission to open /dev/ttyUSB0: add your user to the dialout group "
         u"(sudo usermod -aG dialout $USER), then log out and in again."_s},
        {initCfg("0", "9"), cat::OpenFailure::NotFound, u"The serial port /dev/ttyS8 does not exist."_s},
        {initCfg("4", "localhost:99999"), cat::OpenFailure::None,
         u"CAT= holds no usable network address (localhost:99999): The port must be a number from 1 to "
         u"65535, "
         u"not \"99999\"."_s},
    };
    for (const auto &row : rows) {
        test::FakeRig rig;
        rig.failOpen = row.open;
        cat::CatLink link(test::stationConfig(row.cfg), rig.factory());
        QString why = link.configurePort();
        QCOMPARE(why.isEmpty() ? link.prepareCivFraming() : why, row.reason);
    }
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

void tst_Link::ft897AnswersAmongAcknowledges_data()
{
    // What happens on the line, in order: "R" the read request goes out, "Q" the line has gone
    // quiet, anything else bytes arriving (hex). Then the frequencies shown.
    QTest::addColumn<QString>("line");
    QTest::addColumn<QList<qint64>>("shown");
    QTest::newRow("answer") << u"R 0140765201 Q"_s << QList<qint64>{14076520};
    QTest::newRow("in two pieces") << u"R 014076 5201 Q"_s << QList<qint64>{14076520};
    // A band pick's two acknowledges wait when the request goes out: they are discarded.
    QTest::newRow("acknowledges before the request") << u"00 00 R 014076 5201 Q"_s << QList<qint64>{14076520};
    // Acknowledges still on the way come first: the one window that reads as an answer counts.
    QTest::newRow("acknowledge after the request") << u"R 00 0140765201 Q"_s << QList<qint64>{14076520};
    // Two windows read as answers and disagree: nothing, and the next poll reads again.
    QTest::newRow("ambiguous, then recovered")
        << u"R 00 0140760001 Q R 0140760001 Q"_s << QList<qint64>{14076000};
    QTest::newRow("two answers at once") << u"R 01407652010140765201 Q"_s << QList<qint64>{};
    QTest::newRow("without a request") << u"0140765201 Q"_s << QList<qint64>{};
    QTest::newRow("short, then the next answer")
        << u"R 01407652 Q R 0070260000 Q"_s << QList<qint64>{7026000};
    QTest::newRow("a stray byte after") << u"R 0070260000 FF Q"_s << QList<qint64>{7026000};
}

void tst_Link::ft897AnswersAmongAcknowledges()
{
    QFETCH(QString, line);
    QFETCH(QList<qint64>, shown);
    Opened s(initCfg("3"));
    QSignalSpy read(&s.link, &cat::CatLink::frequencyRead);
    for (const QString &step : line.split(u' ')) {
        if (step == u"R")
            s.link.Data_Request();
        else if (step == u"Q")
            s.link.FT897();
        else
            s.rig.port->receive(QByteArray::fromHex(step.toLatin1()));
    }
    QList<qint64> got;
    for (const QList<QVariant> &signal : read)
        got << signal.at(0).toLongLong();
    QCOMPARE(got, shown);
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

void tst_Link::catLog()
{
    Opened s(initCfg("0"));
    s.link.keepAliveAndRequest(); // off by default: nothing logged
    QLoggingCategory::setFilterRules(u"veltrane.cat.debug=true"_s);
    const auto off = qScopeGuard([] { QLoggingCategory::setFilterRules({}); });
    QTest::ignoreMessage(QtDebugMsg,
                         QRegularExpression(u"^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} out 46 41 3b   FA;$"_s));
    QTest::ignoreMessage(QtDebugMsg,
                         QRegularExpression(u" in  00 46 41 30 37 30 32 36 30 30 30 3b   .FA07026000;$"_s));
    s.link.keepAliveAndRequest();
    s.rig.port->receive("\0FA07026000;"_ba);
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
    // A server that drops the connection after each exchange: its last answer still counts.
    s.rig.port->vanish("FA14076000;"_ba);
    QCOMPARE(read.count(), 2);
    QCOMPARE(read.at(1).at(0).toLongLong(), 14076000);
}

QTEST_GUILESS_MAIN(tst_Link)
#include "tst_link.moc"
