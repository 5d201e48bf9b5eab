// The rigctld family without a daemon: the line reader fed whole lines, partial lines, two
// lines, error reports and garbage; the family's frames and the aids that send them; the rig
// code and name; the link's start-up, poll and reader over a scripted port.

#include "aids/BandPlan.h"
#include "aids/OffsetTune.h"
#include "cat/AnswerReaders.h"
#include "cat/CatLink.h"
#include "cat/FrameCodec.h"
#include "config/StationState.h"
#include "rigsim/RigEmulator.h"
#include "support/FakeSerialPort.h"

#include <QSignalSpy>
#include <QTest>

using namespace veltrane;
using namespace Qt::StringLiterals;

using Reads = QList<QByteArray>;
using Results = QList<double>; // kHz per read; -1 for nothing

class tst_Rigctld : public QObject
{
    Q_OBJECT

private slots:
    void lineReader_data();
    void lineReader();
    void frames_data();
    void frames();
    void rigCodeAndName();
    void clickTuneAddsOffset();
    void linkStartUp_data();
    void linkStartUp();
    void linkPollsAndReads();
    void simulatorAnswers_data();
    void simulatorAnswers();
};

void tst_Rigctld::lineReader_data()
{
    QTest::addColumn<Reads>("reads");
    QTest::addColumn<Results>("results");
    QTest::addColumn<QByteArray>("pending");

    QTest::newRow("one line") << Reads{"14076000\n"} << Results{14076.0} << QByteArray();
    QTest::newRow("crlf and blanks") << Reads{" 7026000 \r\n"} << Results{7026.0} << QByteArray();
    QTest::newRow("dummy rig start") << Reads{"145000000\n"} << Results{145000.0} << QByteArray();
    QTest::newRow("split in three") << Reads{"140", "76", "000\n"} << Results{-1, -1, 14076.0}
                                    << QByteArray();
    QTest::newRow("two lines: the newer counts")
        << Reads{"14076000\n21076000\n"} << Results{21076.0} << QByteArray();
    QTest::newRow("line and a half") << Reads{"14076000\n2107", "6000\n"} << Results{14076.0, 21076.0}
                                     << QByteArray();
    QTest::newRow("half kept") << Reads{"14076000\n2107"} << Results{14076.0} << QByteArray("2107");
    QTest::newRow("error report") << Reads{"RPRT -1\n"} << Results{-1} << QByteArray();
    QTest::newRow("set answers around a reading")
        << Reads{"RPRT 0\nRPRT 0\n28076000\nRPRT -11\n"} << Results{28076.0} << QByteArray();
    QTest::newRow("garbage line") << Reads{"\x01\xff?;\n"} << Results{-1} << QByteArray();
    QTest::newRow("fraction") << Reads{"14076000.5\n"} << Results{-1} << QByteArray();
    QTest::newRow("zero") << Reads{"0\n"} << Results{-1} << QByteArray();
    QTest::newRow("empty lines") << Reads{"\n\r\n"} << Results{-1} << QByteArray();
    QTest::newRow("eleven digits") << Reads{"99999999999\n"} << Results{99999999.999} << QByteArray();
    QTest::newRow("twelve digits") << Reads{"100000000000\n"} << Results{-1} << QByteArray();
    QTest::newRow("digits then text") << Reads{"14076000 Hz\n"} << Results{-1} << QByteArray();
    QTest::newRow("overlong line dropped, next taken")
        << Reads{QByteArray(40, '1'), QByteArray(40, '2'), "\n7026000\n"} << Results{-1, -1, 7026.0}
        << QByteArray();
    QTest::newRow("overlong tail not kept")
        << Reads{QByteArray(cat::RigctldLineReader::kMaxLine + 1, '9')} << Results{-1} << QByteArray();
}

void tst_Rigctld::lineReader()
{
    QFETCH(Reads, reads);
    QFETCH(Results, results);
    QFETCH(QByteArray, pending);
    cat::RigctldLineReader reader;
    for (qsizetype i = 0; i < reads.size(); ++i) {
        const auto khz = reader.take(reads[i]);
        if (results[i] < 0)
            QVERIFY2(!khz, qPrintable(u"read %1 gave %2"_s.arg(i).arg(khz.value_or(0))));
        else
            QCOMPARE(khz, std::optional<double>(results[i]));
    }
    QCOMPARE(reader.pendingLine(), pending);
    reader.reset();
    QCOMPARE(reader.pendingLine(), QByteArray());
}

void tst_Rigctld::frames_data()
{
    QTest::addColumn<cat::Writes>("writes");
    QTest::addColumn<cat::Writes>("expected");
    const cat::CivFraming none;
    using cat::Writes;
    QTest::newRow("read request") << Writes{cat::readRequest(cat::kRigctld, none)} << Writes{"f\n"};
    QTest::newRow("set 14 076 523") << cat::setFrequencyWrites(cat::kRigctld, 14'076'523, none)
                                    << Writes{"F 14076523\n"};
    QTest::newRow("set 7 025 477") << cat::setFrequencyWrites(cat::kRigctld, 7'025'477, none)
                                   << Writes{"F 7025477\n"};
    QTest::newRow("negative") << cat::setFrequencyWrites(cat::kRigctld, -1, none) << Writes{};
    QTest::newRow("mode") << cat::modeUsbWrites(cat::kRigctld, none) << Writes{"M USB 0\n"};
    QTest::newRow("band pick 21MHz") << aids::bandSelectionWrites(cat::kRigctld, u"21MHz", none)
                                     << Writes{"M USB 0\n", "F 21076000\n"};
    QTest::newRow("band pick 50MHz") << aids::bandSelectionWrites(cat::kRigctld, u"50MHz", none)
                                     << Writes{"M USB 0\n", "F 50330000\n"};
    QTest::newRow("band pick, no band")
        << aids::bandSelectionWrites(cat::kRigctld, u"14 MHz", none) << Writes{};
    QTest::newRow("reference 7MHz") << aids::referenceWrites(cat::kRigctld, u"7MHz", none)
                                    << Writes{"F 7026000\n"};
    QTest::newRow("reference 50MHz") << aids::referenceWrites(cat::kRigctld, u"50MHz", none)
                                     << Writes{"F 50330000\n"};
}

void tst_Rigctld::frames()
{
    QFETCH(cat::Writes, writes);
    QFETCH(cat::Writes, expected);
    QCOMPARE(writes, expected);
}

void tst_Rigctld::rigCodeAndName()
{
    config::StationState s;
    for (const auto &[text, family] : {std::pair{u"4"_s, 4}, {u" 4 "_s, 4}, {u"4.0"_s, 4}, {u"5"_s, -1}}) {
        s.rigCode = text;
        QCOMPARE(config::rigFamily(s), family);
    }
    QCOMPARE(config::rigNameFor(4), u"RIGCTLD"_s);
    QCOMPARE(config::rigNameFor(5), QString());
}

void tst_Rigctld::clickTuneAddsOffset()
{
    // Unlike the FT-897 family, rigctld adds the offset below 10 MHz too.
    QCOMPARE(aids::clickTargetHz(u"7076.000"_s, 750, 1000, cat::kRigctld), std::optional<qint64>(7'076'500));
    QCOMPARE(aids::clickTargetHz(u"14076.000"_s, 250, 1000, cat::kRigctld),
             std::optional<qint64>(14'075'500));
    QCOMPARE(aids::offsetTargetHz(u"14076.000"_s, u"-523"_s), std::optional<qint64>(14'075'477));
}

void tst_Rigctld::linkStartUp_data()
{
    QTest::addColumn<QString>("cat");
    QTest::addColumn<QString>("rs232c");
    QTest::addColumn<QString>("device"); // empty: start-up fails
    QTest::addColumn<QString>("reasonPart");

    QTest::newRow("host alone") << u"localhost"_s << u"9600,N,8,1"_s << u"tcp://localhost:4532"_s
                                << QString();
    QTest::newRow("host and port, bad line settings ignored")
        << u"127.0.0.1:4533"_s << u",N,8,1"_s << u"tcp://127.0.0.1:4533"_s << QString();
    QTest::newRow("tcp form") << u"tcp://[::1]:4600"_s << QString() << u"tcp://[::1]:4600"_s << QString();
    QTest::newRow("port out of range") << u"localhost:99999"_s << QString() << QString() << u"65535"_s;
    QTest::newRow("serial number is no address") << u"3:x"_s << QString() << QString() << u"port"_s;
    QTest::newRow("empty") << QString() << QString() << QString() << u"host"_s;
}

void tst_Rigctld::linkStartUp()
{
    QFETCH(QString, cat);
    QFETCH(QString, rs232c);
    QFETCH(QString, device);
    QFETCH(QString, reasonPart);
    config::StationState s;
    s.rigCode = u"4"_s;
    s.catPort = cat;
    if (!rs232c.isEmpty())
        s.serialSettings = rs232c;
    test::FakeSerialPort port;
    cat::CatLink link(port, s);
    const QString reason = link.configurePort();
    if (device.isEmpty()) {
        QVERIFY(reason.contains(reasonPart));
        QVERIFY(reason.startsWith(u"CAT="_s));
        QCOMPARE(port.opens, 0);
        return;
    }
    QVERIFY2(reason.isEmpty(), qPrintable(reason));
    QCOMPARE(port.portName(), device);
    QCOMPARE(port.opens, 1);
    QCOMPARE(s.rigName, u"RIGCTLD"_s);
    QCOMPARE(s.portStatus, u"OK"_s);
    QCOMPARE(port.receiveThreshold(), 0);
    link.switchPollTimers();
    QVERIFY(link.timer2().isActive());
    QVERIFY(!link.timer3().isActive());
}

void tst_Rigctld::linkPollsAndReads()
{
    config::StationState s;
    s.rigCode = u"4"_s;
    s.catPort = u"localhost"_s;
    test::FakeSerialPort port;
    cat::CatLink link(port, s);
    QVERIFY(link.configurePort().isEmpty());
    QSignalSpy shown(&link, &cat::CatLink::frequencyRead);

    link.keepAliveAndRequest();
    QCOMPARE(port.written(), QByteArray("f\n"));
    port.receive("RPRT 0\n140");
    link.Data_Out();
    QCOMPARE(shown.size(), 0);
    port.receive("76000\n");
    link.Data_Out();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.at(0).at(0).toDouble(), 14076.0);
    port.receive("RPRT -1\n");
    link.Data_Out();
    QCOMPARE(shown.size(), 1);

    // A half line left when the connection drops is not joined to the next connection's line.
    port.receive("2107");
    link.Data_Out();
    port.vanish();
    link.keepAliveAndRequest();
    QCOMPARE(port.opens, 2);
    port.receive("7026000\n");
    link.Data_Out();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(1).at(0).toDouble(), 7026.0);
    link.writeFrames(aids::bandSelectionWrites(link.family(), u"21MHz", link.civFraming()));
    QCOMPARE(port.writes.mid(port.writes.size() - 2), (cat::Writes{"M USB 0\n", "F 21076000\n"}));
}

void tst_Rigctld::simulatorAnswers_data()
{
    QTest::addColumn<Reads>("sent");
    QTest::addColumn<QByteArray>("answered"); // all replies joined
    QTest::addColumn<qint64>("hz");           // the simulated rig's frequency afterwards
    QTest::addColumn<QString>("mode");

    QTest::newRow("read") << Reads{"f\n"} << QByteArray("14076000\n") << qint64(14'076'000) << u"USB"_s;
    QTest::newRow("set, then read, split")
        << Reads{"F 702", "6000\nf", "\n"} << QByteArray("RPRT 0\n7026000\n") << qint64(7'026'000)
        << u"USB"_s;
    QTest::newRow("set with fraction, crlf")
        << Reads{"F 7026000.4\r\n"} << QByteArray("RPRT 0\n") << qint64(7'026'000) << u"USB"_s;
    QTest::newRow("bad frequency") << Reads{"F abc\n"} << QByteArray("RPRT -1\n") << qint64(14'076'000)
                                   << u"USB"_s;
    QTest::newRow("mode, then read") << Reads{"M LSB 0\nm\n"} << QByteArray("RPRT 0\nLSB\n2400\n")
                                     << qint64(14'076'000) << u"LSB"_s;
    QTest::newRow("bad mode") << Reads{"M SSB 0\n"} << QByteArray("RPRT -1\n") << qint64(14'076'000)
                              << u"USB"_s;
    QTest::newRow("unknown command") << Reads{"X\n"} << QByteArray("RPRT -4\n") << qint64(14'076'000)
                                     << u"USB"_s;
    QTest::newRow("overlong noise dropped")
        << Reads{QByteArray(80, 'x'), "f\n"} << QByteArray("14076000\n") << qint64(14'076'000) << u"USB"_s;
}

void tst_Rigctld::simulatorAnswers()
{
    QFETCH(Reads, sent);
    QFETCH(QByteArray, answered);
    QFETCH(qint64, hz);
    QFETCH(QString, mode);
    rigsim::EmulatorSettings settings;
    settings.family = rigsim::Family::Rigctld;
    settings.resyncGapMs = 0;
    rigsim::RigEmulator rig(settings);
    QByteArray replies;
    for (const QByteArray &bytes : sent)
        replies += rigsim::RigEmulator::joined(rig.feed(bytes));
    QCOMPARE(replies, answered);
    QCOMPARE(rig.frequencyHz(), hz);
    QCOMPARE(rigsim::modeName(rig.mode()), mode);
}

QTEST_GUILESS_MAIN(tst_Rigctld)
#include "tst_Rigctld.moc"
