// The rig link over a scripted port: start-up configuration per family, the poll of each
// family, the readers fed through the port, comm events and a vanished device.

#include "cat/CatLink.h"
#include "support/FakeSerialPort.h"

#include <QSignalSpy>
#include <QTest>

using namespace veltrane;

namespace {

config::StationState stateFor(std::optional<QString> rig, std::optional<QString> cat = QStringLiteral("3"))
{
    config::StationState s;
    s.catPort = cat;
    s.rigCode = rig;
    s.icomAddressHex = QStringLiteral("74");
    s.controllerAddressHex = QStringLiteral("E0");
    return s;
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

}  // namespace

class tst_CatLink : public QObject
{
    Q_OBJECT

private slots:
    void configuresEachFamily_data();
    void configuresEachFamily();
    void startUpFailures_data();
    void startUpFailures();
    void catZeroKeepsPortClosed();
    void readRequests_data();
    void readRequests();
    void keepAliveReopensOnlyWithCat();
    void ft897AnswerOnReceiveEvent();
    void ft897WrongLengthDropsWithoutCycling();
    void civPollReadsPreviousAnswerPastEcho();
    void commEvents_data();
    void commEvents();
    void vanishedDeviceComesBack();
    void writesToClosedPortAreDropped();
};

void tst_CatLink::configuresEachFamily_data()
{
    QTest::addColumn<std::optional<QString>>("rig");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<bool>("byteInput");
    QTest::addColumn<bool>("timer2");
    QTest::addColumn<bool>("timer3");
    QTest::addColumn<QString>("rigName");

    QTest::newRow("no RIG= acts as Yaesu") << std::optional<QString>() << 11 << false << true << false << "FT2000";
    QTest::newRow("Yaesu") << std::optional<QString>(QStringLiteral("0")) << 11 << false << true << false << "FT2000";
    QTest::newRow("Kenwood") << std::optional<QString>(QStringLiteral("1")) << 14 << false << true << false << "TS480";
    QTest::newRow("ICOM") << std::optional<QString>(QStringLiteral("2")) << 0 << false << false << true << "ICOM";
    QTest::newRow("FT-897 padded") << std::optional<QString>(QStringLiteral(" 3 ")) << 5 << true << false << false
                                   << "FT897";
    QTest::newRow("outside the table") << std::optional<QString>(QStringLiteral("7")) << 0 << false << true << true
                                       << "";
}

void tst_CatLink::configuresEachFamily()
{
    QFETCH(std::optional<QString>, rig);
    QFETCH(int, threshold);
    QFETCH(bool, byteInput);
    QFETCH(bool, timer2);
    QFETCH(bool, timer3);
    QFETCH(QString, rigName);

    auto state = stateFor(rig);
    test::FakeSerialPort port;
    cat::CatLink link(port, state);
    link.timer2().start();  // both timers run as created
    link.timer3().start();

    QCOMPARE(link.configurePort(), QString());
    QCOMPARE(link.prepareCivFraming(), QString());
    link.switchPollTimers();

    QVERIFY(port.isOpen());
    QCOMPARE(state.portStatus, QStringLiteral("OK"));
    QCOMPARE(port.receiveThreshold(), threshold);
    QCOMPARE(port.byteInputMode(), byteInput);
    QCOMPARE(link.timer2().isActive(), timer2);
    QCOMPARE(link.timer3().isActive(), timer3);
    QCOMPARE(state.rigName, rigName);
    QCOMPARE(link.timer2().interval(), 200);
    QCOMPARE(link.timer3().interval(), 220);
}

void tst_CatLink::startUpFailures_data()
{
    QTest::addColumn<std::optional<QString>>("cat");
    QTest::addColumn<std::optional<QString>>("rig");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("icom");
    QTest::addColumn<int>("openFailure");
    QTest::addColumn<QString>("reasonPart");

    using O = std::optional<QString>;
    const int none = int(cat::OpenFailure::None);
    QTest::newRow("no CAT=") << O() << O(QStringLiteral("0")) << "" << "74" << none << "CAT=";
    QTest::newRow("empty CAT=") << O(QString()) << O(QStringLiteral("0")) << "" << "74" << none << "CAT=";
    QTest::newRow("RIG= not a number") << O(QStringLiteral("3")) << O(QStringLiteral("abc")) << "" << "74" << none
                                       << "RIG=";
    QTest::newRow("RIG= empty") << O(QStringLiteral("3")) << O(QString()) << "" << "74" << none << "RIG=";
    QTest::newRow("bad line settings") << O(QStringLiteral("3")) << O(QStringLiteral("0")) << "9600,X,8,1" << "74"
                                       << none << "RS232C=";
    QTest::newRow("speed missing") << O(QStringLiteral("3")) << O(QStringLiteral("0")) << ",N,8,1" << "74" << none
                                   << "RS232C=";
    QTest::newRow("ICOM address not hex") << O(QStringLiteral("3")) << O(QStringLiteral("2")) << "" << "7G" << none
                                          << "ICOM=";
    QTest::newRow("ICOM address above FF") << O(QStringLiteral("3")) << O(QStringLiteral("2")) << "" << "100"
                                           << none << "ICOM=";
    QTest::newRow("ICOM address empty") << O(QStringLiteral("3")) << O(QStringLiteral("2")) << "" << "" << none
                                        << "ICOM=";
    QTest::newRow("port refused") << O(QStringLiteral("/dev/ttyUSB0")) << O(QStringLiteral("0")) << "" << "74"
                                  << int(cat::OpenFailure::Permission) << "dialout";
    QTest::newRow("port missing") << O(QStringLiteral("9")) << O(QStringLiteral("0")) << "" << "74"
                                  << int(cat::OpenFailure::NotFound) << "does not exist";
}

void tst_CatLink::startUpFailures()
{
    QFETCH(std::optional<QString>, cat);
    QFETCH(std::optional<QString>, rig);
    QFETCH(QString, settings);
    QFETCH(QString, icom);
    QFETCH(int, openFailure);
    QFETCH(QString, reasonPart);

    auto state = stateFor(rig, cat);
    if (!settings.isEmpty())
        state.serialSettings = settings;
    state.icomAddressHex = icom;
    test::FakeSerialPort port;
    port.failOpen = cat::OpenFailure(openFailure);
    cat::CatLink link(port, state);

    QString reason = link.configurePort();
    if (reason.isEmpty())
        reason = link.prepareCivFraming();
    QVERIFY2(reason.contains(reasonPart), qPrintable(reason));
}

void tst_CatLink::catZeroKeepsPortClosed()
{
    auto state = stateFor(QStringLiteral("0"), QStringLiteral("0"));
    test::FakeSerialPort port;
    cat::CatLink link(port, state);
    QCOMPARE(link.configurePort(), QString());
    QVERIFY(!state.catEnabled);
    QCOMPARE(port.opens, 0);
    QCOMPARE(state.portStatus, QStringLiteral("No Work"));

    link.keepAliveAndRequest();
    link.Data_Out();
    QCOMPARE(port.opens, 0);  // with CAT off the keep-alive opens nothing
    QVERIFY(port.writes.isEmpty());
}

void tst_CatLink::readRequests_data()
{
    QTest::addColumn<QString>("rig");
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("Yaesu") << "0" << QByteArray("FA;");
    QTest::newRow("Kenwood") << "1" << QByteArray("FA;");
    QTest::newRow("ICOM writes on its own tick") << "2" << QByteArray();
    QTest::newRow("FT-897") << "3" << hex("0000000003");
    QTest::newRow("outside the table") << "7" << QByteArray();
}

void tst_CatLink::readRequests()
{
    QFETCH(QString, rig);
    QFETCH(QByteArray, request);
    auto state = stateFor(rig);
    test::FakeSerialPort port;
    cat::CatLink link(port, state);
    QCOMPARE(link.configurePort(), QString());
    QCOMPARE(link.prepareCivFraming(), QString());

    link.keepAliveAndRequest();
    QCOMPARE(port.written(), request);
}

void tst_CatLink::keepAliveReopensOnlyWithCat()
{
    auto state = stateFor(QStringLiteral("0"));
    test::FakeSerialPort port;
    cat::CatLink link(port, state);
    QCOMPARE(link.configurePort(), QString());
    port.close();

    link.keepAliveAndRequest();
    QVERIFY(port.isOpen());
    QCOMPARE(port.opens, 2);
    QCOMPARE(port.written(), QByteArray("FA;"));  // reopened first, then asked
}

void tst_CatLink::ft897AnswerOnReceiveEvent()
{
    auto state = stateFor(QStringLiteral("3"));
    test::FakeSerialPort port;
    cat::CatLink link(port, state);
    QCOMPARE(link.configurePort(), QString());
    QSignalSpy shown(&link, &cat::CatLink::frequencyRead);

    port.receive(hex("014076"));  // below the threshold: no receive event yet
    QCOMPARE(shown.count(), 0);
    port.receive(hex("5201"));
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(0).toDouble(), 14076.52);
    QCOMPARE(port.restarts, 1);  // closed and opened again after the accepted answer
    QCOMPARE(port.closes, 1);
    QVERIFY(port.isOpen());
    QCOMPARE(port.bytesWaiting(), 0);
}

void tst_CatLink::ft897WrongLengthDropsWithoutCycling()
{
    auto state = stateFor(QStringLiteral("3"));
    test::FakeSerialPort port;
    cat::CatLink link(port, state);
    QCOMPARE(link.configurePort(), QString());
    QSignalSpy shown(&link, &cat::CatLink::frequencyRead);

    port.receive(hex("01407652010140765201"));  // two answers at once
    QCOMPARE(shown.count(), 0);
    QCOMPARE(port.restarts, 0);
    QCOMPARE(port.bytesWaiting(), 0);
    QVERIFY(port.discards > 0);
}

void tst_CatLink::civPollReadsPreviousAnswerPastEcho()
{
    auto state = stateFor(QStringLiteral("2"));
    test::FakeSerialPort port;
    cat::CatLink link(port, state);
    QCOMPARE(link.configurePort(), QString());
    QCOMPARE(link.prepareCivFraming(), QString());
    QSignalSpy shown(&link, &cat::CatLink::frequencyRead);

    link.ICOM_Data1();  // first tick: request out, nothing to read yet
    QCOMPARE(port.written(), hex("FEFE74E003FD"));
    QCOMPARE(shown.count(), 0);

    port.receive(hex("FEFE74E003FD" "FEFEE07403006002070" "0FD"));  // echo, then the answer
    link.ICOM_Data1();
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(0).toDouble(), 7026.0);
    QCOMPARE(port.writes.size(), 2);
}

void tst_CatLink::commEvents_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");  // empty: an event, no box
    QTest::newRow("send") << 1 << QString();
    QTest::newRow("CTS") << 3 << QString();
    QTest::newRow("EOF") << 7 << QString();
    QTest::newRow("break") << 1001 << QString();
    QTest::newRow("framing") << 1004 << QString();
    QTest::newRow("parity") << 1009 << QString();
    QTest::newRow("CTS time-out") << 1002 << QStringLiteral("CTS 時間切れｴﾗｰを検出しました");
    QTest::newRow("DSR time-out") << 1003 << QStringLiteral("DSR 時間切れｴﾗｰを検出しました");
    QTest::newRow("overrun") << 1006 << QStringLiteral("ﾃﾞｰﾀ喪失ｴﾗｰが発生しました");
    QTest::newRow("CD time-out") << 1007 << QStringLiteral("ｷｬﾘｱ検出時間切れｴﾗｰを検出しました");
    QTest::newRow("receive overflow") << 1008 << QStringLiteral("ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました");
    QTest::newRow("transmit full") << 1010 << QStringLiteral("送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました");
    QTest::newRow("1005") << 1005 << QStringLiteral("未知ｴﾗｰが発生しました");
    QTest::newRow("zero") << 0 << QStringLiteral("未知ｴﾗｰが発生しました");
    QTest::newRow("negative") << -1 << QStringLiteral("未知ｴﾗｰが発生しました");
    QTest::newRow("1011") << 1011 << QStringLiteral("未知ｴﾗｰが発生しました");
}

void tst_CatLink::commEvents()
{
    QFETCH(int, code);
    QFETCH(QString, message);
    auto state = stateFor(QStringLiteral("0"));
    test::FakeSerialPort port;
    cat::CatLink link(port, state);
    QCOMPARE(link.configurePort(), QString());
    QSignalSpy errors(&link, &cat::CatLink::lineError);

    port.raise(code);
    if (message.isEmpty()) {
        QCOMPARE(errors.count(), 0);
    } else {
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toString(), message);
    }
    QVERIFY(port.isOpen());  // the link itself never closes the port on a line condition
}

void tst_CatLink::vanishedDeviceComesBack()
{
    auto state = stateFor(QStringLiteral("0"));
    test::FakeSerialPort port;
    cat::CatLink link(port, state);
    QCOMPARE(link.configurePort(), QString());
    QSignalSpy lost(&link, &cat::CatLink::deviceLost);
    QSignalSpy shown(&link, &cat::CatLink::frequencyRead);

    port.receive("FA1407");  // a half answer is waiting when the adapter is pulled
    port.vanish();
    QCOMPARE(lost.count(), 1);

    port.failOpen = cat::OpenFailure::NotFound;
    link.keepAliveAndRequest();  // still gone: nothing written, nothing thrown
    QVERIFY(!port.isOpen());
    QVERIFY(port.writes.isEmpty());

    port.failOpen = cat::OpenFailure::None;
    link.keepAliveAndRequest();
    QVERIFY(port.isOpen());
    QCOMPARE(port.written(), QByteArray("FA;"));
    port.receive("6000;FA21076000;");  // the stale half answer must not be completed by this
    link.Data_Out();
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(0).toDouble(), 21076.0);
}

void tst_CatLink::writesToClosedPortAreDropped()
{
    auto state = stateFor(QStringLiteral("2"));
    test::FakeSerialPort port;
    cat::CatLink link(port, state);
    QCOMPARE(link.configurePort(), QString());
    QCOMPARE(link.prepareCivFraming(), QString());
    port.close();

    link.writeFrames({QByteArray("\xFE\xFE", 2), QByteArray("x")});
    link.ICOM_Data1();
    QVERIFY(port.writes.isEmpty());
}

QTEST_GUILESS_MAIN(tst_CatLink)
#include "tst_catlink.moc"
