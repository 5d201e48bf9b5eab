// SPDX-License-Identifier: GPL-3.0-or-later
// The station without a window, over a scripted rig port: what a reading shows, the gates of
// every retune, band pick and reference, the frequency set from an offset and click-to-tune for
// each serial family (rigctld's in tst_rigctld), a frequency typed into the display, the order of
// the main tick, the decoder link over a real UDP socket, and the command line.

#include "app/CommandLine.h"
#include "app/Station.h"
#include "support/DecoderDatagrams.h"
#include "support/FakeTransport.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using namespace Qt::StringLiterals;
using namespace veltrane;
constexpr auto hex = &QByteArray::fromHex;
using Writes = QList<QByteArray>;
using OffsetSet = veltrane::app::Station::OffsetSet;

namespace {

QByteArray initCfg(const char *rig, const char *cat = "3")
{
    return "CAT="_ba + cat + "\r\nRIG="_ba + rig + "\r\nICOM=74\r\nCONTROL=E0\r\n"_ba;
}

// A station on a fake rig, started as the main window starts it.
struct Started
{
    explicit Started(const QByteArray &cfg) : station(test::stationConfig(cfg), rig.factory())
    {
        reason = station.openLink() + station.prepareCivFraming();
        station.startTimers();
    }
    // The rig answers a read request with these bytes; the family's reader takes them as they
    // arrive (the FT-897's once the line has gone quiet).
    void answer(const QByteArray &bytes)
    {
        station.link().Data_Request();
        rig.port->writes.clear();
        rig.port->receive(bytes);
        station.link().FT897();
    }
    Writes writesOf(const std::function<void()> &action)
    {
        rig.port->writes.clear();
        action();
        return rig.port->writes;
    }
    Writes offsetSet(QStringView offset, OffsetSet expected)
    {
        return writesOf([&] { QCOMPARE(station.Command5_Click(offset), expected); });
    }
    test::FakeRig rig;
    app::Station station;
    QString reason;
};

// The values a stale-state or display signal carried, ' ' between them.
QString seen(const QSignalSpy &spy)
{
    QStringList values;
    for (const QList<QVariant> &args : spy)
        values << args.at(0).toString();
    return values.join(u' ');
}

} // namespace

class tst_Station : public QObject
{
    Q_OBJECT

private slots:
    // What a reading and what the operator's typing show, and the dial each gives.
    void display()
    {
        Started s(initCfg("0"));
        QSignalSpy shown(&s.station, &app::Station::displayChanged);
        QSignalSpy band(&s.station, &app::Station::bandRecognised);
        // A Yaesu answering with nine digits is set with nine, and with eight again when it does.
        s.answer("FA014076000;"_ba);
        QCOMPARE(s.offsetSet(u"0", OffsetSet::Sent), Writes{"FA014076000;"_ba});
        s.answer("FA14076520;"_ba);
        QCOMPARE(s.offsetSet(u"0", OffsetSet::Sent), Writes{"FA14076520;"_ba});
        s.answer("FA50313000;"_ba); // no 50 MHz segment: the band list keeps its text
        QCOMPARE(seen(shown) + u'|' + seen(band), u"14076.000 14076.520 50313.000|14MHz 14MHz"_s);
        QCOMPARE(s.rig.port->writes, Writes{}); // showing sends nothing

        // Typed into the display: a text wholly a number is the dial.
        band.clear();
        s.station.txtRigFreq_Change(u"7026.000");
        QCOMPARE(s.offsetSet(u"0", OffsetSet::Sent), Writes{"FA07026000;"_ba});
        // Not wholly a number: the band list still follows the leading number, but there is no dial.
        s.station.txtRigFreq_Change(u"14076 kHz");
        QCOMPARE(s.station.Command5_Click(u"0"), OffsetSet::NotSent);
        s.station.txtRigFreq_Change(u"No Data14076.000"); // typed after the first text: no number leads
        QCOMPARE(seen(band), u"7MHz 14MHz"_s);
    }

    void staleDisplaySendsNothing()
    {
        Started s(initCfg("0"));
        QSignalSpy stale(&s.station, &app::Station::staleChanged);
        s.answer("FA14076000;"_ba);
        QCOMPARE(s.station.staleTimer().interval(), 3000);
        s.station.staleTimer().setInterval(1);
        QTRY_VERIFY(s.station.isStale());
        QCOMPARE(s.writesOf([&] { s.station.Picture1_MouseDown(300.0, 400.0); }), Writes{});
        QCOMPARE(s.offsetSet(u"523", OffsetSet::Stale), Writes{});
        s.station.staleTimer().setInterval(3000);
        s.answer("FA14076000;"_ba); // the next answer makes it fresh
        QCOMPARE(seen(stale), u"true false"_s);
        QCOMPARE(s.offsetSet(u"523", OffsetSet::Sent), Writes{"FA14076523;"_ba});
    }

    // Each serial family from a dial it reported: the frequency set with offset "523", then a click at
    // 3W/4 on a picture 400 wide.
    void retunes()
    {
        // The rig code, an answer that puts the dial on 14 076 000 Hz or 7 076 000, the frames of
        // the frequency set and of the click.
        const std::tuple<const char *, QByteArray, Writes, Writes> rows[] = {
            {"0", "FA14076000;"_ba, {"FA14076523;"_ba}, {"FA14076500;"_ba}},
            {"1", "FA00007076000;"_ba, {"FA00007076523;"_ba}, {"FA00007076500;"_ba}},
            {"2",
             hex("FEFEE074030060071400FD"),
             {hex("FEFE74E005"), hex("2365071400"), hex("FD")},
             {hex("FEFE74E005"), hex("0065071400"), hex("FD")}},
            // The FT-897 counts in 10 Hz; a click takes the offset the other way round when the rig
            // says it is in LSB, whatever the band (USB on 7 MHz, LSB on 14).
            {"3", hex("0070760001"), {hex("0070765201")}, {hex("0070765001")}},
            {"3", hex("0140760000"), {hex("0140765201")}, {hex("0140755001")}},
        };
        for (const auto &[rig, answer, offsetSet, click] : rows) {
            Started s(initCfg(rig));
            QCOMPARE(s.reason, QString());
            s.answer(answer);
            QCOMPARE(s.offsetSet(u"523", OffsetSet::Sent), offsetSet);
            QCOMPARE(s.writesOf([&] { s.station.Picture1_MouseDown(300.0, 400.0); }), click);
            // An offset that is not wholly a number sends nothing and is left for the operator
            // to mend; so is one beyond what the family's frame carries (nine digits for the
            // Yaesu text dialect).
            QCOMPARE(s.offsetSet(u"52x", OffsetSet::NotANumber), Writes{});
            QCOMPARE(s.offsetSet(u"99999999999", OffsetSet::OutOfRange), Writes{});
            QVERIFY(s.station.timer1().isActive()); // neither retune touches the tick
            QCOMPARE(s.station.timer1().interval(), 200);
        }
    }

    // The gates of both retunes: CAT off, the port closed, no frequency read, a rig code of no family.
    void gates()
    {
        // The configuration, a dial read, the port closed.
        const std::tuple<QByteArray, bool, bool> rows[] = {{initCfg("0", "0"), true, false},
                                                           {initCfg("0"), true, true},
                                                           {initCfg("0"), false, false},
                                                           {initCfg("7"), true, false}};
        for (const auto &[cfg, readDial, closePort] : rows) {
            Started s(cfg);
            if (readDial)
                s.station.txtRigFreq_Change(u"14076.000");
            if (closePort)
                s.station.link().close();
            const qsizetype before = s.rig.port ? s.rig.port->writes.size() : 0;
            QCOMPARE(s.station.Command5_Click(u"523"), OffsetSet::NotSent);
            s.station.Picture1_MouseDown(300.0, 400.0);
            QCOMPARE(s.rig.port ? s.rig.port->writes.size() : 0, before);
        }
    }

    // (Each family's frames are the aids' test's; the frames as a rig takes them, the operator sessions'.)
    void bandPickAndReference()
    {
        Started s(initCfg("0") + "BANDMODE=KEEP\r\n"); // this operator keeps the rig's mode
        QCOMPARE(s.writesOf([&] { s.station.Combo1_Click(u"21MHz"); }), Writes{"FA21076000;"_ba});
        QCOMPARE(s.station.timer1().interval(), 200); // band pick leaves the tick
        // The text families have no reference frame for 50 MHz; the tick slows down all the same.
        QCOMPARE(s.writesOf([&] { s.station.Command1_Click(u"50MHz"); }), Writes{});
        QCOMPARE(s.station.timer1().interval(), 1000);
        QVERIFY(s.station.timer1().isActive());
        Started unknown(initCfg("7"));
        QCOMPARE(unknown.writesOf([&] {
            unknown.station.Combo1_Click(u"7MHz");
            unknown.station.Command1_Click(u"7MHz");
        }),
                 Writes{});
        QCOMPARE(unknown.station.timer1().interval(), 1000);

        unknown.station.shutDown(); // with no family, both poll timers ran
        QVERIFY(!unknown.station.timer1().isActive() && !unknown.station.link().timer3().isActive());
        QVERIFY(!unknown.station.link().isOpen());
    }

    void tickShowsTheClockBeforeTheRequest()
    {
        Started s(initCfg("0"));
        QList<int> writesWhenTicking;
        connect(&s.station, &app::Station::ticking, this,
                [&] { writesWhenTicking << int(s.rig.port->writes.size()); });
        s.station.Timer1_Timer();
        s.station.Timer1_Timer();
        QCOMPARE(writesWhenTicking, (QList<int>{0, 1}));
        QCOMPARE(s.rig.port->written(), "FA;FA;"_ba);
    }

    // The decoder's Status naming a new DX call is taken as an import (nothing sent to the rig);
    // the same call again, other messages and garbage change nothing; without CAT the display
    // follows the decoder's dial.
    void decoderLink()
    {
        using veltrane::testing::statusDatagram;
        for (const char *cat : {"3", "0"}) {
            Started s(initCfg("0", cat));
            QCOMPARE(s.station.decoderListener().listen(u"127.0.0.1"_s, 0), QString());
            QStringList taken;
            connect(&s.station, &app::Station::callTaken, this,
                    [&](const aids::DecodeImport &i) { taken << i.call + u' ' + i.offset; });
            QSignalSpy shown(&s.station, &app::Station::displayChanged);
            QSignalSpy band(&s.station, &app::Station::bandRecognised);
            QUdpSocket decoder;
            for (const QByteArray &datagram : {
                     statusDatagram("WSJT-X", 7076000, "K1ABC", 1500),
                     statusDatagram("WSJT-X", 7076000, "K1ABC", 1800), // the same call: not taken again
                     "\xad\xbc\xcb\xda garbage"_ba,
                     statusDatagram("JTDX", 14076000, "K1ABC", 1000), // another decoder's first
                     veltrane::testing::decoderDatagram(6, {"WSJT-X"}),
                     statusDatagram("WSJT-X", 14076000, "", 1000),
                     statusDatagram("WSJT-X", 14076000, "K1ABC", 900), // after a close: anew
                 })
                decoder.writeDatagram(datagram, QHostAddress::LocalHost,
                                      s.station.decoderListener().boundPort());
            QTRY_COMPARE(taken, (QStringList{u"K1ABC 230"_s, u"K1ABC -270"_s, u"K1ABC -370"_s}));
            // (That nothing goes to the rig, the operator sessions see.)
            QCOMPARE(seen(shown) + u'|' + seen(band),
                     *cat == '0' ? u"7076.000 14076.000|7MHz 14MHz"_s : u"|"_s);
        }
    }

    // Where the link listens, and the one-line reason when it cannot.
    void decoderLinkAddresses()
    {
        QUdpSocket owner; // a program holding the port for itself
        QVERIFY(owner.bind(QHostAddress::LocalHost, 0));
        aids::DecoderListener listener;
        QCOMPARE(
            listener.listen(u"127.0.0.1"_s, owner.localPort()),
            u"The decoder link cannot listen on 127.0.0.1 port %1: The bound address is already in use."_s
                .arg(owner.localPort()));
        QCOMPARE(listener.listen(u"localhost"_s, 2237),
                 u"The decoder link address localhost is not an IP address."_s);
        // A multicast group, shared: two listeners on one port both receive.
        aids::DecoderListener other;
        QCOMPARE(listener.listen(u"239.255.73.1"_s, 0), QString());
        QCOMPARE(other.listen(u"239.255.73.1"_s, listener.boundPort()), QString());
        QSignalSpy first(&listener, &aids::DecoderListener::messageReceived);
        QSignalSpy second(&other, &aids::DecoderListener::messageReceived);
        QUdpSocket decoder;
        decoder.setSocketOption(QAbstractSocket::MulticastLoopbackOption, 1);
        decoder.writeDatagram(veltrane::testing::decoderDatagram(0, {"WSJT-X"}),
                              QHostAddress(u"239.255.73.1"_s), listener.boundPort());
        QTRY_COMPARE(first.count() + second.count(), 2);
        // Started from the configuration: off by default, on as configured.
        Started off(initCfg("0"));
        QCOMPARE(off.station.startDecoderLink(), QString());
        QCOMPARE(off.station.decoderListener().boundPort(), quint16(0));
        Started taken(initCfg("0") + "DECODER=ON\r\nDECODERPORT=" + QByteArray::number(owner.localPort()) +
                      "\r\n");
        QVERIFY(taken.station.startDecoderLink().contains(u"cannot listen"));
        QCOMPARE(taken.station.decoderLinkProblem(), taken.station.startDecoderLink());
    }

    // The command line: what runs, what exits at once (help, version) and what is refused, with
    // the folder, language and CAT log it gives; the folder is made and entered.
    void commandLine()
    {
        using O = app::CommandLine::Outcome;
        const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
        // The arguments (';' between them), the outcome, and the message's first line or
        // folder|language|CAT log.
        const std::tuple<QString, O, QString> rows[] = {
            {u""_s, O::Run, u"|-|0"_s},
            {u"--folder;/tmp/a b;--language;EN;--cat-log"_s, O::Run, u"/tmp/a b|en|1"_s},
            {u"--config-home;--language;ja"_s, O::Run, home + u"/veltrane|ja|0"_s},
            {u"-session;1a2b;-platform;xcb;-reverse;--folder;f"_s, O::Run, u"f|-|0"_s},
            {u"-v"_s, O::Exit, u"Veltrane 1.05"_s},
            {u"--help"_s, O::Exit, u"Usage: veltrane [options]"_s},
            {u"--language;de"_s, O::Fail, u"--language takes ja or en, not \"de\"."_s},
            {u"--folder;x;--config-home"_s, O::Fail,
             u"--folder and --config-home name two folders: give one."_s},
            {u"--colour"_s, O::Fail, u"Unknown option 'colour'."_s},
            {u"Init.cfg"_s, O::Fail, u"Unexpected argument: Init.cfg"_s},
        };
        QCoreApplication::setApplicationVersion(u"1.05"_s);
        for (const auto &[args, outcome, seen] : rows) {
            const app::CommandLine line =
                app::parseCommandLine(QStringList{u"veltrane"_s} + args.split(u';', Qt::SkipEmptyParts));
            const QString language = !line.language                               ? u"-"_s
                                     : *line.language == app::UiLanguage::English ? u"en"_s
                                                                                  : u"ja"_s;
            QCOMPARE(line.outcome, outcome);
            QCOMPARE(outcome == O::Run ? line.folder + u'|' + language + u'|' + QString::number(line.catLog)
                                       : line.message.section(u'\n', 0, 0),
                     seen);
        }
        const QString folder = qEnvironmentVariable("TMPDIR") + u"/new/folder"_s;
        QCOMPARE(app::enterFolder(folder), QString());
        QCOMPARE(QDir::currentPath(), folder);
        QVERIFY(app::enterFolder(u"/proc/none"_s).contains(u"cannot be created"));
    }
};

QTEST_GUILESS_MAIN(tst_Station)
#include "tst_station.moc"
